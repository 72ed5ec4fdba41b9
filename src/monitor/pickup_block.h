// The pickup monitor's raw data: the 32-bit samples the unit records of its
// trigger signals and ignition outputs, one sample block as it arrived behind a
// monitor answer (block state, period selector, samples), and the ring of
// 10000 samples that blocks are handed over into and the analysis reads from.
//
// A sample, little-endian on the line:
//   bits 0..23   time stamp in 0.4 us ticks, wrapping at 2^24
//   bits 24..25  phase field; every change of it marks one ignition period
//   bit 26       level of signal 1 ("Curve 1")
//   bit 27       level of signal 2 ("Curve 2")
//   bits 28..31  ignition outputs 1..4 fired at this sample
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace q3 {

inline constexpr int kPickupRingSize = 10000;
inline constexpr uint32_t kPickupTimeMask = 0xFFFFFF;
inline constexpr int64_t kPickupTimeWrap = int64_t(1) << 24;
inline constexpr double kPickupTickSeconds = 0.4e-6;
// The largest block the capture takes (15000 bytes).
inline constexpr int kPickupMaxSamples = 15000 / 4;

inline uint32_t sampleTime(uint32_t s) { return s & kPickupTimeMask; }
inline int samplePhase(uint32_t s) { return int((s >> 24) & 3); }
// The sample's bits 24..31 as an event's flag byte.
inline uint32_t sampleFlags(uint32_t s) { return s >> 24; }

// Block state sent with every block.
enum class PickupBlockState : uint8_t { None = 0, Synchronised = 1, NotSynchronised = 2 };

// The ignition period P in degrees for the period selector: 0 -> 720,
// 1 -> 360, 2 -> 180, 3 -> 120, anything else -> 360.
int pickupPeriodDegrees(int selector);

// One block as the unit sent it.
struct PickupBlock {
  uint8_t state = 0;     // 1 synchronised, 2 not (anything else counts as not)
  uint8_t selector = 1;  // period selector
  // The engine speed of the monitor answer that announced the block (0: not known).
  int monitorRpm = 0;
  std::vector<uint32_t> samples;

  bool synchronised() const { return state == uint8_t(PickupBlockState::Synchronised); }
};

// The samples of a block of raw bytes: length / 4 little-endian words; a
// trailing part of a word is ignored, and at most kPickupMaxSamples are taken.
std::vector<uint32_t> decodePickupSamples(std::span<const uint8_t> bytes);

// The ring the blocks go into. The analysis reads from the read index up to
// the write index; handing a block over moves the read index to the write
// index first, so only the newest block is analysed.
class PickupRing {
 public:
  // Appends a block: read index = write index, then every sample at the write
  // index; when the write index catches up with the read index the oldest
  // sample is dropped (the read index advances).
  void append(std::span<const uint32_t> samples);
  int readIndex() const { return m_read; }
  int writeIndex() const { return m_write; }
  // Samples waiting between read and write index.
  int pending() const { return (m_write - m_read + kPickupRingSize) % kPickupRingSize; }
  // The i-th waiting sample (0 <= i < pending()).
  uint32_t pendingAt(int i) const { return m_buf[size_t((m_read + i) % kPickupRingSize)]; }
  void markRead() { m_read = m_write; }
  void clear() { m_read = m_write = 0; }

 private:
  std::array<uint32_t, kPickupRingSize> m_buf{};
  int m_read = 0;
  int m_write = 0;
};

}  // namespace q3
