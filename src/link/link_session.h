// LinkSession: the one owner of a link — the engine object with its search,
// port threads, pickup capture and supervisor period mask, the connection
// supervisor and the status-slot view of its events. The window's link
// feature and the command-line tool each own one; benchmarks and end-to-end
// tests too. The time base is the caller's AppClock: the window's main loop
// advances it, or tick() does for drivers without a window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/app_clock.h"
#include "base/event.h"
#include "base/start_options.h"
#include "link/operation_status.h"
#include "link/port_scan.h"
#include "link/protocol_engine.h"
#include "link/serial_device.h"
#include "link/supervisor.h"
#include "text/user_dialogs.h"

namespace q3 {

class ParamModel;

// How a console driver's ticks keep time (LinkSession::runUntil). The
// program's pace is the wall clock; a test's virtual pace moves to each
// moment at once, so a minute of link time costs milliseconds.
class LinkPace {
 public:
  virtual ~LinkPace() = default;
  // Now, in microseconds of a monotonic clock.
  virtual int64_t nowUs() = 0;
  // Returns once nowUs() has reached us.
  virtual void sleepUntilUs(int64_t us) = 0;
};

// The wall clock: steady_clock, and the calling thread sleeps.
LinkPace& wallClockPace();

// Where a session's ports come from and who runs its engine and ports. The
// defaults are the program's: the system's serial ports, the engine and port
// threads, the wall clock. Without threads the session runs the engine passes
// and port steps itself while runUntil() waits, one round per millisecond of
// its pace (tests: in-memory lines on a virtual pace, no thread at all).
struct LinkSetup {
  DeviceFactory devices;        // empty: the real serial ports
  PortNumbering::Lister ports;  // empty: the system's port list
  bool threads = true;          // false: no engine thread, no port threads
  LinkPace* pace = nullptr;     // nullptr: wallClockPace()
};

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
  // dialogs: where the supervisor tells and asks the user; status: the
  // status slots the view writes to (nullptr: no view); options:
  // the program's start options (extra devices, the data folder's ports.ini).
  // setup: where the ports come from and how the session is run (the
  // defaults are the program's).
  LinkSession(ParamModel& model, AppClock& clock, UserDialogs& dialogs, StatusSink* status,
              const StartOptions& options = {}, const LinkSetup& setup = {});
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
  // Ticks in step with the pace (the wall clock unless the setup gave
  // another) until pred holds or timeoutMs passed.
  bool runUntil(const std::function<bool()>& pred, int timeoutMs);
  int ticks() const { return m_ticks; }

 private:
  // Waits until the pace reaches us; without threads, runs the port steps and
  // engine passes of the time waited.
  void waitUntil(int64_t us);

  AppClock& m_clock;
  LinkPace& m_pace;
  bool m_threads = true;
  std::unique_ptr<ProtocolEngine> m_com;
  std::unique_ptr<ConnectionSupervisor> m_sup;
  std::unique_ptr<OperationStatusView> m_view;
  Event<const FoundUnit&> m_unitFound;
  int m_ticks = 0;
};

}  // namespace q3
