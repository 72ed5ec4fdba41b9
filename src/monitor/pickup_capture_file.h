// A pickup capture on disk: one sample block with its state, period selector
// and the monitor's engine speed, saved from the pickup monitor and opened
// again later (also without a unit), and the samples exported as CSV.
//
// The capture file is text:
//   QUELIN3 PICKUP CAPTURE 1
//   STATE=1
//   PERIOD=1
//   MONITOR_RPM=6000
//   SAMPLES=3
//   0x05000000 0x0500186a 0x010030d4
// (samples as 32-bit hexadecimal words, any white space between them).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "monitor/pickup_block.h"

namespace q3 {

struct PickupFileWarning {
  int line;  // 1-based
  std::string detail;
};

struct PickupFileResult {
  bool ok = false;
  std::string error;  // why the file was not accepted
  PickupBlock block;
  std::vector<PickupFileWarning> warnings;
};

inline constexpr const char* kPickupCaptureHeader = "QUELIN3 PICKUP CAPTURE 1";
// Files larger than this are not read.
inline constexpr size_t kPickupCaptureMaxBytes = 1 << 20;

std::string formatPickupCapture(const PickupBlock& block);
PickupFileResult parsePickupCapture(std::string_view text);
bool savePickupCapture(const std::string& path, const PickupBlock& block);
PickupFileResult loadPickupCapture(const std::string& path);

// The samples as CSV, one line each: the time in microseconds since the
// first sample (across the wraps of the time stamp), the phase field, the
// levels of both signals and the four ignition outputs.
std::string pickupCsv(const PickupBlock& block);
bool savePickupCsv(const std::string& path, const PickupBlock& block);

}  // namespace q3
