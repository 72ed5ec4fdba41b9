// Fitting a saved window rectangle onto the monitors that are present now.
#pragma once

#include <vector>

#include "base/app_settings.h"

namespace q3 {

// How far r sticks out of m: the sum of its overhangs left, right, top, bottom.
int overhang(const WindowRect& r, const WindowRect& m);

// Picks the monitor r sticks out of least; when it sticks out at all, shrinks
// r to that monitor's size, moves it inside and cuts its right and bottom
// edges. With no monitors r is returned as it is.
WindowRect fitToMonitors(WindowRect r, const std::vector<WindowRect>& monitors);

}  // namespace q3
