// The events of the link, each with any number of listeners: the window's
// features, the command-line tool and tests listen to the same ones. All are
// emitted from the supervisor run, that is on the thread that drives the
// main loop.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/event.h"
#include "link/operation_result.h"
#include "link/unit_texts.h"

namespace q3 {

inline constexpr int kMonitorAnswerLen = 150;

struct LinkEvents {
  // A unit passed its identification check (its texts decoded).
  Event<const UnitTexts&> unitConnected;
  // No unit is connected any more (also reported once at the first run).
  Event<> unitDisconnected;
  // The 150 bytes of each monitor answer, once per answer.
  Event<std::span<const uint8_t>> monitorAnswer;
  Event<const OperationProgress&> progress;
  Event<const OperationResult&> result;
  // The parameter block as each Verify read brought it (1050 bytes), before
  // it is compared with the image.
  Event<std::span<const uint8_t>> verifyRead;
  // The parameter image (or the unit image it is compared with) changed
  // under the pages: show them again.
  Event<> imageChanged;
  // What the window caption shows may have changed (a unit connected, a Read).
  Event<> captionChanged;
  // LabelCom and status panel 4.
  Event<const std::string&> comLabel;
  Event<const std::string&> connectionLine;
  // The port was lent to the bootloader tool (true) or taken back (false).
  Event<bool> releaseChanged;
};

}  // namespace q3
