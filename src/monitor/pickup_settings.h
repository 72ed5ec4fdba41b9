// What the pickup monitor window remembers between runs, kept in its own
// section of application.ini: the colours of its nine slots, the zoom, the
// window placement and whether it freezes when synchronisation is lost. The
// main window saves its own section starting from the file as it stands, so
// this section survives its saves.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/app_settings.h"
#include "base/key_file.h"

namespace q3 {

// The colour list of the slot combo boxes: item text and 0xRRGGBB colour.
// "(invisible)" draws in the black of the background.
struct PickupColourItem {
  const char* name;
  uint32_t rgb;
};
inline constexpr int kPickupColourItems = 16;
const std::array<PickupColourItem, kPickupColourItems>& pickupColourItems();

// The nine colour slots, in the order of their combo boxes.
enum PickupSlot : int {
  kSlotCurve1,     // ComboBoxColorA1, signal 1 trace
  kSlotRise1,      // ComboBoxColorA2, rising edges of signal 1
  kSlotFall1,      // ComboBoxColorA3
  kSlotCurve2,     // ComboBoxColorB1
  kSlotRise2,      // ComboBoxColorB2
  kSlotFall2,      // ComboBoxColorB3
  kSlotIgnition,   // ComboBoxColorC1, ignition arrows and labels
  kSlotGrid,       // ComboBoxColorC2, edge and ignition guide lines
  kSlotDimension,  // ComboBoxColorC3, measuring lines
  kPickupSlots
};
struct PickupSlotInfo {
  const char* combo;   // objectName of its combo box
  const char* legend;  // the text beside it
  int defaultItem;     // index into pickupColourItems()
};
const std::array<PickupSlotInfo, kPickupSlots>& pickupSlots();

struct PickupMonitorSettings {
  static constexpr const char* kSection = "FORM_MON";

  std::array<int, kPickupSlots> colours = defaultColours();  // item indices
  double zoom = 1;
  WindowRect rect;  // width 0: never placed
  bool freezeOnSyncLoss = false;

  static std::array<int, kPickupSlots> defaultColours();
  // The colour of a slot as 0xRRGGBB.
  uint32_t rgb(int slot) const;

  // Missing or unusable keys keep the values held here.
  void readFrom(const KeyFile& kf);
  void writeTo(KeyFile& kf) const;
  // The section in the file at path (other sections are kept on saving).
  void load(const std::string& path);
  bool save(const std::string& path) const;
};

}  // namespace q3
