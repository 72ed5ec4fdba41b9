// The parameter model inside the main window (offscreen): start-up defaults,
// the deferred apply on the window's tick, undo and redo from the menu and the
// tool bar, the page of the change, the settings save after a snapshot and
// the unit/PC message in slot 4.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTabWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "params/address_map.h"
#include "params_fixture.h"
#include "shell/ui/main_window.h"
#include "support/qt_app.h"
#include "text/mstring.h"

namespace fs = std::filesystem;
using q3::ImageByte;

namespace {

using q3test::app;

class WindowParamsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    char tmpl[] = "/tmp/q3paramsXXXXXX";
    dir = mkdtemp(tmpl);
    setenv("QUELIN3_DATA_DIR", dir.c_str(), 1);
    setenv("QUELIN3_SERVICE_FILE", (dir / "service.txt").c_str(), 1);
    q3::setLanguage(0);
    form = std::make_unique<MainWindow>(q3::StartOptions::fromEnvironment());
    // A stand-in for the Miscellaneous and Servo pages: one value each.
    form->pageHost().pages[0].store = [this] { image().setByte(ImageByte::Retard, retard); };
    form->pageHost().pages[0].show = [this] { retard = image().byte(ImageByte::Retard); };
    form->pageHost().pages[5].store = [this] { image().setByte(ImageByte::ServoEnable, servo); };
    form->pageHost().pages[5].show = [this] { servo = image().byte(ImageByte::ServoEnable); };
  }
  void TearDown() override {
    form.reset();
    fs::remove_all(dir);
  }
  q3::ParamImage& image() { return form->image(); }
  bool enabled(const char* action, const char* button) {
    const bool a = form->action(action)->isEnabled();
    const bool b = form->findChild<QAbstractButton*>(button)->isEnabled();
    EXPECT_EQ(a, b) << action;
    return a;
  }
  std::string defaultIni() {
    std::ifstream in(dir / "default.ini");
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  fs::path dir;
  std::unique_ptr<MainWindow> form;
  int retard = 0, servo = 0;
};

}  // namespace

TEST_F(WindowParamsTest, StartsWithBike20DefaultsAndNothingToUndo) {
  EXPECT_EQ(image().byte(ImageByte::Bike), 20);
  EXPECT_EQ(image().byte(ImageByte::Limiter), 110);
  EXPECT_EQ(image().byte(ImageByte::EdgeStart), 65);
  EXPECT_EQ(image().byte(ImageByte::EdgeStart + 2), 1);  // made consistent
  EXPECT_FALSE(enabled("MenuZpet", "SpeedButtonZpet"));
  EXPECT_FALSE(enabled("MenuZnovu", "SpeedButtonZnovu"));
  EXPECT_FALSE(form->params().unitImageValid());
  EXPECT_FALSE(form->findChild<QLabel*>("LabelCongruence")->isVisibleTo(form.get()));
}

TEST_F(WindowParamsTest, SpinClicksApplyOnTheWindowTickAndUndoRedoWork) {
  form->pageControl()->setCurrentIndex(0);
  for (int i = 0; i < 3; ++i) {
    retard = 10 + i;
    form->binder().upDownClick(&retard);
  }
  for (int i = 0; i < 4; ++i) form->core().tick();
  EXPECT_EQ(image().byte(ImageByte::Retard), 6);
  form->core().tick();
  EXPECT_EQ(image().byte(ImageByte::Retard), 12);
  EXPECT_TRUE(enabled("MenuZpet", "SpeedButtonZpet"));
  // The settings are saved with every snapshot: default.ini holds the new image.
  std::istringstream ini(defaultIni());
  int v = -1;
  for (int i = 0; i <= ImageByte::Retard; ++i) ini >> v;
  EXPECT_EQ(v, 12);

  form->action("MenuZpet")->trigger();
  EXPECT_EQ(image().byte(ImageByte::Retard), 6);
  EXPECT_EQ(retard, 6);  // the page shows the restored value
  EXPECT_FALSE(enabled("MenuZpet", "SpeedButtonZpet"));
  EXPECT_TRUE(enabled("MenuZnovu", "SpeedButtonZnovu"));
  form->findChild<QAbstractButton*>("SpeedButtonZnovu")->click();
  EXPECT_EQ(image().byte(ImageByte::Retard), 12);
  form->findChild<QAbstractButton*>("SpeedButtonZpet")->click();
  EXPECT_EQ(image().byte(ImageByte::Retard), 6);
}

// A recording notes every applied edit: one announcement per change, none
// for an apply that changed nothing.
TEST_F(WindowParamsTest, EveryAppliedEditIsAnnouncedOnce) {
  int changes = 0;
  auto sub = form->events().imageChanged.subscribe([&] { ++changes; });
  retard = 33;
  form->binder().checkBoxClick(&retard);
  EXPECT_EQ(changes, 1);
  form->binder().checkBoxClick(&retard);
  EXPECT_EQ(changes, 1);
  form->pageControl()->setCurrentIndex(5);  // shows the page: servo takes the image's value
  servo = 1;
  form->binder().checkBoxClick(&servo);
  EXPECT_EQ(changes, 2);
}

TEST_F(WindowParamsTest, UndoReturnsToThePageOfTheChange) {
  form->pageControl()->setCurrentIndex(5);
  servo = 1;
  form->binder().checkBoxClick(&servo);
  form->pageControl()->setCurrentIndex(6);
  form->action("MenuZpet")->trigger();
  EXPECT_EQ(form->pageControl()->currentIndex(), 5);
  EXPECT_EQ(image().byte(ImageByte::ServoEnable), 0);
  EXPECT_EQ(servo, 0);
}

TEST_F(WindowParamsTest, Slot4FollowsTheUnitImage) {
  auto* label = form->findChild<QLabel*>("LabelCongruence");
  form->params().unitImage() = image();
  form->params().setUnitImageValid(true);
  form->params().compare();
  EXPECT_TRUE(label->isVisibleTo(form.get()));
  EXPECT_EQ(label->text(), "Unit and PC settings are identical");
  retard = 33;
  form->binder().checkBoxClick(&retard);
  EXPECT_EQ(label->text(), "Unit and PC settings are different");
  form->action("MenuZpet")->trigger();
  EXPECT_EQ(label->text(), "Unit and PC settings are identical");
}

TEST_F(WindowParamsTest, CaptionShowsTheFileOnlyWhileTheImageIsUnmodified) {
  form->settings().file = u"/tmp/bike20.ign";
  form->params().takeImageAsSaved();
  form->params().compare();
  EXPECT_TRUE(form->windowTitle().contains("bike20.ign")) << form->windowTitle().toStdString();
  retard = 21;
  form->binder().checkBoxClick(&retard);
  EXPECT_FALSE(form->windowTitle().contains("bike20.ign"));
  retard = 6;  // back to the saved value: unmodified again
  form->binder().checkBoxClick(&retard);
  EXPECT_TRUE(form->windowTitle().contains("bike20.ign"));
}
