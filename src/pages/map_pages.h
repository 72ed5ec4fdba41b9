// The pages that share their sheet with map editors: Sensors, Advance map
// and Servo. Their controls stand in a panel that keeps clear of the maps
// (a strip above the map, or a column left of the curves) and follows the
// sheet's size. The Test page has no maps.
#pragma once

#include <functional>

#include "pages/grid_page.h"
#include "pages/take_over.h"

namespace q3::pages {

// Where a page's panel goes on its sheet.
enum class PanelPlace {
  TopStrip,    // the full width, above a map that starts 35 pixels down
  LeftColumn,  // left of the curves, which take the right 580 pixels
  LeftOfMaps,  // left of a column of maps 430 pixels wide
};

class PanelPage : public GridPage {
 public:
  // With layOutControls the table's controls stand in the panel in table
  // order; without, the page lays the panel out itself.
  PanelPage(ParamBinder& binder, QWidget* sheet, std::span<const ControlSpec> table,
            PanelPlace place, const char* panelName, bool layOutControls = true);

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;
  QWidget* m_panel;

 private:
  void place();
  PanelPlace m_place;
};

// The live sensor voltage [mV] taken over into the 0 % (point 0) or the
// 100 % point (point 1) of the throttle calibration.
TakeOver tpsTakeOver(int point, bool connected, int liveMillivolts);

class SensorsPage : public PanelPage {
 public:
  SensorsPage(ParamBinder& binder, QWidget* sheet);
  static std::span<const ControlSpec> table();

  // Whether a unit is connected (set by the window).
  std::function<bool()> connected;
  // "TP 0 %" and "TP 100 %".
  void takeOverTps(int point);

 protected:
  void applyPageRules(const ParamImage& img) override;
};

class AdvancePage : public PanelPage {
 public:
  AdvancePage(ParamBinder& binder, QWidget* sheet);
  static std::span<const ControlSpec> table();

 protected:
  void applyPageRules(const ParamImage& img) override;
};

class ServoPage : public PanelPage {
 public:
  ServoPage(ParamBinder& binder, QWidget* sheet);
  static std::span<const ControlSpec> table();
  // A change of "Percent" converts every servo cell into the new unit in
  // the same store, so the apply that follows makes one undo step of it.
  void store() override;

 protected:
  void applyPageRules(const ParamImage& img) override;
};

class TestPage : public GridPage {
 public:
  TestPage(ParamBinder& binder, QWidget* sheet);
  static std::span<const ControlSpec> table();
};

}  // namespace q3::pages
