// Start-up load of the archive of default files.
#include "files/default_archive.h"

#include <cstdio>
#include <filesystem>

#include "files/ign_layout.h"

namespace q3 {

std::string defaultFolderName() {
  char name[32];
  std::snprintf(name, sizeof name, "NEW_%i", KORVELAN_KEY);
  return name;
}

std::string defaultSettingsFolder(const std::string& exeDir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  // Beside the program (a copied folder), then where `cmake --install` puts
  // it (PREFIX/bin/quelin3 and PREFIX/share/quelin3/VAZOV/...).
  std::vector<fs::path> candidates = {
      fs::path(exeDir) / ".." / "VAZOV" / defaultFolderName(),
      fs::path(exeDir) / "VAZOV" / defaultFolderName(),
      fs::path(exeDir) / ".." / "share" / "quelin3" / "VAZOV" / defaultFolderName()};
#ifdef Q3_DEFAULT_FOLDER
  candidates.emplace_back(Q3_DEFAULT_FOLDER);
#endif
  for (const auto& c : candidates)
    if (fs::is_directory(c, ec)) return c.lexically_normal().string();
  return {};
}

bool loadStartupArchive(EmbeddedArchive& archive, const std::string& exePath,
                        const std::string& exeDir) {
  archive.load(exePath);
  if (archive.root().children.empty()) {
    std::string folder = defaultSettingsFolder(exeDir);
    if (!folder.empty()) {
      // The import is an in-memory step; the program file stays as it is.
      if (!archive.isOpen()) archive.execute("CLEAR");
      archive.execute("IMPORT \"" + folder + "\" \"\"");
    }
  }
  return !archive.root().children.empty();
}

}  // namespace q3
