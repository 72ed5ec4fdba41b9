// Settings keys, file-name encoding, the image dump and the service-mode file.
#include "base/app_settings.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "text/mstring.h"

namespace q3 {

namespace {
std::string historyKey(int i) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "MenuHistory%02i", i);
  return buf;
}
bool readWhole(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  out = ss.str();
  return true;
}
int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
}  // namespace

std::string encodeFileName(const std::u16string& name) {
  std::string out;
  out.reserve(name.size());
  for (char16_t c : name) {
    if (c > 0xFF) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%04X", static_cast<unsigned>(c));
      out += buf;
    } else if (c == u'\\') {
      out += "\\\\";
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::u16string decodeFileName(const std::string& value) {
  const std::string v = value.size() > kMaxKeyValue ? value.substr(0, kMaxKeyValue) : value;
  auto literal = [&] {
    std::u16string out;
    for (unsigned char c : v) out += static_cast<char16_t>(c);
    return out;
  };
  // Values written by older versions hold plain paths.
  if (v.size() >= 3 && v[0] == '\\' && v[1] == '\\' && v[2] != '\\') return literal();
  if (v.size() >= 4 && isLetter(v[0]) && v[1] == ':' && v[2] == '\\' && v[3] != '\\')
    return literal();
  std::u16string out;
  for (size_t i = 0; i < v.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(v[i]);
    if (c != '\\') {
      out += static_cast<char16_t>(c);
      continue;
    }
    if (i + 1 < v.size() && v[i + 1] == '\\') {
      out += u'\\';
      ++i;
      continue;
    }
    // An escape: backslash, one letter, four hexadecimal digits.
    int code = 0;
    bool ok = i + 5 < v.size();
    for (size_t k = 2; ok && k < 6; ++k) {
      int d = hexDigit(v[i + k]);
      if (d < 0) ok = false;
      code = code * 16 + d;
    }
    if (!ok) {  // a broken escape is kept as it stands
      out += u'\\';
      continue;
    }
    out += static_cast<char16_t>(code);
    i += 5;
  }
  return out;
}

void AppSettings::readFrom(const KeyFile& kf) {
  const char* S = kSettingsSection;
  rect.left = kf.intValue(S, "Left", rect.left);
  rect.top = kf.intValue(S, "Top", rect.top);
  rect.height = kf.intValue(S, "Height", rect.height);
  rect.width = kf.intValue(S, "Width", rect.width);
  newInstal = kf.intValue(S, "NEWINSTAL", 1);
  comPort = kf.intValue(S, "ComPort", 0);
  comPortAuto = kf.intValue(S, "ComPortAuto", comPortAuto);
  language = languageFromCode(kf.intValue(S, "Language", languageCode(language)), language);
  std::string f = kf.value(S, "File").value_or("");
  file = decodeFileName(f);
  iniFileDir = decodeFileName(kf.value(S, "IniFileDir").value_or(f));
  activePage = kf.intValue(S, "PageControl1->ActivePageIndex", activePage);
  monitorPlayer = kf.intValue(S, "MONITORPLAYER", 0) != 0;
  declinedUpdate = kf.intValue(S, "DeclinedUpdate", declinedUpdate);
  history.clear();
  for (int i = 0; i < kHistoryEntries; ++i) {
    std::string v = kf.value(S, historyKey(i)).value_or("");
    if (v.empty() && i > 0) break;
    history.push_back(decodeFileName(v));
  }
}

void AppSettings::writeTo(KeyFile& kf) const {
  const char* S = kSettingsSection;
  // Keys are written afresh in their fixed order; keys of other programs'
  // making in this section are kept after them.
  std::vector<std::pair<std::string, std::string>> keep;
  if (KeyFile::Section* s = kf.section(S)) {
    static const char* known[] = {"Left",          "Top",
                                  "Height",        "Width",
                                  "ComPort",       "ComPortAuto",
                                  "Language",      "File",
                                  "IniFileDir",    "PageControl1->ActivePageIndex",
                                  "NEWINSTAL",     "MONITORPLAYER",
                                  "DeclinedUpdate"};
    for (const auto& kv : s->keys) {
      bool isKnown = kv.first.rfind("MenuHistory", 0) == 0;
      for (const char* k : known) isKnown = isKnown || kv.first == k;
      if (!isKnown) keep.push_back(kv);
    }
    s->keys.clear();
  }
  auto num = [](int v) { return std::to_string(v); };
  kf.set(S, "Left", num(rect.left));
  kf.set(S, "Top", num(rect.top));
  kf.set(S, "Height", num(rect.height));
  kf.set(S, "Width", num(rect.width));
  kf.set(S, "ComPort", num(comPort));
  kf.set(S, "ComPortAuto", num(comPortAuto));
  kf.set(S, "Language", num(languageCode(language)));
  kf.set(S, "File", encodeFileName(file));
  kf.set(S, "IniFileDir", encodeFileName(iniFileDir));
  kf.set(S, "PageControl1->ActivePageIndex", num(activePage));
  kf.set(S, "NEWINSTAL", num(newInstal));
  kf.set(S, "MONITORPLAYER", num(monitorPlayer ? 1 : 0));
  for (size_t i = 0; i < history.size() && i < kHistoryEntries; ++i)
    kf.set(S, historyKey(static_cast<int>(i)), encodeFileName(history[i]));
  if (declinedUpdate != 0) kf.set(S, "DeclinedUpdate", num(declinedUpdate));
  for (const auto& kv : keep) kf.set(S, kv.first, kv.second);
}

std::string formatImageDump(const uint8_t* image, int len) {
  std::string out;
  out.reserve(static_cast<size_t>(len) * 6 + len / 10 + len / 100 + 2);
  char buf[16];
  for (int i = 0; i < len; ++i) {
    std::snprintf(buf, sizeof buf, "%5u ", static_cast<unsigned>(image[i]));
    out += buf;
    if ((i + 1) % 10 == 0) out += '\n';
    if ((i + 1) % 100 == 0) out += '\n';
  }
  return out;
}

int parseImageDump(const std::string& text, uint8_t* image, int len) {
  const char* p = text.c_str();
  int n = 0;
  while (n < len) {
    char* end = nullptr;
    unsigned long v = std::strtoul(p, &end, 10);
    if (end == p) break;  // end of file or a word that is no number
    image[n++] = static_cast<uint8_t>(v);
    p = end;
  }
  return n;
}

bool readImageDump(const std::string& path, uint8_t* image, int len) {
  std::string text;
  if (!readWhole(path, text)) return false;
  parseImageDump(text, image, len);
  return true;
}

bool writeImageDump(const std::string& path, const uint8_t* image, int len) {
  return writeFileSafely(path, formatImageDump(image, len)).ok;
}

ServiceMode parseServiceMode(const std::string& text) {
  ServiceMode m;
  std::istringstream in(text);
  std::string w;
  while (in >> w) {
    if (w == "TEST_ENABLE") {
      m.enabled = true;
    } else if (w == "TEST_COM") {
      std::string n;
      if (in >> n) m.testCom = std::atoi(n.c_str());
    }
  }
  return m;
}

ServiceMode readServiceModeFile(const std::string& path) {
  std::string text;
  if (!readWhole(path, text)) return {};
  return parseServiceMode(text);
}

CommandLineEffect applyCommandLine(const std::vector<std::string>& args, int currentLanguage) {
  CommandLineEffect e{currentLanguage, false};
  if (args.empty()) return e;
  const std::string& a = args.front();
  if (a == "ENGLISH")
    e.language = 0;
  else if (a == "DEUTSCH")
    e.language = 1;
  else if (a == "CESKY")
    e.language = 2;
  else if (a == "nopatchcheck")
    e.noPatchCheck = true;
  return e;
}

}  // namespace q3
