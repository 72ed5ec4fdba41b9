// LIBS: q3link q3params q3base q3text Qt6::Core
// Soak: the engine stays connected to quelin3-unit-sim (paced at 57600 Bd on a
// pseudo-terminal, a small share of its bytes corrupted) for a long time and
// runs Read, Verify and Program in turn with the monitor polling between
// them. It prints the resident memory at the given minutes and, at the end,
// every operation's results by cause. Run by hand, never by ctest:
//   Q3_BINARY_DIR=build build/bench/bench_soak [--minutes 30] [--corrupt 0.001]
//       [--report-at 5,30]
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "link/link_session.h"
#include "params/param_model.h"

extern char** environ;

namespace {

// Resident memory now in KiB (Linux: /proc/self/statm), else the peak.
long residentKiB() {
  std::ifstream f("/proc/self/statm");
  long pages = 0, resident = 0;
  if (f >> pages >> resident) return resident * (sysconf(_SC_PAGESIZE) / 1024);
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

struct Sim {
  pid_t pid = -1;
  std::string dir, device;
  explicit Sim(const std::string& corrupt) {
    char tmpl[] = "/tmp/q3soakXXXXXX";
    dir = mkdtemp(tmpl);
    device = dir + "/unit";
    const char* bin = std::getenv("Q3_BINARY_DIR");
    std::string exe = std::string(bin ? bin : ".") + "/tools/unit-sim/quelin3-unit-sim";
    std::string c = corrupt;
    char* argv[] = {exe.data(),
                    const_cast<char*>("--link"),
                    device.data(),
                    const_cast<char*>("--corrupt"),
                    c.data(),
                    const_cast<char*>("--seed"),
                    const_cast<char*>("17"),
                    nullptr};
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
    rmdir(dir.c_str());
  }
};

}  // namespace

int main(int argc, char** argv) {
  double minutes = 30;
  std::string corrupt = "0.001";
  std::set<int> reportAt = {5, 30};
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i], v = argv[i + 1];
    if (a == "--minutes") {
      minutes = std::atof(v.c_str());
    } else if (a == "--corrupt") {
      corrupt = v;
    } else if (a == "--report-at") {
      reportAt.clear();
      for (size_t p = 0; p < v.size();) {
        reportAt.insert(std::atoi(v.c_str() + p));
        p = v.find(',', p);
        if (p == std::string::npos) break;
        ++p;
      }
    }
  }
  Sim sim(corrupt);
  if (sim.pid < 0) {
    std::fprintf(stderr, "bench_soak: quelin3-unit-sim did not start (set Q3_BINARY_DIR)\n");
    return 2;
  }
  q3::ParamModel model;
  q3::AppClock clock;
  q3::LinkSession session(model, clock, q3::dialogs(), nullptr);
  std::map<std::string, int> counts;  // "read: ok" -> n
  std::vector<q3::OperationResult> pending;
  auto sub = session.events().result.subscribe([&](const q3::OperationResult& r) {
    if (r.operation == q3::Operation::Monitor && r.ok()) return;  // counted below
    ++counts[q3::describe(r)];
    pending.push_back(r);
  });
  int answers = 0;
  auto polls =
      session.events().monitorAnswer.subscribe([&](std::span<const uint8_t>) { ++answers; });
  if (!session.useDevice(sim.device)) {
    std::fprintf(stderr, "bench_soak: %s is not a serial device\n", sim.device.c_str());
    return 2;
  }
  const auto t0 = std::chrono::steady_clock::now();
  auto elapsedMin = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / 60;
  };
  std::printf("minute  resident_KiB  monitor_answers\n");
  std::printf("%6.1f  %12ld  %15d\n", 0.0, residentKiB(), answers);
  auto wait = [&](q3::Operation op) {
    pending.clear();
    session.runUntil(
        [&] {
          for (const auto& r : pending)
            if (r.operation == op) return true;
          return elapsedMin() >= minutes;
        },
        120000);
  };
  int step = 0;
  while (elapsedMin() < minutes) {
    for (auto it = reportAt.begin(); it != reportAt.end() && *it <= elapsedMin();) {
      std::printf("%6.1f  %12ld  %15d\n", elapsedMin(), residentKiB(), answers);
      std::fflush(stdout);
      it = reportAt.erase(it);
    }
    q3::ConnectionSupervisor& sup = session.supervisor();
    if (!sup.connected() || sup.step() != q3::kSupIdle) {
      session.runUntil([&] { return sup.connected() && sup.step() == q3::kSupIdle; }, 2000);
      continue;
    }
    switch (step++ % 3) {
      case 0:
        // The image as the program keeps it (sanitised) written again.
        if (sup.requestProgram()) wait(q3::Operation::Program);
        break;
      case 1:
        sup.requestRead();
        wait(q3::Operation::Read);
        break;
      default:
        sup.requestVerify();  // the image just read: identical
        wait(q3::Operation::Verify);
        break;
    }
    session.runUntil([&] { return elapsedMin() >= minutes; }, 2000);  // monitor polls between
  }
  std::printf("%6.1f  %12ld  %15d\n", elapsedMin(), residentKiB(), answers);
  std::printf("\nresults after %.1f minutes:\n", elapsedMin());
  for (const auto& [what, n] : counts) std::printf("%6d  %s\n", n, what.c_str());
  return 0;
}
