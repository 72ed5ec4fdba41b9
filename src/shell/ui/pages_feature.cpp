// The setting pages: each page's controls made from its table on its tab
// sheet, its show and store registered in the page host, its item texts
// renewed when the language changes.
#include <QObject>
#include <vector>

#include "pages/bike_page.h"
#include "pages/misc_page.h"
#include "pages/n2o_page.h"
#include "pages/race_page.h"
#include "params/hooked_page_host.h"
#include "shell/ui/main_form.h"
#include "shell/ui/window_features.h"

namespace {

class PagesFeature : public QObject, public q3::Feature {
 public:
  explicit PagesFeature(WindowContext& ctx) : m_ctx(ctx) {
    add<q3::pages::MiscPage>(0, "TabSheetRuzne");
    add<q3::pages::BikePage>(1, "TabSheetBike");
    add<q3::pages::RacePage>(7, "TabSheet_Race");
    add<q3::pages::N2OPage>(8, "TabSheet_N2O");
    m_texts = ctx.events.textsApplied.subscribe([this] {
      for (q3::pages::Page* p : m_pages) {
        p->retranslate();
        p->show();
      }
    });
  }

  const char* featureName() const override { return "pages"; }

 private:
  template <class P>
  void add(int index, const char* sheet) {
    QWidget* w = m_ctx.window.page(sheet);
    if (!w) return;
    auto* p = new P(m_ctx.binder, w);
    m_pages.push_back(p);
    m_ctx.pageHost.pages[static_cast<std::size_t>(index)].show = [p] { p->show(); };
    m_ctx.pageHost.pages[static_cast<std::size_t>(index)].store = [p] { p->store(); };
  }

  WindowContext& m_ctx;
  std::vector<q3::pages::Page*> m_pages;
  q3::Event<>::Subscription m_texts;
};

}  // namespace

std::unique_ptr<q3::Feature> makePagesFeature(WindowContext& ctx) {
  return std::make_unique<PagesFeature>(ctx);
}
