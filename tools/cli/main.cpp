// quelin3-tool: the command-line face of the same core as the window.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli_command.h"

namespace q3cli {

static std::vector<CliCommand>& registry() {
  static std::vector<CliCommand> r;
  return r;
}

CliRegistrar::CliRegistrar(const CliCommand& c) { registry().push_back(c); }

const std::vector<CliCommand>& commands() { return registry(); }

}  // namespace q3cli

static void printHelp(FILE* out) {
  std::fprintf(out, "Usage: quelin3-tool COMMAND [ARGS...]\n\nCommands:\n");
  for (const auto& c : q3cli::commands()) std::fprintf(out, "  %-44s %s\n", c.usage, c.summary);
  std::fprintf(out, "  %-44s %s\n", "--help", "show this list");
}

int main(int argc, char** argv) {
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
