// Recording: the initial records, page states written only when they change,
// the file on disk never more than 1.5 s behind, write failures reported and
// retried, and the move to a numbered file at the format's limits.
#include "monitor/ignlog_recorder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "monitor/ignlog_fixture.h"

namespace {

using namespace q3test;
using q3::IgnlogType;

class Recorder : public ScratchDir {
 protected:
  q3::RecordingStart startState(bool withUnit) {
    q3::RecordingStart s;
    s.port = 4;
    s.connectionLine = "QUELIN3 01  RSKEY=104.00  12.03.2024  10:20";
    s.image = imageOf(0x44);
    if (withUnit) s.unitImage = imageOf(0x55);
    s.page = pageState(2, {{0, 1}});
    return s;
  }
  q3::IgnlogReadResult onDisk(const std::string& leaf = "run.ignlog") {
    return q3::readIgnlogFile(path(leaf));
  }
  std::vector<int> types(const q3::IgnlogFile& f) {
    std::vector<int> t;
    for (const q3::IgnlogRecord& r : f.records()) t.push_back(r.type);
    return t;
  }
  HandClock clock;
  q3::IgnlogRecorder rec{clock};
  std::vector<uint8_t> mon = monitorWithRpm(3000);
};

TEST_F(Recorder, StartsWithTheInitialRecordsOnDisk) {
  for (bool withUnit : {true, false}) {
    ASSERT_TRUE(
        rec.start(path("run.ignlog"), startState(withUnit), q3::ignlogHeaderOfThisProgram()));
    // The file is there before the first monitor answer.
    const q3::IgnlogReadResult r = onDisk();
    ASSERT_TRUE(r.ok()) << r.message;
    const std::vector<int> want =
        withUnit ? std::vector<int>{1, 2, 3, 5} : std::vector<int>{1, 2, 5};
    EXPECT_EQ(types(r.file), want) << withUnit;
    EXPECT_EQ(r.file.header.initial, int(want.size()));
    EXPECT_EQ(r.file.header.startTime, uint32_t(clock.unix));
    EXPECT_EQ(r.file.header.ident.rfind("QUELIN3   RSKEY=104.00   COMPILE=", 0), 0u);
    EXPECT_EQ(q3::connectionPort(r.file.payload(0)), 4);
    EXPECT_EQ(r.file.payload(1)[0], 0x44);
    EXPECT_EQ(q3::pageStateOf(r.file.payload(int(want.size()) - 1)), pageState(2, {{0, 1}}));
    ASSERT_TRUE(rec.stop());
  }
}

TEST_F(Recorder, PageStatesAreWrittenOnlyWhenTheyChange) {
  ASSERT_TRUE(rec.start(path("run.ignlog"), startState(false), {}));
  rec.recordPageState(pageState(2, {{0, 1}}));  // as at the start
  rec.recordPageState(pageState(3, {{0, 1}}));
  rec.recordPageState(pageState(3, {{0, 1}}));
  rec.recordPageState(pageState(3, {{0, 0}}));
  ASSERT_TRUE(rec.stop());
  EXPECT_EQ(types(onDisk().file), (std::vector<int>{1, 2, 5, 5, 5}));
}

// Whatever moment the program dies at, the file on disk is valid and holds
// every record older than the write interval.
TEST_F(Recorder, TheFileOnDiskIsNeverMoreThanTheIntervalBehind) {
  ASSERT_TRUE(rec.start(path("run.ignlog"), startState(true), {}));
  const int64_t t0 = clock.now;
  int recorded = 0;
  for (int tick = 0; tick < 200; ++tick) {  // 11 s of 55 ms ticks
    clock.now += 55;
    if (tick % 8 == 0) {
      rec.recordMonitor(mon.data());
      ++recorded;
    }
    ASSERT_TRUE(rec.tick());
    const q3::IgnlogReadResult r = onDisk();
    ASSERT_TRUE(r.ok()) << r.message;
    const int onFile = r.file.size() - r.file.header.initial;
    // Records made 2 s ago or earlier are all on disk.
    const int64_t dueBefore = clock.now - t0 - 2000;
    int due = 0;
    for (int k = 0; k < recorded; ++k)
      if (int64_t(k) * 8 * 55 + 55 <= dueBefore) ++due;
    ASSERT_GE(onFile, due) << "tick " << tick;
  }
  ASSERT_TRUE(rec.stop());
  EXPECT_EQ(onDisk().file.size() - 4, recorded);
}

TEST_F(Recorder, AFailedWriteIsReportedOnceAndTriedAgain) {
  std::filesystem::create_directories(dir / "sub");
  const std::string file = path("sub/run.ignlog");
  std::vector<std::string> errors;
  rec.onWriteError = [&](const std::string& e) { errors.push_back(e); };
  ASSERT_TRUE(rec.start(file, startState(false), {}));
  std::filesystem::remove_all(dir / "sub");
  for (int i = 0; i < 3; ++i) {
    rec.recordMonitor(mon.data());
    clock.now += 2000;
    EXPECT_FALSE(rec.tick());
  }
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("cannot create"), std::string::npos) << errors[0];
  EXPECT_FALSE(rec.error().empty());
  // The folder is back: the next turn writes everything recorded meanwhile.
  std::filesystem::create_directories(dir / "sub");
  clock.now += 2000;
  EXPECT_TRUE(rec.tick());
  EXPECT_TRUE(rec.error().empty());
  EXPECT_EQ(q3::readIgnlogFile(file).file.size(), 3 + 3);
  ASSERT_TRUE(rec.stop());

  // A recording whose file cannot be created does not start.
  q3::IgnlogRecorder other(clock);
  EXPECT_FALSE(other.start(path("none/run.ignlog"), startState(false), {}));
  EXPECT_FALSE(other.recording());
  EXPECT_FALSE(other.error().empty());
}

// At 6000 records the file is closed and the recording goes on in run-2,
// which begins with the initial records of that moment; no record is lost.
TEST_F(Recorder, AFullFileGoesOnInTheNextNumberedFile) {
  std::vector<std::string> next;
  rec.onNextFile = [&](const std::string& p) { next.push_back(p); };
  ASSERT_TRUE(rec.start(path("run.ignlog"), startState(true), {}));
  rec.recordImage(imageOf(0x66));
  rec.recordPageState(pageState(5));
  const int total = 6500;
  for (int i = 0; i < total; ++i) {
    clock.now += 10;
    const std::vector<uint8_t> m = monitorWithRpm(i);
    rec.recordMonitor(m.data());
  }
  ASSERT_TRUE(rec.stop());
  ASSERT_EQ(next, std::vector<std::string>{path("run-2.ignlog")});
  EXPECT_EQ(rec.paths(), (std::vector<std::string>{path("run.ignlog"), path("run-2.ignlog")}));

  const q3::IgnlogReadResult first = onDisk("run.ignlog");
  const q3::IgnlogReadResult second = onDisk("run-2.ignlog");
  ASSERT_TRUE(first.ok() && second.ok());
  EXPECT_EQ(first.file.size(), 6000);
  const std::vector<int> secondTypes = types(second.file);
  EXPECT_EQ(secondTypes.size() - 4, size_t(total - (6000 - 6)));
  EXPECT_EQ(std::vector<int>(secondTypes.begin(), secondTypes.begin() + 4),
            (std::vector<int>{1, 2, 3, 5}));
  EXPECT_EQ(second.file.payload(1)[0], 0x66);  // the latest image
  EXPECT_EQ(q3::pageStateOf(second.file.payload(3)).page, 5);
  // Every monitor record, in order, across both files.
  int expect = 0;
  for (const q3::IgnlogFile* f : {&first.file, &second.file}) {
    for (int i = 0; i < f->size(); ++i) {
      if (f->records()[size_t(i)].type == int(IgnlogType::Monitor)) {
        ASSERT_EQ(f->payload(i)[2] | (f->payload(i)[3] << 8), expect++);
      }
    }
  }
  EXPECT_EQ(expect, total);
  EXPECT_EQ(second.file.records()[4].timeMs, 0u);  // times start again in the new file
  // The recording's own duration goes on across the files (a --seconds limit
  // counts it), while the window's "seconds" counts the current file.
  EXPECT_EQ(rec.recordingElapsedMs(), total * 10LL);
  EXPECT_EQ(rec.elapsedMs(), (total - (6000 - 6)) * 10LL - 10);
}

TEST(IgnlogRecorderNames, NumberedPaths) {
  struct Case {
    const char* path;
    int number;
    const char* want;
  } cases[] = {
      {"/tmp/run.ignlog", 1, "/tmp/run.ignlog"},
      {"/tmp/run.ignlog", 2, "/tmp/run-2.ignlog"},
      {"/tmp/a.b/run", 3, "/tmp/a.b/run-3"},
      {"run.IGNLOG", 2, "run-2.IGNLOG"},
      {"/tmp/run.x.ignlog", 12, "/tmp/run.x-12.ignlog"},
  };
  for (const Case& c : cases) EXPECT_EQ(q3::numberedIgnlogPath(c.path, c.number), c.want) << c.path;
}

}  // namespace
