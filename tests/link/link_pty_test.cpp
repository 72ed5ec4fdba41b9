// End to end: the engine with its own thread and a real port thread reads and
// writes the whole parameter block through a pseudo-terminal, with
// quelin3-unit-sim running as a separate process at 57600 Bd and corrupting
// 1 % of the bytes it sends.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <thread>

#include "base/app_clock.h"
#include "link/link_engine.h"
#include "support/sim_process.h"

namespace q3 {
namespace {

class PtyLink : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  q3test::SimProcess sim;
  std::string device;
  std::chrono::steady_clock::time_point t0 = std::chrono::steady_clock::now();
  AppClock clock;

  void startSim(std::vector<std::string> extra) {
    std::vector<std::string> args = {"--link", dir.filePath("unit").toStdString(), "--memory",
                                     dir.filePath("memory.bin").toStdString()};
    args.insert(args.end(), extra.begin(), extra.end());
    device = sim.start(args);
    ASSERT_EQ(device, dir.filePath("unit").toStdString());
  }

  // The user-interface side: TMR follows the wall clock, the watchdog runs.
  void uiRound(LinkEngine& eng) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - t0);
    clock.setTmr(int32_t(ms.count()));
    eng.managerRun();
    eng.watchdogStep();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  int waitJob(LinkEngine& eng, int maxMs = 20000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
    while (std::chrono::steady_clock::now() < end) {
      uiRound(eng);
      const int j = eng.jobState();
      if (j == kJobDone || j == kJobFailed) return j;
    }
    return eng.jobState();
  }

  // Runs a job over [0, 1050) and, as the connection supervisor would, starts
  // it again from the first block that did not get through after a 132.
  bool wholeRange(LinkEngine& eng, int jobCode, int flags, int& restarts) {
    int start = 0;
    for (;;) {
      eng.acknowledge();
      if (!eng.startJob(jobCode, start, 1050 - start, flags)) return false;
      const int end = waitJob(eng);
      if (end == kJobDone) return true;
      if (end != kJobFailed || ++restarts > 80) return false;
      start = eng.progressAddress();  // blocks before it were confirmed
    }
  }
};

TEST_F(PtyLink, WholeBlockWriteAndReadBackWithCorruptedBytes) {
  startSim({"--protocol", "3150", "--corrupt", "0.01", "--seed", "11"});
  LinkEngine eng{clock};
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
  ASSERT_EQ(eng.engineStep(), kStepReady);
  eng.startEngineThread();

  std::vector<uint8_t> image(1050);
  std::mt19937 rng(5);
  for (auto& b : image) b = uint8_t(rng());
  int writeRestarts = 0, readRestarts = 0;
  for (int i = 0; i < 1050; ++i) eng.draft()->tx()[i] = image[size_t(i)];
  ASSERT_TRUE(wholeRange(eng, kJobWrite, kJobFlagPending, writeRestarts));
  ASSERT_TRUE(wholeRange(eng, kJobRead, kJobFlagPending | kJobFlagClearTx, readRestarts));
  EXPECT_TRUE(std::equal(image.begin(), image.end(), eng.end()->rx()));
  RecordProperty("write_restarts", writeRestarts);
  RecordProperty("read_restarts", readRestarts);

  eng.stopEngineThread();
  eng.requestClose(1);
  for (int i = 0; i < 400 && eng.com[1].portState.load() != kPortClosed; ++i) uiRound(eng);
  EXPECT_EQ(eng.com[1].portState.load(), kPortClosed);
  // The unit keeps what it was given across a restart: its memory file holds the image.
  ASSERT_TRUE(sim.stop());
  std::ifstream mem(dir.filePath("memory.bin").toStdString(), std::ios::binary);
  std::vector<uint8_t> stored((std::istreambuf_iterator<char>(mem)),
                              std::istreambuf_iterator<char>());
  EXPECT_EQ(stored, image);
}

}  // namespace
}  // namespace q3
