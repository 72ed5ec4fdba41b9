// The model of one map editor control: up to eight sheets, the live values of
// the engine, the linked limits, the edits (breakpoint normalisation, cell
// clamp, insert and delete, increments, interpolation, text entry, fill and
// block move), the actual operating position and the change protocol that
// reports each finished edit to the owner. No widgets: the table view (MapEditor)
// draws this model and turns mouse and keys into these calls.
#pragma once

#include <algorithm>
#include <functional>
#include <string>

#include "maps/map_sheet.h"

namespace q3 {

// Control options.
inline constexpr int kOptTitleRow = 1;
inline constexpr int kOptTable = 0x10;
inline constexpr int kOptGraph2D = 0x20;
inline constexpr int kOptGraph3D = 0x40;
inline constexpr int kOptSingleTitle = 0x100;
inline constexpr int kOptCompact = 0x2000;

// Change keys of the structural edits.
inline constexpr int kKeyStructBegin = 0x8000000;
inline constexpr int kKeyStructEnd = 0x9000000;

// Change flags.
inline constexpr int kChangeX = 1;
inline constexpr int kChangeY = 2;
inline constexpr int kChangeCells = 4;
// The sheet was enabled or disabled (stored by the owner like any change).
inline constexpr int kChangeEnabled = 8;
inline constexpr int kNormalizeForget = 0x100;

// Parameters of SetAxis.
struct AxisSetup {
  std::string name;
  std::string unit;
  int32_t minValue = 0;
  int32_t maxValue = 100;
  double scale = 1.0;
  int32_t minGap = 1;
  std::vector<GridRange> grid;  // up to five records
  int editable = 0;
  int options = 1;  // bit 0 proportional, bit 1 full colour range
  int minCount = 1;
  int count = 1;
  int usage = 0;
  int collapsed = 0;
  int resizable = 0;
  int collapsedPreference = -1;
  int graphGroup = 0;
  uint32_t headerColour = 0xFFFFFF;
  uint32_t colour2 = 0;
};

// Which axes a sheet uses: the dimension choice of the table.
enum class AxisUse { OnlyX = 1, OnlyY = 2, Both = 3 };

// Drops the selection marks of elements the table does not show (used by the
// model after every change of the sheet's size or axes in use).
bool clipSelectionToShown(MapSheet& s);

class MapModel {
 public:
  using OwnerNotify = std::function<void(MapModel&)>;

  explicit MapModel(int options = kOptTable, int ownerId = 0);

  int options() const { return m_options; }
  int ownerId() const { return m_ownerId; }
  bool compact() const { return (m_options & kOptCompact) != 0; }

  // Sheets.
  int addSheet(const char* name, const char* xLabel, const char* yLabel, const char* vLabel,
               int columns, int rows, int sheetFlags);
  // which: bit 0 X, bit 1 Y, bit 2 value axis.
  void setAxis(int sheet, int which, const AxisSetup& a);
  void selectSheet(int index);
  int sheetCount() const { return m_sheetCount; }
  int current() const { return m_current; }
  int previous() const { return m_previous; }
  MapSheet& sheet(int i) { return m_sheets[i]; }
  const MapSheet& sheet(int i) const { return m_sheets[i]; }
  MapSheet& cur() { return m_sheets[m_current]; }
  const MapSheet& cur() const { return m_sheets[m_current]; }
  bool validSheet(int i) const { return i >= 0 && i < m_sheetCount; }
  // Next / previous non-hidden sheet (cyclic); -1 when there is none other.
  int nextVisibleSheet(int dir) const;

  // Elastic breakpoints, cell clamp and linked limits of one sheet.
  void normalizeAxes(int sheet, int flags);
  // Derives collapsed indices from the preferences and cuts scroll offsets.
  void computeIndices();
  // After a load: the breakpoints as they stand are not edits.
  void copyValuesToPrevious();

  // Live values written by the owner every tick. tpTenths < 0: no throttle.
  void setLiveValues(int rpm, int tpTenths, int iap, int flags);
  int liveRpm() const { return m_rpm; }
  int liveTp() const { return m_tp; }
  int liveIap() const { return m_iap; }
  int liveFlags() const { return m_flags; }
  // The engine speed the actual position was last computed from.
  int lastRpm() const { return m_lastRpm; }

  // Linked limits (rpm for the limiters, degrees for the base advance).
  int baseAdvance = 0;
  int revLimiter = 0;
  int startLimiter = 0;

  // Visible window of the table view (set by the page).
  int visibleColumns = 15;
  int visibleRows = 10;
  // Columns that fit the control's width with legible header texts (set by
  // the table's layout; 0 no limit). Fewer columns are then shown, wider.
  int columnsThatFit = 0;
  int shownColumnLimit() const {
    return columnsThatFit > 0 ? std::min(visibleColumns, columnsThatFit) : visibleColumns;
  }

  // Hysteresis of the engine-speed thresholds [rpm], shown by the condition
  // map of a power output (set by the page).
  int hysteresisRpm = 0;

  // Change protocol.
  void change(int flags, int key);
  void beginChange(int key) { change(0, key); }
  void commitChange(int flags, int key) { change(flags, key); }
  int openKey() const { return m_openKey; }
  // While held (a drag in a graph), the open change is not committed at its
  // deadline: the whole drag is one change, committed when it ends.
  void holdChange(bool on) { m_held = on; }
  bool changeHeld() const { return m_held; }
  int gatheredFlags() const { return m_flagsGathered; }
  void setOwnerNotify(OwnerNotify f) { m_notify = std::move(f); }
  // Flags of the last committed change (what the owner should store).
  int committedFlags() const { return m_lastCommitted; }

  // Model part of the timer entry: tick counter, actual position on ticks
  // with bit 1, due commit. Returns true when a repaint is wanted.
  bool timerStep();
  int tickCount() const { return m_tick; }

  // Actual position of the current sheet; true when it moved.
  bool updateActual();
  bool updateActual(int sheet);

  // Elements.
  int32_t* element(int sheet, ElemRef e);
  SheetAxis* axisOf(int sheet, ElemRef e);
  bool editableElement(int sheet, ElemRef e);

  // Edits of the current sheet. They follow the change protocol.
  bool incrementCursor(int k);
  // One element by k, merged with further steps on it within five ticks.
  bool incrementElement(ElemRef e, int k);
  // The actual element; useSelection false leaves the selection out (the
  // wheel over the left panel of the 3D view).
  bool incrementActual(int k, bool useSelection = true);
  // Enable/Disable of a sheet the user may disable (sheet flags bit 3): one
  // change, stored by the owner.
  bool toggleEnabled();
  bool enterText(ElemRef e, const std::string& text);
  bool interpolate();
  // Interpolated values of the selection into out (1500 cells, or the
  // breakpoint array); false when not interpolation-ready.
  bool interpolationPreview(std::vector<int32_t>* out, int* kind) const;
  // Insert before breakpoint b; false when nothing changed. At the axis's
  // largest count, refusal (when given) gets the message for the user.
  bool insertColumn(int b, std::string* refusal = nullptr);
  bool insertRow(int b, std::string* refusal = nullptr);
  bool deleteColumn(int b);
  bool deleteRow(int b);
  void deleteSelectedColumns();
  void deleteSelectedRows();
  // Columns (rows) that the menu's delete would remove: wholly selected in
  // their used cells, or with their breakpoint selected.
  int wholeLinesSelected(bool columns) const;
  // Whether every used cell of column (row) i is selected.
  bool wholeLineSelected(bool columns, int i) const;
  bool canUseAxes(AxisUse u) const;
  bool useAxes(AxisUse u);
  AxisUse axesInUse() const;
  // Fill handle: stretch the selection to [c0..c1] x [r0..r1] (data indices
  // of the selection's kind); block move: copy the selection to the same
  // sized rectangle at (c0, r0).
  bool fillTo(int c0, int r0, int c1, int r1);
  bool moveTo(int c0, int r0);

  // Selection of the current sheet.
  void clearSelection();
  // mode kSelCells, kSelX, kSelY; rectangle in data indices (for X only the
  // columns count, for Y only the rows). add keeps the existing marks.
  void selectRect(int mode, int c0, int r0, int c1, int r1, bool add);
  void selectAllCells();
  void updateSelection();
  bool allCellsSelected() const;
  bool isSelected(ElemRef e) const;
  // Scrolls the current sheet so that data element (col, row) is visible.
  void scrollTo(int col, int row);

  // The autoscroll flag shared by every control.
  static int& sharedAutoscroll();

 private:
  int kindOfSelection() const;
  void commitNow();
  bool insertAt(bool columns, int b, std::string* refusal);
  bool deleteAt(bool columns, int b);

  int m_options;
  int m_ownerId;
  MapSheet m_sheets[kMaxSheets];
  int m_sheetCount = 0;
  int m_current = 0;
  int m_previous = 0;

  int m_rpm = 0, m_tp = 0, m_iap = 0, m_flags = 0, m_lastRpm = 0;

  int m_flagsGathered = 0;
  int m_openKey = 0;
  int m_deadline = 0;
  int m_tick = 0;
  int m_lastCommitted = 0;
  bool m_held = false;
  OwnerNotify m_notify;
};

}  // namespace q3
