// Captions of the six multifunction inputs with their connector pins
// (English, German, Czech). Shared by the named texts, which keep them for
// messages and the N2O page, and by the control caption table.
#pragma once

namespace q3::detail {

inline constexpr const char* kInputCaptionTexts[6][3] = {
    {"Multifunction input 1 (pin 28)", "Multifunktionseingang 1 (pin 28)",
     "Multifunkční vstup 1 (pin 28)"},
    {"Multifunction input 2 (pin 29)", "Multifunktionseingang 2 (pin 29)",
     "Multifunkční vstup 2 (pin 29)"},
    {"Multifunction input 3 (pin 30)", "Multifunktionseingang 3 (pin 30)",
     "Multifunkční vstup 3 (pin 30)"},
    {"Multifunction input 4 (pin 11)", "Multifunktionseingang 4 (pin 11)",
     "Multifunkční vstup 4 (pin 11)"},
    {"Multifunction input 5 (pin 12)", "Multifunktionseingang 5 (pin 12)",
     "Multifunkční vstup 5 (pin 12)"},
    {"Multifunction input 6 (pin 13)", "Multifunktionseingang 6 (pin 13)",
     "Multifunkční vstup 6 (pin 13)"},
};

}  // namespace q3::detail
