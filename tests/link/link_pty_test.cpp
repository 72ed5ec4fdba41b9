// End to end: the engine with its own thread and a real port thread reads and
// writes the whole parameter block through a pseudo-terminal, with
// quelin3-unit-sim running as a separate process at 57600 Bd and corrupting
// 1 % of the bytes it sends.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <thread>

#include "link/link_engine.h"
#include "shell/core/app_clock.h"

namespace q3 {
namespace {

extern "C" char** environ;

class PtyLink : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  pid_t simPid = 0;
  std::string device;
  std::chrono::steady_clock::time_point t0 = std::chrono::steady_clock::now();

  // Starts quelin3-unit-sim (posix_spawn: no fork of this threaded process)
  // and reads the device path from its first output line.
  void startSim(std::vector<std::string> extra) {
    const char* bin = std::getenv("Q3_BINARY_DIR");
    ASSERT_NE(bin, nullptr);
    std::vector<std::string> args = {std::string(bin) + "/tools/unit-sim/quelin3-unit-sim",
                                     "--link", dir.filePath("unit").toStdString(), "--memory",
                                     dir.filePath("memory.bin").toStdString()};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    const int rc = posix_spawn(&simPid, argv[0], &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    ASSERT_EQ(rc, 0);
    FILE* f = fdopen(out[0], "r");
    char line[512] = {};
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    std::fclose(f);
    device = line;
    while (!device.empty() && (device.back() == '\n' || device.back() == '\r')) device.pop_back();
    ASSERT_EQ(device, dir.filePath("unit").toStdString());
  }

  // Ends the simulated unit (it saves its memory on the way out).
  bool stopSim() {
    if (simPid <= 0) return true;
    kill(simPid, SIGTERM);
    int status = 0;
    const bool ok =
        waitpid(simPid, &status, 0) == simPid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    simPid = 0;
    return ok;
  }

  void TearDown() override { stopSim(); }

  // The user-interface side: TMR follows the wall clock, the watchdog runs.
  void uiRound(LinkEngine& eng) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - t0);
    setTmr(int32_t(ms.count()));
    eng.managerRun();
    eng.watchdogStep();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  int waitJob(LinkEngine& eng, int maxMs = 20000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
    while (std::chrono::steady_clock::now() < end) {
      uiRound(eng);
      const int j = eng.job.load();
      if (j == kJobDone || j == kJobFailed) return j;
    }
    return eng.job.load();
  }

  // Runs a job over [0, 1050) and, as the connection supervisor would, starts
  // it again from the first block that did not get through after a 132.
  bool wholeRange(LinkEngine& eng, int jobCode, int flags, int& restarts) {
    int start = 0;
    for (;;) {
      eng.job.store(kJobNone);
      if (!eng.startJob(jobCode, start, 1050 - start, flags)) return false;
      const int end = waitJob(eng);
      if (end == kJobDone) return true;
      if (end != kJobFailed || ++restarts > 80) return false;
      start = eng.currentAddress;  // blocks before it were confirmed
    }
  }
};

TEST_F(PtyLink, WholeBlockWriteAndReadBackWithCorruptedBytes) {
  startSim({"--protocol", "3150", "--corrupt", "0.01", "--seed", "11"});
  setTmr(0);
  LinkEngine eng;
  eng.numbering().setStorePath("");
  const std::string dev = device;
  eng.numbering().setLister([dev](std::vector<PortDevice>& out) {
    out.push_back({dev, dev});
    return true;
  });
  eng.requestOpen(1, 57600);
  for (int i = 0; i < 400 && !eng.com[1].isOpen(); ++i) uiRound(eng);
  ASSERT_TRUE(eng.com[1].isOpen());
  configureReceiver(eng.conn.rx, kProto3150, 175);
  eng.conn.port = 1;
  eng.conn.maxFrameLength = 152;
  eng.conn.frameOverhead = kFamilyBOverhead;
  eng.connectedPort.store(1);
  uiRound(eng);  // the watchdog takes the connection: step 1, job 0
  ASSERT_EQ(eng.step.load(), kStepReady);
  eng.startEngineThread();

  std::vector<uint8_t> image(1050);
  std::mt19937 rng(5);
  for (auto& b : image) b = uint8_t(rng());
  int writeRestarts = 0, readRestarts = 0;
  for (int i = 0; i < 1050; ++i) eng.txData[i] = image[size_t(i)];
  ASSERT_TRUE(wholeRange(eng, kJobWrite, kJobFlagPending, writeRestarts));
  ASSERT_TRUE(wholeRange(eng, kJobRead, kJobFlagPending | kJobFlagClearTx, readRestarts));
  EXPECT_TRUE(std::equal(image.begin(), image.end(), eng.rxData));
  RecordProperty("write_restarts", writeRestarts);
  RecordProperty("read_restarts", readRestarts);

  eng.stopEngineThread();
  eng.requestClose(1);
  for (int i = 0; i < 400 && eng.com[1].portState.load() != kPortClosed; ++i) uiRound(eng);
  EXPECT_EQ(eng.com[1].portState.load(), kPortClosed);
  // The unit keeps what it was given across a restart: its memory file holds the image.
  ASSERT_TRUE(stopSim());
  std::ifstream mem(dir.filePath("memory.bin").toStdString(), std::ios::binary);
  std::vector<uint8_t> stored((std::istreambuf_iterator<char>(mem)),
                              std::istreambuf_iterator<char>());
  EXPECT_EQ(stored, image);
}

}  // namespace
}  // namespace q3
