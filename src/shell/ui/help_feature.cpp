// Wires help and web links into the main window: Help -> Contents (F1) and
// Ignition -> Update open the maker's pages in the current language, Help ->
// About shows the About window. Printing is the print feature's.
#include <QAction>
#include <memory>

#include "shell/ui/main_window.h"
#include "shell/ui/window_context.h"
#include "shell/ui/window_features.h"
#include "text/mstring.h"
#include "update/ui/about_dialog.h"
#include "update/ui/web_links.h"

namespace {

class HelpFeature : public QObject, public q3::Feature {
 public:
  explicit HelpFeature(WindowContext& ctx) : m_ctx(ctx), m_w(&ctx.window) { bindCommands(); }

  const char* featureName() const override { return "help"; }

 private:
  QUrl server() const { return m_w->updateServer(); }

  void bindCommands() {
    auto on = [this](const char* name, auto f) {
      if (QAction* a = m_w->action(name)) {
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, f);
      }
    };
    on("MenuContens", [this] { q3::openWebPage(server(), q3::WebPage::Manuals, m_ctx.dialogs); });
    on("MenuUpdate", [this] { q3::openWebPage(server(), q3::WebPage::Upload, m_ctx.dialogs); });
    on("MenuAbout", [this] {
      q3::AboutDialog(q3::AboutInfo::current(m_w->paths(), m_w->startOptions().debugLog, server()),
                      m_ctx.dialogs, m_w)
          .exec();
    });
  }

  WindowContext& m_ctx;
  MainWindow* m_w;
};

}  // namespace

std::unique_ptr<q3::Feature> makeHelpFeature(WindowContext& ctx) {
  return std::make_unique<HelpFeature>(ctx);
}
