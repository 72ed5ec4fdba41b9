// The test buttons of the Test page: each click ORs bits into one of three
// test-command bytes, which the next monitor request carries once (request
// bytes 20, 21, 22: ignition, outputs, servo). Clicks between two polls add
// up.
//
// A test command is never stale: the buttons work only while a unit is
// connected and no recording plays, and the pending bits are dropped when a
// unit connects or goes and when playback starts, so a click made for one
// unit can never fire on the next one.
#pragma once

#include <array>
#include <cstdint>

namespace q3 {

enum class TestButton {
  Ign1,
  Ign2,
  Ign3,
  Ign4,
  Out1,
  Out2,
  Out3,
  Rpm,
  ServoPlus,
  ServoMinus,
};
inline constexpr int kTestButtons = 10;

// objectName of a button ("ButtonTestIgn1", ...).
const char* testButtonName(TestButton b);

class TestCommands {
 public:
  // Whether the buttons work: a live unit and no playback.
  static bool available(bool unitConnected, bool playback) { return unitConnected && !playback; }

  // A click; ignored (false) while the buttons do not work.
  bool press(TestButton b, bool unitConnected, bool playback);
  // The three bytes for the monitor request about to be sent; they are cleared.
  std::array<uint8_t, 3> take();
  // Drops whatever is pending (connect, disconnect, play).
  void clear() { m_bits = {}; }
  const std::array<uint8_t, 3>& pending() const { return m_bits; }

 private:
  std::array<uint8_t, 3> m_bits{};
};

}  // namespace q3
