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

// Three listeners registered in every order each hear every value once.
TEST(Event, EveryListenerHearsEveryNotificationOnceInAnyRegistrationOrder) {
  std::array<int, 3> order = {0, 1, 2};
  do {
    q3::Event<int> e;
    std::array<std::vector<int>, 3> seen;
    for (int who : order)
      e.listen([&seen, who](int v) { seen[static_cast<size_t>(who)].push_back(v); });
    e.notify(7);
    e.notify(9);
    for (const auto& s : seen) EXPECT_EQ(s, (std::vector<int>{7, 9}));
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST(Event, ListenerMayRemoveItselfWhileRunning) {
  q3::Event<int> e;
  int calls = 0;
  q3::Event<int>::Id self = 0;
  self = e.listen([&](int) {
    ++calls;
    e.unlisten(self);
  });
  e.notify(1);
  e.notify(2);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(e.listenerCount(), 0u);
}

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

  // Assigning over a live subscription ends the old listener.
  int a = 0, b = 0;
  auto s = e.subscribe([&] { ++a; });
  s = e.subscribe([&] { ++b; });
  e.notify();
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(e.listenerCount(), 1u);
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
