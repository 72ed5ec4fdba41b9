// LIBS: q3shellui
// The setting pages in the main window (offscreen): showing all ten pages
// after a Read, and one apply on the Race page, the page with most controls.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QSpinBox>
#include <QTabWidget>
#include <filesystem>

#include "params/param_binder.h"
#include "shell/ui/main_window.h"
#include "shell/ui/window_context.h"

namespace {

QApplication& app() {
  static int argc = 1;
  static char name[] = "bench_pages";
  static char* argv[] = {name, nullptr};
  static QApplication* a = new QApplication(argc, argv);
  return *a;
}

std::unique_ptr<MainWindow> makeWindow() {
  app();
  static const std::filesystem::path dir = [] {
    char tmpl[] = "/tmp/q3benchpagesXXXXXX";
    return std::filesystem::path(mkdtemp(tmpl));
  }();
  setenv("QUELIN3_DATA_DIR", dir.c_str(), 1);
  setenv("QUELIN3_SERVICE_FILE", (dir / "service.txt").c_str(), 1);
  auto form = std::make_unique<MainWindow>(q3::StartOptions::fromEnvironment());
  form->resize(1280, 800);
  form->show();
  return form;
}

void BM_ShowAllPages(benchmark::State& state) {
  auto form = makeWindow();
  for (auto _ : state) {
    const q3::ParamBinder::Suppress hold(form->binder());
    for (int p = 0; p < 10; ++p) form->pageHost().showPage(p);
  }
}
BENCHMARK(BM_ShowAllPages)->Unit(benchmark::kMillisecond);

void BM_ApplyOnRacePage(benchmark::State& state) {
  auto form = makeWindow();
  form->pageControl()->setCurrentIndex(7);
  auto* spin = form->findChild<QSpinBox*>("UpDownGearKorAdv1");
  int k = 0;
  for (auto _ : state) {
    {
      const q3::ParamBinder::Suppress hold(form->binder());
      spin->setValue((k++ % 2) ? 5 : -5);
    }
    form->binder().applyNow();
  }
}
BENCHMARK(BM_ApplyOnRacePage)->Unit(benchmark::kMillisecond);

// The part of an apply that writes files: the window settings and the image
// kept for the next start, saved with every undo snapshot.
void BM_SaveSettings(benchmark::State& state) {
  auto form = makeWindow();
  for (auto _ : state) form->saveSettings();
}
BENCHMARK(BM_SaveSettings)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
