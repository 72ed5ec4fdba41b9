// The reader's rules: values, ranges, special keywords, older and foreign
// file keys, and damaged input.
#include "files/ign_reader.h"

#include <gtest/gtest.h>

#include <random>

#include "files/files_fixture.h"
#include "text/mstring.h"

namespace {

using namespace q3;

constexpr int kFill = 0x5A;  // every byte before reading: tells "kept" from "stored"

struct Reading {
  ParamModel model;
  IgnFileState state;
  IgnReadResult result;
  q3test::MessageRecorder messages;

  Reading(const std::string& text, bool testMode = false) {
    for (int i = 0; i < kImageSize; ++i) model.image().setByte(i, kFill);
    before = model.image();
    result = readIgn(text, model, state, {&messages, testMode});
  }
  int b(int i) const { return model.image().byte(i); }
  int w(int i) const { return model.image().word(i); }
  ParamImage before;
};

struct ByteCase {
  const char* body;                        // follows the key line of the current format
  std::vector<std::pair<int, int>> bytes;  // index, expected value
};

TEST(IgnReader, CurrentFormatRules) {
  const ByteCase cases[] = {
      {"LIMITER 300", {{202, 0}}},
      {"LIMITER 010", {{202, 8}}},
      {"LIMITER 255", {{202, 255}}},
      {"LIMITER -1", {{202, 0}}},
      {"CORR_ADVANCE -5 0 155 156", {{238, 95}, {239, 100}, {240, 255}, {241, 0}}},
      {"RPM -1 -100", {{182, 255}, {183, 0}}},
      {"RPM -129 5", {{182, 0}, {183, 105}}},
      {"SERVO_HYSTER 7", {{412, 1}}},
      {"START_LIM_DELAY 25599", {{205, 255}}},
      {"START_LIM_DELAY 25600", {{205, 0}}},
      {"N2O_REPEAT 1", {{473, 2}}},
      {"N2O_REPEAT 0", {{473, 2}}},
      {"N2O_REPEAT 5", {{473, 5}}},
      {"N2O 1 2 3 400 500", {{470, 1}, {474, 2}, {475, 3}, {477, 4}, {476, 5}, {246, 4}}},
      {"N2O 0 2 3 400 500", {{470, 0}, {246, kFill}}},
      {"DWELL 3 1 2 3 4 5", {{209, 0}, {210, 1}, {213, 4}, {215, 5}}},
      {"EXCITATION 3 7", {{209, 0}, {210, kFill}}},
      {"4_TAKT 1", {{196, 1}}},
      {"INV_PICKUP 1 0", {{172, 1}, {173, 0}}},
      {"FOUR_STROKE_2ND_TURN 1 0 2 0", {{514, 5}}},
      {"INPUT1 5 1\nINPUT3 7 1", {{219, 5}, {221, 7}, {225, 5}}},
      {"INPUT3 7 1", {{221, 7}, {225, kFill | 4}}},
      {"POWER_OUT2 3 100 200 300 40 1000 2000 1 0 0 1 0 1 0 0 1 1 1 1",
       {{245, 255}, {251, 1}, {252, 2}, {253, 3}, {261, 4}, {279, 9}, {280, 2}, {281, 15}}},
      {"POWER_OUT4 9 9\nPOWER_OUT4_SP_PWM 7", {{247, kFill}, {271, 7}}},
      {"POWER_OUT3_SPULSE 50", {{274, 10}}},
      {"TEST_OUT 1 2", {{486, kFill}, {487, kFill}}},
      {"BIKE 22", {{170, 255}, {188, 0}, {195, 0}, {180, kFill}}},
      {"BIKE 5 0 4 2 1", {{170, 5}, {184, 0}, {185, 4}, {186, 2}, {188, 1}, {192, 0}}},
      {"BIKE 5 14 120 1  71 1 1  3 0 1  1 0 0 1 0 0 1 0 0 1 0 0 1 0 0 1 0 0  4 6 6 6 6  LIMITER 9",
       {{188, 0x80 | 0x40 | 7}, {192, 3}, {180, 4}, {181, 6}, {202, 9}}},
      {"BIKE 5 0 4 2  1 1 1  2 0 0  1 0 0 1 0 0 1 0 0 1 0 0 1 0 0 1 0 0  3 6 6 6 6",
       {{188, 0xC1}, {192, 2}, {180, 3}, {181, 6}}},
      // Missing values: the next number of the text is taken, wherever it stands.
      {"LIMITER\nSTART_LIM 90", {{202, 90}, {203, kFill}}},
      {"LIMITER", {{202, kFill}}},
      {"LIMITER -", {{202, kFill}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    Reading r(std::string("KORVELAN_KEY   104 QUELIN3/QUELIN3\n") + c.body);
    EXPECT_EQ(r.result.key, 104);
    for (auto [i, v] : c.bytes) EXPECT_EQ(r.b(i), v) << "byte " << i;
    EXPECT_TRUE(r.messages.texts.empty());
  }
}

TEST(IgnReader, WordsSignedValuesAndTables) {
  Reading r(
      "KORVELAN_KEY 104\nTPS 70000 -1\nPROPRIETARY -2 32767 -32768 0 1\n"
      "SENSOR_LAMBDA 0 1 2 3 4 5 6 10 20 30 40 50 60\nSERVO 2000 20 39\n");
  EXPECT_EQ(r.w(0), 70000 & 0xFFFF);
  EXPECT_EQ(r.w(1), 0xFFFF);
  EXPECT_EQ(r.w(76), 0xFFFE);
  EXPECT_EQ(r.w(77), 32767);
  EXPECT_EQ(r.w(78), 0x8000);
  EXPECT_EQ(r.b(750), 100);
  EXPECT_EQ(r.b(751), 1);
  EXPECT_EQ(r.b(752), 1);  // 39 / 20 truncates
  EXPECT_EQ(r.b(489), 0);
  EXPECT_EQ(r.b(490), 1);
  EXPECT_EQ(r.b(495), 6);
  EXPECT_EQ(r.w(250), 10);
  EXPECT_EQ(r.w(255), 60);
}

TEST(IgnReader, GearCorrectionOfPowerOutputsTakesSixMoreValuesOnlyWhenNumbersFollow) {
  const std::string twelve = "GEAR_CORR_POUT\n 0 50 100 -50 0 0\n 0 0 0 0 0 0";
  Reading keyword("KORVELAN_KEY 104\n" + twelve + "\nTEST_OUT 1 2\nLIMITER 77");
  EXPECT_EQ(keyword.b(454), 100);
  EXPECT_EQ(keyword.b(455), 101);
  EXPECT_EQ(keyword.b(456), 102);
  EXPECT_EQ(keyword.b(457), 99);
  for (int i = 520; i < 526; ++i) EXPECT_EQ(keyword.b(i), kFill);
  EXPECT_EQ(keyword.b(202), 77);

  Reading eighteen("KORVELAN_KEY 104\n" + twelve + " 50 100 150 0 0 -100\nLIMITER 77");
  EXPECT_EQ(eighteen.b(520), 101);
  EXPECT_EQ(eighteen.b(522), 103);
  EXPECT_EQ(eighteen.b(525), 98);
  EXPECT_EQ(eighteen.b(202), 77);
}

TEST(IgnReader, SecondAdvanceMapIsCopiedFromTheFirstWhenMissing) {
  std::string adv = "ADVANCE";
  for (int i = 0; i < 150; ++i) adv += " " + std::to_string(i % 40 - 5);
  Reading r(
      "KORVELAN_KEY 104\nADV_IAP 1 2 3 4 5 6 7 8 9 10\nADV_COLUMNS 12\nADV_MAP 1\n"
      "RPM_ADV 1000 2000 3000 4000 5000 6000 7000 8000 9000 10000 11000 12000 13000 "
      "14000 15000\n" +
      adv);
  for (int i = 0; i < 150; ++i) {
    ASSERT_EQ(r.b(600 + i), i % 40 + 95);
    ASSERT_EQ(r.b(900 + i), r.b(600 + i));
  }
  for (int w = 0; w < 10; ++w) EXPECT_EQ(r.w(16 + w), w + 1);
  EXPECT_EQ(r.b(237), 12);
  EXPECT_EQ(r.b(235), 1);
  EXPECT_EQ(r.b(585), 10);
  EXPECT_EQ(r.b(599), r.b(584));

  // The digit of "ADVANCE2" would be a value of a map line before it, so this
  // file holds map 2 alone.
  Reading with2("KORVELAN_KEY 104\nADVANCE2 -100 7");
  EXPECT_EQ(with2.b(600), kFill);
  EXPECT_EQ(with2.b(900), 0);
  EXPECT_EQ(with2.b(901), 107);
  EXPECT_EQ(with2.b(902), 100);  // a missing map value counts as 0
  EXPECT_EQ(with2.w(16), kFill * 257);
}

TEST(IgnReader, FilesWithoutAcceptedKeyChangeNothing) {
  struct Case {
    const char* text;
    bool testMode;
    const char* message;  // English text shown, or nullptr for none
  } cases[] = {
      {"BIKE 5\nLIMITER 20", false, nullptr},
      {"korvelan_key 104\nLIMITER 20", false, nullptr},
      {"KORVELAN_KEY 97\nLIMITER 20", true, "Unmatched version of *.ign file!"},
      {"KORVELAN_KEY 106\nLIMITER 20", false, "Unmatched version of *.ign file!"},
      {"KORVELAN_KEY 54\nLIMITER 20", true, "Unmatched version of *.ign file!"},
      {"KORVELAN_KEY 1234\nLIMITER 20", true, "Unmatched version of *.ign file!"},
      {"KORVELAN_KEY", false, "Unmatched version of *.ign file!"},
  };
  setLanguage(0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Reading r(c.text, c.testMode);
    EXPECT_EQ(r.result.key, 0);
    EXPECT_FALSE(r.result.sawBike);
    EXPECT_TRUE(r.model.image() == r.before);
    if (c.message) {
      ASSERT_EQ(r.messages.texts.size(), 1u);
      EXPECT_EQ(r.messages.texts[0], c.message);
    } else {
      EXPECT_TRUE(r.messages.texts.empty());
    }
  }
}

TEST(IgnReader, OlderVersionKey48) {
  setLanguage(0);
  std::string rpm = "RPM_ADV";
  for (int i = 1; i <= 10; ++i) rpm += " " + std::to_string(1000 * i);
  Reading r("KORVELAN_KEY 48\nLIMITER 30 60 90\n" + rpm +
            "\nSERVO_MV 20 40 60 80 100 120 140 160 180 200\nINPUT 1 0 1 0 0 1 0 1\n"
            "START_LIM 99\nADVANCE 1 2 3 4 5 6 7 8 9 10\n");
  EXPECT_EQ(r.result.key, 48);
  EXPECT_EQ(r.b(204), 30);
  EXPECT_EQ(r.b(203), 60);
  EXPECT_EQ(r.b(202), 90);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(r.b(570 + i), 10 * (i + 1));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(r.b(580 + i), 110 + 10 * i);
  EXPECT_EQ(r.b(236), 15);
  for (int row = 0; row < 10; ++row) {
    for (int c = 0; c < 10; ++c) EXPECT_EQ(r.b(750 + 15 * row + c), c + 1);
    for (int c = 10; c < 15; ++c) EXPECT_EQ(r.b(750 + 15 * row + c), 10);
  }
  EXPECT_EQ(r.b(410), 0);
  // INPUT: polarities, fixed functions, then the six old switches.
  EXPECT_EQ(r.b(172), 1);
  EXPECT_EQ(r.b(173), 0);
  EXPECT_EQ(r.b(219), 11);
  EXPECT_EQ(r.b(222), 2);            // v4 = 1 keeps the function
  EXPECT_EQ(r.b(224), 1);            // v5 = 0
  EXPECT_EQ(r.b(225), 0x01 | 0x04);  // v2 = 0, v3 = 0
  // Old advance rows of ten values; the columns behind repeat column 9.
  EXPECT_EQ(r.b(600), 101);
  EXPECT_EQ(r.b(609), 110);
  EXPECT_EQ(r.b(614), 110);
  EXPECT_EQ(r.b(615), 100);  // row 2 ran out of values
  // START_LIM is not part of this version.
  EXPECT_EQ(r.b(203), 60);
  ASSERT_EQ(r.messages.texts.size(), 1u);
  EXPECT_EQ(r.messages.texts[0].substr(0, 40), "Older or another version of *.ign file!\n");
}

TEST(IgnReader, CrossTransformationOnlyInTestMode) {
  setLanguage(2);
  const std::string text =
      "KORVELAN_KEY 106\nBIKE 5 0 4 2  1 1 0  2 0 0  9 8 7  LIMITER 1 90 2000 1 120\n";
  Reading r(text, true);
  setLanguage(0);
  EXPECT_EQ(r.result.key, 106);
  EXPECT_EQ(r.state.family, 4);
  EXPECT_EQ(r.state.kind, 3);
  EXPECT_EQ(r.b(188), 0x41);
  EXPECT_EQ(r.b(192), 2);
  EXPECT_EQ(r.b(180), 9);
  EXPECT_EQ(r.b(181), 8);
  // Family 4 limiter line: dropped, 203, 205 (/100), dropped, 202; 204 follows 203.
  EXPECT_EQ(r.b(203), 90);
  EXPECT_EQ(r.b(205), 20);
  EXPECT_EQ(r.b(202), 120);
  EXPECT_EQ(r.b(204), 90);
  ASSERT_EQ(r.messages.texts.size(), 1u);
  EXPECT_EQ(r.messages.texts[0], "MEZIDRUHOVA TRANSFORMACE ZAR SOUBORU !");
}

TEST(IgnReader, KeyClassification) {
  struct Case {
    int key, family, kind;
  } cases[] = {{96, 0, 3}, {108, 1, 3}, {104, 2, 3}, {105, 3, 3}, {107, 4, 3}, {75, 0, 1},
               {88, 0, 2}, {97, 1, 2},  {60, 3, 2},  {99, 4, 2},  {48, 2, 2}};
  for (const auto& c : cases) {
    IgnFileState st;
    classifyIgnKey(c.key, st);
    EXPECT_EQ(st.family, c.family) << c.key;
    EXPECT_EQ(st.kind, c.kind) << c.key;
  }
  IgnFileState st;
  classifyIgnKey(105, st);
  classifyIgnKey(3, st);  // unknown: the family stays, the kind is 0
  EXPECT_EQ(st.family, 3);
  EXPECT_EQ(st.kind, 0);
  EXPECT_EQ(ignEdgeChannels(0, 96), 4);
  EXPECT_EQ(ignEdgeChannels(3, 105), 2);
  EXPECT_EQ(ignEdgeChannels(4, 107), 2);
  EXPECT_EQ(ignEdgeChannels(4, 99), 1);
}

TEST(IgnReader, RandomBytesNeitherCrashNorChangeAnything) {
  std::mt19937 g(2024);
  for (int round = 0; round < 300; ++round) {
    std::string junk(size_t(g() % 3000), '\0');
    for (auto& c : junk) c = char(g());
    Reading plain(junk);
    ASSERT_TRUE(plain.model.image() == plain.before) << "round " << round;
    // Behind a valid key line, whatever follows must still read safely.
    Reading keyed("KORVELAN_KEY 104 " + junk);
    EXPECT_EQ(keyed.result.key, 104);
  }
}

class IgnFileText : public q3test::ScratchDir {};

TEST_F(IgnFileText, SizeLimitAndMissingFile) {
  std::string text;
  EXPECT_FALSE(readIgnFileText(path("missing.ign"), text));
  writeAll(path("small.ign"), std::string("KORVELAN_KEY 104\0LIMITER 5", 26));
  ASSERT_TRUE(readIgnFileText(path("small.ign"), text));
  EXPECT_EQ(text.size(), 26u);
  {
    std::ofstream big(path("big.ign"), std::ios::binary);
    big.seekp(kIgnMaxFileSize);
    big.put('x');
  }
  EXPECT_FALSE(readIgnFileText(path("big.ign"), text));
  EXPECT_TRUE(text.empty());
}

}  // namespace
