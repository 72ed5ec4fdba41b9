// One unit operation run in attempts to an honest end.
#include "link/operation_attempts.h"

#include <algorithm>
#include <cstdio>

#include "link/link_session.h"

namespace q3 {

std::string describe(const AttemptsOutcome& o) {
  char buf[160];
  switch (o.end) {
    case AttemptsEnd::Result:
    case AttemptsEnd::Refused:
      return {};
    case AttemptsEnd::NoUnit:
      return "no compatible unit answered";
    case AttemptsEnd::OtherUnitType:
      std::snprintf(buf, sizeof buf, "COM%i holds a unit of another type (key %i)", o.port,
                    o.typeKey);
      return buf;
    case AttemptsEnd::PortForbidden:
      std::snprintf(buf, sizeof buf, "COM%i may not be opened by this user", o.port);
      return buf;
    case AttemptsEnd::DeviceGone:
      std::snprintf(buf, sizeof buf, "the device of COM%i does not exist", o.port);
      return buf;
  }
  return {};
}

OperationAttempts::OperationAttempts(LinkSession& session, Limits limits, Runner run)
    : m_session(session), m_limits(limits), m_run(std::move(run)) {
  m_foundSub = m_session.unitFound().subscribe([this](const FoundUnit& u) {
    if (!u.compatible)
      m_otherUnits[u.port] = u.typeKey;
    else
      m_otherUnits.erase(u.port);
  });
  m_resultSub = m_session.events().result.subscribe([this](const OperationResult& r) {
    if (r.operation != Operation::Monitor) m_results.push_back(r);
  });
}

int OperationAttempts::elapsedMs() const { return m_session.clock().tmr() - m_begin; }

int OperationAttempts::remainingMs() const { return std::max(0, m_limits.totalMs - elapsedMs()); }

bool OperationAttempts::worthRetrying(const OperationResult& r) {
  switch (r.cause) {
    case Cause::UnitSilent:
    case Cause::LineErrors:
    case Cause::PortLost:
      return true;
    case Cause::Mismatch:
      return r.operation != Operation::Verify;  // a verify difference is the answer
    default:
      return false;
  }
}

std::optional<AttemptsOutcome> OperationAttempts::permanentEnd() const {
  const int sel = m_session.portSelection();
  AttemptsOutcome o;
  o.end = AttemptsEnd::OtherUnitType;
  if (sel == 0) {
    // The automatic search: only when every present port holds a unit of
    // another type is there nothing left to find.
    const std::vector<PortState> ports = m_session.presentPorts();
    if (ports.empty() || m_otherUnits.empty()) return std::nullopt;
    for (const PortState& p : ports)
      if (!m_otherUnits.count(p.port)) return std::nullopt;
    o.port = m_otherUnits.begin()->first;
    o.typeKey = m_otherUnits.begin()->second;
    return o;
  }
  if (sel < 0) return std::nullopt;
  o.port = sel;
  if (const auto it = m_otherUnits.find(sel); it != m_otherUnits.end()) {
    o.typeKey = it->second;
    return o;
  }
  const PortState p = m_session.portState(sel);
  if (p.openFailure == OpenFailure::PermissionDenied) {
    o.end = AttemptsEnd::PortForbidden;
    return o;
  }
  // A device that was never there ends at once; one that went away after it
  // was seen is a lost unit, searched for again (an adapter
  // plugged back in comes back under its path).
  if (p.present) m_connectedOnce = true;
  if (!m_connectedOnce && m_session.portsScanned() &&
      (!p.present || p.openFailure == OpenFailure::Gone)) {
    o.end = AttemptsEnd::DeviceGone;
    return o;
  }
  return std::nullopt;
}

std::optional<OperationResult> OperationAttempts::waitFor(Operation op, int timeoutMs) {
  auto find = [&]() -> const OperationResult* {
    for (const OperationResult& r : m_results)
      if (r.operation == op) return &r;
    return nullptr;
  };
  m_results.clear();
  m_run([&] { return find() != nullptr || !m_session.supervisor().connected(); }, timeoutMs);
  if (const OperationResult* r = find()) return *r;
  return std::nullopt;
}

AttemptsOutcome OperationAttempts::connect(int timeoutMs) {
  if (m_begin == 0) m_begin = m_session.clock().tmr();
  AttemptsOutcome o;
  if (onSearch) onSearch();
  m_results.clear();
  auto checked = [&] {
    for (const OperationResult& r : m_results)
      if (r.operation == Operation::ConnectionCheck) return true;
    return false;
  };
  m_run([&] { return checked() || permanentEnd().has_value(); }, timeoutMs);
  for (const OperationResult& r : m_results) {
    if (r.operation != Operation::ConnectionCheck) continue;
    o.end = AttemptsEnd::Result;
    o.result = r;
    m_port = m_session.connectedPort();
    m_connectedOnce = true;
    // The supervisor is idle after the check: the operation asked next starts now.
    ConnectionSupervisor& sup = m_session.supervisor();
    m_run([&] { return sup.step() == kSupIdle || !sup.connected(); }, 2000);
    return o;
  }
  if (auto p = permanentEnd()) return *p;
  return o;
}

namespace {
OperationResult lost(Operation op) {
  OperationResult r;
  r.operation = op;
  r.cause = Cause::PortLost;
  return r;
}
}  // namespace

// A port that vanished under an exchange is a lost port, whatever the
// failed exchanges looked like.
OperationResult OperationAttempts::named(const OperationResult& r) const {
  OperationResult out = r;
  if (r.ok() || r.cause == Cause::StoppedWhileStoring || r.cause == Cause::VersionMismatch)
    return out;
  const int sel = m_session.portSelection();
  const int port = sel > 0 ? sel : m_port;
  if (port > 0 && !m_session.portState(port).present) out.cause = Cause::PortLost;
  return out;
}

AttemptsOutcome OperationAttempts::run(Operation op, bool versionWarningOk,
                                       const std::function<bool()>& start) {
  m_begin = m_session.clock().tmr();
  m_otherUnits.clear();
  m_connectedOnce = false;
  ConnectionSupervisor& sup = m_session.supervisor();
  AttemptsOutcome out;
  bool checked = false;  // the connected unit passed its check in this run
  for (int attempt = 1; attempt <= m_limits.attempts && remainingMs() > 0; ++attempt) {
    if (attempt > 1) {
      if (onNewAttempt) onNewAttempt(attempt, m_limits.attempts, *out.result);
      // A unit that passed its check and still answers keeps its
      // connection: only a lost or silent unit, or a failed check, is
      // searched for again.
      const Cause c = out.result->cause;
      const bool answering = c == Cause::LineErrors || c == Cause::Mismatch;
      if (sup.connected() && (!checked || !answering)) sup.disconnect();
      if (!sup.connected()) checked = false;
    }
    if (!checked || !sup.connected() || sup.step() != kSupIdle) {
      const AttemptsOutcome check = connect(remainingMs());
      if (check.end != AttemptsEnd::Result) {
        if (!out.result || check.end != AttemptsEnd::NoUnit) return check;
        break;  // no unit in the time left: the last result stands
      }
      out = check;
      out.result = named(*check.result);
      if (check.result->cause == Cause::VersionMismatch && versionWarningOk) {
        if (onVersionWarning) onVersionWarning(*check.result);
      } else if (!out.result->ok()) {
        if (!worthRetrying(*out.result)) return out;
        continue;
      }
      checked = true;
    }
    if (!sup.connected()) {
      out.result = lost(op);
      continue;
    }
    if (!start()) {
      out.end = AttemptsEnd::Refused;
      return out;
    }
    const auto res = waitFor(op, remainingMs());
    if (!res) {
      if (!sup.connected()) {  // gone before the operation began
        out.result = lost(op);
        continue;
      }
      break;  // the time is up
    }
    out.end = AttemptsEnd::Result;
    out.result = named(*res);
    if (out.result->ok() || !worthRetrying(*out.result)) return out;
  }
  return out;
}

}  // namespace q3
