// quelin3-tool defaults: the image built from the defaults of a bike,
// sanitised, in the image-dump format of default.ini.
#include "cli_params.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "base/app_settings.h"
#include "base/safe_write.h"
#include "cli_command.h"
#include "params/address_map.h"
#include "params/param_model.h"

namespace q3cli {

namespace {

std::vector<DefaultsOption>& extraOptions() {
  static std::vector<DefaultsOption> v;
  return v;
}

bool parseBike(const std::string& s, int& bike) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || v < 0 || v > 255) return false;
  bike = static_cast<int>(v);
  return true;
}

void usage() {
  std::fprintf(stderr, "usage: quelin3-tool defaults [--bike N] [-o FILE]");
  for (const DefaultsOption& o : extraOptions()) std::fprintf(stderr, " [%s %s]", o.name, o.arg);
  std::fprintf(stderr,
               "\n  --bike N   preset bike 0..255 (default 20)\n  -o FILE    write to FILE\n");
  for (const DefaultsOption& o : extraOptions())
    std::fprintf(stderr, "  %s %s  %s\n", o.name, o.arg, o.help);
}

int runDefaults(const std::vector<std::string>& args) {
  int bike = 20;
  std::string outPath;
  std::vector<std::pair<const DefaultsOption*, std::string>> extras;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "-h" || a == "--help") {
      usage();
      return 0;
    }
    if (!hasValue) {
      std::fprintf(stderr, "quelin3-tool defaults: unknown option or missing value \"%s\"\n",
                   a.c_str());
      usage();
      return 2;
    }
    const std::string& value = args[++i];
    if (a == "--bike") {
      if (!parseBike(value, bike)) {
        std::fprintf(stderr, "quelin3-tool defaults: bike must be 0..255, not \"%s\"\n",
                     value.c_str());
        return 2;
      }
    } else if (a == "-o") {
      outPath = value;
    } else {
      const DefaultsOption* found = nullptr;
      for (const DefaultsOption& o : extraOptions())
        if (a == o.name) found = &o;
      if (!found) {
        std::fprintf(stderr, "quelin3-tool defaults: unknown option \"%s\"\n", a.c_str());
        usage();
        return 2;
      }
      extras.emplace_back(found, value);
    }
  }

  q3::ParamModel model;
  model.image().setByte(q3::ImageByte::Bike, bike);
  model.applyDefaults(-1);
  model.sanitize();
  for (const auto& [option, value] : extras) {
    if (const int rc = option->apply(value, model)) return rc;
    model.sanitize();
  }

  const std::string text = q3::formatImageDump(model.image().data(), q3::kImageSize);
  if (outPath.empty()) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
  }
  // Through the safe write: a regular FILE is replaced whole, a FIFO or
  // /dev/stdout is written as it is.
  const q3::FileWriteResult w = q3::writeFileSafely(outPath, text);
  if (!w.ok) {
    std::fprintf(stderr, "quelin3-tool defaults: %s\n", w.message.c_str());
    return 1;
  }
  return 0;
}

const CliRegistrar kDefaults({"defaults", "defaults [--bike N] [-o FILE]",
                              "print the default image of a bike in the default.ini format",
                              runDefaults});

}  // namespace

DefaultsOptionRegistrar::DefaultsOptionRegistrar(const DefaultsOption& o) {
  extraOptions().push_back(o);
}

}  // namespace q3cli
