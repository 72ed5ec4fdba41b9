// quelin3-tool log: monitor recordings (.ignlog) from the command line.
//   log info FILE      what a recording holds, one "name: value" per line
//   log csv FILE       its monitor records as the columns of `monitor --csv`
//   log record -o FILE record a unit's monitor answers as the window does
//   log hits FILE      seconds spent in each cell of an advance map
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "cli_command.h"
#include "cli_run.h"
#include "monitor/hit_map.h"
#include "monitor/ignlog_recorder.h"
#include "monitor/monitor_csv.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onStopSignal(int) { g_stop = 1; }

const char* const kUsage =
    "usage: quelin3-tool log info FILE.ignlog\n"
    "       quelin3-tool log csv FILE.ignlog [-o OUT.csv]\n"
    "       quelin3-tool log record -o FILE.ignlog [--seconds N] [--port N | --device PATH]\n"
    "       quelin3-tool log hits FILE.ignlog [--map 1|2] [--csv]\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

// Reads a recording; on failure prints why and gives nothing. Skipped
// records are named on stderr.
bool load(const char* what, const std::string& path, q3::IgnlogReadResult& r) {
  r = q3::readIgnlogFile(path);
  if (!r.ok()) {
    std::fprintf(stderr, "quelin3-tool: log %s: %s: %s\n", what, path.c_str(), r.message.c_str());
    return false;
  }
  for (const q3::IgnlogWarning& w : r.warnings) {
    if (w.record < 0)
      std::fprintf(stderr, "quelin3-tool: log %s: %s\n", what, w.detail.c_str());
    else
      std::fprintf(stderr, "quelin3-tool: log %s: record %i skipped: it %s\n", what, w.record,
                   w.detail.c_str());
  }
  return true;
}

int info(const std::vector<std::string>& args) {
  if (args.size() != 1) return usage();
  q3::IgnlogReadResult r;
  if (!load("info", args[0], r)) return 1;
  const q3::IgnlogFile& f = r.file;
  int types[6] = {};
  for (const q3::IgnlogRecord& rec : f.records()) ++types[rec.type];
  const std::time_t start = std::time_t(f.header.startTime);
  std::tm utc{};
  gmtime_r(&start, &utc);
  char when[32];
  std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
  std::printf("key: %u\n", unsigned(f.header.key));
  std::printf("start: %s\n", when);
  std::printf("records: %i\n", f.size());
  std::printf("initial: %i\n", f.header.initial);
  std::printf("data_bytes: %zu\n", f.data().size());
  std::printf("duration_ms: %u\n", unsigned(f.durationMs()));
  for (int t = 1; t <= 5; ++t) std::printf("type_%i: %i\n", t, types[t]);
  return 0;
}

int csv(const std::vector<std::string>& args) {
  std::string file, out;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size())
      out = args[++i];
    else if (file.empty() && args[i].rfind('-', 0) != 0)
      file = args[i];
    else
      return usage();
  }
  if (file.empty()) return usage();
  q3::IgnlogReadResult r;
  if (!load("csv", file, r)) return 1;
  const std::string text = q3::ignlogCsv(r.file);
  if (out.empty()) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
  }
  std::string why;
  if (!q3::writeFileReplacing(out, {reinterpret_cast<const uint8_t*>(text.data()), text.size()},
                              &why)) {
    std::fprintf(stderr, "quelin3-tool: log csv: %s\n", why.c_str());
    return 1;
  }
  return 0;
}

// The seconds the engine spent in each cell of advance map 1 or 2, over the
// breakpoints of the settings the recording ends with; only the moments in
// which that map was the active one count.
int hits(const std::vector<std::string>& args) {
  std::string file;
  int map = 1;
  bool asCsv = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--csv") {
      asCsv = true;
    } else if (args[i] == "--map" && i + 1 < args.size()) {
      const std::string& v = args[++i];
      if (v != "1" && v != "2") return usage();
      map = v == "1" ? 1 : 2;
    } else if (file.empty() && args[i].rfind('-', 0) != 0) {
      file = args[i];
    } else {
      return usage();
    }
  }
  if (file.empty()) return usage();
  q3::IgnlogReadResult r;
  if (!load("hits", file, r)) return 1;
  q3::ParamImage img;
  if (!q3::lastRecordedImage(r.file, img)) {
    std::fprintf(stderr, "quelin3-tool: log hits: %s holds no settings\n", file.c_str());
    return 1;
  }
  const q3::HitMap h = q3::recordingHitMap(r.file, img, map - 1);
  const std::string text = q3::hitMapText(h, asCsv);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fprintf(stderr, "%.1f s in advance map %i\n", h.total, map);
  return 0;
}

// Connects as `read` does (the connection check reads the unit's settings),
// then records as the window does until --seconds have passed or SIGINT or
// SIGTERM comes. The file on disk is complete at every moment, at most 1.5 s
// behind the unit.
int record(std::vector<std::string> args) {
  int seconds = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--seconds") continue;
    if (i + 1 >= args.size()) return usage();
    seconds = std::atoi(args[i + 1].c_str());
    if (seconds <= 0) return usage();
    args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
    break;
  }
  q3cli::Options o = q3cli::parse(args, false);
  if (!o.ok || o.out.empty()) return usage();
  if (o.timeoutMs < 0) o.timeoutMs = 20000;
  q3cli::Run run(o);
  if (!run.connectAndCheck(true)) return 1;

  q3::RecordingStart start;
  start.port = run.session.connectedPort();
  start.connectionLine = run.sup().connectionLineText();
  // The tool has no settings of its own: the unit's are the image.
  start.image = run.model.unitImage();
  if (run.model.unitImageValid()) start.unitImage = run.model.unitImage();
  q3::SystemIgnlogClock clock;
  q3::IgnlogRecorder rec(clock);
  rec.onWriteError = [](const std::string& why) {
    std::fprintf(stderr, "quelin3-tool: log record: %s\n", why.c_str());
  };
  rec.onNextFile = [](const std::string& path) {
    std::fprintf(stderr, "The file is full: the recording goes on in %s\n", path.c_str());
  };
  if (!rec.start(o.out, start, q3::ignlogHeaderOfThisProgram())) {
    std::fprintf(stderr, "quelin3-tool: log record: %s\n", rec.error().c_str());
    return 1;
  }
  auto answers = run.session.events().monitorAnswer.subscribe(
      [&](std::span<const uint8_t>) { rec.recordMonitor(run.model.monitor().data()); });
  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);
  std::fprintf(stderr, "Recording to %s (Ctrl+C stops)\n", o.out.c_str());
  bool lost = false;
  run.session.runUntil(
      [&] {
        rec.tick();
        lost = !run.sup().connected();
        return g_stop || lost || (seconds > 0 && rec.recordingElapsedMs() >= seconds * 1000LL);
      },
      0x7FFFFFFF);
  answers.reset();
  if (!rec.stop()) {
    std::fprintf(stderr, "quelin3-tool: log record: %s\n", rec.error().c_str());
    return 1;
  }
  for (const std::string& p : rec.paths()) std::fprintf(stderr, "Written %s\n", p.c_str());
  std::fprintf(stderr, "%i records\n", rec.records());
  if (lost) std::fprintf(stderr, "quelin3-tool: log record: the unit stopped answering\n");
  return lost ? 1 : 0;
}

int cmdLog(const std::vector<std::string>& args) {
  if (args.empty()) return usage();
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "info") return info(rest);
  if (args[0] == "csv") return csv(rest);
  if (args[0] == "record") return record(rest);
  if (args[0] == "hits") return hits(rest);
  return usage();
}

const q3cli::CliRegistrar regLog(
    {"log",
     "log info|csv|record|hits FILE.ignlog [-o OUT] [--seconds N] [--map 1|2] [--csv] "
     "[--port N | --device PATH]",
     "monitor recordings: what one holds, its values as CSV, record one, the seconds spent in "
     "each cell of an advance map",
     cmdLog});

}  // namespace
