// The connection supervisor's run: it starts each step's job from the step
// table, acts on the job's end and ends every operation in a result.
#include "link/supervisor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/debug_log.h"
#include "link/protocol_engine.h"
#include "link/supervisor_steps_p.h"
#include "params/param_model.h"
#include "text/mstring.h"
#include "text/named_texts.h"
#include "text/user_dialogs.h"

namespace q3 {

struct ConnectionSupervisor::StepRow : SupervisorStepRow {};

namespace {

constexpr int kBlockLen = 150;
constexpr int kImageLen = kImageSize;
// Jobs of one step that may fail in a row at the same address before the
// operation fails: a unit that answers damaged frames is known, connected and
// still there, so its block is tried again many times; a unit that stays
// silent is given up sooner and searched for again.
constexpr int kSilentJobFailures = 3;
constexpr int kDamagedJobFailures = 12;

}  // namespace

AddressRange quarterRange(int q) {
  auto up = [](int a) { return (a + kBlockLen - 1) / kBlockLen * kBlockLen; };
  return {up(q * kImageLen / 4), up((q + 1) * kImageLen / 4)};
}

ConnectionSupervisor::ConnectionSupervisor(ProtocolEngine& com, ParamModel& model,
                                           const AppClock& clock, UserDialogs& dialogs)
    : m_com(com), m_model(model), m_clock(clock), m_dialogs(dialogs) {}

const ConnectionSupervisor::StepRow* ConnectionSupervisor::row(int32_t step) {
  return static_cast<const StepRow*>(supervisorStepRow(step));
}

bool ConnectionSupervisor::connected() const {
  return m_com.connectedPort.load(std::memory_order_acquire) != 0 &&
         m_com.linkEnabled.load(std::memory_order_acquire) != 0;
}

bool ConnectionSupervisor::released() const {
  return m_com.linkEnabled.load(std::memory_order_acquire) == 0;
}

// ---- reports ----

void ConnectionSupervisor::report(Operation op, Stage stage, int percent) {
  OperationProgress p;
  p.operation = op;
  p.stage = stage;
  p.percent = std::clamp(percent, 0, 100);
  m_events.progress.notify(p);
}

void ConnectionSupervisor::stageStarts(const StepRow& r, bool barStarts) {
  OperationProgress p;
  p.operation = r.operation;
  p.stage = r.stage;
  p.stageStarts = true;
  p.barStarts = barStarts;
  p.percent = barStarts ? 0 : -1;
  m_events.progress.notify(p);
}

void ConnectionSupervisor::emitResult(Operation op, Cause cause, Stage stage, int firstDiff) {
  OperationResult r;
  r.operation = op;
  r.cause = cause;
  r.stage = stage;
  r.rejectedFrames = m_rejected;
  r.firstDifference = firstDiff;
  r.step = m_step;
  r.address = m_com.progressAddress();
  if (cause == Cause::VersionMismatch) {
    r.versionMajor = m_identBlock[10];
    r.versionMinor = m_identBlock[11];
  }
  m_events.result.notify(r);
}

// A failed operation: its result, then back to idle.
void ConnectionSupervisor::fail(Cause cause, int firstDiff) {
  const StepRow* r = row(m_step);
  if (r) emitResult(r->operation, cause, r->stage, firstDiff);
  m_step = kSupIdle;
}

std::string ConnectionSupervisor::connectionLineText() const {
  return connectionLine(m_versionState, m_versionText, m_texts);
}

void ConnectionSupervisor::refreshPanel4() { m_events.connectionLine.notify(connectionLineText()); }

std::string ConnectionSupervisor::labelComText() const {
  char buf[64];
  if (connected()) {
    std::snprintf(buf, sizeof buf, "COM=%i", m_com.connectedPort.load());
    return buf;
  }
  if (released()) {
    std::snprintf(buf, sizeof buf, "COM=%i (DISCONECTED)", m_releasedPort);
    return buf;
  }
  const int sel = m_com.comSelection.load(std::memory_order_acquire);
  if (sel == -1) return "COM=OFF";
  std::string ports;
  for (const SearchSlot& s : m_com.slot) {
    if (!s.port) continue;
    if (!ports.empty()) ports += ",";
    ports += std::to_string(s.port);
  }
  if (sel > 0) return "COM=" + ports;
  if (ports.empty()) return std::string("COM=") + ml("###none##kain##žádný");
  return "COM=(auto " + ports + ")";
}

void ConnectionSupervisor::refreshLabelCom() {
  std::string t = labelComText();
  if (t == m_lastLabelCom) return;
  m_lastLabelCom = t;
  m_events.comLabel.notify(t);
}

int ConnectionSupervisor::firstDifference(const uint8_t* a, int start, int end,
                                          const uint8_t* b) const {
  for (int i = start; i < end; ++i)
    if (a[i] != b[i]) return i;
  return -1;
}

// ---- the run ----

void ConnectionSupervisor::run() {
  if (m_firstRun) {
    m_firstRun = false;
    m_events.unitDisconnected.notify();
  }
  m_com.watchdogRun();
  if (!connected()) {
    // An operation the unit was in the middle of ends here.
    const StepRow* r = row(m_step);
    if (r && r->operation != Operation::Monitor)
      emitResult(r->operation, released() ? Cause::Released : Cause::PortLost, r->stage, -1);
    endStoringUnanswered();
    m_step = kSupNoUnit;
    refreshLabelCom();
    return;
  }
  if (m_step == kSupNoUnit) {
    m_step = kSupIdent1;
    m_checkRepeats = 0;
    m_lastPollTick = 0;
    m_programmedPending = false;
    m_failures = 0;
    m_lineFailures = 0;
    m_failedAddress = -1;
    m_resumeAddress = -1;
    m_rejected = 0;
    m_backedUp = false;
    m_model.compare();  // the unit image is not valid until the check has read it
    refreshLabelCom();
    m_events.captionChanged.notify();
  }
  handleJobEnd();
  if (m_step == kSupNoUnit) return;  // the unit was taken for gone
  if (m_step == kSupIdle) {
    m_checkRepeats = 0;
    if (m_request) {
      m_step = m_request;
      m_request = 0;
    } else if (ticks() - m_lastPollTick > 6) {
      m_lastPollTick = ticks();
      m_step = kSupPoll;
    }
  }
  if (m_com.idle() && connected()) startStepJob();

  if (m_savingCounter > 0) {
    OperationProgress p;
    p.operation = Operation::Program;
    p.stage = Stage::Saving;
    p.stageStarts = m_com.idle();
    p.percent = std::clamp((kSavingScale - m_savingCounter) * 100 / kSavingScale, 0, 100);
    m_events.progress.notify(p);
  } else if (m_programmedPending) {
    m_model.setUnitImageValid(true);
    m_model.compare();
    m_programmedPending = false;
    OperationResult r;
    r.operation = Operation::Program;
    r.stage = Stage::Saving;
    r.step = m_step;
    m_events.result.notify(r);
  }
}

void ConnectionSupervisor::handleJobEnd() {
  const int jobState = m_com.jobState();
  if (m_host.serviceMode && m_host.serviceMode() &&
      (m_request == kSupRead1 || m_request == kSupProgIdent1) &&
      (jobState == kJobFailed || jobState == kJobDone)) {
    m_com.acknowledge();
    m_failures = 0;
    m_lineFailures = 0;
    m_failedAddress = -1;
    m_resumeAddress = -1;
    m_step = kSupIdle;
    return;
  }
  if (jobState == kJobWrite || jobState == kJobRead) {
    progressDuringJob();
    return;
  }
  const std::optional<JobEnd> end = m_com.end();
  if (!end) return;
  if (end->state() == kJobFailed) {
    m_rejected += end->rejectedFrames();
    const JobRefusal refusal = end->refusal();
    const int reached = end->address();
    const int rejected = end->rejectedFrames();
    m_com.acknowledge();
    jobFailed(refusal, reached, rejected);
    return;
  }
  m_com.acknowledge();
  m_failures = 0;
  m_lineFailures = 0;
  m_failedAddress = -1;
  m_resumeAddress = -1;
  m_rejected = 0;
  if (end->job() == kJobMonitor && !(m_host.playbackRunning && m_host.playbackRunning()))
    takeMonitorAnswer(end->rx());
  if (m_step == kSupPoll) m_step = kSupIdle;
  handleResult(end->rx(), end->marks());
}

// A programming that was verified but whose storing the unit never reported
// as finished: its result says so (the unit stopped answering or went away).
void ConnectionSupervisor::endStoringUnanswered() {
  if (!m_programmedPending) return;
  m_programmedPending = false;
  m_savingCounter = 0;
  OperationResult r;
  r.operation = Operation::Program;
  r.cause = Cause::StoppedWhileStoring;
  r.stage = Stage::Saving;
  r.step = m_step;
  m_events.result.notify(r);
}

void ConnectionSupervisor::jobFailed(JobRefusal refusal, int reachedAddress, int rejectedFrames) {
  const StepRow* r = row(m_step);
  m_resumeAddress = -1;
  if (refusal != JobRefusal::None && m_step != kSupPoll) {
    // The engine refused the job outright (the unit's protocol cannot carry
    // it whole): retrying cannot help, so say why and stop here.
    m_failures = 0;
    if (r) {
      OperationResult res;
      res.operation = r->operation;
      res.cause = Cause::Refused;
      res.stage = r->stage;
      res.refusal = refusal;
      res.step = m_step;
      res.address = m_com.progressAddress();
      m_events.result.notify(res);
    }
    m_step = kSupIdle;
    m_rejected = 0;
    return;
  }
  // The blocks before the one that failed are done: the step's job goes on
  // from the failed block. The count of failures starts again whenever a
  // job got further than the one before.
  if (reachedAddress != m_failedAddress) {
    m_failedAddress = reachedAddress;
    m_failures = 0;
    m_lineFailures = 0;
  }
  if (m_step == kSupPoll && rejectedFrames > 0) {
    // An idle poll whose answer came damaged: the unit is there; the next
    // poll comes at its time, and a request waiting meanwhile goes first.
    m_rejected = 0;
    m_step = kSupIdle;
    return;
  }
  if (rejectedFrames > 0)
    ++m_lineFailures;
  else
    ++m_failures;
  if (m_failures < kSilentJobFailures && m_lineFailures < kDamagedJobFailures) {
    m_resumeAddress = reachedAddress;
    return;
  }
  m_failures = 0;
  m_lineFailures = 0;
  m_failedAddress = -1;
  const Cause cause = m_rejected > 0 ? Cause::LineErrors : Cause::UnitSilent;
  if (!r || r->onFailure == OnFailure::Idle) {
    if (r) emitResult(r->operation, cause, r->stage, -1);
    m_step = kSupIdle;
  } else if (r->onFailure == OnFailure::Disconnect) {
    emitResult(r->operation, cause, r->stage, -1);
    disconnect();
  } else {
    fail(cause);
  }
  m_rejected = 0;
}

void ConnectionSupervisor::progressDuringJob() {
  if (m_rangeEnd <= m_rangeStart) return;
  int p = (m_com.progressAddress() - m_rangeStart) * 100 / (m_rangeEnd - m_rangeStart);
  p = std::clamp(p, 0, 100);
  const StepRow* r = row(m_step);
  if (!r) return;
  if (r->checkFrom >= 0) p = (r->checkFrom * 100 + (r->checkTo - r->checkFrom) * p) / kCheckScale;
  report(r->operation, r->stage, p);
}

void ConnectionSupervisor::startRead(int start, int end) {
  m_rangeStart = start;
  m_rangeEnd = end;
  m_com.startJob(kJobRead, start, end - start, kJobFlagPending | kJobFlagClearTx);
}

void ConnectionSupervisor::startMonitorPoll() {
  const std::optional<JobDraft> d = m_com.draft();
  if (!d) return;
  uint8_t* tx = d->tx();
  std::memset(tx, 0, kBlockLen);
  if (m_host.testBits) {
    const std::array<uint8_t, 3> bits = m_host.testBits();
    std::memcpy(tx + 20, bits.data(), bits.size());
  }
  tx[23] = (m_host.pickupRequest && m_host.pickupRequest()) ? 1 : 0;
  tx[148] = static_cast<uint8_t>(kProgramKeyMinor);
  tx[149] = static_cast<uint8_t>(kProgramKeyMajor);
  m_rangeStart = 0;
  m_rangeEnd = kBlockLen;
  d->start(kJobMonitor, 0, kBlockLen, kJobFlagPending | kJobFlagOneAttempt);
}

// Starts the step's job again from the block where its last job failed; the
// data of the blocks before it stay as they were read or written.
bool ConnectionSupervisor::resumeStepJob(const StepRow& r) {
  const int from = m_resumeAddress;
  m_resumeAddress = -1;
  if (from < m_rangeStart || from >= m_rangeEnd) return false;
  const int count = m_rangeEnd - from;
  switch (r.job) {
    case StepJob::Ident:
      return m_com.startJob(kJobIdent, from, count, kJobFlagPending | kJobFlagClearTx);
    case StepJob::ReadImage:
    case StepJob::ReadQuarter:
      return m_com.startJob(kJobRead, from, count, kJobFlagPending | kJobFlagClearTx);
    case StepJob::Write:
      // The transmit data and, for a changed-only programming, the pending
      // marks are still those of the step's first job.
      return m_com.startJob(kJobWrite, from, count, m_programAll ? kJobFlagPending : 0);
    case StepJob::ReadBack:
      return m_com.startJob(kJobRead, from, count,
                            m_programAll ? kJobFlagPending | kJobFlagClearTx : kJobFlagClearTx);
    case StepJob::None:
    case StepJob::Poll:
    case StepJob::Command:
      break;
  }
  return false;
}

void ConnectionSupervisor::startStepJob() {
  const StepRow* r = row(m_step);
  if (!r || r->job == StepJob::None) return;
  if (m_resumeAddress >= 0 && resumeStepJob(*r)) return;
  if (r->newAttempt) ++m_checkRepeats;
  switch (r->job) {
    case StepJob::None:
      return;
    case StepJob::Poll:
      startMonitorPoll();
      return;
    case StepJob::Ident:
      m_rangeStart = 0;
      m_rangeEnd = kIdentBlockLen;
      m_com.startJob(kJobIdent, 0, kIdentBlockLen, kJobFlagPending | kJobFlagClearTx);
      break;
    case StepJob::ReadImage:
      if (m_step == kSupRead1) {
        m_programmedPending = false;
        if (m_host.clearLoadedFile) m_host.clearLoadedFile();
      }
      startRead(0, kImageLen);
      break;
    case StepJob::ReadQuarter: {
      const AddressRange q = quarterRange(r->quarter);
      startRead(q.start, q.end);
      break;
    }
    case StepJob::Write: {
      if (!m_backedUp && m_model.unitImageValid() && m_host.backupBeforeWrite) {
        if (!m_host.backupBeforeWrite(m_model.unitImage(), m_texts)) {
          fail(Cause::BackupFailed);
          return;
        }
        m_backedUp = true;
      }
      m_model.unitImage() = m_model.image();
      m_model.setUnitImageValid(false);
      m_model.compare();
      const std::optional<JobDraft> d = m_com.draft();
      if (!d) return;
      std::memcpy(d->tx(), m_model.image().data(), kImageLen);
      if (!m_programAll)
        for (int i = 0; i < kImageLen; ++i) d->pending()[i] = m_model.changeMark(i) ? 1 : 0;
      m_rangeStart = 0;
      m_rangeEnd = kImageLen;
      d->start(kJobWrite, 0, kImageLen, m_programAll ? kJobFlagPending : 0);
      break;
    }
    case StepJob::ReadBack: {
      m_rangeStart = 0;
      m_rangeEnd = kImageLen;
      if (m_programAll) {
        m_com.startJob(kJobRead, 0, kImageLen, kJobFlagPending | kJobFlagClearTx);
      } else {
        const std::optional<JobDraft> d = m_com.draft();
        if (!d) return;
        for (int i = 0; i < kImageLen; ++i) d->pending()[i] = m_model.changeMark(i) ? 1 : 0;
        d->start(kJobRead, 0, kImageLen, kJobFlagClearTx);
      }
      break;
    }
    case StepJob::Command: {
      const std::optional<JobDraft> d = m_com.draft();
      if (!d) return;
      std::memset(d->tx(), 0, kBlockLen);
      d->tx()[12] = 0xA5;
      d->tx()[13] = 0x10;
      d->setCommand(kCmdReset, 1600, 0);
      d->start(kJobCommand, 0, 1, kJobFlagPending);
      return;  // a reset shows nothing
    }
  }
  stageStarts(*r, r->barStarts);
}

void ConnectionSupervisor::checkOk() {
  m_model.setUnitImageValid(true);
  m_model.compare();
  m_step = kSupIdle;
  emitResult(Operation::ConnectionCheck, Cause::None, Stage::Checking, -1);
}

void ConnectionSupervisor::checkDifferent(int firstDiff) {
  if (m_checkRepeats > 1) {
    fail(Cause::Mismatch, firstDiff);
  } else {
    report(Operation::ConnectionCheck, Stage::Checking, 12);
    m_step = kSupQuarterPoll1;
  }
}

bool ConnectionSupervisor::identVersionOk() {
  const int major = m_identBlock[10];
  const int minor = m_identBlock[11];
  if (major == kProgramKeyMajor && minor == kProgramKeyMinor) return true;
  char text[256];
  std::snprintf(text, sizeof text, "%s  PC-%d.%02d, ZAR-%d.%02d",
                namedText(major == kProgramKeyMajor ? NamedText::UnmatchedSubversion
                                                    : NamedText::UnmatchedVersion),
                kProgramKeyMajor, kProgramKeyMinor, major, minor);
  debugLog("%s", text);
  m_dialogs.message(namedText(NamedText::Warning), text, DialogKind::Warning);
  return false;
}

void ConnectionSupervisor::handleResult(const uint8_t* rx, const uint8_t* marks) {
  const StepRow* r = row(m_step);
  if (!r) return;
  if (!r->compares) {
    // Keep what was read for the comparison of the step that follows.
    if (r->job == StepJob::ReadImage) {
      std::memcpy(m_compare.data(), rx, kImageLen);
    } else if (r->job == StepJob::Ident) {
      std::memcpy(m_compare.data(), rx, kIdentBlockLen);
    } else if (r->job == StepJob::ReadQuarter) {
      const AddressRange q = quarterRange(r->quarter);
      std::memcpy(m_compare.data() + q.start, rx + q.start, static_cast<size_t>(q.end - q.start));
    }
    if (r->job == StepJob::Command) {
      const bool release = m_step == kSupResetRelease;
      m_step = r->next;
      emitResult(Operation::Reset, Cause::None, r->stage, -1);
      if (release) releasePort();
      return;
    }
    if (r->job == StepJob::Poll && r->operation == Operation::Monitor) return;  // already idle
    m_step = r->next;
    return;
  }

  switch (r->job) {
    case StepJob::Ident: {
      const int diff = firstDifference(rx, 0, kIdentBlockLen, m_compare.data());
      if (diff >= 0) {
        if (m_checkRepeats < 2) {
          report(r->operation, r->stage, 0);
          m_step = m_step - 1;  // the first identification read again
        } else {
          fail(Cause::Mismatch, diff);
        }
        return;
      }
      std::memcpy(m_identBlock.data(), rx, kIdentBlockLen);
      m_texts.decode(m_identBlock.data());
      m_model.sanitize();
      m_events.imageChanged.notify();
      refreshPanel4();
      if (!identVersionOk()) {
        fail(Cause::VersionMismatch);
        return;
      }
      if (r->operation == Operation::ConnectionCheck) m_events.unitConnected.notify(m_texts);
      m_checkRepeats = 0;
      m_step = r->next;
      return;
    }
    case StepJob::ReadQuarter: {
      const AddressRange q = quarterRange(r->quarter);
      const int diff = firstDifference(rx, q.start, q.end, m_compare.data());
      if (diff >= 0) {
        checkDifferent(diff);
        return;
      }
      std::memcpy(m_model.unitImage().data() + q.start, rx + q.start,
                  static_cast<size_t>(q.end - q.start));
      if (r->next == kSupIdle)
        checkOk();
      else
        m_step = r->next;
      return;
    }
    case StepJob::ReadImage:
      break;
    case StepJob::ReadBack: {
      const uint8_t* img = m_model.image().data();
      int diff = -1;
      for (int i = 0; i < kImageLen && diff < 0; ++i)
        if ((m_programAll || m_model.changeMark(i)) && rx[i] != img[i]) diff = i;
      if (diff >= 0) {
        if (m_checkRepeats > 1) {
          fail(Cause::Mismatch, diff);
        } else {
          report(r->operation, r->stage, 0);
          m_step = kSupProgWrite;
        }
        return;
      }
      // Only the marks of bytes the unit now verifiably holds are cleared, so an
      // edit made while the programming ran stays marked for the next one.
      for (int i = 0; i < kImageLen; ++i)
        if (marks[i] && rx[i] == img[i]) m_model.clearChangeMarks(i, 1);
      OperationProgress p;
      p.operation = Operation::Program;
      p.stage = Stage::Verified;
      p.stageStarts = true;
      p.percent = 100;
      m_events.progress.notify(p);
      m_step = r->next;
      m_programmedPending = true;
      m_savingCounter = 1;
      return;
    }
    default:
      return;
  }

  // The whole block was read: the connection check's second read, Read's
  // second read or Verify's read.
  if (m_step == kSupCheckRead2) {
    const int diff = firstDifference(rx, 0, kImageLen, m_compare.data());
    if (diff < 0) {
      std::memcpy(m_model.unitImage().data(), rx, kImageLen);
      checkOk();
    } else {
      checkDifferent(diff);
    }
    return;
  }
  if (m_step == kSupVerify) {
    m_events.verifyRead.notify(std::span<const uint8_t>(rx, kImageLen));
    const int diff = firstDifference(rx, 0, kImageLen, m_model.image().data());
    if (diff >= 0) {
      if (m_checkRepeats > 1)
        fail(Cause::Mismatch, diff);
      else
        report(r->operation, r->stage, 0);  // read again
      return;
    }
    m_step = r->next;
    emitResult(Operation::Verify, Cause::None, r->stage, -1);
    return;
  }
  // Read: both reads must agree.
  const int diff = firstDifference(rx, 0, kImageLen, m_compare.data());
  if (diff >= 0) {
    if (m_checkRepeats > 1) {
      fail(Cause::Mismatch, diff);
    } else {
      report(r->operation, r->stage, 0);
      m_step = kSupRead1;
    }
    return;
  }
  m_model.clearChangeMarks();
  std::memcpy(m_model.image().data(), rx, kImageLen);
  if (m_host.newInstallation && m_host.newInstallation() && m_host.clearNewInstallationAndSave)
    m_host.clearNewInstallationAndSave();
  m_model.unitImage() = m_model.image();
  m_model.setUnitImageValid(true);
  m_model.compare();
  m_model.snapshot(m_host.activePage ? m_host.activePage() : 0);
  // The image now is the unit's: nothing in it is an unprogrammed edit.
  m_model.clearChangeMarks();
  m_model.sanitize();
  m_events.imageChanged.notify();
  m_events.captionChanged.notify();
  m_step = r->next;
  emitResult(Operation::Read, Cause::None, r->stage, -1);
}

void ConnectionSupervisor::takeMonitorAnswer(const uint8_t* rx) {
  MonitorBuffer& mon = m_model.monitor();
  mon.storeBlock(rx, kBlockLen);
  const int major = mon.byte(150);
  const int minor = mon.byte(149);
  char buf[256];
  if (major == kProgramKeyMajor && minor == kProgramKeyMinor) {
    m_versionState = 2;
    std::snprintf(buf, sizeof buf, "RSKEY=%d.%02d", kProgramKeyMajor, kProgramKeyMinor);
  } else {
    m_versionState = 1;
    std::snprintf(buf, sizeof buf, "%s  PC-%d.%02d, ZAR-%d.%02d",
                  namedText(major == kProgramKeyMajor ? NamedText::UnmatchedSubversion
                                                      : NamedText::UnmatchedVersion),
                  kProgramKeyMajor, kProgramKeyMinor, major, minor);
  }
  m_versionText = buf;
  refreshPanel4();
  m_savingCounter = mon.word(8);
  m_bikePreset = mon.byte(1);
  m_events.monitorAnswer.notify(std::span<const uint8_t>(rx, kBlockLen));
  if (m_step == kSupPoll || m_step == kSupIdle)
    emitResult(Operation::Monitor, Cause::None, Stage::Polling, -1);
}

// ---- commands ----

void ConnectionSupervisor::requestRead() {
  if (connected()) m_request = kSupRead1;
}

void ConnectionSupervisor::requestVerify() {
  if (m_host.storeActivePage) m_host.storeActivePage();
  m_model.sanitize();
  m_request = kSupVerify;
}

bool ConnectionSupervisor::requestProgram(bool all) {
  if (m_host.newInstallation && m_host.newInstallation()) {
    m_dialogs.message(namedText(NamedText::Attention), namedText(NamedText::NewInstallationNotice),
                      DialogKind::Error);
    return false;
  }
  if (m_bikePreset != -1 && m_bikePreset != m_model.image().byte(170)) {
    Answer a = m_dialogs.ask(namedText(NamedText::Warning),
                             namedText(NamedText::DifferentBikeQuestion), false);
    if (a != Answer::Ok && a != Answer::Yes) return false;
  }
  if (m_host.storeActivePage) m_host.storeActivePage();
  m_model.sanitize();
  m_events.imageChanged.notify();
  m_programAll = all;
  m_request = kSupProgIdent1;
  return true;
}

void ConnectionSupervisor::requestProgramChanged() {
  m_programAll = false;
  m_request = kSupProgWrite;
}

void ConnectionSupervisor::requestReset() { m_request = kSupReset; }

void ConnectionSupervisor::disconnect() {
  const int port = m_com.connectedPort.load(std::memory_order_acquire);
  const StepRow* r = row(m_step);
  if (port) {
    debugLog("Close Port COM%i...", port);
    m_com.dropConnection(port);
  }
  // An operation the unit was in the middle of ends here.
  if (r && r->operation != Operation::Monitor)
    emitResult(r->operation, released() ? Cause::Released : Cause::PortLost, r->stage, -1);
  endStoringUnanswered();
  m_step = kSupNoUnit;
  m_events.unitDisconnected.notify();
  m_model.setUnitImageValid(false);
  m_model.compare();
  m_versionState = 0;
  refreshPanel4();
  refreshLabelCom();
}

void ConnectionSupervisor::releasePort() {
  if (released()) return;
  m_com.linkEnabled.store(0, std::memory_order_release);
  m_releasedPort = m_com.connectedPort.load();
  disconnect();
  m_events.releaseChanged.notify(true);
}

void ConnectionSupervisor::takePortBack() {
  if (!released()) return;
  m_com.linkEnabled.store(1, std::memory_order_release);
  m_releasedPort = -1;
  m_events.releaseChanged.notify(false);
  refreshLabelCom();
}

void ConnectionSupervisor::portMessage(int port, int32_t code) {
  const int conn = m_com.connectedPort.load(std::memory_order_acquire);
  if (port > 0 && port == conn && !released()) {
    if (code == kReleaseNow)
      releasePort();
    else if (code == kResetAndRelease)
      m_request = kSupResetRelease;
  } else if (port > 0 && port == m_releasedPort && code == kTakeBack) {
    takePortBack();
  }
}

}  // namespace q3
