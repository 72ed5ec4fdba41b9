// LIBS: q3mapsui q3monitor q3maps q3params Qt6::Test
// Comparing settings by name and where the engine runs: the catalogue-based
// comparison of two parameter images (a few settings, cells and bytes
// apart), the hit map of a full recording (6000 records), and the advance
// map's table painted with and without the time shading (argument 1 / 0;
// the difference is what the shading adds to a paint).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>

#include "maps/map_defs.h"
#include "maps/settings_compare.h"
#include "maps/ui/map_editor.h"
#include "monitor/hit_map.h"
#include "params/address_map.h"
#include "params/param_model.h"

namespace {

using q3::ImageByte;

q3::ParamImage defaults() {
  q3::ParamModel m;
  m.image().setByte(ImageByte::Bike, 20);
  m.applyDefaults(-1);
  m.image().setByte(ImageByte::TpsIapSensor, 1);
  m.image().setByte(ImageByte::AdvMap, 1);
  m.sanitize();
  return m.image();
}

void BM_CompareSettings(benchmark::State& state) {
  const q3::ParamImage a = defaults();
  q3::ParamImage b = a;
  b.setByte(ImageByte::Limiter, a.byte(ImageByte::Limiter) + 5);
  b.setByte(ImageByte::PoutFunction + 2, 1);
  for (int i = 0; i < 12; ++i)
    b.setByte(ImageByte::Advance + 7 * i, a.byte(ImageByte::Advance + 7 * i) + 2);
  b.setByte(ImageByte::RpmAdv2 + 4, a.byte(ImageByte::RpmAdv2 + 4) + 1);
  b.setByte(ImageByte::EdgeStart, a.byte(ImageByte::EdgeStart) + 1);
  benchmark::DoNotOptimize(q3::compareSettings(a, b).count());  // the catalogue once
  for (auto _ : state) {
    const q3::SettingsComparison c = q3::compareSettings(a, b);
    benchmark::DoNotOptimize(c.count());
  }
}
BENCHMARK(BM_CompareSettings)->Unit(benchmark::kMicrosecond);

// A recording of 6000 records: the settings, then monitor answers every
// 400 ms sweeping engine speed and throttle.
q3::IgnlogFile fullRecording() {
  q3::IgnlogFile f;
  const q3::ParamImage img = defaults();
  f.append(q3::IgnlogType::Image, 0, {img.data(), q3::kImageSize});
  std::vector<uint8_t> m(q3::kIgnlogMonitorLen, 0);
  for (int i = 1; i < q3::kIgnlogMaxRecords; ++i) {
    const double phase = std::fmod(i * 0.4, 20.0) / 20.0;
    const double s = phase < 0.5 ? phase * 2 : (1 - phase) * 2;
    const int rpm = 1300 + int(s * 10000);
    m[2 * q3::MonitorWord::EngineSpeed] = uint8_t(rpm & 0xFF);
    m[2 * q3::MonitorWord::EngineSpeed + 1] = uint8_t(rpm >> 8);
    m[2 * q3::MonitorWord::LoadValue] = uint8_t(s * 100);
    m[q3::MonitorByte::LoadSensor] = 1;
    f.append(q3::IgnlogType::Monitor, uint32_t(i * 400), m);
  }
  return f;
}

void BM_HitMapOfFullRecording(benchmark::State& state) {
  const q3::IgnlogFile f = fullRecording();
  q3::ParamImage img;
  q3::lastRecordedImage(f, img);
  if (f.size() != q3::kIgnlogMaxRecords) state.SkipWithError("recording not full");
  for (auto _ : state) {
    const q3::HitMap h = q3::recordingHitMap(f, img, 0);
    benchmark::DoNotOptimize(h.total);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * f.size());
}
BENCHMARK(BM_HitMapOfFullRecording)->Unit(benchmark::kMillisecond);

void BM_PaintAdvanceTableShading(benchmark::State& state) {
  QWidget page;
  page.resize(1000, 520);
  auto* tab = new q3::MapEditor(q3::kOwnerAdvance, 980, 480,
                                q3::mapControlSetup(q3::kOwnerAdvance).options, &page);
  q3::defineMap(tab->model());
  q3::loadMap(tab->model(), defaults());
  page.show();
  tab->refresh();
  std::vector<double> times(size_t(q3::kCellCount), 0.0);
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < 15; ++c) times[q3::cellIndex(c, r)] = (r * 15 + c) % 7;
  tab->setCellTimes(0, times);
  tab->setTimeShading(state.range(0) != 0);
  for (auto _ : state) {
    tab->render();
    benchmark::DoNotOptimize(tab->offscreen().constBits());
  }
}
BENCHMARK(BM_PaintAdvanceTableShading)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
