// The pickup monitor's colours, zoom and placement in application.ini.
#include "monitor/pickup_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace q3 {

const std::array<PickupColourItem, kPickupColourItems>& pickupColourItems() {
  static const std::array<PickupColourItem, kPickupColourItems> items = {{
      {"(invisible)", 0x000000},
      {"Maroon", 0x800000},
      {"Green", 0x008000},
      {"Olive", 0x808000},
      {"Navy", 0x000080},
      {"Purple", 0x800080},
      {"Teal", 0x008080},
      {"Gray", 0x808080},
      {"Silver", 0xC0C0C0},
      {"Red", 0xFF0000},
      {"Lime", 0x00FF00},
      {"Yellow", 0xFFFF00},
      {"Blue", 0x0000FF},
      {"Fuchsia", 0xFF00FF},
      {"Aqua", 0x00FFFF},
      {"White ", 0xFFFFFF},
  }};
  return items;
}

const std::array<PickupSlotInfo, kPickupSlots>& pickupSlots() {
  static const std::array<PickupSlotInfo, kPickupSlots> slots = {{
      {"ComboBoxColorA1", "Curve 1", 15},
      {"ComboBoxColorA2", "1 RISE", 9},
      {"ComboBoxColorA3", "1 FALL", 12},
      {"ComboBoxColorB1", "Curve 2", 11},
      {"ComboBoxColorB2", "2 RISE", 5},
      {"ComboBoxColorB3", "2 FALL", 13},
      {"ComboBoxColorC1", "Ignition", 15},
      {"ComboBoxColorC2", "grid", 7},
      {"ComboBoxColorC3", "dimensions", 14},
  }};
  return slots;
}

std::array<int, kPickupSlots> PickupMonitorSettings::defaultColours() {
  std::array<int, kPickupSlots> c{};
  for (int i = 0; i < kPickupSlots; ++i) c[size_t(i)] = pickupSlots()[size_t(i)].defaultItem;
  return c;
}

uint32_t PickupMonitorSettings::rgb(int slot) const {
  if (slot < 0 || slot >= kPickupSlots) return 0;
  const int item = colours[size_t(slot)];
  if (item < 0 || item >= kPickupColourItems) return 0;
  return pickupColourItems()[size_t(item)].rgb;
}

namespace {
// Files keep colours as 0xBBGGRR values.
uint32_t toBgr(uint32_t rgb) {
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}
}  // namespace

void PickupMonitorSettings::readFrom(const KeyFile& kf) {
  const char* S = kSection;
  for (int i = 0; i < kPickupSlots; ++i) {
    const auto v = kf.value(S, pickupSlots()[size_t(i)].combo);
    if (!v) continue;
    char* end = nullptr;
    const long bgr = std::strtol(v->c_str(), &end, 10);
    if (end == v->c_str()) continue;
    // The first item of that colour ("(invisible)" for black); other colours are not offered.
    for (int k = 0; k < kPickupColourItems; ++k) {
      if (long(toBgr(pickupColourItems()[size_t(k)].rgb)) == bgr) {
        colours[size_t(i)] = k;
        break;
      }
    }
  }
  const int z = kf.intValue(S, "Zoom", int(zoom));
  if (z >= 1 && z <= 1024) zoom = std::exp2(std::floor(std::log2(double(z))));
  rect.left = kf.intValue(S, "Left", rect.left);
  rect.top = kf.intValue(S, "Top", rect.top);
  rect.width = std::max(0, kf.intValue(S, "Width", rect.width));
  rect.height = std::max(0, kf.intValue(S, "Height", rect.height));
  freezeOnSyncLoss = kf.intValue(S, "FreezeOnSyncLoss", freezeOnSyncLoss ? 1 : 0) != 0;
}

void PickupMonitorSettings::writeTo(KeyFile& kf) const {
  const char* S = kSection;
  for (int i = 0; i < kPickupSlots; ++i)
    kf.set(S, pickupSlots()[size_t(i)].combo, std::to_string(toBgr(rgb(i))));
  kf.set(S, "Zoom", std::to_string(int(zoom)));
  kf.set(S, "Left", std::to_string(rect.left));
  kf.set(S, "Top", std::to_string(rect.top));
  kf.set(S, "Width", std::to_string(rect.width));
  kf.set(S, "Height", std::to_string(rect.height));
  kf.set(S, "FreezeOnSyncLoss", freezeOnSyncLoss ? "1" : "0");
}

void PickupMonitorSettings::load(const std::string& path) {
  KeyFile kf;
  kf.load(path);
  readFrom(kf);
}

bool PickupMonitorSettings::save(const std::string& path) const {
  KeyFile kf;
  kf.load(path);
  writeTo(kf);
  return kf.save(path);
}

}  // namespace q3
