#include "pages/race_page.h"

#include "params/address_map.h"

namespace q3::pages {

namespace {

constexpr Item kClutchMode[] = {{0, "###No ignition##Keine Zündung##Bez zápalu"},
                                {1, "###Retard##Spätzündung##Snížení předstihu"}};

using K = Kind;

// One gear's row: cut time (x5), advance (+100), limiter, servo and the three
// power outputs (x50, +100).
#define Q3_GEAR_ROW(g)                                                                             \
  {"UpDownClutchTime" #g,                                                                          \
   K::Spin,                                                                                        \
   Adrb::ClutchTime + (g)-1,                                                                       \
   0,                                                                                              \
   5,                                                                                              \
   0,                                                                                              \
   0,                                                                                              \
   1250,                                                                                           \
   5,                                                                                              \
   "###Cut time " #g " [ms]##Unterbrechung " #g " [ms]##Přerušení " #g " [ms]"},                   \
      {"UpDownGearKorAdv" #g,                                                                      \
       K::Spin,                                                                                    \
       Adrb::GearCorrAdv + (g)-1,                                                                  \
       0,                                                                                          \
       1,                                                                                          \
       -100,                                                                                       \
       -20,                                                                                        \
       20,                                                                                         \
       1,                                                                                          \
       "###Advance " #g " [°]##Vorzündung " #g " [°]##Předstih " #g " [°]"},                       \
      {"UpDownGearKorLim" #g,                                                                      \
       K::Spin,                                                                                    \
       Adrb::GearCorrLimiter + (g)-1,                                                              \
       0,                                                                                          \
       50,                                                                                         \
       -100,                                                                                       \
       -5000,                                                                                      \
       5000,                                                                                       \
       50,                                                                                         \
       "###Limiter " #g " [rpm]##Begrenzer " #g " [U/min]##Omezovač " #g " [ot/min]"},             \
      {"UpDownGearKorServo" #g,                                                                    \
       K::Spin,                                                                                    \
       Adrb::GearCorrServo + (g)-1,                                                                \
       0,                                                                                          \
       50,                                                                                         \
       -100,                                                                                       \
       -5000,                                                                                      \
       5000,                                                                                       \
       50,                                                                                         \
       "###Servo " #g " [rpm]##Servo " #g " [U/min]##Servo " #g " [ot/min]"},                      \
      {"UpDownGearKorPoutA" #g, K::Spin, Adrb::GearCorrPout + (g)-1, 0, 50, -100, -5000, 5000, 50, \
       "Pout1 " #g " [rpm]"},                                                                      \
      {"UpDownGearKorPoutB" #g,                                                                    \
       K::Spin,                                                                                    \
       Adrb::GearCorrPout + 6 + (g)-1,                                                             \
       0,                                                                                          \
       50,                                                                                         \
       -100,                                                                                       \
       -5000,                                                                                      \
       5000,                                                                                       \
       50,                                                                                         \
       "Pout2 " #g " [rpm]"},                                                                      \
  {                                                                                                \
    "UpDownGearKorPoutC" #g, K::Spin, Adrb::GearCorrPout2 + (g)-1, 0, 50, -100, -5000, 5000, 50,   \
        "Pout3 " #g " [rpm]"                                                                       \
  }

const ControlSpec kTable[] = {
    {"RadioGroupClutchMode", K::RadioIndex, Adrb::ClutchMode, 0, 1, 0, 0, 1, 1, "Quickshift mode",
     kClutchMode},
    {"UpDownClutchPause1", K::Spin, Adrb::ClutchPause1, 0, 10, 0, 0, 2500, 10,
     "###Pause #1 [ms]##Pause #1 [ms]##Pauza #1 [ms]"},
    {"UpDownClutchPause2", K::Spin, Adrb::ClutchPause2, 0, 10, 0, 0, 2500, 10,
     "###Pause #2 [ms]##Pause #2 [ms]##Pauza #2 [ms]"},
    {"UpDownClutchMinRpm", K::Spin, Adrb::ClutchMinRpm, 0, 100, 0, 1000, 25000, 100,
     "###Min. rpm##Min. Drehzahl##Min. otáčky"},
    {"UpDownClutchAdv", K::Spin, Adrb::ClutchAdv, 0, 1, 0, 0, 60, 1,
     "###Advance [°]##Vorzündung [°]##Předstih [°]"},
    Q3_GEAR_ROW(1),
    Q3_GEAR_ROW(2),
    Q3_GEAR_ROW(3),
    Q3_GEAR_ROW(4),
    Q3_GEAR_ROW(5),
    Q3_GEAR_ROW(6),
};
#undef Q3_GEAR_ROW

using S = const RaceState&;
bool quick(S s, int) { return s.quickshift; }
bool corrections(S s, int g) { return s.gearMethod != 0 && (g <= 1 || g <= s.gears); }

const Rule<RaceState> kRules[] = {
    {"RadioGroupClutchMode", nullptr, quick},
    {"UpDownClutchPause1", nullptr, quick},
    {"LabelClutchPause1", nullptr, quick},
    {"UpDownClutchPause2", nullptr, quick},
    {"LabelClutchPause2", nullptr, quick},
    {"UpDownClutchMinRpm", nullptr, quick},
    {"LabelClutchMinRpm", nullptr, quick},
    {"UpDownClutchAdv", nullptr, quick},
    {"LabelClutchAdv", nullptr, quick},
    {"UpDownClutchTime%d", [](S s, int g) { return g == 1 || g <= s.gears; }, quick},
    {"LabelClutchTime%d", [](S s, int g) { return g == 1 || g <= s.gears; }, quick},
    {"UpDownGearKorAdv%d", corrections, nullptr},
    {"LabelGearKorAdv%d", corrections, nullptr},
    {"UpDownGearKorLim%d", corrections, nullptr},
    {"LabelGearKorLim%d", corrections, nullptr},
    {"UpDownGearKorServo%d", corrections, nullptr},
    {"LabelGearKorServo%d", corrections, nullptr},
    {"UpDownGearKorPoutA%d", corrections, nullptr},
    {"LabelGearKorPoutA%d", corrections, nullptr},
    {"UpDownGearKorPoutB%d", corrections, nullptr},
    {"LabelGearKorPoutB%d", corrections, nullptr},
    {"UpDownGearKorPoutC%d", corrections, nullptr},
    {"LabelGearKorPoutC%d", corrections, nullptr},
};

}  // namespace

RaceState raceState(const ParamImage& img) {
  RaceState s;
  s.quickshift = functionFlags(img)[Fn::Quickshift];
  s.gearMethod = img.byte(Adrb::GearSystem);
  s.gears = img.byte(Adrb::GearCount);
  return s;
}

std::span<const Rule<RaceState>> raceRules() { return kRules; }
std::span<const ControlSpec> RacePage::table() { return kTable; }

RacePage::RacePage(ParamBinder& binder, QWidget* sheet)
    : GridPage(binder, sheet, kTable, 12, "RacePageContent") {}

void RacePage::applyPageRules(const ParamImage& img) {
  pages::applyRules(m_page, raceRules(), raceState(img), 6);
}

}  // namespace q3::pages
