// LIBS: q3mapsui q3maps q3params Qt6::Test
// The map editor's hot paths: painting the 15 x 10 advance map table into the
// control's off-screen image, and one edit round trip from the keystroke to
// the image stored by the owner notification.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include "maps/map_defs.h"
#include "maps/ui/ttab.h"
#include "params/address_map.h"
#include "params/param_model.h"

namespace {

q3::ParamImage advanceImage() {
  using q3::Adrb;
  q3::ParamImage img;
  img.setByte(Adrb::TpsIapSensor, 1);
  img.setByte(Adrb::AdvMap, 1);
  img.setByte(Adrb::Adv2Map, 1);
  img.setByte(Adrb::AdvColumns, 15);
  img.setByte(Adrb::Adv2Columns, 15);
  for (int c = 0; c < 15; ++c) {
    img.setByte(Adrb::RpmAdv + c, 10 + 12 * c);
    img.setByte(Adrb::RpmAdv2 + c, 10 + 12 * c);
  }
  for (int i = 0; i < 150; ++i) {
    img.setByte(Adrb::Advance + i, 100 + (i * 7) % 45);
    img.setByte(Adrb::Advance2 + i, 100 + (i * 5) % 40);
  }
  return img;
}

// The page with the advance map control; each committed edit is stored into
// the parameter model's image, sanitised and taken into the undo history, as
// the main window's deferred apply does.
struct AdvancePage {
  QWidget page;
  q3::ParamModel params;
  q3::ParamImage& img = params.image();
  q3::TTab* tab;
  AdvancePage() {
    img = advanceImage();
    params.resetHistory(3);
    page.resize(1000, 520);
    tab = new q3::TTab(q3::kOwnerAdvance, 980, 480, q3::mapControlSetup(q3::kOwnerAdvance).options,
                       &page);
    q3::defineMap(tab->model());
    q3::loadMap(tab->model(), img);
    tab->model().setOwnerNotify([this](q3::TabModel& m) {
      q3::storeMap(m, img);
      q3::reloadMap(m, img);
      params.sanitize();
      params.snapshot(3);
    });
    page.show();
    tab->refresh();
    // A live marker and a selection, as while tuning on a running engine.
    tab->model().setLiveValues(4300, 455, 0, 0);
    tab->model().updateActual();
    tab->model().selectRect(q3::kSelCells, 3, 2, 6, 4, false);
  }
};

void BM_PaintAdvanceTable(benchmark::State& state) {
  AdvancePage p;
  for (auto _ : state) {
    p.tab->render();
    benchmark::DoNotOptimize(p.tab->offscreen().constBits());
  }
}
BENCHMARK(BM_PaintAdvanceTable)->Unit(benchmark::kMillisecond);

void BM_EditRoundTrip(benchmark::State& state) {
  AdvancePage p;
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier, p.tab->elementRect(5, 5).center());
  int v = 0;
  for (auto _ : state) {
    // Type a value into the cell and commit it with Enter, then back up.
    const char digit = static_cast<char>('1' + (v++ % 9));
    QTest::keyClick(p.tab, digit);
    QTest::keyClick(p.tab, Qt::Key_Return);
    QTest::keyClick(p.tab, Qt::Key_Up);
    benchmark::DoNotOptimize(p.img.byte(q3::Adrb::Advance + 5 * 15 + 5));
  }
  if (p.img.byte(q3::Adrb::Advance + 5 * 15 + 5) == 100 || !p.params.canUndo())
    state.SkipWithError("edit not stored");
}
BENCHMARK(BM_EditRoundTrip)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
