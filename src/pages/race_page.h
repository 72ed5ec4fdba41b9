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

// The row (1..6) of the corrections the unit uses in the engaged gear:
// neutral and first gear share the row "0-1 "; -1 when the unit reports no
// gear of the table.
int raceRow(int engaged);

class RacePage : public GridPage {
 public:
  RacePage(ParamBinder& binder, QWidget* sheet);
  static std::span<const ControlSpec> table();

  // Marks the row of the engaged gear (the periodic step while the page is
  // active); -1 marks nothing.
  void showEngagedGear(int engaged);

 protected:
  void applyPageRules(const ParamImage& img) override;
};

}  // namespace q3::pages
