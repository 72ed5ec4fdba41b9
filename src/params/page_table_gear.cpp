// Binding table of the Gear page: how the gear is determined, the gear
// voltages and ratios, the speed sensor and the automatic learning.
#include "params/address_map.h"
#include "params/page_tables.h"

namespace q3::pages {

namespace {

constexpr Item kMethods[] = {
    {0, "###No##Nein##Ne"},
    {1, "###Voltage##Spannung##Napětí"},
    {2, "###Ratio Rpm Speed##Verhältnis Drehzahl Tempo##Poměr otáčky rychlost"},
    {3,
     "###Automat (Ratio Rpm Speed)##Automat (Verhältnis Drehzahl Tempo)##Automat (poměr "
     "otáčky rychlost)"}};
constexpr Item kSpeedModes[] = {
    {0, "###Pulse over 1s for 100 km/hod##Impulse in 1s bei 100 km/h##Pulzů za 1s při 100 km/hod"},
    {1, "###Distance for pulse [mm]##Strecke pro Impuls [mm]##Vzdálenost na pulz [mm]"}};

using K = Kind;

#define Q3_VOLT(g)                                                                       \
  {                                                                                      \
    "UpDownGearVolt" #g, K::SpinWord, ImageWord::GearVoltage + (g), 0, 1, 0, 0, 5000, 1, \
        "###Gear " #g " [mV]##Gang " #g " [mV]##Stupeň " #g " [mV]"                      \
  }
#define Q3_RATIO(g)                                                                        \
  {                                                                                        \
    "UpDownGearRatio" #g, K::SpinWord, ImageWord::GearRatio + (g)-1, 0, 1, 0, 1, 32000, 1, \
        "###Ratio gear " #g "##Verhältnis Gang " #g "##Poměr stupně " #g                   \
  }

const ControlSpec kTable[] = {
    {"RadioGroupGearSystem", K::RadioIndex, ImageByte::GearSystem, 0, 1, 0, 0, 3, 1,
     "determining of gear", kMethods},
    {"UpDownPocetGear", K::Spin, ImageByte::GearCount, 0, 1, 0, 1, 6, 1,
     "###Number of gear##Anzahl der Gänge##Počet stupňů"},
    {"RadioGroupSpeedMode", K::RadioIndex, ImageByte::SpeedMode, 0, 1, 0, 0, 1, 1, nullptr,
     kSpeedModes, "GroupBoxPulsuProSpeed"},
    {"UpDownPulsuProSpeed", K::SpinWord, ImageWord::SpeedPulses, 0, 1, 0, 1, 32000, 1,
     "###Speed sensor constant##Tachogeber-Konstante##Konstanta snímače rychlosti"},
    {"UpDownGearAutoTime", K::Spin, ImageByte::GearAutoTime, 0, 1, 0, 1, 100, 1,
     "###Time##Zeit##Čas"},
    {"UpDownGearAutoRpm", K::Spin, ImageByte::GearAutoRpm, 0, 100, 0, 300, 25000, 100,
     "###Min. rpm##Min. Drehzahl##Min. otáčky"},
    {"UpDownGearAutoTps", K::Spin, ImageByte::GearAutoTps, 0, 1, 0, 0, 100, 1,
     "###Throttle [%]##Drosselklappe [%]##Plyn [%]"},
    {"UpDownGearAutoBand", K::Spin, ImageByte::GearAutoBand, 0, 1, 0, 1, 100, 1,
     "###Band##Band##Pásmo"},
    Q3_VOLT(0),
    Q3_VOLT(1),
    Q3_VOLT(2),
    Q3_VOLT(3),
    Q3_VOLT(4),
    Q3_VOLT(5),
    Q3_VOLT(6),
    Q3_RATIO(1),
    Q3_RATIO(2),
    Q3_RATIO(3),
    Q3_RATIO(4),
    Q3_RATIO(5),
    Q3_RATIO(6),
};
#undef Q3_VOLT
#undef Q3_RATIO

}  // namespace

std::span<const ControlSpec> gearTable() { return kTable; }

}  // namespace q3::pages
