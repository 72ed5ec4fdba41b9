// The update check in the main window: shortly after start-up it asks the
// maker's server once (the check's own course is q3::UpdateCheckFlow), shows
// "Trying updates..." in status panel 0 meanwhile, offers what the server
// recommends in the update window and ends a running request when the window
// closes.
#include <QLabel>
#include <QObject>
#include <memory>

#include "base/version_line.h"
#include "link/link_session.h"
#include "shell/ui/main_window.h"
#include "shell/ui/window_context.h"
#include "shell/ui/window_features.h"
#include "text/mstring.h"
#include "update/ui/update_offer_dialog.h"
#include "update/ui/web_links.h"
#include "update/update_check_flow.h"

namespace {

class UpdateFeature : public q3::Feature {
 public:
  explicit UpdateFeature(WindowContext& ctx) : m_ctx(ctx), m_w(&ctx.window) {}

  const char* featureName() const override { return "update"; }

  void startup(q3::StartupStep step) override {
    if (step == q3::StartupStep::StartUpdateCheck) start();
  }
  void tick(q3::TickPhase phase, int32_t) override {
    if (phase == q3::TickPhase::UpdateCheck && m_flow) m_flow->tick(m_ctx.clock.tmr());
  }
  void close(q3::CloseStep step) override {
    if (step == q3::CloseStep::StopUpdateCheck && m_flow) m_flow->stop();
  }

 private:
  // A unit being read, verified or programmed: the program must not close.
  bool unitJobRunning() const {
    if (!m_ctx.link) return false;
    const int step = m_ctx.link->supervisor().step();
    return step != q3::kSupNoUnit && step != q3::kSupIdle && step != q3::kSupPoll;
  }

  void start() {
    q3::UpdateCheckFlowConfig cfg;
    cfg.server = m_w->updateServer();
    cfg.buildDate = q3::buildDate();
    cfg.declinedNumber = m_ctx.settings.declinedUpdate;
    cfg.suppressed = m_w->updateCheckSuppressed();
    q3::UpdateCheckFlowHooks h;
    h.statusNote = [this](const char* t) {
      m_w->statusPanel(0)->setText(t ? QString::fromUtf8(q3::ml(t)) : QString());
    };
    h.showOffer = [this](const q3::PatchOffer& o) {
      return q3::showUpdateWindow(
          o, m_w, [this](const QUrl& u) { return q3::openWebLink(u, m_ctx.dialogs); });
    };
    h.openLink = [this](const QUrl& u) { return q3::openWebLink(u, m_ctx.dialogs); };
    h.dialogs = &m_ctx.dialogs;
    h.unitJobRunning = [this] { return unitJobRunning(); };
    h.closeProgram = [this] { m_w->close(); };
    h.keepDeclined = [this](int n) {
      m_ctx.settings.declinedUpdate = n;
      m_w->saveSettings();
    };
    m_flow = std::make_unique<q3::UpdateCheckFlow>(cfg, h);
  }

  WindowContext& m_ctx;
  MainWindow* m_w;
  std::unique_ptr<q3::UpdateCheckFlow> m_flow;
};

}  // namespace

std::unique_ptr<q3::Feature> makeUpdateFeature(WindowContext& ctx) {
  return std::make_unique<UpdateFeature>(ctx);
}
