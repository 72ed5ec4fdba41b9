// Data folder and service-mode file locations.
#include "base/app_paths.h"

#include <QDir>
#include <QStandardPaths>
#include <cstdlib>

#include "base/version_line.h"

namespace q3 {

std::string dataFolder() {
  if (const char* env = std::getenv("QUELIN3_DATA_DIR"); env && *env) {
    std::string dir = env;
    if (dir.back() != '/') dir += '/';
    return dir;
  }
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (base.isEmpty()) return {};
  return (base + "/Korvelan/" + QString::fromLatin1(kProductName) + '/' +
          QString::number(kUnitTypeKey) + '/')
      .toLocal8Bit()
      .toStdString();
}

AppPaths resolveAppPaths() {
  AppPaths p;
  p.dataDir = dataFolder();
  if (!p.dataDir.empty()) QDir().mkpath(QString::fromLocal8Bit(p.dataDir.c_str()));
  return p;
}

std::string serviceModeFilePath() {
  if (const char* env = std::getenv("QUELIN3_SERVICE_FILE"); env && *env) return env;
  return "/etc/korvelan/quelin3-service.txt";
}

}  // namespace q3
