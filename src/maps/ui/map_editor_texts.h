// Texts the map editor's tool buttons, popup menu and hints share.
#pragma once

#include <QString>

#include "maps/ui/paint_util.h"

namespace q3::maptexts {

// Hints and captions.
inline constexpr const char* kHintCopy = "###Copy##Kopieren##Kopírovat";
inline constexpr const char* kHintCopyTable = "###Copy table##Tabelle kopieren##Kopírovat tabulku";
inline constexpr const char* kHintPaste = "###Paste##Einfügen##Vložit";
inline constexpr const char* kHintPlus =
    "###Increment selection or actual value##Increment Auswahl oder Istwert##Zvětšit hodnotu "
    "vybraných buňek nebo aktuální hodnotu";
inline constexpr const char* kHintMinus =
    "###Decrement selection or actual value##Decrement Auswahl oder Istwert##Zmenšit hodnotu "
    "vybraných buňek nebo aktuální hodnotu";
inline constexpr const char* kHintOnly =
    "###Use only this parameter for table definition##Verwenden Sie nur diese Parameter für "
    "Tabellendefinition##Použít pouze tento parametr pro definici tabluky";
inline constexpr const char* kHintBoth =
    "###Use both dimensions for table definition##Benutzen Sie beide Dimensionen für die "
    "Tabellendefinition##Použít oba rozměry pro definici tabluky";
inline constexpr const char* kHintViewTable =
    "###View as table##Als Tabelle anzeigen##Zobrazit jako tabulku";
inline constexpr const char* kHintView2D =
    "###View as graph 2D##Als 2D Graph anzeigen##Zobrazit jako 2D graf";
inline constexpr const char* kHintView3D =
    "###View as graph 3D##Als 3D Graph anzeigen##Zobrazit jako 3D graf";
inline constexpr const char* kHintTop =
    "###View graph form top##Ein Blick auf die Tabelle oben##Pohled na graf seshora";
inline constexpr const char* kHintIso1 =
    "###View graph as ISO1##Ein Blick auf die Tabelle isometrisch##Pohled na graf izometricky";
inline constexpr const char* kHintIso2 =
    "###View graph as ISO2##Ein Blick auf die Tabelle isometrisch##Pohled na graf izometricky";
inline constexpr const char* kHintAddColumn = "###Add column##Spalte hinzufügen##Přidat sloupec";
inline constexpr const char* kHintRemoveColumn =
    "###Remove column##Spalte entfernen##Odstranit sloupec";
inline constexpr const char* kHintSmallView =
    "###2D Graph / Table view####2D Graf / Tabulkové zobrazení";
inline constexpr const char* kHintProportional =
    "###Proporcional / nonproporcional view####Proporcionální / neproporcionální zobrazení";
inline constexpr const char* kHintInterpolation = "###Interpolation####Interpolace";
inline constexpr const char* kOnly = "###Only##Nur##Jen";
inline constexpr const char* kAnd = "###and##und##a";

// Leaves out the blank a multi-language text keeps after its last word.
inline QString ml2(const char* s) { return mls(s).trimmed(); }

}  // namespace q3::maptexts
