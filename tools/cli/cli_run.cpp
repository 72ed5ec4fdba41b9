// The common options of the unit commands.
#include "cli_run.h"

#include <cstdlib>

namespace q3cli {

Options parse(const std::vector<std::string>& args, bool wantFile) {
  Options o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= args.size()) {
        std::fprintf(stderr, "quelin3-tool: %s needs a value\n", a.c_str());
        o.ok = false;
        return {};
      }
      return args[++i];
    };
    if (a == "--port")
      o.port = std::atoi(value().c_str());
    else if (a == "--device")
      o.device = value();
    else if (a == "-o")
      o.out = value();
    else if (a == "--changed-only")
      o.changedOnly = true;
    else if (a == "--yes")
      o.yes = true;
    else if (a == "--csv")
      o.csv = true;
    else if (a == "--count")
      o.count = std::atoi(value().c_str());
    else if (a == "--timeout")
      o.timeoutMs = std::atoi(value().c_str()) * 1000;
    else if (a == "--retries")
      o.retries = std::atoi(value().c_str());
    else if (a == "--no-backup")
      o.backup = false;
    else if (wantFile && o.file.empty() && a.rfind('-', 0) != 0)
      o.file = a;
    else {
      std::fprintf(stderr, "quelin3-tool: unknown argument \"%s\"\n", a.c_str());
      o.ok = false;
    }
  }
  if (o.port < 0 || o.port > 255) {
    std::fprintf(stderr, "quelin3-tool: --port takes 1..255\n");
    o.ok = false;
  }
  if (o.retries < 1) {
    std::fprintf(stderr, "quelin3-tool: --retries takes 1 or more\n");
    o.ok = false;
  }
  return o;
}

}  // namespace q3cli
