// Arming the pickup capture and taking its blocks.
#include "monitor/pickup_feed.h"

#include "link/link_events.h"
#include "link/link_session.h"
#include "link/pickup_capture.h"
#include "params/address_map.h"

namespace q3 {

PickupFeed::PickupFeed(LinkSession& session) : m_session(session) {
  m_listening = session.events().monitorAnswer.subscribe(
      [this](std::span<const uint8_t> answer) { monitorAnswer(answer); });
}

void PickupFeed::monitorAnswer(std::span<const uint8_t> answer) {
  if (answer.size() < size_t(kMonitorBlockLen)) return;
  // Received byte j is monitor index j + 1.
  uint8_t monitor[kMonitorBufferLen]{};
  for (int j = 0; j < kMonitorBlockLen; ++j) monitor[j + 1] = answer[size_t(j)];
  m_session.com().capture().armFromMonitor(monitor);
  if (monitor[MonitorByte::PickupBlockState] == 0) return;
  ++m_announced;
  for (size_t i = m_recent.size() - 1; i > 0; --i) m_recent[i] = m_recent[i - 1];
  const auto word = [&](size_t w) { return monitor[2 * w] | monitor[2 * w + 1] << 8; };
  m_recent[0] = {uint16_t(word(MonitorWord::PickupBlockLength)),
                 monitor[MonitorByte::PickupBlockXor], monitor[MonitorByte::PickupBlockSum],
                 word(MonitorWord::EngineSpeed)};
}

std::optional<PickupBlock> PickupFeed::take() {
  BulkArrived& a = m_session.com().capture().arrived();
  if (a.active.load(std::memory_order_acquire) == 0) return std::nullopt;
  PickupBlock b;
  b.state = a.state;
  b.selector = a.extra;
  b.samples = decodePickupSamples({a.buffer, a.length});
  for (const Announcement& n : m_recent) {
    if (n.length == a.length && n.xorCheck == a.xorCheck && n.sumCheck == a.sumCheck) {
      b.monitorRpm = n.rpm;
      break;
    }
  }
  a.active.store(0, std::memory_order_release);
  return b;
}

void PickupFeed::discard() {
  m_session.com().capture().arrived().active.store(0, std::memory_order_release);
}

}  // namespace q3
