// LinkSession: the one owner of a link — the engine object with its search,
// port threads, pickup capture and supervisor period mask, the connection
// supervisor and the status-slot view of its events. The window's link
// feature and the command-line tool each own one; benchmarks and end-to-end
// tests too. The time base is the caller's AppClock: the window's main loop
// advances it, or tick() does for drivers without a window.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/app_clock.h"
#include "base/start_options.h"
#include "link/operation_status.h"
#include "link/protocol_engine.h"
#include "link/supervisor.h"

namespace q3 {

class ParamModel;

class LinkSession {
 public:
  // status: the status slots the view writes to (nullptr: no view); options:
  // the program's start options (extra devices, the data folder's ports.ini).
  LinkSession(ParamModel& model, AppClock& clock, StatusSink* status,
              const StartOptions& options = {});
  ~LinkSession();
  LinkSession(const LinkSession&) = delete;
  LinkSession& operator=(const LinkSession&) = delete;

  ProtocolEngine& com() { return *m_com; }
  ConnectionSupervisor& supervisor() { return *m_sup; }
  LinkEvents& events() { return m_sup->events(); }
  OperationStatusView* statusView() { return m_view.get(); }
  AppClock& clock() { return m_clock; }

  // Restricts the search to one port: a COM number, or a device path that is
  // added to the port list (returns false when the path is not a present port).
  void usePort(int port);
  bool useDevice(const std::string& path);

  // The supervisor's turn in the main loop's tick tickCounter: it runs when
  // the counter ANDed with the period mask (1, 3 or 7) is 0.
  void supervisorTurn(int32_t tickCounter);
  int supervisorMask() const { return m_com->capture().supervisorMask(); }
  void setSupervisorMask(int mask) { m_com->capture().setSupervisorMask(mask); }

  // Console drivers: one tick (TMR += 50 ms, then the supervisor's turn).
  void tick();
  // Ticks in step with the wall clock until pred holds or timeoutMs passed.
  bool runUntil(const std::function<bool()>& pred, int timeoutMs);
  int ticks() const { return m_ticks; }

 private:
  AppClock& m_clock;
  std::unique_ptr<ProtocolEngine> m_com;
  std::unique_ptr<ConnectionSupervisor> m_sup;
  std::unique_ptr<OperationStatusView> m_view;
  int m_ticks = 0;
  int64_t m_startUs = -1;
};

}  // namespace q3
