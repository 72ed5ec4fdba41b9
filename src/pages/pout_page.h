// The Power out page: the function of each of the three power outputs and
// the settings the function uses (hysteresis, PWM duty, frequency, pulse).
// Each output's switching map and PWM map stand to the right of its row;
// they belong to the map editor.
#pragma once

#include <array>

#include "pages/map_pages.h"

namespace q3::pages {

struct PoutState {
  std::array<int, 3> function{};  // bytes 244..246
};

PoutState poutState(const ParamImage& img);
std::span<const Rule<PoutState>> poutRules();

class PoutPage : public PanelPage {
 public:
  PoutPage(ParamBinder& binder, QWidget* sheet);
  static std::span<const ControlSpec> table();

 protected:
  void applyPageRules(const ParamImage& img) override;

 private:
  // A new function of output k (0..2) starts from its defaults.
  void chooseFunction(int k, int index);
};

}  // namespace q3::pages
