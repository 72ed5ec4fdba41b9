// The pages that share their sheet with map editors: Sensors, Advance map
// and Servo. Their controls stand in a panel that keeps clear of the maps
// (a strip above the map, or a column left of the curves) and follows the
// sheet's size. The Test page has no maps.
#pragma once

#include "pages/grid_page.h"

namespace q3::pages {

// Where a page's panel goes on its sheet.
enum class PanelPlace {
  TopStrip,    // the full width, above a map that starts 35 pixels down
  LeftColumn,  // left of the curves, which take the right 580 pixels
};

class PanelPage : public GridPage {
 public:
  PanelPage(ParamBinder& binder, QWidget* sheet, std::span<const ControlSpec> table,
            PanelPlace place, const char* panelName);

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  void place();
  QWidget* m_panel;
  PanelPlace m_place;
};

class SensorsPage : public PanelPage {
 public:
  SensorsPage(ParamBinder& binder, QWidget* sheet);
  static std::span<const ControlSpec> table();
};

class AdvancePage : public PanelPage {
 public:
  AdvancePage(ParamBinder& binder, QWidget* sheet);
  static std::span<const ControlSpec> table();
};

class ServoPage : public PanelPage {
 public:
  ServoPage(ParamBinder& binder, QWidget* sheet);
  static std::span<const ControlSpec> table();
};

class TestPage : public GridPage {
 public:
  TestPage(ParamBinder& binder, QWidget* sheet);
  static std::span<const ControlSpec> table();
};

}  // namespace q3::pages
