// End to end: the real search, supervisor and engine with their threads, over
// a pseudo-terminal to quelin3-unit-sim running as a separate process, with
// the time base following the wall clock as in the window. One whole
// programming keeps the threads of a session under ThreadSanitizer; every
// other case of the session (protocols, line rates, faults, noisy lines,
// pulled cables) runs without threads on virtual time: session_virtual_test.cpp.
#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/debug_log.h"
#include "link/link_session.h"
#include "params/param_model.h"
#include "supervisor_harness.h"
#include "support/sim_process.h"

namespace q3 {
namespace {

class E2eLink : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test_link_e2e";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }

  void SetUp() override {
    setenv("QUELIN3_DATA_DIR", dir.path().toUtf8().constData(), 1);
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
    sim.stop();
  }

  std::string logPath() const { return dir.filePath("debug.log").toStdString(); }
  std::string simLogPath() const { return dir.filePath("sim.log").toStdString(); }
  std::string linkPath() const { return dir.filePath("unit").toStdString(); }

  // Starts the unit on the link path; the first start also starts the session.
  void startSim(const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"--link", linkPath(), "--log", simLogPath()};
    args.insert(args.end(), extra.begin(), extra.end());
    m_simArgs = extra;
    device = sim.start(args);
    ASSERT_EQ(device, linkPath());
    if (session) return;
    session = std::make_unique<LinkSession>(model, clock, q3::dialogs(), &status,
                                            StartOptions::fromEnvironment());
    onResult = session->events().result.subscribe([this](const OperationResult& r) {
      if (r.operation != Operation::Monitor) results.push_back(r);
    });
    ASSERT_TRUE(session->useDevice(device)) << device;
  }
  // The cable is pulled: the unit is gone (its pseudo-terminal closes).
  void pullCable() { sim.stop(); }
  // The cable is plugged in again: the same unit on the same path.
  void plugIn() { startSim(m_simArgs); }

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
  int simFrames(uint8_t first) const {
    std::ifstream f(simLogPath());
    std::string line;
    int n = 0;
    char hex[8];
    std::snprintf(hex, sizeof hex, ": %02x", first);
    while (std::getline(f, line))
      if (line.find(" IN ") != std::string::npos && line.find(hex) != std::string::npos &&
          line.find(hex) == line.find(':'))
        ++n;
    return n;
  }
  void clearSimLog() { std::ofstream(simLogPath(), std::ios::trunc); }

  QTemporaryDir dir;
  q3test::SimProcess sim;
  std::string device;
  AppClock clock;
  ParamModel model;
  q3test::StatusRecord status;
  std::vector<OperationResult> results;
  Event<const OperationResult&>::Subscription onResult;
  q3test::DialogRecord dialogs;
  std::unique_ptr<LinkSession> session;

 private:
  UserDialogs* m_prevDialogs = nullptr;
  std::vector<std::string> m_simArgs;
};

TEST_F(E2eLink, ProgramAllAndProgramOneBlock) {
  startSim({});
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

}  // namespace
}  // namespace q3
