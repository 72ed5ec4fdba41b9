// Events with any number of listeners: each listener sees each notification
// once, listeners come and go during a notification, subscriptions end with
// their owner.
#include "base/event.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace {

TEST(Event, ListenersAddedAndRemovedWhileNotifying) {
  q3::Event<int> e;
  std::vector<int> seen;
  q3::Event<int>::Id second = 0;
  std::optional<q3::Event<int>::Id> late;
  e.listen([&](int v) {
    seen.push_back(100 + v);
    e.unlisten(second);  // removed during the notification: not called any more
    if (!late) late = e.listen([&](int w) { seen.push_back(300 + w); });
  });
  second = e.listen([&](int v) { seen.push_back(200 + v); });
  e.notify(1);
  // The listener added during the first notification hears from the second one on.
  EXPECT_EQ(seen, (std::vector<int>{101}));
  e.notify(2);
  EXPECT_EQ(seen, (std::vector<int>{101, 102, 302}));
  EXPECT_EQ(e.listenerCount(), 2u);
}

TEST(Event, SubscriptionEndsWithItsOwner) {
  q3::Event<> e;
  int calls = 0;
  {
    auto s = e.subscribe([&] { ++calls; });
    e.notify();
    auto moved = std::move(s);  // moving keeps the one listener
    e.notify();
  }
  e.notify();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(e.listenerCount(), 0u);
}

TEST(Event, SubscriptionMayOutliveItsEvent) {
  q3::Event<>::Subscription s;
  {
    q3::Event<> e;
    s = e.subscribe([] {});
  }
  // The event is gone: nothing to remove. Touching the freed event would be
  // seen by AddressSanitizer, under which this test also runs.
  s.reset();
}

}  // namespace
