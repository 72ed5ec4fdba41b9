// The one way the program writes a file: temporary file beside the target,
// checked writes, fsync, rename; links written through, FIFOs and devices
// written in place.
#include "base/safe_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace q3 {

namespace {

std::atomic<WriteStepListener> g_listener{nullptr};

void reach(WriteStep step, const std::string& target) {
  if (WriteStepListener l = g_listener.load(std::memory_order_acquire)) l(step, target);
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows symbolic links (also dangling ones, whose target is then created)
// to the file that is finally written.
std::string resolveLinks(const std::string& path) {
  std::string cur = path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st {};
    if (::lstat(cur.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return cur;
    std::vector<char> buf(PATH_MAX + 1);
    const ssize_t n = ::readlink(cur.c_str(), buf.data(), buf.size() - 1);
    if (n <= 0) return cur;
    std::string next(buf.data(), size_t(n));
    if (next[0] != '/') next = folderOf(cur) + "/" + next;
    cur = next;
  }
  return cur;
}

bool writeAll(int fd, const char* p, size_t left, int& err) {
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    if (n == 0) {
      err = ENOSPC;
      return false;
    }
    p += n;
    left -= size_t(n);
  }
  return true;
}

}  // namespace

std::string writeCause(int err) {
  std::string s = std::strerror(err);
  if (!s.empty()) s[0] = char(std::tolower(static_cast<unsigned char>(s[0])));
  return s;
}

void setWriteStepListener(WriteStepListener listener) {
  g_listener.store(listener, std::memory_order_release);
}

PendingFile::PendingFile(const std::string& target) : m_target(target), m_shown(target) {
  struct stat st {};
  // A FIFO or device is opened by its own name (the kernel follows the links,
  // which may lead to names like "pipe:[...]" that no path reaches); a
  // regular file or a new one is replaced where the links finally point.
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (!exists || S_ISREG(st.st_mode)) m_target = resolveLinks(target);
  if (exists) {
    if (S_ISDIR(st.st_mode)) {
      fail(EISDIR, "cannot write");
      return;
    }
    m_hadTarget = true;
    m_direct = !S_ISREG(st.st_mode);
    m_mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    m_mode = 0666 & ~mask;
  }
  // A FIFO or device stays what it is; its new content is gathered in the
  // temporary folder and written into it on commit.
  const std::string base =
      m_direct ? (std::filesystem::temp_directory_path() / "quelin3-out").string() : m_target;
  std::string pattern = base + ".tmp-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  m_fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (m_fd < 0) {
    fail(errno, "cannot create a file beside");
    return;
  }
  m_temp = name.data();
}

PendingFile::~PendingFile() {
  if (m_fd >= 0) ::close(m_fd);
  if (!m_committed && !m_temp.empty()) ::unlink(m_temp.c_str());
}

FileWriteResult PendingFile::fail(int err, const std::string& what) {
  m_failure.ok = false;
  m_failure.cause = writeCause(err);
  m_failure.message = what + " " + m_shown + ": " + m_failure.cause;
  return m_failure;
}

bool PendingFile::append(std::string_view bytes) {
  if (m_fd < 0 || !m_failure.cause.empty()) return false;
  if (bytes.empty()) return true;
  reach(WriteStep::FirstWrite, m_shown);
  int err = 0;
  if (!writeAll(m_fd, bytes.data(), bytes.size(), err)) {
    fail(err, "cannot write");
    return false;
  }
  return true;
}

FileWriteResult PendingFile::commit() {
  if (m_fd < 0 || !m_failure.cause.empty()) {
    if (m_failure.cause.empty()) fail(EBADF, "cannot write");
    return m_failure;
  }
  // Another library may have written tempPath() through its own handle; the
  // data of both reach the disk here.
  if (::fsync(m_fd) != 0) return fail(errno, "cannot write");
  ::fchmod(m_fd, mode_t(m_mode));
  if (::close(m_fd) != 0) {
    m_fd = -1;
    return fail(errno, "cannot write");
  }
  m_fd = -1;

  if (m_direct) {
    const int in = ::open(m_temp.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC);
    if (in < 0 || out < 0) {
      const int e = errno;
      if (in >= 0) ::close(in);
      if (out >= 0) ::close(out);
      return fail(e, "cannot write");
    }
    char buf[65536];
    int err = 0;
    bool ok = true;
    for (;;) {
      const ssize_t n = ::read(in, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        err = errno;
        ok = false;
        break;
      }
      if (n == 0) break;
      reach(WriteStep::FirstWrite, m_shown);
      if (!writeAll(out, buf, size_t(n), err)) {
        ok = false;
        break;
      }
    }
    ::close(in);
    if (::close(out) != 0 && ok) {
      err = errno;
      ok = false;
    }
    if (!ok) return fail(err, "cannot write");
  } else {
    reach(WriteStep::Rename, m_shown);
    if (std::rename(m_temp.c_str(), m_target.c_str()) != 0) return fail(errno, "cannot replace");
    m_committed = true;
    // The new name reaches the disk too, so that a power loss after a
    // reported success cannot bring the old file back.
    const int dir = ::open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      ::fsync(dir);
      ::close(dir);
    }
  }
  FileWriteResult ok;
  ok.ok = true;
  return ok;
}

FileWriteResult writeFileSafely(const std::string& path, std::string_view bytes) {
  PendingFile file(path);
  if (!file.isOpen()) return file.failure();
  if (!file.append(bytes)) return file.failure();
  return file.commit();
}

}  // namespace q3
