// A main window (offscreen) beside quelin3-unit-sim on a pseudo-terminal,
// with its own data folder and port-release socket; the window's timer is
// run by hand in step with the wall clock.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>
#include <functional>
#include <string>

#include "shell/ui/main_window.h"
#include "support/qt_app.h"
#include "text/mstring.h"

namespace q3test {

class SimWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    q3::setLanguage(0);
    setenv("QUELIN3_DATA_DIR", dir.path().toUtf8().constData(), 1);
    setenv("QUELIN3_SERVICE_FILE", dir.filePath("service.txt").toUtf8().constData(), 1);
    // A port-release socket of this test process alone: the bootloader
    // messages below reach this window, never a program running beside it.
    setenv("QUELIN3_PORT_SERVER", ("quelin3-test-" + std::to_string(::getpid())).c_str(), 1);
    const char* bin = std::getenv("Q3_BINARY_DIR");
    ASSERT_NE(bin, nullptr);
    sim.setProgram(QString(bin) + "/tools/unit-sim/quelin3-unit-sim");
    sim.setArguments({"--link", dir.filePath("unit"), "--designation", "QLN RACE"});
    sim.start();
    ASSERT_TRUE(sim.waitForStarted(5000));
    while (!sim.canReadLine()) ASSERT_TRUE(sim.waitForReadyRead(5000));
    device = sim.readLine().trimmed();
    setenv("QUELIN3_EXTRA_PORTS", device.toUtf8().constData(), 1);
  }
  void TearDown() override {
    unsetenv("QUELIN3_EXTRA_PORTS");
    sim.terminate();
    sim.waitForFinished(5000);
  }

  // Runs the window's timer by hand, in step with the wall clock.
  bool tickUntil(MainWindow& w, const std::function<bool()>& pred, int ms = 10000) {
    for (int waited = 0; waited < ms; waited += 50) {
      if (pred()) return true;
      w.core().tick();
      app().processEvents();
      QThread::msleep(50);
    }
    return pred();
  }

  QTemporaryDir dir;
  QProcess sim;
  QString device;
};

}  // namespace q3test
