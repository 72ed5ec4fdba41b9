// Pickup samples, blocks and the sample ring.
#include "monitor/pickup_block.h"

#include <algorithm>

namespace q3 {

int pickupPeriodDegrees(int selector) {
  switch (selector) {
    case 0:
      return 720;
    case 2:
      return 180;
    case 3:
      return 120;
    default:
      return 360;
  }
}

std::vector<uint32_t> decodePickupSamples(std::span<const uint8_t> bytes) {
  const size_t n = std::min<size_t>(bytes.size() / 4, kPickupMaxSamples);
  std::vector<uint32_t> out(n);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t* b = bytes.data() + 4 * i;
    out[i] = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  }
  return out;
}

void PickupRing::append(std::span<const uint32_t> samples) {
  m_read = m_write;
  for (uint32_t s : samples) {
    m_buf[size_t(m_write)] = s;
    m_write = (m_write + 1) % kPickupRingSize;
    if (m_write == m_read) m_read = (m_read + 1) % kPickupRingSize;
  }
}

}  // namespace q3
