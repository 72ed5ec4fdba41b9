// The engine and a port with their own threads against the in-process
// simulated unit: monitor polls with the pickup-block capture armed from the
// polling thread, as the main window does. Runs under ThreadSanitizer in CI.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/app_clock.h"
#include "link/link_engine.h"
#include "link/memory_device.h"
#include "link/pickup_capture.h"
#include "sim_unit.h"

namespace q3 {
namespace {

TEST(EngineThreads, MonitorPollsDeliverPickupBlocks) {
  AppClock clock;
  MemoryLineSet lines;
  auto line = lines.add("/mem/unit");
  q3sim::SimUnit sim;  // protocol 3150; used only from the port thread below
  line->setPeer([&](const uint8_t* d, int n) {
    std::vector<uint8_t> out;
    sim.receive(d, n, clock.tmr(), out);
    if (!out.empty()) line->peerWrite(out.data(), int(out.size()));
  });
  LinkEngine eng{clock};
  eng.setDeviceFactory(lines.factory());
  eng.numbering().setStorePath("");
  eng.numbering().setLister([](std::vector<PortDevice>& out) {
    out.push_back({"/mem/unit", "/mem/unit"});
    return true;
  });
  const auto t0 = std::chrono::steady_clock::now();
  auto ui = [&] {
    clock.setTmr(int32_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count()));
    eng.managerRun();
    eng.watchdogStep();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  };
  eng.requestOpen(1, 57600);
  for (int i = 0; i < 1000 && !eng.com[1].isOpen(); ++i) ui();
  ASSERT_TRUE(eng.com[1].isOpen());
  configureReceiver(eng.conn.rx, kProto3150, 175);
  eng.conn.maxFrameLength = 152;
  eng.conn.frameOverhead = kFamilyBOverhead;
  eng.connectedPort.store(1);
  ui();
  eng.startEngineThread();

  int answers = 0, blocks = 0;
  uint8_t mon[151]{};
  for (int poll = 0; poll < 12; ++poll) {
    eng.acknowledge();
    uint8_t* tx = eng.draft()->tx();
    std::fill(tx, tx + 150, 0);
    tx[23] = 1;  // the pickup monitor is watching
    tx[148] = 0;
    tx[149] = 104;
    ASSERT_TRUE(eng.startJob(kJobMonitor, 0, 150, kJobFlagPending | kJobFlagOneAttempt));
    int end = 0;
    for (int i = 0; i < 2000 && end != kJobDone && end != kJobFailed; ++i) {
      ui();
      end = eng.jobState();
    }
    if (end != kJobDone) continue;
    ++answers;
    std::copy(eng.end()->rx(), eng.end()->rx() + 150, mon + 1);
    EXPECT_EQ(mon[150], 104);
    eng.capture().armFromMonitor(mon);
    for (int i = 0; i < 200 && !eng.capture().arrived().active.load(std::memory_order_acquire); ++i)
      ui();
    BulkArrived& a = eng.capture().arrived();
    if (a.active.load(std::memory_order_acquire)) {
      uint8_t x = 0;
      for (int k = 0; k < a.length; ++k) x ^= a.buffer[k];
      EXPECT_EQ(a.length, mon[98] | (mon[99] << 8));
      EXPECT_EQ(x, mon[129]);
      EXPECT_EQ(a.length % 4, 0);
      ++blocks;
      a.active.store(0, std::memory_order_release);
    }
  }
  eng.stopEngineThread();
  EXPECT_EQ(answers, 12);
  EXPECT_GE(blocks, 10);
  eng.capture().cancel();
}

}  // namespace
}  // namespace q3
