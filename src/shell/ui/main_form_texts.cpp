// Applying the texts of the current language to the window.
#include <QAction>
#include <QLabel>

#include "shell/ui/main_form.h"
#include "text/mstring.h"

void TMainForm::applyTexts() {
  if (m_startup.applyTexts) m_startup.applyTexts();
  const int lang = q3::language();
  action("MenuEnglish")->setChecked(lang == 0);
  action("MenuGerman")->setChecked(lang == 1);
  action("MenuCzech")->setChecked(lang == 2);
  m_core.status().reselectLanguage();
}
