// Default values: general defaults per page, trigger-system presets of the
// preset bikes, power-output and lambda defaults, and ApplyDefaults.
#include <array>
#include <initializer_list>
#include <utility>

#include "params/address_map.h"
#include "params/param_model.h"

namespace q3 {

namespace {

constexpr int kAdvRpm[15] = {1500, 2000, 2500, 3000,  3500,  4000,  5000, 6000,
                             7000, 8000, 9000, 10000, 11000, 12000, 14000};
constexpr int kAdvRow[15] = {8, 8, 8, 12, 20, 23, 28, 33, 35, 35, 35, 35, 35, 35, 35};
constexpr int kLoadAxis[10] = {30, 50, 60, 70, 75, 80, 85, 90, 95, 100};
constexpr int kServoRpm19[15] = {300,  400,  4100, 4600, 6500, 6700, 7000, 7200,
                                 7500, 7900, 8300, 8600, 8800, 9000, 10500};
constexpr int kServoRow19[15] = {600,  900,  900,  1220, 1220, 1240, 1290, 1320,
                                 1360, 1480, 1610, 1720, 1800, 1860, 1860};
constexpr int kServoRpm[15] = {1000,  2000,  3000,  4000,  6000,  7000,  8000, 9000,
                               10000, 11000, 12000, 13000, 14000, 15000, 16000};
constexpr int kServoRow[15] = {2000, 2100, 2200, 2300, 2400, 2450, 2500, 2550,
                               2600, 2650, 2700, 2750, 2800, 2850, 2900};
constexpr int kIapCal[4] = {55, 2305, 105, 3756};
constexpr int kGearVoltage[7] = {5000, 1797, 2260, 2998, 3662, 4360, 4687};
constexpr int kGearRatio[6] = {2000, 1000, 666, 500, 400, 333};

// Trigger-system preset of one bike: (byte, value) pairs, applied in order.
struct Preset {
  int bike;
  int asBike;  // -1, or the bike whose preset is applied first
  std::initializer_list<std::pair<int, int>> bytes;
};

// Byte names used by the preset rows.
constexpr int P172 = ImageByte::PickupPolarity1, P174 = ImageByte::PickupsInterchange,
              P175 = ImageByte::NoLobeCheck, P178 = ImageByte::SpecialStart,
              P184 = ImageByte::PickupSystem, P185 = ImageByte::Lobes, P186 = ImageByte::Channels,
              P187 = ImageByte::LobesPerRev;
constexpr int S1 = ImageByte::EdgeStart, S2 = S1 + 1, S3 = S1 + 2, S4 = S1 + 3;
constexpr int E1 = ImageByte::EdgeEnd, E2 = E1 + 1, E3 = E1 + 2, E4 = E1 + 3;

// clang-format off
const Preset kPresets[] = {
    {0, -1, {{P184, 1}, {P185, 3}, {P186, 2}, {S1, 1}, {E1, 65}, {S2, 2}, {E2, 66}}},
    {1, -1, {{P184, 4}, {P185, 7}, {P186, 2}, {S1, 2}, {E1, 67}, {S2, 6}, {E2, 71}}},
    {2, -1, {{P184, 3}, {P185, 9}, {P186, 2}, {S1, 1}, {E1, 67}, {S2, 7}, {E2, 73}}},
    {3, -1, {{P184, 3}, {P185, 9}, {P186, 2}, {S1, 6}, {E1, 7}, {S2, 8}, {E2, 9}}},
    {4, -1, {{P184, 4}, {P185, 7}, {P186, 2}, {S1, 4}, {E1, 5}, {S2, 6}, {E2, 7}}},
    {5, -1, {{P184, 4}, {P185, 7}, {P186, 2}, {S1, 65}, {E1, 66}, {S2, 197}, {E2, 198}}},
    {6, -1, {{P184, 4}, {P185, 7}, {P186, 2}, {S1, 3}, {E1, 68}, {S2, 4}, {E2, 69}}},
    {7, -1, {{P184, 0}, {P185, 1}, {P186, 2}, {S1, 1}, {E1, 65}, {S2, 129}, {E2, 193},
             {S3, 129}, {E3, 193}, {S4, 1}, {E4, 65}}},
    {8, -1, {{P184, 3}, {P185, 4}, {P186, 2}, {S1, 1}, {E1, 2}, {S2, 3}, {E2, 4}}},
    {9, -1, {{P184, 2}, {P185, 6}, {P186, 2}, {S1, 1}, {E1, 2}, {S2, 4}, {E2, 5}}},
    {10, -1, {{P184, 2}, {P185, 6}, {P186, 2}, {S1, 2}, {E1, 3}, {S2, 5}, {E2, 6}}},
    {11, -1, {{P184, 2}, {P185, 4}, {S1, 4}, {E1, 1}, {S2, 2}, {E2, 3}, {P186, 2}}},
    {12, -1, {{P184, 2}, {P185, 4}, {P186, 2}, {S1, 4}, {E1, 1}, {S2, 1}, {E2, 2}}},
    {13, -1, {{P184, 3}, {P185, 4}, {P186, 2}, {S1, 2}, {E1, 3}, {S2, 3}, {E2, 4}}},
    {14, -1, {{P184, 2}, {P185, 4}, {P186, 2}, {S1, 3}, {E1, 4}, {S2, 2}, {E2, 3}}},
    {15, -1, {{P184, 2}, {P185, 4}, {P186, 2}, {S1, 3}, {E1, 4}, {S2, 4}, {E2, 1}}},
    {16, -1, {{P184, 3}, {P185, 2}, {P186, 2}, {S1, 1}, {E1, 65}, {S2, 2}, {E2, 66}}},
    {17, -1, {{P184, 4}, {P185, 2}, {P186, 2}, {S1, 2}, {E1, 193}, {S2, 193}, {E2, 194}}},
    {18, -1, {{P184, 2}, {P185, 8}, {P186, 2}, {S1, 3}, {E1, 4}, {S2, 7}, {E2, 8}}},
    {19, -1, {{P184, 2}, {P185, 4}, {P186, 2}, {S1, 3}, {E1, 4}, {S2, 1}, {E2, 2}}},
    {20, -1, {{P184, 1}, {P185, 5}, {P186, 2}, {S1, 65}, {E1, 66}, {S2, 67}, {E2, 68}}},
    {21, -1, {{P184, 2}, {P185, 4}, {S1, 4}, {E1, 1}, {S2, 2}, {E2, 3}, {P186, 1}, {P178, 1}}},
    {23, -1, {{P184, 1}, {P185, 4}, {P186, 3}, {S1, 1}, {E1, 65}, {S2, 2}, {E2, 66}, {S3, 3},
              {E3, 67}}},
    {24, -1, {{P184, 4}, {P185, 11}, {P186, 4}, {S1, 68}, {E1, 69}, {S2, 71}, {E2, 72}, {S3, 74},
              {E3, 75}, {S4, 65}, {E4, 66}}},
    {25, -1, {{P184, 1}, {P185, 7}, {P186, 4}, {S1, 65}, {E1, 66}, {S2, 66}, {E2, 67}, {S3, 68},
              {E3, 69}, {S4, 69}, {E4, 70}}},
    {26, -1, {{P184, 5}, {P185, 7}, {P186, 3}, {S1, 2}, {E1, 3}, {S2, 4}, {E2, 5}, {S3, 6},
              {E3, 1}}},
    {27, -1, {{P184, 2}, {P185, 4}, {P186, 4}, {S1, 4}, {E1, 1}, {S2, 2}, {E2, 3}, {S3, 2},
              {E3, 3}, {S4, 4}, {E4, 1}}},
    {28, 7, {{P187, 2}}},
    {29, 7, {{P187, 3}, {P186, 1}}},
    {30, 7, {{P187, 0}}},
    {31, -1, {{P184, 7}, {P185, 2}, {P186, 2}, {S1, 1}, {E1, 65}, {S2, 2}, {E2, 66}, {P172, 1},
              {P187, 0}}},
    {32, -1, {{P184, 8}, {P185, 46}, {P186, 2}, {S1, 82}, {E1, 87}, {S2, 100}, {E2, 105},
              {P187, 0}}},
    {33, -1, {{P184, 9}, {P185, 2}, {P186, 3}, {S1, 1}, {E1, 65}, {S2, 129}, {E2, 193},
              {S3, 130}, {E3, 194}}},
    {34, -1, {{P184, 10}, {P185, 4}, {P186, 3}, {S1, 2}, {E1, 66}, {S2, 3}, {E2, 67}, {S3, 4},
              {E3, 68}}},
    {35, -1, {{P184, 9}, {P185, 4}, {P186, 3}, {S1, 1}, {E1, 2}, {S2, 129}, {E2, 130},
              {S3, 131}, {E3, 132}}},
    {36, -1, {{P184, 12}, {P185, 44}, {P174, 1}, {S1, 90}, {E1, 93}, {S2, 102}, {E2, 105},
              {S3, 80}, {E3, 83}, {S4, 68}, {E4, 71}, {P186, 4}, {P187, 0}}},
    {37, -1, {{P184, 12}, {P185, 46}, {P174, 1}, {S1, 91}, {E1, 94}, {S2, 103}, {E2, 106},
              {S3, 80}, {E3, 83}, {S4, 68}, {E4, 71}, {P186, 4}, {P187, 0}}},
    {38, -1, {{P184, 13}, {P185, 18}, {P186, 1}, {S1, 79}, {E1, 91}}},
    {39, -1, {{P184, 14}, {P185, 116}, {P186, 4}, {S1, 198}, {E1, 205}, {S2, 106}, {E2, 113},
              {S3, 228}, {E3, 235}, {S4, 76}, {E4, 83}, {P187, 0}}},
    {40, -1, {{P184, 16}, {P185, 1}, {P186, 1}, {S1, 1}, {E1, 65}, {P172, 1}, {P187, 2}}},
    {41, -1, {{P175, 0}, {P184, 17}, {P185, 4}, {P186, 2}, {S1, 66}, {E1, 67}, {S2, 194},
              {E2, 195}, {P187, 1}}},
    {42, -1, {{P175, 0}, {P184, 18}, {P185, 6}, {P186, 1}, {S1, 66}, {E1, 67}, {S2, 194},
              {E2, 195}, {P187, 1}}},
    {43, -1, {{P184, 20}, {P185, 30}, {P186, 4}, {S1, 30}, {E1, 65}, {S2, 14}, {E2, 81},
              {S3, 14}, {E3, 81}, {S4, 30}, {E4, 65}}},
};
// clang-format on

const Preset* findPreset(int bike) {
  for (const Preset& p : kPresets)
    if (p.bike == bike) return &p;
  return nullptr;
}

void applyPresetBytes(ParamImage& img, const Preset& p) {
  if (p.asBike >= 0)
    if (const Preset* base = findPreset(p.asBike)) applyPresetBytes(img, *base);
  for (const auto& [index, value] : p.bytes) img.setByte(index, value);
}

void storeTable(ParamImage& img, int base, const int* values, int n, int divisor, int add) {
  for (int i = 0; i < n; ++i) img.setByte(base + i, values[i] / divisor + add);
}

void storeWords(ParamImage& img, int base, const int* values, int n) {
  for (int i = 0; i < n; ++i) img.setWord(base + i, values[i]);
}

void storeRows(ParamImage& img, int base, const int* row, int divisor, int add) {
  for (int r = 0; r < kMapRows; ++r)
    storeTable(img, base + r * kMapColumns, row, kMapColumns, divisor, add);
}

void storeThreeBytes(ParamImage& img, int base, int a, int b, int c) {
  img.setByte(base, a);
  img.setByte(base + 1, b);
  img.setByte(base + 2, c);
}

int defaultRpmPulses(int bike, int current) {
  if (bike == 4) return 4;
  if ((bike >= 7 && bike <= 14) || bike == 21 || bike == 23 || bike == 26 ||
      (bike >= 28 && bike <= 30) || (bike >= 34 && bike <= 38))
    return 1;
  if (bike == 22 || bike >= 41) return current;
  return 2;
}

}  // namespace

void applyPowerOutputFunctionDefaults(ParamImage& img, int k, bool full) {
  if (k < 0 || k >= kPowerOutputs) return;
  const int f = img.byte(ImageByte::PoutFunction + k);
  const int thr = ImageByte::PoutThreshold + 3 * k, cond = ImageByte::PoutCondition + 3 * k;
  const bool plain = f == 0 || f == 1 || f == 255;
  if (f != 2 && f != 3 && !plain) return;
  if (full || plain) {
    if (f == 2)
      storeThreeBytes(img, thr, 90, 95, 140);
    else
      storeThreeBytes(img, thr, 40, 125, 140);
    img.setWord(ImageWord::PoutWords + 2 * k, 75);
    img.setWord(ImageWord::PoutWords + 2 * k + 1, 90);
    img.setByte(ImageByte::PoutFurther + k, 10);
  }
  if (f == 2)
    storeThreeBytes(img, cond, 12, 14, 14);
  else if (f == 3)
    storeThreeBytes(img, cond, 14, 12, 12);
  else
    storeThreeBytes(img, cond, 2, 2, 2);
}

void applyLambdaCurve(ParamImage& img, int sensorType) {
  static constexpr int kWords0[6] = {900, 840, 760, 100, 10, 0};
  static constexpr int kWordsOther[6] = {0, 1250, 1875, 3125, 3750, 5000};
  const int b = ImageByte::LambdaCurveBytes;
  img.setByte(b, 100);
  img.setByte(b + 3, 150);
  img.setByte(b + 4, 160);
  img.setByte(b + 5, 180);
  img.setByte(b + 1, sensorType == 0 ? 130 : 120);
  img.setByte(b + 2, sensorType == 0 ? 140 : 130);
  storeWords(img, ImageWord::LambdaCurveWords, sensorType == 0 ? kWords0 : kWordsOther, 6);
}

void ParamModel::setPageMask(int page) {
  for (int p = 0; p < kPageCount; ++p) m_mask[static_cast<std::size_t>(p)] = page < 0 || p == page;
}

void ParamModel::applyPowerOutputDefaults() {
  ParamImage& img = m_image;
  storeThreeBytes(img, ImageByte::PoutFunction, 1, 2, 0);
  for (int k = 0; k < kPowerOutputs; ++k) applyPowerOutputFunctionDefaults(img, k, true);
  static constexpr int kPwmRpm[6] = {20, 40, 60, 80, 100, 120};
  static constexpr int kPwmWords[4] = {20, 40, 60, 80};
  for (int k = 0; k < kPowerOutputs; ++k) {
    img.setByte(ImageByte::PoutPulse + k, 20);
    img.setByte(ImageByte::PoutPwmFreq + k, 10);
    img.setByte(ImageByte::PoutPwmSetting + k, 100);
    storeTable(img, ImageByte::PoutPwmRpm + 6 * k, kPwmRpm, 6, 1, 0);
    storeWords(img, ImageWord::PoutPwmWords + 4 * k, kPwmWords, 4);
    img.fillBytes(ImageByte::PoutPwmTable + 24 * k, 24, 0);
  }
}

void ParamModel::applyGeneralDefaults() {
  ParamImage& img = m_image;
  const int bike = img.byte(ImageByte::Bike);
  if (pageFlag(3)) {
    img.setByte(ImageByte::BaseAdv, 10);
    img.setByte(ImageByte::AdvMap, 0);
    img.setByte(ImageByte::Adv2Map, 0);
    storeTable(img, ImageByte::RpmAdv, kAdvRpm, kMapColumns, 100, 0);
    storeTable(img, ImageByte::RpmAdv2, kAdvRpm, kMapColumns, 100, 0);
    storeRows(img, ImageByte::Advance, kAdvRow, 1, 100);
    storeRows(img, ImageByte::Advance2, kAdvRow, 1, 100);
    img.setByte(ImageByte::AdvColumns, 15);
    img.setByte(ImageByte::Adv2Columns, 15);
    img.fillBytes(ImageByte::CorrAdvance, kChannels, 100);
    storeWords(img, ImageWord::AdvIap, kLoadAxis, kMapRows);
    storeWords(img, ImageWord::Adv2Iap, kLoadAxis, kMapRows);
  }
  if (pageFlag(1)) {
    img.setByte(ImageByte::PickupPolarity1, 2);
    img.setByte(ImageByte::PickupPolarity2, 2);
    for (int b : {ImageByte::PickupsInterchange, ImageByte::NoLobeCheck, ImageByte::SparkBeforeLobe,
                  ImageByte::SpecialStart, ImageByte::SpecialDwellStart, ImageByte::FourStroke,
                  ImageByte::SpecialStartPerc, ImageByte::SyncPolarity})
      img.setByte(b, 0);
    img.setByte(ImageByte::RpmCorrection, 100);
    img.setByte(ImageByte::RevWoIgnition, img.byte(ImageByte::PickupSystem) == 0 ? 1 : 0);
    img.setByte(ImageByte::Compensation, 6);
    img.setByte(ImageByte::RpmPulses, defaultRpmPulses(bike, img.byte(ImageByte::RpmPulses)));
  }
  if (pageFlag(0)) {
    img.setByte(ImageByte::Limiter, 110);
    img.setByte(ImageByte::StartLim, 100);
    img.setByte(ImageByte::StartLimMin, 50);
    img.setByte(ImageByte::StartLimDelay, 0);
    img.setByte(ImageByte::Retard, 6);
    img.setByte(ImageByte::DwellMode, 1);
    img.setByte(ImageByte::DwellTime, 30);
    img.setByte(ImageByte::DwellCor, 100);
    img.setByte(ImageByte::DwellDyn, 12);
    img.setByte(ImageByte::DwellMaxTime, 100);
    img.setByte(ImageByte::DwellMaxRpmLobe, 9);
    img.setByte(ImageByte::DurDischarge, 20);
    img.fillBytes(ImageByte::InputFunction, 6, 0);
    img.setByte(ImageByte::InputInverse, 0);
    img.setByte(ImageByte::InputNeutralSs, bike == 2 ? 1 : 0);
  }
  if (pageFlag(2)) {
    img.setWord(ImageWord::TpsLow, 700);
    img.setWord(ImageWord::TpsHigh, 3790);
    storeWords(img, ImageWord::IapCal, kIapCal, 4);
    img.setByte(ImageByte::TpsIapSensor, 0);
    img.setByte(ImageByte::ServoSensor, 0);
  }
  if (pageFlag(5)) {
    img.setByte(ImageByte::ServoEnable, 0);
    img.setByte(ImageByte::ServoPercent, 0);
    img.setByte(ImageByte::ServoHyster, 20);
    img.setByte(ImageByte::ServoNo, 0);
    storeTable(img, ImageByte::ServoRpm, bike == 19 ? kServoRpm19 : kServoRpm, kMapColumns, 100, 0);
    storeRows(img, ImageByte::Servo, bike == 19 ? kServoRow19 : kServoRow, 20, 0);
    img.setByte(ImageByte::ServoColumns, 15);
    storeWords(img, ImageWord::ServoIap, kLoadAxis, kMapRows);
  }
  if (pageFlag(4)) applyPowerOutputDefaults();
  if (pageFlag(6)) {
    img.setByte(ImageByte::GearSystem, 0);
    img.setByte(ImageByte::GearCount, 6);
    storeWords(img, ImageWord::GearVoltage, kGearVoltage, 7);
    storeWords(img, ImageWord::GearRatio, kGearRatio, 6);
    img.setByte(ImageByte::GearAutoTime, 3);
    img.setByte(ImageByte::GearAutoRpm, 15);
    img.setByte(ImageByte::GearAutoTps, 20);
    img.setByte(ImageByte::GearAutoBand, 40);
    img.setByte(ImageByte::SpeedMode, 0);
    img.setWord(ImageWord::SpeedPulses, 1000);
  }
  if (pageFlag(7)) {
    img.fillBytes(ImageByte::ClutchTime, 6, 20);
    img.fillBytes(ImageByte::GearCorrAdv, 6, 100);
    img.fillBytes(ImageByte::GearCorrLimiter, 6, 100);
    img.fillBytes(ImageByte::GearCorrServo, 6, 100);
    img.fillBytes(ImageByte::GearCorrPout, 12, 100);
    img.fillBytes(ImageByte::GearCorrPout2, 6, 100);
    img.setByte(ImageByte::ClutchMode, 0);
    img.setByte(ImageByte::ClutchPause1, 0);
    img.setByte(ImageByte::ClutchPause2, 13);
    img.setByte(ImageByte::ClutchMinRpm, 20);
    img.setByte(ImageByte::ClutchAdv, 0);
  }
  if (pageFlag(8)) {
    const std::pair<int, int> n2o[] = {
        {ImageByte::N2oEnable, 0},  {ImageByte::N2oGas1, 20},    {ImageByte::N2oGas2, 60},
        {ImageByte::N2oGasD, 20},   {ImageByte::N2oGasT, 30},    {ImageByte::N2oRetard1, 0},
        {ImageByte::N2oRetard2, 0}, {ImageByte::N2oRetardD, 20}, {ImageByte::N2oRetardT, 30},
        {ImageByte::N2oRpmMin, 50}, {ImageByte::N2oTpsMin, 85},  {ImageByte::N2oRepeat, 10}};
    for (const auto& [b, v] : n2o) img.setByte(b, v);
  }
  if (pageFlag(9)) {
    img.setByte(ImageByte::TestOut, 50);
    img.setByte(ImageByte::TestOut + 1, 50);
  }
  // Lines that apply whatever the page mask.
  static constexpr int kInputs[6] = {11, 10, 3, 1, 6, 2};
  storeTable(img, ImageByte::InputFunction, kInputs, 6, 1, 0);
  img.setByte(ImageByte::PotFunction, 0);
  img.setWord(ImageWord::PotRange, 0);
  img.setByte(ImageByte::Map2Accel, 100);
  img.setByte(ImageByte::LambdaSensor, 0);
  applyLambdaCurve(img, 0);
  static constexpr int kBars[4] = {100, 120, 140, 180};
  storeTable(img, ImageByte::LambdaBar, kBars, 4, 1, 0);
  static constexpr int kTacho[4] = {100, 200, 10, 120};
  storeTable(img, ImageByte::LambdaTachoAxis, kTacho, 4, 1, 0);
  img.fillWords(ImageWord::Proprietary, 5, 0);
}

void ParamModel::applyEdgeReset() {
  if (m_image.byte(ImageByte::Bike) == 255) return;
  if (pageFlag(1)) {
    m_image.fillBytes(ImageByte::EdgeStart, 2 * kChannels, 0);
    m_image.setByte(ImageByte::SecondTurn, 0);
  }
  if (pageFlag(0)) m_image.setByte(ImageByte::LobesPerRev, 1);
}

void ParamModel::applyBikePreset() {
  const int bike = m_image.byte(ImageByte::Bike);
  const Preset* p = findPreset(bike);
  if (!p) return;
  // The two camshaft systems are always set up completely; other bikes only
  // when the Bike page takes defaults.
  if (pageFlag(1) || bike == 36 || bike == 37) applyPresetBytes(m_image, *p);
  if (bike == 19 && pageFlag(5)) m_image.setByte(ImageByte::ServoEnable, 1);
}

void ParamModel::applyDefaults(int page) {
  m_image.setByte(ImageByte::ForeignMark, 0);
  setPageMask(page);
  if (!(m_image.byte(ImageByte::Bike) == 255 && m_bikeChoice)) applyGeneralDefaults();
  applyEdgeReset();
  applyBikePreset();
  if (pageFlag(1)) {
    const int ch = m_image.byte(ImageByte::Channels);
    if (ch == 0) m_image.setByte(ImageByte::Channels, 1);
    if (ch > 4) m_image.setByte(ImageByte::Channels, 4);
  }
  m_bikeChoice = false;
  if (m_hooks.pagesNeedLayout) m_hooks.pagesNeedLayout();
}

}  // namespace q3
