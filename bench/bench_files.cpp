// LIBS: q3files q3params q3base q3text
// Settings files: rendering and writing a file, reading it back (both passes
// of an open), and the archive's compression of a settings file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "files/ign_document.h"
#include "files/ign_reader.h"
#include "files/ign_writer.h"
#include "files/service_tools.h"
#include "params/param_model.h"

namespace {

std::string scratch(const char* leaf) {
  return (std::filesystem::temp_directory_path() / leaf).string();
}

void BM_RenderIgn(benchmark::State& state) {
  const q3::ParamImage img = q3::defaultImageForBike(20);
  const q3::IgnWriteInfo info;
  size_t bytes = 0;
  for (auto _ : state) {
    std::string t = q3::renderIgn(img, info);
    bytes += t.size();
    benchmark::DoNotOptimize(t);
  }
  state.SetBytesProcessed(int64_t(bytes));
}
BENCHMARK(BM_RenderIgn);

void BM_WriteIgnFile(benchmark::State& state) {
  const q3::ParamImage img = q3::defaultImageForBike(20);
  const std::string path = scratch("q3_bench_write.ign");
  for (auto _ : state) {
    bool ok = q3::writeIgnText(path, q3::renderIgn(img, q3::IgnWriteInfo{}));
    benchmark::DoNotOptimize(ok);
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_WriteIgnFile);

void BM_ParseIgnText(benchmark::State& state) {
  const std::string text = q3::renderIgn(q3::defaultImageForBike(20), q3::IgnWriteInfo{});
  q3::ParamModel model;
  q3::IgnFileState st;
  for (auto _ : state) {
    q3::IgnReadResult r = q3::readIgn(text, model, st, {nullptr, false});
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ParseIgnText);

// The whole open: file read, two passes with the defaults between, sanitising.
void BM_OpenIgnFile(benchmark::State& state) {
  const std::string path = scratch("q3_bench_open.ign");
  q3::writeIgnText(path, q3::renderIgn(q3::defaultImageForBike(20), q3::IgnWriteInfo{}));
  q3::ParamModel model;
  q3::IgnDocument doc(model, q3::dialogs());
  for (auto _ : state) {
    auto r = doc.load(path, -1);
    benchmark::DoNotOptimize(r);
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_OpenIgnFile);

}  // namespace

BENCHMARK_MAIN();
