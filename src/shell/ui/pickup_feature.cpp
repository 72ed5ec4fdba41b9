// The pickup monitor in the main window: the button "monitor PickUps" opens
// it, the link asks it whether to request sample blocks. The button belongs
// to the Bike page; when the page does not make it, it is put in the page's
// top right corner.
#include <QAbstractButton>
#include <QObject>
#include <QPushButton>

#include "monitor/ui/pickup_monitor.h"
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

// The window's side: the pickup monitor with the data folder's settings, its
// button, and the link's question whether to request sample blocks.
class PickupFeature : public q3::Feature {
 public:
  explicit PickupFeature(WindowContext& ctx)
      : m_monitor(q3::PickupMonitorContext{[&ctx] { return ctx.link; },
                                           ctx.window.paths().applicationIni(), &ctx.window}) {
    ctx.pickup.wantsBlocks = [this] { return m_monitor.requestsBlocks(); };
    QAbstractButton* b = monitorButton(ctx.window);
    QObject::connect(b, &QAbstractButton::clicked, b, [this] { m_monitor.buttonMonPuClick(); });
  }

  const char* featureName() const override { return "pickup monitor"; }
  void tick(q3::TickPhase phase, int32_t counter) override { m_monitor.tick(phase, counter); }
  void close(q3::CloseStep step) override { m_monitor.close(step); }

 private:
  q3::PickupMonitor m_monitor;
};

}  // namespace

std::unique_ptr<q3::Feature> makePickupFeature(WindowContext& ctx) {
  return std::make_unique<PickupFeature>(ctx);
}
