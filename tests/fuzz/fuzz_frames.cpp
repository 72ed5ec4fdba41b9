// LIBS: q3link q3unitsim
// Frame receiver and the simulated unit's request parser on arbitrary bytes:
// every reported frame must stay inside the frame buffer and pass its check,
// the bulk capture must stay within its limit, and the unit must never answer
// with a frame that fails its own check.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/frame.h"
#include "link/pickup_capture.h"
#include "sim_unit.h"

namespace {

const int kProtocols[] = {q3::kProtoCrc,  q3::kProtoSum,  q3::kProto3050,
                          q3::kProto3100, q3::kProto3150, q3::kProto3300};

void checkFrame(const q3::FrameReceiver& rx) {
  if (q3::isFamilyB(rx.protocol)) {
    assert(q3::checkB(rx.frame, q3::familyBFrameLength(rx.protocol)) == 0);
    assert(rx.frame[0] & 0x80);
    return;
  }
  const int len = rx.frameLength();
  assert(len >= q3::kFamilyAOverhead && len <= q3::kFrameMax);
  const uint8_t hi = rx.kind() & 0xF0;
  assert(hi == 0xB0 || hi == 0xF0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int protocol = kProtocols[data[0] % 6];
  const bool bulk = data[1] & 1;
  data += 2;
  size -= 2;

  q3::FrameReceiver rx;
  q3::configureReceiver(rx, protocol, 175);
  static q3::PickupCapture capture;  // large: kept between runs, cancelled at the end of each
  if (bulk) capture.arm(1, uint16_t(size / 2), 0x5A, 0xA5, 0);
  int32_t t = 0;
  for (size_t i = 0; i < size; ++i) {
    if (capture.active()) {
      bool also = false;
      if (capture.feed(data[i], also)) continue;
      if (!also) continue;
    }
    t += data[i] == 0x55 ? 200 : 0;  // now and then a pause longer than the time-out
    if (q3::receiveByte(rx, data[i], t)) checkFrame(rx);
    assert(rx.position >= 0 && rx.position <= q3::kFrameMax);
  }
  assert(capture.state().count.load() <= q3::kBulkMax);
  capture.cancel();
  capture.arrived().active.store(0);

  q3sim::SimConfig cfg;
  cfg.protocol = protocol;
  q3sim::SimUnit unit(cfg);
  std::vector<uint8_t> out;
  unit.receive(data, int(size), 0, out);
  // Whatever the unit sent must read back as valid frames (plus pickup blocks).
  q3::FrameReceiver back;
  q3::configureReceiver(back, protocol, 1000);
  int frames = 0;
  for (uint8_t b : out) frames += q3::receiveByte(back, b, 0);
  assert(frames <= unit.framesAnswered);
  return 0;
}
