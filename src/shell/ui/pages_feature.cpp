// The setting pages: each page's controls made from its table on its tab
// sheet, its show and store registered in the page host, its item texts
// renewed when the language changes.
#include <QObject>
#include <vector>

#include "link/link_session.h"
#include "pages/bike_page.h"
#include "pages/gear_page.h"
#include "pages/map_pages.h"
#include "pages/misc_page.h"
#include "pages/n2o_page.h"
#include "pages/pout_page.h"
#include "pages/race_page.h"
#include "params/address_map.h"
#include "params/hooked_page_host.h"
#include "shell/ui/main_window.h"
#include "shell/ui/window_features.h"

namespace {

class PagesFeature : public QObject, public q3::Feature {
 public:
  explicit PagesFeature(WindowContext& ctx) : m_ctx(ctx) {
    add<q3::pages::MiscPage>(0, "TabSheetRuzne");
    m_bike = add<q3::pages::BikePage>(1, "TabSheetBike");
    m_sensors = add<q3::pages::SensorsPage>(2, "TabSheetSensors");
    if (m_sensors) m_sensors->connected = [this] { return m_connected; };
    add<q3::pages::AdvancePage>(3, "TabSheetAdvance");
    add<q3::pages::PoutPage>(4, "TabSheetPOut");
    add<q3::pages::ServoPage>(5, "TabSheetServo");
    m_gear = add<q3::pages::GearPage>(kGearPage, "TabSheet_Gear");
    if (m_gear) m_gear->connected = [this] { return m_connected; };
    m_race = add<q3::pages::RacePage>(kRacePage, "TabSheet_Race");
    add<q3::pages::N2OPage>(8, "TabSheet_N2O");
    add<q3::pages::TestPage>(9, "TabSheet_Ladeni");
    m_texts = ctx.events.textsApplied.subscribe([this] {
      for (q3::pages::Page* p : m_pages) {
        p->retranslate();
        p->show();
      }
    });
  }

  const char* featureName() const override { return "pages"; }

  // The link exists from the step after CreateProtocolEngine on.
  void startup(q3::StartupStep step) override {
    if (step != q3::StartupStep::ClearUnitTexts || !m_ctx.link) return;
    m_onConnect = m_ctx.link->events().unitConnected.subscribe(
        [this](const q3::UnitTexts&) { setConnected(true); });
    m_onDisconnect =
        m_ctx.link->events().unitDisconnected.subscribe([this] { setConnected(false); });
  }

  // The engaged gear on the Gear and Race pages while one of them is the
  // active one; nothing is marked without a unit.
  void tick(q3::TickPhase phase, int32_t) override {
    if (phase == q3::TickPhase::RpmPulseEdit && m_bike) m_bike->takeTypedPickup();
    if (phase != q3::TickPhase::ActivePageStep) return;
    const int engaged = m_connected ? m_ctx.params.monitor().byte(q3::MonitorByte::Gear) : -1;
    const int active = m_ctx.pageHost.activePage();
    if (m_gear && active == kGearPage) m_gear->showEngagedGear(engaged);
    if (m_race && active == kRacePage) m_race->showEngagedGear(engaged);
  }

 private:
  template <class P>
  P* add(int index, const char* sheet) {
    QWidget* w = m_ctx.window.page(sheet);
    if (!w) return nullptr;
    auto* p = new P(m_ctx.binder, w);
    m_pages.push_back(p);
    m_ctx.pageHost.pages[static_cast<std::size_t>(index)].show = [p] { p->show(); };
    m_ctx.pageHost.pages[static_cast<std::size_t>(index)].store = [p] { p->store(); };
    return p;
  }

  void setConnected(bool on) {
    m_connected = on;
    if (m_gear && m_ctx.pageHost.activePage() == kGearPage) m_ctx.showActivePage();
  }

  static constexpr int kGearPage = 6, kRacePage = 7;
  WindowContext& m_ctx;
  std::vector<q3::pages::Page*> m_pages;
  q3::pages::BikePage* m_bike = nullptr;
  q3::pages::GearPage* m_gear = nullptr;
  q3::pages::SensorsPage* m_sensors = nullptr;
  q3::pages::RacePage* m_race = nullptr;
  bool m_connected = false;
  q3::Event<const q3::UnitTexts&>::Subscription m_onConnect;
  q3::Event<>::Subscription m_onDisconnect;
  q3::Event<>::Subscription m_texts;
};

}  // namespace

std::unique_ptr<q3::Feature> makePagesFeature(WindowContext& ctx) {
  return std::make_unique<PagesFeature>(ctx);
}
