// The list of serial devices and their COM numbers. A device keeps the number
// it got the first time it was seen, stored in ports.ini in the data folder and
// keyed by its stable identity (its /dev/serial/by-id name when there is one,
// else its path), so a USB adapter shows the same COM number every time.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace q3 {

struct PortDevice {
  std::string path;      // what is opened, e.g. /dev/ttyUSB0 or /tmp/q3sim
  std::string identity;  // the stable key (by-id name or path)
};

class PortNumbering {
 public:
  // Lists the devices now; false when the list cannot be obtained.
  using Lister = std::function<bool(std::vector<PortDevice>&)>;

  PortNumbering();
  void setLister(Lister l) { m_lister = std::move(l); }
  // The ports.ini path; empty keeps the numbers in memory only.
  void setStorePath(std::string path);
  const std::string& storePath() const { return m_store; }

  // Lists the devices and numbers them; paths[n] is the device of COM n
  // (empty when absent). False when the list could not be obtained.
  bool scan(std::vector<std::string>& paths);
  // The number given to an identity (0 when none yet).
  int numberOf(const std::string& identity) const;
  // A device the lister does not report (a simulated unit's pseudo-terminal
  // given on the command line); listed after the lister's devices while it exists.
  void addExtraDevice(const std::string& path);

  // The system's serial ports (Qt SerialPort).
  static bool systemList(std::vector<PortDevice>& out);

 private:
  void load();
  void save() const;
  Lister m_lister;
  std::vector<std::string> m_extra;
  std::string m_store;
  std::map<std::string, int> m_numbers;  // identity -> COM number
};

}  // namespace q3
