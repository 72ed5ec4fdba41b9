// LIBS: q3shellui
// Time from constructing the main window (the whole start-up list) to its
// first painted frame, offscreen, with a fresh settings folder and with the
// folder a previous run left behind.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <filesystem>

#include "shell/ui/main_window.h"

namespace {

QApplication& app() {
  static int argc = 1;
  static char name[] = "bench_startup";
  static char* argv[] = {name, nullptr};
  static QApplication* a = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return new QApplication(argc, argv);
  }();
  return *a;
}

class PaintWatch : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) painted = true;
    return false;
  }
};

// Constructs and shows the window and returns it once its first frame is painted.
MainWindow* startAndPaint(PaintWatch& watch) {
  auto* w = new MainWindow(q3::StartOptions::fromEnvironment());
  w->installEventFilter(&watch);
  w->show();
  while (!watch.painted) QApplication::processEvents(QEventLoop::AllEvents, 5);
  return w;
}

void closeAndDestroy(MainWindow* w) {
  w->close();
  delete w;
}

void BM_StartToFirstPaint(benchmark::State& state) {
  app();
  const bool keepFolder = state.range(0) != 0;
  char tmpl[] = "/tmp/q3benchXXXXXX";
  std::filesystem::path dir = mkdtemp(tmpl);
  setenv("QUELIN3_DATA_DIR", dir.c_str(), 1);
  if (keepFolder) {  // leaves application.ini and default.ini
    PaintWatch watch;
    closeAndDestroy(startAndPaint(watch));
  }
  for (auto _ : state) {
    if (!keepFolder) {
      state.PauseTiming();
      std::filesystem::remove_all(dir);
      std::filesystem::create_directories(dir);
      state.ResumeTiming();
    }
    PaintWatch watch;
    MainWindow* w = startAndPaint(watch);
    // Closing (saving the settings) and destruction are not part of the start.
    state.PauseTiming();
    closeAndDestroy(w);
    state.ResumeTiming();
  }
  std::filesystem::remove_all(dir);
  state.SetLabel(keepFolder ? "settings from last run" : "first run");
}
BENCHMARK(BM_StartToFirstPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
