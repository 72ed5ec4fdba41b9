// The pickup monitor's picture.
#include "monitor/ui/pickup_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace q3 {

namespace {

using R = PickupRows;

QColor slotColour(const PickupMonitorSettings& s, int slot) {
  return QColor::fromRgb(QRgb(0xFF000000u | s.rgb(slot)));
}

// Draws text with its top left at (x, y); returns where it went.
QRect textAt(QPainter& p, int x, int y, const QString& text) {
  const QFontMetrics fm = p.fontMetrics();
  const QRect r(x, y, fm.horizontalAdvance(text), fm.height());
  p.drawText(x, y + fm.ascent(), text);
  return r;
}

// A small circle after a text, as the degree sign.
void degreeSign(QPainter& p, const QRect& text) {
  p.save();
  p.setPen(QPen(p.pen().color(), 1));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRect(text.right() + 2, text.top() + 1, 4, 4));
  p.restore();
}

class Painter {
 public:
  Painter(QImage& image, const PickupScene& scene, PickupHits* hits)
      : m_p(&image), m_s(scene), m_e(*scene.engine), m_v(*scene.view), m_hits(hits) {
    QFont f = m_p.font();
    f.setPixelSize(11);
    m_p.setFont(f);
    m_left = PickupView::kMargin;
    m_right = m_v.width() - PickupView::kMargin;
  }

  void run() {
    m_p.fillRect(QRect(0, 0, m_v.width(), m_v.height()), Qt::black);
    const auto events = m_e.events();
    if (!events.empty()) {
      periodBox();
      ignitions();
      traces();
      guides();
      edges();
    }
    m_p.setRenderHint(QPainter::Antialiasing, false);
    for (const PickupDimension& d : m_e.dimensions()) {
      const QRect text = dimension(d);
      if (m_hits) m_hits->dimensionTexts.push_back(text);
    }
    if (m_s.preview) dimension(*m_s.preview);
    speed();
    legends();
  }

 private:
  double x(double pos) const { return m_v.x(pos, m_e.rangeSpan()); }
  int px(double pos) const { return PickupView::toPixel(std::round(x(pos))); }
  bool visible(double xpos) const { return xpos >= m_left && xpos <= m_right; }
  QColor colour(int slot) const { return slotColour(*m_s.settings, slot); }
  void pen(int slot, int width) {
    m_p.setPen(QPen(colour(slot), width, Qt::SolidLine, Qt::FlatCap));
  }

  void periodBox() {
    const int x0 = px(0), x1 = px(m_e.period());
    const int bottom = std::max(0, m_v.height() - 80);
    m_p.setPen(QPen(QColor(128, 128, 128), 1));
    m_p.setBrush(QColor(32, 32, 32));
    m_p.drawRect(QRect(QPoint(std::min(x0, x1), 0), QPoint(std::max(x0, x1), bottom)));
    m_p.setBrush(Qt::NoBrush);
  }

  void ignitions() {
    const auto events = m_e.events();
    for (int i = 0; i < m_e.sampleEventCount(); ++i) {
      const PickupEvent& e = events[size_t(i)];
      if (!(e.flags & PickupFlag::kOutputs)) continue;
      const double xd = x(e.pos);
      if (!visible(xd)) continue;
      const int xi = PickupView::toPixel(std::round(xd));
      pen(kSlotIgnition, 3);
      m_p.drawLine(xi, R::kArrowTop, xi, R::kArrowBottom);
      m_p.drawLine(xi - 8, R::kArrowBottom - 16, xi, R::kArrowBottom);
      m_p.drawLine(xi + 8, R::kArrowBottom - 16, xi, R::kArrowBottom);
      m_p.setPen(colour(kSlotIgnition));
      for (int c = 1; c <= 4; ++c) {
        if (!(e.flags & (0x8u << c))) continue;
        const PickupLabel l = m_e.ignitionLabel(c, e.pos);
        if (l.degree) {
          degreeSign(m_p, textAt(m_p, xi + 10, 15 * (c - 1) + 10, QString::fromStdString(l.text)));
        } else {
          textAt(m_p, xi + 10, 10, QString::fromStdString(l.text));
          break;  // the time is the same for every channel fired here
        }
      }
    }
  }

  // A horizontal segment between two positions, clipped to the margins.
  void segment(double a, double b, int y) {
    const double xa = std::max(x(a), double(m_left)), xb = std::min(x(b), double(m_right));
    if (!(xa <= xb)) return;
    m_p.drawLine(PickupView::toPixel(std::round(xa)), y, PickupView::toPixel(std::round(xb)), y);
  }

  void traces() {
    const auto events = m_e.events();
    const size_t n = size_t(m_e.sampleEventCount());
    for (size_t i = 0; i + 1 < n; ++i) {
      const PickupEvent& a = events[i];
      const PickupEvent& b = events[i + 1];
      pen(kSlotCurve1, 2);
      segment(a.pos, b.pos, (a.flags & PickupFlag::kSignal1) ? R::kSignal1High : R::kSignal1Low);
      pen(kSlotCurve2, 2);
      segment(a.pos, b.pos, (a.flags & PickupFlag::kSignal2) ? R::kSignal2High : R::kSignal2Low);
    }
  }

  void guides() {
    pen(kSlotGrid, 1);
    const auto events = m_e.events();
    for (int i = 0; i < m_e.sampleEventCount(); ++i) {
      const PickupEvent& e = events[size_t(i)];
      const double xd = x(e.pos);
      if (!visible(xd)) continue;
      const int xi = PickupView::toPixel(std::round(xd));
      if (e.changed) m_p.drawLine(xi, 180, xi, 370);
      if (e.flags & PickupFlag::kOutputs) m_p.drawLine(xi, R::kArrowBottom, xi, 370);
    }
  }

  void edges() {
    const auto events = m_e.events();
    for (int i = 0; i < m_e.sampleEventCount(); ++i) {
      const PickupEvent& e = events[size_t(i)];
      const double xd = x(e.pos);
      if (!e.changed || !visible(xd)) continue;
      const int xi = PickupView::toPixel(std::round(xd));
      if (e.changed & PickupFlag::kSignal1) {
        pen((e.flags & PickupFlag::kSignal1) ? kSlotRise1 : kSlotFall1, 5);
        m_p.drawLine(xi, R::kSignal1High, xi, R::kSignal1Low);
      }
      if (e.changed & PickupFlag::kSignal2) {
        pen((e.flags & PickupFlag::kSignal2) ? kSlotRise2 : kSlotFall2, 5);
        m_p.drawLine(xi, R::kSignal2High, xi, R::kSignal2Low);
      }
    }
  }

  // One measuring line; returns the rectangle of its text.
  QRect dimension(const PickupDimension& d) {
    const PickupDimension r = m_e.resolve(d);
    const int y = d.y;
    const int xs = px(std::min(r.start, r.end)), xe = px(std::max(r.start, r.end));
    const uint32_t ks = r.start <= r.end ? r.startKind : r.endKind;
    const uint32_t ke = r.start <= r.end ? r.endKind : r.startKind;
    pen(kSlotDimension, 1);
    m_p.drawLine(xs, y, xe, y);
    const auto end = [&](int xi, uint32_t kind, int outward) {
      const bool marker = kind & PickupFlag::kMarkers;
      const bool edge = !(kind & (PickupFlag::kOutputs | PickupFlag::kMarkers));
      if (y < R::kSignal1High && edge) m_p.drawLine(xi, y - 5, xi, R::kSignal1High);
      if (y > R::kSignal2Low && !marker) m_p.drawLine(xi, y + 5, xi, R::kSignal2Low);
      if (marker) {
        m_p.drawLine(xi, y - 5, xi, y + 5);
      } else {
        m_p.drawLine(xi - 10 * outward, y - 3, xi, y);
        m_p.drawLine(xi - 10 * outward, y + 3, xi, y);
      }
    };
    end(xs, ks, -1);
    end(xe, ke, 1);
    const PickupLabel l = m_e.dimensionLabel(r);
    const QString text = QString::fromStdString(l.text);
    const int w = m_p.fontMetrics().horizontalAdvance(text) + (l.degree ? 6 : 0);
    const int centre = int((int64_t(xs) + xe) / 2);
    m_p.setPen(colour(kSlotDimension));
    const QRect at = textAt(m_p, centre - w / 2, y - 20, text);
    if (l.degree) degreeSign(m_p, at);
    return at.adjusted(0, 0, l.degree ? 6 : 0, 0);
  }

  void speed() {
    const QString text = QString::fromStdString(m_e.rpmLabel());
    const QFontMetrics fm = m_p.fontMetrics();
    const QRect r(1, 1, fm.horizontalAdvance(text) + 4, fm.height());
    m_p.fillRect(r, m_e.synchronised() ? QColor(Qt::black) : QColor(Qt::red));
    m_p.setPen(Qt::white);
    textAt(m_p, 3, 1, text);
    if (!m_s.note.isEmpty()) {
      m_p.setPen(Qt::red);
      textAt(m_p, r.right() + 12, 1, m_s.note);
    }
  }

  void legends() {
    m_p.setPen(Qt::white);
    for (const PickupLegend& l : m_s.legends) textAt(m_p, l.at.x(), l.at.y(), l.text);
  }

  QPainter m_p;
  const PickupScene& m_s;
  const PickupAnalyzer& m_e;
  const PickupView& m_v;
  PickupHits* m_hits;
  int m_left = 0;
  int m_right = 0;
};

}  // namespace

void paintPickup(QImage& image, const PickupScene& scene, PickupHits* hits) {
  if (hits) hits->dimensionTexts.clear();
  if (image.isNull() || !scene.engine || !scene.view || !scene.settings) return;
  Painter(image, scene, hits).run();
}

}  // namespace q3
