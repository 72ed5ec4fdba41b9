// LIBS: q3link q3unitsim
// The link's hot paths: bytes per second through the frame receiver, and a
// full-block write and read at 57600 Bd against the paced simulated unit
// (quelin3-unit-sim on a pseudo-terminal), reported as a ratio to the time
// the bytes need on the wire (10 bits per byte).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <thread>
#include <vector>

#include "base/app_clock.h"
#include "link/frame.h"
#include "link/link_engine.h"

namespace {

using namespace q3;

std::vector<uint8_t> answerStream(int protocol) {
  std::vector<uint8_t> s;
  uint8_t f[kFrameMax + 16];
  uint8_t data[512];
  for (int k = 0; k < 64; ++k) {
    for (int i = 0; i < 512; ++i) data[i] = uint8_t(i * 7 + k);
    const int n = isFamilyA(protocol) ? buildFrameA(f, protocol, kKindAnswer, kCmdReadBlock,
                                                    uint16_t(k * 512), data, 512)
                                      : buildFrameB(f, protocol, uint8_t(0xC1 + k % 7), data, 0, 0);
    s.insert(s.end(), f, f + n);
  }
  return s;
}

void BM_Receiver(benchmark::State& state) {
  const int protocol = int(state.range(0));
  const std::vector<uint8_t> s = answerStream(protocol);
  FrameReceiver rx;
  configureReceiver(rx, protocol, 175);
  int frames = 0;
  for (auto _ : state) {
    for (uint8_t b : s) frames += receiveByte(rx, b, 0);
    benchmark::DoNotOptimize(frames);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.size()));
  state.counters["frames"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Receiver)->Arg(kProto3150)->Arg(kProtoCrc)->Arg(kProtoSum);

std::string simPath() {
  const QString self = QCoreApplication::applicationDirPath();
  return (self + "/../tools/unit-sim/quelin3-unit-sim").toStdString();
}

void BM_FullBlockAt57600(benchmark::State& state) {
  static int argc = 1;
  static char name[] = "bench_link";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  QTemporaryDir dir;
  QProcess sim;
  sim.setProgram(QString::fromStdString(simPath()));
  sim.setArguments({"--protocol", "3150", "--link", dir.filePath("unit")});
  sim.start();
  if (!sim.waitForStarted(5000)) {
    state.SkipWithError("quelin3-unit-sim did not start");
    return;
  }
  while (!sim.canReadLine()) sim.waitForReadyRead(5000);
  const std::string dev = sim.readLine().trimmed().toStdString();

  const auto t0 = std::chrono::steady_clock::now();
  AppClock clock;
  LinkEngine eng{clock};
  eng.numbering().setStorePath("");
  eng.numbering().setLister([dev](std::vector<PortDevice>& out) {
    out.push_back({dev, dev});
    return true;
  });
  auto ui = [&] {
    clock.setTmr(int32_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count()));
    eng.managerRun();
    eng.watchdogStep();
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  };
  eng.requestOpen(1, 57600);
  for (int i = 0; i < 4000 && !eng.com[1].isOpen(); ++i) ui();
  configureReceiver(eng.conn.rx, kProto3150, 175);
  eng.conn.maxFrameLength = 152;
  eng.conn.frameOverhead = kFamilyBOverhead;
  eng.connectedPort.store(1);
  ui();
  eng.startEngineThread();
  auto run = [&](int job, int flags) {
    eng.acknowledge();
    eng.startJob(job, 0, 1050, flags);
    while (eng.jobState() != kJobDone && eng.jobState() != kJobFailed) ui();
    return eng.jobState() == kJobDone;
  };
  for (int i = 0; i < 1050; ++i) eng.draft()->tx()[i] = uint8_t(i);
  // 7 blocks each way, request and answer of 152 bytes.
  const double wireSeconds = 2 * 7 * 2 * 152 * 10.0 / 57600.0;
  int failures = 0;
  for (auto _ : state) {
    const auto a = std::chrono::steady_clock::now();
    failures += !run(kJobWrite, kJobFlagPending);
    failures += !run(kJobRead, kJobFlagPending | kJobFlagClearTx);
    const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count();
    state.SetIterationTime(secs);
    state.counters["ratio_to_wire"] = secs / wireSeconds;
  }
  state.counters["wire_ms"] = wireSeconds * 1000;
  state.counters["failed_jobs"] = failures;
  eng.stopEngineThread();
  eng.requestClose(1);
  for (int i = 0; i < 400 && eng.com[1].portState.load() != kPortClosed; ++i) ui();
  sim.terminate();
  sim.waitForFinished(5000);
}
BENCHMARK(BM_FullBlockAt57600)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
