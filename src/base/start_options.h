// What the environment says about a run of one of the programs, read once by
// its main() and handed down: where the settings folder is, the service-mode
// file, extra serial devices, the debug log, the port-release socket name and
// the update server. Nothing below main() reads the environment itself, so a
// test builds the value it needs instead of changing the process's state.
#pragma once

#include <string>
#include <vector>

namespace q3 {

struct StartOptions {
  std::string dataDir;                  // QUELIN3_DATA_DIR: replaces the whole settings folder
  std::string serviceFile;              // QUELIN3_SERVICE_FILE: the service-mode file
  std::vector<std::string> extraPorts;  // QUELIN3_EXTRA_PORTS: more serial devices
  std::string debugLog;                 // QUELIN3_DEBUG_LOG: the debug log's file
  std::string portServer;               // QUELIN3_PORT_SERVER: the port-release socket
  std::string updateServer;             // QUELIN3_UPDATE_SERVER: the maker's server

  // The one reader of the QUELIN3_* variables; called by each main().
  static StartOptions fromEnvironment();
};

// Splits a colon-separated device list; empty parts are dropped.
std::vector<std::string> splitDeviceList(const std::string& list);

}  // namespace q3
