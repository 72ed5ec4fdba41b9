// The Gear, Race and N2O pages on their own (offscreen): show then store keeps the
// image, per-gear scalings, and the rules.
#include <gtest/gtest.h>

#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

#include "page_fixture.h"
#include "pages/gear_page.h"
#include "pages/map_pages.h"
#include "pages/n2o_page.h"
#include "pages/pout_page.h"
#include "pages/race_page.h"
#include "params/address_map.h"

using q3::ImageByte;

namespace {

template <class P>
class PlainPageTest : public q3test::PageFixture<P> {};
using PlainPages = ::testing::Types<q3::pages::GearPage, q3::pages::RacePage, q3::pages::N2OPage,
                                    q3::pages::SensorsPage, q3::pages::AdvancePage,
                                    q3::pages::ServoPage, q3::pages::TestPage, q3::pages::PoutPage>;
TYPED_TEST_SUITE(PlainPageTest, PlainPages);

TYPED_TEST(PlainPageTest, ShowThenStoreKeepsDefaultsAndRandomImages) {
  q3test::forEachRoundTripImage(this->model, 300, 78, [this](const std::string& what) {
    const q3::ParamImage before = this->img();
    this->page->show();
    this->page->store();
    q3test::expectSame(this->img(), before, what);
  });
}

TEST(GearTakeOver, OnlyFromAConnectedUnitAndInRange) {
  struct Case {
    int method, n;
    bool connected;
    int voltage, ratio, word, value;
  };
  const Case cases[] = {
      {1, 3, true, 2500, 0, 71, 2500},  // "<- Gear 3" with the voltage method
      {1, 0, true, 800, 0, 68, 800},    // neutral has a voltage
      {1, 3, false, 2500, 0, -1, 0},    // no unit
      {1, 3, true, 6000, 0, -1, 0},     // outside 0..5000
      {2, 0, true, 0, 900, -1, 0},      // no ratio for neutral
      {2, 3, true, 0, 900, 64, 900},   {2, 3, true, 0, 0, -1, 0},  // a stopped bike gives ratio 0
      {3, 3, true, 2500, 900, -1, 0},  // the automatic method learns by itself
      {0, 3, true, 2500, 900, -1, 0},
  };
  for (const Case& c : cases) {
    const q3::pages::TakeOver t =
        q3::pages::gearTakeOver(c.method, c.n, c.connected, c.voltage, c.ratio);
    EXPECT_EQ(t.word, c.word) << "method " << c.method << " gear " << c.n;
    if (t.word >= 0) EXPECT_EQ(t.value, c.value);
  }
}

TEST(GearHighlight, GearsAboveSixHighlightNothing) {
  struct Case {
    int engaged, edit, raceRow;
  };
  for (const Case& c : {Case{0, 0, 1}, Case{1, 1, 1}, Case{3, 3, 3}, Case{6, 6, 6}, Case{7, -1, -1},
                        Case{255, -1, -1}, Case{-1, -1, -1}}) {
    EXPECT_EQ(q3::pages::highlightedGear(c.engaged), c.edit) << c.engaged;
    EXPECT_EQ(q3::pages::raceRow(c.engaged), c.raceRow) << c.engaged;
  }
}

bool lime(QWidget* w) {
  const QPalette::ColorRole role = qobject_cast<QLabel*>(w) ? QPalette::Window : QPalette::Base;
  return w->palette().color(role) == QColor(0, 255, 0);
}

class GearPageTest : public q3test::PageFixture<q3::pages::GearPage> {
 protected:
  void SetUp() override {
    index = 6;
    PageFixture::SetUp();
  }
};

// A gear method takes the input it reads, without a question, whatever
// function the input had (a kill switch, say).
TEST_F(GearPageTest, GearMethodTakesItsInput) {
  struct Case {
    const char* what;
    int method, input, before;
    int inputAfter;
  };
  const Case cases[] = {
      {"kill switch replaced", 2, 0, 1, 9},
      {"automat replaces a kill switch", 3, 0, 1, 9},
      {"free input taken", 1, 2, 0, 8},
      {"already the speed input", 3, 0, 9, 9},
  };
  for (const Case& c : cases) {
    model.applyDefaults(-1);
    img().setByte(ImageByte::GearSystem, 0);
    img().setByte(ImageByte::InputFunction + c.input, c.before);
    model.sanitize();
    binder.resetHistory();
    page->show();
    dialogs.asked = 0;
    sheet.findChild<QRadioButton*>("RadioGroupGearSystem" + QString::number(c.method))->click();
    EXPECT_EQ(dialogs.asked, 0) << c.what;
    EXPECT_EQ(img().byte(ImageByte::GearSystem), c.method) << c.what;
    EXPECT_EQ(img().byte(ImageByte::InputFunction + c.input), c.inputAfter) << c.what;
    EXPECT_EQ(model.current(), 1) << c.what << ": one undo step";
  }
}

// The edit and label the unit uses in the engaged gear are lime: the
// voltage in method 1, the ratio in method 2, the learnt ratio's caption in
// method 3; a gear above 6 marks nothing.
TEST_F(GearPageTest, EngagedGearIsLime) {
  struct Case {
    int method, engaged;
    const char* marked;  // nullptr: nothing
  };
  const Case cases[] = {
      {1, 3, "GearVolt3"},    {1, 0, "GearVolt0"}, {2, 3, "GearRatio3"}, {2, 0, nullptr},
      {1, 7, nullptr},        {2, 200, nullptr},   {0, 3, nullptr},      {1, -1, nullptr},
      {3, 2, "MonGearAuto2"}, {3, 0, nullptr},
  };
  for (const Case& c : cases) {
    img().setByte(ImageByte::GearSystem, c.method);
    page->show();
    page->showEngagedGear(c.engaged);
    for (const char* kind : {"GearVolt", "GearRatio"})
      for (int g = 0; g <= 6; ++g) {
        const QString stem = QString::fromLatin1(kind) + QString::number(g);
        auto* edit = sheet.findChild<QWidget*>("UpDown" + stem);
        auto* label = sheet.findChild<QWidget*>("Label" + stem);
        if (!edit) continue;
        const bool want = c.marked && stem == QLatin1String(c.marked);
        EXPECT_EQ(lime(edit), want)
            << "method " << c.method << " gear " << c.engaged << " " << stem.toStdString();
        EXPECT_EQ(lime(label), want) << stem.toStdString();
      }
    for (int g = 1; g <= 6; ++g) {
      const QString stem = QStringLiteral("MonGearAuto%1").arg(g);
      EXPECT_EQ(lime(sheet.findChild<QWidget*>("Label" + stem)),
                c.marked && stem == QLatin1String(c.marked))
          << "method " << c.method << " gear " << c.engaged << " " << stem.toStdString();
    }
  }
}

// The live values the monitor fills stand on the page for the method that
// uses them: the gear voltage by the take-over buttons in method 1, the
// rpm/speed ratio in methods 2 and 3, the learnt ratio of each gear in use in
// method 3.
TEST_F(GearPageTest, LiveValuesShowForTheirMethod) {
  struct Case {
    int method, gears;
    bool voltage, ratio;
    int autoRows;
  };
  const Case cases[] = {
      {0, 6, false, false, 0}, {1, 6, true, false, 0}, {2, 4, false, true, 0},
      {3, 4, false, true, 4},  {3, 6, false, true, 6},
  };
  for (const Case& c : cases) {
    img().setByte(ImageByte::GearSystem, c.method);
    img().setByte(ImageByte::GearCount, c.gears);
    page->show();
    auto shown = [&](const char* name) {
      const QWidget* w = sheet.findChild<QWidget*>(QString::fromLatin1(name));
      return w && w->isVisibleTo(&sheet);
    };
    EXPECT_EQ(shown("LabelMonGearNapeti"), c.voltage) << "method " << c.method;
    EXPECT_EQ(shown("LabelMonPomerRpmSpeed"), c.ratio) << "method " << c.method;
    int rows = 0;
    for (int g = 1; g <= 6; ++g)
      rows += shown(QStringLiteral("LabelMonPomerRpmSpeedAuto%1").arg(g).toLatin1().constData());
    EXPECT_EQ(rows, c.autoRows) << "method " << c.method << " gears " << c.gears;
  }
}

using RacePageTest = q3test::PageFixture<q3::pages::RacePage>;

TEST_F(RacePageTest, EngagedGearsRowIsLime) {
  struct Case {
    const char* what;
    int input1, engaged;
    const char* control;
    bool marked;
  };
  const Case cases[] = {
      {"neutral uses row 0-1", 3, 0, "UpDownGearKorAdv1", true},
      {"neutral leaves the row caption", 3, 0, "LabelGearKor1", false},
      {"first gear marks the caption", 3, 1, "LabelGearKor1", true},
      {"cut time with quickshift", 3, 0, "UpDownClutchTime1", true},
      {"no cut time without quickshift", 0, 0, "UpDownClutchTime1", false},
      {"corrections without quickshift", 0, 4, "UpDownGearKorPoutC4", true},
      {"other rows normal", 3, 4, "UpDownGearKorLim3", false},
      {"gear 7 marks nothing", 3, 7, "UpDownGearKorServo6", false},
  };
  for (const Case& c : cases) {
    img().setByte(ImageByte::InputFunction, c.input1);
    img().setByte(ImageByte::GearSystem, 1);
    page->show();
    page->showEngagedGear(c.engaged);
    EXPECT_EQ(lime(sheet.findChild<QWidget*>(c.control)), c.marked) << c.what;
  }
}

TEST_F(RacePageTest, PerGearEditsStoreTheirScaling) {
  struct Case {
    const char* spin;
    int shown, at, stored;
  };
  const Case cases[] = {
      {"UpDownClutchTime3", 75, ImageByte::ClutchTime + 2, 15},
      {"UpDownGearKorAdv1", -20, ImageByte::GearCorrAdv, 80},
      {"UpDownGearKorLim6", -100, ImageByte::GearCorrLimiter + 5, 98},
      {"UpDownGearKorServo2", 5000, ImageByte::GearCorrServo + 1, 200},
      {"UpDownGearKorPoutB4", 50, ImageByte::GearCorrPout + 6 + 3, 101},
      {"UpDownGearKorPoutC5", -50, ImageByte::GearCorrPout2 + 4, 99},
  };
  for (const Case& c : cases) {
    img().setByte(c.at, 100);
    page->show();
    w<QSpinBox>(c.spin)->setValue(c.shown);
    page->store();
    EXPECT_EQ(img().byte(c.at), c.stored) << c.spin;
  }
}

TEST_F(RacePageTest, RulesFollowQuickshiftAndGears) {
  struct Case {
    int input1, method, gears;
    const char* control;
    bool visible, enabled;
  };
  const Case cases[] = {
      {0, 1, 6, "RadioGroupClutchMode", true, false}, {3, 1, 6, "RadioGroupClutchMode", true, true},
      {3, 1, 4, "UpDownClutchTime5", false, true},    {3, 1, 4, "UpDownClutchTime4", true, true},
      {0, 0, 6, "UpDownClutchTime1", true, false},    {0, 0, 6, "UpDownGearKorAdv1", false, true},
      {0, 2, 3, "UpDownGearKorLim3", true, true},     {0, 2, 3, "UpDownGearKorLim4", false, true},
  };
  for (const Case& c : cases) {
    img().setByte(ImageByte::InputFunction, c.input1);
    img().setByte(ImageByte::GearSystem, c.method);
    img().setByte(ImageByte::GearCount, c.gears);
    page->show();
    EXPECT_EQ(visible(c.control), c.visible) << c.control;
    EXPECT_EQ(enabled(c.control), c.enabled) << c.control;
  }
}

using N2OPageTest = q3test::PageFixture<q3::pages::N2OPage>;

TEST_F(N2OPageTest, ControlsNeedAnInputAndPowerOutput3) {
  struct Case {
    int input4, pout3;
    bool enabled;
    const char* inputHint;
  };
  for (const Case& c : {Case{10, 4, true, "Input: Multifunction input 4 (pin 11)"},
                        Case{10, 255, false, "Input: Multifunction input 4 (pin 11)"},
                        Case{0, 4, false, "Input: Select some input to allow N2O function"}}) {
    img().setByte(ImageByte::InputFunction + 3, c.input4);
    img().setByte(ImageByte::PoutFunction + 2, c.pout3);
    page->show();
    EXPECT_EQ(enabled("UpDownGas1"), c.enabled);
    EXPECT_EQ(sheet.findChild<QLabel*>("LabelN2O_Input")->text(), QString::fromLatin1(c.inputHint));
    const QColor out =
        sheet.findChild<QLabel*>("LabelN2O_Output")->palette().color(QPalette::Window);
    EXPECT_EQ(out == QColor(Qt::yellow), c.pout3 != 4);
    EXPECT_FALSE(visible("CheckBoxGas"));
  }
}

}  // namespace
