// The protocol engine: jobs split into blocks, requests, answer validation,
// attempts and end states.
#include "link/link_engine.h"

#include <QThread>
#include <algorithm>
#include <cstring>

#include "link/bulk_capture.h"
#include "base/app_clock.h"
#include "base/debug_log.h"

namespace q3 {

class LinkEngine::EngineThread {
 public:
  QThread* thread = nullptr;
};

const char* jobRefusalText(JobRefusal r) {
  switch (r) {
    case JobRefusal::IdentNeedsFullFrame:
      return "###The unit's protocol carries fewer than 150 bytes per frame: its identification "
             "block cannot be read whole."
             "##Das Protokoll des Geräts überträgt weniger als 150 Bytes pro Rahmen: sein "
             "Kennungsblock kann nicht vollständig gelesen werden."
             "##Protokol jednotky přenáší méně než 150 bajtů v rámci: její identifikační blok "
             "nelze přečíst celý.";
    case JobRefusal::None:
      break;
  }
  return nullptr;
}

LinkEngine::LinkEngine() = default;

LinkEngine::~LinkEngine() { stopEngineThread(); }

int LinkEngine::maxData() const {
  const ConnectionRecord& c = active;
  int m = c.maxFrameLength - c.frameOverhead;
  // One family A request carries at most 512 data bytes; a larger block would
  // lose its tail while the address still advanced past it.
  if (isFamilyA(c.rx.protocol)) m = std::min(m, kFamilyAMaxData);
  if (isFamilyB(c.rx.protocol)) m = std::min(m, familyBData(c.rx.protocol));
  return std::max(m, 1);
}

bool LinkEngine::startJob(int jobCode, int start, int cnt, int flags) {
  if (job.load(std::memory_order_acquire) != kJobNone) return false;
  start = std::clamp(start, 0, COMMAXBUF);
  const int stop = std::clamp(start + std::max(cnt, 0), start, COMMAXBUF);
  currentAddress = start;
  count = stop - start;
  end = stop;
  attempt = 0;
  for (int a = start; a < stop; ++a) {
    if (flags & kJobFlagClearTx) txData[a] = 0;
    if (flags & kJobFlagPending) pending[a] = 1;
    rxData[a] = 0;
    rxMarks[a] = 0;
  }
  attemptsAllowed = (flags & kJobFlagOneAttempt) ? 1 : 3;
  refusal.store(0, std::memory_order_relaxed);
  job.store(jobCode, std::memory_order_release);  // written last: starts the work
  return true;
}

void LinkEngine::watchdogStep() {
  const int port = connectedPort.load(std::memory_order_acquire);
  const bool linked = port != 0 && linkEnabled.load(std::memory_order_acquire) != 0;
  int s = step.load(std::memory_order_acquire);
  if (s != kStepIdle) {
    if (!linked) {
      step.store(kStepIdle, std::memory_order_release);
      job.store(kJobNone, std::memory_order_release);
      s = kStepIdle;
    } else if (s == kStepWaiting &&
               tmr() - sendTime.load(std::memory_order_acquire) > kAnswerTimeoutMs) {
      step.compare_exchange_strong(s, kStepFailed, std::memory_order_acq_rel);
    }
  }
  if (s == kStepIdle && linked) {
    linkGeneration.fetch_add(1, std::memory_order_acq_rel);
    job.store(kJobNone, std::memory_order_release);
    step.store(kStepReady, std::memory_order_release);
  }
  (void)enginePort.load(
      std::memory_order_acquire);  // orders our later writes of conn after the engine's copy
}

void LinkEngine::takeConnection(int port) {
  active = conn;
  active.rx.txLength = 0;
  active.rx.txRemaining = 0;
  active.rx.txPosition = -1;
  sendTime.store(active.sendTime, std::memory_order_release);
  enginePort.store(port, std::memory_order_release);
}

void LinkEngine::endJob(int state) {
  lastJob.store(job.load(std::memory_order_relaxed), std::memory_order_release);
  step.store(kStepReady, std::memory_order_release);
  job.store(state, std::memory_order_release);
}

void LinkEngine::failAttempt() {
  debugLog("COM timeout or redirection (%i)...", attempt);
  ++attempt;
  if (attempt >= attemptsAllowed) {
    endJob(kJobFailed);
    return;
  }
  restartTransmit(active.rx);
  sendTime.store(tmr(), std::memory_order_release);
  step.store(kStepSending, std::memory_order_release);
}

bool LinkEngine::chooseBlock(int& start, int& length) const {
  const int m = maxData();
  if (currentAddress >= end) return false;
  if (isFamilyB(active.rx.protocol)) {
    for (int blk = currentAddress / m; blk <= (end - 1) / m; ++blk) {
      const int a0 = blk * m;
      const int a1 = std::min(a0 + m, COMMAXBUF);
      for (int a = a0; a < a1; ++a)
        if (pending[a]) {
          start = a0;
          length = m;
          return true;
        }
    }
    return false;
  }
  int first = -1;
  for (int a = currentAddress; a < end; ++a)
    if (pending[a]) {
      first = a;
      break;
    }
  if (first < 0) return false;
  int last = first;
  for (int a = first + 1; a < end && a - first < m; ++a) {
    if (pending[a])
      last = a;
    else if (a - last > 50)
      break;
  }
  start = first;
  length = last - first + 1;
  return true;
}

void LinkEngine::buildRequest(int start, int length) {
  FrameReceiver& rx = active.rx;
  const int jobCode = job.load(std::memory_order_relaxed);
  currentAddress = start;
  currentLength = uint16_t(length);
  if (isFamilyA(rx.protocol)) {
    uint8_t word[2];
    putLe16(word, uint16_t(length));
    switch (jobCode) {
      case kJobWrite:
        expectedAnswer = kCmdWriteBlock;
        buildRequestA(rx, kCmdWriteBlock, uint16_t(start), txData + start, length);
        break;
      case kJobRead:
        expectedAnswer = kCmdReadBlock;
        buildRequestA(rx, kCmdReadBlock, uint16_t(start), word, 2);
        break;
      case kJobMonitor:
        expectedAnswer = kCmdMonitor;
        buildRequestA(rx, kCmdMonitor, uint16_t(start), txData + start, length);
        break;
      case kJobCommand:
        expectedAnswer = job65Command & 0xFFFF;
        buildRequestA(rx, uint16_t(job65Command), uint16_t(start), nullptr, 0);
        break;
      default:
        expectedAnswer = kCmdReadIdent;
        buildRequestA(rx, kCmdReadIdent, uint16_t(start), word, 2);
        break;
    }
    return;
  }
  const int m = maxData();
  // The frame always carries M data bytes; near the end of the arrays the tail is zeros.
  uint8_t data[kFrameMax];
  const int avail = std::clamp(COMMAXBUF - start, 0, m);
  std::memcpy(data, txData + start, size_t(avail));
  std::memset(data + avail, 0, size_t(m - avail));
  const int blk = start / m;
  switch (jobCode) {
    case kJobWrite:
      expectedAnswer = 0x80 + blk + 1;
      buildRequestB(rx, kOpWrite, blk + 1, data, 0, 0);
      break;
    case kJobRead:
      expectedAnswer = 0xC0 + blk + 1;
      buildRequestB(rx, kOpRead, blk + 1, data, 0, 0);
      break;
    case kJobMonitor:
      expectedAnswer = 0xB0 + blk;
      buildRequestB(rx, kOpMonitor, blk, data, keyMajor.load(std::memory_order_relaxed),
                    keyMinor.load(std::memory_order_relaxed));
      break;
    case kJobCommand:
      expectedAnswer = 0x80;
      buildRequestB(rx, kOpWrite, 0, data, 0, 0);
      break;
    default:
      expectedAnswer = 0xC0;
      buildRequestB(rx, kOpRead, 0, data, 0, 0);
      break;
  }
}

void LinkEngine::validateAnswer() {
  FrameReceiver& rx = active.rx;
  const int jobCode = job.load(std::memory_order_relaxed);
  const bool stores = jobCode == kJobRead || jobCode == kJobMonitor || jobCode == kJobIdent;
  if (isFamilyB(rx.protocol)) {
    if (rx.frame[0] != expectedAnswer) {
      debugLog("COM not expected answer 0x%02x!=0x%02x (%i)...", rx.frame[0], expectedAnswer,
               attempt);
      failAttempt();
      return;
    }
    const int len = familyBData(rx.protocol);
    int t = expectedAnswer & 0x3F;
    if (t >= 48) t &= 0x0F;
    int addr = len * t;
    if (jobCode == kJobWrite || jobCode == kJobRead) addr -= len;
    if (addr != currentAddress) {
      debugLog("address is not equal %i!=%i (%i)...", addr, currentAddress.load(), attempt);
      failAttempt();
      return;
    }
    const int n = std::clamp(COMMAXBUF - addr, 0, len);
    if (jobCode == kJobWrite) {
      int errors = 0;
      for (int i = 0; i < n; ++i) errors += rx.frame[1 + i] != txData[addr + i];
      if (errors) {
        debugLog("COM verify fail, %i errors (%i)...", errors, attempt);
        failAttempt();
        return;
      }
    } else if (stores) {
      std::memcpy(rxData + addr, rx.frame + 1, size_t(n));
      std::memset(rxMarks + addr, 1, size_t(n));
    }
    currentAddress += len;
  } else {
    if ((rx.kind() & 0x0F) != kKindAnswer || rx.command() != expectedAnswer)
      return;  // not ours: keep waiting
    const int addr = rx.address();
    const int len = rx.dataLength();
    if (addr != currentAddress || (stores && len != currentLength)) {
      debugLog("len or address is not equal %i!=%i (%i)...", stores ? len : addr,
               stores ? int(currentLength) : currentAddress.load(), attempt);
      failAttempt();
      return;
    }
    if (stores) {
      const int n = std::clamp(COMMAXBUF - addr, 0, len);
      std::memcpy(rxData + addr, rx.dataA(), size_t(n));
      std::memset(rxMarks + addr, 1, size_t(n));
    }
    currentAddress += currentLength;
  }
  attempt = 0;
  step.store(kStepReady, std::memory_order_release);
}

int LinkEngine::enginePass() {
  const int pass = passes.fetch_add(1, std::memory_order_relaxed) + 1;
  setDebugPassCounter(pass);
  const int port = connectedPort.load(std::memory_order_acquire);
  const int s0 = step.load(std::memory_order_acquire);
  if (port <= 0 || port >= kComPorts || s0 == kStepIdle) {
    if (port == 0) enginePort.store(0, std::memory_order_release);
    return 50;
  }
  const int32_t gen = linkGeneration.load(std::memory_order_acquire);
  if (gen != m_takenGeneration || port != enginePort.load(std::memory_order_relaxed)) {
    m_takenGeneration = gen;
    takeConnection(port);
  }
  CCOM& c = com[port];

  bool got = false;
  BulkCapture& bulk = bulkCapture();
  if (bulk.active.load(std::memory_order_acquire)) {
    if (bulk.count.load(std::memory_order_relaxed) >= kBulkMax) {
      cancelBulkCapture();
      return 0;
    }
    got = receive(active.rx, c);
  }
  const int jobCode = job.load(std::memory_order_acquire);
  if (jobCode == kJobNone || jobCode == kJobFailed || jobCode == kJobDone) {
    // A pickup block streams at the line rate: keep the ring drained while it comes.
    return bulk.active.load(std::memory_order_acquire) ? 1 : 50;
  }

  int s = step.load(std::memory_order_acquire);
  if (s == kStepFailed) {
    failAttempt();
    return 1;
  }
  if (s == kStepWaiting) {
    if (!got) got = receive(active.rx, c);
    if (got) {
      debugLog("Frame rec [0x%02x] (%i)...", active.rx.frame[0], active.rx.frameLength());
      validateAnswer();
    }
    return 1;
  }
  if (s == kStepSending) {
    if (transmitStep(active.rx, c) == 0) step.store(kStepWaiting, std::memory_order_release);
    return 1;
  }
  if (s == kStepReady) {
    if (jobCode == kJobIdent && isFamilyB(active.rx.protocol) &&
        familyBData(active.rx.protocol) < kIdentBlockLength) {
      // Block 0 of the read operation is the whole identification block; a frame
      // shorter than it cannot fetch the rest, so the job is refused, not half-read.
      debugLog("Identification block needs %i data bytes per frame, protocol %i carries %i",
               kIdentBlockLength, active.rx.protocol, familyBData(active.rx.protocol));
      refusal.store(int(JobRefusal::IdentNeedsFullFrame), std::memory_order_relaxed);
      endJob(kJobFailed);
      return 1;
    }
    int start = 0, length = 0;
    if (!chooseBlock(start, length)) {
      endJob(kJobDone);
      return 1;
    }
    buildRequest(start, length);
    restartTransmit(active.rx);
    sendTime.store(tmr(), std::memory_order_release);
    step.store(kStepSending, std::memory_order_release);
    debugLog("Frame send [0x%02x] (%i).../Job=%i,len=%i/ data[21]=0x%02x", active.rx.txFrame[0],
             active.rx.txLength, jobCode, count, active.rx.txFrame[21]);
  }
  return 1;
}

void LinkEngine::startEngineThread() {
  if (m_thread) return;
  m_threadStop.store(false, std::memory_order_release);
  m_thread = new EngineThread;
  m_thread->thread = QThread::create([this] {
    while (!stopRequested() && !m_threadStop.load(std::memory_order_acquire)) {
      const int ms = enginePass();
      if (ms > 0) QThread::msleep(ms);
    }
  });
  m_thread->thread->setStackSize(512 * 1024);
  m_thread->thread->start();
}

void LinkEngine::stopEngineThread() {
  if (!m_thread) return;
  m_threadStop.store(true, std::memory_order_release);
  m_thread->thread->wait();
  delete m_thread->thread;
  delete m_thread;
  m_thread = nullptr;
}

}  // namespace q3
