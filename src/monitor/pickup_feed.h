// PickupFeed: the pickup monitor's side of a link session. After every
// monitor answer it arms the session's pickup capture with the block the
// answer announces (monitor bytes 128..131 and word 49), and it takes each
// block that arrived complete and valid, with its state, period selector and
// the engine speed of the answer that announced it. The window's feature and
// the command-line tool feed the same analysis through it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "base/event.h"
#include "monitor/pickup_block.h"

namespace q3 {

class LinkSession;

class PickupFeed {
 public:
  explicit PickupFeed(LinkSession& session);
  PickupFeed(const PickupFeed&) = delete;
  PickupFeed& operator=(const PickupFeed&) = delete;

  // The block that arrived since the last call, if any; the capture's
  // arrived record is free again afterwards.
  std::optional<PickupBlock> take();
  // Drops an arrived block unread (no pickup monitor to show it).
  void discard();
  // Monitor answers that announced a block, since the feed began.
  int announced() const { return m_announced; }

  // Arms the capture from one monitor answer (150 received bytes).
  void monitorAnswer(std::span<const uint8_t> answer);

 private:
  // What an answer announced, to find the speed that goes with a block.
  struct Announcement {
    uint16_t length = 0;
    uint8_t xorCheck = 0;
    uint8_t sumCheck = 0;
    int rpm = 0;
  };
  LinkSession& m_session;
  Event<std::span<const uint8_t>>::Subscription m_listening;
  std::array<Announcement, 4> m_recent{};
  int m_announced = 0;
};

}  // namespace q3
