// The text tables of the main window and the apply-texts operation.
#include "text/ui_texts.h"

#include <cstring>
#include <initializer_list>

#include "text/input_captions.h"
#include "text/mstring.h"
#include "text/named_texts.h"

namespace q3 {
namespace {

using K = TextKind;
constexpr auto& IC = detail::kInputCaptionTexts;
constexpr const char* INV[3] = {"Inverse polarity", "Umgekehrte Polarität", "Opačná polarita"};
constexpr const char* CHANNELS[3] = {"Channel 1\nChannel 2\nChannel 3\nChannel 4",
                                     "Kanal 1\nKanal 2\nKanal 3\nKanal 4",
                                     "Kanál 1\nKanál 2\nKanál 3\nKanál 4"};
constexpr const char* MAX_EDGE[3] = {"Max. advance edge", "Flanke max. Vorzündung",
                                     "Hrana max. předstihu"};
constexpr const char* START_EDGE[3] = {"Start advance edge", "Flanke Startvorzündung",
                                       "Hrana startovacího předstihu"};

// Menu captions. The buttons take the captions of the menu items they share
// a handler with.
constexpr TextEntry kMenuCaptions[] = {
    {K::MenuCaption, "MenuFile", nullptr, {"&File", "&Datei", "&Soubor"}},
    {K::MenuCaption, "MenuNew", nullptr, {"&New", "&Neu", "&Nový"}},
    {K::MenuCaption,
     "MenuNewPage",
     nullptr,
     {"&New for actual page", "&Neu für aktual Seite", "&Nový pro aktuální záložku"}},
    {K::MenuCaption, "MenuOpen", nullptr, {"&Open", "&Öffnen", "&Otevřít"}},
    {K::MenuCaption,
     "MenuOpenExeDir",
     nullptr,
     {"Open from exe dir", "Öffnen aus exe dir", "Otevřít z exe dir"}},
    {K::MenuCaption,
     "MenuOpenPage",
     nullptr,
     {"Open for actual page", "Öffnen für aktual Seite", "&Otevřít pro aktuální záložku"}},
    {K::MenuCaption, "MenuSave", nullptr, {"&Save", "&Speichern", "&Uložit"}},
    {K::MenuCaption,
     "MenuSaveExeDir",
     nullptr,
     {"Save to exe dir", "Speichern in exe dir", "Uložit do exe dir"}},
    {K::MenuCaption, "MenuPrint", nullptr, {"&Print", "&Drucken", "&Tisk"}},
    {K::MenuCaption, "MenuPrintAll", nullptr, {"Print all", "Drucken alles", "Tisk vše"}},
    {K::MenuCaption, "MenuExit", nullptr, {"E&xit", "&Beenden", "&Konec"}},
    {K::MenuCaption, "MenuCom", nullptr, {"&Com", "&COM-Anschluß", "&Port"}},
    {K::MenuCaption, "MenuDevice", nullptr, {"&Ignition", "&Zündung", "&Zapalování"}},
    {K::MenuCaption, "MenuRead", "ButtonRead", {"&Read", "&Lesen", "Čí&st"}},
    {K::MenuCaption, "MenuVerify", "ButtonVerify", {"&Verify", "&Vergleichen", "&Verifikovat"}},
    {K::MenuCaption,
     "MenuProgram",
     "ButtonProgram",
     {"&Program", "&Programmieren", "&Programovat"}},
    {K::MenuCaption, "MenuTools", nullptr, {"Tools", "Werkzeuge", "Pomůcky"}},
    {K::MenuCaption, "MenuAdvanceMinus", nullptr, {"Advance -", "Vorzündung -", "Předstih -"}},
    {K::MenuCaption, "MenuAdvancePlus", nullptr, {"Advance +", "Vorzündung +", "Předstih +"}},
    {K::MenuCaption, "MenuZpet", nullptr, {"Undo", "Zurück", "Zpet"}},
    {K::MenuCaption, "MenuZnovu", nullptr, {"Redo", "Wieder", "Znovu"}},
    {K::MenuCaption,
     "MenuMonitorPlayer",
     nullptr,
     {"Monitor player", "Monitor-Player", "Přehrávač monitoru"}},
    {K::MenuCaption, "MenuLanguage", nullptr, {"&Language", "&Sprache", "&Jazyk"}},
    {K::MenuCaption,
     "MenuEnglish",
     nullptr,
     {"&English", "&Englisch - English", "&Anglicky - English"}},
    {K::MenuCaption,
     "MenuGerman",
     nullptr,
     {"&German - Deutsch", "&Deutsch", "&Německy - Deutsch"}},
    {K::MenuCaption, "MenuCzech", nullptr, {"&Czech - Česky", "&Tschechisch - Česky", "Če&sky"}},
    {K::MenuCaption, "MenuHelp", nullptr, {"&Help", "&Hilfe", "Nápověda"}},
    {K::MenuCaption, "MenuContens", nullptr, {"&Contents...", "&Inhalt...", "Obsah"}},
    {K::MenuCaption, "MenuAbout", nullptr, {"&About...", "&Über Programm...", "&O programu..."}},
};

// Menu items whose captions are the same in every language.
constexpr TextEntry kFixedMenuCaptions[] = {
    {K::MenuCaption,
     "MenuSaveVersion",
     nullptr,
     {"Quicksave version", "Quicksave version", "Quicksave version"}},
    {K::MenuCaption, "MenuReset", nullptr, {"&Reset", "&Reset", "&Reset"}},
    {K::MenuCaption, "MenuUpdate", nullptr, {"&Update", "&Update", "&Update"}},
    {K::MenuCaption, "MenuServis", nullptr, {"Servis", "Servis", "Servis"}},
    {K::MenuCaption, "MenuSaveAllNew", nullptr, {"Save All New", "Save All New", "Save All New"}},
    {K::MenuCaption,
     "MenuCompareAll",
     nullptr,
     {"Compare All New", "Compare All New", "Compare All New"}},
};

constexpr TextEntry kHints[] = {
    {K::Hint,
     "LabelVerze1",
     nullptr,
     {"Version of program in ignition", "Programmverion der Zündung",
      "Verze programu v zapalování"}},
    {K::Hint,
     "LabelVerze2",
     nullptr,
     {"Date of program in ignition", "Datum des Programm in der Zündung",
      "Datum zhotovení programu v zapalování"}},
    {K::Hint,
     "LabelVerze3",
     nullptr,
     {"Time of program in ignition", "Programmierzeitpunkt der Zündung",
      "Čas zhotovení programu v zapalování"}},
    {K::Hint,
     "SpeedButtonOpen",
     "MenuOpen",
     {"Open file with parametrs", "Kenndatendatei öffnen", "Otevření souboru s parametry"}},
    {K::Hint,
     "SpeedButtonNew",
     nullptr,
     {"Set default parametrs", "Neue Kenndatendatei erstellen", "Nastavení výchozích parametrů"}},
    {K::Hint,
     "SpeedButtonSave",
     "MenuSave",
     {"Save parametrs to file", "Kenndaten in Datei speichern", "Uložení parametrů do souboru"}},
    {K::Hint,
     "SpeedButtonPrint",
     "MenuPrint",
     {"Print parametrs", "Kenndaten Drucken", "Tisk parametrů"}},
    {K::Hint,
     "ButtonProgram",
     "MenuProgram",
     {"Programing  set parametrs to ignition", "Kenndaten in die Zündung programmieren",
      "Programování nastavených parametrů do zapalování"}},
    {K::Hint,
     "ButtonVerify",
     "MenuVerify",
     {"Compare set parametrs  with parametrs of ignition",
      "Kenndaten mit Zündungskenndaten vergleichen",
      "Ověření zda  nastavené parametry souhlasí s parametry naprogramovanými do zapalování"}},
    {K::Hint,
     "ButtonRead",
     "MenuRead",
     {"Reading parametrs from ignition", "Kenndaten aus Zündung lesen",
      "Čtení parametrů ze zapalování"}},
    {K::Hint,
     "MenuNew",
     nullptr,
     {"Set default parameters ", "Neue Kenndatendatei erstellen", "Nastavení výchozích parametrů"}},
    {K::Hint, "MenuExit", nullptr, {"End of program", "Programm beenden", "Ukončení programu"}},
    {K::Hint,
     "MenuLanguage",
     nullptr,
     {"Set LNG_ENGLISH or German or Czech ", "wählen sie Englisch, LNG_DEUTSCH oder Tschechisch ",
      "Nastavení jazyka na angličtinu, němčinu nebo češtinu "}},
    {K::Hint,
     "MenuEnglish",
     nullptr,
     {"Set LNG_ENGLISH menu", "Set LNG_ENGLISH menu", "Set LNG_ENGLISH menu"}},
    {K::Hint,
     "MenuGerman",
     nullptr,
     {"LNG_DEUTSCHes Menü", "LNG_DEUTSCHes Menü", "LNG_DEUTSCHes Menü"}},
    {K::Hint,
     "MenuCzech",
     nullptr,
     {"Nastavit české menu", "Nastavit české menu", "Nastavit české menu"}},
    {K::Hint,
     "CheckBoxProgHned",
     nullptr,
     {"Programing at once after change", "Programmmieren sofort nach dem änderung",
      "Programování ihned po změně"}},
    {K::Hint,
     "MenuCom",
     nullptr,
     {"Set number of com", "Com-Anschluß festlegen", "Nastavení čísla serivého portu (Com) "}},
};

// Control captions and item lists, in the order they are applied.
constexpr TextEntry kControlCaptions[] = {
    {K::Caption,
     "CheckBoxProgHned",
     nullptr,
     {"Programming after change", "Programmierung nach Änderung", "Programování po změně"}},
    {K::Caption,
     "LabelDwellCalibError",
     nullptr,
     {"Dwell calibration error!", "Fehler der Schließzeitkalibrierung!",
      "Chyba kalibrace buzení!"}},
    {K::Caption, "TabSheetRuzne", nullptr, {"Miscellaneous", "Verschiedene", "Různé"}},
    {K::Caption, "LabelLimiter", nullptr, {"Limiter [rpm]", "Begrenzer [rpm]", "Omezovač [rpm]"}},
    {K::Caption,
     "LabelSoftLimiter",
     nullptr,
     {"Soft limiter [rpm]", "Weicher Begrenzer [rpm]", "Měkký omezovač [rpm]"}},
    {K::Caption,
     "LabelStartLimiterMin",
     nullptr,
     {"Start limiter min. [rpm]", "Startbegrenzer min. [rpm]", "Startovací omezovač min. [rpm]"}},
    {K::Caption,
     "LabelStartLimiter",
     nullptr,
     {"Start limiter [rpm]", "Startbegrenzer [rpm]", "Startovací omezovač [rpm]"}},
    {K::Caption,
     "LabelStartLimiterDelay",
     nullptr,
     {"Start limiter delay [ms]", "Startbegrenzer Verzögerung [ms]",
      "Zpoždění startovacího omezovače [ms]"}},
    {K::Caption,
     "LabelRetard",
     nullptr,
     {"Retard [°]", "Spätzündung [°]", "Snížení předstihu [°]"}},
    {K::Caption, "GroupDwell", nullptr, {"Dwell", "Schließzeit", "Buzení"}},
    {K::Caption,
     "CheckBoxInNeutralSs",
     nullptr,
     {"Inputs for neutral side and stand ", "Eingänge für Leerlauf und Seitenständer ",
      "Vstupy pro neutrál a boční stojan "}},
    {K::Caption, "RadioGroupTpsIap", nullptr, {"Load sensor", "Lastsensor", "Snímač zatížení"}},
    {K::Items, "RadioGroupTpsIap", nullptr, {nullptr, nullptr, nullptr}},  // by byte 515
    {K::Caption, "RadioGroupSensorServa", nullptr, {"Servo sensor", "Servosensor", "Snímač serva"}},
    {K::Caption, "LabelKompenz", nullptr, {"Compensation", "Kompensation", "Kompenzace"}},
    {K::Caption,
     "LabelDwellTime",
     nullptr,
     {"Dwell time [us]", "Anfachung Zeit [us]", "Čas buzení [us]"}},
    {K::Caption,
     "LabelDwellCor",
     nullptr,
     {"Dwell correction[%]", "Schließzeitkorrektur[%]", "Korekce buzení[%]"}},
    {K::Caption,
     "LabelDwellDyn",
     nullptr,
     {"Dynamic addition of dwell [%]", "Dynamische Schließzeitzugabe [%]",
      "Dynamické přidání buzení [%]"}},
    {K::Caption,
     "LabelDwellMaxTime",
     nullptr,
     {"Max dwell time [us]", "Max. Schließzeit [us]", "Max. čas buzení [us]"}},
    {K::Caption,
     "LabelDwellMaxRPMLobe",
     nullptr,
     {"Max rpm for lobe dwell [rpm]", "Max. Drehzahl für Schließzeit vom Leitstück [rpm]",
      "Max. otáčky pro buzení od palce [rpm]"}},
    // The six multifunction inputs and their inverse-polarity boxes.
    {K::Caption, "RadioGroupInput1", nullptr, {IC[0][0], IC[0][1], IC[0][2]}},
    {K::Caption, "RadioGroupInput2", nullptr, {IC[1][0], IC[1][1], IC[1][2]}},
    {K::Caption, "RadioGroupInput3", nullptr, {IC[2][0], IC[2][1], IC[2][2]}},
    {K::Caption, "RadioGroupInput4", nullptr, {IC[3][0], IC[3][1], IC[3][2]}},
    {K::Caption, "RadioGroupInput5", nullptr, {IC[4][0], IC[4][1], IC[4][2]}},
    {K::Caption, "RadioGroupInput6", nullptr, {IC[5][0], IC[5][1], IC[5][2]}},
    {K::Caption, "CheckBoxInverseInput1", nullptr, {INV[0], INV[1], INV[2]}},
    {K::Caption, "CheckBoxInverseInput2", nullptr, {INV[0], INV[1], INV[2]}},
    {K::Caption, "CheckBoxInverseInput3", nullptr, {INV[0], INV[1], INV[2]}},
    {K::Caption, "CheckBoxInverseInput4", nullptr, {INV[0], INV[1], INV[2]}},
    {K::Caption, "CheckBoxInverseInput5", nullptr, {INV[0], INV[1], INV[2]}},
    {K::Caption, "CheckBoxInverseInput6", nullptr, {INV[0], INV[1], INV[2]}},
    {K::Caption, "GroupBoxPoti", nullptr, {"Potentiometer", "Potentiometer", "Potenciometr"}},
    {K::Caption, "LabelPotencRozsah", nullptr, {"Range - + ", "Bereich - + ", "Rozsah - + "}},
    {K::Caption,
     "CheckBoxFourStrokeIgn",
     nullptr,
     {"Four stroke ignition", "Viertakt-Zündung", "Čtyřtaktní zapalování"}},
    {K::Caption, "LabelFourStrokeIgn", nullptr, {"Four stroke:", "Viertakt:", "Čtyřtakt:"}},
    {K::Caption,
     "GroupBoxAcc",
     nullptr,
     {"Acceleration switch of advance map", "Mappenumschaltung durch Beschleunigung",
      "Přepnutí mapy předstihu akcelerací"}},
    {K::Caption,
     "LabelMap2Akcel",
     nullptr,
     {"Acceleration for 2nd map [rpm/s]", "Beschleunigung für 2. Mappe [rpm/s]",
      "Akcelerace pro 2. mapu [rpm/s]"}},
    {K::Caption, "RadioGroupCidloLambdaMode", nullptr, {"Type", "Typ", "Typ"}},
    {K::Caption, "TabSheetBike", nullptr, {"Bike", "Motorrad", "Motocykl"}},
    {K::Caption, "LabelBike", nullptr, {"Bike:", "Motorrad:", "Motocykl:"}},
    {K::Caption, "GroupBoxRpm", nullptr, {"Rev counter", "Drehzahlmesser", "Otáčkoměr"}},
    {K::Caption,
     "LabelRpmPulsu",
     nullptr,
     {"Pulses per revolution", "Impulse pro Umdrehung", "Pulzů na otáčku"}},
    {K::Caption, "LabelRpmKorekce", nullptr, {"Correction [%]", "Korrektur [%]", "Korekce [%]"}},
    {K::Caption,
     "RadioGroupPickup1Polarita",
     nullptr,
     {"Pick-up 1 polarity", "Geber 1 Polarität", "Polarita snímače 1"}},
    {K::Caption,
     "RadioGroupPickup2Polarita",
     nullptr,
     {"Pick-up 2 polarity", "Geber 2 Polarität", "Polarita snímače 2"}},
    {K::Caption,
     "CheckBoxZamenaPickup",
     nullptr,
     {"Pick-ups interchange", "Geber vertauschen", "Záměna snímačů"}},
    {K::Caption,
     "CheckBoxNehlidaPalec",
     nullptr,
     {"No polarity check", "Keine Polaritätsprüfung", "Nehlídat polaritu"}},
    {K::Caption,
     "CheckBoxCrossBlock",
     nullptr,
     {"Interlock input", "Verriegelungseingang", "Blokovací vstup"}},
    {K::Caption,
     "CheckBoxPredPalec",
     nullptr,
     {"Spark before lobe", "Zündfunke vor Leitstück", "Jiskra před palcem"}},
    {K::Caption,
     "CheckBoxSpecStart",
     nullptr,
     {"Lower advance at start", "Niedrigere Vorzündung beim Start", "Nižší předstih při startu"}},
    {K::Caption, "LabelSpecStartPerc", nullptr, {"Percentage [%]", "Prozent [%]", "Procento [%]"}},
    {K::Caption,
     "CheckBoxSpecDwellByStart",
     nullptr,
     {"Special dwell at start", "Spezielle Schließzeit beim Start", "Speciální buzení při startu"}},
    {K::Caption,
     "GroupBoxSpecial",
     nullptr,
     {"Special setting", "Sonderstellung", "Speciální nastavení"}},
    {K::Caption, "LabelSynchro", nullptr, {"Trigger system", "Gebersystem", "Systém snímání"}},
    {K::Caption,
     "LabelPocPalcu",
     nullptr,
     {"Number of lobes", "Anzahl der Leitstücke", "Počet palců"}},
    {K::Caption,
     "LabelPocKanalu",
     nullptr,
     {"Number of channels", "Anzahl der Kanäle", "Počet kanálů"}},
    {K::Caption, "GroupBoxPalec1", nullptr, {"Channel 1", "Kanal 1", "Kanál 1"}},
    {K::Caption, "GroupBoxPalec2", nullptr, {"Channel 2", "Kanal 2", "Kanál 2"}},
    {K::Caption, "GroupBoxPalec3", nullptr, {"Channel 3", "Kanal 3", "Kanál 3"}},
    {K::Caption, "GroupBoxPalec4", nullptr, {"Channel 4", "Kanal 4", "Kanál 4"}},
    {K::Items, "ComboBoxCh1", "ComboBoxCh2", {CHANNELS[0], CHANNELS[1], CHANNELS[2]}},
    {K::Items, "ComboBoxCh3", "ComboBoxCh4", {CHANNELS[0], CHANNELS[1], CHANNELS[2]}},
    {K::Caption, "LabelPalec1Zac", "LabelPalec2Zac", {MAX_EDGE[0], MAX_EDGE[1], MAX_EDGE[2]}},
    {K::Caption, "LabelPalec3Zac", "LabelPalec4Zac", {MAX_EDGE[0], MAX_EDGE[1], MAX_EDGE[2]}},
    {K::Caption, "LabelPalec1End", "LabelPalec2End", {START_EDGE[0], START_EDGE[1], START_EDGE[2]}},
    {K::Caption, "LabelPalec3End", "LabelPalec4End", {START_EDGE[0], START_EDGE[1], START_EDGE[2]}},
    {K::Caption, "LabelLobe", nullptr, {"Lobe", "Leitstück", "Palec"}},
    {K::Caption, "LabelHrana2", nullptr, {"2nd Edge", "2. Flanke", "2. hrana"}},
    {K::Caption, "LabelSnimac2", nullptr, {"2nd Pick-up", "2. Geber", "2. snímač"}},
    {K::Caption, "LabelSnimac3", nullptr, {"Full Sync.", "Volle Synchr.", "Plná synch."}},
    {K::Caption, "LabelSnimac4", nullptr, {"2nd turn", "2. Umdrehung", "2. otáčka"}},
    {K::Caption, "TabSheetSensors", nullptr, {"Sensors", "Sensoren", "Snímače"}},
    {K::Caption, "TabSheetAdvance", nullptr, {"Advance Map", "Vorzündungsmappe", "Mapa předstihu"}},
    {K::Caption,
     "LabelBaseAdv",
     nullptr,
     {"Base advance [°]", "Grundvorzündung [°]", "Základní předstih [°]"}},
    {K::Caption, "TabSheetPOut", nullptr, {"Power out", "Leistungsausgänge", "Výkonové výstupy"}},
    {K::Caption, "TabSheetServo", nullptr, {"Servo", "Servo", "Servo"}},
    {K::Caption, "CheckBoxServoEnable", nullptr, {"Servo enable", "Servo aktiv", "Servo povoleno"}},
    {K::Caption, "CheckBoxServoProcenta", nullptr, {"Percent", "Prozent", "Procenta"}},
    {K::Caption, "LabelServoHyster", nullptr, {"1/P [mV]", "1/P [mV]", "1/P [mV]"}},
    {K::Caption, "LabelServoNo", nullptr, {"Off [mV]", "Aus [mV]", "Vypnuto [mV]"}},
    {K::Caption,
     "RadioGroupPOut1",
     nullptr,
     {"Power out 1 (pin 16)", "Power out 1 (pin 16)", "Power out 1 (pin 16)"}},
    {K::Caption,
     "RadioGroupPOut2",
     nullptr,
     {"Power out 2 (pin 17)", "Power out 2 (pin 17)", "Power out 2 (pin 17)"}},
    {K::Caption,
     "RadioGroupPOut3",
     nullptr,
     {"Power out 3 (pin 14)", "Power out 3 (pin 14)", "Power out 3 (pin 14)"}},
    {K::Caption, "TabSheet_Gear", nullptr, {"Gear", "Gang", "Převody"}},
    {K::Caption,
     "RadioGroupGearSystem",
     nullptr,
     {"determining of gear", "Gangbestimmung", "Určení převodového stupně"}},
    {K::Items,
     "RadioGroupGearSystem",
     nullptr,
     {"No\nVoltage\nRatio Rpm Speed\nAutomat (Ratio Rpm Speed)",
      "Nein\nSpannung\nVerhältnis Drehzahl Tempo\nAutomat (Verhältnis Drehzahl Tempo)",
      "Ne\nNapětí\nPoměr otáčky rychlost\nAutomat (poměr otáčky rychlost)"}},
    {K::Caption,
     "LabelPocetGear",
     nullptr,
     {"Number of gear", "Anzahl der Gänge", "Počet převodových stupňů"}},
    {K::Caption,
     "GroupBoxNapetiProGear",
     nullptr,
     {"Setting voltage of Gears", "Einstellung der Gangspannungen",
      "Nastavení napětí převodových stupňů"}},
    {K::Caption,
     "GroupBoxRpmSpeedProGear",
     nullptr,
     {"Ratio Rpm / Speed", "Verhältnis Drehzahl / Tempo", "Poměr otáčky / rychlost"}},
    {K::Caption,
     "GroupBoxMonAutoGear",
     nullptr,
     {"Automatic from ratio rpm speed ", "Automatisch aus Verhältnis Drehzahl Tempo ",
      "Automaticky z poměru otáčky rychlost "}},
    {K::Caption, "LabelGearAutoTime", nullptr, {"Learning time", "Lernzeit", "Doba učení"}},
    {K::Caption, "LabelGearAutoBand", nullptr, {"Band", "Band", "Pásmo"}},
    {K::Caption,
     "LabelRpmSpeed",
     nullptr,
     {"Rpm / Speed", "Drehzahl / Tempo", "Otáčky / rychlost"}},
    {K::Caption,
     "GroupBoxPulsuProSpeed",
     nullptr,
     {"Setting of speedometer", "Einstellung des Tachometers", "Nastavení rychloměru"}},
    {K::Items,
     "RadioGroupSpeedMode",
     nullptr,
     {"Pulse over 1s for 100 km/hod\nDistance for pulse [mm]",
      "Impulse in 1s bei 100 km/h\nStrecke pro Impuls [mm]",
      "Pulzů za 1s při 100 km/hod\nVzdálenost na pulz [mm]"}},
    {K::Caption, "TabSheet_Race", nullptr, {"Race", "Rennen", "Závod"}},
    {K::Caption,
     "RadioGroupClutchMode",
     nullptr,
     {"Quickshift mode", "Schaltautomat Modus", "Režim quickshiftu"}},
    {K::Items,
     "RadioGroupClutchMode",
     nullptr,
     {"No ignition\nRetard", "Keine Zündung\nSpätzündung", "Bez zápalu\nSnížení předstihu"}},
    {K::Caption,
     "GroupBoxClutch",
     nullptr,
     {"Quickshift - various", "Schaltautomat - Verschiedenes", "Quickshift - různé"}},
    {K::Caption, "LabelClutchPause1", nullptr, {"Pause #1 [ms]", "Pause #1 [ms]", "Pauza #1 [ms]"}},
    {K::Caption, "LabelClutchPause2", nullptr, {"Pause #2 [ms]", "Pause #2 [ms]", "Pauza #2 [ms]"}},
    {K::Caption,
     "LabelClutchMinRpm",
     nullptr,
     {"Min. rpm [rpm]", "Min. Drehzahl [rpm]", "Min. otáčky [rpm]"}},
    {K::Caption, "LabelClutchAdv", nullptr, {"Advance [°]", "Vorzündung [°]", "Předstih [°]"}},
    {K::Caption,
     "GroupBoxClutchTime",
     nullptr,
     {"Setting according gear", "Einstellung nach Gang", "Nastavení podle převodového stupně"}},
    {K::Caption,
     "LabelClutchTime",
     nullptr,
     {"Cut time [ms]", "Unterbrechungszeit [ms]", "Doba přerušení [ms]"}},
    {K::Caption,
     "LabelQuickshiftTime",
     nullptr,
     {"Quickshift time", "Schaltautomat Zeit", "Čas quickshiftu"}},
    {K::Caption, "LabelClutchPause", nullptr, {"Pause [ms]", "Pause [ms]", "Pauza [ms]"}},
    {K::Caption,
     "GroupBoxGearKor",
     nullptr,
     {"Correction per gear", "Korrektur pro Gang", "Korekce podle převodového stupně"}},
    {K::Caption, "LabelGearKorAdv", nullptr, {"Advance [°]", "Vorzündung [°]", "Předstih [°]"}},
    {K::Caption,
     "LabelGearKorLimiter",
     nullptr,
     {"Limiter [rpm]", "Begrenzer [rpm]", "Omezovač [rpm]"}},
    {K::Caption, "TabSheet_N2O", nullptr, {"N2O", "N2O", "N2O"}},
    {K::Caption, "CheckBoxGas", nullptr, {"N2O enable", "N2O aktiv", "N2O povoleno"}},
    {K::Caption, "GroupBoxGas", nullptr, {"N2O gas", "N2O Gas", "N2O plyn"}},
    {K::Caption, "LabelGas1", nullptr, {"Gas 1 [%]", "Gas 1 [%]", "Plyn 1 [%]"}},
    {K::Caption, "LabelGas2", nullptr, {"Gas 2 [%]", "Gas 2 [%]", "Plyn 2 [%]"}},
    {K::Caption, "LabelGasD", "LabelRetardD", {"Delay [ms]", "Verzögerung [ms]", "Zpoždění [ms]"}},
    {K::Caption,
     "LabelGasT",
     "LabelRetardT",
     {"Build-up time [ms]", "Anstiegszeit [ms]", "Doba náběhu [ms]"}},
    {K::Caption, "GroupBoxRetard", nullptr, {"Retard", "Spätzündung", "Snížení předstihu"}},
    {K::Caption,
     "LabelRetard1",
     nullptr,
     {"Retard 1 [°]", "Spätzündung 1 [°]", "Snížení předstihu 1 [°]"}},
    {K::Caption,
     "LabelRetard2",
     nullptr,
     {"Retard 2 [°]", "Spätzündung 2 [°]", "Snížení předstihu 2 [°]"}},
    {K::Caption,
     "LabelN2O_RPMmin",
     nullptr,
     {"Min. rpm [rpm]", "Min. Drehzahl [rpm]", "Min. otáčky [rpm]"}},
    {K::Caption,
     "LabelN2O_TPSmin",
     nullptr,
     {"Min. throttle [%]", "Min. Drosselklappe [%]", "Min. otevření škrticí klapky [%]"}},
    {K::Caption,
     "LabelN2O_Repeat",
     nullptr,
     {"Repetition rate", "Wiederholrate", "Četnost opakování"}},
    {K::Caption, "TabSheet_Ladeni", nullptr, {"Test", "Test", "Ladění"}},
    {K::Caption, "ButtonTestIgn1", nullptr, {"Ignition 1", "Zündung 1", "Zapalování 1"}},
    {K::Caption, "ButtonTestIgn2", nullptr, {"Ignition 2", "Zündung 2", "Zapalování 2"}},
    {K::Caption, "ButtonTestIgn3", nullptr, {"Ignition 3", "Zündung 3", "Zapalování 3"}},
    {K::Caption, "ButtonTestIgn4", nullptr, {"Ignition 4", "Zündung 4", "Zapalování 4"}},
    {K::Caption, "GroupBoxTestIgn", nullptr, {"Ignition", "Zündung", "Zapalování"}},
    {K::Caption, "LabelTestServo", nullptr, {"Time [ms]", "Zeit [ms]", "Čas [ms]"}},
    {K::Caption, "ButtonTestRpm", nullptr, {"Rpm test", "Drehzahltest", "Test otáček"}},
    {K::Caption,
     "LabelHourMeter",
     nullptr,
     {"Hour meter", "Betriebsstundenzähler", "Počítadlo motohodin"}},
    {K::Caption,
     "GroupBoxLambdaBar",
     nullptr,
     {"Setting of Lambda bar graph", "Einstellung von Lambda Bargraph",
      "Nastavení pro Lamba graf"}},
    {K::Caption, "LabelLambdaBar0", nullptr, {"Beginning", "Anfang", "Začátek"}},
    {K::Caption, "LabelLambdaBar3", nullptr, {"Ending", "Ende", "Konec"}},
    {K::Caption,
     "GroupBoxProprietary",
     nullptr,
     {"Proprietary settings", "Proprietäre Einstellungen", "Proprietární nastavení"}},
    // The monitor's groups and buttons on the Test page and in the player.
    {K::Caption, "GroupBoxTestRpm", nullptr, {"Rpm", "Drehzahl", "Otáčky"}},
    {K::Caption, "GroupBoxTestServo", nullptr, {"Servo", "Servo", "Servo"}},
    {K::Caption, "ButtonTestServoPlus", nullptr, {"Servo +", "Servo +", "Servo +"}},
    {K::Caption, "ButtonTestServoMinus", nullptr, {"Servo -", "Servo -", "Servo -"}},
    {K::Caption, "GroupBoxTestSmes", nullptr, {"Power out", "Leistungsausgang", "Výkonový výstup"}},
    {K::Caption, "GroupBoxUnitCounters", nullptr, {"Unit", "Zündung", "Zapalování"}},
    {K::Caption, "GroupBoxLiveValues", nullptr, {"Live values", "Live-Werte", "Aktuální hodnoty"}},
    {K::Caption,
     "GroupBoxPlayer",
     nullptr,
     {"Monitor player", "Monitor-Player", "Přehrávač monitoru"}},
    {K::Caption, "ButtonLogView", nullptr, {"Log view", "Log-Ansicht", "Graf záznamu"}},
    {K::Caption,
     "ButtonLogCsv",
     nullptr,
     {"Export CSV...", "CSV exportieren...", "Export do CSV..."}},
};

// Item lists of RadioGroupTpsIap: [servo sensor set][language].
constexpr const char* kLoadSensorItems[2][3] = {
    {"No\nTP\nIAP+Synchro IAP", "keinen\nTP\nIAP+Synchro IAP", "Není\nTP\nIAP+Synchro IAP"},
    {"No\nTP\nIAP", "keinen\nTP\nIAP", "Není\nTP\nIAP"},
};

constexpr MenuShortcut kShortcuts[] = {
    {"MenuNew", "Ctrl+N"},
    {"MenuNewPage", "Ctrl+Alt+N"},
    {"MenuOpen", "F3"},
    {"MenuOpenExeDir", "Ctrl+F3"},
    {"MenuOpenPage", "Shift+F3"},
    {"MenuSave", "F2"},
    {"MenuSaveExeDir", "Ctrl+F2"},
    {"MenuSaveVersion", "Shift+F2"},
    {"MenuPrint", "Ctrl+P"},
    {"MenuRead", "F7"},
    {"MenuVerify", "F8"},
    {"MenuProgram", "F9"},
    {"MenuAdvanceMinus", "F4"},
    {"MenuAdvancePlus", "F5"},
    {"MenuZpet", "Ctrl+Z"},
    {"MenuZnovu", "Ctrl+Alt+Z"},
    {"MenuMonitorPlayer", "Ctrl+M"},
    {"MenuContens", "F1"},
};

template <std::size_t N>
constexpr TextTable table(const TextEntry (&e)[N]) {
  return TextTable{e, N};
}

int validLanguage(int lang) { return lang >= 0 && lang <= 2 ? lang : 0; }

// One entry in three moves: the three versions into the working slots, the
// current language's slot taken, written to the target(s).
void applyEntry(TextTarget& t, const TextEntry& e, int lang) {
  const char* slots[3] = {e.text[0], e.text[1], e.text[2]};
  const char* text = slots[lang];
  if (!text || !*text) text = slots[0];
  switch (e.kind) {
    case TextKind::MenuCaption:
      t.setMenuCaption(e.name, text);
      // The button that shares the item's handler takes its caption.
      if (e.alsoName) t.setCaption(e.alsoName, text);
      return;
    case TextKind::Hint:
      for (const char* name : {e.name, e.alsoName})
        if (name) t.setHint(name, text);
      return;
    case TextKind::Caption:
      for (const char* name : {e.name, e.alsoName})
        if (name) t.setCaption(name, text);
      return;
    case TextKind::Items:
      for (const char* name : {e.name, e.alsoName})
        if (name) t.setItems(name, text);
      return;
  }
}

}  // namespace

TextTable menuCaptionTable() { return table(kMenuCaptions); }
TextTable hintTable() { return table(kHints); }
TextTable fixedMenuCaptionTable() { return table(kFixedMenuCaptions); }
TextTable controlCaptionTable() { return table(kControlCaptions); }

const char* entryText(const TextEntry& e, int lang) {
  const char* text = e.text[validLanguage(lang)];
  return text && *text ? text : e.text[0];
}

const char* loadSensorItems(int servoSensorByte, int lang) {
  return kLoadSensorItems[servoSensorByte != 0 ? 1 : 0][validLanguage(lang)];
}

void applyControlCaptions(TextTarget& t, int servoSensorByte) {
  const int lang = validLanguage(language());
  for (const TextEntry& e : kControlCaptions) {
    if (e.kind == TextKind::Items && !e.text[0])
      t.setItems(e.name, loadSensorItems(servoSensorByte, lang));
    else
      applyEntry(t, e, lang);
  }
}

void applyTexts(TextTarget& t, int servoSensorByte) {
  const int lang = validLanguage(language());
  // 1. Named texts.
  applyNamedTexts();
  // 2. Menu captions; MenuPrintAll is hidden in the window design and shown
  //    by its caption. Then the check mark of the current language.
  for (const TextEntry& e : kFixedMenuCaptions) applyEntry(t, e, lang);
  for (const TextEntry& e : kMenuCaptions) {
    applyEntry(t, e, lang);
    if (std::strcmp(e.name, "MenuPrintAll") == 0) t.setVisible("MenuPrintAll", true);
  }
  t.setChecked("MenuEnglish", lang == 0);
  t.setChecked("MenuGerman", lang == 1);
  t.setChecked("MenuCzech", lang == 2);
  // 3. Hints.
  for (const TextEntry& e : kHints) applyEntry(t, e, lang);
  // 4. Window caption, control captions, status-message texts, monitor.
  t.refreshWindowCaption();
  applyControlCaptions(t, servoSensorByte);
  t.reselectStatusTexts();
  t.refreshMonitor();
}

void changeLanguage(int lang, TextTarget& t, int servoSensorByte) {
  setLanguage(lang);
  applyTexts(t, servoSensorByte);
  t.refreshActivePage();
}

int languageOfMenuItem(const char* name) {
  if (!name) return -1;
  struct Item {
    const char* name;
    int lang;
  };
  static constexpr Item kItems[] = {
      {"MenuEnglish", 0}, {"MenuGerman", 1}, {"MenuCzech", 2}, {"MenuFrench", 0}};
  for (const Item& item : kItems) {
    const std::size_t n = std::strlen(item.name);
    if (std::strncmp(name, item.name, n) == 0 &&
        (name[n] == '\0' || std::strcmp(name + n, "Click") == 0))
      return item.lang;
  }
  return -1;
}

const MenuShortcut* menuShortcuts(std::size_t* count) {
  if (count) *count = sizeof kShortcuts / sizeof kShortcuts[0];
  return kShortcuts;
}

const char* menuShortcut(const char* item) {
  if (!item) return nullptr;
  for (const MenuShortcut& s : kShortcuts)
    if (std::strcmp(s.item, item) == 0) return s.keys;
  return nullptr;
}

}  // namespace q3
