// The version texts and calibration values of a saved settings file.
#include "monitor/monitor_ign_info.h"

#include "params/address_map.h"

namespace q3 {

IgnWriteInfo ignWriteInfo(const UnitTexts& shown, const MonitorBuffer& monitor, bool portOpen) {
  IgnWriteInfo info;
  info.hexDate = shown.date;
  info.hexTime = shown.time;
  info.hexVersion = shown.unit;
  info.portOpen = portOpen;
  info.monCalib[0] = monitor.byte(MonitorByte::DwellEe);
  info.monCalib[1] = monitor.byte(MonitorByte::DwellFlash);
  info.monCalib[2] = monitor.byte(MonitorByte::DwellNew);
  return info;
}

}  // namespace q3
