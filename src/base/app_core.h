// The core of the main loop: the tick counter and the time base TMR (kept in
// the AppClock this object owns), the initialised flag, the status-message
// slots, the registered features and the fixed order of the start-up steps,
// the tick phases and the closing steps (base/feature.h).
//
// tick() is one pass of the main loop; the window's Timer1 calls it every
// 55 ms and tests call it directly, so they own the time base exactly.
#pragma once

#include <cstdint>
#include <vector>

#include "base/app_clock.h"
#include "base/feature.h"
#include "base/status_slots.h"

namespace q3 {

class AppCore {
 public:
  AppCore();

  // Registers a feature (not owned; it must stay alive while registered).
  // Features take part in every step in registration order.
  void addFeature(Feature* f);
  void removeFeature(Feature* f);
  const std::vector<Feature*>& features() const { return m_features; }

  void runStartup(StartupStep step);
  void runClose(CloseStep step);

  // One pass of the main loop, in this order: debug line "T%03i" during the
  // first 50 ticks; tick counter + 1 and TMR = counter x 50; stop here until
  // initialised; supervisor; COM menu; deferred apply; map editors; status
  // expiry; active page; update check; pickup block; unit buttons; rpm-pulse
  // edit; pickup periodic (every 16th tick); pickup tick; player.
  void tick();

  int32_t tickCounter() const { return m_ticks; }
  bool initialised() const { return m_initialised; }
  void setInitialised(bool on) { m_initialised = on; }

  AppClock& clock() { return m_clock; }
  const AppClock& clock() const { return m_clock; }
  StatusSlots& status() { return m_status; }
  const StatusSlots& status() const { return m_status; }

 private:
  void runPhase(TickPhase phase);

  int32_t m_ticks = 0;
  bool m_initialised = false;
  AppClock m_clock;
  StatusSlots m_status;
  std::vector<Feature*> m_features;
};

}  // namespace q3
