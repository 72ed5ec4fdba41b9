// Helpers shared by the archive's files: the byte format (archive_format.cpp),
// the disk side of IMPORT and EXPORT (archive_disk.cpp) and the commands
// (archive_commands.cpp). Only src/files includes this header.
#pragma once

#include <strings.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "files/embedded_archive.h"

namespace q3::archive_detail {

namespace fs = std::filesystem;

inline constexpr size_t kLoadChunk = 262144;
inline constexpr int kMaxDepth =
    64;  // deeper trees are taken as damaged (and would exhaust the stack)
inline constexpr int64_t kFiletimeUnixShift = 11644473600LL;  // seconds from 1601 to 1970

inline void put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline uint32_t get32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline bool sameName(const std::string& a, const std::string& b) {
  return strcasecmp(a.c_str(), b.c_str()) == 0;
}

// Archive path components; "\" and "/" both separate, empty parts are dropped.
inline std::vector<std::string> splitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

// Disk paths may be written with "\" as the program's command lines use them.
inline std::string diskPath(const std::string& p) {
  std::string r = p;
#ifndef _WIN32
  std::replace(r.begin(), r.end(), '\\', '/');
#endif
  return r;
}

inline ArchiveEntry* childNamed(ArchiveEntry& dir, const std::string& name) {
  for (auto& c : dir.children)
    if (sameName(c->name, name)) return c.get();
  return nullptr;
}

inline uint32_t storedBytes(const ArchiveEntry& f) { return f.storedSize ? f.storedSize : f.size; }

inline uint64_t diskTime(const fs::path& p) {
  std::error_code ec;
  auto t = fs::last_write_time(p, ec);
  if (ec) return archiveNow();
  auto sys = std::chrono::file_clock::to_sys(t);
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(sys.time_since_epoch()).count();
  return archiveFromUnix(ns / 1000000000, ns % 1000000000);
}

inline void setDiskTime(const fs::path& p, uint64_t filetime) {
  int64_t hundreds = int64_t(filetime) - kFiletimeUnixShift * 10000000LL;
  std::chrono::sys_time<std::chrono::nanoseconds> sys{std::chrono::nanoseconds(hundreds * 100)};
  std::error_code ec;
  fs::last_write_time(p, std::chrono::file_clock::from_sys(sys), ec);
}

inline int countEntries(const ArchiveEntry& e) {
  int n = 1;
  for (auto& c : e.children) n += countEntries(*c);
  return n;
}

inline bool contains(const ArchiveEntry& tree, const ArchiveEntry* e) {
  if (&tree == e) return true;
  for (auto& c : tree.children)
    if (contains(*c, e)) return true;
  return false;
}

}  // namespace q3::archive_detail
