// The pages around the maps on their own (offscreen): the Power out page's
// functions and settings, the throttle calibration buttons and the lambda
// type of the Sensors page, and the rules of the Advance and Servo pages.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "page_fixture.h"
#include "pages/map_pages.h"
#include "pages/pout_page.h"
#include "params/address_map.h"

using q3::ImageByte;
using q3::ImageWord;

namespace {

template <class P, int Index>
class IndexedPageTest : public q3test::PageFixture<P> {
 protected:
  void SetUp() override {
    this->index = Index;
    q3test::PageFixture<P>::SetUp();
    this->model.applyDefaults(-1);
    this->model.sanitize();
    this->binder.resetHistory();
    this->page->show();
  }
  QRadioButton* radio(const QString& name) {
    return this->sheet.template findChild<QRadioButton*>(name);
  }
};

using PoutPageTest = IndexedPageTest<q3::pages::PoutPage, 4>;

TEST_F(PoutPageTest, FunctionDecidesWhichSettingsShow) {
  struct Case {
    int function;
    bool hysteresis, pwm, frequency, pulse;
  };
  const Case cases[] = {
      {0, false, false, false, false},  {1, false, false, false, false},
      {2, true, false, false, false},   {255, true, true, false, false},
      {254, false, false, true, false}, {253, false, false, false, true},
  };
  for (const Case& c : cases) {
    img().setByte(ImageByte::PoutFunction + 1, c.function);
    page->show();
    EXPECT_EQ(visible("UpDownPOutHyster2"), c.hysteresis) << c.function;
    EXPECT_EQ(visible("LabelPOutHyster2"), c.hysteresis) << c.function;
    EXPECT_EQ(visible("UpDownPOutPwm2"), c.pwm) << c.function;
    EXPECT_EQ(visible("UpDownPOutFreq2"), c.frequency) << c.function;
    EXPECT_EQ(visible("LabelPOutFreq2"), c.frequency) << c.function;
    EXPECT_EQ(visible("UpDownPOutPulse2"), c.pulse) << c.function;
    // The other outputs keep their own rules.
    EXPECT_FALSE(visible("UpDownPOutFreq1"));
  }
}

TEST_F(PoutPageTest, OnlyOutput3OffersN2O) {
  for (int k = 1; k <= 3; ++k) {
    auto* g = sheet.findChild<q3::pages::RadioBox*>("RadioGroupPOut" + QString::number(k));
    bool n2o = false;
    for (int i = 0; i < g->count(); ++i) n2o = n2o || g->itemValue(i) == q3::pages::kPoutN2O;
    EXPECT_EQ(n2o, k == 3) << "output " << k;
  }
}

TEST_F(PoutPageTest, SettingsStoreTheirScaling) {
  struct Case {
    const char* spin;
    int shown, at, stored;
  };
  const Case cases[] = {
      {"UpDownPOutHyster1", 120, ImageByte::PoutFurther, 12},
      {"UpDownPOutPwm2", 40, ImageByte::PoutPwmSetting + 1, 40},
      {"UpDownPOutFreq3", 6, ImageByte::PoutPwmFreq + 2, 6},
      {"UpDownPOutPulse3", 125, ImageByte::PoutPulse + 2, 25},
  };
  for (const Case& c : cases) {
    w<QSpinBox>(c.spin)->setValue(c.shown);
    page->store();
    EXPECT_EQ(img().byte(c.at), c.stored) << c.spin;
  }
}

// A new function starts from its defaults, in one undo entry.
TEST_F(PoutPageTest, ChoosingAFunctionLoadsItsDefaults) {
  struct Case {
    const char* what;
    int k, function, before;
    int thresholds[3], conditions[3], words[2];
  };
  const Case cases[] = {
      {"shift light", 0, 2, 255, {90, 95, 140}, {12, 14, 14}, {75, 90}},
      {"fuel pump", 1, 1, 2, {40, 125, 140}, {2, 2, 2}, {75, 90}},
      {"special", 2, 255, 0, {40, 125, 140}, {2, 2, 2}, {75, 90}},
  };
  for (const Case& c : cases) {
    img().setByte(ImageByte::PoutFunction + c.k, c.before);
    for (int i = 0; i < 3; ++i) {
      img().setByte(ImageByte::PoutThreshold + 3 * c.k + i, 200 + i);
      img().setByte(ImageByte::PoutCondition + 3 * c.k + i, 7);
    }
    img().setByte(ImageByte::PoutFurther + c.k, 55);
    model.sanitize();
    binder.resetHistory();
    page->show();
    auto* g = sheet.findChild<q3::pages::RadioBox*>("RadioGroupPOut" + QString::number(c.k + 1));
    int index = -1;
    for (int i = 0; i < g->count(); ++i)
      if (g->itemValue(i) == c.function) index = i;
    ASSERT_GE(index, 0) << c.what;
    g->button(index)->click();
    EXPECT_EQ(img().byte(ImageByte::PoutFunction + c.k), c.function) << c.what;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(img().byte(ImageByte::PoutThreshold + 3 * c.k + i), c.thresholds[i]) << c.what;
      EXPECT_EQ(img().byte(ImageByte::PoutCondition + 3 * c.k + i), c.conditions[i]) << c.what;
    }
    EXPECT_EQ(img().word(ImageWord::PoutWords + 2 * c.k), c.words[0]) << c.what;
    EXPECT_EQ(img().word(ImageWord::PoutWords + 2 * c.k + 1), c.words[1]) << c.what;
    EXPECT_EQ(img().byte(ImageByte::PoutFurther + c.k), 10) << c.what;
    EXPECT_EQ(model.current(), 1) << c.what;
  }
}

TEST_F(PoutPageTest, SpecialPwmOnOutput2ShowsTheFrequency) {
  img().setByte(ImageByte::PoutFunction + 1, 2);
  page->show();
  auto* g = sheet.findChild<q3::pages::RadioBox*>("RadioGroupPOut2");
  g->button(4)->click();  // Special PWM
  EXPECT_EQ(img().byte(ImageByte::PoutFunction + 1), 254);
  EXPECT_TRUE(visible("UpDownPOutFreq2"));
  EXPECT_FALSE(visible("UpDownPOutHyster2"));
}

using SensorsPageTest = IndexedPageTest<q3::pages::SensorsPage, 2>;

// The live sensor voltage goes into the calibration only from a connected
// unit and in range; a refused take-over leaves no undo entry.
TEST_F(SensorsPageTest, ThrottleButtonsTakeTheLiveVoltage) {
  struct Case {
    const char* what;
    const char* button;
    bool connected;
    int live;
    int word, stored;
  };
  const Case cases[] = {
      {"0 % at 702 mV", "BitBtnTps0", true, 702, ImageWord::TpsLow, 702},
      {"100 % at 4500 mV", "BitBtnTps100", true, 4500, ImageWord::TpsHigh, 4500},
      {"no unit, cleared monitor", "BitBtnTps0", false, 0, ImageWord::TpsLow, 700},
      {"no unit, stale value", "BitBtnTps100", false, 4100, ImageWord::TpsHigh, 3790},
      {"above 5 V", "BitBtnTps0", true, 5200, ImageWord::TpsLow, 700},
  };
  for (const Case& c : cases) {
    model.applyDefaults(-1);
    img().setByte(ImageByte::TpsIapSensor, 1);
    model.sanitize();
    binder.resetHistory();
    page->show();
    page->connected = [&c] { return c.connected; };
    model.monitor().setByte(2 * q3::MonitorWord::LoadVoltage, c.live & 0xFF);
    model.monitor().setByte(2 * q3::MonitorWord::LoadVoltage + 1, c.live >> 8);
    sheet.findChild<QPushButton*>(c.button)->click();
    EXPECT_EQ(img().word(c.word), c.stored) << c.what;
    EXPECT_EQ(model.current(), c.stored == c.live ? 1 : 0) << c.what;
  }
}

TEST_F(SensorsPageTest, LoadSensorShowsTheThrottleButtons) {
  for (int load : {0, 1, 2}) {
    img().setByte(ImageByte::TpsIapSensor, load);
    page->show();
    EXPECT_EQ(visible("BitBtnTps0"), load == 1) << load;
    EXPECT_EQ(visible("BitBtnTps100"), load == 1) << load;
  }
}

TEST_F(SensorsPageTest, LambdaTypeLoadsItsCurve) {
  struct Case {
    int type, byte491, word250;
  };
  for (const Case& c : {Case{1, 120, 0}, Case{0, 130, 900}}) {
    binder.resetHistory();
    img().setByte(ImageByte::LambdaCurveBytes + 1, 77);
    radio("RadioGroupCidloLambdaMode" + QString::number(c.type))->click();
    EXPECT_EQ(img().byte(ImageByte::LambdaSensor), c.type);
    EXPECT_EQ(img().byte(ImageByte::LambdaCurveBytes + 1), c.byte491) << c.type;
    EXPECT_EQ(img().word(ImageWord::LambdaCurveWords), c.word250) << c.type;
    EXPECT_EQ(model.current(), 1) << c.type;
  }
}

using AdvancePageTest = IndexedPageTest<q3::pages::AdvancePage, 3>;

TEST_F(AdvancePageTest, ACorrectionForEachChannel) {
  for (int channels = 1; channels <= 4; ++channels) {
    img().setByte(ImageByte::Channels, channels);
    page->show();
    for (int k = 1; k <= 4; ++k) {
      EXPECT_EQ(visible(("UpDownKorAdv" + std::to_string(k)).c_str()), k <= channels)
          << channels << " channels, correction " << k;
      EXPECT_EQ(visible(("LabelKorAdv" + std::to_string(k)).c_str()), k <= channels);
    }
  }
}

using ServoPageTest = IndexedPageTest<q3::pages::ServoPage, 5>;

TEST_F(ServoPageTest, SensorAndEnableRules) {
  struct Case {
    int sensor, enable;
    bool enableBoxEnabled, hysteresisShown;
  };
  for (const Case& c :
       {Case{0, 0, true, false}, Case{0, 1, true, true}, Case{1, 0, false, false}}) {
    img().setByte(ImageByte::ServoSensor, c.sensor);
    img().setByte(ImageByte::ServoEnable, c.enable);
    page->show();
    EXPECT_EQ(enabled("CheckBoxServoEnable"), c.enableBoxEnabled);
    EXPECT_EQ(enabled("CheckBoxServoProcenta"), c.enableBoxEnabled);
    EXPECT_EQ(visible("UpDownServoHyster"), c.hysteresisShown);
    EXPECT_EQ(visible("LabelServoNo"), c.hysteresisShown);
  }
}

}  // namespace
