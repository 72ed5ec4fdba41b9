// Debug log, checked maths with the error log, and the version line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "base/checked_math.h"
#include "base/debug_log.h"
#include "base/version_line.h"

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& p) {
  std::ifstream in(p);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

fs::path tempFile(const char* name) {
  fs::path p = fs::temp_directory_path() / (std::string(name) + std::to_string(getpid()));
  fs::remove(p);
  return p;
}

TEST(DebugLog, LineFormat) {
  EXPECT_EQ(q3::formatDebugLine(7, 5, 3.25, 42, "FORM Initialised"),
            "07:05:03.25:   (42) FORM Initialised\n");
  EXPECT_EQ(q3::formatDebugLine(23, 59, 59.99, 0, "T000"), "23:59:59.99:   (0) T000\n");
}

TEST(DebugLog, SilentWithoutSinkThenWritesLines) {
  fs::path p = tempFile("q3dbg");
  q3::debugLogClose();
  EXPECT_FALSE(q3::debugLogActive());
  q3::debugLog("not written %d", 1);
  q3::traceLog("not written either\n");
  ASSERT_TRUE(q3::debugLogOpen(p.c_str()));
  q3::setDebugPassCounter(17);
  q3::debugLog("NEW PORT");
  q3::traceLog("raw %s\n", "trace");
  q3::debugLogClose();
  q3::setDebugPassCounter(0);
  std::string text = readAll(p);
  fs::remove(p);
  EXPECT_TRUE(
      std::regex_match(text, std::regex(R"(\d\d:\d\d:\d\d\.\d\d:   \(17\) NEW PORT\nraw trace\n)")))
      << text;
}

TEST(DebugLog, UnopenableSinkStaysOff) {
  EXPECT_FALSE(q3::debugLogOpen("/nonexistent-q3/dbg.log"));
  EXPECT_FALSE(q3::debugLogActive());
}

class CheckedMath : public ::testing::Test {
 protected:
  void SetUp() override {
    path = tempFile("q3zar");
    q3::setErrorLogPath(path.string());
  }
  void TearDown() override {
    fs::remove(path);
    q3::setErrorLogPath("");
  }
  fs::path path;
};

TEST_F(CheckedMath, SqrtOfNegativeGivesOneAndOneEntry) {
  EXPECT_DOUBLE_EQ(q3::checkedSqrt(-4.0), 1.0);
  EXPECT_DOUBLE_EQ(q3::checkedSqrt(9.0), 3.0);
  std::string text = readAll(path);
  EXPECT_TRUE(std::regex_match(
      text, std::regex(R"(<LOG TIME=\d+\.\d+\.\d{4} \d+:\d+:\d+ KAVRO08_v104: MATHERR sqrt>\n)")))
      << text;
}

TEST_F(CheckedMath, OtherDomainErrorsAreLoggedAndGoOn) {
  EXPECT_TRUE(std::isnan(q3::checkedLog(-1.0)));
  EXPECT_TRUE(std::isnan(q3::checkedAcos(2.0)));
  EXPECT_DOUBLE_EQ(q3::checkedPow(2.0, 10.0), 1024.0);
  EXPECT_DOUBLE_EQ(q3::checkedLog10(1000.0), 3.0);
  std::string text = readAll(path);
  EXPECT_NE(text.find("MATHERR log>"), std::string::npos);
  EXPECT_NE(text.find("MATHERR acos>"), std::string::npos);
  EXPECT_EQ(text.find("pow"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

TEST(ErrorLog, UnopenableLogLosesTheEntryQuietly) {
  q3::setErrorLogPath("/nonexistent-q3/ZAR.err");
  EXPECT_DOUBLE_EQ(q3::checkedSqrt(-1.0), 1.0);
  q3::setErrorLogPath("");
}

TEST(VersionLine, BuildDateFromCompilerDate) {
  struct Case {
    const char* date;
    const char* out;
  };
  const Case cases[] = {
      {"Jun 21 2022", "2022_06_21"},
      {"Jan  5 2024", "2024_01_05"},
      {"Dec 31 1999", "1999_12_31"},
      {"Sep  9 2030", "2030_09_09"},
  };
  for (const Case& c : cases) EXPECT_EQ(q3::buildDateFromCompilerDate(c.date), c.out) << c.date;
  EXPECT_EQ(q3::versionLine("Jun 21 2022"), "QUELIN3   RSKEY=104.00   COMPILE=2022_06_21");
  EXPECT_TRUE(std::regex_match(q3::versionLine(),
                               std::regex(R"(QUELIN3   RSKEY=104\.00   COMPILE=\d{4}_\d\d_\d\d)")));
}

}  // namespace
