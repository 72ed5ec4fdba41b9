// The connection supervisor's run, its step table and its failure table.
#include "link/supervisor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "link/ccomcom.h"
#include "params/param_model.h"
#include "base/app_clock.h"
#include "base/debug_log.h"
#include "text/mstring.h"
#include "text/named_texts.h"
#include "text/user_dialogs.h"

namespace q3 {
namespace {

constexpr int kBlockLen = 150;
constexpr int kImageLen = RS_LEN_EXE;

// Slot 2 messages.
constexpr const char* kMsgChecking = "###Checking:##Geräteprüfung:##Kontrola jednotky:";
constexpr const char* kMsgRead = "###Read:##Lesen:##Čtení:";
constexpr const char* kMsgVerify = "###Verify:##Vergleichen:##Verifikace:";
constexpr const char* kMsgProgram = "###Program device:##Programmieren:##Programování:";
constexpr const char* kMsgSaving = "###Saving:##Speichern:##Ukládání:";
constexpr const char* kMsgCheckingOk = "###Checking: OK##Geräteprüfung: OK##Kontrola jednotky: OK";
constexpr const char* kMsgVerifyOk = "###Verify: OK##Vergleichen: OK##Verifikace: OK";
constexpr const char* kMsgProgramOk = "###Program device: OK##Programmieren: OK##Programování: OK";
constexpr const char* kMsgCheckingError =
    "###Checking error !##Geräteprüfung Fehler !##Chyba kontroly jednotky !";
constexpr const char* kMsgReadError = "###Read error !##Lesefehler !##Chyba čtení !";
constexpr const char* kMsgVerifyError = "###Verify error !##Vergleichsfehler !##Chyba verifikace !";
constexpr const char* kMsgNoConnection =
    "###No connection with PC...##Keine Verbindung zum PC...##Není spojení s PC...";

bool isPollStep(int s) {
  return s == kSupPoll || s == kSupCheckPoll || (s >= kSupQuarterPoll1 && s <= 55) ||
         (s >= kSupQuarterPoll2 && s <= 63);
}

// The share of the connection check a step's read covers, on the 2400 scale.
bool checkSpan(int step, int& from, int& to) {
  static constexpr int kQuarterFrom[4] = {300, 562, 825, 1087};
  static constexpr int kQuarterFrom2[4] = {1350, 1612, 1875, 2137};
  switch (step) {
    case kSupCheckPoll:
      from = 300, to = 300;
      return true;
    case kSupCheckRead1:
      from = 300, to = 1350;
      return true;
    case kSupCheckRead2:
      from = 1350, to = 2400;
      return true;
    case kSupIdent1:
      from = 0, to = 150;
      return true;
    case kSupIdent2:
      from = 150, to = 300;
      return true;
    default:
      break;
  }
  if (step >= kSupQuarterRead1 && step <= 51) {
    int q = step - kSupQuarterRead1;
    from = kQuarterFrom[q];
    to = q < 3 ? kQuarterFrom[q + 1] : 1350;
    return true;
  }
  if (step >= kSupQuarterRead2 && step <= 59) {
    int q = step - kSupQuarterRead2;
    from = kQuarterFrom2[q];
    to = q < 3 ? kQuarterFrom2[q + 1] : 2400;
    return true;
  }
  return false;
}

}  // namespace

AddressRange quarterRange(int q) {
  auto up = [](int a) { return (a + kBlockLen - 1) / kBlockLen * kBlockLen; };
  return {up(q * kImageLen / 4), up((q + 1) * kImageLen / 4)};
}

ConnectionSupervisor::ConnectionSupervisor(CCOMCOM& com, ParamModel& model, StatusSink* status)
    : m_com(com), m_model(model), m_status(status) {}

int32_t ConnectionSupervisor::ticks() const { return tmr() / 50; }

bool ConnectionSupervisor::connected() const {
  return m_com.connectedPort.load(std::memory_order_acquire) != 0 &&
         m_com.linkEnabled.load(std::memory_order_acquire) != 0;
}

// ---- output helpers ----

void ConnectionSupervisor::slot2(const char* mtext, Colour back) {
  if (m_status) m_status->showStatus(2, mtext, 2000, kBlack, back, 10);
}
void ConnectionSupervisor::setProgress(int v) {
  if (m_hooks.setProgress) m_hooks.setProgress(std::clamp(v, 0, 100));
}
void ConnectionSupervisor::progressColour(Colour c) {
  if (m_hooks.setProgressColour) m_hooks.setProgressColour(c);
}
void ConnectionSupervisor::showProgress(bool v) {
  if (m_hooks.showProgress) m_hooks.showProgress(v);
}

std::string ConnectionSupervisor::connectionLineText() const {
  return connectionLine(versionState, versionText, texts);
}

void ConnectionSupervisor::refreshPanel4() {
  if (m_hooks.connectionLine) m_hooks.connectionLine(connectionLineText());
}

std::string ConnectionSupervisor::labelComText() const {
  char buf[64];
  if (m_com.connectedPort.load(std::memory_order_acquire) != 0 &&
      m_com.linkEnabled.load(std::memory_order_acquire)) {
    std::snprintf(buf, sizeof buf, "COM=%i", m_com.connectedPort.load());
    return buf;
  }
  if (!m_com.linkEnabled.load(std::memory_order_acquire)) {
    std::snprintf(buf, sizeof buf, "COM=%i (DISCONECTED)", releasedPort);
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
  if (m_hooks.labelCom) m_hooks.labelCom(t);
}

int ConnectionSupervisor::differences(int start, int end, const uint8_t* other) const {
  int n = 0;
  for (int i = start; i < end; ++i) n += m_com.rxData[i] != other[i];
  return n;
}

// ---- the run ----

void ConnectionSupervisor::run() {
  if (m_firstRun) {
    m_firstRun = false;
    if (m_com.linkEnabled.load() && m_status)
      m_status->showStatus(1, kMsgNoConnection, -1, kBlack, kRed, -5);
  }
  m_com.watchdogRun();
  if (!connected()) {
    step = kSupNoUnit;
    refreshLabelCom();
    return;
  }
  if (step == kSupNoUnit) {
    step = kSupIdent1;
    checkRepeats = 0;
    lastPollTick = 0;
    programmedPending = false;
    failures = 0;
    m_model.compare();  // the unit image is not valid until the check has read it
    refreshLabelCom();
    if (m_hooks.refreshCaption) m_hooks.refreshCaption();
  }
  const int32_t job = m_com.job.load(std::memory_order_acquire);
  if (m_hooks.serviceMode && m_hooks.serviceMode() &&
      (request == kSupRead1 || request == kSupProgIdent1) &&
      (job == kJobFailed || job == kJobDone)) {
    m_com.job.store(kJobNone, std::memory_order_release);
    failures = 0;
    step = kSupIdle;
  } else if (job == kJobWrite || job == kJobRead) {
    progressDuringJob();
  } else if (job == kJobFailed) {
    m_com.job.store(kJobNone, std::memory_order_release);
    const auto refusal = static_cast<JobRefusal>(m_com.refusal.load(std::memory_order_acquire));
    if (refusal != JobRefusal::None && step != kSupPoll) {
      // The engine refused the job outright (the unit's protocol cannot carry
      // it whole): retrying cannot help, so say why and stop here.
      failures = 0;
      slot2(jobRefusalText(refusal), kRed);
      failureDisplay();
    } else if (++failures >= 3) {
      failures = 0;
      if (step == kSupPoll) {
        disconnect();
        return;
      }
      failureTable();
    }
  } else if (job == kJobDone) {
    m_com.job.store(kJobNone, std::memory_order_release);
    failures = 0;
    if (m_com.lastJob.load() == kJobMonitor &&
        !(m_hooks.playbackRunning && m_hooks.playbackRunning()))
      takeMonitorAnswer();
    if (step == kSupPoll) step = kSupIdle;
    handleResult();
  }
  if (step == kSupIdle) {
    checkRepeats = 0;
    if (request) {
      step = request;
      request = 0;
    } else if (ticks() - lastPollTick > 6) {
      lastPollTick = ticks();
      step = kSupPoll;
    }
  }
  if (m_com.job.load(std::memory_order_acquire) == kJobNone && connected()) startStepJob();

  if (savingCounter > 0) {
    if (m_com.job.load(std::memory_order_acquire) == kJobNone) slot2(kMsgSaving);
    setProgress((kSavingScale - savingCounter) * 100 / kSavingScale);
  } else if (programmedPending) {
    m_model.setUnitImageValid(true);
    m_model.compare();
    programmedPending = false;
    slot2(kMsgProgramOk);
    setProgress(100);
  }
}

void ConnectionSupervisor::progressDuringJob() {
  if (rangeEnd <= rangeStart) return;
  int p = (m_com.currentAddress - rangeStart) * 100 / (rangeEnd - rangeStart);
  p = std::clamp(p, 0, 100);
  int from = 0, to = 0;
  if (checkSpan(step, from, to)) p = (from * 100 + (to - from) * p) / kCheckScale;
  setProgress(p);
}

void ConnectionSupervisor::failureDisplay() {
  progressColour(kRed);
  setProgress(100);
  showProgress(true);
  step = kSupIdle;
}

void ConnectionSupervisor::failureTable() {
  const int s = step;
  if ((s >= kSupCheckPoll && s <= kSupIdent2) || (s >= kSupQuarterRead1 && s <= 63)) {
    slot2(kMsgCheckingError, kRed);
  } else if (s == kSupRead1 || s == kSupRead2) {
    slot2(kMsgReadError, kRed);
  } else if (s == kSupVerify || (s >= kSupProgIdent1 && s <= kSupProgVerify)) {
    slot2(kMsgVerifyError, kRed);
  } else {
    step = kSupIdle;
    return;
  }
  failureDisplay();
}

void ConnectionSupervisor::startRead(int start, int end, const char* message, bool showBar) {
  rangeStart = start;
  rangeEnd = end;
  m_com.startJob(kJobRead, start, end - start, kJobFlagPending | kJobFlagClearTx);
  slot2(message);
  if (showBar) {
    progressColour(kAqua);
    setProgress(0);
    showProgress(true);
  }
}

void ConnectionSupervisor::startMonitorPoll() {
  std::memset(m_com.txData, 0, kBlockLen);
  for (int i = 0; i < 3; ++i) m_com.txData[20 + i] = testBits[static_cast<size_t>(i)];
  testBits.fill(0);
  m_com.txData[23] = (m_hooks.pickupRequest && m_hooks.pickupRequest()) ? 1 : 0;
  m_com.txData[148] = static_cast<uint8_t>(kProgramKeyMinor);
  m_com.txData[149] = static_cast<uint8_t>(kProgramKeyMajor);
  rangeStart = 0;
  rangeEnd = kBlockLen;
  m_com.startJob(kJobMonitor, 0, kBlockLen, kJobFlagPending | kJobFlagOneAttempt);
}

void ConnectionSupervisor::startStepJob() {
  const int s = step;
  if (isPollStep(s)) {
    startMonitorPoll();
    return;
  }
  switch (s) {
    case kSupCheckRead1:
    case kSupCheckRead2:
      startRead(0, kImageLen, kMsgChecking, false);
      return;
    case kSupIdent1:
    case kSupProgIdent1:
    case kSupIdent2:
    case kSupProgIdent2:
      if (s == kSupIdent1 || s == kSupProgIdent1) ++checkRepeats;
      rangeStart = 0;
      rangeEnd = kIdentBlockLen;
      m_com.startJob(kJobIdent, 0, kIdentBlockLen, kJobFlagPending | kJobFlagClearTx);
      slot2(kMsgChecking);
      progressColour(kAqua);
      setProgress(0);
      showProgress(true);
      return;
    case kSupRead1:
      ++checkRepeats;
      programmedPending = false;
      if (m_hooks.clearLoadedFile) m_hooks.clearLoadedFile();
      startRead(0, kImageLen, kMsgRead, true);
      return;
    case kSupRead2:
      startRead(0, kImageLen, kMsgVerify, true);
      return;
    case kSupVerify:
      ++checkRepeats;
      startRead(0, kImageLen, kMsgVerify, true);
      return;
    case kSupProgWrite: {
      ++checkRepeats;
      m_model.unitImage() = m_model.image();
      m_model.setUnitImageValid(false);
      m_model.compare();
      std::memcpy(m_com.txData, m_model.image().data(), kImageLen);
      if (!programAll)
        for (int i = 0; i < kImageLen; ++i) m_com.pending[i] = m_model.changeMark(i) ? 1 : 0;
      rangeStart = 0;
      rangeEnd = kImageLen;
      m_com.startJob(kJobWrite, 0, kImageLen, programAll ? kJobFlagPending : 0);
      slot2(kMsgProgram);
      progressColour(kAqua);
      setProgress(0);
      showProgress(true);
      return;
    }
    case kSupProgVerify:
      rangeStart = 0;
      rangeEnd = kImageLen;
      if (programAll) {
        m_com.startJob(kJobRead, 0, kImageLen, kJobFlagPending | kJobFlagClearTx);
      } else {
        for (int i = 0; i < kImageLen; ++i) m_com.pending[i] = m_model.changeMark(i) ? 1 : 0;
        m_com.startJob(kJobRead, 0, kImageLen, kJobFlagClearTx);
      }
      slot2(kMsgVerify);
      return;
    case kSupReset:
    case kSupResetRelease:
      std::memset(m_com.txData, 0, kBlockLen);
      m_com.txData[12] = 0xA5;
      m_com.txData[13] = 0x10;
      m_com.job65Command = kCmdReset;
      m_com.job65Address = 1600;
      m_com.job65Length = 0;
      m_com.startJob(kJobCommand, 0, 1, kJobFlagPending);
      return;
    default:
      break;
  }
  if (s >= kSupQuarterRead1 && s <= 51) {
    if (s == kSupQuarterRead1) ++checkRepeats;
    AddressRange r = quarterRange(s - kSupQuarterRead1);
    startRead(r.start, r.end, kMsgChecking, false);
  } else if (s >= kSupQuarterRead2 && s <= 59) {
    AddressRange r = quarterRange(s - kSupQuarterRead2);
    startRead(r.start, r.end, kMsgChecking, false);
  }
}

void ConnectionSupervisor::checkOk() {
  m_model.setUnitImageValid(true);
  m_model.compare();
  slot2(kMsgCheckingOk);
  setProgress(100);
  step = kSupIdle;
}

void ConnectionSupervisor::checkDifferent() {
  if (checkRepeats > 1) {
    slot2(kMsgCheckingError);
    failureDisplay();
  } else {
    setProgress(12);
    step = kSupQuarterPoll1;
  }
}

bool ConnectionSupervisor::identVersionOk() {
  const int major = identBlock[10];
  const int minor = identBlock[11];
  if (major == kProgramKeyMajor && minor == kProgramKeyMinor) return true;
  char text[256];
  std::snprintf(text, sizeof text, "%s  PC-%d.%02d, ZAR-%d.%02d",
                namedText(major == kProgramKeyMajor ? NamedText::UnmatchedSubversion
                                                    : NamedText::UnmatchedVersion),
                kProgramKeyMajor, kProgramKeyMinor, major, minor);
  debugLog("%s", text);
  dialogs().message(namedText(NamedText::Warning), text, DialogKind::Warning);
  return false;
}

void ConnectionSupervisor::handleResult() {
  const int s = step;
  const uint8_t* rx = m_com.rxData;
  switch (s) {
    case kSupCheckPoll:
      step = kSupCheckRead1;
      return;
    case kSupCheckRead1:
      std::memcpy(compareBuffer.data(), rx, kImageLen);
      step = kSupCheckRead2;
      return;
    case kSupCheckRead2:
      if (differences(0, kImageLen, compareBuffer.data()) == 0) {
        std::memcpy(m_model.unitImage().data(), rx, kImageLen);
        checkOk();
      } else {
        checkDifferent();
      }
      return;
    case kSupIdent1:
    case kSupProgIdent1:
      std::memcpy(compareBuffer.data(), rx, kIdentBlockLen);
      step = s + 1;
      return;
    case kSupIdent2:
    case kSupProgIdent2:
      if (differences(0, kIdentBlockLen, compareBuffer.data()) != 0) {
        if (checkRepeats < 2) {
          setProgress(0);
          step = s - 1;
        } else {
          slot2(kMsgCheckingError);
          failureDisplay();
        }
        return;
      }
      std::memcpy(identBlock.data(), rx, kIdentBlockLen);
      texts.decode(identBlock.data());
      m_model.sanitize();
      if (m_hooks.refreshPage) m_hooks.refreshPage();
      refreshPanel4();
      if (!identVersionOk()) {
        failureDisplay();
        return;
      }
      checkRepeats = 0;
      step = s == kSupIdent2 ? kSupCheckPoll : kSupProgWrite;
      return;
    case kSupRead1:
      std::memcpy(compareBuffer.data(), rx, kImageLen);
      step = kSupRead2;
      return;
    case kSupRead2:
      if (differences(0, kImageLen, compareBuffer.data()) != 0) {
        if (checkRepeats > 1) {
          slot2(kMsgVerifyError);
          failureDisplay();
        } else {
          setProgress(0);
          step = kSupRead1;
        }
        return;
      }
      m_model.clearChangeMarks();
      std::memcpy(m_model.image().data(), rx, kImageLen);
      if (m_hooks.newInstallation && m_hooks.newInstallation() &&
          m_hooks.clearNewInstallationAndSave)
        m_hooks.clearNewInstallationAndSave();
      m_model.unitImage() = m_model.image();
      m_model.setUnitImageValid(true);
      m_model.compare();
      m_model.snapshot(m_hooks.activePage ? m_hooks.activePage() : 0);
      // The image now is the unit's: nothing in it is an unprogrammed edit.
      m_model.clearChangeMarks();
      m_model.sanitize();
      if (m_hooks.refreshPage) m_hooks.refreshPage();
      if (m_hooks.refreshCaption) m_hooks.refreshCaption();
      slot2(kMsgVerifyOk);
      setProgress(100);
      step = kSupIdle;
      return;
    case kSupVerify:
      if (differences(0, kImageLen, m_model.image().data()) != 0) {
        if (checkRepeats > 1) {
          slot2(kMsgVerifyError);
          failureDisplay();
        } else {
          setProgress(0);  // read again
        }
        return;
      }
      slot2(kMsgVerifyOk);
      setProgress(100);
      step = kSupIdle;
      return;
    case kSupProgWrite:
      step = kSupProgVerify;
      return;
    case kSupProgVerify: {
      const uint8_t* img = m_model.image().data();
      int diff = 0;
      for (int i = 0; i < kImageLen; ++i)
        if ((programAll || m_model.changeMark(i)) && rx[i] != img[i]) ++diff;
      if (diff) {
        if (checkRepeats > 1) {
          slot2(kMsgVerifyError);
          failureDisplay();
        } else {
          setProgress(0);
          step = kSupProgWrite;
        }
        return;
      }
      // Only the marks of bytes the unit now verifiably holds are cleared, so an
      // edit made while the programming ran stays marked for the next one.
      for (int i = 0; i < kImageLen; ++i)
        if (m_com.rxMarks[i] && rx[i] == img[i]) m_model.clearChangeMarks(i, 1);
      slot2(kMsgVerifyOk);
      setProgress(100);
      step = kSupIdle;
      programmedPending = true;
      savingCounter = 1;
      return;
    }
    case kSupReset:
      step = kSupIdle;
      return;
    case kSupResetRelease:
      releasePort();
      step = kSupIdle;
      return;
    default:
      break;
  }
  if (s >= kSupQuarterRead1 && s <= 51) {
    AddressRange r = quarterRange(s - kSupQuarterRead1);
    std::memcpy(compareBuffer.data() + r.start, rx + r.start, static_cast<size_t>(r.end - r.start));
    static constexpr int kNext[4] = {53, 54, 55, 60};
    step = kNext[s - kSupQuarterRead1];
  } else if (s >= kSupQuarterPoll1 && s <= 55) {
    step = kSupQuarterRead1 + (s - kSupQuarterPoll1);
  } else if (s >= kSupQuarterRead2 && s <= 59) {
    AddressRange r = quarterRange(s - kSupQuarterRead2);
    if (differences(r.start, r.end, compareBuffer.data()) != 0) {
      checkDifferent();
      return;
    }
    std::memcpy(m_model.unitImage().data() + r.start, rx + r.start,
                static_cast<size_t>(r.end - r.start));
    if (s == 59)
      checkOk();
    else
      step = 61 + (s - kSupQuarterRead2);
  } else if (s >= kSupQuarterPoll2 && s <= 63) {
    step = kSupQuarterRead2 + (s - kSupQuarterPoll2);
  }
}

void ConnectionSupervisor::takeMonitorAnswer() {
  MonitorBuffer& mon = m_model.monitor();
  mon.storeBlock(m_com.rxData, kBlockLen);
  const int major = mon.byte(150);
  const int minor = mon.byte(149);
  char buf[256];
  if (major == kProgramKeyMajor && minor == kProgramKeyMinor) {
    versionState = 2;
    std::snprintf(buf, sizeof buf, "RSKEY=%d.%02d", kProgramKeyMajor, kProgramKeyMinor);
  } else {
    versionState = 1;
    std::snprintf(buf, sizeof buf, "%s  PC-%d.%02d, ZAR-%d.%02d",
                  namedText(major == kProgramKeyMajor ? NamedText::UnmatchedSubversion
                                                      : NamedText::UnmatchedVersion),
                  kProgramKeyMajor, kProgramKeyMinor, major, minor);
  }
  versionText = buf;
  if (m_status) m_status->showStatus(1, nullptr, 0, kKeepColour, kKeepColour, 10);
  refreshPanel4();
  savingCounter = mon.word(8);
  bikePreset = mon.byte(1);
  if (m_hooks.monitorTaken) m_hooks.monitorTaken();
}

// ---- commands ----

void ConnectionSupervisor::requestRead() {
  if (connected()) request = kSupRead1;
}

void ConnectionSupervisor::requestVerify() {
  if (m_hooks.storeActivePage) m_hooks.storeActivePage();
  m_model.sanitize();
  request = kSupVerify;
}

void ConnectionSupervisor::requestProgram(bool all) {
  if (m_hooks.newInstallation && m_hooks.newInstallation()) {
    dialogs().message(namedText(NamedText::Attention), namedText(NamedText::NewInstallationNotice),
                      DialogKind::Error);
    return;
  }
  if (bikePreset != -1 && bikePreset != m_model.image().byte(170)) {
    Answer a = dialogs().ask(namedText(NamedText::Warning),
                             namedText(NamedText::DifferentBikeQuestion), false);
    if (a != Answer::Ok && a != Answer::Yes) return;
  }
  if (m_hooks.storeActivePage) m_hooks.storeActivePage();
  m_model.sanitize();
  if (m_hooks.refreshPage) m_hooks.refreshPage();
  programAll = all;
  request = kSupProgIdent1;
}

void ConnectionSupervisor::requestProgramChanged() {
  programAll = false;
  request = kSupProgWrite;
}

void ConnectionSupervisor::requestReset() { request = kSupReset; }

void ConnectionSupervisor::disconnect() {
  const int port = m_com.connectedPort.load(std::memory_order_acquire);
  if (port) {
    debugLog("Close Port COM%i...", port);
    m_com.step.store(kStepIdle, std::memory_order_release);
    m_com.job.store(kJobNone, std::memory_order_release);
    m_com.requestClose(port);
    m_com.connectedPort.store(0, std::memory_order_release);
    m_com.portListChanged.store(1, std::memory_order_release);
  }
  step = kSupNoUnit;
  if (m_com.linkEnabled.load() && m_status)
    m_status->showStatus(1, kMsgNoConnection, -1, kBlack, kRed, -5);
  m_model.setUnitImageValid(false);
  m_model.compare();
  versionState = 0;
  refreshPanel4();
  refreshLabelCom();
}

void ConnectionSupervisor::releasePort() {
  if (!m_com.linkEnabled.load()) return;
  m_com.linkEnabled.store(0, std::memory_order_release);
  releasedPort = m_com.connectedPort.load();
  disconnect();
  if (m_hooks.refreshCaption) m_hooks.refreshCaption();
}

void ConnectionSupervisor::takePortBack() {
  if (m_com.linkEnabled.load()) return;
  m_com.linkEnabled.store(1, std::memory_order_release);
  releasedPort = -1;
  if (m_hooks.refreshCaption) m_hooks.refreshCaption();
  refreshLabelCom();
}

void ConnectionSupervisor::portMessage(int port, int32_t code) {
  const int conn = m_com.connectedPort.load(std::memory_order_acquire);
  if (port > 0 && port == conn && m_com.linkEnabled.load()) {
    if (code == kReleaseNow) {
      releasePort();
      if (m_hooks.applyTexts) m_hooks.applyTexts();
    } else if (code == kResetAndRelease) {
      request = kSupResetRelease;
    }
  } else if (port > 0 && port == releasedPort && code == kTakeBack) {
    takePortBack();
    if (m_hooks.applyTexts) m_hooks.applyTexts();
  }
}

}  // namespace q3
