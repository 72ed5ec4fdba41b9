// quelin3-tool map run as a program: the list, the exported texts byte for
// byte, and pastes from stdin into a settings file with the same results
// and refusals as the map editor's paste.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "files/files_fixture.h"
#include "support/tool_runner.h"

namespace {

using q3test::ToolRun;

class MapCli : public q3test::ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    ASSERT_EQ(run("defaults --bike 20 --ign " + q("d20.ign")).code, 0);
    // Throttle sensor, both advance maps over engine speed and throttle.
    std::string text = readAll(path("d20.ign"));
    setKeyword(text, "TPSIAP_SENSOR", "1");
    setKeyword(text, "ADV_MAP", "1");
    setKeyword(text, "ADV2_MAP", "1");
    writeAll(path("both.ign"), text);
  }
  static void setKeyword(std::string& text, const std::string& key, const std::string& value) {
    const size_t at = text.find("\n" + key + " ");
    ASSERT_NE(at, std::string::npos) << key;
    const size_t end = text.find("\r\n", at + 1);
    text.replace(at + 1, end - at - 1, key + " " + value);
  }
  ToolRun run(const std::string& args, const std::string& input = "") {
    return q3test::runTool(Q3_TOOL, args, input);
  }
  std::string q(const std::string& leaf) { return "'" + path(leaf) + "'"; }
  // The grid part of a sheet-format text: from the corner line on.
  static std::string grid(const std::string& sheet) { return sheet.substr(sheet.find("\n\t") + 1); }
};

TEST_F(MapCli, ListGivesTheNameFirst) {
  const ToolRun r = run("map list");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.substr(0, 16), "adv1\tAdvance 1\na");
  int lines = 0;
  for (size_t at = 0; (at = r.out.find('\n', at)) != std::string::npos; ++at) ++lines;
  EXPECT_EQ(lines, 13);
  EXPECT_NE(r.out.find("\nlambda-rpm\t"), std::string::npos);
  EXPECT_EQ(run("map lst").code, 2);
  EXPECT_EQ(run("map export " + q("both.ign") + " adv9").code, 2);
  EXPECT_EQ(run("map export " + q("missing.ign") + " adv1").code, 1);
}

TEST_F(MapCli, ExportWritesTheClipboardTexts) {
  const ToolRun sheet = run("map export " + q("both.ign") + " adv1 --sheet");
  ASSERT_EQ(sheet.code, 0);
  const std::string head =
      "Label:\t###Advance 1##Vorzündung 1##Předstih 1\nLabelX:\tRPM\nLabelY:\tTP\n"
      "LabelData:\tADV\nSizeX:\t15\nSizeY:\t10\nOnlyXY:\t\n\t1 500\t2 000\t";
  EXPECT_EQ(sheet.out.substr(0, head.size()), head);
  EXPECT_NE(sheet.out.back(), '\n');
  // The plain grid of a map over both axes is the sheet's grid.
  const ToolRun plain = run("map export " + q("both.ign") + " adv1");
  EXPECT_EQ(plain.out, grid(sheet.out));
  // With the map over engine speed only, the plain grid leaves the load out.
  const ToolRun oneRow = run("map export " + q("d20.ign") + " adv1");
  EXPECT_EQ(oneRow.out.substr(0, 12), "1 500\t2 000\t");
  EXPECT_EQ(std::count(oneRow.out.begin(), oneRow.out.end(), '\n'), 1);
  // Czech writes decimal commas, English points.
  std::string en = run("map export " + q("d20.ign") + " servo").out;
  const std::string cz = run("--language cz map export " + q("d20.ign") + " servo").out;
  ASSERT_NE(en.find('.'), std::string::npos);
  for (char& c : en)
    if (c == '.') c = ',';
  EXPECT_EQ(en, cz);
}

TEST_F(MapCli, ImportPastesLikeThePasteCommand) {
  // Map 1's table pastes into map 2 (map 1 made to differ first).
  ASSERT_EQ(run("map import " + q("both.ign") + " adv1 -o " + q("mod.ign"), "1\t2\n3\t4").code, 0);
  const std::string one = run("map export " + q("mod.ign") + " adv1 --sheet").out;
  ASSERT_NE(grid(one), grid(run("map export " + q("mod.ign") + " adv2 --sheet").out));
  ToolRun r = run("map import " + q("mod.ign") + " adv2 -o " + q("out.ign"), one);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(grid(run("map export " + q("out.ign") + " adv2 --sheet").out), grid(one));

  // Into a sensor curve, whose labels differ, nothing: exit 1, no file.
  r = run("map import " + q("both.ign") + " iap -o " + q("none.ign"), one);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("nothing was pasted"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(path("none.ign")));

  // Eight rows into an advance map, whose throttle axis is fixed.
  std::string eight = one;
  eight.replace(eight.find("SizeY:\t10"), 9, "SizeY:\t8");
  eight.erase(eight.rfind('\n'));
  eight.erase(eight.rfind('\n'));
  r = run("map import " + q("both.ign") + " adv1 -o " + q("none.ign"), eight);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err.substr(0, 69),
            "Table dimensions are not eqal and there is unable to change it !\nInse");
  r = run("--language de map import " + q("both.ign") + " adv1 -o " + q("none.ign"), eight);
  EXPECT_EQ(r.err.substr(0, 28), "Gleichen Sie die Dimensionen");
  EXPECT_FALSE(std::filesystem::exists(path("none.ign")));
}

TEST_F(MapCli, ImportOfPlainText) {
  // Text on stdin and the first two rows of advance map 1 afterwards.
  struct Case {
    const char* text;
    const char* at;
    const char* rows;  // cells 0..2 of rows 0 and 1
  } cases[] = {
      {"1 200\t3", "", "1\t3\t8\n8\t8\t8"},  // 1 200 is one number; in thousandths: 1
      {"1 2 3", "", "1\t2\t3\n8\t8\t8"},
      {"12 34", "", "12\t34\t8\n8\t8\t8"},
      {"5\t6\r\n7\t8\r\n", "", "5\t6\t8\n7\t8\t8"},
      {"{{1,2},\n{3,4}}", "", "1\t2\t8\n3\t4\t8"},
      {"20\t21", "--at 1,1", "8\t8\t8\n8\t20\t21"},
      {"12a34\t1.5E+03\t9", "", "8\t8\t9\n8\t8\t8"},
  };
  for (const Case& c : cases) {
    const ToolRun r =
        run("map import " + q("both.ign") + " adv1 -o " + q("out.ign") + " " + c.at, c.text);
    ASSERT_EQ(r.code, 0) << c.text << ": " << r.err;
    const std::string g = run("map export " + q("out.ign") + " adv1").out;
    std::string rows;
    size_t line = g.find('\n') + 1;  // below the engine speeds
    for (int row = 0; row < 2; ++row) {
      size_t field = g.find('\t', line) + 1;  // after the throttle breakpoint
      for (int col = 0; col < 3; ++col) {
        const size_t end = g.find_first_of("\t\n", field);
        rows += g.substr(field, end - field) + (col < 2 ? "\t" : (row == 0 ? "\n" : ""));
        field = end + 1;
      }
      line = g.find('\n', line) + 1;
    }
    EXPECT_EQ(rows, c.rows) << c.text;
  }
  EXPECT_EQ(run("map import " + q("both.ign") + " adv1 -o " + q("out.ign") + " --at 1", "1").code,
            2);
}

}  // namespace
