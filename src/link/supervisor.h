// The connection supervisor: everything the program does with a connected
// unit. A state machine over numbered steps, run from the main timer: it
// notices a new connection, checks the unit's identity and version, reads the
// parameter block twice and compares it, polls the monitor block, and carries
// out Read, Verify, Program and Reset with progress and messages. It starts
// one engine job at a time and acts on its end state. A core object: the
// window only shows what it reports through the status sink and the hooks.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "link/unit_texts.h"
#include "base/status_sink.h"

namespace q3 {

class CCOMCOM;
class ParamModel;

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
  kSupQuarterRead1 = 48,  // 48..51
  kSupQuarterPoll1 = 52,  // 52..55
  kSupQuarterRead2 = 56,  // 56..59
  kSupQuarterPoll2 = 60,  // 60..63
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

// What the supervisor needs of its owner. Every hook is optional.
struct SupervisorHooks {
  // Progress bar CGaugeProgram (maximum 100).
  std::function<void(int value)> setProgress;
  std::function<void(Colour colour)> setProgressColour;
  std::function<void(bool visible)> showProgress;
  std::function<void(const std::string& text)> labelCom;        // LabelCom
  std::function<void(const std::string& text)> connectionLine;  // status panel 4
  std::function<void()> refreshCaption;
  std::function<void()> refreshPage;      // show the active page from the image
  std::function<void()> storeActivePage;  // store the active page's controls into the image
  std::function<int()> activePage;        // for the undo snapshot
  std::function<void()> clearLoadedFile;  // Read: the image no longer comes from a file
  std::function<bool()> newInstallation;  // NEWINSTAL
  std::function<void()> clearNewInstallationAndSave;
  std::function<bool()> playbackRunning;  // player playing or paused in playback
  std::function<void()> monitorTaken;     // monitor refresh and recording after a monitor answer
  std::function<bool()> pickupRequest;    // pickup monitor visible and not paused
  std::function<void()> applyTexts;       // after a release or take-back
  std::function<bool()> serviceMode;
};

class ConnectionSupervisor {
 public:
  ConnectionSupervisor(CCOMCOM& com, ParamModel& model, StatusSink* status = nullptr);

  void setHooks(SupervisorHooks h) { m_hooks = std::move(h); }
  SupervisorHooks& hooks() { return m_hooks; }
  void setStatusSink(StatusSink* s) { m_status = s; }

  // One supervisor run (the main timer calls it every 2nd, 4th or 8th tick).
  void run();

  // --- commands ---
  bool connected() const;
  void requestRead();    // 64, only while a unit is connected
  void requestVerify();  // 80
  // 96 after the program-command checks; all = false programs only the marked bytes.
  void requestProgram(bool all = true);
  void requestProgramChanged();  // 98: only the bytes with a change mark
  void requestReset();           // 128
  void disconnect();
  // The bootloader tool's notification: releases or takes back a port.
  void portMessage(int port, int32_t code);
  void releasePort();
  void takePortBack();

  // --- state (read by the window, the command-line tool and tests) ---
  int32_t step = kSupNoUnit;
  int32_t request = 0;
  int32_t checkRepeats = 0;
  int32_t failures = 0;
  int32_t rangeStart = 0;
  int32_t rangeEnd = 0;
  int32_t lastPollTick = 0;
  bool programAll = true;
  bool programmedPending = false;
  int32_t savingCounter = 0;
  int32_t releasedPort = -1;
  int32_t versionState = 0;
  std::string versionText;
  int32_t bikePreset = -1;  // the unit's bike preset from the last monitor answer
  std::array<uint8_t, 1050> compareBuffer{};
  std::array<uint8_t, kIdentBlockLen> identBlock{};
  UnitTexts texts;
  // Test-command bits sent once with the next monitor request, then cleared.
  std::array<uint8_t, 3> testBits{};

  // The connection line of status panel 4 for the current state.
  std::string connectionLineText() const;
  // The text LabelCom shows now.
  std::string labelComText() const;

 private:
  void startStepJob();
  void handleResult();
  void failureTable();
  void failureDisplay();
  void startRead(int start, int end, const char* message, bool showBar);
  void startMonitorPoll();
  void takeMonitorAnswer();
  bool identVersionOk();
  void checkOk();
  void checkDifferent();
  void progressDuringJob();
  void slot2(const char* mtext, Colour back = kBtnFace);
  void setProgress(int v);
  void progressColour(Colour c);
  void showProgress(bool v);
  void refreshPanel4();
  void refreshLabelCom();
  int differences(int start, int end, const uint8_t* other) const;
  int32_t ticks() const;

  CCOMCOM& m_com;
  ParamModel& m_model;
  StatusSink* m_status;
  SupervisorHooks m_hooks;
  bool m_firstRun = true;
  std::string m_lastLabelCom;
};

}  // namespace q3
