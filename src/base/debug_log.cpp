// The debug log sink: off until opened; one line per call with the local time
// (hundredths of a second) and the engine's pass counter.
#include "base/debug_log.h"

#include <atomic>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace q3 {

namespace {
std::atomic<std::FILE*> g_sink{nullptr};
std::atomic<int> g_passes{0};
// Serialises whole lines; the engine and the user-interface thread both write.
std::mutex g_writeMutex;

void writeLine(const char* text) {
  std::lock_guard<std::mutex> lock(g_writeMutex);
  if (std::FILE* f = g_sink.load(std::memory_order_acquire)) {
    std::fputs(text, f);
    std::fflush(f);
  }
}
}  // namespace

bool debugLogOpen(const char* path) {
  std::FILE* f = std::fopen(path, "a");
  if (!f) return false;
  std::lock_guard<std::mutex> lock(g_writeMutex);
  if (std::FILE* old = g_sink.exchange(f, std::memory_order_acq_rel)) std::fclose(old);
  return true;
}

void debugLogClose() {
  std::lock_guard<std::mutex> lock(g_writeMutex);
  if (std::FILE* old = g_sink.exchange(nullptr, std::memory_order_acq_rel)) std::fclose(old);
}

bool debugLogActive() { return g_sink.load(std::memory_order_acquire) != nullptr; }

std::string formatDebugLine(int hour, int minute, double seconds, int passes, const char* text) {
  char buf[1200];
  std::snprintf(buf, sizeof buf, "%02i:%02i:%05.2f:   (%i) %s\n", hour, minute, seconds, passes,
                text);
  return buf;
}

void debugLog(const char* fmt, ...) {
  if (!debugLogActive()) return;
  char text[1024];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm lt{};
  localtime_r(&ts.tv_sec, &lt);
  double seconds = lt.tm_sec + ts.tv_nsec / 1e9;
  // Hundredths are cut, not rounded, so 59.999 never shows as 60.00.
  seconds = static_cast<long>(seconds * 100) / 100.0;
  writeLine(formatDebugLine(lt.tm_hour, lt.tm_min, seconds,
                            g_passes.load(std::memory_order_relaxed), text)
                .c_str());
}

void traceLog(const char* fmt, ...) {
  if (!debugLogActive()) return;
  char text[1024];
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  writeLine(text);
}

void setDebugPassCounter(int passes) { g_passes.store(passes, std::memory_order_relaxed); }

}  // namespace q3
