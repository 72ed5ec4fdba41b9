// The settings the program keeps between runs (application.ini, section
// FORM_HLAV), the image dump default.ini, the service-mode file, the language
// codes and the command-line rules.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/key_file.h"

namespace q3 {

inline constexpr int kImageBytes = 1050;
using ImageBytes = std::array<uint8_t, kImageBytes>;
inline constexpr int kHistoryEntries = 10;
inline constexpr const char* kSettingsSection = "FORM_HLAV";

struct WindowRect {
  int left = 0, top = 0, width = 0, height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool operator==(const WindowRect&) const = default;
};

// Everything of section FORM_HLAV. Loading starts from the program's current
// state (each missing key keeps the value held here).
struct AppSettings {
  WindowRect rect;
  int newInstal = 1;
  int comPort = 0;
  int comPortAuto = 0;
  int language = 0;  // 0 English, 1 German, 2 Czech (stored as code 0, 1, 3)
  std::u16string file;
  std::u16string iniFileDir;
  int activePage = 0;
  bool monitorPlayer = false;
  std::vector<std::u16string> history;  // most recent first, at most 10
  // The highest update number the user asked not to be reminded of
  // (DeclinedUpdate, written only when not 0).
  int declinedUpdate = 0;

  // Reads the keys in their load order. Missing keys keep the current values;
  // the defaults of NEWINSTAL, ComPort, File and MONITORPLAYER are fixed.
  void readFrom(const KeyFile& kf);
  // Writes the keys in their save order; history keys beyond the entries held
  // are removed so that a shortened history does not come back.
  void writeTo(KeyFile& kf) const;
};

// File names in the key file: characters above U+00FF become "\xHHHH",
// a backslash is doubled, everything else is its low byte.
std::string encodeFileName(const std::u16string& name);
// The reverse, with old plain paths ("\\host..." or "C:\...") taken literally.
std::u16string decodeFileName(const std::string& value);

// default.ini: 1050 values "%5u ", a line break after every 10th value and an
// empty line after every 100th.
std::string formatImageDump(const uint8_t* image, int len);
// Reads white-space separated numbers into image from index 0 (at most len);
// returns how many were read; the rest of the image is left as it was.
int parseImageDump(const std::string& text, uint8_t* image, int len);
bool readImageDump(const std::string& path, uint8_t* image, int len);
bool writeImageDump(const std::string& path, const uint8_t* image, int len);

// The service-mode file: TEST_ENABLE switches service mode on, TEST_COM n
// sets the test port.
struct ServiceMode {
  bool enabled = false;
  int testCom = 0;
};
ServiceMode parseServiceMode(const std::string& text);
ServiceMode readServiceModeFile(const std::string& path);

// The first command-line argument: "ENGLISH", "DEUTSCH", "CESKY" set the
// language, "nopatchcheck" suppresses the update check. Case-sensitive; only
// the first argument counts.
struct CommandLineEffect {
  int language;  // the language after the argument (unchanged when none given)
  bool noPatchCheck = false;
};
CommandLineEffect applyCommandLine(const std::vector<std::string>& args, int currentLanguage);

}  // namespace q3
