// The main loop's fixed order of work, one pass per timer tick.
#include "base/app_core.h"

#include "base/app_clock.h"
#include "base/debug_log.h"

namespace q3 {

namespace {
inline void run(const std::function<void()>& f) {
  if (f) f();
}
}  // namespace

AppCore::AppCore() : m_status(&m_ticks) {
  setTmr(0);
  g_supervisorMask.store(1, std::memory_order_release);
}

int AppCore::supervisorMask() const { return g_supervisorMask.load(std::memory_order_acquire); }

void AppCore::setSupervisorMask(int mask) {
  if (mask == 1 || mask == 3 || mask == 7) g_supervisorMask.store(mask, std::memory_order_release);
}

void AppCore::widenSupervisorMask() { setSupervisorMask(supervisorMask() == 1 ? 3 : 7); }

void AppCore::tick() {
  if (m_ticks < 50) debugLog("T%03i", m_ticks);
  ++m_ticks;
  setTmr(m_ticks * 50);
  if (!m_initialised) return;

  if ((m_ticks & supervisorMask()) == 0) run(m_hooks.supervisor);
  run(m_hooks.comMenuRebuild);
  run(m_hooks.deferredApply);
  run(m_hooks.mapEditors);
  m_status.expire();
  run(m_hooks.activePageStep);
  run(m_hooks.updateCheck);
  run(m_hooks.pickupMonitor);
  run(m_hooks.enableUnitButtons);
  run(m_hooks.rpmPulseEdit);
  if ((m_ticks & 15) == 0) run(m_hooks.pickupPeriodic);
  run(m_hooks.pickupTick);
  run(m_hooks.playerStep);
}

}  // namespace q3
