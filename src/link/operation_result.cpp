// Names and one-line descriptions of operation results.
#include "link/operation_result.h"

#include <cstdio>

namespace q3 {

const char* operationName(Operation op) {
  switch (op) {
    case Operation::ConnectionCheck:
      return "connection check";
    case Operation::Read:
      return "read";
    case Operation::Verify:
      return "verify";
    case Operation::Program:
      return "program";
    case Operation::Reset:
      return "reset";
    case Operation::Monitor:
      return "monitor exchange";
  }
  return "operation";
}

const char* causeName(Cause c) {
  switch (c) {
    case Cause::None:
      return "ok";
    case Cause::UnitSilent:
      return "the unit does not answer";
    case Cause::LineErrors:
      return "line errors";
    case Cause::Mismatch:
      return "the data read differs";
    case Cause::VersionMismatch:
      return "the unit runs another program version";
    case Cause::Refused:
      return "refused";
    case Cause::PortLost:
      return "the unit or its port went away";
    case Cause::Released:
      return "the port was lent to the bootloader tool";
    case Cause::BackupFailed:
      return "the unit's settings could not be backed up first";
    case Cause::StoppedWhileStoring:
      return "the unit stopped answering while storing";
  }
  return "failed";
}

std::string describe(const OperationResult& r) {
  std::string s = operationName(r.operation);
  if (r.ok()) return s + ": ok";
  s += " failed: ";
  s += causeName(r.cause);
  char buf[96];
  switch (r.cause) {
    case Cause::LineErrors:
      std::snprintf(buf, sizeof buf, " (%i answers rejected)", r.rejectedFrames);
      s += buf;
      break;
    case Cause::Mismatch:
      if (r.firstDifference >= 0) {
        std::snprintf(buf, sizeof buf, " (first at address %i)", r.firstDifference);
        s += buf;
      }
      break;
    case Cause::VersionMismatch:
      std::snprintf(buf, sizeof buf, " (%i.%02i)", r.versionMajor, r.versionMinor);
      s += buf;
      break;
    default:
      break;
  }
  if (r.address >= 0 && (r.cause == Cause::LineErrors || r.cause == Cause::UnitSilent)) {
    std::snprintf(buf, sizeof buf, " at address %i", r.address);
    s += buf;
  }
  return s;
}

}  // namespace q3
