// The sheet of the map editor: one table with its X and Y breakpoint axes, its
// value axis (which holds the 30 x 50 cell store) and its selection. Plain
// data; the operations live in MapModel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace q3 {

inline constexpr int kMaxSheets = 8;
inline constexpr int kMaxColumns = 50;
inline constexpr int kMaxRows = 30;
inline constexpr int kCellStride = 50;  // cell (x, y) is element y * 50 + x
inline constexpr int kCellCount = kMaxRows * kCellStride;
// The element of cell (col, row) in a sheet's cell values.
constexpr size_t cellIndex(int col, int row) {
  return static_cast<size_t>(row) * kCellStride + static_cast<size_t>(col);
}

// One record of the graph grid: up to limit, steps 1..4.
struct GridRange {
  double limit = 0;
  double step[4] = {1, 1, 1, 1};
};

struct SheetAxis {
  uint32_t headerColour = 0xFFFFFF;
  uint32_t colour2 = 0;
  std::string label;  // given by AddSheet
  std::string name;   // given by SetAxis; selects the live value
  std::string unit;
  int showUnit = 0;
  int maxCount = 0, minCount = 0, count = 0;
  int collapsed = 0, collapsedIndex = 0, collapsedPreference = -1;
  int editable = 0, resizable = 0, usage = 0, scrollOffset = 0;
  std::vector<int32_t> values;
  std::vector<int32_t> previousValues;
  std::vector<int32_t> pushedFrom;
  std::vector<uint8_t> pushed;
  double scale = 1.0;
  int32_t minValue = 0, maxValue = 100, minGap = 1;
  int lastChanged = -3;  // -3: no breakpoint is being edited
  // Optional second curve (the other advance map); empty when absent.
  std::vector<int32_t> compareValues;
  int compareCount = 0;  // used breakpoints of the comparison (X axis)
  int proportional = 1;
  int graphGroup = 0;
  int fullColourRange = 0;
  int gridCount = 0;
  GridRange grid[5];
  int gridChosen = 0;
  int fontHeight = 0;
};

// Selection marks.
inline constexpr uint16_t kMarkSelected = 1;
inline constexpr uint16_t kMarkJust = 2;
inline constexpr uint16_t kMarkCorner = 4;

// Selection modes.
enum SelMode : int {
  kSelNone = 0,
  kSelCells = 1,
  kSelX = 2,
  kSelY = 4,
  kSelColumns = 8,
  kSelRows = 16,
  kSelButtonHeld = 0x100,
};

struct SheetSelection {
  int mode = 0;
  uint16_t xMarks[kMaxColumns] = {};
  uint16_t yMarks[kMaxRows] = {};
  uint16_t cellMarks[kCellCount] = {};
  int anchorCol = -2, anchorRow = -2;
  int cursorCol = -2, cursorRow = -2;  // -1: header row / column
  int firstCol = -2, lastCol = -2, firstRow = -2, lastRow = -2;
  int count = 0;
  int interpReady = 0;
  int ic0 = -2, ic1 = -2, ir0 = -2, ir1 = -2;
};

// An element of a sheet: col -1 is the Y header column, row -1 the X header
// row; (col >= 0, row >= 0) is a cell. Indices are data indices.
struct ElemRef {
  int col = -2, row = -2;
  bool isCell() const { return col >= 0 && row >= 0; }
  bool isX() const { return col >= 0 && row == -1; }
  bool isY() const { return col == -1 && row >= 0; }
  bool valid() const { return isCell() || isX() || isY(); }
};

struct MapSheet {
  int flags0 = 0;  // bit 0 actual position, bit 1 Y primary, bit 3 may disable, 5, 7 curve ends
  int flags1 = 0;  // bits 0..2 linked limits, bits 4..6 accelerated steps
  int enabled = 1;
  int hidden = 0;
  uint32_t colours[3] = {0x0000FF, 0x808080, 0xFF0000};
  std::string name;
  int tabWidth = 0;
  int tabFontSize = 13;
  int titleFontSize = 12;
  SheetAxis x, y, v;
  int actualCol = -2, actualRow = -2, actualState = 0;
  // The unit's copy of this sheet (breakpoints and cells as last read from
  // the unit), empty when there is none; the table marks what differs.
  std::vector<int32_t> unitX, unitY, unitCells;
  int32_t liveAfr = 0;
  SheetSelection sel;

  int32_t& cell(int col, int row) { return v.values[cellIndex(col, row)]; }
  int32_t cell(int col, int row) const { return v.values[cellIndex(col, row)]; }
  // Used columns (rows) as the table shows them: 1 for a collapsed axis.
  int shownColumns() const { return x.collapsed ? 1 : x.count; }
  int shownRows() const { return y.collapsed ? 1 : y.count; }
  // Column (row) of the data for shown index i.
  int dataColumn(int i) const { return x.collapsed ? x.collapsedIndex : i; }
  int dataRow(int i) const { return y.collapsed ? y.collapsedIndex : i; }
  bool hasEditableAxis() const { return x.editable || y.editable || v.editable; }
};

// Value text: raw x scale with the decimals of the scale, digit groups of
// three, trailing zeros removed; " unit" appended when unit is not null.
std::string valueText(int32_t raw, double scale, const char* unit = nullptr);
int decimalsForScale(double scale);
// Rounds half away from zero into the 32-bit range.
int32_t roundHalfAway(double v);
// The version of a stored multi-language text (a sheet name, an axis label)
// in a language (-1 the current one). Unlike ml(), which keeps one prepared
// copy per literal address, this reads the text itself every time.
std::string languageText(const std::string& text, int language = -1);
// Reads an entered text as a number: first "," becomes ".", spaces and tabs
// are removed; false when it is no number.
bool parseEnteredNumber(const std::string& text, double* out);

}  // namespace q3
