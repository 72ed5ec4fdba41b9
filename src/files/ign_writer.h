// The settings-file writer: renders the parameter image as keyword lines and
// puts the text on disk in one piece.
#pragma once

#include <string>

#include "params/param_image.h"

namespace q3 {

// What the file carries besides the image.
struct IgnWriteInfo {
  // Program date, time and version of the unit as shown on the Bike page (UTF-8).
  std::string hexDate, hexTime, hexVersion;
  // This program's build date "Mmm dd yyyy" and time "hh:mm:ss".
  std::string exeDate = ignBuildDate();
  std::string exeTime = ignBuildTime();
  // The dwell calibration lines are written only while a port is open.
  bool portOpen = false;
  int monCalib[3] = {0, 0, 0};  // monitor bytes 114, 123, 124

  static std::string ignBuildDate();
  static std::string ignBuildTime();
};

// The file text with "\n" line breaks and the version texts in Windows-1250.
std::string renderIgn(const ParamImage& img, const IgnWriteInfo& info);

// Writes text to path with CR LF line breaks. The text goes to a temporary
// file beside the target, which replaces the target only when complete; on
// any failure the old file is left untouched, false is returned and why (when
// given) names the cause.
bool writeIgnText(const std::string& path, const std::string& text, std::string* why = nullptr);

// UTF-8 to Windows-1250; characters without a place in the code page become "?".
std::string toCp1250(const std::string& utf8);

}  // namespace q3
