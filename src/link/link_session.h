// A console driver of the link: the engine object, the connection supervisor
// and a time base that advances 50 ms per tick in step with the wall clock,
// for the command-line tool, benchmarks and end-to-end tests that have no
// main window. The window drives the same supervisor from its own timer.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "link/ccomcom.h"
#include "link/supervisor.h"

namespace q3 {

class ParamModel;

class LinkSession {
 public:
  LinkSession(ParamModel& model, StatusSink* status);
  ~LinkSession();

  CCOMCOM& com() { return *m_com; }
  ConnectionSupervisor& supervisor() { return *m_sup; }

  // Restricts the search to one port: a COM number, or a device path that is
  // added to the port list (returns false when the path is not a present port).
  void usePort(int port);
  bool useDevice(const std::string& path);

  // One tick: TMR += 50 ms, the supervisor on every second tick.
  void tick();
  // Ticks in step with the wall clock until pred holds or timeoutMs passed.
  bool runUntil(const std::function<bool()>& pred, int timeoutMs);
  int ticks() const { return m_ticks; }

 private:
  std::unique_ptr<CCOMCOM> m_com;
  std::unique_ptr<ConnectionSupervisor> m_sup;
  int m_ticks = 0;
  int64_t m_startUs = -1;
};

}  // namespace q3
