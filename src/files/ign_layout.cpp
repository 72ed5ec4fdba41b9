// The element lines of a settings file, in the order they are written.
#include "files/ign_layout.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace q3 {

namespace {

IgnField B(int index, int count = 1, int factor = 1, int offset = 0) {
  return {IgnFieldKind::Byte, index, count, factor, offset, false};
}
IgnField W(int index, int count = 1, int factor = 1, int offset = 0) {
  return {IgnFieldKind::Word, index, count, factor, offset, false};
}
IgnField signedField(IgnField f) {
  f.isSigned = true;
  return f;
}
const IgnField NL{IgnFieldKind::Break};

std::vector<IgnLine> buildLines() {
  std::vector<IgnLine> v = {
      {"FOUR_STROKE", {B(196)}},
      {"BASE_ADV", {B(233)}},
      {"CORR_ADVANCE", {B(238, 4, 1, -100)}},
      {"GEBER_MODE", {B(187)}},
      {"PICKUP_POLARITY", {B(172, 2)}},
      {"INPUT_NEUTRAL_SS", {B(226)}},
      {"SYNC_POLARITY", {B(512)}},
      {"PICKUPS_INTERCHANGE", {B(174)}},
      {"NO_LOBE_CHECK", {B(175)}},
      {"INTERLOCK_INPUT", {B(176)}},
      {"SPARK_BEFORE_LOBE", {B(177)}},
      {"SPECIAL_START", {B(178)}},
      {"SPECIAL_START_PERC", {B(197)}},
      {"SPECIAL_DWELL_START", {B(179)}},
      {"LIMITER", {B(202)}},
      {"START_LIM_MIN", {B(204)}},
      {"START_LIM", {B(203)}},
      {"START_LIM_DELAY", {B(205, 1, 100)}},
      {"POTENTIOMETER", {B(217), W(60)}},
      {"MAP2_ACCEL", {B(218, 1, 100)}},
      {"RETARD", {B(208)}},
      {"RPM", {signedField(B(182)), B(183, 1, 1, -100)}},
      {"DWELL", {B(209, 5), B(215)}},
      {"DUR_DISCHARG", {B(214)}},
      {"SENSOR_LAMBDA", {B(489), NL, B(490, 6), NL, W(250, 6)}},
      {"LAMBDA_BAR  ", {B(496, 4)}},
      {"LAMBDA_TACHO", {B(516, 2), NL, B(518, 2, 100)}},
      {"PROPRIETARY", {signedField(W(76, 5))}},
      {"TPSIAP_SENSOR", {B(216)}},
      {"TPS", {W(0, 2)}},
      {"IAP_SENSOR", {W(2, 4)}},
      {"SERVO_SENSOR", {B(515), NL}},
      {"ADV_MAP", {B(234)}},
      {"ADV_IAP", {W(6, 10)}},
      {"ADV_COLUMNS", {B(236)}},
      {"RPM_ADV", {B(570, 15, 100)}},
      {"ADV2_MAP", {B(235)}},
      {"ADV2_IAP", {W(16, 10)}},
      {"ADV2_COLUMNS", {B(237)}},
      {"RPM_ADV2", {B(585, 15, 100)}},
      {"SERVO_ENABLE", {B(408)}},
      {"SERVO_PERCENT", {B(409)}},
      {"SERVO_HYSTER", {B(412, 1, 5)}},
      {"SERVO_NO", {B(413)}},
      {"SERVO_MAP", {B(410)}},
      {"SERVO_IAP", {W(26, 10)}},
      {"SERVO_COLUMNS", {B(411)}},
      {"SERVO_RPM", {B(555, 15, 100)}},
  };
  IgnLine servo{"SERVO", {}};
  for (int r = 0; r < 10; ++r) {
    if (r) servo.fields.push_back(NL);
    servo.fields.push_back(B(750 + 15 * r, 15, 20));
  }
  servo.fields.push_back(NL);
  v.push_back(servo);

  // Power outputs 1..3; the spare fourth slot is read but never written.
  char kw[40];
  for (int k = 0; k < 4; ++k) {
    bool spare = k == 3;
    std::snprintf(kw, sizeof kw, "POWER_OUT%i_SP_PWM", k + 1);
    v.push_back({kw, {B(268 + k)}});
    std::snprintf(kw, sizeof kw, "POWER_OUT%i_SPWM_FR", k + 1);
    v.push_back({kw, {B(264 + k)}});
    std::snprintf(kw, sizeof kw, "POWER_OUT%i_SPULSE", k + 1);
    v.push_back({kw, {B(272 + k, 1, 5)}});
    if (spare) break;
    std::snprintf(kw, sizeof kw, "POWER_OUT%i_PWM", k + 1);
    IgnLine pwm{kw, {B(288 + 6 * k, 6, 100), NL, W(44 + 4 * k, 4)}};
    for (int r = 0; r < 4; ++r) {
      pwm.fields.push_back(NL);
      pwm.fields.push_back(B(312 + 24 * k + 6 * r, 6));
    }
    if (k == 2) pwm.fields.push_back(NL);
    v.push_back(pwm);
  }

  std::vector<IgnLine> tail = {
      {"GEAR", {B(416, 2), NL, W(68, 7), NL, W(62, 6)}},
      {"GEAR_AUTO", {B(419), B(420, 1, 100), B(421, 2)}},
      {"SPEED_PULSES", {B(418), W(61), NL}},
      {"CLUTCH_RACE", {B(425), B(432, 1, 10), B(433, 1, 10), B(434, 1, 100), B(435)}},
      {"CLUTCH_TIME", {B(426, 6, 5)}},
      {"GEAR_CORR_ADV", {B(436, 6, 1, -100)}},
      {"GEAR_CORR_LIMITER", {B(442, 6, 50, -100)}},
      {"GEAR_CORR_SERVO", {B(448, 6, 50, -100)}},
      {"GEAR_CORR_POUT", {NL, B(454, 6, 50, -100), NL, B(460, 6, 50, -100), B(520, 6, 50, -100)}},
      {"TEST_OUT", {B(486, 2)}, false},
      {"N2O", {B(470), B(474), B(475), B(477, 1, 100), B(476, 1, 100)}},
      {"N2O_RETARD", {B(478), B(479), B(481, 1, 100), B(480, 1, 100)}},
      {"N2O_RPM_MIN", {B(471, 1, 100)}},
      {"N2O_TPS_MIN", {B(472)}},
      {"N2O_REPEAT", {B(473)}},
  };
  v.insert(v.end(), tail.begin(), tail.end());
  return v;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

const std::vector<IgnLine>& ignElementLines() {
  static const std::vector<IgnLine> lines = buildLines();
  return lines;
}

const IgnLine* ignFindLine(std::string_view keyword) {
  for (const auto& l : ignElementLines())
    if (trimmed(l.keyword) == keyword) return &l;
  return nullptr;
}

int ignFileValue(const ParamImage& img, const IgnField& f, int k) {
  int s;
  if (f.kind == IgnFieldKind::Word)
    s = f.isSigned ? int(int16_t(img.word(f.index + k))) : int(img.word(f.index + k));
  else
    s = f.isSigned ? int(int8_t(img.byte(f.index + k))) : int(img.byte(f.index + k));
  return f.factor * (s + f.offset);
}

void ignStoreValue(ParamImage& img, const IgnField& f, int k, int value) {
  int64_t stored = int64_t(value) / f.factor - f.offset;
  if (f.kind == IgnFieldKind::Word) {
    img.setWord(f.index + k, int(stored & 0xFFFF));
    return;
  }
  bool ok = f.isSigned ? (stored >= -128 && stored <= 127) : (stored >= 0 && stored <= 255);
  img.setByte(f.index + k, ok ? int(stored & 0xFF) : 0);
}

int ignKeywordWidth(int len) {
  int w = 6 * ((len - 2) / 6 + 1) + 3;
  return w < 15 ? 15 : w;
}

std::string ignKeywordOfByte(int byte) {
  for (const IgnLine& line : ignElementLines()) {
    for (const IgnField& f : line.fields) {
      if (f.kind == IgnFieldKind::Break) continue;
      const int width = f.kind == IgnFieldKind::Word ? 2 : 1;
      const int first = f.index * width;
      if (byte >= first && byte < first + f.count * width) return line.keyword;
    }
  }
  return "byte " + std::to_string(byte);
}

std::vector<std::string> differingKeywords(const uint8_t* a, const uint8_t* b, int length) {
  std::vector<std::string> out;
  for (int i = 0; i < length; ++i) {
    if (a[i] == b[i]) continue;
    std::string name = ignKeywordOfByte(i);
    if (std::find(out.begin(), out.end(), name) == out.end()) out.push_back(std::move(name));
  }
  return out;
}

}  // namespace q3
