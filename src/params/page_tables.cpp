// The pages in page-index order with their tables, and the transfer kind of
// each kind of control.
#include "params/page_tables.h"

namespace q3::pages {

namespace {
const PageTable kPages[] = {
    {0, "TabSheetRuzne", miscTable},      {1, "TabSheetBike", bikeTable},
    {2, "TabSheetSensors", sensorsTable}, {3, "TabSheetAdvance", advanceTable},
    {4, "TabSheetPOut", poutTable},       {5, "TabSheetServo", servoTable},
    {6, "TabSheet_Gear", gearTable},      {7, "TabSheet_Race", raceTable},
    {8, "TabSheet_N2O", n2oTable},        {9, "TabSheet_Ladeni", testTable},
};
}  // namespace

std::span<const PageTable> pageTables() { return kPages; }

TransferKind transferKind(Kind k) {
  switch (k) {
    case Kind::Spin:
      return TransferKind::SpinByte;
    case Kind::SpinWord:
      return TransferKind::SpinWord;
    case Kind::Check:
      return TransferKind::CheckBox;
    case Kind::RadioIndex:
      return TransferKind::RadioIndex;
    case Kind::RadioValue:
      return TransferKind::RadioValue;
    case Kind::ComboValue:
      return TransferKind::ComboValue;
    case Kind::RadioButtons:
      return TransferKind::RadioButtons;
  }
  return TransferKind::SpinByte;
}

}  // namespace q3::pages
