// MapGraphView: the 2D graph, its painting and its pointer.
#include <QCursor>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "maps/ui/map_editor.h"
#include "maps/ui/map_graph_view.h"
#include "maps/ui/paint_util.h"

namespace q3 {

namespace {

constexpr double kHoverDistance = 5;
// Below this the plot is not drawn and takes no pointer.
constexpr double kMinPlot = 20;

const QColor kStackBackground(0xFF, 0xFB, 0xF0);  // 0xF0FBFF
const QColor kPointYellow(0xFF, 0xFF, 0x00);

bool isCorner(const MapSheet& s, ElemRef e) {
  return e.isCell() && (s.sel.cellMarks[e.row * kCellStride + e.col] & kMarkCorner);
}
bool isSelectedCell(const MapSheet& s, ElemRef e) {
  return e.isCell() && (s.sel.cellMarks[e.row * kCellStride + e.col] & kMarkSelected);
}

}  // namespace

// Where everything of the 2D graph stands in a frame.
struct MapGraphView::Layout2D {
  QRect frame;
  Plot2D plot;
  GraphRanges r;
  CurveSet cs;
  double bandHigh = 0;      // top of one curve's band before the curves were lifted
  std::vector<PointF> pts;  // curve k, point i at k * cs.points + i
  bool base = false;
  std::vector<PointF> basePts;
  double revX = NAN, startX = NAN;

  double lift(int k) const { return (cs.curves - 1 - k) * r.stackOffset; }
  QRectF plotRect() const {
    return QRectF(plot.left, plot.bottom - plot.height, plot.width, plot.height);
  }
  bool drawable() const { return plot.width >= kMinPlot && plot.height >= kMinPlot; }
  const PointF& at(int k, int i) const { return pts[static_cast<size_t>(k * cs.points + i)]; }
};

MapGraphView::MapGraphView(MapEditor& owner) : m_tab(owner) {}

MapGraphView::Layout2D MapGraphView::layout2D(const QRect& frame) const {
  Layout2D g;
  g.frame = frame;
  const MapModel& m = m_tab.model();
  if (m.sheetCount() == 0) return g;
  const MapSheet& s = m.cur();
  g.cs = curvesOf(s);
  g.r = graphRanges(m, m.current());
  g.bandHigh = g.r.v.hi;
  stackCurves(g.r, g.cs.curves);
  const bool primY = g.cs.primaryY;
  const GraphAxis& pa = primY ? g.r.y : g.r.x;
  const SheetAxis& prim = primY ? s.y : s.x;
  g.plot.left = frame.left() + 45;
  g.plot.bottom = frame.bottom() - 18;
  g.plot.width = frame.width() - 75 + (g.cs.curves == 1 ? 15 : 0);
  g.plot.height = frame.height() - 26;
  g.plot.xlo = pa.lo;
  g.plot.xhi = pa.hi;
  g.plot.vlo = g.r.v.lo;
  g.plot.vhi = g.r.v.hi;
  auto primRaw = [&](int i) {
    return prim.proportional ? double(prim.values[static_cast<size_t>(g.cs.firstPoint + i)])
                             : double(g.cs.firstPoint + i);
  };
  for (int k = 0; k < g.cs.curves; ++k)
    for (int i = 0; i < g.cs.points; ++i) {
      const ElemRef e = g.cs.cell(k, i);
      g.pts.push_back({g.plot.px(primRaw(i)), g.plot.py(s.cell(e.col, e.row), g.lift(k))});
    }
  const bool rpm = !primY && s.x.name == "RPM" && s.x.proportional;
  g.base = rpm && (s.flags0 & 1) && (s.flags1 & 1);
  if (g.base)
    for (int k = 0; k < g.cs.curves; ++k)
      g.basePts.push_back({g.plot.left, g.plot.py(m.baseAdvance / g.r.v.scale, g.lift(k))});
  if (rpm && (s.flags1 & 2)) g.revX = g.plot.px(m.revLimiter / g.r.x.scale);
  if (rpm && (s.flags1 & 4)) g.startX = g.plot.px(m.startLimiter / g.r.x.scale);
  return g;
}

QPointF MapGraphView::pointPos(const QRect& frame, ElemRef cell) const {
  const Layout2D g = layout2D(frame);
  const int k = g.cs.curveOf(cell), i = g.cs.pointOf(cell);
  if (k < 0 || k >= g.cs.curves || i < 0 || i >= g.cs.points) return {};
  return QPointF(g.at(k, i).x, g.at(k, i).y);
}

QPointF MapGraphView::basePointPos(const QRect& frame, int curve) const {
  const Layout2D g = layout2D(frame);
  if (!g.base || curve < 0 || curve >= g.cs.curves) return {};
  return QPointF(g.basePts[static_cast<size_t>(curve)].x, g.basePts[static_cast<size_t>(curve)].y);
}

double MapGraphView::limiterX(const QRect& frame, GraphItem::Kind which) const {
  const Layout2D g = layout2D(frame);
  return which == GraphItem::RevLimiter ? g.revX : g.startX;
}

// ---------------------------------------------------------------------------
// Painting

void MapGraphView::paintAxes2D(QPainter& p, const Layout2D& g, bool beside) {
  const MapModel& m = m_tab.model();
  const MapSheet& s = m.cur();
  const QRectF plot = g.plotRect();
  const bool primY = g.cs.primaryY;
  const GraphAxis& pa = primY ? g.r.y : g.r.x;
  const SheetAxis& prim = primY ? s.y : s.x;
  QFont f = m_tab.font();
  f.setPointSize(beside ? 7 : 8);
  p.setFont(f);
  const QFontMetricsF fm(f);
  const QPen gridPen(rgb(0xC0C0C0));

  // Engine speeds (or the primary axis) below the plot.
  for (double x : gridPositions(pa, 1, 60)) {
    const double px = g.plot.px(x);
    if (px < plot.left() - 0.5 || px > plot.right() + 0.5) continue;
    p.setPen(gridPen);
    p.drawLine(QPointF(px, plot.top()), QPointF(px, plot.bottom()));
  }
  double lastRight = -1e9;
  p.setPen(Qt::black);
  const std::vector<double> labelsAt =
      pa.proportional ? gridPositions(pa, 3, 30) : std::vector<double>();
  auto xLabel = [&](double px, const QString& t) {
    const double w = fm.horizontalAdvance(t);
    if (px - w / 2 <= lastRight + 2 || px < plot.left() - 1 || px > plot.right() + 1) return;
    p.drawText(QRectF(px - w / 2 - 1, plot.bottom() + 2, w + 2, 14), Qt::AlignCenter, t);
    lastRight = px + w / 2;
  };
  if (pa.proportional) {
    for (double x : labelsAt) xLabel(g.plot.px(x), qs(gridLabel(x * pa.scale, pa.grid.step[3])));
  } else {
    for (int i = 0; i < g.cs.points; ++i)
      xLabel(g.plot.px(g.cs.firstPoint + i),
             qs(valueText(prim.values[static_cast<size_t>(g.cs.firstPoint + i)], prim.scale)));
  }
  // Values at the left, for the band of the current curve.
  GraphAxis band = g.r.v;
  band.hi = g.bandHigh;
  const double lift = g.lift(std::clamp(m_currentCurve, 0, std::max(0, g.cs.curves - 1)));
  p.setPen(gridPen);
  for (double v : gridPositions(g.r.v, 1, 80)) {
    const double py = g.plot.py(v);
    if (py < plot.top() - 0.5 || py > plot.bottom() + 0.5) continue;
    p.drawLine(QPointF(plot.left(), py), QPointF(plot.right(), py));
  }
  p.setPen(Qt::black);
  double lastTop = 1e9;
  for (double v : gridPositions(band, 3, 30)) {
    const double py = g.plot.py(v, lift);
    if (py < plot.top() - 1 || py > plot.bottom() + 1 || py + 6 > lastTop) continue;
    QString t = qs(gridLabel(v * band.scale, band.grid.step[3]));
    if (!s.v.unit.empty()) t += qs(s.v.unit);
    p.drawText(QRectF(g.frame.left(), py - 7, 43, 14), Qt::AlignRight | Qt::AlignVCenter, t);
    lastTop = py - 6;
  }
  p.setPen(rgb(0x808080));
  p.setBrush(Qt::NoBrush);
  p.drawRect(plot);
}

void MapGraphView::paint2D(QPainter& p, const QRect& frame, bool beside) {
  const MapModel& m = m_tab.model();
  if (m.sheetCount() == 0) return;
  const MapSheet& s = m.cur();
  const Layout2D g = layout2D(frame);
  if (!g.drawable()) return;
  const QRectF plot = g.plotRect();
  const int n = g.cs.curves;
  const int cur = std::clamp(m_currentCurve, 0, n - 1);
  p.save();
  p.setClipRect(frame);

  // Background: the band of the current curve white among stacked curves.
  p.fillRect(plot, n > 1 ? kStackBackground : QColor(Qt::white));
  if (n > 1) {
    const double top = std::max(plot.top(), g.plot.py(g.bandHigh, g.lift(cur)));
    const double bottom = std::min(plot.bottom(), g.plot.py(g.r.v.lo, g.lift(cur)));
    if (bottom > top) p.fillRect(QRectF(plot.left(), top, plot.width(), bottom - top), Qt::white);
  }
  if (std::isfinite(g.revX) && g.revX < plot.right())
    p.fillRect(QRectF(std::max(plot.left(), g.revX), plot.top(),
                      plot.right() - std::max(plot.left(), g.revX), plot.height()),
               n > 1 ? rgb(0xC0D5DD) : rgb(0xDDDDDD));
  if (std::isfinite(g.startX))
    p.fillRect(QRectF(g.startX - 10, plot.top(), 20, plot.height()).intersected(plot),
               rgb(0xC0FFFF));
  paintAxes2D(p, g, beside);
  p.setClipRect(plot.adjusted(-8, -8, 8, 8));

  // The live engine speed.
  if (!g.cs.primaryY && s.x.name == "RPM" && s.x.proportional && m.liveRpm() > 0) {
    const double x = g.plot.px(m.liveRpm() / g.r.x.scale);
    if (x >= plot.left() && x <= plot.right()) {
      p.setPen(QPen(rgb(0x00FF00), 1));
      p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
  }
  // Only the current curve is drawn smooth: smoothing every grey curve
  // would cost four times the table's whole paint.
  p.setRenderHint(QPainter::Antialiasing, false);

  // The comparison curves (the other advance map), under the curves.
  const std::vector<int32_t>& cx = s.x.compareValues;
  const std::vector<int32_t>& cv = s.v.compareValues;
  if (!g.cs.primaryY && s.x.proportional && !cx.empty() && cv.size() >= size_t(kCellCount)) {
    p.setPen(QPen(rgb(s.colours[1]), 2));
    const int cn = std::clamp(s.x.compareCount, 1, static_cast<int>(cx.size()));
    for (int k = 0; k < n; ++k) {
      const int row = g.cs.firstCurve + k;
      QPolygonF line;
      auto y = [&](int i) {
        return g.plot.py(cv[static_cast<size_t>(row * kCellStride + i)], g.lift(k));
      };
      if (!(s.flags0 & 0x20)) line << QPointF(plot.left(), y(0));
      for (int i = 0; i < cn; ++i) line << QPointF(g.plot.px(cx[static_cast<size_t>(i)]), y(i));
      if (!(s.flags0 & 0x80)) line << QPointF(plot.right(), y(cn - 1));
      p.drawPolyline(line);
    }
  }

  // The curves: the others grey, the current one in the sheet's colour on top.
  auto curveLine = [&](int k) {
    QPolygonF line;
    const PointF& first = g.at(k, 0);
    if (g.base) {
      const PointF& b = g.basePts[static_cast<size_t>(k)];
      line << QPointF(b.x, b.y) << QPointF(first.x, b.y);
    } else if (!(s.flags0 & 0x20)) {
      line << QPointF(plot.left(), first.y);
    }
    for (int i = 0; i < g.cs.points; ++i) line << QPointF(g.at(k, i).x, g.at(k, i).y);
    if (!(s.flags0 & 0x80)) line << QPointF(plot.right(), g.at(k, g.cs.points - 1).y);
    return line;
  };
  for (int pass = 0; pass < 2; ++pass)
    for (int k = 0; k < n; ++k) {
      if ((k == cur) != (pass == 1)) continue;
      p.setRenderHint(QPainter::Antialiasing, k == cur);
      p.setPen(QPen(k == cur ? rgb(s.colours[0]) : rgb(0x808080), 2));
      p.drawPolyline(curveLine(k));
      p.setPen(QPen(rgb(s.colours[2]), 2));
      for (int i = 0; i + 1 < g.cs.points; ++i)
        if (isSelectedCell(s, g.cs.cell(k, i)) && isSelectedCell(s, g.cs.cell(k, i + 1)))
          p.drawLine(QPointF(g.at(k, i).x, g.at(k, i).y),
                     QPointF(g.at(k, i + 1).x, g.at(k, i + 1).y));
    }
  // The limiter lines.
  for (const auto& [x, kind, colour] : {std::tuple{g.revX, GraphItem::RevLimiter, 0x0000C0u},
                                        std::tuple{g.startX, GraphItem::StartLimiter, 0x0080C0u}}) {
    if (!std::isfinite(x)) continue;
    p.setPen(QPen(rgb(colour), m_hovered.kind == kind ? 2 : 1));
    p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
  }

  // The points, where the Interpolate command would put them while the
  // pointer rests on a corner.
  std::vector<int32_t> preview;
  int previewKind = 0;
  const bool previewing = m_hovered.kind == GraphItem::Point && isCorner(s, m_hovered.cell) &&
                          m.interpolationPreview(&preview, &previewKind) &&
                          previewKind == kChangeCells;
  p.setRenderHint(QPainter::Antialiasing, false);
  for (int k = 0; k < n; ++k)
    for (int i = 0; i < g.cs.points; ++i) {
      const ElemRef e = g.cs.cell(k, i);
      QPointF at(g.at(k, i).x, g.at(k, i).y);
      bool changed = false;
      if (previewing && isSelectedCell(s, e)) {
        const int32_t v = preview[static_cast<size_t>(e.row * kCellStride + e.col)];
        changed = v != s.cell(e.col, e.row);
        at.setY(g.plot.py(v, g.lift(k)));
      }
      if (isSelectedCell(s, e))
        p.fillRect(QRectF(at.x() - 5, at.y() - 5, 10, 10),
                   isCorner(s, e) ? rgb(0x008000) : rgb(s.colours[2]));
      p.setPen(Qt::black);
      p.setBrush(k == cur || changed ? kPointYellow : QColor(0xC0, 0xC0, 0xC0));
      p.drawRoundedRect(QRectF(at.x() - 3, at.y() - 3, 6, 6), 2, 2);
    }
  for (int k = 0; k < static_cast<int>(g.basePts.size()); ++k) {
    p.setPen(Qt::black);
    p.setBrush(k == cur ? kPointYellow : QColor(0xC0, 0xC0, 0xC0));
    const PointF& b = g.basePts[static_cast<size_t>(k)];
    p.drawRoundedRect(QRectF(b.x - 3, b.y - 3, 6, 6), 2, 2);
  }
  // Row texts at the left ends of stacked curves.
  if (n > 1) {
    const SheetAxis& o = g.cs.primaryY ? s.x : s.y;
    QFont f = m_tab.font();
    f.setPointSize(7);
    p.setFont(f);
    p.setPen(rgb(0x606060));
    for (int k = 0; k < n; ++k) {
      const PointF& a = g.base ? g.basePts[static_cast<size_t>(k)] : g.at(k, 0);
      const int oi = g.cs.firstCurve + k;
      p.drawText(QPointF(plot.left() + 3, a.y - 3),
                 qs(valueText(o.values[static_cast<size_t>(oi)], o.scale, o.unit.c_str())));
    }
  }

  // The actual element: two rings in the marker colour.
  if ((s.flags0 & 1) && s.actualState > 0 && s.actualRow >= 0) {
    const uint32_t colour = s.actualState == 1 ? kActiveMarker : kOtherMarker;
    QPointF at;
    bool have = false;
    if (s.actualCol >= 0) {
      const ElemRef e{s.actualCol, s.actualRow};
      const int k = g.cs.curveOf(e), i = g.cs.pointOf(e);
      if (k >= 0 && k < n && i >= 0 && i < g.cs.points) {
        at = QPointF(g.at(k, i).x, g.at(k, i).y);
        have = true;
      }
    } else if (g.base) {
      const int k = g.cs.curveOf(ElemRef{0, s.actualRow});
      if (k >= 0 && k < n) {
        at = QPointF(g.basePts[static_cast<size_t>(k)].x, g.basePts[static_cast<size_t>(k)].y);
        have = true;
      }
    }
    if (have) {
      p.setRenderHint(QPainter::Antialiasing, true);
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(rgb(colour), 1.5));
      p.drawEllipse(at, 7, 7);
      p.drawEllipse(at, 8, 8);
      p.setRenderHint(QPainter::Antialiasing, false);
    }
  }

  // The hovered item and the points that would move with it.
  std::vector<QPointF> marks;
  if (m_hovered.kind == GraphItem::Point) {
    const bool shift = m_mods & Qt::ShiftModifier, ctrl = m_mods & Qt::ControlModifier;
    for (const ElemRef& e : markedPoints(s, m_hovered.cell, shift, ctrl)) {
      const int k = g.cs.curveOf(e), i = g.cs.pointOf(e);
      if (k >= 0 && k < n && i >= 0 && i < g.cs.points)
        marks.emplace_back(g.at(k, i).x, g.at(k, i).y);
    }
  } else if (m_hovered.kind == GraphItem::Base && g.base) {
    marks.emplace_back(g.basePts[static_cast<size_t>(cur)].x,
                       g.basePts[static_cast<size_t>(cur)].y);
  }
  p.setPen(QPen(Qt::black, 2));
  for (const QPointF& a : marks) p.drawLine(a + QPointF(-7, 7), a + QPointF(-3, 3));
  if (m_band) {
    p.setPen(QPen(rgb(0x0000FF), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(m_bandFrom, m_bandTo).normalized());
  }
  p.restore();
}

// ---------------------------------------------------------------------------
// Pointer

void MapGraphView::hover2D(const Layout2D& g, QPoint pos, Qt::KeyboardModifiers mods) {
  const MapModel& m = m_tab.model();
  m_mods = mods;
  GraphItem item;
  std::vector<PointF> all = g.pts;
  all.insert(all.end(), g.basePts.begin(), g.basePts.end());
  double d = 0;
  const int idx = nearestPoint(all, {double(pos.x()), double(pos.y())}, &d);
  if (idx >= 0) {
    const int points = static_cast<int>(g.pts.size());
    const bool base = idx >= points;
    m_currentCurve = base ? idx - points : idx / std::max(1, g.cs.points);
    if (d < kHoverDistance) {
      if (base)
        item.kind = GraphItem::Base;
      else
        item = GraphItem{GraphItem::Point, g.cs.cell(m_currentCurve, idx % g.cs.points)};
    }
  }
  const QRectF plot = g.plotRect();
  if (item.kind == GraphItem::None && pos.y() >= plot.top() && pos.y() <= plot.bottom()) {
    if (std::isfinite(g.revX) && std::fabs(pos.x() - g.revX) < kHoverDistance)
      item.kind = GraphItem::RevLimiter;
    else if (std::isfinite(g.startX) && std::fabs(pos.x() - g.startX) < kHoverDistance)
      item.kind = GraphItem::StartLimiter;
  }
  m_hovered = item;
  m_status = qs(graphStatusText(m, item, false));
  // Away from every point and line: what lies under the pointer.
  if (item.kind == GraphItem::None && plot.contains(QPointF(pos)) && g.cs.curves > 0)
    m_status = qs(
        graphReadout(m, g.plot.rawX(pos.x()),
                     g.plot.rawV(pos.y(), g.lift(std::clamp(m_currentCurve, 0, g.cs.curves - 1)))));
}

bool MapGraphView::press2D(const QRect& frame, QPoint pos, Qt::KeyboardModifiers mods) {
  MapModel& m = m_tab.model();
  const Layout2D g = layout2D(frame);
  if (!g.drawable() || m.sheetCount() == 0) return false;
  hover2D(g, pos, mods);
  const MapSheet& s = m.cur();
  if (m_hovered.kind == GraphItem::Point && isCorner(s, m_hovered.cell) && s.sel.interpReady &&
      s.v.editable) {
    m.interpolate();
    return true;
  }
  if (m_hovered.kind != GraphItem::None) {
    std::vector<ElemRef> marked;
    if (m_hovered.kind == GraphItem::Point)
      marked =
          markedPoints(s, m_hovered.cell, mods & Qt::ShiftModifier, mods & Qt::ControlModifier);
    if (m_drag.begin(m, m_hovered, marked)) {
      m_last = pos;
      m_travelPrimary = m_travelValue = 0;
      QPointF item(pos);
      if (m_hovered.kind == GraphItem::Point) item = pointPos(frame, m_hovered.cell);
      if (m_hovered.kind == GraphItem::Base) item = basePointPos(frame, m_currentCurve);
      m_pressOffset = QPointF(pos) - item;
      if (m_hovered.kind == GraphItem::RevLimiter || m_hovered.kind == GraphItem::StartLimiter)
        m_pressOffset = QPointF(pos.x() - limiterX(frame, m_hovered.kind), 0);
      m_xPerRaw = g.plot.xPerRaw();
      m_vPerRaw = g.plot.vPerRaw();
      m_xlo = g.plot.xlo;
      m_vlo = g.plot.vlo;
      m_status = qs(graphStatusText(m, m_hovered, true));
    }
    return true;
  }
  m_band = true;
  m_bandFrom = m_bandTo = pos;
  m_bandMods = mods;
  return true;
}

bool MapGraphView::move2D(const QRect& frame, QPoint pos, Qt::MouseButtons buttons,
                          Qt::KeyboardModifiers mods) {
  MapModel& m = m_tab.model();
  if (m_drag.active()) {
    // The whole travel of the pointer, at the scales under it.
    m_travelPrimary += (pos.x() - m_last.x()) / m_xPerRaw;
    m_travelValue -= (pos.y() - m_last.y()) / m_vPerRaw;
    m_last = pos;
    m_drag.moveTo(m_travelPrimary, m_travelValue);
    m_status = qs(graphStatusText(m, m_drag.item(), true));
    const Layout2D after = layout2D(frame);
    if (after.plot.xPerRaw() != m_xPerRaw || after.plot.vPerRaw() != m_vPerRaw ||
        after.plot.xlo != m_xlo || after.plot.vlo != m_vlo) {
      // The ranges moved under the pointer: it goes back onto the item.
      m_xPerRaw = after.plot.xPerRaw();
      m_vPerRaw = after.plot.vPerRaw();
      m_xlo = after.plot.xlo;
      m_vlo = after.plot.vlo;
      QPointF item;
      switch (m_drag.item().kind) {
        case GraphItem::Point:
          item = pointPos(frame, m_drag.item().cell);
          break;
        case GraphItem::Base:
          item = basePointPos(frame, m_currentCurve);
          break;
        default:
          item = QPointF(limiterX(frame, m_drag.item().kind), pos.y());
          break;
      }
      const QPoint to = (item + m_pressOffset).toPoint();
      if (to != pos) {
        QCursor::setPos(m_tab.mapToGlobal(to));
        m_last = to;
      }
    }
    return true;
  }
  if (m_band) {
    m_bandTo = pos;
    return true;
  }
  (void)buttons;
  const GraphItem before = m_hovered;
  const int curve = m_currentCurve;
  const Qt::KeyboardModifiers oldMods = m_mods;
  hover2D(layout2D(frame), pos, mods);
  return before != m_hovered || curve != m_currentCurve || oldMods != mods;
}

bool MapGraphView::release2D(const QRect& frame, QPoint pos, Qt::KeyboardModifiers mods) {
  MapModel& m = m_tab.model();
  if (finishDrag()) return true;
  if (!m_band) return false;
  m_band = false;
  m_bandTo = pos;
  const Layout2D g = layout2D(frame);
  const QRectF band = QRectF(QRect(m_bandFrom, m_bandTo).normalized()).adjusted(-1, -1, 1, 1);
  MapSheet& s = m.cur();
  // Shift or Ctrl adds the band to the selection, as in the table; both
  // together start anew.
  const Qt::KeyboardModifiers held =
      (m_bandMods | mods) & (Qt::ShiftModifier | Qt::ControlModifier);
  const bool add = held && held != (Qt::ShiftModifier | Qt::ControlModifier);
  if (!add || (s.sel.mode & 0xFF) != kSelCells) m.clearSelection();
  s.sel.mode = kSelCells | (s.sel.mode & kSelButtonHeld);
  for (int k = 0; k < g.cs.curves; ++k)
    for (int i = 0; i < g.cs.points; ++i)
      if (band.contains(QPointF(g.at(k, i).x, g.at(k, i).y))) {
        const ElemRef e = g.cs.cell(k, i);
        s.sel.cellMarks[e.row * kCellStride + e.col] |= kMarkSelected;
      }
  m.updateSelection();
  return true;
}

bool MapGraphView::wheel2D(const QRect& frame, QPoint pos, int notches) {
  MapModel& m = m_tab.model();
  if (m_drag.active() || m_band) return true;
  if (m.sheetCount() == 0 || notches == 0) return false;
  const Layout2D g = layout2D(frame);
  if (!g.drawable()) return false;
  hover2D(g, pos, m_mods);
  const MapSheet& s = m.cur();
  const int k = notches > 0 ? 1 : -1;
  for (int i = 0; i < std::abs(notches); ++i) {
    if (m_hovered.kind == GraphItem::Point && !isSelectedCell(s, m_hovered.cell))
      m.incrementElement(m_hovered.cell, k);
    else if (m_hovered.kind == GraphItem::Point ||
             (s.sel.count > 0 && (s.sel.mode & 0xFF) == kSelCells))
      m.incrementActual(k);
    else
      return false;
  }
  m_status = qs(graphStatusText(m, m_hovered, false));
  return true;
}

bool MapGraphView::finishDrag() {
  if (!m_drag.active()) return false;
  m_drag.end();
  m_status = qs(graphStatusText(m_tab.model(), m_hovered, false));
  return true;
}

void MapGraphView::leave() {
  if (m_drag.active() || m_band || m_turning) return;
  m_hovered = GraphItem{};
  m_status.clear();
}

}  // namespace q3
