// Writes the text tables of the current language into the main window: menu
// captions, hints, control captions and item lists, found by objectName
// (q3::WidgetTextTarget), and the steps that belong to apply-texts (window
// caption, status-slot texts, the features' own texts, the active page). A
// control that does not exist (yet) is skipped. Also the language menu:
// English, German, Czech, and the unbound French handler that acts like
// English.
#include "link/link_session.h"
#include "link/unit_texts.h"
#include "shell/ui/main_window.h"
#include "text/mstring.h"
#include "text/ui_texts.h"
#include "text/widgets/widget_text_target.h"

namespace {

class WindowTextTarget : public q3::WidgetTextTarget {
 public:
  WindowTextTarget(MainWindow& w, WindowContext& ctx)
      : q3::WidgetTextTarget(&w), m_w(w), m_ctx(ctx) {}

  void refreshWindowCaption() override { m_w.refreshCaption(); }
  void reselectStatusTexts() override { m_ctx.status.reselectLanguage(); }
  void refreshMonitor() override { m_ctx.events.textsApplied.notify(); }
  void refreshActivePage() override { m_ctx.showActivePage(); }

 private:
  MainWindow& m_w;
  WindowContext& m_ctx;
};

}  // namespace

void MainWindow::applyTexts() {
  WindowTextTarget target(*this, m_ctx);
  q3::applyTexts(target, m_image.byte(515));
}

void MainWindow::applyControlCaptions() {
  WindowTextTarget target(*this, m_ctx);
  q3::applyControlCaptions(target, m_image.byte(515));
  m_core.runStartup(q3::StartupStep::ApplyControlCaptions);
}

void MainWindow::changeLanguage(int lang) {
  WindowTextTarget target(*this, m_ctx);
  q3::changeLanguage(lang, target, m_image.byte(515));
  m_settings.language = q3::language();
}

void MainWindow::refreshCaption() {
  const bool released = m_ctx.link && m_ctx.link->supervisor().released();
  std::string file;
  if (!m_params.modified()) file = QString::fromStdU16String(m_settings.file).toStdString();
  setWindowTitle(QString::fromStdString(q3::windowCaption(file, released)));
}

void MainWindow::MenuEnglishClick() { changeLanguage(0); }
void MainWindow::MenuGermanClick() { changeLanguage(1); }
void MainWindow::MenuCzechClick() { changeLanguage(2); }
void MainWindow::MenuFrenchClick() { changeLanguage(0); }
