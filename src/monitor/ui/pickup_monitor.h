// The pickup monitor, run by the window's pickup feature
// (shell/ui/pickup_feature.cpp). It owns the engine
// PickupAnalyzer (made at the first press of the window's "monitor PickUps"
// button and kept for the whole run, so the capture never loses it), the
// window PickupScopeWindow, the window's settings and the feed that arms the link's
// pickup capture after every monitor answer. On the main loop's tick phases:
//   PickupMonitor   an arrived block is handed over to the engine (dropped
//                   while paused; with "Freeze on sync loss" a block that lost
//                   synchronisation freezes the picture instead);
//   PickupPeriodic  (every 16th tick) the analysis, or while paused the
//                   supervisor period mask back to 1;
//   PickupTick      the window's redraw when something asked for one.
// The link's supervisor asks requestsBlocks() before every monitor poll
// (request byte 23).
#pragma once

#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "base/feature.h"
#include "monitor/pickup_analyzer.h"
#include "monitor/pickup_settings.h"

class QWidget;

namespace q3 {

class LinkSession;
class PickupFeed;
class PickupScopeWindow;

struct PickupMonitorContext {
  // The window's link session; null while there is none.
  std::function<LinkSession*()> link;
  // application.ini: the window keeps its own section there ("" keeps nothing).
  std::string settingsFile;
  // The main window: the monitor window stays in front of it and goes with it.
  QWidget* owner = nullptr;
};

class PickupMonitor {
 public:
  explicit PickupMonitor(PickupMonitorContext ctx);
  ~PickupMonitor();
  PickupMonitor(const PickupMonitor&) = delete;
  PickupMonitor& operator=(const PickupMonitor&) = delete;

  void tick(TickPhase phase, int32_t tickCounter);
  void close(CloseStep step);

  // The main window's button "monitor PickUps" (ButtonMonPu): opens the
  // window the first time, then shows and hides it, keeping its place; shown
  // again it runs (not paused).
  void buttonMonPuClick();
  // For SupervisorHost::pickupRequest: the window is visible and not paused.
  bool requestsBlocks() const;

  PickupScopeWindow* window() const;
  PickupAnalyzer* engine() const { return m_engine.get(); }
  PickupMonitorSettings& settings() { return m_settings; }
  // What becomes of a block that arrived: dropped while the window is paused
  // or not yet open; with "Freeze on sync loss" a block without
  // synchronisation after a synchronised picture freezes the window instead;
  // otherwise it is handed over to the engine.
  void blockArrived(const PickupBlock& block);
  // Blocks handed over to the engine so far.
  int blocksHandedOver() const { return m_handedOver; }

 private:
  void follow();  // the feed follows the link session
  void takeBlock();
  void saveSettings();

  PickupMonitorContext m_ctx;
  PickupMonitorSettings m_settings;
  std::unique_ptr<PickupAnalyzer> m_engine;
  QPointer<PickupScopeWindow> m_window;
  std::unique_ptr<PickupFeed> m_feed;
  LinkSession* m_fedBy = nullptr;
  int m_handedOver = 0;
};

}  // namespace q3
