// The declarative description of a setting page: one row per bound control
// (objectName, kind, image address, scaling, range, items). Control creation,
// binding, show and store of a page are all made from its table.
#pragma once

#include <span>

#include "params/param_binder.h"

namespace q3::pages {

enum class Kind {
  Spin,          // spin edit on a byte
  SpinWord,      // spin edit on a word
  Check,         // check box on a byte (0/1)
  RadioIndex,    // radio group, item index = byte
  RadioValue,    // radio group, the item whose value equals the byte
  ComboValue,    // combo box, the same
  RadioButtons,  // group of radio buttons, button i checked when i equals the byte
};

// One item of a list: the stored value and its text (a multi-language string
// or a plain one).
struct Item {
  int value;
  const char* text;
};

struct ControlSpec {
  const char* name;  // objectName of the control (UpDown..., CheckBox..., ...)
  Kind kind;
  int base;        // byte index, or word index for SpinWord
  int sub = 0;     // sub-index, may carry kSignedFlag
  int factor = 1;  // shown = factor * (stored + offset)
  int offset = 0;
  int min = 0;
  int max = 255;
  int step = 1;
  const char* caption = nullptr;  // caption until the text tables give one
  std::span<const Item> items = {};
};

TransferKind transferKind(Kind k);

// A radio group that selects the item whose value equals the byte (an
// input's or an output's function).
constexpr ControlSpec radioByValue(const char* name, int byte, const char* caption,
                                   std::span<const Item> items) {
  return {name, Kind::RadioValue, byte, 0, 1, 0, 0, 255, 1, caption, items};
}

// One visibility / enabling rule of a page: the controls it names (a "%d" in
// the name stands for the numbers 1..n of a channel or input), and when they
// are visible and enabled. A null predicate means always.
template <class State>
struct Rule {
  const char* name;
  bool (*visible)(const State&, int number);
  bool (*enabled)(const State&, int number);
};

}  // namespace q3::pages
