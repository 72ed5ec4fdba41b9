// Frames on the line: check vectors, request building, the byte receiver fed
// through a port's ring, the transmitter and the bulk capture.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/app_clock.h"
#include "link/frame.h"
#include "link/pickup_capture.h"
#include "link/port_manager.h"

namespace q3 {
namespace {

using Bytes = std::vector<uint8_t>;

const uint8_t kPre[7] = {0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A, 0xBB};

Bytes frameA(int protocol, uint8_t dir, uint16_t cmd, uint16_t addr, const Bytes& data) {
  Bytes f(kFrameMax + 16);
  f.resize(size_t(buildFrameA(f.data(), protocol, dir, cmd, addr,
                              data.empty() ? nullptr : data.data(), int(data.size()))));
  return f;
}

Bytes frameB(int protocol, uint8_t first, const Bytes& data, int keyMajor = 0, int keyMinor = 0) {
  Bytes f(kFrameMax);
  f.resize(size_t(buildFrameB(f.data(), protocol, first, data.empty() ? nullptr : data.data(),
                              keyMajor, keyMinor)));
  return f;
}

// Sum of a frame read as little-endian words from offset 0.
uint16_t wordSum(const Bytes& f) { return sumOf(f.data(), int(f.size())); }

TEST(FrameChecks, PreambleRegistersMatchTheWorkedValues) {
  EXPECT_EQ(crcOf(kPre, 7), 0xB797);
  EXPECT_EQ(kCrcPreamble, 0xB797);
  for (int k : {0x0B, 0xBB, 0xFB, 0xFC})
    EXPECT_EQ(sumOf(kPre, 7) + k * 256 & 0xFFFF, (kSumPreamble + k * 256) & 0xFFFF);
}

TEST(FrameChecks, IdentifyProbeInBothCheckTypes) {
  const Bytes crc = frameA(kProtoCrc, kKindRequest, kCmdIdentify, 0, {});
  EXPECT_EQ(crc, (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A, 0xBB, 0xBB, 0xEE, 0xFE, 0, 0, 0, 0,
                        0xD8, 0x69}));
  const Bytes sum = frameA(kProtoSum, kKindRequest, kCmdIdentify, 0, {});
  EXPECT_EQ(sum[7], 0xFB);
  EXPECT_EQ(sum[14], 0xB3);
  EXPECT_EQ(sum[15], 0xAA);
  EXPECT_EQ(wordSum(sum), 0xFFFF);
}

TEST(FrameChecks, SumFramesTotalFFFFForEveryDataLength) {
  for (int n : {0, 1, 2, 3, 7, 150, 511, 512}) {
    Bytes data(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) data[size_t(i)] = uint8_t(i * 37 + 11);
    const Bytes f = frameA(kProtoSum, kKindRequest, kCmdWriteBlock, 0x1234, data);
    ASSERT_EQ(int(f.size()), 16 + n);
    EXPECT_EQ(wordSum(f), 0xFFFF) << "data length " << n;
  }
}

TEST(FrameChecks, FamilyALengthIsCappedAt512) {
  const Bytes data(600, 0x42);
  const Bytes f = frameA(kProtoCrc, kKindRequest, kCmdWriteBlock, 0, data);
  EXPECT_EQ(f.size(), 16u + 512u);
  EXPECT_EQ(le16(f.data() + 12), 512);
}

TEST(FrameChecks, ProbeOf3150CarriesTheKeyAndCheck) {
  const Bytes f = frameB(kProto3150, 0x30, {}, 104, 0);
  ASSERT_EQ(f.size(), 152u);
  EXPECT_EQ(f[0], 0x30);
  for (int i = 1; i < 150; ++i) ASSERT_EQ(f[size_t(i)], 0) << i;
  EXPECT_EQ(f[150], 0x68);
  EXPECT_EQ(f[151], 0xA7);
}

TEST(FrameChecks, KeyPlacementByProtocol) {
  struct Case {
    int protocol, major, minor, atMajor, atMinor;
  } cases[] = {
      {kProto3050, 104, 0, 50, -1}, {kProto3100, 104, 3, 100, 99}, {kProto3150, 104, 7, 150, 149},
      {kProto3150, 0, 0, -1, -1},   {kProto3300, 104, 3, -1, -1},
  };
  for (const Case& c : cases) {
    const int n = familyBData(c.protocol);
    Bytes data(size_t(n), 0x11);
    const Bytes f = frameB(c.protocol, 0x30, data, c.major, c.minor);
    for (int off = 1; off <= n; ++off) {
      const uint8_t want = off == c.atMajor   ? uint8_t(c.major)
                           : off == c.atMinor ? uint8_t(c.minor)
                                              : 0x11;
      ASSERT_EQ(f[size_t(off)], want) << c.protocol << " offset " << off;
    }
    EXPECT_EQ(checkB(f.data(), n + 2), 0) << c.protocol;  // XOR of all bytes is 0xFF
  }
}

// Feeds a byte stream through a real port ring, split into two writes at 'split',
// and collects every frame the receiver reports.
struct RingFeeder {
  PickupCapture* capture = nullptr;  // the pickup capture that sees the bytes first
  PortRecord port;
  FrameReceiver rx;
  std::vector<Bytes> frames;

  void push(const uint8_t* p, int n) {
    while (n > 0) {
      const RingFree f = ringFree(port.rdIdx.load(), port.wrIdx.load());
      int room = f.total();
      if (room == 0) {
        drain();
        continue;
      }
      int wr = port.wrIdx.load();
      const int k = std::min(n, room);
      for (int i = 0; i < k; ++i) {
        port.rxRing[wr] = p[i];
        wr = wr + 1 == kRingSize ? 0 : wr + 1;
      }
      port.wrIdx.store(wr);
      p += k;
      n -= k;
      drain();
    }
  }
  void drain() {
    while (receive(rx, port, 0, capture)) {
      const int len = isFamilyA(rx.protocol) ? rx.frameLength() : familyBFrameLength(rx.protocol);
      frames.emplace_back(rx.frame, rx.frame + len);
    }
  }
};

TEST(FrameReceiver, EveryFrameSurvivesEverySplitOfTheStream) {
  struct Case {
    int protocol;
    std::vector<Bytes> frames;
    Bytes noise;
  };
  Bytes monitor(150);
  for (int i = 0; i < 150; ++i) monitor[size_t(i)] = uint8_t(i * 3);
  const Case cases[] = {
      {kProtoCrc,
       {frameA(kProtoCrc, kKindAnswer, kCmdReadBlock, 0, Bytes(40, 0xFF)),
        frameA(kProtoCrc, kKindAnswer, kCmdIdentify, 0, {'Q', 0, 16, 2}),
        frameA(kProtoCrc, kKindAnswer, kCmdMonitor, 0, monitor)},
       {0xFF, 0xFF, 0xA5, 0x12, 0xFF, 0xFF, 0xFF}},
      {kProtoSum,
       {frameA(kProtoSum, kKindAnswer, kCmdReadBlock, 3, {1, 2, 3}),
        frameA(kProtoSum, kKindAnswer, kCmdMonitor, 0, monitor)},
       {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A, 0xBB, 0x3C}},
      {kProto3150,
       {frameB(kProto3150, 0xB0, monitor), frameB(kProto3150, 0xC1, Bytes(150, 0x80))},
       {0x01, 0x7F, 0x30}},
      {kProto3050,
       {frameB(kProto3050, 0x81, Bytes(50, 9)), frameB(kProto3050, 0xC0, Bytes(50, 0xC0))},
       {0x05}},
  };
  for (const Case& c : cases) {
    Bytes stream = c.noise;
    for (const Bytes& f : c.frames) {
      stream.insert(stream.end(), f.begin(), f.end());
      stream.insert(stream.end(), c.noise.begin(), c.noise.end());
    }
    for (size_t split = 0; split <= stream.size(); ++split) {
      RingFeeder feed;
      configureReceiver(feed.rx, c.protocol, 175);
      feed.push(stream.data(), int(split));
      feed.push(stream.data() + split, int(stream.size() - split));
      ASSERT_EQ(feed.frames, c.frames) << "protocol " << c.protocol << " split " << split;
    }
  }
}

bool feedAll(FrameReceiver& rx, const Bytes& s, int32_t t = 0) {
  bool any = false;
  for (uint8_t b : s) any = receiveByte(rx, b, t) || any;
  return any;
}

TEST(FrameReceiver, RejectsCorruptAndForeignInput) {
  struct Case {
    const char* what;
    int protocol;
    Bytes stream;
  };
  Bytes badB = frameB(kProto3150, 0xC1, Bytes(150, 1));
  badB[151] ^= 1;
  Bytes noBit7 = frameB(kProto3150, 0x41, Bytes(150, 1));
  Bytes badCrc = frameA(kProtoCrc, kKindAnswer, kCmdReadBlock, 0, {1, 2});
  badCrc[15] ^= 0x10;
  Bytes badSum = frameA(kProtoSum, kKindAnswer, kCmdReadBlock, 0, {1, 2, 3});
  badSum[16] ^= 0x01;
  const Case cases[] = {
      {"family B with a wrong XOR", kProto3150, badB},
      {"family B without bit 7", kProto3150, noBit7},
      {"CRC frame with a wrong check", kProtoCrc, badCrc},
      {"sum frame with a wrong check", kProtoSum, badSum},
      {"preamble with kind 0x3C",
       kProtoCrc,
       {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A, 0xBB, 0x3C}},
      {"protocol 0", kProtoNone, frameA(kProtoCrc, kKindAnswer, kCmdReadBlock, 0, {})},
  };
  for (const Case& c : cases) {
    FrameReceiver rx;
    configureReceiver(rx, c.protocol, 175);
    EXPECT_FALSE(feedAll(rx, c.stream)) << c.what;
  }
}

TEST(FrameReceiver, SlidesPastABadKindByteToTheNextFrame) {
  FrameReceiver rx;
  configureReceiver(rx, kProtoCrc, 175);
  Bytes s = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A, 0xBB, 0x3C};
  const Bytes good = frameA(kProtoCrc, kKindAnswer, kCmdReadBlock, 8, {5, 6});
  s.insert(s.end(), good.begin(), good.end());
  EXPECT_TRUE(feedAll(rx, s));
  EXPECT_EQ(Bytes(rx.frame, rx.frame + rx.frameLength()), good);
}

TEST(FrameReceiver, ShortAnswersAreRewritten) {
  struct Case {
    uint16_t cmd;
    Bytes data;
    uint8_t kindLow;
    uint16_t address;
  } cases[] = {
      {kCmdShortOk, {}, kKindAnswer, 0},
      {kCmdShortOk, {0x2A}, kKindAnswer, 0x2A},
      {kCmdShortOk, {0x34, 0x12}, kKindAnswer, 0x1234},
      {kCmdShortRefused, {}, kKindShortRefused, 0},
  };
  for (int protocol : {kProtoCrc, kProtoSum})
    for (const Case& c : cases) {
      FrameReceiver rx;
      configureReceiver(rx, protocol, 175);
      ASSERT_TRUE(feedAll(rx, frameA(protocol, kKindAnswer, c.cmd, kCmdWriteBlock, c.data)));
      EXPECT_EQ(rx.kind() & 0x0F, c.kindLow);
      EXPECT_EQ(rx.kind() & 0xF0, protocol == kProtoSum ? 0xF0 : 0xB0);
      EXPECT_EQ(rx.command(), kCmdWriteBlock);
      EXPECT_EQ(rx.address(), c.address);
      EXPECT_EQ(rx.dataLength(), 0);
    }
}

TEST(FrameReceiver, PauseLongerThanTimeoutDiscardsThePartialFrame) {
  for (int protocol : {kProtoCrc, kProto3150}) {
    const Bytes f = isFamilyA(protocol)
                        ? frameA(protocol, kKindAnswer, kCmdReadBlock, 0, Bytes(20, 1))
                        : frameB(protocol, 0xC1, Bytes(150, 1));
    const Bytes head(f.begin(), f.begin() + 10), tail(f.begin() + 10, f.end());
    FrameReceiver rx;
    configureReceiver(rx, protocol, 175);
    EXPECT_FALSE(feedAll(rx, head, 1000));
    EXPECT_FALSE(feedAll(rx, tail, 1176)) << protocol;
    // Within the time-out the same split arrives whole.
    configureReceiver(rx, protocol, 175);
    EXPECT_FALSE(feedAll(rx, head, 1000));
    EXPECT_TRUE(feedAll(rx, tail, 1175)) << protocol;
  }
}

TEST(FrameReceiver, OversizedLengthFieldIsNotAFrame) {
  // A length field that cannot fit the 1040-byte buffer must not run past it.
  FrameReceiver rx;
  configureReceiver(rx, kProtoCrc, 175);
  Bytes s(kPre, kPre + 7);
  s.insert(s.end(), {0xBC, 0x10, 0x70, 0, 0, 0xFF, 0xFF});
  s.resize(s.size() + 2000, 0xEE);
  EXPECT_FALSE(feedAll(rx, s));
  const Bytes good = frameA(kProtoCrc, kKindAnswer, kCmdReadBlock, 0, {});
  EXPECT_TRUE(feedAll(rx, good));
}

TEST(FrameTransmitter, SendsInChunksOfAtMost330WhenTheBufferIsFree) {
  PortRecord port;
  FrameReceiver rx;
  configureReceiver(rx, kProtoCrc, 175);
  rx.txLength = 700;
  for (int i = 0; i < 700; ++i) rx.txFrame[i] = uint8_t(i);
  Bytes sent;
  std::vector<int> chunks;
  restartTransmit(rx);
  for (int guard = 0; guard < 10; ++guard) {
    const int left = transmitStep(rx, port);
    EXPECT_EQ(transmitStep(rx, port), left);  // busy buffer: nothing moves
    const int n = port.txCount.load();
    if (n == 0) break;
    chunks.push_back(n);
    sent.insert(sent.end(), port.txBuf, port.txBuf + n);
    port.txCount.store(0);
  }
  EXPECT_EQ(chunks, (std::vector<int>{330, 330, 40}));
  EXPECT_EQ(sent, Bytes(rx.txFrame, rx.txFrame + 700));
}

class BulkCaptureTest : public ::testing::Test {
 protected:
  PickupCapture cap;
  static Bytes block(int n) {
    Bytes b(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) b[size_t(i)] = uint8_t(i * 7 + 1);
    return b;
  }
  static void checks(const Bytes& b, uint8_t& x, uint8_t& s) {
    x = 0;
    s = 0;
    for (uint8_t v : b) {
      x ^= v;
      s = uint8_t(s + v);
    }
  }
};

TEST_F(BulkCaptureTest, ValidBlockArrivesAcrossReArming) {
  const Bytes b = block(400);
  uint8_t x, s;
  checks(b, x, s);
  uint8_t mon[151]{};
  mon[128] = 1;
  mon[129] = x;
  mon[130] = s;
  mon[131] = 2;
  mon[98] = uint8_t(b.size());
  mon[99] = uint8_t(b.size() >> 8);
  cap.armFromMonitor(mon);
  RingFeeder feed;
  feed.capture = &cap;
  configureReceiver(feed.rx, kProto3150, 175);
  feed.push(b.data(), 200);
  EXPECT_EQ(cap.state().count.load(), 200);
  cap.armFromMonitor(mon);  // re-arming continues the same capture
  feed.push(b.data() + 200, 200);
  ASSERT_EQ(cap.arrived().active.load(), 1);
  EXPECT_EQ(cap.arrived().length, 400);
  EXPECT_EQ(cap.arrived().extra, 2);
  EXPECT_EQ(Bytes(cap.arrived().buffer, cap.arrived().buffer + 400), b);
  EXPECT_EQ(cap.state().active.load(), 0);
  EXPECT_EQ(cap.state().count.load(), 0);
  EXPECT_EQ(cap.supervisorMask(), 1);
}

TEST_F(BulkCaptureTest, TheBlockStateTravelsWithTheBlock) {
  const Bytes b = block(48);
  uint8_t x, s;
  checks(b, x, s);
  for (uint8_t state : {2, 1, 2}) {
    cap.arm(state, 48, x, s, 3);
    RingFeeder feed;
    feed.capture = &cap;
    configureReceiver(feed.rx, kProto3150, 175);
    feed.push(b.data(), 48);
    ASSERT_EQ(cap.arrived().active.load(), 1);
    EXPECT_EQ(cap.arrived().state, state);
    cap.arrived().active.store(0);
  }
}

TEST_F(BulkCaptureTest, FailedChecksWidenThePeriodMask) {
  const Bytes b = block(64);
  uint8_t x, s;
  checks(b, x, s);
  for (int want : {3, 7, 7}) {
    cap.arm(1, 64, uint8_t(x ^ 1), s, 0);
    RingFeeder feed;
    feed.capture = &cap;
    configureReceiver(feed.rx, kProto3150, 175);
    feed.push(b.data(), 64);
    EXPECT_EQ(cap.supervisorMask(), want);
    EXPECT_EQ(cap.arrived().active.load(), 0);
    EXPECT_EQ(cap.state().active.load(), 0);
  }
}

TEST_F(BulkCaptureTest, UnconsumedBlockIsNotOverwritten) {
  const Bytes b = block(32);
  uint8_t x, s;
  checks(b, x, s);
  cap.arm(1, 32, x, s, 0);
  RingFeeder first;
  first.capture = &cap;
  configureReceiver(first.rx, kProto3150, 175);
  first.push(b.data(), 32);
  ASSERT_EQ(cap.arrived().active.load(), 1);
  Bytes other(32, 0x55);
  uint8_t x2, s2;
  checks(other, x2, s2);
  cap.arm(1, 32, x2, s2, 0);
  RingFeeder second;
  second.capture = &cap;
  configureReceiver(second.rx, kProto3150, 175);
  second.push(other.data(), 32);
  EXPECT_EQ(Bytes(cap.arrived().buffer, cap.arrived().buffer + 32), b);
}

TEST_F(BulkCaptureTest, CaptureIsCancelledAtTheLimit) {
  cap.arm(1, 0, 0, 0, 0);  // announced without a length: runs into the limit
  bool also = false;
  for (int i = 0; i < kBulkMax; ++i) ASSERT_FALSE(cap.feed(uint8_t(i), also));
  EXPECT_EQ(cap.state().count.load(), kBulkMax);
  EXPECT_TRUE(cap.feed(0, also));
  EXPECT_EQ(cap.state().active.load(), 0);
  EXPECT_EQ(cap.state().count.load(), 0);
}

}  // namespace
}  // namespace q3
