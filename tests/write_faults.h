// Runs one file write in a child process under a fault: killed (SIGKILL) at
// its first write or at its rename, stopped by a file-size limit, or on a
// full disk (a 256 KiB tmpfs mounted over the file's folder in a mount
// namespace of the child's own; skipped where that is not allowed). The
// child reports the writer's message and what the file holds afterwards.
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "base/safe_write.h"

namespace q3test {

enum class WriteFault { KillAtFirstWrite, KillAtRename, FileSizeLimit, FullDisk };

inline const char* writeFaultName(WriteFault f) {
  switch (f) {
    case WriteFault::KillAtFirstWrite:
      return "killed at the first write";
    case WriteFault::KillAtRename:
      return "killed at the rename";
    case WriteFault::FileSizeLimit:
      return "file-size limit";
    case WriteFault::FullDisk:
      return "full disk";
  }
  return "?";
}

struct WriteFaultRun {
  bool skipped = false;  // the fault could not be set up here (no tmpfs mount)
  bool killed = false;   // the child ended by SIGKILL
  std::string message;   // what the writer reported ("" when it reported success)
  std::string content;   // the file's bytes afterwards
};

inline std::string readFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline q3::WriteStep& killStep() {
  static q3::WriteStep step = q3::WriteStep::FirstWrite;
  return step;
}

// write(path) performs the write and returns its message, "" on success.
inline WriteFaultRun runWriteWithFault(
    WriteFault fault, const std::string& folder, const std::string& path,
    const std::string& oldContent, const std::function<std::string(const std::string&)>& write) {
  WriteFaultRun run;
  int fds[2];
  if (::pipe(fds) != 0) return run;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    auto report = [&](const std::string& s) {
      size_t done = 0;
      while (done < s.size()) {
        const ssize_t n = ::write(fds[1], s.data() + done, s.size() - done);
        if (n <= 0) break;
        done += size_t(n);
      }
    };
    if (fault == WriteFault::FullDisk) {
      if (::unshare(CLONE_NEWNS) != 0 ||
          ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
          ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=256k") != 0) {
        report("SKIP");
        ::_exit(77);
      }
    }
    { std::ofstream(path, std::ios::binary | std::ios::trunc) << oldContent; }
    if (fault == WriteFault::FullDisk) {
      // Fill the rest of the disk.
      const int f = ::open((folder + "/filler").c_str(), O_WRONLY | O_CREAT, 0644);
      static char block[4096];
      while (f >= 0 && ::write(f, block, sizeof block) > 0) {
      }
      while (f >= 0 && ::write(f, block, 1) > 0) {
      }
      if (f >= 0) ::close(f);
    }
    if (fault == WriteFault::FileSizeLimit) {
      ::signal(SIGXFSZ, SIG_IGN);
      rlimit lim{64, 64};
      ::setrlimit(RLIMIT_FSIZE, &lim);
    }
    if (fault == WriteFault::KillAtFirstWrite || fault == WriteFault::KillAtRename) {
      killStep() =
          fault == WriteFault::KillAtRename ? q3::WriteStep::Rename : q3::WriteStep::FirstWrite;
      q3::setWriteStepListener([](q3::WriteStep step, const std::string&) {
        if (step == killStep()) ::raise(SIGKILL);
      });
    }
    const std::string message = write(path);
    report("MSG" + std::to_string(message.size()) + ":" + message + readFileBytes(path));
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string got;
  char buf[65536];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) got.append(buf, size_t(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  run.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  if (got == "SKIP") {
    run.skipped = true;
    return run;
  }
  if (run.killed) {
    run.content = readFileBytes(path);
    return run;
  }
  if (got.rfind("MSG", 0) == 0) {
    const size_t colon = got.find(':');
    const size_t len = std::stoul(got.substr(3, colon - 3));
    run.message = got.substr(colon + 1, len);
    run.content = got.substr(colon + 1 + len);
  }
  return run;
}

// The expected cause in a writer's message for a fault that lets it finish.
inline const char* writeFaultCause(WriteFault f) {
  return f == WriteFault::FullDisk ? "no space left on device" : "file too large";
}

}  // namespace q3test
