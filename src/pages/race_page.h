// The Race page: quickshift settings and the corrections per gear.
#pragma once

#include "pages/grid_page.h"
#include "params/function_flags.h"

namespace q3::pages {

struct RaceState {
  bool quickshift = false;  // F4
  int gearMethod = 0;       // byte 416
  int gears = 0;            // byte 417
};

RaceState raceState(const ParamImage& img);
std::span<const Rule<RaceState>> raceRules();

class RacePage : public GridPage {
 public:
  RacePage(ParamBinder& binder, QWidget* sheet);
  static std::span<const ControlSpec> table();

 protected:
  void applyPageRules(const ParamImage& img) override;
};

}  // namespace q3::pages
