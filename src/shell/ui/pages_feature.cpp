// The setting pages: each page's controls made from its table on its tab
// sheet, its show and store registered in the page host, its item texts
// renewed when the language changes.
#include <QObject>

#include "pages/bike_page.h"
#include "params/hooked_page_host.h"
#include "shell/ui/main_form.h"
#include "shell/ui/window_features.h"

namespace {

constexpr int kBikePage = 1;

class PagesFeature : public QObject, public q3::Feature {
 public:
  explicit PagesFeature(WindowContext& ctx) : m_ctx(ctx) {
    if (QWidget* page = ctx.window.page("TabSheetBike")) {
      m_bike = new q3::pages::BikePage(ctx.binder, page);
      ctx.pageHost.pages[kBikePage].show = [this] { m_bike->show(); };
      ctx.pageHost.pages[kBikePage].store = [this] { m_bike->store(); };
    }
    m_texts = ctx.events.textsApplied.subscribe([this] {
      if (m_bike) {
        m_bike->retranslate();
        m_bike->show();
      }
    });
  }

  const char* featureName() const override { return "pages"; }

 private:
  WindowContext& m_ctx;
  q3::pages::BikePage* m_bike = nullptr;
  q3::Event<>::Subscription m_texts;
};

}  // namespace

std::unique_ptr<q3::Feature> makePagesFeature(WindowContext& ctx) {
  return std::make_unique<PagesFeature>(ctx);
}
