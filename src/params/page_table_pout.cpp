// Binding table of the Power out page: the function of each power output
// and the settings the function uses.
#include "params/address_map.h"
#include "params/page_tables.h"

namespace q3::pages {

namespace {

constexpr const char* kOff = "###Off##Aus##Vypnuto";
constexpr const char* kFuelPump = "###Fuel pump##Fuel pump##Palivová pumpa";
constexpr const char* kShiftLight = "###Gear shift light##Schaltblitz##Kontrolka řazení";
constexpr const char* kSpecial = "###Special##Spezial##Speciál";
constexpr const char* kSpecialPwm = "###Special PWM##Spezial PWM##Speciál PWM";
constexpr const char* kSpecialPulse = "###Special Pulse##Spezial Pulse##Speciál Pulse";

// Outputs 1 and 2; output 3 can also drive the N2O valve.
constexpr Item kFunctions[] = {
    {kPoutOff, kOff},         {kPoutFuelPump, kFuelPump},     {kPoutShiftLight, kShiftLight},
    {kPoutSpecial, kSpecial}, {kPoutSpecialPwm, kSpecialPwm}, {kPoutSpecialPulse, kSpecialPulse}};
constexpr Item kFunctions3[] = {{kPoutOff, kOff},
                                {kPoutFuelPump, kFuelPump},
                                {kPoutShiftLight, kShiftLight},
                                {kPoutN2O, "N2O"},
                                {kPoutSpecial, kSpecial},
                                {kPoutSpecialPwm, kSpecialPwm},
                                {kPoutSpecialPulse, kSpecialPulse}};

using K = Kind;

// One output's function and its four settings: hysteresis (x10), PWM duty,
// PWM frequency and pulse length (x5).
#define Q3_POUT_ROWS(k, pin, items)                                                                \
  radioByValue("RadioGroupPOut" #k, ImageByte::PoutFunction + (k)-1,                               \
               "###Power out " #k " (pin " #pin ")##Power out " #k " (pin " #pin                   \
               ")##Power out " #k " (pin " #pin ")",                                               \
               items),                                                                             \
      {"UpDownPOutHyster" #k, K::Spin, ImageByte::PoutFurther + (k)-1, 0, 10, 0, 0, 2500, 10,      \
       "*Hysterese"},                                                                              \
      {"UpDownPOutPwm" #k, K::Spin, ImageByte::PoutPwmSetting + (k)-1, 0, 1, 0, 10, 100, 10,       \
       "PWM [%]"},                                                                                 \
      {"UpDownPOutFreq" #k, K::Spin, ImageByte::PoutPwmFreq + (k)-1, 0, 1, 0, 2, 20, 2,            \
       "*Frequency [Hz]"},                                                                         \
  {                                                                                                \
    "UpDownPOutPulse" #k, K::Spin, ImageByte::PoutPulse + (k)-1, 0, 5, 0, 5, 500, 5, "*Pulse [ms]" \
  }

const ControlSpec kTable[] = {
    Q3_POUT_ROWS(1, 16, kFunctions),
    Q3_POUT_ROWS(2, 17, kFunctions),
    Q3_POUT_ROWS(3, 14, kFunctions3),
};
#undef Q3_POUT_ROWS

}  // namespace

std::span<const ControlSpec> poutTable() { return kTable; }

}  // namespace q3::pages
