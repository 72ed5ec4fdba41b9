// The monitor values of a recording over time.
#include "monitor/ignlog_series.h"

#include <algorithm>
#include <cstring>

#include "monitor/monitor_items.h"
#include "params/address_map.h"
#include "params/param_model.h"

namespace q3 {

namespace {
constexpr LogChannelInfo kInfo[kLogChannels] = {
    {"rpm", "RPM", "rpm", 0},
    {"load", "Load", "", 0},
    {"voltage_v", "U", "V", 1},
    {"adv1", "Advance 1", "°", 0},
    {"dwell_ms", "Dwell", "ms", 1},
    {"lambda_afr", "Lambda", "AFR", 1},
    {"speed_kmh", "Speed", "km/h", 0},
    {"gear", "Gear", "", 0},
    {"accel", "Acceleration", "rpm/s", 0},
};

double channelValue(LogChannel c, const MonitorBuffer& m) {
  switch (c) {
    case LogChannel::Rpm:
      return m.word(MonitorWord::EngineSpeed);
    case LogChannel::Load:
      return m.word(MonitorWord::LoadValue);
    case LogChannel::Voltage:
      return m.word(MonitorWord::SupplyVoltage) / 1000.0;
    case LogChannel::Advance1:
      return m.byte(MonitorByte::Advance) == 0 ? 0 : m.byte(MonitorByte::Advance) - 100;
    case LogChannel::Dwell:
      return m.word(MonitorWord::Dwell) / 10.0;
    case LogChannel::Lambda:
      return m.byte(MonitorByte::Lambda) / 10.0;
    case LogChannel::Speed:
      return m.word(MonitorWord::Speed);
    case LogChannel::Gear:
      return m.byte(MonitorByte::Gear);
    case LogChannel::Acceleration:
    case LogChannel::Count:
      break;
  }
  return m.word(MonitorWord::Acceleration);
}
}  // namespace

const LogChannelInfo& logChannelInfo(LogChannel c) { return kInfo[int(c)]; }

IgnlogSeries::IgnlogSeries(const IgnlogFile& file) : m_initial(file.header.initial) {
  MonitorBuffer m;
  for (int i = 0; i < file.size(); ++i) {
    const IgnlogRecord& r = file.records()[size_t(i)];
    if (r.type != int(IgnlogType::Monitor)) continue;
    m.clear();
    std::memcpy(m.data(), file.payload(r).data(), kIgnlogMonitorLen);
    m_time.push_back(r.timeMs);
    m_record.push_back(i);
    for (int c = 0; c < kLogChannels; ++c)
      m_values[size_t(c)].push_back(channelValue(LogChannel(c), m));
  }
  for (int c = 0; c < kLogChannels; ++c) {
    const auto& v = m_values[size_t(c)];
    if (v.empty()) continue;
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    m_min[size_t(c)] = *lo;
    m_max[size_t(c)] = *hi;
  }
}

int IgnlogSeries::sampleAt(uint32_t t) const {
  // Recorded times rise; a damaged file whose times do not still gets an answer.
  if (std::is_sorted(m_time.begin(), m_time.end()))
    return int(std::upper_bound(m_time.begin(), m_time.end(), t) - m_time.begin()) - 1;
  int found = -1;
  for (int s = 0; s < samples(); ++s)
    if (m_time[size_t(s)] <= t) found = s;
  return found;
}

int IgnlogSeries::sampleOfPosition(int position) const {
  const int lastRecord = m_initial + position - 1;
  return int(std::upper_bound(m_record.begin(), m_record.end(), lastRecord) - m_record.begin()) - 1;
}

std::string IgnlogSeries::readout(int sample, const std::vector<LogChannel>& channels) const {
  if (sample < 0 || sample >= samples()) return {};
  std::string out = monitem::fmt("t = %.2f s", timeMs(sample) / 1000.0);
  for (LogChannel c : channels) {
    const LogChannelInfo& i = logChannelInfo(c);
    out += monitem::fmt("  %s = %.*f%s%s", i.caption, i.decimals, value(c, sample),
                        *i.unit ? " " : "", i.unit);
  }
  return out;
}

}  // namespace q3
