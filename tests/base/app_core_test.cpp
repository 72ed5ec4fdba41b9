// The main loop: time base, initialised flag, the fixed order of the tick
// phases, and the start-up and closing steps run over registered features.
#include "base/app_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/app_clock.h"

namespace {

using q3::CloseStep;
using q3::StartupStep;
using q3::TickPhase;

const char* phaseName(TickPhase p) {
  switch (p) {
    case TickPhase::Supervisor:
      return "supervisor";
    case TickPhase::ComMenuRebuild:
      return "com";
    case TickPhase::DeferredApply:
      return "deferred";
    case TickPhase::MapEditors:
      return "maps";
    case TickPhase::ActivePageStep:
      return "page";
    case TickPhase::UpdateCheck:
      return "update";
    case TickPhase::PickupMonitor:
      return "pickupBlock";
    case TickPhase::EnableUnitButtons:
      return "buttons";
    case TickPhase::RpmPulseEdit:
      return "rpmPulse";
    case TickPhase::PickupPeriodic:
      return "pickupPeriodic";
    case TickPhase::PickupTick:
      return "pickupTick";
    case TickPhase::PlayerStep:
      return "player";
  }
  return "?";
}

// Writes "<name>:<what>" into a shared log for every step it takes part in.
class Recorder : public q3::Feature {
 public:
  Recorder(std::string name, std::vector<std::string>& log) : m_name(std::move(name)), m_log(log) {}
  const char* featureName() const override { return m_name.c_str(); }
  void startup(StartupStep s) override {
    m_log.push_back(m_name + ":start" + std::to_string(static_cast<int>(s)));
  }
  void tick(TickPhase p, int32_t counter) override {
    m_log.push_back(m_name + ":" + phaseName(p));
    counters.push_back(counter);
  }
  void close(CloseStep s) override {
    m_log.push_back(m_name + ":close" + std::to_string(static_cast<int>(s)));
  }
  std::vector<int32_t> counters;

 private:
  std::string m_name;
  std::vector<std::string>& m_log;
};

std::vector<std::string> only(const std::vector<std::string>& log, const std::string& suffix) {
  std::vector<std::string> out;
  for (const auto& s : log)
    if (s.size() >= suffix.size() &&
        s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0)
      out.push_back(s);
  return out;
}

TEST(AppCore, TicksAdvanceTimeBaseButDoNoWorkBeforeInitialised) {
  q3::AppCore core;
  std::vector<std::string> log;
  Recorder f("f", log);
  core.addFeature(&f);
  for (int i = 0; i < 10; ++i) core.tick();
  EXPECT_EQ(core.tickCounter(), 10);
  EXPECT_EQ(core.clock().tmr(), 500);
  EXPECT_TRUE(log.empty());
  core.setInitialised(true);
  core.tick();
  core.tick();
  EXPECT_EQ(core.clock().tmr(), 600);
  // The phases see the counter after this tick's increment.
  EXPECT_EQ(only(log, ":supervisor"), (std::vector<std::string>{"f:supervisor", "f:supervisor"}));
  EXPECT_EQ(f.counters.front(), 11);
  EXPECT_EQ(f.counters.back(), 12);
}

// Each AppCore has a time base of its own: a second main loop (a test, the
// tool) neither resets nor advances the first one's.
TEST(AppCore, EveryCoreKeepsItsOwnClock) {
  q3::AppCore a;
  for (int i = 0; i < 4; ++i) a.tick();
  q3::AppCore b;
  b.tick();
  EXPECT_EQ(a.clock().tmr(), 200);
  EXPECT_EQ(b.clock().tmr(), 50);
  EXPECT_FALSE(a.clock().stopRequested());
  b.clock().requestStop();
  EXPECT_FALSE(a.clock().stopRequested());
  EXPECT_TRUE(b.clock().stopRequested());
}

TEST(AppCore, PhasesRunInTheFixedOrderForEveryFeature) {
  q3::AppCore core;
  core.setInitialised(true);
  std::vector<std::string> log;
  Recorder first("a", log), second("b", log);
  core.addFeature(&first);
  core.addFeature(&second);
  for (int i = 0; i < 16; ++i) core.tick();
  const std::vector<std::string> tick16 = {
      "supervisor",  "com",     "deferred", "maps",           "page",       "update",
      "pickupBlock", "buttons", "rpmPulse", "pickupPeriodic", "pickupTick", "player"};
  std::vector<std::string> want;
  for (const auto& p : tick16) {
    want.push_back("a:" + p);
    want.push_back("b:" + p);
  }
  ASSERT_GE(log.size(), want.size());
  EXPECT_EQ(std::vector<std::string>(log.end() - static_cast<long>(want.size()), log.end()), want);
  // The pickup monitor's periodic phase on every 16th tick only; the
  // supervisor phase on every tick (the link applies its own period).
  EXPECT_EQ(only(log, "a:pickupPeriodic").size(), 1u);
  EXPECT_EQ(only(log, "a:supervisor").size(), 16u);
  EXPECT_EQ(only(log, "a:player").size(), 16u);
}

TEST(AppCore, StartupAndCloseStepsReachFeaturesInRegistrationOrder) {
  q3::AppCore core;
  std::vector<std::string> log;
  Recorder a("a", log), b("b", log), c("c", log);
  core.addFeature(&a);
  core.addFeature(&b);
  core.addFeature(&a);  // once only
  core.addFeature(nullptr);
  core.addFeature(&c);
  core.removeFeature(&b);
  EXPECT_EQ(core.features().size(), 2u);
  core.runStartup(StartupStep::LoadArchive);
  core.runClose(CloseStep::ClosePorts);
  const std::string s = std::to_string(static_cast<int>(StartupStep::LoadArchive));
  const std::string k = std::to_string(static_cast<int>(CloseStep::ClosePorts));
  EXPECT_EQ(log,
            (std::vector<std::string>{"a:start" + s, "c:start" + s, "a:close" + k, "c:close" + k}));
}

// A feature may register another while a step runs: the newcomer takes part
// from the next step on, not in the one that is running.
TEST(AppCore, FeatureAddedDuringAStepJoinsFromTheNextStep) {
  struct Spawner : q3::Feature {
    q3::AppCore* core = nullptr;
    q3::Feature* child = nullptr;
    const char* featureName() const override { return "spawner"; }
    void startup(StartupStep s) override {
      if (s == StartupStep::CreateProtocolEngine) core->addFeature(child);
    }
  };
  q3::AppCore core;
  std::vector<std::string> log;
  Recorder child("child", log);
  Spawner spawner;
  spawner.core = &core;
  spawner.child = &child;
  core.addFeature(&spawner);
  core.runStartup(StartupStep::CreateProtocolEngine);
  EXPECT_TRUE(log.empty());
  core.runStartup(StartupStep::ClearUnitTexts);
  EXPECT_EQ(log.size(), 1u);
}

struct OneLabel : q3::StatusSlotView {
  bool shown = false;
  bool hasLabel(int slot) const override { return slot == 1; }
  bool labelVisible(int) const override { return shown; }
  void setLabelVisible(int, bool v) override { shown = v; }
  void setLabelText(int, const char*) override {}
  void setLabelColours(int, q3::Colour, q3::Colour) override {}
};

TEST(AppCore, MessagesExpireBetweenMapEditorsAndPageStep) {
  struct Watch : q3::Feature {
    const OneLabel* label = nullptr;
    bool seenByMaps = false, seenByPage = true;
    const char* featureName() const override { return "watch"; }
    void tick(TickPhase p, int32_t) override {
      if (p == TickPhase::MapEditors) seenByMaps = label->shown;
      if (p == TickPhase::ActivePageStep) seenByPage = label->shown;
    }
  };
  q3::AppCore core;
  OneLabel label;
  Watch watch;
  watch.label = &label;
  core.status().bind(&label);
  core.addFeature(&watch);
  core.setInitialised(true);
  core.status().showStatus(1, "###x", 100, q3::kBlack, q3::kWhite, 1);  // expiry tick 2
  core.tick();
  core.tick();
  EXPECT_TRUE(watch.seenByPage);
  core.tick();  // counter 3 > 2
  EXPECT_TRUE(watch.seenByMaps);
  EXPECT_FALSE(watch.seenByPage);
}

}  // namespace
