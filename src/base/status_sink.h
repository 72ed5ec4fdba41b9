// The status-message slots as the core sees them: slot 1 connection, slot 2
// operation result with its progress bar, slot 4 unit/PC congruence.
#pragma once

#include <cstdint>

namespace q3 {

// Colours are 24-bit 0xBBGGRR values.
using Colour = uint32_t;
inline constexpr Colour kKeepColour = 0xFF000000u;  // leave the label's colour as it is
inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kWhite = 0xFFFFFF;
inline constexpr Colour kRed = 0x0000FF;
inline constexpr Colour kAqua = 0xFFFF00;
inline constexpr Colour kLime = 0x00FF00;
inline constexpr Colour kYellow = 0x00FFFF;
inline constexpr Colour kBtnFace = 0xF0F0F0;  // the system face colour of buttons

class StatusSink {
 public:
  virtual ~StatusSink() = default;
  // mtext is a multi-language string (or nullptr to clear the slot); it is copied.
  virtual void showStatus(int slot, const char* mtext, int durationMs, Colour font, Colour back,
                          int priority) = 0;
};

}  // namespace q3
