// The main window connected to quelin3-unit-sim on a pseudo-terminal
// (offscreen): LabelCom, the unit buttons and menu items, the COM menu, Read
// from the button with its progress bar, status panel 4, the caption, and the
// port release and take-back by the bootloader tool's notification.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSerialPort>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

#include "files/unit_backup.h"
#include "link/link_session.h"
#include "link/port_diagnosis.h"
#include "link/port_release_server.h"
#include "link/protocol_engine.h"
#include "link/supervisor.h"
#include "params/param_model.h"
#include "shell/ui/main_window.h"
#include "sim_window_fixture.h"
#include "text/mstring.h"

namespace {

// The port-release socket of the window under test (the start option the
// test program was given, else this user's).
std::string serverName() {
  return q3::portReleaseServerName(q3::StartOptions::fromEnvironment().portServer);
}

using q3test::app;
class LinkWindowTest : public q3test::SimWindowTest {};

TEST_F(LinkWindowTest, ConnectedWindowReadsAndLendsThePort) {
  MainWindow w(q3::StartOptions::fromEnvironment());
  auto* labelCom = w.findChild<QLabel*>("LabelCom");
  auto* read = w.findChild<QPushButton*>("ButtonRead");
  auto* gauge = w.findChild<QProgressBar*>("CGaugeProgram");
  ASSERT_NE(labelCom, nullptr);
  ASSERT_NE(read, nullptr);
  EXPECT_FALSE(read->isEnabled());
  EXPECT_EQ(w.statusPanel(4)->text(), "not connected");

  ASSERT_NE(w.link(), nullptr);
  q3::ConnectionSupervisor* sup = &w.link()->supervisor();
  ASSERT_TRUE(tickUntil(w, [&] { return sup->connected() && sup->step() == 1; }));
  const int port = w.link()->connectedPort();
  EXPECT_EQ(labelCom->text(), QString("COM=%1").arg(port));
  EXPECT_TRUE(read->isEnabled());
  EXPECT_TRUE(w.action("MenuProgram")->isEnabled());
  EXPECT_TRUE(w.action("MenuReset")->isEnabled());
  EXPECT_TRUE(w.statusPanel(4)->text().contains("RSKEY=104.00"))
      << w.statusPanel(4)->text().toStdString();
  EXPECT_TRUE(w.windowTitle().startsWith("  QUELIN3 (v104)       "));

  // The COM menu: offline, auto (checked), separator, the ports; the connected one checked.
  QList<QAction*> items = w.findChild<QMenu*>("MenuCom")->actions();
  ASSERT_GE(items.size(), 4);
  EXPECT_TRUE(items[1]->isChecked());
  EXPECT_TRUE(items[2]->isSeparator());
  bool connectedChecked = false;
  for (QAction* a : items)
    if (a->isVisible() && a->text().startsWith(QString("COM&%1 ").arg(port)))
      connectedChecked = a->isChecked() && a->text().contains(device);
  EXPECT_TRUE(connectedChecked);

  read->click();
  ASSERT_TRUE(
      tickUntil(w, [&] { return w.findChild<QLabel*>("LabelResult")->text() == "Verify: OK"; }));
  EXPECT_EQ(gauge->value(), 100);
  EXPECT_TRUE(w.params().unitImageValid());

  // The bootloader tool borrows the port and gives it back.
  {
    ASSERT_TRUE(q3::sendPortMessage(port, q3::kReleaseNow, serverName()));
    ASSERT_TRUE(tickUntil(
        w, [&] { return !sup->connected(); }, 3000));
    EXPECT_TRUE(w.windowTitle().endsWith("(Disconnected by bootloader)"));
    // The release comes in with the events between ticks; the unit buttons
    // follow at the next tick.
    tickUntil(
        w, [&] { return labelCom->text().contains("DISCONECTED") && !read->isEnabled(); }, 1000);
    EXPECT_EQ(labelCom->text(), QString("COM=%1 (DISCONECTED)").arg(port));
    EXPECT_FALSE(read->isEnabled());
    ASSERT_TRUE(q3::sendPortMessage(port, q3::kTakeBack, serverName()));
    ASSERT_TRUE(tickUntil(w, [&] { return sup->connected(); }));
    EXPECT_FALSE(w.windowTitle().contains("bootloader"));
  }
  // For looking at: Q3_SCREENSHOT_DIR=... keeps a picture of the connected window.
  if (const char* shots = std::getenv("Q3_SCREENSHOT_DIR")) {
    w.resize(1280, 800);
    w.show();  // laid out as on the screen, tab bar included
    app().processEvents();
    w.grab().save(QString(shots) + "/window_connected.png");
    // And every page in English and German, with the unit's live values.
    for (int lang : {0, 1}) {
      w.changeLanguage(lang);
      for (int p = 0; p < MainWindow::kPages; ++p) {
        w.pageControl()->setCurrentIndex(p);
        for (int i = 0; i < 10; ++i) {
          w.core().tick();
          app().processEvents();
          QThread::msleep(20);
        }
        w.grab().save(QString(shots) +
                      QStringLiteral("/connected_page%1_%2.png").arg(p).arg(lang ? "de" : "en"));
      }
    }
    w.changeLanguage(0);
  }
}

// Programming from the window keeps the unit's settings first; the backup is
// listed for the File menu's restore.
TEST_F(LinkWindowTest, ProgramFromTheWindowKeepsABackup) {
  MainWindow w(q3::StartOptions::fromEnvironment());
  ASSERT_NE(w.link(), nullptr);
  q3::ConnectionSupervisor* sup = &w.link()->supervisor();
  ASSERT_TRUE(tickUntil(w, [&] { return sup->connected() && sup->bikePreset() >= 0; }));
  ASSERT_TRUE(tickUntil(w, [&] { return sup->step() == q3::kSupIdle; }));
  w.params().image() = w.params().unitImage();  // the same bike: no question
  w.settings().newInstal = 0;                   // past the first-run notice
  w.action("MenuProgram")->trigger();
  ASSERT_TRUE(tickUntil(
      w, [&] { return w.findChild<QLabel*>("LabelResult")->text() == "Program device: OK"; },
      20000));
  const q3::BackupStore store(w.paths().dataDir);
  const std::vector<q3::UnitBackup> kept = store.list();
  ASSERT_EQ(kept.size(), 1u);
  q3::ParamModel backup;
  ASSERT_TRUE(q3::BackupStore::load(kept[0].path, backup));
  EXPECT_NE(w.action("MenuRestoreBackup"), nullptr);
}

// A port another program holds: its COM menu item and status panel 4 say so.
// The port this test holds is found by its device, not as the first busy
// port: the suite runs beside a running window and on benches with other
// adapters, whose ports may be busy too.
TEST_F(LinkWindowTest, PortHeldElsewhereIsShownWithItsCause) {
  QSerialPort holder(device);
  ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
  MainWindow w(q3::StartOptions::fromEnvironment());
  q3::PortState held;
  auto heldState = [&] {
    for (const q3::PortState& p : w.link()->presentPorts())
      if (QString::fromStdString(p.devicePath) == device) held = p;
    return held.openFailure == q3::OpenFailure::Busy;
  };
  ASSERT_TRUE(tickUntil(w, heldState, 5000)) << device.toStdString();
  const QString cause =
      QString::fromStdString(q3::describeOpenFailure(held.openFailure, held.devicePath));
  EXPECT_TRUE(cause.contains("busy: " + device + " is held by test_shell_ui"))
      << cause.toStdString();
  // Panel 4 names a port that cannot be opened, with its cause; when it
  // names this one, the cause is this test's hold.
  ASSERT_TRUE(tickUntil(
      w, [&] { return w.statusPanel(4)->text().startsWith("COM"); }, 5000))
      << w.statusPanel(4)->text().toStdString();
  const QString panel = w.statusPanel(4)->text();
  if (panel.contains(device + " ")) EXPECT_TRUE(panel.contains(cause)) << panel.toStdString();
  bool marked = false;
  for (QAction* a : w.findChild<QMenu*>("MenuCom")->actions())
    marked = marked || (a->isVisible() && a->text().contains(device + "  (busy)"));
  EXPECT_TRUE(marked);
  EXPECT_FALSE(w.link()->supervisor().connected());
}

}  // namespace
