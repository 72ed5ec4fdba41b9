// The archive of default files: records, host layout, load, save and commands.
#include "files/embedded_archive.h"

#include <strings.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace q3 {

const std::array<uint8_t, 32> kArchiveMarker = {
    '#',  '#',  'V',  'A',  'Z',  'O',  'V',  '_',  'H',  'E',  'A',  'D',  'E',  'R',  '#',  '#',
    0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x3A, 0x3E};

namespace {

constexpr size_t kLoadChunk = 262144;
constexpr int kMaxDepth = 64;  // deeper trees are taken as damaged (and would exhaust the stack)
constexpr int64_t kFiletimeUnixShift = 11644473600LL;  // seconds from 1601 to 1970

void put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
uint32_t get32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool sameName(const std::string& a, const std::string& b) {
  return strcasecmp(a.c_str(), b.c_str()) == 0;
}

// Archive path components; "\" and "/" both separate, empty parts are dropped.
std::vector<std::string> splitPath(const std::string& path) {
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
std::string diskPath(const std::string& p) {
  std::string r = p;
#ifndef _WIN32
  std::replace(r.begin(), r.end(), '\\', '/');
#endif
  return r;
}

ArchiveEntry* childNamed(ArchiveEntry& dir, const std::string& name) {
  for (auto& c : dir.children)
    if (sameName(c->name, name)) return c.get();
  return nullptr;
}

uint32_t storedBytes(const ArchiveEntry& f) { return f.storedSize ? f.storedSize : f.size; }

uint64_t diskTime(const fs::path& p) {
  std::error_code ec;
  auto t = fs::last_write_time(p, ec);
  if (ec) return archiveNow();
  auto sys = std::chrono::file_clock::to_sys(t);
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(sys.time_since_epoch()).count();
  return archiveFromUnix(ns / 1000000000, ns % 1000000000);
}

void setDiskTime(const fs::path& p, uint64_t filetime) {
  int64_t hundreds = int64_t(filetime) - kFiletimeUnixShift * 10000000LL;
  std::chrono::sys_time<std::chrono::nanoseconds> sys{std::chrono::nanoseconds(hundreds * 100)};
  std::error_code ec;
  fs::last_write_time(p, std::chrono::file_clock::from_sys(sys), ec);
}

int countEntries(const ArchiveEntry& e) {
  int n = 1;
  for (auto& c : e.children) n += countEntries(*c);
  return n;
}

bool contains(const ArchiveEntry& tree, const ArchiveEntry* e) {
  if (&tree == e) return true;
  for (auto& c : tree.children)
    if (contains(*c, e)) return true;
  return false;
}

// Copies the first n bytes of the host into "<host>.tmp" and puts the copy in
// the host's place. The copy keeps the host's permissions (an executable host
// must stay executable) and replaces it in one rename, so a failure at any
// step leaves the host as it was.
bool cutBack(const std::string& host, uint64_t n) {
  std::string tmp = host + ".tmp";
  {
    std::ifstream in(host, std::ios::binary);
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!in || !out) return false;
    std::vector<char> buf(kLoadChunk);
    uint64_t left = n;
    while (left > 0) {
      size_t want = size_t(std::min<uint64_t>(left, buf.size()));
      in.read(buf.data(), std::streamsize(want));
      if (size_t(in.gcount()) != want) break;
      out.write(buf.data(), std::streamsize(want));
      left -= want;
    }
    out.flush();
    if (left != 0 || !out) {
      out.close();
      std::remove(tmp.c_str());
      return false;
    }
  }
  std::error_code ec;
  fs::permissions(tmp, fs::status(host, ec).permissions(), ec);
  fs::rename(tmp, host, ec);
  if (ec) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace

uint64_t archiveFromUnix(int64_t seconds, int64_t nanoseconds) {
  return uint64_t((seconds + kFiletimeUnixShift) * 10000000LL + nanoseconds / 100);
}

int64_t archiveToUnix(uint64_t filetime) {
  return int64_t(filetime / 10000000ULL) - kFiletimeUnixShift;
}

uint64_t archiveNow() {
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                std::chrono::system_clock::now().time_since_epoch())
                .count();
  return archiveFromUnix(ns / 1000000000, ns % 1000000000);
}

std::array<uint8_t, kArchiveRecordSize> ArchiveEntry::record() const {
  std::array<uint8_t, kArchiveRecordSize> r{};
  std::memcpy(r.data(), name.data(), std::min<size_t>(name.size(), kArchiveNameMax));
  put32(&r[53], offset);
  put32(&r[57], dir ? uint32_t(children.size() * kArchiveRecordSize) : size);
  put32(&r[61], dir ? 0 : storedSize);
  for (int i = 0; i < 8; ++i) r[65 + i] = uint8_t(time >> (8 * i));
  uint16_t flags = uint16_t((dir ? 0x8000 : 0) | (dir ? children.size() & 0x0FFF : 0));
  r[73] = uint8_t(flags);
  r[74] = uint8_t(flags >> 8);
  return r;
}

bool ArchiveEntry::setRecord(const uint8_t* rec) {
  const void* end = std::memchr(rec, 0, kArchiveNameMax + 1);
  if (!end) return false;
  name.assign(reinterpret_cast<const char*>(rec), static_cast<const uint8_t*>(end) - rec);
  offset = get32(rec + 53);
  size = get32(rec + 57);
  storedSize = get32(rec + 61);
  time = 0;
  for (int i = 0; i < 8; ++i) time |= uint64_t(rec[65 + i]) << (8 * i);
  uint16_t flags = uint16_t(rec[73] | rec[74] << 8);
  dir = (flags & 0x8000) != 0;
  children.clear();
  data.clear();
  if (dir) {
    children.resize(flags & 0x0FFF);
    size = 0;
    storedSize = 0;
  }
  return true;
}

bool archiveSplit(const std::string& line, std::string& cmd, std::string& a1, std::string& a2) {
  size_t i = 0, n = line.size();
  auto blank = [&](size_t k) { return line[k] == ' ' || line[k] == '\t'; };
  auto skip = [&] {
    while (i < n && blank(i)) ++i;
  };
  while (n > 0 && (blank(n - 1) || line[n - 1] == '\r' || line[n - 1] == '\n')) --n;
  skip();
  cmd.clear();
  a1.clear();
  a2.clear();
  while (i < n && !blank(i)) cmd += line[i++];
  if (cmd.empty()) return false;
  for (std::string* a : {&a1, &a2}) {
    skip();
    if (i >= n) break;
    if (line[i] == '"') {
      ++i;
      while (i < n && line[i] != '"') *a += line[i++];
      if (i < n) ++i;
    } else {
      while (i < n && !blank(i)) *a += line[i++];
    }
  }
  return true;
}

EmbeddedArchive::EmbeddedArchive() { reset(); }

void EmbeddedArchive::reset() {
  m_root = ArchiveEntry{};
  m_root.dir = true;
  m_root.time = archiveNow();
  m_hostOffset = 0;
  m_hadArchive = false;
  m_open = true;
}

void EmbeddedArchive::error(const std::string& s) { m_errors += s + "\n"; }

int EmbeddedArchive::load(const std::string& hostPath) {
  reset();
  m_hostPath = hostPath;
  std::error_code ec;
  std::ifstream in;
  if (fs::is_regular_file(hostPath, ec)) in.open(hostPath, std::ios::binary);
  if (!in.is_open()) {
    m_open = false;
    return kLoadNoFile;
  }
  in.seekg(0, std::ios::end);
  uint64_t len = uint64_t(in.tellg());
  in.seekg(0);
  std::vector<uint8_t> buf(kLoadChunk);
  uint64_t start = len;
  for (uint64_t base = 0; base < len && start == len; base += kLoadChunk) {
    in.read(reinterpret_cast<char*>(buf.data()), std::streamsize(kLoadChunk));
    size_t got = size_t(in.gcount());
    if (got == 0) break;
    for (size_t off = 0; off + kArchiveMarker.size() <= got; off += 256) {
      if (std::memcmp(&buf[off], kArchiveMarker.data(), kArchiveMarker.size()) == 0) {
        start = base + off;
        break;
      }
    }
  }
  if (start == len) {
    m_hostOffset = len;
    return kLoadNoArchive;
  }
  m_hostOffset = start;
  m_hadArchive = true;
  in.clear();
  in.seekg(std::streamoff(start + kArchiveMarker.size()));
  uint64_t left = len - start - kArchiveMarker.size();

  auto readBytes = [&](uint8_t* dst, uint64_t n) {
    if (n > left) return false;
    in.read(reinterpret_cast<char*>(dst), std::streamsize(n));
    if (uint64_t(in.gcount()) != n) return false;
    left -= n;
    return true;
  };
  std::function<bool(ArchiveEntry&, int)> readDir = [&](ArchiveEntry& d, int depth) {
    if (depth > kMaxDepth) return false;
    size_t count = d.children.size();
    std::vector<uint8_t> recs(count * kArchiveRecordSize);
    if (!readBytes(recs.data(), recs.size())) return false;
    for (size_t k = 0; k < count; ++k) {
      d.children[k] = std::make_unique<ArchiveEntry>();
      if (!d.children[k]->setRecord(&recs[k * kArchiveRecordSize])) return false;
    }
    for (auto& c : d.children) {
      if (c->dir) {
        if (!readDir(*c, depth + 1)) return false;
      } else {
        uint32_t n = storedBytes(*c);
        if (n > left) return false;
        c->data.resize(n);
        if (!readBytes(c->data.data(), n)) return false;
      }
    }
    return true;
  };

  uint8_t rec[kArchiveRecordSize];
  ArchiveEntry root;
  bool ok = readBytes(rec, sizeof rec) && root.setRecord(rec) && root.dir && readDir(root, 0);
  if (!ok) {
    m_root.children.clear();
    m_open = false;
    return kLoadCorrupt;
  }
  root.name.clear();
  m_root = std::move(root);
  return kLoadOk;
}

bool EmbeddedArchive::save() {
  if (m_hostPath.empty()) return false;
  uint64_t size = kArchiveRecordSize;
  std::function<void(ArchiveEntry&)> layout = [&](ArchiveEntry& e) {
    e.offset = uint32_t(size);
    if (e.dir) {
      size += e.children.size() * kArchiveRecordSize;
      for (auto& c : e.children) layout(*c);
    } else {
      size += storedBytes(e);
    }
  };
  layout(m_root);
  if (size > 0xFFFFFFFFULL) return false;  // offsets are 32-bit

  std::error_code ec;
  uint64_t len = fs::exists(m_hostPath, ec) ? fs::file_size(m_hostPath, ec) : 0;
  if (ec) return false;
  if (size == kArchiveRecordSize) {
    if (m_hadArchive && len > m_hostOffset && !cutBack(m_hostPath, m_hostOffset)) return false;
    m_hadArchive = false;
    return true;
  }
  uint64_t offset = (m_hostOffset + 255) / 256 * 256;
  if (len > offset + size) {
    if (!cutBack(m_hostPath, offset)) return false;
    len = offset;
  }
  std::fstream f(m_hostPath, std::ios::binary | std::ios::in | std::ios::out);
  if (!f) {
    f.open(m_hostPath, std::ios::binary | std::ios::out | std::ios::trunc);
    len = 0;
    if (!f) return false;
  }
  if (len < offset) {
    f.seekp(std::streamoff(len));
    std::vector<char> zeros(size_t(offset - len), 0);
    f.write(zeros.data(), std::streamsize(zeros.size()));
  }
  f.seekp(std::streamoff(offset));
  f.write(reinterpret_cast<const char*>(kArchiveMarker.data()), kArchiveMarker.size());
  m_root.time = archiveNow();
  std::function<void(const ArchiveEntry&)> writeTree = [&](const ArchiveEntry& d) {
    for (auto& c : d.children) {
      auto r = c->record();
      f.write(reinterpret_cast<const char*>(r.data()), r.size());
    }
    for (auto& c : d.children) {
      if (c->dir)
        writeTree(*c);
      else
        f.write(reinterpret_cast<const char*>(c->data.data()), std::streamsize(c->data.size()));
    }
  };
  auto r = m_root.record();
  f.write(reinterpret_cast<const char*>(r.data()), r.size());
  writeTree(m_root);
  f.flush();
  if (!f) return false;
  // m_hostOffset stays where the host's own content ends, so that a later
  // save of an empty archive gives the host back its length before the first
  // save, padding included.
  m_hadArchive = true;
  return true;
}

ArchiveEntry* EmbeddedArchive::walk(const std::string& path, bool create, bool* wrongKind) {
  if (wrongKind) *wrongKind = false;
  ArchiveEntry* cur = &m_root;
  for (const auto& part : splitPath(path)) {
    ArchiveEntry* next = childNamed(*cur, part);
    if (next && !next->dir) {
      if (wrongKind) *wrongKind = true;
      error("ERROR - directory name used already for file: " + part);
      return nullptr;
    }
    if (!next) {
      if (!create || part.size() > size_t(kArchiveNameMax) ||
          cur->children.size() >= size_t(kArchiveMaxChildren))
        return nullptr;
      auto d = std::make_unique<ArchiveEntry>();
      d->name = part;
      d->dir = true;
      d->time = archiveNow();
      next = d.get();
      cur->children.push_back(std::move(d));
    }
    cur = next;
  }
  return cur;
}

ArchiveEntry* EmbeddedArchive::dirOf(const std::string& path, bool create, std::string* leaf) {
  auto parts = splitPath(path);
  leaf->clear();
  if (parts.empty()) return &m_root;
  *leaf = parts.back();
  parts.pop_back();
  std::string parent;
  for (auto& p : parts) parent += "\\" + p;
  return walk(parent, create, nullptr);
}

const ArchiveEntry* EmbeddedArchive::find(const std::string& path) const {
  const ArchiveEntry* cur = &m_root;
  for (const auto& part : splitPath(path)) {
    if (!cur->dir) return nullptr;
    cur = childNamed(const_cast<ArchiveEntry&>(*cur), part);
    if (!cur) return nullptr;
  }
  return cur;
}

bool EmbeddedArchive::content(const ArchiveEntry& f, std::vector<uint8_t>& out) {
  if (f.dir) return false;
  if (f.storedSize == 0) {
    if (f.data.size() != f.size) return false;
    out = f.data;
    return true;
  }
  // The archive never takes in files above the import limit, so a larger
  // size in a record is damage and is not allocated.
  if (f.size > kArchiveImportLimit) return false;
  out.assign(f.size, 0);
  uLongf n = f.size;
  if (uncompress(out.data(), &n, f.data.data(), f.data.size()) != Z_OK || n != f.size) return false;
  return true;
}

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
  {
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
      error("ERROR - can't create file: " + target.string());
      return -1;
    }
  }
  setDiskTime(target, e.time);
  return 1;
}

int EmbeddedArchive::cmdExport(const std::string& a1, const std::string& a2) {
  const ArchiveEntry* e = find(a1);
  if (!e) return -1;
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

int EmbeddedArchive::cmdSet(const std::string& a1, const std::string& text) {
  std::string leaf;
  ArchiveEntry* dir = dirOf(a1, true, &leaf);
  if (!dir || leaf.empty() || leaf.size() > size_t(kArchiveNameMax)) return -1;
  ArchiveEntry* e = childNamed(*dir, leaf);
  if (e && e->dir) {
    error("ERROR - file name used already for directory: " + leaf);
    return -1;
  }
  if (!e) {
    if (dir->children.size() >= size_t(kArchiveMaxChildren)) return -1;
    auto f = std::make_unique<ArchiveEntry>();
    f->name = leaf;
    e = f.get();
    dir->children.push_back(std::move(f));
  }
  e->data.assign(text.begin(), text.end());
  e->size = uint32_t(text.size());
  e->storedSize = 0;
  e->time = archiveNow();
  m_touched = 1;
  out(" (file rewritten)\n");
  return kDone;
}

int EmbeddedArchive::cmdMkdir(const std::string& a1) {
  if (splitPath(a1).empty()) return -1;
  if (!walk(a1, true, nullptr)) return -1;
  m_touched = 1;
  out(" (directory created)\n");
  return kDone;
}

int EmbeddedArchive::cmdDelete(const std::string& a1) {
  std::string leaf;
  ArchiveEntry* dir = dirOf(a1, false, &leaf);
  if (!dir || leaf.empty()) return -1;
  auto it = std::find_if(dir->children.begin(), dir->children.end(),
                         [&](auto& c) { return sameName(c->name, leaf); });
  if (it == dir->children.end()) return -1;
  int n = countEntries(**it);
  dir->children.erase(it);
  m_touched = n;
  out(" (" + std::to_string(n) + " files deleted)\n");
  return kDone;
}

int EmbeddedArchive::cmdRename(const std::string& a1, const std::string& a2) {
  std::string oldLeaf, newLeaf;
  ArchiveEntry* from = dirOf(a1, false, &oldLeaf);
  ArchiveEntry* to = dirOf(a2, false, &newLeaf);
  if (!from || !to || oldLeaf.empty() || newLeaf.empty()) return -1;
  auto it = std::find_if(from->children.begin(), from->children.end(),
                         [&](auto& c) { return sameName(c->name, oldLeaf); });
  if (it == from->children.end()) return -1;
  if (from == to) {
    if (newLeaf.size() > size_t(kArchiveNameMax)) return -1;
    (*it)->name = newLeaf;
  } else {
    // A move keeps the entry's name. Refused when the target already holds the
    // new name, or the entry's own name (two entries of one name could never
    // both be found again), or when a directory would move into itself.
    if (childNamed(*to, newLeaf) || childNamed(*to, (*it)->name) || contains(**it, to) ||
        to->children.size() >= size_t(kArchiveMaxChildren))
      return -1;
    to->children.push_back(std::move(*it));
    from->children.erase(it);
  }
  m_touched = 1;
  out(" (1 file renamed)\n");
  return kDone;
}

int EmbeddedArchive::execute(const std::string& line) {
  out(line + "\n");
  m_failed = false;
  m_touched = 0;
  std::string cmd, a1, a2;
  if (!archiveSplit(line, cmd, a1, a2)) return kNone;
  auto is = [&](const char* w) { return strcasecmp(cmd.c_str(), w) == 0; };

  if (is("OPEN")) {
    int code = load(a1);
    bool ok = code == kLoadOk || code == kLoadNoArchive;
    m_failed = !ok;
    out(ok ? " (opened)\n" : " (error)\n");
    return kOpened;
  }
  if (is("CLEAR")) {
    m_root.children.clear();
    m_open = true;
    out(" (cleared)\n");
    return kOpened;
  }
  if (!m_open) return kNone;
  if (is("SAVE")) {
    if (!save()) {
      m_failed = true;
      out(" (error)\n");
      return kStored;
    }
    uint64_t bytes = 0;
    int items = 0;
    std::function<void(const ArchiveEntry&)> sum = [&](const ArchiveEntry& e) {
      bytes += kArchiveRecordSize + (e.dir ? 0 : storedBytes(e));
      for (auto& c : e.children) {
        ++items;
        sum(*c);
      }
    };
    sum(m_root);
    m_touched = items;
    out(" (stored " + std::to_string(bytes) + " bytes - " + std::to_string(items) + " items)\n");
    return kStored;
  }

  int r = -2;
  if (is("IMPORT"))
    r = cmdImport(a1, a2);
  else if (is("EXPORT"))
    r = cmdExport(a1, a2);
  else if (is("SET"))
    r = cmdSet(a1, a2);
  else if (is("MKDIR"))
    r = cmdMkdir(a1);
  else if (is("DELETE"))
    r = cmdDelete(a1);
  else if (is("RENAME"))
    r = cmdRename(a1, a2);
  if (r == -2) return kNone;
  if (r < 0) {
    m_failed = true;
    out(" (error)\n");
    return is("EXPORT") ? kExported : kDone;
  }
  return r;
}

}  // namespace q3
