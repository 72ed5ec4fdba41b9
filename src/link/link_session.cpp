// The owner of one link.
#include "link/link_session.h"

#include <chrono>
#include <thread>

#include "base/app_paths.h"

namespace q3 {
namespace {
int64_t nowUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

LinkSession::LinkSession(ParamModel& model, AppClock& clock, StatusSink* status,
                         const StartOptions& options)
    : m_clock(clock),
      m_com(std::make_unique<ProtocolEngine>(clock, true)),
      m_sup(std::make_unique<ConnectionSupervisor>(*m_com, model, clock)) {
  // Devices keep their COM numbers in ports.ini of the data folder; the extra
  // devices (a simulated unit's pseudo-terminal) are listed while they exist.
  m_com->numbering().setStorePath(dataFolder(options).empty() ? std::string()
                                                              : dataFolder(options) + "ports.ini");
  for (const std::string& path : options.extraPorts) m_com->numbering().addExtraDevice(path);
  m_com->fillProbeTable();
  m_com->setStatusSink(status);
  if (status) m_view = std::make_unique<OperationStatusView>(*m_sup, status);
}

LinkSession::~LinkSession() {
  m_view.reset();
  m_sup.reset();
  m_com.reset();  // closes the ports and ends the engine thread
}

void LinkSession::usePort(int port) { m_com->comSelection.store(port); }

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
  const int64_t start = nowUs();
  int64_t next = start;
  while (!pred()) {
    if (nowUs() - start > int64_t(timeoutMs) * 1000) return false;
    next += 50000;
    const int64_t wait = next - nowUs();
    if (wait > 0) std::this_thread::sleep_for(std::chrono::microseconds(wait));
    tick();
  }
  return true;
}

}  // namespace q3
