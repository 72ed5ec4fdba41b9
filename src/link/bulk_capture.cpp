// The process-wide bulk capture of pickup-monitor sample blocks.
#include "link/bulk_capture.h"

#include <cstring>

#include "base/app_clock.h"

namespace q3 {

BulkCapture& bulkCapture() {
  static BulkCapture c;
  return c;
}

BulkArrived& bulkArrived() {
  static BulkArrived a;
  return a;
}

std::atomic<int>& supervisorPeriodMask() { return g_supervisorMask; }

void armBulkCapture(uint8_t flag, uint16_t length, uint8_t xorCheck, uint8_t sumCheck,
                    uint8_t extra) {
  BulkCapture& c = bulkCapture();
  if (length > kBulkMax) length = kBulkMax;
  c.expectedLength.store(length, std::memory_order_relaxed);
  c.expectedXor.store(xorCheck, std::memory_order_relaxed);
  c.expectedSum.store(sumCheck, std::memory_order_relaxed);
  c.extra.store(extra, std::memory_order_relaxed);
  c.active.store(flag, std::memory_order_release);  // publishes the fields above
}

void armBulkCaptureFromMonitor(const uint8_t* m) {
  armBulkCapture(m[128], uint16_t(m[98] | (m[99] << 8)), m[129], m[130], m[131]);
}

void cancelBulkCapture() {
  BulkCapture& c = bulkCapture();
  c.active.store(0, std::memory_order_release);
  c.count.store(0, std::memory_order_release);
}

namespace {
void widenPeriodMask() {
  std::atomic<int>& m = supervisorPeriodMask();
  int v = m.load(std::memory_order_acquire);
  const int wider = v == 1 ? 3 : 7;
  m.compare_exchange_strong(v, wider, std::memory_order_acq_rel);
}
}  // namespace

bool bulkCaptureByte(uint8_t byte, bool& alsoFrame) {
  BulkCapture& c = bulkCapture();
  alsoFrame = false;
  uint16_t n = c.count.load(std::memory_order_relaxed);
  if (n >= kBulkMax) {
    cancelBulkCapture();
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
    widenPeriodMask();
    cancelBulkCapture();
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
    BulkArrived& a = bulkArrived();
    // An unconsumed block stays as it is: the reader may be looking at it.
    if (a.active.load(std::memory_order_acquire) == 0) {
      a.length = expected;
      a.xorCheck = x;
      a.sumCheck = s;
      a.extra = c.extra.load(std::memory_order_relaxed);
      std::memcpy(a.buffer, c.buffer, expected);
      a.active.store(1, std::memory_order_release);
    }
  } else {
    widenPeriodMask();
  }
  cancelBulkCapture();
  return true;
}

}  // namespace q3
