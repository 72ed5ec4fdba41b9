// The protocol engine: jobs split into blocks, requests, answer validation,
// attempts and end states.
#include "link/link_engine.h"

#include <QThread>
#include <algorithm>
#include <cstring>

#include "base/app_clock.h"
#include "base/debug_log.h"
#include "link/pickup_capture.h"

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

LinkEngine::LinkEngine(const AppClock& clock) : PortManager(clock) {}

uint8_t* JobDraft::tx() const { return m_engine.m_tx; }
uint8_t* JobDraft::pending() const { return m_engine.m_pending; }
void JobDraft::setCommand(int32_t command, int32_t address, int32_t length) const {
  m_engine.m_command = command;
  m_engine.m_commandAddress = address;
  m_engine.m_commandLength = length;
}
bool JobDraft::start(int jobCode, int start, int count, int flags) const {
  return m_engine.startJob(jobCode, start, count, flags);
}

const uint8_t* JobEnd::rx() const { return m_engine.m_rx; }
const uint8_t* JobEnd::marks() const { return m_engine.m_rxMarks; }

std::optional<JobDraft> LinkEngine::draft() {
  if (!idle()) return std::nullopt;
  return JobDraft(*this);
}

std::optional<JobEnd> LinkEngine::end() const {
  const int state = jobState();
  if (state != kJobDone && state != kJobFailed) return std::nullopt;
  JobEnd e(*this);
  e.m_state = state;
  e.m_job = m_lastJob.load(std::memory_order_acquire);
  e.m_refusal = static_cast<JobRefusal>(m_refusal.load(std::memory_order_acquire));
  e.m_rejected = m_rejected.load(std::memory_order_acquire);
  e.m_address = m_currentAddress.load(std::memory_order_acquire);
  return e;
}

LinkEngine::~LinkEngine() { stopEngineThread(); }

int LinkEngine::maxData() const {
  const ConnectionRecord& c = m_active;
  int m = c.maxFrameLength - c.frameOverhead;
  // One family A request carries at most 512 data bytes; a larger block would
  // lose its tail while the address still advanced past it.
  if (isFamilyA(c.rx.protocol)) m = std::min(m, kFamilyAMaxData);
  if (isFamilyB(c.rx.protocol)) m = std::min(m, familyBData(c.rx.protocol));
  return std::max(m, 1);
}

bool LinkEngine::startJob(int jobCode, int start, int cnt, int flags) {
  if (m_job.load(std::memory_order_acquire) != kJobNone) return false;
  start = std::clamp(start, 0, kJobBufferSize);
  const int stop = std::clamp(start + std::max(cnt, 0), start, kJobBufferSize);
  m_currentAddress.store(start, std::memory_order_relaxed);
  m_count = stop - start;
  m_end = stop;
  for (int a = start; a < stop; ++a) {
    if (flags & kJobFlagClearTx) m_tx[a] = 0;
    if (flags & kJobFlagPending) m_pending[a] = 1;
    m_rx[a] = 0;
    m_rxMarks[a] = 0;
  }
  m_attemptsAllowed = (flags & kJobFlagOneAttempt) ? 1 : 3;
  m_refusal.store(0, std::memory_order_relaxed);
  m_rejected.store(0, std::memory_order_relaxed);
  m_job.store(jobCode, std::memory_order_release);  // written last: starts the work
  return true;
}

void LinkEngine::dropConnection(int port) {
  m_step.store(kStepIdle, std::memory_order_release);
  m_job.store(kJobNone, std::memory_order_release);
  requestClose(port);
  connectedPort.store(0, std::memory_order_release);
  portListChanged.store(1, std::memory_order_release);
}

void LinkEngine::watchdogStep() {
  const int port = connectedPort.load(std::memory_order_acquire);
  const bool linked = port != 0 && linkEnabled.load(std::memory_order_acquire) != 0;
  int s = m_step.load(std::memory_order_acquire);
  if (s != kStepIdle) {
    if (!linked) {
      m_step.store(kStepIdle, std::memory_order_release);
      m_job.store(kJobNone, std::memory_order_release);
      s = kStepIdle;
    } else if (s == kStepWaiting &&
               clock().tmr() - m_sendTime.load(std::memory_order_acquire) > kAnswerTimeoutMs) {
      m_step.compare_exchange_strong(s, kStepFailed, std::memory_order_acq_rel);
    }
  }
  if (s == kStepIdle && linked) {
    m_linkGeneration.fetch_add(1, std::memory_order_acq_rel);
    m_job.store(kJobNone, std::memory_order_release);
    m_step.store(kStepReady, std::memory_order_release);
  }
  (void)m_enginePort.load(
      std::memory_order_acquire);  // orders our later writes of conn after the engine's copy
}

void LinkEngine::takeConnection(int port) {
  m_active = conn;
  m_active.rx.txLength = 0;
  m_active.rx.txRemaining = 0;
  m_active.rx.txPosition = -1;
  m_sendTime.store(m_active.sendTime, std::memory_order_release);
  m_enginePort.store(port, std::memory_order_release);
}

void LinkEngine::endJob(int state) {
  m_lastJob.store(m_job.load(std::memory_order_relaxed), std::memory_order_release);
  m_step.store(kStepReady, std::memory_order_release);
  m_job.store(state, std::memory_order_release);
}

void LinkEngine::rejectAnswer() {
  m_rejected.fetch_add(1, std::memory_order_release);
  failAttempt();
}

void LinkEngine::failAttempt() {
  debugLog("COM timeout or redirection (%i)...", m_attempt);
  ++m_attempt;
  if (m_attempt >= m_attemptsAllowed) {
    endJob(kJobFailed);
    return;
  }
  sendFromScratch();
}

void LinkEngine::sendFromScratch() {
  // Whatever still stands in the receive ring belongs to an earlier request
  // (a late answer, a damaged tail): it must never be taken for the answer
  // to this one. While a pickup block streams, the ring is the capture's.
  const int port = m_enginePort.load(std::memory_order_relaxed);
  if (port > 0 && port < kComPorts && !m_capture.active()) {
    com[port].rxDiscard();
    restartReceive(m_active.rx);
  }
  restartTransmit(m_active.rx);
  m_bytesAtSend = m_active.rx.bytesSeen;
  m_badAtSend = m_active.rx.badFrames;
  m_frameBytesAtSend = m_active.rx.frameBytes;
  m_bytesAtPass = m_bytesAtSend;
  m_quietPasses = 0;
  m_sendTime.store(clock().tmr(), std::memory_order_release);
  m_step.store(kStepSending, std::memory_order_release);
}

// The answer to the request in flight can no longer come whole: a frame
// failed its check, or a family B unit has sent a whole frame's worth of bytes
// without a valid frame among them (a damaged first byte).
bool LinkEngine::answerDamaged() const {
  const FrameReceiver& rx = m_active.rx;
  if (rx.badFrames != m_badAtSend) return true;
  const int frameLength = familyBFrameLength(rx.protocol);
  return frameLength > 0 && rx.frameBytes - m_frameBytesAtSend >= uint32_t(frameLength);
}

bool LinkEngine::chooseBlock(int& start, int& length) const {
  const int m = maxData();
  if (m_currentAddress.load(std::memory_order_relaxed) >= m_end) return false;
  if (isFamilyB(m_active.rx.protocol)) {
    for (int blk = m_currentAddress.load(std::memory_order_relaxed) / m; blk <= (m_end - 1) / m;
         ++blk) {
      const int a0 = blk * m;
      const int a1 = std::min(a0 + m, kJobBufferSize);
      for (int a = a0; a < a1; ++a)
        if (m_pending[a]) {
          start = a0;
          length = m;
          return true;
        }
    }
    return false;
  }
  int first = -1;
  for (int a = m_currentAddress.load(std::memory_order_relaxed); a < m_end; ++a)
    if (m_pending[a]) {
      first = a;
      break;
    }
  if (first < 0) return false;
  int last = first;
  for (int a = first + 1; a < m_end && a - first < m; ++a) {
    if (m_pending[a])
      last = a;
    else if (a - last > 50)
      break;
  }
  start = first;
  length = last - first + 1;
  return true;
}

void LinkEngine::buildRequest(int start, int length) {
  FrameReceiver& rx = m_active.rx;
  const int jobCode = m_job.load(std::memory_order_relaxed);
  m_currentAddress.store(start, std::memory_order_release);
  m_currentLength = uint16_t(length);
  if (isFamilyA(rx.protocol)) {
    uint8_t word[2];
    putLe16(word, uint16_t(length));
    switch (jobCode) {
      case kJobWrite:
        m_expectedAnswer = kCmdWriteBlock;
        buildRequestA(rx, kCmdWriteBlock, uint16_t(start), m_tx + start, length);
        break;
      case kJobRead:
        m_expectedAnswer = kCmdReadBlock;
        buildRequestA(rx, kCmdReadBlock, uint16_t(start), word, 2);
        break;
      case kJobMonitor:
        m_expectedAnswer = kCmdMonitor;
        buildRequestA(rx, kCmdMonitor, uint16_t(start), m_tx + start, length);
        break;
      case kJobCommand:
        m_expectedAnswer = m_command & 0xFFFF;
        buildRequestA(rx, uint16_t(m_command), uint16_t(start), nullptr, 0);
        break;
      default:
        m_expectedAnswer = kCmdReadIdent;
        buildRequestA(rx, kCmdReadIdent, uint16_t(start), word, 2);
        break;
    }
    return;
  }
  const int m = maxData();
  // The frame always carries M data bytes; near the end of the arrays the tail is zeros.
  uint8_t data[kFrameMax];
  const int avail = std::clamp(kJobBufferSize - start, 0, m);
  std::memcpy(data, m_tx + start, size_t(avail));
  std::memset(data + avail, 0, size_t(m - avail));
  const int blk = start / m;
  switch (jobCode) {
    case kJobWrite:
      m_expectedAnswer = 0x80 + blk + 1;
      buildRequestB(rx, kOpWrite, blk + 1, data, 0, 0);
      break;
    case kJobRead:
      m_expectedAnswer = 0xC0 + blk + 1;
      buildRequestB(rx, kOpRead, blk + 1, data, 0, 0);
      break;
    case kJobMonitor:
      m_expectedAnswer = 0xB0 + blk;
      buildRequestB(rx, kOpMonitor, blk, data, keyMajor.load(std::memory_order_relaxed),
                    keyMinor.load(std::memory_order_relaxed));
      break;
    case kJobCommand:
      m_expectedAnswer = 0x80;
      buildRequestB(rx, kOpWrite, 0, data, 0, 0);
      break;
    default:
      m_expectedAnswer = 0xC0;
      buildRequestB(rx, kOpRead, 0, data, 0, 0);
      break;
  }
}

void LinkEngine::validateAnswer() {
  FrameReceiver& rx = m_active.rx;
  const int jobCode = m_job.load(std::memory_order_relaxed);
  const bool stores = jobCode == kJobRead || jobCode == kJobMonitor || jobCode == kJobIdent;
  if (isFamilyB(rx.protocol)) {
    if (rx.frame[0] != m_expectedAnswer) {
      debugLog("COM not expected answer 0x%02x!=0x%02x (%i)...", rx.frame[0], m_expectedAnswer,
               m_attempt);
      rejectAnswer();
      return;
    }
    const int len = familyBData(rx.protocol);
    int t = m_expectedAnswer & 0x3F;
    if (t >= 48) t &= 0x0F;
    int addr = len * t;
    if (jobCode == kJobWrite || jobCode == kJobRead) addr -= len;
    if (addr != m_currentAddress.load(std::memory_order_relaxed)) {
      debugLog("address is not equal %i!=%i (%i)...", addr, m_currentAddress.load(), m_attempt);
      rejectAnswer();
      return;
    }
    const int n = std::clamp(kJobBufferSize - addr, 0, len);
    if (jobCode == kJobWrite) {
      int errors = 0;
      for (int i = 0; i < n; ++i) errors += rx.frame[1 + i] != m_tx[addr + i];
      if (errors) {
        debugLog("COM verify fail, %i errors (%i)...", errors, m_attempt);
        rejectAnswer();
        return;
      }
    } else if (stores) {
      std::memcpy(m_rx + addr, rx.frame + 1, size_t(n));
      std::memset(m_rxMarks + addr, 1, size_t(n));
    }
    m_currentAddress.store(m_currentAddress.load(std::memory_order_relaxed) + len,
                           std::memory_order_release);
  } else {
    if ((rx.kind() & 0x0F) != kKindAnswer || rx.command() != m_expectedAnswer)
      return;  // not ours: keep waiting
    const int addr = rx.address();
    const int len = rx.dataLength();
    if (addr != m_currentAddress.load(std::memory_order_relaxed) ||
        (stores && len != m_currentLength)) {
      debugLog("len or address is not equal %i!=%i (%i)...", stores ? len : addr,
               stores ? int(m_currentLength) : m_currentAddress.load(), m_attempt);
      rejectAnswer();
      return;
    }
    if (stores) {
      const int n = std::clamp(kJobBufferSize - addr, 0, len);
      std::memcpy(m_rx + addr, rx.dataA(), size_t(n));
      std::memset(m_rxMarks + addr, 1, size_t(n));
    }
    m_currentAddress.store(m_currentAddress.load(std::memory_order_relaxed) + m_currentLength,
                           std::memory_order_release);
  }
  m_attempt = 0;
  m_step.store(kStepReady, std::memory_order_release);
}

int LinkEngine::enginePass() {
  const int pass = m_passes.fetch_add(1, std::memory_order_relaxed) + 1;
  setDebugPassCounter(pass);
  const int port = connectedPort.load(std::memory_order_acquire);
  const int s0 = m_step.load(std::memory_order_acquire);
  if (port <= 0 || port >= kComPorts || s0 == kStepIdle) {
    if (port == 0) m_enginePort.store(0, std::memory_order_release);
    return 50;
  }
  const int32_t gen = m_linkGeneration.load(std::memory_order_acquire);
  if (gen != m_takenGeneration || port != m_enginePort.load(std::memory_order_relaxed)) {
    m_takenGeneration = gen;
    takeConnection(port);
  }
  PortRecord& c = com[port];

  bool got = false;
  if (m_capture.active()) {
    if (m_capture.state().count.load(std::memory_order_relaxed) >= kBulkMax) {
      m_capture.cancel();
      return 0;
    }
    got = receive(m_active.rx, c, clock().tmr(), &m_capture);
  }
  const int jobCode = m_job.load(std::memory_order_acquire);
  if (jobCode == kJobNone || jobCode == kJobFailed || jobCode == kJobDone) {
    // A pickup block streams at the line rate: keep the ring drained while it comes.
    return m_capture.active() ? 1 : 50;
  }

  int s = m_step.load(std::memory_order_acquire);
  if (s == kStepFailed) {
    // Bytes came but no valid answer: a damaged frame rather than a silent unit.
    if (m_active.rx.bytesSeen != m_bytesAtSend)
      rejectAnswer();
    else
      failAttempt();
    return 1;
  }
  if (s == kStepWaiting) {
    if (!got) got = receive(m_active.rx, c, clock().tmr(), &m_capture);
    if (got) {
      debugLog("Frame rec [0x%02x] (%i)...", m_active.rx.frame[0], m_active.rx.frameLength());
      validateAnswer();
      return 1;
    }
    // A damaged answer is resent as soon as the unit has finished sending it.
    if (m_active.rx.bytesSeen != m_bytesAtPass) {
      m_bytesAtPass = m_active.rx.bytesSeen;
      m_quietPasses = 0;
    } else if (!m_capture.active() && answerDamaged() && ++m_quietPasses >= kQuietPasses) {
      debugLog("COM damaged answer, sent again (%i)...", m_attempt);
      rejectAnswer();
    }
    return 1;
  }
  if (s == kStepSending) {
    if (transmitStep(m_active.rx, c) == 0) m_step.store(kStepWaiting, std::memory_order_release);
    return 1;
  }
  if (s == kStepReady) {
    if (jobCode == kJobIdent && isFamilyB(m_active.rx.protocol) &&
        familyBData(m_active.rx.protocol) < kIdentBlockLength) {
      // Block 0 of the read operation is the whole identification block; a frame
      // shorter than it cannot fetch the rest, so the job is refused, not half-read.
      debugLog("Identification block needs %i data bytes per frame, protocol %i carries %i",
               kIdentBlockLength, m_active.rx.protocol, familyBData(m_active.rx.protocol));
      m_refusal.store(int(JobRefusal::IdentNeedsFullFrame), std::memory_order_relaxed);
      endJob(kJobFailed);
      return 1;
    }
    int start = 0, length = 0;
    if (!chooseBlock(start, length)) {
      endJob(kJobDone);
      return 1;
    }
    buildRequest(start, length);
    sendFromScratch();
    debugLog("Frame send [0x%02x] (%i).../Job=%i,len=%i/ data[21]=0x%02x", m_active.rx.txFrame[0],
             m_active.rx.txLength, jobCode, m_count, m_active.rx.txFrame[21]);
  }
  return 1;
}

void LinkEngine::startEngineThread() {
  if (m_thread) return;
  m_threadStop.store(false, std::memory_order_release);
  m_thread = new EngineThread;
  m_thread->thread = QThread::create([this] {
    while (!clock().stopRequested() && !m_threadStop.load(std::memory_order_acquire)) {
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
