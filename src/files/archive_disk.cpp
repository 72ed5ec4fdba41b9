// The disk side of the archive: IMPORT reads files and folders into it,
// EXPORT writes entries out below a target folder.
#include <zlib.h>

#include <cctype>
#include <cstring>
#include <fstream>

#include "base/safe_write.h"
#include "files/archive_p.h"
#include "files/embedded_archive.h"

namespace q3 {

using namespace archive_detail;

bool EmbeddedArchive::importFile(ArchiveEntry& parent, const std::string& name,
                                 const std::string& path) {
  std::error_code ec;
  uint64_t len = fs::file_size(path, ec);
  if (ec) {
    error("ERROR - can't open file: " + path);
    return false;
  }
  if (len > kArchiveImportLimit) {
    error("ERROR - file >5M: " + path);
    return false;
  }
  if (name.empty() || name.size() > size_t(kArchiveNameMax)) {
    error("ERROR - name too long: " + name);
    return false;
  }
  ArchiveEntry* e = childNamed(parent, name);
  if (e && e->dir) {
    error("ERROR - file name used already for directory: " + name);
    return false;
  }
  if (!e && parent.children.size() >= size_t(kArchiveMaxChildren)) {
    error("ERROR - too many entries in directory: " + parent.name);
    return false;
  }
  std::vector<uint8_t> raw(len);
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(raw.data()), std::streamsize(len));
  if (!in || uint64_t(in.gcount()) != len) {
    error("ERROR - can't open file: " + path);
    return false;
  }
  if (!e) {
    auto f = std::make_unique<ArchiveEntry>();
    e = f.get();
    parent.children.push_back(std::move(f));
  }
  e->name = name;
  e->time = diskTime(path);
  e->size = uint32_t(len);
  e->storedSize = 0;
  e->data = raw;
  if (len > kArchiveCompressAbove) {
    std::vector<uint8_t> packed(len);
    uLongf n = len;
    if (compress(packed.data(), &n, raw.data(), len) == Z_OK) {
      packed.resize(n);
      e->data = std::move(packed);
      e->storedSize = uint32_t(n);
    }
  }
  ++m_touched;
  return true;
}

int EmbeddedArchive::importDir(ArchiveEntry& parent, const std::string& diskDir, int depth) {
  std::vector<fs::directory_entry> list;
  std::error_code ec;
  for (auto& de : fs::directory_iterator(diskDir, ec)) list.push_back(de);
  std::sort(list.begin(), list.end(),
            [](auto& a, auto& b) { return a.path().filename() < b.path().filename(); });
  int files = 0;
  for (auto& de : list) {
    std::string name = de.path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    if (de.is_directory(ec)) {
      if (de.is_symlink(ec) || depth >= kMaxDepth) continue;  // no loops through links
      ArchiveEntry* d = childNamed(parent, name);
      if (d && !d->dir) {
        error("ERROR - directory name used already for file: " + name);
        continue;
      }
      if (!d) {
        if (name.size() > size_t(kArchiveNameMax) ||
            parent.children.size() >= size_t(kArchiveMaxChildren)) {
          error("ERROR - name too long: " + name);
          continue;
        }
        auto nd = std::make_unique<ArchiveEntry>();
        nd->name = name;
        nd->dir = true;
        d = nd.get();
        parent.children.push_back(std::move(nd));
      }
      d->time = diskTime(de.path());
      files += importDir(*d, de.path().string(), depth + 1);
    } else if (importFile(parent, name, de.path().string())) {
      ++files;
    }
  }
  return files;
}

int EmbeddedArchive::cmdImport(const std::string& a1, const std::string& a2) {
  std::string src = diskPath(a1);
  std::error_code ec;
  if (fs::is_directory(src, ec)) {
    fs::path p = fs::path(src).lexically_normal();
    std::string name = p.filename().string();
    if (name.empty() || name == "." || name == "..")
      name = fs::weakly_canonical(p, ec).filename().string();
    bool wrong = false;
    ArchiveEntry* target = walk(a2, true, &wrong);
    if (!target || name.empty()) return -1;
    ArchiveEntry* d = childNamed(*target, name);
    if (d && !d->dir) {
      error("ERROR - directory name used already for file: " + name);
      return -1;
    }
    if (!d) {
      if (name.size() > size_t(kArchiveNameMax)) {
        error("ERROR - name too long: " + name);
        return -1;
      }
      auto nd = std::make_unique<ArchiveEntry>();
      nd->name = name;
      nd->dir = true;
      d = nd.get();
      target->children.push_back(std::move(nd));
    }
    d->time = diskTime(src);
    int n = importDir(*d, src, 0);
    out(" (" + std::to_string(n) + " files added)\n");
    return kDone;
  }
  std::string leaf;
  ArchiveEntry* dir = dirOf(a1, true, &leaf);
  if (!dir || leaf.empty()) return -1;
  std::string from = a2.empty() ? leaf : (fs::path(diskPath(a2)) / leaf).string();
  if (!importFile(*dir, leaf, from)) return -1;
  out(" (1 file added)\n");
  return kDone;
}

int EmbeddedArchive::exportEntry(const ArchiveEntry& e, const std::string& diskDir) {
  fs::path target = fs::path(diskDir) / e.name;
  std::error_code ec;
  if (e.dir) {
    if (!e.name.empty()) fs::create_directories(target, ec);
    if (ec) {
      error("ERROR - can't create directory: " + target.string());
      return -1;
    }
    int n = 0;
    for (auto& c : e.children) {
      int k = exportEntry(*c, target.string());
      if (k < 0) return -1;
      n += k;
    }
    if (!e.name.empty()) setDiskTime(target, e.time);
    return n;
  }
  std::vector<uint8_t> bytes;
  if (!content(e, bytes)) {
    error("ERROR - damaged entry: " + e.name);
    return -1;
  }
  const FileWriteResult w =
      writeFileSafely(target.string(), {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
  if (!w.ok) {
    error("ERROR - can't create file: " + w.message);
    return -1;
  }
  setDiskTime(target, e.time);
  return 1;
}

namespace {

// An entry name that would lead out of the folder it is exported into: empty,
// "." or "..", a separator of either kind, or a drive letter ("C:"). Archives
// made by this program never hold such names; a crafted one must not write
// outside the target folder.
bool leavesFolder(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return true;
  if (name.find_first_of("/\\") != std::string::npos) return true;
  return name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]));
}

// The first entry below e (e itself included unless it is the root) whose
// name leaves the folder, or nullptr.
const ArchiveEntry* escapingEntry(const ArchiveEntry& e, bool isRoot) {
  if (!isRoot && leavesFolder(e.name)) return &e;
  for (auto& c : e.children)
    if (const ArchiveEntry* bad = escapingEntry(*c, false)) return bad;
  return nullptr;
}

}  // namespace

int EmbeddedArchive::cmdExport(const std::string& a1, const std::string& a2) {
  const ArchiveEntry* e = find(a1);
  if (!e) return -1;
  // Every name is checked before anything is written.
  if (const ArchiveEntry* bad = escapingEntry(*e, e == &m_root)) {
    error("ERROR - entry name leaves the target folder: \"" + bad->name + "\"");
    return -1;
  }
  std::string dir = a2.empty() ? "." : diskPath(a2);
  int n = exportEntry(*e, dir);
  if (n < 0) return -1;
  m_touched = n;
  if (e->dir)
    out(" (" + std::to_string(n) + " files extracted)\n");
  else
    out(" (1 file extracted)\n");
  return kExported;
}

}  // namespace q3
