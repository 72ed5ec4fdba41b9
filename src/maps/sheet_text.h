// Text exchange of map tables: the texts a copy writes (the selection, the
// plain grid of a whole table, the sheet format that carries a table with its
// labels and dimensions) and the readers of pasted text. The readers take
// outside input of any shape; they return what they read and never touch a
// sheet. Applying a paste to a map is map_paste.cpp.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "maps/map_sheet.h"

namespace q3 {

// The registered clipboard format of whole sheets, and the MIME type that
// carries it (its name kept inside so that it is recognisable).
inline constexpr const char* kSheetFormatName = "CF_KORVELAN_SHEET";
inline constexpr const char* kSheetMimeType = "application/x-cf_korvelan_sheet";

// At most this many bytes of pasted text are read; the rest is cut.
inline constexpr size_t kPasteLimit = 1u << 20;

// The decimal separator a copy writes: "," in Czech, "." otherwise.
char copyDecimalSeparator();

// Copy of the selection: the selected cells (or breakpoints) as tab- and
// line-feed-separated text; empty when nothing is selected.
std::string copySelectionText(const MapSheet& s, char decimal);

// Copy of a whole table: the plain grid and the sheet format.
struct TableTexts {
  std::string plain;
  std::string sheet;
};
TableTexts copyTableTexts(const MapSheet& s, bool compact, char decimal);

// The whole grid (corner, breakpoints, cells, all rows and columns) with ";"
// between fields and CR LF after every line, for a file.
std::string tableCsv(const MapSheet& s, bool compact, char decimal);

// One pasted field.
struct PasteField {
  enum Kind { Empty, Number, Invalid };
  Kind kind = Empty;
  double value = 0;
};
using PasteRow = std::vector<PasteField>;

// Plain text as rows of fields. Tab and ";" end a field, a line feed a row;
// "1 200" is one number (digit groups), "1 2" two; "," is a decimal comma.
// From the first "{" on the text is read in bracket form ({{1,2},{3,4}}).
// A field that is not wholly a number is Invalid.
struct PlainText {
  bool bracketForm = false;
  std::vector<PasteRow> rows;
};
PlainText parsePlainText(std::string_view text);

// The sheet format as read.
struct SheetText {
  std::string label, labelX, labelY, labelData;
  bool hasLabelX = false, hasLabelY = false, hasLabelData = false;
  long sizeX = 0, sizeY = 0;
  char onlyXY = 0;  // 'X', 'Y' or 0
  bool hasGrid = false;
  // The corner line's breakpoint fields (corner field left out).
  PasteRow xValues;
  // One entry per row line: its breakpoint field and its cells.
  std::vector<PasteField> yValues;
  std::vector<PasteRow> cells;
};
// Whether the text is in the sheet format (its first line is a header line).
bool isSheetText(std::string_view text);
SheetText parseSheetText(std::string_view text);

// Reads one field of digits, "-", "." and "," (as "."), skipping spaces and
// other blanks; Invalid when anything else is in it or it is no number.
PasteField readField(std::string_view field);

}  // namespace q3
