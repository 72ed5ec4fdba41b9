// Decoding of the identification block and the texts built from it.
#include "link/unit_texts.h"

#include <array>
#include <cstdio>
#include <ctime>

#include "text/mstring.h"

namespace q3 {
namespace {

// Upper half of the Windows-1250 code page as Unicode code points (0 = unassigned).
constexpr std::array<uint16_t, 128> kCp1250High = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021, 0,      0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};

void appendCp1250(std::string& out, uint8_t b) {
  if (b < 0x80) {
    out += static_cast<char>(b);
    return;
  }
  uint16_t cp = kCp1250High[b - 0x80];
  if (cp == 0) cp = 0xFFFD;  // a byte the code page leaves unassigned
  if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  }
  out += static_cast<char>(0x80 | (cp & 0x3F));
}

constexpr uint8_t monthCode(const char* m) { return static_cast<uint8_t>(m[0] + m[1] + m[2]); }

constexpr std::array<uint8_t, 12> kMonthCodes = {
    monthCode("Jan"), monthCode("Feb"), monthCode("Mar"), monthCode("Apr"),
    monthCode("May"), monthCode("Jun"), monthCode("Jul"), monthCode("Aug"),
    monthCode("Sep"), monthCode("Oct"), monthCode("Nov"), monthCode("Dec")};

// A field whose first byte is 0 or 255 was never written by the unit.
bool fieldPresent(uint8_t first) { return first != 0 && first != 255; }

// Two characters of a number below 100 ("07"); a blank instead of a leading
// zero when blankTens is set (" 7").
std::string twoDigits(int v, bool blankTens) {
  v %= 100;
  std::string s(2, ' ');
  if (v >= 10 || !blankTens) s[0] = static_cast<char>('0' + v / 10);
  s[1] = static_cast<char>('0' + v % 10);
  return s;
}

std::string productionCode(const uint8_t* b, const std::string& unit) {
  if (!fieldPresent(b[31]) || b[34] == 255) return {};
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02i%02i%02i%c%c", b[34], b[33], b[32], b[31] & 0x7F,
                (b[31] & 0x80) ? '+' : '_');
  std::string s;
  for (const char* p = buf; *p; ++p) appendCp1250(s, static_cast<uint8_t>(*p));
  return s + unit;
}

}  // namespace

int monthFromCode(uint8_t code) {
  for (int i = 0; i < 12; ++i)
    if (kMonthCodes[i] == code) return i + 1;
  return 0;
}

std::string unitBytesToUtf8(const uint8_t* bytes, int maxLen) {
  std::string s;
  for (int i = 0; i < maxLen && bytes[i] != 0; ++i) appendCp1250(s, bytes[i]);
  return s;
}

std::string decodeUnitName(const uint8_t* b) {
  if (b[16] != 0) return unitBytesToUtf8(b + 16, 15);
  std::string s = unitBytesToUtf8(b, 3);
  if (b[0] == 0 || b[1] == 0 || b[2] == 0) return s;  // the designation text ends early
  return s + twoDigits(b[3], false);
}

std::string decodeBuildDate(const uint8_t* b) {
  int month = monthFromCode(b[5]);
  return twoDigits(b[4], true) + "." + twoDigits(month, month != 0) + ".20" +
         twoDigits(b[6], false);
}

std::string decodeSerialNumber(const uint8_t* b) {
  if (!fieldPresent(b[39])) return {};
  if (b[46] == 255) return "none SN";
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02i%02i%02i-%02i%02i%02i-%03i%02x", b[46], b[45], b[44], b[43],
                b[42], b[41], b[40], b[39]);
  return buf;
}

std::string decodeLastUpdate(const uint8_t* b) {
  if (!fieldPresent(b[35])) return {};
  // Seconds since 1970, little-endian; dates before 1970 cannot be shown.
  int32_t v = static_cast<int32_t>(static_cast<uint32_t>(b[35]) | (uint32_t(b[36]) << 8) |
                                   (uint32_t(b[37]) << 16) | (uint32_t(b[38]) << 24));
  if (v < 0) return {};
  std::time_t t = v;
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return {};
  char buf[64];
  std::snprintf(buf, sizeof buf, "(last update: %02i.%02i.%02i-%02i:%02i:%02i)", tm.tm_mday,
                tm.tm_mon + 1, tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

std::string decodeNote(const uint8_t* b) {
  std::string s;
  bool gap = false;
  for (int i = 47; i <= 146; ++i) {
    if (b[i] == 0 || b[i] == 255) {
      gap = true;
      continue;
    }
    if (gap) s += '~';
    gap = false;
    appendCp1250(s, b[i]);
  }
  return s;
}

void UnitTexts::decode(const uint8_t* b) {
  unit = decodeUnitName(b);
  date = decodeBuildDate(b);
  time = twoDigits(b[7], false) + ":" + twoDigits(b[8], false);
  productionCode = q3::productionCode(b, unit);
  serialNumber = decodeSerialNumber(b);
  lastUpdate = decodeLastUpdate(b);
  note = decodeNote(b);
}

std::string connectionLine(int versionState, const std::string& versionText, const UnitTexts& t) {
  if (versionState == 0) return "not connected";
  if (versionState == 1) return versionText;
  const char* sep = "   ";
  if (t.productionCode.empty()) return t.unit + sep + versionText + sep + t.date + sep + t.time;
  return t.productionCode + sep + versionText + sep + "(" + t.serialNumber + ")" + sep +
         t.lastUpdate + sep + t.note;
}

std::string windowCaption(const std::string& fileName, bool released) {
  char head[48];
  std::snprintf(head, sizeof head, "  QUELIN3 (v%i)       ", kProgramKeyMajor);
  std::string s = head + fileName;
  if (released) {
    if (!fileName.empty()) s += "   ";
    s +=
        ml("###(Disconnected by bootloader)##(Von Bootloader getrennt)##"
           "(Dočasně odpojeno bootloaderem)");
  }
  return s;
}

}  // namespace q3
