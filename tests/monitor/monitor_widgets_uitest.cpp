// The monitor's widget layer on the off-screen platform: a refresh reaches
// labels, gauges and buttons found by objectName; gauges keep their range;
// bands follow their gauge and keep at least a pixel; the player group's bar
// moved by the program is no jump; the player buttons reach the feature.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "files/files_fixture.h"
#include "monitor/ignlog_fixture.h"
#include "monitor/live_monitor.h"
#include "monitor/ui/log_view.h"
#include "monitor/ui/monitor_panel.h"
#include "monitor/ui/monitor_widgets.h"
#include "params/address_map.h"
#include "params/param_model.h"
#include "support/qt_app.h"

namespace {

using q3::MonitorWidgets;

// One application for the whole run, never destroyed: the widgets' statics
// outlive the tests.
using q3test::app;

// Every control of the monitor, each of the kind the window uses for it.
std::unique_ptr<QWidget> makePanel() {
  auto panel = std::make_unique<QWidget>();
  panel->resize(900, 700);
  int y = 0;
  for (const std::string& n : MonitorWidgets::controlNames()) {
    const QString name = QString::fromStdString(n);
    QWidget* w;
    if (name.startsWith("CGauge"))
      w = new QProgressBar(panel.get());
    else if (name.startsWith("ButtonTest"))
      w = new QPushButton(panel.get());
    else if (name.startsWith("SpeedButtonPlay"))
      w = new QToolButton(panel.get());
    else if (name == "ScrollBarPlay")
      w = new QScrollBar(Qt::Horizontal, panel.get());
    else
      w = new QLabel(panel.get());
    w->setObjectName(name);
    w->setGeometry(300, (y++ % 40) * 16, 200, 14);
  }
  panel->findChild<QWidget*>("CGaugeAkcel")->setGeometry(10, 500, 200, 20);
  panel->findChild<QWidget*>("CGaugeLambda")->setGeometry(10, 560, 40, 20);
  for (const char* strip : {"LabelAccBelow", "LabelAccOver"})
    panel->findChild<QWidget*>(strip)->setGeometry(0, 522, 10, 4);
  for (const char* strip : {"LabelLambdaBlue", "LabelLambdaGreen", "LabelLambdaRed"})
    panel->findChild<QWidget*>(strip)->setGeometry(0, 582, 10, 4);
  return panel;
}

template <typename T>
T* child(QWidget& panel, const char* name) {
  return panel.findChild<T*>(name);
}

class Widgets : public ::testing::Test {
 protected:
  Widgets() {
    app();
    panel = makePanel();
    panel->show();
    widgets = std::make_unique<MonitorWidgets>(MonitorWidgets::collect(panel.get()));
    ctx.unitConnected = true;
  }
  void word(int w, int v) {
    model.monitor().setByte(2 * w, v & 0xFF);
    model.monitor().setByte(2 * w + 1, v >> 8);
  }
  void refresh() {
    ASSERT_TRUE(mon.refresh(ctx, q3::RefreshCause::MonitorAnswer));
    widgets->show(mon.values());
  }
  QColor background(const char* name) {
    QWidget* w = child<QWidget>(*panel, name);
    return w->autoFillBackground() ? w->palette().color(QPalette::Window) : QColor();
  }

  std::unique_ptr<QWidget> panel;
  std::unique_ptr<MonitorWidgets> widgets;
  q3::ParamModel model;
  q3::MonitorModel mon{model};
  q3::MonitorContext ctx;
};

TEST_F(Widgets, ARefreshReachesTheControlsByName) {
  EXPECT_EQ(MonitorWidgets::collect(panel.get()).size(), MonitorWidgets::controlNames().size());
  word(q3::MonitorWord::SupplyVoltage, 17999);
  word(q3::MonitorWord::EngineSpeed, 13000);
  model.image().setByte(q3::ImageByte::Limiter, 120);
  model.monitor().setByte(q3::MonitorByte::LoadSensor, 2);
  word(q3::MonitorWord::LoadValue, 999);
  model.monitor().setByte(q3::MonitorByte::PickupSystem, 1);
  refresh();
  EXPECT_EQ(child<QLabel>(*panel, "LabelNapeti")->text(), "U = 18.0 [V]");
  EXPECT_EQ(background("LabelNapeti"), QColor(255, 0, 0));
  EXPECT_EQ(child<QLabel>(*panel, "LabelRpm")->text(), "RPM = 13000");
  EXPECT_EQ(background("LabelRpm"), QColor());  // the style's own
  auto* rpm = child<QProgressBar>(*panel, "CGaugeRpm");
  EXPECT_EQ(rpm->maximum(), 100);
  EXPECT_EQ(rpm->value(), 100);  // 108 % of the limiter stays at the end of the scale
  auto* load = child<QProgressBar>(*panel, "CGaugeTps");
  EXPECT_EQ(load->maximum(), 300);
  EXPECT_EQ(load->value(), 300);
  EXPECT_EQ(load->palette().color(QPalette::Highlight), QColor(0x80, 0, 0x80));
  EXPECT_FALSE(child<QLabel>(*panel, "LabelMonSnimac2")->isVisible());
  EXPECT_TRUE(child<QPushButton>(*panel, "ButtonTestIgn1")->isEnabled());
  EXPECT_EQ(child<QPushButton>(*panel, "ButtonTest01")->text(), "Power out 1 - Not used");

  word(q3::MonitorWord::SupplyVoltage, 13000);
  ctx.unitConnected = false;
  refresh();
  EXPECT_EQ(child<QLabel>(*panel, "LabelNapeti")->text(), "U = --- [V]");
  EXPECT_EQ(background("LabelNapeti"), QColor());
  EXPECT_FALSE(child<QPushButton>(*panel, "ButtonTestIgn1")->isEnabled());
  EXPECT_EQ(child<QPushButton>(*panel, "ButtonTest01")->text(), "Power out 1 - Not used");
}

// The bands are laid along their gauge from its parts; a thin band keeps a pixel.
TEST_F(Widgets, BandsFollowTheirGauge) {
  model.image().setByte(q3::ImageByte::Map2Accel, 30);  // threshold 3000 of a scale of 6000
  const int bar[4] = {100, 101, 160, 200};              // blue 1 % of a 40 pixel gauge
  for (int i = 0; i < 4; ++i) model.image().setByte(q3::ImageByte::LambdaBar + i, bar[i]);
  refresh();
  EXPECT_EQ(child<QLabel>(*panel, "LabelAccBelow")->geometry(), QRect(10, 522, 100, 4));
  EXPECT_EQ(child<QLabel>(*panel, "LabelAccOver")->geometry(), QRect(110, 522, 100, 4));
  auto* blue = child<QLabel>(*panel, "LabelLambdaBlue");
  auto* green = child<QLabel>(*panel, "LabelLambdaGreen");
  auto* red = child<QLabel>(*panel, "LabelLambdaRed");
  EXPECT_EQ(blue->geometry().x(), 10);
  EXPECT_EQ(blue->width(), 1);
  EXPECT_EQ(green->geometry().x(), 10);  // rounded edges: 0.4 px is 0, the band still shows
  EXPECT_EQ(red->geometry().right() + 1, 50);
  EXPECT_EQ(red->palette().color(QPalette::Window), QColor(255, 0, 0));

  // The gauge moves with the layout: the bands follow at the next refresh.
  child<QWidget>(*panel, "CGaugeAkcel")->setGeometry(50, 500, 300, 20);
  refresh();
  EXPECT_EQ(child<QLabel>(*panel, "LabelAccOver")->geometry(), QRect(200, 522, 150, 4));
}

// The ready-made monitor area carries every control but the gear page's live
// values (they stand on the Gear page), and a refresh shown on it reaches them.
TEST(MonitorPanel, HasEveryControlOfTheMonitor) {
  app();
  q3::MonitorPanel panel;
  panel.resize(1000, 700);
  const MonitorWidgets::WidgetMap found = MonitorWidgets::collect(&panel);
  for (const std::string& name : MonitorWidgets::controlNames()) {
    const bool onGearPage =
        name == "LabelMonGearNapeti" || name.rfind("LabelMonPomerRpmSpeed", 0) == 0;
    EXPECT_EQ(found.count(name), onGearPage ? 0u : 1u) << name;
  }
  EXPECT_NE(panel.findChild<QWidget*>("GroupBoxPlayer"), nullptr);
  q3::ParamModel model;
  q3::MonitorModel mon(model);
  ASSERT_TRUE(mon.refresh({}, q3::RefreshCause::Startup));
  MonitorWidgets(found).show(mon.values());
  EXPECT_EQ(panel.findChild<QLabel*>("LabelRpm")->text(), "RPM = ---");
}

class WindowStub : public q3::MonitorWindow {
 public:
  int activePage() const override { return 0; }
  void showPage(int) override {}
  void reloadActivePage() override {}
  void showMonitor(const std::vector<q3::DisplayValue>& v) override {
    if (widgets) widgets->show(v);
  }
  void showPlayer(const q3::PlayerDisplay& d) override {
    if (widgets) widgets->showPlayer(d);
  }
  std::string askRecordPath() override { return recordPath; }
  std::string askPlayPath() override { return playPath; }
  MonitorWidgets* widgets = nullptr;
  std::string recordPath, playPath;
};

class PlayerWidgets : public q3test::ScratchDir {
 protected:
  PlayerWidgets() {
    app();
    panel = makePanel();
    widgets = std::make_unique<MonitorWidgets>(MonitorWidgets::collect(panel.get()));
    window.widgets = widgets.get();
    widgets->connectTo(feature);
    feature.startup(q3::StartupStep::InitRecorderPlayer);
  }
  std::unique_ptr<QWidget> panel;
  std::unique_ptr<MonitorWidgets> widgets;
  q3::ParamModel model;
  q3test::HandClock clock;
  WindowStub window;
  q3::LiveMonitor feature{{model, window, clock, nullptr, nullptr, nullptr}};
};

TEST_F(PlayerWidgets, ButtonsAndBarDriveThePlayer) {
  auto* record = child<QToolButton>(*panel, "SpeedButtonPlay1");
  auto* play = child<QToolButton>(*panel, "SpeedButtonPlay2");
  auto* pause = child<QToolButton>(*panel, "SpeedButtonPlay3");
  auto* stop = child<QToolButton>(*panel, "SpeedButtonPlay4");
  auto* bar = child<QScrollBar>(*panel, "ScrollBarPlay");
  EXPECT_TRUE(record->isEnabled() && play->isEnabled());
  EXPECT_FALSE(pause->isEnabled() || stop->isEnabled());

  q3test::LogBuilder b = q3test::LogBuilder::usual();
  for (int i = 1; i <= 10; ++i) b.monitor(uint32_t(1000 * i), 100 * i);
  ASSERT_TRUE(q3::writeFileReplacing(path("p.ignlog"), b.file.bytes(), nullptr));
  window.playPath = path("p.ignlog");
  QSignalSpy moved(bar, &QAbstractSlider::valueChanged);
  QTest::mouseClick(play, Qt::LeftButton);
  ASSERT_EQ(feature.player().state(), q3::PlayerState::Playing);
  EXPECT_TRUE(pause->isEnabled() && stop->isEnabled());
  EXPECT_EQ(bar->maximum(), 10);
  for (int i = 0; i < 80; ++i) {
    clock.now += 55;
    feature.tick(q3::TickPhase::PlayerStep, i);
  }
  EXPECT_EQ(bar->value(), 4);
  EXPECT_EQ(moved.count(), 0);  // the program moved the bar
  EXPECT_EQ(child<QLabel>(*panel, "LabelPlayPos")->text().left(9), "Play (4) ");

  QTest::mouseClick(pause, Qt::LeftButton);
  EXPECT_EQ(feature.player().state(), q3::PlayerState::Paused);
  bar->setValue(8);  // the user drags the bar: a jump
  EXPECT_EQ(feature.player().player().position(), 8);
  EXPECT_EQ(model.monitor().word(1), 800);
  QTest::mouseClick(stop, Qt::LeftButton);
  EXPECT_EQ(feature.player().state(), q3::PlayerState::Idle);
  EXPECT_FALSE(bar->isVisibleTo(panel.get()));

  window.recordPath = path("r.ignlog");
  QTest::mouseClick(record, Qt::LeftButton);
  EXPECT_EQ(feature.player().state(), q3::PlayerState::Recording);
  EXPECT_EQ(child<QLabel>(*panel, "LabelPlayPos")->text(), "Recording (3) 0 seconds");
  QTest::mouseClick(stop, Qt::LeftButton);
  EXPECT_TRUE(q3::readIgnlogFile(path("r.ignlog")).ok());
}

}  // namespace

namespace {

// The log view draws the recording that plays, its cursor follows the
// position, and a click puts playback at the moment clicked.
TEST_F(PlayerWidgets, TheLogViewFollowsAndPositionsPlayback) {
  q3::LogView view;
  view.resize(416, 200);  // a plot 400 pixels wide
  view.follow(feature);
  q3test::LogBuilder b = q3test::LogBuilder::usual();
  for (int i = 0; i <= 10; ++i) b.monitor(uint32_t(1000 * i), 1000 + 100 * i);
  ASSERT_TRUE(q3::writeFileReplacing(path("p.ignlog"), b.file.bytes(), nullptr));
  window.playPath = path("p.ignlog");
  feature.playClicked();
  ASSERT_EQ(view.series().samples(), 11);
  for (int i = 0; i < 60; ++i) {
    clock.now += 55;
    feature.tick(q3::TickPhase::PlayerStep, i);
  }
  EXPECT_EQ(view.cursorSample(), 3);  // 3.3 s played
  EXPECT_EQ(view.readout().left(28), "t = 3.00 s  RPM = 1300 rpm  ");

  QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(8 + 280, 100));  // 7 s of 10
  EXPECT_EQ(view.cursorSample(), 7);
  EXPECT_EQ(model.monitor().word(1), 1700);
  EXPECT_EQ(feature.player().player().position(), 8);

  // The cursor is a dashed line of the text colour down the plot.
  QImage shot(view.size(), QImage::Format_RGB32);
  view.render(&shot);
  auto inked = [&](int x) {
    int n = 0;
    for (int y = 30; y < 190; ++y)
      n += QColor(shot.pixel(x, y)) == view.palette().color(QPalette::Text);
    return n;
  };
  EXPECT_GT(inked(8 + 280), 40);
  EXPECT_LT(inked(8 + 270), 10);

  feature.stopClicked();
  EXPECT_EQ(view.series().samples(), 0);
}

}  // namespace
