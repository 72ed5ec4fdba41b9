// The live monitor without widgets: the monitor refresh after every monitor
// answer and every played record, the test buttons, and the "Monitor player"
// group (recording and playback). The window's monitor feature
// (shell/ui/monitor_feature.cpp) gives it a MonitorWindow (its controls,
// dialogs and pages), forwards the clicks and runs its steps: the start-up
// steps RefreshMonitor and InitRecorderPlayer, the tick phase PlayerStep and
// the closing step StopRecordingAndPlayback.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/event.h"
#include "base/feature.h"
#include "base/status_sink.h"
#include "files/ign_writer.h"
#include "link/unit_texts.h"
#include "monitor/monitor_model.h"
#include "monitor/monitor_test_buttons.h"
#include "monitor/player_group.h"
#include "text/user_dialogs.h"

namespace q3 {

// What the monitor needs of the link's ports, as values asked when needed.
struct LinkPortFacts {
  bool anyPortOpen = false;
  int connectedPort = 0;
};
class ConnectionSupervisor;

// What the feature needs of the window.
class MonitorWindow {
 public:
  virtual ~MonitorWindow() = default;
  // Pages and map editors, for playback and the page state of recordings
  // (as PlaybackHost has them).
  virtual int activePage() const = 0;
  virtual void showPage(int page) = 0;
  virtual void reloadActivePage() = 0;
  virtual std::vector<PlaybackHost::Editor> mapEditors() const { return {}; }
  virtual void showSheet(int /*editor*/, int /*sheet*/) {}
  // The display values of the last refresh (the widget layer shows them).
  virtual void showMonitor(const std::vector<DisplayValue>& values) = 0;
  // The player group's buttons, bar and labels.
  virtual void showPlayer(const PlayerDisplay& d) = 0;
  // The save dialog of Record and the open dialog of Play (filter
  // "*.ignlog"); an empty path when cancelled.
  virtual std::string askRecordPath() = 0;
  virtual std::string askPlayPath() = 0;
  // Inputs of the refresh that belong to other features.
  virtual std::array<bool, 12> functionFlags() const { return {}; }
  virtual std::array<bool, 5> propSigned() const { return {}; }
  virtual bool serviceMode() const { return false; }
  // Up to four screens: left, width, top, height each (for the file header).
  virtual std::array<int16_t, 16> screens() const { return {}; }
};

struct LiveMonitorContext {
  ParamModel& model;
  MonitorWindow& window;
  const IgnlogClock& clock;
  // The message boxes (a recording that cannot be written or read).
  UserDialogs& dialogs;
  // The link while it exists (made at CreateProtocolEngine): its supervisor
  // (events, state, unit texts) and what its ports are now.
  std::function<ConnectionSupervisor*()> supervisor;
  std::function<LinkPortFacts()> ports;
  // Slot 2 notes (a recording that goes on in a new file); may be null.
  StatusSink* status = nullptr;
};

class LiveMonitor {
 public:
  explicit LiveMonitor(LiveMonitorContext ctx);
  ~LiveMonitor();

  void startup(StartupStep step);
  void tick(TickPhase phase, int32_t tickCounter);
  void close(CloseStep step);

  // --- the window's controls ---
  void recordClicked();
  void playClicked();
  void pauseClicked();
  void stopClicked();
  void positionMoved(int position);  // ScrollBarPlay moved by the user
  void setPlaybackSpeed(double speed);
  void testButtonClicked(TestButton b);
  // The general refresh's last step, a language change, a CheckBoxPropMon click.
  void refresh(RefreshCause cause);
  // An edit of the image became an undo step (WindowEvents::imageChanged):
  // written into a running recording.
  void imageChanged();
  // The page or a map editor's sheet changed: written into a running recording.
  void pageStateChanged();
  // Writes a recording's monitor records as CSV; false with why.
  bool exportCsv(const std::string& ignlogPath, const std::string& csvPath, std::string* why);

  // --- for the supervisor's host and other features ---
  // Player playing or paused: the supervisor leaves monitor answers alone,
  // Read, Verify and Program are disabled.
  bool playbackRunning() const { return m_group.playbackRunning(); }
  // The test-command bits for the monitor request being built (then cleared).
  std::array<uint8_t, 3> takeTestBits() { return m_tests.take(); }
  bool testButtonsEnabled() const;
  // The VERSIONS line and calibration values of a settings file saved now.
  IgnWriteInfo ignWriteInfo() const;

  const MonitorModel& monitor() const { return m_monitor; }
  const MonitorLive& live() const { return m_monitor.live(); }
  PlayerGroup& player() { return m_group; }
  const TestCommands& testCommands() const { return m_tests; }
  // After every refresh, with the live values.
  Event<const MonitorLive&> refreshed;

 private:
  class Playback;
  void attachLink();
  void detachLink();
  bool unitConnected() const;
  void onMonitorAnswer();
  PageState currentPageState() const;
  RecordingStart recordingStart() const;
  void showPlayer();
  void note(const std::string& mtext, Colour back);

  LiveMonitorContext m_ctx;
  std::unique_ptr<Playback> m_playback;
  MonitorModel m_monitor;
  TestCommands m_tests;
  PlayerGroup m_group;
  PlayerDisplay m_shownPlayer;
  bool m_playerShown = false;
  ConnectionSupervisor* m_sup = nullptr;
  std::vector<Event<>::Subscription> m_plain;
  Event<std::span<const uint8_t>>::Subscription m_answer;
  Event<const UnitTexts&>::Subscription m_connected;
  Event<PlayerState>::Subscription m_stateChange;
};

}  // namespace q3
