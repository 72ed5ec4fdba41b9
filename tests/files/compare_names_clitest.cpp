// quelin3-tool diff run as a program: with --names the differences of two
// settings files page by page, with captions and values as the pages show
// them, in English and German; without it the lines by keyword as before.
#include <gtest/gtest.h>

#include <string>

#include "files/files_fixture.h"
#include "support/tool_runner.h"

namespace {

class DiffNames : public q3test::ScratchDir {
 protected:
  // The defaults of bike 20 with one line of the file replaced.
  std::string changed(const char* leaf, const std::string& from, const std::string& to) {
    std::string text = readAll(std::string(Q3_FILES_TEST_DATA) + "/bike20_defaults.ign");
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    writeAll(path(leaf), text);
    return "'" + path(leaf) + "'";
  }
  q3test::ToolRun diff(const std::string& options, const std::string& b) {
    const std::string a = "'" + std::string(Q3_FILES_TEST_DATA) + "/bike20_defaults.ign'";
    return q3test::runTool(Q3_TOOL, options + " diff --names " + a + " " + b);
  }
};

TEST_F(DiffNames, ListsEachChangeByPageAndCaptionInTheToolsLanguage) {
  struct Case {
    const char* what;
    const char* from;
    const char* to;
    const char* english;
    const char* german;
  };
  const Case cases[] = {
      {"bike", "\nBIKE              20 ", "\nBIKE              19 ",
       "Bike\n  Bike Yamaha R6 → Yamaha R1\n", "Motorrad\n  Motorrad Yamaha R6 → Yamaha R1\n"},
      {"limiter", "\nLIMITER          110 ", "\nLIMITER          115 ",
       "Miscellaneous\n  Limiter [rpm] 11000 → 11500\n",
       "Verschiedene\n  Begrenzer [rpm] 11000 → 11500\n"},
      {"one cell of advance map 1", "\nADVANCE            8     8     8    12 ",
       "\nADVANCE            8     8     8    14 ", "Advance Map\n  Advance 1 [1,4] 12 → 14 °\n",
       "Vorzündungsmappe\n  Vorzündung 1 [1,4] 12 → 14 °\n"},
      {"function of power output 3", "\nPOWER_OUT3         0 ", "\nPOWER_OUT3         1 ",
       "Power out\n  Power out 3 (pin 14) Off → Fuel pump\n",
       "Leistungsausgänge\n  Power out 3 (pin 14) Aus → Fuel pump\n"},
  };
  for (const Case& c : cases) {
    const std::string b = changed("b.ign", c.from, c.to);
    const q3test::ToolRun en = diff("", b);
    EXPECT_EQ(en.code, 1) << c.what << en.err;
    EXPECT_EQ(en.out, c.english) << c.what;
    EXPECT_EQ(en.err, "1 value(s) differ\n") << c.what;
    const q3test::ToolRun de = diff("--language de", b);
    EXPECT_EQ(de.code, 1) << c.what;
    EXPECT_EQ(de.out, c.german) << c.what;
  }
}

TEST_F(DiffNames, SameFilesListNothing) {
  const q3test::ToolRun r = diff("", changed("same.ign", "", ""));
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "");
}

// Without --names the keyword form stays what scripts read.
TEST_F(DiffNames, WithoutNamesTheKeywordLinesStay) {
  const std::string b = changed("b.ign", "\nLIMITER          110 ", "\nLIMITER          115 ");
  const std::string a = "'" + std::string(Q3_FILES_TEST_DATA) + "/bike20_defaults.ign'";
  const q3test::ToolRun r = q3test::runTool(Q3_TOOL, "diff " + a + " " + b);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "LIMITER[1]: 110 -> 115\n");
  EXPECT_EQ(r.err, "1 value(s) differ\n");
}

}  // namespace
