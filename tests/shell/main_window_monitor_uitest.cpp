// The live monitor in the main window connected to quelin3-unit-sim: live
// values on the strip below the pages and on the Test page, a test command
// sent once, and a recording made from the player group, played back over
// the user's work and left again with the work restored.
#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <memory>

#include "link/link_session.h"
#include "link/supervisor.h"
#include "monitor/ignlog_format.h"
#include "params/address_map.h"
#include "params/param_model.h"
#include "sim_window_fixture.h"

namespace {

using q3test::app;

class MonitorWindowTest : public q3test::SimWindowTest {
 protected:
  // Answers the next file dialog with path (as the user would type it).
  static void answerFileDialog(const QString& path) {
    // Tried on every turn until the dialog has taken the answer and closed
    // (a dialog still filling its list may not take it at once).
    auto* poll = new QTimer;
    auto seen = std::make_shared<bool>(false);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, path, seen] {
      QFileDialog* d = nullptr;
      for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<QFileDialog*>(top); f && f->isVisible()) d = f;
      if (!d) {
        if (*seen) poll->deleteLater();
        return;
      }
      *seen = true;
      // selectFile leaves the name alone while the name edit has the focus
      // (the user is typing), so the name is typed there as a user would.
      if (auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        name->setText(path);
      else
        d->selectFile(path);
      QMetaObject::invokeMethod(d, "accept");
    });
    poll->start(20);
  }

  static QString text(MainWindow& w, const char* label) {
    auto* l = w.findChild<QLabel*>(label);
    return l ? l->text() : QStringLiteral("<no %1>").arg(label);
  }

  static void click(MainWindow& w, const char* name) {
    auto* b = w.findChild<QAbstractButton*>(name);
    ASSERT_NE(b, nullptr) << name;
    ASSERT_TRUE(b->isEnabled()) << name;
    b->click();
  }

  bool connected(MainWindow& w) {
    q3::ConnectionSupervisor& sup = w.link()->supervisor();
    return tickUntil(
        w, [&] { return sup.connected() && sup.step() == q3::kSupIdle; }, 15000);
  }

  static void shoot(MainWindow& w, const char* name) {
    if (const char* shots = std::getenv("Q3_SCREENSHOT_DIR"))
      w.grab().save(QString(shots) + "/" + name);
  }
};

TEST_F(MonitorWindowTest, LiveValuesMoveAndATestCommandIsSentOnce) {
  MainWindow w(q3::StartOptions::fromEnvironment());
  w.resize(1280, 800);
  w.show();
  EXPECT_EQ(text(w, "LabelRpm"), "RPM = ---");
  auto* plus = w.findChild<QAbstractButton*>("ButtonTestServoPlus");
  ASSERT_NE(plus, nullptr);
  EXPECT_FALSE(plus->isEnabled());  // no unit yet

  ASSERT_TRUE(connected(w));
  const QRegularExpression rpm("^RPM = \\d+$");
  ASSERT_TRUE(tickUntil(w, [&] { return rpm.match(text(w, "LabelRpm")).hasMatch(); }))
      << text(w, "LabelRpm").toStdString();
  EXPECT_TRUE(text(w, "LabelNapeti").startsWith("U = 1")) << text(w, "LabelNapeti").toStdString();
  EXPECT_FALSE(text(w, "LabelVerze1").isEmpty());
  // The live gear voltage stands on the Gear page, by its take-over buttons.
  auto* gearMv = w.findChild<QLabel*>("LabelMonGearNapeti");
  ASSERT_NE(gearMv, nullptr);
  EXPECT_TRUE(w.pageControl()->widget(6)->isAncestorOf(gearMv));
  EXPECT_TRUE(tickUntil(
      w, [&] { return gearMv->text().endsWith("[mV]") && !gearMv->text().contains("---"); }, 5000))
      << gearMv->text().toStdString();
  // The engine speed moves from answer to answer.
  const QString first = text(w, "LabelRpm");
  EXPECT_TRUE(tickUntil(
      w, [&] { return text(w, "LabelRpm") != first; }, 5000));

  w.pageControl()->setCurrentIndex(9);
  ASSERT_TRUE(plus->isEnabled());
  const int servo = w.params().monitor().word(q3::MonitorWord::ServoPos1);
  // Two clicks before the next poll go out as one command: the unit acts once.
  plus->click();
  plus->click();
  ASSERT_TRUE(tickUntil(
      w, [&] { return w.params().monitor().word(q3::MonitorWord::ServoPos1) != servo; }, 5000));
  tickUntil(
      w, [] { return false; }, 1000);
  EXPECT_EQ(w.params().monitor().word(q3::MonitorWord::ServoPos1), std::min(5000, servo + 250));
  EXPECT_TRUE(text(w, "LabelServo").startsWith("Servo = "));
  shoot(w, "monitor_test_page.png");
  w.pageControl()->setCurrentIndex(0);
  tickUntil(
      w, [] { return false; }, 300);
  shoot(w, "monitor_live_strip.png");
  // The longest texts: German, on the Test page.
  w.changeLanguage(1);
  w.pageControl()->setCurrentIndex(9);
  tickUntil(
      w, [] { return false; }, 300);
  EXPECT_TRUE(text(w, "LabelMonGear").startsWith("Gang")) << text(w, "LabelMonGear").toStdString();
  // Captions the window's text tables lack follow the language too.
  EXPECT_EQ(text(w, "LabelProp1"), "Wert 1");
  shoot(w, "monitor_test_page_de.png");
  w.changeLanguage(2);
  tickUntil(
      w, [] { return false; }, 300);
  shoot(w, "monitor_test_page_cz.png");
  w.changeLanguage(0);
}

TEST_F(MonitorWindowTest, RecordingPlaysBackOverTheUsersWorkAndGivesItBack) {
  MainWindow w(q3::StartOptions::fromEnvironment());
  w.resize(1280, 800);
  w.show();
  w.action("MenuMonitorPlayer")->trigger();
  ASSERT_TRUE(connected(w));
  const QString log = dir.filePath("run.ignlog");

  answerFileDialog(log);
  click(w, "SpeedButtonPlay1");
  EXPECT_TRUE(w.findChild<QAbstractButton*>("SpeedButtonPlay4")->isEnabled());
  tickUntil(
      w, [] { return false; }, 2500);
  click(w, "SpeedButtonPlay4");
  const q3::IgnlogReadResult r = q3::readIgnlogFile(log.toStdString());
  ASSERT_TRUE(r.ok()) << r.message;
  int monitorRecords = 0;
  for (const q3::IgnlogRecord& rec : r.file.records())
    monitorRecords += rec.type == int(q3::IgnlogType::Monitor);
  EXPECT_GE(monitorRecords, 5);

  // The user's work: a limiter the recording never saw.
  q3::ParamImage& img = w.params().image();
  const uint8_t limiter = img.byte(q3::ImageByte::Limiter);
  const uint8_t mine = limiter == 120 ? 121 : 120;
  img.setByte(q3::ImageByte::Limiter, mine);

  answerFileDialog(log);
  click(w, "SpeedButtonPlay2");
  ASSERT_TRUE(tickUntil(
      w, [&] { return img.byte(q3::ImageByte::Limiter) == limiter; }, 3000));
  EXPECT_TRUE(tickUntil(
      w, [&] { return !w.findChild<QAbstractButton*>("ButtonRead")->isEnabled(); }, 1000));
  EXPECT_FALSE(w.action("MenuProgram")->isEnabled());
  ASSERT_TRUE(tickUntil(
      w, [&] { return w.findChild<QScrollBar*>("ScrollBarPlay")->value() >= 3; }, 3000));
  click(w, "SpeedButtonPlay3");
  EXPECT_TRUE(text(w, "LabelPlayFile").contains("run.ignlog"));
  shoot(w, "monitor_playback_paused.png");
  click(w, "ButtonLogView");
  if (QWidget* view = w.findChild<QWidget*>("FormLogView")) {
    app().processEvents();
    if (const char* shots = std::getenv("Q3_SCREENSHOT_DIR"))
      view->grab().save(QString(shots) + "/monitor_log_view.png");
    view->close();
  } else {
    ADD_FAILURE() << "no log view";
  }

  // The played recording's monitor records as CSV, from the player group.
  const QString csv = dir.filePath("run.csv");
  answerFileDialog(csv);
  click(w, "ButtonLogCsv");
  QFile table(csv);
  ASSERT_TRUE(table.open(QIODevice::ReadOnly));
  EXPECT_TRUE(table.readLine().startsWith("time_ms,"));
  int rows = 0;
  while (!table.atEnd()) rows += !table.readLine().trimmed().isEmpty();
  EXPECT_EQ(rows, monitorRecords);

  click(w, "SpeedButtonPlay4");
  EXPECT_EQ(img.byte(q3::ImageByte::Limiter), mine);
  EXPECT_TRUE(tickUntil(
      w, [&] { return w.findChild<QAbstractButton*>("ButtonRead")->isEnabled(); }, 2000));
}

}  // namespace
