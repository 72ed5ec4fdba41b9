// The main window offscreen: named menus and controls, start-up and closing
// with the settings folder, a second start restoring the state, the command
// line, service mode, the language menu and closing on SIGTERM.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTest>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "base/app_clock.h"
#include "base/app_settings.h"
#include "base/debug_log.h"
#include "shell/ui/close_on_signal.h"
#include "shell/ui/main_window.h"
#include "support/qt_app.h"
#include "text/mstring.h"
#include "text/ui_texts.h"

namespace fs = std::filesystem;

namespace {

using q3test::app;

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

int threadCount() {
  int n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/task")) ++n;
  return n;
}

// Takes part in a window's steps for as long as it lives.
class Joined {
 public:
  Joined(MainWindow& w, q3::Feature& f) : m_core(w.core()), m_f(f) { m_core.addFeature(&m_f); }
  ~Joined() { m_core.removeFeature(&m_f); }
  Joined(const Joined&) = delete;
  Joined& operator=(const Joined&) = delete;

 private:
  q3::AppCore& m_core;
  q3::Feature& m_f;
};

struct TickCounter : q3::Feature {
  int ticks = 0;
  const char* featureName() const override { return "tick-counter"; }
  void tick(q3::TickPhase phase, int32_t) override { ticks += phase == q3::TickPhase::PlayerStep; }
};

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    char tmpl[] = "/tmp/q3uiXXXXXX";
    dir = mkdtemp(tmpl);
    setenv("QUELIN3_DATA_DIR", dir.c_str(), 1);
    setenv("QUELIN3_SERVICE_FILE", (dir / "service.txt").c_str(), 1);
    q3::setLanguage(0);
  }
  void TearDown() override {
    form.reset();
    fs::remove_all(dir);
    q3::setLanguage(0);
  }
  MainWindow& start(const QStringList& args = {}) {
    form = std::make_unique<MainWindow>(q3::StartOptions::fromEnvironment(), args);
    form->show();
    return *form;
  }
  void writeSettings(const std::string& body) {
    std::ofstream(dir / "application.ini") << "[FORM_HLAV]\n" << body;
  }
  QString caption(const char* name) { return form->action(name)->text(); }
  fs::path dir;
  std::unique_ptr<MainWindow> form;
};

TEST_F(MainFormTest, EveryMenuItemExistsWithItsCaptionAndShortcut) {
  MainWindow& w = start();
  q3::TextTable menus = q3::menuCaptionTable();
  ASSERT_GT(menus.size, 20u);
  for (const q3::TextEntry& e : menus) {
    QAction* a = w.action(e.name);
    ASSERT_NE(a, nullptr) << e.name;
    EXPECT_EQ(a->text(), QString::fromUtf8(q3::entryText(e, 0))) << e.name;
  }
  for (const char* name : {"MenuSaveVersion", "MenuReset", "MenuUpdate", "MenuServis",
                           "MenuSaveAllNew", "MenuCompareAll", "MenuHistory1", "MenuHistory9",
                           "MenuHistoryEnd", "MenuCom1", "MenuCom30"})
    EXPECT_NE(w.action(name), nullptr) << name;
  std::size_t n = 0;
  const q3::MenuShortcut* keys = q3::menuShortcuts(&n);
  for (std::size_t i = 0; i < n; ++i)
    EXPECT_EQ(w.action(keys[i].item)->shortcut(), QKeySequence(QString::fromLatin1(keys[i].keys)))
        << keys[i].item;
  EXPECT_EQ(w.action("MenuZnovu")->shortcut(), QKeySequence("Ctrl+Alt+Z"));
}

TEST_F(MainFormTest, UnitCommandsWaitForAUnitOtherCommandsWork) {
  MainWindow& w = start();
  for (int i = 0; i < 4; ++i) w.core().tick();
  for (const char* name : {"MenuRead", "MenuVerify", "MenuProgram", "MenuReset", "MenuSaveVersion"})
    EXPECT_FALSE(w.action(name)->isEnabled()) << name;
  for (const char* name : {"ButtonRead", "ButtonVerify", "ButtonProgram"})
    EXPECT_FALSE(w.findChild<QWidget*>(name)->isEnabled()) << name;
  for (const char* name :
       {"MenuExit", "MenuEnglish", "MenuGerman", "MenuCzech", "MenuMonitorPlayer"})
    EXPECT_TRUE(w.action(name)->isEnabled()) << name;
  EXPECT_TRUE(w.action("MenuPrintAll")->isVisible());
  EXPECT_FALSE(w.action("MenuServis")->isVisible());
  EXPECT_FALSE(w.action("MenuHistory1")->isVisible());
}

TEST_F(MainFormTest, PagesControlsAndStatusBar) {
  MainWindow& w = start();
  QTabWidget* tabs = w.pageControl();
  ASSERT_EQ(tabs->count(), 10);
  const char* names[] = {"TabSheetRuzne", "TabSheetBike",   "TabSheetSensors", "TabSheetAdvance",
                         "TabSheetPOut",  "TabSheetServo",  "TabSheet_Gear",   "TabSheet_Race",
                         "TabSheet_N2O",  "TabSheet_Ladeni"};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(tabs->widget(i)->objectName(), names[i]);
  EXPECT_EQ(tabs->tabText(0), "Miscellaneous");
  for (const char* name : {"CheckBoxProgHned", "LabelConnection", "LabelResult", "LabelCongruence",
                           "GroupBoxPlayer", "CGaugeProgram"})
    EXPECT_NE(w.findChild<QWidget*>(name), nullptr) << name;
  EXPECT_FALSE(w.findChild<QProgressBar*>("CGaugeProgram")->isVisible());
  EXPECT_EQ(w.findChild<QProgressBar*>("CGaugeProgram")->maximum(), 100);
  const int widths[] = {400, 30, 350, 30};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(w.statusPanel(i)->width(), widths[i]);
  EXPECT_EQ(w.statusPanel(1)->text(), "EXE");
  EXPECT_EQ(w.statusPanel(3)->text(), "HEX");
  EXPECT_TRUE(w.statusPanel(2)->text().startsWith("QUELIN3   RSKEY=104.00   COMPILE="));
}

TEST_F(MainFormTest, TimerTicksAfterStartUp) {
  MainWindow& w = start();
  EXPECT_TRUE(w.core().initialised());
  TickCounter counter;
  Joined joined(w, counter);
  EXPECT_TRUE(QTest::qWaitFor([&] { return counter.ticks >= 2; }, 5000)) << counter.ticks;
}

// A window runs workers of its own (the engine thread) and ends them when it
// is destroyed; the next window starts its own again.
TEST_F(MainFormTest, DestroyingAWindowEndsItsWorkers) {
  start();
  form.reset();  // whatever threads Qt keeps for the process exist from here on
  const int idle = threadCount();
  for (int round = 0; round < 2; ++round) {
    MainWindow& w = start();
    EXPECT_FALSE(w.core().clock().stopRequested());
    EXPECT_GT(threadCount(), idle) << "round " << round;
    form.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return threadCount() <= idle; }, 3000))
        << "round " << round << ": " << threadCount() << " threads, " << idle << " before";
  }
}

// Page changes (by the tabs or by undo's page switch) and applied texts reach
// every listener once.
TEST_F(MainFormTest, PageAndTextChangesAreAnnounced) {
  MainWindow& w = start();
  std::vector<int> pages;
  int texts = 0;
  auto first = w.events().pageChanged.subscribe([&](int p) { pages.push_back(p); });
  auto second = w.events().pageChanged.subscribe([&](int p) { pages.push_back(100 + p); });
  auto applied = w.events().textsApplied.subscribe([&] { ++texts; });
  w.pageControl()->setCurrentIndex(3);
  w.pageHost().switchToPage(6);
  EXPECT_EQ(w.pageControl()->currentIndex(), 6);
  EXPECT_EQ(texts, 0);
  w.MenuGermanClick();
  EXPECT_EQ(pages, (std::vector<int>{3, 103, 6, 106}));
  EXPECT_EQ(texts, 1);
}

TEST_F(MainFormTest, StatusSlotTwoCarriesTheProgressBar) {
  MainWindow& w = start();
  auto* result = w.findChild<QLabel*>("LabelResult");
  auto* gauge = w.findChild<QProgressBar*>("CGaugeProgram");
  w.core().status().showStatus(2, "###Reading...##Lesen...##Čtení...", 100, q3::kBlack, q3::kAqua,
                               1);
  EXPECT_TRUE(result->isVisible());
  EXPECT_TRUE(gauge->isVisible());
  EXPECT_EQ(result->text(), "Reading...");
  w.MenuCzechClick();
  EXPECT_EQ(result->text(), "Čtení...");
  for (int i = 0; i < 5; ++i) w.core().tick();
  EXPECT_FALSE(result->isVisible());
  EXPECT_FALSE(gauge->isVisible());
}

TEST_F(MainFormTest, CloseWritesSettingsAndSecondStartRestoresThem) {
  MainWindow& w = start();
  w.setGeometry(40, 30, 700, 500);
  w.MenuGermanClick();
  w.pageControl()->setCurrentIndex(3);
  w.MenuMonitorPlayerClick();
  w.image().setByte(5, 77);
  w.image().setByte(1049, 9);
  const QRect rect = w.geometry();
  w.close();
  const std::string ini = readAll(dir / "application.ini");
  EXPECT_NE(ini.find("Language=1\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("PageControl1->ActivePageIndex=3\n"), std::string::npos);
  EXPECT_NE(ini.find("MONITORPLAYER=1\n"), std::string::npos);
  EXPECT_EQ(ini.rfind("[FORM_HLAV]\nLeft=", 0), 0u);
  q3::ImageBytes saved{};
  ASSERT_EQ(q3::parseImageDump(readAll(dir / "default.ini"), saved.data(), q3::kImageBytes),
            q3::kImageBytes);
  for (int i = 0; i < q3::kImageBytes; ++i) ASSERT_EQ(saved[i], w.image().byte(i)) << i;
  form.reset();

  q3::setLanguage(0);
  MainWindow& again = start();
  EXPECT_EQ(again.geometry(), rect);
  EXPECT_EQ(q3::language(), 1);
  EXPECT_TRUE(again.action("MenuGerman")->isChecked());
  EXPECT_EQ(caption("MenuFile"), "&Datei");
  EXPECT_EQ(again.pageControl()->currentIndex(), 3);
  EXPECT_TRUE(again.findChild<QGroupBox*>("GroupBoxPlayer")->isVisible());
  EXPECT_TRUE(again.action("MenuMonitorPlayer")->isChecked());
  for (int i = 0; i < q3::kImageBytes; ++i) ASSERT_EQ(again.image().byte(i), saved[i]) << i;
}

TEST_F(MainFormTest, MonitorPlayerToggleIsSavedAtOnce) {
  MainWindow& w = start();
  w.MenuMonitorPlayerClick();
  EXPECT_NE(readAll(dir / "application.ini").find("MONITORPLAYER=1"), std::string::npos);
  w.MenuMonitorPlayerClick();
  EXPECT_NE(readAll(dir / "application.ini").find("MONITORPLAYER=0"), std::string::npos);
}

TEST_F(MainFormTest, CommandLineLanguageOverridesSettings) {
  struct Case {
    QStringList args;
    int language;
    bool noPatch;
  };
  const Case cases[] = {{{"DEUTSCH"}, 1, false},
                        {{"deutsch"}, 2, false},
                        {{"ENGLISH"}, 0, false},
                        {{"nopatchcheck"}, 2, true},
                        {{"x", "DEUTSCH"}, 2, false}};
  for (const Case& c : cases) {
    writeSettings("Language=3\n");
    MainWindow& w = start(c.args);
    EXPECT_EQ(q3::language(), c.language) << c.args.join(' ').toStdString();
    EXPECT_EQ(w.updateCheckSuppressed(), c.noPatch);
    form.reset();
  }
}

TEST_F(MainFormTest, SavedRectangleOffTheScreensIsMovedOntoOne) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  writeSettings("Left=" + std::to_string(screen.right() + 2000) +
                "\nTop=10\nWidth=700\nHeight=500\n");
  MainWindow& w = start();
  EXPECT_TRUE(screen.contains(w.geometry())) << w.geometry().x() << "," << w.geometry().y();
  EXPECT_EQ(w.geometry().size(), QSize(700, 500));
}

TEST_F(MainFormTest, ServiceModeShowsServiceMenuAndTakesTestPort) {
  std::ofstream(dir / "service.txt") << "TEST_ENABLE TEST_COM 7\n";
  writeSettings("ComPort=2\n");
  MainWindow& w = start();
  EXPECT_TRUE(w.serviceMode());
  EXPECT_TRUE(w.action("MenuServis")->isVisible());
  EXPECT_EQ(w.settings().comPort, 7);
}

// A port number the port table cannot hold starts the window on automatic
// selection instead of crashing it.
TEST_F(MainFormTest, APortNumberOutOfRangeInTheSettingsIsIgnored) {
  writeSettings("ComPort=5000\nComPortAuto=999\n");
  MainWindow& w = start();
  EXPECT_EQ(w.settings().comPort, 0);
  for (int i = 0; i < 20; ++i) w.core().tick();
  EXPECT_TRUE(w.isVisible());
}

TEST_F(MainFormTest, LanguageRoundTripLeavesNoGermanCaption) {
  MainWindow& w = start();
  w.MenuGermanClick();
  EXPECT_EQ(caption("MenuExit"), "&Beenden");
  EXPECT_EQ(w.findChild<QCheckBox*>("CheckBoxProgHned")->text(), "Programmierung nach Änderung");
  w.MenuFrenchClick();
  EXPECT_EQ(q3::language(), 0);
  EXPECT_TRUE(w.action("MenuEnglish")->isChecked());
  for (const q3::TextEntry& e : q3::menuCaptionTable())
    EXPECT_EQ(w.action(e.name)->text(), QString::fromUtf8(q3::entryText(e, 0))) << e.name;
  EXPECT_EQ(w.pageControl()->tabText(0), "Miscellaneous");
}

// The program-after-change box is red while it is ticked: at once when it is
// clicked, and after every show of a page (a box ticked by a settings load).
TEST_F(MainFormTest, ProgramAfterChangeIsRedWhileTicked) {
  MainWindow& w = start();
  auto* box = w.findChild<QCheckBox*>("CheckBoxProgHned");
  ASSERT_NE(box, nullptr);
  auto shownRed = [box] {
    const QImage img = box->grab().toImage();
    return img.pixelColor(img.width() - 2, img.height() / 2) == QColor(Qt::red);
  };
  EXPECT_FALSE(shownRed());
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
  ASSERT_TRUE(box->isChecked());
  EXPECT_TRUE(shownRed());
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
  EXPECT_FALSE(shownRed());
  {
    const QSignalBlocker quiet(box);
    box->setChecked(true);
  }
  w.pageControl()->setCurrentIndex((w.pageControl()->currentIndex() + 1) % 10);
  EXPECT_TRUE(shownRed());
}

TEST_F(MainFormTest, TerminationSignalClosesTheWindowTheOrdinaryWay) {
  MainWindow& w = start();
  ASSERT_TRUE(q3::closeOnTerminationSignals(&w));
  w.pageControl()->setCurrentIndex(6);
  ::raise(SIGTERM);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 5000));
  EXPECT_FALSE(w.isVisible());
  EXPECT_NE(readAll(dir / "application.ini").find("PageControl1->ActivePageIndex=6"),
            std::string::npos);
  std::signal(SIGTERM, SIG_DFL);
}

TEST_F(MainFormTest, ClosingRunsItsListInOrderAndSavesTheStoredPage) {
  MainWindow& w = start();
  struct CloseRecorder : q3::Feature {
    std::vector<std::string> order;
    MainWindow* w = nullptr;
    fs::path defaultIni;
    const char* featureName() const override { return "close-recorder"; }
    void startup(q3::StartupStep s) override {
      if (s != q3::StartupStep::MakeImageConsistent) return;
      order.push_back("consistent");
      EXPECT_FALSE(fs::exists(defaultIni));
    }
    void close(q3::CloseStep s) override {
      switch (s) {
        case q3::CloseStep::StopRecordingAndPlayback:
          return order.push_back("recording");
        case q3::CloseStep::StopUpdateCheck:
          return order.push_back("update");
        case q3::CloseStep::ClosePorts:
          return order.push_back("ports");
        case q3::CloseStep::StoreActivePage:
          order.push_back("store");
          w->image().setByte(1000, 123);  // what the page holds goes into the saved image
          return;
        case q3::CloseStep::DestroyProtocolEngine:
          return order.push_back("destroy");
      }
    }
  } rec;
  rec.w = &w;
  rec.defaultIni = dir / "default.ini";
  Joined joined(w, rec);
  w.close();
  w.close();  // a second close does not run the list again
  EXPECT_EQ(rec.order,
            (std::vector<std::string>{"recording", "update", "ports", "store", "consistent"}));
  q3::ImageBytes saved{};
  q3::parseImageDump(readAll(dir / "default.ini"), saved.data(), q3::kImageBytes);
  EXPECT_EQ(saved[1000], w.image().byte(1000));
  EXPECT_FALSE(w.core().status().hasText(1));
}

TEST_F(MainFormTest, DebugLogShowsStartUpThenFirstTicks) {
  const fs::path log = dir / "debug.log";
  ASSERT_TRUE(q3::debugLogOpen(log.c_str()));
  MainWindow& w = start();
  for (int i = 0; i < 60; ++i) w.core().tick();
  q3::debugLogClose();
  const std::string text = readAll(log);
  const size_t init = text.find(") FORM Initialised\n");
  ASSERT_NE(init, std::string::npos) << text;
  EXPECT_NE(text.find(") T000\n", init), std::string::npos);
  EXPECT_NE(text.find(") T049\n", init), std::string::npos);
  EXPECT_EQ(text.find(") T050\n"), std::string::npos);
}

}  // namespace

// Every file the window writes lives in the data folder: started and closed
// in an empty working folder, that folder stays empty, and the pickup
// monitor's settings section is in the data folder's application.ini.
TEST_F(MainFormTest, StartAndCloseLeaveTheWorkingFolderEmpty) {
  const fs::path cwd = dir / "cwd";
  fs::create_directories(cwd);
  const fs::path before = fs::current_path();
  fs::current_path(cwd);
  start({"nopatchcheck"});
  form->close();
  form.reset();
  fs::current_path(before);
  EXPECT_TRUE(fs::is_empty(cwd)) << fs::directory_iterator(cwd)->path();
  std::ifstream ini(dir / "application.ini");
  const std::string text((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("[FORM_MON]"), std::string::npos) << text;
  EXPECT_NE(text.find("[FORM_HLAV]"), std::string::npos);
}
