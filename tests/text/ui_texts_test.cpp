// The text tables and apply-texts against a recording target: order of the
// steps, language switching, the image-dependent item list, named texts,
// language menu and shortcuts.
#include "text/ui_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "text/mstring.h"
#include "text/named_texts.h"

namespace {

// Records every call as "kind:name=text" in order, and the last value per
// (kind, name).
class RecordingTarget : public q3::TextTarget {
 public:
  void setMenuCaption(const char* n, const char* t) override { add("menu", n, t); }
  void setCaption(const char* n, const char* t) override { add("caption", n, t); }
  void setItems(const char* n, const char* t) override { add("items", n, t); }
  void setHint(const char* n, const char* t) override { add("hint", n, t); }
  void setChecked(const char* n, bool on) override { add("checked", n, on ? "1" : "0"); }
  void setVisible(const char* n, bool on) override { add("visible", n, on ? "1" : "0"); }
  void refreshWindowCaption() override { add("step", "windowCaption", ""); }
  void reselectStatusTexts() override { add("step", "statusTexts", ""); }
  void refreshMonitor() override { add("step", "monitor", ""); }
  void refreshActivePage() override { add("step", "activePage", ""); }

  // Index of the first event "kind:name", or -1.
  int indexOf(const std::string& kindName) const {
    for (std::size_t i = 0; i < events.size(); ++i)
      if (events[i].key == kindName) return static_cast<int>(i);
    return -1;
  }
  int lastIndexOfKind(const std::string& kind) const {
    for (std::size_t i = events.size(); i-- > 0;)
      if (events[i].key.rfind(kind + ":", 0) == 0) return static_cast<int>(i);
    return -1;
  }
  int firstIndexOfKind(const std::string& kind) const {
    for (std::size_t i = 0; i < events.size(); ++i)
      if (events[i].key.rfind(kind + ":", 0) == 0) return static_cast<int>(i);
    return -1;
  }

  struct Event {
    std::string key, text;
    int namedLanguage;  // the named texts' language when the call came
  };
  std::vector<Event> events;
  std::map<std::string, std::string> last;

 private:
  void add(const char* kind, const char* name, const char* text) {
    std::string key = std::string(kind) + ":" + name;
    events.push_back({key, text, q3::namedTextLanguage()});
    last[key] = text;
  }
};

class LanguageGuard {
 public:
  explicit LanguageGuard(int lang) : saved_(q3::language()) { q3::setLanguage(lang); }
  ~LanguageGuard() {
    q3::setLanguage(saved_);
    q3::applyNamedTexts();
  }

 private:
  int saved_;
};

RecordingTarget applied(int lang, int servoSensor = 0) {
  LanguageGuard guard(lang);
  RecordingTarget t;
  q3::applyTexts(t, servoSensor);
  return t;
}

TEST(ApplyTexts, RunsNamedMenusChecksHintsThenCaptionStepsInOrder) {
  RecordingTarget t = applied(1);
  ASSERT_FALSE(t.events.empty());
  // Named texts were taken before anything was written to the window.
  EXPECT_EQ(t.events.front().namedLanguage, 1);

  const int lastMenu = t.lastIndexOfKind("menu");
  const int printAllCaption = t.indexOf("menu:MenuPrintAll");
  const int printAllShown = t.indexOf("visible:MenuPrintAll");
  const int firstCheck = t.firstIndexOfKind("checked");
  const int firstHint = t.firstIndexOfKind("hint");
  const int lastHint = t.lastIndexOfKind("hint");
  const int window = t.indexOf("step:windowCaption");
  const int firstCaption = t.indexOf("caption:CheckBoxProgHned");  // first of the control list
  const int lastCaption = std::max(t.lastIndexOfKind("caption"), t.lastIndexOfKind("items"));
  const int status = t.indexOf("step:statusTexts");
  const int monitor = t.indexOf("step:monitor");

  EXPECT_EQ(t.firstIndexOfKind("menu"), 0);
  EXPECT_GT(printAllShown, printAllCaption);
  EXPECT_GT(firstCheck, lastMenu);
  EXPECT_GT(firstHint, t.lastIndexOfKind("checked"));
  EXPECT_GT(window, lastHint);
  EXPECT_GT(firstCaption, window);
  EXPECT_GT(status, lastCaption);
  EXPECT_GT(monitor, status);
  EXPECT_EQ(monitor, static_cast<int>(t.events.size()) - 1);
  EXPECT_EQ(t.indexOf("step:activePage"), -1) << "apply-texts alone does not refresh the page";
}

TEST(ApplyTexts, LanguageCheckMarksFollowTheLanguage) {
  const char* items[] = {"MenuEnglish", "MenuGerman", "MenuCzech"};
  for (int lang = 0; lang < 3; ++lang) {
    RecordingTarget t = applied(lang);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(t.last["checked:" + std::string(items[i])], i == lang ? "1" : "0")
          << "language " << lang << " item " << items[i];
  }
}

TEST(ApplyTexts, WritesTheCurrentLanguageVersions) {
  struct Case {
    int lang;
    const char* key;
    const char* text;
  };
  const Case cases[] = {
      {0, "menu:MenuFile", "&File"},
      {1, "menu:MenuFile", "&Datei"},
      {2, "menu:MenuFile", "&Soubor"},
      {2, "menu:MenuRead", "Čí&st"},
      {2, "caption:ButtonRead", "Čí&st"},  // buttons share the menu captions
      {1, "caption:ButtonProgram", "&Programmieren"},
      {1, "hint:SpeedButtonOpen", "Kenndatendatei öffnen"},
      {1, "hint:MenuOpen", "Kenndatendatei öffnen"},
      {2, "hint:MenuEnglish", "Set LNG_ENGLISH menu"},
      {0, "caption:TabSheetRuzne", "Miscellaneous"},
      {1, "caption:TabSheetRuzne", "Verschiedene"},
      {2, "caption:LabelLimiter", "Omezovač [rpm]"},
      {1, "caption:CheckBoxProgHned", "Programmierung nach Änderung"},
      {1, "caption:LabelDwellTime", "Anfachung Zeit [us]"},
      {0, "caption:RadioGroupInput4", "Multifunction input 4 (pin 11)"},
      {1, "caption:RadioGroupInput1", "Multifunktionseingang 1 (pin 28)"},
      {2, "caption:CheckBoxInverseInput6", "Opačná polarita"},
      {1, "caption:GroupBoxLambdaBar", "Einstellung von Lambda Bargraph"},
      {2, "caption:LabelLambdaBar3", "Konec"},
      {1, "caption:RadioGroupPOut1", "Power out 1 (pin 16)"},
      {0, "items:RadioGroupGearSystem", "No\nVoltage\nRatio Rpm Speed\nAutomat (Ratio Rpm Speed)"},
      {0, "menu:MenuReset", "&Reset"},
      {2, "menu:MenuReset", "&Reset"},
  };
  for (const Case& c : cases) {
    RecordingTarget t = applied(c.lang);
    EXPECT_EQ(t.last[c.key], c.text) << c.key << " in language " << c.lang;
  }
}

TEST(ApplyTexts, SwitchingToGermanAndBackLeavesNoGermanText) {
  const RecordingTarget english = applied(0);
  RecordingTarget german = applied(1);
  RecordingTarget t;
  {
    LanguageGuard guard(1);
    q3::applyTexts(t, 0);
    q3::setLanguage(0);
    q3::applyTexts(t, 0);
  }
  EXPECT_EQ(t.last, english.last);
  // German really differed somewhere, so the comparison above means something.
  EXPECT_NE(german.last, english.last);
}

TEST(ApplyTexts, LoadSensorItemsDependOnServoSensorByte) {
  struct Case {
    int lang, byte515;
    const char* items;
  };
  const Case cases[] = {
      {0, 0, "No\nTP\nIAP+Synchro IAP"},
      {1, 0, "keinen\nTP\nIAP+Synchro IAP"},
      {0, 1, "No\nTP\nIAP"},
      {1, 1, "keinen\nTP\nIAP"},
      {2, 255, "Není\nTP\nIAP"},
  };
  for (const Case& c : cases) {
    RecordingTarget t = applied(c.lang, c.byte515);
    EXPECT_EQ(t.last["items:RadioGroupTpsIap"], c.items) << c.lang << "/" << c.byte515;
  }
  // The control captions alone (sensors page refresh) carry the same rule.
  LanguageGuard guard(1);
  RecordingTarget t;
  q3::applyControlCaptions(t, 0);
  EXPECT_EQ(t.last["items:RadioGroupTpsIap"], "keinen\nTP\nIAP+Synchro IAP");
  EXPECT_EQ(t.firstIndexOfKind("menu"), -1);
  EXPECT_EQ(t.firstIndexOfKind("hint"), -1);
}

// The controls the window's caption list names, in the order they are applied.
TEST(TextTables, ControlCaptionTableHoldsTheListedControlsInOrder) {
  const char* listed[] = {"CheckBoxProgHned",
                          "LabelDwellCalibError",
                          "TabSheetRuzne",
                          "LabelLimiter",
                          "LabelSoftLimiter",
                          "LabelStartLimiterMin",
                          "LabelStartLimiter",
                          "LabelStartLimiterDelay",
                          "LabelRetard",
                          "GroupDwell",
                          "CheckBoxInNeutralSs",
                          "RadioGroupTpsIap",
                          "RadioGroupSensorServa",
                          "LabelKompenz",
                          "LabelDwellTime",
                          "LabelDwellCor",
                          "LabelDwellDyn",
                          "LabelDwellMaxTime",
                          "LabelDwellMaxRPMLobe",
                          "RadioGroupInput1",
                          "RadioGroupInput6",
                          "CheckBoxInverseInput1",
                          "GroupBoxPoti",
                          "LabelPotencRozsah",
                          "CheckBoxFourStrokeIgn",
                          "LabelFourStrokeIgn",
                          "GroupBoxAcc",
                          "LabelMap2Akcel",
                          "RadioGroupCidloLambdaMode",
                          "TabSheetBike",
                          "LabelBike",
                          "GroupBoxRpm",
                          "LabelRpmPulsu",
                          "LabelRpmKorekce",
                          "RadioGroupPickup1Polarita",
                          "RadioGroupPickup2Polarita",
                          "CheckBoxZamenaPickup",
                          "CheckBoxNehlidaPalec",
                          "CheckBoxCrossBlock",
                          "CheckBoxPredPalec",
                          "CheckBoxSpecStart",
                          "LabelSpecStartPerc",
                          "CheckBoxSpecDwellByStart",
                          "GroupBoxSpecial",
                          "LabelSynchro",
                          "LabelPocPalcu",
                          "LabelPocKanalu",
                          "GroupBoxPalec4",
                          "ComboBoxCh1",
                          "ComboBoxCh4",
                          "LabelPalec1Zac",
                          "LabelPalec4Zac",
                          "LabelPalec4End",
                          "LabelLobe",
                          "LabelHrana2",
                          "LabelSnimac2",
                          "LabelSnimac3",
                          "LabelSnimac4",
                          "TabSheetAdvance",
                          "LabelBaseAdv",
                          "CheckBoxServoEnable",
                          "CheckBoxServoProcenta",
                          "LabelServoHyster",
                          "LabelServoNo",
                          "RadioGroupPOut1",
                          "RadioGroupPOut3",
                          "TabSheet_Gear",
                          "RadioGroupGearSystem",
                          "LabelPocetGear",
                          "GroupBoxNapetiProGear",
                          "GroupBoxRpmSpeedProGear",
                          "GroupBoxMonAutoGear",
                          "LabelGearAutoTime",
                          "LabelGearAutoBand",
                          "LabelRpmSpeed",
                          "GroupBoxPulsuProSpeed",
                          "RadioGroupSpeedMode",
                          "RadioGroupClutchMode",
                          "GroupBoxClutch",
                          "LabelClutchPause1",
                          "LabelClutchPause2",
                          "LabelClutchMinRpm",
                          "LabelClutchAdv",
                          "GroupBoxClutchTime",
                          "LabelClutchTime",
                          "LabelQuickshiftTime",
                          "LabelClutchPause",
                          "GroupBoxGearKor",
                          "LabelGearKorAdv",
                          "LabelGearKorLimiter",
                          "CheckBoxGas",
                          "GroupBoxGas",
                          "LabelGas1",
                          "LabelGas2",
                          "LabelGasD",
                          "LabelRetardD",
                          "LabelGasT",
                          "LabelRetardT",
                          "GroupBoxRetard",
                          "LabelRetard1",
                          "LabelRetard2",
                          "LabelN2O_TPSmin",
                          "LabelN2O_Repeat",
                          "TabSheet_Ladeni",
                          "ButtonTestIgn4",
                          "GroupBoxTestIgn",
                          "LabelTestServo",
                          "ButtonTestRpm",
                          "LabelHourMeter",
                          "GroupBoxLambdaBar",
                          "LabelLambdaBar0",
                          "LabelLambdaBar3",
                          "GroupBoxProprietary"};
  std::vector<std::string> applied;
  for (const q3::TextEntry& e : q3::controlCaptionTable()) {
    applied.push_back(e.name);
    if (e.alsoName) applied.push_back(e.alsoName);
  }
  std::size_t at = 0;
  for (const char* name : listed) {
    auto it = std::find(applied.begin() + static_cast<std::ptrdiff_t>(at), applied.end(), name);
    ASSERT_NE(it, applied.end()) << name << " missing or out of order";
    at = static_cast<std::size_t>(it - applied.begin());
  }
}

TEST(TextTables, EveryEntryHasThreeVersionsAndNoTargetTwice) {
  const q3::TextTable tables[] = {q3::menuCaptionTable(), q3::hintTable(),
                                  q3::controlCaptionTable(), q3::fixedMenuCaptionTable()};
  std::set<std::string> seen;
  for (const q3::TextTable& table : tables)
    for (const q3::TextEntry& e : table) {
      for (const char* name : {e.name, e.alsoName}) {
        if (!name) continue;
        const std::string key = std::to_string(static_cast<int>(e.kind)) + name;
        EXPECT_TRUE(seen.insert(key).second) << name << " appears twice";
      }
      if (e.kind == q3::TextKind::Items && !e.text[0]) continue;  // the load-sensor list
      for (int lang = 0; lang < 3; ++lang)
        EXPECT_TRUE(e.text[lang] && *e.text[lang]) << e.name << " language " << lang;
    }
  EXPECT_EQ(q3::menuCaptionTable().size, 29u);
}

TEST(NamedTexts, FollowTheLanguageOfTheLastApply) {
  {
    LanguageGuard guard(2);
    q3::applyNamedTexts();
    q3::setLanguage(1);  // not applied yet: the table still holds Czech
    EXPECT_STREQ(q3::namedText(q3::NamedText::ComOffline), "COM &odpojen");
    RecordingTarget t;
    q3::applyTexts(t, 0);
    EXPECT_STREQ(q3::namedText(q3::NamedText::OpenFileError), "Fehler beim öffnen der Datei!");
    EXPECT_STREQ(q3::inputCaption(3), "Multifunktionseingang 3 (pin 30)");
  }
  struct Case {
    q3::NamedText name;
    int lang;
    const char* text;
  };
  const Case cases[] = {
      {q3::NamedText::Advance, 0, "Advance"},
      {q3::NamedText::UnmatchedVersion, 1,
       "Programm der Zündung ist nicht kompatibel mit dem Programm am PC!"},
      {q3::NamedText::ComAuto, 2, "COM &automaticky"},
      {q3::NamedText::Warning, 1, "Warning"},
      {q3::NamedText::Attention, 2, "Upozornění"},
      {q3::NamedText::Empty, 1, ""},
      {q3::NamedText::N2o, 2, "N2O"},
      {q3::NamedText::DifferentBikeQuestion, 1,
       "There is a different bike choosen in set software and in ignition unit,\n are you sure "
       "to reprogram it ?\n"},
      {q3::NamedText::CrossTransformation, 2, "MEZIDRUHOVA TRANSFORMACE ZAR SOUBORU !"},
  };
  for (const Case& c : cases) {
    LanguageGuard guard(c.lang);
    q3::applyNamedTexts();
    EXPECT_STREQ(q3::namedText(c.name), c.text);
    EXPECT_STREQ(q3::namedText(static_cast<int>(c.name)), c.text);
  }
  EXPECT_STREQ(q3::namedText(-1), "");
  EXPECT_STREQ(q3::namedText(q3::kNamedTextCount), "");
  EXPECT_STREQ(q3::inputCaption(0), "");
  EXPECT_STREQ(q3::inputCaption(7), "");
  EXPECT_STREQ(q3::namedTextVersion(q3::NamedText::Gear, 5), "Gear");
  // Every name except the empty one has a text in each language.
  for (int slot = 0; slot < q3::kNamedTextCount; ++slot)
    for (int lang = 0; lang < 3; ++lang) {
      if (slot == static_cast<int>(q3::NamedText::Empty)) continue;
      EXPECT_STRNE(q3::namedTextVersion(static_cast<q3::NamedText>(slot), lang), "")
          << "slot " << slot << " language " << lang;
    }
}

TEST(LanguageMenu, HandlersSetLanguageApplyTextsAndRefreshPage) {
  struct Case {
    const char* item;
    int lang;
  };
  const Case cases[] = {{"MenuEnglishClick", 0}, {"MenuGermanClick", 1}, {"MenuCzechClick", 2},
                        {"MenuFrenchClick", 0},  {"MenuGerman", 1},      {"MenuFrench", 0},
                        {"MenuGermanX", -1},     {"MenuOpen", -1},       {"", -1}};
  for (const Case& c : cases) EXPECT_EQ(q3::languageOfMenuItem(c.item), c.lang) << c.item;

  LanguageGuard guard(2);
  RecordingTarget t;
  q3::changeLanguage(q3::languageOfMenuItem("MenuFrenchClick"), t, 0);
  EXPECT_EQ(q3::language(), 0);
  EXPECT_EQ(t.last["checked:MenuEnglish"], "1");
  EXPECT_EQ(t.last["menu:MenuFile"], "&File");
  EXPECT_EQ(t.indexOf("step:activePage"), static_cast<int>(t.events.size()) - 1);
}

TEST(MenuShortcuts, KnownItemsHaveTheirKeysAndNoKeyIsUsedTwice) {
  EXPECT_STREQ(q3::menuShortcut("MenuNewPage"), "Ctrl+Alt+N");
  EXPECT_STREQ(q3::menuShortcut("MenuOpenPage"), "Shift+F3");
  EXPECT_STREQ(q3::menuShortcut("MenuProgram"), "F9");
  EXPECT_STREQ(q3::menuShortcut("MenuMonitorPlayer"), "Ctrl+M");
  EXPECT_EQ(q3::menuShortcut("MenuExit"), nullptr);
  EXPECT_EQ(q3::menuShortcut(nullptr), nullptr);
  std::size_t n = 0;
  const q3::MenuShortcut* all = q3::menuShortcuts(&n);
  std::set<std::string> keys;
  for (std::size_t i = 0; i < n; ++i) EXPECT_TRUE(keys.insert(all[i].keys).second) << all[i].keys;
  EXPECT_EQ(n, 18u);
}

}  // namespace
