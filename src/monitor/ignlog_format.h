// The monitor recording file (.ignlog): a header that carries two tables of
// record offsets (low and high 16 bits), then the record data. Every integer
// is little-endian. The header is H = 12256 + 2 x N bytes long for N records;
// older files end it at 12256 (no high-half table) and the reader rebuilds
// the high halves from the falling low halves.
//
// A file is outside input: readIgnlog() refuses a header that cannot be
// right (with a message) and skips records that do not fit (with a warning
// each), so a damaged file plays as far as it is sound.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace q3 {

inline constexpr int kIgnlogKey = 104;
inline constexpr int kIgnlogMaxRecords = 6000;
inline constexpr int kIgnlogMaxDataBytes = 2000000;
inline constexpr int kIgnlogLowTable = 256;  // offset of the table of low halves
inline constexpr int kIgnlogHighTable = kIgnlogLowTable + 2 * kIgnlogMaxRecords;   // 12256
inline constexpr int kIgnlogMaxHeader = kIgnlogHighTable + 2 * kIgnlogMaxRecords;  // 24256
inline constexpr int kIgnlogIdentLen = 186;    // identification text with its NUL
inline constexpr int kIgnlogRecordHead = 8;    // length, type, 0, time
inline constexpr int kIgnlogImageLen = 1050;   // payload of the image records
inline constexpr int kIgnlogMonitorLen = 150;  // payload of a monitor record
inline constexpr int kIgnlogLineLen = 75;      // connection line with its NUL
inline constexpr int kIgnlogEditors = 50;      // map editor slots of a page-state record

enum class IgnlogType : uint8_t {
  Connection = 1,  // port number and connection line
  Image = 2,       // the parameter image
  UnitImage = 3,   // the unit image
  Monitor = 4,     // monitor buffer indices 0..149
  PageState = 5,   // active page and the sheet each map editor shows
};

// Length of a record of the type, head included; 0 for a type that does not exist.
int ignlogRecordLength(int type);

// Payload of a page-state record: the page and, per map editor slot, the
// editor's owner id and the sheet it shows (unused slots 0).
struct PageState {
  int page = 0;
  std::array<uint8_t, kIgnlogEditors> owner{};
  std::array<uint8_t, kIgnlogEditors> sheet{};
  bool operator==(const PageState&) const = default;
};

struct IgnlogHeader {
  uint32_t startTime = 0;              // seconds since 1970-01-01 UTC
  std::array<int32_t, 4> os{};         // major, minor, build, platform (0 when unknown)
  std::array<int16_t, 16> monitors{};  // up to four screens: left, width, top, height
  uint32_t layout = 0;                 // informational, ignored on reading
  uint16_t key = kIgnlogKey;
  std::string ident;  // "QUELIN3   RSKEY=104.00   COMPILE=..." (at most 185 bytes)
  int initial = 0;    // number of records written when the recording started
};

// One record as found in the data: its place, type and time.
struct IgnlogRecord {
  int type = 0;
  uint32_t timeMs = 0;
  uint32_t offset = 0;  // of its head in the data
  int length = 0;       // head included
};

// A recording in memory: the header fields, the record data and the records
// in file order. Also the writer: append() adds records, bytes() gives the file.
class IgnlogFile {
 public:
  IgnlogHeader header;

  const std::vector<uint8_t>& data() const { return m_data; }
  const std::vector<IgnlogRecord>& records() const { return m_records; }
  int size() const { return int(m_records.size()); }
  std::span<const uint8_t> payload(const IgnlogRecord& r) const {
    return {m_data.data() + r.offset + kIgnlogRecordHead, size_t(r.length - kIgnlogRecordHead)};
  }
  std::span<const uint8_t> payload(int i) const { return payload(m_records[size_t(i)]); }
  // Time of the last record (0 for none).
  uint32_t durationMs() const { return m_records.empty() ? 0 : m_records.back().timeMs; }

  // Whether a record of this type still fits (6000 records, 2,000,000 data bytes).
  bool fits(int type) const;
  // Appends a record of a known type; the payload is cut or padded with 0 to
  // the type's length. False (nothing appended) when it does not fit.
  bool append(IgnlogType type, uint32_t timeMs, std::span<const uint8_t> payload);
  // The whole file: header (H = 12256 + 2 x N) and data.
  std::vector<uint8_t> bytes() const;

  // Used by the reader.
  void adopt(std::vector<uint8_t> data, std::vector<IgnlogRecord> records) {
    m_data = std::move(data);
    m_records = std::move(records);
  }

 private:
  std::vector<uint8_t> m_data;
  std::vector<IgnlogRecord> m_records;
};

// Payload builders and readers of the record types.
std::vector<uint8_t> connectionPayload(int port, const std::string& line);
int connectionPort(std::span<const uint8_t> payload);
std::string connectionLineOf(std::span<const uint8_t> payload);
std::vector<uint8_t> pageStatePayload(const PageState& s);
PageState pageStateOf(std::span<const uint8_t> payload);

enum class IgnlogError {
  None,
  CannotOpen,   // the file cannot be opened or read
  TooShort,     // shorter than the fixed part of the header
  BadHeader,    // H, N, the initial count or the data length out of range
  KeyMismatch,  // another unit family's recording
  NoRecords,    // not one sound record
};

struct IgnlogWarning {
  int record;  // index in the offset tables
  std::string detail;
};

struct IgnlogReadResult {
  IgnlogError error = IgnlogError::None;
  std::string message;  // the reason in words (English), empty when read
  std::vector<IgnlogWarning> warnings;
  IgnlogFile file;
  bool ok() const { return error == IgnlogError::None; }
};

// Reads a recording from its bytes. A bad header is refused (error and
// message); a record that lies outside the data, is shorter than its type, has
// an unknown type, or a page-state record with a page index of 10 or more, is
// skipped with a warning. The number of initial records counts the sound ones.
IgnlogReadResult readIgnlog(std::span<const uint8_t> bytes);
IgnlogReadResult readIgnlogFile(const std::string& path);

// Writes bytes to path through a temporary file beside it that replaces the
// target only when complete and flushed to the disk, so the target is always
// either the old or the new file. False with the reason in error otherwise.
bool writeFileReplacing(const std::string& path, std::span<const uint8_t> bytes,
                        std::string* error);

}  // namespace q3
