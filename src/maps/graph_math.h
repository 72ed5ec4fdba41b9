// The maths of the map graphs, without widgets: displayed ranges and grids
// of the axes, axis labels, the curves of the 2D graph and their stacking,
// the 2D plot transform and hit testing, the rotation, presets and
// projection of the 3D view with its height palette and "interesting"
// values, and the geometry of the condition map of the power outputs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "maps/map_sheet.h"

namespace q3 {

class MapModel;

// ---------------------------------------------------------------------------
// Ranges and grids

// One axis of a graph: the displayed range in raw units (breakpoint indices
// for an equidistant axis) and the chosen grid record in shown units.
struct GraphAxis {
  double lo = 0, hi = 1;
  GridRange grid;
  double scale = 1;
  bool proportional = true;
  double span() const { return hi - lo; }
};

struct GraphRanges {
  GraphAxis x, y, v;
  double maxRise = 0;      // largest rise from one curve to the next (raw)
  double firstRowMax = 0;  // largest value of the first curve (raw)
  double stackOffset = 0;  // lift between stacked curves (raw), 0 for one curve
};

// Whether sheet `other` is taken into the ranges of sheet `cur` for axis k
// (0 X, 1 Y, 2 values): enabled, not hidden, sharing a graph-group bit, and
// for X and Y of the same proportional kind. A sheet always shares with itself.
bool sharesRanges(const MapModel& m, int cur, int other, int k);

// The ranges of the graphs of sheet `sheet`, the linked limits included.
GraphRanges graphRanges(const MapModel& m, int sheet);

// Lifts n stacked curves apart so that they do not cross and ends the value
// axis above the lifted first curve. n <= 1 leaves the ranges as they are.
void stackCurves(GraphRanges& r, int n);

// Grid positions (raw) of an axis every step k (0..3) from the lower end.
// A step that is not positive, or would give more than maxLines lines, is
// made coarser (2, 5, 10, 20, ... times), so that drawing never divides by
// zero or runs away, and an axis without grid records (steps of 1) does not
// crowd its labels.
std::vector<double> gridPositions(const GraphAxis& a, int k, int maxLines = 400);

// The label of a proportional axis at shown value v, by the size of step 4:
// "5m", "0.25", "1.5", "20", "2k", "1M".
std::string gridLabel(double v, double step4);

// ---------------------------------------------------------------------------
// Curves of the 2D graph

// The primary axis runs horizontally: X, or Y for a sheet with sheet flags
// bit 1 (or when the other one is the only axis in use). One curve per used
// breakpoint of the other axis.
struct CurveSet {
  bool primaryY = false;
  int curves = 0;
  int points = 0;
  int firstCurve = 0;  // data index of curve 0 (the used one of a collapsed axis)
  int firstPoint = 0;
  // The cell of point i of curve k.
  ElemRef cell(int k, int i) const {
    return primaryY ? ElemRef{firstCurve + k, firstPoint + i}
                    : ElemRef{firstPoint + i, firstCurve + k};
  }
  int curveOf(ElemRef e) const { return (primaryY ? e.col : e.row) - firstCurve; }
  int pointOf(ElemRef e) const { return (primaryY ? e.row : e.col) - firstPoint; }
};
CurveSet curvesOf(const MapSheet& s);

// The points moved together with the hovered one: with Shift its curve, with
// Ctrl its column across the curves, and every selected cell when it is
// selected itself.
std::vector<ElemRef> markedPoints(const MapSheet& s, ElemRef hovered, bool shift, bool ctrl);

// The transform of the 2D plot. Sizes below 1 pixel are taken as 1 and an
// empty range as one raw unit.
struct Plot2D {
  double left = 0, bottom = 0, width = 1, height = 1;
  double xlo = 0, xhi = 1, vlo = 0, vhi = 1;
  double xPerRaw() const;
  double vPerRaw() const;
  double px(double raw) const { return left + (raw - xlo) * xPerRaw(); }
  double py(double raw, double lift = 0) const { return bottom - (raw - vlo + lift) * vPerRaw(); }
  double rawX(double x) const { return xlo + (x - left) / xPerRaw(); }
  double rawV(double y, double lift = 0) const { return vlo + (bottom - y) / vPerRaw() - lift; }
};

struct PointF {
  double x = 0, y = 0;
};
// The index of the point nearest to p (-1 when none) and its distance.
int nearestPoint(const std::vector<PointF>& pts, PointF p, double* distance);

// ---------------------------------------------------------------------------
// 3D view

inline constexpr int kAngleMin = -35;
inline constexpr int kAngleMax = 36;

struct Rotation {
  int x = -5, xy = 24, xyz = 0;  // steps of 5 degrees
  bool operator==(const Rotation&) const = default;
};
// Wraps a number of steps into -35..36 (72 steps are a full turn).
int wrapAngle(int steps);

enum class Preset { Top = 0, Iso1 = 1, Iso2 = 2 };
Rotation presetRotation(Preset p);
// The preset whose angles these are exactly, or -1.
int presetOf(const Rotation& r);

// Turns the unit vectors by the three angles and projects a point (x, v, y)
// of a cube of side plotH (primary breakpoint, height, secondary breakpoint)
// into the plot. The plot sits plotW x plotH with its left edge at x0 and
// its bottom at bottom.
class Projection3D {
 public:
  Projection3D(const Rotation& r, double x0, double bottom, double plotW, double plotH);
  PointF project(double x, double v, double y) const;
  // Larger is nearer to the viewer; depends on the two breakpoints only.
  double depth(double x, double y) const;
  const double (&basis(int i) const)[3] { return m_p[i]; }

 private:
  double m_p[3][3];
  double m_h, m_a, m_x0, m_y0, m_o;
};

inline constexpr int kPaletteSize = 62;
// The height colour at palette index i (0..61) as 0xBBGGRR.
uint32_t paletteColour(int i);
// The palette index of height h between low and high, cut into 0..61.
double heightIndex(double h, double low, double high);

// A cell strictly smaller or strictly larger than all of its used
// neighbours (left, right, above, below); a lone cell is interesting.
bool interestingCell(const MapSheet& s, int col, int row);

// ---------------------------------------------------------------------------
// Condition map (compact layout)

// The grid lines of the condition map as fractions 0..1 of the plot, and
// the areas between them: n breakpoints give n + 1 areas.
struct ConditionGeometry {
  std::vector<double> xLines, yLines;
  int areaColumns() const { return static_cast<int>(xLines.size()) + 1; }
  int areaRows() const { return static_cast<int>(yLines.size()) + 1; }
  // The area column (row) at fraction f of the plot.
  int columnAt(double f) const;
  int rowAt(double f) const;
  // The fraction where area column (row) i starts.
  double columnStart(int i) const;
  double rowStart(int i) const;
};
ConditionGeometry conditionGeometry(const MapSheet& s, bool proportional);

}  // namespace q3
