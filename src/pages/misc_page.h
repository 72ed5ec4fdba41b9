// The Miscellaneous page: limiters, retard, dwell, the potentiometer, the
// acceleration switch of the second map and the six multifunction inputs.
#pragma once

#include <QObject>
#include <memory>

#include "pages/page.h"
#include "pages/table_page.h"
#include "params/function_flags.h"
#include "params/param_model.h"

namespace q3::pages {

struct MiscState {
  FunctionFlags flags;
  int dwellMode = 0;
  int potFunction = 0;
  int inputs[6] = {};
};

MiscState miscState(const ParamImage& img);
std::span<const Rule<MiscState>> miscRules();

// Whether an input function may be inverted.
bool inputInvertible(int function);
// Step, maximum and default range of the potentiometer range for a function.
struct PotRange {
  int step, maximum, defaultRange;
};
PotRange potRange(int function);

class MiscPage : public Page {
 public:
  MiscPage(ParamBinder& binder, QWidget* page);
  ~MiscPage() override;

  void show() override;
  void store() override;
  void retranslate() override { m_controls->retranslate(); }
  TablePage& controls() { return *m_controls; }
  static std::span<const ControlSpec> table();

 private:
  void layOut(QWidget* sheet);

  ParamBinder& m_binder;
  QWidget* m_page;
  std::unique_ptr<TablePage> m_controls;
};

}  // namespace q3::pages
