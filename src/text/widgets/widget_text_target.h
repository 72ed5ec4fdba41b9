// A TextTarget over a widget tree: finds menus, menu items and controls by
// objectName under a root widget and writes captions, item lists, hints,
// check marks and visibility. Names that match nothing are skipped, so the
// tables may name controls that are created later.
//
// Captions: QAction (menu items and QMenu titles through their menuAction),
// tab pages (the tab text of the QTabWidget holding the page), QLabel,
// QAbstractButton, QGroupBox; any other widget gets it as window title.
// Item lists: QComboBox (the selection is kept), a widget with an invokable
// setItems(QStringList), or the QRadioButton children of a group box, in
// order (surplus buttons are hidden, missing ones are not created).
// Hints: status tip and tool tip. Create one target per apply: it indexes
// the tree once, on its first lookup.
#pragma once

#include <QAction>
#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "text/ui_texts.h"

namespace q3 {

class WidgetTextTarget : public TextTarget {
 public:
  explicit WidgetTextTarget(QWidget* root) : m_root(root) {}

  void setMenuCaption(const char* name, const char* text) override;
  void setCaption(const char* name, const char* text) override;
  void setItems(const char* name, const char* lines) override;
  void setHint(const char* name, const char* text) override;
  void setChecked(const char* name, bool checked) override;
  void setVisible(const char* name, bool visible) override;

 protected:
  QWidget* widget(const char* name) const;
  QAction* action(const char* name) const;

 private:
  // Every named widget and action under the root, collected on the first
  // lookup: one walk of the tree instead of one per table entry. A target
  // lives for one apply, so controls created later are found next time.
  void collect() const;
  QPointer<QWidget> m_root;
  mutable bool m_collected = false;
  // Guarded: writing one control (a radio group rebuilding its buttons) may
  // delete others.
  mutable QHash<QString, QPointer<QWidget>> m_widgets;
  mutable QHash<QString, QPointer<QAction>> m_actions;
};

}  // namespace q3
