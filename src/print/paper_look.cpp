// Applying and undoing the paper look, one recorded change at a time.
#include "print/paper_look.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include "maps/ui/map_editor.h"

namespace q3 {

namespace {

// Status and tool controls of the main window that never go on paper.
constexpr const char* kHiddenForPrint[] = {"LabelPocetProgramovani", "GroupBoxToolBar",
                                           "CheckBoxProgHned", "LabelConnection",
                                           "LabelCongruence"};

// Controls that are printed as they are (or hidden whole); the walk does not
// look inside them.
bool isLeaf(QWidget* w) {
  if (qobject_cast<QScrollArea*>(w)) return false;
  return qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w) ||
         qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QTabBar*>(w) ||
         qobject_cast<QAbstractScrollArea*>(w) || qobject_cast<QProgressBar*>(w);
}

}  // namespace

PaperLook::PaperLook(QWidget* window) : m_window(window) {
  if (!window) return;
  // Hiding the control with the focus moves it; it comes back last.
  if (QPointer<QWidget> focus = window->focusWidget())
    m_undo.push_back([focus] {
      if (focus) focus->setFocus();
    });

  const QColor face = window->palette().color(QPalette::Window);
  // The window's own background (and with it every control that takes its
  // colours from the window) becomes white.
  const bool hadPalette = window->testAttribute(Qt::WA_SetPalette);
  const QPalette before = window->palette();
  QPalette white = before;
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::Button, Qt::white);
  change(
      [w = QPointer<QWidget>(window), hadPalette, before] {
        if (!w) return;
        if (hadPalette) {
          w->setPalette(before);
        } else {
          w->setPalette(QPalette());
          w->setAttribute(Qt::WA_SetPalette, false);
        }
      },
      [window, white] { window->setPalette(white); });

  for (const char* name : kHiddenForPrint)
    if (auto* w = window->findChild<QWidget*>(name)) hide(w);
  for (QMenuBar* m : window->findChildren<QMenuBar*>(Qt::FindDirectChildrenOnly)) hide(m);
  for (QToolBar* t : window->findChildren<QToolBar*>(Qt::FindDirectChildrenOnly)) hide(t);
  walk(window, face);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

PaperLook::~PaperLook() {
  for (auto it = m_undo.rbegin(); it != m_undo.rend(); ++it) (*it)();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

void PaperLook::change(const std::function<void()>& undo, const std::function<void()>& change) {
  m_undo.push_back(undo);
  change();
}

void PaperLook::hide(QWidget* w) {
  if (w->isHidden()) return;
  change(
      [p = QPointer<QWidget>(w)] {
        if (p) p->show();
      },
      [w] { w->hide(); });
}

void PaperLook::walk(QWidget* parent, const QColor& face) {
  for (QObject* o : parent->children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w || w->isWindow()) continue;
    // A control still in the face colour after the window turned white has
    // a colour of its own: a filled label turns transparent, others white.
    if (w->testAttribute(Qt::WA_SetPalette) && w->palette().color(QPalette::Window) == face) {
      auto* label = qobject_cast<QLabel*>(w);
      if (label && label->autoFillBackground()) {
        change(
            [p = QPointer<QLabel>(label)] {
              if (p) p->setAutoFillBackground(true);
            },
            [label] { label->setAutoFillBackground(false); });
      } else if (!label) {
        QPalette white = w->palette();
        white.setColor(QPalette::Window, Qt::white);
        change(
            [p = QPointer<QWidget>(w), before = w->palette()] {
              if (p) p->setPalette(before);
            },
            [w, white] { w->setPalette(white); });
      }
    }
    if (auto* tab = qobject_cast<MapEditor*>(w)) {
      if (!tab->isHidden() && !tab->printAppearance())
        change(
            [p = QPointer<MapEditor>(tab)] {
              if (p) p->setPrintAppearance(false);
            },
            [tab] { tab->setPrintAppearance(true); });
      continue;
    }
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
      const auto symbols = spin->buttonSymbols();
      if (symbols != QAbstractSpinBox::NoButtons)
        change(
            [p = QPointer<QAbstractSpinBox>(spin), symbols] {
              if (p) p->setButtonSymbols(symbols);
            },
            [spin] { spin->setButtonSymbols(QAbstractSpinBox::NoButtons); });
      continue;
    }
    if (qobject_cast<QPushButton*>(w) || qobject_cast<QToolButton*>(w) ||
        qobject_cast<QProgressBar*>(w)) {
      hide(w);
      continue;
    }
    if (!isLeaf(w)) walk(w, face);
  }
}

QList<int> PaperLook::visibleTabs(const QTabWidget* pages) {
  QList<int> out;
  if (!pages) return out;
  for (int i = 0; i < pages->count(); ++i)
    if (pages->isTabVisible(i)) out.push_back(i);
  return out;
}

void PaperLook::showOnlyTab(QTabWidget* pages, int index) {
  // The current page comes back after the tabs, so it is recorded first.
  m_undo.push_back([p = QPointer<QTabWidget>(pages), old = pages->currentIndex()] {
    if (p) p->setCurrentIndex(old);
  });
  auto setVisible = [this, pages](int i, bool on) {
    if (pages->isTabVisible(i) == on) return;
    change(
        [p = QPointer<QTabWidget>(pages), i, on] {
          if (p) p->setTabVisible(i, !on);
        },
        [pages, i, on] { pages->setTabVisible(i, on); });
  };
  setVisible(index, true);
  pages->setCurrentIndex(index);
  for (int i = 0; i < pages->count(); ++i)
    if (i != index) setVisible(i, false);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

}  // namespace q3
