// The test buttons: the bits each one sends, clicks adding up between two
// polls and sent once, nothing while there is no live unit or a recording
// plays.
#include "monitor/monitor_test_buttons.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using q3::TestButton;
using Bits = std::array<uint8_t, 3>;

TEST(TestButtons, EachButtonSetsItsBits) {
  struct Case {
    TestButton button;
    const char* name;
    Bits bits;
  } cases[] = {
      {TestButton::Ign1, "ButtonTestIgn1", {0x01, 0, 0}},
      {TestButton::Ign2, "ButtonTestIgn2", {0x02, 0, 0}},
      {TestButton::Ign3, "ButtonTestIgn3", {0x04, 0, 0}},
      {TestButton::Ign4, "ButtonTestIgn4", {0x08, 0, 0}},
      {TestButton::Out1, "ButtonTest01", {0, 0x01, 0}},
      {TestButton::Out2, "ButtonTest02", {0, 0x02, 0}},
      {TestButton::Out3, "ButtonTest03", {0, 0x28, 0}},
      {TestButton::Rpm, "ButtonTestRpm", {0, 0x04, 0}},
      {TestButton::ServoPlus, "ButtonTestServoPlus", {0, 0, 0x01}},
      {TestButton::ServoMinus, "ButtonTestServoMinus", {0, 0, 0x02}},
  };
  for (const Case& c : cases) {
    q3::TestCommands t;
    EXPECT_TRUE(t.press(c.button, true, false));
    EXPECT_STREQ(q3::testButtonName(c.button), c.name);
    EXPECT_EQ(t.take(), c.bits) << c.name;
  }
}

// Two clicks on ignition 1 and one on ignition 3 before the next poll send
// 0x05 once; the poll after that sends nothing.
TEST(TestButtons, ClicksBetweenPollsAddUpAndAreSentOnce) {
  q3::TestCommands t;
  t.press(TestButton::Ign1, true, false);
  t.press(TestButton::Ign1, true, false);
  t.press(TestButton::Ign3, true, false);
  t.press(TestButton::ServoMinus, true, false);
  EXPECT_EQ(t.take(), (Bits{0x05, 0, 0x02}));
  EXPECT_EQ(t.take(), (Bits{0, 0, 0}));
}

TEST(TestButtons, NothingIsKeptWithoutALiveUnit) {
  struct Case {
    bool connected, playback, works;
  } cases[] = {
      {true, false, true}, {false, false, false}, {true, true, false}, {false, true, false}};
  for (const Case& c : cases) {
    q3::TestCommands t;
    EXPECT_EQ(q3::TestCommands::available(c.connected, c.playback), c.works);
    EXPECT_EQ(t.press(TestButton::Rpm, c.connected, c.playback), c.works);
    EXPECT_EQ(t.pending()[1], c.works ? 0x04 : 0x00);
  }
  q3::TestCommands t;
  t.press(TestButton::Ign2, true, false);
  t.clear();
  EXPECT_EQ(t.take(), (Bits{0, 0, 0}));
}

}  // namespace
