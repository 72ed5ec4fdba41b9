// LIBS: q3mapsui q3maps q3params Qt6::Test
// The map editor's hot paths: painting the 15 x 10 advance map as a table,
// as the 2D graph and as the 3D surface into the control's off-screen image;
// the finest 3D mode on the largest sheet (50 x 30); reading a pasted 50 x 30
// sheet; and one edit round trip from the keystroke to the image stored by
// the owner notification.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <cmath>

#include "maps/map_defs.h"
#include "maps/map_paste.h"
#include "maps/sheet_text.h"
#include "maps/ui/map_editor.h"
#include "params/address_map.h"
#include "params/param_model.h"

namespace {

q3::ParamImage advanceImage() {
  using q3::ImageByte;
  q3::ParamImage img;
  img.setByte(ImageByte::TpsIapSensor, 1);
  img.setByte(ImageByte::AdvMap, 1);
  img.setByte(ImageByte::Adv2Map, 1);
  img.setByte(ImageByte::AdvColumns, 15);
  img.setByte(ImageByte::Adv2Columns, 15);
  for (int c = 0; c < 15; ++c) {
    img.setByte(ImageByte::RpmAdv + c, 10 + 12 * c);
    img.setByte(ImageByte::RpmAdv2 + c, 10 + 12 * c);
  }
  for (int i = 0; i < 150; ++i) {
    img.setByte(ImageByte::Advance + i, 100 + (i * 7) % 45);
    img.setByte(ImageByte::Advance2 + i, 100 + (i * 5) % 40);
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
  q3::MapEditor* tab;
  AdvancePage() {
    img = advanceImage();
    params.resetHistory(3);
    page.resize(1000, 520);
    tab = new q3::MapEditor(q3::kOwnerAdvance, 980, 480,
                            q3::mapControlSetup(q3::kOwnerAdvance).options, &page);
    q3::defineMap(tab->model());
    q3::loadMap(tab->model(), img);
    tab->model().setOwnerNotify([this](q3::MapModel& m) {
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

void paintLoop(benchmark::State& state, q3::MapEditor* tab) {
  for (auto _ : state) {
    tab->render();
    benchmark::DoNotOptimize(tab->offscreen().constBits());
  }
}

void BM_PaintAdvanceTable(benchmark::State& state) {
  AdvancePage p;
  paintLoop(state, p.tab);
}
BENCHMARK(BM_PaintAdvanceTable)->Unit(benchmark::kMillisecond);

// The same map and size as the table: ten stacked curves with the
// comparison curves, the limiters, the live marker and the selection.
void BM_PaintAdvance2D(benchmark::State& state) {
  AdvancePage p;
  p.tab->setView(2);
  paintLoop(state, p.tab);
}
BENCHMARK(BM_PaintAdvance2D)->Unit(benchmark::kMillisecond);

// The 3D surface of the 15 x 10 map at 1000 x 600 px; the argument is the
// drawing mode (4: height colours of grain 2, what the window sets).
void BM_PaintAdvance3D(benchmark::State& state) {
  AdvancePage p;
  p.page.resize(1020, 640);
  p.tab->resize(1000, 600);
  p.tab->setView(4);
  p.tab->graph().drawMode = static_cast<int>(state.range(0));
  paintLoop(state, p.tab);
}
BENCHMARK(BM_PaintAdvance3D)->Arg(4)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

// The largest sheet, 50 x 30 cells over 1000..50 000 rpm, a smooth surface
// with a ridge, in the finest mode (grain 3) at 1000 x 600 px.
struct LargeSheet {
  QWidget page;
  q3::MapEditor* tab;
  LargeSheet() {
    page.resize(1020, 640);
    tab =
        new q3::MapEditor(60, 1000, 600, q3::kOptTable | q3::kOptGraph2D | q3::kOptGraph3D, &page);
    q3::MapModel& m = tab->model();
    m.visibleColumns = 50;
    m.visibleRows = 30;
    m.addSheet("Large", "RPM", "TP", "ADV", 50, 30, 0x0001);
    q3::AxisSetup x;
    x.name = "RPM";
    x.minValue = 3;
    x.maxValue = 600;
    x.scale = 100;
    x.grid = {{25000, {2000, 1000, 1000, 2000}}, {60000, {5000, 5000, 5000, 10000}}};
    x.editable = 1;
    x.count = 50;
    m.setAxis(0, 1, x);
    q3::AxisSetup y;
    y.name = "TP";
    y.maxValue = 100;
    y.count = 30;
    m.setAxis(0, 2, y);
    q3::AxisSetup v;
    v.name = "ADV";
    v.minValue = -30;
    v.maxValue = 60;
    v.grid = {{10, {5, 1, 1, 2}}, {30, {5, 5, 5, 5}}, {100, {20, 10, 10, 20}}};
    v.editable = 1;
    v.options = 3;
    m.setAxis(0, 4, v);
    q3::MapSheet& s = m.sheet(0);
    for (int c = 0; c < 50; ++c) s.x.values[static_cast<size_t>(c)] = 10 + 10 * c;
    for (int r = 0; r < 30; ++r) s.y.values[static_cast<size_t>(r)] = r * 100 / 29;
    for (int r = 0; r < 30; ++r)
      for (int c = 0; c < 50; ++c)
        s.cell(c, r) = static_cast<int32_t>(-20 + 70 * std::exp(-((c - 25) * (c - 25)) / 120.0) *
                                                      (1 - r / 40.0));
    m.normalizeAxes(0, q3::kNormalizeForget | q3::kChangeX | q3::kChangeY | q3::kChangeCells);
    page.show();
    tab->refresh();
  }
};

void BM_PaintLarge3DFinest(benchmark::State& state) {
  LargeSheet l;
  l.tab->setView(4);
  l.tab->graph().drawMode = 5;
  paintLoop(state, l.tab);
}
BENCHMARK(BM_PaintLarge3DFinest)->Unit(benchmark::kMillisecond);

// Reading and pasting a whole 50 x 30 sheet (about 11 kB of text).
void BM_PasteLargeSheet(benchmark::State& state) {
  LargeSheet l;
  const std::string text = q3::copyTableTexts(l.tab->model().cur(), false, '.').sheet;
  for (auto _ : state) {
    const q3::PasteResult r = q3::pasteSheet(l.tab->model(), text);
    benchmark::DoNotOptimize(r.flags);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_PasteLargeSheet)->Unit(benchmark::kMicrosecond);

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
    benchmark::DoNotOptimize(p.img.byte(q3::ImageByte::Advance + 5 * 15 + 5));
  }
  if (p.img.byte(q3::ImageByte::Advance + 5 * 15 + 5) == 100 || !p.params.canUndo())
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
