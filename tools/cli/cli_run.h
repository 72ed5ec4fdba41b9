// The pieces every quelin3-tool command that talks to a unit shares: the
// status slots and message boxes on stderr, the common options, and Run,
// one command's model, link session and operation results.
#pragma once

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
  LinkSession session{model, clock, &status, q3cli::startOptions()};
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
      const q3::PortRecord& c = session.com().com[p];
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
      const q3::PortRecord& c = session.com().com[port];
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

}  // namespace q3cli
