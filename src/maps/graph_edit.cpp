// Point, limit and grid-line drags of the map graphs; condition areas.
#include "maps/graph_edit.h"

#include <algorithm>
#include <cmath>

#include "text/mstring.h"

namespace q3 {

namespace {

const char* const kDragging = "###Dragging: ##Ziehen: ##Tažení: ";

int32_t travel(double d) { return roundHalfAway(d); }

int clampToInt(double v) { return static_cast<int>(std::clamp(v, -2147483647.0, 2147483647.0)); }

}  // namespace

bool GraphDrag::begin(MapModel& m, const GraphItem& item, std::vector<ElemRef> marked) {
  m_model = nullptr;
  if (m.sheetCount() == 0 || item.kind == GraphItem::None) return false;
  MapSheet& s = m.cur();
  if (!s.enabled) return false;
  m_item = item;
  m_curves = curvesOf(s);
  const SheetAxis& prim = m_curves.primaryY ? s.y : s.x;
  m_moveValues = false;
  m_moveBreakpoints = false;
  switch (item.kind) {
    case GraphItem::Point:
      if (!item.cell.isCell()) return false;
      m_marked = std::move(marked);
      if (m_marked.empty()) m_marked.push_back(item.cell);
      m_moveValues = s.v.editable != 0;
      // Breakpoints move with the pointer only where they stand by value.
      m_moveBreakpoints = prim.editable && prim.proportional;
      if (!m_moveValues && !m_moveBreakpoints) return false;
      break;
    case GraphItem::Base:
    case GraphItem::RevLimiter:
    case GraphItem::StartLimiter:
      break;
    case GraphItem::XLine:
    case GraphItem::YLine: {
      const SheetAxis& a = item.kind == GraphItem::XLine ? s.x : s.y;
      if (!a.editable || item.index < 0 || item.index >= a.count) return false;
      m_lineAxis = a.values;
      break;
    }
    case GraphItem::None:
      return false;
  }
  m_cells = s.v.values;
  m_primary = prim.values;
  m_base = m.baseAdvance;
  m_rev = m.revLimiter;
  m_start = m.startLimiter;
  m_model = &m;
  m.beginChange(kKeyStructBegin);
  m.holdChange(true);
  return true;
}

void GraphDrag::moveTo(double dPrimary, double dValue) {
  if (!m_model) return;
  MapModel& m = *m_model;
  MapSheet& s = m.cur();
  SheetAxis& prim = m_curves.primaryY ? s.y : s.x;
  int flags = 0;
  switch (m_item.kind) {
    case GraphItem::Point: {
      if (m_moveValues) {
        const int32_t dv = travel(dValue);
        for (const ElemRef& e : m_marked) {
          const size_t i = static_cast<size_t>(e.row) * static_cast<size_t>(kCellStride) +
                           static_cast<size_t>(e.col);
          s.v.values[i] = clampToInt(double(m_cells[i]) + dv);
        }
        flags |= kChangeCells;
      }
      if (m_moveBreakpoints) {
        const int32_t dp = travel(dPrimary);
        bool moved = false;
        for (const ElemRef& e : m_marked) {
          const size_t i = static_cast<size_t>(m_curves.primaryY ? e.row : e.col);
          const int32_t want = clampToInt(double(m_primary[i]) + dp);
          // Only the breakpoints taken along; the others keep what the
          // elastic rule made of them.
          if (prim.values[i] != want) {
            prim.values[i] = want;
            moved = true;
          }
        }
        if (moved) flags |= m_curves.primaryY ? kChangeY : kChangeX;
      }
      break;
    }
    case GraphItem::Base:
      m.baseAdvance = clampToInt(m_base + travel(dValue) * s.v.scale);
      flags |= kChangeCells;
      break;
    case GraphItem::RevLimiter:
      m.revLimiter = clampToInt(m_rev + travel(dPrimary) * s.x.scale);
      flags |= kChangeCells;
      break;
    case GraphItem::StartLimiter:
      m.startLimiter = clampToInt(m_start + travel(dPrimary) * s.x.scale);
      flags |= kChangeCells;
      break;
    case GraphItem::XLine:
    case GraphItem::YLine: {
      const bool isX = m_item.kind == GraphItem::XLine;
      SheetAxis& a = isX ? s.x : s.y;
      const size_t i = static_cast<size_t>(m_item.index);
      a.values[i] = clampToInt(double(m_lineAxis[i]) + travel(dPrimary));
      flags |= isX ? kChangeX : kChangeY;
      break;
    }
    case GraphItem::None:
      break;
  }
  if (flags) m.change(flags, kKeyStructBegin);
}

void GraphDrag::end() {
  if (!m_model) return;
  MapModel& m = *m_model;
  m_model = nullptr;
  m.holdChange(false);
  m.commitChange(0, kKeyStructEnd);
}

bool switchAreas(MapModel& m, int c0, int r0, int c1, int r1) {
  if (m.sheetCount() == 0) return false;
  MapSheet& s = m.cur();
  if (!s.enabled || !s.v.editable) return false;
  const int cols = s.x.collapsed ? 1 : s.x.count + 1;
  const int rows = s.y.collapsed ? 1 : s.y.count + 1;
  if (c0 > c1) std::swap(c0, c1);
  if (r0 > r1) std::swap(r0, r1);
  c0 = std::max(0, c0);
  r0 = std::max(0, r0);
  c1 = std::min(cols - 1, c1);
  r1 = std::min(rows - 1, r1);
  if (c0 > c1 || r0 > r1) return false;
  m.beginChange(kKeyStructBegin);
  for (int r = r0; r <= r1; ++r)
    for (int c = c0; c <= c1; ++c) s.cell(c, r) = s.cell(c, r) == 0 ? 1 : 0;
  m.commitChange(kChangeCells, kKeyStructEnd);
  return true;
}

std::string graphStatusText(const MapModel& m, const GraphItem& item, bool dragging) {
  if (m.sheetCount() == 0 || item.kind == GraphItem::None) return {};
  const MapSheet& s = m.cur();
  std::string prefix = dragging ? ml(kDragging) : "";
  if (!prefix.empty() && prefix.back() != ' ') prefix += ' ';
  auto axisText = [](const SheetAxis& a, int32_t raw) {
    return valueText(raw, a.scale, a.unit.c_str());
  };
  switch (item.kind) {
    case GraphItem::Point: {
      const CurveSet cs = curvesOf(s);
      const SheetAxis& p = cs.primaryY ? s.y : s.x;
      const SheetAxis& o = cs.primaryY ? s.x : s.y;
      const int pi = cs.primaryY ? item.cell.row : item.cell.col;
      const int oi = cs.primaryY ? item.cell.col : item.cell.row;
      std::string t = prefix;
      if (cs.curves > 1)
        t += languageText(o.label) + " = " + axisText(o, o.values[static_cast<size_t>(oi)]) + "; ";
      t += languageText(p.label) + " = " + axisText(p, p.values[static_cast<size_t>(pi)]);
      t += "; " + languageText(s.v.label) + " = " +
           axisText(s.v, s.cell(item.cell.col, item.cell.row));
      return t;
    }
    case GraphItem::Base:
      return prefix + ml("###Base advance##Base vorrücken##Základní předstih") + " = " +
             valueText(m.baseAdvance, 1, s.v.unit.c_str());
    case GraphItem::RevLimiter:
    case GraphItem::StartLimiter: {
      const bool rev = item.kind == GraphItem::RevLimiter;
      const int rpm = rev ? m.revLimiter : m.startLimiter;
      return prefix +
             ml(rev ? "###Limiter##Limiter##Omezovač"
                    : "###Start limiter##Start limiter##Startovací omezovač") +
             " = " + valueText(rpm, 1, s.x.unit.c_str());
    }
    case GraphItem::XLine:
    case GraphItem::YLine: {
      const SheetAxis& a = item.kind == GraphItem::XLine ? s.x : s.y;
      if (item.index < 0 || item.index >= a.count) return {};
      return prefix + languageText(a.label) + " = " +
             axisText(a, a.values[static_cast<size_t>(item.index)]);
    }
    case GraphItem::None:
      break;
  }
  return {};
}

std::string graphReadout(const MapModel& m, double primaryRaw, double valueRaw) {
  if (m.sheetCount() == 0) return {};
  const MapSheet& s = m.cur();
  const CurveSet cs = curvesOf(s);
  const SheetAxis& p = cs.primaryY ? s.y : s.x;
  std::string prim;
  if (p.proportional) {
    prim = valueText(roundHalfAway(primaryRaw), p.scale, p.unit.c_str());
  } else {
    // An equidistant axis: the breakpoint nearest to the pointer.
    const int i =
        std::clamp(static_cast<int>(std::lround(primaryRaw)), 0, std::max(0, p.count - 1));
    prim = valueText(p.values[static_cast<size_t>(i)], p.scale, p.unit.c_str());
  }
  return languageText(p.label) + " = " + prim + "; " + languageText(s.v.label) + " = " +
         valueText(roundHalfAway(valueRaw), s.v.scale, s.v.unit.c_str());
}

}  // namespace q3
