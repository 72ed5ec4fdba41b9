// The shape every feature of the window takes (the link, the pages, the map
// editors, the files, the monitor, the recorder, the pickup monitor, printing,
// the update check ...). A feature gets everything it needs through its
// constructor (an explicit context) and takes part in the three fixed
// sequences that AppCore runs: the start-up steps, the phases of one timer
// tick and the closing steps. A feature overrides only the steps it has work
// in; AppCore calls every registered feature for each step, in the order the
// features were registered. Features talk to each other through events
// (base/event.h) and the shared context, never by looking each other up.
#pragma once

#include <cstdint>

namespace q3 {

// Start-up, in this order (construction of the window, then form creation).
enum class StartupStep {
  // Construction.
  CreateProtocolEngine,
  ClearUnitTexts,
  FillProbeTable,
  SetUnitTypeKey,
  // Form creation.
  LoadArchive,
  MakeImageConsistent,
  CreateComMenuItems,
  CollectControlLists,
  LoadAllDefaults,
  BuildHistoryMenu,
  ApplyControlCaptions,
  ShowAllPages,
  ResetUndoHistory,
  ShowActivePage,
  RebuildComMenu,
  AdjustPageControls,
  MarkPagesForFullRefresh,
  ShowActivePageSecondary,
  CheckAddressMap,
  ResetConnection,
  RefreshMonitor,
  StartUpdateCheck,
  InitRecorderPlayer,
};

// The work of one tick after the time base moved, in this order. The status
// slots expire between MapEditors and ActivePageStep; PickupPeriodic runs on
// every 16th tick only; Supervisor runs every tick and the link decides on
// its own period mask whether this tick is one of its turns.
enum class TickPhase {
  Supervisor,
  ComMenuRebuild,
  DeferredApply,
  MapEditors,
  ActivePageStep,
  UpdateCheck,
  PickupMonitor,
  EnableUnitButtons,
  RpmPulseEdit,
  PickupPeriodic,
  PickupTick,
  PlayerStep,
};

// Closing, in this order; DestroyProtocolEngine runs when the window is destroyed.
enum class CloseStep {
  StopRecordingAndPlayback,
  StopUpdateCheck,
  ClosePorts,
  StoreActivePage,
  DestroyProtocolEngine,
};

class Feature {
 public:
  virtual ~Feature() = default;
  // A short name for logs and tests ("link", "maps", ...).
  virtual const char* featureName() const = 0;
  virtual void startup(StartupStep) {}
  // tickCounter: the counter after this tick's increment.
  virtual void tick(TickPhase, int32_t /*tickCounter*/) {}
  virtual void close(CloseStep) {}
};

}  // namespace q3
