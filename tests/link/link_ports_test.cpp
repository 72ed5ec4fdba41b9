// Port records: ring free space, the ring under two threads, the port
// manager's requests and time-outs, and the scan with persistent COM numbers.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "base/app_clock.h"
#include "base/debug_log.h"
#include "base/start_options.h"
#include "link/link_session.h"
#include "link/memory_device.h"
#include "link/port_manager.h"
#include "params/param_model.h"

namespace q3 {
namespace {

TEST(Ring, FreeSpaceCases) {
  struct Case {
    int rd, wr, first, second;
  } cases[] = {
      {0, 329, 0, 0},                                     // full: one byte is never filled
      {100, 100, 230, 99}, {0, 0, 329, 0}, {5, 4, 0, 0},  // write just behind read: full
      {200, 100, 99, 0},   {1, 329, 1, 0},
  };
  for (const Case& c : cases) {
    const RingFree f = ringFree(c.rd, c.wr);
    EXPECT_EQ(f.first, c.first) << c.rd << "/" << c.wr;
    EXPECT_EQ(f.second, c.second) << c.rd << "/" << c.wr;
  }
}

// A fixture with memory lines behind COM numbers and no ports.ini.
struct Ports {
  MemoryLineSet lines;
  std::vector<std::string> paths;
  bool listFails = false;

  explicit Ports(PortManager& sys, std::vector<std::string> p = {"/mem/a"}) : paths(std::move(p)) {
    for (const auto& path : paths) lines.add(path);
    sys.numbering().setStorePath("");
    sys.numbering().setLister([this](std::vector<PortDevice>& out) {
      if (listFails) return false;
      for (const auto& path : paths) out.push_back({path, path});
      return true;
    });
    sys.setDeviceFactory(lines.factory());
  }
};

TEST(Ring, WrapsAroundUnderTwoThreads) {
  AppClock clock;
  clock.setTmr(0);
  PortManager sys{clock};
  Ports ports(sys);
  auto line = ports.lines.find("/mem/a");
  sys.requestOpen(1, 57600);
  for (int i = 0; i < 2000 && !sys.com[1].isOpen(); ++i) {
    sys.managerRun();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_TRUE(sys.com[1].isOpen());
  // 100 000 bytes through a 330-byte ring: the I/O thread fills, we drain.
  const int total = 100000;
  std::thread feeder([&] {
    uint8_t chunk[997];
    for (int sent = 0; sent < total;) {
      const int n = std::min<int>(int(sizeof chunk), total - sent);
      for (int i = 0; i < n; ++i) chunk[i] = uint8_t((sent + i) * 7);
      line->peerWrite(chunk, n);
      sent += n;
    }
  });
  int got = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (got < total && std::chrono::steady_clock::now() < deadline) {
    uint8_t b;
    if (!sys.com[1].takeByte(b)) {
      std::this_thread::yield();
      continue;
    }
    ASSERT_EQ(b, uint8_t(got * 7)) << "byte " << got;
    ++got;
  }
  feeder.join();
  EXPECT_EQ(got, total);
  sys.requestClose(1);
  for (int i = 0; i < 2000 && sys.com[1].portState.load() != kPortClosed; ++i) {
    sys.managerRun();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(sys.com[1].portState.load(), kPortClosed);
}

// Thread-less: the test runs manager and I/O steps itself.
struct Stepper {
  PortManager& sys;
  void run(int n = 5) {
    for (int i = 0; i < n; ++i) {
      sys.managerRun();
      sys.ioStepAll();
    }
  }
};

TEST(PortManager, ReopenAtAnotherRateClosesFirst) {
  AppClock clock;
  clock.setTmr(0);
  PortManager sys{clock};
  sys.setThreadless(true);
  Ports ports(sys);
  auto line = ports.lines.find("/mem/a");
  Stepper s{sys};
  sys.requestOpen(1, 115200);
  s.run();
  ASSERT_TRUE(sys.com[1].isOpen());
  EXPECT_STREQ(sys.com[1].settings, "115200,N,8,1");
  sys.requestOpen(1, 57600);
  EXPECT_EQ(sys.com[1].requestFlags.load(), kReqOpen | kReqClose);
  s.run(10);
  EXPECT_TRUE(sys.com[1].isOpen());
  EXPECT_STREQ(sys.com[1].settings, "57600,N,8,1");
  EXPECT_EQ(line->opens.load(), 2);
  EXPECT_EQ(line->lastBaud.load(), 57600);
  EXPECT_EQ(sys.com[1].requestFlags.load(), 0);
}

TEST(PortManager, RequestsOnClosedAndUnknownPorts) {
  AppClock clock;
  clock.setTmr(0);
  PortManager sys{clock};
  sys.setThreadless(true);
  Ports ports(sys);
  Stepper s{sys};
  s.run(1);
  sys.requestClose(1);  // closed, nothing pending: nothing to do
  EXPECT_EQ(sys.com[1].requestFlags.load(), 0);
  sys.requestOpen(300, 57600);  // above 255: ignored
  sys.requestOpen(7, 57600);    // no device behind COM7: the open fails
  s.run();
  EXPECT_EQ(sys.com[7].error.load(), kErrOpenFailed);
  EXPECT_EQ(sys.com[7].portState.load(), kPortClosed);
  EXPECT_EQ(sys.com[7].requestFlags.load(), 0);
}

TEST(PortManager, BusyDeviceGivesError1) {
  AppClock clock;
  clock.setTmr(0);
  PortManager sys{clock};
  sys.setThreadless(true);
  Ports ports(sys);
  ports.lines.find("/mem/a")->failOpen = true;
  Stepper s{sys};
  sys.requestOpen(1, 57600);
  s.run();
  EXPECT_EQ(sys.com[1].error.load(), kErrOpenFailed);
  EXPECT_EQ(sys.com[1].portState.load(), kPortClosed);
  EXPECT_EQ(sys.com[1].threadState.load(), 0);  // the ended thread was released
}

TEST(PortManager, OpenThatHangsPastFiveSecondsEndsWithError2AndClosed) {
  AppClock clock;
  clock.setTmr(0);
  PortManager sys{clock};
  Ports ports(sys);
  ports.lines.find("/mem/a")->openDelayMs = 300;  // the device answers the open late
  sys.requestOpen(1, 57600);
  sys.managerRun();
  ASSERT_EQ(sys.com[1].threadCommand.load(), kCmdOpen);
  clock.setTmr(6000);  // 6 s of TMR pass while the open call hangs
  sys.managerRun();
  EXPECT_EQ(sys.com[1].error.load(), kErrOpenTimeout);
  for (int i = 0;
       i < 3000 && (sys.com[1].portState.load() != kPortClosed || sys.com[1].requestFlags.load());
       ++i) {
    sys.managerRun();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(sys.com[1].portState.load(), kPortClosed);
  EXPECT_EQ(sys.com[1].error.load(), kErrOpenTimeout);
}

TEST(PortManager, TransmitChunkReachesTheLine) {
  AppClock clock;
  clock.setTmr(0);
  PortManager sys{clock};
  sys.setThreadless(true);
  Ports ports(sys);
  Stepper s{sys};
  sys.requestOpen(1, 57600);
  s.run();
  const uint8_t chunk[3] = {1, 2, 3};
  EXPECT_EQ(sys.com[1].putChunk(chunk, 3), 3);
  EXPECT_EQ(sys.com[1].putChunk(chunk, 3), 0);  // busy until the I/O side took it
  s.run(1);
  EXPECT_FALSE(sys.com[1].txBusy());
  EXPECT_EQ(ports.lines.find("/mem/a")->peerReadAll(), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(PortTrace, OpenTransmitAndCloseLines) {
  QTemporaryDir dir;
  const std::string log = dir.path().toStdString() + "/trace.log";
  ASSERT_TRUE(debugLogOpen(log.c_str()));
  AppClock clock;
  clock.setTmr(100);
  {
    PortManager sys{clock};
    sys.setThreadless(true);
    Ports ports(sys);
    Stepper s{sys};
    sys.requestOpen(1, 57600);
    s.run();
    clock.setTmr(150);
    std::vector<uint8_t> chunk(330);
    for (int i = 0; i < 330; ++i) chunk[size_t(i)] = uint8_t(i);
    chunk[0] = 0xA5;
    ASSERT_EQ(sys.com[1].putChunk(chunk.data(), 330), 330);
    s.run(1);
    const uint8_t monitor[3] = {0x30, 1, 2};  // monitor requests are not traced
    ASSERT_EQ(sys.com[1].putChunk(monitor, 3), 3);
    s.run(1);
    clock.setTmr(200);
    sys.requestClose(1);
    s.run();
  }
  debugLogClose();
  std::ifstream in(log);
  std::stringstream all;
  all << in.rdbuf();
  std::string bytes;
  for (int i = 0; i < 330; ++i) {
    char b[8];
    std::snprintf(b, sizeof b, "%02x\t", i == 0 ? 0xA5 : i & 0xFF);
    bytes += b;
  }
  const std::regex want(
      "\n\\[1:TMR=100\\]OPEN COM1 \\(57600,N,8,1\\)\n"
      "\n\\[1:TMR=150\\]TX [0-9]+:\n" +
      bytes +
      "\n"
      "\n\\[1:TMR=200\\]CLOSE COM1\n");
  EXPECT_TRUE(std::regex_match(all.str(), want)) << all.str();
}

TEST(PortScan, PresentFlagsAndChanges) {
  AppClock clock;
  clock.setTmr(0);
  PortManager sys{clock};
  sys.setThreadless(true);
  Ports ports(sys, {"/mem/a", "/mem/b"});
  EXPECT_TRUE(sys.scanPorts());
  EXPECT_EQ(sys.com[1].present.load(), 1);
  EXPECT_EQ(sys.com[2].present.load(), 1);
  EXPECT_EQ(sys.com[0].present.load(), 0);
  EXPECT_STREQ(sys.com[2].devicePath, "/mem/b");
  EXPECT_EQ(PortManager::menuText(sys.com[2]), "COM2  /mem/b");
  EXPECT_FALSE(sys.scanPorts());
  ports.paths = {"/mem/b"};
  EXPECT_TRUE(sys.scanPorts());
  EXPECT_EQ(sys.com[1].present.load(), 0);
  EXPECT_EQ(sys.com[2].present.load(), 1);  // keeps its number
  ports.listFails = true;
  EXPECT_TRUE(sys.scanPorts());
  for (int i = 0; i < 30; ++i) EXPECT_EQ(sys.com[i].present.load(), 1) << i;
  EXPECT_EQ(sys.com[30].present.load(), 0);
}

TEST(PortScan, ManagerScansEverySecondAndFlagsChanges) {
  AppClock clock;
  clock.setTmr(0);
  PortManager sys{clock};
  sys.setThreadless(true);
  Ports ports(sys);
  sys.managerRun();
  EXPECT_EQ(sys.scanDone.load(), 1);
  EXPECT_EQ(sys.portListChanged.exchange(0), 1);
  ports.paths = {"/mem/a", "/mem/c"};
  clock.setTmr(900);
  sys.managerRun();
  EXPECT_EQ(sys.portListChanged.load(), 0);  // not yet a second since the last scan
  clock.setTmr(1001);
  sys.managerRun();
  EXPECT_EQ(sys.portListChanged.load(), 1);
  EXPECT_EQ(sys.com[2].present.load(), 1);
}

TEST(PortNumbering, NumbersPersistInPortsIni) {
  QTemporaryDir dir;
  const std::string ini = dir.path().toStdString() + "/sub/ports.ini";
  std::vector<PortDevice> devs = {{"/dev/ttyUSB0", "/dev/serial/by-id/usb-A"},
                                  {"/tmp/sim", "/tmp/sim"}};
  {
    PortNumbering n;
    n.setStorePath(ini);
    n.setLister([&](std::vector<PortDevice>& out) {
      out = devs;
      return true;
    });
    std::vector<std::string> paths;
    ASSERT_TRUE(n.scan(paths));
    EXPECT_EQ(paths[1], "/dev/ttyUSB0");
    EXPECT_EQ(paths[2], "/tmp/sim");
  }
  // Next run: the adapter comes back under another node, a new device appears.
  devs = {{"/tmp/new", "/tmp/new"}, {"/dev/ttyUSB3", "/dev/serial/by-id/usb-A"}};
  PortNumbering n;
  n.setStorePath(ini);
  n.setLister([&](std::vector<PortDevice>& out) {
    out = devs;
    return true;
  });
  std::vector<std::string> paths;
  ASSERT_TRUE(n.scan(paths));
  EXPECT_EQ(paths[1], "/dev/ttyUSB3");
  EXPECT_EQ(paths[2], "");  // kept for /tmp/sim
  EXPECT_EQ(paths[3], "/tmp/new");
  EXPECT_EQ(n.numberOf("/tmp/sim"), 2);
}

TEST(PortNumbering, NumbersOfAbsentDevicesAreReusedWhenAllAreTaken) {
  PortNumbering n;
  n.setStorePath("");
  std::vector<PortDevice> devs;
  n.setLister([&](std::vector<PortDevice>& out) {
    out = devs;
    return true;
  });
  std::vector<std::string> paths;
  for (int i = 0; i < 255; ++i) {  // a new pseudo-terminal every run
    devs = {{"/dev/pts/" + std::to_string(i), ""}};
    ASSERT_TRUE(n.scan(paths));
  }
  EXPECT_EQ(n.numberOf("/dev/pts/254"), 255);
  devs = {{"/dev/pts/254", ""}, {"/dev/pts/999", ""}};
  ASSERT_TRUE(n.scan(paths));
  EXPECT_EQ(paths[1], "/dev/pts/999");  // COM1's old device is gone
  EXPECT_EQ(paths[255], "/dev/pts/254");
  EXPECT_EQ(n.numberOf("/dev/pts/0"), 0);
}

// The start options' extra devices are listed while they exist, and the
// numbers persist in ports.ini of the data folder the options name.
TEST(PortNumbering, ExtraDevicesAndPortsIniFromTheStartOptions) {
  QTemporaryDir dir;
  const std::string present = dir.path().toStdString() + "/sim0";
  std::ofstream(present) << "";
  StartOptions o;
  o.extraPorts = splitDeviceList(present + ":" + dir.path().toStdString() + "/absent:");
  EXPECT_EQ(o.extraPorts.size(), 2u);
  o.dataDir = dir.path().toStdString() + "/data";
  AppClock clock;
  ParamModel model;
  LinkSession session(model, clock, q3::dialogs(), nullptr, o);
  EXPECT_EQ(session.com().numbering().storePath(), o.dataDir + "/ports.ini");
  std::vector<std::string> paths;
  ASSERT_TRUE(session.com().numbering().scan(paths));
  int found = 0;
  for (const std::string& p : paths) {
    EXPECT_EQ(p.find("/absent"), std::string::npos);
    found += p == present;
  }
  EXPECT_EQ(found, 1);
}

}  // namespace
}  // namespace q3
