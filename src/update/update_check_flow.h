// The course of one run's update check, without widgets: once per run,
// shortly after start-up, it asks the server (the tick step), and on a later
// tick it offers what came back (the update window) and carries out the
// user's choice. The window's update feature drives it and supplies the steps
// that need the window through hooks.
//
//   state Idle -> Requested (tick, TMR > 2000, not suppressed)
//         -> AnswerReady (the check's result arrived from the event loop)
//         -> Handled (tick: offered or not; the "Trying updates..." note is
//            cleared whatever the result)
//   stop() (window closing) ends a running request and leaves state Stopped.
#pragma once

#include <QUrl>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "text/user_dialogs.h"
#include "update/update_check.h"

namespace q3 {

inline constexpr int kUpdateStartAfterMs = 2000;
inline constexpr const char* kTryingUpdatesText = "###Trying updates...####Zjišťuji aktualizace...";

enum class UpdateChoice {
  Download,     // "Download update"
  RemindLater,  // "Cancel (remind later)"
  DontRemind,   // "Cancel (don't remind this update)"
};

struct UpdateCheckFlowHooks {
  // Status panel 0: a multi-language text, or nullptr to clear it.
  std::function<void(const char* mtext)> statusNote;
  // Shows the update window modally and returns the user's choice.
  std::function<UpdateChoice(const PatchOffer&)> showOffer;
  // Opens a link with the desktop's handler; false when that failed (the
  // opener has then told the user).
  std::function<bool(const QUrl&)> openLink;
  // True while the unit is being read, verified or programmed: the program
  // must not close under it.
  std::function<bool()> unitJobRunning;
  // Closes the main window (after a download was started).
  std::function<void()> closeProgram;
  // Keeps the declined update number in the settings and saves them.
  std::function<void(int number)> keepDeclined;
  // Where the note after a started download is told; none: nothing is told.
  UserDialogs* dialogs = nullptr;
};

struct UpdateCheckFlowConfig {
  QUrl server;
  std::string buildDate;
  int declinedNumber = 0;   // from the settings
  bool suppressed = false;  // command-line argument "nopatchcheck"
  int startAfterMs = kUpdateStartAfterMs;
  int connectLimitMs = kUpdateConnectLimitMs;
  int timeLimitMs = kUpdateTimeLimitMs;
};

class UpdateCheckFlow {
 public:
  enum class State { Idle, Requested, AnswerReady, Handled, Stopped };

  UpdateCheckFlow(UpdateCheckFlowConfig config, UpdateCheckFlowHooks hooks);
  ~UpdateCheckFlow();

  // The tick step; tmr is the program's time base.
  void tick(int32_t tmr);
  // Window closing: ends a running request; no offer is shown afterwards.
  void stop();

  State state() const { return m_state; }
  int declinedNumber() const { return m_config.declinedNumber; }
  // The result of this run's check, once it has arrived.
  const std::optional<UpdateCheckResult>& result() const { return m_result; }

 private:
  void request();
  void handle();
  void download(const PatchOffer& offer);
  void note(const char* mtext);

  UpdateCheckFlowConfig m_config;
  UpdateCheckFlowHooks m_hooks;
  State m_state = State::Idle;
  bool m_noteShown = false;
  UpdateCheckRequest m_request;
  std::unique_ptr<UpdateCheck> m_check;
  std::optional<UpdateCheckResult> m_result;
};

}  // namespace q3
