// Data folder and service-mode file locations.
#include "base/app_paths.h"

#include <QDir>
#include <QStandardPaths>

#include "base/start_options.h"
#include "base/version_line.h"

namespace q3 {

std::string dataFolder(const StartOptions& options) {
  if (!options.dataDir.empty()) {
    std::string dir = options.dataDir;
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

AppPaths resolveAppPaths(const StartOptions& options) {
  AppPaths p;
  p.dataDir = dataFolder(options);
  if (!p.dataDir.empty()) QDir().mkpath(QString::fromLocal8Bit(p.dataDir.c_str()));
  return p;
}

std::string serviceModeFilePath(const StartOptions& options) {
  if (!options.serviceFile.empty()) return options.serviceFile;
  return "/etc/korvelan/quelin3-service.txt";
}

}  // namespace q3
