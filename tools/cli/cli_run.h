// The pieces every quelin3-tool command that talks to a unit shares: the
// status slots and message boxes on stderr, the common options, and Run,
// one command's model, link session and operation results.
#pragma once

#include <sys/stat.h>

#include <QDateTime>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/app_paths.h"
#include "base/status_sink.h"
#include "cli_command.h"
#include "files/unit_backup.h"
#include "link/link_session.h"
#include "link/operation_attempts.h"
#include "link/operation_result.h"
#include "link/port_diagnosis.h"
#include "params/param_model.h"
#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace q3cli {

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

// Exit codes of the unit commands beyond 0 (success), 1 and 2 (each
// command's own: failure, difference, usage): permanent causes that no
// further attempt can mend.
inline constexpr int kExitOtherUnitType = 3;  // the port holds a unit of another type
inline constexpr int kExitOtherVersion = 4;   // the unit runs another program version
inline constexpr int kExitPortForbidden = 5;  // the user may not open the port
inline constexpr int kExitNoDevice = 6;       // the device does not exist

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

// Reads the common options of the unit commands: --port, --device, -o,
// --changed-only, --yes, --csv, --count, --timeout, --retries, --no-backup
// and, with wantFile, one file name. ok is false after a message on stderr.
Options parse(const std::vector<std::string>& args, bool wantFile);

// One run of a command against a unit: the model, the session and the sinks.
// Every decision is taken on the operation results the supervisor reports.
struct Run {
  q3::ParamModel model;
  ConsoleStatus status;
  ConsoleDialogs dialogs;
  q3::AppClock clock;
  LinkSession session{model, clock, dialogs, &status, q3cli::startOptions(), q3cli::linkSetup()};
  q3::UserDialogs* previous = nullptr;
  Options opt;
  bool deviceMissing = false;  // --device names nothing

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
    if (o.backup) {
      // Before the first write of a unit its settings are kept in the data folder.
      q3::SupervisorHost host;
      host.backupBeforeWrite = [](const q3::ParamImage& unit, const q3::UnitTexts& texts) {
        std::string why;
        const std::string path =
            q3::BackupStore(q3::resolveAppPaths(q3cli::startOptions()).dataDir)
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
  ~Run() { q3::setDialogs(previous); }

  ConnectionSupervisor& sup() { return session.supervisor(); }

  bool selectPort() {
    if (!opt.device.empty()) {
      if (!session.useDevice(opt.device)) {
        struct stat st;
        deviceMissing = ::stat(opt.device.c_str(), &st) != 0;
        std::fprintf(stderr, "quelin3-tool: %s %s\n", opt.device.c_str(),
                     deviceMissing ? "does not exist" : "is not a serial device");
        return false;
      }
    } else if (opt.port > 0) {
      session.usePort(opt.port);
    }
    return true;
  }

  // One connection for commands that need no retries (monitor): true when a
  // unit passed its check, or gave the version warning and warningOk.
  bool connectAndCheck(bool warningOk) {
    if (!selectPort()) return false;
    q3::OperationAttempts a = makeAttempts();
    const q3::AttemptsOutcome o = a.connect(opt.timeoutMs);
    if (o.end != q3::AttemptsEnd::Result) {
      printEnd("monitor", o, 1);
      return false;
    }
    const OperationResult& check = *o.result;
    if (check.cause == Cause::VersionMismatch && warningOk) {
      warnVersion(check);
      return sup().connected();
    }
    if (!check.ok()) {
      std::fprintf(stderr, "quelin3-tool: %s\n", q3::describe(check).c_str());
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

  // The present ports whose last open failed (searched ones only).
  std::vector<int> portsThatFailed() {
    std::vector<int> out;
    for (const q3::PortState& p : session.presentPorts())
      if (p.openFailure != q3::OpenFailure::None) out.push_back(p.port);
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
      const q3::PortState p = session.portState(port);
      std::fprintf(stderr, "quelin3-tool: %s: COM%i %s\n", what, port,
                   q3::describeOpenFailure(p.openFailure, p.devicePath.c_str()).c_str());
    }
  }

  // The attempts of one operation, told on stderr as they go.
  q3::OperationAttempts makeAttempts() {
    const int total = opt.timeoutMs > 0 ? opt.timeoutMs : 180000;
    q3::OperationAttempts a(session, {opt.retries, total},
                            [this](const std::function<bool()>& pred, int timeoutMs) {
                              return session.runUntil(pred, timeoutMs);
                            });
    a.onSearch = [] { std::fprintf(stderr, "Searching for a unit...\n"); };
    a.onNewAttempt = [](int attempt, int of, const OperationResult& after) {
      std::fprintf(stderr, "Attempt %i of %i after: %s\n", attempt, of,
                   q3::describe(after).c_str());
    };
    a.onVersionWarning = [](const OperationResult& check) { warnVersion(check); };
    return a;
  }

  // Runs an operation in attempts (q3::OperationAttempts): search, connect
  // and check, then start() asks for the operation and its result is awaited.
  // start() returning false ends everything (refused). Permanent causes end
  // at once.
  q3::AttemptsOutcome attempts(Operation op, bool versionWarningOk,
                               const std::function<bool()>& start) {
    if (!selectPort()) {
      q3::AttemptsOutcome o;
      o.end = q3::AttemptsEnd::DeviceGone;
      return o;
    }
    q3::OperationAttempts a = makeAttempts();
    return a.run(op, versionWarningOk, start);
  }

  // The end of a command whose operation did not succeed: its cause on stderr
  // and the exit code it has (failure: the command's own code for a
  // transient cause or a result).
  int printEnd(const char* what, const q3::AttemptsOutcome& o, int failure) {
    switch (o.end) {
      case q3::AttemptsEnd::NoUnit:
        printNoUnit(what);
        return failure;
      case q3::AttemptsEnd::OtherUnitType:
        std::fprintf(stderr, "quelin3-tool: %s: %s\n", what, q3::describe(o).c_str());
        return kExitOtherUnitType;
      case q3::AttemptsEnd::PortForbidden:
        std::fprintf(stderr, "quelin3-tool: %s: %s\n", what, q3::describe(o).c_str());
        return kExitPortForbidden;
      case q3::AttemptsEnd::DeviceGone:
        if (deviceMissing) return kExitNoDevice;  // selectPort() said it
        std::fprintf(stderr, "quelin3-tool: %s: %s\n", what, q3::describe(o).c_str());
        return kExitNoDevice;
      case q3::AttemptsEnd::Refused:
      case q3::AttemptsEnd::Result:
        break;
    }
    if (!o.result) {
      printNoUnit(what);
      return failure;
    }
    std::fprintf(stderr, "quelin3-tool: %s\n", q3::describe(*o.result).c_str());
    if (o.result->cause == Cause::VersionMismatch) return kExitOtherVersion;
    return failure;
  }
};

}  // namespace q3cli
