// LIBS: q3monitorui q3monitor q3link q3files q3params q3base q3text Qt6::Widgets
// The monitor's hot paths: one monitor refresh in the core, the same with
// the widgets of the monitor area painted, and opening and writing a
// recording of 6000 records (the format's limit).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <string>

#include "monitor/ignlog_format.h"
#include "monitor/monitor_model.h"
#include "monitor/ui/monitor_panel.h"
#include "monitor/ui/monitor_widgets.h"
#include "params/address_map.h"
#include "params/param_model.h"

namespace {

using q3::MonitorByte;
using q3::MonitorWord;

void setWord(q3::MonitorBuffer& m, int w, int v) {
  m.setByte(2 * w, v & 0xFF);
  m.setByte(2 * w + 1, (v >> 8) & 0xFF);
}

// A running engine whose values change with every answer, as on the bench.
void nextAnswer(q3::MonitorBuffer& m, int i) {
  setWord(m, MonitorWord::EngineSpeed, 1300 + (i * 37) % 11000);
  setWord(m, MonitorWord::LoadVoltage, 500 + (i * 13) % 4000);
  setWord(m, MonitorWord::LoadValue, (i * 3) % 101);
  setWord(m, MonitorWord::SupplyVoltage, 12500 + (i * 7) % 2500);
  setWord(m, MonitorWord::Dwell, 30 + i % 10);
  setWord(m, MonitorWord::DwellOpt, 30);
  setWord(m, MonitorWord::Acceleration, (i * 97) % 5000);
  setWord(m, MonitorWord::LambdaVoltage, 300 + i % 500);
  for (int ch = 0; ch < 4; ++ch) m.setByte(MonitorByte::Advance + ch, 110 + (i + ch) % 30);
  m.setByte(MonitorByte::LoadSensor, 1);
  m.setByte(MonitorByte::Channels, 4);
  m.setByte(MonitorByte::Gear, 1 + i % 6);
  m.setByte(MonitorByte::Lambda, 120 + i % 40);
  m.setByte(MonitorByte::PickupStatus, 0x03);
  m.setByte(MonitorByte::InputsGrounded, i & 0x3F);
  m.setByte(MonitorByte::FunctionStates, (i >> 3) & 0x7F);
  m.setByte(MonitorByte::FunctionEnables, 0x7F);
  m.setByte(MonitorByte::StatusFlags, 0xF0);
}

struct Monitor {
  Monitor() {
    ctx.unitConnected = true;
    ctx.serviceMode = true;
    model.image().setByte(q3::ImageByte::Limiter, 120);
    for (int i = 0; i < 4; ++i) model.image().setByte(q3::ImageByte::LambdaBar + i, 100 + 30 * i);
    model.image().setByte(q3::ImageByte::Map2Accel, 30);
  }
  q3::ParamModel model;
  q3::MonitorModel mon{model};
  q3::MonitorContext ctx;
};

void BM_MonitorRefreshCore(benchmark::State& state) {
  Monitor m;
  int i = 0;
  for (auto _ : state) {
    nextAnswer(m.model.monitor(), ++i);
    m.mon.refresh(m.ctx, q3::RefreshCause::MonitorAnswer);
    benchmark::DoNotOptimize(m.mon.values().data());
  }
}
BENCHMARK(BM_MonitorRefreshCore)->Unit(benchmark::kMicrosecond);

// The refresh, its values on the controls of the monitor area, and the
// layout and painting that follow, as in the window's event loop.
void BM_MonitorRefreshWidgets(benchmark::State& state) {
  Monitor m;
  q3::MonitorPanel panel;
  panel.resize(1000, 700);
  panel.show();
  q3::MonitorWidgets widgets(q3::MonitorWidgets::collect(&panel));
  QCoreApplication::processEvents();
  int i = 0;
  for (auto _ : state) {
    nextAnswer(m.model.monitor(), ++i);
    m.mon.refresh(m.ctx, q3::RefreshCause::MonitorAnswer);
    widgets.show(m.mon.values());
    if (state.range(0)) QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_MonitorRefreshWidgets)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A full recording: the initial records, then monitor records to 6000.
std::vector<uint8_t> fullRecording() {
  q3::IgnlogFile f;
  q3::ParamImage img;
  f.append(q3::IgnlogType::Connection, 0, q3::connectionPayload(3, "QUELIN3"));
  f.append(q3::IgnlogType::Image, 0, {img.data(), size_t(img.size())});
  f.append(q3::IgnlogType::UnitImage, 0, {img.data(), size_t(img.size())});
  f.append(q3::IgnlogType::PageState, 0, q3::pageStatePayload({}));
  f.header.initial = 4;
  q3::MonitorBuffer m;
  for (int i = 0; f.size() < q3::kIgnlogMaxRecords; ++i) {
    nextAnswer(m, i);
    f.append(q3::IgnlogType::Monitor, uint32_t(440 * i), {m.data(), 150});
  }
  return f.bytes();
}

std::string scratch(const char* leaf) {
  return (std::filesystem::temp_directory_path() / leaf).string();
}

void BM_OpenRecording6000(benchmark::State& state) {
  const std::string path = scratch("q3bench_6000.ignlog");
  q3::writeFileReplacing(path, fullRecording(), nullptr);
  for (auto _ : state) {
    const q3::IgnlogReadResult r = q3::readIgnlogFile(path);
    if (r.file.size() != 6000) state.SkipWithError("not 6000 records");
    benchmark::DoNotOptimize(r.file.data().data());
  }
  state.counters["file_bytes"] = double(std::filesystem::file_size(path));
  std::filesystem::remove(path);
}
BENCHMARK(BM_OpenRecording6000)->Unit(benchmark::kMillisecond);

// One periodic write of a full recording: the whole file through a
// temporary name, flushed to the disk, renamed.
void BM_WriteRecording6000(benchmark::State& state) {
  const std::string path = scratch("q3bench_write.ignlog");
  const std::vector<uint8_t> bytes = fullRecording();
  for (auto _ : state)
    if (!q3::writeFileReplacing(path, bytes, nullptr)) state.SkipWithError("write failed");
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteRecording6000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
