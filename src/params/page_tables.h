// The declarative description of the setting pages: one row per bound
// control (objectName, kind, image address, scaling, range, items), one
// table per page. The pages make, bind, show and store their controls from
// these tables; the parameter catalogue reads the same tables to name every
// setting, so a name can never drift from the control that edits it.
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
  // A control without a caption of its own is named by the captioned group
  // it stands in (objectName of the group box).
  const char* group = nullptr;
};

TransferKind transferKind(Kind k);

// A radio group that selects the item whose value equals the byte (an
// input's or an output's function).
constexpr ControlSpec radioByValue(const char* name, int byte, const char* caption,
                                   std::span<const Item> items) {
  return {name, Kind::RadioValue, byte, 0, 1, 0, 0, 255, 1, caption, items};
}

// Power-output function values (bytes 244..246).
inline constexpr int kPoutOff = 0, kPoutFuelPump = 1, kPoutShiftLight = 2, kPoutN2O = 4,
                     kPoutSpecialPulse = 253, kPoutSpecialPwm = 254, kPoutSpecial = 255;

// Edge byte of one channel edge as the Bike page stores it from its
// controls. For trigger type 14 the lobe number has seven bits (bit 6 of the
// number goes to bit 7 of the byte) and there is no second-pickup flag;
// otherwise bit 7 is the second pickup. Bit 6 is the second edge.
int encodeEdge(int type, int lobe, bool secondEdge, bool secondPickup);
// The lobe number an edge byte names.
int edgeLobe(int type, int edge);

// The tables of the pages.
std::span<const ControlSpec> miscTable();
std::span<const ControlSpec> bikeTable();
std::span<const Item> bikeItems();
std::span<const ControlSpec> sensorsTable();
std::span<const ControlSpec> advanceTable();
std::span<const ControlSpec> poutTable();
std::span<const ControlSpec> servoTable();
std::span<const ControlSpec> gearTable();
std::span<const ControlSpec> raceTable();
std::span<const ControlSpec> n2oTable();
std::span<const ControlSpec> testTable();

// A page in page-index order: its tab sheet's objectName and its table.
struct PageTable {
  int page;
  const char* sheet;
  std::span<const ControlSpec> (*table)();
};
std::span<const PageTable> pageTables();

}  // namespace q3::pages
