// The program's time base TMR (tick counter x 50, nominal milliseconds) and
// the stop flag of one run of the workers. One AppClock belongs to whoever
// drives the main loop (the window's AppCore, the command-line tool's link
// session, a test) and is handed to the link objects that read it; there is
// no process-wide time base.
//
// TMR is written by the driving (user-interface) thread only and read by the
// engine and port threads, so both fields are atomics (release on write,
// acquire on read).
#pragma once

#include <atomic>
#include <cstdint>

namespace q3 {

class AppClock {
 public:
  int32_t tmr() const { return m_tmr.load(std::memory_order_acquire); }
  void setTmr(int32_t v) { m_tmr.store(v, std::memory_order_release); }
  void advance(int32_t ms) { setTmr(tmr() + ms); }

  // Every worker of this run (engine thread, port threads) ends when it sees
  // the flag; the owner raises it when the run ends.
  bool stopRequested() const { return m_stop.load(std::memory_order_acquire); }
  void requestStop() { m_stop.store(true, std::memory_order_release); }

 private:
  std::atomic<int32_t> m_tmr{0};
  std::atomic<bool> m_stop{false};
};

}  // namespace q3
