// The feature install list: every feature of the window wires itself in from
// its own main_form_<feature>.cpp. One line per feature; the order is the
// order in which they join (a later one may wrap what an earlier one set).
#include "shell/ui/main_form.h"

void TMainForm::installFeatures() {
  installSettings();
  installLanguage();
  installParams();
  installLink();
  installMaps();
  installFiles();
}
