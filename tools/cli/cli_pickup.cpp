// quelin3-tool pickup: the pickup monitor without its window. It connects to
// the unit, asks for the pickup sample blocks with every monitor poll and
// prints one line per analysed block in the window's label form
// ("RPM=6000.0 (synchro)"), using the window's analysis; what each block held
// goes to stderr.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli_command.h"
#include "link/link_session.h"
#include "link/operation_result.h"
#include "monitor/pickup_analyzer.h"
#include "monitor/pickup_feed.h"
#include "params/param_model.h"

namespace {

using q3::Operation;
using q3::OperationResult;

struct PickupOptions {
  int count = -1;  // blocks to print; -1 until stopped
  int port = 0;
  std::string device;
  int timeoutMs = 20000;  // to find and check the unit
  bool ok = true;
};

PickupOptions parsePickup(const std::vector<std::string>& args) {
  PickupOptions o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if ((a == "--count" || a == "--port" || a == "--device" || a == "--timeout") && !hasValue) {
      std::fprintf(stderr, "quelin3-tool: %s needs a value\n", a.c_str());
      o.ok = false;
    } else if (a == "--count") {
      o.count = std::atoi(args[++i].c_str());
    } else if (a == "--port") {
      o.port = std::atoi(args[++i].c_str());
    } else if (a == "--device") {
      o.device = args[++i];
    } else if (a == "--timeout") {
      o.timeoutMs = std::atoi(args[++i].c_str()) * 1000;
    } else {
      std::fprintf(stderr, "quelin3-tool: unknown argument \"%s\"\n", a.c_str());
      o.ok = false;
    }
  }
  if (o.port < 0 || o.port > 255) {
    std::fprintf(stderr, "quelin3-tool: --port takes 1..255\n");
    o.ok = false;
  }
  return o;
}

const char* outcomeText(q3::PickupAnalysis a) {
  switch (a) {
    case q3::PickupAnalysis::NoSamples:
      return "no samples";
    case q3::PickupAnalysis::TooFewTransitions:
      return "fewer than four phase changes";
    case q3::PickupAnalysis::BadInterval:
      return "a period of zero length";
    case q3::PickupAnalysis::Done:
      break;
  }
  return "analysed";
}

int cmdPickup(const std::vector<std::string>& args) {
  const PickupOptions o = parsePickup(args);
  if (!o.ok) {
    std::fprintf(stderr,
                 "usage: quelin3-tool pickup [--count N] [--timeout S] [--port N | --device "
                 "PATH]\n");
    return 2;
  }
  q3::ParamModel model;
  q3::AppClock clock;
  q3::LinkSession session(model, clock, q3::dialogs(), nullptr, q3cli::startOptions(),
                          q3cli::linkSetup());
  if (!o.device.empty()) {
    if (!session.useDevice(o.device)) {
      std::fprintf(stderr, "quelin3-tool: %s is not a serial device\n", o.device.c_str());
      return 2;
    }
  } else if (o.port > 0) {
    session.usePort(o.port);
  }
  q3::SupervisorHost host;
  host.pickupRequest = [] { return true; };  // the monitor is open and running
  session.supervisor().setHost(host);
  q3::PickupFeed feed(session);
  q3::PickupAnalyzer engine;

  std::fprintf(stderr, "Searching for a unit...\n");
  std::vector<OperationResult> checks;
  auto onResult = session.events().result.subscribe([&](const OperationResult& r) {
    if (r.operation == Operation::ConnectionCheck) checks.push_back(r);
  });
  session.runUntil([&] { return !checks.empty(); }, o.timeoutMs);
  if (checks.empty()) {
    std::fprintf(stderr, "quelin3-tool: no compatible unit answered\n");
    return 1;
  }
  const OperationResult& check = checks.front();
  if (check.cause == q3::Cause::VersionMismatch) {
    std::fprintf(stderr, "quelin3-tool: warning: the unit runs program version %i.%02i\n",
                 check.versionMajor, check.versionMinor);
  } else if (!check.ok()) {
    std::fprintf(stderr, "quelin3-tool: %s\n", q3::describe(check).c_str());
    return 1;
  }

  std::fprintf(stderr, "Pickup monitor (Ctrl+C stops)\n");
  int printed = 0, blocks = 0;
  bool lost = false;
  session.runUntil(
      [&] {
        if (!session.supervisor().connected()) lost = true;
        while (auto b = feed.take()) {
          ++blocks;
          const q3::PickupAnalysis a = engine.show(*b);
          std::fprintf(stderr, "block %i: %zu samples, period %i degrees, monitor RPM=%i: %s\n",
                       blocks, b->samples.size(), q3::pickupPeriodDegrees(b->selector),
                       b->monitorRpm, outcomeText(a));
          if (a != q3::PickupAnalysis::Done) continue;
          std::printf("%s\n", engine.rpmLabel().c_str());
          std::fflush(stdout);
          ++printed;
        }
        return lost || (o.count >= 0 && printed >= o.count);
      },
      o.count >= 0 ? o.count * 2000 + 5000 : 0x7FFFFFFF);
  if (lost) std::fprintf(stderr, "quelin3-tool: the unit stopped answering\n");
  if (o.count >= 0 && printed < o.count) {
    std::fprintf(stderr, "quelin3-tool: %i of %i blocks analysed\n", printed, o.count);
    return 1;
  }
  return lost ? 1 : 0;
}

const q3cli::CliRegistrar regPickup({"pickup",
                                     "pickup [--count N] [--timeout S] [--port N | --device PATH]",
                                     "print the engine speed of each pickup-monitor block",
                                     cmdPickup});

}  // namespace
