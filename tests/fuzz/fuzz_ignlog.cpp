// LIBS: q3monitor q3link q3params q3base q3text
// Monitor-recording reader on arbitrary bytes: it must stay inside the bytes,
// and what it accepts must write back to a file that reads the same and
// must play (every record applied, jumps anywhere) without leaving the data.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  q3::IgnlogReadResult r = q3::readIgnlog({data, size});
  if (!r.ok()) return 0;
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
  return 0;
}
