// The debug log: a time-stamped trace of the link and the start-up. Off until
// a sink is opened (the program opens the file named by QUELIN3_DEBUG_LOG);
// while off every call returns at once. Each call writes one whole line.
#pragma once

#include <cstdarg>
#include <string>

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
// One debug line as it is written (exposed so its format can be checked).
std::string formatDebugLine(int hour, int minute, double seconds, int passes, const char* text);

}  // namespace q3
