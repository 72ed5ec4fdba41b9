// What every unit operation ends in: a value that says which operation it
// was, whether it succeeded and, when not, why and where it stopped. The
// status slots, message boxes, the command-line tool and tests all decide on
// this value; the texts shown for it are a view (link/operation_status.h).
#pragma once

#include <cstdint>
#include <string>

#include "link/link_engine.h"

namespace q3 {

enum class Operation : uint8_t {
  ConnectionCheck,  // identification, version, two reads of the parameter block
  Read,
  Verify,
  Program,
  Reset,
  Monitor,  // one monitor exchange
};

// The stage an operation is in (what the status slot calls it).
enum class Stage : uint8_t {
  Checking,     // "Checking:"
  Reading,      // "Read:"
  Verifying,    // "Verify:"
  Programming,  // "Program device:"
  Verified,     // "Verify: OK" of the programming's read-back, before the unit stores
  Saving,       // "Saving:" while the unit stores what was programmed
  Polling,      // a monitor exchange (nothing shown)
};

enum class Cause : uint8_t {
  None,             // success
  UnitSilent,       // three exchanges failed without an answer
  LineErrors,       // answers came but were damaged or wrong (rejectedFrames counts them)
  Mismatch,         // two reads, or the unit and the image, differ (firstDifference)
  VersionMismatch,  // the unit runs another program version
  Refused,          // the engine refused the job outright (refusal says why)
  PortLost,         // the unit or its port went away while the operation ran
  Released,         // the bootloader tool took the port while the operation ran
  BackupFailed,     // the unit's settings could not be kept before writing it
  // The programming was written and verified, but the unit stopped answering
  // (or went away) while it stored it: whether it holds the data, a read
  // decides.
  StoppedWhileStoring,
};

struct OperationResult {
  Operation operation = Operation::ConnectionCheck;
  Cause cause = Cause::None;
  Stage stage = Stage::Checking;  // the stage in which it ended
  int rejectedFrames = 0;         // answers rejected in the failed exchanges
  int firstDifference = -1;       // Mismatch: the first differing address
  JobRefusal refusal = JobRefusal::None;
  int step = 0;           // the supervisor step in which it ended
  int address = -1;       // the block address the engine had reached (-1: no job)
  int versionMajor = -1;  // VersionMismatch: the unit's program version
  int versionMinor = -1;

  bool ok() const { return cause == Cause::None; }
};

struct OperationProgress {
  Operation operation = Operation::ConnectionCheck;
  Stage stage = Stage::Checking;
  int percent = -1;          // 0..100; -1 when this report only names the stage
  bool stageStarts = false;  // a new stage begins: its text is shown
  bool barStarts = false;    // the progress bar starts again at 0 (shown, aqua)
};

// English names for logs and the command-line tool's messages.
const char* operationName(Operation op);
const char* causeName(Cause c);
// One English line: "read failed: line errors (12 answers rejected) at address 300".
std::string describe(const OperationResult& r);

}  // namespace q3
