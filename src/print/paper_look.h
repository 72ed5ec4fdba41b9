// The paper look of the main window for printing: white backgrounds, no
// buttons, spin arrows, gauges, menu or tool bar, the five status and tool
// controls hidden, the map editors in their print appearance.
//
// Every change is recorded (how to undo it) before it is made; the
// destructor undoes them all, last first, whatever way printing ended, so a
// cancelled or failed print leaves the window exactly as it was. Widgets
// destroyed in between are skipped.
#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QTabWidget;

namespace q3 {

class PaperLook {
 public:
  // Applies the look to window and everything in it.
  explicit PaperLook(QWidget* window);
  ~PaperLook();
  PaperLook(const PaperLook&) = delete;
  PaperLook& operator=(const PaperLook&) = delete;

  // Shows only tab `index` of pages (its page current), recorded like every
  // other change.
  void showOnlyTab(QTabWidget* pages, int index);
  // Indices of the tabs of pages whose tab is visible.
  static QList<int> visibleTabs(const QTabWidget* pages);

  int changes() const { return static_cast<int>(m_undo.size()); }

 private:
  // Records undo, then runs change.
  void change(const std::function<void()>& undo, const std::function<void()>& change);
  void hide(QWidget* w);
  void walk(QWidget* parent, const QColor& face);

  QPointer<QWidget> m_window;
  std::vector<std::function<void()>> m_undo;
};

}  // namespace q3
