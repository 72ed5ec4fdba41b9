// The main loop: time base, initialised flag, supervisor mask and tick order.
#include "base/app_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/app_clock.h"

namespace {

TEST(AppCore, TicksAdvanceTimeBaseButDoNoWorkBeforeInitialised) {
  q3::AppCore core;
  int supervisor = 0;
  core.hooks().supervisor = [&] { ++supervisor; };
  for (int i = 0; i < 10; ++i) core.tick();
  EXPECT_EQ(core.tickCounter(), 10);
  EXPECT_EQ(q3::tmr(), 500);
  EXPECT_EQ(supervisor, 0);
  core.setInitialised(true);
  core.tick();
  core.tick();
  EXPECT_EQ(q3::tmr(), 600);
  EXPECT_EQ(supervisor, 1);  // tick 12 only
}

TEST(AppCore, SupervisorRunsOnMaskedTicks) {
  struct Case {
    int mask;
    std::vector<int> ticks;
  };
  const Case cases[] = {{1, {2, 4, 6, 8, 10, 12, 14, 16}}, {3, {4, 8, 12, 16}}, {7, {8, 16}}};
  for (const Case& c : cases) {
    q3::AppCore core;
    core.setInitialised(true);
    core.setSupervisorMask(c.mask);
    std::vector<int> seen;
    core.hooks().supervisor = [&] { seen.push_back(core.tickCounter()); };
    for (int i = 0; i < 16; ++i) core.tick();
    EXPECT_EQ(seen, c.ticks) << "mask " << c.mask;
  }
}

TEST(AppCore, MaskTakesOnlyItsThreeValuesAndWidensStepwise) {
  q3::AppCore core;
  EXPECT_EQ(core.supervisorMask(), 1);
  core.setSupervisorMask(2);
  EXPECT_EQ(core.supervisorMask(), 1);
  core.widenSupervisorMask();
  EXPECT_EQ(core.supervisorMask(), 3);
  core.widenSupervisorMask();
  core.widenSupervisorMask();
  EXPECT_EQ(core.supervisorMask(), 7);
}

// The link's bulk capture widens the shared mask from the engine thread; the
// next ticks must follow it without the main loop being told.
TEST(AppCore, MaskWidenedFromOutsideSlowsTheSupervisor) {
  q3::AppCore core;
  core.setInitialised(true);
  std::vector<int> seen;
  core.hooks().supervisor = [&] { seen.push_back(core.tickCounter()); };
  q3::g_supervisorMask.store(7, std::memory_order_release);
  for (int i = 0; i < 16; ++i) core.tick();
  EXPECT_EQ(seen, (std::vector<int>{8, 16}));
}

TEST(AppCore, HooksRunInTheFixedOrder) {
  q3::AppCore core;
  core.setInitialised(true);
  std::vector<std::string> order;
  auto& h = core.hooks();
  auto rec = [&](const char* n) { return [&order, n] { order.push_back(n); }; };
  h.supervisor = rec("supervisor");
  h.comMenuRebuild = rec("com");
  h.deferredApply = rec("deferred");
  h.mapEditors = rec("maps");
  h.activePageStep = rec("page");
  h.updateCheck = rec("update");
  h.pickupMonitor = rec("pickupBlock");
  h.enableUnitButtons = rec("buttons");
  h.rpmPulseEdit = rec("rpmPulse");
  h.pickupPeriodic = rec("pickupPeriodic");
  h.pickupTick = rec("pickupTick");
  h.playerStep = rec("player");
  for (int i = 0; i < 16; ++i) core.tick();
  const std::vector<std::string> tick16 = {
      "supervisor",  "com",     "deferred", "maps",           "page",       "update",
      "pickupBlock", "buttons", "rpmPulse", "pickupPeriodic", "pickupTick", "player"};
  ASSERT_GE(order.size(), tick16.size());
  std::vector<std::string> last(order.end() - static_cast<long>(tick16.size()), order.end());
  EXPECT_EQ(last, tick16);
  // pickupPeriodic only on tick 16, supervisor on even ticks only.
  EXPECT_EQ(std::count(order.begin(), order.end(), "pickupPeriodic"), 1);
  EXPECT_EQ(std::count(order.begin(), order.end(), "supervisor"), 8);
  EXPECT_EQ(std::count(order.begin(), order.end(), "player"), 16);
}

}  // namespace

namespace {

struct OneLabel : q3::StatusSlotView {
  bool shown = false;
  bool hasLabel(int slot) const override { return slot == 1; }
  bool labelVisible(int) const override { return shown; }
  void setLabelVisible(int, bool v) override { shown = v; }
  void setLabelText(int, const char*) override {}
  void setLabelColours(int, q3::Colour, q3::Colour) override {}
};

TEST(AppCore, MessagesExpireBetweenMapEditorsAndPageStep) {
  q3::AppCore core;
  OneLabel label;
  core.status().bind(&label);
  core.setInitialised(true);
  core.status().showStatus(1, "###x", 100, q3::kBlack, q3::kWhite, 1);  // expiry tick 2
  bool seenByMaps = false, seenByPage = true;
  core.hooks().mapEditors = [&] { seenByMaps = label.shown; };
  core.hooks().activePageStep = [&] { seenByPage = label.shown; };
  core.tick();
  core.tick();
  EXPECT_TRUE(seenByPage);
  core.tick();  // counter 3 > 2
  EXPECT_TRUE(seenByMaps);
  EXPECT_FALSE(seenByPage);
}

}  // namespace
