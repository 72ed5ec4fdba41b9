// Where the program keeps its files: the per-machine data folder (with
// application.ini and default.ini) and the service-mode file.
#pragma once

#include <string>

namespace q3 {

struct AppPaths {
  std::string dataDir;  // ends with '/', or empty: the current working folder
  std::string applicationIni() const { return dataDir + "application.ini"; }
  std::string defaultIni() const { return dataDir + "default.ini"; }
  std::string monitorIni() const { return dataDir + "monitor.ini"; }
};

// The per-machine data folder, the one place that decides it: QUELIN3_DATA_DIR
// when set, else <generic data folder>/Korvelan/QUELIN3/104. Ends with '/';
// empty when there is no generic data folder (files then live in the current
// working folder). Creates nothing.
std::string dataFolder();

// The data folder with its files; each missing level of the folder is created
// (errors are ignored).
AppPaths resolveAppPaths();

// QUELIN3_SERVICE_FILE when set, else /etc/korvelan/quelin3-service.txt.
std::string serviceModeFilePath();

}  // namespace q3
