// The test buttons and the bits they send.
#include "monitor/monitor_test_buttons.h"

#include <cstddef>

namespace q3 {

namespace {
struct Row {
  const char* name;
  int byte;  // 0 ignition, 1 outputs, 2 servo
  uint8_t bits;
};
constexpr Row kRows[kTestButtons] = {
    {"ButtonTestIgn1", 0, 0x01},      {"ButtonTestIgn2", 0, 0x02},
    {"ButtonTestIgn3", 0, 0x04},      {"ButtonTestIgn4", 0, 0x08},
    {"ButtonTest01", 1, 0x01},        {"ButtonTest02", 1, 0x02},
    {"ButtonTest03", 1, 0x28},        {"ButtonTestRpm", 1, 0x04},
    {"ButtonTestServoPlus", 2, 0x01}, {"ButtonTestServoMinus", 2, 0x02},
};
}  // namespace

const char* testButtonName(TestButton b) { return kRows[int(b)].name; }

bool TestCommands::press(TestButton b, bool unitConnected, bool playback) {
  if (!available(unitConnected, playback)) return false;
  const Row& r = kRows[int(b)];
  m_bits[std::size_t(r.byte)] |= r.bits;
  return true;
}

std::array<uint8_t, 3> TestCommands::take() {
  const std::array<uint8_t, 3> out = m_bits;
  m_bits = {};
  return out;
}

}  // namespace q3
