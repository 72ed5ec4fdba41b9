// The program's time base TMR (tick counter x 50, nominal milliseconds) and
// the global stop flag. TMR is written by the user-interface thread only and
// read by the engine and port threads.
#pragma once

#include <atomic>
#include <cstdint>

namespace q3 {

inline std::atomic<int32_t> g_tmr{0};
inline std::atomic<bool> g_stop{false};
// The supervisor period mask (1, 3 or 7): the supervisor runs on ticks whose
// counter ANDed with it is 0. The main loop resets it; the link's bulk
// capture widens it from the engine thread after a failed block check.
inline std::atomic<int> g_supervisorMask{1};

inline int32_t tmr() { return g_tmr.load(std::memory_order_acquire); }
inline void setTmr(int32_t v) { g_tmr.store(v, std::memory_order_release); }
inline bool stopRequested() { return g_stop.load(std::memory_order_acquire); }
inline void requestStop() { g_stop.store(true, std::memory_order_release); }
// Lowers the flag for a new run of the workers (a new main window in the same
// process, as in tests); only call it when no worker of an earlier run is left.
inline void clearStop() { g_stop.store(false, std::memory_order_release); }

}  // namespace q3
