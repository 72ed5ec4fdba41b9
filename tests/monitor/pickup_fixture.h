// Small builders of pickup sample blocks for the monitor tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "monitor/pickup_block.h"

namespace q3test {

struct S {
  int64_t t;             // ticks of 0.4 us (wrapped to 24 bits when stored)
  int phase;             // 0..3
  bool s1 = false;       // signal 1 level
  bool s2 = false;       // signal 2 level
  int outputs = 0;       // bits 0..3: ignition outputs 1..4
  bool inherit = false;  // takes the levels of the sample before it
};

inline uint32_t sample(const S& s) {
  return uint32_t(s.t & 0xFFFFFF) | uint32_t(s.phase & 3) << 24 | (s.s1 ? 1u << 26 : 0u) |
         (s.s2 ? 1u << 27 : 0u) | uint32_t(s.outputs & 15) << 28;
}

inline q3::PickupBlock block(std::initializer_list<S> samples, int selector = 1, int state = 1) {
  q3::PickupBlock b;
  b.state = uint8_t(state);
  b.selector = uint8_t(selector);
  for (const S& s : samples) b.samples.push_back(sample(s));
  return b;
}

// A sample before the first phase change, then the four changes with periods
// of a, d and c ticks between them (d is the one the speed is measured over);
// 'extra' adds samples between them. The phase changes keep the levels.
inline q3::PickupBlock periods(int64_t a, int64_t d, int64_t c, int selector = 1, int state = 1,
                               std::vector<S> extra = {}) {
  std::vector<S> all = {{0, 0},
                        {100, 1, false, false, 0, true},
                        {100 + a, 2, false, false, 0, true},
                        {100 + a + d, 3, false, false, 0, true},
                        {100 + a + d + c, 0, false, false, 0, true}};
  all.insert(all.end(), extra.begin(), extra.end());
  std::stable_sort(all.begin(), all.end(), [](const S& x, const S& y) { return x.t < y.t; });
  for (size_t i = 1; i < all.size(); ++i) {
    if (!all[i].inherit) continue;
    all[i].s1 = all[i - 1].s1;
    all[i].s2 = all[i - 1].s2;
  }
  q3::PickupBlock b;
  b.state = uint8_t(state);
  b.selector = uint8_t(selector);
  for (const S& s : all) b.samples.push_back(sample(s));
  return b;
}

}  // namespace q3test
