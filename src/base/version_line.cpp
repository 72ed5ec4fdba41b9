// Version line and build date.
#include "base/version_line.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace q3 {

std::string buildDateFromCompilerDate(const char* date) {
  static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  int month = 0;
  for (int i = 0; i < 12; ++i)
    if (std::strstr(date, months[i])) {
      month = i + 1;
      break;
    }
  size_t len = std::strlen(date);
  int day = len > 4 ? std::atoi(date + 4) : 0;
  // The year follows the day: at character 6 for a one-digit day, 7 otherwise.
  size_t yearAt = day < 10 ? 6 : 7;
  int year = len > yearAt ? std::atoi(date + yearAt) : 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%i_%02i_%02i", year, month, day);
  return buf;
}

std::string versionLine(const char* compilerDate) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%s   RSKEY=%i.%02i   COMPILE=%s", kProductName, kUnitTypeKey,
                kUnitTypeMinor, buildDateFromCompilerDate(compilerDate).c_str());
  return buf;
}

std::string versionLine() { return versionLine(__DATE__); }

std::string buildDate() { return buildDateFromCompilerDate(__DATE__); }

const char* buildStamp() { return __DATE__ " " __TIME__; }

}  // namespace q3
