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
#include "files/ign_document.h"
#include "files/ign_layout.h"
#include "files/unit_backup.h"
#include "link/link_session.h"
#include "link/operation_result.h"
#include "link/port_diagnosis.h"
#include "monitor/monitor_csv.h"
#include "params/address_map.h"
#include "params/param_model.h"
#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace {

using q3::Cause;
using q3::ConnectionSupervisor;
using q3::LinkSession;
using q3::Operation;
using q3::OperationResult;

// Status slots on stderr, in the tool's language (--language).
class ConsoleStatus : public q3::StatusSink {
 public:
  bool quiet = false;
  void showStatus(int slot, const char* mtext, int, q3::Colour, q3::Colour, int) override {
    if (!mtext || quiet) return;
    const std::string t = q3::ml(mtext);
    if (t == m_last[slot]) return;
    m_last[slot] = t;
    std::fprintf(stderr, "%s\n", t.c_str());
  }

 private:
  std::map<int, std::string> m_last;
};

// Message boxes on stderr; questions answered by --yes.
class ConsoleDialogs : public q3::UserDialogs {
 public:
  bool yes = false;
  void message(const std::string& title, const std::string& text, q3::DialogKind) override {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  }
  q3::Answer ask(const std::string& title, const std::string& text, bool) override {
    std::fprintf(stderr, "%s: %s\n%s\n", title.c_str(), text.c_str(),
                 yes ? "(answered yes by --yes)" : "refused (give --yes to go on)");
    return yes ? q3::Answer::Yes : q3::Answer::No;
  }
};

struct Options {
  int port = 0;
  std::string device;
  std::string out;
  std::string file;
  bool changedOnly = false;
  bool yes = false;
  bool csv = false;
  int count = -1;
  int timeoutMs = -1;  // -1: the command's own default
  int retries = 5;
  bool backup = true;
  bool ok = true;
};

Options parse(const std::vector<std::string>& args, bool wantFile) {
  Options o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) {
        std::fprintf(stderr, "quelin3-tool: %s needs a value\n", a.c_str());
        o.ok = false;
        return {};
      }
      return args[++i];
    };
    if (a == "--port")
      o.port = std::atoi(value().c_str());
    else if (a == "--device")
      o.device = value();
    else if (a == "-o")
      o.out = value();
    else if (a == "--changed-only")
      o.changedOnly = true;
    else if (a == "--yes")
      o.yes = true;
    else if (a == "--csv")
      o.csv = true;
    else if (a == "--count")
      o.count = std::atoi(value().c_str());
    else if (a == "--timeout")
      o.timeoutMs = std::atoi(value().c_str()) * 1000;
    else if (a == "--retries")
      o.retries = std::atoi(value().c_str());
    else if (a == "--no-backup")
      o.backup = false;
    else if (wantFile && o.file.empty() && a.rfind("-", 0) != 0)
      o.file = a;
    else {
      std::fprintf(stderr, "quelin3-tool: unknown argument \"%s\"\n", a.c_str());
      o.ok = false;
    }
  }
  if (o.port < 0 || o.port > 255) {
    std::fprintf(stderr, "quelin3-tool: --port takes 1..255\n");
    o.ok = false;
  }
  if (o.retries < 1) {
    std::fprintf(stderr, "quelin3-tool: --retries takes 1 or more\n");
    o.ok = false;
  }
  return o;
}

// One run of a command against a unit: the model, the session and the sinks.
// Every decision is taken on the operation results the supervisor reports.
struct Run {
  q3::ParamModel model;
  ConsoleStatus status;
  ConsoleDialogs dialogs;
  q3::AppClock clock;
  LinkSession session{model, clock, &status};
  q3::UserDialogs* previous = nullptr;
  Options opt;
  std::vector<OperationResult> results;
  q3::Event<const OperationResult&>::Subscription onResult;

  explicit Run(const Options& o) : opt(o) {
    previous = q3::setDialogs(&dialogs);
    dialogs.yes = o.yes;
    int lastShown = -1;
    q3::ProgressBarView bar;
    bar.setValue = [this, lastShown](int v) mutable {
      if (v / 10 == lastShown / 10 || status.quiet) return;
      lastShown = v;
      std::fprintf(stderr, "  %3i %%\n", v);
    };
    if (session.statusView()) session.statusView()->setBar(bar);
    onResult = session.events().result.subscribe([this](const OperationResult& r) {
      if (r.operation != Operation::Monitor) results.push_back(r);
    });
    if (o.backup) {
      // Before the first write of a unit its settings are kept in the data folder.
      q3::SupervisorHost host;
      host.backupBeforeWrite = [](const q3::ParamImage& unit, const q3::UnitTexts& texts) {
        std::string why;
        const std::string path =
            q3::BackupStore(q3::resolveAppPaths().dataDir)
                .save(texts.serialNumber, unit, QDateTime::currentSecsSinceEpoch(), &why);
        if (path.empty()) {
          std::fprintf(stderr, "quelin3-tool: %s (give --no-backup to program anyway)\n",
                       why.c_str());
          return false;
        }
        std::fprintf(stderr, "Unit settings kept in %s\n", path.c_str());
        return true;
      };
      session.supervisor().setHost(host);
    }
  }
  ~Run() {
    onResult.reset();
    q3::setDialogs(previous);
  }

  ConnectionSupervisor& sup() { return session.supervisor(); }

  bool selectPort() {
    if (!opt.device.empty()) {
      if (!session.useDevice(opt.device)) {
        std::fprintf(stderr, "quelin3-tool: %s is not a serial device\n", opt.device.c_str());
        return false;
      }
    } else if (opt.port > 0) {
      session.usePort(opt.port);
    }
    return true;
  }

  // The first result of an operation since the list was cleared, if any.
  const OperationResult* resultOf(Operation op) const {
    for (const OperationResult& r : results)
      if (r.operation == op) return &r;
    return nullptr;
  }

  // Searches, connects and waits for the connection check's result, at most
  // timeoutMs; nothing when no unit got that far.
  std::optional<OperationResult> connect(int timeoutMs) {
    std::fprintf(stderr, "Searching for a unit...\n");
    results.clear();
    session.runUntil([&] { return resultOf(Operation::ConnectionCheck) != nullptr; }, timeoutMs);
    const OperationResult* r = resultOf(Operation::ConnectionCheck);
    if (!r) return std::nullopt;
    const OperationResult check = *r;
    // The supervisor is idle after the check: the operation asked next starts now.
    session.runUntil([&] { return sup().step() == q3::kSupIdle || !sup().connected(); }, 2000);
    return check;
  }

  // One connection for commands that need no retries (monitor): true when a
  // unit passed its check, or gave the version warning and warningOk.
  bool connectAndCheck(bool warningOk) {
    if (!selectPort()) return false;
    const auto check = connect(opt.timeoutMs);
    if (!check) {
      printNoUnit("monitor");
      return false;
    }
    if (check->cause == Cause::VersionMismatch && warningOk) {
      warnVersion(*check);
      return sup().connected();
    }
    if (!check->ok()) {
      std::fprintf(stderr, "quelin3-tool: %s\n", q3::describe(*check).c_str());
      return false;
    }
    return sup().connected();
  }

  static void warnVersion(const OperationResult& check) {
    std::fprintf(stderr,
                 "quelin3-tool: warning: the unit runs program version %i.%02i, this program "
                 "expects %i.%02i\n",
                 check.versionMajor, check.versionMinor, q3::kProgramKeyMajor,
                 q3::kProgramKeyMinor);
  }

  // Waits for the result of op; nothing on time-out. A unit lost on the way
  // ends the operation with its own result.
  std::optional<OperationResult> waitFor(Operation op, int timeoutMs) {
    results.clear();
    session.runUntil([&] { return resultOf(op) != nullptr; }, timeoutMs);
    if (const OperationResult* r = resultOf(op)) return *r;
    return std::nullopt;
  }

  // The present ports whose last open failed (searched ones only).
  std::vector<int> portsThatFailed() {
    std::vector<int> out;
    for (int p = 1; p < q3::kComPorts; ++p) {
      const q3::CCOM& c = session.com().com[p];
      if (c.present.load() && c.openFailure.load() != q3::OpenFailure::None) out.push_back(p);
    }
    return out;
  }

  // Why no unit answered: the open failures of the ports searched, else silence.
  void printNoUnit(const char* what) {
    const std::vector<int> failed = portsThatFailed();
    if (failed.empty()) {
      std::fprintf(stderr, "quelin3-tool: %s: no compatible unit answered\n", what);
      return;
    }
    for (int port : failed) {
      const q3::CCOM& c = session.com().com[port];
      std::fprintf(stderr, "quelin3-tool: %s: COM%i %s\n", what, port,
                   q3::describeOpenFailure(c.openFailure.load(), c.devicePath).c_str());
    }
  }

  // Whether another attempt may help after this result: the line or the
  // unit's presence failed, or two reads of a noisy line disagreed.
  static bool worthRetrying(const OperationResult& r) {
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

  // Runs an operation in attempts: search, connect and check, then start()
  // asks for the operation and its result is awaited. A failed check, line
  // errors, a silent or lost unit start the next attempt, up to --retries
  // attempts within --timeout. start() returning false ends everything (a
  // refusal). The result of the last attempt, or nothing when no unit was
  // ever checked.
  std::optional<OperationResult> attempts(Operation op, bool versionWarningOk,
                                          const std::function<bool()>& start, bool& refused) {
    refused = false;
    const auto begin = std::chrono::steady_clock::now();
    const int total = opt.timeoutMs > 0 ? opt.timeoutMs : 180000;
    auto remaining = [&] {
      const auto used = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - begin)
                            .count();
      return int(std::max<int64_t>(0, total - used));
    };
    std::optional<OperationResult> last;
    if (!selectPort()) return last;
    for (int attempt = 1; attempt <= opt.retries && remaining() > 0; ++attempt) {
      if (attempt > 1) {
        std::fprintf(stderr, "Attempt %i of %i after: %s\n", attempt, opt.retries,
                     q3::describe(*last).c_str());
        if (sup().connected()) sup().disconnect();  // search again from the start
      }
      const auto check = connect(remaining());
      if (!check) break;  // no unit in the time left
      last = check;
      if (check->cause == Cause::VersionMismatch && versionWarningOk) {
        warnVersion(*check);
      } else if (!check->ok()) {
        if (!worthRetrying(*check)) return last;
        continue;
      }
      if (!sup().connected()) continue;
      if (!start()) {
        refused = true;
        return last;
      }
      const auto res = waitFor(op, remaining());
      if (!res) break;
      last = res;
      if (res->ok() || !worthRetrying(*res)) return last;
    }
    return last;
  }
};

// The end of a command whose operation did not succeed: its cause.
void printFailure(Run& run, const char* what, const std::optional<OperationResult>& r) {
  if (!r)
    run.printNoUnit(what);
  else
    std::fprintf(stderr, "quelin3-tool: %s\n", q3::describe(*r).c_str());
}

// The keyword of the file line that holds image byte i, or "byte N".
std::string parameterName(int byte) {
  for (const q3::IgnLine& line : q3::ignElementLines()) {
    for (const q3::IgnField& f : line.fields) {
      if (f.kind == q3::IgnFieldKind::Break) continue;
      const int width = f.kind == q3::IgnFieldKind::Word ? 2 : 1;
      const int first = f.index * width;
      if (byte >= first && byte < first + f.count * width) return line.keyword;
    }
  }
  return "byte " + std::to_string(byte);
}

bool loadFile(Run& r, const std::string& path) {
  q3::IgnDocument doc(r.model);
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
  r.session.com().onUnitFound = [&](const q3::FoundUnit& u) {
    if (found.count(u.port)) return;
    found[u.port] = u;
    names[u.port] = u.name;
    std::fprintf(stderr, "COM%i: %s\n", u.port, u.name);
  };
  // Every unit is only listed, so the search goes on over all ports.
  r.session.com().listOnly = true;
  r.session.runUntil([&] { return (o.port > 0 || !o.device.empty()) && !found.empty(); },
                     o.timeoutMs);
  std::printf("%-6s %-24s %-9s %-32s %-5s %s\n", "PORT", "DEVICE", "PROTOCOL", "NAME", "KEY",
              "COMPATIBLE");
  for (const auto& [port, u] : found) {
    std::printf("COM%-3i %-24s %-9i %-32s %-5i %s\n", port, r.session.com().com[port].devicePath,
                u.protocol, names[port].c_str(), u.typeKey, u.compatible ? "yes" : "no");
  }
  // The ports the search could not open, and why.
  const std::vector<int> failed = r.portsThatFailed();
  for (int port : failed) {
    const q3::CCOM& c = r.session.com().com[port];
    std::printf("COM%-3i %-24s cannot open: %s\n", port, c.devicePath,
                q3::describeOpenFailure(c.openFailure.load(), c.devicePath).c_str());
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
  bool refused = false;
  // A unit with another program version can still be backed up.
  const auto res = r.attempts(
      Operation::Read, true,
      [&] {
        r.sup().requestRead();
        return true;
      },
      refused);
  if (!res || res->operation != Operation::Read || !res->ok()) {
    printFailure(r, "read", res);
    return 1;
  }
  q3::IgnDocument doc(r.model);
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
  std::array<uint8_t, q3::RS_LEN_EXE> unit{};
  auto keep = r.session.events().verifyRead.subscribe(
      [&](std::span<const uint8_t> block) { std::copy(block.begin(), block.end(), unit.begin()); });
  const q3::ParamImage file = r.model.image();
  bool refused = false;
  const auto res = r.attempts(
      Operation::Verify, false,
      [&] {
        r.model.image() = file;  // a read of an earlier attempt never replaces it, but be sure
        r.sup().requestVerify();
        return true;
      },
      refused);
  if (res && res->operation == Operation::Verify && res->ok()) {
    std::printf("identical\n");
    return 0;
  }
  if (!res || res->operation != Operation::Verify || res->cause != Cause::Mismatch) {
    printFailure(r, "verify", res);
    return 2;
  }
  std::set<std::string> listed;
  for (int i = 0; i < q3::RS_LEN_EXE; ++i) {
    if (unit[i] == r.model.image().byte(i)) continue;
    std::string name = parameterName(i);
    if (listed.insert(name).second) std::printf("%s\n", name.c_str());
  }
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
  bool refused = false;
  const auto res = r.attempts(
      Operation::Program, false,
      [&] {
        // The first monitor answer tells the unit's bike preset for the question.
        r.session.runUntil([&] { return r.sup().bikePreset() != -1; }, 3000);
        r.model.image() = file;
        if (o.changedOnly) {
          // Only the bytes in which the file differs from the unit as just checked.
          r.model.clearChangeMarks();
          int n = 0;
          for (int i = 0; i < q3::RS_LEN_EXE; ++i)
            if (r.model.unitImage().byte(i) != file.byte(i)) r.model.setChangeMark(i), ++n;
          std::fprintf(stderr, "%i bytes differ from the unit\n", n);
          if (n == 0) {
            nothingToDo = true;
            return false;
          }
        }
        return r.sup().requestProgram(!o.changedOnly);
      },
      refused);
  if (nothingToDo) {
    std::fprintf(stderr, "Nothing to program\n");
    return 0;
  }
  if (refused) {
    std::fprintf(stderr, "quelin3-tool: programming refused\n");
    return 1;
  }
  if (!res || res->operation != Operation::Program || !res->ok()) {
    printFailure(r, "program", res);
    return 1;
  }
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
  const q3::BackupStore store(q3::resolveAppPaths().dataDir);
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
  using q3::Monb;
  using q3::Monw;
  auto adv = [&](int ch) {
    return m.byte(Monb::Advance + ch) == 0 ? 0 : m.byte(Monb::Advance + ch) - 100;
  };
  const int load = m.byte(Monb::LoadSensor) >= 2 ? 2 : m.byte(Monb::LoadSensor);
  if (csv) {
    if (header) std::printf("%s\n", q3::monitorCsvHeader().c_str());
    std::printf("%s\n", q3::monitorCsvRow(m).c_str());
  } else {
    std::printf(
        "RPM=%u %s=%u%s (%u mV) ADV=%i/%i/%i/%i U=%.1fV DWELL=%.1f(%.1f)ms GEAR=%u "
        "SPEED=%ukm/h LAMBDA=%.1fAFR(%umV) IN=0x%02x FN=0x%02x\n",
        m.word(Monw::EngineSpeed), load == 2 ? "IAP" : "TP", m.word(Monw::LoadValue),
        load == 2 ? "kPa" : "%", m.word(Monw::LoadVoltage), adv(0), adv(1), adv(2), adv(3),
        m.word(Monw::SupplyVoltage) / 1000.0, m.word(Monw::Dwell) / 10.0,
        m.word(Monw::DwellOpt) / 10.0, m.byte(Monb::Gear), m.word(Monw::Speed),
        m.byte(Monb::Lambda) / 10.0, m.word(Monw::LambdaVoltage), m.byte(Monb::InputsGrounded),
        m.byte(Monb::FunctionStates));
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
