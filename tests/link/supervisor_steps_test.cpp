// The connection supervisor driven by ticks against an in-process unit: the
// step table, the failure table, the quarter passes, Read, Verify, Program,
// Reset and the port release.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <span>
#include <vector>

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
  EXPECT_EQ(h.sup.texts().unit, "QLN03");
  EXPECT_EQ(h.sup.texts().date, "21. 6.2022");
  EXPECT_EQ(h.sup.versionState(), 2);
  EXPECT_EQ(h.sup.connectionLineText(), "QLN03   RSKEY=104.00   21. 6.2022   10:30");
  EXPECT_TRUE(h.dialogs.messages.empty());
  // The bar runs on the 2400 scale of the check: it never goes back while reading.
  ASSERT_FALSE(h.progress.empty());
  EXPECT_EQ(h.progress.back(), 100);
  EXPECT_EQ(h.sup.labelComText(), "COM=1");
}

// Every listener of the monitor answer sees every answer once, whatever the
// order in which the listeners were registered.
TEST(SupervisorTest, ThreeMonitorListenersEachSeeEveryAnswerOnce) {
  std::array<int, 3> order = {0, 1, 2};
  do {
    LinkHarness h;
    std::array<std::vector<int>, 3> seen;  // per listener: the poll count at each answer
    std::vector<Event<std::span<const uint8_t>>::Subscription> subs;
    for (int who : order)
      subs.push_back(h.sup.events().monitorAnswer.subscribe([&, who](std::span<const uint8_t> a) {
        EXPECT_EQ(a.size(), 150u);
        seen[static_cast<size_t>(who)].push_back(h.unit().polls);
      }));
    ASSERT_TRUE(h.connectAndCheck());
    ASSERT_TRUE(h.tickUntil([&] { return h.unit().polls >= 6; }));
    for (int i = 0; i < 8; ++i) h.tick();  // the last poll's answer arrives
    // The unit's poll count goes up by one from answer to answer (the search's
    // probes before the connection are monitor requests too): no answer is
    // missed or seen twice.
    for (const auto& s : seen) {
      ASSERT_GE(s.size(), 5u);
      for (size_t i = 1; i < s.size(); ++i) EXPECT_EQ(s[i], s[i - 1] + 1);
      EXPECT_GE(s.back() + 1, h.unit().polls);  // at most the poll on the line is unanswered
    }
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[1], seen[2]);
  } while (std::next_permutation(order.begin(), order.end()));
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
  EXPECT_EQ(h.sup.versionState(), 1);
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
    const OperationResult* r = h.waitFor(Operation::ConnectionCheck);
    ASSERT_TRUE(r) << c.quarterPasses;
    EXPECT_EQ(r->ok(), c.ok) << c.quarterPasses;
    const auto trail = h.stepTrail();
    EXPECT_EQ(std::count(trail.begin(), trail.end(), 48), c.quarterPasses);
    EXPECT_NE(std::find(trail.begin(), trail.end(), 52), trail.end());
    EXPECT_NE(std::find(h.progress.begin(), h.progress.end(), 12), h.progress.end());
    if (c.ok) {
      EXPECT_TRUE(h.model.unitImageValid());
      EXPECT_EQ(0, std::memcmp(h.model.unitImage().data(), h.unit().mem, 1050));
    } else {
      EXPECT_EQ(r->cause, Cause::Mismatch);
      EXPECT_EQ(r->firstDifference, 400);
      // The checking error of a comparison is shown on the face colour, the bar turns red.
      EXPECT_EQ(h.status.last(2)->text, "Checking error !");
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
    const OperationResult* r = h.waitFor(Operation::Read);
    ASSERT_TRUE(r);
    if (stable) {
      EXPECT_TRUE(r->ok());
      EXPECT_TRUE(h.status.shown(2, "Verify: OK"));
      EXPECT_EQ(0, std::memcmp(h.model.unitImage().data(), h.unit().mem, 1050));
      EXPECT_EQ(h.model.changeMarkCount(), 0);
    } else {
      EXPECT_EQ(r->cause, Cause::Mismatch);
      EXPECT_EQ(r->firstDifference, 200);
      EXPECT_EQ(r->stage, Stage::Verifying);
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
  const OperationResult* r = h.waitFor(Operation::Verify);
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->ok());
  h.model.image().setByte(999, h.unit().mem[999] ^ 1);
  h.sup.requestVerify();
  r = h.waitFor(Operation::Verify);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->cause, Cause::Mismatch);
  EXPECT_EQ(r->firstDifference, 999);
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
  ASSERT_TRUE(h.sup.requestProgram());
  const OperationResult* r = h.waitFor(Operation::Program);
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->ok());
  EXPECT_TRUE(h.status.shown(2, "Program device: OK"));
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

// A block whose answers keep coming damaged is tried again from where the
// job stopped: the blocks before it are written once, and the programming
// ends verified without the unit being searched for again.
TEST(SupervisorTest, DamagedAnswersOfOneBlockAreTriedAgainFromThatBlock) {
  LinkHarness h;
  ASSERT_TRUE(h.connectAndCheck());
  for (int i = 0; i < 1050; ++i) h.model.image().setByte(i, i * 13);
  h.model.sanitize();
  const ParamImage programmed = h.model.image();
  h.unit().damagedBlock = 4;
  h.unit().damagedWrites = 7;  // two whole jobs of three tries and one more try
  int disconnects = 0;
  auto sub = h.sup.events().unitDisconnected.subscribe([&] { ++disconnects; });
  const int t0 = h.clock.tmr();
  ASSERT_TRUE(h.sup.requestProgram());
  const OperationResult* r = h.waitFor(Operation::Program);
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->ok()) << describe(*r);
  for (int b = 1; b <= 7; ++b) EXPECT_EQ(h.unit().writes[b], b == 4 ? 8 : 1) << b;
  EXPECT_EQ(0, std::memcmp(h.unit().mem, programmed.data(), 1050));
  EXPECT_EQ(disconnects, 0);
  // Seven damaged answers cost no answer watchdog each.
  EXPECT_LT(h.clock.tmr() - t0, 7 * kAnswerTimeoutMs);
}

// A unit that stops answering while it stores a verified programming ends
// the programming with that cause within seconds, not as a hang.
TEST(SupervisorTest, UnitSilentWhileStoringEndsTheProgrammingWithThatCause) {
  LinkHarness h;
  h.unit().storingAfterWrite = 60000;  // far more than the test waits
  ASSERT_TRUE(h.connectAndCheck());
  bool verified = false;
  auto sub = h.sup.events().progress.subscribe([&](const OperationProgress& p) {
    if (p.stage == Stage::Verified) verified = true;
  });
  ASSERT_TRUE(h.sup.requestProgram());
  ASSERT_TRUE(h.tickUntil([&] { return verified; }));
  h.tickUntil([&] { return false; }, 10);  // a poll or two report the storing
  h.unit().silent = true;
  h.results.clear();
  const int t0 = h.clock.tmr();
  ASSERT_TRUE(h.tickUntil([&] { return h.result(Operation::Program) != nullptr; }, 400));
  EXPECT_EQ(h.result(Operation::Program)->cause, Cause::StoppedWhileStoring);
  EXPECT_EQ(h.result(Operation::Program)->stage, Stage::Saving);
  EXPECT_LE(h.clock.tmr() - t0, 10000);
  EXPECT_TRUE(h.status.shown(2, "The unit stopped answering while storing !"));
  EXPECT_FALSE(h.status.shown(2, "Program device: OK"));
}

TEST(SupervisorTest, ProgramChangedBytesTouchesOnlyTheirBlock) {
  LinkHarness h;
  ASSERT_TRUE(h.connectAndCheck());
  std::memcpy(h.model.image().data(), h.unit().mem, 1050);
  h.model.image().setByte(400, h.unit().mem[400] ^ 0x0F);
  h.model.setChangeMark(400);
  h.unit().reads.clear();
  h.sup.requestProgramChanged();
  const OperationResult* r = h.waitFor(Operation::Program);
  ASSERT_TRUE(r && r->ok());
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
    SupervisorHost host;
    host.newInstallation = [] { return true; };
    h.sup.setHost(host);
    EXPECT_FALSE(h.sup.requestProgram());
    EXPECT_EQ(h.sup.pendingRequest(), 0);
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
    if (c.unitBike >= 0) {
      // The unit tells its bike preset in monitor byte 1.
      h.unit().monitor[0] = static_cast<uint8_t>(c.unitBike);
      ASSERT_TRUE(h.connectAndCheck());
      ASSERT_TRUE(h.tickUntil([&] { return h.sup.bikePreset() == c.unitBike; }));
    }
    h.model.image().setByte(170, 20);
    h.dialogs.reply = c.reply;
    EXPECT_EQ(h.sup.requestProgram(), c.request != 0) << c.unitBike;
    EXPECT_EQ(h.dialogs.asks, c.asks) << c.unitBike;
    EXPECT_EQ(h.sup.pendingRequest(), c.request) << c.unitBike;
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
  h.results.clear();
  ASSERT_TRUE(h.tickUntil([&] { return h.result(Operation::Program) != nullptr; }, 600));
  EXPECT_EQ(h.result(Operation::Program)->cause, Cause::UnitSilent);
  EXPECT_EQ(h.result(Operation::Program)->stage, Stage::Programming);
  // Nothing was compared: the programming failed, not a verification.
  EXPECT_TRUE(h.status.shown(2, "Program device: error !"));
  EXPECT_FALSE(h.status.shown(2, "Verify error !"));
  EXPECT_EQ(h.status.last(2)->back, kRed);
  EXPECT_EQ(h.barColour, kRed);
  EXPECT_TRUE(h.sup.step() == 1 || h.sup.step() == 2);
  for (int i = 0; i < 200; ++i) h.tick();
  EXPECT_FALSE(h.status.shown(2, "Program device: OK"));
  EXPECT_EQ(
      std::count_if(h.results.begin(), h.results.end(),
                    [](const OperationResult& r) { return r.operation == Operation::Program; }),
      1);
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
  EXPECT_EQ(h.sup.versionState(), 0);
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
  ASSERT_TRUE(h.tickUntil([&] { return h.unit().resets == 1 && h.sup.step() == 1; }));
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
  EXPECT_EQ(h.sup.releasedPort(), port);
  for (int i = 0; i < 40; ++i) h.tick();
  EXPECT_EQ(h.com.connectedPort.load(), 0);  // the search stays dormant
  EXPECT_EQ(h.sup.labelComText(), "COM=" + std::to_string(port) + " (DISCONECTED)");
  h.sup.portMessage(port, kTakeBack);
  EXPECT_EQ(h.sup.releasedPort(), -1);
  h.status.entries.clear();
  ASSERT_TRUE(h.connectAndCheck());

  // Reset and release: the unit gets the reset block first.
  h.sup.portMessage(h.com.connectedPort.load(), kResetAndRelease);
  ASSERT_TRUE(h.tickUntil([&] { return !h.sup.connected(); }));
  EXPECT_EQ(h.unit().resets, 1);
  EXPECT_EQ(h.sup.releasedPort(), port);
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
    SupervisorHost host;
    host.serviceMode = [service] { return service; };
    h.sup.setHost(host);
    auto count = h.sup.events().monitorAnswer.subscribe([&](std::span<const uint8_t>) { ++taken; });
    ASSERT_TRUE(h.tickUntil([&] {
      const auto end = h.com.end();
      return end && end->state() == kJobDone && end->job() == kJobMonitor &&
             (h.ticks() & 1) == 1;  // the supervisor runs on the next tick
    }));
    h.sup.requestRead();
    h.tick();
    EXPECT_EQ(h.sup.step(), kSupRead1) << service;
    EXPECT_EQ(taken, service ? 0 : 1) << service;
    const OperationResult* r = h.waitFor(Operation::Read);
    ASSERT_TRUE(r && r->ok());
  }
}

}  // namespace
}  // namespace q3
