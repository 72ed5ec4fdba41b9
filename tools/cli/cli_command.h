// Subcommands of quelin3-tool. Each cli_*.cpp registers its commands with a
// static CliRegistrar, so adding a command never touches main.
#pragma once

#include <string>
#include <vector>

#include "base/start_options.h"

namespace q3cli {

struct CliCommand {
  const char* name;     // "defaults", "dump", ...
  const char* usage;    // "defaults [--bike N] [-o FILE]"
  const char* summary;  // one line for --help
  int (*run)(
      const std::vector<std::string>& args);  // args after the command name; returns the exit code
};

struct CliRegistrar {
  explicit CliRegistrar(const CliCommand& c);
};

const std::vector<CliCommand>& commands();

// What the environment said, read once by main() before any command runs
// (settings folder, extra devices, servers); commands take it from here.
const q3::StartOptions& startOptions();

}  // namespace q3cli
