// quelin3-tool commands for settings files and the archive: dump, convert,
// diff, archive, and the --ign option of "defaults".
#include "cli_files.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/app_settings.h"
#include "base/safe_write.h"
#include "cli_command.h"
#include "cli_params.h"
#include "files/embedded_archive.h"
#include "files/ign_document.h"
#include "files/ign_layout.h"
#include "files/ign_scanner.h"
#include "files/ign_writer.h"
#include "files/service_tools.h"
#include "maps/settings_compare.h"
#include "params/param_model.h"

namespace q3cli {

namespace {

// Options shared by the commands that open files.
struct OpenOptions {
  bool testMode = false;
  std::vector<std::string> files;
};

bool parseOpen(const char* cmd, const std::vector<std::string>& args, size_t want, OpenOptions& o) {
  for (const auto& a : args) {
    if (a == "--test")
      o.testMode = true;
    else
      o.files.push_back(a);
  }
  if (o.files.size() != want) {
    std::fprintf(stderr, "quelin3-tool %s: expected %zu file name(s)\n", cmd, want);
    return false;
  }
  return true;
}

}  // namespace

int openInto(q3::ParamModel& model, const std::string& path, bool testMode) {
  model.image().clear();
  model.image().setByte(170, 20);
  model.applyDefaults(-1);
  model.sanitize();
  model.resetHistory(0);
  q3::IgnDocument doc(model, q3::dialogs());
  doc.setTestMode(testMode);
  doc.load(path, -1);
  return doc.fileState().key;
}

namespace {

int runDump(const std::vector<std::string>& args) {
  OpenOptions o;
  if (!parseOpen("dump", args, 1, o)) return 2;
  q3::ParamModel model;
  int key = openInto(model, o.files[0], o.testMode);
  std::fprintf(stderr, "key: %i%s\n", key, key ? "" : " (file not accepted)");
  if (!key) return 1;
  std::string text = q3::formatImageDump(model.image().data(), q3::kImageSize);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}

int runConvert(const std::vector<std::string>& args) {
  OpenOptions o;
  if (!parseOpen("convert", args, 2, o)) return 2;
  q3::ParamModel model;
  int key = openInto(model, o.files[0], o.testMode);
  if (!key) {
    std::fprintf(stderr, "quelin3-tool convert: \"%s\" was not accepted\n", o.files[0].c_str());
    return 1;
  }
  q3::IgnDocument doc(model, q3::dialogs());
  if (!doc.save(o.files[1])) return 1;
  std::fprintf(stderr, "key %i -> %i\n", key, q3::KORVELAN_KEY);
  return 0;
}

// The values of a rendered file by keyword, in file order; the version lines
// at the end are left out.
std::vector<std::pair<std::string, std::vector<int>>> keywordValues(const std::string& text) {
  std::vector<std::pair<std::string, std::vector<int>>> out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (line.rfind("VERSIONS", 0) == 0) break;
    size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    if (first == 0) {
      size_t sp = line.find(' ');
      out.emplace_back(line.substr(0, sp), std::vector<int>{});
      line = sp == std::string::npos ? "" : line.substr(sp);
    }
    if (out.empty()) continue;
    q3::IgnScanner sc(line);
    int v;
    while (sc.number(v)) out.back().second.push_back(v);
  }
  return out;
}

}  // namespace

int printImageDiff(const q3::ParamImage& a, const q3::ParamImage& b, bool names) {
  if (names) {
    const q3::SettingsComparison c = q3::compareSettings(a, b);
    const std::string text = q3::comparisonText(c);
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (!c.empty()) std::fprintf(stderr, "%i value(s) differ\n", c.count());
    return c.empty() ? 0 : 1;
  }
  q3::IgnWriteInfo info;
  auto va = keywordValues(q3::renderIgn(a, info));
  auto vb = keywordValues(q3::renderIgn(b, info));
  int differences = 0;
  for (size_t k = 0; k < va.size() && k < vb.size(); ++k) {
    const auto& [kw, xs] = va[k];
    const auto& ys = vb[k].second;
    for (size_t i = 0; i < xs.size() && i < ys.size(); ++i) {
      if (xs[i] == ys[i]) continue;
      std::printf("%s[%zu]: %i -> %i\n", kw.c_str(), i + 1, xs[i], ys[i]);
      ++differences;
    }
  }
  if (differences) std::fprintf(stderr, "%i value(s) differ\n", differences);
  return differences ? 1 : 0;
}

namespace {

// diff A.ign B.ign [--names] [--test], or diff --unit FILE.ign with the
// options of the unit commands (the unit's settings are B).
int runDiff(const std::vector<std::string>& args) {
  bool names = false;
  bool unit = false;
  std::vector<std::string> rest;
  for (const std::string& a : args) {
    if (a == "--names")
      names = true;
    else if (a == "--unit")
      unit = true;
    else
      rest.push_back(a);
  }
  if (unit) return diffWithUnit(rest, names);
  OpenOptions o;
  if (!parseOpen("diff", rest, 2, o)) return 2;
  q3::ParamModel a, b;
  if (!openInto(a, o.files[0], o.testMode) || !openInto(b, o.files[1], o.testMode)) {
    std::fprintf(stderr, "quelin3-tool diff: a file was not accepted\n");
    return 2;
  }
  return printImageDiff(a.image(), b.image(), names);
}

int runArchive(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fprintf(stderr, "usage: quelin3-tool archive HOST \"CMD\" [\"CMD\" ...]\n");
    return 2;
  }
  const std::string& host = args[0];
  std::error_code ec;
  if (!std::filesystem::exists(host, ec)) {
    // A new host: an empty file that the archive is appended to.
    const q3::FileWriteResult made = q3::writeFileSafely(host, {});
    if (!made.ok) {
      std::fprintf(stderr, "quelin3-tool archive: %s\n", made.message.c_str());
      return 1;
    }
  }
  q3::EmbeddedArchive v;
  bool failed = false;
  auto run = [&](const std::string& line) {
    v.execute(line);
    failed = failed || v.lastFailed();
    std::fwrite(v.console().data(), 1, v.console().size(), stdout);
    v.console().clear();
  };
  run("OPEN \"" + host + "\"");
  for (size_t i = 1; i < args.size(); ++i) run(args[i]);
  if (!v.errors().empty()) std::fputs(v.errors().c_str(), stderr);
  return failed ? 1 : 0;
}

int applyIgn(const std::string& path, q3::ParamModel& model) {
  q3::IgnWriteInfo info;
  std::string why;
  if (!q3::writeIgnText(path, q3::renderIgn(model.image(), info), &why)) {
    std::fprintf(stderr, "quelin3-tool defaults: %s\n", why.c_str());
    return 1;
  }
  return 0;
}

int runSaveAllNew(const std::vector<std::string>& args) {
  std::string dir = args.empty() ? "new_ign" : args[0];
  int n = q3::saveAllNew(dir, q3::IgnWriteInfo{}, q3::dialogs());
  std::fprintf(stderr, "%i of %i files written to %s\n", n, q3::kServiceBikes, dir.c_str());
  return n == q3::kServiceBikes ? 0 : 1;
}

int runCompareAll(const std::vector<std::string>& args) {
  std::string now = args.size() > 0 ? args[0] : "new_ign";
  std::string old = args.size() > 1 ? args[1] : "new_ign_old";
  std::string report = args.size() > 2 ? args[2] : now + "/compare_all_new.txt";
  return q3::compareAll(now, old, report, q3::dialogs()) ? 0 : 1;
}

const DefaultsOptionRegistrar kIgnOption({"--ign", "FILE.ign",
                                          "also write the image as a settings file", applyIgn});

const CliRegistrar kDump({"dump", "dump [--test] FILE.ign",
                          "open a settings file and print the image in the default.ini format",
                          runDump});
const CliRegistrar kConvert({"convert", "convert [--test] IN.ign OUT.ign",
                             "open a settings file (older formats too) and write it anew",
                             runConvert});
const CliRegistrar kDiff({"diff",
                          "diff [--test] [--names] A.ign B.ign | diff --unit [--names] FILE.ign "
                          "[--port N | --device PATH]",
                          "list the values that differ, by keyword and position or (--names) by "
                          "page and caption; --unit: the file against the connected unit",
                          runDiff});
const CliRegistrar kArchive({"archive", "archive HOST \"CMD\" [\"CMD\" ...]",
                             "run archive commands on the archive inside HOST", runArchive});
const CliRegistrar kSaveAllNew({"save-all-new", "save-all-new [DIR]",
                                "write the default settings file of every bike", runSaveAllNew});
const CliRegistrar kCompareAll({"compare-all", "compare-all [NEW OLD [REPORT]]",
                                "compare two sets of default files line by line", runCompareAll});

}  // namespace

}  // namespace q3cli
