// Subcommands of quelin3-tool. Each cli_*.cpp registers its commands with a
// static CliRegistrar, so adding a command never touches main.
#pragma once

#include <string>
#include <vector>

#include "base/start_options.h"

namespace q3 {
struct LinkSetup;
}

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

// Where the link sessions of the unit commands reach their ports, and how
// they are run: the program's own (the system's serial ports, the engine and
// port threads, the wall clock) unless a test that runs the commands in its
// own process gives in-memory lines on a virtual clock.
const q3::LinkSetup& linkSetup();
void setLinkSetup(const q3::LinkSetup& setup);

// One command line (argv[0] the program, argv[1] the command): reads the
// environment into startOptions(), takes --language, runs the command and
// returns the exit code.
int toolMain(int argc, char** argv);

}  // namespace q3cli
