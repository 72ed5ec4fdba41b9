// Playback: real-time pace on a clock moved by hand, pause and resume, the
// restart after the end, jumps that show the whole moment, playback speed,
// page-state records and the user's work given back at stop.
#include "monitor/ignlog_player.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "monitor/ignlog_fixture.h"
#include "params/param_model.h"

namespace {

using namespace q3test;
using q3::PlayerState;

class Player : public ::testing::Test {
 protected:
  int rpm() const { return model.monitor().word(1); }
  // Ticks of 55 ms until pred holds (at most limit ticks); the clock time then.
  template <typename Pred>
  int64_t tickUntil(Pred pred, int limit = 2000) {
    for (int i = 0; i < limit && !pred(); ++i) {
      clock.now += 55;
      player.step();
    }
    return clock.now;
  }
  HandClock clock;
  HostRecorder host;
  q3::ParamModel model;
  q3::IgnlogPlayer player{model, host, clock};
};

TEST_F(Player, RecordsAreAppliedAsFarApartAsTheyWereRecorded) {
  LogBuilder b = LogBuilder::usual();
  b.monitor(0, 100).monitor(1500, 200).monitor(3000, 300).monitor(3100, 400).monitor(9000, 500);
  player.play(b.file, "run.ignlog");
  ASSERT_EQ(player.state(), PlayerState::Playing);
  const int64_t start = clock.now;
  const int64_t at100 = tickUntil([&] { return rpm() == 100; });
  const int64_t at200 = tickUntil([&] { return rpm() == 200; });
  const int64_t at300 = tickUntil([&] { return rpm() == 300; });
  const int64_t at400 = tickUntil([&] { return rpm() == 400; });
  const int64_t at500 = tickUntil([&] { return rpm() == 500; });
  EXPECT_LE(at100 - start, 55);
  EXPECT_NEAR(double(at200 - at100), 1500, 55);
  EXPECT_NEAR(double(at300 - at200), 1500, 55);
  EXPECT_NEAR(double(at400 - at300), 100, 55);
  // The pace does not drift: the last record is due 9 s after the start.
  EXPECT_NEAR(double(at500 - start), 9000, 55);
  EXPECT_EQ(player.state(), PlayerState::Paused);  // the end pauses
  EXPECT_EQ(player.position(), player.length() - 1);
  EXPECT_EQ(*player.shownTimeMs(), 1700000000LL * 1000 + 9000);
}

TEST_F(Player, PauseHoldsThePlayheadAndResumeGoesOnFromIt) {
  LogBuilder b = LogBuilder::usual();
  b.monitor(1000, 1).monitor(2000, 2);
  player.play(b.file, "run.ignlog");
  tickUntil([&] { return rpm() == 1; });
  clock.now += 400;
  player.pause();
  clock.now += 60000;  // a long pause
  player.step();
  EXPECT_EQ(rpm(), 1);
  player.resume();
  const int64_t resumed = clock.now;
  const int64_t at2 = tickUntil([&] { return rpm() == 2; });
  EXPECT_NEAR(double(at2 - resumed), 600, 110);
}

TEST_F(Player, PlayAfterTheEndStartsAgainFromTheBeginning) {
  LogBuilder b = LogBuilder::usual(0x10);
  b.monitor(100, 1).image(200, 0x20).monitor(300, 2);
  player.play(b.file, "run.ignlog");
  tickUntil([&] { return player.state() == PlayerState::Paused; });
  EXPECT_EQ(rpm(), 2);
  EXPECT_EQ(model.image().byte(0), 0x20);
  player.resume();
  EXPECT_EQ(player.state(), PlayerState::Playing);
  EXPECT_EQ(player.position(), 0);
  EXPECT_EQ(model.image().byte(0), 0x10);  // the moment of the start again
  EXPECT_EQ(rpm(), 0);
  tickUntil([&] { return rpm() == 1; });
  EXPECT_EQ(player.position(), 1);
}

// A jump shows the moment of its target: the latest image, unit image, page
// state and monitor record at or before it, whichever way it goes.
TEST_F(Player, AJumpShowsTheWholeMomentOfItsTarget) {
  host.editors = {{0, 0, 2}};
  LogBuilder b;
  b.connection(0, 1, "").image(0, 0xA0).unitImage(0, 0xB0).page(0, pageState(0)).initialDone();
  b.monitor(100, 1)                       // position 1
      .image(200, 0xA1)                   // 2
      .page(300, pageState(3, {{0, 1}}))  // 3
      .monitor(400, 2)                    // 4
      .image(500, 0xA2)                   // 5
      .monitor(600, 3);                   // 6
  player.play(b.file, "run.ignlog");
  player.pause();
  struct Case {
    int position;
    int image, page, sheet, rpm;
  } cases[] = {
      {4, 0xA1, 3, 1, 2}, {1, 0xA0, 0, 0, 1}, {6, 0xA2, 3, 1, 3},
      {3, 0xA1, 3, 1, 1}, {0, 0xA0, 0, 0, 0}, {5, 0xA2, 3, 1, 2},
  };
  for (const Case& c : cases) {
    player.jump(c.position);
    EXPECT_EQ(player.position(), c.position);
    EXPECT_EQ(model.image().byte(7), c.image) << c.position;
    EXPECT_EQ(host.page, c.page) << c.position;
    EXPECT_EQ(host.editors[0].sheet, c.sheet) << c.position;
    EXPECT_EQ(rpm(), c.rpm) << c.position;
    EXPECT_TRUE(model.unitImageValid());
    EXPECT_EQ(model.unitImage().byte(7), 0xB0);
  }
  // Playing on from a jump takes the records after it.
  player.jump(4);
  player.resume();
  tickUntil([&] { return rpm() == 3; });
  EXPECT_EQ(model.image().byte(7), 0xA2);
}

// The advance map editor (owner id 0) showed its second sheet when the record
// was made: playback brings that sheet back. A sheet the editor does not have
// and an editor without a slot are left alone.
TEST_F(Player, PageStateRecordsBringTheSheetsBack) {
  host.editors = {{0, 0, 2}, {4, 0, 1}, {9, 1, 3}};
  LogBuilder b = LogBuilder::usual();
  b.page(100, pageState(3, {{0, 1}, {4, 7}}));
  player.play(b.file, "run.ignlog");
  tickUntil([&] { return player.state() == PlayerState::Paused; });
  EXPECT_EQ(host.page, 3);
  EXPECT_EQ(host.editors[0].sheet, 1);
  EXPECT_EQ(host.editors[1].sheet, 0);  // sheet 7 does not exist
  EXPECT_EQ(host.editors[2].sheet, 1);  // no slot for owner 9
}

TEST_F(Player, SpeedScalesThePace) {
  struct Case {
    double speed;
    int64_t expectMs;
  } cases[] = {{2.0, 1500}, {0.25, 12000}, {8.0, 375}, {100.0, 375}, {0.0, 12000}};
  for (const Case& c : cases) {
    LogBuilder b = LogBuilder::usual();
    b.monitor(0, 1).monitor(3000, 2);
    player.play(b.file, "run.ignlog");
    player.setSpeed(c.speed);
    tickUntil([&] { return rpm() == 1; });
    const int64_t from = clock.now;
    const int64_t at = tickUntil([&] { return rpm() == 2; }, 100000);
    EXPECT_NEAR(double(at - from), double(c.expectMs), 55) << c.speed;
    player.stop();
  }
}

// Play keeps the user's work aside; Stop gives back the image, the unit image
// and its flag, the change marks, the undo history, the page and the sheets.
TEST_F(Player, StopGivesTheUsersWorkBack) {
  host.editors = {{0, 1, 2}};
  host.page = 4;
  model.image() = imageOf(0x01);
  model.resetHistory(4);
  model.image().setByte(300, 0x02);
  model.snapshot(4);  // one undo step, byte 300 marked
  model.unitImage() = imageOf(0x03);
  model.setUnitImageValid(true);
  const q3::ParamImage image = model.image();
  const auto marks = model.changeMarks();
  const int current = model.current(), newest = model.newest();

  LogBuilder b;
  b.connection(0, 1, "").image(0, 0x70).unitImage(0, 0x71).page(0, pageState(8, {{0, 0}}));
  b.initialDone().monitor(100, 5);
  player.play(b.file, "run.ignlog");
  tickUntil([&] { return player.state() == PlayerState::Paused; });
  ASSERT_EQ(model.image().byte(0), 0x70);
  ASSERT_EQ(host.page, 8);
  ASSERT_EQ(host.editors[0].sheet, 0);
  model.clearChangeMarks();  // whatever happened meanwhile
  player.stop();

  EXPECT_EQ(player.state(), PlayerState::Idle);
  EXPECT_EQ(model.image(), image);
  EXPECT_EQ(model.unitImage(), imageOf(0x03));
  EXPECT_TRUE(model.unitImageValid());
  EXPECT_EQ(model.changeMarks(), marks);
  EXPECT_EQ(model.current(), current);
  EXPECT_EQ(model.newest(), newest);
  EXPECT_TRUE(model.canUndo());
  EXPECT_EQ(host.page, 4);
  EXPECT_EQ(host.editors[0].sheet, 1);
  EXPECT_EQ(rpm(), 5);  // the monitor buffer is not the user's work

  // A recording without a unit image shows none while it plays; Stop gives the flag back.
  LogBuilder noUnit = LogBuilder::usual();
  player.play(noUnit.file, "run.ignlog");
  EXPECT_FALSE(model.unitImageValid());
  player.stop();
  EXPECT_TRUE(model.unitImageValid());
}

// A file whose high-half table is all 0 and whose data pass 65535 bytes plays
// to its last record.
TEST_F(Player, AFileWithoutHighHalvesPlaysToItsEnd) {
  LogBuilder b = LogBuilder::usual();
  for (int i = 1; i <= 100; ++i) b.image(uint32_t(20 * i), i).monitor(uint32_t(20 * i + 10), i);
  std::vector<uint8_t> bytes = b.file.bytes();
  const size_t n = size_t(b.file.size());
  std::fill(bytes.begin() + 12256, bytes.begin() + 12256 + 2 * long(n), 0);
  q3::IgnlogReadResult r = q3::readIgnlog(bytes);
  ASSERT_TRUE(r.ok()) << r.message;
  ASSERT_GT(r.file.data().size(), 65535u);
  player.play(std::move(r.file), "old.ignlog");
  tickUntil([&] { return player.state() == PlayerState::Paused; });
  EXPECT_EQ(rpm(), 100);
  EXPECT_EQ(model.image().byte(1049), 100);
}

// Record times that cannot be right do not hold the playback: a time far in
// the future (a pause of days) plays after a second, a time that goes back
// plays at once, and the records after them keep their pace.
TEST_F(Player, ABrokenRecordTimeDoesNotHoldThePlayback) {
  LogBuilder b = LogBuilder::usual();
  b.monitor(0, 100).monitor(0xFFFF0000u, 200).monitor(500, 300).monitor(1500, 400);
  player.play(b.file, "broken.ignlog");
  const int64_t start = clock.now;
  // 200 and 300 come in the same step: the first after a second, the second
  // at once after it.
  const int64_t at300 = tickUntil([&] { return rpm() == 300; });
  const int64_t at400 = tickUntil([&] { return rpm() == 400; });
  EXPECT_NEAR(double(at300 - start), 1000, 55);
  EXPECT_NEAR(double(at400 - at300), 1000, 55);
  EXPECT_EQ(player.state(), PlayerState::Paused);
}

}  // namespace
