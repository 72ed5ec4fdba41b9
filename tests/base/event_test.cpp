// Events with any number of listeners: each listener sees each emission once
// whatever the order of registration, and listeners may come and go while an
// emission runs.
#include "base/event.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace {

// Three listeners registered in every order see every value exactly once.
TEST(Event, EveryListenerSeesEveryEmissionOnceInAnyRegistrationOrder) {
  std::array<int, 3> order = {0, 1, 2};
  do {
    q3::Event<int> e;
    std::array<std::vector<int>, 3> seen;
    for (int who : order)
      e.listen([&seen, who](int v) { seen[static_cast<size_t>(who)].push_back(v); });
    e.emit(7);
    e.emit(9);
    for (const auto& s : seen) EXPECT_EQ(s, (std::vector<int>{7, 9}));
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST(Event, ListenersComeAndGoDuringAnEmission) {
  q3::Event<> e;
  std::vector<const char*> calls;
  q3::Event<>::Id second = 0;
  std::optional<q3::Event<>::Id> late;
  e.listen([&] {
    calls.push_back("first");
    e.unlisten(second);  // removed during the emission: not called afterwards
    if (!late) late = e.listen([&] { calls.push_back("late"); });  // joins from the next one
  });
  second = e.listen([&] { calls.push_back("second"); });
  e.emit();
  EXPECT_EQ(calls, (std::vector<const char*>{"first"}));
  calls.clear();
  e.emit();
  EXPECT_EQ(calls, (std::vector<const char*>{"first", "late"}));
  EXPECT_EQ(e.listenerCount(), 2u);
}

TEST(Event, ListenerMayRemoveItselfWhileRunning) {
  q3::Event<int> e;
  int calls = 0;
  q3::Event<int>::Id self = 0;
  self = e.listen([&](int) {
    ++calls;
    e.unlisten(self);
  });
  e.emit(1);
  e.emit(2);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(e.listenerCount(), 0u);
}

TEST(Event, SubscriptionEndsItsListenerWhenItEnds) {
  q3::Event<int> e;
  int got = 0;
  {
    auto sub = e.subscribe([&](int v) { got += v; });
    e.emit(1);
    q3::Event<int>::Subscription moved = std::move(sub);
    sub.reset();  // the moved-from one owns nothing any more
    e.emit(2);
    EXPECT_EQ(e.listenerCount(), 1u);
  }
  e.emit(4);
  EXPECT_EQ(got, 3);
  EXPECT_EQ(e.listenerCount(), 0u);

  // Assigning over a live subscription ends the old listener.
  int a = 0, b = 0;
  auto sub = e.subscribe([&](int) { ++a; });
  sub = e.subscribe([&](int) { ++b; });
  e.emit(0);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 1);
}

}  // namespace
