// Fitting a saved window rectangle onto the present monitors.
#include "base/window_fit.h"

#include <gtest/gtest.h>

namespace {

using R = q3::WindowRect;

TEST(WindowFit, Cases) {
  const std::vector<R> twoMonitors = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  const std::vector<R> oneMonitor = {{0, 0, 1920, 1080}};
  struct Case {
    const char* what;
    R in;
    std::vector<R> monitors;
    R out;
  };
  const Case cases[] = {
      {"inside the first: kept", {100, 100, 800, 600}, twoMonitors, {100, 100, 800, 600}},
      {"inside the second: kept", {2000, 50, 800, 600}, twoMonitors, {2000, 50, 800, 600}},
      {"on a monitor that is gone: moved onto the remaining one",
       {2100, 100, 800, 600},
       oneMonitor,
       {1120, 100, 800, 600}},
      {"across both: onto the one it overlaps most",
       {1800, 100, 800, 600},
       twoMonitors,
       {1920, 100, 800, 600}},
      {"larger than the monitor: shrunk", {-50, -50, 2500, 1500}, oneMonitor, {0, 0, 1920, 1080}},
      {"above and left: moved in", {-300, -200, 800, 600}, oneMonitor, {0, 0, 800, 600}},
      {"below: moved up", {100, 900, 800, 600}, oneMonitor, {100, 480, 800, 600}},
      {"no monitors: kept", {5000, 5000, 10, 10}, {}, {5000, 5000, 10, 10}},
  };
  for (const Case& c : cases) EXPECT_EQ(q3::fitToMonitors(c.in, c.monitors), c.out) << c.what;
}

TEST(WindowFit, OverhangIsTheSumOfTheFourSides) {
  EXPECT_EQ(q3::overhang({-10, -20, 100, 100}, {0, 0, 50, 50}), 10 + 40 + 20 + 30);
  EXPECT_EQ(q3::overhang({0, 0, 50, 50}, {0, 0, 50, 50}), 0);
}

}  // namespace
