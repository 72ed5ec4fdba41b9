// The connection supervisor driven by ticks against an in-process unit: the
// step table, the failure table, the quarter passes, Read, Verify, Program,
// Reset and the port release.
#include <gtest/gtest.h>

#include "link/supervisor.h"
#include "supervisor_harness.h"

namespace q3 {
namespace {

using q3test::LinkHarness;

TEST(SupervisorQuarterTest, QuarterRangesCoverWholeBlocks) {
  const AddressRange expected[4] = {{0, 300}, {300, 600}, {600, 900}, {900, 1050}};
  for (int q = 0; q < 4; ++q) {
    EXPECT_EQ(quarterRange(q).start, expected[q].start) << q;
    EXPECT_EQ(quarterRange(q).end, expected[q].end) << q;
  }
}

TEST(SupervisorTest, ConnectionCheckRunsItsStepsAndFillsTheUnitImage) {
  LinkHarness h;
  ASSERT_TRUE(h.connectAndCheck());
  EXPECT_TRUE(h.status.shown(1, "Quelin3 v104 connected"));
  const std::vector<int> trail = h.stepTrail();
  const std::vector<int> expected = {0, 32, 33, 29, 30, 31};
  ASSERT_GT(trail.size(), expected.size());
  EXPECT_EQ(std::vector<int>(trail.begin(), trail.begin() + 6), expected);
  EXPECT_TRUE(trail[6] == 1 || trail[6] == 2);  // idle, and at once the first poll
  EXPECT_TRUE(h.model.unitImageValid());
  EXPECT_EQ(0, std::memcmp(h.model.unitImage().data(), h.unit().mem, 1050));
  EXPECT_EQ(h.unit().reads[0], 2);  // identification block read twice
  for (int b = 1; b <= 7; ++b) EXPECT_EQ(h.unit().reads[b], 2) << "block " << b;
  EXPECT_EQ(h.sup.texts.unit, "QLN03");
  EXPECT_EQ(h.sup.texts.date, "21. 6.2022");
  EXPECT_EQ(h.sup.versionState, 2);
  EXPECT_EQ(h.sup.connectionLineText(), "QLN03   RSKEY=104.00   21. 6.2022   10:30");
  EXPECT_TRUE(h.dialogs.messages.empty());
  // The bar runs on the 2400 scale of the check: it never goes back while reading.
  ASSERT_FALSE(h.progress.empty());
  EXPECT_EQ(h.progress.back(), 100);
  EXPECT_EQ(h.sup.labelComText(), "COM=1");
}

TEST(SupervisorTest, VersionMismatchOfTheIdentificationBlock) {
  struct Case {
    int major, minor;
    const char* text;
  } cases[] = {
      {104, 1, "Unmatched subversion of PC and Ignition programs!  PC-104.00, ZAR-104.01"},
      {103, 0, "Unmatched version of PC and Ignition programs!  PC-104.00, ZAR-103.00"},
  };
  for (const auto& c : cases) {
    LinkHarness h;
    h.unit().ident[10] = static_cast<uint8_t>(c.major);
    h.unit().ident[11] = static_cast<uint8_t>(c.minor);
    ASSERT_TRUE(h.tickUntil([&] { return !h.dialogs.messages.empty(); }));
    EXPECT_EQ(h.dialogs.messages[0], c.text);
    for (int i = 0; i < 40; ++i) h.tick();
    // Connected, polling, but no parameter check.
    EXPECT_TRUE(h.sup.connected());
    EXPECT_GT(h.unit().polls, 2);
    EXPECT_EQ(h.unit().reads[1], 0);
    EXPECT_FALSE(h.model.unitImageValid());
    EXPECT_EQ(h.barColour, kRed);
  }
}

TEST(SupervisorTest, MonitorVersionSetsTheConnectionLine) {
  LinkHarness h;
  h.unit().monitor[148] = 1;  // monitor index 149: minor 1
  ASSERT_TRUE(h.connectAndCheck());
  EXPECT_EQ(h.sup.versionState, 1);
  EXPECT_EQ(h.sup.connectionLineText(),
            "Unmatched subversion of PC and Ignition programs!  PC-104.00, ZAR-104.01");
}

// Two full reads that differ lead to the quarter passes; a byte that keeps
// changing fails the check after the second quarter pass.
TEST(SupervisorTest, QuarterPassesAfterDifferingReads) {
  // Reads of block 3: 0 and 1 the full reads, 2 and 3 the first quarter pass,
  // 4 and 5 the second one. The byte changes before the reads listed.
  struct Case {
    std::vector<int> changeBefore;
    bool ok;
    int quarterPasses;
  } cases[] = {{{1}, true, 1}, {{1, 3}, true, 2}, {{1, 3, 5}, false, 2}};
  for (const auto& c : cases) {
    LinkHarness h;
    int n = 0;
    h.unit().beforeRead = [&](int block) {
      if (block != 3) return;
      if (std::count(c.changeBefore.begin(), c.changeBefore.end(), n)) ++h.unit().mem[400];
      ++n;
    };
    ASSERT_TRUE(h.tickUntil([&] {
      return h.sup.step == 1 &&
             (h.status.shown(2, "Checking: OK") || h.status.shown(2, "Checking error !"));
    })) << c.quarterPasses;
    EXPECT_EQ(h.status.shown(2, "Checking: OK"), c.ok) << c.quarterPasses;
    const auto trail = h.stepTrail();
    EXPECT_EQ(std::count(trail.begin(), trail.end(), 48), c.quarterPasses);
    EXPECT_NE(std::find(trail.begin(), trail.end(), 52), trail.end());
    EXPECT_NE(std::find(h.progress.begin(), h.progress.end(), 12), h.progress.end());
    if (c.ok) {
      EXPECT_TRUE(h.model.unitImageValid());
      EXPECT_EQ(0, std::memcmp(h.model.unitImage().data(), h.unit().mem, 1050));
    } else {
      // The checking error of a comparison is shown on the face colour, the bar turns red.
      EXPECT_EQ(h.status.last(2)->back, kBtnFace);
      EXPECT_EQ(h.barColour, kRed);
      EXPECT_FALSE(h.model.unitImageValid());
    }
  }
}

TEST(SupervisorTest, ReadReplacesTheImageOnlyWhenTwoPassesAgree) {
  for (bool stable : {true, false}) {
    LinkHarness h;
    ASSERT_TRUE(h.connectAndCheck());
    h.model.image().setByte(500, 0x55);
    const ParamImage before = h.model.image();
    h.model.setChangeMark(500);
    if (!stable)
      h.unit().beforeRead = [&](int b) {
        if (b == 2) ++h.unit().mem[200];
      };
    h.sup.requestRead();
    ASSERT_TRUE(h.tickUntil([&] {
      return h.sup.step == 1 &&
             (h.status.shown(2, "Verify: OK") || h.status.shown(2, "Verify error !"));
    }));
    if (stable) {
      EXPECT_TRUE(h.status.shown(2, "Verify: OK"));
      EXPECT_EQ(0, std::memcmp(h.model.unitImage().data(), h.unit().mem, 1050));
      EXPECT_EQ(h.model.changeMarkCount(), 0);
    } else {
      EXPECT_TRUE(h.status.shown(2, "Verify error !"));
      EXPECT_TRUE(h.model.image() == before);
      EXPECT_TRUE(h.model.changeMark(500));
    }
  }
}

TEST(SupervisorTest, VerifyComparesTheImage) {
  LinkHarness h;
  ASSERT_TRUE(h.connectAndCheck());
  std::memcpy(h.model.image().data(), h.unit().mem, 1050);
  h.sup.requestVerify();
  ASSERT_TRUE(h.tickUntil([&] { return h.status.shown(2, "Verify: OK"); }));
  h.model.image().setByte(999, h.unit().mem[999] ^ 1);
  h.sup.requestVerify();
  ASSERT_TRUE(h.tickUntil([&] { return h.status.shown(2, "Verify error !"); }));
  EXPECT_EQ(h.unit().reads[7], 2 + 1 + 2);  // check, one verify, two verify passes
}

TEST(SupervisorTest, ProgramAllWritesAndReadsBackEveryBlock) {
  LinkHarness h;
  h.unit().storingAfterWrite = 2100;
  ASSERT_TRUE(h.connectAndCheck());
  for (int i = 0; i < 1050; ++i) h.model.image().setByte(i, i * 13);
  h.model.sanitize();
  const ParamImage programmed = h.model.image();
  h.unit().reads.clear();
  h.sup.requestProgram();
  ASSERT_TRUE(h.tickUntil([&] { return h.status.shown(2, "Program device: OK"); }));
  for (int b = 1; b <= 7; ++b) {
    EXPECT_EQ(h.unit().writes[b], 1) << b;
    EXPECT_EQ(h.unit().reads[b], 1) << b;
  }
  EXPECT_EQ(h.unit().reads[0], 2);  // identification block checked again
  EXPECT_EQ(0, std::memcmp(h.unit().mem, programmed.data(), 1050));
  EXPECT_TRUE(h.status.shown(2, "Saving:"));
  EXPECT_TRUE(h.model.unitImageValid());
  EXPECT_TRUE(h.model.unitImage() == programmed);
}

TEST(SupervisorTest, ProgramChangedBytesTouchesOnlyTheirBlock) {
  LinkHarness h;
  ASSERT_TRUE(h.connectAndCheck());
  std::memcpy(h.model.image().data(), h.unit().mem, 1050);
  h.model.image().setByte(400, h.unit().mem[400] ^ 0x0F);
  h.model.setChangeMark(400);
  h.unit().reads.clear();
  h.sup.requestProgramChanged();
  ASSERT_TRUE(h.tickUntil([&] { return h.status.shown(2, "Program device: OK"); }));
  EXPECT_EQ(h.unit().writes.size(), 1u);
  EXPECT_EQ(h.unit().writes[3], 1);
  EXPECT_EQ(h.unit().reads[3], 1);
  EXPECT_EQ(h.unit().reads.size(), 1u);
  EXPECT_EQ(h.unit().mem[400], h.model.image().byte(400));
  EXPECT_FALSE(h.model.changeMark(400));
}

TEST(SupervisorTest, ProgramCommandChecks) {
  {
    LinkHarness h;
    h.sup.hooks().newInstallation = [] { return true; };
    h.sup.requestProgram();
    EXPECT_EQ(h.sup.request, 0);
    ASSERT_EQ(h.dialogs.messages.size(), 1u);
    EXPECT_NE(h.dialogs.messages[0].find("new installation"), std::string::npos);
  }
  struct Case {
    int unitBike;
    Answer reply;
    int asks;
    int request;
  } cases[] = {{-1, Answer::No, 0, 96},
               {20, Answer::No, 0, 96},
               {7, Answer::No, 1, 0},
               {7, Answer::Yes, 1, 96}};
  for (const auto& c : cases) {
    LinkHarness h;
    h.model.image().setByte(170, 20);
    h.sup.bikePreset = c.unitBike;
    h.dialogs.reply = c.reply;
    h.sup.requestProgram();
    EXPECT_EQ(h.dialogs.asks, c.asks) << c.unitBike;
    EXPECT_EQ(h.sup.request, c.request) << c.unitBike;
  }
}

// Third consecutive failure of a step: the failure table.
TEST(SupervisorTest, SilentUnitDuringProgrammingEndsInTheErrorDisplay) {
  LinkHarness h;
  ASSERT_TRUE(h.connectAndCheck());
  int writes = 0;
  h.unit().beforeRead = nullptr;
  h.sup.requestProgram();
  ASSERT_TRUE(h.tickUntil([&] {
    writes = 0;
    for (auto& [b, n] : h.unit().writes) writes += n;
    return writes >= 2;
  }));
  h.unit().silent = true;  // the cable is pulled
  ASSERT_TRUE(h.tickUntil([&] { return h.status.shown(2, "Verify error !"); }, 600));
  EXPECT_EQ(h.status.last(2)->back, kRed);
  EXPECT_EQ(h.barColour, kRed);
  EXPECT_TRUE(h.sup.step == 1 || h.sup.step == 2);
  for (int i = 0; i < 200; ++i) h.tick();
  EXPECT_FALSE(h.status.shown(2, "Program device: OK"));
  EXPECT_FALSE(h.status.shown(2, "Verify: OK") && h.sup.programmedPending);
  // The polls fail too: disconnected, and slot 1 says so.
  EXPECT_FALSE(h.sup.connected());
  EXPECT_EQ(h.status.last(1)->text, "No connection with PC...");
}

TEST(SupervisorTest, MonitorPollFailuresDisconnectAndTheSearchFindsTheUnitAgain) {
  LinkHarness h;
  ASSERT_TRUE(h.connectAndCheck());
  h.unit().silent = true;
  ASSERT_TRUE(h.tickUntil([&] { return !h.sup.connected(); }));
  EXPECT_EQ(h.status.last(1)->text, "No connection with PC...");
  EXPECT_EQ(h.sup.versionState, 0);
  EXPECT_FALSE(h.model.unitImageValid());
  h.unit().silent = false;
  h.status.entries.clear();
  ASSERT_TRUE(h.connectAndCheck());
  EXPECT_TRUE(h.status.shown(1, "Quelin3 v104 connected"));
}

TEST(SupervisorTest, ResetSendsTheCommandBlock) {
  LinkHarness h;
  ASSERT_TRUE(h.connectAndCheck());
  h.sup.requestReset();
  ASSERT_TRUE(h.tickUntil([&] { return h.unit().resets == 1 && h.sup.step == 1; }));
  EXPECT_EQ(h.unit().command[12], 0xA5);
  EXPECT_EQ(h.unit().command[13], 0x10);
  EXPECT_TRUE(h.sup.connected());
}

TEST(SupervisorTest, PortReleaseAndTakeBack) {
  LinkHarness h;
  ASSERT_TRUE(h.connectAndCheck());
  const int port = h.com.connectedPort.load();
  h.sup.portMessage(port + 1, kReleaseNow);  // not the connected port: ignored
  h.sup.portMessage(port, kTakeBack);        // never released: ignored
  EXPECT_TRUE(h.sup.connected());
  h.sup.portMessage(port, kReleaseNow);
  EXPECT_FALSE(h.sup.connected());
  EXPECT_EQ(h.sup.releasedPort, port);
  for (int i = 0; i < 40; ++i) h.tick();
  EXPECT_EQ(h.com.connectedPort.load(), 0);  // the search stays dormant
  EXPECT_EQ(h.sup.labelComText(), "COM=" + std::to_string(port) + " (DISCONECTED)");
  h.sup.portMessage(port, kTakeBack);
  EXPECT_EQ(h.sup.releasedPort, -1);
  h.status.entries.clear();
  ASSERT_TRUE(h.connectAndCheck());

  // Reset and release: the unit gets the reset block first.
  h.sup.portMessage(h.com.connectedPort.load(), kResetAndRelease);
  ASSERT_TRUE(h.tickUntil([&] { return !h.sup.connected(); }));
  EXPECT_EQ(h.unit().resets, 1);
  EXPECT_EQ(h.sup.releasedPort, port);
}

}  // namespace
}  // namespace q3

namespace q3 {
namespace {

// In service mode a waiting Read drops an end state it finds instead of acting on it.
TEST(SupervisorTest, ServiceModeTakesUpAReadAtOnce) {
  for (bool service : {false, true}) {
    q3test::LinkHarness h;
    ASSERT_TRUE(h.connectAndCheck());
    int taken = 0;
    h.sup.hooks().serviceMode = [service] { return service; };
    h.sup.hooks().monitorTaken = [&] { ++taken; };
    ASSERT_TRUE(h.tickUntil([&] {
      return h.com.job.load() == kJobDone && h.com.lastJob.load() == kJobMonitor &&
             (h.ticks() & 1) == 1;  // the supervisor runs on the next tick
    }));
    h.sup.requestRead();
    h.tick();
    EXPECT_EQ(h.sup.step, kSupRead1) << service;
    EXPECT_EQ(taken, service ? 0 : 1) << service;
    ASSERT_TRUE(h.tickUntil([&] { return h.status.shown(2, "Verify: OK"); }));
  }
}

}  // namespace
}  // namespace q3
