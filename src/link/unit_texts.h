// The connected unit's identification texts: decoding of its identification
// block (block 0, 150 bytes), the connection line of status panel 4 and the
// window caption.
#pragma once

#include <cstdint>
#include <string>

namespace q3 {

inline constexpr int kIdentBlockLen = 150;
inline constexpr int kProgramKeyMajor = 104;
inline constexpr int kProgramKeyMinor = 0;

// Month of a build date coded as the 8-bit sum of the ASCII codes of the
// English three-letter month name; 0 for a code that names no month.
int monthFromCode(uint8_t code);

// The texts decoded from an identification block (UTF-8).
struct UnitTexts {
  std::string unit = "Unit = --";
  std::string date = "Date = --";
  std::string time = "--:--";
  std::string productionCode;
  std::string serialNumber;
  std::string lastUpdate;
  std::string note;

  // Back to the texts shown before any unit was identified.
  void reset() { *this = UnitTexts(); }
  // Fills every text from a 150-byte identification block.
  void decode(const uint8_t* block);
};

// The single fields, usable on their own.
std::string decodeUnitName(const uint8_t* block);
std::string decodeBuildDate(const uint8_t* block);
std::string decodeSerialNumber(const uint8_t* block);
std::string decodeLastUpdate(const uint8_t* block);
std::string decodeNote(const uint8_t* block);

// Status panel 4. versionState: 0 not connected, 1 versions differ, 2 versions match.
std::string connectionLine(int versionState, const std::string& versionText, const UnitTexts& t);

// The main window's caption. fileName is shown while the image is unchanged
// since it was loaded or saved (pass an empty name otherwise); released adds
// the note that the port is lent to the bootloader tool, in the current language.
std::string windowCaption(const std::string& fileName, bool released);

// Text bytes of the unit (Windows-1250) as UTF-8; stops at the first NUL.
std::string unitBytesToUtf8(const uint8_t* bytes, int maxLen);

}  // namespace q3
