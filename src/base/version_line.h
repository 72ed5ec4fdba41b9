// The version line of status panel 2 and the build date it carries.
#pragma once

#include <string>

namespace q3 {

inline constexpr const char* kProductName = "QUELIN3";
inline constexpr int kUnitTypeKey = 104;
inline constexpr int kUnitTypeMinor = 0;

// "Jun 21 2022" (the compiler's date form) -> "2022_06_21".
std::string buildDateFromCompilerDate(const char* date);
// "QUELIN3   RSKEY=104.00   COMPILE=2022_06_21" for the given compiler date.
std::string versionLine(const char* compilerDate);
// The version line of this build.
std::string versionLine();
// This build's date, "2022_06_21".
std::string buildDate();
// The compiler's date and time of this build, "Jun 21 2022 14:03:05".
const char* buildStamp();

}  // namespace q3
