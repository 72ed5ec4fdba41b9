// The advance map editor of the main window (offscreen) counts the time the
// engine spends in its cells from the monitor values at every tick: a unit
// held at one operating point fills that cell, and only for the map the unit
// runs on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QTabWidget>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numeric>

#include "base/app_core.h"
#include "maps/map_defs.h"
#include "maps/ui/map_editor.h"
#include "params/address_map.h"
#include "params/param_model.h"
#include "shell/ui/main_window.h"
#include "support/qt_app.h"
#include "text/mstring.h"

namespace fs = std::filesystem;

namespace {

using q3::ImageByte;
using q3::MonitorByte;
using q3::MonitorWord;

TEST(TimeSpent, TheAdvanceEditorCountsTheCellOfTheOperatingPoint) {
  q3test::app();
  char tmpl[] = "/tmp/q3spentXXXXXX";
  const fs::path dir = mkdtemp(tmpl);
  setenv("QUELIN3_DATA_DIR", dir.c_str(), 1);
  setenv("QUELIN3_SERVICE_FILE", (dir / "service.txt").c_str(), 1);
  q3::setLanguage(0);
  {
    MainWindow form(q3::StartOptions::fromEnvironment());
    form.show();  // the window works from its first show on
    q3::ParamModel& params = form.params();
    params.image().setByte(ImageByte::TpsIapSensor, 1);
    params.image().setByte(ImageByte::AdvMap, 1);
    const int col = 5;
    const int rpm = params.image().byte(ImageByte::RpmAdv + col) * 100;
    // The answers of a unit held at two operating points, as the link stores
    // them before each tick (without a unit the window clears the buffer).
    q3::MonitorBuffer& mon = params.monitor();
    auto hold = [&](int speed, int throttle, int ticks) {
      for (int i = 0; i < ticks; ++i) {
        auto word = [&](int w, int v) {
          mon.setByte(2 * w, v & 0xFF);
          mon.setByte(2 * w + 1, v >> 8);
        };
        word(MonitorWord::EngineSpeed, speed);
        word(MonitorWord::LoadValue, throttle);
        mon.setByte(MonitorByte::LoadSensor, 1);
        form.core().tick();
      }
    };
    const int other = params.image().byte(ImageByte::RpmAdv + col + 2) * 100;
    hold(rpm, 20, 40);    // the fifth throttle breakpoint (the first ticks load the settings)
    hold(other, 40, 20);  // the seventh
    hold(0, 0, 20);       // the engine stopped: nothing counts
    auto* editor = form.findChild<q3::MapEditor*>("TabAdvance");
    ASSERT_NE(editor, nullptr);
    const std::vector<double>& one = editor->cellTimes(0);
    ASSERT_FALSE(one.empty());
    const double total = std::accumulate(one.begin(), one.end(), 0.0);
    const double first = one[q3::cellIndex(col, 4)], second = one[q3::cellIndex(col + 2, 6)];
    EXPECT_NEAR(first, 2.0, 0.1);
    EXPECT_NEAR(second, 1.0, 1e-9);  // 20 ticks of 50 ms
    EXPECT_NEAR(total, first + second, 1e-9);
    EXPECT_TRUE(editor->cellTimes(1).empty());  // advance map 2 never ran
    EXPECT_FALSE(editor->timeShading());        // off until chosen
    if (const char* shots = std::getenv("Q3_SCREENSHOT_DIR")) {
      editor->setTimeShading(true);
      form.resize(1280, 800);
      form.pageControl()->setCurrentIndex(3);
      QApplication::processEvents();
      form.grab().save(QString(shots) + "/advance_map_time_shading.png");
    }
  }
  fs::remove_all(dir);
}

}  // namespace
