// The language menu: English, German, Czech, and the unbound French handler
// that acts like English.
#include <QAction>

#include "shell/ui/main_form.h"
#include "text/mstring.h"

void TMainForm::installLanguage() {}

void TMainForm::MenuEnglishClick() { changeLanguage(0); }
void TMainForm::MenuGermanClick() { changeLanguage(1); }
void TMainForm::MenuCzechClick() { changeLanguage(2); }
void TMainForm::MenuFrenchClick() { changeLanguage(0); }
