// The four status-message slots of the main window: slot 1 connection,
// slot 2 operation result (with its progress bar), slot 3 unbound, slot 4
// unit/PC congruence. Each keeps its own prepared copy of the multi-language
// text, so a change of language can show the same message again in the new
// language.
#pragma once

#include <cstdint>
#include <vector>

#include "base/status_sink.h"

namespace q3 {

// What the slots need of the window's labels. Slot 2's show/hide also shows
// or hides the progress bar.
class StatusSlotView {
 public:
  virtual ~StatusSlotView() = default;
  virtual bool hasLabel(int slot) const = 0;
  virtual bool labelVisible(int slot) const = 0;
  virtual void setLabelVisible(int slot, bool visible) = 0;
  virtual void setLabelText(int slot, const char* utf8) = 0;
  // Either colour may be kKeepColour.
  virtual void setLabelColours(int slot, Colour font, Colour back) = 0;
};

class StatusSlots : public StatusSink {
 public:
  static constexpr int kSlots = 4;
  static constexpr int kNever = -1;
  static constexpr int kExpired = 0;

  // ticks: the tick counter the expiry is measured in.
  explicit StatusSlots(const int32_t* ticks) : m_ticks(ticks) {}

  // Binds the labels: every expiry becomes "never" and every bound label is
  // hidden. With no view, requests are ignored.
  void bind(StatusSlotView* view);

  void showStatus(int slot, const char* mtext, int durationMs, Colour font, Colour back,
                  int priority) override;

  // Hides each slot whose expiry tick is past the tick counter.
  void expire();
  // Sets every kept text again in the current language.
  void reselectLanguage();
  // Drops the kept texts (closing the window).
  void freeTexts();

  int priority(int slot) const;    // -1 when the slot shows nothing
  int expiryTick(int slot) const;  // -1 never, 0 expired
  bool hasText(int slot) const;

 private:
  struct Slot {
    std::vector<char> text;  // prepared copy of the multi-language string; empty = none
    int priority = -1;
    int expiry = kNever;
  };
  bool valid(int slot) const { return slot >= 1 && slot <= kSlots; }
  const int32_t* m_ticks;
  StatusSlotView* m_view = nullptr;
  Slot m_slots[kSlots + 1];
};

}  // namespace q3
