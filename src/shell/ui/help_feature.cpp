// Wires help, web links and the update check into the main window:
// Help -> Contents (F1) and Ignition -> Update open the maker's pages in the
// current language, Help -> About shows the About window, and the update
// check runs once after start-up and offers what the server recommends.
#include <QAction>
#include <QLabel>
#include <memory>

#include "base/version_line.h"
#include "link/link_session.h"
#include "shell/ui/main_window.h"
#include "shell/ui/window_context.h"
#include "shell/ui/window_features.h"
#include "text/mstring.h"
#include "update/ui/about_dialog.h"
#include "update/ui/update_offer_dialog.h"
#include "update/ui/web_links.h"
#include "update/update_feature.h"
#include "update/update_server.h"

namespace {

class HelpFeature : public QObject, public q3::Feature {
 public:
  explicit HelpFeature(WindowContext& ctx) : m_ctx(ctx), m_w(&ctx.window) { bindCommands(); }

  const char* featureName() const override { return "help"; }

  void startup(q3::StartupStep step) override {
    if (step == q3::StartupStep::StartUpdateCheck) startUpdateCheck();
  }
  void tick(q3::TickPhase phase, int32_t) override {
    if (phase == q3::TickPhase::UpdateCheck && m_update) m_update->tick(m_ctx.clock.tmr());
  }
  void close(q3::CloseStep step) override {
    if (step == q3::CloseStep::StopUpdateCheck && m_update) m_update->stop();
  }

 private:
  // The maker's server: QUELIN3_UPDATE_SERVER, else UpdateServer of
  // application.ini, else an address that never resolves.
  QUrl server() const { return q3::updateServerUrl(q3::updateServerSetting(m_w->keyFile())); }

  void bindCommands() {
    auto on = [this](const char* name, auto f) {
      if (QAction* a = m_w->action(name)) {
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, f);
      }
    };
    on("MenuContens", [this] { q3::openWebPage(server(), q3::WebPage::Manuals); });
    on("MenuUpdate", [this] { q3::openWebPage(server(), q3::WebPage::Upload); });
    on("MenuAbout", [this] { q3::AboutDialog(q3::AboutInfo::current(server()), m_w).exec(); });
  }

  // A unit being read, verified or programmed: the program must not close.
  bool unitJobRunning() const {
    if (!m_ctx.link) return false;
    const int step = m_ctx.link->supervisor().step();
    return step != q3::kSupNoUnit && step != q3::kSupIdle && step != q3::kSupPoll;
  }

  void startUpdateCheck() {
    q3::UpdateFeatureConfig cfg;
    cfg.server = server();
    cfg.buildDate = q3::buildDate();
    cfg.declinedNumber = m_ctx.settings.declinedUpdate;
    cfg.suppressed = m_w->updateCheckSuppressed();
    q3::UpdateFeatureHooks h;
    h.statusNote = [this](const char* t) {
      m_w->statusPanel(0)->setText(t ? QString::fromUtf8(q3::ml(t)) : QString());
    };
    h.showOffer = [this](const q3::PatchOffer& o) {
      return q3::showUpdateWindow(o, m_w, q3::openWebLink);
    };
    h.openLink = q3::openWebLink;
    h.unitJobRunning = [this] { return unitJobRunning(); };
    h.closeProgram = [this] { m_w->close(); };
    h.keepDeclined = [this](int n) {
      m_ctx.settings.declinedUpdate = n;
      m_w->saveSettings();
    };
    m_update = std::make_unique<q3::UpdateCheckFeature>(cfg, h);
  }

  WindowContext& m_ctx;
  MainWindow* m_w;
  std::unique_ptr<q3::UpdateCheckFeature> m_update;
};

}  // namespace

std::unique_ptr<q3::Feature> makeHelpFeature(WindowContext& ctx) {
  return std::make_unique<HelpFeature>(ctx);
}
