// Checked mathematics and the error log ZAR.err.
#include "base/checked_math.h"

#include <cerrno>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "base/version_line.h"

namespace q3 {

namespace {
std::mutex g_pathMutex;
std::string g_path;  // set by main() to the data folder's ZAR.err

template <class F>
double guarded(const char* name, F f) {
  errno = 0;
  std::feclearexcept(FE_ALL_EXCEPT);
  double r = f();
  if (errno == EDOM || errno == ERANGE ||
      std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW))
    logMathError(name);
  return r;
}
}  // namespace

void setErrorLogPath(const std::string& path) {
  std::lock_guard<std::mutex> lock(g_pathMutex);
  g_path = path;
}

std::string errorLogPath() {
  std::lock_guard<std::mutex> lock(g_pathMutex);
  return g_path;
}

void appendErrorLog(const std::string& text) {
  std::time_t now = std::time(nullptr);
  std::tm lt{};
  localtime_r(&now, &lt);
  const std::string path = errorLogPath();
  if (path.empty()) return;  // no data folder decided: the entry goes to stderr only
  std::FILE* f = std::fopen(path.c_str(), "a");
  if (!f) return;
  std::fprintf(f, "<LOG TIME=%i.%i.%i %i:%i:%i KAVRO08_v%i: %s>\n", lt.tm_mday, lt.tm_mon + 1,
               lt.tm_year + 1900, lt.tm_hour, lt.tm_min, lt.tm_sec, kUnitTypeKey, text.c_str());
  std::fclose(f);
}

void logMathError(const char* function) {
  appendErrorLog(std::string("MATHERR ") + function);
  std::fprintf(stderr, "%s\n", function);
}

double checkedSqrt(double x) {
  if (x < 0 || std::isnan(x)) {
    logMathError("sqrt");
    return 1.0;
  }
  return std::sqrt(x);
}

double checkedLog(double x) {
  return guarded("log", [x] { return std::log(x); });
}
double checkedLog10(double x) {
  return guarded("log10", [x] { return std::log10(x); });
}
double checkedPow(double x, double y) {
  return guarded("pow", [x, y] { return std::pow(x, y); });
}
double checkedExp(double x) {
  return guarded("exp", [x] { return std::exp(x); });
}
double checkedAsin(double x) {
  return guarded("asin", [x] { return std::asin(x); });
}
double checkedAcos(double x) {
  return guarded("acos", [x] { return std::acos(x); });
}

}  // namespace q3
