// Port diagnostics on POSIX systems: access rights and the owning group from
// the device node; on Linux also the holder, found through /proc.
#include "link/port_diagnosis.h"

#if defined(__unix__) || defined(__APPLE__)
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <system_error>

namespace q3 {

namespace fs = std::filesystem;

bool mayOpen(const std::string& path) {
#if defined(__unix__) || defined(__APPLE__)
  return ::access(path.c_str(), R_OK | W_OK) == 0;
#else
  (void)path;
  return true;
#endif
}

std::string deviceGroup(const std::string& path) {
#if defined(__unix__) || defined(__APPLE__)
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  if (const struct group* g = ::getgrgid(st.st_gid)) return g->gr_name;
#else
  (void)path;
#endif
  return {};
}

namespace {

#if defined(__linux__)
// "ModemManager (pid 612)" for a running process, empty otherwise.
std::string processName(const std::string& pid) {
  std::string name;
  std::ifstream(fs::path("/proc") / pid / "comm") >> name;
  if (name.empty()) return {};
  return name + " (pid " + pid + ")";
}
#endif

// The process named in a serial-port lock file (the first word is its pid),
// as serial libraries leave them in /var/lock or /run/lock.
std::string lockHolder(const std::string& path) {
#if defined(__linux__)
  std::string mangled = path;
  for (char& ch : mangled)
    if (ch == '/') ch = '_';
  const std::string names[] = {"LCK.." + fs::path(path).filename().string(), "LCK.." + mangled};
  for (const char* dir : {"/var/lock", "/run/lock"}) {
    for (const std::string& n : names) {
      std::ifstream f(fs::path(dir) / n);
      std::string pid;
      if (!(f >> pid) || pid.find_first_not_of("0123456789") != std::string::npos) continue;
      if (std::string who = processName(pid); !who.empty()) return who;
    }
  }
#else
  (void)path;
#endif
  return {};
}

}  // namespace

std::string deviceHolder(const std::string& path) {
  if (std::string who = lockHolder(path); !who.empty()) return who;
#if defined(__linux__)
  std::error_code ec;
  const fs::path target = fs::canonical(path, ec);
  if (ec) return {};
  const long self = static_cast<long>(::getpid());
  for (fs::directory_iterator p("/proc", ec), e; !ec && p != e; p.increment(ec)) {
    const std::string pid = p->path().filename().string();
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    if (std::stol(pid) == self) continue;
    std::error_code fdEc;
    for (fs::directory_iterator fd(p->path() / "fd", fdEc), fe; !fdEc && fd != fe;
         fd.increment(fdEc)) {
      std::error_code linkEc;
      const fs::path to = fs::read_symlink(fd->path(), linkEc);
      if (linkEc || to != target) continue;
      if (std::string who = processName(pid); !who.empty()) return who;
    }
  }
#else
  (void)path;
#endif
  return {};
}

const char* openFailureName(OpenFailure why) {
  switch (why) {
    case OpenFailure::PermissionDenied:
      return "permission denied";
    case OpenFailure::Busy:
      return "busy";
    case OpenFailure::Gone:
      return "gone";
    case OpenFailure::Other:
      return "cannot be opened";
    case OpenFailure::None:
      break;
  }
  return "";
}

std::string describeOpenFailure(OpenFailure why, const std::string& path) {
  std::string s = openFailureName(why);
  switch (why) {
    case OpenFailure::PermissionDenied: {
      const std::string group = deviceGroup(path);
      s += ": " + path;
      if (!group.empty() && group != "root")
        s += " belongs to group " + group + " - join it with: sudo usermod -aG " + group +
             " $USER (then log in again)";
      else
        s += " may not be opened by this user";
      break;
    }
    case OpenFailure::Busy: {
      const std::string holder = deviceHolder(path);
      s += ": " + path + " is held by " + (holder.empty() ? "another program" : holder);
      break;
    }
    case OpenFailure::Gone:
      s += ": " + path + " no longer exists";
      break;
    case OpenFailure::Other:
      s += ": " + path;
      break;
    case OpenFailure::None:
      break;
  }
  return s;
}

}  // namespace q3
