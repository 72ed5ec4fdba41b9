// Every monitor control in one widget: the live-value strip, the Test page's
// monitor groups and a player group. Benchmarks and widget tests use it; the
// main window places the same parts on its own.
#pragma once

#include <QWidget>

namespace q3 {

class MonitorPanel : public QWidget {
  Q_OBJECT
 public:
  explicit MonitorPanel(QWidget* parent = nullptr);
};

}  // namespace q3
