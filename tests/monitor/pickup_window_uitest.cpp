// The pickup monitor window on the off-screen platform, found by objectName:
// what it paints, zoom by wheel and keys, measuring lines drawn and removed
// with the mouse, the colour slots, Pause, the close box, captures saved,
// opened and exported, and the feature that opens it and feeds it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <tuple>

#include "base/app_core.h"
#include "link/link_session.h"
#include "link/supervisor.h"
#include "monitor/pickup_capture_file.h"
#include "monitor/ui/pickup_monitor.h"
#include "monitor/ui/pickup_scope_window.h"
#include "params/param_model.h"
#include "pickup_fixture.h"
#include "sim_pickup.h"
#include "support/sim_process.h"

namespace q3 {
namespace {

class AppEnv : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "test_monitor_ui";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) m_app = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { m_app.reset(); }
  std::unique_ptr<QApplication> m_app;
};
const auto* g_env = ::testing::AddGlobalTestEnvironment(new AppEnv);

// 100 ticks per degree over 360-degree periods: signal 1 rises at -90 and
// falls at 90, signal 2 rises at 45, channel 1 fires at 270.
PickupBlock picture(int state = 1) {
  const int64_t p = 36000;
  return q3test::periods(p, p, p, 1, state,
                         {{100 + 27000, 1, true},
                          {100 + p + 4500, 2, true, true},
                          {100 + p + 9000, 2, false, true},
                          {100 + p + 27000, 2, false, true, 1}});
}

QRgb rgb(uint32_t v) { return 0xFF000000u | v; }

class PickupWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    w = std::make_unique<PickupScopeWindow>(engine, settings);
    PickupScopeWindow::Hooks h;
    h.chooseFile = [this](bool, const QString&, const QString&) { return nextFile; };
    h.error = [this](const QString& text) { errors << text; };
    h.pauseChanged = [this](bool on) { pauses << on; };
    w->setHooks(h);
    w->show();
    ASSERT_EQ(engine.show(picture()), PickupAnalysis::Done);
    w->tick();
  }
  // x of a position at the current zoom.
  int x(double pos) const { return int(std::lround(w->view().x(pos, engine.rangeSpan()))); }
  QRgb pixel(int px, int py) const { return w->image().pixel(px, py); }
  template <typename T>
  T* control(const char* name) const {
    return w->findChild<T*>(name);
  }
  void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w.get(), &e);
  }
  void drag(QPoint from, QPoint to) {
    mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    w->tick();
  }
  void wheel(bool up, Qt::KeyboardModifiers mods = Qt::NoModifier, int at = 400) {
    QWheelEvent e(QPointF(at, 300), w->mapToGlobal(QPointF(at, 300)), QPoint(),
                  QPoint(0, up ? 120 : -120), Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.get(), &e);
    w->tick();
  }

  PickupAnalyzer engine;
  PickupMonitorSettings settings;
  std::unique_ptr<PickupScopeWindow> w;
  QString nextFile;
  QStringList errors;
  QList<bool> pauses;
};

TEST_F(PickupWindow, CaptionControlsAndDefaults) {
  EXPECT_EQ(w->objectName(), "FormMon");
  EXPECT_EQ(w->windowTitle(), "PickUp monitor");
  EXPECT_EQ(w->size(), QSize(800, 600));
  EXPECT_GE(w->minimumWidth(), 300);
  EXPECT_GE(w->minimumHeight(), 200);
  for (int i = 0; i < kPickupSlots; ++i) {
    auto* c = control<QComboBox>(pickupSlots()[size_t(i)].combo);
    ASSERT_NE(c, nullptr) << i;
    EXPECT_EQ(c->count(), 16);
    EXPECT_EQ(c->itemText(0), "(invisible)");
    EXPECT_EQ(c->currentIndex(), pickupSlots()[size_t(i)].defaultItem);
  }
  // The bottom rows of combo boxes: 65, 45 and 25 pixels above the bottom edge.
  EXPECT_EQ(control<QComboBox>("ComboBoxColorA1")->y(), 600 - 65);
  EXPECT_EQ(control<QComboBox>("ComboBoxColorB3")->y(), 600 - 25);
  EXPECT_EQ(control<QPushButton>("ButtonClearDim")->y(), 600 - 65);
  EXPECT_EQ(control<QPushButton>("ButtonPause")->y(), 600 - 35);
}

TEST_F(PickupWindow, PaintsPeriodTracesEdgesAndIgnitions) {
  struct Case {
    const char* what;
    int px, py;
    QRgb colour;
  } cases[] = {
      {"period box", 400, 450, qRgb(32, 32, 32)},
      {"outside the period", 650, 450, qRgb(0, 0, 0)},
      {"signal 1 high", x(30), 200, rgb(0xFFFFFF)},
      {"signal 1 low", x(150), 250, rgb(0xFFFFFF)},
      {"signal 2 high", x(150), 300, rgb(0xFFFF00)},
      {"signal 1 rises", x(-90), 225, rgb(0xFF0000)},
      {"signal 1 falls", x(90), 225, rgb(0x0000FF)},
      {"signal 2 rises", x(45), 325, rgb(0x800080)},
      {"ignition arrow", x(270), 50, rgb(0xFFFFFF)},
      {"ignition guide line", x(270), 150, rgb(0x808080)},
  };
  for (const Case& c : cases) EXPECT_EQ(pixel(c.px, c.py), c.colour) << c.what;
  // The speed label: black behind it while synchronised, red without.
  EXPECT_EQ(pixel(2, 3), qRgb(0, 0, 0));
  engine.show(picture(2));
  w->tick();
  EXPECT_EQ(pixel(2, 3), qRgb(255, 0, 0));
}

TEST_F(PickupWindow, ColourSlotsRepaintAndInvisibleIsBlack) {
  control<QComboBox>("ComboBoxColorA1")->setCurrentIndex(10);  // Lime
  control<QComboBox>("ComboBoxColorC2")->setCurrentIndex(0);   // (invisible)
  w->tick();
  EXPECT_EQ(settings.colours[kSlotCurve1], 10);
  EXPECT_EQ(pixel(x(30), 200), rgb(0x00FF00));
  EXPECT_EQ(pixel(x(270), 150), qRgb(0, 0, 0));  // the guide line in the background black
}

TEST_F(PickupWindow, WheelAndKeysZoomWithinTheLimits) {
  for (int i = 0; i < 12; ++i) wheel(true);
  EXPECT_EQ(w->view().zoom(), 1024);
  wheel(true);
  EXPECT_EQ(w->view().zoom(), 1024);
  for (int i = 0; i < 11; ++i) wheel(false);
  EXPECT_EQ(w->view().zoom(), 1);
  wheel(false);
  EXPECT_EQ(w->view().zoom(), 1);
  // Ctrl alone keeps the zoom; with Shift it zooms.
  wheel(true, Qt::ControlModifier);
  EXPECT_EQ(w->view().zoom(), 1);
  wheel(true, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(w->view().zoom(), 2);
  QTest::keyClick(w.get(), Qt::Key_Plus);
  EXPECT_EQ(w->view().zoom(), 4);
  QTest::keyClick(w.get(), Qt::Key_Minus);
  EXPECT_EQ(w->view().zoom(), 2);
  QTest::keyClick(w.get(), Qt::Key_Home);
  EXPECT_EQ(w->view().zoom(), 1);
  // While a colour box has the focus the wheel changes nothing, and a click
  // only takes the focus away.
  auto* combo = control<QComboBox>("ComboBoxColorB2");
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  combo->setFocus();
  ASSERT_TRUE(combo->hasFocus());
  wheel(true);
  EXPECT_EQ(w->view().zoom(), 1);
  drag({x(-90), 220}, {x(90), 240});
  EXPECT_FALSE(combo->hasFocus());
  EXPECT_TRUE(engine.dimensions().empty());
}

TEST_F(PickupWindow, ZoomedInTheEdgeStaysUnderThePointer) {
  const int at = x(-90);
  for (int i = 0; i < 5; ++i) wheel(true, Qt::NoModifier, at);
  EXPECT_EQ(w->view().zoom(), 32);
  EXPECT_NEAR(x(-90), at, 1);
  EXPECT_EQ(pixel(x(-90), 225), rgb(0xFF0000));
  // A middle drag pans.
  mouse(QEvent::MouseButtonPress, {300, 300}, Qt::MiddleButton, Qt::MiddleButton);
  mouse(QEvent::MouseMove, {350, 300}, Qt::NoButton, Qt::MiddleButton);
  mouse(QEvent::MouseButtonRelease, {350, 300}, Qt::MiddleButton, Qt::NoButton);
  EXPECT_NEAR(x(-90), at + 50, 1);
}

TEST_F(PickupWindow, MeasuringLinesAreDrawnCancelledAndRemoved) {
  drag({x(-80), 220}, {x(85), 240});
  ASSERT_EQ(engine.dimensions().size(), 1u);
  EXPECT_DOUBLE_EQ(engine.dimensions()[0].start, -90);
  EXPECT_DOUBLE_EQ(engine.dimensions()[0].end, 90);
  EXPECT_EQ(pixel(x(0), 240), rgb(0x00FFFF));  // the line, in "dimensions" colour

  // The right button during the drag cancels it.
  mouse(QEvent::MouseButtonPress, {x(-80), 220}, Qt::LeftButton, Qt::LeftButton);
  mouse(QEvent::MouseMove, {x(270), 130}, Qt::NoButton, Qt::LeftButton);
  mouse(QEvent::MouseButtonPress, {x(270), 130}, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
  mouse(QEvent::MouseButtonRelease, {x(270), 130}, Qt::LeftButton, Qt::RightButton);
  mouse(QEvent::MouseButtonRelease, {x(270), 130}, Qt::RightButton, Qt::NoButton);
  w->tick();
  EXPECT_EQ(engine.dimensions().size(), 1u);

  // Ten are kept; the eleventh is not.
  for (int i = 0; i < 10; ++i) drag({x(45), 50 + 10 * i}, {x(270), 60 + 10 * i});
  EXPECT_EQ(engine.dimensions().size(), 10u);

  // The right button on a text removes that line.
  w->tick();
  mouse(QEvent::MouseButtonPress, {x(0), 240 - 20 + 5}, Qt::RightButton, Qt::RightButton);
  mouse(QEvent::MouseButtonRelease, {x(0), 240 - 20 + 5}, Qt::RightButton, Qt::NoButton);
  w->tick();
  EXPECT_EQ(engine.dimensions().size(), 9u);
  for (const PickupDimension& d : engine.dimensions()) EXPECT_NE(d.y, 240);

  control<QPushButton>("ButtonClearDim")->click();
  EXPECT_TRUE(engine.dimensions().empty());
}

TEST_F(PickupWindow, PauseCaptionAndTheCloseBox) {
  auto* pause = control<QPushButton>("ButtonPause");
  EXPECT_EQ(pause->text(), "Pause");
  pause->click();
  EXPECT_TRUE(w->paused());
  EXPECT_EQ(pause->text(), "Continue");
  pause->click();
  EXPECT_FALSE(w->paused());
  EXPECT_EQ(pause->text(), "Pause");
  EXPECT_EQ(pauses, (QList<bool>{true, false}));
  // The close box only hides: the window, its engine and its picture stay.
  EXPECT_FALSE(w->close());
  EXPECT_FALSE(w->isVisible());
  EXPECT_FALSE(engine.events().empty());
}

TEST_F(PickupWindow, CaptureSavedOpenedAndExported) {
  QTemporaryDir dir;
  nextFile = dir.filePath("run.q3pickup");
  control<QPushButton>("ButtonSaveCapture")->click();
  ASSERT_TRUE(QFile::exists(nextFile));
  nextFile = dir.filePath("run.csv");
  control<QPushButton>("ButtonExportCsv")->click();
  QFile csv(nextFile);
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  EXPECT_TRUE(csv.readLine().startsWith("time_us,phase,curve1,curve2,out1"));
  EXPECT_EQ(csv.readAll().count('\n'), qsizetype(engine.shownBlock().samples.size()));

  // Opened later, with another picture shown meanwhile: the same picture, paused.
  engine.show(q3test::periods(25000, 25000, 25000));
  nextFile = dir.filePath("run.q3pickup");
  control<QPushButton>("ButtonOpenCapture")->click();
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_TRUE(w->paused());
  EXPECT_EQ(engine.events().size(), 10u);
  EXPECT_EQ(pixel(x(-90), 225), rgb(0xFF0000));

  // A damaged file or an incomplete capture is reported, not shown.
  QFile bad(dir.filePath("bad.q3pickup"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write(QByteArray(kPickupCaptureHeader) + "\n0x01000000 0x02000010\n");
  bad.close();
  nextFile = bad.fileName();
  control<QPushButton>("ButtonOpenCapture")->click();
  EXPECT_EQ(errors.size(), 1);
  nextFile = dir.filePath("none.q3pickup");
  control<QPushButton>("ButtonOpenCapture")->click();
  EXPECT_EQ(errors.size(), 2);
  // Cancelled dialogs do nothing.
  nextFile.clear();
  control<QPushButton>("ButtonSaveCapture")->click();
  EXPECT_EQ(errors.size(), 2);
}

// The feature: opening and toggling the window, feeding it, freezing it and
// remembering its settings.
class PickupFeature : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  std::string ini() const { return dir.filePath("application.ini").toStdString(); }
};

TEST_F(PickupFeature, ButtonOpensTogglesAndResumes) {
  PickupMonitor f({nullptr, ini(), nullptr});
  EXPECT_EQ(f.window(), nullptr);
  EXPECT_FALSE(f.requestsBlocks());
  f.buttonMonPuClick();
  ASSERT_NE(f.window(), nullptr);
  EXPECT_TRUE(f.window()->isVisible());
  EXPECT_TRUE(f.requestsBlocks());
  f.window()->findChild<QPushButton*>("ButtonPause")->click();
  EXPECT_FALSE(f.requestsBlocks());  // request byte 23 = 0
  f.window()->move(123, 77);
  f.buttonMonPuClick();
  EXPECT_FALSE(f.window()->isVisible());
  f.buttonMonPuClick();
  EXPECT_TRUE(f.window()->isVisible());
  EXPECT_FALSE(f.window()->paused());
  EXPECT_EQ(f.window()->findChild<QPushButton*>("ButtonPause")->text(), "Pause");
  EXPECT_EQ(f.window()->pos(), QPoint(123, 77));
  // Closed by its close box it is hidden, not gone.
  PickupAnalyzer* engine = f.engine();
  f.window()->close();
  EXPECT_NE(f.window(), nullptr);
  EXPECT_EQ(f.engine(), engine);
  EXPECT_FALSE(f.requestsBlocks());
}

TEST_F(PickupFeature, BlocksAreHandedOverAnalysedEvery16thTickAndDroppedWhilePaused) {
  PickupMonitor f({nullptr, ini(), nullptr});
  f.blockArrived(picture());  // no window yet: nothing to show it in
  EXPECT_EQ(f.blocksHandedOver(), 0);
  f.buttonMonPuClick();
  f.blockArrived(picture());
  EXPECT_EQ(f.blocksHandedOver(), 1);
  for (int t = 1; t < 16; ++t) f.tick(TickPhase::PickupTick, t);
  EXPECT_TRUE(f.engine()->events().empty());
  f.tick(TickPhase::PickupPeriodic, 16);
  EXPECT_DOUBLE_EQ(f.engine()->rpm(), 60.0 / (36000 * 0.4e-6));
  f.window()->setPaused(true);
  f.blockArrived(q3test::periods(25000, 25000, 25000));
  f.tick(TickPhase::PickupPeriodic, 32);
  EXPECT_EQ(f.blocksHandedOver(), 1);
  EXPECT_EQ(f.engine()->events().size(), 10u);  // the picture stays
}

TEST_F(PickupFeature, FreezesWhenSynchronisationIsLostIfAsked) {
  for (bool freeze : {false, true}) {
    PickupMonitor f({nullptr, "", nullptr});
    f.settings().freezeOnSyncLoss = freeze;
    f.buttonMonPuClick();
    f.blockArrived(picture(1));
    f.tick(TickPhase::PickupPeriodic, 16);
    ASSERT_FALSE(f.engine()->events().empty());
    f.blockArrived(picture(2));
    EXPECT_EQ(f.window()->paused(), freeze);
    EXPECT_EQ(f.window()->frozenBySyncLoss(), freeze);
    // Frozen, the synchronised picture stays; otherwise it is cleared for the other state.
    EXPECT_EQ(f.engine()->synchronised(), freeze);
    EXPECT_EQ(f.engine()->events().empty(), !freeze);
    if (freeze) {
      f.window()->findChild<QPushButton*>("ButtonPause")->click();
      EXPECT_FALSE(f.window()->frozenBySyncLoss());
    }
  }
}

TEST_F(PickupFeature, ColoursZoomAndPlacementAreRemembered) {
  {
    PickupMonitor f({nullptr, ini(), nullptr});
    f.buttonMonPuClick();
    f.window()->findChild<QComboBox*>("ComboBoxColorB1")->setCurrentIndex(2);
    f.window()->findChild<QCheckBox*>("CheckBoxFreezeOnSyncLoss")->setChecked(true);
    f.window()->view().setZoom(16);
    f.window()->setGeometry(40, 60, 700, 500);
    f.buttonMonPuClick();  // hidden: placement and zoom are kept
  }
  PickupMonitor g({nullptr, ini(), nullptr});
  EXPECT_EQ(g.settings().colours[kSlotCurve2], 2);
  EXPECT_TRUE(g.settings().freezeOnSyncLoss);
  g.buttonMonPuClick();
  EXPECT_EQ(g.window()->findChild<QComboBox*>("ComboBoxColorB1")->currentIndex(), 2);
  EXPECT_EQ(g.window()->view().zoom(), 16);
  EXPECT_EQ(g.window()->size(), QSize(700, 500));
}

// The supervisor's turn in the main loop, as the window's link feature takes it.
// The window's pickup feature in short: the pickup monitor's steps on the
// main loop's ticks.
class PickupTurns : public Feature {
 public:
  explicit PickupTurns(PickupMonitor& m) : m_m(m) {}
  const char* featureName() const override { return "pickup"; }
  void tick(TickPhase phase, int32_t counter) override { m_m.tick(phase, counter); }
  void close(CloseStep step) override { m_m.close(step); }

 private:
  PickupMonitor& m_m;
};

class LinkTurn : public Feature {
 public:
  explicit LinkTurn(LinkSession& s) : m_s(s) {}
  const char* featureName() const override { return "link"; }
  void tick(TickPhase phase, int32_t counter) override {
    if (phase == TickPhase::Supervisor) m_s.supervisorTurn(counter);
  }

 private:
  LinkSession& m_s;
};

// The bytes of the frames the simulated unit logged in one direction ("IN", "OUT").
std::vector<QByteArray> loggedFrames(const QString& log, const char* dir) {
  std::vector<QByteArray> frames;
  QFile f(log);
  if (!f.open(QIODevice::ReadOnly)) return frames;
  for (const QByteArray& line : f.readAll().split('\n')) {
    const QList<QByteArray> parts = line.simplified().split(' ');
    if (parts.size() < 4 || parts[1] != dir) continue;
    QByteArray bytes;
    for (qsizetype i = 3; i < parts.size(); ++i) bytes.append(char(parts[i].toInt(nullptr, 16)));
    frames.push_back(bytes);
  }
  return frames;
}

// Against quelin3-unit-sim on a pseudo-terminal, the main loop at the
// window's pace: the speed the pickup monitor shows agrees with the monitor's
// within 1 % less than 2 s after the window opened; Pause sends request byte
// 23 = 0 and the unit stops announcing blocks.
TEST(PickupEndToEnd, SpeedAgreesSoonAndPauseStopsTheStream) {
  QTemporaryDir dir;
  setenv("QUELIN3_DATA_DIR", dir.path().toUtf8().constData(), 1);
  const QString log = dir.filePath("sim.log");
  q3test::SimProcess sim;
  const std::string device =
      sim.start({"--link", dir.filePath("unit").toStdString(), "--log", log.toStdString()});
  ASSERT_FALSE(device.empty());

  ParamModel model;
  AppCore core;
  core.setInitialised(true);
  LinkSession session(model, core.clock(), q3::dialogs(), nullptr,
                      q3::StartOptions::fromEnvironment());
  ASSERT_TRUE(session.useDevice(device));
  PickupMonitor pickup({[&] { return &session; }, "", nullptr});
  SupervisorHost host;
  host.pickupRequest = [&] { return pickup.requestsBlocks(); };
  session.supervisor().setHost(host);
  LinkTurn link(session);
  PickupTurns pickupTurns(pickup);
  core.addFeature(&link);
  core.addFeature(&pickupTurns);

  using Clock = std::chrono::steady_clock;
  const auto run = [&](const std::function<bool()>& done, int ms) {
    const auto start = Clock::now();
    auto next = start;
    while (!done()) {
      if (Clock::now() - start > std::chrono::milliseconds(ms)) return false;
      next += std::chrono::milliseconds(55);  // Timer1
      std::this_thread::sleep_until(next);
      core.tick();
      QApplication::processEvents();
    }
    return true;
  };
  ASSERT_TRUE(run(
      [&] { return session.supervisor().connected() && session.supervisor().step() == kSupIdle; },
      20000));

  const auto opened = Clock::now();
  pickup.buttonMonPuClick();
  ASSERT_TRUE(run([&] { return pickup.engine()->rpm() > 0; }, 4000));
  const auto took =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - opened).count();
  EXPECT_LT(took, 2000);
  const int monitorRpm = pickup.engine()->shownBlock().monitorRpm;
  EXPECT_GT(monitorRpm, 1000);
  EXPECT_NEAR(pickup.engine()->rpm(), monitorRpm, monitorRpm * 0.01);
  EXPECT_TRUE(pickup.engine()->synchronised());
  pickup.window()->tick();
  EXPECT_EQ(pickup.window()->image().pixel(2, 3), qRgb(0, 0, 0));  // "(synchro)" on black

  // Pause: the next requests carry byte 23 = 0 and no block is announced any more.
  pickup.window()->findChild<QPushButton*>("ButtonPause")->click();
  const size_t before = loggedFrames(log, "IN").size();
  run([] { return false; }, 1500);
  const std::vector<QByteArray> in = loggedFrames(log, "IN");
  const std::vector<QByteArray> out = loggedFrames(log, "OUT");
  ASSERT_GE(in.size(), before + 2) << "the monitor polls go on";
  // Family B frames: the request byte k is frame byte 1 + k; the answer's
  // monitor byte 128 (block state) is frame byte 128.
  for (size_t i = before + 1; i < in.size(); ++i) {
    ASSERT_GT(in[i].size(), 24);
    EXPECT_EQ(in[i][24], 0) << i;
  }
  ASSERT_GE(out.size(), 2u);
  EXPECT_EQ(out.back()[128], 0);
  EXPECT_EQ(in[before - 1][24], 1);  // before the pause the blocks were asked for
}

// The window fed with the simulated unit's blocks of a 7-lobe wheel with one
// lobe missing and two channels: synchronised, with two measuring lines, and
// zoomed in on the first ignition. With Q3_SCREENSHOT_DIR set, each picture
// is also saved there as a PNG to look at.
TEST(PickupScreenshots, SynchronisedMeasuredAndZoomed) {
  std::vector<uint8_t> memory(1050, 0);
  const std::pair<int, int> honda7p[] = {{184, 4}, {185, 7},  {186, 2}, {187, 1},
                                         {188, 2}, {192, 67}, {189, 6}, {193, 71}};
  for (auto [i, v] : honda7p) memory[size_t(i)] = uint8_t(v);
  const q3sim::TriggerWheel wheel = q3sim::describeTrigger(memory.data(), 25);
  PickupBlock b;
  b.state = 1;
  b.selector = wheel.selector;
  b.samples = q3sim::pickupSamples(wheel, 6000, 1000000);

  PickupAnalyzer engine;
  PickupMonitorSettings settings;
  PickupScopeWindow w(engine, settings);
  w.show();
  ASSERT_EQ(engine.show(b), PickupAnalysis::Done);
  w.tick();
  const char* dir = std::getenv("Q3_SCREENSHOT_DIR");
  const auto shot = [&](const char* name) {
    const QImage img = w.grab().toImage();
    if (dir) img.save(QString(dir) + "/" + name);
    return img;
  };
  shot("pickup_synchronised.png");
  EXPECT_EQ(engine.rpmLabel(), "RPM=6000.0 (synchro)");

  // From the rise of the second lobe (45 degrees) to channel 1's ignition,
  // and from the reference mark to channel 2's ignition.
  double fire1 = 0, fire2 = 0;
  for (const PickupEvent& e : engine.events()) {
    if (e.pos < 0 || e.pos >= 360) continue;
    if (e.flags & 0x10) fire1 = e.pos;
    if (e.flags & 0x20) fire2 = e.pos;
  }
  const auto x = [&](double pos) { return int(std::lround(w.view().x(pos, engine.rangeSpan()))); };
  const auto drag = [&](QPoint from, QPoint to) {
    for (auto [type, at, button, held] :
         {std::tuple{QEvent::MouseButtonPress, from, Qt::LeftButton,
                     Qt::MouseButtons(Qt::LeftButton)},
          std::tuple{QEvent::MouseMove, to, Qt::NoButton, Qt::MouseButtons(Qt::LeftButton)},
          std::tuple{QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::MouseButtons()}}) {
      QMouseEvent e(type, at, w.mapToGlobal(at), button, held, Qt::NoModifier);
      QApplication::sendEvent(&w, &e);
    }
    w.tick();
  };
  drag({x(46), 225}, {x(fire1), 170});
  drag({x(0), 80}, {x(fire2), 140});
  ASSERT_EQ(engine.dimensions().size(), 2u);
  EXPECT_DOUBLE_EQ(engine.dimensions()[0].start, 45);
  EXPECT_DOUBLE_EQ(engine.dimensions()[0].end, fire1);
  EXPECT_DOUBLE_EQ(engine.dimensions()[1].start, 0);
  EXPECT_DOUBLE_EQ(engine.dimensions()[1].end, fire2);
  const QImage measured = shot("pickup_two_dimensions.png");
  EXPECT_EQ(measured.pixel((x(46) + x(fire1)) / 2, 170), rgb(0x00FFFF));

  // Zoomed in eight times on channel 1's ignition: it stays where it was.
  const int at = x(fire1);
  for (int i = 0; i < 3; ++i) {
    QWheelEvent e(QPointF(at, 300), w.mapToGlobal(QPointF(at, 300)), QPoint(), QPoint(0, 120),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &e);
  }
  w.tick();
  EXPECT_EQ(w.view().zoom(), 8);
  EXPECT_NEAR(x(fire1), at, 1);
  const QImage zoomed = shot("pickup_zoomed.png");
  EXPECT_EQ(zoomed.pixel(at, 50), rgb(0xFFFFFF));  // the ignition arrow
}

}  // namespace
}  // namespace q3
