// Paste into the current sheet of a map: plain text from a start element,
// the sheet format as a whole table, and a table read from a CSV file. Each
// paste is one change of the change protocol; what happened comes back as a
// result, and the one refusal that the user must see carries its message.
#pragma once

#include <string>
#include <string_view>

#include "maps/map_model.h"

namespace q3 {

enum class PasteStatus {
  Pasted,   // something was stored
  Nothing,  // nothing to paste into, or nothing matched: no message
  Refused,  // the table's dimensions cannot take the text: message
};

struct PasteResult {
  PasteStatus status = PasteStatus::Nothing;
  int flags = 0;        // kinds stored (kChangeX, kChangeY, kChangeCells)
  std::string message;  // the dimension message of a refusal, in the current language
};

// The message of a sheet whose dimensions do not fit and cannot change.
std::string dimensionMessage();

// Plain text from the top-left element of the selection, or from the cursor
// when nothing is selected.
PasteResult pastePlain(MapModel& m, std::string_view text);
// Plain text from the element start, as if it alone were selected.
PasteResult pastePlainAt(MapModel& m, std::string_view text, ElemRef start);
// A whole table in the sheet format.
PasteResult pasteSheet(MapModel& m, std::string_view text);
// The paste command with one text: the sheet format when it is one, plain
// text otherwise.
PasteResult pasteText(MapModel& m, std::string_view text);
// A table written by tableCsv (";" or tab between fields) into the current
// sheet, with the rules of the sheet format.
PasteResult importCsv(MapModel& m, std::string_view text);

}  // namespace q3
