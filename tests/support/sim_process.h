// Starts quelin3-unit-sim as a separate process for the end-to-end link tests
// and reads the device path from its first output line. posix_spawn is used
// rather than QProcess: ThreadSanitizer cannot follow Qt's clone()-based
// start of a child from a process that already runs threads.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" char** environ;

namespace q3test {

class SimProcess {
 public:
  ~SimProcess() { stop(); }

  // The program from the build tree ($Q3_BINARY_DIR, set by ctest).
  static std::string program() {
    const char* bin = std::getenv("Q3_BINARY_DIR");
    return bin ? std::string(bin) + "/tools/unit-sim/quelin3-unit-sim" : std::string();
  }

  // Starts it with args; returns the device path it printed ("" on failure).
  std::string start(const std::vector<std::string>& args) {
    std::vector<std::string> all = {program()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (all[0].empty() || pipe(out) != 0) return {};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    const int rc = posix_spawn(&m_pid, argv[0], &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    if (rc != 0) {
      close(out[0]);
      m_pid = 0;
      return {};
    }
    FILE* f = fdopen(out[0], "r");
    char line[512] = {};
    const bool got = std::fgets(line, sizeof line, f) != nullptr;
    std::fclose(f);
    std::string device = got ? line : "";
    while (!device.empty() && (device.back() == '\n' || device.back() == '\r')) device.pop_back();
    return device;
  }

  // Ends it with SIGTERM (it saves its memory file on the way out); true when
  // it exited cleanly.
  bool stop() {
    if (m_pid <= 0) return true;
    kill(m_pid, SIGTERM);
    int status = 0;
    const bool ok =
        waitpid(m_pid, &status, 0) == m_pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    m_pid = 0;
    return ok;
  }

 private:
  pid_t m_pid = 0;
};

}  // namespace q3test
