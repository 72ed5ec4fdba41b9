// Binding table of the Race page: quickshift and the corrections per gear.
#include "params/address_map.h"
#include "params/page_tables.h"

namespace q3::pages {

namespace {

constexpr Item kClutchMode[] = {{0, "###No ignition##Keine Zündung##Bez zápalu"},
                                {1, "###Retard##Spätzündung##Snížení předstihu"}};

using K = Kind;

// One gear's row: cut time (x5), advance (+100), limiter, servo and the three
// power outputs (x50, +100).
#define Q3_GEAR_ROW(g)                                                                            \
  {"UpDownClutchTime" #g,                                                                         \
   K::Spin,                                                                                       \
   ImageByte::ClutchTime + (g)-1,                                                                 \
   0,                                                                                             \
   5,                                                                                             \
   0,                                                                                             \
   0,                                                                                             \
   1250,                                                                                          \
   5,                                                                                             \
   "###Cut time " #g " [ms]##Unterbrechung " #g " [ms]##Přerušení " #g " [ms]"},                  \
      {"UpDownGearKorAdv" #g,                                                                     \
       K::Spin,                                                                                   \
       ImageByte::GearCorrAdv + (g)-1,                                                            \
       0,                                                                                         \
       1,                                                                                         \
       -100,                                                                                      \
       -20,                                                                                       \
       20,                                                                                        \
       1,                                                                                         \
       "###Advance " #g " [°]##Vorzündung " #g " [°]##Předstih " #g " [°]"},                      \
      {"UpDownGearKorLim" #g,                                                                     \
       K::Spin,                                                                                   \
       ImageByte::GearCorrLimiter + (g)-1,                                                        \
       0,                                                                                         \
       50,                                                                                        \
       -100,                                                                                      \
       -5000,                                                                                     \
       5000,                                                                                      \
       50,                                                                                        \
       "###Limiter " #g " [rpm]##Begrenzer " #g " [U/min]##Omezovač " #g " [ot/min]"},            \
      {"UpDownGearKorServo" #g,                                                                   \
       K::Spin,                                                                                   \
       ImageByte::GearCorrServo + (g)-1,                                                          \
       0,                                                                                         \
       50,                                                                                        \
       -100,                                                                                      \
       -5000,                                                                                     \
       5000,                                                                                      \
       50,                                                                                        \
       "###Servo " #g " [rpm]##Servo " #g " [U/min]##Servo " #g " [ot/min]"},                     \
      {"UpDownGearKorPoutA" #g,                                                                   \
       K::Spin,                                                                                   \
       ImageByte::GearCorrPout + (g)-1,                                                           \
       0,                                                                                         \
       50,                                                                                        \
       -100,                                                                                      \
       -5000,                                                                                     \
       5000,                                                                                      \
       50,                                                                                        \
       "Pout1 " #g " [rpm]"},                                                                     \
      {"UpDownGearKorPoutB" #g,                                                                   \
       K::Spin,                                                                                   \
       ImageByte::GearCorrPout + 6 + (g)-1,                                                       \
       0,                                                                                         \
       50,                                                                                        \
       -100,                                                                                      \
       -5000,                                                                                     \
       5000,                                                                                      \
       50,                                                                                        \
       "Pout2 " #g " [rpm]"},                                                                     \
  {                                                                                               \
    "UpDownGearKorPoutC" #g, K::Spin, ImageByte::GearCorrPout2 + (g)-1, 0, 50, -100, -5000, 5000, \
        50, "Pout3 " #g " [rpm]"                                                                  \
  }

const ControlSpec kTable[] = {
    {"RadioGroupClutchMode", K::RadioIndex, ImageByte::ClutchMode, 0, 1, 0, 0, 1, 1,
     "Quickshift mode", kClutchMode},
    {"UpDownClutchPause1", K::Spin, ImageByte::ClutchPause1, 0, 10, 0, 0, 2500, 10,
     "###Pause #1 [ms]##Pause #1 [ms]##Pauza #1 [ms]"},
    {"UpDownClutchPause2", K::Spin, ImageByte::ClutchPause2, 0, 10, 0, 0, 2500, 10,
     "###Pause #2 [ms]##Pause #2 [ms]##Pauza #2 [ms]"},
    {"UpDownClutchMinRpm", K::Spin, ImageByte::ClutchMinRpm, 0, 100, 0, 1000, 25000, 100,
     "###Min. rpm##Min. Drehzahl##Min. otáčky"},
    {"UpDownClutchAdv", K::Spin, ImageByte::ClutchAdv, 0, 1, 0, 0, 60, 1,
     "###Advance [°]##Vorzündung [°]##Předstih [°]"},
    Q3_GEAR_ROW(1),
    Q3_GEAR_ROW(2),
    Q3_GEAR_ROW(3),
    Q3_GEAR_ROW(4),
    Q3_GEAR_ROW(5),
    Q3_GEAR_ROW(6),
};
#undef Q3_GEAR_ROW

}  // namespace

std::span<const ControlSpec> raceTable() { return kTable; }

}  // namespace q3::pages
