// The Gear page: how the unit finds the engaged gear and the road speed, the
// gear voltages and ratios, and the buttons that take the live value of the
// engaged gear over.
#pragma once

#include <array>
#include <functional>

#include "pages/grid_page.h"
#include "pages/take_over.h"

class QPushButton;

namespace q3::pages {

// The input a gear method needs and the function it must carry (method 1:
// input 3 gear sensor; methods 2, 3: input 1 speed sensor); input -1 for
// method 0.
struct GearInput {
  int input = -1;  // 0..5
  int function = 0;
};
GearInput gearMethodInput(int method);

// The edit index (0..6) to highlight for the engaged gear the unit reports,
// -1 when none: gears above 6 or below 0 highlight nothing.
int highlightedGear(int engaged);

// A live value for gear n taken over into the image, nothing when the value
// may not be taken (no unit, method without a live value for n, value outside
// the edit's range).
TakeOver gearTakeOver(int method, int n, bool connected, int liveVoltage, int liveRatio);

class GearPage : public GridPage {
 public:
  GearPage(ParamBinder& binder, QWidget* sheet);
  static std::span<const ControlSpec> table();

  // Whether a unit is connected, and the monitor buffer (set by the window).
  std::function<bool()> connected;
  // Highlights the engaged gear (the periodic step while the page is active).
  void showEngagedGear(int engaged);
  // "<- Gear n".
  void takeOver(int n);

 protected:
  void applyPageRules(const ParamImage& img) override;

 private:
  void chooseMethod(int index);

  std::array<QPushButton*, 7> m_buttons{};
  std::array<QWidget*, 6> m_autoRows{};
  QWidget* m_liveVolt = nullptr;
  QWidget* m_liveRatio = nullptr;
};

}  // namespace q3::pages
