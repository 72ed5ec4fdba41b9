// The simulated unit's pickup blocks read through the pickup analysis: the
// speed measured is the speed simulated, every block spans three periods, and
// lobes, gaps, polarities, the second pickup and the firing follow the
// trigger description in the unit's memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

#include "monitor/pickup_analyzer.h"
#include "params/address_map.h"
#include "sim_pickup.h"

namespace q3 {
namespace {

struct Trigger {
  const char* name;
  std::vector<std::pair<int, int>> bytes;  // memory index, value
};

// Trigger descriptions of a few bike presets.
const Trigger kClassic{
    "1 lobe, 2 pickups",
    {{184, 0}, {185, 1}, {186, 2}, {187, 1}, {188, 1}, {192, 65}, {189, 129}, {193, 193}}};
const Trigger kHonda7P{
    "7 lobes, one missing",
    {{184, 4}, {185, 7}, {186, 2}, {187, 1}, {188, 2}, {192, 67}, {189, 6}, {193, 71}}};
const Trigger kDucati{
    "48-2 on the camshaft",
    {{184, 8}, {185, 46}, {186, 2}, {187, 0}, {188, 82}, {192, 87}, {189, 100}, {193, 105}}};
const Trigger kBmw{"60-2 and cam",
                   {{184, 14},
                    {185, 116},
                    {186, 4},
                    {187, 0},
                    {188, 198},
                    {192, 205},
                    {189, 106},
                    {193, 113},
                    {190, 228},
                    {194, 235},
                    {191, 76},
                    {195, 83}}};
const Trigger kThreePerTurn{"3 ignitions per turn",
                            {{184, 0}, {185, 1}, {186, 1}, {187, 3}, {188, 1}, {192, 65}}};
const Trigger kFourPerTurn{"4 ignitions per turn",
                           {{184, 0}, {185, 1}, {186, 1}, {187, 4}, {188, 1}, {192, 65}}};
const Trigger kInserted{
    "3 lobes, one inserted",
    {{184, 1}, {185, 3}, {186, 2}, {187, 1}, {188, 1}, {192, 65}, {189, 2}, {193, 66}}};

std::vector<uint8_t> memoryOf(const Trigger& t,
                              std::initializer_list<std::pair<int, int>> more = {}) {
  std::vector<uint8_t> m(1050, 0);
  for (auto [i, v] : t.bytes) m[size_t(i)] = uint8_t(v);
  for (auto [i, v] : more) m[size_t(i)] = uint8_t(v);
  return m;
}

PickupBlock simulatedBlock(const std::vector<uint8_t>& memory, int rpm, int64_t start = 123456) {
  const q3sim::TriggerWheel w = q3sim::describeTrigger(memory.data(), 20);
  PickupBlock b;
  b.state = 1;
  b.selector = w.selector;
  b.samples = q3sim::pickupSamples(w, rpm, start);
  return b;
}

// Rising edges of a signal (bit 2 or 3 of the flags) at positions 0 <= pos < P.
int risesInOnePeriod(const PickupAnalyzer& m, uint32_t signal) {
  int n = 0;
  for (int i = 0; i < m.sampleEventCount(); ++i) {
    const PickupEvent& e = m.events()[size_t(i)];
    if ((e.changed & signal) && (e.flags & signal) && e.pos >= -1e-9 && e.pos < m.period() - 1e-9)
      ++n;
  }
  return n;
}

int firingsInOnePeriod(const PickupAnalyzer& m) {
  int n = 0;
  for (int i = 0; i < m.sampleEventCount(); ++i) {
    const PickupEvent& e = m.events()[size_t(i)];
    if (e.pos >= 0 && e.pos < m.period()) n += std::popcount(e.flags & PickupFlag::kOutputs);
  }
  return n;
}

TEST(PickupSimulation, MeasuredSpeedIsTheSimulatedSpeed) {
  for (const Trigger* t :
       {&kClassic, &kHonda7P, &kDucati, &kBmw, &kThreePerTurn, &kFourPerTurn, &kInserted}) {
    for (int rpm : {1300, 6000, 10700}) {
      // Start just before the time stamp wraps, so the wrap falls inside the block.
      const PickupBlock b = simulatedBlock(memoryOf(*t), rpm, (int64_t(1) << 24) - 5000);
      PickupAnalyzer m;
      ASSERT_EQ(m.show(b), PickupAnalysis::Done) << t->name << " " << rpm;
      EXPECT_NEAR(m.rpm(), rpm, rpm * 5e-4) << t->name;
      // More than three periods: samples after the fourth phase change.
      EXPECT_EQ(m.ring().pending(), 0);
      EXPECT_GT(m.sampleEventCount(), 4) << t->name;
      EXPECT_LT(b.samples.size() * 4, 15000u) << t->name;
    }
  }
}

TEST(PickupSimulation, LobesGapsAndFiringFollowTheTriggerDescription) {
  struct Case {
    const Trigger* trigger;
    int period;
    int lobes;         // rising edges of signal 1 in one period
    int firings;       // ignitions in one period
    double widestGap;  // largest distance between rises, in lobe pitches of the wheel
  } cases[] = {
      {&kClassic, 360, 1, 2, 1},
      {&kHonda7P, 360, 7, 2, 2},  // one tooth missing: a gap of two pitches
      {&kDucati, 720, 46, 2, 3},  // two missing
      {&kBmw, 720, 116, 4, 3},    // two missing per turn
      {&kThreePerTurn, 120, 1, 1, 1},
      {&kFourPerTurn, 180, 2, 2, 1},  // four per turn shown over two of them
  };
  for (const Case& c : cases) {
    PickupAnalyzer m;
    ASSERT_EQ(m.show(simulatedBlock(memoryOf(*c.trigger), 6000)), PickupAnalysis::Done);
    EXPECT_EQ(m.period(), c.period) << c.trigger->name;
    EXPECT_EQ(risesInOnePeriod(m, PickupFlag::kSignal1), c.lobes) << c.trigger->name;
    EXPECT_EQ(firingsInOnePeriod(m), c.firings) << c.trigger->name;
    std::vector<double> rises;
    for (int i = 0; i < m.sampleEventCount(); ++i) {
      const PickupEvent& e = m.events()[size_t(i)];
      if ((e.changed & PickupFlag::kSignal1) && (e.flags & PickupFlag::kSignal1))
        rises.push_back(e.pos);
    }
    ASSERT_GE(rises.size(), 2u) << c.trigger->name;
    double smallest = 1e9, widest = 0;
    for (size_t i = 1; i < rises.size(); ++i) {
      smallest = std::min(smallest, rises[i] - rises[i - 1]);
      widest = std::max(widest, rises[i] - rises[i - 1]);
    }
    EXPECT_NEAR(widest / smallest, c.widestGap, 0.03) << c.trigger->name;
  }
}

TEST(PickupSimulation, PolarityInterchangeAndSecondPickupShowInThePicture) {
  PickupAnalyzer plain, minus, swapped;
  ASSERT_EQ(plain.show(simulatedBlock(memoryOf(kClassic), 6000)), PickupAnalysis::Done);
  ASSERT_EQ(minus.show(simulatedBlock(memoryOf(kClassic, {{172, 1}}), 6000)), PickupAnalysis::Done);
  ASSERT_EQ(swapped.show(simulatedBlock(memoryOf(kClassic, {{174, 1}}), 6000)),
            PickupAnalysis::Done);
  ASSERT_EQ(plain.events().size(), minus.events().size());
  ASSERT_EQ(plain.events().size(), swapped.events().size());
  for (int i = 0; i < plain.sampleEventCount(); ++i) {
    const uint32_t p = plain.events()[size_t(i)].flags;
    // Minus polarity: signal 1 low over the lobe; signal 2 as it was.
    EXPECT_EQ(minus.events()[size_t(i)].flags, p ^ PickupFlag::kSignal1) << i;
    // Interchanged: the two signals change places.
    const uint32_t s = swapped.events()[size_t(i)].flags;
    EXPECT_EQ(bool(s & PickupFlag::kSignal1), bool(p & PickupFlag::kSignal2)) << i;
    EXPECT_EQ(bool(s & PickupFlag::kSignal2), bool(p & PickupFlag::kSignal1)) << i;
  }
  // The second pickup sees the lobe half a turn after the first one.
  EXPECT_EQ(risesInOnePeriod(plain, PickupFlag::kSignal2), 1);
  // A camshaft pickup gives one pulse per 720 degrees; a one-pickup wheel none.
  PickupAnalyzer bmw, three;
  ASSERT_EQ(bmw.show(simulatedBlock(memoryOf(kBmw), 6000)), PickupAnalysis::Done);
  EXPECT_EQ(risesInOnePeriod(bmw, PickupFlag::kSignal2), 1);
  ASSERT_EQ(three.show(simulatedBlock(memoryOf(kHonda7P), 6000)), PickupAnalysis::Done);
  EXPECT_FALSE(three.signal2Changes());
}

TEST(PickupSimulation, MoreAdvanceFiresEarlier) {
  const std::vector<uint8_t> mem = memoryOf(kHonda7P);
  const q3sim::TriggerWheel little = q3sim::describeTrigger(mem.data(), 5);
  const q3sim::TriggerWheel much = q3sim::describeTrigger(mem.data(), 40);
  ASSERT_EQ(little.firing.size(), 2u);
  for (size_t c = 0; c < 2; ++c) EXPECT_LT(much.firing[c], little.firing[c]) << c;
}

}  // namespace
}  // namespace q3
