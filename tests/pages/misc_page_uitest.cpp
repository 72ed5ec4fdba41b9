// The Miscellaneous page on its own (offscreen): show then store keeps the
// image, the dwell and potentiometer rules of store, the inverse bits, the
// input lists and the rules.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QSpinBox>

#include "page_fixture.h"
#include "pages/misc_page.h"
#include "params/address_map.h"

using q3::ImageByte;
using q3::ImageWord;
using q3::pages::MiscPage;

namespace {

using MiscPageTest = q3test::PageFixture<MiscPage>;

// What store changes on a page nobody edited: the short and long dwell modes
// carry their fixed dwell time, a gear method without its input falls back
// to "No" and the foreign-file mark is cleared.
q3::ParamImage expectedAfterStore(q3::ParamImage e) {
  if (e.byte(ImageByte::DwellMode) == 0) e.setByte(ImageByte::DwellTime, 10);
  if (e.byte(ImageByte::DwellMode) == 1) e.setByte(ImageByte::DwellTime, 30);
  q3::applyFunctionConsequences(e);
  return e;
}

TEST_F(MiscPageTest, ShowThenStoreKeepsDefaultsAndRandomImages) {
  q3test::forEachRoundTripImage(model, 300, 8, [this](const std::string& what) {
    q3::ParamImage before = img();
    page->show();
    // An input function its list does not offer shows no selection and is
    // stored as "none" (255).
    for (int i = 1; i <= 6; ++i) {
      const auto* group = sheet.findChild<QGroupBox*>(QString("RadioGroupInput%1").arg(i));
      ASSERT_NE(group, nullptr);
      bool selected = false;
      for (const QRadioButton* b : group->findChildren<QRadioButton*>())
        selected = selected || b->isChecked();
      if (!selected) before.setByte(ImageByte::InputFunction + i - 1, 255);
    }
    page->store();
    q3test::expectSame(img(), expectedAfterStore(before), what);
  });
}

TEST_F(MiscPageTest, DwellModeDecidesTheDwellTime) {
  struct Case {
    int mode, time;
  };
  for (const Case& c : {Case{0, 10}, Case{1, 30}, Case{2, 55}}) {
    img().setByte(ImageByte::DwellMode, 2);
    img().setByte(ImageByte::DwellTime, 55);
    page->show();
    sheet.findChild<QRadioButton*>("RadioButtonDwellMode" + QString::number(c.mode))
        ->setChecked(true);
    page->store();
    EXPECT_EQ(img().byte(ImageByte::DwellMode), c.mode);
    EXPECT_EQ(img().byte(ImageByte::DwellTime), c.time) << "mode " << c.mode;
  }
}

TEST_F(MiscPageTest, PotentiometerFunctionSetsItsRange) {
  struct Case {
    int function, range, maximum;
    bool rangeShown;
  };
  for (const Case& c : {Case{1, 5, 60, true}, Case{2, 1000, 10000, true},
                        Case{4, 2000, 10000, true}, Case{0, 0, 10000, false}}) {
    page->show();
    sheet.findChild<QRadioButton*>("RadioButtonPoti" + QString::number(c.function))
        ->setChecked(true);
    page->store();
    page->show();
    EXPECT_EQ(img().word(ImageWord::PotRange), c.range) << "function " << c.function;
    EXPECT_EQ(w<QSpinBox>("UpDownPotencRozsah")->maximum(), c.maximum);
    EXPECT_EQ(visible("UpDownPotencRozsah"), c.rangeShown);
  }
}

// Input 3 from Gear to Off while the gear method is "Voltage": the method
// becomes "No" in the same change.
TEST_F(MiscPageTest, GearMethodFollowsItsInput) {
  model.applyDefaults(-1);
  img().setByte(ImageByte::InputFunction + 2, 8);
  img().setByte(ImageByte::GearSystem, 1);
  model.sanitize();
  binder.resetHistory();
  page->show();
  auto* input3 = sheet.findChild<q3::pages::RadioBox*>("RadioGroupInput3");
  input3->button(0)->click();  // Off
  EXPECT_EQ(img().byte(ImageByte::InputFunction + 2), 0);
  EXPECT_EQ(img().byte(ImageByte::GearSystem), 0);
  EXPECT_EQ(model.current(), 1);
}

TEST_F(MiscPageTest, InverseBoxesSetOnlyTheirBit) {
  img().setByte(ImageByte::InputInverse, 0xC0 | 0x05);
  page->show();
  w<QCheckBox>("CheckBoxInverseInput2")->setChecked(true);
  w<QCheckBox>("CheckBoxInverseInput1")->setChecked(false);
  page->store();
  EXPECT_EQ(img().byte(ImageByte::InputInverse), 0xC0 | 0x06);
}

TEST_F(MiscPageTest, InputsOfferTheirFunctions) {
  struct Case {
    const char* input;
    int value;
    bool offered;
  };
  const Case cases[] = {{"RadioGroupInput1", 9, true},   {"RadioGroupInput1", 8, false},
                        {"RadioGroupInput1", 10, false}, {"RadioGroupInput3", 8, true},
                        {"RadioGroupInput3", 9, false},  {"RadioGroupInput2", 10, true},
                        {"RadioGroupInput6", 4, false}};
  for (const Case& c : cases) {
    auto* g = sheet.findChild<q3::pages::RadioBox*>(c.input);
    bool found = false;
    for (int i = 0; i < g->count(); ++i) found = found || g->itemValue(i) == c.value;
    EXPECT_EQ(found, c.offered) << c.input << " value " << c.value;
  }
}

TEST_F(MiscPageTest, RulesFollowTheInputsAndModes) {
  struct Case {
    const char* what;
    int input1, input3, neutral, dwellMode;
    const char* control;
    bool visible, enabled;
  };
  const Case cases[] = {
      {"neutral reserves input 1", 3, 0, 1, 0, "RadioGroupInput1", true, false},
      {"neutral hides input 1's inverse box", 3, 0, 1, 0, "CheckBoxInverseInput1", false, true},
      {"quickshift invertible", 3, 0, 0, 0, "CheckBoxInverseInput1", true, true},
      {"kill switch not invertible", 1, 0, 0, 0, "CheckBoxInverseInput1", false, true},
      {"input 3 not reserved", 0, 5, 1, 0, "RadioGroupInput3", true, true},
      {"retard needs an input", 0, 0, 0, 0, "UpDownRetard", true, false},
      {"retard on input 3", 0, 5, 0, 0, "UpDownRetard", true, true},
      {"start limiter needs an input", 0, 0, 0, 0, "UpDownStartLimiter", true, false},
      {"start limiter on input 3", 0, 6, 0, 0, "UpDownStartLimiterDelay", true, true},
      {"dwell time only manual", 0, 0, 0, 1, "UpDownDwellTime", false, true},
      {"dwell time manual", 0, 0, 0, 2, "UpDownDwellTime", true, true},
      {"dwell correction never", 0, 0, 0, 2, "UpDownDwellCor", false, true},
      {"start limiter minimum never", 0, 6, 0, 2, "UpDownStartLimiterMin", false, true},
  };
  for (const Case& c : cases) {
    img().setByte(ImageByte::InputFunction, c.input1);
    img().setByte(ImageByte::InputFunction + 2, c.input3);
    img().setByte(ImageByte::InputNeutralSs, c.neutral);
    img().setByte(ImageByte::DwellMode, c.dwellMode);
    page->show();
    EXPECT_EQ(visible(c.control), c.visible) << c.what;
    EXPECT_EQ(enabled(c.control), c.enabled) << c.what;
  }
}

}  // namespace
