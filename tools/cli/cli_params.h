// Extra options of "quelin3-tool defaults". Another subcommand file can add
// an option (for example one that loads a settings file over the defaults)
// with a static DefaultsOptionRegistrar, without touching the command itself.
#pragma once

#include <string>

namespace q3 {
class ParamModel;
}

namespace q3cli {

struct DefaultsOption {
  const char* name;  // "--ign"
  const char* arg;   // "FILE.ign"
  const char* help;  // one line for the usage text
  // Runs after the defaults image is built and sanitised, in the order the
  // options were given; the image is sanitised again afterwards. Returns 0,
  // or the exit code of the failure (after printing a message to stderr).
  int (*apply)(const std::string& value, q3::ParamModel& model);
};

struct DefaultsOptionRegistrar {
  explicit DefaultsOptionRegistrar(const DefaultsOption& o);
};

}  // namespace q3cli
