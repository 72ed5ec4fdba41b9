// Start-up check of the address map: guards later changes of the layout.
#include "params/address_map.h"

#include <string>

#include "text/user_dialogs.h"

namespace q3 {

namespace {
void report(UserDialogs& dialogs, const char* text, const std::string& detail) {
  dialogs.message("Error", std::string(text) + detail, DialogKind::Error);
}
}  // namespace

int checkAddressMap(UserDialogs& dialogs, const AddressLayout& l) {
  int shown = 0;
  auto rule = [&](int excess, const char* text) {
    if (excess > 0) {
      report(dialogs, text, std::to_string(excess));
      ++shown;
    }
  };
  // The high byte of the last word must lie below the first byte: an excess
  // of 0 (the two share a byte) breaks the rule as well.
  auto below = [&](int high, int first, const char* text) {
    if (high >= first) {
      report(dialogs, text, std::to_string(high - first));
      ++shown;
    }
  };
  below(2 * l.lastWord + 1, l.firstByte, "Software error: Enum Adrw to long - ");
  rule(l.adrbEnd - l.imageLen, "Software error: Enum Adrb to long - ");
  rule(l.byteParamsEnd - l.tablesBegin,
       "Software error: Enum Adrb - no space between bytes and tables - ");
  below(2 * l.lastMonWord + 1, l.firstMonByte, "Software error: Enum Monw to long - ");
  rule(l.monbEnd - l.imageLen, "Software error: Enum Monb to long - ");
  for (int w : l.bitWidths) {
    if (w > 8) {
      report(dialogs, "Software error: More then 8 bits in bitfield - ", std::to_string(w));
      ++shown;
    }
  }
  if (l.imageLen > l.comMaxBuf) {
    report(dialogs, "Software error: RS_LEN_EXE>COMMAXBUF - ",
           std::to_string(l.imageLen) + ">" + std::to_string(l.comMaxBuf));
    ++shown;
  }
  return shown;
}

}  // namespace q3
