// Defaults: the trigger-system preset of every bike, the general defaults
// under page masks, the edge reset and the power-output and lambda defaults.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "params/address_map.h"
#include "params/param_model.h"

using namespace q3;

namespace {

struct PresetRow {
  int bike;
  int asBike;         // applied first, -1 for none
  const char* bytes;  // "byte = value, ..."
};

// The presets written down as the workshop table reads.
// clang-format off
const PresetRow kPresetRows[] = {
      {0, -1, "184 = 1, 185 = 3, 186 = 2, 188 = 1, 192 = 65, 189 = 2, 193 = 66"},
      {1, -1, "184 = 4, 185 = 7, 186 = 2, 188 = 2, 192 = 67, 189 = 6, 193 = 71"},
      {2, -1, "184 = 3, 185 = 9, 186 = 2, 188 = 1, 192 = 67, 189 = 7, 193 = 73"},
      {3, -1, "184 = 3, 185 = 9, 186 = 2, 188 = 6, 192 = 7, 189 = 8, 193 = 9"},
      {4, -1, "184 = 4, 185 = 7, 186 = 2, 188 = 4, 192 = 5, 189 = 6, 193 = 7"},
      {5, -1, "184 = 4, 185 = 7, 186 = 2, 188 = 65, 192 = 66, 189 = 197, 193 = 198"},
      {6, -1, "184 = 4, 185 = 7, 186 = 2, 188 = 3, 192 = 68, 189 = 4, 193 = 69"},
      {7, -1, "184 = 0, 185 = 1, 186 = 2, 188 = 1, 192 = 65, 189 = 129, 193 = 193, 190 = 129, 194 = 193, 191 = 1, 195 = 65"},
      {8, -1, "184 = 3, 185 = 4, 186 = 2, 188 = 1, 192 = 2, 189 = 3, 193 = 4"},
      {9, -1, "184 = 2, 185 = 6, 186 = 2, 188 = 1, 192 = 2, 189 = 4, 193 = 5"},
      {10, -1, "184 = 2, 185 = 6, 186 = 2, 188 = 2, 192 = 3, 189 = 5, 193 = 6"},
      {11, -1, "184 = 2, 185 = 4, 188 = 4, 192 = 1, 189 = 2, 193 = 3, 186 = 2"},
      {21, -1, "184 = 2, 185 = 4, 188 = 4, 192 = 1, 189 = 2, 193 = 3, 186 = 1, 178 = 1"},
      {12, -1, "184 = 2, 185 = 4, 186 = 2, 188 = 4, 192 = 1, 189 = 1, 193 = 2"},
      {13, -1, "184 = 3, 185 = 4, 186 = 2, 188 = 2, 192 = 3, 189 = 3, 193 = 4"},
      {14, -1, "184 = 2, 185 = 4, 186 = 2, 188 = 3, 192 = 4, 189 = 2, 193 = 3"},
      {15, -1, "184 = 2, 185 = 4, 186 = 2, 188 = 3, 192 = 4, 189 = 4, 193 = 1"},
      {16, -1, "184 = 3, 185 = 2, 186 = 2, 188 = 1, 192 = 65, 189 = 2, 193 = 66"},
      {17, -1, "184 = 4, 185 = 2, 186 = 2, 188 = 2, 192 = 193, 189 = 193, 193 = 194"},
      {18, -1, "184 = 2, 185 = 8, 186 = 2, 188 = 3, 192 = 4, 189 = 7, 193 = 8"},
      {19, -1, "184 = 2, 185 = 4, 186 = 2, 188 = 3, 192 = 4, 189 = 1, 193 = 2, 408 = 1"},
      {20, -1, "184 = 1, 185 = 5, 186 = 2, 188 = 65, 192 = 66, 189 = 67, 193 = 68"},
      {23, -1, "184 = 1, 185 = 4, 186 = 3, 188 = 1, 192 = 65, 189 = 2, 193 = 66, 190 = 3, 194 = 67"},
      {24, -1, "184 = 4, 185 = 11, 186 = 4, 188 = 68, 192 = 69, 189 = 71, 193 = 72, 190 = 74, 194 = 75, 191 = 65, 195 = 66"},
      {25, -1, "184 = 1, 185 = 7, 186 = 4, 188 = 65, 192 = 66, 189 = 66, 193 = 67, 190 = 68, 194 = 69, 191 = 69, 195 = 70"},
      {26, -1, "184 = 5, 185 = 7, 186 = 3, 188 = 2, 192 = 3, 189 = 4, 193 = 5, 190 = 6, 194 = 1"},
      {27, -1, "184 = 2, 185 = 4, 186 = 4, 188 = 4, 192 = 1, 189 = 2, 193 = 3, 190 = 2, 194 = 3, 191 = 4, 195 = 1"},
      {28, 7, "187 = 2"},
      {29, 7, "187 = 3, 186 = 1"},
      {30, 7, "187 = 0"},
      {31, -1, "184 = 7, 185 = 2, 186 = 2, 188 = 1, 192 = 65, 189 = 2, 193 = 66, 172 = 1, 187 = 0"},
      {32, -1, "184 = 8, 185 = 46, 186 = 2, 188 = 82, 192 = 87, 189 = 100, 193 = 105, 187 = 0"},
      {33, -1, "184 = 9, 185 = 2, 186 = 3, 188 = 1, 192 = 65, 189 = 129, 193 = 193, 190 = 130, 194 = 194"},
      {34, -1, "184 = 10, 185 = 4, 186 = 3, 188 = 2, 192 = 66, 189 = 3, 193 = 67, 190 = 4, 194 = 68"},
      {35, -1, "184 = 9, 185 = 4, 186 = 3, 188 = 1, 192 = 2, 189 = 129, 193 = 130, 190 = 131, 194 = 132"},
      {36, -1, "184 = 12, 185 = 44, 174 = 1, 188 = 90, 192 = 93, 189 = 102, 193 = 105, 190 = 80, 194 = 83, 191 = 68, 195 = 71, 186 = 4, 187 = 0"},
      {37, -1, "184 = 12, 185 = 46, 174 = 1, 188 = 91, 192 = 94, 189 = 103, 193 = 106, 190 = 80, 194 = 83, 191 = 68, 195 = 71, 186 = 4, 187 = 0"},
      {38, -1, "184 = 13, 185 = 18, 186 = 1, 188 = 79, 192 = 91"},
      {39, -1, "184 = 14, 185 = 116, 186 = 4, 188 = 198, 192 = 205, 189 = 106, 193 = 113, 190 = 228, 194 = 235, 191 = 76, 195 = 83, 187 = 0"},
      {40, -1, "184 = 16, 185 = 1, 186 = 1, 188 = 1, 192 = 65, 172 = 1, 187 = 2"},
      {41, -1, "175 = 0, 184 = 17, 185 = 4, 186 = 2, 188 = 66, 192 = 67, 189 = 194, 193 = 195, 187 = 1"},
      {42, -1, "175 = 0, 184 = 18, 185 = 6, 186 = 1, 188 = 66, 192 = 67, 189 = 194, 193 = 195, 187 = 1"},
      {43, -1, "184 = 20, 185 = 30, 186 = 4, 188 = 30, 192 = 65, 189 = 14, 193 = 81, 190 = 14, 194 = 81, 191 = 30, 195 = 65"},
};
// clang-format on

std::vector<std::pair<int, int>> parsePairs(const char* text) {
  std::vector<std::pair<int, int>> out;
  const std::regex re(R"((\d+) = (\d+))");
  const std::string s(text);
  for (auto it = std::sregex_iterator(s.begin(), s.end(), re); it != std::sregex_iterator(); ++it)
    out.emplace_back(std::stoi((*it)[1]), std::stoi((*it)[2]));
  return out;
}

void applyRow(ParamImage& img, int bike) {
  for (const PresetRow& r : kPresetRows) {
    if (r.bike != bike) continue;
    if (r.asBike >= 0) applyRow(img, r.asBike);
    for (auto [i, v] : parsePairs(r.bytes)) img.setByte(i, v);
  }
}

// A model whose image holds a recognisable non-default pattern.
ParamModel patternModel(int bike) {
  ParamModel m;
  for (int i = 0; i < kImageSize; ++i) m.image().setByte(i, (i * 7 + 3) & 0xFF);
  m.image().setByte(ImageByte::Bike, bike);
  return m;
}

}  // namespace

TEST(BikePreset, EveryBikeSetsExactlyItsRow) {
  ASSERT_EQ(std::size(kPresetRows), 43u);  // bikes 0..43 without 22
  for (const PresetRow& r : kPresetRows) {
    SCOPED_TRACE(::testing::Message() << "bike " << r.bike);
    ParamModel m;
    m.image().setByte(ImageByte::Bike, r.bike);
    m.setPageMask(-1);
    m.applyBikePreset();
    ParamImage want;
    want.setByte(ImageByte::Bike, r.bike);
    applyRow(want, r.bike);
    for (int i = 0; i < kImageSize; ++i) EXPECT_EQ(m.image().byte(i), want.byte(i)) << "byte " << i;
  }
}

TEST(BikePreset, BikesWithoutARowChangeNothing) {
  for (int bike : {22, 44, 100, 255}) {
    ParamModel m = patternModel(bike);
    const ParamImage before = m.image();
    m.setPageMask(-1);
    m.applyBikePreset();
    EXPECT_EQ(m.image(), before) << "bike " << bike;
  }
}

TEST(BikePreset, PageMaskGuardsAllButTheCamshaftRows) {
  struct Case {
    int bike, page;
    bool applies;
    // clang-format off
  } cases[] = {
      {20, 0, false}, {20, 1, true}, {36, 0, true}, {37, 9, true}, {39, 3, false},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "bike " << c.bike << " page " << c.page);
    ParamModel m;
    m.image().setByte(ImageByte::Bike, c.bike);
    m.setPageMask(c.page);
    m.applyBikePreset();
    ParamImage want;
    want.setByte(ImageByte::Bike, c.bike);
    if (c.applies) applyRow(want, c.bike);
    EXPECT_EQ(m.image(), want);
  }
  // Bike 19: the servo part follows the Servo page, the trigger part the Bike page.
  ParamModel m;
  m.image().setByte(ImageByte::Bike, 19);
  m.setPageMask(5);
  m.applyBikePreset();
  EXPECT_EQ(m.image().byte(ImageByte::ServoEnable), 1);
  EXPECT_EQ(m.image().byte(ImageByte::PickupSystem), 0);
  m.image().setByte(ImageByte::ServoEnable, 0);
  m.setPageMask(1);
  m.applyBikePreset();
  EXPECT_EQ(m.image().byte(ImageByte::ServoEnable), 0);
  EXPECT_EQ(m.image().byte(ImageByte::PickupSystem), 2);
}

TEST(BikePreset, Bike39EdgesUseBit7AsLobe64) {
  ParamModel m;
  m.image().setByte(ImageByte::Bike, 39);
  m.applyDefaults(-1);
  m.sanitize();
  const ParamImage& img = m.image();
  EXPECT_EQ(img.byte(ImageByte::PickupSystem), 14);
  // 198 = lobe 70 (6 + bit 7 as 64) with the second-edge flag; it survives sanitising.
  const int want[8] = {198, 106, 228, 76, 205, 113, 235, 83};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(img.byte(ImageByte::EdgeStart + i), want[i]) << i;
}

TEST(Defaults, AlwaysLinesApplyUnderASinglePageMask) {
  ParamModel m = patternModel(20);
  const ParamImage before = m.image();
  m.applyDefaults(9);
  const ParamImage& img = m.image();
  // Test page.
  EXPECT_EQ(img.byte(486), 50);
  EXPECT_EQ(img.byte(487), 50);
  // Lines marked always.
  const int inputs[6] = {11, 10, 3, 1, 6, 2};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(img.byte(219 + i), inputs[i]);
  EXPECT_EQ(img.byte(217), 0);
  EXPECT_EQ(img.word(60), 0);
  EXPECT_EQ(img.byte(218), 100);
  EXPECT_EQ(img.byte(489), 0);
  const int lambdaBytes[6] = {100, 130, 140, 150, 160, 180};
  const int lambdaWords[6] = {900, 840, 760, 100, 10, 0};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(img.byte(490 + i), lambdaBytes[i]);
    EXPECT_EQ(img.word(250 + i), lambdaWords[i]);
  }
  const int bars[4] = {100, 120, 140, 180};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(img.byte(496 + i), bars[i]);
  EXPECT_EQ(img.byte(516), 100);
  EXPECT_EQ(img.byte(517), 200);
  EXPECT_EQ(img.byte(518), 10);
  EXPECT_EQ(img.byte(519), 120);
  for (int w = 76; w <= 80; ++w) EXPECT_EQ(img.word(w), 0);
  EXPECT_EQ(img.byte(513), 0);
  // Other pages keep their values, the edges included (Bike page not masked).
  for (int i : {172, 181, 183, 186, 188, 192, 202, 208, 233, 408, 416, 426, 470, 600})
    EXPECT_EQ(img.byte(i), before.byte(i)) << "byte " << i;
  EXPECT_EQ(img.word(0), before.word(0));
}

TEST(Defaults, NewPageOnTheAdvancePageRestoresMapsAndAxes) {
  ParamModel m = patternModel(20);
  m.applyDefaults(3);
  const ParamImage& img = m.image();
  const int rpm[15] = {15, 20, 25, 30, 35, 40, 50, 60, 70, 80, 90, 100, 110, 120, 140};
  const int row[15] = {108, 108, 108, 112, 120, 123, 128, 133, 135, 135, 135, 135, 135, 135, 135};
  const int load[10] = {30, 50, 60, 70, 75, 80, 85, 90, 95, 100};
  for (int c = 0; c < 15; ++c) {
    EXPECT_EQ(img.byte(570 + c), rpm[c]);
    EXPECT_EQ(img.byte(585 + c), rpm[c]);
    for (int r = 0; r < 10; ++r) {
      EXPECT_EQ(img.byte(600 + 15 * r + c), row[c]);
      EXPECT_EQ(img.byte(900 + 15 * r + c), row[c]);
    }
  }
  for (int r = 0; r < 10; ++r) {
    EXPECT_EQ(img.word(6 + r), load[r]);
    EXPECT_EQ(img.word(16 + r), load[r]);
  }
  EXPECT_EQ(img.byte(233), 10);
  EXPECT_EQ(img.byte(234), 0);
  EXPECT_EQ(img.byte(236), 15);
  EXPECT_EQ(img.byte(237), 15);
  for (int i = 238; i < 242; ++i) EXPECT_EQ(img.byte(i), 100);
  const int inputs[6] = {11, 10, 3, 1, 6, 2};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(img.byte(219 + i), inputs[i]);
}

TEST(Defaults, RevCounterPulsesByBike) {
  struct Case {
    int bike, want;
    // clang-format off
  } cases[] = {{4, 4}, {7, 1}, {14, 1}, {21, 1}, {23, 1}, {26, 1}, {30, 1}, {34, 1}, {38, 1},
               {0, 2}, {20, 2}, {15, 2}, {27, 2}, {39, 2}, {40, 2}, {22, 77}, {41, 77}, {255, 77}};
  // clang-format on
  for (const auto& c : cases) {
    ParamModel m;
    m.image().setByte(ImageByte::Bike, c.bike);
    m.image().setByte(ImageByte::RpmPulses, 77);
    m.applyDefaults(1);
    EXPECT_EQ(m.image().byte(ImageByte::RpmPulses), c.want) << "bike " << c.bike;
  }
}

TEST(Defaults, BikePageLinesDependOnTheBikeAndTheOldPickupSystem) {
  ParamModel m;
  m.image().setByte(ImageByte::Bike, 20);
  m.image().setByte(ImageByte::PickupSystem, 0);  // before the preset sets 1
  m.applyDefaults(-1);
  EXPECT_EQ(m.image().byte(ImageByte::RevWoIgnition), 1);
  EXPECT_EQ(m.image().byte(ImageByte::PickupSystem), 1);
  m.applyDefaults(-1);
  EXPECT_EQ(m.image().byte(ImageByte::RevWoIgnition), 0);
  EXPECT_EQ(m.image().byte(ImageByte::InputNeutralSs), 0);
  m.image().setByte(ImageByte::Bike, 2);
  m.applyDefaults(-1);
  EXPECT_EQ(m.image().byte(ImageByte::InputNeutralSs), 1);
}

TEST(Defaults, EdgeResetFollowsTheMaskAndSparesBike255) {
  struct Case {
    int bike, page;
    int edge188, byte514, byte187;
    // clang-format off
  } cases[] = {
      {20, 1, 65, 0, 9},     // Bike page: edges reset, then the preset
      {38, 1, 79, 0, 9},     // channel 2..4 edges of a one-channel bike end up 0
      {20, 0, 9, 9, 1},      // Miscellaneous page: lobes per revolution 1
      {255, -1, 9, 9, 9},    // user-defined trigger system keeps everything
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "bike " << c.bike << " page " << c.page);
    ParamModel m;
    m.image().setByte(ImageByte::Bike, c.bike);
    m.image().fillBytes(ImageByte::EdgeStart, 8, 9);
    m.image().setByte(ImageByte::SecondTurn, 9);
    m.image().setByte(ImageByte::LobesPerRev, 9);
    m.applyDefaults(c.page);
    EXPECT_EQ(m.image().byte(188), c.edge188);
    EXPECT_EQ(m.image().byte(514), c.byte514);
    EXPECT_EQ(m.image().byte(187), c.byte187);
    if (c.bike == 38) EXPECT_EQ(m.image().byte(189), 0);
  }
}

TEST(Defaults, GeneralDefaultsSkippedForBike255DuringABikeChoice) {
  ParamModel m = patternModel(255);
  m.setBikeChoiceFlag(true);
  const ParamImage before = m.image();
  m.applyDefaults(-1);
  EXPECT_EQ(m.image().byte(ImageByte::Limiter), before.byte(ImageByte::Limiter));
  EXPECT_FALSE(m.bikeChoiceFlag());
  m.applyDefaults(-1);  // flag cleared: the general defaults run again
  EXPECT_EQ(m.image().byte(ImageByte::Limiter), 110);
}

TEST(Defaults, PowerOutputs) {
  ParamModel m = patternModel(20);
  m.applyDefaults(4);
  const ParamImage& img = m.image();
  struct Want {
    int function;
    int thr[3];
    int words[2];
    int cond[3];
  } want[3] = {{1, {40, 125, 140}, {75, 90}, {2, 2, 2}},
               {2, {90, 95, 140}, {75, 90}, {12, 14, 14}},
               {0, {40, 125, 140}, {75, 90}, {2, 2, 2}}};
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(::testing::Message() << "output " << k + 1);
    EXPECT_EQ(img.byte(244 + k), want[k].function);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(img.byte(248 + 3 * k + i), want[k].thr[i]);
      EXPECT_EQ(img.byte(276 + 3 * k + i), want[k].cond[i]);
    }
    EXPECT_EQ(img.word(36 + 2 * k), want[k].words[0]);
    EXPECT_EQ(img.word(37 + 2 * k), want[k].words[1]);
    EXPECT_EQ(img.byte(260 + k), 10);
    EXPECT_EQ(img.byte(272 + k), 20);
    EXPECT_EQ(img.byte(264 + k), 10);
    EXPECT_EQ(img.byte(268 + k), 100);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(img.byte(288 + 6 * k + i), 20 * (i + 1));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(img.word(44 + 4 * k + i), 20 * (i + 1));
    for (int i = 0; i < 24; ++i) EXPECT_EQ(img.byte(312 + 24 * k + i), 0);
  }
}

TEST(Defaults, PowerOutputFunctionValuesWithoutFull) {
  struct Case {
    int function;
    bool changesThresholds;
    int cond[3];
    // clang-format off
  } cases[] = {{2, false, {12, 14, 14}}, {3, false, {14, 12, 12}}, {255, true, {2, 2, 2}},
               {0, true, {2, 2, 2}},     {253, false, {9, 9, 9}}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.function);
    ParamImage img;
    img.setByte(245, c.function);
    img.fillBytes(251, 3, 9);
    img.fillBytes(279, 3, 9);
    applyPowerOutputFunctionDefaults(img, 1, false);
    EXPECT_EQ(img.byte(251), c.changesThresholds ? 40 : 9);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(img.byte(279 + i), c.cond[i]);
  }
}

TEST(Defaults, LambdaCurveOfOtherSensorTypes) {
  ParamImage img;
  applyLambdaCurve(img, 2);
  const int bytes[6] = {100, 120, 130, 150, 160, 180};
  const int words[6] = {0, 1250, 1875, 3125, 3750, 5000};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(img.byte(490 + i), bytes[i]);
    EXPECT_EQ(img.word(250 + i), words[i]);
  }
}

TEST(Defaults, ServoTablesOfBike19) {
  struct Case {
    int bike, axis0, cell0, enable;
  } cases[] = {{19, 3, 30, 1}, {20, 10, 100, 0}};
  for (const auto& c : cases) {
    ParamModel m = patternModel(c.bike);
    m.applyDefaults(-1);
    EXPECT_EQ(m.image().byte(555), c.axis0) << c.bike;
    EXPECT_EQ(m.image().byte(750 + 9 * 15), c.cell0) << c.bike;
    EXPECT_EQ(m.image().byte(408), c.enable) << c.bike;
  }
}
