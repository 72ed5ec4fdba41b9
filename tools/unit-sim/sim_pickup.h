// The simulated unit's trigger wheel and the pickup sample blocks it records
// of it. The wheel follows the trigger description in the unit's memory: the
// number of lobes, the gaps of the missing-lobe wheels, inserted, wide and
// narrow lobes, which lobes the second pickup sees (or the camshaft pulse),
// the pickup polarities and their interchange, and where each channel fires
// between its two edges. So a wrong lobe count or polarity set on the Bike
// page shows in the picture as it would on an engine.
//
// A block covers a little more than three ignition periods. The phase field
// changes once per period, at the reference lobe, so the pickup monitor
// measures the same engine speed the monitor block reports.
#pragma once

#include <cstdint>
#include <vector>

namespace q3sim {

// One lobe as a pickup sees it: from its first to its second edge, in crank
// degrees within the pattern's repeat.
struct WheelLobe {
  double start;
  double end;
};

struct PickupTrack {
  double repeat = 360;  // crank degrees after which the pattern repeats
  std::vector<WheelLobe> lobes;
  bool inverted = false;  // minus polarity: the level is low over a lobe
};

struct TriggerWheel {
  double cycle = 360;  // crank degrees the lobe description covers (byte 187)
  int period = 360;    // ignition period P of the pickup monitor
  uint8_t selector = 1;
  PickupTrack pickup1, pickup2;  // the second may be empty
  bool interchanged = false;     // pickup 1 on signal 2 and the other way round
  std::vector<double> firing;    // per channel: firing angle within the cycle
};

// The wheel the trigger description of memory (1050 bytes) describes, with
// the channels firing at advance degrees (0..60, more is nearer the
// maximum-advance edge).
TriggerWheel describeTrigger(const uint8_t* memory, int advance);

// The samples of one block at rpm, time stamps starting at startTicks (0.4 us).
std::vector<uint32_t> pickupSamples(const TriggerWheel& wheel, int rpm, int64_t startTicks);

}  // namespace q3sim
