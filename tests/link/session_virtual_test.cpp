// The real search, supervisor and engine of a LinkSession against the
// simulated unit's core at its line rate, on virtual time and without a
// thread (virtual_bench.h): the unit's types, protocols and line rates, its
// faults, noisy lines and pulled cables, each case in milliseconds of wall
// time. The same session over a pseudo-terminal with its threads and the
// wall clock: search_supervisor_e2e.cpp.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/debug_log.h"
#include "link/link_session.h"
#include "params/param_model.h"
#include "supervisor_harness.h"
#include "virtual_bench.h"

namespace q3 {
namespace {

using q3test::UnitOptions;

// A unit started with these settings (the options of quelin3-unit-sim).
UnitOptions unit(q3sim::SimConfig config = {}, int baud = 0) {
  UnitOptions o;
  o.config = std::move(config);
  o.baud = baud;
  o.keepMemory = false;  // every start is a fresh unit, as without --memory
  return o;
}

class VirtualSession : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    m_prevDialogs = setDialogs(&dialogs);
    debugLogOpen(logPath().c_str());
  }
  void TearDown() override {
    onResult.reset();
    session.reset();
    debugLogClose();
    if (HasFailure()) {  // the end of the link's log tells what went wrong
      std::ifstream f(logPath());
      std::vector<std::string> lines;
      for (std::string l; std::getline(f, l);) lines.push_back(l);
      for (size_t i = lines.size() > 40 ? lines.size() - 40 : 0; i < lines.size(); ++i)
        std::fprintf(stderr, "| %s\n", lines[i].c_str());
    }
    setDialogs(m_prevDialogs);
  }

  std::string logPath() const { return dir.filePath("debug.log").toStdString(); }
  std::string linkPath() const { return dir.filePath("unit").toStdString(); }

  // Starts the unit on the link path; the first start also starts the session.
  void startSim(const UnitOptions& o = unit()) {
    m_simOptions = o;
    bench.start(linkPath(), o);
    if (session) return;
    StartOptions options;
    options.dataDir = dir.path().toStdString();
    session =
        std::make_unique<LinkSession>(model, clock, q3::dialogs(), &status, options, bench.setup());
    onResult = session->events().result.subscribe([this](const OperationResult& r) {
      if (r.operation != Operation::Monitor) results.push_back(r);
    });
    ASSERT_TRUE(session->useDevice(linkPath())) << linkPath();
  }
  // The cable is pulled: the unit is gone (its device goes away).
  void pullCable() { bench.stop(linkPath()); }
  // The cable is plugged in again: the same unit on the same path.
  void plugIn() { startSim(m_simOptions); }

  ConnectionSupervisor& sup() { return session->supervisor(); }
  bool until(const std::function<bool()>& pred, int ms) { return session->runUntil(pred, ms); }
  const OperationResult* result(Operation op) const {
    for (auto it = results.rbegin(); it != results.rend(); ++it)
      if (it->operation == op) return &*it;
    return nullptr;
  }
  // Waits for the result of op (nullptr on time-out).
  const OperationResult* waitFor(Operation op, int ms) {
    results.clear();
    until([&] { return result(op) != nullptr; }, ms);
    return result(op);
  }
  bool connectAndCheck(int ms = 8000) {
    const OperationResult* r = waitFor(Operation::ConnectionCheck, ms);
    return r && r->ok() && until([&] { return sup().step() <= kSupPoll; }, 2000);
  }
  bool logHas(const std::string& text) const {
    std::ifstream f(logPath());
    std::stringstream s;
    s << f.rdbuf();
    return s.str().find(text) != std::string::npos;
  }
  // Requests the unit received with this first byte.
  int simFrames(uint8_t first) {
    const q3test::VirtualUnit* u = bench.unit(linkPath());
    return u ? u->framesStartingWith(first) : 0;
  }
  void clearSimLog() {
    if (q3test::VirtualUnit* u = bench.unit(linkPath())) u->framesIn.clear();
  }

  QTemporaryDir dir;
  q3test::VirtualBench bench;
  AppClock clock;
  ParamModel model;
  q3test::StatusRecord status;
  std::vector<OperationResult> results;
  Event<const OperationResult&>::Subscription onResult;
  q3test::DialogRecord dialogs;
  std::unique_ptr<LinkSession> session;

 private:
  UserDialogs* m_prevDialogs = nullptr;
  UnitOptions m_simOptions;
};

TEST_F(VirtualSession, A3150UnitIsFoundByTheFirstProbeAndChecked) {
  startSim();
  ASSERT_TRUE(until([&] { return sup().connected(); }, 3000));
  EXPECT_EQ(session->com().protocol(), 3150);
  EXPECT_TRUE(status.shown(1, "Quelin3 v104 connected"));
  EXPECT_FALSE(logHas("Send Again"));
  EXPECT_FALSE(logHas("(WCOM)"));
  ASSERT_TRUE(connectAndCheck());
  EXPECT_TRUE(model.unitImageValid());
  EXPECT_EQ(sup().versionState(), 2);
}

// Family A units answer the identify command of their protocol.
TEST_F(VirtualSession, FamilyAProtocol1Unit) {
  startSim(unit({.protocol = 1}));
  ASSERT_TRUE(until([&] { return sup().connected(); }, 5000));
  EXPECT_EQ(session->com().protocol(), 1);
  EXPECT_EQ(session->com().conn.frameOverhead, 16);
  EXPECT_TRUE(logHas("Send Once (WCOM)"));
  ASSERT_TRUE(connectAndCheck(15000));
  EXPECT_TRUE(model.unitImageValid());
}

TEST_F(VirtualSession, FamilyAProtocol2Unit) {
  startSim(unit({.protocol = 2}, 115200));
  ASSERT_TRUE(until([&] { return sup().connected(); }, 5000));
  // A sum-check unit ignores the CRC probe.
  EXPECT_EQ(session->com().protocol(), 2);
  ASSERT_TRUE(connectAndCheck(15000));
  EXPECT_TRUE(model.unitImageValid());
}

// The simulated unit answers only at its own line rate, as a real one does:
// each probe row reaches only the units of its rate.
TEST_F(VirtualSession, UnitsAnswerOnlyAtTheirLineRate) {
  struct Case {
    int protocol;
    int baud;
    bool found;
  } cases[] = {
      {3300, 115200, true}, {1, 115200, true}, {3150, 115200, false}, {3300, 57600, false}};
  for (const Case& c : cases) {
    startSim(unit({.protocol = c.protocol}, c.baud));
    EXPECT_EQ(until([&] { return sup().connected(); }, c.found ? 8000 : 4000), c.found)
        << c.protocol << " at " << c.baud;
    if (c.found) {
      EXPECT_EQ(session->com().protocol(), c.protocol);
    }
    session.reset();  // a fresh search for the next unit
    bench.stop(linkPath());
  }
}

TEST_F(VirtualSession, UnmatchedUnitIsLeftAlone) {
  startSim(unit({.typeKey = 105}));
  until([&] { return sup().connected(); }, 2500);
  EXPECT_FALSE(sup().connected());
  const auto* e = status.last(1);
  ASSERT_NE(e, nullptr);
  EXPECT_NE(e->text.find("v105 (unmatched)"), std::string::npos) << e->text;
  EXPECT_EQ(simFrames(0x41), 0);
}

TEST_F(VirtualSession, EchoingPortIsAbandoned) {
  startSim(unit({.echo = true}));
  until([&] { return logHas("ECHO !"); }, 3000);
  EXPECT_TRUE(logHas("ECHO !"));
  EXPECT_TRUE(logHas("FAIL PORT - Close port"));
  EXPECT_FALSE(sup().connected());
}

TEST_F(VirtualSession, SubversionMessageAndNoParameterCheck) {
  startSim(unit({.versionMinor = 1}));
  ASSERT_TRUE(until([&] { return !dialogs.messages.empty(); }, 5000));
  EXPECT_EQ(dialogs.messages[0],
            "Unmatched subversion of PC and Ignition programs!  PC-104.00, ZAR-104.01");
  until([&] { return false; }, 1500);
  EXPECT_TRUE(sup().connected());
  EXPECT_EQ(simFrames(0x41), 0);  // no block of the parameter memory was read
  ASSERT_TRUE(result(Operation::ConnectionCheck));
  EXPECT_EQ(result(Operation::ConnectionCheck)->cause, Cause::VersionMismatch);
  EXPECT_EQ(result(Operation::ConnectionCheck)->versionMinor, 1);
  EXPECT_FALSE(status.shown(2, "Checking: OK"));
  EXPECT_EQ(sup().versionState(), 1);
}

TEST_F(VirtualSession, ProgramAllAndProgramOneBlock) {
  startSim();
  ASSERT_TRUE(connectAndCheck());
  ParamImage img = model.unitImage();
  img.setByte(300, img.byte(300) ^ 1);
  model.image() = img;
  model.sanitize();
  clearSimLog();
  ASSERT_TRUE(sup().requestProgram());
  const OperationResult* r = waitFor(Operation::Program, 20000);
  ASSERT_TRUE(r && r->ok());
  for (int b = 1; b <= 7; ++b) {
    EXPECT_EQ(simFrames(uint8_t(b)), 1) << "write block " << b;
    EXPECT_EQ(simFrames(uint8_t(0x40 + b)), 1) << "read block " << b;
  }
  EXPECT_TRUE(model.unitImageValid());
  EXPECT_TRUE(model.unitImage() == model.image());

  // One changed byte in block 5 (addresses 600..749).
  status.entries.clear();
  clearSimLog();
  model.image().setByte(700, model.image().byte(700) ^ 1);
  model.setChangeMark(700);
  sup().requestProgramChanged();
  r = waitFor(Operation::Program, 20000);
  ASSERT_TRUE(r && r->ok());
  int writes = 0, reads = 0;
  for (int b = 1; b <= 7; ++b)
    writes += simFrames(uint8_t(b)), reads += simFrames(uint8_t(0x40 + b));
  EXPECT_EQ(writes, 1);
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(simFrames(0x05), 1);
  EXPECT_EQ(simFrames(0x45), 1);
}

// The unit's memory changes between reads once the connection check (two
// reads of every block) is done: Read must leave the image alone.
TEST_F(VirtualSession, ReadLeavesTheImageAloneWhenTwoReadsDisagree) {
  startSim(unit({.unstableAddr = 200, .unstableSkip = 2}));
  ASSERT_TRUE(connectAndCheck());
  model.image().setByte(500, uint8_t(model.image().byte(500) ^ 0x55));
  model.setChangeMark(500);
  const ParamImage before = model.image();
  status.entries.clear();
  sup().requestRead();
  const OperationResult* r = waitFor(Operation::Read, 20000);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->cause, Cause::Mismatch);
  EXPECT_EQ(r->firstDifference, 200);
  EXPECT_TRUE(status.shown(2, "Verify error !"));
  EXPECT_FALSE(status.shown(2, "Verify: OK"));
  EXPECT_TRUE(model.image() == before);
  EXPECT_TRUE(model.changeMark(500));
}

// A protocol that carries fewer than 150 data bytes per frame cannot bring
// the identification block whole: the check says why and never passes.
TEST_F(VirtualSession, ShortFrameProtocolRefusesTheIdentificationWithItsReason) {
  startSim(unit({.protocol = 3100}));
  const std::string why =
      "The unit's protocol carries fewer than 150 bytes per frame: its identification block "
      "cannot be read whole.";
  const OperationResult* r = waitFor(Operation::ConnectionCheck, 8000);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->cause, Cause::Refused);
  EXPECT_EQ(r->refusal, JobRefusal::IdentNeedsFullFrame);
  EXPECT_TRUE(status.shown(2, why));
  EXPECT_FALSE(status.shown(2, "Checking: OK"));
  EXPECT_FALSE(model.unitImageValid());
}

TEST_F(VirtualSession, ProgramAtOnePercentCorruptionIsStillVerified) {
  // One frame in a hundred arrives damaged (a 152-byte frame, 1e-4 per byte).
  startSim(unit({.corrupt = 0.0001, .seed = 7}));
  ASSERT_TRUE(connectAndCheck(20000));
  for (int i = 0; i < 1050; ++i) model.image().setByte(i, model.unitImage().byte(i) ^ (i & 1));
  model.sanitize();
  ASSERT_TRUE(sup().requestProgram());
  const OperationResult* r = waitFor(Operation::Program, 40000);
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->ok()) << describe(*r);
  EXPECT_TRUE(status.shown(2, "Program device: OK"));
  EXPECT_TRUE(model.unitImage() == model.image());
}

TEST_F(VirtualSession, PulledCableDuringProgrammingNeverReportsSuccess) {
  startSim();
  ASSERT_TRUE(connectAndCheck());
  for (int i = 0; i < 1050; ++i) model.image().setByte(i, model.unitImage().byte(i) ^ 2);
  model.sanitize();
  clearSimLog();
  sup().requestProgram();
  // The cable is pulled once the second block has been written.
  ASSERT_TRUE(until([&] { return simFrames(0x02) > 0; }, 10000));
  pullCable();
  until([&] { return !sup().connected(); }, 20000);
  const OperationResult* r = result(Operation::Program);
  ASSERT_TRUE(r);
  // The frame in flight may have been cut short: silent or damaged, never a success.
  EXPECT_TRUE(r->cause == Cause::UnitSilent || r->cause == Cause::LineErrors) << describe(*r);
  // Nothing was compared: a unit lost while it is written failed the
  // programming, not a verification.
  EXPECT_TRUE(status.shown(2, "Program device: error !"));
  EXPECT_FALSE(status.shown(2, "Verify error !"));
  EXPECT_FALSE(status.shown(2, "Program device: OK"));
  EXPECT_FALSE(sup().connected());
  EXPECT_EQ(status.last(1)->text, "No connection with PC...");
  EXPECT_FALSE(model.unitImageValid());
}

TEST_F(VirtualSession, PollFailuresDisconnectAndTheSearchFindsTheUnitAgain) {
  startSim();
  ASSERT_TRUE(connectAndCheck());
  pullCable();
  ASSERT_TRUE(until([&] { return !sup().connected(); }, 8000));
  EXPECT_EQ(status.last(1)->text, "No connection with PC...");
  plugIn();
  status.entries.clear();
  ASSERT_TRUE(connectAndCheck(15000));
  EXPECT_TRUE(status.shown(1, "Quelin3 v104 connected"));
}

}  // namespace
}  // namespace q3
