// quelin3-tool commands that talk to a unit: scan, read, verify, program and
// monitor. They drive the same search, supervisor and engine as the window;
// progress and messages go to stderr, data to stdout.
#include <QDateTime>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "base/app_paths.h"
#include "base/status_sink.h"
#include "cli_command.h"
#include "cli_files.h"
#include "cli_run.h"
#include "files/ign_document.h"
#include "files/ign_layout.h"
#include "files/unit_backup.h"
#include "link/link_session.h"
#include "link/operation_result.h"
#include "link/port_diagnosis.h"
#include "monitor/monitor_csv.h"
#include "monitor/monitor_ign_info.h"
#include "params/address_map.h"
#include "params/param_model.h"
#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace {

using q3cli::Cause;
using q3cli::ConnectionSupervisor;
using q3cli::LinkSession;
using q3cli::Operation;
using q3cli::OperationResult;
using q3cli::Options;
using q3cli::parse;
using q3cli::Run;

bool loadFile(Run& r, const std::string& path) {
  q3::IgnDocument doc(r.model, r.dialogs);
  if (doc.load(path, -1) != q3::IgnDocument::LoadResult::Loaded) {
    std::fprintf(stderr, "quelin3-tool: cannot load %s\n", path.c_str());
    return false;
  }
  r.model.sanitize();
  return true;
}

int cmdScan(const std::vector<std::string>& args) {
  Options o = parse(args, false);
  if (!o.ok) return 2;
  if (o.timeoutMs < 0) o.timeoutMs = 8000;
  Run r(o);
  r.status.quiet = true;
  if (!r.selectPort()) return 2;
  std::map<int, q3::FoundUnit> found;
  std::map<int, std::string> names;
  auto listener = r.session.unitFound().subscribe([&](const q3::FoundUnit& u) {
    if (found.count(u.port)) return;
    found[u.port] = u;
    names[u.port] = u.name;
    std::fprintf(stderr, "COM%i: %s\n", u.port, u.name);
  });
  // Every unit is only listed, so the search goes on over all ports.
  r.session.setListOnly(true);
  r.session.runUntil([&] { return (o.port > 0 || !o.device.empty()) && !found.empty(); },
                     o.timeoutMs);
  std::printf("%-6s %-24s %-9s %-32s %-5s %s\n", "PORT", "DEVICE", "PROTOCOL", "NAME", "KEY",
              "COMPATIBLE");
  for (const auto& [port, u] : found) {
    std::printf("COM%-3i %-24s %-9i %-32s %-5i %s\n", port,
                r.session.portState(port).devicePath.c_str(), u.protocol, names[port].c_str(),
                u.typeKey, u.compatible ? "yes" : "no");
  }
  // The ports the search could not open, and why.
  const std::vector<int> failed = r.portsThatFailed();
  for (int port : failed) {
    const q3::PortState p = r.session.portState(port);
    std::printf("COM%-3i %-24s cannot open: %s\n", port, p.devicePath.c_str(),
                q3::describeOpenFailure(p.openFailure, p.devicePath.c_str()).c_str());
  }
  return found.empty() ? 1 : 0;
}

int cmdRead(const std::vector<std::string>& args) {
  Options o = parse(args, false);
  if (!o.ok || o.out.empty()) {
    std::fprintf(stderr, "usage: quelin3-tool read -o FILE.ign [--port N | --device PATH]\n");
    return 2;
  }
  Run r(o);
  // A unit with another program version can still be backed up.
  const q3::AttemptsOutcome end = r.attempts(Operation::Read, true, [&] {
    r.sup().requestRead();
    return true;
  });
  const auto& res = end.result;
  if (end.end != q3::AttemptsEnd::Result || !res || res->operation != Operation::Read || !res->ok())
    return r.printEnd("read", end, 1);
  q3::IgnDocument doc(r.model, r.dialogs);
  // The file names the unit's program on its VERSIONS line.
  doc.hooks().writeInfo = [&r] {
    return q3::ignWriteInfo(r.sup().texts(), r.model.monitor(), r.sup().connected());
  };
  if (!doc.save(o.out)) {
    std::fprintf(stderr, "quelin3-tool: cannot write %s\n", o.out.c_str());
    return 1;
  }
  std::fprintf(stderr, "Written %s\n", o.out.c_str());
  return 0;
}

int cmdVerify(const std::vector<std::string>& args) {
  Options o = parse(args, true);
  if (!o.ok || o.file.empty()) {
    std::fprintf(stderr, "usage: quelin3-tool verify FILE.ign [--port N | --device PATH]\n");
    return 2;
  }
  Run r(o);
  if (!loadFile(r, o.file)) return 2;
  // The unit's block as each verify read brought it.
  std::array<uint8_t, q3::kImageSize> unit{};
  auto keep = r.session.events().verifyRead.subscribe(
      [&](std::span<const uint8_t> block) { std::copy(block.begin(), block.end(), unit.begin()); });
  const q3::ParamImage file = r.model.image();
  const q3::AttemptsOutcome end = r.attempts(Operation::Verify, false, [&] {
    r.model.image() = file;  // a read of an earlier attempt never replaces it, but be sure
    r.sup().requestVerify();
    return true;
  });
  const auto& res = end.result;
  const bool ended = end.end == q3::AttemptsEnd::Result && res;
  if (ended && res->operation == Operation::Verify && res->ok()) {
    std::printf("identical\n");
    return 0;
  }
  if (!ended || res->operation != Operation::Verify || res->cause != Cause::Mismatch)
    return r.printEnd("verify", end, 2);
  const std::vector<std::string> listed =
      q3::differingKeywords(unit.data(), r.model.image().data(), q3::kImageSize);
  for (const std::string& name : listed) std::printf("%s\n", name.c_str());
  std::fprintf(stderr, "%zu parameters differ\n", listed.size());
  return 1;
}

int cmdProgram(const std::vector<std::string>& args) {
  Options o = parse(args, true);
  if (!o.ok || o.file.empty()) {
    std::fprintf(stderr,
                 "usage: quelin3-tool program FILE.ign [--changed-only] [--yes] [--port N | "
                 "--device PATH]\n");
    return 2;
  }
  Run r(o);
  if (!loadFile(r, o.file)) return 2;
  const q3::ParamImage file = r.model.image();
  bool nothingToDo = false;
  const q3::AttemptsOutcome end = r.attempts(Operation::Program, false, [&] {
    // The first monitor answer tells the unit's bike preset for the question.
    r.session.runUntil([&] { return r.sup().bikePreset() != -1; }, 3000);
    r.model.image() = file;
    if (o.changedOnly) {
      // Only the bytes in which the file differs from the unit as just checked.
      r.model.clearChangeMarks();
      int n = 0;
      for (int i = 0; i < q3::kImageSize; ++i)
        if (r.model.unitImage().byte(i) != file.byte(i)) r.model.setChangeMark(i), ++n;
      std::fprintf(stderr, "%i bytes differ from the unit\n", n);
      if (n == 0) {
        nothingToDo = true;
        return false;
      }
    }
    return r.sup().requestProgram(!o.changedOnly);
  });
  if (nothingToDo) {
    std::fprintf(stderr, "Nothing to program\n");
    return 0;
  }
  if (end.end == q3::AttemptsEnd::Refused) {
    std::fprintf(stderr, "quelin3-tool: programming refused\n");
    return 1;
  }
  const auto& res = end.result;
  if (end.end != q3::AttemptsEnd::Result || !res || res->operation != Operation::Program ||
      !res->ok())
    return r.printEnd("program", end, 1);
  return 0;
}

int cmdBackups(const std::vector<std::string>& args) {
  std::string serial;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--serial" && i + 1 < args.size()) {
      serial = args[++i];
    } else {
      std::fprintf(stderr, "usage: quelin3-tool backups [--serial S]\n");
      return 2;
    }
  }
  const q3::BackupStore store(q3::resolveAppPaths(q3cli::startOptions()).dataDir);
  const std::vector<q3::UnitBackup> list = store.list(serial);
  if (list.empty()) {
    std::fprintf(stderr, "No backups in %s\n", store.root().c_str());
    return 1;
  }
  std::printf("%-20s %-24s %-5s %s\n", "WHEN", "UNIT", "BIKE", "FILE");
  for (const q3::UnitBackup& b : list)
    std::printf("%-20s %-24s %-5i %s\n", b.stamp.c_str(), b.serial.c_str(), b.bike, b.path.c_str());
  return 0;
}

void printMonitor(const q3::MonitorBuffer& m, bool csv, bool header) {
  using q3::MonitorByte;
  using q3::MonitorWord;
  auto adv = [&](int ch) {
    return m.byte(MonitorByte::Advance + ch) == 0 ? 0 : m.byte(MonitorByte::Advance + ch) - 100;
  };
  const int load = m.byte(MonitorByte::LoadSensor) >= 2 ? 2 : m.byte(MonitorByte::LoadSensor);
  if (csv) {
    if (header) std::printf("%s\n", q3::monitorCsvHeader().c_str());
    std::printf("%s\n", q3::monitorCsvRow(m).c_str());
  } else {
    std::printf(
        "RPM=%u %s=%u%s (%u mV) ADV=%i/%i/%i/%i U=%.1fV DWELL=%.1f(%.1f)ms GEAR=%u "
        "SPEED=%ukm/h LAMBDA=%.1fAFR(%umV) IN=0x%02x FN=0x%02x\n",
        m.word(MonitorWord::EngineSpeed), load == 2 ? "IAP" : "TP", m.word(MonitorWord::LoadValue),
        load == 2 ? "kPa" : "%", m.word(MonitorWord::LoadVoltage), adv(0), adv(1), adv(2), adv(3),
        m.word(MonitorWord::SupplyVoltage) / 1000.0, m.word(MonitorWord::Dwell) / 10.0,
        m.word(MonitorWord::DwellOpt) / 10.0, m.byte(MonitorByte::Gear), m.word(MonitorWord::Speed),
        m.byte(MonitorByte::Lambda) / 10.0, m.word(MonitorWord::LambdaVoltage),
        m.byte(MonitorByte::InputsGrounded), m.byte(MonitorByte::FunctionStates));
  }
  std::fflush(stdout);
}

int cmdMonitor(const std::vector<std::string>& args) {
  Options o = parse(args, false);
  if (!o.ok) return 2;
  Run r(o);
  int polls = 0;
  bool failed = false;
  auto printer = r.session.events().result.subscribe([&](const OperationResult& res) {
    if (res.operation != Operation::Monitor || !res.ok()) return;
    printMonitor(r.model.monitor(), o.csv, polls == 0);
    ++polls;
  });
  if (r.opt.timeoutMs < 0) r.opt.timeoutMs = 20000;
  if (!r.connectAndCheck(true)) return 1;
  std::fprintf(stderr, "Monitoring (Ctrl+C stops)\n");
  r.session.runUntil(
      [&] {
        if (!r.sup().connected()) failed = true;
        return failed || (o.count >= 0 && polls >= o.count);
      },
      o.count >= 0 ? o.count * 1000 + 5000 : 0x7FFFFFFF);
  if (failed) std::fprintf(stderr, "quelin3-tool: the unit stopped answering\n");
  return failed ? 1 : 0;
}

}  // namespace

int q3cli::diffWithUnit(const std::vector<std::string>& args, bool names) {
  Options o = parse(args, true);
  if (!o.ok || o.file.empty()) {
    std::fprintf(stderr,
                 "usage: quelin3-tool diff --unit [--names] FILE.ign [--port N | --device PATH]\n");
    return 2;
  }
  q3::ParamModel file;
  if (!openInto(file, o.file, false)) {
    std::fprintf(stderr, "quelin3-tool diff: \"%s\" was not accepted\n", o.file.c_str());
    return 2;
  }
  if (o.timeoutMs < 0) o.timeoutMs = 20000;
  Run r(o);
  // The connection check reads the unit's settings; a unit of another
  // program version is compared as well, after the warning.
  if (!r.connectAndCheck(true) || !r.model.unitImageValid()) {
    std::fprintf(stderr, "quelin3-tool diff: the unit's settings could not be read\n");
    return 1;
  }
  return printImageDiff(file.image(), r.model.unitImage(), names);
}

namespace {

const q3cli::CliRegistrar regScan({"scan", "scan [--port N | --device PATH] [--timeout S]",
                                   "search the serial ports and list the units found", cmdScan});
const q3cli::CliRegistrar regRead({"read",
                                   "read -o FILE.ign [--retries N] [--timeout S] [--port N | "
                                   "--device PATH]",
                                   "read the unit's settings into a file", cmdRead});
const q3cli::CliRegistrar regVerify({"verify",
                                     "verify FILE.ign [--retries N] [--timeout S] [--port N | "
                                     "--device PATH]",
                                     "compare the unit with a file (exit 1 when they differ)",
                                     cmdVerify});
const q3cli::CliRegistrar regProgram(
    {"program",
     "program FILE.ign [--changed-only] [--yes] [--no-backup] [--retries N] [--timeout S] "
     "[--port N | --device PATH]",
     "program a file into the unit and verify it", cmdProgram});
const q3cli::CliRegistrar regBackups({"backups", "backups [--serial S]",
                                      "list the unit settings kept before each programming",
                                      cmdBackups});
const q3cli::CliRegistrar regMonitor({"monitor",
                                      "monitor [--count N] [--csv] [--port N | --device PATH]",
                                      "print the unit's live values after each poll", cmdMonitor});

}  // namespace
