// The pickup capture of one engine.
#include "link/pickup_capture.h"

#include <cstring>

namespace q3 {

void PickupCapture::arm(uint8_t flag, uint16_t length, uint8_t xorCheck, uint8_t sumCheck,
                        uint8_t extra) {
  BulkCapture& c = m_capture;
  if (length > kBulkMax) length = kBulkMax;
  c.expectedLength.store(length, std::memory_order_relaxed);
  c.expectedXor.store(xorCheck, std::memory_order_relaxed);
  c.expectedSum.store(sumCheck, std::memory_order_relaxed);
  c.extra.store(extra, std::memory_order_relaxed);
  c.active.store(flag, std::memory_order_release);  // publishes the fields above
}

void PickupCapture::armFromMonitor(const uint8_t* m) {
  arm(m[128], uint16_t(m[98] | (m[99] << 8)), m[129], m[130], m[131]);
}

void PickupCapture::cancel() {
  m_capture.active.store(0, std::memory_order_release);
  m_capture.count.store(0, std::memory_order_release);
}

void PickupCapture::setSupervisorMask(int mask) {
  if (mask == 1 || mask == 3 || mask == 7) m_mask.store(mask, std::memory_order_release);
}

void PickupCapture::widenSupervisorMask() {
  int v = m_mask.load(std::memory_order_acquire);
  const int wider = v == 1 ? 3 : 7;
  m_mask.compare_exchange_strong(v, wider, std::memory_order_acq_rel);
}

bool PickupCapture::feed(uint8_t byte, bool& alsoFrame) {
  BulkCapture& c = m_capture;
  alsoFrame = false;
  uint16_t n = c.count.load(std::memory_order_relaxed);
  if (n >= kBulkMax) {
    cancel();
    return true;
  }
  c.buffer[n++] = byte;
  c.count.store(n, std::memory_order_release);
  const uint16_t expected = c.expectedLength.load(std::memory_order_acquire);
  if (n < expected) {
    alsoFrame = true;
    return false;
  }
  if (n > expected && expected != 0) {
    // Re-armed shorter while arriving: the block cannot match any more.
    widenSupervisorMask();
    cancel();
    return true;
  }
  if (expected == 0) {
    alsoFrame = true;
    return false;
  }
  uint8_t x = 0, s = 0;
  for (int i = 0; i < expected; ++i) {
    x ^= c.buffer[i];
    s = uint8_t(s + c.buffer[i]);
  }
  if (x == c.expectedXor.load(std::memory_order_relaxed) &&
      s == c.expectedSum.load(std::memory_order_relaxed)) {
    BulkArrived& a = m_arrived;
    // An unconsumed block stays as it is: the reader may be looking at it.
    if (a.active.load(std::memory_order_acquire) == 0) {
      a.state = c.active.load(std::memory_order_relaxed);
      a.length = expected;
      a.xorCheck = x;
      a.sumCheck = s;
      a.extra = c.extra.load(std::memory_order_relaxed);
      std::memcpy(a.buffer, c.buffer, expected);
      a.active.store(1, std::memory_order_release);
    }
  } else {
    widenSupervisorMask();
  }
  cancel();
  return true;
}

}  // namespace q3
