// The protocol engine's state and work: one job at a time on the connected
// unit (write a range, read a range, monitor exchange, command, identification
// block), split into blocks, one request per block, the answer validated,
// retried and the end state reported in the job field.
//
// Layering: CCOMIOSYS (ports) <- LinkEngine (connection record, engine state
// and passes) <- CCOMSEARCH (port search, src/link/ccom_search.h) <- CCOMCOM
// (engine thread, watchdog run with the search). The search writes the
// connection fields declared here when it accepts a unit.
#pragma once

#include <atomic>
#include <cstdint>

#include "link/ccom_io.h"
#include "link/frame.h"

namespace q3 {

inline constexpr int COMMAXBUF = 8000;
inline constexpr int RS_LEN_EXE_LINK = 1050;  // the parameter image that must fit the job arrays

// Jobs and end states.
inline constexpr int kJobNone = 0;
inline constexpr int kJobWrite = 17;
inline constexpr int kJobRead = 18;
inline constexpr int kJobMonitor = 35;
inline constexpr int kJobCommand = 65;
inline constexpr int kJobIdent = 66;
inline constexpr int kJobFailed = 132;
inline constexpr int kJobDone = 136;
// Start-job flags.
inline constexpr int kJobFlagPending = 1;     // mark every address of the range pending
inline constexpr int kJobFlagClearTx = 2;     // clear the transmit data of the range
inline constexpr int kJobFlagOneAttempt = 4;  // one attempt instead of three
// Engine steps.
inline constexpr int kStepIdle = 0;
inline constexpr int kStepReady = 1;
inline constexpr int kStepSending = 2;
inline constexpr int kStepWaiting = 3;
inline constexpr int kStepFailed = 4;

inline constexpr int kAnswerTimeoutMs =
    400;  // watchdog: step 3 longer than this is a failed attempt
inline constexpr int kIdentBlockLength = 150;

// The connected unit as the search found it (the search slot's fields).
struct ConnectionRecord {
  int32_t port = 0;
  int32_t typeKey = -1;
  int32_t hwVersion = -1;
  char name[32]{};
  int32_t maxFrameLength = 48;
  int32_t frameOverhead = kFamilyAOverhead;
  int32_t sendTime = 0;
  FrameReceiver rx;
};

// Why the last job was refused before any frame was sent (0 = not refused).
enum class JobRefusal : int {
  None = 0,
  IdentNeedsFullFrame = 1,  // family B protocol with fewer than 150 data bytes per frame
};

// The message for a refused job, a multi-language string ("###English##Deutsch##Česky"),
// or nullptr for JobRefusal::None.
const char* jobRefusalText(JobRefusal r);

class LinkEngine : public CCOMIOSYS {
 public:
  LinkEngine();
  ~LinkEngine() override;

  // --- connection (written by the search / supervisor in the user-interface thread) ---
  std::atomic<int32_t> connectedPort{0};
  std::atomic<int32_t> linkEnabled{1};
  std::atomic<int32_t> keyMajor{104};
  std::atomic<int32_t> keyMinor{0};
  std::atomic<int32_t> comSelection{0};  // -1 off, 0 automatic, > 0 fixed port
  // Written by the search only while connectedPort is 0, then published by
  // storing connectedPort (release). The engine thread takes its own copy
  // when it sees a new connected port and works on that copy only.
  ConnectionRecord conn;

  // --- job state ---
  std::atomic<int32_t> step{kStepIdle};
  std::atomic<int32_t> job{kJobDone};
  std::atomic<int32_t> lastJob{kJobDone};
  std::atomic<int32_t> refusal{0};  // JobRefusal of the last job
  int32_t job65Command = kCmdReset;
  int32_t job65Address = 1600;
  int32_t job65Length = 0;
  int32_t expectedAnswer = 0;
  // Read by the user-interface thread for the progress bar while a job runs.
  std::atomic<int32_t> currentAddress{0};
  uint16_t currentLength = 0;
  int32_t attempt = 0;
  int32_t attemptsAllowed = 3;
  int32_t count = 0;
  int32_t end = 0;
  // The user-interface thread fills txData (and pending marks through the
  // start flags) while the job field is 0 and reads rxData after it has seen
  // 136 or 132; the engine thread owns them in between.
  uint8_t txData[COMMAXBUF]{};
  uint8_t pending[COMMAXBUF]{};
  uint8_t rxData[COMMAXBUF]{};
  uint8_t rxMarks[COMMAXBUF]{};
  std::atomic<int32_t> passes{0};
  std::atomic<int32_t> sendTime{0};  // TMR when the frame in flight was started
  // The connected port whose record the engine has taken over (0 = none).
  std::atomic<int32_t> enginePort{0};
  // Counts the links the watchdog has started (step 0 -> 1); the engine takes
  // a fresh copy of the connection record whenever it changes.
  std::atomic<int32_t> linkGeneration{0};
  // The engine's working copy of the connection (engine thread only; tests
  // that run passes themselves may look at it).
  ConnectionRecord active;

  // Start job(job, start, count, flags): ignored while the job field is not 0.
  // Returns false when ignored.
  bool startJob(int jobCode, int start, int count, int flags);
  // The engine's part of the watchdog run (CCOMCOM runs the search first).
  void watchdogStep();
  // One pass of the engine thread; returns the sleep it asks for in ms.
  int enginePass();
  // The largest data length per frame of the connected unit (family A capped at 512).
  int maxData() const;

  // The engine thread (stack 512 KiB): runs passes until q3::stopRequested()
  // or stopEngineThread().
  void startEngineThread();
  void stopEngineThread();

 private:
  void takeConnection(int port);
  bool chooseBlock(int& start, int& length) const;
  void buildRequest(int start, int length);
  void validateAnswer();
  void failAttempt();
  void endJob(int state);
  class EngineThread;
  EngineThread* m_thread = nullptr;
  int32_t m_takenGeneration = 0;  // engine thread only
  std::atomic<bool> m_threadStop{false};
};

}  // namespace q3
