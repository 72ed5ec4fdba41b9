// The .ignlog format: byte layout, every record type through write and read,
// files without high halves, refused headers and skipped records.
#include "monitor/ignlog_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "monitor/ignlog_fixture.h"

namespace {

using namespace q3test;
using q3::IgnlogError;
using q3::IgnlogType;

TEST(IgnlogFormat, EveryRecordTypeSurvivesWriteAndRead) {
  LogBuilder b;
  b.connection(0, 7, "QUELIN3  RSKEY=104.00  12.03.2024").image(0, 0x11).unitImage(0, 0x22);
  b.page(0, pageState(3, {{0, 1}, {5, 2}})).initialDone();
  b.monitor(440, 4321).image(900, 0x33).page(1200, pageState(9, {{0, 0}})).monitor(70000, 65535);
  b.file.header.os = {6, 1, 0, 0};
  b.file.header.monitors[0] = -1920;
  b.file.header.monitors[1] = 1920;
  b.file.header.layout = 0xDEADBEEF;

  const std::vector<uint8_t> bytes = b.file.bytes();
  const q3::IgnlogReadResult r = q3::readIgnlog(bytes);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_TRUE(r.warnings.empty());
  const q3::IgnlogFile& f = r.file;
  EXPECT_EQ(f.header.startTime, 1700000000u);
  EXPECT_EQ(f.header.os, b.file.header.os);
  EXPECT_EQ(f.header.monitors, b.file.header.monitors);
  EXPECT_EQ(f.header.layout, 0xDEADBEEF);
  EXPECT_EQ(f.header.ident, b.file.header.ident);
  EXPECT_EQ(f.header.initial, 4);
  ASSERT_EQ(f.size(), 8);
  for (int i = 0; i < f.size(); ++i) {
    EXPECT_EQ(f.records()[size_t(i)].type, b.file.records()[size_t(i)].type) << i;
    EXPECT_EQ(f.records()[size_t(i)].timeMs, b.file.records()[size_t(i)].timeMs) << i;
    const auto want = b.file.payload(i);
    const auto got = f.payload(i);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), got.begin(), got.end())) << i;
  }
  EXPECT_EQ(q3::connectionPort(f.payload(0)), 7);
  EXPECT_EQ(q3::connectionLineOf(f.payload(0)), "QUELIN3  RSKEY=104.00  12.03.2024");
  EXPECT_EQ(f.payload(1)[500], 0x11);
  EXPECT_EQ(f.payload(2)[1049], 0x22);
  EXPECT_EQ(q3::pageStateOf(f.payload(3)), pageState(3, {{0, 1}, {5, 2}}));
  EXPECT_EQ(q3::pageStateOf(f.payload(6)), pageState(9, {{0, 0}}));
  EXPECT_EQ(f.durationMs(), 70000u);
}

// The layout byte by byte: header fields, both offset tables, record heads.
TEST(IgnlogFormat, BytesFollowTheLayout) {
  LogBuilder b = LogBuilder::usual();
  b.monitor(1234, 1000);
  const std::vector<uint8_t> f = b.file.bytes();
  const int n = 4;
  const size_t h = 12256 + 2 * n;
  const size_t data = 84 + 1058 + 112 + 158;
  ASSERT_EQ(f.size(), h + data);
  EXPECT_EQ(le16(f, 0), h);
  EXPECT_EQ(le16(f, 2), 0);
  EXPECT_EQ(le32(f, 4), 1700000000u);
  EXPECT_EQ(le16(f, 60), 104);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&f[62])), b.file.header.ident);
  EXPECT_EQ(le32(f, 248), data);
  EXPECT_EQ(le16(f, 252), 3);
  EXPECT_EQ(le16(f, 254), n);
  const uint32_t offsets[] = {0, 84, 84 + 1058, 84 + 1058 + 112};
  const int lengths[] = {84, 1058, 112, 158};
  const int types[] = {1, 2, 5, 4};
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(le16(f, 256 + 2 * size_t(i)), offsets[i]) << i;
    EXPECT_EQ(le16(f, 12256 + 2 * size_t(i)), 0) << i;
    const size_t r = h + offsets[i];
    EXPECT_EQ(le16(f, r), lengths[i]) << i;
    EXPECT_EQ(f[r + 2], types[i]) << i;
    EXPECT_EQ(f[r + 3], 0) << i;
  }
  EXPECT_EQ(le16(f, 256 + 2 * 4), 0);  // low halves beyond N are 0
  EXPECT_EQ(le32(f, h + offsets[3] + 4), 1234u);
  EXPECT_EQ(le16(f, h + offsets[3] + 8 + 2), 1000);  // monitor word 1 at indices 2, 3
}

// More than 65535 bytes of data: offsets need their high halves. A file whose
// high-half table is all 0, or that has none (H = 12256), reads the same.
TEST(IgnlogFormat, HighHalvesAreRebuiltWhenTheTableIsZeroOrMissing) {
  LogBuilder b = LogBuilder::usual();
  for (int i = 0; i < 150; ++i) b.image(uint32_t(100 * i), i).monitor(uint32_t(100 * i + 50), i);
  ASSERT_GT(b.file.data().size(), 150000u);  // the carry passes 1 and 2
  const std::vector<uint8_t> full = b.file.bytes();
  const int n = b.file.size();

  std::vector<uint8_t> zeroed = full;
  std::fill(zeroed.begin() + 12256, zeroed.begin() + 12256 + 2 * n, 0);

  std::vector<uint8_t> noTable(full.begin(), full.begin() + 12256);
  noTable.insert(noTable.end(), full.begin() + 12256 + 2 * n, full.end());
  setLe16(noTable, 0, 12256);

  for (const std::vector<uint8_t>* bytes :
       std::initializer_list<const std::vector<uint8_t>*>{&full, &zeroed, &noTable}) {
    const q3::IgnlogReadResult r = q3::readIgnlog(*bytes);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_TRUE(r.warnings.empty()) << r.warnings[0].detail;
    ASSERT_EQ(r.file.size(), n);
    for (int i = 0; i < n; ++i)
      ASSERT_EQ(r.file.records()[size_t(i)].offset, b.file.records()[size_t(i)].offset) << i;
    EXPECT_EQ(r.file.payload(n - 2)[0], 149);  // the last image record
  }
}

TEST(IgnlogFormat, BadHeadersAreRefusedWithAMessage) {
  const std::vector<uint8_t> good = LogBuilder::usual().monitor(500, 1).file.bytes();
  struct Case {
    const char* name;
    void (*spoil)(std::vector<uint8_t>&);
    IgnlogError error;
    const char* says;
  } cases[] = {
      {"too short", [](std::vector<uint8_t>& f) { f.resize(255); }, IgnlogError::TooShort, "short"},
      {"H below 256", [](std::vector<uint8_t>& f) { setLe16(f, 0, 255); }, IgnlogError::BadHeader,
       "header length 255"},
      {"H above 24256", [](std::vector<uint8_t>& f) { setLe16(f, 0, 24257); },
       IgnlogError::BadHeader, "header length 24257"},
      {"H negative", [](std::vector<uint8_t>& f) { setLe16(f, 0, 0x8000); }, IgnlogError::BadHeader,
       "header length -32768"},
      {"ends inside the header", [](std::vector<uint8_t>& f) { f.resize(12000); },
       IgnlogError::TooShort, "inside its header"},
      {"another key", [](std::vector<uint8_t>& f) { setLe16(f, 60, 105); },
       IgnlogError::KeyMismatch, "RS keys are not equal (105!=104)"},
      {"N above 6000", [](std::vector<uint8_t>& f) { setLe16(f, 254, 6001); },
       IgnlogError::BadHeader, "6001"},
      {"no records", [](std::vector<uint8_t>& f) { setLe16(f, 254, 0); }, IgnlogError::NoRecords,
       "no records"},
      {"initial 0", [](std::vector<uint8_t>& f) { setLe16(f, 252, 0); }, IgnlogError::BadHeader,
       "initial record count 0"},
      {"initial above N", [](std::vector<uint8_t>& f) { setLe16(f, 252, 5); },
       IgnlogError::BadHeader, "initial record count 5"},
      {"data above 2,000,000", [](std::vector<uint8_t>& f) { setLe32(f, 248, 2000001); },
       IgnlogError::BadHeader, "2,000,000"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> f = good;
    c.spoil(f);
    const q3::IgnlogReadResult r = q3::readIgnlog(f);
    EXPECT_EQ(r.error, c.error) << c.name;
    EXPECT_NE(r.message.find(c.says), std::string::npos) << c.name << ": " << r.message;
  }
}

// A record that cannot be sound is skipped with a warning that names it; the
// others are read, and the initial count counts the sound ones.
TEST(IgnlogFormat, BadRecordsAreSkippedWithAWarning) {
  // Records: 0 connection, 1 image, 2 page (initial), 3 monitor, 4 page, 5 monitor.
  LogBuilder b = LogBuilder::usual();
  b.monitor(100, 1).page(200, pageState(2)).monitor(300, 3);
  const std::vector<uint8_t> good = b.file.bytes();
  const size_t h = le16(good, 0);
  auto recordAt = [&](int i) { return h + b.file.records()[size_t(i)].offset; };
  struct Case {
    const char* name;
    int record;  // the record spoiled
    std::function<void(std::vector<uint8_t>&)> spoil;
    const char* says;
  } cases[] = {
      {"offset outside the data", 3, [&](std::vector<uint8_t>& f) { setLe16(f, 12256 + 2 * 3, 5); },
       "outside"},
      {"shorter than its type", 3, [&](std::vector<uint8_t>& f) { setLe16(f, recordAt(3), 100); },
       "shorter"},
      {"length below the head", 4, [&](std::vector<uint8_t>& f) { setLe16(f, recordAt(4), 3); },
       "shorter"},
      {"unknown type", 3, [&](std::vector<uint8_t>& f) { f[recordAt(3) + 2] = 9; }, "type 9"},
      {"page index 10", 4, [&](std::vector<uint8_t>& f) { f[recordAt(4) + 8] = 10; }, "page 10"},
      {"runs past the data", 5, [&](std::vector<uint8_t>& f) { setLe16(f, recordAt(5), 400); },
       "past the end"},
      {"initial record spoiled", 1, [&](std::vector<uint8_t>& f) { f[recordAt(1) + 2] = 0; },
       "type 0"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> f = good;
    c.spoil(f);
    const q3::IgnlogReadResult r = q3::readIgnlog(f);
    ASSERT_TRUE(r.ok()) << c.name << ": " << r.message;
    ASSERT_EQ(r.warnings.size(), 1u) << c.name;
    EXPECT_EQ(r.warnings[0].record, c.record) << c.name;
    EXPECT_NE(r.warnings[0].detail.find(c.says), std::string::npos)
        << c.name << ": " << r.warnings[0].detail;
    ASSERT_EQ(r.file.size(), 5) << c.name;
    EXPECT_EQ(r.file.header.initial, c.record < 3 ? 2 : 3) << c.name;
    for (const q3::IgnlogRecord& rec : r.file.records())
      EXPECT_NE(rec.offset, b.file.records()[size_t(c.record)].offset) << c.name;
  }
}

// A spoilt low half in a file without high halves costs its own record only:
// the records after it are still found where they are.
TEST(IgnlogFormat, ASpoiltLowHalfCostsOnlyItsOwnRecord) {
  LogBuilder b = LogBuilder::usual();
  b.monitor(100, 1).page(200, pageState(2)).monitor(300, 3);
  std::vector<uint8_t> f = b.file.bytes();
  setLe16(f, 256 + 2 * 3, 1);  // record 3 now points below record 2
  const q3::IgnlogReadResult r = q3::readIgnlog(f);
  ASSERT_TRUE(r.ok()) << r.message;
  ASSERT_EQ(r.warnings.size(), 1u);
  EXPECT_EQ(r.warnings[0].record, 3);
  ASSERT_EQ(r.file.size(), 5);
  EXPECT_EQ(r.file.records().back().offset, b.file.records().back().offset);
  EXPECT_EQ(r.file.records()[3].offset, b.file.records()[4].offset);
}

// A file cut short (a copy that broke off) keeps the records inside it.
TEST(IgnlogFormat, AFileCutShortKeepsItsWholeRecords) {
  LogBuilder b = LogBuilder::usual();
  b.monitor(100, 1).monitor(200, 2).monitor(300, 3);
  std::vector<uint8_t> f = b.file.bytes();
  f.resize(f.size() - 10);
  const q3::IgnlogReadResult r = q3::readIgnlog(f);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(r.file.size(), 5);
  EXPECT_GE(r.warnings.size(), 2u);  // the short data and the broken record
  EXPECT_EQ(r.file.durationMs(), 200u);
}

// Appending stops at the format's limits instead of overrunning the tables.
TEST(IgnlogFormat, AppendRefusesRecordsBeyondTheLimits) {
  q3::IgnlogFile f;
  const std::vector<uint8_t> m(150, 0);
  for (int i = 0; i < 6000; ++i) ASSERT_TRUE(f.append(IgnlogType::Monitor, uint32_t(i), m));
  EXPECT_FALSE(f.fits(int(IgnlogType::Monitor)));
  EXPECT_FALSE(f.append(IgnlogType::Monitor, 6000, m));
  EXPECT_EQ(f.size(), 6000);

  q3::IgnlogFile g;
  const std::vector<uint8_t> img(1050, 0);
  int n = 0;
  while (g.append(IgnlogType::Image, 0, img)) ++n;
  EXPECT_EQ(n, 2000000 / 1058);
  EXPECT_LE(g.data().size(), 2000000u);
  EXPECT_TRUE(g.fits(int(IgnlogType::Monitor)));  // a smaller record still fits
}

class IgnlogFiles : public ScratchDir {};

TEST_F(IgnlogFiles, WritingReplacesTheFileWholeOrReportsWhy) {
  const LogBuilder b = LogBuilder::usual();
  std::string why;
  ASSERT_TRUE(q3::writeFileReplacing(path("run.ignlog"), b.file.bytes(), &why)) << why;
  const q3::IgnlogReadResult r = q3::readIgnlogFile(path("run.ignlog"));
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(r.file.size(), 3);
  EXPECT_FALSE(std::filesystem::exists(path("run.ignlog.tmp~")));

  EXPECT_FALSE(q3::writeFileReplacing(path("no/such/folder/run.ignlog"), b.file.bytes(), &why));
  EXPECT_NE(why.find("cannot create"), std::string::npos) << why;

  const q3::IgnlogReadResult missing = q3::readIgnlogFile(path("missing.ignlog"));
  EXPECT_EQ(missing.error, IgnlogError::CannotOpen);
  EXPECT_NE(missing.message.find("missing.ignlog"), std::string::npos);
}

}  // namespace
