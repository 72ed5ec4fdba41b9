// The setting pages inside the main window (offscreen): a change of one control
// becomes one undo step in the image, undo brings the byte back, and the
// settings file written from the image carries the change.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "base/app_settings.h"
#include "files/ign_reader.h"
#include "files/ign_writer.h"
#include "maps/ui/map_editor.h"
#include "params/address_map.h"
#include "params/param_binder.h"
#include "shell/ui/main_window.h"
#include "support/qt_app.h"
#include "text/mstring.h"

namespace fs = std::filesystem;
using q3::ImageByte;

namespace {

using q3test::app;

class PagesWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    char tmpl[] = "/tmp/q3pagesXXXXXX";
    dir = mkdtemp(tmpl);
    setenv("QUELIN3_DATA_DIR", dir.c_str(), 1);
    setenv("QUELIN3_SERVICE_FILE", (dir / "service.txt").c_str(), 1);
    q3::setLanguage(0);
    form = std::make_unique<MainWindow>(q3::StartOptions::fromEnvironment());
  }
  void TearDown() override {
    form.reset();
    fs::remove_all(dir);
  }
  fs::path dir;
  std::unique_ptr<MainWindow> form;
};

// One spin edit of each page, one step up (or down at its maximum): one byte
// moves by one.
TEST_F(PagesWindowTest, OneControlChangeIsOneUndoStepAndReachesTheFile) {
  struct Case {
    int page;
    const char* spin;
    int byte;
  };
  const Case cases[] = {{0, "UpDownLimiter", ImageByte::Limiter},
                        {1, "UpDownRevWoIgnition", ImageByte::RevWoIgnition},
                        {3, "UpDownBaseAdv", ImageByte::BaseAdv},
                        {4, "UpDownPOutHyster2", ImageByte::PoutFurther + 1},
                        {5, "UpDownServoHyster", ImageByte::ServoHyster},
                        {6, "UpDownGearAutoBand", ImageByte::GearAutoBand},
                        {7, "UpDownGearKorAdv1", ImageByte::GearCorrAdv},
                        {8, "UpDownGas1", ImageByte::N2oGas1},
                        {9, "UpDownLambdaBar1", ImageByte::LambdaBar + 1}};
  for (const Case& c : cases) {
    form->pageControl()->setCurrentIndex(c.page);
    auto* spin = form->findChild<QSpinBox*>(c.spin);
    ASSERT_NE(spin, nullptr) << c.spin;
    const int before = form->image().byte(c.byte);
    const int undoEntry = form->params().current();
    const int shown = spin->value();
    const int dir = shown + spin->singleStep() <= spin->maximum() ? 1 : -1;
    spin->setValue(shown + dir * spin->singleStep());
    // A spin change applies a few ticks later.
    for (int i = 0; i <= q3::kSpinApplyDelayTicks; ++i) form->core().tick();
    EXPECT_EQ(form->image().byte(c.byte), before + dir) << c.spin;
    EXPECT_EQ(form->params().current(), (undoEntry + 1) % q3::kUndoDepth) << c.spin;

    const std::string text = q3::renderIgn(form->image(), q3::IgnWriteInfo{});
    q3::ParamModel reread;
    q3::IgnFileState state;
    ASSERT_NE(q3::readIgn(text, reread, state, {}).key, 0);
    EXPECT_EQ(reread.image().byte(c.byte), before + dir) << c.spin;

    form->action("MenuZpet")->trigger();
    EXPECT_EQ(form->image().byte(c.byte), before) << c.spin;
    EXPECT_EQ(spin->value(), shown) << c.spin;
  }
}

// The load sensor decides which calibration shows on the Sensors page: the
// throttle table with its two buttons, the pressure table, or neither.
TEST_F(PagesWindowTest, LoadSensorShowsItsCalibration) {
  struct Case {
    int load;
    bool throttle, pressure;
  };
  form->pageControl()->setCurrentIndex(2);
  for (const Case& c : {Case{1, true, false}, Case{2, false, true}, Case{0, false, false}}) {
    form->findChild<QRadioButton*>("RadioGroupTpsIap" + QString::number(c.load))->click();
    form->core().tick();  // the maps follow the image on the next tick
    EXPECT_EQ(form->image().byte(ImageByte::TpsIapSensor), c.load);
    EXPECT_EQ(form->findChild<QWidget*>("TabSensorTps")->isVisibleTo(form.get()), c.throttle)
        << c.load;
    EXPECT_EQ(form->findChild<QWidget*>("BitBtnTps0")->isVisibleTo(form.get()), c.throttle)
        << c.load;
    EXPECT_EQ(form->findChild<QWidget*>("BitBtnTps100")->isVisibleTo(form.get()), c.throttle)
        << c.load;
    EXPECT_EQ(form->findChild<QWidget*>("TabSensorIap")->isVisibleTo(form.get()), c.pressure)
        << c.load;
  }
}

// The image kept for the next start follows every change: it is written at
// the tick after the apply.
TEST_F(PagesWindowTest, ChangedImageIsKeptForTheNextStart) {
  form->pageControl()->setCurrentIndex(0);
  auto* limiter = form->findChild<QSpinBox*>("UpDownLimiter");
  limiter->setValue(limiter->value() == 12000 ? 13000 : 12000);
  for (int i = 0; i <= q3::kSpinApplyDelayTicks + 1; ++i) form->core().tick();
  q3::ParamImage kept;
  ASSERT_TRUE(q3::readImageDump(form->paths().defaultIni(), kept.data(), q3::kImageSize));
  EXPECT_EQ(kept.byte(ImageByte::Limiter), limiter->value() / 100);
}

// Captions the pages make themselves follow a change of language.
TEST_F(PagesWindowTest, PageCaptionsFollowTheLanguage) {
  form->changeLanguage(1);
  EXPECT_EQ(form->findChild<QLabel*>("LabelGearKorServo")->text(), "Servo [U/min]");
  EXPECT_EQ(form->findChild<QGroupBox*>("GroupBoxGearTakeOver")->title(), "Live-Wert");
  // A table caption no text table covers, and one a text table gives.
  EXPECT_EQ(form->findChild<QLabel*>("LabelLambdaBar1")->text(), "Lambda-Balken 1");
  EXPECT_EQ(form->findChild<QLabel*>("LabelLimiter")->text(), "Begrenzer [rpm]");
  form->changeLanguage(0);
  EXPECT_EQ(form->findChild<QGroupBox*>("GroupBoxGearTakeOver")->title(), "Live value");
}

// The window on the (offscreen) screen and active, so that clicks, focus
// and the window's shortcut keys behave as for a user.
void showActive(MainWindow& w) {
  w.show();
  QApplication::setActiveWindow(&w);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

void clickTab(MainWindow& w, int page) {
  QTabBar* bar = w.pageControl()->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
}

// A change on the Miscellaneous page followed at once by a change of page
// is applied to the Miscellaneous page, as one undo step: a spin click left
// by a click on a tab, by the keys that change the tab, and a typed number
// left by a click on a tab.
TEST_F(PagesWindowTest, ALeftPageKeepsItsEditAsOneUndoStep) {
  showActive(*form);
  struct Case {
    const char* what;
    std::function<void(QSpinBox*)> edit;
    std::function<void()> leave;
    int limiter;  // byte 202 afterwards
  };
  auto step = [](QSpinBox* s) { s->stepUp(); };
  auto type = [](QSpinBox* s) {
    s->setFocus();
    s->selectAll();
    QTest::keyClicks(s, "12500");
  };
  const Case cases[] = {
      {"spin, tab click", step, [&] { clickTab(*form, 1); }, 111},
      {"spin, tab keys", step, [&] { form->pageControl()->setCurrentIndex(1); }, 111},
      {"typed, tab click", type, [&] { clickTab(*form, 1); }, 125},
  };
  for (const Case& c : cases) {
    form->image().setByte(ImageByte::Limiter, 110);
    form->pageControl()->setCurrentIndex(0);
    form->context().showActivePage();
    form->binder().resetHistory();
    auto* limiter = form->findChild<QSpinBox*>("UpDownLimiter");
    c.edit(limiter);
    c.leave();
    ASSERT_EQ(form->pageControl()->currentIndex(), 1) << c.what;
    for (int i = 0; i <= q3::kSpinApplyDelayTicks + 1; ++i) form->core().tick();
    EXPECT_EQ(form->image().byte(ImageByte::Limiter), c.limiter) << c.what;
    EXPECT_EQ(form->params().current(), 1) << c.what << ": one undo entry";
    clickTab(*form, 0);
    EXPECT_EQ(limiter->value(), c.limiter * 100) << c.what;
    form->action("MenuZpet")->trigger();
    EXPECT_EQ(form->image().byte(ImageByte::Limiter), 110) << c.what;
  }
}

// "Percent" converts the servo map from volts (default cells 2.0..2.9 V) to
// 40..58 % in one undo step; undo brings back the volts and the box.
TEST_F(PagesWindowTest, ServoPercentConvertsTheMapInOneUndoStep) {
  form->pageControl()->setCurrentIndex(5);
  form->core().tick();
  const q3::ParamImage volts = form->image();
  const int entry = form->params().current();
  auto* percent = form->findChild<QCheckBox*>("CheckBoxServoProcenta");
  ASSERT_FALSE(percent->isChecked());
  percent->click();
  form->core().tick();
  EXPECT_EQ(form->params().current(), (entry + 1) % q3::kUndoDepth);
  EXPECT_EQ(form->image().byte(ImageByte::ServoPercent), 1);
  int low = 255, high = 0;
  for (int i = 0; i < 150; ++i) {
    const int v = form->image().byte(ImageByte::Servo + i);
    low = std::min(low, v);
    high = std::max(high, v);
    EXPECT_EQ(v, int(volts.byte(ImageByte::Servo + i) * 0.4 + 0.5)) << "cell " << i;
  }
  EXPECT_EQ(low, 40);
  EXPECT_EQ(high, 58);
  auto* map = form->findChild<q3::MapEditor*>("TabServo");
  EXPECT_EQ(map->model().sheet(0).v.name, "[%]");

  form->action("MenuZpet")->trigger();
  form->core().tick();
  EXPECT_TRUE(form->image() == volts);
  EXPECT_FALSE(percent->isChecked());
  EXPECT_NE(map->model().sheet(0).v.name, "[%]");
}

// Ctrl+Z in a number field is the window's undo: the image change made
// with that field is undone (the field does not keep the key for its text).
TEST_F(PagesWindowTest, UndoKeyInANumberFieldUndoesTheImageChange) {
  showActive(*form);
  form->pageControl()->setCurrentIndex(0);
  auto* limiter = form->findChild<QSpinBox*>("UpDownLimiter");
  const int before = form->image().byte(ImageByte::Limiter);
  limiter->setFocus();
  QTest::keyClick(limiter, Qt::Key_Up);
  for (int i = 0; i <= q3::kSpinApplyDelayTicks; ++i) form->core().tick();
  ASSERT_EQ(form->image().byte(ImageByte::Limiter), before + 1);
  limiter->setFocus();
  QTest::keyClick(limiter, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(form->image().byte(ImageByte::Limiter), before);
  EXPECT_EQ(limiter->value(), before * 100);
  // Ctrl+Alt+Z, the window's redo, brings it back.
  limiter->setFocus();
  QTest::keyClick(limiter, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(form->image().byte(ImageByte::Limiter), before + 1);
}

}  // namespace
