// Rendering the image as a settings file.
#include "files/ign_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "base/safe_write.h"
#include "files/ign_layout.h"

namespace q3 {

namespace {

class Out {
 public:
  explicit Out(const ParamImage& img) : m_img(img) {}

  void value(int v) {
    char b[24];
    std::snprintf(b, sizeof b, "%5i ", v);
    m_s += b;
  }
  void keyword(const std::string& kw) {
    m_s += '\n';
    m_s += kw;
    m_s.append(size_t(ignKeywordWidth(int(kw.size())) - int(kw.size())), ' ');
  }
  void continuation() { m_s += "\n               "; }
  void fields(const std::vector<IgnField>& fs) {
    for (const auto& f : fs) {
      if (f.kind == IgnFieldKind::Break) {
        continuation();
        continue;
      }
      for (int k = 0; k < f.count; ++k) value(ignFileValue(m_img, f, k));
    }
  }
  void line(const char* kw) {
    const IgnLine* l = ignFindLine(kw);
    keyword(l->keyword);
    fields(l->fields);
  }
  void bits(int byteIndex, int count) {
    for (int b = 0; b < count; ++b) value((m_img.byte(byteIndex) >> b) & 1);
  }
  std::string& text() { return m_s; }
  const ParamImage& img() const { return m_img; }

 private:
  const ParamImage& m_img;
  std::string m_s;
};

void writeBike(Out& o) {
  const ParamImage& img = o.img();
  bool many = img.byte(184) == 14;
  o.keyword("BIKE");
  o.value(img.byte(170));
  o.continuation();
  for (int i = 184; i <= 186; ++i) o.value(img.byte(i));
  for (int ch = 0; ch < 4; ++ch) {
    for (int edge : {188 + ch, 192 + ch}) {
      int b = img.byte(edge);
      o.continuation();
      o.value(many ? ((b & 0x3F) | ((b & 0x80) >> 1)) : (b & 0x3F));
      o.value((b >> 6) & 1);
      o.value(many ? 0 : (b >> 7) & 1);
    }
  }
  o.continuation();
  o.continuation();
  o.value(img.byte(180));
  for (int k = 0; k < 4; ++k) o.value(img.byte(181));
}

void writePowerOutput(Out& o, int k) {
  const ParamImage& img = o.img();
  char kw[40];
  std::snprintf(kw, sizeof kw, "POWER_OUT%i", k + 1);
  o.keyword(kw);
  o.value(img.byte(244 + k));
  o.continuation();
  for (int i = 0; i < 3; ++i) o.value(100 * img.byte(248 + 3 * k + i));
  o.value(10 * img.byte(260 + k));
  o.continuation();
  o.value(img.word(36 + 2 * k));
  o.value(img.word(37 + 2 * k));
  for (int r = 0; r < 3; ++r) {
    o.continuation();
    o.bits(276 + 3 * k + r, 4);
  }
  for (const char* suffix : {"_SP_PWM", "_SPWM_FR", "_SPULSE", "_PWM"}) {
    std::snprintf(kw, sizeof kw, "POWER_OUT%i%s", k + 1, suffix);
    o.line(kw);
  }
}

void writeAdvanceMap(Out& o, const char* kw, int base) {
  o.keyword(kw);
  for (int r = 0; r < 10; ++r) {
    if (r) o.continuation();
    for (int c = 0; c < 15; ++c) o.value(o.img().byte(base + 15 * r + c) - 100);
  }
  o.continuation();
}

}  // namespace

std::string IgnWriteInfo::ignBuildDate() { return __DATE__; }
std::string IgnWriteInfo::ignBuildTime() { return __TIME__; }

std::string renderIgn(const ParamImage& img, const IgnWriteInfo& info) {
  Out o(img);
  char head[64];
  std::snprintf(head, sizeof head, "KORVELAN_KEY   %5i QUELIN3/QUELIN3", KORVELAN_KEY);
  o.text() = head;
  o.continuation();
  writeBike(o);
  o.line("FOUR_STROKE");
  o.keyword("FOUR_STROKE_2ND_TURN");
  o.bits(514, 4);
  for (const char* kw :
       {"BASE_ADV", "CORR_ADVANCE", "GEBER_MODE", "PICKUP_POLARITY", "INPUT_NEUTRAL_SS"})
    o.line(kw);
  for (int i = 1; i <= 6; ++i) {
    char kw[16];
    std::snprintf(kw, sizeof kw, "INPUT%i", i);
    o.keyword(kw);
    o.value(img.byte(219 + i - 1));
    o.value((img.byte(225) >> (i - 1)) & 1);
  }
  for (const char* kw : {"SYNC_POLARITY",
                         "PICKUPS_INTERCHANGE",
                         "NO_LOBE_CHECK",
                         "INTERLOCK_INPUT",
                         "SPARK_BEFORE_LOBE",
                         "SPECIAL_START",
                         "SPECIAL_START_PERC",
                         "SPECIAL_DWELL_START",
                         "LIMITER",
                         "START_LIM_MIN",
                         "START_LIM",
                         "START_LIM_DELAY",
                         "POTENTIOMETER",
                         "MAP2_ACCEL",
                         "RETARD",
                         "RPM",
                         "DWELL",
                         "DUR_DISCHARG",
                         "SENSOR_LAMBDA",
                         "LAMBDA_BAR",
                         "LAMBDA_TACHO",
                         "PROPRIETARY",
                         "TPSIAP_SENSOR",
                         "TPS",
                         "IAP_SENSOR",
                         "SERVO_SENSOR",
                         "ADV_MAP",
                         "ADV_IAP",
                         "ADV_COLUMNS",
                         "RPM_ADV"})
    o.line(kw);
  writeAdvanceMap(o, "ADVANCE", 600);
  for (const char* kw : {"ADV2_MAP", "ADV2_IAP", "ADV2_COLUMNS", "RPM_ADV2"}) o.line(kw);
  writeAdvanceMap(o, "ADVANCE2", 900);
  for (const char* kw : {"SERVO_ENABLE", "SERVO_PERCENT", "SERVO_HYSTER", "SERVO_NO", "SERVO_MAP",
                         "SERVO_IAP", "SERVO_COLUMNS", "SERVO_RPM", "SERVO"})
    o.line(kw);
  for (int k = 0; k < 3; ++k) writePowerOutput(o, k);
  for (const char* kw :
       {"GEAR", "GEAR_AUTO", "SPEED_PULSES", "CLUTCH_RACE", "CLUTCH_TIME", "GEAR_CORR_ADV",
        "GEAR_CORR_LIMITER", "GEAR_CORR_SERVO", "GEAR_CORR_POUT", "TEST_OUT", "N2O", "N2O_RETARD",
        "N2O_RPM_MIN", "N2O_TPS_MIN", "N2O_REPEAT"})
    o.line(kw);
  o.keyword("VERSIONS");
  o.text() += "\nHEX  " + toCp1250(info.hexDate) + "\t" + toCp1250(info.hexTime) + "\t" +
              toCp1250(info.hexVersion);
  o.text() += "\nEXE  " + info.exeDate + "\t" + info.exeTime;
  o.continuation();
  if (info.portOpen) {
    const char* names[3] = {"Mon_Calib_CoefEE", "Mon_Calib_CoefFLASH", "Mon_Calib_CoefNEW"};
    for (int i = 0; i < 3; ++i) {
      o.keyword(names[i]);
      o.text() += std::to_string(info.monCalib[i]);
    }
  }
  return std::move(o.text());
}

bool writeIgnText(const std::string& path, const std::string& text, std::string* why) {
  std::string disk;
  disk.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') disk += '\r';
    disk += c;
  }
  const FileWriteResult r = writeFileSafely(path, disk);
  if (!r.ok && why) *why = r.message;
  return r.ok;
}

std::string toCp1250(const std::string& utf8) {
  // Code points of bytes 0x80..0xFF of Windows-1250 (0: no character there).
  static const uint16_t kHigh[128] = {
      0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021, 0,      0x2030, 0x0160,
      0x2039, 0x015A, 0x0164, 0x017D, 0x0179, 0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0,
      0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB,
      0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6,
      0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1,
      0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A,
      0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
      0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2,
      0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED,
      0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, 0x0159,
      0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    uint32_t cp;
    int len;
    if (c < 0x80) {
      cp = c, len = 1;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F, len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F, len = 3;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07, len = 4;
    } else {
      out += '?';
      ++i;
      continue;
    }
    if (i + size_t(len) > utf8.size()) {
      out += '?';
      break;
    }
    for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += size_t(len);
    if (cp < 0x80) {
      out += char(cp);
      continue;
    }
    char repl = '?';
    for (int b = 0; b < 128; ++b)
      if (kHigh[b] == cp) repl = char(0x80 + b);
    out += repl;
  }
  return out;
}

}  // namespace q3
