// A bench on virtual time: simulated units (the core of quelin3-unit-sim,
// q3sim::SimUnit on its q3sim::SimLine, so at the unit's line rate) on
// in-memory lines, and the LinkSetup that lets a LinkSession, or the tool's
// commands run in the test's own process, reach them without any thread.
// Time is a VirtualPace: while a session waits, the pace moves on one
// millisecond at a time, the session runs its port steps and engine passes,
// and every unit's line delivers what has reached it. A minute of link time
// costs a few milliseconds; the same seed gives the same run every time.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/link_session.h"
#include "link/memory_device.h"
#include "sim_line.h"
#include "sim_unit.h"

namespace q3test {

// Time that moves only when the session waits, at once to the moment waited for.
class VirtualPace final : public q3::LinkPace {
 public:
  int64_t nowUs() override { return m_now; }
  void sleepUntilUs(int64_t us) override {
    if (us <= m_now) return;
    m_now = us;
    for (size_t i = 0; i < m_listeners.size(); ++i) m_listeners[i](m_now);
    // Things planned for this moment or before (a cable pulled at 2.5 s).
    while (!m_plans.empty() && m_plans.begin()->first <= m_now) {
      auto f = std::move(m_plans.begin()->second);
      m_plans.erase(m_plans.begin());
      f();
    }
  }
  // Called with the new time whenever it moves.
  void listen(std::function<void(int64_t)> f) { m_listeners.push_back(std::move(f)); }
  // Runs f once the time has reached nowUs() + ms.
  void after(int ms, std::function<void()> f) {
    m_plans.emplace(m_now + int64_t(ms) * 1000, std::move(f));
  }
  int64_t nowMs() const { return m_now / 1000; }

 private:
  int64_t m_now = 1000000;  // any start will do; the units only take differences
  std::vector<std::function<void(int64_t)>> m_listeners;
  std::multimap<int64_t, std::function<void()>> m_plans;
};

// How a simulated unit is started: the unit's own settings, as
// quelin3-unit-sim takes them on its command line.
struct UnitOptions {
  q3sim::SimConfig config;
  int baud = 0;            // --baud (0: 57600, 115200 for protocol 3300)
  int delayMs = 0;         // --delay
  bool anyRate = false;    // --any-baud
  bool keepMemory = true;  // --memory: the memory outlives the unit (read at the next start)
};

// One simulated unit on its in-memory line.
class VirtualUnit {
 public:
  // log: where every request is also kept (the bench's log over every unit), or nullptr.
  VirtualUnit(const UnitOptions& o, std::shared_ptr<q3::MemoryLine> line,
              std::vector<std::vector<uint8_t>>* log = nullptr)
      : unit(o.config),
        line(unit, o.baud ? o.baud : (o.config.protocol == q3::kProto3300 ? 115200 : 57600), true,
             o.delayMs),
        m_anyRate(o.anyRate),
        m_mem(std::move(line)) {
    unit.frameLog = [this, log](const char* dir, const uint8_t* f, int n) {
      if (dir[0] != 'I') return;
      framesIn.emplace_back(f, f + n);
      if (log) log->emplace_back(f, f + n);
    };
  }

  // Bytes from the program, at time nowUs.
  void fromProgram(const uint8_t* d, int n, int64_t nowUs) {
    if (m_gone) return;
    line.fromProgram(d, n, nowUs, m_anyRate || m_mem->lastBaud.load() == line.baud());
  }
  // The line moves on to nowUs.
  void step(int64_t nowUs) {
    if (m_gone) return;
    m_out.clear();
    line.step(nowUs, m_out);
    if (!m_out.empty()) m_mem->peerWrite(m_out.data(), int(m_out.size()));
  }
  // The unit and its device are gone (the program's open device stays dead).
  void remove() { m_gone = true; }
  bool gone() const { return m_gone; }
  q3::MemoryLine& memoryLine() { return *m_mem; }

  // Requests the unit received whose first byte is first.
  int framesStartingWith(uint8_t first) const {
    int n = 0;
    for (const auto& f : framesIn)
      if (!f.empty() && f[0] == first) ++n;
    return n;
  }

  q3sim::SimUnit unit;
  q3sim::SimLine line;
  std::vector<std::vector<uint8_t>> framesIn;  // every request as the unit received it

 private:
  bool m_anyRate;
  bool m_gone = false;
  std::shared_ptr<q3::MemoryLine> m_mem;
  std::vector<uint8_t> m_out;
};

// The devices of one bench, by path: what is plugged in is listed and opens.
class VirtualBench {
 public:
  VirtualBench() {
    pace.listen([this](int64_t now) {
      for (auto& [path, u] : m_units) u->step(now);
    });
  }

  // Starts a unit on path (a unit already there is stopped first). With
  // keepMemory it starts on the memory the last unit on that path left.
  VirtualUnit& start(const std::string& path, const UnitOptions& o = {}) {
    stop(path);
    auto line = std::make_shared<q3::MemoryLine>();
    auto u = std::make_unique<VirtualUnit>(o, line, &framesIn);
    if (o.keepMemory) {
      if (auto it = m_memory.find(path); it != m_memory.end())
        std::copy(it->second.begin(), it->second.end(), u->unit.memory);
      else
        m_memory[path].assign(u->unit.memory, u->unit.memory + q3sim::kMemorySize);
    }
    m_keep[path] = o.keepMemory;
    VirtualUnit* raw = u.get();
    line->setPeer([this, raw](const uint8_t* d, int n) { raw->fromProgram(d, n, pace.nowUs()); });
    m_lines[path] = line;
    m_units[path] = std::move(u);
    return *raw;
  }
  // The unit on path ends and its device goes away (a pulled cable, a
  // stopped quelin3-unit-sim); its memory is kept for the next start.
  void stop(const std::string& path) {
    auto it = m_units.find(path);
    if (it == m_units.end()) return;
    if (m_keep[path])
      m_memory[path].assign(it->second->unit.memory, it->second->unit.memory + q3sim::kMemorySize);
    it->second->remove();
    m_retired.push_back(std::move(it->second));  // an open device may still point at its line
    m_units.erase(it);
    m_lines.erase(path);
  }
  VirtualUnit* unit(const std::string& path) {
    auto it = m_units.find(path);
    return it == m_units.end() ? nullptr : it->second.get();
  }
  // The memory a unit on path left (or the first one started with).
  std::vector<uint8_t>& memoryFile(const std::string& path) { return m_memory[path]; }

  // Sessions made with this setup reach the bench's devices, without threads,
  // on the bench's pace.
  q3::LinkSetup setup() {
    q3::LinkSetup s;
    s.threads = false;
    s.pace = &pace;
    s.devices = [this](const std::string& path) {
      auto it = m_lines.find(path);
      return q3::MemoryLineSet::deviceOn(it == m_lines.end() ? nullptr : it->second);
    };
    s.ports = [this](std::vector<q3::PortDevice>& out) {
      out.clear();
      for (const auto& [path, line] : m_lines) out.push_back({path, path});
      return true;
    };
    return s;
  }

  VirtualPace pace;
  // Every request any unit of the bench received, in order (the units' log file).
  std::vector<std::vector<uint8_t>> framesIn;

 private:
  std::map<std::string, std::unique_ptr<VirtualUnit>> m_units;
  std::map<std::string, std::shared_ptr<q3::MemoryLine>> m_lines;
  std::map<std::string, std::vector<uint8_t>> m_memory;
  std::map<std::string, bool> m_keep;
  std::vector<std::unique_ptr<VirtualUnit>> m_retired;
};

}  // namespace q3test
