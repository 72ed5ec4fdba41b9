// The named-text table and the multifunction input captions.
#include "text/named_texts.h"

#include <atomic>

#include "text/input_captions.h"
#include "text/mstring.h"

namespace q3 {
namespace {

struct Versions {
  const char* v[3];  // English, German, Czech
};

// Indexed by NamedText.
constexpr Versions kNamed[] = {
    {{"Advance", "Vorzündung", "Předstih"}},
    {{"Base", "Basis", "Základní"}},
    {{"Pick-up (CKPS)", "Geber (CKPS)", "Snímač (CKPS)"}},
    {{"Input", "Eingang", "Vstup"}},
    {{"Open", "Offen", "Rozpojen"}},
    {{"Grounded", "Geerdet", "Uzemněn"}},
    {{"Fuel pump", "Kraftstoffpumpe", "Palivová pumpa"}},
    {{"Gear shift light", "Schaltblitz", "Kontrolka řazení"}},
    {{"Power jet", "Power Jet", "Power jet"}},
    {{"Special out", "Spezialausgang", "Speciální výstup"}},
    {{"Not used", "Nicht benutzt", "Nepoužito"}},
    {{"Pulse", "Impuls", "Puls"}},
    {{"PWM", "PWM", "PWM"}},
    {{"Dwell", "Schließzeit", "Buzení"}},
    {{"opt.", "opt.", "opt."}},
    {{"Blocking", "Blockierung", "Blokování"}},
    {{"Quickshift", "Schaltautomat", "Quickshift"}},
    {{"Kill switch", "Not Aus", "Kill switch"}},
    {{"Start limiter", "Startbegrenzer", "Startovací omezovač"}},
    {{"Tacho Lambda", "Tacho Lambda", "Tacho Lambda"}},
    {{"Retard", "Spätzündung", "Snížení předstihu"}},
    {{"N2O Retard", "N2O Spätzündung", "N2O snížení předstihu"}},
    {{"Unmatched version of PC and Ignition programs!",
      "Programm der Zündung ist nicht kompatibel mit dem Programm am PC!",
      "Neshodné verze proramu v PC a zapalování!"}},
    {{"Unmatched subversion of PC and Ignition programs!",
      "Inkongruend SubVersion PC und der Zündung!",
      "Neshodné podverze proramu v PC a zapalování!"}},
    {{"Number of Programing", "Anzahl der Programmierungen", "Počet programování"}},
    {{"YES", "JA", "ANO"}},
    {{"NO", "NEIN", "NE"}},
    {{"READY", "BEREIT", "PŘIPRAVEN"}},
    {{"SOFT", "SOFT", "SOFT"}},
    {{"error", "Fehler", "chyba"}},
    {{"", "", ""}},
    {{"Com opening error!", "Fehler beim Öffnen des COM-Anschlusses!",
      "Chyba při otevírání portu!"}},
    {{"Open file error!", "Fehler beim öffnen der Datei!", "Chyba při otevírání souboru!"}},
    {{"Do you want default setting?", "Wollen Sie Standardeinstellungen öffnen?",
      "Chcete nastavit základní hodnoty?"}},
    {{"Unmatched version of *.ign file!", "Datendatei *.ign ist nicht kompatiebel!",
      "Neshodná verze souboru *.ign!"}},
    {{"CROSS TRANSFORMATION OF ZAR FILE !", "CROSS TRANSFORMATION OF ZAR FILE !",
      "MEZIDRUHOVA TRANSFORMACE ZAR SOUBORU !"}},
    {{"Pick up system error", "Gebersystemfehler", "Chyba systému snímačů"}},
    {{", polarity error", ", Polaritätsfehler", ", chyba polarity"}},
    {{"is running", "läuft", "běží"}},
    {{"no signal", "kein Signal", "bez signálu"}},
    {{"desired =", "Sollwert =", "požadováno ="}},
    {{"Servo =", "Servo =", "Servo ="}},
    {{"Dwell=", "Schließzeit=", "Buzení="}},
    {{"Potentiometer", "Potentiometer", "Potenciometr"}},
    {{"Limiter", "Begrenzer", "Omezovač"}},
    {{"COM &offline", "COM &offline", "COM &odpojen"}},
    {{"COM &auto", "COM &auto", "COM &automaticky"}},
    {{"Older or another version of *.ign file!\n\n"
      "Some parameters won't be changed or will be set to default value.\n"
      "They are parameters which are not in older version or have another structure.",
      "Älter oder andere Version von Datendatei *.ign!\n\n"
      "Einige Kenndaten werden nicht geändert oder werden implizit Wert gestellt.\n"
      "Sie sind die Kenndaten, die in älter Version nicht sind oder andere Struktur haben",
      "Starší nebo odlišná verze souboru *.ign!\n\n"
      "Některé parametry budou nezměněny nebo nataveny na základní hodnotu.\n"
      "Jsou to parametry, které v této verzi nebyly obsaženy nebo měly jinou strukturu."}},
    {{"This is a new installation of set software for Korvelan ignitions.\n"
      "You have to read actual setting of ignition before first programming of unit (the Read "
      "button),\nor open valid .ign file (e.g. from attached CD) !",
      "This is a new installation of set software for Korvelan ignitions.\n"
      "You have to read actual setting of ignition before first programming of unit (the Read "
      "button),\nor open valid .ign file (e.g. from attached CD) !",
      "Toto je nová instalace setovacího programu pro zapalování Korvelan.\n"
      "Před prvním naprogramováním jednotky musíte stav připojené jednotky vyčíst (tlačítkem "
      "číst),\nnebo otevřít .ign soubor s odpovídajícím nastavením (například z přiloženého CD) "
      "!"}},
    {{"There is a different bike choosen in set software and in ignition unit,\n"
      " are you sure to reprogram it ?\n",
      "There is a different bike choosen in set software and in ignition unit,\n"
      " are you sure to reprogram it ?\n",
      "V setovacím programu je vybrán jiný motocykl než aktuálně nastavený v zapalování,\n"
      " jste si jist že chcete provést v zapalování tuto změnu ?"}},
    {{"Warning", "Warning", "Varování"}},
    {{"Attention", "Attention", "Upozornění"}},
    {{"Correction for cylinder:", "Korrektur für Zylinder:", "Korekce pro válec:"}},
    {{"Hour meter", "Betriebsstundenzähler", "Počítadlo motohodin"}},
    {{"Number of overvoltages on-board", "Anzahl der Überspannungen im Bordnetz",
      "Počet přepětí v palubní síti"}},
    {{"last ocurred before", "zuletzt vor", "naposledy před"}},
    {{"[h:mm]", "[h:mm]", "[h:mm]"}},
    {{", positive polarity", ", positive Polarität", ", kladná polarita"}},
    {{", negative polarity", ", negative Polarität", ", záporná polarita"}},
    {{"Potentiometer correction", "Potentiometerkorrektur", "Korekce potenciometrem"}},
    {{"Advance correction", "Vorzündungskorrektur", "Korekce předstihu"}},
    {{"Start Limiter correction", "Startbegrenzerkorrektur", "Korekce startovacího omezovače"}},
    {{"Gear shift light correction", "Schaltblitzkorrektur", "Korekce kontrolky řazení"}},
    {{"Correction of acc map switch", "Korrektur der Mappenumschaltung durch Beschleunigung",
      "Korekce přepnutí mapy akcelerací"}},
    {{"Gear", "Gang", "Převodový stupeň"}},
    {{"Speed", "Tempo", "Rychlost"}},
    {{"Gear voltage", "Gangspannung", "Napětí převodového stupně"}},
    {{"Acceleration", "Beschleunigung", "Akcelerace"}},
    {{"2nd advance chart", "2.Vorzündung mappe", "2. mapa předstihu"}},
    {{"N2O", "N2O", "N2O"}},
};
static_assert(sizeof kNamed / sizeof kNamed[0] == kNamedTextCount, "one table row per NamedText");

std::atomic<int> g_applied{0};

int validLanguage(int lang) { return lang >= 0 && lang <= 2 ? lang : 0; }

}  // namespace

const char* namedTextVersion(NamedText name, int lang) {
  const int slot = static_cast<int>(name);
  if (slot < 0 || slot >= kNamedTextCount) return "";
  return kNamed[slot].v[validLanguage(lang)];
}

const char* inputCaptionVersion(int input, int lang) {
  if (input < 1 || input > kMultifunctionInputs) return "";
  return detail::kInputCaptionTexts[input - 1][validLanguage(lang)];
}

const char* namedText(NamedText name) {
  return namedTextVersion(name, g_applied.load(std::memory_order_acquire));
}

const char* namedText(int slot) { return namedText(static_cast<NamedText>(slot)); }

const char* inputCaption(int input) {
  return inputCaptionVersion(input, g_applied.load(std::memory_order_acquire));
}

void applyNamedTexts() { g_applied.store(validLanguage(language()), std::memory_order_release); }

int namedTextLanguage() { return g_applied.load(std::memory_order_acquire); }

}  // namespace q3
