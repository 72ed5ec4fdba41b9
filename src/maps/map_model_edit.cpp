// Structural edits of a sheet (insert, delete, use of one axis, interpolation,
// fill handle, block move) and its selection.
#include <algorithm>
#include <optional>

#include "maps/map_model.h"
#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace q3 {

namespace {

int clampInt(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// A view of the selected kind of elements as a grid: cells, the X breakpoints
// as one row, or the Y breakpoints as one column.
struct Grid {
  MapSheet& s;
  int kind;  // kChangeX, kChangeY, kChangeCells
  int cols() const { return kind == kChangeY ? 1 : s.x.count; }
  int rows() const { return kind == kChangeX ? 1 : s.y.count; }
  int32_t& at(int c, int r) {
    if (kind == kChangeX) return s.x.values[static_cast<size_t>(c)];
    if (kind == kChangeY) return s.y.values[static_cast<size_t>(r)];
    return s.cell(c, r);
  }
  SheetAxis& axis() { return kind == kChangeX ? s.x : (kind == kChangeY ? s.y : s.v); }
};

// The selected block of a sheet with the grid it lies in, when its values may
// be changed: the sheet is enabled, something is selected and the axis or the
// cells it belongs to are editable.
struct SelectedBlock {
  Grid g;
  int sc0, sc1, sr0, sr1;  // first and last selected column and row
};

// The columns and rows of the grid that are shown: only the used line of a
// collapsed axis. Fill and block move write nowhere else, so that hidden
// rows of a map used over one axis keep their values.
struct ShownRange {
  int c0, c1, r0, r1;
};
ShownRange shownRange(const MapSheet& s, const Grid& g) {
  ShownRange r{0, g.cols() - 1, 0, g.rows() - 1};
  if (g.kind != kChangeY && s.x.collapsed) r.c0 = r.c1 = s.x.collapsedIndex;
  if (g.kind != kChangeX && s.y.collapsed) r.r0 = r.r1 = s.y.collapsedIndex;
  return r;
}

std::optional<SelectedBlock> editableBlock(MapSheet& s, int kind) {
  if (!s.enabled || !kind || !s.sel.count) return std::nullopt;
  Grid g{s, kind};
  if (!g.axis().editable) return std::nullopt;
  const SheetSelection& t = s.sel;
  return SelectedBlock{g, std::max(0, t.firstCol), std::max(0, t.lastCol), std::max(0, t.firstRow),
                       std::max(0, t.lastRow)};
}

}  // namespace

namespace {
int selectionKind(const SheetSelection& t) {
  const int m = t.mode & 0xFF;
  if (m & kSelX) return kChangeX;
  if (m & kSelY) return kChangeY;
  if (m & (kSelCells | kSelColumns | kSelRows)) return kChangeCells;
  return 0;
}
}  // namespace

int MapModel::kindOfSelection() const { return selectionKind(cur().sel); }

// Drops the marks of elements the table does not show: beyond the used
// columns and rows, the unused lines of a collapsed axis and the header of a
// collapsed axis. A selection made before a load, an undo or a change of the
// axes in use thus never writes a hidden value. True when a mark went.
bool clipSelectionToShown(MapSheet& s) {
  SheetSelection& t = s.sel;
  bool dropped = false;
  auto drop = [&](uint16_t& m) {
    if (m & kMarkSelected) dropped = true;
    m = 0;
  };
  for (int c = 0; c < kMaxColumns; ++c)
    if (s.x.collapsed || c >= s.x.count) drop(t.xMarks[c]);
  for (int r = 0; r < kMaxRows; ++r)
    if (s.y.collapsed || r >= s.y.count) drop(t.yMarks[r]);
  for (int r = 0; r < kMaxRows; ++r) {
    const bool rowShown = r < s.y.count && (!s.y.collapsed || r == s.y.collapsedIndex);
    for (int c = 0; c < kMaxColumns; ++c) {
      const bool colShown = c < s.x.count && (!s.x.collapsed || c == s.x.collapsedIndex);
      if (!rowShown || !colShown) drop(t.cellMarks[r * kCellStride + c]);
    }
  }
  return dropped;
}

// ---------------------------------------------------------------------------
// Selection

void MapModel::clearSelection() {
  SheetSelection& t = cur().sel;
  t.mode = 0;
  std::fill(std::begin(t.xMarks), std::end(t.xMarks), 0);
  std::fill(std::begin(t.yMarks), std::end(t.yMarks), 0);
  std::fill(std::begin(t.cellMarks), std::end(t.cellMarks), 0);
  t.count = 0;
  t.firstCol = t.lastCol = t.firstRow = t.lastRow = -2;
  t.interpReady = 0;
  t.ic0 = t.ic1 = t.ir0 = t.ir1 = -2;
}

void MapModel::selectRect(int mode, int c0, int r0, int c1, int r1, bool add) {
  MapSheet& s = cur();
  SheetSelection& t = s.sel;
  if (mode == kSelColumns || mode == kSelRows) mode = kSelCells;
  const int held = t.mode & kSelButtonHeld;
  if (!add || (t.mode & 0xFF) != mode) clearSelection();
  t.mode = mode | held;
  if (c0 > c1) std::swap(c0, c1);
  if (r0 > r1) std::swap(r0, r1);
  if (mode == kSelX) {
    for (int c = std::max(0, c0); c <= std::min(c1, s.x.count - 1); ++c)
      t.xMarks[c] |= kMarkSelected;
  } else if (mode == kSelY) {
    for (int r = std::max(0, r0); r <= std::min(r1, s.y.count - 1); ++r)
      t.yMarks[r] |= kMarkSelected;
  } else {
    for (int r = std::max(0, r0); r <= std::min(r1, s.y.count - 1); ++r)
      for (int c = std::max(0, c0); c <= std::min(c1, s.x.count - 1); ++c)
        t.cellMarks[r * kCellStride + c] |= kMarkSelected;
  }
  updateSelection();
}

void MapModel::selectAllCells() {
  MapSheet& s = cur();
  int c0 = s.x.collapsed ? s.x.collapsedIndex : 0;
  int c1 = s.x.collapsed ? s.x.collapsedIndex : s.x.count - 1;
  int r0 = s.y.collapsed ? s.y.collapsedIndex : 0;
  int r1 = s.y.collapsed ? s.y.collapsedIndex : s.y.count - 1;
  selectRect(kSelCells, c0, r0, c1, r1, false);
}

bool MapModel::allCellsSelected() const {
  const MapSheet& s = cur();
  for (int i = 0; i < s.shownRows(); ++i)
    for (int j = 0; j < s.shownColumns(); ++j)
      if (!(s.sel.cellMarks[s.dataRow(i) * kCellStride + s.dataColumn(j)] & kMarkSelected))
        return false;
  return true;
}

bool MapModel::isSelected(ElemRef e) const {
  const MapSheet& s = cur();
  if (e.isX()) return e.col < kMaxColumns && (s.sel.xMarks[e.col] & kMarkSelected);
  if (e.isY()) return e.row < kMaxRows && (s.sel.yMarks[e.row] & kMarkSelected);
  if (e.isCell() && e.col < kMaxColumns && e.row < kMaxRows)
    return (s.sel.cellMarks[e.row * kCellStride + e.col] & kMarkSelected) != 0;
  return false;
}

void MapModel::updateSelection() {
  MapSheet& s = cur();
  SheetSelection& t = s.sel;
  const int kind = kindOfSelection();
  t.count = 0;
  t.firstCol = t.lastCol = t.firstRow = t.lastRow = -2;
  t.interpReady = 0;
  t.ic0 = t.ic1 = t.ir0 = t.ir1 = -2;
  for (auto& m : t.xMarks) m &= static_cast<uint16_t>(~kMarkCorner);
  for (auto& m : t.yMarks) m &= static_cast<uint16_t>(~kMarkCorner);
  for (auto& m : t.cellMarks) m &= static_cast<uint16_t>(~kMarkCorner);
  if (!kind) return;
  Grid g{s, kind};
  auto marked = [&](int c, int r) -> uint16_t& {
    if (kind == kChangeX) return t.xMarks[c];
    if (kind == kChangeY) return t.yMarks[r];
    return t.cellMarks[r * kCellStride + c];
  };
  for (int r = 0; r < g.rows(); ++r)
    for (int c = 0; c < g.cols(); ++c)
      if (marked(c, r) & kMarkSelected) {
        ++t.count;
        if (t.firstCol == -2 || c < t.firstCol) t.firstCol = c;
        if (c > t.lastCol) t.lastCol = c;
        if (t.firstRow == -2 || r < t.firstRow) t.firstRow = r;
        if (r > t.lastRow) t.lastRow = r;
      }
  if (kind == kChangeX) t.firstRow = t.lastRow = -1;
  if (kind == kChangeY) t.firstCol = t.lastCol = -1;
  if (!t.count) return;
  int c0 = std::max(0, t.firstCol), c1 = std::max(0, t.lastCol);
  int r0 = std::max(0, t.firstRow), r1 = std::max(0, t.lastRow);
  int w = c1 - c0 + 1, h = r1 - r0 + 1;
  if (t.count == w * h && (w >= 3 || h >= 3)) {
    t.interpReady = 1;
    t.ic0 = t.firstCol;
    t.ic1 = t.lastCol;
    t.ir0 = t.firstRow;
    t.ir1 = t.lastRow;
    marked(c0, r0) |= kMarkCorner;
    marked(c1, r0) |= kMarkCorner;
    marked(c0, r1) |= kMarkCorner;
    marked(c1, r1) |= kMarkCorner;
  }
}

void MapModel::scrollTo(int col, int row) {
  MapSheet& s = cur();
  if (!s.x.collapsed && col >= 0) {
    int vis = std::min(shownColumnLimit(), s.x.count);
    if (col < s.x.scrollOffset) s.x.scrollOffset = col;
    if (col >= s.x.scrollOffset + vis) s.x.scrollOffset = col - vis + 1;
  }
  if (!s.y.collapsed && row >= 0) {
    int vis = std::min(visibleRows, s.y.count);
    if (row < s.y.scrollOffset) s.y.scrollOffset = row;
    if (row >= s.y.scrollOffset + vis) s.y.scrollOffset = row - vis + 1;
  }
}

// ---------------------------------------------------------------------------
// Interpolation

bool MapModel::interpolationPreview(std::vector<int32_t>* out, int* kindOut) const {
  const MapSheet& s = cur();
  const SheetSelection& t = s.sel;
  if (!t.interpReady) return false;
  const int kind = kindOfSelection();
  if (kindOut) *kindOut = kind;
  if (kind == kChangeCells) {
    *out = s.v.values;
    auto pos = [](const SheetAxis& a, int i) -> double {
      return a.proportional ? a.values[static_cast<size_t>(i)] : i;
    };
    const int c0 = t.ic0, c1 = t.ic1, r0 = t.ir0, r1 = t.ir1;
    double sx = pos(s.x, c1) - pos(s.x, c0);
    double sy = pos(s.y, r1) - pos(s.y, r0);
    for (int r = r0; r <= r1; ++r) {
      double wy = sy == 0 ? 0.5 : (pos(s.y, r) - pos(s.y, r0)) / sy;
      for (int c = c0; c <= c1; ++c) {
        if ((c == c0 || c == c1) && (r == r0 || r == r1)) continue;
        double wx = sx == 0 ? 0.5 : (pos(s.x, c) - pos(s.x, c0)) / sx;
        double v = wx * (wy * s.cell(c1, r1) + (1 - wy) * s.cell(c1, r0)) +
                   (1 - wx) * (wy * s.cell(c0, r1) + (1 - wy) * s.cell(c0, r0));
        (*out)[cellIndex(c, r)] = roundHalfAway(v);
      }
    }
    return true;
  }
  const SheetAxis& a = kind == kChangeX ? s.x : s.y;
  const int i0 = kind == kChangeX ? t.ic0 : t.ir0;
  const int i1 = kind == kChangeX ? t.ic1 : t.ir1;
  *out = a.values;
  for (int i = i0 + 1; i < i1; ++i) {
    double w = static_cast<double>(i - i0) / (i1 - i0);
    (*out)[static_cast<size_t>(i)] = roundHalfAway(w * a.values[static_cast<size_t>(i1)] +
                                                   (1 - w) * a.values[static_cast<size_t>(i0)]);
  }
  return true;
}

bool MapModel::interpolate() {
  MapSheet& s = cur();
  if (!s.enabled) return false;
  std::vector<int32_t> out;
  int kind = 0;
  if (!interpolationPreview(&out, &kind)) return false;
  Grid g{s, kind};
  if (!g.axis().editable) return false;
  beginChange(kKeyStructBegin);
  if (kind == kChangeCells)
    s.v.values = out;
  else
    g.axis().values = out;
  clearSelection();
  commitChange(kind, kKeyStructEnd);
  return true;
}

// ---------------------------------------------------------------------------
// Insert and delete of columns and rows

bool MapModel::insertColumn(int b, std::string* refusal) { return insertAt(true, b, refusal); }
bool MapModel::insertRow(int b, std::string* refusal) { return insertAt(false, b, refusal); }
bool MapModel::deleteColumn(int b) { return deleteAt(true, b); }
bool MapModel::deleteRow(int b) { return deleteAt(false, b); }

bool MapModel::insertAt(bool columns, int b, std::string* refusal) {
  MapSheet& s = cur();
  SheetAxis& a = columns ? s.x : s.y;
  SheetAxis& o = columns ? s.y : s.x;
  if (!s.enabled || !a.resizable) return false;
  if (a.count >= a.maxCount) {
    if (refusal)
      *refusal = ml(
          columns ? "###Column count is on maximum !\nDelete some first...##Spaltenanzahl ist auf "
                    "maximal !\nLöschen einige erste...##Dosaženo maximálního počtu sloupců "
                    "!\nNejprve nějaký vymažte..."
                  : "###Row count is on maximum !\nDelete some first...##Zeilenanzahl ist auf "
                    "maximal !\nLöschen einige erste...##Dosaženo maximálního počtu řádků "
                    "!\nNejprve nějaký vymažte...");
    return false;
  }
  if (b < 0 || b > a.count) return false;
  beginChange(kKeyStructBegin);
  clearSelection();
  auto cellAt = [&](int i, int j) -> int32_t& { return columns ? s.cell(i, j) : s.cell(j, i); };
  for (int j = a.count - 1; j >= b; --j) {
    a.values[static_cast<size_t>(j) + 1] = a.values[static_cast<size_t>(j)];
    for (int k = 0; k < o.count; ++k) cellAt(j + 1, k) = cellAt(j, k);
  }
  a.count++;
  computeIndices();
  const bool right = b + 1 < a.count;
  const int i = b == 0 ? b + 1 : b - 1;
  const int other = right ? b + 1 : b - 1;
  auto& v = a.values;
  if (right || v[static_cast<size_t>(b - 1)] >= v[static_cast<size_t>(b)])
    v[static_cast<size_t>(b)] = (v[static_cast<size_t>(i)] + v[static_cast<size_t>(other)]) / 2;
  for (int k = 0; k < o.count; ++k) cellAt(b, k) = (cellAt(i, k) + cellAt(other, k)) / 2;
  // The shifted breakpoints are not an edit of one of them: order them all.
  a.lastChanged = -3;
  int k0 = o.collapsed ? o.collapsedIndex : 0;
  int k1 = o.collapsed ? o.collapsedIndex : o.count - 1;
  if (columns)
    selectRect(kSelCells, b, k0, b, k1, false);
  else
    selectRect(kSelCells, k0, b, k1, b, false);
  commitChange((columns ? kChangeX : kChangeY) | kChangeCells, kKeyStructEnd);
  return true;
}

bool MapModel::deleteAt(bool columns, int b) {
  MapSheet& s = cur();
  SheetAxis& a = columns ? s.x : s.y;
  SheetAxis& o = columns ? s.y : s.x;
  if (!s.enabled || !a.resizable || a.collapsed || a.count <= a.minCount) return false;
  if (b < 0 || b >= a.count) return false;
  beginChange(kKeyStructBegin);
  SheetSelection& t = s.sel;
  uint16_t* marks = columns ? t.xMarks : t.yMarks;
  auto cellAt = [&](int i, int j) -> int32_t& { return columns ? s.cell(i, j) : s.cell(j, i); };
  auto markAt = [&](int i, int j) -> uint16_t& {
    return columns ? t.cellMarks[j * kCellStride + i] : t.cellMarks[i * kCellStride + j];
  };
  for (int j = b; j + 1 < a.count; ++j) {
    a.values[static_cast<size_t>(j)] = a.values[static_cast<size_t>(j) + 1];
    marks[j] = marks[j + 1];
    for (int k = 0; k < o.count; ++k) {
      cellAt(j, k) = cellAt(j + 1, k);
      markAt(j, k) = markAt(j + 1, k);
    }
  }
  marks[a.count - 1] = 0;
  for (int k = 0; k < o.count; ++k) markAt(a.count - 1, k) = 0;
  a.count--;
  a.lastChanged = -3;
  computeIndices();
  updateSelection();
  commitChange((columns ? kChangeX : kChangeY) | kChangeCells, kKeyStructBegin);
  return true;
}

namespace {
// Columns (rows) that are wholly selected or whose breakpoint is selected.
std::vector<int> selectedLines(const MapSheet& s, bool columns) {
  const SheetAxis& a = columns ? s.x : s.y;
  const SheetAxis& o = columns ? s.y : s.x;
  const uint16_t* marks = columns ? s.sel.xMarks : s.sel.yMarks;
  std::vector<int> out;
  for (int i = 0; i < a.count; ++i) {
    bool whole = true;
    int k0 = o.collapsed ? o.collapsedIndex : 0;
    int k1 = o.collapsed ? o.collapsedIndex : o.count - 1;
    for (int k = k0; k <= k1; ++k) {
      int idx = columns ? k * kCellStride + i : i * kCellStride + k;
      if (!(s.sel.cellMarks[idx] & kMarkSelected)) whole = false;
    }
    if (whole || (marks[i] & kMarkSelected)) out.push_back(i);
  }
  return out;
}
}  // namespace

int MapModel::wholeLinesSelected(bool columns) const {
  return static_cast<int>(selectedLines(cur(), columns).size());
}

bool MapModel::wholeLineSelected(bool columns, int i) const {
  const MapSheet& s = cur();
  const SheetAxis& a = columns ? s.x : s.y;
  const SheetAxis& o = columns ? s.y : s.x;
  if (i < 0 || i >= a.count) return false;
  const int k0 = o.collapsed ? o.collapsedIndex : 0;
  const int k1 = o.collapsed ? o.collapsedIndex : o.count - 1;
  for (int k = k0; k <= k1; ++k)
    if (!(s.sel.cellMarks[columns ? k * kCellStride + i : i * kCellStride + k] & kMarkSelected))
      return false;
  return true;
}

void MapModel::deleteSelectedColumns() {
  std::vector<int> lines = selectedLines(cur(), true);
  int removed = 0;
  for (int i : lines)
    if (deleteAt(true, i - removed)) ++removed;
  clearSelection();
  change(0, 0);
}

void MapModel::deleteSelectedRows() {
  std::vector<int> lines = selectedLines(cur(), false);
  int removed = 0;
  for (int i : lines)
    if (deleteAt(false, i - removed)) ++removed;
  clearSelection();
  change(0, 0);
}

// ---------------------------------------------------------------------------
// Use of one axis only

bool MapModel::canUseAxes(AxisUse u) const {
  const MapSheet& s = cur();
  switch (u) {
    case AxisUse::OnlyX:
      return s.x.usage < 2 && s.y.usage != 0;
    case AxisUse::OnlyY:
      return s.x.usage != 0 && s.y.usage < 2;
    case AxisUse::Both:
      return s.x.usage < 2 && s.y.usage < 2;
  }
  return false;
}

AxisUse MapModel::axesInUse() const {
  const MapSheet& s = cur();
  if (s.y.collapsed && !s.x.collapsed) return AxisUse::OnlyX;
  if (s.x.collapsed && !s.y.collapsed) return AxisUse::OnlyY;
  return AxisUse::Both;
}

bool MapModel::useAxes(AxisUse u) {
  MapSheet& s = cur();
  if (!s.enabled || !canUseAxes(u)) return false;
  beginChange(kKeyStructBegin);
  s.x.collapsed = u == AxisUse::OnlyY;
  s.y.collapsed = u == AxisUse::OnlyX;
  computeIndices();
  clearSelection();
  commitChange(kChangeX | kChangeY | kChangeCells, kKeyStructEnd);
  return true;
}

// ---------------------------------------------------------------------------
// Fill handle and block move

bool MapModel::fillTo(int c0, int r0, int c1, int r1) {
  MapSheet& s = cur();
  const int kind = kindOfSelection();
  auto block = editableBlock(s, kind);
  if (!block) return false;
  Grid& g = block->g;
  const int sc0 = block->sc0, sc1 = block->sc1, sr0 = block->sr0, sr1 = block->sr1;
  if (c0 > c1) std::swap(c0, c1);
  if (r0 > r1) std::swap(r0, r1);
  const ShownRange shown = shownRange(s, g);
  c0 = clampInt(std::min(c0, sc0), shown.c0, shown.c1);
  c1 = clampInt(std::max(c1, sc1), shown.c0, shown.c1);
  r0 = clampInt(std::min(r0, sr0), shown.r0, shown.r1);
  r1 = clampInt(std::max(r1, sr1), shown.r0, shown.r1);
  if (c0 > c1 || r0 > r1) return false;
  const bool wide = sc1 > sc0, high = sr1 > sr0;
  std::vector<int32_t> out;
  for (int r = r0; r <= r1; ++r)
    for (int c = c0; c <= c1; ++c) {
      bool inside = c >= sc0 && c <= sc1 && r >= sr0 && r <= sr1;
      int cc = clampInt(c, sc0, sc1), rr = clampInt(r, sr0, sr1);
      int64_t v = g.at(cc, rr);
      if (!inside) {
        if (wide && c > sc1) v += int64_t(c - sc1) * (g.at(sc1, rr) - g.at(sc1 - 1, rr));
        if (wide && c < sc0) v += int64_t(sc0 - c) * (g.at(sc0, rr) - g.at(sc0 + 1, rr));
        if (high && r > sr1) v += int64_t(r - sr1) * (g.at(cc, sr1) - g.at(cc, sr1 - 1));
        if (high && r < sr0) v += int64_t(sr0 - r) * (g.at(cc, sr0) - g.at(cc, sr0 + 1));
      }
      out.push_back(static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)));
    }
  beginChange(kKeyStructBegin);
  size_t i = 0;
  for (int r = r0; r <= r1; ++r)
    for (int c = c0; c <= c1; ++c) g.at(c, r) = out[i++];
  int mode = s.sel.mode & 0xFF;
  selectRect(mode, kind == kChangeY ? -1 : c0, kind == kChangeX ? -1 : r0,
             kind == kChangeY ? -1 : c1, kind == kChangeX ? -1 : r1, false);
  commitChange(kind, kKeyStructEnd);
  return true;
}

bool MapModel::moveTo(int c0, int r0) {
  MapSheet& s = cur();
  const int kind = kindOfSelection();
  auto block = editableBlock(s, kind);
  if (!block) return false;
  Grid& g = block->g;
  const int sc0 = block->sc0, sc1 = block->sc1, sr0 = block->sr0, sr1 = block->sr1;
  const int w = sc1 - sc0 + 1, h = sr1 - sr0 + 1;
  const ShownRange shown = shownRange(s, g);
  if (w > shown.c1 - shown.c0 + 1 || h > shown.r1 - shown.r0 + 1) return false;
  c0 = clampInt(c0, shown.c0, shown.c1 - w + 1);
  r0 = clampInt(r0, shown.r0, shown.r1 - h + 1);
  std::vector<int32_t> src;
  std::vector<uint8_t> sel;
  for (int r = sr0; r <= sr1; ++r)
    for (int c = sc0; c <= sc1; ++c) {
      src.push_back(g.at(c, r));
      sel.push_back(isSelected(ElemRef{kind == kChangeY ? -1 : c, kind == kChangeX ? -1 : r}));
    }
  beginChange(kKeyStructBegin);
  size_t i = 0;
  for (int r = 0; r < h; ++r)
    for (int c = 0; c < w; ++c, ++i)
      if (sel[i]) g.at(c0 + c, r0 + r) = src[i];
  int mode = s.sel.mode & 0xFF;
  selectRect(mode, kind == kChangeY ? -1 : c0, kind == kChangeX ? -1 : r0,
             kind == kChangeY ? -1 : c0 + w - 1, kind == kChangeX ? -1 : r0 + h - 1, false);
  commitChange(kind, kKeyStructEnd);
  return true;
}

}  // namespace q3
