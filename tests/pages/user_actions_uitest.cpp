// Every page on its own sheet under one page host (offscreen), with
// "Programming after change" ticked: each user action that changes the image
// gives exactly one undo entry and one programming request; a refused action
// gives neither.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QSpinBox>
#include <functional>

#include "page_fixture.h"
#include "pages/bike_page.h"
#include "pages/gear_page.h"
#include "pages/map_pages.h"
#include "pages/misc_page.h"
#include "pages/n2o_page.h"
#include "pages/pout_page.h"
#include "pages/race_page.h"
#include "params/address_map.h"

using q3::ImageByte;

namespace {

class UserActionTest : public ::testing::Test {
 public:  // the actions of the table reach the fixture's helpers
  void SetUp() override {
    q3::setLanguage(0);
    previous = q3::setDialogs(&dialogs);
    make<q3::pages::MiscPage>(0);
    make<q3::pages::BikePage>(1);
    sensors = make<q3::pages::SensorsPage>(2);
    make<q3::pages::AdvancePage>(3);
    make<q3::pages::PoutPage>(4);
    make<q3::pages::ServoPage>(5);
    gear = make<q3::pages::GearPage>(6);
    make<q3::pages::RacePage>(7);
    make<q3::pages::N2OPage>(8);
    make<q3::pages::TestPage>(9);
    sensors->connected = [this] { return connected; };
    gear->connected = [this] { return connected; };
    host.active = [this] { return active; };
    host.programAfterChangeChecked = [] { return true; };
    host.programChanged = [this] { ++programs; };
  }
  void TearDown() override { q3::setDialogs(previous); }

  template <class P>
  P* make(int index) {
    auto page = std::make_unique<P>(binder, &sheets[index]);
    P* p = page.get();
    host.pages[static_cast<std::size_t>(index)].show = [p] { p->show(); };
    host.pages[static_cast<std::size_t>(index)].store = [p] { p->store(); };
    pages[index] = std::move(page);
    return p;
  }

  template <class T>
  T* find(const char* name) {
    return sheets[active].findChild<T*>(QString::fromLatin1(name));
  }
  void click(const char* name) { find<QAbstractButton>(name)->click(); }
  // One step of a spin edit, then the ticks until its deferred apply.
  void spin(const char* name) {
    find<QSpinBox>(name)->stepBy(1);
    for (int i = 0; i <= q3::kSpinApplyDelayTicks; ++i) binder.timerTick();
  }
  // Picks a bike in the list as the user does and answers the defaults question.
  void chooseBike(int bike, q3::Answer answer) {
    dialogs.answer = answer;
    auto* combo = find<QComboBox>("ComboBoxBike");
    const int index = combo->findData(bike);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }
  void setLive(int word, int value) {
    model.monitor().setByte(2 * word, value & 0xFF);
    model.monitor().setByte(2 * word + 1, value >> 8);
  }

  QApplication& application = q3test::app();  // before any widget
  q3test::ScriptedDialogs dialogs;
  q3::UserDialogs* previous = nullptr;
  q3::ParamModel model;
  q3::HookedPageHost host;
  q3::ParamBinder binder{model, host, dialogs};
  QWidget sheets[q3::kPageCount];
  std::unique_ptr<q3::pages::Page> pages[q3::kPageCount];
  q3::pages::SensorsPage* sensors = nullptr;
  q3::pages::GearPage* gear = nullptr;
  int active = 0;
  bool connected = true;
  int programs = 0;
};

struct Action {
  const char* what;
  int page;
  std::function<void(UserActionTest&)> act;
  bool changes = true;  // false: the action is refused
  // The image the action starts from, when not the fixture's.
  std::function<void(q3::ParamImage&)> prepare = nullptr;
};

TEST_F(UserActionTest, OneUndoEntryAndOneProgrammingPerAction) {
  const Action actions[] = {
      {"limiter spin", 0, [](UserActionTest& t) { t.spin("UpDownLimiter"); }},
      {"input 3 off with the voltage gear method", 0,
       [](UserActionTest& t) { t.click("RadioGroupInput30"); }},
      {"potentiometer function", 0, [](UserActionTest& t) { t.click("RadioButtonPoti1"); }},
      {"inverse polarity", 0, [](UserActionTest& t) { t.click("CheckBoxInverseInput3"); }},
      {"rev-counter pulses", 1, [](UserActionTest& t) { t.spin("UpDownRpmPulsu"); }},
      {"bike answered Yes", 1, [](UserActionTest& t) { t.chooseBike(7, q3::Answer::Yes); }},
      {"bike answered No", 1, [](UserActionTest& t) { t.chooseBike(0, q3::Answer::No); }},
      {"load sensor", 2, [](UserActionTest& t) { t.click("RadioGroupTpsIap2"); }},
      {"TP 0 %", 2,
       [](UserActionTest& t) {
         t.setLive(q3::MonitorWord::LoadVoltage, 702);
         t.click("BitBtnTps0");
       }},
      {"TP 100 % without a unit", 2,
       [](UserActionTest& t) {
         t.connected = false;
         t.setLive(q3::MonitorWord::LoadVoltage, 4400);
         t.click("BitBtnTps100");
       },
       false},
      {"lambda type", 2, [](UserActionTest& t) { t.click("RadioGroupCidloLambdaMode1"); }},
      {"base advance", 3, [](UserActionTest& t) { t.spin("UpDownBaseAdv"); }},
      {"output 2 function", 4, [](UserActionTest& t) { t.click("RadioGroupPOut24"); }},
      {"output 2 hysteresis", 4, [](UserActionTest& t) { t.spin("UpDownPOutHyster2"); }},
      {"servo enable", 5, [](UserActionTest& t) { t.click("CheckBoxServoEnable"); }},
      {"gear method replacing input 1's function", 6,
       [](UserActionTest& t) {
         t.dialogs.answer = q3::Answer::Yes;
         t.click("RadioGroupGearSystem2");
       }},
      {"<- Gear 2", 6,
       [](UserActionTest& t) {
         t.setLive(q3::MonitorWord::GearVoltage, 2345);
         t.click("ButtonGear2");
       }},
      {"<- Gear 2 with a stopped bike", 6,
       [](UserActionTest& t) {
         t.setLive(q3::MonitorWord::GearRatio, 0);
         t.click("ButtonGear2");
       },
       false,
       [](q3::ParamImage& img) {
         img.setByte(ImageByte::InputFunction, q3::kInputSpeed);
         img.setByte(ImageByte::GearSystem, 2);
       }},
      {"clutch mode", 7, [](UserActionTest& t) { t.click("RadioGroupClutchMode1"); }, true,
       [](q3::ParamImage& img) {
         img.setByte(ImageByte::InputFunction + 5, q3::kInputQuickshift);
       }},
      {"advance correction gear 3", 7, [](UserActionTest& t) { t.spin("UpDownGearKorAdv3"); }},
      {"gas 1", 8, [](UserActionTest& t) { t.spin("UpDownGas1"); }},
      {"proprietary value", 9, [](UserActionTest& t) { t.spin("UpDownProp1"); }},
  };
  for (const Action& a : actions) {
    model.applyDefaults(-1);
    // The voltage method with its gear input, so that input 3 can take it.
    model.image().setByte(ImageByte::InputFunction + 2, q3::kInputGear);
    model.image().setByte(ImageByte::GearSystem, 1);
    model.image().setByte(ImageByte::TpsIapSensor, 1);
    if (a.prepare) a.prepare(model.image());
    model.sanitize();
    active = a.page;
    connected = true;
    binder.resetHistory();
    pages[a.page]->show();
    programs = 0;
    const q3::ParamImage before = model.image();
    a.act(*this);
    EXPECT_EQ(model.current(), a.changes ? 1 : 0) << a.what;
    EXPECT_EQ(programs, a.changes ? 1 : 0) << a.what;
    EXPECT_EQ(model.image() != before, a.changes) << a.what;
  }
}

}  // namespace
