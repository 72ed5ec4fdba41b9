// The settings-file text: tokens and numbers, line layout, the byte-exact
// golden file and the round trip of every bike's defaults.
#include <gtest/gtest.h>

#include "files/files_fixture.h"
#include "files/ign_document.h"
#include "files/ign_layout.h"
#include "files/ign_scanner.h"
#include "files/ign_writer.h"
#include "files/service_tools.h"
#include "params/param_model.h"

namespace {

using namespace q3;

IgnWriteInfo fixedInfo() {
  IgnWriteInfo info;
  info.hexDate = "Mar 14 2024";
  info.hexTime = "10:20:30";
  info.hexVersion = "V 1.04";
  info.exeDate = "Dec  1 2026";
  info.exeTime = "12:00:00";
  return info;
}

// The line of the rendered text that starts with a keyword.
std::string lineOf(const std::string& text, const std::string& keyword) {
  size_t p = text.find("\n" + keyword + " ");
  if (p == std::string::npos) return {};
  size_t e = text.find('\n', p + 1);
  return text.substr(p + 1, e == std::string::npos ? std::string::npos : e - p - 1);
}

TEST(IgnNumbers, PercentIConversion) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {
      {"10", 10}, {"010", 8},    {"-010", -8},  {"0", 0},          {"-5", -5},
      {"09", 0},  {"0777", 511}, {"00012", 10}, {"4294967297", 1}, {"2147483648", -2147483647 - 1},
  };
  for (const auto& c : cases) EXPECT_EQ(convertPercentI(c.text), c.value) << c.text;
}

TEST(IgnNumbers, NumbersAreFoundWhereverTheyStand) {
  IgnScanner sc("LIMITER abc-x 12\r\n  -7 POWER_OUT2 - ");
  int v = 99;
  EXPECT_FALSE(sc.number(v));  // the lone "-" of "-x"
  EXPECT_EQ(v, 99);
  ASSERT_TRUE(sc.number(v));
  EXPECT_EQ(v, 12);
  ASSERT_TRUE(sc.number(v));
  EXPECT_EQ(v, -7);
  ASSERT_TRUE(sc.number(v));  // the digit inside a keyword
  EXPECT_EQ(v, 2);
  EXPECT_FALSE(sc.number(v));
  EXPECT_FALSE(sc.number(v));
  EXPECT_TRUE(sc.atEnd());
}

TEST(IgnNumbers, TokensEndAtCarriageReturnAndNul) {
  IgnScanner sc(std::string_view("A\tBB\r\nC\rjunk  D\r\r\n\r E\0F G", 26));
  std::vector<std::string> got;
  std::string_view t;
  while (sc.nextToken(t)) got.emplace_back(t);
  EXPECT_EQ(got, (std::vector<std::string>{"A", "BB", "C", "D", "E"}));
}

TEST(IgnNumbers, NumberFollowsLooksPastSpacesOnly) {
  struct Case {
    const char* text;
    bool follows;
  } cases[] = {
      {"  \r\n   -5", true}, {"\n 12", true}, {"\n TEST_OUT 1 2", false},
      {"\n_X 5", false},     {"   ", false},  {"\n: 4", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IgnScanner(c.text).numberFollows(), c.follows) << c.text;
}

TEST(IgnLayout, KeywordColumnWidth) {
  struct Case {
    const char* keyword;
    int width;
  } cases[] = {{"TPS", 15},
               {"BIKE", 15},
               {"SPECIAL_START", 15},
               {"GEAR_CORR_POUT", 21},
               {"SPECIAL_DWELL_START", 21},
               {"FOUR_STROKE_2ND_TURN", 27},
               {"POWER_OUT1_SPWM_FR_XXXXXX", 27},
               {"Mon_Calib_CoefFLASH_XXXXXX", 33}};
  for (const auto& c : cases)
    EXPECT_EQ(ignKeywordWidth(int(std::string(c.keyword).size())), c.width) << c.keyword;
}

TEST(IgnWriter, LineForms) {
  ParamImage img = defaultImageForBike(20);
  img.setByte(238, 95);     // CORR_ADVANCE -5
  img.setWord(76, 0xFFFE);  // PROPRIETARY -2 (signed)
  img.setByte(182, 0xFF);   // RPM pulses -1 (signed)
  IgnWriteInfo info = fixedInfo();
  std::string t = renderIgn(img, info);

  EXPECT_EQ(t.substr(0, t.find('\n')), "KORVELAN_KEY     104 QUELIN3/QUELIN3");
  EXPECT_EQ(t.substr(t.find('\n'), 17), "\n               \n");
  EXPECT_EQ(lineOf(t, "BIKE").substr(0, 21), "BIKE              20 ");
  EXPECT_EQ(lineOf(t, "FOUR_STROKE_2ND_TURN").substr(20, 7), "       ");
  EXPECT_EQ(lineOf(t, "FOUR_STROKE_2ND_TURN").size(), 27u + 4 * 6);
  EXPECT_EQ(lineOf(t, "GEAR_CORR_POUT"), "GEAR_CORR_POUT       ");
  EXPECT_EQ(lineOf(t, "CORR_ADVANCE").substr(15, 6), "   -5 ");
  EXPECT_EQ(lineOf(t, "PROPRIETARY").substr(15, 6), "   -2 ");
  EXPECT_EQ(lineOf(t, "RPM").substr(15, 6), "   -1 ");
  EXPECT_EQ(lineOf(t, "LAMBDA_BAR").substr(0, 15), "LAMBDA_BAR     ");
  EXPECT_NE(
      t.find("\nVERSIONS       \nHEX  Mar 14 2024\t10:20:30\tV 1.04\nEXE  Dec  1 2026\t12:00:00"),
      std::string::npos);
  // The file ends with the empty continuation line after VERSIONS.
  EXPECT_EQ(t.substr(t.size() - 16), "\n               ");
  EXPECT_EQ(t.find("Mon_Calib"), std::string::npos);
  EXPECT_EQ(t.find("\n\n"), std::string::npos);

  info.portOpen = true;
  info.monCalib[0] = 7;
  info.monCalib[1] = 200;
  info.monCalib[2] = 0;
  t = renderIgn(img, info);
  const std::string tail =
      "\n               \nMon_Calib_CoefEE     7\nMon_Calib_CoefFLASH  200\nMon_Calib_CoefNEW    0";
  EXPECT_EQ(t.substr(t.size() - tail.size()), tail);
}

TEST(IgnWriter, VersionTextsGoOutInWindows1250) {
  IgnWriteInfo info = fixedInfo();
  info.hexVersion = "Verze \xc4\x8d\xc3\xa1st \xe2\x82\xac \xe4\xb8\xad";  // č á € and a CJK sign
  std::string t = renderIgn(ParamImage(), info);
  EXPECT_NE(t.find("\tVerze \xe8\xe1st \x80 ?\n"), std::string::npos);
}

class IgnFiles : public q3test::ScratchDir {};

TEST_F(IgnFiles, GoldenFileOfBike20) {
  std::string out = path("bike20.ign");
  ASSERT_TRUE(writeIgnText(out, renderIgn(defaultImageForBike(20), fixedInfo())));
  std::string golden = readAll(std::string(Q3_FILES_TEST_DATA) + "/bike20_defaults.ign");
  ASSERT_FALSE(golden.empty());
  std::string got = readAll(out);
  EXPECT_EQ(got, golden);
  // CR LF everywhere, never a bare LF.
  for (size_t i = 0; i < got.size(); ++i)
    if (got[i] == '\n') ASSERT_EQ(got[i - 1], '\r') << "at " << i;
}

TEST_F(IgnFiles, EveryBikesDefaultsSurviveWriteAndOpen) {
  for (int bike = 0; bike < kServiceBikes; ++bike) {
    SCOPED_TRACE(bike);
    ParamImage original = defaultImageForBike(bike);
    std::string file = path("bike.ign");
    ASSERT_TRUE(writeIgnText(file, renderIgn(original, fixedInfo())));

    ParamModel model;
    model.image().clear();
    IgnDocument doc(model, q3::dialogs());
    ASSERT_EQ(doc.load(file, -1), IgnDocument::LoadResult::Loaded);
    ParamImage expected = original;
    // Bike 22 has no entry in the bike list; a file naming it loads as 255.
    if (bike == 22) expected.setByte(170, 255);
    for (int i = 0; i < kImageSize; ++i)
      ASSERT_EQ(int(model.image().byte(i)), int(expected.byte(i))) << "byte " << i;
    // And the image written again gives the same file.
    if (bike != 22)
      EXPECT_EQ(renderIgn(model.image(), fixedInfo()), renderIgn(original, fixedInfo()));
  }
}

TEST_F(IgnFiles, FailedWriteLeavesTheOldFile) {
  // A directory in the target's place cannot be replaced; the kills, size
  // limit and full disk are in IgnFileSafetyTest.
  std::string file = path("keep.ign");
  std::filesystem::create_directories(file);
  std::string why;
  EXPECT_FALSE(writeIgnText(file, "new", &why));
  EXPECT_NE(why.find("is a directory"), std::string::npos) << why;
  EXPECT_TRUE(std::filesystem::is_directory(file));
  EXPECT_FALSE(writeIgnText(path("no/such/dir/x.ign"), "new"));
  EXPECT_TRUE(writeIgnText(path("fresh.ign"), "a\nb"));
  EXPECT_EQ(readAll(path("fresh.ign")), "a\r\nb");
}

}  // namespace
