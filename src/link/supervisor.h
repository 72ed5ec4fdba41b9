// The connection supervisor: everything the program does with a connected
// unit. A state machine over numbered steps, run from the main timer: it
// notices a new connection, checks the unit's identity and version, reads the
// parameter block twice and compares it, polls the monitor block, and carries
// out Read, Verify, Program and Reset. It starts one engine job at a time and
// acts on its end. What each step does and where it goes next stands in one
// table (supervisor_steps.cpp). A core object: it reports through its events
// (link/link_events.h) and ends every operation in an OperationResult; it
// asks its owner only what the SupervisorHost offers.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "base/app_clock.h"
#include "link/link_events.h"
#include "link/unit_texts.h"
#include "text/user_dialogs.h"

namespace q3 {

class ProtocolEngine;
class ParamModel;
class ParamImage;

// Supervisor steps and requests.
enum SupervisorStep : int32_t {
  kSupNoUnit = 0,
  kSupIdle = 1,
  kSupPoll = 2,
  kSupCheckPoll = 29,
  kSupCheckRead1 = 30,
  kSupCheckRead2 = 31,
  kSupIdent1 = 32,
  kSupIdent2 = 33,
  kSupQuarterRead1 = 48,  // 48..51: first read of quarter 0..3
  kSupQuarterPoll1 = 52,  // 52..55: poll before the first read of quarter 0..3
  kSupQuarterRead2 = 56,  // 56..59: second read of quarter 0..3
  kSupQuarterPoll2 = 60,  // 60..63: poll before the second read of quarter 0..3
  kSupRead1 = 64,
  kSupRead2 = 65,
  kSupVerify = 80,
  kSupProgIdent1 = 96,
  kSupProgIdent2 = 97,
  kSupProgWrite = 98,
  kSupProgVerify = 99,
  kSupReset = 128,
  kSupResetRelease = 129,
};

// Codes of the port-release notification of the bootloader tool.
inline constexpr int32_t kReleaseNow = 0x7FFFFFA1;
inline constexpr int32_t kResetAndRelease = 0x7FFFFFA2;
inline constexpr int32_t kTakeBack = 0x7FFFFFA4;

inline constexpr int kSavingScale = 2100;  // the unit's storing work at its start
inline constexpr int kCheckScale = 2400;   // progress scale of the whole connection check

// Address range of quarter q (0..3) of the parameter block, in whole 150-byte blocks.
struct AddressRange {
  int start;
  int end;
};
AddressRange quarterRange(int q);

// What the supervisor asks of its owner. Every entry is optional.
struct SupervisorHost {
  std::function<void()> storeActivePage;  // the active page's controls into the image
  std::function<int()> activePage;        // for the undo snapshot
  std::function<void()> clearLoadedFile;  // Read: the image no longer comes from a file
  std::function<bool()> newInstallation;  // NEWINSTAL
  std::function<void()> clearNewInstallationAndSave;
  std::function<bool()> playbackRunning;  // player playing or paused in playback
  std::function<bool()> pickupRequest;    // pickup monitor visible and not paused
  std::function<bool()> serviceMode;
  // The test-command bits of the test buttons for the monitor request being
  // built (request bytes 20, 21, 22); the host clears them as it hands them
  // over, so each click is sent once.
  std::function<std::array<uint8_t, 3>()> testBits;
  // Keeps the unit's settings as the connection check read them, before the
  // first write of a connection; false stops the programming (the settings
  // could not be kept). Given the unit image and the unit's texts.
  std::function<bool(const ParamImage& unitImage, const UnitTexts& unit)> backupBeforeWrite;
};

class ConnectionSupervisor {
 public:
  // dialogs: where the version warning, the first-run notice and the
  // other-bike question go.
  ConnectionSupervisor(ProtocolEngine& com, ParamModel& model, const AppClock& clock,
                       UserDialogs& dialogs);

  void setHost(SupervisorHost h) { m_host = std::move(h); }
  LinkEvents& events() { return m_events; }

  // One supervisor run (the main loop calls it on the ticks its mask allows).
  void run();

  // --- commands ---
  bool connected() const;
  void requestRead();    // 64, only while a unit is connected
  void requestVerify();  // 80
  // 96 after the program-command checks; all = false programs only the marked
  // bytes. False when the checks refused it (a question answered No, a new
  // installation).
  bool requestProgram(bool all = true);
  void requestProgramChanged();  // 98: only the bytes with a change mark
  void requestReset();           // 128
  void disconnect();
  // The bootloader tool's notification: releases or takes back a port.
  void portMessage(int port, int32_t code);
  void releasePort();
  void takePortBack();

  // --- state (read by the window, the command-line tool and tests) ---
  int32_t step() const { return m_step; }
  int32_t pendingRequest() const { return m_request; }
  // 0 not connected, 1 versions differ, 2 versions match (from the monitor answer).
  int32_t versionState() const { return m_versionState; }
  // The unit's bike preset from the last monitor answer (-1 before the first).
  int32_t bikePreset() const { return m_bikePreset; }
  int32_t releasedPort() const { return m_releasedPort; }
  bool released() const;
  const UnitTexts& texts() const { return m_texts; }
  void resetTexts() { m_texts.reset(); }
  // The identification block of the connected unit (as last checked).
  const std::array<uint8_t, kIdentBlockLen>& identBlock() const { return m_identBlock; }
  // The connection line of status panel 4 for the current state.
  std::string connectionLineText() const;
  // The text LabelCom shows now.
  std::string labelComText() const;

 private:
  struct StepRow;
  static const StepRow* row(int32_t step);
  void startStepJob();
  void handleJobEnd();
  void handleResult(const uint8_t* rx, const uint8_t* marks);
  void jobFailed(JobRefusal refusal, int reachedAddress, int rejectedFrames);
  bool resumeStepJob(const StepRow& r);
  void fail(Cause cause, int firstDifference = -1);
  void endStoringUnanswered();
  void emitResult(Operation op, Cause cause, Stage stage, int firstDifference);
  void startRead(int start, int end);
  void startMonitorPoll();
  void takeMonitorAnswer(const uint8_t* rx);
  bool identVersionOk();
  void checkOk();
  void checkDifferent(int firstDifference);
  void progressDuringJob();
  void stageStarts(const StepRow& r, bool barStarts);
  void report(Operation op, Stage stage, int percent);
  void refreshPanel4();
  void refreshLabelCom();
  int firstDifference(const uint8_t* a, int start, int end, const uint8_t* b) const;
  int32_t ticks() const { return m_clock.tmr() / 50; }

  ProtocolEngine& m_com;
  ParamModel& m_model;
  const AppClock& m_clock;
  UserDialogs& m_dialogs;
  SupervisorHost m_host;
  LinkEvents m_events;

  int32_t m_step = kSupNoUnit;
  int32_t m_request = 0;
  int32_t m_checkRepeats = 0;
  int32_t m_failures = 0;        // failed jobs in a row without an answer, at one address
  int32_t m_lineFailures = 0;    // failed jobs in a row with damaged answers, at one address
  int32_t m_failedAddress = -1;  // where the last failed job of this step stopped
  int32_t m_resumeAddress = -1;  // the step's job goes on from here (-1: starts afresh)
  int32_t m_rejected = 0;        // answers rejected over the failed exchanges of this step
  int32_t m_rangeStart = 0;
  int32_t m_rangeEnd = 0;
  int32_t m_lastPollTick = 0;
  bool m_programAll = true;
  bool m_programmedPending = false;
  int32_t m_savingCounter = 0;
  int32_t m_releasedPort = -1;
  int32_t m_versionState = 0;
  std::string m_versionText;
  int32_t m_bikePreset = -1;
  std::array<uint8_t, 1050> m_compare{};
  std::array<uint8_t, kIdentBlockLen> m_identBlock{};
  UnitTexts m_texts;
  bool m_firstRun = true;
  bool m_backedUp = false;  // this connection's unit settings are kept
  std::string m_lastLabelCom;
};

}  // namespace q3
