// LIBS: q3files q3params q3base q3text
// Archive load on arbitrary host files: a damaged archive must be refused
// without reading past the file or allocating what the file does not hold,
// and whatever loads must unpack and save again.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "files/embedded_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string host = "/tmp/q3_fuzz_archive_" + std::to_string(getpid()) + ".bin";
  // Put the bytes behind a marker on a 256-byte boundary so the loader
  // always gets past the search.
  std::string file(256, 'h');
  file.append(reinterpret_cast<const char*>(q3::kArchiveMarker.data()), q3::kArchiveMarker.size());
  file.append(reinterpret_cast<const char*>(data), size);
  if (FILE* f = std::fopen(host.c_str(), "wb")) {
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
  }
  q3::EmbeddedArchive v;
  if (v.load(host) == q3::EmbeddedArchive::kLoadOk) {
    std::vector<uint8_t> out;
    std::function<void(const q3::ArchiveEntry&)> walk = [&](const q3::ArchiveEntry& e) {
      if (!e.dir) q3::EmbeddedArchive::content(e, out);
      for (const auto& c : e.children) walk(*c);
    };
    walk(v.root());
    v.execute("RENAME \\a \\b");
    v.execute("SAVE");
  }
  std::remove(host.c_str());
  return 0;
}
