// The monitor's widget layer: puts the display values of the monitor
// refresh and the player group on the window's controls, given as a map from
// objectName to widget, and turns the clicks of the player buttons, the
// position bar and the test buttons into calls of the monitor feature.
//
//   QLabel        text, background colour (normal: the style's own), enabled, visible
//   QProgressBar  range 0..maximum, value, bar colour, visible
//   strip QLabel  x and width along its gauge (never narrowed to nothing)
//   button        enabled, caption
//
// A value whose control is not in the map is skipped, and a value equal to
// the one shown last is not written again, so a refresh costs only what changed.
#pragma once

#include <QString>
#include <QWidget>
#include <map>
#include <string>
#include <vector>

#include "monitor/live_monitor.h"
#include "monitor/monitor_model.h"
#include "monitor/player_group.h"

namespace q3 {

class MonitorWidgets {
 public:
  using WidgetMap = std::map<std::string, QWidget*>;

  explicit MonitorWidgets(WidgetMap widgets);

  // Every control the monitor writes or listens to, found by objectName
  // below root (once, when the window has made its controls).
  static WidgetMap collect(QWidget* root);
  // The names collect() looks for.
  static std::vector<std::string> controlNames();

  void show(const std::vector<DisplayValue>& values);
  // The player group; moving the bar from here never counts as the user's move.
  void showPlayer(const PlayerDisplay& d);
  // Connects SpeedButtonPlay1..4, ScrollBarPlay and the test buttons to f.
  void connectTo(LiveMonitor& f);

  // The save (Record) or open (Play) dialog of recordings; "" when cancelled.
  static std::string askIgnlogPath(QWidget* parent, bool save, const QString& folder = {});

  QWidget* widget(const std::string& name) const;

 private:
  void apply(const DisplayValue& v, QWidget* w);
  void place(const DisplayValue& v, QWidget* strip);

  WidgetMap m_widgets;
  std::map<std::string, DisplayValue> m_shown;
  bool m_playerShown = false;
  PlayerDisplay m_player;
};

}  // namespace q3
