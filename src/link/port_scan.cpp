// Device list and persistent COM numbers (ports.ini).
#include "link/port_scan.h"

#include <QSerialPortInfo>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

#include "base/app_paths.h"
#include "base/safe_write.h"

namespace q3 {

namespace fs = std::filesystem;

PortNumbering::PortNumbering() : m_lister(&PortNumbering::systemList) {}

void PortNumbering::setStorePath(std::string path) {
  m_store = std::move(path);
  m_numbers.clear();
  load();
}

int PortNumbering::numberOf(const std::string& identity) const {
  auto it = m_numbers.find(identity);
  return it == m_numbers.end() ? 0 : it->second;
}

void PortNumbering::addExtraDevice(const std::string& path) {
  for (const std::string& p : m_extra)
    if (p == path) return;
  m_extra.push_back(path);
}

bool PortNumbering::scan(std::vector<std::string>& paths) {
  std::vector<PortDevice> devices;
  if (!m_lister || !m_lister(devices)) return false;
  for (const std::string& p : m_extra) {
    std::error_code ec;
    bool listed = false;
    for (const PortDevice& d : devices) listed = listed || d.path == p;
    if (!listed && fs::exists(p, ec)) devices.push_back({p, p});
  }
  paths.assign(256, std::string());
  bool added = false;
  std::set<int> used;
  for (const auto& [id, n] : m_numbers) used.insert(n);
  for (const PortDevice& d : devices) {
    const std::string& id = d.identity.empty() ? d.path : d.identity;
    int n = numberOf(id);
    if (n == 0) {
      // A device seen for the first time takes the lowest free number.
      for (int k = 1; k < 256; ++k)
        if (!used.count(k)) {
          n = k;
          break;
        }
      if (n == 0) {
        // All 255 numbers are given away (pseudo-terminals get a new path each
        // time): take back the lowest number of a device that is not here now.
        std::set<std::string> here;
        for (const PortDevice& h : devices) here.insert(h.identity.empty() ? h.path : h.identity);
        std::string victim;
        for (const auto& [vid, vn] : m_numbers)
          if (!here.count(vid) && (n == 0 || vn < n)) {
            n = vn;
            victim = vid;
          }
        if (n == 0) continue;  // 255 devices present at once
        m_numbers.erase(victim);
      }
      m_numbers[id] = n;
      used.insert(n);
      added = true;
    }
    if (paths[size_t(n)].empty()) paths[size_t(n)] = d.path;
  }
  if (added) save();
  return true;
}

void PortNumbering::load() {
  if (m_store.empty()) return;
  std::ifstream in(m_store);
  std::string line;
  while (std::getline(in, line)) {
    // Lines "COM<n>=<identity>"; anything else (section header, comments) is skipped.
    if (line.rfind("COM", 0) != 0) continue;
    const size_t eq = line.find('=');
    if (eq == std::string::npos || eq + 1 >= line.size()) continue;
    const int n = std::atoi(line.substr(3, eq - 3).c_str());
    if (n < 1 || n > 255) continue;
    m_numbers[line.substr(eq + 1)] = n;
  }
}

void PortNumbering::save() const {
  if (m_store.empty()) return;
  std::error_code ec;
  fs::create_directories(fs::path(m_store).parent_path(), ec);
  std::string text = "[Ports]\n";
  for (const auto& [id, n] : m_numbers) text += "COM" + std::to_string(n) + '=' + id + '\n';
  // The numbers are a convenience: a failed write keeps the old list and the
  // program goes on with the numbers it holds.
  (void)writeFileSafely(m_store, text);
}

bool PortNumbering::systemList(std::vector<PortDevice>& out) {
  // The stable names of USB adapters: /dev/serial/by-id/<name> -> /dev/ttyUSBn.
  std::vector<std::pair<std::string, std::string>> byId;  // canonical target, link
  std::error_code ec;
  for (fs::directory_iterator it("/dev/serial/by-id", ec), e; !ec && it != e; it.increment(ec)) {
    const fs::path target = fs::canonical(it->path(), ec);
    if (!ec) byId.emplace_back(target.string(), it->path().string());
    ec.clear();
  }
  const auto identityOf = [&](const std::string& path) {
    std::error_code e2;
    const std::string canon = fs::canonical(path, e2).string();
    for (const auto& [t, link] : byId)
      if (!e2 && t == canon) return link;
    return path;
  };
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    const std::string path = info.systemLocation().toStdString();
    out.push_back({path, identityOf(path)});
  }
  return true;
}

}  // namespace q3
