// The simulated unit on its own: probe answers per protocol, the faults it
// can be told to show, and the live values it reports.
#include <gtest/gtest.h>

#include <vector>

#include "link/frame.h"
#include "params/address_map.h"
#include "sim_unit.h"

namespace q3 {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes probe(int protocol) {
  uint8_t f[kFrameMax + 16];
  const int n =
      isFamilyA(protocol)
          ? buildFrameA(f, protocol, kKindRequest, kCmdIdentify, 0, nullptr, 0)
          : buildFrameB(f, protocol, kOpMonitor, nullptr, protocol == kProto3300 ? 0 : 104, 0);
  return Bytes(f, f + n);
}

Bytes ask(q3sim::SimUnit& u, const Bytes& req, int64_t now = 0) {
  Bytes out;
  u.receive(req.data(), int(req.size()), now, out);
  return out;
}

// Parses one answer frame of the unit's protocol out of out.
bool parse(int protocol, const Bytes& out, FrameReceiver& rx) {
  configureReceiver(rx, protocol, 1000);
  for (uint8_t b : out)
    if (receiveByte(rx, b, 0)) return true;
  return false;
}

TEST(SimUnit, ProbeAnswersCarryTheTypeKey) {
  struct Case {
    int protocol, key;
  } cases[] = {{kProto3050, 104}, {kProto3100, 104}, {kProto3150, 104}, {kProto3150, 99},
               {kProto3300, 104}, {kProtoCrc, 104},  {kProtoSum, 77}};
  for (const Case& c : cases) {
    q3sim::SimConfig cfg;
    cfg.protocol = c.protocol;
    cfg.typeKey = c.key;
    cfg.maxFrameLength = 300;
    q3sim::SimUnit u(cfg);
    FrameReceiver rx;
    ASSERT_TRUE(parse(c.protocol, ask(u, probe(c.protocol)), rx)) << c.protocol;
    if (isFamilyA(c.protocol)) {
      EXPECT_EQ(rx.kind() & 0x0F, kKindAnswer);
      EXPECT_EQ(rx.command(), kCmdIdentify);
      const uint8_t* d = rx.dataA();
      const Bytes name(d, d + 8);
      EXPECT_EQ(name, Bytes({'Q', 'U', 'E', 'L', 'I', 'N', '3', 0}));
      EXPECT_EQ(le16(d + 8), 300);
      EXPECT_EQ(le16(d + 10), cfg.hwVersion);
      EXPECT_EQ(le16(d + 12), c.key);
    } else if (c.protocol == kProto3300) {
      EXPECT_EQ(rx.frame[0], 0xB0);
      EXPECT_EQ(rx.frame[2] << 8 | rx.frame[3], c.key);
    } else {
      EXPECT_EQ(rx.frame[0], 0xB0);
      EXPECT_EQ(rx.frame[familyBData(c.protocol)], c.key) << c.protocol;
    }
  }
}

TEST(SimUnit, NamedFaults) {
  const Bytes req = probe(kProto3150);
  {
    q3sim::SimConfig cfg;
    cfg.echo = true;
    q3sim::SimUnit u(cfg);
    const Bytes out = ask(u, req);
    ASSERT_GE(out.size(), req.size());
    EXPECT_EQ(Bytes(out.begin(), out.begin() + long(req.size())), req);
  }
  {
    q3sim::SimConfig cfg;
    cfg.silentAfter = 2;
    q3sim::SimUnit u(cfg);
    EXPECT_FALSE(ask(u, req).empty());
    EXPECT_FALSE(ask(u, req).empty());
    EXPECT_TRUE(ask(u, req).empty());  // the cable is pulled
  }
  {
    q3sim::SimConfig cfg;
    cfg.silent = true;
    q3sim::SimUnit u(cfg);
    EXPECT_TRUE(ask(u, req).empty());
  }
  {
    q3sim::SimConfig cfg;
    cfg.drop = 1.0;
    q3sim::SimUnit u(cfg);
    EXPECT_TRUE(ask(u, req).empty());
  }
  {
    q3sim::SimConfig cfg;
    cfg.corrupt = 1.0;
    q3sim::SimUnit u(cfg);
    FrameReceiver rx;
    const Bytes out = ask(u, req);
    EXPECT_EQ(out.size(), 152u);
    EXPECT_FALSE(parse(kProto3150, out, rx));
  }
}

TEST(SimUnit, FamilyAUnitAnswersOnlyItsOwnCheckType) {
  struct Case {
    int unit, probe;
    bool answers;
  } cases[] = {{kProtoCrc, kProtoCrc, true},
               {kProtoCrc, kProtoSum, false},
               {kProtoSum, kProtoSum, true},
               {kProtoSum, kProtoCrc, false}};
  for (const Case& c : cases) {
    q3sim::SimConfig cfg;
    cfg.protocol = c.unit;
    q3sim::SimUnit u(cfg);
    EXPECT_EQ(!ask(u, probe(c.probe)).empty(), c.answers) << c.unit << " probed with " << c.probe;
  }
}

TEST(SimUnit, CorruptRequestIsSkippedAndTheNextOneAnswered) {
  q3sim::SimUnit u;
  Bytes bad = probe(kProto3150);
  bad[40] ^= 0x20;
  Bytes stream = bad;
  const Bytes good = probe(kProto3150);
  stream.insert(stream.end(), good.begin(), good.end());
  FrameReceiver rx;
  ASSERT_TRUE(parse(kProto3150, ask(u, stream), rx));
  EXPECT_EQ(u.framesAnswered, 1);
}

TEST(SimUnit, MonitorShowsVersionStoringAndTestCommands) {
  q3sim::SimConfig cfg;
  cfg.versionMajor = 104;
  cfg.versionMinor = 3;
  q3sim::SimUnit u(cfg);
  u.memory[ImageByte::Bike] = 5;
  uint8_t data[150]{};
  uint8_t f[kFrameMax];
  // A write of block 1 starts the storing countdown.
  int n = buildFrameB(f, kProto3150, kOpWrite + 1, data, 0, 0);
  ask(u, Bytes(f, f + n), 1000);
  data[22] = 0x01;  // servo plus
  n = buildFrameB(f, kProto3150, kOpMonitor, data, 104, 0);
  FrameReceiver rx;
  ASSERT_TRUE(parse(kProto3150, ask(u, Bytes(f, f + n), 1000), rx));
  const uint8_t* m = rx.frame;  // frame offset k = monitor index k
  EXPECT_EQ(m[MonitorByte::UnitBike], 5);
  EXPECT_EQ(m[MonitorByte::VersionMinor], 3);
  EXPECT_EQ(m[2 * MonitorWord::SavingCounter] | m[2 * MonitorWord::SavingCounter + 1] << 8, 2100);
  EXPECT_EQ(m[2 * MonitorWord::ServoPos1] | m[2 * MonitorWord::ServoPos1 + 1] << 8, 2750);
  data[22] = 0;
  n = buildFrameB(f, kProto3150, kOpMonitor, data, 104, 0);
  ASSERT_TRUE(parse(kProto3150, ask(u, Bytes(f, f + n), 10000), rx));
  EXPECT_EQ(m[2 * MonitorWord::SavingCounter] | m[2 * MonitorWord::SavingCounter + 1] << 8, 0);
  EXPECT_EQ(m[2 * MonitorWord::ServoPos1] | m[2 * MonitorWord::ServoPos1 + 1] << 8,
            2750);  // acted once
  const int rpm = m[2 * MonitorWord::EngineSpeed] | m[2 * MonitorWord::EngineSpeed + 1] << 8;
  EXPECT_GE(rpm, 1300);
  EXPECT_LT(rpm, 11000);
  EXPECT_EQ(u.testActions, 1);
  // Every function is switched on, the servo reports a valid position and no
  // error is raised, so a demo shows working functions.
  EXPECT_EQ(m[MonitorByte::FunctionEnables], 0x7F);
  EXPECT_EQ(m[MonitorByte::ErrorFlags], 0x10);
  EXPECT_EQ(m[MonitorByte::FunctionStates] & 0x43, 0x40);  // no kill, no block
}

}  // namespace
}  // namespace q3

namespace q3 {
namespace {

TEST(SimUnit, PickupBlockFollowsTheTriggerDescription) {
  struct Case {
    int lobes, channels;
  } cases[] = {{1, 2}, {4, 2}, {12, 4}};
  for (const Case& c : cases) {
    q3sim::SimUnit u;
    u.memory[ImageByte::Lobes] = uint8_t(c.lobes);
    u.memory[ImageByte::Channels] = uint8_t(c.channels);
    uint8_t data[150]{};
    data[23] = 1;  // the pickup monitor is open
    uint8_t f[kFrameMax];
    const int n = buildFrameB(f, kProto3150, kOpMonitor, data, 104, 0);
    const Bytes out = ask(u, Bytes(f, f + n), 5000);
    FrameReceiver rx;
    ASSERT_TRUE(parse(kProto3150, out, rx));
    const uint8_t* m = rx.frame;  // frame offset k = monitor index k
    const int len =
        m[2 * MonitorWord::PickupBlockLength] | m[2 * MonitorWord::PickupBlockLength + 1] << 8;
    ASSERT_GT(len, 0);
    ASSERT_EQ(len % 4, 0);
    ASSERT_EQ(out.size(), 152u + size_t(len));
    EXPECT_EQ(m[MonitorByte::PickupBlockState], 1);
    EXPECT_EQ(m[MonitorByte::PickupPeriod], 1);  // one ignition per turn: 360 degrees
    uint8_t x = 0, s = 0;
    int phaseChanges = 0, fires = 0, rises = 0;
    uint32_t lastPhase = out[152 + 3] & 3, lastLevel = 0;
    for (int k = 0; k < len; k += 4) {
      const uint8_t* p = out.data() + 152 + k;
      for (int i = 0; i < 4; ++i) {
        x ^= p[i];
        s = uint8_t(s + p[i]);
      }
      const uint32_t w = uint32_t(p[0] | p[1] << 8 | p[2] << 16 | p[3] << 24);
      phaseChanges += ((w >> 24) & 3) != lastPhase;
      lastPhase = (w >> 24) & 3;
      rises += k > 0 && ((w >> 26) & 1) && !lastLevel;
      lastLevel = (w >> 26) & 1;
      fires += __builtin_popcount(w >> 28);
    }
    EXPECT_EQ(x, m[MonitorByte::PickupBlockXor]);
    EXPECT_EQ(s, m[MonitorByte::PickupBlockSum]);
    // The phase changes once per ignition period, four times in a block of
    // a little more than three periods; every lobe and channel comes round
    // once per period.
    EXPECT_EQ(phaseChanges, 4) << c.lobes;
    EXPECT_GE(rises, 3 * c.lobes) << c.lobes;
    EXPECT_LE(rises, 4 * c.lobes) << c.lobes;
    EXPECT_GE(fires, 3 * c.channels) << c.lobes;
    EXPECT_LE(fires, 4 * c.channels) << c.lobes;
  }
}

}  // namespace
}  // namespace q3
