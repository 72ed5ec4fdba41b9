// Ranges, grids, labels, curves, projection and geometry of the map graphs.
#include "maps/graph_math.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "maps/map_model.h"

namespace q3 {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int kMaxGridLines = 400;

const SheetAxis& axisK(const MapSheet& s, int k) { return k == 0 ? s.x : (k == 1 ? s.y : s.v); }

GridRange chooseGrid(const SheetAxis& a, double spanShown) {
  GridRange g;  // steps of 1.0
  if (!a.proportional || a.gridCount <= 0) return g;
  for (int i = 0; i < a.gridCount; ++i)
    if (a.grid[i].limit >= spanShown) return a.grid[i];
  return a.grid[a.gridCount - 1];
}

// Widens [lo, hi] (raw) to whole steps of step1 (shown units) with a margin
// of a fifth of a step that does not cross zero.
void widen(GraphAxis& ax, double step1) {
  const double s = ax.scale;
  double lo = ax.lo * s - 0.2 * step1;
  if (ax.lo >= 0) lo = std::max(0.0, lo);
  double hi = ax.hi * s + 0.2 * step1;
  if (ax.hi <= 0) hi = std::min(0.0, hi);
  ax.lo = std::round(std::floor(lo / step1) * step1 / s);
  ax.hi = std::round(std::ceil(hi / step1) * step1 / s);
}

double widenedHigh(double hi, double scale, double step1) {
  double h = hi * scale + 0.2 * step1;
  if (hi <= 0) h = std::min(0.0, h);
  return std::round(std::ceil(h / step1) * step1 / scale);
}

bool usable(double v) { return std::isfinite(v) && v > 0; }

}  // namespace

bool sharesRanges(const MapModel& m, int cur, int other, int k) {
  if (cur == other) return true;
  if (!m.validSheet(cur) || !m.validSheet(other)) return false;
  const MapSheet& a = m.sheet(cur);
  const MapSheet& b = m.sheet(other);
  if (!b.enabled || b.hidden) return false;
  const SheetAxis& aa = axisK(a, k);
  const SheetAxis& ba = axisK(b, k);
  if ((aa.graphGroup & ba.graphGroup) == 0) return false;
  return k == 2 || aa.proportional == ba.proportional;
}

GraphRanges graphRanges(const MapModel& m, int sheet) {
  GraphRanges r;
  if (!m.validSheet(sheet)) return r;
  const MapSheet& cur = m.sheet(sheet);
  GraphAxis* axes[3] = {&r.x, &r.y, &r.v};
  for (int k = 0; k < 3; ++k) {
    axes[k]->scale = axisK(cur, k).scale == 0 ? 1.0 : axisK(cur, k).scale;
    axes[k]->proportional = k == 2 || axisK(cur, k).proportional;
  }
  // 1. Breakpoint ranges, value range, rise between curves, first curve.
  for (int k = 0; k < 2; ++k) {
    GraphAxis& ax = *axes[k];
    const SheetAxis& own = axisK(cur, k);
    if (!ax.proportional) {
      ax.lo = 0;
      ax.hi = std::max(0, own.count - 1);
      continue;
    }
    double lo = kInf, hi = -kInf;
    for (int i = 0; i < m.sheetCount(); ++i) {
      if (!sharesRanges(m, sheet, i, k)) continue;
      const SheetAxis& a = axisK(m.sheet(i), k);
      for (int j = 0; j < a.count; ++j) {
        lo = std::min<double>(lo, a.values[static_cast<size_t>(j)]);
        hi = std::max<double>(hi, a.values[static_cast<size_t>(j)]);
      }
    }
    ax.lo = std::isfinite(lo) ? lo : 0;
    ax.hi = std::isfinite(hi) ? hi : 0;
  }
  double vlo = kInf, vhi = -kInf, rise = -kInf, first = -kInf;
  for (int i = 0; i < m.sheetCount(); ++i) {
    if (!sharesRanges(m, sheet, i, 2)) continue;
    const MapSheet& s = m.sheet(i);
    const CurveSet cs = curvesOf(s);
    for (int k = 0; k < cs.curves; ++k)
      for (int p = 0; p < cs.points; ++p) {
        const ElemRef e = cs.cell(k, p);
        const double v = s.cell(e.col, e.row);
        vlo = std::min(vlo, v);
        vhi = std::max(vhi, v);
        if (k == 0) first = std::max(first, v);
        if (k + 1 < cs.curves) {
          const ElemRef n = cs.cell(k + 1, p);
          rise = std::max(rise, double(s.cell(n.col, n.row)) - v);
        }
      }
  }
  r.v.lo = std::isfinite(vlo) ? vlo : 0;
  r.v.hi = std::isfinite(vhi) ? vhi : 0;
  r.maxRise = std::isfinite(rise) ? rise : 0;
  r.firstRowMax = std::isfinite(first) ? first : 0;

  // 3. Linked limits of an engine-speed axis.
  if (cur.x.name == "RPM" && r.x.proportional) {
    if (cur.flags1 & 1) {
      r.x.lo = std::min(r.x.lo, 0.0);
      const double base = m.baseAdvance / r.v.scale;
      r.v.lo = std::min(r.v.lo, base);
      r.v.hi = std::max(r.v.hi, base);
    }
    if (cur.flags1 & 2) {
      r.x.lo = std::min(r.x.lo, m.revLimiter / r.x.scale);
      r.x.hi = std::max(r.x.hi, m.revLimiter / r.x.scale);
    }
    if (cur.flags1 & 4) {
      r.x.lo = std::min(r.x.lo, m.startLimiter / r.x.scale);
      r.x.hi = std::max(r.x.hi, m.startLimiter / r.x.scale);
    }
  }
  // 2. A least span, 4. the grid record, 5. whole grid steps.
  for (int k = 0; k < 3; ++k) {
    GraphAxis& ax = *axes[k];
    const SheetAxis& own = axisK(cur, k);
    double least = 2;
    if (ax.proportional && own.gridCount > 0 && usable(own.grid[0].step[0]))
      least = std::max(least, own.grid[0].step[0] / ax.scale);
    if (ax.span() < least) {
      // Around the middle; a range that was not negative (breakpoint
      // indices too) stays so.
      double lo = (ax.lo + ax.hi) / 2 - least / 2;
      if (ax.lo >= 0 && lo < 0) lo = 0;
      ax.lo = lo;
      ax.hi = lo + least;
    }
    ax.grid = chooseGrid(own, ax.span() * ax.scale);
    for (double& st : ax.grid.step)
      if (!usable(st)) st = 1;
    if (ax.proportional) {
      widen(ax, ax.grid.step[0]);
      if (ax.span() * ax.scale < ax.grid.step[0] * (1 - 1e-9))
        ax.hi = ax.lo + std::round(ax.grid.step[0] / ax.scale);
      if (ax.span() <= 0) ax.hi = ax.lo + 1;
    }
  }
  return r;
}

void stackCurves(GraphRanges& r, int n) {
  if (n <= 1) {
    r.stackOffset = 0;
    return;
  }
  const double s = r.v.scale, step1 = r.v.grid.step[0];
  double offset = std::ceil((r.maxRise * s + 0.5 * step1) / step1) * step1 / s;
  // Curves that fall from one row to the next would need no lift, or a
  // negative one that turns them upside down: at least one grid step.
  offset = std::max(offset, step1 / s);
  r.stackOffset = offset;
  const double top = std::min(widenedHigh(r.firstRowMax, s, step1), r.v.hi);
  r.v.hi = std::max(r.v.lo + 1, (n - 1) * offset + top);
}

std::vector<double> gridPositions(const GraphAxis& a, int k, int maxLines) {
  std::vector<double> out;
  const double span = a.span();
  if (!(span > 0) || !std::isfinite(span)) return out;
  maxLines = std::clamp(maxLines, 1, kMaxGridLines);
  const double step = a.grid.step[std::clamp(k, 0, 3)];
  double stepRaw = a.proportional ? step / a.scale : step;
  if (!usable(stepRaw)) stepRaw = span;
  const double base = stepRaw;
  for (double decade = 1; span / stepRaw > maxLines; decade *= 10) {
    for (double f : {2.0, 5.0, 10.0}) {
      stepRaw = base * decade * f;
      if (span / stepRaw <= maxLines) break;
    }
  }
  const double first = a.proportional ? std::ceil(a.lo / stepRaw - 1e-9) * stepRaw : a.lo;
  for (double v = first; v <= a.hi + 1e-9 * std::max(1.0, std::fabs(a.hi)); v += stepRaw) {
    out.push_back(v);
    if (out.size() > static_cast<size_t>(maxLines) + 1) break;
  }
  return out;
}

std::string gridLabel(double v, double step4) {
  if (v == 0) return "0";  // not "0k" or "0.00m"
  char buf[64];
  const double s = std::fabs(step4);
  if (s < 0.001)
    std::snprintf(buf, sizeof buf, "%.2fm", v * 1000);
  else if (s < 0.01)
    std::snprintf(buf, sizeof buf, "%.0fm", v * 1000);
  else if (s < 0.1)
    std::snprintf(buf, sizeof buf, "%.2f", v);
  else if (s < 1)
    std::snprintf(buf, sizeof buf, "%.1f", v);
  else if (s < 1000)
    std::snprintf(buf, sizeof buf, "%.0f", v);
  else if (s < 1000000)
    std::snprintf(buf, sizeof buf, "%.0fk", v / 1000);
  else
    std::snprintf(buf, sizeof buf, "%.0fM", v / 1000000);
  std::string t(buf);
  if (t.rfind("-0", 0) == 0 && t.find_first_of("123456789") == std::string::npos) t.erase(0, 1);
  return t;
}

// ---------------------------------------------------------------------------
// Curves

CurveSet curvesOf(const MapSheet& s) {
  CurveSet c;
  c.primaryY = (s.flags0 & 2) != 0;
  // A collapsed primary axis leaves one point: the other axis runs instead.
  if (c.primaryY ? (s.y.collapsed && !s.x.collapsed) : (s.x.collapsed && !s.y.collapsed))
    c.primaryY = !c.primaryY;
  const SheetAxis& p = c.primaryY ? s.y : s.x;
  const SheetAxis& o = c.primaryY ? s.x : s.y;
  c.points = p.collapsed ? 1 : p.count;
  c.firstPoint = p.collapsed ? p.collapsedIndex : 0;
  c.curves = o.collapsed ? 1 : o.count;
  c.firstCurve = o.collapsed ? o.collapsedIndex : 0;
  return c;
}

std::vector<ElemRef> markedPoints(const MapSheet& s, ElemRef hovered, bool shift, bool ctrl) {
  std::vector<ElemRef> out;
  const CurveSet cs = curvesOf(s);
  auto add = [&](ElemRef e) {
    for (const ElemRef& o : out)
      if (o.col == e.col && o.row == e.row) return;
    out.push_back(e);
  };
  if (!hovered.isCell()) return out;
  add(hovered);
  const int k = cs.curveOf(hovered), i = cs.pointOf(hovered);
  if (shift)
    for (int p = 0; p < cs.points; ++p) add(cs.cell(k, p));
  if (ctrl)
    for (int q = 0; q < cs.curves; ++q) add(cs.cell(q, i));
  if (s.sel.cellMarks[hovered.row * kCellStride + hovered.col] & kMarkSelected)
    for (int q = 0; q < cs.curves; ++q)
      for (int p = 0; p < cs.points; ++p) {
        const ElemRef e = cs.cell(q, p);
        if (s.sel.cellMarks[e.row * kCellStride + e.col] & kMarkSelected) add(e);
      }
  return out;
}

double Plot2D::xPerRaw() const {
  const double span = xhi - xlo;
  return std::max(1.0, width) / (span > 0 ? span : 1.0);
}

double Plot2D::vPerRaw() const {
  const double span = vhi - vlo;
  return std::max(1.0, height) / (span > 0 ? span : 1.0);
}

int nearestPoint(const std::vector<PointF>& pts, PointF p, double* distance) {
  int best = -1;
  double bestD = kInf;
  for (size_t i = 0; i < pts.size(); ++i) {
    const double d = std::hypot(pts[i].x - p.x, pts[i].y - p.y);
    if (d < bestD) {
      bestD = d;
      best = static_cast<int>(i);
    }
  }
  if (distance) *distance = bestD;
  return best;
}

// ---------------------------------------------------------------------------
// 3D view

int wrapAngle(int steps) {
  const int n = kAngleMax - kAngleMin + 1;  // 72
  return ((steps - kAngleMin) % n + n) % n + kAngleMin;
}

Rotation presetRotation(Preset p) {
  switch (p) {
    case Preset::Top:
      return {-18, 0, 0};
    case Preset::Iso1:
      return {-5, 4, 0};
    case Preset::Iso2:
      return {-5, 24, 0};
  }
  return {};
}

int presetOf(const Rotation& r) {
  for (int i = 0; i < 3; ++i)
    if (presetRotation(static_cast<Preset>(i)) == r) return i;
  return -1;
}

Projection3D::Projection3D(const Rotation& r, double x0, double bottom, double plotW,
                           double plotH) {
  const double angles[3] = {r.x * M_PI / 36, r.xy * M_PI / 36, r.xyz * M_PI / 36};
  for (int i = 0; i < 3; ++i) {
    double u[3] = {0, 0, 0};
    u[i] = 1;
    for (int axis = 0; axis < 3; ++axis) {
      const int c = axis == 0 ? 1 : 0;
      const int d = axis == 2 ? 1 : 2;
      const double cs = std::cos(angles[axis]), sn = std::sin(angles[axis]);
      const double uc = u[c], ud = u[d];
      u[c] = cs * uc - sn * ud;
      u[d] = sn * uc + cs * ud;
    }
    const double sum = std::fabs(u[0]) + std::fabs(u[1]) + std::fabs(u[2]);
    for (int j = 0; j < 3; ++j) m_p[i][j] = sum > 0 ? u[j] / sum : 0;
  }
  m_h = std::max(1.0, plotH);
  const double w = std::max(1.0, plotW);
  m_a = w / m_h * 0.95;
  if (m_a > 0.94 && m_a < 1.06) m_a = 1;
  // The cube's lowest projection starts at the left edge and the bottom.
  double negX = 0, negY = 0;
  for (int j = 0; j < 3; ++j) {
    negX += std::min(0.0, m_p[0][j]);
    negY += std::min(0.0, m_p[1][j]);
  }
  m_o = -negX * m_h;
  m_x0 = x0;
  m_y0 = bottom + negY * m_h;
}

PointF Projection3D::project(double x, double v, double y) const {
  const double d1 = m_p[0][0] * x + m_p[0][1] * v + m_p[0][2] * y;
  const double d2 = m_p[1][0] * x + m_p[1][1] * v + m_p[1][2] * y;
  return {m_x0 + (m_o + d1) * m_a, m_y0 - d2};
}

double Projection3D::depth(double x, double y) const { return m_p[2][0] * x + m_p[2][2] * y; }

uint32_t paletteColour(int i) {
  struct Anchor {
    int index, r, g, b;
  };
  static const Anchor kAnchors[] = {{0, 0, 0, 85},   {10, 0, 0, 255},   {20, 0, 255, 255},
                                    {30, 0, 255, 0}, {38, 255, 255, 0}, {50, 204, 204, 0},
                                    {61, 255, 0, 0}};
  i = std::clamp(i, 0, kPaletteSize - 1);
  for (size_t k = 0; k + 1 < std::size(kAnchors); ++k) {
    const Anchor& a = kAnchors[k];
    const Anchor& b = kAnchors[k + 1];
    if (i > b.index) continue;
    const double t = double(i - a.index) / (b.index - a.index);
    auto mix = [t](int x, int y) { return static_cast<uint32_t>(std::lround(x + (y - x) * t)); };
    return mix(a.r, b.r) | (mix(a.g, b.g) << 8) | (mix(a.b, b.b) << 16);
  }
  return 0x0000FF;
}

double heightIndex(double h, double low, double high) {
  if (!(high > low)) return 0;
  return std::clamp((h - low) / (high - low) * (kPaletteSize - 1), 0.0, double(kPaletteSize - 1));
}

bool interestingCell(const MapSheet& s, int col, int row) {
  const int32_t v = s.cell(col, row);
  bool smaller = true, larger = true;
  auto neighbour = [&](int c, int r) {
    const int32_t n = s.cell(c, r);
    if (n <= v) smaller = false;
    if (n >= v) larger = false;
  };
  if (!s.x.collapsed) {
    if (col > 0) neighbour(col - 1, row);
    if (col + 1 < s.x.count) neighbour(col + 1, row);
  }
  if (!s.y.collapsed) {
    if (row > 0) neighbour(col, row - 1);
    if (row + 1 < s.y.count) neighbour(col, row + 1);
  }
  return smaller || larger;
}

// ---------------------------------------------------------------------------
// Condition map

namespace {
std::vector<double> conditionLines(const SheetAxis& a, bool proportional, bool fromZero) {
  std::vector<double> out;
  if (a.collapsed) return out;
  const double lo = fromZero ? 0.0 : a.minValue;
  const double span = a.maxValue - lo;
  for (int i = 0; i < a.count; ++i) {
    double f = (i + 1.0) / (a.count + 1.0);
    if (proportional && span > 0)
      f = std::clamp((a.values[static_cast<size_t>(i)] - lo) / span, 0.0, 1.0);
    out.push_back(f);
  }
  return out;
}

int areaAt(const std::vector<double>& lines, double f) {
  int i = 0;
  while (i < static_cast<int>(lines.size()) && lines[static_cast<size_t>(i)] <= f) ++i;
  return i;
}
}  // namespace

ConditionGeometry conditionGeometry(const MapSheet& s, bool proportional) {
  ConditionGeometry g;
  g.xLines = conditionLines(s.x, proportional, true);
  g.yLines = conditionLines(s.y, proportional, false);
  return g;
}

int ConditionGeometry::columnAt(double f) const { return areaAt(xLines, f); }
int ConditionGeometry::rowAt(double f) const { return areaAt(yLines, f); }
double ConditionGeometry::columnStart(int i) const {
  return i <= 0 ? 0.0 : xLines[static_cast<size_t>(std::min<int>(i, xLines.size()) - 1)];
}
double ConditionGeometry::rowStart(int i) const {
  return i <= 0 ? 0.0 : yLines[static_cast<size_t>(std::min<int>(i, yLines.size()) - 1)];
}

}  // namespace q3
