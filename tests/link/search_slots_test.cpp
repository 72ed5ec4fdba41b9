// The port search on in-memory lines: probe table, probe frames, the first
// probe finding a 3150 unit, the echo test, unmatched units, family A answers
// and the fixed port selection.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "base/app_clock.h"
#include "base/debug_log.h"
#include "link/port_search.h"
#include "supervisor_harness.h"

namespace q3 {
namespace {

using q3test::LinkHarness;

// Collects the debug log of one test in a temporary file.
class LogCapture {
 public:
  LogCapture() {
    std::snprintf(m_path, sizeof m_path, "/tmp/q3-search-log-%d.txt", ::getpid());
    std::remove(m_path);
    debugLogOpen(m_path);
  }
  ~LogCapture() {
    debugLogClose();
    std::remove(m_path);
  }
  std::string text() const {
    std::ifstream f(m_path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  bool has(const std::string& t) const { return text().find(t) != std::string::npos; }

 private:
  char m_path[64];
};

TEST(SearchTest, ProbeTableAfterStartUp) {
  AppClock clock;
  PortSearch s{clock};
  EXPECT_EQ(s.probeTable[0].protocol, kOpenRow);
  s.fillProbeTable();
  const ProbeRow expected[kProbeRows] = {
      {3150, 57600, 175}, {1, 57600, 75},      {2, 57600, 125},    {3150, 57600, 175},
      {3050, 57600, 125}, {3150, 57600, 175},  {3100, 57600, 175}, {3150, 57600, 175},
      {3150, 57600, 175}, {3150, 57600, 175},  {1, 115200, 75},    {2, 115200, 325},
      {3150, 57600, 175}, {3300, 115200, 175}, {0, 0, 0}};
  for (int i = 0; i < kProbeRows; ++i) {
    EXPECT_EQ(s.probeTable[i].protocol, expected[i].protocol) << i;
    if (expected[i].protocol == 0) continue;
    EXPECT_EQ(s.probeTable[i].baud, expected[i].baud) << i;
    EXPECT_EQ(s.probeTable[i].timeoutMs, expected[i].timeoutMs) << i;
  }
}

TEST(SearchTest, ProbeFrames) {
  struct Case {
    int protocol;
    int length;
    std::vector<std::pair<int, uint8_t>> bytes;  // offset, value
  } cases[] = {
      {3150, 152, {{0, 0x30}, {1, 0}, {149, 0}, {150, 0x68}, {151, 0xA7}}},
      {3050, 52, {{0, 0x30}, {50, 0x68}}},
      {3300, 302, {{0, 0x30}, {2, 0}, {3, 0}, {300, 0}}},
      {1, 16, {{7, 0xBB}, {8, 0xEE}, {9, 0xFE}, {14, 0xD8}, {15, 0x69}}},
      {2, 16, {{7, 0xFB}, {14, 0xB3}, {15, 0xAA}}},
  };
  for (const auto& c : cases) {
    FrameReceiver rx;
    configureReceiver(rx, c.protocol, 100);
    EXPECT_EQ(PortSearch::buildProbe(rx, c.protocol, 104, 0), c.length) << c.protocol;
    for (auto [off, v] : c.bytes) EXPECT_EQ(rx.txFrame[off], v) << c.protocol << " @" << off;
  }
}

TEST(SearchTest, A3150UnitIsFoundByTheFirstProbe) {
  LogCapture log;
  LinkHarness h;
  ASSERT_TRUE(h.tickUntil([&] { return h.com.connectedPort.load() != 0; }));
  // One probe time-out is 175 ms = 3.5 ticks; opening and answering take a few more.
  EXPECT_LE(h.ticks(), 12);
  EXPECT_EQ(h.com.conn.typeKey, 104);
  EXPECT_EQ(h.com.conn.maxFrameLength, 152);
  EXPECT_EQ(h.com.conn.frameOverhead, 2);
  EXPECT_STREQ(h.com.conn.name, "Quelin3 v104");
  EXPECT_EQ(h.com.protocol(), 3150);
  EXPECT_EQ(h.com.nextPortHint, h.com.connectedPort.load());
  EXPECT_TRUE(h.status.shown(1, "Quelin3 v104 connected"));
  EXPECT_EQ(h.status.last(1)->priority, 100);
  EXPECT_TRUE(log.has("COM found"));
  EXPECT_TRUE(log.has("[0]Open Port COM1, Protocol=3150, Timeout=175"));
  EXPECT_TRUE(log.has("[0] Send Once (IGN150)..."));
  EXPECT_TRUE(log.has("[0] Frame rec (152)..."));
  EXPECT_TRUE(log.has("[0]Quelin3 v104 connected"));
  EXPECT_FALSE(log.has("Send Again"));
}

TEST(SearchTest, UnmatchedUnitIsReportedAndLeftAlone) {
  LinkHarness h;
  h.unit().typeKey = 105;
  std::vector<FoundUnit> found;
  h.com.onUnitFound = [&](const FoundUnit& u) { found.push_back(u); };
  for (int i = 0; i < 60; ++i) h.tick();
  EXPECT_EQ(h.com.connectedPort.load(), 0);
  const auto* e = h.status.last(1);
  ASSERT_NE(e, nullptr);
  EXPECT_NE(e->text.find("v105 (unmatched)"), std::string::npos) << e->text;
  EXPECT_EQ(e->text.rfind("COM 1:", 0), 0u) << e->text;
  EXPECT_EQ(e->back, kRed);
  ASSERT_FALSE(found.empty());
  EXPECT_FALSE(found[0].compatible);
  EXPECT_EQ(found[0].typeKey, 105);
  EXPECT_EQ(h.unit().writes.size(), 0u);
  EXPECT_EQ(h.unit().reads.size(), 0u);
}

TEST(SearchTest, EchoingPortIsAbandoned) {
  LogCapture log;
  LinkHarness h;
  h.unit().echo = true;
  for (int i = 0; i < 40; ++i) h.tick();
  EXPECT_EQ(h.com.connectedPort.load(), 0);
  const std::string t = log.text();
  EXPECT_NE(t.find("[0] Send Once (WCOM)..."), std::string::npos);
  EXPECT_NE(t.find("[0] ECHO !"), std::string::npos);
  EXPECT_NE(t.find("[0]FAIL PORT - Close port COM1"), std::string::npos);
  // Row 0 failed first on the same baud rate: the port stayed open for row 1.
  EXPECT_NE(t.find("[0]FAIL PROTOCOL - skip port closing"), std::string::npos);
  EXPECT_NE(t.find("[0]...skip onening port COM1, Protocol=1, Timeout=75"), std::string::npos);
}

// A family A unit on the line: answers the identify command of protocol p.
void familyAUnit(MemoryLine& line, int protocol, std::vector<uint8_t> data) {
  line.setPeer([&line, protocol, data](const uint8_t* d, int n) {
    if (n != 16 || d[8] != 0xEE || d[9] != 0xFE) return;
    if ((d[7] >> 4) != (protocol == 1 ? 0xB : 0xF)) return;
    uint8_t f[600];
    int len = buildFrameA(f, protocol, kKindAnswer, kCmdIdentify, 0, data.data(),
                          static_cast<int>(data.size()));
    line.peerWrite(f, len);
  });
}

TEST(SearchTest, FamilyAAnswers) {
  auto named = [](const char* name, std::vector<int> words) {
    std::vector<uint8_t> d(name, name + std::strlen(name) + 1);
    for (int w : words) d.push_back(uint8_t(w)), d.push_back(uint8_t(w >> 8));
    return d;
  };
  struct Case {
    int protocol;
    std::vector<uint8_t> data;
    const char* name;
    int maxFrame, hw, key;
  } cases[] = {
      {1, named("QUELIN3", {528, 0x21, 104}), "QUELIN3 v104 (hw:21)", 528, 0x21, 104},
      {2, named("QUELIN3", {256, 0x3A, 104}), "QUELIN3 v104 (hw:3a)", 256, 0x3A, 104},
      // The data ends right after the name: the defaults stay, and key -1 never matches.
      {1, named("OLDUNIT", {}), "OLDUNIT v-1 (hw:ffffffff)", 48, -1, -1},
      // Only the frame length follows the name.
      {2, named("X", {100}), "X v-1 (hw:ffffffff)", 100, -1, -1},
  };
  for (const auto& c : cases) {
    LinkHarness h;
    familyAUnit(*h.lines.find("/dev/fake0"), c.protocol, c.data);
    std::vector<FoundUnit> found;
    std::vector<int> maxFrames;
    h.com.onUnitFound = [&](const FoundUnit& u) {
      found.push_back(u);
      maxFrames.push_back(u.maxFrameLength);
    };
    ASSERT_TRUE(h.tickUntil([&] { return !found.empty(); }, 100)) << c.name;
    EXPECT_STREQ(found[0].name, c.name);
    EXPECT_EQ(found[0].protocol, c.protocol);
    EXPECT_EQ(found[0].hwVersion, c.hw) << c.name;
    EXPECT_EQ(found[0].typeKey, c.key) << c.name;
    EXPECT_EQ(maxFrames[0], c.maxFrame) << c.name;
    if (c.key == 104) {
      h.tick();
      EXPECT_EQ(h.com.connectedPort.load(), 1) << c.name;
      EXPECT_EQ(h.com.conn.frameOverhead, 16);
    }
  }
}

TEST(SearchTest, FixedPortIsProbedBySlotZeroAlone) {
  LogCapture log;
  LinkHarness h({"/dev/fake0", "/dev/fake1", "/dev/fake2"});
  for (auto& u : h.units) u.silent = true;
  for (int i = 0; i < 6; ++i) h.tick();
  // Automatic: three slots probe three ports.
  EXPECT_NE(h.com.slot[1].port, 0);
  EXPECT_NE(h.com.slot[2].port, 0);
  const int held = h.com.slot[0].port;
  const int fixed = held == 3 ? 2 : 3;
  h.com.comSelection.store(fixed);
  h.tick();
  h.tick();
  for (int i = 0; i < 20; ++i) {
    h.tick();
    EXPECT_EQ(h.com.slot[1].port, 0);
    EXPECT_EQ(h.com.slot[2].port, 0);
  }
  EXPECT_EQ(h.com.slot[0].port, fixed);
  char line[64];
  std::snprintf(line, sizeof line, "[0]FORCE CLOSE - Close port COM%i", held);
  EXPECT_TRUE(log.has(line)) << line;
  // The unit on the fixed port answers: it is connected there.
  h.unit(fixed - 1).silent = false;
  ASSERT_TRUE(h.tickUntil([&] { return h.com.connectedPort.load() != 0; }));
  EXPECT_EQ(h.com.connectedPort.load(), fixed);
  EXPECT_EQ(h.sup.labelComText(), "COM=" + std::to_string(fixed));

  // COM off: every slot lets its port go.
  h.sup.disconnect();
  h.com.comSelection.store(-1);
  for (int i = 0; i < 10; ++i) h.tick();
  EXPECT_EQ(h.com.connectedPort.load(), 0);
  for (const auto& s : h.com.slot) EXPECT_EQ(s.port, 0);
  EXPECT_EQ(h.sup.labelComText(), "COM=OFF");
}

TEST(SearchTest, SilentPortRunsThroughAllRowsAndMovesOn) {
  LogCapture log;
  LinkHarness h({"/dev/fake0", "/dev/fake1"});
  h.unit(0).silent = true;
  h.unit(1).typeKey = 105;  // keeps the second slot busy but never connects
  for (int i = 0; i < 200; ++i) h.tick();
  const std::string t = log.text();
  for (const char* probe : {"(IGN150)", "(WCOM)", "(WCOMS)", "(IGN50)", "(IGN100)", "(IGN300)"})
    EXPECT_NE(t.find(probe), std::string::npos) << probe;
  EXPECT_NE(t.find("[0]FAIL PROTOCOL - Close port COM1"), std::string::npos);
  EXPECT_NE(t.find("[0] Send Again..."), std::string::npos);
}

}  // namespace
}  // namespace q3

namespace q3 {
namespace {

// An answer that was on the line before the probe went out (a late answer to
// an earlier exchange) must not connect a unit that no longer answers.
TEST(SearchTest, AnswerLeftOnTheLineBeforeTheProbeIsNotTaken) {
  q3test::LinkHarness h;
  h.unit().silent = true;
  uint8_t stale[152]{};
  stale[0] = 0xB0;
  stale[150] = 104;
  stale[151] = checkB(stale, 151);
  auto line = h.lines.find("/dev/fake0");
  // Opening purges the line, so the old answer comes in just after it.
  ASSERT_TRUE(h.tickUntil([&] { return line->opens.load() > 0; }, 20));
  line->peerWrite(stale, 152);
  for (int i = 0; i < 20; ++i) h.tick();
  EXPECT_EQ(h.com.connectedPort.load(), 0);
  h.unit().silent = false;
  ASSERT_TRUE(h.tickUntil([&] { return h.com.connectedPort.load() != 0; }));
}

}  // namespace
}  // namespace q3

namespace q3 {
namespace {

// Listing (the scan command): every unit is reported, none is connected.
TEST(SearchTest, ListOnlyReportsEveryUnitAndConnectsNone) {
  q3test::LinkHarness h({"/dev/fake0", "/dev/fake1"});
  h.unit(1).typeKey = 105;
  h.com.listOnly = true;
  std::map<int, FoundUnit> found;
  h.com.onUnitFound = [&](const FoundUnit& u) { found.emplace(u.port, u); };
  for (int i = 0; i < 60; ++i) h.tick();
  EXPECT_EQ(h.com.connectedPort.load(), 0);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_TRUE(found.at(1).compatible);
  EXPECT_FALSE(found.at(2).compatible);
  EXPECT_EQ(found.at(2).typeKey, 105);
  EXPECT_TRUE(h.unit(0).reads.empty());
}

}  // namespace
}  // namespace q3
