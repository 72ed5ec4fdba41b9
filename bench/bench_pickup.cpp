// LIBS: q3monitorui q3monitor
// The pickup monitor's hot paths: the analysis of a full block (3750 samples,
// the most a 15000-byte capture holds) and the redraw of a picture of 600
// events into the 800 x 600 off-screen image at zoom 1 and at zoom 1024.
// Baselines: the analysis runs every 16th tick of 55 ms, the redraw at most
// once per tick; targets 1 ms and 8 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <cstdint>
#include <vector>

#include "monitor/pickup_analyzer.h"
#include "monitor/ui/pickup_painter.h"

namespace {

uint32_t sample(int64_t t, int phase, bool s1, bool s2, int outputs) {
  return uint32_t(t & 0xFFFFFF) | uint32_t(phase & 3) << 24 | (s1 ? 1u << 26 : 0u) |
         (s2 ? 1u << 27 : 0u) | uint32_t(outputs) << 28;
}

// n samples 10 ticks apart, the phase changing every n / 4.2 samples, signal 1
// toggling every 2nd and signal 2 every 5th sample, an ignition every 37th.
q3::PickupBlock busyBlock(int n) {
  q3::PickupBlock b;
  b.state = 1;
  b.selector = 1;
  const int per = int(n / 4.2);
  for (int i = 0; i < n; ++i)
    b.samples.push_back(sample(int64_t(i) * 10 + 0xFFF000, i / per, (i / 2) & 1, (i / 5) & 1,
                               i % 37 == 0 ? 1 << (i / 37 % 4) : 0));
  return b;
}

void BM_AnalyseFullBlock(benchmark::State& state) {
  const q3::PickupBlock b = busyBlock(q3::kPickupMaxSamples);
  q3::PickupAnalyzer m;
  for (auto _ : state) {
    m.handOver(b);
    benchmark::DoNotOptimize(m.analyse());
  }
  state.counters["events"] = double(m.events().size());
  state.counters["rpm"] = m.rpm();
}
BENCHMARK(BM_AnalyseFullBlock)->Unit(benchmark::kMicrosecond);

void BM_Redraw600Events(benchmark::State& state) {
  q3::PickupAnalyzer m;
  m.show(busyBlock(q3::kPickupMaxSamples));  // more than fit: 598 events and the markers
  q3::PickupView view;
  view.resize(800, 600);
  // Zoomed in around the reference mark (wheel notches with the pointer on it).
  const int at = int(view.x(0, m.rangeSpan()));
  while (view.zoom() < state.range(0)) view.wheel(true, at);
  m.commitDimension({-180, 0, 150, 0x4, 0x100});
  m.commitDimension({0, 90, 420, 0x4, 0x8});
  q3::PickupMonitorSettings settings;
  q3::PickupScene scene;
  scene.engine = &m;
  scene.view = &view;
  scene.settings = &settings;
  for (int i = 0; i < q3::kPickupSlots; ++i)
    scene.legends.push_back(
        {QPoint(100 + 140 * (i / 3), 538 + 20 * (i % 3)), q3::pickupSlots()[size_t(i)].legend});
  QImage image(800, 600, QImage::Format_RGB32);
  q3::PickupHits hits;
  for (auto _ : state) {
    q3::paintPickup(image, scene, &hits);
    benchmark::ClobberMemory();
  }
  state.counters["events"] = double(m.events().size());
  state.counters["zoom"] = view.zoom();
}
BENCHMARK(BM_Redraw600Events)->Arg(1)->Arg(1024)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
