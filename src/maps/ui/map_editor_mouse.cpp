// MapEditor: the shared nesting guard, the mouse, the wheel, the hover arrow
// buttons, the fill handle and block move, the scroll bars and the focus.
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "maps/ui/map_editor.h"

namespace q3 {

namespace {

// One flag for every control: an input event that reaches any MapEditor while a
// MapEditor is still handling one (a nested delivery, for example from inside a
// message box) is dropped.
bool g_handling = false;

bool guardedType(QEvent::Type t) {
  switch (t) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::Leave:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
      return true;
    default:
      return false;
  }
}

// The element under a hit: a cell or a header cell.
ElemRef elementOf(const MapEditor::Hit& h) {
  if (h.bits & kHitCell) return {h.col, h.row};
  if (h.bits & kHitXHeader) return {h.col, -1};
  if (h.bits & kHitYHeader) return {-1, h.row};
  return {};
}

}  // namespace

bool MapEditor::changed(bool did) {
  if (did) {
    // The buttons follow the selection and the actual cell at once.
    layoutButtons();
    markDirty();
    update();
  }
  return did;
}

bool MapEditor::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    auto* h = static_cast<QHelpEvent*>(e);
    const QString hint = hintAt(h->pos());
    const QString tip = hint.section('|', 0, 0);
    if (tip.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(h->globalPos(), tip, this);
    return true;
  }
  if (e->type() == QEvent::Wheel) {
    auto* w = static_cast<QWheelEvent*>(e);
    if (w->buttons() & (Qt::LeftButton | Qt::RightButton)) {
      e->accept();
      return true;
    }
  }
  if (!guardedType(e->type())) return QWidget::event(e);
  if (g_handling) {
    e->accept();
    return true;
  }
  g_handling = true;
  bool result;
  auto* k = e->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(e) : nullptr;
  if (k && (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab)) {
    // Tab goes between the sheets, not to the next control.
    keyPressEvent(k);
    result = true;
  } else {
    result = QWidget::event(e);
  }
  g_handling = false;
  return result;
}

// ---------------------------------------------------------------------------
// Mouse

QRect MapEditor::selectionRect() const {
  const MapSheet& s = m_model.cur();
  const SheetSelection& t = s.sel;
  if (!t.count) return {};
  auto shownC = [&](int c) {
    return s.x.collapsed ? 0 : std::clamp(c - s.x.scrollOffset, 0, m_l.visCols - 1);
  };
  auto shownR = [&](int r) {
    return s.y.collapsed ? 0 : std::clamp(r - s.y.scrollOffset, 0, m_l.visRows - 1);
  };
  QRectF a, b;
  if (t.firstRow == -1) {
    a = xHeaderRectF(shownC(t.firstCol));
    b = xHeaderRectF(shownC(t.lastCol));
  } else if (t.firstCol == -1) {
    a = yHeaderRectF(shownR(t.firstRow));
    b = yHeaderRectF(shownR(t.lastRow));
  } else {
    a = cellRectF(shownC(t.firstCol), shownR(t.firstRow));
    b = cellRectF(shownC(t.lastCol), shownR(t.lastRow));
  }
  return a.united(b).toAlignedRect();
}

int MapEditor::selectionHandle(QPoint p) const {
  const MapSheet& s = m_model.cur();
  if (!s.sel.count || !s.enabled || m_model.compact()) return 0;
  const int mode = s.sel.mode & 0xFF;
  const SheetAxis& a = (mode & kSelX) ? s.x : ((mode & kSelY) ? s.y : s.v);
  if (!a.editable) return 0;
  QRect box = selectionRect();
  if (box.isEmpty()) return 0;
  if (std::abs(p.x() - box.right()) <= 5 && std::abs(p.y() - box.bottom()) <= 5) return 1;
  QRect outer = box.adjusted(-2, -2, 2, 2), inner = box.adjusted(2, 2, -2, -2);
  if (outer.contains(p) && !inner.contains(p)) return 2;
  return 0;
}

void MapEditor::selectByMouse(const Hit& h, Qt::KeyboardModifiers mods, bool press) {
  MapSheet& s = m_model.cur();
  SheetSelection& t = s.sel;
  const bool shift = mods & Qt::ShiftModifier, ctrl = mods & Qt::ControlModifier;
  const int k0r = s.y.collapsed ? s.y.collapsedIndex : 0,
            k1r = s.y.collapsed ? s.y.collapsedIndex : s.y.count - 1;
  const int k0c = s.x.collapsed ? s.x.collapsedIndex : 0,
            k1c = s.x.collapsed ? s.x.collapsedIndex : s.x.count - 1;
  int mode = 0;
  ElemRef e;
  if (h.bits & kHitCell)
    mode = kSelCells, e = {h.col, h.row};
  else if (h.bits & kHitXHeader)
    mode = kSelX, e = {h.col, -1};
  else if (h.bits & kHitYHeader)
    mode = kSelY, e = {-1, h.row};
  else if (h.bits & kHitColumnStrip)
    mode = kSelColumns, e = {h.col, k0r};
  else if (h.bits & kHitRowStrip)
    mode = kSelRows, e = {k0c, h.row};
  if (press) {
    if (h.bits & kHitCorner) {
      if (m_model.allCellsSelected())
        m_model.clearSelection();
      else
        m_model.selectAllCells();
      changed(true);
      return;
    }
    if (h.bits & (kHitLabelXPart | kHitLabelYPart)) {
      if (h.bits & kHitLabelXPart)
        m_model.selectRect(kSelX, 0, -1, s.x.count - 1, -1, false);
      else
        m_model.selectRect(kSelY, -1, 0, -1, s.y.count - 1, false);
      changed(true);
      return;
    }
    if (!mode) {
      m_model.clearSelection();
      changed(true);
      return;
    }
    m_drag.mode = 3;
    m_drag.kind = mode;
    t.mode |= kSelButtonHeld;
    if (!shift || ctrl || t.anchorCol == -2) {
      t.anchorCol = e.col;
      t.anchorRow = e.row;
    }
    m_selAtPress = t;
    m_drag.add = ctrl && !shift;
  } else if (mode != m_drag.kind) {
    return;
  }
  // Whether the drag adds to the selection is settled at the press.
  const bool add = press ? ctrl && !shift : m_drag.add;
  if (add && !press) {
    // Ctrl adds the dragged rectangle to the selection held at the press,
    // so that dragging back shrinks it again.
    const int ac = t.anchorCol, ar = t.anchorRow;
    t = m_selAtPress;
    t.anchorCol = ac;
    t.anchorRow = ar;
  }
  t.cursorCol = e.col;
  t.cursorRow = e.row;
  switch (m_drag.kind) {
    case kSelColumns:
      m_model.selectRect(kSelCells, t.anchorCol, k0r, e.col, k1r, add);
      break;
    case kSelRows:
      m_model.selectRect(kSelCells, k0c, t.anchorRow, k1c, e.row, add);
      break;
    default:
      m_model.selectRect(m_drag.kind, t.anchorCol, t.anchorRow, e.col, e.row, add);
      break;
  }
  changed(true);
}

void MapEditor::mousePressEvent(QMouseEvent* e) {
  m_pointer = e->pos();
  if (m_model.sheetCount() == 0) return;
  if (m_edit.open) {
    QRect r = elementRect(m_edit.elem.col, m_edit.elem.row);
    if (r.contains(e->pos())) {
      // The caret goes to the nearest character boundary.
      QFont f = font();
      f.setPointSizeF(std::trunc(1.4 * (font().pointSizeF() > 0 ? font().pointSizeF() : 9)));
      f.setBold(true);
      QFontMetrics fm(f);
      int x0 = r.center().x() - fm.horizontalAdvance(m_edit.text) / 2;
      int best = 0, bestD = 1 << 30;
      for (int i = 0; i <= m_edit.text.size(); ++i) {
        int d = std::abs(x0 + fm.horizontalAdvance(m_edit.text.left(i)) - e->pos().x());
        if (d < bestD) bestD = d, best = i;
      }
      m_edit.caret = m_edit.anchor = best;
      changed(true);
      return;
    }
    commitEditor();
  }
  if (e->button() == Qt::RightButton) {
    // Built anew from the state under the pointer; a sheet tab gets its own.
    buildPopupMenu(e->pos())->popup(e->globalPosition().toPoint());
    return;
  }
  if (e->button() == Qt::LeftButton && buttonPress(e)) return;
  const Hit h = hitTest(e->pos());
  if (h.bits & kHitSheetTab) {
    m_model.selectSheet(h.col);
    refresh();
    return;
  }
  if (e->button() != Qt::LeftButton) return;
  if (graphPress(e)) return;
  if (scrollBarPress(e->pos())) return;
  if (!m_model.cur().enabled) return;
  const int handle = selectionHandle(e->pos());
  auto startHandleDrag = [&] {
    const SheetSelection& t = m_model.cur().sel;
    m_drag.mode = handle;
    m_drag.start = e->pos();
    const int mode = t.mode & 0xFF;
    m_drag.kind = (mode & kSelX) ? kChangeX : ((mode & kSelY) ? kChangeY : kChangeCells);
    m_drag.c0 = m_drag.tc0 = std::max(0, t.firstCol);
    m_drag.c1 = m_drag.tc1 = std::max(0, t.lastCol);
    m_drag.r0 = m_drag.tr0 = std::max(0, t.firstRow);
    m_drag.r1 = m_drag.tr1 = std::max(0, t.lastRow);
    m_previewOn = false;
    m_hover.valid = false;
  };
  // The fill handle wins over the arrow buttons and the interpolation corner
  // that share its corner of the selection. While the interpolation preview
  // is shown, the press interpolates, even where a cell's arrow lies under
  // the corner triangle: the press does what the pointer shows.
  if (handle == 1) return startHandleDrag();
  if (m_previewOn) {
    m_previewOn = false;
    m_hover.valid = false;
    changed(m_model.interpolate());
    return;
  }
  if (m_hover.valid && (m_hover.up.contains(e->pos()) || m_hover.down.contains(e->pos()))) {
    m_hover.pressed = m_hover.up.contains(e->pos()) ? 1 : -1;
    m_hover.pressTick = m_model.tickCount();
    m_hover.repeated = false;
    changed(true);
    return;
  }
  if (handle == 2) return startHandleDrag();
  m_hover.valid = false;
  selectByMouse(h, e->modifiers(), true);
}

void MapEditor::mouseMoveEvent(QMouseEvent* e) {
  m_pointer = e->pos();
  if (m_model.sheetCount() == 0) return;
  showHint(e->pos());
  if (!m_buttonDown.isEmpty()) return changed(true), void();
  // A drag that began in the table keeps the pointer until its release, also
  // over the graph below a one-row table.
  if (!m_drag.mode && graphMove(e)) return showHint(e->pos());
  if (m_drag.mode == 1 || m_drag.mode == 2) {
    const MapSheet& s = m_model.cur();
    int dc = static_cast<int>(std::lround((e->pos().x() - m_drag.start.x()) / m_l.colW));
    int dr = static_cast<int>(std::lround((e->pos().y() - m_drag.start.y()) / m_l.rowH));
    // Only shown columns and rows: not the hidden ones of a collapsed axis.
    if (m_drag.kind == kChangeY || s.x.collapsed) dc = 0;
    if (m_drag.kind == kChangeX || s.y.collapsed) dr = 0;
    const int maxC = m_drag.kind == kChangeY ? 0 : s.x.count - 1;
    const int maxR = m_drag.kind == kChangeX ? 0 : s.y.count - 1;
    if (m_drag.mode == 1) {
      m_drag.tc0 = std::max(0, dc < 0 ? m_drag.c0 + dc : m_drag.c0);
      m_drag.tc1 = std::min(maxC, dc > 0 ? m_drag.c1 + dc : m_drag.c1);
      m_drag.tr0 = std::max(0, dr < 0 ? m_drag.r0 + dr : m_drag.r0);
      m_drag.tr1 = std::min(maxR, dr > 0 ? m_drag.r1 + dr : m_drag.r1);
    } else {
      const int w = m_drag.c1 - m_drag.c0, hgt = m_drag.r1 - m_drag.r0;
      m_drag.tc0 = std::clamp(m_drag.c0 + dc, 0, std::max(0, maxC - w));
      m_drag.tr0 = std::clamp(m_drag.r0 + dr, 0, std::max(0, maxR - hgt));
      m_drag.tc1 = m_drag.tc0 + w;
      m_drag.tr1 = m_drag.tr0 + hgt;
    }
    changed(true);
    return;
  }
  if (m_drag.mode == 3) {
    // Extend the rectangle, clamped into the visible table.
    QPoint q = e->pos();
    q.setX(std::clamp(q.x(), static_cast<int>(m_l.cellLeft) + 1,
                      static_cast<int>(m_l.cellLeft + m_l.colW * m_l.visCols) - 1));
    q.setY(std::clamp(q.y(), static_cast<int>(m_l.cellTop) + 1,
                      static_cast<int>(m_l.cellTop + m_l.rowH * m_l.visRows) - 1));
    Hit h = hitTest(q);
    const MapSheet& s = m_model.cur();
    if (m_drag.kind == kSelX) h = Hit{kHitXHeader, h.col, -1};
    if (m_drag.kind == kSelY) h = Hit{kHitYHeader, -1, h.row};
    if (m_drag.kind == kSelColumns)
      h = Hit{kHitColumnStrip, h.col, s.y.collapsed ? s.y.collapsedIndex : 0};
    if (m_drag.kind == kSelRows)
      h = Hit{kHitRowStrip, s.x.collapsed ? s.x.collapsedIndex : 0, h.row};
    if (h.col != -2 || h.row != -2) selectByMouse(h, e->modifiers() & Qt::ControlModifier, false);
    return;
  }
  if (m_drag.mode == 4) {
    const MapSheet& s = m_model.cur();
    const bool v = m_drag.vertical;
    const int track = (v ? m_l.vBarRect.height() : m_l.hBarRect.width()) - 30;
    const int count = v ? s.y.count : s.x.count;
    const int vis = v ? m_l.visRows : m_l.visCols;
    const int d = v ? e->pos().y() - m_drag.start.y() : e->pos().x() - m_drag.start.x();
    int off = m_drag.startOffset + (track > 0 ? d * count / track : 0);
    SheetAxis& a = v ? m_model.cur().y : m_model.cur().x;
    a.scrollOffset = std::clamp(off, 0, std::max(0, count - vis));
    changed(true);
    return;
  }
  updateHover(e->pos());
  // Pointer shapes.
  Qt::CursorShape shape = Qt::ArrowCursor;
  if (m_edit.open && elementRect(m_edit.elem.col, m_edit.elem.row).contains(e->pos()))
    shape = Qt::IBeamCursor;
  else if (int hnd = (e->buttons() ? 0 : selectionHandle(e->pos())))
    shape = hnd == 1 ? Qt::CrossCursor : Qt::SizeAllCursor;
  QWidget::setCursor(shape);
  // The interpolation preview while the pointer rests on a corner triangle.
  const SheetSelection& t = m_model.cur().sel;
  bool on = false;
  if (t.interpReady && selectionHandle(e->pos()) != 1) {
    for (bool right : {false, true})
      for (bool bottom : {false, true}) {
        QRect rc = elementRect(right ? t.ic1 : t.ic0, bottom ? t.ir1 : t.ir0);
        if (rc.isEmpty()) continue;
        QPoint corner(right ? rc.right() : rc.left(), bottom ? rc.bottom() : rc.top());
        if (std::abs(e->pos().x() - corner.x()) + std::abs(e->pos().y() - corner.y()) <= 8)
          on = true;
      }
  }
  // The preview and its hint replace the arrows of a cell under the corner.
  if (on && m_hover.valid) {
    m_hover.valid = false;
    changed(true);
  }
  if (on != m_previewOn) {
    m_previewOn = on;
    changed(true);
  }
}

void MapEditor::mouseReleaseEvent(QMouseEvent* e) {
  m_pointer = e->pos();
  if (buttonRelease(e)) return;
  if (!m_drag.mode && graphRelease(e)) return;
  if (m_hover.pressed) {
    if (!m_hover.repeated && m_hover.valid) stepHover(m_hover.pressed);
    m_hover.pressed = 0;
    changed(true);
  }
  if (m_drag.mode == 1) m_model.fillTo(m_drag.tc0, m_drag.tr0, m_drag.tc1, m_drag.tr1);
  if (m_drag.mode == 2 && (m_drag.tc0 != m_drag.c0 || m_drag.tr0 != m_drag.r0))
    m_model.moveTo(m_drag.tc0, m_drag.tr0);
  if (m_drag.mode) changed(true);
  m_drag.mode = 0;
  m_scrollRepeat = 0;
  m_model.cur().sel.mode &= ~kSelButtonHeld;
}

void MapEditor::mouseDoubleClickEvent(QMouseEvent* e) {
  if (m_model.sheetCount() == 0 || e->button() != Qt::LeftButton) return;
  if (buttonAt(e->pos()) >= 0 || m_view != 1) return mousePressEvent(e);
  const Hit h = hitTest(e->pos());
  const ElemRef el = elementOf(h);
  if (!el.valid()) return mousePressEvent(e);
  int32_t* v = m_model.element(m_model.current(), el);
  SheetAxis* a = m_model.axisOf(m_model.current(), el);
  if (!v || !a) return;
  setCursor(el, false);
  openEditor(el, QString::fromUtf8(valueText(*v, a->scale).c_str()), true);
}

void MapEditor::wheelEvent(QWheelEvent* e) {
  e->accept();
  if (m_model.sheetCount() == 0 || !m_model.cur().enabled) return;
  // Touchpads send parts of a notch: they add up to whole steps.
  m_wheelRest += e->angleDelta().y();
  const int notches = m_wheelRest / 120;
  m_wheelRest -= notches * 120;
  if (!notches) return;
  if (graphWheel(e->position().toPoint(), notches, e->modifiers())) return;
  if (m_l.graphBeside && m_l.graphFrame.contains(e->position().toPoint())) {
    // The graph beside the table had nothing to step: the table scrolls.
    scrollBy(m_l.vBar, notches > 0 ? -1 : 1);
    return;
  }
  updateHover(e->position().toPoint());
  if (m_hover.valid) {
    for (int i = 0; i < std::abs(notches); ++i) stepHover(notches > 0 ? 1 : -1);
    return;
  }
  scrollBy(m_l.vBar, notches > 0 ? -1 : 1);
}

void MapEditor::updateHover(QPoint p) {
  Hover old = m_hover;
  m_hover.valid = false;
  if (!m_drag.mode && m_model.sheetCount() && !m_model.compact() && selectionHandle(p) != 1) {
    const ElemRef el = elementOf(hitTest(p));
    if (el.valid() && m_model.editableElement(m_model.current(), el)) {
      QRect r = elementRect(el.col, el.row);
      m_hover.valid = true;
      m_hover.elem = el;
      m_hover.up = QRect(r.right() - 15, r.top() + 1, 15, r.height() / 2 - 1);
      m_hover.down =
          QRect(r.right() - 15, r.top() + r.height() / 2, 15, r.height() - r.height() / 2 - 1);
    }
  }
  if (old.valid != m_hover.valid || old.elem.col != m_hover.elem.col ||
      old.elem.row != m_hover.elem.row) {
    m_hover.pressed = 0;
    changed(true);
  }
}

void MapEditor::stepHover(int k) {
  SheetSelection& t = m_model.cur().sel;
  t.cursorCol = m_hover.elem.col;
  t.cursorRow = m_hover.elem.row;
  changed(m_model.incrementCursor(k));
}

// ---------------------------------------------------------------------------
// Scroll bars

bool MapEditor::scrollBarPress(QPoint p) {
  for (bool vertical : {false, true}) {
    const bool shown = vertical ? m_l.vBar : m_l.hBar;
    const QRect r = vertical ? m_l.vBarRect : m_l.hBarRect;
    if (!shown || !r.contains(p)) continue;
    const MapSheet& s = m_model.cur();
    const int pos = vertical ? p.y() - r.top() : p.x() - r.left();
    const int len = vertical ? r.height() : r.width();
    const int count = vertical ? s.y.count : s.x.count;
    const int vis = vertical ? m_l.visRows : m_l.visCols;
    const int off = vertical ? s.y.scrollOffset : s.x.scrollOffset;
    const int track = len - 30;
    const int thumb = std::max(10, track * vis / std::max(1, count));
    const int thumbPos = 15 + (count > vis ? (track - thumb) * off / (count - vis) : 0);
    if (pos < 15 || pos >= len - 15) {
      const int d = pos < 15 ? -1 : 1;
      scrollBy(vertical, d);
      m_scrollRepeat = vertical ? 2 * d : d;
      m_scrollHeldTicks = 0;
    } else if (pos < thumbPos) {
      scrollBy(vertical, -std::max(1, vis - 1));
    } else if (pos >= thumbPos + thumb) {
      scrollBy(vertical, std::max(1, vis - 1));
    } else {
      m_drag.mode = 4;
      m_drag.vertical = vertical;
      m_drag.start = p;
      m_drag.startOffset = off;
    }
    return true;
  }
  return false;
}

void MapEditor::scrollBy(bool vertical, int delta) {
  MapSheet& s = m_model.cur();
  SheetAxis& a = vertical ? s.y : s.x;
  if (a.collapsed) return;
  a.scrollOffset += delta;
  m_model.computeIndices();
  m_hover.valid = false;
  changed(true);
}

// ---------------------------------------------------------------------------
// Focus and leave

void MapEditor::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  changed(true);
}

void MapEditor::focusOutEvent(QFocusEvent* e) {
  commitEditor();
  QWidget::focusOutEvent(e);
  updateFocusPolicy();
  changed(true);
}

// ---------------------------------------------------------------------------
// Graphs

bool MapEditor::graphPress(QMouseEvent* e) {
  const QPoint pos = e->pos();
  bool took = false;
  m_graphCapture = 0;
  if (m_view == 4 && m_l.graphFrame.contains(pos)) {
    if (m_graph.press3D(m_l.graphFrame, pos)) m_graphCapture = 4;
    took = true;
  } else if ((m_view == 2 || m_l.graphBeside) && m_l.graphFrame.contains(pos)) {
    if (m_graph.press2D(m_l.graphFrame, pos, e->modifiers())) m_graphCapture = 2;
    took = m_view == 2 || m_graphCapture;
  } else if (m_view == 1 && m_model.compact() && m_l.conditionPlot.contains(pos)) {
    if (m_graph.pressCondition(m_l.conditionPlot, pos)) m_graphCapture = 8;
    took = true;
  }
  if (took) {
    m_hover.valid = false;
    changed(true);
  }
  return took;
}

bool MapEditor::graphMove(QMouseEvent* e) {
  const QPoint pos = e->pos();
  bool repaint = false, took = true;
  switch (m_graphCapture) {
    case 2:
      repaint = m_graph.move2D(m_l.graphFrame, pos, e->buttons(), e->modifiers());
      break;
    case 4:
      repaint = m_graph.move3D(m_l.graphFrame, pos, e->buttons());
      break;
    case 8:
      repaint = m_graph.moveCondition(m_l.conditionPlot, pos, e->buttons());
      break;
    default:
      if (m_view == 2 || (m_l.graphBeside && m_l.graphFrame.contains(pos)))
        repaint = m_graph.move2D(m_l.graphFrame, pos, e->buttons(), e->modifiers());
      else if (m_view == 1 && m_model.compact())
        repaint = m_graph.moveCondition(m_l.conditionPlot, pos, e->buttons());
      else
        took = m_view == 4;
      if (m_view == 1 && m_l.graphBeside && !m_l.graphFrame.contains(pos)) {
        // Back over the table: the graph forgets its hovered point.
        m_graph.leave();
        took = false;
      }
      if (m_view == 1 && m_model.compact() && !m_l.conditionPlot.contains(pos)) took = false;
      break;
  }
  if (took && m_hover.valid) {
    m_hover.valid = false;
    repaint = true;
  }
  if (repaint) changed(true);
  return took;
}

bool MapEditor::graphRelease(QMouseEvent* e) {
  bool took = false;
  switch (m_graphCapture) {
    case 2:
      took = m_graph.release2D(m_l.graphFrame, e->pos(), e->modifiers());
      break;
    case 4:
      took = m_graph.release3D();
      break;
    case 8:
      took = m_graph.releaseCondition(m_l.conditionPlot, e->pos());
      break;
    default:
      break;
  }
  m_graphCapture = 0;
  if (took) changed(true);
  return took;
}

bool MapEditor::graphWheel(QPoint pos, int notches, Qt::KeyboardModifiers mods) {
  bool took = false;
  if (m_view == 4)
    took = m_graph.wheel3D(m_l.graphFrame, pos, notches, mods) || true;
  else if (m_view == 2)
    took = m_graph.wheel2D(m_l.graphFrame, pos, notches) || true;
  else if (m_l.graphBeside && m_l.graphFrame.contains(pos))
    took = m_graph.wheel2D(m_l.graphFrame, pos, notches);
  else if (m_model.compact() && m_l.conditionPlot.contains(pos))
    took = m_graph.wheelCondition(m_l.conditionPlot, pos, notches);
  if (took) changed(true);
  return took;
}

void MapEditor::leaveEvent(QEvent* e) {
  QWidget::leaveEvent(e);
  m_graph.leave();
  if (m_hover.valid || m_previewOn) {
    m_hover.valid = false;
    m_hover.pressed = 0;
    m_previewOn = false;
    changed(true);
  }
}

}  // namespace q3
