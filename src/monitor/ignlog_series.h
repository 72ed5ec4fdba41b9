// The monitor values of a recording over time, for the log view: one channel
// per value, sampled at the monitor records, with the readout at a moment
// and the mapping between samples and the player's positions.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "monitor/ignlog_format.h"

namespace q3 {

enum class LogChannel {
  Rpm,
  Load,
  Voltage,
  Advance1,
  Dwell,
  Lambda,
  Speed,
  Gear,
  Acceleration,
  Count
};
inline constexpr int kLogChannels = int(LogChannel::Count);

struct LogChannelInfo {
  const char* key;      // "rpm", as the CSV columns
  const char* caption;  // "RPM"
  const char* unit;     // "rpm", "%", "V" ...
  int decimals;
};
const LogChannelInfo& logChannelInfo(LogChannel c);

class IgnlogSeries {
 public:
  IgnlogSeries() = default;
  explicit IgnlogSeries(const IgnlogFile& file);

  int samples() const { return int(m_time.size()); }
  uint32_t timeMs(int sample) const { return m_time[size_t(sample)]; }
  double value(LogChannel c, int sample) const { return m_values[size_t(c)][size_t(sample)]; }
  // Smallest and largest value of a channel (0, 0 without samples).
  double minimum(LogChannel c) const { return m_min[size_t(c)]; }
  double maximum(LogChannel c) const { return m_max[size_t(c)]; }
  uint32_t durationMs() const { return m_time.empty() ? 0 : m_time.back(); }

  // The last sample at or before t; -1 before the first.
  int sampleAt(uint32_t t) const;
  // The player position that shows a sample, and the sample a position
  // shows (the last monitor record at or before it; -1 when none).
  int positionOf(int sample) const { return m_record[size_t(sample)] - m_initial + 1; }
  int sampleOfPosition(int position) const;

  // "t = 12.34 s  RPM = 4321 rpm  U = 13.8 V" for the chosen channels.
  std::string readout(int sample, const std::vector<LogChannel>& channels) const;

 private:
  int m_initial = 1;
  std::vector<uint32_t> m_time;
  std::vector<int> m_record;  // index of each sample's record in the file
  std::array<std::vector<double>, kLogChannels> m_values;
  std::array<double, kLogChannels> m_min{}, m_max{};
};

}  // namespace q3
