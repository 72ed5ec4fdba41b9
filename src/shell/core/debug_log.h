// The debug log: a time-stamped trace of the link and the start-up. Off until
// a sink is opened; while off every call returns at once.
#pragma once

#include <cstdarg>

namespace q3 {

bool debugLogOpen(const char* path);  // opens (appends to) the sink; false when it cannot
void debugLogClose();
bool debugLogActive();
// One line "%02i:%02i:%05.2f:   (%i) %s\n" with the engine pass counter.
void debugLog(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// A trace line of the port threads: written as it is, no time prefix.
void traceLog(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// The engine thread's pass counter shown in every debug line.
void setDebugPassCounter(int passes);

}  // namespace q3
