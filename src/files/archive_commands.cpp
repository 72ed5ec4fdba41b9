// The archive's text commands: splitting a command line, finding entries by
// archive path, SET, MKDIR, DELETE, RENAME and the dispatch of every command.
#include <zlib.h>

#include <cstring>
#include <functional>

#include "files/archive_p.h"
#include "files/embedded_archive.h"

namespace q3 {

using namespace archive_detail;

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
  if (r == -2) {
    // A command this archive does not know is reported, not passed over: a
    // script that misspells SAVE must not end as if it had been stored.
    m_failed = true;
    error("ERROR - unknown command: " + cmd);
    out(" (error)\n");
    return kNone;
  }
  if (r < 0) {
    m_failed = true;
    out(" (error)\n");
    return is("EXPORT") ? kExported : kDone;
  }
  return r;
}

}  // namespace q3
