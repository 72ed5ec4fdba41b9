// Stage and result texts of slot 2, the progress bar, and slot 1.
#include "link/operation_status.h"

#include <algorithm>

#include "link/supervisor.h"

namespace q3 {
namespace {

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
constexpr const char* kMsgProgramError =
    "###Program device: error !##Programmieren: Fehler !##Programování: chyba !";
constexpr const char* kMsgStoppedWhileStoring =
    "###The unit stopped answering while storing !##Das Gerät antwortet beim Speichern nicht "
    "mehr !##Jednotka přestala odpovídat při ukládání !";
constexpr const char* kMsgNoConnection =
    "###No connection with PC...##Keine Verbindung zum PC...##Není spojení s PC...";

// Operations whose failure turns the bar red.
bool showsBar(Operation op) {
  return op == Operation::ConnectionCheck || op == Operation::Read || op == Operation::Verify ||
         op == Operation::Program;
}

}  // namespace

const char* stageText(Stage stage) {
  switch (stage) {
    case Stage::Checking:
      return kMsgChecking;
    case Stage::Reading:
      return kMsgRead;
    case Stage::Verifying:
      return kMsgVerify;
    case Stage::Programming:
      return kMsgProgram;
    case Stage::Verified:
      return kMsgVerifyOk;
    case Stage::Saving:
      return kMsgSaving;
    case Stage::Polling:
      break;
  }
  return nullptr;
}

ResultText resultText(const OperationResult& r) {
  if (r.ok()) {
    switch (r.operation) {
      case Operation::ConnectionCheck:
        return {kMsgCheckingOk, kBtnFace};
      case Operation::Read:
      case Operation::Verify:
        return {kMsgVerifyOk, kBtnFace};
      case Operation::Program:
        return {kMsgProgramOk, kBtnFace};
      case Operation::Reset:
      case Operation::Monitor:
        break;
    }
    return {};
  }
  switch (r.cause) {
    case Cause::Refused:
      return {jobRefusalText(r.refusal), kRed};
    case Cause::UnitSilent:
    case Cause::LineErrors:
      // Three failed exchanges: the error of the operation, on red.
      switch (r.operation) {
        case Operation::ConnectionCheck:
          return {kMsgCheckingError, kRed};
        case Operation::Read:
          return {kMsgReadError, kRed};
        case Operation::Verify:
          return {kMsgVerifyError, kRed};
        case Operation::Program:
          // Only the read-back compares: a unit lost while it was written
          // or identified failed the programming, not a verification.
          return {r.stage == Stage::Verifying ? kMsgVerifyError : kMsgProgramError, kRed};
        case Operation::Reset:
        case Operation::Monitor:
          break;
      }
      return {};
    case Cause::Mismatch:
      // Reads that disagree: the error of the stage that compared them.
      return {r.stage == Stage::Checking ? kMsgCheckingError : kMsgVerifyError, kBtnFace};
    case Cause::StoppedWhileStoring:
      return {kMsgStoppedWhileStoring, kRed};
    case Cause::VersionMismatch:  // the warning box has said it
    case Cause::PortLost:         // slot 1 says it
    case Cause::Released:
    case Cause::BackupFailed:  // the owner said why
    case Cause::None:
      break;
  }
  return {};
}

OperationStatusView::OperationStatusView(ConnectionSupervisor& sup, StatusSink* status,
                                         ProgressBarView bar)
    : m_sup(sup), m_status(status), m_bar(std::move(bar)) {
  LinkEvents& ev = sup.events();
  m_progress = ev.progress.subscribe([this](const OperationProgress& p) { onProgress(p); });
  m_result = ev.result.subscribe([this](const OperationResult& r) { onResult(r); });
  m_plain.push_back(ev.unitDisconnected.subscribe([this] {
    if (m_status && !m_sup.released())
      m_status->showStatus(1, kMsgNoConnection, -1, kBlack, kRed, -5);
  }));
  m_monitor = ev.monitorAnswer.subscribe([this](std::span<const uint8_t>) {
    if (m_status) m_status->showStatus(1, nullptr, 0, kKeepColour, kKeepColour, 10);
  });
}

void OperationStatusView::slot2(const char* mtext, Colour back) {
  if (m_status && mtext) m_status->showStatus(2, mtext, 2000, kBlack, back, 10);
}
void OperationStatusView::barValue(int v) {
  if (m_bar.setValue) m_bar.setValue(std::clamp(v, 0, 100));
}
void OperationStatusView::barColour(Colour c) {
  if (m_bar.setColour) m_bar.setColour(c);
}
void OperationStatusView::barVisible(bool v) {
  if (m_bar.setVisible) m_bar.setVisible(v);
}

void OperationStatusView::onProgress(const OperationProgress& p) {
  if (p.stageStarts) slot2(stageText(p.stage), kBtnFace);
  if (p.barStarts) {
    barColour(kAqua);
    barValue(0);
    barVisible(true);
  } else if (p.percent >= 0) {
    barValue(p.percent);
  }
}

void OperationStatusView::onResult(const OperationResult& r) {
  const ResultText t = resultText(r);
  slot2(t.mtext, t.back);
  if (r.ok()) {
    if (t.mtext) barValue(100);
    return;
  }
  if (!showsBar(r.operation) || r.cause == Cause::PortLost || r.cause == Cause::Released) return;
  barColour(kRed);
  barValue(100);
  barVisible(true);
}

}  // namespace q3
