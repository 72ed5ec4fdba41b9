// ProtocolEngine: the protocol engine object the main window owns. It carries the
// port records (PortManager), the engine state (LinkEngine) and the port search
// (PortSearch); constructing it starts the engine thread, destroying it
// requests close of every port and stops the threads.
//
// Use from the user-interface thread:
//   if (auto d = com.draft()) { d->tx()[...] = ...; d->start(kJobWrite, 0, 1050, kJobFlagPending);
//   }
//   ... each supervisor run: com.watchdogRun(); ...
//   if (auto e = com.end()) { read e->rx(); com.acknowledge(); }
//
// PortSearch (link/port_search.h) derives publicly from LinkEngine and offers
// `void searchRun();`; on accepting a unit it fills `conn` (ConnectionRecord,
// with the slot's receiver context) and then sets `connectedPort` (release).
#pragma once

#include "link/port_search.h"

namespace q3 {

class ProtocolEngine : public PortSearch {
 public:
  // clock: the run's time base and stop flag. startThread false leaves the
  // engine thread to the caller (tests).
  explicit ProtocolEngine(const AppClock& clock, bool startThread = true);
  ~ProtocolEngine() override;

  // Watchdog run (user-interface thread, first thing of every supervisor run):
  // the port search, then the engine's step supervision.
  void watchdogRun();
  // The protocol of the connected unit (0 when none).
  int protocol() const { return conn.rx.protocol; }
};

}  // namespace q3
