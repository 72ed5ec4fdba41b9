// The number formats of the monitor displays: every number reads "---"
// while no unit is connected (and no recording plays).
#pragma once

#include <cstdio>
#include <string>

namespace q3 {

class MonitorText {
 public:
  explicit MonitorText(bool connected) : m_connected(connected) {}

  // "%i" of the value.
  std::string integer(int v) const {
    if (!m_connected) return "---";
    return std::to_string(v);
  }
  // "%.*f" of the value with the given decimals.
  std::string fixed(double v, int decimals) const {
    if (!m_connected) return "---";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
  }
  // A raw value divided by a power of ten, with as many decimals as the
  // divisor has zeros (10 -> one decimal).
  std::string scaled(int raw, int divisor) const {
    int decimals = 0;
    for (int d = divisor; d >= 10; d /= 10) ++decimals;
    return fixed(double(raw) / divisor, decimals);
  }

 private:
  bool m_connected;
};

}  // namespace q3
