// EmbeddedArchive: a small archive of files and directories kept inside another file
// (the host), appended behind the host's own content on a 256-byte boundary.
// The program carries its default settings files this way. The archive lives
// in memory, is changed by one-line text commands and written back on SAVE.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace q3 {

// One entry as it is written on disk: 79 bytes, little-endian.
inline constexpr int kArchiveRecordSize = 79;
inline constexpr int kArchiveNameMax = 52;                // characters, plus the terminating zero
inline constexpr uint32_t kArchiveCompressAbove = 100;    // bytes; smaller files are stored plain
inline constexpr uint64_t kArchiveImportLimit = 5242880;  // 5 MiB
inline constexpr int kArchiveMaxChildren = 4095;
// The 32-byte marker in front of the root record.
extern const std::array<uint8_t, 32> kArchiveMarker;

// ArchiveEntry: one archive entry. In memory a directory owns its children and
// a file its stored bytes (compressed when storedSize is not 0).
struct ArchiveEntry {
  std::string name;         // at most 52 characters; compared case-insensitively
  uint32_t offset = 0;      // content offset from the root record, set on save
  uint32_t size = 0;        // file: uncompressed size
  uint32_t storedSize = 0;  // file: compressed size, 0 when stored plain
  uint64_t time = 0;        // FILETIME: 100 ns units since 1601, UTC
  bool dir = false;
  std::vector<uint8_t> data;                            // file: the stored bytes
  std::vector<std::unique_ptr<ArchiveEntry>> children;  // directory: the entries

  // The 79-byte record of this entry (the pointer field is written as 0).
  std::array<uint8_t, kArchiveRecordSize> record() const;
  // Fills the header fields from a record; false when the record is malformed.
  bool setRecord(const uint8_t* rec);
};

// FILETIME of now, and conversions to and from Unix seconds.
uint64_t archiveNow();
uint64_t archiveFromUnix(int64_t seconds, int64_t nanoseconds = 0);
int64_t archiveToUnix(uint64_t filetime);

class EmbeddedArchive {
 public:
  // Result codes of execute().
  enum { kNone = 0, kDone = 1, kExported = 2, kOpened = 5, kStored = 9 };
  // Codes of load().
  enum { kLoadOk = 0, kLoadNoFile = 1, kLoadNoArchive = 2, kLoadCorrupt = 3 };

  EmbeddedArchive();

  // Runs one command line. Echo and result go to console(), error texts to errors().
  int execute(const std::string& line);
  // Loads the archive of host file path (also what OPEN does after discarding).
  int load(const std::string& hostPath);
  // Writes the archive into its host; false on a failure.
  bool save();

  bool isOpen() const { return m_open; }
  bool lastFailed() const { return m_failed; }
  const ArchiveEntry& root() const { return m_root; }
  const std::string& hostPath() const { return m_hostPath; }
  uint64_t hostOffset() const { return m_hostOffset; }
  int touched() const { return m_touched; }

  // Finds an entry by archive path ("\" or "/" separated, case-insensitive).
  const ArchiveEntry* find(const std::string& path) const;
  // The uncompressed content of a file entry; false when it cannot be unpacked.
  static bool content(const ArchiveEntry& f, std::vector<uint8_t>& out);

  std::string& console() { return m_console; }
  std::string& errors() { return m_errors; }

 private:
  void reset();
  void out(const std::string& s) { m_console += s; }
  void error(const std::string& s);
  ArchiveEntry* walk(const std::string& path, bool create, bool* wrongKind);
  ArchiveEntry* dirOf(const std::string& path, bool create, std::string* leaf);
  int importDir(ArchiveEntry& parent, const std::string& diskDir, int depth);
  bool importFile(ArchiveEntry& parent, const std::string& name, const std::string& diskPath);
  int exportEntry(const ArchiveEntry& e, const std::string& diskDir);

  int cmdImport(const std::string& a1, const std::string& a2);
  int cmdExport(const std::string& a1, const std::string& a2);
  int cmdSet(const std::string& a1, const std::string& a2);
  int cmdMkdir(const std::string& a1);
  int cmdDelete(const std::string& a1);
  int cmdRename(const std::string& a1, const std::string& a2);

  ArchiveEntry m_root;
  std::string m_hostPath;
  uint64_t m_hostOffset = 0;
  bool m_hadArchive = false;  // the host carries an archive at m_hostOffset
  bool m_open = true;
  bool m_failed = false;
  int m_touched = 0;
  std::string m_console;
  std::string m_errors;
};

// Splits a command line into its command word and up to two arguments.
// Returns false on an empty line.
bool archiveSplit(const std::string& line, std::string& cmd, std::string& a1, std::string& a2);

}  // namespace q3
