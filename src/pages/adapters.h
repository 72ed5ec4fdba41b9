// Qt widgets as the binding engine sees them (ControlView), and the control
// events they raise into the binder.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QSpinBox>
#include <functional>
#include <memory>
#include <vector>

#include "pages/page_table.h"

class QButtonGroup;
class QRadioButton;

namespace q3::pages {

// A spin edit: QSpinBox. Rev-counter style spin edits may name negative
// positions ("pickup 1" for -1).
class SpinEdit : public QSpinBox {
 public:
  explicit SpinEdit(QWidget* parent = nullptr) : QSpinBox(parent) {}
  // Texts shown instead of a negative position -1, -2, ...
  void setNegativeNames(std::vector<QString> names) { m_negNames = std::move(names); }

 protected:
  QString textFromValue(int v) const override;
  int valueFromText(const QString& text) const override;
  QValidator::State validate(QString& text, int& pos) const override;
  // Undo and redo keys are the window's (the image's undo), not the edit's.
  bool event(QEvent* e) override;
  // Enter: the text is taken over, the focus moves on, then onEnter.
  void keyPressEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 public:
  std::function<void()> onEnter;
  // After the edit lost the focus (its text taken over); the argument tells
  // whether the edit is still visible.
  std::function<void(bool visible)> onLeave;

 private:
  std::vector<QString> m_negNames;
};

class SpinView : public ControlView {
 public:
  explicit SpinView(QSpinBox* w) : m_w(w) {}
  int value() const override { return m_w->value(); }
  void setValue(int v) override { m_w->setValue(v); }

 private:
  QSpinBox* m_w;
};

class CheckView : public ControlView {
 public:
  explicit CheckView(QCheckBox* w) : m_w(w) {}
  int value() const override { return m_w->isChecked() ? 1 : 0; }
  void setValue(int v) override { m_w->setChecked(v != 0); }

 private:
  QCheckBox* m_w;
};

class ComboView : public ControlView {
 public:
  explicit ComboView(QComboBox* w) : m_w(w) {}
  int value() const override { return m_w->currentIndex(); }
  void setValue(int v) override { m_w->setCurrentIndex(v >= 0 && v < m_w->count() ? v : -1); }
  int count() const override { return m_w->count(); }
  int itemValue(int i) const override { return m_w->itemData(i).toInt(); }

 private:
  QComboBox* m_w;
};

// A group box of radio buttons: a radio group (one selection, by index or
// by value) or a group of radio buttons addressed one by one.
class RadioBox : public QGroupBox {
 public:
  explicit RadioBox(QWidget* parent = nullptr);
  void setItems(std::span<const Item> items);
  // Item texts (one a line), as the text tables give them.
  void setItemTexts(const QStringList& texts);
  // The items in that many columns, filled column by column.
  void setColumns(int columns);
  int count() const { return static_cast<int>(m_buttons.size()); }
  int checkedIndex() const;
  void setCheckedIndex(int i);
  int itemValue(int i) const;
  QRadioButton* button(int i) const { return m_buttons[static_cast<std::size_t>(i)]; }
  QButtonGroup* group() const { return m_group; }

 private:
  QButtonGroup* m_group;
  std::vector<QRadioButton*> m_buttons;
  std::vector<int> m_values;
};

class RadioView : public ControlView {
 public:
  explicit RadioView(RadioBox* w) : m_w(w) {}
  int value() const override { return m_w->checkedIndex(); }
  void setValue(int v) override { m_w->setCheckedIndex(v); }
  int count() const override { return m_w->count(); }
  int itemValue(int i) const override { return m_w->itemValue(i); }
  bool buttonChecked(int i) const override { return m_w->checkedIndex() == i; }
  void setButtonChecked(int i, bool on) override {
    if (on) m_w->setCheckedIndex(i);
  }

 private:
  RadioBox* m_w;
};

}  // namespace q3::pages
