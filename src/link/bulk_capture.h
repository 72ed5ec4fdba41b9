// The bulk capture: raw sample blocks of the pickup monitor that the unit
// streams outside the frame protocol after a monitor answer. The user-interface
// thread arms it from the monitor block; the engine thread feeds it from the
// receive ring; a complete block with matching XOR and sum is copied into the
// arrived record, which the user-interface thread consumes.
#pragma once

#include <atomic>
#include <cstdint>

namespace q3 {

inline constexpr int kBulkMax = 15000;

struct BulkCapture {
  std::atomic<uint8_t> active{0};
  std::atomic<uint16_t> expectedLength{0};
  std::atomic<uint16_t> count{0};  // engine thread only, read by anyone
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
  uint16_t length = 0;
  uint8_t xorCheck = 0;
  uint8_t sumCheck = 0;
  uint8_t extra = 0;
  uint8_t buffer[kBulkMax]{};
};

BulkCapture& bulkCapture();
BulkArrived& bulkArrived();
// The supervisor period mask of the main loop (1, 3 or 7); a failed block
// check widens it (1 -> 3 -> 7) so the supervisor leaves the line quieter.
std::atomic<int>& supervisorPeriodMask();

// Arms (or with flag 0 stops) the capture; never touches the received count.
void armBulkCapture(uint8_t flag, uint16_t length, uint8_t xorCheck, uint8_t sumCheck,
                    uint8_t extra);
// The same from a monitor block (indices 1..150 of a 151-byte buffer, or the
// 150 received bytes with base offset -1): flag 128, XOR 129, sum 130, extra 131, word 49.
void armBulkCaptureFromMonitor(const uint8_t* monitor151);
void cancelBulkCapture();
// Feeds one byte to an active capture. Returns true when the byte ended the
// capture (complete, failed or cancelled): the caller stops reading the ring.
// 'alsoFrame' tells whether the byte goes on into frame parsing.
bool bulkCaptureByte(uint8_t byte, bool& alsoFrame);

}  // namespace q3
