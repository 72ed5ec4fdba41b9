// The common options of the unit commands.
#include "cli_run.h"

#include <charconv>
#include <cstdlib>

namespace q3cli {

namespace {

// A whole decimal number in [lo, hi], else nothing.
std::optional<int> wholeNumber(const std::string& text, int lo, int hi) {
  int v = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, v);
  if (text.empty() || ec != std::errc() || ptr != end || v < lo || v > hi) return std::nullopt;
  return v;
}

constexpr int kMaxTimeoutSeconds = 86400;  // a day
constexpr int kMaxRetries = 100;

}  // namespace

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
    else if (a == "--timeout") {
      const std::string v = value();
      if (const auto n = wholeNumber(v, 1, kMaxTimeoutSeconds)) {
        o.timeoutMs = *n * 1000;
      } else if (o.ok) {
        std::fprintf(stderr, "quelin3-tool: --timeout takes seconds, 1..%i (not \"%s\")\n",
                     kMaxTimeoutSeconds, v.c_str());
        o.ok = false;
      }
    } else if (a == "--retries") {
      const std::string v = value();
      if (const auto n = wholeNumber(v, 1, kMaxRetries)) {
        o.retries = *n;
      } else if (o.ok) {
        std::fprintf(stderr, "quelin3-tool: --retries takes 1..%i (not \"%s\")\n", kMaxRetries,
                     v.c_str());
        o.ok = false;
      }
    } else if (a == "--no-backup")
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
  return o;
}

}  // namespace q3cli
