// quelin3-tool: the command-line face of the same core as the window. The
// command table, the options of every command and the run of one command
// line (main.cpp calls it; tests of the commands call it in their own process).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/app_paths.h"
#include "base/checked_math.h"
#include "cli_command.h"
#include "link/link_session.h"
#include "text/mstring.h"

namespace q3cli {

static std::vector<CliCommand>& registry() {
  static std::vector<CliCommand> r;
  return r;
}

CliRegistrar::CliRegistrar(const CliCommand& c) { registry().push_back(c); }

const std::vector<CliCommand>& commands() { return registry(); }

static q3::StartOptions& options() {
  static q3::StartOptions o;
  return o;
}

const q3::StartOptions& startOptions() { return options(); }

static q3::LinkSetup& setup() {
  static q3::LinkSetup s;
  return s;
}

const q3::LinkSetup& linkSetup() { return setup(); }

void setLinkSetup(const q3::LinkSetup& s) { setup() = s; }

}  // namespace q3cli

static void printHelp(FILE* out) {
  std::fprintf(out, "Usage: quelin3-tool COMMAND [ARGS...]\n\nCommands:\n");
  for (const auto& c : q3cli::commands()) std::fprintf(out, "  %-44s %s\n", c.usage, c.summary);
  std::fprintf(out, "  %-44s %s\n", "--help", "show this list");
  std::fprintf(out, "\nOptions for every command:\n  %-44s %s\n", "--language en|de|cz",
               "language of the texts shown (default en); the results are the same");
}

// Takes "--language en|de|cz" out of the arguments (anywhere) and sets the
// language of every text the tool shows. False on an unknown language.
static bool takeLanguage(std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--language") continue;
    const std::string v = i + 1 < args.size() ? args[i + 1] : "";
    const int lang = v == "en" ? 0 : v == "de" ? 1 : v == "cz" ? 2 : -1;
    if (lang < 0) {
      std::fprintf(stderr, "quelin3-tool: --language takes en, de or cz\n");
      return false;
    }
    q3::setLanguage(lang);
    args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
    --i;
  }
  return true;
}

int q3cli::toolMain(int argc, char** argv) {
  // The environment is read here, once; the commands take these values.
  q3cli::options() = q3::StartOptions::fromEnvironment();
  q3::setErrorLogPath(q3::resolveAppPaths(q3cli::options()).errorLog());
  std::vector<std::string> all(argv + 1, argv + argc);
  if (!takeLanguage(all)) return 2;
  std::vector<char*> kept{argv[0]};
  for (std::string& a : all) kept.push_back(a.data());
  argc = int(kept.size());
  argv = kept.data();
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") ||
      !std::strcmp(argv[1], "help")) {
    printHelp(stdout);
    return argc < 2 ? 2 : 0;
  }
  for (const auto& c : q3cli::commands()) {
    if (std::strcmp(c.name, argv[1]) == 0) {
      std::vector<std::string> args(argv + 2, argv + argc);
      return c.run(args);
    }
  }
  std::fprintf(stderr, "quelin3-tool: unknown command \"%s\"\n\n", argv[1]);
  printHelp(stderr);
  return 2;
}
