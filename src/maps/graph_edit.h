// Edits made in the map graphs, without widgets: dragging a point of the 2D
// graph (with the points marked along with it), the base-advance point, a
// limiter line or a grid line of the condition map, and switching areas of
// the condition map. Each drag is one change of the change protocol from the
// press to the release, so the owner is told once and takes one undo step.
#pragma once

#include <string>
#include <vector>

#include "maps/graph_math.h"
#include "maps/map_model.h"

namespace q3 {

// What the pointer is on in a graph.
struct GraphItem {
  enum Kind { None, Point, Base, RevLimiter, StartLimiter, XLine, YLine };
  Kind kind = None;
  ElemRef cell;    // Point
  int index = -1;  // XLine, YLine: the breakpoint
  bool operator==(const GraphItem& o) const {
    return kind == o.kind && cell.col == o.cell.col && cell.row == o.cell.row && index == o.index;
  }
  bool operator!=(const GraphItem& o) const { return !(*this == o); }
};

class GraphDrag {
 public:
  // Opens the change of a drag of item; marked are the points moved with a
  // point (markedPoints). False, and no change opened, when nothing of it
  // may move.
  bool begin(MapModel& m, const GraphItem& item, std::vector<ElemRef> marked = {});
  // The pointer's whole travel since the press, in raw units of the primary
  // axis (of the line's axis for a grid line) and of the value axis.
  void moveTo(double dPrimary, double dValue);
  // Commits the change: one owner notification when anything moved.
  void end();
  bool active() const { return m_model != nullptr; }
  const GraphItem& item() const { return m_item; }

 private:
  MapModel* m_model = nullptr;
  GraphItem m_item;
  std::vector<ElemRef> m_marked;
  CurveSet m_curves;
  std::vector<int32_t> m_cells, m_primary, m_lineAxis;
  int m_base = 0, m_rev = 0, m_start = 0;
  bool m_moveValues = false, m_moveBreakpoints = false;
};

// Switches the areas of a condition map from column c0 to c1 and row r0 to
// r1 (area indices): 0 becomes 1, anything else 0. Only an enabled sheet
// whose areas are editable switches; one change.
bool switchAreas(MapModel& m, int c0, int r0, int c1, int r1);

// The status text of a graph item: "X = 3 000; Advance = 12" with the row
// first for stacked curves, or the base advance or a limiter; with the
// "Dragging: " prefix while dragging. Empty for no item.
std::string graphStatusText(const MapModel& m, const GraphItem& item, bool dragging);

// The read-out under the pointer of the 2D graph: the primary axis and the
// value at raw positions ("RPM = 4 300; Advance = 17 °").
std::string graphReadout(const MapModel& m, double primaryRaw, double valueRaw);

}  // namespace q3
