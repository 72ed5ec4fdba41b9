// Data folder and service-mode file locations.
#include "base/app_paths.h"

#include <QDir>
#include <QStandardPaths>
#include <cstdlib>

#include "base/version_line.h"

namespace q3 {

AppPaths resolveAppPaths() {
  AppPaths p;
  if (const char* env = std::getenv("QUELIN3_DATA_DIR"); env && *env) {
    QDir().mkpath(QString::fromLocal8Bit(env));
    p.dataDir = env;
    if (p.dataDir.back() != '/') p.dataDir += '/';
    return p;
  }
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (base.isEmpty()) return p;  // files then live in the current working folder
  QString dir = base;
  for (QString level : {QStringLiteral("Korvelan"), QString::fromLatin1(kProductName),
                        QString::number(kUnitTypeKey)}) {
    dir += '/' + level;
    QDir().mkdir(dir);
  }
  p.dataDir = dir.toLocal8Bit().toStdString() + '/';
  return p;
}

std::string serviceModeFilePath() {
  if (const char* env = std::getenv("QUELIN3_SERVICE_FILE"); env && *env) return env;
  return "/etc/korvelan/quelin3-service.txt";
}

}  // namespace q3
