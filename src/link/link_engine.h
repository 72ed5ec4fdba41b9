// The protocol engine's state and work: one job at a time on the connected
// unit (write a range, read a range, monitor exchange, command, identification
// block), split into blocks, one request per block, the answer validated,
// retried and the end state reported in the job field.
//
// Layering: PortManager (ports) <- LinkEngine (connection record, engine state
// and passes) <- PortSearch (port search, src/link/port_search.h) <- ProtocolEngine
// (engine thread, watchdog run with the search). The search writes the
// connection fields declared here when it accepts a unit.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "link/frame.h"
#include "link/pickup_capture.h"
#include "link/port_manager.h"

namespace q3 {

inline constexpr int kJobBufferSize = 8000;

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
// A damaged answer is resent once the line has been quiet for this many
// engine passes (a pass is about 1 ms, several character times even at
// 115200 Bd): a unit that is still sending the rest of a damaged frame is
// never talked over, and the watchdog is not waited out.
inline constexpr int kQuietPasses = 4;

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

// The two sides of a job, as the user-interface thread sees them. A JobDraft
// is the only way to write the transmit data and the pending marks: the
// engine hands one out only while no job runs, and starting it hands the
// arrays over to the engine thread. A JobEnd is the only way to read the
// received data: the engine hands one out only after the job ended, and
// acknowledging it (the job field back to 0) makes the arrays the next
// draft's. Neither may be kept past start() / acknowledge().
class LinkEngine;

class JobDraft {
 public:
  uint8_t* tx() const;       // the transmit data, kJobBufferSize bytes
  uint8_t* pending() const;  // the pending marks, kJobBufferSize bytes
  // The command, address and length of a command job (kJobCommand).
  void setCommand(int32_t command, int32_t address, int32_t length) const;
  // Starts the job (see LinkEngine::startJob); false when the engine is busy.
  bool start(int jobCode, int start, int count, int flags) const;

 private:
  friend class LinkEngine;
  explicit JobDraft(LinkEngine& e) : m_engine(e) {}
  LinkEngine& m_engine;
};

class JobEnd {
 public:
  int state() const { return m_state; }  // kJobDone or kJobFailed
  int job() const { return m_job; }      // the job that ended (kJobRead, ...)
  JobRefusal refusal() const { return m_refusal; }
  // Answers rejected during the job: wrong answer, address or length, a
  // write not echoed, or a time-out after bytes had come (a damaged frame).
  // A failed job without any tells of a silent unit.
  int rejectedFrames() const { return m_rejected; }
  // The address the job had reached when it ended.
  int address() const { return m_address; }
  const uint8_t* rx() const;     // the received data, kJobBufferSize bytes
  const uint8_t* marks() const;  // 1 where rx holds a received byte

 private:
  friend class LinkEngine;
  explicit JobEnd(const LinkEngine& e) : m_engine(e) {}
  const LinkEngine& m_engine;
  int m_state = 0;
  int m_job = 0;
  JobRefusal m_refusal = JobRefusal::None;
  int m_rejected = 0;
  int m_address = 0;
};

class LinkEngine : public PortManager {
 public:
  explicit LinkEngine(const AppClock& clock);
  ~LinkEngine() override;

  // --- connection (written by the search and the supervisor in the
  // user-interface thread, read by the engine thread) ---
  std::atomic<int32_t> connectedPort{0};
  std::atomic<int32_t> linkEnabled{1};
  std::atomic<int32_t> keyMajor{104};
  std::atomic<int32_t> keyMinor{0};
  std::atomic<int32_t> comSelection{0};  // -1 off, 0 automatic, > 0 fixed port
  // Written by the search only while connectedPort is 0, then published by
  // storing connectedPort (release). The engine thread takes its own copy
  // when it sees a new connected port and works on that copy only.
  ConnectionRecord conn;

  // --- jobs (user-interface thread) ---
  // The job field: kJobNone (free), a job code (running), kJobDone or kJobFailed.
  int jobState() const { return m_job.load(std::memory_order_acquire); }
  bool idle() const { return jobState() == kJobNone; }
  bool ended() const { return jobState() == kJobDone || jobState() == kJobFailed; }
  // A draft while the job field is 0, else nothing.
  std::optional<JobDraft> draft();
  // Start job(job, start, count, flags) on the arrays as they are: ignored
  // (false) while the job field is not 0.
  bool startJob(int jobCode, int start, int count, int flags);
  // The end of the last job while the job field is 136 or 132, else nothing.
  std::optional<JobEnd> end() const;
  // Frees the job field (after an end was looked at, or to drop a running
  // job when the unit is disconnected).
  void acknowledge() { m_job.store(kJobNone, std::memory_order_release); }
  // Ends the link with the connected port: the job is dropped, the port is
  // asked to close, the connection is cleared and the port list marked changed.
  void dropConnection(int port);
  // The address the running job has reached, for progress bars.
  int progressAddress() const { return m_currentAddress.load(std::memory_order_acquire); }
  // The engine step (kStepIdle .. kStepFailed), for diagnostics and tests.
  int engineStep() const { return m_step.load(std::memory_order_acquire); }
  // Engine passes so far (any thread).
  int passCount() const { return m_passes.load(std::memory_order_relaxed); }
  // The pickup capture fed from the connected port's ring, and the
  // supervisor period mask it widens.
  PickupCapture& capture() { return m_capture; }
  const PickupCapture& capture() const { return m_capture; }

  // --- the engine's work ---
  // The engine's part of the watchdog run (user-interface thread; ProtocolEngine
  // runs the search first).
  void watchdogStep();
  // One pass of the engine thread; returns the sleep it asks for in ms.
  // Tests without a thread call it from their own.
  int enginePass();
  // The largest data length per frame of the connected unit (family A capped at 512).
  int maxData() const;
  // The engine's working copy of the connection (engine thread; tests that
  // run passes themselves may look at it).
  const ConnectionRecord& activeConnection() const { return m_active; }

  // The engine thread (stack 512 KiB): runs passes until the clock's stop
  // flag or stopEngineThread().
  void startEngineThread();
  void stopEngineThread();

 private:
  friend class JobDraft;
  friend class JobEnd;
  void takeConnection(int port);
  bool chooseBlock(int& start, int& length) const;
  void buildRequest(int start, int length);
  void validateAnswer();
  void rejectAnswer();
  bool answerDamaged() const;
  void failAttempt();
  void sendFromScratch();
  void endJob(int state);
  class EngineThread;
  EngineThread* m_thread = nullptr;
  std::atomic<bool> m_threadStop{false};

  // Job state shared between the threads.
  std::atomic<int32_t> m_step{kStepIdle};
  std::atomic<int32_t> m_job{kJobDone};
  std::atomic<int32_t> m_lastJob{kJobDone};
  std::atomic<int32_t> m_refusal{0};
  std::atomic<int32_t> m_rejected{0};
  std::atomic<int32_t> m_currentAddress{0};
  std::atomic<int32_t> m_passes{0};
  std::atomic<int32_t> m_sendTime{0};  // TMR when the frame in flight was started
  // The connected port whose record the engine has taken over (0 = none).
  std::atomic<int32_t> m_enginePort{0};
  // Counts the links the watchdog has started (step 0 -> 1); the engine takes
  // a fresh copy of the connection record whenever it changes.
  std::atomic<int32_t> m_linkGeneration{0};

  // Owned by the user-interface thread while the job field is 0 (filled
  // through a JobDraft) and while it is 136 or 132 (read through a JobEnd);
  // owned by the engine thread in between.
  uint8_t m_tx[kJobBufferSize]{};
  uint8_t m_pending[kJobBufferSize]{};
  uint8_t m_rx[kJobBufferSize]{};
  uint8_t m_rxMarks[kJobBufferSize]{};
  int32_t m_command = kCmdReset;
  int32_t m_commandAddress = 1600;
  int32_t m_commandLength = 0;
  int32_t m_count = 0;
  int32_t m_end = 0;
  int32_t m_attemptsAllowed = 3;

  // Engine thread only.
  ConnectionRecord m_active;
  int32_t m_expectedAnswer = 0;
  uint16_t m_currentLength = 0;
  int32_t m_attempt = 0;
  int32_t m_takenGeneration = 0;
  uint32_t m_bytesAtSend = 0;  // bytes seen when the request in flight was sent
  uint32_t m_badAtSend = 0;
  uint32_t m_frameBytesAtSend = 0;  // bytes the frame receiver had taken at that send    // damaged
                                    // frames seen when the request in flight was sent
  uint32_t m_bytesAtPass = 0;       // bytes seen at the end of the last waiting pass
  int32_t m_quietPasses = 0;        // waiting passes in a row without a new byte
  PickupCapture m_capture;
};

}  // namespace q3
