// Writes the text tables of the current language into the main window: menu
// captions, hints, control captions and item lists, found by objectName
// (q3::WidgetTextTarget); the steps of other features that belong to
// apply-texts (window caption, monitor displays, active page) run through the
// window's hooks. A control that does not exist (yet) is skipped.
#include "shell/ui/main_form.h"
#include "text/mstring.h"
#include "text/ui_texts.h"
#include "text/widgets/widget_text_target.h"

namespace {

class WindowTextTarget : public q3::WidgetTextTarget {
 public:
  explicit WindowTextTarget(TMainForm& w) : q3::WidgetTextTarget(&w), m_w(w) {}

  void refreshWindowCaption() override { m_w.runHook(&StartupHooks::refreshWindowCaption); }
  void reselectStatusTexts() override { m_w.core().status().reselectLanguage(); }
  void refreshMonitor() override { m_w.runHook(&StartupHooks::refreshMonitor); }
  void refreshActivePage() override { m_w.runHook(&StartupHooks::showActivePage); }

 private:
  TMainForm& m_w;
};

}  // namespace

void TMainForm::applyTexts() {
  WindowTextTarget target(*this);
  q3::applyTexts(target, m_image.byte(515));
}

void TMainForm::applyControlCaptions() {
  WindowTextTarget target(*this);
  q3::applyControlCaptions(target, m_image.byte(515));
  runHook(&StartupHooks::applyControlCaptions);
}

void TMainForm::changeLanguage(int lang) {
  WindowTextTarget target(*this);
  q3::changeLanguage(lang, target, m_image.byte(515));
  m_settings.language = q3::language();
}
