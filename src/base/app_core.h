// The core of the main window: the tick counter and the time base TMR, the
// initialised flag, the supervisor period mask, the status-message slots and
// the fixed order of work inside one timer tick.
//
// Every subsystem that runs on the timer registers its step in one named slot
// of TickHooks; an empty slot is skipped. tick() is one pass of the main
// loop; the window's Timer1 calls it every 55 ms and tests call it directly,
// so they own the time base exactly.
#pragma once

#include <cstdint>
#include <functional>

#include "base/status_slots.h"

namespace q3 {

struct TickHooks {
  // Connection supervisor with port search and port manager; runs when
  // (tick counter AND supervisor mask) = 0.
  std::function<void()> supervisor;
  // Rebuilds the COM menu when the port manager flagged a change of the
  // present ports (the hook checks and clears that flag itself).
  std::function<void()> comMenuRebuild;
  // Applies an edited control whose delay has run out.
  std::function<void()> deferredApply;
  // Live values and timer entry of every map editor.
  std::function<void()> mapEditors;
  // Periodic step of the active page (advance, gear and race pages).
  std::function<void()> activePageStep;
  // Update-check step.
  std::function<void()> updateCheck;
  // Hands a complete bulk block to the pickup monitor.
  std::function<void()> pickupMonitor;
  // Enables the read/verify/program commands exactly while a unit is connected.
  std::function<void()> enableUnitButtons;
  // Turns "-1"/"-2" in the rpm-pulse edit into "pickup 1"/"pickup 2".
  std::function<void()> rpmPulseEdit;
  // Every 16th tick while a pickup monitor exists: mask back to 1 while its
  // window is paused, otherwise its analysis.
  std::function<void()> pickupPeriodic;
  // Every tick while a pickup monitor exists: its tick and pending redraw.
  std::function<void()> pickupTick;
  // Step of a running playback.
  std::function<void()> playerStep;
};

class AppCore {
 public:
  AppCore();

  // One pass of the main loop, in this order: debug line "T%03i" during the
  // first 50 ticks; tick counter + 1 and TMR = counter x 50; stop here until
  // initialised; supervisor (masked); COM menu; deferred apply; map editors;
  // status expiry; active page; update check; pickup block; unit buttons;
  // rpm-pulse edit; pickup periodic (every 16th tick); pickup tick; player.
  void tick();

  int32_t tickCounter() const { return m_ticks; }
  bool initialised() const { return m_initialised; }
  void setInitialised(bool on) { m_initialised = on; }

  // 1, 3 or 7: the supervisor runs every 2nd, 4th or 8th tick.
  int supervisorMask() const;
  void setSupervisorMask(int mask);
  // Widens the mask one step (1 -> 3 -> 7); used after a failed block checksum.
  void widenSupervisorMask();

  TickHooks& hooks() { return m_hooks; }
  StatusSlots& status() { return m_status; }
  const StatusSlots& status() const { return m_status; }

 private:
  int32_t m_ticks = 0;
  bool m_initialised = false;
  TickHooks m_hooks;
  StatusSlots m_status;
};

}  // namespace q3
