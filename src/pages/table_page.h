// A page's controls made from its table: the widgets, their bindings, show
// and store, and the control events into the binder.
//
// Store writes only the controls the user changed since the last show. A
// control that could not show its byte (a value outside the spin edit's
// range, a list without a matching item, a hidden control) therefore leaves
// the byte as it was instead of writing its clamped position or 255.
//
// Rows with a base below 0 are made and wired like the others but not
// transferred: the page moves them itself (value(), setShown(), edited()).
#pragma once

#include <QLabel>
#include <QObject>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pages/adapters.h"
#include "pages/page_table.h"
#include "params/param_binder.h"

namespace q3::pages {

// The control named by a rule, "%d" replaced by number.
QString ruleName(const char* pattern, int number);

// Applies rules to the controls below root; "%d" rows for the numbers 1..n.
template <class State>
void applyRules(QWidget* root, std::span<const Rule<State>> rules, const State& s, int n) {
  for (const Rule<State>& rule : rules) {
    const bool numbered = std::string_view(rule.name).find("%d") != std::string_view::npos;
    for (int k = 1; k <= (numbered ? n : 1); ++k) {
      QWidget* w = root->findChild<QWidget*>(ruleName(rule.name, k));
      if (!w) continue;
      w->setVisible(!rule.visible || rule.visible(s, k));
      w->setEnabled(!rule.enabled || rule.enabled(s, k));
    }
  }
}

// Marks a control as belonging to the engaged gear (lime background) or
// gives it back its normal colours; nothing is repainted when the mark stays.
void markEngaged(QWidget* w, bool engaged);

// A sheet whose content scrolls when the window is smaller than it: returns
// the content widget to lay the page out in.
QWidget* scrollingContent(QWidget* sheet, const char* name);

class TablePage : public QObject {
 public:
  TablePage(ParamBinder& binder, std::span<const ControlSpec> table, QWidget* parent);
  ~TablePage() override;

  // Image into every transferred control (control events held back).
  void show(const ParamImage& img);
  // Every transferred control the user changed into the image.
  void store(ParamImage& img) const;
  // Item texts and fallback captions in the current language.
  void retranslate();

  QWidget* control(const char* name) const;
  // The caption label made beside a spin edit or combo box (null otherwise).
  QLabel* label(const char* name) const;
  template <class T>
  T* as(const char* name) const {
    return dynamic_cast<T*>(control(name));
  }

  // Rows moved by the page itself.
  int value(const char* name) const;
  void setShown(const char* name, int v);
  bool edited(const char* name) const;

  // A combo box or radio group whose change the page handles itself
  // (instead of the binder); the handler gets the chosen item index.
  void onChange(const char* name, std::function<void(int index)> handler);
  // Called after a control event of the page reached the binder.
  std::function<void()> afterEvent;

 private:
  struct Row {
    const ControlSpec* spec;
    QWidget* widget = nullptr;
    QLabel* label = nullptr;
    std::unique_ptr<ControlView> view;
    Binding binding;
    int shown = 0;
    std::function<void(int)> handler;
  };
  Row* find(const char* name);
  const Row* find(const char* name) const;
  void make(Row& r, QWidget* parent);

  ParamBinder& m_binder;
  std::vector<Row> m_rows;
};

}  // namespace q3::pages
