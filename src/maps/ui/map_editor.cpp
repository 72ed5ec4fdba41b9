// MapEditor: creation, layout, hit test and the timer entry.
#include "maps/ui/map_editor.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "text/mstring.h"

namespace q3 {

namespace {
int g_instances = 0;
}

int MapEditor::instances() { return g_instances; }

MapEditor::MapEditor(int ownerId, int width, int height, int options, QWidget* parent)
    : QWidget(parent), m_model(options, ownerId) {
  ++g_instances;
  resize(width ? width : 500, height ? height : 200);
  setFocusPolicy(Qt::ClickFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_view =
      (options & kOptTable) ? 1 : ((options & kOptGraph2D) ? 2 : ((options & kOptGraph3D) ? 4 : 1));
  m_scratch.assign(kCellCount, 0);
  // The Paste button follows the clipboard as it changes.
  if (QClipboard* clip = QGuiApplication::clipboard()) {
    connect(clip, &QClipboard::dataChanged, this, &MapEditor::clipboardChanged);
    clipboardChanged();
  }
  m_csvFile = [this](bool save) {
    const QString filter = "CSV (*.csv)";
    return save ? QFileDialog::getSaveFileName(this, QString(), QString(), filter)
                : QFileDialog::getOpenFileName(this, QString(), QString(), filter);
  };
}

MapEditor::~MapEditor() { --g_instances; }

void MapEditor::tell(const std::string& text, DialogKind kind) {
  if (m_dialogs) m_dialogs->message("QUELIN3", text, kind);
}

void MapEditor::refresh() {
  computeLayout();
  markDirty();
  update();
}

void MapEditor::setPrintAppearance(bool on) {
  if (m_print == on) return;
  m_print = on;
  markDirty();
  render();
  update();
}

// ---------------------------------------------------------------------------
// Layout

void MapEditor::computeLayout() {
  Layout& l = m_l;
  const int opts = m_model.options();
  const int n = m_model.sheetCount();
  l.top = 10;
  if (n > 1) l.top = 25;
  if (opts & kOptTitleRow) l.top = 36;
  if ((opts & kOptSingleTitle) && n == 1) l.top = 25;
  l.tabsTop = 3;
  // Tab widths in the tab font: the widest language version plus 15.
  for (int i = 0; i < n; ++i) {
    if (m_model.sheet(i).tabWidth > 0) continue;
    MapSheet& sh = m_model.sheet(i);
    QFont f = font();
    f.setPointSize(9);
    QFontMetrics fm(f);
    int w = 0;
    for (int lang = 0; lang < 3; ++lang)
      w = std::max(w, fm.horizontalAdvance(QString::fromUtf8(languageText(sh.name, lang).c_str())));
    sh.tabWidth = w + 15;
  }
  // The title row's buttons stand right-aligned: Copy, Copy table, Paste,
  // + and -, the dimension choice, the views.
  l.buttonsLeft = width();
  l.titleShift = 0;
  if ((opts & kOptTitleRow) && n > 0) {
    const MapSheet& s = m_model.cur();
    const bool dims = (s.x.usage == 1 || s.y.usage == 1) && s.x.usage != 2 && s.y.usage != 2;
    const int c = dims ? 1 + (s.x.usage == 1) + (s.y.usage == 1) : 0;
    const int views = viewAvailable(1) + viewAvailable(2) + viewAvailable(4);
    const int v = views >= 2 ? views : 0;
    l.buttonsLeft = width() - 10 - (75 * c + 63 * v + 123);
  }
  if (n > 1) {
    int total = 0;
    for (int i = 0; i < n; ++i)
      if (!m_model.sheet(i).hidden) total += m_model.sheet(i).tabWidth + 4;
    if (total > l.buttonsLeft - 10 && (opts & kOptTitleRow)) {
      l.top += 20;
      l.titleShift = 20;
    }
  }
  const double dpi = std::max(0.5, logicalDpiX() / 96.0);
  l.labelW = static_cast<int>(std::lround((m_model.compact() ? 45 : 65) * dpi));
  l.gapW = static_cast<int>(std::lround(15 * dpi));
  l.left = 10;
  l.right = 27;
  l.bottom = 27;
  if (n == 0) return;
  const MapSheet& s = m_model.cur();
  const int vr = std::max(1, m_model.visibleRows);
  // Header texts stay legible: a header column that cannot hold its widest
  // text at the smallest size widens, and fewer engine-speed columns are
  // shown (with the scroll bar) rather than shrinking "10 000" into its
  // neighbours.
  const double avail = width() - l.left - l.labelW - l.gapW - l.right;
  const int pageCols = std::max(1, m_model.visibleColumns);
  const double needX = s.x.collapsed ? 0 : widestHeaderText(s.x);
  const double needY = s.y.collapsed ? 0 : widestHeaderText(s.y);
  l.yHeaderW = std::max(avail / (pageCols + 1), needY);
  int vc = pageCols;
  if (needX > 0 && (avail - l.yHeaderW) / vc < needX)
    vc = std::max(1, static_cast<int>((avail - l.yHeaderW) / needX));
  m_model.columnsThatFit = vc < pageCols ? vc : 0;
  m_model.computeIndices();
  l.visCols = std::min(vc, s.shownColumns());
  l.visRows = std::min(vr, s.shownRows());
  l.hBar = !s.x.collapsed && s.x.count > vc;
  l.vBar = !s.y.collapsed && s.y.count > vr;
  l.colW = std::max(4.0, (avail - l.yHeaderW) / vc);
  l.cellLeft = l.left + l.labelW + l.yHeaderW + l.gapW;
  l.headerH = std::max(4.0, double(height() - l.top - l.gapW - l.bottom) / (vr + 1));
  l.cellTop = l.top + l.headerH + l.gapW;
  l.rowH = std::max(4.0, (height() - l.cellTop - l.bottom) / vr);
  if (m_model.compact()) {
    l.cellLeft += l.colW / 2;
    l.cellTop += l.rowH / 2;
  }
  l.hBarRect = QRect(static_cast<int>(l.cellLeft), height() - 10 - 15,
                     static_cast<int>(l.colW * l.visCols), 15);
  l.vBarRect = QRect(width() - 10 - 15, static_cast<int>(l.cellTop), 15,
                     static_cast<int>(l.rowH * l.visRows));

  // The graphs: the whole frame in the graph views; the condition map in
  // place of the cells of the compact layout; else a 2D graph beside the
  // table where the sheet leaves room below it or to its right.
  l.graphFrame = QRect();
  l.graphBeside = false;
  l.conditionPlot = QRectF();
  if (m_view == 2 || m_view == 4) {
    l.graphFrame = QRect(l.left, l.top, width() - l.left - 10, height() - l.top - 10);
  } else if (m_model.compact()) {
    const double left = l.left + l.labelW + l.yHeaderW + l.gapW;
    const double top = l.top + l.headerH + l.gapW;
    l.conditionPlot = QRectF(left, top, l.colW * pageCols, l.rowH * vr);
  } else {
    const double right = l.cellLeft + l.colW * s.shownColumns() + 5 + (l.vBar ? 17 : 0);
    const double bottom = l.cellTop + l.rowH * s.shownRows() + 5 + (l.hBar ? 17 : 0);
    const double below = height() - bottom - l.bottom;
    const double beside = width() - right - l.right;
    const double roomBelow = s.y.collapsed ? below * 1.5 : below / (2.0 / 3.0 * s.y.count);
    const double roomRight = s.x.collapsed ? beside : std::floor(beside / s.x.count);
    if (roomBelow > 100)
      l.graphFrame = QRect(l.left, static_cast<int>(bottom), width() - l.left - l.right,
                           static_cast<int>(below));
    else if (roomRight > 100)
      l.graphFrame = QRect(static_cast<int>(right), l.top, static_cast<int>(beside),
                           height() - l.top - l.bottom);
    l.graphBeside = !l.graphFrame.isEmpty();
  }
  layoutButtons();
}

bool MapEditor::viewAvailable(int view) const {
  const int opts = m_model.options();
  return (view == 1 && (opts & kOptTable)) || (view == 2 && (opts & kOptGraph2D)) ||
         (view == 4 && (opts & kOptGraph3D));
}

bool MapEditor::setView(int view) {
  if (!viewAvailable(view)) return false;
  if (view != m_view) {
    commitEditor();
    m_view = view;
    m_hover.valid = false;
    m_previewOn = false;
    m_graph.leave();
  }
  refresh();
  return true;
}

double MapEditor::widestHeaderText(const SheetAxis& a) const {
  QFont f = textFont(a, !a.editable);
  f.setPointSizeF(std::min(f.pointSizeF(), kMinTextPoints));
  const QFontMetricsF fm(f);
  double w = 0;
  for (int i = 0; i < a.count; ++i)
    w = std::max(
        w, fm.horizontalAdvance(QString::fromUtf8(
               valueText(a.values[static_cast<size_t>(i)], a.scale, a.unit.c_str()).c_str())));
  return w + 4;
}

int MapEditor::shownToDataCol(int j) const {
  const MapSheet& s = m_model.cur();
  return s.x.collapsed ? s.x.collapsedIndex : s.x.scrollOffset + j;
}
int MapEditor::shownToDataRow(int i) const {
  const MapSheet& s = m_model.cur();
  return s.y.collapsed ? s.y.collapsedIndex : s.y.scrollOffset + i;
}
int MapEditor::dataToShownCol(int c) const {
  const MapSheet& s = m_model.cur();
  if (c < 0) return c;
  if (s.x.collapsed) return c == s.x.collapsedIndex ? 0 : -2;
  int j = c - s.x.scrollOffset;
  return (j >= 0 && j < m_l.visCols) ? j : -2;
}
int MapEditor::dataToShownRow(int r) const {
  const MapSheet& s = m_model.cur();
  if (r < 0) return r;
  if (s.y.collapsed) return r == s.y.collapsedIndex ? 0 : -2;
  int i = r - s.y.scrollOffset;
  return (i >= 0 && i < m_l.visRows) ? i : -2;
}

QRectF MapEditor::cellRectF(int j, int i) const {
  return QRectF(m_l.cellLeft + j * m_l.colW, m_l.cellTop + i * m_l.rowH, m_l.colW, m_l.rowH);
}
// In the compact layout each header cell stands over its line of the
// condition map in the equidistant view.
QRectF MapEditor::xHeaderRectF(int j) const {
  if (m_model.compact()) {
    const QRectF& plot = m_l.conditionPlot;
    const double x = plot.left() + plot.width() * (j + 1) / (m_model.cur().x.count + 1);
    return QRectF(x - m_l.colW / 2, m_l.top, m_l.colW, m_l.headerH);
  }
  return QRectF(m_l.cellLeft + j * m_l.colW, m_l.top, m_l.colW, m_l.headerH);
}
QRectF MapEditor::yHeaderRectF(int i) const {
  if (m_model.compact()) {
    const QRectF& plot = m_l.conditionPlot;
    const double y = plot.top() + plot.height() * (i + 1) / (m_model.cur().y.count + 1);
    return QRectF(m_l.left + m_l.labelW, y - m_l.rowH / 2, m_l.yHeaderW, m_l.rowH);
  }
  return QRectF(m_l.left + m_l.labelW, m_l.cellTop + i * m_l.rowH, m_l.yHeaderW, m_l.rowH);
}

QRect MapEditor::elementRect(int col, int row) const {
  if (m_model.sheetCount() == 0) return {};
  int j = dataToShownCol(col), i = dataToShownRow(row);
  if (col >= 0 && row >= 0) {
    if (j < 0 || i < 0) return {};
    return cellRectF(j, i).toAlignedRect();
  }
  if (row == -1 && j >= 0) return xHeaderRectF(j).toAlignedRect();
  if (col == -1 && i >= 0) return yHeaderRectF(i).toAlignedRect();
  return {};
}

MapEditor::Hit MapEditor::hitTest(QPoint p) const {
  Hit h;
  if (m_model.sheetCount() == 0) return h;
  const Layout& l = m_l;
  const QPointF q(p);
  // Sheet tabs.
  if (m_model.sheetCount() > 1 && p.y() >= l.tabsTop && p.y() < l.tabsTop + 20) {
    int x = 10;
    for (int i = 0; i < m_model.sheetCount(); ++i) {
      const MapSheet& s = m_model.sheet(i);
      if (s.hidden) continue;
      if (p.x() >= x && p.x() < x + s.tabWidth) {
        h.bits = kHitSheetTab;
        h.col = i;
        return h;
      }
      x += s.tabWidth + 4;
    }
  }
  if (m_view != 1) return h;  // the graph views have no table
  for (int i = 0; i < l.visRows; ++i)
    for (int j = 0; j < l.visCols; ++j)
      if (!m_model.compact() && cellRectF(j, i).contains(q)) {
        h.bits = kHitCell;
        h.col = shownToDataCol(j);
        h.row = shownToDataRow(i);
        return h;
      }
  for (int j = 0; j < l.visCols; ++j)
    if (xHeaderRectF(j).contains(q)) {
      h.bits = kHitXHeader;
      h.col = shownToDataCol(j);
      h.row = -1;
      return h;
    }
  for (int i = 0; i < l.visRows; ++i)
    if (yHeaderRectF(i).contains(q)) {
      h.bits = kHitYHeader;
      h.col = -1;
      h.row = shownToDataRow(i);
      return h;
    }
  if (m_model.compact()) return h;
  for (int j = 0; j < l.visCols; ++j) {
    QRectF r(l.cellLeft + j * l.colW, l.top + l.headerH, l.colW, l.gapW);
    if (r.contains(q)) {
      h.bits = kHitColumnStrip;
      h.col = shownToDataCol(j);
      return h;
    }
  }
  for (int i = 0; i < l.visRows; ++i) {
    QRectF r(l.left + l.labelW + l.yHeaderW, l.cellTop + i * l.rowH, l.gapW, l.rowH);
    if (r.contains(q)) {
      h.bits = kHitRowStrip;
      h.row = shownToDataRow(i);
      return h;
    }
  }
  QRectF inner(l.left + l.labelW, l.top, l.yHeaderW, l.headerH);
  if (inner.contains(q)) {
    h.bits = kHitCorner;
    return h;
  }
  QRectF label(l.left, l.top, l.labelW, l.headerH);
  if (label.contains(q)) {
    // The diagonal runs from the top-left to the bottom-right corner; the X
    // label stands above it, the Y label below.
    double fx = (q.x() - label.left()) / label.width();
    double fy = (q.y() - label.top()) / label.height();
    h.bits = fy < fx ? kHitLabelXPart : kHitLabelYPart;
    return h;
  }
  return h;
}

// ---------------------------------------------------------------------------
// Timer entry

void MapEditor::timerEntry() {
  if (m_model.sheetCount() == 0) return;
  bool repaint = m_model.timerStep();
  const int tick = m_model.tickCount();
  Qt::KeyboardModifiers mods = QApplication::keyboardModifiers();
  (void)mods;  // the 2D graph reacts to Shift and Ctrl; the table does not
  // Hover arrow buttons: one step on release, repeat from the 16th tick on,
  // steps of 10 every second tick from the 36th where the sheet allows it.
  if (m_hover.pressed && m_hover.valid) {
    int held = tick - m_hover.pressTick;
    if (held >= 16) {
      const MapSheet& s = m_model.cur();
      int bit = m_hover.elem.isX() ? 0x10 : (m_hover.elem.isY() ? 0x20 : 0x40);
      bool accel = (s.flags1 & bit) != 0;
      if (held >= 36 && accel) {
        if ((held & 1) == 0) stepHover(10 * m_hover.pressed);
      } else {
        stepHover(m_hover.pressed);
      }
      m_hover.repeated = true;
      repaint = true;
    }
  }
  if (m_edit.open) {
    m_edit.blink = (m_edit.blink + 1) % 16;
    repaint = true;
  }
  // Scroll-bar arrows repeat after two ticks.
  if (m_scrollRepeat) {
    if (++m_scrollHeldTicks > 2) {
      scrollBy(std::abs(m_scrollRepeat) == 2, m_scrollRepeat > 0 ? 1 : -1);
      repaint = true;
    }
  }
  // Drag selection beyond the table scrolls one column (row) every
  // max(1, (100 - d) / 10) ticks.
  if (m_drag.mode == 3) {
    const QRectF table(m_l.cellLeft, m_l.cellTop, m_l.colW * m_l.visCols, m_l.rowH * m_l.visRows);
    auto every = [](double d) { return std::max(1, static_cast<int>((100 - d) / 10)); };
    if (m_pointer.x() > table.right() && tick % every(m_pointer.x() - table.right()) == 0) {
      scrollBy(false, 1);
      repaint = true;
    } else if (m_pointer.x() < table.left() && tick % every(table.left() - m_pointer.x()) == 0) {
      scrollBy(false, -1);
      repaint = true;
    }
    if (m_pointer.y() > table.bottom() && tick % every(m_pointer.y() - table.bottom()) == 0) {
      scrollBy(true, 1);
      repaint = true;
    } else if (m_pointer.y() < table.top() && tick % every(table.top() - m_pointer.y()) == 0) {
      scrollBy(true, -1);
      repaint = true;
    }
  }
  if (language() != m_lastLanguage) {
    m_lastLanguage = language();
    computeLayout();
    repaint = true;
  }
  if ((tick & 2) != 0) updateFocusPolicy();
  if (repaint || m_dirty) {
    layoutButtons();
    markDirty();
    update();
  }
}

void MapEditor::updateFocusPolicy() {
  bool stop = m_view == 1 && m_model.sheetCount() > 0 && m_model.cur().sel.count > 0;
  setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
}

}  // namespace q3
