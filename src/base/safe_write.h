// The one way the program and its tools write a file. A regular target is
// replaced whole: the bytes go to a temporary file created exclusively beside
// it, every write is checked, the data is synced and the temporary file is
// renamed over the target, keeping the target's permissions. A symbolic link
// is written through to the file it points to. A target that is not a regular
// file (a FIFO, a terminal, /dev/stdout) is written directly instead of being
// replaced by a regular file. A failed write leaves the old file as it was and
// names the cause ("no space left on device", "permission denied", ...).
#pragma once

#include <string>
#include <string_view>

namespace q3 {

struct FileWriteResult {
  bool ok = false;
  std::string cause;    // the system's reason in lower case; empty on success
  std::string message;  // "cannot write PATH: CAUSE"; empty on success
  explicit operator bool() const { return ok; }
};

// Writes bytes to path as described above.
FileWriteResult writeFileSafely(const std::string& path, std::string_view bytes);

// A new content for a target, written piece by piece (or by another library
// through tempPath()), that replaces the target only on commit(). Destroying an
// uncommitted file removes the temporary file and leaves the target alone.
class PendingFile {
 public:
  explicit PendingFile(const std::string& target);
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // False (with failure() set) when the temporary file could not be created.
  bool isOpen() const { return m_fd >= 0; }
  const FileWriteResult& failure() const { return m_failure; }
  // The file that receives the new content until commit().
  const std::string& tempPath() const { return m_temp; }
  // Appends bytes; false once any write failed.
  bool append(std::string_view bytes);
  // Syncs and moves the new content over the target. A library that wrote
  // tempPath() by itself has its content taken as it is on disk.
  FileWriteResult commit();

 private:
  FileWriteResult fail(int err, const std::string& what);
  std::string m_target;  // the file finally written (a link's target)
  std::string m_shown;   // the path as the caller gave it, for messages
  std::string m_temp;
  int m_fd = -1;
  bool m_direct = false;  // target is a FIFO or device: written in place at commit
  bool m_committed = false;
  bool m_hadTarget = false;
  unsigned m_mode = 0;
  FileWriteResult m_failure;
};

// The steps of a write at which a test may stop the process (to show that a
// kill at any of them leaves the old file or the new one, never a broken one).
enum class WriteStep { FirstWrite, Rename };
using WriteStepListener = void (*)(WriteStep step, const std::string& target);
// Sets the listener called before each step; nullptr removes it.
void setWriteStepListener(WriteStepListener listener);

// The system's text for errno value err in lower case ("no space left on device").
std::string writeCause(int err);

}  // namespace q3
