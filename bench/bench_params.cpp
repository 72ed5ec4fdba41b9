// LIBS: q3params
// Sanitising of the parameter image and the undo snapshot (image compare plus
// ring store): both run after every applied edit of the user.
#include <benchmark/benchmark.h>

#include "params/address_map.h"
#include "params/param_model.h"

namespace {

q3::ParamImage defaultImage() {
  q3::ParamModel m;
  m.image().setByte(q3::ImageByte::Bike, 20);
  m.applyDefaults(-1);
  m.sanitize();
  return m.image();
}

void BM_SanitizeClean(benchmark::State& state) {
  q3::ParamImage img = defaultImage();
  for (auto _ : state) {
    q3::sanitizeImage(img);
    benchmark::DoNotOptimize(img.data());
  }
}
BENCHMARK(BM_SanitizeClean);

// Every rule finds something to mend: a pseudo-random image.
void BM_SanitizeScrambled(benchmark::State& state) {
  q3::ParamImage scrambled;
  uint32_t x = 12345;
  for (int i = 0; i < q3::kImageSize; ++i) {
    x = x * 1103515245u + 12345u;
    scrambled.setByte(i, static_cast<int>(x >> 16));
  }
  for (auto _ : state) {
    q3::ParamImage img = scrambled;
    q3::sanitizeImage(img);
    benchmark::DoNotOptimize(img.data());
  }
}
BENCHMARK(BM_SanitizeScrambled);

// One changed byte per iteration: compare, mark, advance, store.
void BM_SnapshotWithChange(benchmark::State& state) {
  q3::ParamModel m;
  m.image() = defaultImage();
  m.resetHistory(0);
  int v = 0;
  for (auto _ : state) {
    m.image().setByte(q3::ImageByte::Retard, ++v & 0xFF);
    benchmark::DoNotOptimize(m.snapshot(0));
  }
}
BENCHMARK(BM_SnapshotWithChange);

// An apply that changed nothing: the compare alone.
void BM_SnapshotUnchanged(benchmark::State& state) {
  q3::ParamModel m;
  m.image() = defaultImage();
  m.resetHistory(0);
  for (auto _ : state) benchmark::DoNotOptimize(m.snapshot(0));
}
BENCHMARK(BM_SnapshotUnchanged);

}  // namespace

BENCHMARK_MAIN();
