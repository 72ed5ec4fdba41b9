// Paste of plain text and of whole sheets into a map.
#include "maps/map_paste.h"

#include <algorithm>

#include "maps/sheet_text.h"
#include "text/mstring.h"

namespace q3 {

namespace {

PasteResult refused() {
  PasteResult r;
  r.status = PasteStatus::Refused;
  r.message = dimensionMessage();
  return r;
}

int32_t rawOf(double number, const SheetAxis& a) {
  return roundHalfAway(number / (a.scale == 0 ? 1.0 : a.scale));
}

// Whether the grid of the text has the rows and columns its sizes declare:
// n breakpoints and n cells per row, or one more row and one more cell per
// row when it comes from a compact map (the areas beyond the breakpoints).
bool gridMatches(const SheetText& st) {
  if (!st.hasGrid || st.xValues.size() != static_cast<size_t>(st.sizeX)) return false;
  const size_t rows = st.cells.size();
  if (rows != static_cast<size_t>(st.sizeY) && rows != static_cast<size_t>(st.sizeY) + 1)
    return false;
  const size_t cols = static_cast<size_t>(st.sizeX) + (rows > static_cast<size_t>(st.sizeY));
  for (const PasteRow& row : st.cells)
    if (row.size() != cols) return false;
  return true;
}

}  // namespace

std::string dimensionMessage() {
  return ml(
      "###Table dimensions are not eqal and there is unable to change it !\nInsertion "
      "canceled...##Gleichen Sie die Dimensionen der Tabelle und kann nicht geändert werden "
      "!\nInsertion abgesagt...##Neshodují se rozměry tabulky a nelze je změnit !\nVkládání "
      "zrušeno...");
}

PasteResult pastePlain(MapModel& m, std::string_view text) {
  if (m.sheetCount() == 0) return {};
  // Plain text goes where the selection starts; with nothing selected there
  // is no place for it.
  const SheetSelection& t = m.cur().sel;
  if (t.count == 0) return {};
  return pastePlainAt(m, text, ElemRef{t.firstCol, t.firstRow});
}

PasteResult pastePlainAt(MapModel& m, std::string_view text, ElemRef start) {
  PasteResult result;
  if (m.sheetCount() == 0 || !start.valid()) return result;
  MapSheet& s = m.cur();
  if (!s.enabled) return result;
  const int kind = start.isX() ? kChangeX : (start.isY() ? kChangeY : kChangeCells);
  SheetAxis& axis = kind == kChangeX ? s.x : (kind == kChangeY ? s.y : s.v);
  if (!axis.editable) return result;
  // The breakpoints of a collapsed axis are not shown and take no paste.
  if ((kind == kChangeX && s.x.collapsed) || (kind == kChangeY && s.y.collapsed)) return result;
  // The selected block limits where a collapsed axis' used line may be hit.
  const SheetSelection& t = s.sel;
  const int lastCol = t.count > 0 ? t.lastCol : start.col;
  const int lastRow = t.count > 0 ? t.lastRow : start.row;
  auto shownCol = [&](int c) {
    return !s.x.collapsed || (c == s.x.collapsedIndex && c <= lastCol);
  };
  auto shownRow = [&](int r) {
    return !s.y.collapsed || (r == s.y.collapsedIndex && r <= lastRow);
  };

  const PlainText pt = parsePlainText(text);
  std::vector<ElemRef> stored;
  m.beginChange(kKeyStructBegin);
  for (size_t i = 0; i < pt.rows.size(); ++i) {
    if (start.row == -1 && i > 0) break;  // the header row takes one row
    const int row = start.row == -1 ? -1 : start.row + static_cast<int>(i);
    if (row >= s.y.count) break;
    for (size_t j = 0; j < pt.rows[i].size(); ++j) {
      if (start.col == -1 && j > 0) break;  // the header column takes one column
      const int col = start.col == -1 ? -1 : start.col + static_cast<int>(j);
      if (col >= s.x.count) break;
      const PasteField& f = pt.rows[i][j];
      if (f.kind != PasteField::Number) continue;
      const ElemRef e{col, row};
      if (e.isCell() && (!shownCol(col) || !shownRow(row))) continue;
      int32_t raw = rawOf(f.value, axis);
      // A cell far above its range was given in thousandths.
      if (e.isCell() && axis.maxValue > 0 &&
          f.value / (axis.scale == 0 ? 1.0 : axis.scale) > 5.0 * axis.maxValue)
        raw = roundHalfAway(f.value / (axis.scale == 0 ? 1.0 : axis.scale) * 0.001);
      *m.element(m.current(), e) = raw;
      stored.push_back(e);
    }
  }
  if (!stored.empty()) {
    m.clearSelection();
    SheetSelection& sel = s.sel;
    sel.mode = kind == kChangeX ? kSelX : (kind == kChangeY ? kSelY : kSelCells);
    for (const ElemRef& e : stored) {
      if (e.isX())
        sel.xMarks[e.col] |= kMarkSelected;
      else if (e.isY())
        sel.yMarks[e.row] |= kMarkSelected;
      else
        sel.cellMarks[e.row * kCellStride + e.col] |= kMarkSelected;
    }
    m.updateSelection();
    result.status = PasteStatus::Pasted;
    result.flags = kind;
  }
  m.commitChange(result.flags, kKeyStructEnd);
  return result;
}

PasteResult pasteSheet(MapModel& m, std::string_view text) {
  PasteResult result;
  if (m.sheetCount() == 0) return result;
  MapSheet& s = m.cur();
  if (!s.enabled) return result;
  const SheetText st = parseSheetText(text);
  const bool mx = st.hasLabelX && st.labelX == s.x.name;
  const bool my = st.hasLabelY && st.labelY == s.y.name;
  const bool mv = st.hasLabelData && st.labelData == s.v.name;
  if (!mx && !my && !mv) return result;
  // A sheet that declares no rows or no columns pastes nothing, silently.
  if (st.sizeX < 1 || st.sizeY < 1) return result;
  // A grid that does not have the rows and columns it declares is refused
  // whole rather than pasted in part.
  if (st.sizeX > kMaxColumns || st.sizeY > kMaxRows || !gridMatches(st)) return refused();
  // An axis may change its size only when it is editable and resizable and
  // the text's axis and values are its.
  const bool canX = s.x.editable && s.x.resizable && mx && mv;
  const bool canY = s.y.editable && s.y.resizable && my && mv;
  if ((st.sizeX != s.x.count && !canX) || (st.sizeY != s.y.count && !canY)) return refused();
  // The text's use of one axis is taken over wherever the sheet offers that
  // choice (a sheet copied while it used engine speed only pastes as such);
  // an axis that is never collapsed ignores the request.
  auto collapseWanted = [](const SheetAxis& a, bool asked) {
    return !a.collapsed && (a.usage == 2 || (asked && a.usage != 0));
  };
  const bool collapseX = collapseWanted(s.x, st.onlyXY == 'X');
  const bool collapseY = collapseWanted(s.y, st.onlyXY == 'Y');

  m.beginChange(kKeyStructBegin);
  int flags = 0;
  const int nx = std::clamp(static_cast<int>(st.sizeX), s.x.minCount, s.x.maxCount);
  const int ny = std::clamp(static_cast<int>(st.sizeY), s.y.minCount, s.y.maxCount);
  if (nx != s.x.count) flags |= kChangeX | kChangeCells;
  if (ny != s.y.count) flags |= kChangeY | kChangeCells;
  s.x.count = nx;
  s.y.count = ny;
  if (collapseX) s.x.collapsed = 1;
  if (collapseY) s.y.collapsed = 1;
  if (collapseX || collapseY) flags |= kChangeX | kChangeY | kChangeCells;

  const int extra = m.compact() ? 1 : 0;
  if (s.x.editable && mx)
    for (size_t k = 0; k < st.xValues.size() && k < static_cast<size_t>(nx); ++k)
      if (st.xValues[k].kind == PasteField::Number) {
        s.x.values[k] = rawOf(st.xValues[k].value, s.x);
        flags |= kChangeX;
      }
  for (size_t r = 0;
       r < st.cells.size() && r < static_cast<size_t>(ny) + static_cast<size_t>(extra); ++r) {
    if (s.y.editable && my && r < static_cast<size_t>(ny) &&
        st.yValues[r].kind == PasteField::Number) {
      s.y.values[r] = rawOf(st.yValues[r].value, s.y);
      flags |= kChangeY;
    }
    if (!(s.v.editable && mv)) continue;
    const PasteRow& row = st.cells[r];
    for (size_t c = 0; c < row.size() && c < static_cast<size_t>(nx) + static_cast<size_t>(extra);
         ++c)
      if (row[c].kind == PasteField::Number) {
        s.cell(static_cast<int>(c), static_cast<int>(r)) = rawOf(row[c].value, s.v);
        flags |= kChangeCells;
      }
  }
  // The pasted breakpoints are a new axis, not an edit of one of them.
  if (flags & kChangeX) s.x.lastChanged = -3;
  if (flags & kChangeY) s.y.lastChanged = -3;
  m.computeIndices();
  m.clearSelection();
  m.commitChange(flags, kKeyStructEnd);
  result.flags = flags;
  result.status = flags ? PasteStatus::Pasted : PasteStatus::Nothing;
  return result;
}

PasteResult pasteText(MapModel& m, std::string_view text) {
  return isSheetText(text) ? pasteSheet(m, text) : pastePlain(m, text);
}

PasteResult importCsv(MapModel& m, std::string_view text) {
  if (m.sheetCount() == 0) return {};
  const MapSheet& s = m.cur();
  std::string grid(text.substr(0, std::min(text.size(), kPasteLimit)));
  std::replace(grid.begin(), grid.end(), ';', '\t');
  while (!grid.empty() && (grid.back() == '\n' || grid.back() == '\r')) grid.pop_back();
  // The corner line gives the columns, the lines below it the rows.
  size_t lineCount = grid.empty() ? 0 : 1;
  for (char c : grid) lineCount += c == '\n';
  const size_t firstEnd = std::min(grid.find('\n'), grid.size());
  const long cols = static_cast<long>(std::count(grid.begin(), grid.begin() + firstEnd, '\t'));
  const long rows = static_cast<long>(lineCount) - 1 - (m.compact() ? 1 : 0);
  std::string sheet = "LabelX:\t" + s.x.name + "\nLabelY:\t" + s.y.name + "\nLabelData:\t" +
                      s.v.name + "\nSizeX:\t" + std::to_string(cols) + "\nSizeY:\t" +
                      std::to_string(rows) + "\n" + grid;
  return pasteSheet(m, sheet);
}

}  // namespace q3
