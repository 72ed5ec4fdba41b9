// The Bike page: the preset bike or the hand-made trigger description, the
// pickup polarities, the edge table of the four channels, the rev-counter
// output and the start options.
#pragma once

#include <QObject>
#include <memory>

#include "pages/page.h"
#include "pages/table_page.h"
#include "params/param_model.h"

class QWidget;

namespace q3::pages {

class BikePage : public Page {
 public:
  BikePage(ParamBinder& binder, QWidget* page);
  ~BikePage() override;

  void show() override;
  void store() override;
  // The rev-counter source typed as "-1" or "-2" becomes "pickup 1" or
  // "pickup 2" at the next timer tick, without Enter (then applied like a
  // spin click).
  void takeTypedPickup();
  void retranslate() override { m_controls->retranslate(); }
  TablePage& controls() { return *m_controls; }

  static std::span<const ControlSpec> table();
  static std::span<const Item> bikes();

 private:
  void applyRules(const ParamImage& img);
  void chooseBike(int index);
  void layOut(QWidget* page);

  ParamBinder& m_binder;
  QWidget* m_page;
  std::unique_ptr<TablePage> m_controls;
};

}  // namespace q3::pages
