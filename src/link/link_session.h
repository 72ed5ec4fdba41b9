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
#include <vector>

#include "base/app_clock.h"
#include "base/event.h"
#include "base/start_options.h"
#include "link/operation_status.h"
#include "link/protocol_engine.h"
#include "link/supervisor.h"

namespace q3 {

class ParamModel;

// One COM port as the session's users see it: a value, taken when asked.
struct PortState {
  int port = 0;                                 // the COM number (0: no such number)
  std::string devicePath;                       // the device behind it (empty: none known)
  bool present = false;                         // the device is there now
  bool open = false;                            // the program has it open
  OpenFailure openFailure = OpenFailure::None;  // why the last open failed
};

class LinkSession {
 public:
  // status: the status slots the view writes to (nullptr: no view); options:
  // the program's start options (extra devices, the data folder's ports.ini).
  LinkSession(ParamModel& model, AppClock& clock, StatusSink* status,
              const StartOptions& options = {});
  ~LinkSession();
  LinkSession(const LinkSession&) = delete;
  LinkSession& operator=(const LinkSession&) = delete;

  // The engine itself, for the link's own tests and benchmarks; the window
  // and the tool use the calls below.
  ProtocolEngine& com() { return *m_com; }
  ConnectionSupervisor& supervisor() { return *m_sup; }

  // --- ports, as values ---
  // The state of COM port (1..255); a number outside gives an empty state.
  PortState portState(int port) const;
  // Whether the port list has been scanned at least once.
  bool portsScanned() const;
  // Every port whose device is there now, by number.
  std::vector<PortState> presentPorts() const;
  // The COM number of the connected unit (0: none).
  int connectedPort() const;
  // The port selection: -1 off, 0 automatic, 1..255 that port only; a value
  // outside is taken as automatic.
  void selectPorts(int selection);
  int portSelection() const;
  // Where the automatic search starts (the stored hint), and where it would
  // start now.
  void setNextPortHint(int port);
  int nextPortHint() const;
  // The program key the search and the monitor exchange send.
  void setProgramKey(int major, int minor);
  // True once after the port list changed (a device came or went).
  bool takePortListChanged();
  // Every unit the search identifies, compatible or not.
  Event<const FoundUnit&>& unitFound() { return m_unitFound; }
  // Listing only: every unit found is reported and let go; none is connected.
  void setListOnly(bool on);
  // Asks every port to close (the window's closing).
  void closeAllPorts();
  // Whether the program holds any port open now.
  bool anyPortOpen() const;
  // Fills the search's probe table afresh (start-up).
  void resetProbeTable();

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
  Event<const FoundUnit&> m_unitFound;
  int m_ticks = 0;
  int64_t m_startUs = -1;
};

}  // namespace q3
