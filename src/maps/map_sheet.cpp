// Value texts and number entry of the map editor.
#include "maps/map_sheet.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "text/mstring.h"

namespace q3 {

int decimalsForScale(double scale) {
  double s = std::fabs(scale);
  if (s >= 1.0 || s == 0.0 || !std::isfinite(s)) return 0;
  int d = static_cast<int>(0.99 - std::log10(s));
  return d < 0 ? 0 : (d > 9 ? 9 : d);
}

std::string valueText(int32_t raw, double scale, const char* unit) {
  int d = decimalsForScale(scale);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", d, static_cast<double>(raw) * scale);
  std::string t(buf);
  if (t == "-0" || t.rfind("-0.", 0) == 0) {
    // A negative value that rounds to zero is written without its sign.
    bool allZero = true;
    for (char c : t)
      if (c >= '1' && c <= '9') allZero = false;
    if (allZero) t.erase(0, 1);
  }
  size_t point = t.find('.');
  if (point != std::string::npos) {
    while (!t.empty() && t.back() == '0') t.pop_back();
    if (!t.empty() && t.back() == '.') t.pop_back();
  }
  // Digit groups of the integer part.
  size_t start = (!t.empty() && t[0] == '-') ? 1 : 0;
  size_t end = t.find('.');
  if (end == std::string::npos) end = t.size();
  std::string grouped = t.substr(0, start);
  size_t digits = end - start;
  for (size_t i = 0; i < digits; ++i) {
    if (i > 0 && (digits - i) % 3 == 0) grouped += ' ';
    grouped += t[start + i];
  }
  grouped += t.substr(end);
  if (unit && *unit) {
    grouped += ' ';
    grouped += unit;
  }
  return grouped;
}

std::string languageText(const std::string& text, int language) {
  if (text.empty() || text[0] != '#') return text;
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  return selectText(buffer.data(), language);
}

int32_t roundHalfAway(double v) {
  if (std::isnan(v)) return 0;
  double r = v >= 0 ? v + 0.5 : v - 0.5;
  constexpr double hi = std::numeric_limits<int32_t>::max();
  constexpr double lo = std::numeric_limits<int32_t>::min();
  if (r >= hi) return std::numeric_limits<int32_t>::max();
  if (r <= lo) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

bool parseEnteredNumber(const std::string& text, double* out) {
  std::string t;
  bool commaDone = false;
  for (char c : text) {
    if (c == ' ' || c == '\t') continue;
    if (c == ',' && !commaDone) {
      c = '.';
      commaDone = true;
    }
    t += c;
  }
  if (t.empty()) return false;
  char* end = nullptr;
  double v = std::strtod(t.c_str(), &end);
  if (end == t.c_str() || *end != '\0' || !std::isfinite(v)) return false;
  // Hexadecimal and exponent forms are not numbers a user types into a cell.
  for (char c : t)
    if (!(c == '-' || c == '+' || c == '.' || (c >= '0' && c <= '9'))) return false;
  *out = v;
  return true;
}

}  // namespace q3
