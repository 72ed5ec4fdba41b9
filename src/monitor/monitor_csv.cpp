// Monitor values as CSV.
#include "monitor/monitor_csv.h"

#include <cstdio>
#include <cstring>

#include "params/address_map.h"

namespace q3 {

std::string monitorCsvHeader() {
  return "rpm,load_mode,load,load_mv,adv1,adv2,adv3,adv4,voltage_v,dwell_ms,dwell_opt_ms,"
         "gear,speed_kmh,lambda_afr,lambda_mv,inputs,functions";
}

std::string monitorCsvRow(const MonitorBuffer& m) {
  auto adv = [&](int ch) {
    return m.byte(MonitorByte::Advance + ch) == 0 ? 0 : m.byte(MonitorByte::Advance + ch) - 100;
  };
  const int load = m.byte(MonitorByte::LoadSensor) >= 2 ? 2 : m.byte(MonitorByte::LoadSensor);
  char buf[256];
  std::snprintf(
      buf, sizeof buf, "%u,%s,%u,%u,%i,%i,%i,%i,%.1f,%.1f,%.1f,%u,%u,%.1f,%u,0x%02x,0x%02x",
      m.word(MonitorWord::EngineSpeed), load == 2 ? "IAP" : "TPS", m.word(MonitorWord::LoadValue),
      m.word(MonitorWord::LoadVoltage), adv(0), adv(1), adv(2), adv(3),
      m.word(MonitorWord::SupplyVoltage) / 1000.0, m.word(MonitorWord::Dwell) / 10.0,
      m.word(MonitorWord::DwellOpt) / 10.0, m.byte(MonitorByte::Gear), m.word(MonitorWord::Speed),
      m.byte(MonitorByte::Lambda) / 10.0, m.word(MonitorWord::LambdaVoltage),
      m.byte(MonitorByte::InputsGrounded), m.byte(MonitorByte::FunctionStates));
  return buf;
}

std::string ignlogCsv(const IgnlogFile& file) {
  std::string out = "time_ms," + monitorCsvHeader() + "\n";
  MonitorBuffer m;
  for (const IgnlogRecord& r : file.records()) {
    if (r.type != int(IgnlogType::Monitor)) continue;
    // The record holds buffer indices 0..149; index 150 is not recorded.
    m.clear();
    std::memcpy(m.data(), file.payload(r).data(), kIgnlogMonitorLen);
    out += std::to_string(r.timeMs) + "," + monitorCsvRow(m) + "\n";
  }
  return out;
}

}  // namespace q3
