// The simulated unit on its line: bytes reach the unit, and its answers leave
// it, at the line rate (ten bit times a byte), the answers optionally late by
// a fixed delay; bytes sent at another line rate never reach it intact. The
// quelin3-unit-sim program runs it over a pseudo-terminal on the wall clock;
// in-process tests run it over an in-memory line on a virtual clock.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "sim_unit.h"

namespace q3sim {

class SimLine {
 public:
  // baud: the unit's line rate; pace false: bytes take no time on the line;
  // delayMs: every answer leaves this much later.
  SimLine(SimUnit& unit, int baud, bool pace = true, int delayMs = 0);

  int baud() const { return m_baud; }

  // Bytes the program sent, seen on the line at nowUs (microseconds of any
  // monotonic clock). atUnitRate false: they were sent at another line rate
  // and are lost.
  void fromProgram(const uint8_t* data, int n, int64_t nowUs, bool atUnitRate = true);

  // Moves the line on to nowUs: the unit takes every byte that has reached
  // it by then, and the bytes whose time to leave has come (at most max) are
  // appended to toProgram.
  void step(int64_t nowUs, std::vector<uint8_t>& toProgram, size_t max = SIZE_MAX);

  // Bytes step() handed out that could not be delivered go back to the front,
  // due at nowUs.
  void putBack(const uint8_t* data, int n, int64_t nowUs);

  // Nothing on the way in either direction.
  bool idle() const { return m_inbound.empty() && m_outbound.empty(); }

 private:
  struct Timed {
    int64_t at;
    uint8_t b;
  };
  SimUnit& m_unit;
  int m_baud;
  int64_t m_byteUs;
  int m_delayMs;
  std::deque<Timed> m_inbound, m_outbound;
  int64_t m_inFree = 0, m_outFree = 0;
  std::vector<uint8_t> m_answer;
};

}  // namespace q3sim
