// CCOMCOM: the engine object with its thread and the watchdog run.
#include "link/ccomcom.h"

namespace q3 {

CCOMCOM::CCOMCOM(const AppClock& clock, bool startThread) : CCOMSEARCH(clock) {
  if (startThread) startEngineThread();
}

CCOMCOM::~CCOMCOM() {
  closeAll();
  stopEngineThread();
}

void CCOMCOM::watchdogRun() {
  searchRun();
  watchdogStep();
}

}  // namespace q3
