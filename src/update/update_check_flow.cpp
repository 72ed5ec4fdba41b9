// The update check's tick step, its offer and the user's choice.
#include "update/update_check_flow.h"

#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace q3 {

namespace {
constexpr const char* kDownloadingTitle = "###Downloading####Stahování";
constexpr const char* kRunInstallerText =
    "###After downloading run new installer.####Po stažení spusťte nový instalátor.";
constexpr const char* kStoreNewVersionText =
    "###After downloading store new version to suitable location instead of current version."
    "####Po stažení novou verzi uložte do vhodné lokace namísto stávající verze.";
}  // namespace

UpdateCheckFlow::UpdateCheckFlow(UpdateCheckFlowConfig config, UpdateCheckFlowHooks hooks)
    : m_config(std::move(config)), m_hooks(std::move(hooks)) {}

UpdateCheckFlow::~UpdateCheckFlow() = default;

void UpdateCheckFlow::tick(int32_t tmr) {
  if (m_state == State::Idle && tmr > m_config.startAfterMs && !m_config.suppressed) request();
  if (m_state == State::AnswerReady) handle();
}

void UpdateCheckFlow::request() {
  m_state = State::Requested;
  note(kTryingUpdatesText);
  UpdateCheckRequest& req = m_request;
  req.server = m_config.server;
  req.buildDate = m_config.buildDate;
  req.language = language();
  req.declinedNumber = m_config.declinedNumber;
  req.connectLimitMs = m_config.connectLimitMs;
  req.timeLimitMs = m_config.timeLimitMs;
  m_check = std::make_unique<UpdateCheck>();
  m_check->start(req, [this](const UpdateCheckResult& r) {
    m_result = r;
    m_state = State::AnswerReady;
  });
}

void UpdateCheckFlow::handle() {
  // Handled before anything is shown: the modal window runs the event loop,
  // and a tick from inside it must not offer the update a second time.
  m_state = State::Handled;
  m_check.reset();
  // The texts follow the language the user has now.
  if (m_result->outcome == UpdateOutcome::Offer && m_request.language != language()) {
    m_request.language = language();
    m_result = evaluateUpdateAnswer(m_result->httpStatus, m_result->body, m_request);
  }
  if (m_result->outcome == UpdateOutcome::Offer && m_hooks.showOffer) {
    const PatchOffer& offer = *m_result->evaluation.offer;
    switch (m_hooks.showOffer(offer)) {
      case UpdateChoice::DontRemind:
        m_config.declinedNumber = offer.updateNumber;
        if (m_hooks.keepDeclined) m_hooks.keepDeclined(offer.updateNumber);
        break;
      case UpdateChoice::Download:
        download(offer);
        break;
      case UpdateChoice::RemindLater:
        break;
    }
  }
  note(nullptr);
}

void UpdateCheckFlow::download(const PatchOffer& offer) {
  if (offer.download.isEmpty() || !m_hooks.openLink || !m_hooks.openLink(offer.download)) return;
  const bool installer = offer.download.toString().contains("setup");
  if (m_hooks.dialogs)
    m_hooks.dialogs->message(ml(kDownloadingTitle),
                             ml(installer ? kRunInstallerText : kStoreNewVersionText),
                             DialogKind::Information);
  // A unit being programmed must not lose its link half-way; the user closes
  // the program later.
  if (m_hooks.unitJobRunning && m_hooks.unitJobRunning()) return;
  if (m_hooks.closeProgram) m_hooks.closeProgram();
}

void UpdateCheckFlow::stop() {
  m_check.reset();
  if (m_state != State::Handled) m_state = State::Stopped;
  note(nullptr);
}

void UpdateCheckFlow::note(const char* mtext) {
  if (!mtext && !m_noteShown) return;
  m_noteShown = mtext != nullptr;
  if (m_hooks.statusNote) m_hooks.statusNote(mtext);
}

}  // namespace q3
