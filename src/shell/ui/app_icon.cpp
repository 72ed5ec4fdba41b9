#include "shell/ui/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// The 128 x 128 design at the pixmap's size.
QPixmap drawIcon(int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 128.0, size / 128.0);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1f, 0x3b, 0x5c));
  p.drawRoundedRect(QRectF(6, 6, 116, 116), 18, 18);
  QPainterPath curve(QPointF(18, 104));
  curve.cubicTo(40, 100, 56, 84, 70, 62);
  curve.cubicTo(84, 40, 96, 30, 110, 26);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x7f, 0xb8, 0xe6), 6, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(curve);
  const QPointF spark[] = {{64, 14}, {44, 66}, {62, 66}, {50, 114}, {86, 52}, {66, 52}, {80, 14}};
  p.setBrush(QColor(0xff, 0xcc, 0x33));
  p.setPen(QPen(QColor(0xb3, 0x74, 0x00), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolygon(spark, 7);
  return pm;
}

}  // namespace

QIcon appIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128}) icon.addPixmap(drawIcon(size));
  return icon;
}
