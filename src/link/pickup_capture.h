// The pickup capture: raw sample blocks of the pickup monitor that the unit
// streams outside the frame protocol after a monitor answer. The
// user-interface thread arms it from the monitor block; the engine thread
// feeds it from the receive ring; a complete block with matching XOR and sum
// is copied into the arrived record, which the user-interface thread consumes.
// A failed block check widens the supervisor period mask (1 -> 3 -> 7) so the
// supervisor leaves the line quieter; the main loop reads the mask here.
//
// One PickupCapture belongs to one engine (and so to one link session).
#pragma once

#include <atomic>
#include <cstdint>

namespace q3 {

inline constexpr int kBulkMax = 15000;

struct BulkCapture {
  std::atomic<uint8_t> active{0};
  std::atomic<uint16_t> expectedLength{0};
  std::atomic<uint16_t> count{0};  // written by the engine thread only, read by anyone
  std::atomic<uint8_t> expectedXor{0};
  std::atomic<uint8_t> expectedSum{0};
  std::atomic<uint8_t> extra{0};
  uint8_t buffer[kBulkMax]{};  // engine thread only
};

// A complete, valid block. 'active' is set (release) after the data, and the
// consumer clears it (release) when done; a block completing while the
// previous one is still unconsumed is dropped rather than overwriting it.
struct BulkArrived {
  std::atomic<uint8_t> active{0};
  // The block state the capture was armed with: 1 the unit is synchronised, 2 not.
  uint8_t state = 0;
  uint16_t length = 0;
  uint8_t xorCheck = 0;
  uint8_t sumCheck = 0;
  uint8_t extra = 0;
  uint8_t buffer[kBulkMax]{};
};

class PickupCapture {
 public:
  // --- user-interface thread ---
  // Arms (or with flag 0 stops) the capture; never touches the received count.
  void arm(uint8_t flag, uint16_t length, uint8_t xorCheck, uint8_t sumCheck, uint8_t extra);
  // The same from a monitor block (indices 1..150 of a 151-byte buffer, or the
  // 150 received bytes with base offset -1): flag 128, XOR 129, sum 130, extra 131, word 49.
  void armFromMonitor(const uint8_t* monitor151);
  void cancel();
  // The arrived block; the consumer clears its 'active' when done with it.
  BulkArrived& arrived() { return m_arrived; }
  const BulkArrived& arrived() const { return m_arrived; }
  // The capture in progress, for looking at only.
  const BulkCapture& state() const { return m_capture; }
  bool active() const { return m_capture.active.load(std::memory_order_acquire) != 0; }

  // The supervisor period mask (1, 3 or 7): the supervisor runs on ticks whose
  // counter ANDed with it is 0. Other values are ignored.
  int supervisorMask() const { return m_mask.load(std::memory_order_acquire); }
  void setSupervisorMask(int mask);
  void widenSupervisorMask();

  // --- engine thread ---
  // Feeds one byte to an active capture. Returns true when the byte ended the
  // capture (complete, failed or cancelled): the caller stops reading the ring.
  // 'alsoFrame' tells whether the byte goes on into frame parsing.
  bool feed(uint8_t byte, bool& alsoFrame);

 private:
  BulkCapture m_capture;
  BulkArrived m_arrived;
  std::atomic<int> m_mask{1};
};

}  // namespace q3
