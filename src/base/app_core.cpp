// The main loop's fixed order of work, one pass per timer tick, and the
// start-up and closing steps run over the registered features.
#include "base/app_core.h"

#include <algorithm>

#include "base/debug_log.h"

namespace q3 {

AppCore::AppCore() : m_status(&m_ticks) {}

void AppCore::addFeature(Feature* f) {
  if (f && std::find(m_features.begin(), m_features.end(), f) == m_features.end())
    m_features.push_back(f);
}

void AppCore::removeFeature(Feature* f) {
  m_features.erase(std::remove(m_features.begin(), m_features.end(), f), m_features.end());
}

void AppCore::runStartup(StartupStep step) {
  const auto list = m_features;  // a feature may register another one while starting
  for (Feature* f : list) f->startup(step);
}

void AppCore::runClose(CloseStep step) {
  const auto list = m_features;
  for (Feature* f : list) f->close(step);
}

void AppCore::runPhase(TickPhase phase) {
  for (Feature* f : m_features) f->tick(phase, m_ticks);
}

void AppCore::tick() {
  if (m_ticks < 50) debugLog("T%03i", m_ticks);
  ++m_ticks;
  m_clock.setTmr(m_ticks * 50);
  if (!m_initialised) return;

  runPhase(TickPhase::Supervisor);
  runPhase(TickPhase::ComMenuRebuild);
  runPhase(TickPhase::DeferredApply);
  runPhase(TickPhase::MapEditors);
  m_status.expire();
  runPhase(TickPhase::ActivePageStep);
  runPhase(TickPhase::UpdateCheck);
  runPhase(TickPhase::PickupMonitor);
  runPhase(TickPhase::EnableUnitButtons);
  runPhase(TickPhase::RpmPulseEdit);
  if ((m_ticks & 15) == 0) runPhase(TickPhase::PickupPeriodic);
  runPhase(TickPhase::PickupTick);
  runPhase(TickPhase::PlayerStep);
}

}  // namespace q3
