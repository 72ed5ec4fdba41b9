// Sheets, axes, normalisation, live position and the change protocol of a
// map editor control.
#include "maps/map_model.h"

#include <algorithm>
#include <cmath>

#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace q3 {

namespace {

int clampInt(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

void sizeAxis(SheetAxis& a, int n) {
  a.values.assign(static_cast<size_t>(n), 0);
  a.previousValues.assign(static_cast<size_t>(n), 0);
  a.pushedFrom.assign(static_cast<size_t>(n), 0);
  a.pushed.assign(static_cast<size_t>(n), 0);
}

// The elastic rule: one moved breakpoint pushes its neighbours along with the
// minimum gap and lets them spring back when it returns; several changed
// breakpoints are put in order.
void normalizeBreakpoints(SheetAxis& a) {
  const int n = a.count;
  if (n <= 0) return;
  const int g = a.minGap;
  const int lo = a.minValue;
  const int hi = a.maxValue;
  auto& v = a.values;
  auto& pushed = a.pushed;
  auto& from = a.pushedFrom;
  int changed = 0;
  int b = -1;
  for (int i = 0; i < n; ++i) {
    if (v[i] != a.previousValues[i]) {
      ++changed;
      if (b < 0) b = i;
    }
  }
  if (a.lastChanged == -3) {
    changed = n;
    b = 0;
    std::fill(pushed.begin(), pushed.end(), 0);
    std::fill(from.begin(), from.end(), 0);
  } else if (b != -1 && b != a.lastChanged) {
    std::fill(pushed.begin(), pushed.end(), 0);
    std::fill(from.begin(), from.end(), 0);
  }
  if (changed == 1) {
    v[b] = std::max(v[b], b * g + lo);
    for (int c = b; c - 1 >= 0 && v[c - 1] > v[c] - g; --c) {
      if (!pushed[c - 1]) from[c - 1] = v[c - 1];
      pushed[c - 1] = 1;
      v[c - 1] = v[c] - g;
    }
    v[b] = std::min(v[b], hi - (n - b - 1) * g);
    for (int c = b; c + 1 < n && v[c + 1] < v[c] + g; ++c) {
      if (!pushed[c + 1]) from[c + 1] = v[c + 1];
      pushed[c + 1] = 1;
      v[c + 1] = v[c] + g;
    }
    for (int round = 0; round < n; ++round) {
      for (int k = 0; k < n; ++k) {
        if (!pushed[k]) continue;
        if (v[k] < from[k]) {
          int t = from[k];
          if (k < n - 1) t = std::min(t, v[k + 1] - g);
          v[k] = std::max(v[k], t);
        } else if (v[k] > from[k]) {
          int t = from[k];
          if (k > 0) t = std::max(t, v[k - 1] + g);
          v[k] = std::min(v[k], t);
        } else {
          pushed[k] = 0;
        }
      }
    }
  } else {
    for (int j = 0; j < n; ++j) {
      v[j] = std::max(v[j], j * g + lo);
      v[j] = std::min(v[j], hi - g * (n - j - 1));
    }
    for (int j = b; j >= 1; --j) v[j - 1] = std::min(v[j - 1], v[j] - g);
    for (int j = 1; j < n; ++j) v[j] = std::max(v[j], v[j - 1] + g);
  }
  std::copy(v.begin(), v.begin() + n, a.previousValues.begin());
  if (b != -1) a.lastChanged = b;
}

int limitInto(int value, double lo, double hi) {
  int l = static_cast<int>(lo);  // truncation towards zero
  int h = static_cast<int>(hi);
  return value < l ? l : (value > h ? h : value);
}

}  // namespace

int& MapModel::sharedAutoscroll() {
  static int flag = 0;
  return flag;
}

MapModel::MapModel(int options, int ownerId) : m_options(options), m_ownerId(ownerId) {}

int MapModel::addSheet(const char* name, const char* xLabel, const char* yLabel, const char* vLabel,
                       int columns, int rows, int sheetFlags) {
  if (m_sheetCount >= kMaxSheets) return -1;
  const int n = m_sheetCount;
  MapSheet& s = m_sheets[n];
  s = MapSheet();
  s.flags0 = sheetFlags & 0xFF;
  s.flags1 = (sheetFlags >> 8) & 0xFF;
  s.name = name ? name : "";
  s.x.label = xLabel ? xLabel : "";
  s.y.label = yLabel ? yLabel : "";
  s.v.label = vLabel ? vLabel : "";
  sizeAxis(s.x, kMaxColumns);
  sizeAxis(s.y, kMaxRows);
  s.v.values.assign(kCellCount, 0);
  s.x.maxCount = s.x.count = clampInt(columns, 1, kMaxColumns);
  s.y.maxCount = s.y.count = clampInt(rows, 1, kMaxRows);
  s.x.showUnit = s.y.showUnit = 1;
  if (compact()) {
    s.titleFontSize = -10;
    s.x.fontHeight = s.y.fontHeight = s.v.fontHeight = -9;
  }
  m_sheetCount = n + 1;
  normalizeAxes(n, kChangeX | kChangeY | kChangeCells);
  computeIndices();
  return n;
}

void MapModel::setAxis(int sheetIndex, int which, const AxisSetup& a) {
  if (!validSheet(sheetIndex)) return;
  MapSheet& s = m_sheets[sheetIndex];
  auto common = [&](SheetAxis& x) {
    x.name = a.name;
    x.unit = a.unit;
    x.minValue = a.minValue;
    x.maxValue = a.maxValue;
    x.scale = a.scale;
    x.gridCount = std::min<int>(5, static_cast<int>(a.grid.size()));
    for (int i = 0; i < x.gridCount; ++i) x.grid[i] = a.grid[static_cast<size_t>(i)];
    x.editable = a.editable;
    x.fullColourRange = (a.options >> 1) & 1;
    x.graphGroup = a.graphGroup;
    x.headerColour = a.headerColour;
    x.colour2 = a.colour2;
  };
  for (int bit = 0; bit < 2; ++bit) {
    if (!(which & (1 << bit))) continue;
    SheetAxis& x = bit == 0 ? s.x : s.y;
    common(x);
    x.minGap = a.minGap;
    x.proportional = a.options & 1;
    x.minCount = clampInt(a.minCount, 1, x.maxCount);
    x.count = clampInt(a.count, x.minCount, x.maxCount);
    x.usage = a.usage;
    x.collapsed = a.collapsed;
    x.resizable = a.resizable;
    x.collapsedPreference = a.collapsedPreference;
  }
  if (which & 4) {
    common(s.v);
    s.v.proportional = 1;
  }
  computeIndices();
}

void MapModel::selectSheet(int index) {
  if (!validSheet(index)) return;
  if (index != m_current) m_previous = m_current;
  m_current = index;
  computeIndices();
  updateActual(index);
}

int MapModel::nextVisibleSheet(int dir) const {
  for (int step = 1; step < m_sheetCount; ++step) {
    int i = ((m_current + dir * step) % m_sheetCount + m_sheetCount) % m_sheetCount;
    if (!m_sheets[i].hidden) return i;
  }
  return -1;
}

void MapModel::normalizeAxes(int sheetIndex, int flags) {
  if (!validSheet(sheetIndex)) return;
  MapSheet& s = m_sheets[sheetIndex];
  if (flags & kNormalizeForget) {
    s.x.lastChanged = -3;
    s.y.lastChanged = -3;
  }
  if (flags & kChangeX) normalizeBreakpoints(s.x);
  if (flags & kChangeY) normalizeBreakpoints(s.y);
  if (flags & kChangeCells) {
    for (int r = 0; r < s.y.count; ++r)
      for (int c = 0; c < s.x.count; ++c)
        s.cell(c, r) = std::clamp(s.cell(c, r), s.v.minValue, s.v.maxValue);
  }
  if (s.x.label == "RPM") {
    // The base advance is stored in an unsigned byte: below 0 it would come
    // back as 255 and be cut to the highest advance. It stays at 0.
    if (s.flags1 & 1)
      baseAdvance =
          limitInto(baseAdvance, std::max(0.0, s.v.minValue * s.v.scale), s.v.maxValue * s.v.scale);
    if (s.flags1 & 2)
      revLimiter = limitInto(revLimiter, s.x.minValue * s.x.scale, s.x.maxValue * s.x.scale);
    if (s.flags1 & 4)
      startLimiter = limitInto(startLimiter, s.x.minValue * s.x.scale, s.x.maxValue * s.x.scale);
  }
}

void MapModel::copyValuesToPrevious() {
  for (int i = 0; i < m_sheetCount; ++i) {
    MapSheet& s = m_sheets[i];
    s.x.previousValues = s.x.values;
    s.y.previousValues = s.y.values;
  }
}

void MapModel::computeIndices() {
  for (int i = 0; i < m_sheetCount; ++i) {
    MapSheet& s = m_sheets[i];
    for (SheetAxis* a : {&s.x, &s.y}) {
      int p = a->collapsedPreference;
      if (p == -1)
        a->collapsedIndex = 0;
      else if (p == -3)
        a->collapsedIndex = a->count / 2;
      else if (p == -2)
        a->collapsedIndex = a->count - 1;
      else
        a->collapsedIndex = clampInt(p, 0, a->count - 1);
    }
    int visC = std::min(shownColumnLimit(), s.shownColumns());
    int visR = std::min(visibleRows, s.shownRows());
    s.x.scrollOffset = s.x.collapsed ? 0 : clampInt(s.x.scrollOffset, 0, s.x.count - visC);
    s.y.scrollOffset = s.y.collapsed ? 0 : clampInt(s.y.scrollOffset, 0, s.y.count - visR);
    if (clipSelectionToShown(s)) {
      const int keep = m_current;
      m_current = i;
      updateSelection();
      m_current = keep;
    }
  }
}

void MapModel::setLiveValues(int rpm, int tpTenths, int iap, int flags) {
  m_rpm = rpm;
  m_tp = tpTenths < 0 ? 100 : tpTenths / 10;
  m_iap = iap;
  m_flags = flags;
}

// ---------------------------------------------------------------------------
// Change protocol

void MapModel::change(int flags, int key) {
  if (key == kKeyStructEnd && m_openKey != kKeyStructBegin) return;
  m_flagsGathered |= flags;
  normalizeAxes(m_current, flags);
  if (m_openKey != 0 && m_openKey != key) commitNow();
  if (key == 0 || key == kKeyStructEnd) {
    commitNow();
    return;
  }
  // The new key opens even when an older change was just committed, so that
  // the end of a structural edit begun right after a step is not dropped.
  m_openKey = key;
  m_deadline = m_tick + 5;
}

void MapModel::commitNow() {
  int f = m_flagsGathered;
  m_flagsGathered = 0;
  m_openKey = 0;
  m_deadline = 0;
  if (f) {
    m_lastCommitted = f;
    if (m_notify) m_notify(*this);
  }
}

bool MapModel::timerStep() {
  ++m_tick;
  bool repaint = false;
  if (m_tick & 2) repaint |= updateActual();
  if ((m_flagsGathered || m_openKey) && !m_held && m_tick >= m_deadline) {
    repaint |= m_flagsGathered != 0;
    commitNow();
  }
  return repaint;
}

// ---------------------------------------------------------------------------
// Actual position

bool MapModel::updateActual() { return updateActual(m_current); }

bool MapModel::updateActual(int sheetIndex) {
  if (!validSheet(sheetIndex)) return false;
  MapSheet& s = m_sheets[sheetIndex];
  const int oc = s.actualCol, orow = s.actualRow, ost = s.actualState;
  int col = -2, row = -2, state = 0;
  auto position = [&](const SheetAxis& a, bool isX) -> int {
    if (a.collapsed) return a.collapsedIndex;
    double val;
    if (a.name == "RPM")
      val = m_rpm / a.scale;
    else if (a.name == "TP")
      val = m_tp / a.scale;
    else if (a.name == "IAP")
      val = m_iap / a.scale;
    else if (a.name == "AFR")
      val = s.liveAfr;
    else
      return -2;
    if (a.count <= 0) return -2;
    if (val < a.values[0]) return (isX && a.name == "RPM" && (s.flags1 & 1)) ? -1 : 0;
    for (int i = 0; i + 1 < a.count; ++i)
      if ((static_cast<double>(a.values[i]) + a.values[i + 1]) / 2.0 > val) return i;
    return a.count - 1;
  };
  if (s.flags0 & 1) {
    col = position(s.x, true);
    row = position(s.y, false);
    if (col == -2 || row == -2) {
      col = row = -2;
    } else {
      state = 1;
      if (s.v.name == "ADV") {
        state = (m_flags & 1) == sheetIndex ? 1 : 2;
        bool overPressure = (m_flags & (0x10 << sheetIndex)) != 0;
        if ((s.y.name == "TP" && overPressure) || (s.y.name == "IAP" && !overPressure)) state = -1;
      }
      if (s.x.name == "RPM" && m_rpm == 0) {
        state = 0;
        col = row = -2;
      }
    }
    m_lastRpm = m_rpm;
  }
  s.actualCol = col;
  s.actualRow = row;
  s.actualState = state;
  bool changed = oc != col || orow != row || ost != state;
  if (changed && sharedAutoscroll() && sheetIndex == m_current && col >= 0 && row >= 0)
    scrollTo(col, row);
  return changed;
}

// ---------------------------------------------------------------------------
// Elements and increments

int32_t* MapModel::element(int sheetIndex, ElemRef e) {
  if (!validSheet(sheetIndex)) return nullptr;
  MapSheet& s = m_sheets[sheetIndex];
  if (e.isCell() && e.col < s.x.count && e.row < s.y.count) return &s.cell(e.col, e.row);
  if (e.isX() && e.col < s.x.count) return &s.x.values[static_cast<size_t>(e.col)];
  if (e.isY() && e.row < s.y.count) return &s.y.values[static_cast<size_t>(e.row)];
  return nullptr;
}

SheetAxis* MapModel::axisOf(int sheetIndex, ElemRef e) {
  if (!validSheet(sheetIndex)) return nullptr;
  MapSheet& s = m_sheets[sheetIndex];
  if (e.isCell()) return &s.v;
  if (e.isX()) return &s.x;
  if (e.isY()) return &s.y;
  return nullptr;
}

bool MapModel::editableElement(int sheetIndex, ElemRef e) {
  SheetAxis* a = axisOf(sheetIndex, e);
  return a && a->editable && m_sheets[sheetIndex].enabled && element(sheetIndex, e);
}

namespace {
int elementKey(int base, ElemRef e) {
  // One key per element, so that steps on one element merge and a step on
  // another element commits the previous change.
  int col = e.col < 0 ? 0 : e.col;
  int row = e.row < 0 ? 0 : e.row;
  return base + col + (row << 8);
}
}  // namespace

bool MapModel::incrementCursor(int k) {
  MapSheet& s = cur();
  if (!s.enabled) return false;
  ElemRef e{s.sel.cursorCol, s.sel.cursorRow};
  if (!element(m_current, e)) return false;
  if (isSelected(e) && s.sel.count > 0) {
    int kind = e.isX() ? kChangeX : (e.isY() ? kChangeY : kChangeCells);
    SheetAxis& a = kind == kChangeX ? s.x : (kind == kChangeY ? s.y : s.v);
    if (!a.editable) return false;
    int key =
        (kind == kChangeX ? 0x510000 : (kind == kChangeY ? 0x520000 : 0x540000)) + s.sel.count;
    beginChange(key);
    if (kind == kChangeX) {
      for (int c = 0; c < s.x.count; ++c)
        if (s.sel.xMarks[c] & kMarkSelected) s.x.values[static_cast<size_t>(c)] += k;
    } else if (kind == kChangeY) {
      for (int r = 0; r < s.y.count; ++r)
        if (s.sel.yMarks[r] & kMarkSelected) s.y.values[static_cast<size_t>(r)] += k;
    } else {
      for (int r = 0; r < s.y.count; ++r)
        for (int c = 0; c < s.x.count; ++c)
          if (s.sel.cellMarks[r * kCellStride + c] & kMarkSelected) s.cell(c, r) += k;
    }
    commitChange(kind, key);
    return true;
  }
  return incrementElement(e, k);
}

bool MapModel::incrementElement(ElemRef e, int k) {
  if (!editableElement(m_current, e)) return false;
  int kind = e.isX() ? kChangeX : (e.isY() ? kChangeY : kChangeCells);
  int key = elementKey(kind == kChangeX ? 0x110001 : (kind == kChangeY ? 0x120000 : 0x140000), e);
  beginChange(key);
  *element(m_current, e) += k;
  commitChange(kind, key);
  return true;
}

bool MapModel::toggleEnabled() {
  if (!validSheet(m_current) || !(cur().flags0 & 8)) return false;
  beginChange(kKeyStructBegin);
  cur().enabled = !cur().enabled;
  commitChange(kChangeEnabled, kKeyStructEnd);
  return true;
}

bool MapModel::incrementActual(int k, bool useSelection) {
  MapSheet& s = cur();
  if (!s.enabled) return false;
  if (useSelection && s.sel.count > 0) {
    int kinds = 0, last = 0;
    if (s.x.editable)
      for (int c = 0; c < s.x.count; ++c)
        if (s.sel.xMarks[c] & kMarkSelected) kinds |= last = kChangeX;
    if (s.y.editable)
      for (int r = 0; r < s.y.count; ++r)
        if (s.sel.yMarks[r] & kMarkSelected) kinds |= last = kChangeY;
    if (s.v.editable)
      for (int r = 0; r < s.y.count; ++r)
        for (int c = 0; c < s.x.count; ++c)
          if (s.sel.cellMarks[r * kCellStride + c] & kMarkSelected) kinds |= last = kChangeCells;
    if (!kinds) return false;
    int key = 0x600000 + (last << 16) + s.sel.count;
    beginChange(key);
    if (kinds & kChangeX)
      for (int c = 0; c < s.x.count; ++c)
        if (s.sel.xMarks[c] & kMarkSelected) s.x.values[static_cast<size_t>(c)] += k;
    if (kinds & kChangeY)
      for (int r = 0; r < s.y.count; ++r)
        if (s.sel.yMarks[r] & kMarkSelected) s.y.values[static_cast<size_t>(r)] += k;
    if (kinds & kChangeCells)
      for (int r = 0; r < s.y.count; ++r)
        for (int c = 0; c < s.x.count; ++c)
          if (s.sel.cellMarks[r * kCellStride + c] & kMarkSelected) s.cell(c, r) += k;
    commitChange(kinds, key);
    return true;
  }
  if (!(s.flags0 & 1) || s.actualState <= 0) return false;
  if (s.actualCol == -1 && (s.flags1 & 1)) {
    const int key = 0x24FFFF;
    beginChange(key);
    baseAdvance += roundHalfAway(k * s.v.scale);
    commitChange(kChangeCells, key);
    return true;
  }
  ElemRef e{s.actualCol, s.actualRow};
  if (!e.isCell() || !s.v.editable || !element(m_current, e)) return false;
  int key = elementKey(0x240000, e);
  beginChange(key);
  *element(m_current, e) += k;
  commitChange(kChangeCells, key);
  return true;
}

bool MapModel::enterText(ElemRef e, const std::string& text) {
  if (!editableElement(m_current, e)) return false;
  double v;
  if (!parseEnteredNumber(text, &v)) return false;
  SheetAxis* a = axisOf(m_current, e);
  double scale = a->scale == 0 ? 1.0 : a->scale;
  int kind = e.isX() ? kChangeX : (e.isY() ? kChangeY : kChangeCells);
  beginChange(kKeyStructBegin);
  *element(m_current, e) = roundHalfAway(v / scale);
  commitChange(kind, kKeyStructEnd);
  return true;
}

}  // namespace q3
