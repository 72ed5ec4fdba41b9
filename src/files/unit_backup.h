// Automatic backups of a unit's settings: before the program writes a unit,
// what the connection check read from it is kept as a settings file in
// <data folder>/backups/<serial number>/<date>_<time>.ign, the newest 50 per
// unit. A wrong file programmed by mistake can so always be undone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "params/param_image.h"

namespace q3 {

class ParamModel;

inline constexpr int kBackupsKept = 50;

struct UnitBackup {
  std::string serial;  // the folder: the unit's serial number, made safe for a file name
  std::string path;
  std::string stamp;  // "2026-12-10_130455" from the file name
  int bike = -1;      // preset number in the backup (image byte 170)
};

class BackupStore {
 public:
  // dataDir: the data folder (ending with '/'), as AppPaths::dataDir.
  explicit BackupStore(std::string dataDir) : m_dir(std::move(dataDir) + "backups/") {}

  // Writes image as the newest backup of the unit; skipped (true, path of the
  // newest) when that one holds the same bytes. Keeps the newest 50. The path
  // written, or "" (with why) when it could not be written.
  std::string save(const std::string& serial, const ParamImage& image, int64_t unixSeconds,
                   std::string* why = nullptr);
  // The backups of one unit (serial given) or of every unit, newest first.
  std::vector<UnitBackup> list(const std::string& serial = {}) const;
  // Reads a backup into model.image(); false when it cannot be read.
  static bool load(const std::string& path, ParamModel& model);

  // A serial number as a folder name ("none SN" and empty ones become "unknown").
  static std::string folderOf(const std::string& serial);
  const std::string& root() const { return m_dir; }

 private:
  std::string m_dir;
};

}  // namespace q3
