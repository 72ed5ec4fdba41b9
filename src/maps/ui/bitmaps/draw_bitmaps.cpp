// Draws the button bitmaps of the map editor control into PNG files of this
// folder. Not part of the build; run it again after changing a drawing:
//   g++ -std=c++20 -fPIC $(pkg-config --cflags Qt6Gui) draw_bitmaps.cpp \
//       $(pkg-config --libs Qt6Gui) -o /tmp/draw_bitmaps && /tmp/draw_bitmaps .
// The button face is drawn in 0xCCD2D4 (0xBBGGRR), which the control
// replaces by the desktop's button colour when it loads the bitmaps.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace {

const QColor kFace(0xD4, 0xD2, 0xCC);

void save(const QString& dir, const char* name, int w, int h,
          const std::function<void(QPainter&)>& draw, bool face = true) {
  QImage img(w, h, QImage::Format_ARGB32);
  img.fill(face ? kFace : QColor(Qt::transparent));
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, true);
  draw(p);
  p.end();
  img.save(dir + "/" + name + ".png");
}

// A sheet of paper with lines of text, at x, y.
void paper(QPainter& p, double x, double y, double w, double h, const QColor& fill) {
  p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
  p.setBrush(fill);
  p.drawRect(QRectF(x + 0.5, y + 0.5, w, h));
  p.setPen(QPen(QColor(0x70, 0x70, 0x90), 1));
  for (double ly = y + 3; ly < y + h - 1; ly += 2.5)
    p.drawLine(QPointF(x + 2, ly), QPointF(x + w - 2, ly));
}

// A small grid: a table.
void table(QPainter& p, double x, double y, double w, double h, const QColor& fill) {
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
  p.setBrush(fill);
  p.drawRect(QRectF(x + 0.5, y + 0.5, w, h));
  p.setPen(QPen(QColor(0x60, 0x60, 0x60), 0.8));
  for (int i = 1; i < 3; ++i) p.drawLine(QPointF(x + w * i / 3, y), QPointF(x + w * i / 3, y + h));
  for (int i = 1; i < 3; ++i) p.drawLine(QPointF(x, y + h * i / 3), QPointF(x + w, y + h * i / 3));
}

void clipboard(QPainter& p) {
  p.setPen(QPen(QColor(0x50, 0x30, 0x10), 1));
  p.setBrush(QColor(0xC0, 0x90, 0x50));
  p.drawRoundedRect(QRectF(3.5, 4.5, 13, 16), 1.5, 1.5);
  p.setBrush(QColor(0x90, 0x90, 0x90));
  p.drawRect(QRectF(6.5, 2.5, 7, 4));
}

void curve(QPainter& p, const QRectF& r, const QColor& colour) {
  QPainterPath path;
  path.moveTo(r.left(), r.bottom() - r.height() * 0.2);
  path.cubicTo(r.left() + r.width() * 0.4, r.bottom() - r.height() * 0.1,
               r.left() + r.width() * 0.5, r.top() + r.height() * 0.1, r.right(),
               r.top() + r.height() * 0.3);
  p.setPen(QPen(colour, 1.8));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QString dir = argc > 1 ? argv[1] : ".";
  save(dir, "CLBRD_COPY", 24, 24, [](QPainter& p) {
    paper(p, 3, 3, 11, 14, Qt::white);
    paper(p, 9, 7, 11, 14, Qt::white);
  });
  save(dir, "CLBRD_COPYSHEET", 24, 24, [](QPainter& p) {
    paper(p, 2, 2, 11, 14, Qt::white);
    table(p, 8, 8, 13, 13, QColor(0xFF, 0xF4, 0xC0));
  });
  save(dir, "CLBRD_PAST", 24, 24, [](QPainter& p) {
    clipboard(p);
    paper(p, 10, 9, 11, 13, Qt::white);
  });
  save(dir, "CLBRD_PASTSHEET", 24, 24, [](QPainter& p) {
    clipboard(p);
    table(p, 9, 9, 13, 13, QColor(0xFF, 0xF4, 0xC0));
  });
  save(dir, "BTTAB", 24, 18, [](QPainter& p) { table(p, 3, 2, 18, 13, Qt::white); });
  save(dir, "BT2D", 24, 18, [](QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(3.5, 2), QPointF(3.5, 15.5));
    p.drawLine(QPointF(3.5, 15.5), QPointF(21, 15.5));
    curve(p, QRectF(5, 3, 16, 11), QColor(0xE0, 0x10, 0x10));
  });
  save(dir, "BT3D", 24, 18, [](QPainter& p) {
    QPainterPath s;
    s.moveTo(2, 12);
    s.lineTo(12, 16);
    s.lineTo(22, 9);
    s.lineTo(14, 3);
    s.closeSubpath();
    QLinearGradient g(0, 16, 0, 3);
    g.setColorAt(0, QColor(0, 0, 0xFF));
    g.setColorAt(0.5, QColor(0, 0xFF, 0));
    g.setColorAt(1, QColor(0xFF, 0, 0));
    p.setPen(QPen(Qt::black, 0.8));
    p.setBrush(g);
    p.drawPath(s);
    p.setPen(QPen(Qt::white, 0.8));
    p.drawLine(QPointF(7, 14), QPointF(19, 6));
    p.drawLine(QPointF(8, 7.5), QPointF(17, 12.5));
  });
  save(dir, "BT_G", 10, 10, [](QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(QRectF(0.5, 0.5, 9, 9));
    curve(p, QRectF(1.5, 2, 7, 6), QColor(0xE0, 0x10, 0x10));
  });
  save(dir, "BT_T", 10, 10, [](QPainter& p) { table(p, 0, 0, 9, 9, Qt::white); });
  save(dir, "BT_P", 10, 10, [](QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(QRectF(0.5, 0.5, 9, 9));
    for (double x : {2.5, 3.5, 7.5}) p.drawLine(QPointF(x, 1), QPointF(x, 9));
  });
  save(dir, "BT_nP", 10, 10, [](QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(QRectF(0.5, 0.5, 9, 9));
    for (double x : {3.5, 6.5}) p.drawLine(QPointF(x, 1), QPointF(x, 9));
  });
  save(
      dir, "BTCHK", 16, 16,
      [](QPainter& p) {
        QPainterPath c;
        c.moveTo(2.5, 8.5);
        c.lineTo(6.5, 12.5);
        c.lineTo(13.5, 3.5);
        p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(c);
      },
      false);
  return 0;
}
