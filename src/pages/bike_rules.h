// Which controls of the Bike page are visible and enabled, from the image:
// the trigger-system classes and one table of rules.
#pragma once

#include <span>

#include "pages/page_table.h"
#include "params/param_image.h"

namespace q3::pages {

struct BikeState {
  bool special = false;     // byte 170 = 255: the trigger system is described by hand
  int type = 0;             // byte 184
  bool singleLobe = false;  // types 0, 19
  bool twoPickup = false;   // types 0, 4, 9, 17, 18
  bool camshaft = false;    // types 6, 11, 12
  bool noLobe = false;      // types 7, 16
  bool manyLobe = false;    // types 8, 14
  int channels = 1;         // byte 186
  int fourStroke = 0;       // byte 196
  int rpmPulses = 0;        // byte 182 as stored
};

BikeState bikeState(const ParamImage& img);

// "%d" in a rule's name stands for channel 1..4.
using BikeRule = Rule<BikeState>;

std::span<const BikeRule> bikeRules();

// The edge bytes' code (encodeEdge, edgeLobe) is in params/page_tables.h.

}  // namespace q3::pages
