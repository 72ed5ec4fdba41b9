// ProtocolEngine: the engine object with its thread and the watchdog run.
#include "link/protocol_engine.h"

namespace q3 {

ProtocolEngine::ProtocolEngine(const AppClock& clock, bool startThread) : PortSearch(clock) {
  if (startThread) startEngineThread();
}

ProtocolEngine::~ProtocolEngine() {
  closeAll();
  stopEngineThread();
}

void ProtocolEngine::watchdogRun() {
  searchRun();
  watchdogStep();
}

}  // namespace q3
