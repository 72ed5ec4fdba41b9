// The console driver of the link.
#include "link/link_session.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "base/app_clock.h"

namespace q3 {
namespace {
int64_t nowUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

LinkSession::LinkSession(ParamModel& model, StatusSink* status)
    : m_com(std::make_unique<CCOMCOM>(true)),
      m_sup(std::make_unique<ConnectionSupervisor>(*m_com, model, status)) {
  m_com->fillProbeTable();
  m_com->setStatusSink(status);
}

LinkSession::~LinkSession() {
  m_sup.reset();
  m_com.reset();  // closes the ports and ends the engine thread
}

void LinkSession::usePort(int port) { m_com->comSelection.store(port); }

bool LinkSession::useDevice(const std::string& path) {
  const char* old = std::getenv("QUELIN3_EXTRA_PORTS");
  std::string extra = path;
  if (old && *old) extra += std::string(":") + old;
  setenv("QUELIN3_EXTRA_PORTS", extra.c_str(), 1);
  m_com->scanPorts();
  for (int p = 1; p < kComPorts; ++p) {
    if (m_com->com[p].present.load() && path == m_com->com[p].devicePath) {
      usePort(p);
      return true;
    }
  }
  return false;
}

void LinkSession::tick() {
  ++m_ticks;
  setTmr(tmr() + 50);
  if ((m_ticks & 1) == 0) m_sup->run();
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
