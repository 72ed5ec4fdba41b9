// Selection of multi-language strings: preparation, fall-backs, trimming,
// limits, error boxes, the literal cache and the language codes.
#include "text/mstring.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "text/recording_dialogs.h"

namespace {

using q3test::RecordingDialogs;

// A writable copy of a literal, as the program keeps texts it prepares in place.
std::vector<char> buffer(const std::string& s) {
  std::vector<char> b(s.begin(), s.end());
  b.push_back('\0');
  return b;
}

class LanguageGuard {
 public:
  explicit LanguageGuard(int lang) : saved_(q3::language()) { q3::setLanguage(lang); }
  ~LanguageGuard() { q3::setLanguage(saved_); }

 private:
  int saved_;
};

struct SelectCase {
  const char* source;
  int index;
  const char* expected;
};

class SelectTable : public ::testing::TestWithParam<SelectCase> {};

TEST_P(SelectTable, SelectsVersionWithoutErrors) {
  RecordingDialogs dialogs;
  const SelectCase& c = GetParam();
  auto b = buffer(c.source);
  EXPECT_STREQ(q3::selectText(b.data(), c.index), c.expected);
  EXPECT_TRUE(dialogs.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SelectTable,
    ::testing::Values(SelectCase{"###Read:##Lesen:##Čtení:", 0, "Read:"},
                      SelectCase{"###Read:##Lesen:##Čtení:", 1, "Lesen:"},
                      SelectCase{"###Read:##Lesen:##Čtení:", 2, "Čtení:"},
                      // Untranslated and empty versions fall back to the first.
                      SelectCase{"###OK##..##Hotovo", 1, "OK"},
                      SelectCase{"###OK##..##Hotovo", 2, "Hotovo"},
                      SelectCase{"###OK####Hotovo", 1, "OK"}, SelectCase{"###OK##Gut##", 2, "OK"},
                      SelectCase{"###OK##...##Hotovo", 1, "..."},
                      // Fewer versions than the index.
                      SelectCase{"###Only English", 2, "Only English"},
                      SelectCase{"###One##Zwei", 2, "One"},
                      // Out-of-range indexes mean English.
                      SelectCase{"###Read:##Lesen:##Čtení:", 7, "Read:"},
                      SelectCase{"###Read:##Lesen:##Čtení:", -5, "Read:"},
                      // Trailing blanks go only where a marker ends the version.
                      SelectCase{"###Read \t\r\n##Lesen  ##Čtení  ", 0, "Read"},
                      SelectCase{"###Read \t\r\n##Lesen  ##Čtení  ", 1, "Lesen"},
                      SelectCase{"###Read \t\r\n##Lesen  ##Čtení  ", 2, "Čtení  "},
                      // The first character of a version always stays, even a blank.
                      SelectCase{"###   ##x##y", 0, " "},
                      // A fourth version is ignored; the third ends at the third marker.
                      SelectCase{"###a##b##c  ##d", 2, "c"}, SelectCase{"###a##b##c##d", 2, "c"},
                      // Texts that are not multi-language strings stand as they are.
                      SelectCase{"Plain text", 1, "Plain text"},
                      SelectCase{"Plain ##text", 2, "Plain ##text"}, SelectCase{"", 1, ""}));

TEST(SelectText, PreparesInPlaceOnceAndSelectsAgainFromPreparedBuffer) {
  RecordingDialogs dialogs;
  auto b = buffer("###Read:##Lesen:##Čtení:");
  EXPECT_STREQ(q3::selectText(b.data(), 1), "Lesen:");
  // The prepared bytes: count 3, lengths before versions 1 and 2, NULs at the markers.
  const unsigned char expected[] = {0x23, 0x03, 0x05, 'R', 'e', 'a', 'd', ':',  0x00,
                                    0x06, 'L',  'e',  's', 'e', 'n', ':', 0x00, 0x23};
  ASSERT_GE(b.size(), sizeof expected);
  EXPECT_EQ(0, std::memcmp(b.data(), expected, sizeof expected));
  EXPECT_STREQ(b.data() + sizeof expected, "Čtení:");

  const std::vector<char> prepared = b;
  EXPECT_STREQ(q3::selectText(b.data(), 2), "Čtení:");
  EXPECT_STREQ(q3::selectText(b.data(), 0), "Read:");
  EXPECT_EQ(b, prepared) << "a prepared buffer must not change again";
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST(SelectText, TrimmedVersionKeepsItsLengthSoNextVersionIsFound) {
  auto b = buffer("###Abc   ##Def##Ghi");
  EXPECT_STREQ(q3::selectText(b.data(), 0), "Abc");
  EXPECT_EQ(static_cast<unsigned char>(b[2]), 6u);
  EXPECT_STREQ(q3::selectText(b.data(), 1), "Def");
  EXPECT_STREQ(q3::selectText(b.data(), 2), "Ghi");
}

TEST(SelectText, MinusOneFollowsTheCurrentLanguage) {
  auto b = buffer("###Yes##Ja##Ano");
  for (int lang : {0, 1, 2}) {
    LanguageGuard guard(lang);
    EXPECT_STREQ(q3::selectText(b.data(), -1), lang == 0 ? "Yes" : lang == 1 ? "Ja" : "Ano");
  }
  LanguageGuard guard(9);  // a stray language value selects English
  EXPECT_STREQ(q3::selectText(b.data(), -1), "Yes");
}

struct ErrorCase {
  std::string source;
  int index;
  std::string expectedBox;  // the message text; the title is always "Error"
};

class SelectErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(SelectErrors, ReportsInErrorBoxAndReturnsTheWholeBuffer) {
  RecordingDialogs dialogs;
  const ErrorCase& c = GetParam();
  auto b = buffer(c.source);
  EXPECT_EQ(q3::selectText(b.data(), c.index), b.data());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "Error");
  EXPECT_EQ(dialogs.boxes[0].kind, q3::DialogKind::Error);
  EXPECT_EQ(dialogs.boxes[0].text, c.expectedBox);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SelectErrors,
    ::testing::Values(ErrorCase{"##Read##Lesen", 1,
                                "Chybi ### na zacatku v jazykovem retezci !\n##Read##Lesen"},
                      // One '#' and a letter looks prepared; 'A' (65) is no valid count.
                      ErrorCase{"#Abc", 0, "Chybny pocet jazykovych mutaci (65 > 3 || 65==0) !\n "},
                      ErrorCase{"#", 0, "Chybny pocet jazykovych mutaci (0 > 3 || 0==0) !\n "}));

TEST(SelectText, MissingHashFormStaysUnchangedAndComplainsEveryTime) {
  RecordingDialogs dialogs;
  auto b = buffer("##Read##Lesen");
  const std::vector<char> before = b;
  EXPECT_STREQ(q3::selectText(b.data(), 1), "##Read##Lesen");
  EXPECT_STREQ(q3::selectText(b.data(), 0), "##Read##Lesen");
  EXPECT_EQ(b, before);
  EXPECT_EQ(dialogs.boxes.size(), 2u);
}

TEST(SelectText, VersionLengthLimitIs255Bytes) {
  RecordingDialogs dialogs;
  const std::string fits(255, 'x');
  auto ok = buffer("###" + fits + "##Kurz");
  EXPECT_EQ(q3::selectText(ok.data(), 0), fits);
  EXPECT_STREQ(q3::selectText(ok.data(), 1), "Kurz");
  EXPECT_TRUE(dialogs.boxes.empty());

  const std::string tooLong(256, 'y');
  auto bad = buffer("###Short##" + tooLong + "##Krátký");
  char* got = q3::selectText(bad.data(), 2);
  EXPECT_EQ(got, bad.data());
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "Error");
  EXPECT_EQ(dialogs.boxes[0].text.rfind("Prilis dlouha jazykova mutace (>255 chars) !\n", 0), 0u);
  // Left partly prepared: two versions counted, the long one ended at its marker.
  EXPECT_EQ(bad[1], 2);
  EXPECT_STREQ(q3::selectText(bad.data(), 0), "Short");
  EXPECT_EQ(q3::selectText(bad.data(), 1), tooLong);
  EXPECT_STREQ(q3::selectText(bad.data(), 2), "Short");
  EXPECT_EQ(dialogs.boxes.size(), 1u);

  // A single over-long version is not limited: no marker ends it.
  auto lone = buffer("###" + tooLong);
  EXPECT_EQ(q3::selectText(lone.data(), 2), tooLong);
  EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST(Ml, LiteralIsPreparedOnceAndKeptUnchanged) {
  RecordingDialogs dialogs;
  static const char literal[] = "###Read error !##Lesefehler !##Chyba čtení !";
  const char* en = q3::ml(literal, 0);
  const char* de = q3::ml(literal, 1);
  EXPECT_STREQ(en, "Read error !");
  EXPECT_STREQ(de, "Lesefehler !");
  EXPECT_STREQ(q3::ml(literal, 2), "Chyba čtení !");
  EXPECT_EQ(q3::ml(literal, 0), en) << "the same cached buffer every time";
  EXPECT_NE(en, literal);
  EXPECT_STREQ(literal, "###Read error !##Lesefehler !##Chyba čtení !");
  EXPECT_STREQ(q3::ml("No markers here", 2), "No markers here");
  {
    LanguageGuard guard(1);
    EXPECT_EQ(q3::ml(literal), de);
  }
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST(Ml, MalformedLiteralIsShownUnchangedWithError) {
  RecordingDialogs dialogs;
  static const char literal[] = "##Broken##Kaputt";
  EXPECT_STREQ(q3::ml(literal, 1), literal);
  EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST(Ml, ConcurrentFirstUseGivesOneAnswer) {
  static const char literal[] = "###Thread one##Faden eins##Vlákno jedna";
  std::vector<const char*> got(8, nullptr);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < got.size(); ++i)
    threads.emplace_back([&got, i] {
      for (int n = 0; n < 200; ++n) got[i] = q3::ml(literal, static_cast<int>(i % 3));
    });
  for (auto& t : threads) t.join();
  for (std::size_t i = 0; i < got.size(); ++i)
    EXPECT_STREQ(got[i], i % 3 == 0 ? "Thread one" : i % 3 == 1 ? "Faden eins" : "Vlákno jedna");
  EXPECT_EQ(q3::ml(literal, 1), got[1]);
}

TEST(LanguageCode, SettingsCodesRoundTripAndUnknownCodesKeepLanguage) {
  struct Case {
    int code, current, expected;
  };
  const Case cases[] = {{0, 2, 0}, {1, 0, 1},  {3, 0, 2},  {2, 1, 1},
                        {4, 2, 2}, {-1, 0, 0}, {255, 1, 1}};
  for (const Case& c : cases)
    EXPECT_EQ(q3::languageFromCode(c.code, c.current), c.expected) << "code " << c.code;
  for (int lang : {0, 1, 2}) EXPECT_EQ(q3::languageFromCode(q3::languageCode(lang), -7), lang);
  EXPECT_EQ(q3::languageCode(2), 3);
}

}  // namespace
