// Debug log sink (first cut: off).
#include "shell/core/debug_log.h"

namespace q3 {
bool debugLogOpen(const char*) { return false; }
void debugLogClose() {}
bool debugLogActive() { return false; }
void debugLog(const char*, ...) {}
void traceLog(const char*, ...) {}
void setDebugPassCounter(int) {}
}  // namespace q3
