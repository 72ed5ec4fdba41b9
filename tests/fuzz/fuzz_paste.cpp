// LIBS: q3maps q3params q3base q3text
// The paste readers of the map editor on arbitrary text: plain text (tabs,
// digit groups, bracket form) and the sheet format, read alone and pasted
// into an advance map, a condition map and a sensor curve. Whatever the
// text, the maps keep their counts inside their limits, their breakpoints
// in order and their cells inside the value range.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "maps/map_defs.h"
#include "maps/map_paste.h"
#include "maps/sheet_text.h"
#include "params/address_map.h"
#include "text/user_dialogs.h"

namespace {

class Quiet : public q3::UserDialogs {
 public:
  void message(const std::string&, const std::string&, q3::DialogKind) override {}
  q3::Answer ask(const std::string&, const std::string&, bool) override { return q3::Answer::No; }
};

void check(bool ok) {
  if (!ok) __builtin_trap();
}

void checkAxis(const q3::SheetAxis& a) {
  check(a.count >= a.minCount && a.count <= a.maxCount);
  for (int i = 0; i < a.count; ++i) {
    const int32_t v = a.values[static_cast<size_t>(i)];
    check(v >= a.minValue && v <= a.maxValue);
    if (i > 0) check(v >= a.values[static_cast<size_t>(i - 1)] + a.minGap);
  }
}

void checkSheet(const q3::MapSheet& s) {
  checkAxis(s.x);
  checkAxis(s.y);
  for (int r = 0; r < s.y.count; ++r)
    for (int c = 0; c < s.x.count; ++c)
      check(s.cell(c, r) >= s.v.minValue && s.cell(c, r) <= s.v.maxValue);
}

q3::ParamImage image() {
  q3::ParamImage img;
  img.setByte(q3::ImageByte::TpsIapSensor, 2);
  img.setByte(q3::ImageByte::AdvMap, 1);
  img.setByte(q3::ImageByte::AdvColumns, 15);
  img.setByte(q3::ImageByte::ServoEnable, 1);
  img.setByte(q3::ImageByte::PoutFunction, 255);
  for (int c = 0; c < 15; ++c) img.setByte(q3::ImageByte::RpmAdv + c, 10 + 10 * c);
  for (int r = 0; r < 10; ++r) img.setWord(q3::ImageWord::AdvIap + r, 20 + 10 * r);
  return img;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Quiet quiet;
  static const q3::ParamImage img = image();
  q3::setDialogs(&quiet);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)q3::parsePlainText(text);
  (void)q3::parseSheetText(text);
  for (int owner : {q3::kOwnerAdvance, q3::kOwnerPoutCondition, q3::kOwnerIapCurve}) {
    q3::MapModel m(q3::mapControlSetup(owner).options, owner);
    q3::defineMap(m);
    q3::loadMap(m, img);
    m.selectRect(q3::kSelCells, 1, 0, 2, 1, false);
    q3::pasteText(m, text);
    checkSheet(m.cur());
    q3::pastePlainAt(m, text, q3::ElemRef{0, -1});
    q3::pastePlainAt(m, text, q3::ElemRef{-1, 0});
    checkSheet(m.cur());
    q3::pasteSheet(m, text);
    q3::importCsv(m, text);
    checkSheet(m.cur());
  }
  return 0;
}
