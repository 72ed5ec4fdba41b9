// Settings files where they meet the disk: a save under kills and a full disk
// keeps the old file and names the cause; a load of a file with holes or in
// an unreadable encoding says what it found.
#include <gtest/gtest.h>

#include "files/files_fixture.h"
#include "files/ign_document.h"
#include "files/ign_reader.h"
#include "files/ign_writer.h"
#include "files/service_tools.h"
#include "write_faults.h"

namespace {

using q3test::WriteFault;

class IgnFileSafetyTest : public q3test::ScratchDir {};

TEST_F(IgnFileSafetyTest, SaveUnderKillsAndFullDiskKeepsTheOldFile) {
  const std::string old = "KORVELAN_KEY   104 old file";
  const std::string text = q3::renderIgn(q3::defaultImageForBike(20), q3::IgnWriteInfo{});
  auto save = [&](const std::string& p) {
    std::string why;
    return q3::writeIgnText(p, text, &why) ? std::string() : why;
  };
  for (WriteFault f : {WriteFault::KillAtFirstWrite, WriteFault::KillAtRename,
                       WriteFault::FileSizeLimit, WriteFault::FullDisk}) {
    SCOPED_TRACE(q3test::writeFaultName(f));
    const q3test::WriteFaultRun r =
        q3test::runWriteWithFault(f, dir.string(), path("race.ign"), old, save);
    if (r.skipped) continue;
    EXPECT_EQ(r.content, old);
    if (!r.killed)
      EXPECT_NE(r.message.find(q3test::writeFaultCause(f)), std::string::npos) << r.message;
  }
  EXPECT_EQ(save(path("race.ign")), "");
  EXPECT_EQ(readAll(path("race.ign")).size(),
            text.size() + std::count(text.begin(), text.end(), '\n'));
}

TEST_F(IgnFileSafetyTest, DocumentSaveThatFailsShowsTheCause) {
  q3test::MessageRecorder messages;
  q3::ParamModel model;
  q3::IgnDocument doc(model, messages);
  EXPECT_FALSE(doc.save(path("no/such/folder/x.ign")));
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_NE(messages.texts[0].find("Open file error!"), std::string::npos);
  EXPECT_NE(messages.texts[0].find("no such file or directory"), std::string::npos)
      << messages.texts[0];
}

TEST_F(IgnFileSafetyTest, LoadWarningsNameWhatIsMissingOrUnreadable) {
  const std::string whole = [] {
    std::string t = q3::renderIgn(q3::defaultImageForBike(20), q3::IgnWriteInfo{});
    std::string crlf;
    for (char c : t) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    return crlf;
  }();
  const size_t advance = whole.find("\r\nADVANCE ");
  const size_t advanceRow3 = whole.find("\r\n ", whole.find("\r\n ", advance + 2) + 2);
  const size_t advanceRow6 = whole.find("\r\n", advanceRow3 + 2 + 3 * 17 * 5);
  std::string withoutRows = whole;
  withoutRows.erase(advanceRow3, advanceRow6 - advanceRow3);
  struct Case {
    const char* name;
    std::string bytes;
    bool accepted;
    std::vector<q3::IgnWarningKind> kinds;
    const char* words;  // a text the message holds
  } cases[] = {
      {"whole", whole, true, {}, ""},
      {"half",
       whole.substr(0, whole.size() / 2),
       true,
       {q3::IgnWarningKind::EndsEarly, q3::IgnWarningKind::MissingKeywords},
       "missing: "},
      {"map lines missing",
       withoutRows,
       true,
       {q3::IgnWarningKind::ShortLine, q3::IgnWarningKind::MissingKeywords},
       "ADVANCE has too few"},
      {"utf-8 mark",
       "\xEF\xBB\xBF" + whole,
       false,
       {q3::IgnWarningKind::Encoding},
       "byte-order mark"},
      {"utf-16",
       "\xFF\xFE" + std::string("K\0O\0R\0", 6),
       false,
       {q3::IgnWarningKind::Encoding},
       "UTF-16"},
      {"utf-16 without mark",
       std::string("K\0O\0R\0V\0E\0L\0A\0N\0", 16),
       false,
       {q3::IgnWarningKind::Encoding},
       "UTF-16"},
      {"binary",
       std::string("\x01\x02\0\x7f\x80", 5) + whole,
       false,
       {q3::IgnWarningKind::Encoding},
       "binary data"},
      {"too large",
       std::string(size_t(q3::kIgnMaxFileSize) + 1, ' '),
       false,
       {q3::IgnWarningKind::TooLarge},
       "larger than 10485760 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeAll(path("f.ign"), c.bytes);
    q3test::MessageRecorder messages;
    q3::ParamModel model;
    q3::IgnDocument doc(model, messages);
    const auto result = doc.load(path("f.ign"), -1);
    EXPECT_EQ(result == q3::IgnDocument::LoadResult::Loaded, c.accepted);
    std::vector<q3::IgnWarningKind> kinds;
    for (const auto& w : doc.lastWarnings()) kinds.push_back(w.kind);
    EXPECT_EQ(kinds, c.kinds);
    if (c.kinds.empty()) {
      EXPECT_TRUE(messages.texts.empty());
    } else {
      ASSERT_FALSE(messages.texts.empty());
      EXPECT_NE(messages.texts.back().find(c.words), std::string::npos) << messages.texts.back();
    }
  }
}

TEST_F(IgnFileSafetyTest, ShippedDefaultFileNamesFitTheArchive) {
  for (int bike = 0; bike < q3::kServiceBikes; ++bike) {
    const std::string name = q3::archiveBikeFileName(bike) + ".ign";
    EXPECT_LE(name.size(), 52u) << name;
    if (q3::bikeFileNameOf(bike).size() + 4 <= 52)
      EXPECT_EQ(name, q3::bikeFileNameOf(bike) + ".ign");
  }
  EXPECT_EQ(q3::archiveBikeFileName(30), "Classic (1 lobe per 2 rev (CMPS), 1-2 pick-ups)");
}

}  // namespace
