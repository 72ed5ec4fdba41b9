// The owner of one link.
#include "link/link_session.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "base/app_paths.h"

namespace q3 {
namespace {

class WallClockPace final : public LinkPace {
 public:
  int64_t nowUs() override {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
  }
  void sleepUntilUs(int64_t us) override {
    const int64_t wait = us - nowUs();
    if (wait > 0) std::this_thread::sleep_for(std::chrono::microseconds(wait));
  }
};

}  // namespace

LinkPace& wallClockPace() {
  static WallClockPace pace;
  return pace;
}

LinkSession::LinkSession(ParamModel& model, AppClock& clock, UserDialogs& dialogs,
                         StatusSink* status, const StartOptions& options, const LinkSetup& setup)
    : m_clock(clock),
      m_pace(setup.pace ? *setup.pace : wallClockPace()),
      m_threads(setup.threads),
      m_com(std::make_unique<ProtocolEngine>(clock, setup.threads)),
      m_sup(std::make_unique<ConnectionSupervisor>(*m_com, model, clock, dialogs)) {
  if (!setup.threads) m_com->setThreadless(true);
  if (setup.devices) m_com->setDeviceFactory(setup.devices);
  if (setup.ports) m_com->numbering().setLister(setup.ports);
  // Devices keep their COM numbers in ports.ini of the data folder; the extra
  // devices (a simulated unit's pseudo-terminal) are listed while they exist.
  m_com->numbering().setStorePath(dataFolder(options).empty() ? std::string()
                                                              : dataFolder(options) + "ports.ini");
  for (const std::string& path : options.extraPorts) m_com->numbering().addExtraDevice(path);
  m_com->fillProbeTable();
  m_com->setStatusSink(status);
  m_com->onUnitFound = [this](const FoundUnit& u) { m_unitFound.notify(u); };
  if (status) m_view = std::make_unique<OperationStatusView>(*m_sup, status);
}

LinkSession::~LinkSession() {
  m_view.reset();
  m_sup.reset();
  m_com.reset();  // closes the ports and ends the engine thread
}

PortState LinkSession::portState(int port) const {
  PortState s;
  if (port <= 0 || port >= kComPorts) return s;
  const PortRecord& c = m_com->com[port];
  s.port = port;
  s.devicePath = c.devicePath;
  s.present = c.present.load(std::memory_order_acquire) != 0;
  s.open = c.isOpen();
  s.openFailure = c.openFailure.load(std::memory_order_acquire);
  return s;
}

bool LinkSession::portsScanned() const {
  return m_com->scanDone.load(std::memory_order_acquire) != 0;
}

std::vector<PortState> LinkSession::presentPorts() const {
  std::vector<PortState> out;
  for (int p = 1; p < kComPorts; ++p)
    if (m_com->com[p].present.load(std::memory_order_acquire)) out.push_back(portState(p));
  return out;
}

int LinkSession::connectedPort() const {
  return m_com->connectedPort.load(std::memory_order_acquire);
}

void LinkSession::selectPorts(int selection) {
  if (selection < -1 || selection >= kComPorts) selection = 0;
  m_com->comSelection.store(selection, std::memory_order_release);
}

int LinkSession::portSelection() const {
  return m_com->comSelection.load(std::memory_order_acquire);
}

void LinkSession::setNextPortHint(int port) {
  m_com->nextPortHint = (port > 0 && port < kComPorts) ? port : 1;
}

int LinkSession::nextPortHint() const { return m_com->nextPortHint; }

void LinkSession::setProgramKey(int major, int minor) {
  m_com->keyMajor.store(major, std::memory_order_release);
  m_com->keyMinor.store(minor, std::memory_order_release);
}

bool LinkSession::takePortListChanged() { return m_com->portListChanged.exchange(0) != 0; }

void LinkSession::setListOnly(bool on) { m_com->listOnly = on; }

void LinkSession::closeAllPorts() { m_com->closeAll(); }

bool LinkSession::anyPortOpen() const {
  for (const PortRecord& c : m_com->com)
    if (c.isOpen()) return true;
  return false;
}

void LinkSession::resetProbeTable() { m_com->fillProbeTable(); }

void LinkSession::usePort(int port) { selectPorts(port); }

bool LinkSession::useDevice(const std::string& path) {
  m_com->numbering().addExtraDevice(path);
  m_com->scanPorts();
  for (int p = 1; p < kComPorts; ++p) {
    if (m_com->com[p].present.load() && path == m_com->com[p].devicePath) {
      usePort(p);
      return true;
    }
  }
  return false;
}

void LinkSession::supervisorTurn(int32_t tickCounter) {
  if ((tickCounter & supervisorMask()) == 0) m_sup->run();
}

void LinkSession::tick() {
  ++m_ticks;
  m_clock.advance(50);
  supervisorTurn(m_ticks);
}

bool LinkSession::runUntil(const std::function<bool()>& pred, int timeoutMs) {
  const int64_t start = m_pace.nowUs();
  int64_t next = start;
  while (!pred()) {
    if (m_pace.nowUs() - start > int64_t(timeoutMs) * 1000) return false;
    next += 50000;
    waitUntil(next);
    tick();
  }
  return true;
}

void LinkSession::waitUntil(int64_t us) {
  if (m_threads) {
    m_pace.sleepUntilUs(us);
    return;
  }
  // What the port threads and the engine thread would do meanwhile: about
  // one step of each port and one engine pass every millisecond.
  for (int64_t now = m_pace.nowUs(); now < us; now = m_pace.nowUs()) {
    m_pace.sleepUntilUs(std::min(us, now + 1000));
    m_com->ioStepAll();
    m_com->enginePass();
  }
}

}  // namespace q3
