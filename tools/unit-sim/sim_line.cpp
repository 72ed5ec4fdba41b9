// The simulated unit's line timing.
#include "sim_line.h"

#include <algorithm>

namespace q3sim {

SimLine::SimLine(SimUnit& unit, int baud, bool pace, int delayMs)
    : m_unit(unit), m_baud(baud), m_byteUs(pace ? int64_t(10e6 / baud) : 0), m_delayMs(delayMs) {}

void SimLine::fromProgram(const uint8_t* data, int n, int64_t nowUs, bool atUnitRate) {
  // Sent at another line rate, the bytes never reach the unit intact.
  if (!atUnitRate) return;
  // Bytes reach the unit at the line rate: each takes 10 bit times.
  for (int k = 0; k < n; ++k) {
    m_inFree = std::max(m_inFree, nowUs) + m_byteUs;
    m_inbound.push_back({m_inFree, data[k]});
  }
}

void SimLine::step(int64_t nowUs, std::vector<uint8_t>& toProgram, size_t max) {
  m_answer.clear();
  while (!m_inbound.empty() && m_inbound.front().at <= nowUs) {
    const uint8_t b = m_inbound.front().b;
    const int64_t at = m_inbound.front().at;
    m_inbound.pop_front();
    m_unit.receive(&b, 1, at / 1000, m_answer);
  }
  const int64_t sendAt = nowUs + int64_t(m_delayMs) * 1000;
  for (uint8_t b : m_answer) {
    m_outFree = std::max(m_outFree, sendAt) + m_byteUs;
    m_outbound.push_back({m_outFree, b});
  }
  size_t m = 0;
  while (!m_outbound.empty() && m_outbound.front().at <= nowUs && m < max) {
    toProgram.push_back(m_outbound.front().b);
    m_outbound.pop_front();
    ++m;
  }
}

void SimLine::putBack(const uint8_t* data, int n, int64_t nowUs) {
  for (int k = n - 1; k >= 0; --k) m_outbound.push_front({nowUs, data[k]});
}

}  // namespace q3sim
