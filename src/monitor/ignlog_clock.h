// The clocks of recording and playback: a monotonic millisecond count for
// record times and the playback pace, and the wall clock for the start time
// a file carries. Tests give a clock they move by hand.
#pragma once

#include <chrono>
#include <cstdint>

namespace q3 {

class IgnlogClock {
 public:
  virtual ~IgnlogClock() = default;
  virtual int64_t nowMs() const = 0;        // monotonic milliseconds
  virtual int64_t unixSeconds() const = 0;  // seconds since 1970-01-01 UTC
};

class SystemIgnlogClock : public IgnlogClock {
 public:
  int64_t nowMs() const override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  int64_t unixSeconds() const override {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
  }
};

}  // namespace q3
