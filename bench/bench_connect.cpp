// LIBS: q3link q3params q3base q3text Qt6::Core
// The link end to end against quelin3-unit-sim paced at 57600 Bd on a
// pseudo-terminal: the time from the unit appearing to "Checking: OK", and
// the time of a full Program with read-back verification until "Program
// device: OK". Each is reported with the time the bytes exchanged need on the
// wire (10 bits per byte) and the ratio of the two.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "base/status_sink.h"
#include "link/link_session.h"
#include "params/param_model.h"

extern char** environ;

namespace {

constexpr double kBaud = 57600;

// The results of the connection check and the programming.
struct Outcome {
  bool checkingOk = false, programOk = false, failed = false;
  q3::Event<const q3::OperationResult&>::Subscription sub;
  explicit Outcome(q3::LinkSession& s) {
    sub = s.events().result.subscribe([this](const q3::OperationResult& r) {
      if (r.operation == q3::Operation::Monitor) return;
      if (!r.ok()) failed = true;
      checkingOk |= r.ok() && r.operation == q3::Operation::ConnectionCheck;
      programOk |= r.ok() && r.operation == q3::Operation::Program;
    });
  }
};

// Bytes of the frames the unit logged (both directions).
long wireBytes(const std::string& log) {
  std::ifstream f(log);
  long n = 0;
  for (std::string line; std::getline(f, line);) {
    auto colon = line.find(':');
    if (colon == std::string::npos || colon < 4) continue;
    n += std::atol(line.substr(colon - 4, 4).c_str());
  }
  return n;
}

struct Sim {
  pid_t pid = -1;
  std::string dir, device, log;
  Sim() {
    char tmpl[] = "/tmp/q3-bench-connect-XXXXXX";
    dir = mkdtemp(tmpl);
    device = dir + "/unit";
    log = dir + "/sim.log";
    const char* bin = std::getenv("Q3_BINARY_DIR");
    std::string exe = std::string(bin ? bin : ".") + "/tools/unit-sim/quelin3-unit-sim";
    std::string logArg = log;
    char* argv[] = {exe.data(),    const_cast<char*>("--link"),
                    device.data(), const_cast<char*>("--log"),
                    logArg.data(), nullptr};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv, environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    for (int i = 0; i < 200 && access(device.c_str(), F_OK) != 0; ++i) usleep(10000);
  }
  ~Sim() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
    std::remove(log.c_str());
    std::remove(device.c_str());
    rmdir(dir.c_str());
  }
  void clearLog() const { std::ofstream(log, std::ios::trunc); }
};

double seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

void BM_ConnectToCheckingOk(benchmark::State& state) {
  double wire = 0, took = 0;
  for (auto _ : state) {
    Sim sim;
    if (sim.pid < 0) {
      state.SkipWithError("quelin3-unit-sim did not start (set Q3_BINARY_DIR)");
      return;
    }
    q3::ParamModel model;
    q3::AppClock clock;
    q3::LinkSession session(model, clock, q3::dialogs(), nullptr);
    Outcome slot2(session);
    sim.clearLog();
    const auto t0 = std::chrono::steady_clock::now();
    if (!session.useDevice(sim.device) ||
        !session.runUntil([&] { return slot2.checkingOk || slot2.failed; }, 20000) ||
        !slot2.checkingOk) {
      state.SkipWithError("no Checking: OK");
      return;
    }
    const double t = seconds(t0, std::chrono::steady_clock::now());
    state.SetIterationTime(t);
    took += t;
    wire += wireBytes(sim.log) * 10 / kBaud;
  }
  state.counters["wire_s"] = wire / state.iterations();
  state.counters["took_s"] = took / state.iterations();
  state.counters["ratio"] = took / wire;
}

void BM_ProgramAllUntilOk(benchmark::State& state) {
  double wire = 0, took = 0;
  Sim sim;
  q3::ParamModel model;
  q3::AppClock clock;
  q3::LinkSession session(model, clock, q3::dialogs(), nullptr);
  Outcome slot2(session);
  if (sim.pid < 0 || !session.useDevice(sim.device) ||
      !session.runUntil([&] { return slot2.checkingOk && session.supervisor().bikePreset() >= 0; },
                        20000)) {
    state.SkipWithError("no connected unit");
    return;
  }
  int flip = 0;
  for (auto _ : state) {
    ++flip;
    for (int i = 0; i < q3::kImageSize; ++i)
      model.image().setByte(i, model.unitImage().byte(i) ^ (flip & 1));
    // The same bike as the unit's, so that no question stops the programming.
    if (session.supervisor().bikePreset() >= 0)
      model.image().setByte(170, session.supervisor().bikePreset());
    model.sanitize();
    slot2.programOk = slot2.failed = false;
    sim.clearLog();
    const auto t0 = std::chrono::steady_clock::now();
    session.supervisor().requestProgram();
    if (!session.runUntil([&] { return slot2.programOk || slot2.failed; }, 30000) ||
        !slot2.programOk) {
      state.SkipWithError("no Program device: OK");
      return;
    }
    const double t = seconds(t0, std::chrono::steady_clock::now());
    state.SetIterationTime(t);
    took += t;
    wire += wireBytes(sim.log) * 10 / kBaud;
  }
  state.counters["wire_s"] = wire / state.iterations();
  state.counters["took_s"] = took / state.iterations();
  state.counters["ratio"] = took / wire;
}

BENCHMARK(BM_ConnectToCheckingOk)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramAllUntilOk)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
