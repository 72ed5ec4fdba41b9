// The user-interface text tables (menu captions, hints, control captions and
// item lists, in English, German and Czech) and the apply-texts operation that
// writes the current language into the window.
//
// The window side implements TextTarget over its widgets (found by
// objectName); tests implement it with a recorder. Controls that do not exist
// (yet) are simply skipped by the target, so the tables may name controls that
// later features create.
#pragma once

#include <cstddef>

namespace q3 {

// What apply-texts writes into. Texts are UTF-8.
class TextTarget {
 public:
  virtual ~TextTarget() = default;
  // Caption of a menu (QMenu title) or menu item (QAction text).
  virtual void setMenuCaption(const char* name, const char* text) = 0;
  // Caption or text of a control (label, group box, check box, button, tab sheet).
  virtual void setCaption(const char* name, const char* text) = 0;
  // Item list of a radio group or combo box: the items separated by '\n'.
  virtual void setItems(const char* name, const char* lines) = 0;
  // Hint of a control or menu item (replaces its whole hint).
  virtual void setHint(const char* name, const char* text) = 0;
  virtual void setChecked(const char* name, bool checked) = 0;
  virtual void setVisible(const char* name, bool visible) = 0;

  // Steps of other subsystems that run inside apply-texts; default: nothing.
  virtual void refreshWindowCaption() {}
  virtual void reselectStatusTexts() {}
  virtual void refreshMonitor() {}
  // Run by the language menu after the texts.
  virtual void refreshActivePage() {}
};

enum class TextKind { MenuCaption, Hint, Caption, Items };

// One table entry: the versions in English, German and Czech, written to the
// control `name` and, when set, also to `alsoName`.
struct TextEntry {
  TextKind kind;
  const char* name;
  const char* alsoName;
  const char* text[3];
};

struct TextTable {
  const TextEntry* entries;
  std::size_t size;
  const TextEntry* begin() const { return entries; }
  const TextEntry* end() const { return entries + size; }
};

TextTable menuCaptionTable();
TextTable hintTable();
TextTable controlCaptionTable();
// Captions of the menu items that are the same in every language.
TextTable fixedMenuCaptionTable();

// The version of an entry for lang (0..2; others mean 0), falling back to the
// English one where a version is empty.
const char* entryText(const TextEntry& e, int lang);

// Item list of RadioGroupTpsIap, which depends on image byte 515 (the servo
// sensor): "No\nTP\nIAP" when it is set, "No\nTP\nIAP+Synchro IAP" otherwise.
const char* loadSensorItems(int servoSensorByte, int lang);

// Apply-texts, in this order: named texts; menu captions (which also shows
// MenuPrintAll) and the language check marks; hints; window caption, control
// captions and item lists, status-message texts and monitor displays.
void applyTexts(TextTarget& target, int servoSensorByte);
// Only the control captions and item lists (start-up and after every show of
// the sensors page from the image).
void applyControlCaptions(TextTarget& target, int servoSensorByte);

// Language menu: MenuEnglishClick (0), MenuGermanClick (1), MenuCzechClick
// (2) and MenuFrenchClick (bound to no item, 0). Sets the language, applies
// every text again and refreshes the active page.
void changeLanguage(int lang, TextTarget& target, int servoSensorByte);
// Language of a language-menu item or handler name ("MenuEnglish",
// "MenuGermanClick", "MenuFrench", ...); -1 for any other name.
int languageOfMenuItem(const char* name);

// Keyboard shortcuts of the main menu in Qt's portable form ("Ctrl+Alt+N").
struct MenuShortcut {
  const char* item;
  const char* keys;
};
const MenuShortcut* menuShortcuts(std::size_t* count);
// The shortcut of a menu item, or nullptr when it has none.
const char* menuShortcut(const char* item);

}  // namespace q3
