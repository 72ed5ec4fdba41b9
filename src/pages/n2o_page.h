// The N2O page: gas and retard settings, active only when an input carries
// the N2O function and power output 3 drives the valve.
#pragma once

#include "pages/grid_page.h"

namespace q3::pages {

class N2OPage : public GridPage {
 public:
  N2OPage(ParamBinder& binder, QWidget* sheet);
  static std::span<const ControlSpec> table();

 protected:
  void applyPageRules(const ParamImage& img) override;
};

}  // namespace q3::pages
