// LIBS: q3monitor q3link q3params q3base q3text
// Monitor-recording reader on arbitrary bytes: it must stay inside the bytes,
// and what it accepts must write back to a file that reads the same and
// must play (every record applied, jumps anywhere) without leaving the data.
// Each input is read twice: as it stands, and as the record data behind a
// header built from its first bytes, so that short runs reach the record
// checks at once.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "monitor/ignlog_format.h"
#include "monitor/ignlog_player.h"
#include "params/param_model.h"

namespace {

class StillClock : public q3::IgnlogClock {
 public:
  int64_t nowMs() const override { return now; }
  int64_t unixSeconds() const override { return 0; }
  int64_t now = 0;
};

class NoWindow : public q3::PlaybackHost {
 public:
  int activePage() const override { return page; }
  void showPage(int p) override { page = p; }
  void reloadActivePage() override {}
  void refreshMonitor() override {}
  std::vector<Editor> mapEditors() const override { return {{0, 0, 2}, {3, 1, 2}}; }
  int page = 0;
};

void put16(std::vector<uint8_t>& b, size_t at, unsigned v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}

// A header with 1..64 records whose offsets come from the input, with or
// without the high-half table, then the input as record data.
std::vector<uint8_t> shaped(const uint8_t* data, size_t size) {
  if (size < 3) return {};
  const int n = 1 + data[0] % 64;
  const bool highTable = data[1] & 1;
  const size_t h = 12256 + (highTable ? 2 * size_t(n) : 0);
  std::vector<uint8_t> f(h, 0);
  put16(f, 0, unsigned(h));
  put16(f, 60, 104);
  put16(f, 252, 1 + data[1] % unsigned(n));
  put16(f, 254, unsigned(n));
  const size_t dataLen = size - 3 + (data[2] & 3);  // at times longer than what follows
  f[248] = uint8_t(dataLen), f[249] = uint8_t(dataLen >> 8), f[250] = uint8_t(dataLen >> 16);
  for (int i = 0; i < n; ++i) {
    const uint8_t a = data[(3 + 2 * size_t(i)) % size], b = data[(4 + 2 * size_t(i)) % size];
    put16(f, 256 + 2 * size_t(i), unsigned(a | (b << 8)) % unsigned(size + 16));
  }
  f.insert(f.end(), data + 3, data + size);
  return f;
}

void readWriteAndPlay(const uint8_t* data, size_t size) {
  q3::IgnlogReadResult r = q3::readIgnlog({data, size});
  if (!r.ok()) return;
  const std::vector<uint8_t> again = r.file.bytes();
  const q3::IgnlogReadResult back = q3::readIgnlog(again);
  if (!back.ok() || back.file.size() != r.file.size()) __builtin_trap();
  for (int i = 0; i < r.file.size(); ++i)
    if (back.file.records()[size_t(i)].type != r.file.records()[size_t(i)].type) __builtin_trap();

  q3::ParamModel model;
  NoWindow host;
  StillClock clock;
  q3::IgnlogPlayer player(model, host, clock);
  player.play(std::move(r.file), "fuzz.ignlog");
  const int length = player.length();
  for (int p : {length - 1, length / 2, 0, length + 5, -3}) player.jump(p);
  clock.now += int64_t(1) << 33;  // past every record time
  player.step();
  player.resume();
  player.stop();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  readWriteAndPlay(data, size);
  const std::vector<uint8_t> file = shaped(data, size);
  readWriteAndPlay(file.data(), file.size());
  return 0;
}
