// The pickup monitor in the main window: the button "monitor PickUps" opens
// it, the link asks it whether to request sample blocks. The button belongs
// to the Bike page; when the page does not make it, it is put in the page's
// top right corner.
#include <QAbstractButton>
#include <QObject>
#include <QPushButton>

#include "monitor/ui/pickup_monitor_feature.h"
#include "shell/ui/main_window.h"
#include "shell/ui/window_context.h"
#include "shell/ui/window_features.h"

namespace {

QAbstractButton* monitorButton(MainWindow& w) {
  if (auto* b = w.control<QAbstractButton>("ButtonMonPu")) return b;
  QWidget* page = w.page("TabSheetBike");
  auto* b = new QPushButton(QStringLiteral("monitor PickUps"), page);
  b->setObjectName("ButtonMonPu");
  b->adjustSize();
  b->move(8, 8);
  return b;
}

}  // namespace

std::unique_ptr<q3::Feature> makePickupFeature(WindowContext& ctx) {
  auto f = std::make_unique<q3::PickupMonitorFeature>(q3::PickupMonitorContext{
      [&ctx] { return ctx.link; }, ctx.window.paths().applicationIni(), &ctx.window});
  q3::PickupMonitorFeature* p = f.get();
  ctx.pickupRequest = [p] { return p->requestsBlocks(); };
  QAbstractButton* b = monitorButton(ctx.window);
  QObject::connect(b, &QAbstractButton::clicked, b, [p] { p->buttonMonPuClick(); });
  return f;
}
