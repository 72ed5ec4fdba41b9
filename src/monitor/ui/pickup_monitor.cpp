// The pickup monitor's part in the main loop.
#include "monitor/ui/pickup_monitor.h"

#include "link/link_session.h"
#include "monitor/pickup_feed.h"
#include "monitor/ui/pickup_scope_window.h"

namespace q3 {

PickupMonitor::PickupMonitor(PickupMonitorContext ctx) : m_ctx(std::move(ctx)) {
  if (!m_ctx.settingsFile.empty()) m_settings.load(m_ctx.settingsFile);
}

PickupMonitor::~PickupMonitor() {
  m_feed.reset();
  delete m_window.data();  // unless its owner took it along already
}

PickupScopeWindow* PickupMonitor::window() const { return m_window.data(); }

bool PickupMonitor::requestsBlocks() const {
  return m_window && m_window->isVisible() && !m_window->paused();
}

void PickupMonitor::buttonMonPuClick() {
  if (!m_engine) {
    m_engine = std::make_unique<PickupAnalyzer>();
    auto* w = new PickupScopeWindow(*m_engine, m_settings, m_ctx.owner);
    PickupScopeWindow::Hooks hooks;
    hooks.settingsChanged = [this] { saveSettings(); };
    w->setHooks(std::move(hooks));
    m_window = w;
    w->show();
    return;
  }
  if (!m_window) return;  // went with its owner
  if (m_window->isVisible()) {
    m_window->hide();
    return;
  }
  m_window->setPaused(false);
  m_window->show();
  m_window->raise();
}

void PickupMonitor::follow() {
  LinkSession* s = m_ctx.link ? m_ctx.link() : nullptr;
  if (s == m_fedBy) return;
  m_feed.reset();
  m_fedBy = s;
  if (s) m_feed = std::make_unique<PickupFeed>(*s);
}

void PickupMonitor::takeBlock() {
  if (!m_feed) return;
  if (!m_engine || !m_window || m_window->paused()) {
    m_feed->discard();  // nobody looks, or the picture stays as it is
    return;
  }
  if (std::optional<PickupBlock> b = m_feed->take()) blockArrived(*b);
}

void PickupMonitor::blockArrived(const PickupBlock& b) {
  if (!m_engine || !m_window || m_window->paused()) return;
  if (m_settings.freezeOnSyncLoss && !b.synchronised() && m_engine->synchronised() &&
      !m_engine->events().empty()) {
    m_window->freezeForSyncLoss();
    return;
  }
  m_engine->handOver(b);
  ++m_handedOver;
}

void PickupMonitor::tick(TickPhase phase, int32_t) {
  switch (phase) {
    case TickPhase::PickupMonitor:
      follow();
      takeBlock();
      break;
    case TickPhase::PickupPeriodic:
      if (!m_engine || !m_window) break;
      if (m_window->paused()) {
        if (m_fedBy) m_fedBy->setSupervisorMask(1);
      } else {
        m_engine->analyse();
      }
      break;
    case TickPhase::PickupTick:
      if (m_window) m_window->tick();
      break;
    default:
      break;
  }
}

void PickupMonitor::close(CloseStep step) {
  if (step == CloseStep::StopRecordingAndPlayback) {
    if (m_window) m_window->storePlacement();
    saveSettings();
  }
  // The feed listens to the link's events, so it ends before the link does;
  // the first closing step comes before the link's, whatever the order of
  // the features.
  m_feed.reset();
  m_fedBy = nullptr;
}

void PickupMonitor::saveSettings() {
  if (!m_ctx.settingsFile.empty()) m_settings.save(m_ctx.settingsFile);
}

}  // namespace q3
