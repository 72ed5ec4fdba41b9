// Backups of unit settings before programming.
#include "files/unit_backup.h"

#include <QDateTime>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "files/ign_reader.h"
#include "files/ign_writer.h"
#include "params/param_model.h"

namespace q3 {

namespace fs = std::filesystem;

std::string BackupStore::folderOf(const std::string& serial) {
  std::string s;
  for (char c : serial)
    s += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '_';
  if (s.empty() || serial == "none SN") return "unknown";
  return s;
}

std::vector<UnitBackup> BackupStore::list(const std::string& serial) const {
  std::vector<UnitBackup> out;
  std::error_code ec;
  std::vector<fs::path> units;
  if (!serial.empty()) {
    units.push_back(fs::path(m_dir) / folderOf(serial));
  } else {
    for (fs::directory_iterator it(m_dir, ec), e; !ec && it != e; it.increment(ec))
      if (it->is_directory(ec)) units.push_back(it->path());
  }
  for (const fs::path& unit : units) {
    for (fs::directory_iterator it(unit, ec), e; !ec && it != e; it.increment(ec)) {
      if (it->path().extension() != ".ign") continue;
      UnitBackup b;
      b.serial = unit.filename().string();
      b.path = it->path().string();
      b.stamp = it->path().stem().string();
      ParamModel m;
      if (load(b.path, m)) b.bike = m.image().byte(170);
      out.push_back(std::move(b));
    }
    ec.clear();
  }
  // The stamp sorts by time; the newest first.
  std::sort(out.begin(), out.end(), [](const UnitBackup& a, const UnitBackup& b) {
    return a.stamp != b.stamp ? a.stamp > b.stamp : a.serial < b.serial;
  });
  return out;
}

bool BackupStore::load(const std::string& path, ParamModel& model) {
  std::string text;
  if (!readIgnFileText(path, text)) return false;
  IgnFileState state;
  return readIgn(text, model, state, IgnReadOptions{}).key != 0;
}

std::string BackupStore::save(const std::string& serial, const ParamImage& image,
                              int64_t unixSeconds, std::string* why) {
  const std::string folder = folderOf(serial);
  const std::vector<UnitBackup> existing = list(serial.empty() ? "unknown" : serial);
  if (!existing.empty()) {
    ParamModel newest;
    if (load(existing.front().path, newest) && newest.image() == image)
      return existing.front().path;
  }
  std::error_code ec;
  const fs::path dir = fs::path(m_dir) / folder;
  fs::create_directories(dir, ec);
  if (ec) {
    if (why) *why = "cannot create " + dir.string() + ": " + ec.message();
    return {};
  }
  // Local time, as the user reads the list.
  const std::string name = QDateTime::fromSecsSinceEpoch(unixSeconds)
                               .toString(QStringLiteral("yyyy-MM-dd_HHmmss"))
                               .toStdString();
  std::string path = (dir / (name + ".ign")).string();
  for (int n = 2; fs::exists(path, ec); ++n)  // two backups in one second
    path = (dir / (name + "_" + std::to_string(n) + ".ign")).string();
  if (!writeIgnText(path, renderIgn(image, IgnWriteInfo{}), why)) {
    return {};
  }
  // The newest 50 stay.
  const std::vector<UnitBackup> all = list(serial.empty() ? "unknown" : serial);
  for (size_t i = kBackupsKept; i < all.size(); ++i) fs::remove(all[i].path, ec);
  return path;
}

}  // namespace q3
