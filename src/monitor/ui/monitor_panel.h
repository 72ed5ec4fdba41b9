// A ready-made monitor area: every control the monitor refresh writes (the
// live-value labels, the five gauges with their bands, the test buttons) and
// the "Monitor player" group (GroupBoxPlayer), each with its objectName, in
// a plain grid. The main window may show it as it stands until its pages
// carry the controls themselves; benchmarks and screenshots use it too.
#pragma once

#include <QWidget>

namespace q3 {

class MonitorPanel : public QWidget {
  Q_OBJECT
 public:
  explicit MonitorPanel(QWidget* parent = nullptr);
};

}  // namespace q3
