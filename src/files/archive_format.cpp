// The archive's byte format: the 79-byte records, the host layout, loading an
// archive from its host and saving it back through the safe file write.
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <functional>

#include "base/safe_write.h"
#include "files/archive_p.h"
#include "files/embedded_archive.h"

namespace q3 {

using namespace archive_detail;

const std::array<uint8_t, 32> kArchiveMarker = {
    '#',  '#',  'V',  'A',  'Z',  'O',  'V',  '_',  'H',  'E',  'A',  'D',  'E',  'R',  '#',  '#',
    0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x3A, 0x3E};

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
  const bool empty = size == kArchiveRecordSize;
  if (empty && (!m_hadArchive || len <= m_hostOffset)) {
    m_hadArchive = false;
    return true;
  }
  // The new host is written whole beside the old one and then takes its
  // place: the host's own bytes, zero padding up to the archive's 256-byte
  // boundary, then the archive. A kill or a full disk at any point leaves the
  // old host as it was.
  const uint64_t offset = empty ? m_hostOffset : (m_hostOffset + 255) / 256 * 256;
  const uint64_t keep = std::min(len, offset);
  PendingFile out(m_hostPath);
  if (!out.isOpen()) {
    error("ERROR - can't write host file: " + out.failure().message);
    return false;
  }
  bool ok = true;
  if (keep > 0) {
    std::ifstream in(m_hostPath, std::ios::binary);
    std::vector<char> buf(kLoadChunk);
    uint64_t left = keep;
    while (ok && left > 0) {
      const size_t want = size_t(std::min<uint64_t>(left, buf.size()));
      in.read(buf.data(), std::streamsize(want));
      ok = size_t(in.gcount()) == want && out.append({buf.data(), want});
      left -= want;
    }
  }
  if (ok && keep < offset) ok = out.append(std::string(size_t(offset - keep), '\0'));
  if (ok && !empty) {
    auto put = [&](const void* p, size_t n) {
      ok = ok && out.append({static_cast<const char*>(p), n});
    };
    put(kArchiveMarker.data(), kArchiveMarker.size());
    m_root.time = archiveNow();
    std::function<void(const ArchiveEntry&)> writeTree = [&](const ArchiveEntry& d) {
      for (auto& c : d.children) {
        auto r = c->record();
        put(r.data(), r.size());
      }
      for (auto& c : d.children) {
        if (c->dir)
          writeTree(*c);
        else
          put(c->data.data(), c->data.size());
      }
    };
    auto r = m_root.record();
    put(r.data(), r.size());
    writeTree(m_root);
  }
  if (!ok) {
    error("ERROR - can't write host file: " +
          (out.failure().message.empty() ? m_hostPath : out.failure().message));
    return false;
  }
  const FileWriteResult done = out.commit();
  if (!done.ok) {
    error("ERROR - can't write host file: " + done.message);
    return false;
  }
  // m_hostOffset stays where the host's own content ends, so that a later
  // save of an empty archive gives the host back its length before the first
  // save, padding included.
  m_hadArchive = !empty;
  return true;
}

}  // namespace q3
