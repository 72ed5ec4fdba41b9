// The update file's grammar: product section, recommendations, attributes,
// elements, the choice by build date and number, and the number forms.
#include "update/patch_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

namespace {

using q3::PatchWarningKind;
using W = PatchWarningKind;

constexpr const char* kBuild = "2022_06_21";

std::string product(const std::string& inner) {
  return std::string("<?xml version=\"1.0\"?>\n<patches>\n") + q3::kPatchProductTag + "\n" + inner +
         "</product>\n</patches>\n";
}
std::string rec(const std::string& attrs, const std::string& body = "<english>x</english>") {
  return "<recommendation" + attrs + ">" + body + "</recommendation>\n";
}

std::vector<W> kinds(const q3::PatchFile& f) {
  std::vector<W> out;
  for (const auto& w : f.warnings) out.push_back(w.kind);
  return out;
}

struct ChoiceCase {
  const char* name;
  std::string file;
  std::optional<int> chosenNumber;  // nullopt: nothing chosen
  std::vector<W> warnings = {};
  int chosenIndex = -2;  // checked when not -2
};

TEST(PatchFile, ChoiceByDateAndNumber) {
  const std::string other = std::string("<product class=\"QUELIN3\" key=\"105\">") +
                            rec(" update_number=\"9\"") + "</product>";
  const std::vector<ChoiceCase> cases = {
      {"from equal to the build date applies",
       product(rec(" update_number=\"5\" from=\"2022_06_21\"")), 5},
      {"to equal to the build date does not",
       product(rec(" update_number=\"5\" to=\"2022_06_21\"")), std::nullopt},
      {"from a day later does not", product(rec(" update_number=\"5\" from=\"2022_06_22\"")),
       std::nullopt},
      {"to a day later applies", product(rec(" update_number=\"5\" to=\"2022_06_22\"")), 5},
      {"within from and to",
       product(rec(" from=\"2020_01_01\" update_number=\"3\" to=\"2030_01_01\"")), 3},
      {"no attributes: number 0, always applies", product(rec("")), 0},
      {"5 then 7", product(rec(" update_number=\"5\"") + rec(" update_number=\"7\"")), 7, {}, 1},
      {"7 then 5", product(rec(" update_number=\"7\"") + rec(" update_number=\"5\"")), 7, {}, 0},
      {"equal numbers: the first",
       product(rec(" update_number=\"7\"") + rec(" update_number=\"7\"")),
       7,
       {},
       0},
      {"a later 0 does not displace 7", product(rec(" update_number=\"7\"") + rec("")), 7, {}, 0},
      {"hexadecimal",
       product(rec(" update_number=\"0x1F\"") + rec(" update_number=\"30\"")),
       31,
       {},
       0},
      {"upper-case hex", product(rec(" update_number=\"0X10\"")), 16},
      {"octal", product(rec(" update_number=\"017\"") + rec(" update_number=\"14\"")), 15, {}, 0},
      {"negative is never chosen", product(rec(" update_number=\"-3\"")), std::nullopt},
      {"plus sign", product(rec(" update_number=\"+9\"")), 9},
      {"unreadable number is 0", product(rec(" update_number=\"new\"")), 0},
      {"beyond int range is skipped",
       product(rec(" update_number=\"2147483648\"") + rec(" update_number=\"3\"")),
       3,
       {W::NumberOutOfRange},
       1},
      {"hex beyond int range is skipped",
       product(rec(" update_number=\"0xFFFFFFFF\"")),
       std::nullopt,
       {W::NumberOutOfRange}},
      {"the largest int", product(rec(" update_number=\"2147483647\"")), INT_MAX},
      {"attribute outside the opening tag is not read",
       product(rec("", "<english>update_number=\"9\"</english>")), 0},
      {"dates are cut to 11 characters",
       product(rec(" update_number=\"4\" from=\"2022_06_21_later\"")), std::nullopt},
      {"another product key", other, std::nullopt, {W::NoProductSection}},
      {"product section not closed",
       std::string(q3::kPatchProductTag) + rec(" update_number=\"5\""),
       std::nullopt,
       {W::ProductNotClosed}},
      {"recommendation not closed: the earlier one counts",
       product(rec(" update_number=\"2\"") + "<recommendation update_number=\"8\"><english>y"),
       2,
       {W::RecommendationNotClosed}},
      {"opening tag without >",
       product("<recommendation update_number=\"8\""),
       std::nullopt,
       {W::RecommendationNotClosed}},
      {"from value without closing quote falls back to the default",
       product(rec(" update_number=\"6\" from=\"2030_01_01")),
       6,
       {W::AttributeNotClosed}},
      {"number without closing quote is 0",
       product(rec(" update_number=\"6")),
       0,
       {W::AttributeNotClosed}},
      {"empty section", product(""), std::nullopt},
      {"empty file", "", std::nullopt, {W::NoProductSection}},
  };
  for (const ChoiceCase& c : cases) {
    SCOPED_TRACE(c.name);
    q3::PatchFile f = q3::parsePatchFile(c.file);
    int i = q3::choosePatchRecommendation(f, kBuild);
    if (c.chosenNumber) {
      ASSERT_GE(i, 0);
      EXPECT_EQ(f.recommendations[static_cast<size_t>(i)].updateNumber, *c.chosenNumber);
      if (c.chosenIndex != -2) EXPECT_EQ(i, c.chosenIndex);
    } else {
      EXPECT_EQ(i, -1);
    }
    EXPECT_EQ(kinds(f), c.warnings);
  }
}

TEST(PatchFile, ElementsOfARecommendation) {
  q3::PatchFile f = q3::parsePatchFile(product(
      rec(" update_number=\"1\"",
          "<czech>Nová verze</czech><english>New version</english><web_cz>https://h/cz</web_cz>"
          "<web>https://h/en</web><download>https://h/setup.exe</download>") +
      rec(" update_number=\"2\"", "<english>cut off <web>https://h/x</web>") +
      rec(" update_number=\"3\"", "<web_cz>https://h/cz</web_cz>")));
  ASSERT_EQ(f.recommendations.size(), 3u);
  const auto& a = f.recommendations[0];
  EXPECT_EQ(a.czech, "Nová verze");
  EXPECT_EQ(a.english, "New version");
  EXPECT_EQ(a.webCz, "https://h/cz");
  EXPECT_EQ(a.web, "https://h/en");
  EXPECT_EQ(a.download, "https://h/setup.exe");
  // An element without its closing tag is absent; the others still count.
  const auto& b = f.recommendations[1];
  EXPECT_FALSE(b.english);
  EXPECT_EQ(b.web, "https://h/x");
  EXPECT_EQ(kinds(f), std::vector<W>{W::ElementNotClosed});
  // "<web>" is not found inside "<web_cz>".
  EXPECT_FALSE(f.recommendations[2].web);
  EXPECT_EQ(f.recommendations[2].webCz, "https://h/cz");
}

TEST(PatchFile, UpdateNumberForms) {
  struct Case {
    const char* text;
    std::optional<int> value;
  };
  const Case cases[] = {
      {"", 0},
      {"abc", 0},
      {"12abc", 12},
      {"  42", 42},
      {"0x", 0},
      {"0x1G", 1},
      {"08", 0},  // octal: reading stops at 8
      {"0777", 511},
      {"-0x10", -16},
      {"2147483647", INT_MAX},
      {"2147483648", std::nullopt},
      {"-2147483648", INT_MIN},
      {"-2147483649", std::nullopt},
      {"0x7FFFFFFF", INT_MAX},
      {"0x80000000", std::nullopt},
      {"017777777777", INT_MAX},
      {"020000000000", std::nullopt},
      {"99999999999999999999999", std::nullopt},
      {"00000000000000000000012", 10},
  };
  for (const Case& c : cases) EXPECT_EQ(q3::parseUpdateNumber(c.text), c.value) << c.text;
}

}  // namespace
