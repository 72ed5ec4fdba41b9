// The program's colours (0xBBGGRR) as Qt colours.
#pragma once

#include <QColor>

#include "base/status_sink.h"

inline QColor qtColour(q3::Colour c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}
