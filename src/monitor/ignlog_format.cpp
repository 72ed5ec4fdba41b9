// The .ignlog reader and writer.
#include "monitor/ignlog_format.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/safe_write.h"

namespace q3 {

namespace {

// Header fields at their offsets.
constexpr int kOffH = 0;
constexpr int kOffStart = 4;
constexpr int kOffOs = 8;
constexpr int kOffMonitors = 24;
constexpr int kOffLayout = 56;
constexpr int kOffKey = 60;
constexpr int kOffIdent = 62;
constexpr int kOffDataLen = 248;
constexpr int kOffInitial = 252;
constexpr int kOffCount = 254;

// Page-state payload (offsets within the record).
constexpr int kPagePos = 8;
constexpr int kOwnersPos = 12;
constexpr int kSheetsPos = kOwnersPos + kIgnlogEditors;

uint16_t get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t get32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
void put16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
  put16(p, v & 0xFFFF);
  put16(p + 2, v >> 16);
}

std::string recordProblem(const char* what, int value) {
  char buf[96];
  std::snprintf(buf, sizeof buf, what, value);
  return buf;
}

}  // namespace

int ignlogRecordLength(int type) {
  switch (type) {
    case int(IgnlogType::Connection):
      return kIgnlogRecordHead + 1 + kIgnlogLineLen;  // 84
    case int(IgnlogType::Image):
    case int(IgnlogType::UnitImage):
      return kIgnlogRecordHead + kIgnlogImageLen;  // 1058
    case int(IgnlogType::Monitor):
      return kIgnlogRecordHead + kIgnlogMonitorLen;  // 158
    case int(IgnlogType::PageState):
      return kSheetsPos + kIgnlogEditors;  // 112
    default:
      return 0;
  }
}

// ---- payloads ----

std::vector<uint8_t> connectionPayload(int port, const std::string& line) {
  std::vector<uint8_t> p(size_t(ignlogRecordLength(1) - kIgnlogRecordHead), 0);
  p[0] = uint8_t(port);
  const size_t n = std::min(line.size(), size_t(kIgnlogLineLen - 1));
  std::memcpy(p.data() + 1, line.data(), n);
  return p;
}

int connectionPort(std::span<const uint8_t> payload) { return payload.empty() ? 0 : payload[0]; }

std::string connectionLineOf(std::span<const uint8_t> payload) {
  if (payload.size() < 2) return {};
  const auto* text = reinterpret_cast<const char*>(payload.data() + 1);
  return std::string(text, strnlen(text, payload.size() - 1));
}

std::vector<uint8_t> pageStatePayload(const PageState& s) {
  std::vector<uint8_t> p(size_t(ignlogRecordLength(5) - kIgnlogRecordHead), 0);
  p[0] = uint8_t(s.page);
  std::copy(s.owner.begin(), s.owner.end(), p.begin() + (kOwnersPos - kIgnlogRecordHead));
  std::copy(s.sheet.begin(), s.sheet.end(), p.begin() + (kSheetsPos - kIgnlogRecordHead));
  return p;
}

PageState pageStateOf(std::span<const uint8_t> payload) {
  PageState s;
  if (payload.size() < size_t(ignlogRecordLength(5) - kIgnlogRecordHead)) return s;
  s.page = payload[kPagePos - kIgnlogRecordHead];
  std::copy_n(payload.begin() + (kOwnersPos - kIgnlogRecordHead), kIgnlogEditors, s.owner.begin());
  std::copy_n(payload.begin() + (kSheetsPos - kIgnlogRecordHead), kIgnlogEditors, s.sheet.begin());
  return s;
}

// ---- writing ----

bool IgnlogFile::fits(int type) const {
  const int len = ignlogRecordLength(type);
  return len > 0 && size() < kIgnlogMaxRecords &&
         m_data.size() + size_t(len) <= kIgnlogMaxDataBytes;
}

bool IgnlogFile::append(IgnlogType type, uint32_t timeMs, std::span<const uint8_t> payload) {
  if (!fits(int(type))) return false;
  const int len = ignlogRecordLength(int(type));
  const size_t at = m_data.size();
  m_data.resize(at + size_t(len), 0);
  uint8_t* r = m_data.data() + at;
  put16(r, uint32_t(len));
  r[2] = uint8_t(type);
  put32(r + 4, timeMs);
  std::memcpy(r + kIgnlogRecordHead, payload.data(),
              std::min(payload.size(), size_t(len - kIgnlogRecordHead)));
  m_records.push_back({int(type), timeMs, uint32_t(at), len});
  return true;
}

std::vector<uint8_t> IgnlogFile::bytes() const {
  const int n = size();
  const int h = kIgnlogHighTable + 2 * n;
  std::vector<uint8_t> out(size_t(h) + m_data.size(), 0);
  uint8_t* p = out.data();
  put16(p + kOffH, uint32_t(h));
  put32(p + kOffStart, header.startTime);
  for (int i = 0; i < 4; ++i) put32(p + kOffOs + 4 * size_t(i), uint32_t(header.os[size_t(i)]));
  for (int i = 0; i < 16; ++i)
    put16(p + kOffMonitors + 2 * size_t(i), uint16_t(header.monitors[size_t(i)]));
  put32(p + kOffLayout, header.layout);
  put16(p + kOffKey, header.key);
  std::memcpy(p + kOffIdent, header.ident.data(),
              std::min(header.ident.size(), size_t(kIgnlogIdentLen - 1)));
  put32(p + kOffDataLen, uint32_t(m_data.size()));
  put16(p + kOffInitial, uint32_t(header.initial));
  put16(p + kOffCount, uint32_t(n));
  for (int i = 0; i < n; ++i) {
    const uint32_t off = m_records[size_t(i)].offset;
    put16(p + kIgnlogLowTable + 2 * size_t(i), off & 0xFFFF);
    put16(p + kIgnlogHighTable + 2 * size_t(i), off >> 16);
  }
  std::copy(m_data.begin(), m_data.end(), out.begin() + h);
  return out;
}

// ---- reading ----

IgnlogReadResult readIgnlog(std::span<const uint8_t> bytes) {
  IgnlogReadResult res;
  auto refuse = [&res](IgnlogError e, std::string why) {
    res.error = e;
    res.message = std::move(why);
    return std::move(res);
  };
  const size_t size = bytes.size();
  if (size < size_t(kIgnlogLowTable))
    return refuse(IgnlogError::TooShort, "the file is too short to be a monitor recording");
  const uint8_t* b = bytes.data();
  const int h = int16_t(get16(b + kOffH));
  if (h < kIgnlogLowTable || h > kIgnlogMaxHeader)
    return refuse(IgnlogError::BadHeader, recordProblem("header length %i is out of range", h));
  if (size_t(h) > size) return refuse(IgnlogError::TooShort, "the file ends inside its header");
  const int key = get16(b + kOffKey);
  if (key != kIgnlogKey) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "RS keys are not equal (%i!=%i)", key, kIgnlogKey);
    return refuse(IgnlogError::KeyMismatch, buf);
  }
  const int n = get16(b + kOffCount);
  if (n > kIgnlogMaxRecords)
    return refuse(IgnlogError::BadHeader, recordProblem("record count %i is above 6000", n));
  const int initial = get16(b + kOffInitial);
  if (n == 0) return refuse(IgnlogError::NoRecords, "the recording holds no records");
  if (initial < 1 || initial > n)
    return refuse(IgnlogError::BadHeader,
                  recordProblem("initial record count %i does not fit the records", initial));
  const uint32_t dataLen = get32(b + kOffDataLen);
  if (dataLen > uint32_t(kIgnlogMaxDataBytes))
    return refuse(IgnlogError::BadHeader, "the record data is longer than 2,000,000 bytes");
  // A file cut short keeps the records that lie inside it.
  const size_t available = std::min<size_t>(dataLen, size - size_t(h));
  if (available < dataLen)
    res.warnings.push_back({-1, "the file ends " + std::to_string(dataLen - available) +
                                    " bytes before its record data"});

  IgnlogHeader& hd = res.file.header;
  hd.startTime = get32(b + kOffStart);
  for (int i = 0; i < 4; ++i) hd.os[size_t(i)] = int32_t(get32(b + kOffOs + 4 * size_t(i)));
  for (int i = 0; i < 16; ++i)
    hd.monitors[size_t(i)] = int16_t(get16(b + kOffMonitors + 2 * size_t(i)));
  hd.layout = get32(b + kOffLayout);
  hd.key = uint16_t(key);
  const auto* ident = reinterpret_cast<const char*>(b + kOffIdent);
  hd.ident.assign(ident, strnlen(ident, kIgnlogIdentLen));

  // Offsets: the high halves the header holds (bytes past H read as 0). A
  // file whose high halves are all 0 (an older writer, or no table) has them
  // rebuilt: records lie in file order, so an offset below the last sound
  // record's has passed a multiple of 65536. Only a sound record moves that
  // reference on, so one spoilt low half costs its own record, not every
  // record after it.
  auto entry = [&](int table, int i) -> uint32_t {
    const int at = table + 2 * i;
    return at + 2 <= h ? get16(b + at) : 0;
  };
  bool highTable = false;
  for (int i = 0; i < n && !highTable; ++i) highTable = entry(kIgnlogHighTable, i) != 0;
  std::vector<IgnlogRecord> records;
  records.reserve(size_t(n));
  uint64_t lastSound = 0;
  int soundInitial = 0;
  for (int i = 0; i < n; ++i) {
    const uint32_t low = entry(kIgnlogLowTable, i);
    uint64_t off;
    if (highTable) {
      off = (uint64_t(entry(kIgnlogHighTable, i)) << 16) | low;
    } else {
      off = (lastSound & ~uint64_t(0xFFFF)) | low;
      if (off < lastSound) off += 0x10000;
    }
    auto skip = [&](const std::string& why) { res.warnings.push_back({i, why}); };
    if (off + kIgnlogRecordHead > available) {
      skip("lies outside the record data");
      continue;
    }
    const uint8_t* r = b + h + off;
    const int len = get16(r);
    const int type = r[2];
    const int need = ignlogRecordLength(type);
    if (need == 0) {
      skip(recordProblem("has the unknown type %i", type));
      continue;
    }
    if (len < need) {
      skip(recordProblem("is shorter than its type (%i bytes)", len));
      continue;
    }
    if (off + uint64_t(len) > available) {
      skip("runs past the end of the record data");
      continue;
    }
    if (type == int(IgnlogType::PageState) && r[kPagePos] >= 10) {
      skip(recordProblem("names the page %i", r[kPagePos]));
      continue;
    }
    records.push_back({type, get32(r + 4), uint32_t(off), len});
    lastSound = off;
    if (i < initial) ++soundInitial;
  }
  if (records.empty()) return refuse(IgnlogError::NoRecords, "not one record of the file is sound");
  hd.initial = std::max(soundInitial, 1);  // the first sound record starts the playback
  res.file.adopt(std::vector<uint8_t>(b + h, b + h + available), std::move(records));
  return res;
}

IgnlogReadResult readIgnlogFile(const std::string& path) {
  IgnlogReadResult res;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    res.error = IgnlogError::CannotOpen;
    res.message = "cannot open " + path + ": " + std::strerror(errno);
    return res;
  }
  // More than the largest header and data is never needed.
  std::vector<uint8_t> bytes(size_t(kIgnlogMaxHeader) + kIgnlogMaxDataBytes);
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) {
    res.error = IgnlogError::CannotOpen;
    res.message = "cannot read " + path;
    return res;
  }
  bytes.resize(got);
  return readIgnlog(bytes);
}

// ---- crash-safe file replacement ----

bool writeFileReplacing(const std::string& path, std::span<const uint8_t> bytes,
                        std::string* error) {
  const FileWriteResult r = writeFileSafely(
      path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  if (!r.ok && error) *error = r.message;
  return r.ok;
}

}  // namespace q3
