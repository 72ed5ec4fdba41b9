// Where the program keeps its files: the per-machine data folder (with
// application.ini, default.ini, ports.ini, the error log and the unit
// backups) and the service-mode file. Decided once per run from the start
// options; every file the program writes on its own lives in that folder.
#pragma once

#include <string>

namespace q3 {

struct StartOptions;

struct AppPaths {
  std::string dataDir;  // ends with '/', or empty: the current working folder
  std::string applicationIni() const { return dataDir + "application.ini"; }
  std::string defaultIni() const { return dataDir + "default.ini"; }
  std::string monitorIni() const { return dataDir + "monitor.ini"; }
  std::string portsIni() const { return dataDir + "ports.ini"; }
  std::string errorLog() const { return dataDir + "ZAR.err"; }
};

// The per-machine data folder, the one place that decides it: the start
// options' folder when set, else <generic data folder>/Korvelan/QUELIN3/104.
// Ends with '/'; empty when there is no generic data folder (files then live
// in the current working folder). Creates nothing.
std::string dataFolder(const StartOptions& options);

// The data folder with its files; each missing level of the folder is created
// (errors are ignored).
AppPaths resolveAppPaths(const StartOptions& options);

// The start options' service-mode file when set, else
// /etc/korvelan/quelin3-service.txt.
std::string serviceModeFilePath(const StartOptions& options);

}  // namespace q3
