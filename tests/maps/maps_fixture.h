// Shared pieces of the map tests: a parameter image with two 15 x 10 advance
// maps, a map defined and loaded from it with its stores counted, and a
// recorder of the messages the core shows.
#pragma once

#include <string>
#include <vector>

#include "maps/map_defs.h"
#include "params/address_map.h"
#include "support/scoped_state.h"

namespace q3test {

// Throttle sensor, both maps over throttle, engine speeds 1000, 2000, ...
// 15 000 rpm, advance cells that differ per cell and per map (all 0 when
// flat).
inline q3::ParamImage advanceImage(bool flat = false) {
  using q3::ImageByte;
  q3::ParamImage img;
  img.setByte(ImageByte::TpsIapSensor, 1);
  img.setByte(ImageByte::AdvMap, 1);
  img.setByte(ImageByte::Adv2Map, 1);
  img.setByte(ImageByte::AdvColumns, 15);
  img.setByte(ImageByte::Adv2Columns, 15);
  img.setByte(ImageByte::BaseAdv, 10);
  img.setByte(ImageByte::Limiter, 120);
  img.setByte(ImageByte::StartLim, 40);
  for (int c = 0; c < 15; ++c) {
    img.setByte(ImageByte::RpmAdv + c, 10 + 10 * c);
    img.setByte(ImageByte::RpmAdv2 + c, 10 + 10 * c);
  }
  for (int i = 0; i < 150; ++i) {
    img.setByte(ImageByte::Advance + i, flat ? 100 : 100 + i % 40);
    img.setByte(ImageByte::Advance2 + i, flat ? 100 : 80 + i % 30);
  }
  return img;
}

// The advance image with the servo map enabled, 15 engine-speed columns of
// 1000..15 000 rpm, in dimension mode `mode` (0 engine speed, 1 load, 2 both).
inline q3::ParamImage servoImage(int mode, bool flat = false) {
  using q3::ImageByte;
  q3::ParamImage img = advanceImage(flat);
  img.setByte(ImageByte::ServoEnable, 1);
  img.setByte(ImageByte::ServoMap, mode);
  img.setByte(ImageByte::ServoColumns, 15);
  for (int c = 0; c < 15; ++c) img.setByte(ImageByte::ServoRpm + c, 10 + 10 * c);
  return img;
}

// A map of the main window bound to an image: each committed change is
// stored into the image and loaded back, as the window does.
struct BoundMap {
  q3::ParamImage img;
  q3::MapModel m;
  int stores = 0;
  explicit BoundMap(int owner, q3::ParamImage image = advanceImage())
      : img(std::move(image)), m(q3::mapControlSetup(owner).options, owner) {
    q3::defineMap(m);
    q3::loadMap(m, img);
    m.setOwnerNotify([this](q3::MapModel& t) {
      q3::storeMap(t, img);
      q3::reloadMap(t, img);
      ++stores;
    });
  }
  q3::MapSheet& sheet() { return m.cur(); }
};

class RecordingDialogs : public ScopedDialogs {
 public:
  void message(const std::string&, const std::string& text, q3::DialogKind kind) override {
    messages.push_back(text);
    kinds.push_back(kind);
  }
  q3::Answer ask(const std::string&, const std::string&, bool) override { return q3::Answer::No; }
  std::vector<std::string> messages;
  std::vector<q3::DialogKind> kinds;
};

}  // namespace q3test
