// Small drawing helpers shared by the parts of the map editor control: the
// program's 0xBBGGRR colour words, raised panels and texts.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <cstdint>
#include <string>

#include "maps/map_sheet.h"
#include "text/mstring.h"

namespace q3 {

// The marker colours of the actual position: on the map the unit uses, and
// on another one.
inline constexpr uint32_t kActiveMarker = 0x44F444;
inline constexpr uint32_t kOtherMarker = 0x44F4F4;
inline constexpr uint32_t kControlColour = 0xF0F0F0;

inline QColor rgb(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
inline QColor halfBright(uint32_t c) {
  return QColor((c & 0xFF) / 2, ((c >> 8) & 0xFF) / 2, ((c >> 16) & 0xFF) / 2);
}
inline QString qs(const std::string& s) { return QString::fromUtf8(s.c_str()); }
// A multi-language text in the current language.
inline QString mls(const std::string& s) { return QString::fromUtf8(languageText(s).c_str()); }
inline QString mls(const char* s) { return QString::fromUtf8(ml(s)); }

inline void panel(QPainter& p, const QRectF& r, uint32_t fill, bool raised) {
  p.fillRect(r, rgb(fill));
  if (!raised) return;
  p.setPen(rgb(0xC0C0C0));
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(rgb(0xFFFFFF));
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
}

}  // namespace q3
