// Reading the start options from the environment (each program's main()).
#include "base/start_options.h"

#include <cstdlib>

namespace q3 {

namespace {
std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}
}  // namespace

std::vector<std::string> splitDeviceList(const std::string& list) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos <= list.size()) {
    const size_t colon = list.find(':', pos);
    std::string part =
        list.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos);
    if (!part.empty()) out.push_back(std::move(part));
    if (colon == std::string::npos) break;
    pos = colon + 1;
  }
  return out;
}

StartOptions StartOptions::fromEnvironment() {
  StartOptions o;
  o.dataDir = env("QUELIN3_DATA_DIR");
  o.serviceFile = env("QUELIN3_SERVICE_FILE");
  o.extraPorts = splitDeviceList(env("QUELIN3_EXTRA_PORTS"));
  o.debugLog = env("QUELIN3_DEBUG_LOG");
  o.portServer = env("QUELIN3_PORT_SERVER");
  o.updateServer = env("QUELIN3_UPDATE_SERVER");
  return o;
}

}  // namespace q3
