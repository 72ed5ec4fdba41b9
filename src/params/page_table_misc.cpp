// Binding table of the Miscellaneous page: limiters, retard, dwell, the
// potentiometer and the six multifunction inputs.
#include "params/address_map.h"
#include "params/page_tables.h"

namespace q3::pages {

namespace {

constexpr const char* kOff = "###Off##Aus##Vypnut";
constexpr const char* kKill = "###Kill switch##Not Aus##Kill switch";
constexpr const char* kBlocking = "###Blocking##Blockierung##Blokování";
constexpr const char* kTacho = "Tacho/Lambda";
constexpr const char* kQuick = "###Quickshift##Schaltautomat##Quickshift";
constexpr const char* kRetard = "###Retard##Spätzündung##Snížení předstihu";
constexpr const char* kStartLim = "###Start limiter##Startbegrenzer##Startovací omezovač";
constexpr const char* kMap2 = "###2nd advance chart##2.Vorzündung mappe##2. mapa předstihu";
constexpr const char* kGear = "###Gear##Gang##Převodový stupeň";
constexpr const char* kSpeed = "###Speed##Tempo##Rychloměr";

// The lists of the inputs in list order, as their masks allow.
constexpr Item kInput1[] = {{0, kOff},    {1, kKill},     {2, kBlocking}, {11, kTacho}, {3, kQuick},
                            {5, kRetard}, {6, kStartLim}, {7, kMap2},     {9, kSpeed}};
constexpr Item kInputN2O[] = {{0, kOff},      {1, kKill},  {2, kBlocking},
                              {11, kTacho},   {3, kQuick}, {5, kRetard},
                              {6, kStartLim}, {7, kMap2},  {10, "N2O"}};
constexpr Item kInput3[] = {{0, kOff},    {1, kKill},     {2, kBlocking}, {11, kTacho}, {3, kQuick},
                            {5, kRetard}, {6, kStartLim}, {7, kMap2},     {8, kGear}};

constexpr Item kDwell[] = {
    {0, "###Short##Kurz##Krátké"}, {1, "###Long##Lang##Dlouhé"}, {2, "###Manual##Manuell##Ruční"}};
constexpr Item kPoti[] = {{0, "###Off##Aus##Vypnuto"},
                          {1, "###Advance##Vorzündung##Předstih"},
                          {2, "###Start limiter##Startbegrenzer##Startovací omezovač"},
                          {3, "###Pilot light##Kontrollleuchte##Kontrolka"},
                          {4,
                           "###Acceleration switch of advance##Beschleunigungsschalter der "
                           "Vorzündung##Přepínání předstihu zrychlením"}};

using K = Kind;

#define Q3_INPUT_ROWS(i, pin, items)                                                     \
  radioByValue("RadioGroupInput" #i, ImageByte::InputFunction + (i)-1,                   \
               "###Multifunction input " #i " (pin " #pin ")##Multifunktionseingang " #i \
               " (pin " #pin ")##Multifunkční vstup " #i " (pin " #pin ")",              \
               items),                                                                   \
  {                                                                                      \
    "CheckBoxInverseInput" #i, K::Check, -1, 0, 1, 0, 0, 1, 1,                           \
        "###Inverse polarity##Umgekehrte Polarität##Opačná polarita"                  \
  }

const ControlSpec kTable[] = {
    {"UpDownLimiter", K::Spin, ImageByte::Limiter, 0, 100, 0, 1000, 25000, 100,
     "###Limiter [rpm]##Begrenzer [U/min]##Omezovač [ot/min]"},
    {"UpDownStartLimiter", K::Spin, ImageByte::StartLim, 0, 100, 0, 1000, 25000, 100,
     "###Start limiter [rpm]##Startbegrenzer [U/min]##Startovací omezovač [ot/min]"},
    {"UpDownStartLimiterMin", K::Spin, ImageByte::StartLimMin, 0, 100, 0, 1000, 25000, 100,
     "###Start limiter min. [rpm]##Startbegrenzer min. [U/min]##Startovací omezovač min. [ot/min]"},
    {"UpDownStartLimiterDelay", K::Spin, ImageByte::StartLimDelay, 0, 100, 0, 0, 5000, 100,
     "###Start limiter delay##Startbegrenzer Verzögerung##Zpoždění startovacího omezovače"},
    {"UpDownRetard", K::Spin, ImageByte::Retard, 0, 1, 0, 0, 60, 1,
     "###Retard [°]##Spätzündung [°]##Snížení předstihu [°]"},
    {"RadioButtonDwellMode", K::RadioButtons, ImageByte::DwellMode, 0, 1, 0, 0, 2, 1,
     "###Dwell##Schließzeit##Buzení", kDwell},
    {"UpDownDwellTime", K::Spin, ImageByte::DwellTime, 0, 100, 0, 0, 20000, 100,
     "###Dwell time [us]##Schließzeit [us]##Doba buzení [us]"},
    {"UpDownDwellCor", K::Spin, ImageByte::DwellCor, 0, 1, 0, 25, 250, 1,
     "###Dwell correction[%]##Schließzeitkorrektur [%]##Korekce buzení [%]"},
    {"UpDownDwellDyn", K::Spin, ImageByte::DwellDyn, 0, 1, 0, 0, 30, 1,
     "###Dynamic addition of dwell [%]##Dynamische Schließzeitzugabe [%]##Dynamické přidání buzení "
     "[%]"},
    {"UpDownDwellMaxTime", K::Spin, ImageByte::DwellMaxTime, 0, 100, 0, 0, 20000, 100,
     "###Max dwell time [us]##Max. Schließzeit [us]##Max. doba buzení [us]"},
    {"UpDownMinDurationDischarge", K::Spin, ImageByte::DurDischarge, 0, 100, 0, 1000, 8000, 100,
     "###Min. duration of discharge [us]##Min. Entladedauer [us]##Min. doba výboje [us]"},
    {"UpDownDwellMaxRPMLobe", K::Spin, ImageByte::DwellMaxRpmLobe, 0, 100, 0, 100, 25000, 100,
     "###Max rpm for lobe dwell [rpm]##Max. Drehzahl für Leitstück-Schließzeit [U/min]##Max. "
     "otáčky "
     "pro buzení palcem [ot/min]"},
    {"RadioButtonPoti", K::RadioButtons, ImageByte::PotFunction, 0, 1, 0, 0, 4, 1,
     "###Potentiometer##Potentiometer##Potenciometr", kPoti},
    {"UpDownPotencRozsah", K::SpinWord, ImageWord::PotRange, 0, 1, 0, 0, 25000, 1,
     "###Range - + ##Bereich - + ##Rozsah - + "},
    {"UpDownMap2Akcel", K::Spin, ImageByte::Map2Accel, 0, 100, 0, 100, 25000, 100,
     "###Acceleration for 2nd map [rpm/s]##Beschleunigung für 2. Mappe [U/min/s]##Zrychlení pro 2. "
     "mapu [ot/min/s]"},
    {"CheckBoxInNeutralSs", K::Check, ImageByte::InputNeutralSs, 0, 1, 0, 0, 1, 1,
     "###Inputs for neutral side and stand ##Eingänge für Leerlauf und Seitenständer ##Vstupy pro "
     "neutrál a stojan "},
    Q3_INPUT_ROWS(1, 28, kInput1),
    Q3_INPUT_ROWS(2, 29, kInputN2O),
    Q3_INPUT_ROWS(3, 30, kInput3),
    Q3_INPUT_ROWS(4, 11, kInputN2O),
    Q3_INPUT_ROWS(5, 12, kInputN2O),
    Q3_INPUT_ROWS(6, 13, kInputN2O),
};
#undef Q3_INPUT_ROWS

}  // namespace

std::span<const ControlSpec> miscTable() { return kTable; }

}  // namespace q3::pages
