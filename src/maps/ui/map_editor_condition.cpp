// MapGraphView: the condition map of a power output (compact layout): the
// areas between the breakpoint lines, switched by a rubber band, and the
// lines dragged in the proportional view.
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "maps/ui/map_editor.h"
#include "maps/ui/map_graph_view.h"
#include "maps/ui/paint_util.h"

namespace q3 {

namespace {

constexpr double kHoverDistance = 5;

QColor dimmed(QColor c, bool light) {
  if (light) return QColor(int(c.red() * 0.9), int(c.green() * 0.9), int(c.blue() * 0.98));
  return QColor(int(c.red() * 0.5), int(c.green() * 0.5), int(c.blue() * 0.5));
}

void checkMark(QPainter& p, const QRectF& box, const QColor& colour) {
  const double s = std::min(box.width(), box.height());
  if (s < 6) return;
  const QPointF c = box.center();
  const double u = std::min(8.0, s / 3);
  QPainterPath path;
  path.moveTo(c + QPointF(-u, 0));
  path.lineTo(c + QPointF(-u / 3, u * 0.7));
  path.lineTo(c + QPointF(u, -u * 0.7));
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.restore();
}

}  // namespace

double MapGraphView::conditionLineX(const QRectF& plot, int i) const {
  const ConditionGeometry g = conditionGeometry(m_tab.model().cur(), conditionProportional);
  if (i < 0 || i >= static_cast<int>(g.xLines.size())) return NAN;
  return plot.left() + g.xLines[static_cast<size_t>(i)] * plot.width();
}

double MapGraphView::conditionLineY(const QRectF& plot, int i) const {
  const ConditionGeometry g = conditionGeometry(m_tab.model().cur(), conditionProportional);
  if (i < 0 || i >= static_cast<int>(g.yLines.size())) return NAN;
  return plot.top() + g.yLines[static_cast<size_t>(i)] * plot.height();
}

int MapGraphView::areaColumn(const QRectF& plot, double x) const {
  const ConditionGeometry g = conditionGeometry(m_tab.model().cur(), conditionProportional);
  return g.columnAt((x - plot.left()) / std::max(1.0, plot.width()));
}

int MapGraphView::areaRow(const QRectF& plot, double y) const {
  const ConditionGeometry g = conditionGeometry(m_tab.model().cur(), conditionProportional);
  return g.rowAt((y - plot.top()) / std::max(1.0, plot.height()));
}

void MapGraphView::paintCondition(QPainter& p, const QRectF& plot, bool print) {
  const MapModel& m = m_tab.model();
  if (m.sheetCount() == 0 || plot.width() < 4 || plot.height() < 4) return;
  const MapSheet& s = m.cur();
  const ConditionGeometry g = conditionGeometry(s, conditionProportional);
  const bool editable = s.v.editable != 0;
  p.save();
  // The areas; under a rubber band they show what they will become.
  int bc0 = -1, bc1 = -1, br0 = -1, br1 = -1;
  if (m_band) {
    bc0 = areaColumn(plot, std::min(m_bandFrom.x(), m_bandTo.x()));
    bc1 = areaColumn(plot, std::max(m_bandFrom.x(), m_bandTo.x()));
    br0 = areaRow(plot, std::min(m_bandFrom.y(), m_bandTo.y()));
    br1 = areaRow(plot, std::max(m_bandFrom.y(), m_bandTo.y()));
  }
  const QColor off = editable ? rgb(0xE0F0F0) : dimmed(rgb(0xE0F0F0), true);
  const QColor on = editable ? rgb(0x008000) : dimmed(rgb(0x008000), false);
  for (int j = 0; j < g.areaRows(); ++j)
    for (int i = 0; i < g.areaColumns(); ++i) {
      const double x0 = plot.left() + g.columnStart(i) * plot.width();
      const double x1 =
          plot.left() + (i + 1 < g.areaColumns() ? g.columnStart(i + 1) : 1.0) * plot.width();
      const double y0 = plot.top() + g.rowStart(j) * plot.height();
      const double y1 =
          plot.top() + (j + 1 < g.areaRows() ? g.rowStart(j + 1) : 1.0) * plot.height();
      const QRectF area(x0, y0, x1 - x0, y1 - y0);
      int value = s.cell(s.x.collapsed ? 0 : i, s.y.collapsed ? 0 : j);
      const bool banded =
          m_band && editable && s.enabled && i >= bc0 && i <= bc1 && j >= br0 && j <= br1;
      if (banded) {
        p.fillRect(area, value == 0 ? rgb(0x00C000) : rgb(0xA0A0A0));
        continue;
      }
      if (value == 0) {
        p.fillRect(area, off);
      } else if (value == 1) {
        p.fillRect(area, on);
        checkMark(p, area, Qt::white);
      } else {
        // The mixed state: a green lower triangle and two checks.
        p.fillRect(area, off);
        QPainterPath tri;
        tri.moveTo(area.bottomLeft());
        tri.lineTo(area.bottomRight());
        tri.lineTo(area.topRight());
        tri.closeSubpath();
        p.fillPath(tri, on);
        const QRectF half(area.left(), area.top(), area.width() / 2, area.height() / 2);
        checkMark(p, half, on);
        checkMark(p, half.translated(area.width() / 2, area.height() / 2), Qt::white);
      }
    }
  p.setPen(rgb(0x808080));
  p.setBrush(Qt::NoBrush);
  p.drawRect(plot);

  // The hysteresis bands of the engine-speed lines (proportional view).
  if (conditionProportional && s.x.maxValue > 0 && m.hysteresisRpm > 0) {
    const double perRaw = plot.width() / s.x.maxValue;
    const int h = static_cast<int>(std::lround(m.hysteresisRpm * perRaw / s.x.scale));
    if (h > 1) {
      p.setPen(rgb(0xFFFF00));
      for (double lx : g.xLines) {
        const double x = plot.left() + lx * plot.width();
        const double a = std::max(plot.left(), x - h), b = std::min(plot.right(), x + h);
        for (double y = plot.top() + 3; y < plot.bottom(); y += 6)
          p.drawLine(QPointF(a, y), QPointF(b, y));
      }
    }
  }
  // The load lines and the engine-speed lines, each joined to its header cell.
  for (int i = 0; i < static_cast<int>(g.yLines.size()); ++i) {
    const double y = plot.top() + g.yLines[static_cast<size_t>(i)] * plot.height();
    const QRect head = m_tab.elementRect(-1, i);
    p.setPen(rgb(0x808080));
    if (!head.isEmpty())
      p.drawLine(QPointF(head.right(), head.center().y()), QPointF(plot.left(), y));
    const bool hot = m_hovered.kind == GraphItem::YLine && m_hovered.index == i;
    p.setPen(QPen(rgb(0x404040), hot ? 3 : 1));
    p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
  }
  for (int i = 0; i < static_cast<int>(g.xLines.size()); ++i) {
    const double x = plot.left() + g.xLines[static_cast<size_t>(i)] * plot.width();
    const QRect head = m_tab.elementRect(i, -1);
    p.setPen(rgb(0x808080));
    if (!head.isEmpty())
      p.drawLine(QPointF(head.center().x(), head.bottom()), QPointF(x, plot.top()));
    const bool hot = m_hovered.kind == GraphItem::XLine && m_hovered.index == i;
    p.setPen(rgb(0xFFFF00));
    p.drawLine(QPointF(x - 1, plot.top()), QPointF(x - 1, plot.bottom()));
    p.drawLine(QPointF(x + 1, plot.top()), QPointF(x + 1, plot.bottom()));
    p.setPen(QPen(rgb(0xFF0000), hot ? 2 : 1));
    p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
  }
  if (m_band && !print) {
    p.setPen(rgb(0x0000FF));
    p.drawRect(QRect(m_bandFrom, m_bandTo).normalized());
  }
  p.restore();
}

GraphItem MapGraphView::conditionLineAt(const QRectF& plot, QPoint pos) const {
  GraphItem item;
  if (!conditionProportional) return item;  // lines move only where they stand by value
  const ConditionGeometry g = conditionGeometry(m_tab.model().cur(), conditionProportional);
  double best = kHoverDistance;
  for (int i = 0; i < static_cast<int>(g.xLines.size()); ++i) {
    const double d =
        std::fabs(pos.x() - (plot.left() + g.xLines[static_cast<size_t>(i)] * plot.width()));
    if (d < best) best = d, item = GraphItem{GraphItem::XLine, {}, i};
  }
  for (int i = 0; i < static_cast<int>(g.yLines.size()); ++i) {
    const double d =
        std::fabs(pos.y() - (plot.top() + g.yLines[static_cast<size_t>(i)] * plot.height()));
    if (d < best) best = d, item = GraphItem{GraphItem::YLine, {}, i};
  }
  return item;
}

bool MapGraphView::pressCondition(const QRectF& plot, QPoint pos) {
  MapModel& m = m_tab.model();
  if (m.sheetCount() == 0 || !plot.contains(pos)) return false;
  m_hovered = conditionLineAt(plot, pos);
  if (m_hovered.kind != GraphItem::None) {
    if (m_drag.begin(m, m_hovered)) {
      const MapSheet& s = m.cur();
      // Pixels per raw unit of the line's axis: X from 0, Y from its minimum.
      m_xPerRaw = m_hovered.kind == GraphItem::XLine
                      ? plot.width() / std::max(1, s.x.maxValue)
                      : plot.height() / std::max(1, s.y.maxValue - s.y.minValue);
      m_last = pos;
      m_travelPrimary = 0;
      m_status = qs(graphStatusText(m, m_hovered, true));
    }
    return true;
  }
  m_band = true;
  m_bandFrom = m_bandTo = pos;
  return true;
}

bool MapGraphView::moveCondition(const QRectF& plot, QPoint pos, Qt::MouseButtons buttons) {
  MapModel& m = m_tab.model();
  if (m_drag.active()) {
    const bool x = m_drag.item().kind == GraphItem::XLine;
    m_travelPrimary += (x ? pos.x() - m_last.x() : pos.y() - m_last.y()) / m_xPerRaw;
    m_last = pos;
    m_drag.moveTo(m_travelPrimary, 0);
    m_status = qs(graphStatusText(m, m_drag.item(), true));
    return true;
  }
  if (m_band) {
    m_bandTo = pos;
    return true;
  }
  (void)buttons;
  const GraphItem before = m_hovered;
  m_hovered = plot.contains(pos) ? conditionLineAt(plot, pos) : GraphItem{};
  m_status = qs(graphStatusText(m, m_hovered, false));
  return before != m_hovered;
}

bool MapGraphView::releaseCondition(const QRectF& plot, QPoint pos) {
  MapModel& m = m_tab.model();
  if (finishDrag()) return true;
  if (!m_band) return false;
  m_band = false;
  m_bandTo = pos;
  switchAreas(m, areaColumn(plot, m_bandFrom.x()), areaRow(plot, m_bandFrom.y()),
              areaColumn(plot, m_bandTo.x()), areaRow(plot, m_bandTo.y()));
  return true;
}

bool MapGraphView::wheelCondition(const QRectF& plot, QPoint pos, int notches) {
  MapModel& m = m_tab.model();
  const GraphItem line = plot.contains(pos) ? conditionLineAt(plot, pos) : GraphItem{};
  if (line.kind == GraphItem::None || notches == 0) return false;
  const ElemRef e =
      line.kind == GraphItem::XLine ? ElemRef{line.index, -1} : ElemRef{-1, line.index};
  for (int i = 0; i < std::abs(notches); ++i) m.incrementElement(e, notches > 0 ? 1 : -1);
  m_status = qs(graphStatusText(m, line, false));
  return true;
}

}  // namespace q3
