// One setting page on a bare sheet (offscreen) with a model, a page host and
// a binder, and the helpers of the page tests.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <memory>
#include <random>
#include <string>

#include "pages/bike_page.h"
#include "params/address_map.h"
#include "params/hooked_page_host.h"
#include "params/param_binder.h"
#include "params/param_model.h"
#include "support/qt_app.h"
#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace q3test {

class ScriptedDialogs : public q3::UserDialogs {
 public:
  q3::Answer answer = q3::Answer::No;
  int asked = 0;
  void message(const std::string&, const std::string&, q3::DialogKind) override {}
  q3::Answer ask(const std::string&, const std::string&, bool) override {
    ++asked;
    return answer;
  }
};

inline void expectSame(const q3::ParamImage& got, const q3::ParamImage& want,
                       const std::string& what) {
  for (int i = 0; i < q3::kImageSize; ++i)
    ASSERT_EQ(got.byte(i), want.byte(i)) << what << ": byte " << i;
}

// A random image brought into its valid ranges.
inline void randomSanitised(q3::ParamModel& model, std::mt19937& rng) {
  for (int i = 0; i < q3::kImageSize; ++i) model.image().setByte(i, static_cast<int>(rng() & 0xFF));
  model.sanitize();
}

// The images a page must show and store back unchanged: every bike preset's
// defaults, then `random` random sanitised images. check(what) runs with
// each one in the model.
template <class Check>
void forEachRoundTripImage(q3::ParamModel& model, int random, unsigned seed, Check check) {
  for (const q3::pages::Item& bike : q3::pages::BikePage::bikes()) {
    model.image().clear();
    model.image().setByte(q3::ImageByte::Bike, bike.value);
    model.applyDefaults(-1);
    model.sanitize();
    check("defaults of bike " + std::to_string(bike.value));
  }
  std::mt19937 rng(seed);
  for (int n = 0; n < random; ++n) {
    randomSanitised(model, rng);
    check("random image " + std::to_string(n));
  }
}

template <class Page>
class PageFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    q3::setLanguage(0);
    previous = q3::setDialogs(&dialogs);
    page = std::make_unique<Page>(binder, &sheet);
    host.pages[static_cast<std::size_t>(index)].show = [this] { page->show(); };
    host.pages[static_cast<std::size_t>(index)].store = [this] { page->store(); };
    host.active = [this] { return index; };
  }
  void TearDown() override { q3::setDialogs(previous); }

  q3::ParamImage& img() { return model.image(); }
  template <class T>
  T* w(const char* name) {
    return page->controls().template as<T>(name);
  }
  bool visible(const char* name) { return sheet.findChild<QWidget*>(name)->isVisibleTo(&sheet); }
  bool enabled(const char* name) { return sheet.findChild<QWidget*>(name)->isEnabledTo(&sheet); }

  int index = 0;
  QApplication& application = app();  // before any widget
  ScriptedDialogs dialogs;
  q3::UserDialogs* previous = nullptr;
  q3::ParamModel model;
  q3::HookedPageHost host;
  q3::ParamBinder binder{model, host, dialogs};
  QWidget sheet;
  std::unique_ptr<Page> page;
};

}  // namespace q3test
