// The protocol engine against the simulated unit in-process, over an
// in-memory line, with the test driving TMR, the port manager, the I/O step
// and the engine passes itself so every case is exact.
#include "link/link_engine.h"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <vector>

#include "base/app_clock.h"
#include "link/memory_device.h"
#include "sim_unit.h"

namespace q3 {
namespace {

using Bytes = std::vector<uint8_t>;

class EngineSim : public ::testing::Test {
 protected:
  AppClock clock;
  LinkEngine eng{clock};
  MemoryLineSet lines;
  std::shared_ptr<MemoryLine> line;
  std::unique_ptr<q3sim::SimUnit> sim;
  std::vector<Bytes> framesIn;  // requests as the unit received them
  // Applied to every answer before it goes on the line (faults of the peer).
  std::function<void(Bytes&)> tamper;
  // Answers to write requests come this many ms late (0: at once).
  int writeAnswerDelay = 0;
  bool answeringWrite = false;
  std::vector<std::pair<int32_t, Bytes>> held;  // late answers and when they arrive

  void SetUp() override {
    clock.setTmr(0);
    line = lines.add("/mem/unit");
    eng.setThreadless(true);
    eng.setDeviceFactory(lines.factory());
    eng.numbering().setStorePath("");
    eng.numbering().setLister([](std::vector<PortDevice>& out) {
      out.push_back({"/mem/unit", "/mem/unit"});
      return true;
    });
  }

  // Starts the unit with protocol and connects the engine to it on COM1.
  void connect(int protocol, int maxFrame = 0) {
    q3sim::SimConfig cfg;
    cfg.protocol = protocol;
    if (maxFrame) cfg.maxFrameLength = maxFrame;
    sim = std::make_unique<q3sim::SimUnit>(cfg);
    for (int i = 0; i < q3sim::kMemorySize; ++i) sim->memory[i] = uint8_t(i * 13 + 5);
    sim->frameLog = [this, protocol](const char* dir, const uint8_t* f, int n) {
      if (dir[0] != 'I') return;
      framesIn.emplace_back(f, f + n);
      answeringWrite = isFamilyA(protocol) ? n >= 10 && le16(f + 8) == kCmdWriteBlock
                                           : (f[0] & 0xF0) == kOpWrite && f[0] != 0;
    };
    line->setPeer([this](const uint8_t* d, int n) {
      Bytes out;
      answeringWrite = false;
      sim->receive(d, n, clock.tmr(), out);
      if (tamper) tamper(out);
      if (out.empty()) return;
      if (answeringWrite && writeAnswerDelay > 0)
        held.emplace_back(clock.tmr() + writeAnswerDelay, out);
      else
        line->peerWrite(out.data(), int(out.size()));
    });
    eng.requestOpen(1, 57600);
    for (int i = 0; i < 10 && !eng.com[1].isOpen(); ++i) {
      eng.managerRun();
      eng.ioStepAll();
    }
    ASSERT_TRUE(eng.com[1].isOpen());
    ConnectionRecord& c = eng.conn;
    configureReceiver(c.rx, protocol, 175);
    c.port = 1;
    c.frameOverhead = isFamilyA(protocol) ? kFamilyAOverhead : kFamilyBOverhead;
    c.maxFrameLength = isFamilyA(protocol) ? cfg.maxFrameLength : familyBFrameLength(protocol);
    c.typeKey = 104;
    c.sendTime = clock.tmr();
    eng.connectedPort.store(1);
    eng.watchdogStep();
    ASSERT_EQ(eng.engineStep(), kStepReady);
    ASSERT_EQ(eng.jobState(), kJobNone);
  }

  // Runs the link until the job ends; TMR advances 1 ms per round.
  int runJob(int maxMs = 20000) {
    for (int t = 0; t < maxMs; ++t) {
      clock.setTmr(clock.tmr() + 1);
      for (auto it = held.begin(); it != held.end();) {
        if (it->first > clock.tmr()) {
          ++it;
          continue;
        }
        line->peerWrite(it->second.data(), int(it->second.size()));
        it = held.erase(it);
      }
      eng.managerRun();
      eng.watchdogStep();
      for (int k = 0; k < 4; ++k) {
        eng.ioStepAll();
        eng.enginePass();
      }
      const int j = eng.jobState();
      if (j == kJobDone || j == kJobFailed) return j;
    }
    return eng.jobState();
  }

  void clearEnd() { eng.acknowledge(); }
};

TEST_F(EngineSim, Read1050In3150TakesSevenRequests) {
  connect(kProto3150);
  ASSERT_TRUE(eng.startJob(kJobRead, 0, 1050, kJobFlagPending | kJobFlagClearTx));
  ASSERT_EQ(runJob(), kJobDone);
  EXPECT_EQ(eng.end()->job(), kJobRead);
  ASSERT_EQ(framesIn.size(), 7u);
  for (int b = 0; b < 7; ++b) {
    EXPECT_EQ(framesIn[size_t(b)][0], 0x41 + b);
    EXPECT_EQ(framesIn[size_t(b)].size(), 152u);
  }
  EXPECT_TRUE(std::equal(sim->memory, sim->memory + 1050, eng.end()->rx()));
  EXPECT_EQ(std::accumulate(eng.end()->marks(), eng.end()->marks() + 1050, 0), 1050);
  EXPECT_EQ(eng.end()->marks()[1050], 0);
}

// Answers to a write that come after the watchdog gave up on them still
// arrive while later requests wait: the receive ring is emptied before each
// request, so a late answer is never taken for the next one.
TEST_F(EngineSim, LateWriteAnswersDoNotMultiplyTheFollowingRead) {
  for (int protocol : {kProto3150, kProtoCrc}) {
    SCOPED_TRACE(protocol);
    connect(protocol);
    clearEnd();
    framesIn.clear();
    ASSERT_TRUE(eng.startJob(kJobRead, 0, 1050, kJobFlagPending | kJobFlagClearTx));
    ASSERT_EQ(runJob(), kJobDone);
    const size_t clean = framesIn.size();

    writeAnswerDelay = kAnswerTimeoutMs + 50;
    clearEnd();
    for (int i = 0; i < 1050; ++i) eng.draft()->tx()[i] = sim->memory[i];
    ASSERT_TRUE(eng.startJob(kJobWrite, 0, 1050, kJobFlagPending));
    runJob();  // ends either way; what matters is what it leaves on the line
    writeAnswerDelay = 0;
    // The late answers arrive and wait in the receive ring.
    for (int t = 0; t < 2 * kAnswerTimeoutMs && !held.empty(); ++t) {
      clock.setTmr(clock.tmr() + 1);
      for (auto it = held.begin(); it != held.end();) {
        if (it->first > clock.tmr()) {
          ++it;
          continue;
        }
        line->peerWrite(it->second.data(), int(it->second.size()));
        it = held.erase(it);
      }
      eng.ioStepAll();
    }
    ASSERT_TRUE(held.empty());
    ASSERT_GT(eng.com[1].rxAvailable(), 0);
    clearEnd();
    framesIn.clear();
    ASSERT_TRUE(eng.startJob(kJobRead, 0, 1050, kJobFlagPending | kJobFlagClearTx));
    ASSERT_EQ(runJob(), kJobDone);
    EXPECT_LE(framesIn.size(), 2 * clean);
    EXPECT_TRUE(std::equal(sim->memory, sim->memory + 1050, eng.end()->rx()));
    held.clear();
    eng.connectedPort.store(0);
    eng.watchdogStep();
    eng.enginePass();
  }
}

TEST_F(EngineSim, WriteOfOnePendingAddressSendsItsWholeBlock) {
  connect(kProto3150);
  clearEnd();
  Bytes tx(1050);
  for (int i = 0; i < 1050; ++i) tx[size_t(i)] = uint8_t(255 - i % 256);
  {
    const auto d = eng.draft();
    ASSERT_TRUE(d);
    std::copy(tx.begin(), tx.end(), d->tx());
    std::fill(d->pending(), d->pending() + kJobBufferSize, 0);
    d->pending()[400] = 1;
    ASSERT_TRUE(d->start(kJobWrite, 0, 1050, 0));  // flags 0: the marks stay as drafted
  }
  ASSERT_EQ(runJob(), kJobDone);
  ASSERT_EQ(framesIn.size(), 1u);
  EXPECT_EQ(framesIn[0][0], 0x03);
  EXPECT_TRUE(std::equal(tx.begin() + 300, tx.begin() + 450, framesIn[0].begin() + 1));
  EXPECT_TRUE(std::equal(tx.begin() + 300, tx.begin() + 450, sim->memory + 300));
  EXPECT_EQ(sim->memory[299], uint8_t(299 * 13 + 5));  // the neighbours stay
  EXPECT_EQ(sim->memory[450], uint8_t(450 * 13 + 5));
}

TEST_F(EngineSim, FamilyAGapsUpTo50MergeIntoOneBlock) {
  struct Case {
    int second;
    std::vector<std::pair<int, int>> blocks;  // address, length of each write
  } cases[] = {{530, {{500, 31}}}, {560, {{500, 1}, {560, 1}}}, {551, {{500, 52}}}};
  connect(kProtoCrc);
  for (const Case& c : cases) {
    clearEnd();
    framesIn.clear();
    const auto d = eng.draft();
    ASSERT_TRUE(d);
    std::fill(d->pending(), d->pending() + kJobBufferSize, 0);
    d->pending()[500] = 1;
    d->pending()[c.second] = 1;
    ASSERT_TRUE(d->start(kJobWrite, 0, 1050, 0));
    ASSERT_EQ(runJob(), kJobDone) << c.second;
    ASSERT_EQ(framesIn.size(), c.blocks.size()) << c.second;
    for (size_t i = 0; i < c.blocks.size(); ++i) {
      EXPECT_EQ(le16(framesIn[i].data() + 8), kCmdWriteBlock);
      EXPECT_EQ(le16(framesIn[i].data() + 10), c.blocks[i].first) << c.second;
      EXPECT_EQ(le16(framesIn[i].data() + 12), c.blocks[i].second) << c.second;
    }
  }
}

TEST_F(EngineSim, MonitorExchangeCarriesTheKey) {
  connect(kProto3150);
  clearEnd();
  eng.draft()->tx()[148] = 0x55;
  eng.draft()->tx()[20] = 0x02;
  ASSERT_TRUE(eng.startJob(kJobMonitor, 0, 150, kJobFlagPending | kJobFlagOneAttempt));
  ASSERT_EQ(runJob(), kJobDone);
  ASSERT_EQ(framesIn.size(), 1u);
  EXPECT_EQ(framesIn[0][0], 0x30);
  EXPECT_EQ(framesIn[0][150], 104);
  EXPECT_EQ(framesIn[0][149], 0x55);
  EXPECT_EQ(sim->lastTest[0], 0x02);
  EXPECT_EQ(eng.end()->rx()[149], 104);  // program version major, monitor index 150
  EXPECT_EQ(eng.end()->rx()[148], 0);    // minor
}

// A damaged answer is resent as soon as the line is quiet, not after the
// answer watchdog: three damaged answers end the job well within one watchdog.
TEST_F(EngineSim, ThreeDamagedAnswersEndIn132WithoutWaitingOutTheWatchdog) {
  connect(kProto3150);
  clearEnd();
  sim->corruptNextAnswers = 3;
  const int t0 = clock.tmr();
  ASSERT_TRUE(eng.startJob(kJobRead, 0, 150, kJobFlagPending | kJobFlagClearTx));
  ASSERT_EQ(runJob(), kJobFailed);
  EXPECT_EQ(eng.end()->job(), kJobRead);
  EXPECT_EQ(eng.end()->rejectedFrames(), 3);
  EXPECT_EQ(framesIn.size(), 3u);
  const int took = clock.tmr() - t0;
  EXPECT_LT(took, kAnswerTimeoutMs);
  // The next job is only taken after the end state has been cleared.
  EXPECT_FALSE(eng.startJob(kJobRead, 0, 150, 3));
  EXPECT_EQ(eng.jobState(), kJobFailed);
  clearEnd();
  EXPECT_TRUE(eng.startJob(kJobRead, 0, 150, 3));
  EXPECT_EQ(runJob(), kJobDone);
}

// Damage of several kinds: a first byte that cannot begin an answer (family
// B), a data byte or a length field that spoils the check. Each answer is
// resent once the line is quiet; only a frame cut short, whose missing bytes
// never come, waits for the watchdog.
struct ResendCase : EngineSim {
  void TestBody() override {}
  // The time one read of 150 bytes took whose first answer spoil() damaged.
  int readWithOneDamagedAnswer(int protocol, const std::function<void(Bytes&)>& spoil) {
    SetUp();
    connect(protocol);
    clearEnd();
    int spoiled = 0;
    tamper = [&](Bytes& out) {
      if (spoiled == 0 && out.size() > 100) {
        spoil(out);
        ++spoiled;
      }
    };
    const int t0 = clock.tmr();
    EXPECT_TRUE(eng.startJob(kJobRead, 0, 150, kJobFlagPending | kJobFlagClearTx));
    EXPECT_EQ(runJob(), kJobDone);
    EXPECT_EQ(spoiled, 1);
    EXPECT_EQ(framesIn.size(), 2u);
    EXPECT_TRUE(std::equal(sim->memory, sim->memory + 150, eng.end()->rx()));
    return clock.tmr() - t0;
  }
};

TEST(EngineResend, DamagedAnswersAreResentOnceTheLineIsQuiet) {
  struct Case {
    const char* what;
    int protocol;
    std::function<void(Bytes&)> spoil;
    bool waitsForWatchdog;
  } cases[] = {
      {"family B first byte", kProto3150, [](Bytes& b) { b[0] = 0x01; }, false},
      {"family B data byte", kProto3150, [](Bytes& b) { b[70] ^= 0x10; }, false},
      {"family A data byte", kProtoCrc, [](Bytes& b) { b[b.size() / 2] ^= 0x01; }, false},
      {"family A length field", kProtoCrc, [](Bytes& b) { b[13] = 0x7F; }, false},
      {"family A cut short", kProtoCrc, [](Bytes& b) { b.resize(b.size() - 3); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResendCase f;
    const int took = f.readWithOneDamagedAnswer(c.protocol, c.spoil);
    if (c.waitsForWatchdog)
      EXPECT_GT(took, kAnswerTimeoutMs);
    else
      EXPECT_LT(took, 50);
  }
}

TEST_F(EngineSim, StartWhileDoneIsIgnored) {
  connect(kProto3150);
  ASSERT_TRUE(eng.startJob(kJobMonitor, 0, 150, kJobFlagPending | kJobFlagOneAttempt));
  ASSERT_EQ(runJob(), kJobDone);
  framesIn.clear();
  // Until the end is acknowledged the arrays are the reader's: no draft, no start.
  EXPECT_FALSE(eng.draft().has_value());
  EXPECT_FALSE(eng.startJob(kJobWrite, 0, 150, kJobFlagPending | kJobFlagClearTx));
  EXPECT_EQ(eng.jobState(), kJobDone);
  runJob(50);
  EXPECT_TRUE(framesIn.empty());
  clearEnd();
  EXPECT_TRUE(eng.draft().has_value());
}

TEST_F(EngineSim, WrongEchoOfAWriteIsAFailedAttempt) {
  connect(kProto3150);
  clearEnd();
  int spoiled = 0;
  tamper = [&](Bytes& out) {
    if (spoiled < 2 && out.size() == 152) {  // a valid frame with one data byte changed
      out[10] ^= 0x01;
      out[151] ^= 0x01;
      ++spoiled;
    }
  };
  for (int i = 0; i < 150; ++i) eng.draft()->tx()[i] = uint8_t(i);
  ASSERT_TRUE(eng.startJob(kJobWrite, 0, 150, kJobFlagPending));
  ASSERT_EQ(runJob(), kJobDone);
  EXPECT_EQ(framesIn.size(), 3u);  // two spoiled echoes, then the good one
  spoiled = 0;
  clearEnd();
  framesIn.clear();
  eng.startJob(kJobWrite, 0, 150, kJobFlagPending | kJobFlagOneAttempt);
  EXPECT_EQ(runJob(), kJobFailed);  // a single attempt allowed
  EXPECT_EQ(framesIn.size(), 1u);
}

TEST_F(EngineSim, WholeImageRoundTripsInEveryProtocol) {
  struct Case {
    int protocol, maxFrame;
    size_t writeFrames;
  } cases[] = {
      {kProto3050, 0, 21},
      {kProto3100, 0, 11},
      {kProto3150, 0, 7},
      {kProto3300, 0, 4},
      {kProtoCrc, 48, 33},
      {kProtoSum, 528, 3},
      // A unit that announces frames above 528 still gets at most 512 data bytes per request.
      {kProtoCrc, 1040, 3},
      {kProtoSum, 2000, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.protocol);
    SCOPED_TRACE(c.maxFrame);
    eng.connectedPort.store(0);
    eng.watchdogStep();
    eng.enginePass();
    framesIn.clear();
    connect(c.protocol, c.maxFrame);
    Bytes image(1050);
    for (int i = 0; i < 1050; ++i) image[size_t(i)] = uint8_t((i * 31) ^ (i >> 3) ^ c.protocol);
    std::copy(image.begin(), image.end(), eng.draft()->tx());
    ASSERT_TRUE(eng.startJob(kJobWrite, 0, 1050, kJobFlagPending));
    ASSERT_EQ(runJob(), kJobDone);
    EXPECT_EQ(framesIn.size(), c.writeFrames);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), sim->memory));
    clearEnd();
    ASSERT_TRUE(eng.startJob(kJobRead, 0, 1050, kJobFlagPending | kJobFlagClearTx));
    ASSERT_EQ(runJob(), kJobDone);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), eng.end()->rx()));
  }
}

TEST_F(EngineSim, IdentificationBlockIsReadWholeOrRefused) {
  struct Case {
    int protocol;
    int end;
  } cases[] = {{kProto3150, kJobDone},
               {kProto3300, kJobDone},
               {kProtoCrc, kJobDone},
               {kProto3050, kJobFailed},
               {kProto3100, kJobFailed}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.protocol);
    eng.connectedPort.store(0);
    eng.watchdogStep();
    eng.enginePass();
    framesIn.clear();
    connect(c.protocol);
    ASSERT_TRUE(eng.startJob(kJobIdent, 0, 150, kJobFlagPending | kJobFlagClearTx));
    ASSERT_EQ(runJob(), c.end);
    if (c.end == kJobDone) {
      EXPECT_EQ(int(eng.end()->refusal()), 0);
      EXPECT_TRUE(std::equal(sim->ident, sim->ident + 150, eng.end()->rx()));
    } else {
      EXPECT_EQ(int(eng.end()->refusal()), int(JobRefusal::IdentNeedsFullFrame));
      EXPECT_NE(jobRefusalText(JobRefusal::IdentNeedsFullFrame), nullptr);
      EXPECT_TRUE(framesIn.empty());  // refused before anything went out
      EXPECT_EQ(std::accumulate(eng.end()->marks(), eng.end()->marks() + 150, 0), 0);
    }
  }
}

TEST_F(EngineSim, ResetCommandInBothFamilies) {
  for (int protocol : {kProto3150, kProtoCrc}) {
    SCOPED_TRACE(protocol);
    eng.connectedPort.store(0);
    eng.watchdogStep();
    eng.enginePass();
    connect(protocol);
    std::fill(eng.draft()->tx(), eng.draft()->tx() + 150, 0);
    eng.draft()->tx()[12] = 0xA5;
    eng.draft()->tx()[13] = 0x10;
    eng.draft()->setCommand(kCmdReset, 1600, 0);
    ASSERT_TRUE(eng.startJob(kJobCommand, 0, 1, kJobFlagPending));
    ASSERT_EQ(runJob(), kJobDone);
    EXPECT_EQ(sim->resets, 1);
  }
}

TEST_F(EngineSim, LosingThePortMidJobClearsTheJobWithoutEndState) {
  connect(kProto3150);
  sim->config().silent = true;
  ASSERT_TRUE(eng.startJob(kJobRead, 0, 1050, 3));
  runJob(100);
  ASSERT_EQ(eng.engineStep(), kStepWaiting);
  eng.connectedPort.store(0);
  eng.watchdogStep();
  EXPECT_EQ(eng.jobState(), kJobNone);
  EXPECT_EQ(eng.engineStep(), kStepIdle);
}

}  // namespace
}  // namespace q3
