// OperationAttempts: one unit operation (read, verify, program) run to an
// honest end. Each attempt searches, connects and checks the unit, then asks
// for the operation and waits for its result. Transient causes (line errors,
// a silent or lost unit) start another attempt, within a number of attempts
// and a time budget measured on the session's clock; permanent causes end at
// once with their own name: a unit of another type on the selected port, a
// unit with another program version (where the operation needs the right
// one), a selected port the user may not open or whose device is gone.
//
// How the link is run while waiting is the caller's: the command-line tool
// ticks in step with the wall clock (LinkSession::runUntil), tests tick a
// virtual clock as fast as they like.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/event.h"
#include "link/operation_result.h"
#include "link/port_search.h"

namespace q3 {

class LinkSession;

// How a run of attempts ended.
enum class AttemptsEnd : uint8_t {
  Result,         // the operation, or the check before it, ended: see result
  NoUnit,         // no unit got as far as its check in the time given
  OtherUnitType,  // the selected port holds a unit of another type key
  PortForbidden,  // the user may not open the selected port
  DeviceGone,     // the selected port's device does not exist (any more)
  Refused,        // start() declined to ask for the operation
};

struct AttemptsOutcome {
  AttemptsEnd end = AttemptsEnd::NoUnit;
  std::optional<OperationResult> result;  // the last result seen (check or operation)
  int port = 0;                           // the port the end is about (0: none)
  int typeKey = -1;                       // OtherUnitType: the key the unit gave
};

// One English line for an end that is not a Result ("" for a Result).
std::string describe(const AttemptsOutcome& o);

class OperationAttempts {
 public:
  // Runs the link until pred holds or timeoutMs of the session's clock passed;
  // false on time-out.
  using Runner = std::function<bool(const std::function<bool()>& pred, int timeoutMs)>;

  struct Limits {
    int attempts = 5;
    int totalMs = 180000;
  };

  OperationAttempts(LinkSession& session, Limits limits, Runner run);

  // Told before each attempt after the first, with the result that ended the last.
  std::function<void(int attempt, int of, const OperationResult& after)> onNewAttempt;
  // Told when a search starts.
  std::function<void()> onSearch;
  // Told of a check that found another program version where that is allowed.
  std::function<void(const OperationResult& check)> onVersionWarning;

  // Runs op: start() asks for it once the unit passed its check (false: the
  // caller declined, the run ends as Refused). versionWarningOk lets a unit
  // with another program version go on (a read can back it up).
  AttemptsOutcome run(Operation op, bool versionWarningOk, const std::function<bool()>& start);

  // Searches, connects and waits for the check only (monitor): Result with
  // the check's result, or why there was none.
  AttemptsOutcome connect(int timeoutMs);

  // Whether another attempt may help after this result.
  static bool worthRetrying(const OperationResult& r);

 private:
  int elapsedMs() const;
  int remainingMs() const;
  // A permanent end seen on the selected port, if any.
  std::optional<AttemptsOutcome> permanentEnd() const;
  std::optional<OperationResult> waitFor(Operation op, int timeoutMs);
  OperationResult named(const OperationResult& r) const;

  LinkSession& m_session;
  Limits m_limits;
  Runner m_run;
  int32_t m_begin = 0;
  std::map<int, int> m_otherUnits;       // port -> type key of units of another type found
  int m_port = 0;                        // the port of the last connection
  mutable bool m_connectedOnce = false;  // the selected port was seen present in this run
  std::vector<OperationResult> m_results;
  Event<const FoundUnit&>::Subscription m_foundSub;
  Event<const OperationResult&>::Subscription m_resultSub;
};

}  // namespace q3
