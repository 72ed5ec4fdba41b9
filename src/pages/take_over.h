// Live values taken over from the monitor block into the image by a page's
// button ("<- Gear N", "TP 0 %", "TP 100 %"). A take-over is accepted only
// from a connected unit and only when the value lies in the range of the
// element it goes to: without a unit the monitor block is cleared, and a
// stopped engine reports values (a gear ratio of 0) that no setting may hold.
#pragma once

#include "params/param_binder.h"

namespace q3::pages {

// The word the live value goes to and the value, or word -1 when nothing is
// taken over.
struct TakeOver {
  int word = -1;
  int value = 0;
};

inline TakeOver takeOverInRange(bool connected, int word, int value, int min, int max) {
  if (!connected || value < min || value > max) return {};
  return {word, value};
}

// Stores an accepted take-over as one change: one undo entry, change marks,
// programming after change.
inline void applyTakeOver(ParamBinder& binder, const TakeOver& t) {
  if (t.word < 0) return;
  binder.model().image().setWord(t.word, t.value);
  binder.applyNow();
}

}  // namespace q3::pages
