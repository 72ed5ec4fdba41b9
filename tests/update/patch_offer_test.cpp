// What an update file offers: verdicts, the text in the user's language
// (plain, RTF, HTML, Windows-1250), the links that may be opened, and the
// server's base address.
#include "update/patch_offer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "base/key_file.h"
#include "update/rtf_text.h"
#include "update/update_server.h"

namespace {

const QUrl kServer("https://updates.example.org");

std::string file(const std::string& recs) {
  return std::string(q3::kPatchProductTag) + recs + "</product>";
}

q3::PatchEvaluation evaluate(const std::string& body, int language = 0, int declined = 0,
                             QUrl server = kServer) {
  return q3::evaluatePatchFile(body, {"2022_06_21", language, declined, server});
}

TEST(PatchOffer, VerdictAndDontRemind) {
  struct Case {
    const char* name;
    std::string body;
    int declined;
    q3::PatchVerdict verdict;
    int number;  // of the offer, when there is one
  };
  const std::string seven =
      file("<recommendation update_number=\"7\"><english>E</english></recommendation>");
  const Case cases[] = {
      {"offer", seven, 0, q3::PatchVerdict::Offer, 7},
      {"declined an older one", seven, 6, q3::PatchVerdict::Offer, 7},
      {"declined this one", seven, 7, q3::PatchVerdict::Declined, 7},
      {"declined a newer one", seven, 8, q3::PatchVerdict::Declined, 7},
      // The declined number is the offered one's own, so a trailing
      // recommendation numbered 0 neither hides nor replaces the offer.
      {"trailing 0 does not hide 7",
       seven.substr(0, seven.size() - 10) +
           "<recommendation><english>old</english></recommendation></product>",
       0, q3::PatchVerdict::Offer, 7},
      {"only a 0", file("<recommendation></recommendation>"), 0, q3::PatchVerdict::NumberZero, 0},
      {"nothing applies",
       file("<recommendation update_number=\"3\" to=\"2020_01_01\"></recommendation>"), 0,
       q3::PatchVerdict::NoApplicable, 0},
      {"no section", "<html>404</html>", 0, q3::PatchVerdict::NoProduct, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    q3::PatchEvaluation ev = evaluate(c.body, 0, c.declined);
    EXPECT_EQ(ev.verdict, c.verdict);
    if (c.verdict == q3::PatchVerdict::Offer || c.verdict == q3::PatchVerdict::Declined) {
      ASSERT_TRUE(ev.offer);
      EXPECT_EQ(ev.offer->updateNumber, c.number);
    } else {
      EXPECT_FALSE(ev.offer);
    }
  }
}

TEST(PatchOffer, TextFollowsTheLanguage) {
  struct Case {
    const char* name;
    std::string body;
    int language;
    std::string text;
    bool rtf;
  };
  auto one = [](const std::string& inner) {
    return file("<recommendation update_number=\"12\">" + inner + "</recommendation>");
  };
  const std::string both = one("<czech>Nová verze</czech><english>New version</english>");
  const Case cases[] = {
      {"Czech", both, 2, "Nová verze", false},
      {"English", both, 0, "New version", false},
      {"German takes English", both, 1, "New version", false},
      {"Czech without a Czech text", one("<english>Only English</english>"), 2, "Only English",
       false},
      {"no text at all", one(""), 2, "Korvelan patch QUELIN3 Key=104 Ver=12", false},
      {"empty text counts as none", one("<english>  </english>"), 0,
       "Korvelan patch QUELIN3 Key=104 Ver=12", false},
      {"blanks trimmed", one("<english>\n  Fixes  \n</english>"), 0, "Fixes", false},
      {"Windows-1250 bytes", one("<czech>Nov\xe1 \x9a\xe8</czech>"), 2, "Nová šč", false},
      {"HTML stays plain text", one("<english><b>bold</b> <img src=x></english>"), 0,
       "<b>bold</b> <img src=x>", false},
      {"RTF read for its characters",
       one("<english>{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0;}"
           "\\f0 First\\par Second \\'9a\\u269?x\\tab y{\\*\\generator Word;}}</english>"),
       0, "First\nSecond ščx\ty", true},
  };
  // (In the RTF case "\u269?" is "č" with the fallback "?" skipped; "x" follows.)
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    q3::PatchEvaluation ev = evaluate(c.body, c.language);
    ASSERT_TRUE(ev.offer);
    EXPECT_EQ(ev.offer->text, c.text);
    EXPECT_EQ(ev.offer->fromRtf, c.rtf);
  }
}

TEST(PatchOffer, RtfReaderSurvivesBrokenInput) {
  EXPECT_EQ(q3::rtfToPlainText("{\\rtf1 a}}}}b{{{"), "ab");
  EXPECT_EQ(q3::rtfToPlainText("{\\rtf1 \\'4"), "4");  // half an escape: the digit stays
  EXPECT_EQ(q3::rtfToPlainText("{\\rtf1 \\u-3913?"), std::string("\xef\x82\xb7"));  // U+F0B7
  EXPECT_EQ(q3::rtfToPlainText("{\\rtf1 \\\\ \\{ \\}}"), "\\ { }");
  std::string deep(100000, '{');
  EXPECT_EQ(q3::rtfToPlainText("{\\rtf1 " + deep + "x"), "");  // nested too deep: left out
}

TEST(PatchOffer, OnlyLinksOnTheServersHostAreOffered) {
  struct Case {
    const char* name;
    std::string link;
    q3::LinkVerdict verdict;
    const char* url;  // the address opened when allowed
  };
  const std::string longPath = "https://updates.example.org/" + std::string(221, 'a');  // 249
  const Case cases[] = {
      {"https on the host", "https://updates.example.org/q3/setup.exe", q3::LinkVerdict::Allowed,
       "https://updates.example.org/q3/setup.exe"},
      {"http upgraded to https", "http://updates.example.org/x.zip", q3::LinkVerdict::Allowed,
       "https://updates.example.org/x.zip"},
      {"host names ignore case", "https://UPDATES.example.org/x", q3::LinkVerdict::Allowed,
       "https://updates.example.org/x"},
      {"249 characters", longPath, q3::LinkVerdict::Allowed, nullptr},
      {"250 characters", longPath + "a", q3::LinkVerdict::TooLong, nullptr},
      {"blanks around are dropped", "\n  https://updates.example.org/a \n",
       q3::LinkVerdict::Allowed, "https://updates.example.org/a"},
      {"foreign host", "https://evil.example.com/setup.exe", q3::LinkVerdict::ForeignHost, nullptr},
      {"look-alike host", "https://updates.example.org.evil.com/", q3::LinkVerdict::ForeignHost,
       nullptr},
      {"user information", "https://updates.example.org@evil.com/", q3::LinkVerdict::Malformed,
       nullptr},
      {"file scheme", "file:///etc/passwd", q3::LinkVerdict::BadScheme, nullptr},
      {"javascript", "javascript:alert(1)", q3::LinkVerdict::BadScheme, nullptr},
      {"ftp", "ftp://updates.example.org/x", q3::LinkVerdict::BadScheme, nullptr},
      {"relative", "/old/setup.exe", q3::LinkVerdict::Malformed, nullptr},
      {"blank inside", "https://updates.example.org/a b", q3::LinkVerdict::Malformed, nullptr},
      {"empty", "   ", q3::LinkVerdict::Empty, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    q3::CheckedLink l = q3::checkOfferLink(c.link, kServer);
    EXPECT_EQ(l.verdict, c.verdict);
    EXPECT_EQ(l.url.isEmpty(), c.verdict != q3::LinkVerdict::Allowed);
    if (c.url) EXPECT_EQ(l.url.toString().toStdString(), c.url);
  }
  // An http server keeps http links as they are.
  EXPECT_EQ(q3::checkOfferLink("http://127.0.0.1:8080/a", QUrl("http://127.0.0.1:9")).url,
            QUrl("http://127.0.0.1:8080/a"));
}

TEST(PatchOffer, LinksTurnedDownLeaveTheButtonHidden) {
  const std::string body = file(
      "<recommendation update_number=\"4\"><web_cz>ftp://updates.example.org/cz</web_cz>"
      "<web>https://updates.example.org/en</web>"
      "<download>https://elsewhere.example.net/setup.exe</download></recommendation>");
  q3::PatchEvaluation cz = evaluate(body, 2);
  ASSERT_TRUE(cz.offer);
  // The Czech link is turned down, so the general one stands in.
  EXPECT_EQ(cz.offer->web, QUrl("https://updates.example.org/en"));
  EXPECT_TRUE(cz.offer->download.isEmpty());
  EXPECT_EQ(cz.notes.size(), 2u);
  q3::PatchEvaluation en = evaluate(body, 0);
  EXPECT_EQ(en.offer->web, QUrl("https://updates.example.org/en"));
  EXPECT_EQ(en.notes.size(), 1u);
}

TEST(UpdateServer, BaseAddressAndPages) {
  EXPECT_EQ(q3::updateServerUrl("", ""), QUrl(q3::kPlaceholderUpdateServer));
  EXPECT_EQ(q3::updateServerUrl("", "http://10.0.0.5:8080/q3/"), QUrl("http://10.0.0.5:8080/q3/"));
  EXPECT_EQ(q3::updateServerUrl("", "ftp://x"), QUrl(q3::kPlaceholderUpdateServer));
  EXPECT_EQ(q3::updateServerUrl("", "no address"), QUrl(q3::kPlaceholderUpdateServer));
  // The start option (QUELIN3_UPDATE_SERVER) wins over the setting.
  EXPECT_EQ(q3::updateServerUrl("https://env.example.org", "http://10.0.0.5"),
            QUrl("https://env.example.org"));

  q3::KeyFile kf;
  kf.parse("[FORM_HLAV]\nUpdateServer=http://w.example.org\n");
  EXPECT_EQ(q3::updateServerSetting(kf), "http://w.example.org");

  const QUrl base("http://10.0.0.5:8080/q3/");
  EXPECT_EQ(q3::patchFileUrl(base).toString(), "http://10.0.0.5:8080/q3/old/patch.xml");
  EXPECT_EQ(q3::webPageUrl(base, q3::WebPage::Upload, 0).toString(),
            "http://10.0.0.5:8080/q3/en/stahnout/upload");
  EXPECT_EQ(q3::webPageUrl(base, q3::WebPage::Manuals, 1).toString(),
            "http://10.0.0.5:8080/q3/en/stahnout/manuals");
  EXPECT_EQ(q3::webPageUrl(QUrl("https://h"), q3::WebPage::Manuals, 2).toString(),
            "https://h/cz/stahnout/manuals");
}

TEST(OfferText, LongTextsAreCappedAndBrokenOnCharacterBoundaries) {
  // A short text stays as it is.
  EXPECT_EQ(q3::offerTextForDisplay("Version 7\nfixes"), "Version 7\nfixes");
  // A long line is broken, never inside a UTF-8 character ("\xc4\x8d" is 2 bytes).
  std::string czech;
  for (int i = 0; i < 1000; ++i) czech += "\xc4\x8d";
  const std::string shown = q3::offerTextForDisplay(czech);
  size_t line = 0;
  for (size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] == '\n') {
      EXPECT_NE(static_cast<unsigned char>(shown[i + 1]) & 0xC0, 0x80u) << "split at " << i;
      EXPECT_LE(line, q3::kOfferLineBytes + 1);
      line = 0;
    } else {
      ++line;
    }
  }
  std::string joined;
  for (char c : shown)
    if (c != '\n') joined += c;
  EXPECT_EQ(joined, czech);
  // A huge text is cut with a note of what is left out.
  const std::string huge(9'500'000, 'x');
  const std::string cut = q3::offerTextForDisplay(huge);
  EXPECT_LT(cut.size(), q3::kOfferShownBytes + q3::kOfferShownBytes / q3::kOfferLineBytes + 100);
  EXPECT_NE(cut.find("[... " + std::to_string(huge.size() - q3::kOfferShownBytes) +
                     " more bytes not shown]"),
            std::string::npos);
}

}  // namespace
