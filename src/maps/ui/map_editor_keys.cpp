// MapEditor: the keyboard and the cell editor.
#include <QKeyEvent>
#include <algorithm>

#include "maps/ui/map_editor.h"

namespace q3 {

namespace {

int selModeOf(ElemRef e) { return e.isCell() ? kSelCells : (e.isX() ? kSelX : kSelY); }

bool editorChar(QChar c) { return c.isDigit() || c == ' ' || c == ',' || c == '-' || c == '.'; }

}  // namespace

// ---------------------------------------------------------------------------
// Keyboard

void MapEditor::keyPressEvent(QKeyEvent* e) {
  if (m_model.sheetCount() == 0) return QWidget::keyPressEvent(e);
  const int key = e->key();
  const Qt::KeyboardModifiers mods = e->modifiers();
  const QString text = e->text();
  if (text == "+") {
    if (!m_edit.open) advance(1);
    return e->accept();
  }
  if (text == "-" && !m_edit.open) {
    advance(-1);
    return e->accept();
  }
  const bool ctrl = mods & Qt::ControlModifier;
  if ((ctrl && key == Qt::Key_C) || (ctrl && key == Qt::Key_Insert)) {
    copySelection();
    return e->accept();
  }
  if ((ctrl && key == Qt::Key_V) || ((mods & Qt::ShiftModifier) && key == Qt::Key_Insert)) {
    paste();
    return e->accept();
  }
  if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
    commitEditor();
    int next = -1;
    if (mods & Qt::ControlModifier) {
      int prev = m_model.previous();
      if (prev != m_model.current() && m_model.validSheet(prev) && !m_model.sheet(prev).hidden)
        next = prev;
    } else {
      next =
          m_model.nextVisibleSheet(key == Qt::Key_Backtab || (mods & Qt::ShiftModifier) ? -1 : 1);
    }
    if (next >= 0) {
      m_model.selectSheet(next);
      refresh();
    }
    return e->accept();
  }
  if (m_edit.open) {
    if (editorKey(e)) return e->accept();
    return e->accept();
  }
  if (m_view == 4 && key == Qt::Key_Space) {
    m_graph.cycleLabels();
    changed(true);
    return e->accept();
  }
  if (m_view != 1) return QWidget::keyPressEvent(e);
  const bool shift = mods & Qt::ShiftModifier;
  const MapSheet& s = m_model.cur();
  switch (key) {
    case Qt::Key_Left:
      moveCursor(-1, 0, shift, !shift);
      return e->accept();
    case Qt::Key_Right:
      moveCursor(1, 0, shift, !shift);
      return e->accept();
    case Qt::Key_Up:
      moveCursor(0, -1, shift, !shift);
      return e->accept();
    case Qt::Key_Down:
      moveCursor(0, 1, shift, !shift);
      return e->accept();
    case Qt::Key_Home:
    case Qt::Key_End: {
      int c = s.x.collapsed ? s.x.collapsedIndex : (key == Qt::Key_Home ? 0 : s.x.count - 1);
      int r = s.sel.cursorRow == -2 ? shownToDataRow(0) : s.sel.cursorRow;
      setCursor(ElemRef{c, r}, true);
      return e->accept();
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
      int r = s.y.collapsed ? s.y.collapsedIndex : (key == Qt::Key_PageUp ? 0 : s.y.count - 1);
      int c = s.sel.cursorCol == -2 ? shownToDataCol(0) : s.sel.cursorCol;
      setCursor(ElemRef{c, r}, true);
      return e->accept();
    }
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      int c = s.sel.cursorCol, r = s.sel.cursorRow;
      if (c == -2 || r == -2) {
        setCursor(ElemRef{shownToDataCol(0), shownToDataRow(0)}, true);
        return e->accept();
      }
      const int lastRow = s.y.collapsed ? s.y.collapsedIndex : s.y.count - 1;
      if (r == lastRow || (s.y.collapsed && r >= 0)) {
        // From the last row on to the header cell of the next column.
        if (s.x.collapsed) {
          setCursor(ElemRef{c, s.y.collapsed ? s.y.collapsedIndex : 0}, true);
        } else {
          int nc = c + 1 >= s.x.count ? 0 : c + 1;
          setCursor(ElemRef{nc, -1}, true);
        }
      } else {
        setCursor(ElemRef{c, r == -1 && s.y.collapsed ? s.y.collapsedIndex : r + 1}, true);
      }
      return e->accept();
    }
    case Qt::Key_Escape:
      m_model.clearSelection();
      changed(true);
      return e->accept();
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
      openEditor(ElemRef{s.sel.cursorCol, s.sel.cursorRow}, QString(), false);
      return e->accept();
    case Qt::Key_Insert: {
      ElemRef el{s.sel.cursorCol, s.sel.cursorRow};
      int32_t* v = m_model.element(m_model.current(), el);
      SheetAxis* a = m_model.axisOf(m_model.current(), el);
      if (v && a) openEditor(el, QString::fromUtf8(valueText(*v, a->scale).c_str()), true);
      return e->accept();
    }
    default:
      break;
  }
  if (text.size() == 1 && editorChar(text[0]) && text[0] != '-') {
    openEditor(ElemRef{s.sel.cursorCol, s.sel.cursorRow}, text, false);
    return e->accept();
  }
  QWidget::keyPressEvent(e);
}

void MapEditor::moveCursor(int dc, int dr, bool extend, bool wrap) {
  MapSheet& s = m_model.cur();
  SheetSelection& t = s.sel;
  int c = t.cursorCol, r = t.cursorRow;
  if (c == -2 || r == -2) {
    setCursor(ElemRef{shownToDataCol(0), shownToDataRow(0)}, true);
    return;
  }
  auto step = [&](int pos, int d, const SheetAxis& a, bool skipHeader) -> int {
    const int first = a.collapsed ? a.collapsedIndex : 0;
    const int last = a.collapsed ? a.collapsedIndex : a.count - 1;
    if (a.collapsed) return skipHeader ? first : (pos == -1 ? first : -1);
    if (!wrap) return std::clamp(pos + d, pos < 0 ? -1 : first, last);
    if (d > 0) {
      if (pos == last) return skipHeader ? first : -1;
      return pos + 1;
    }
    if (pos == first) return skipHeader ? last : -1;
    if (pos == -1) return last;
    return pos - 1;
  };
  if (dc) c = step(c, dc, s.x, r == -1 || s.y.collapsed);
  if (dr) r = step(r, dr, s.y, c == -1 || s.x.collapsed);
  if (c == -1 && r == -1) return;
  if (!extend) {
    setCursor(ElemRef{c, r}, true);
    return;
  }
  t.cursorCol = c;
  t.cursorRow = r;
  ElemRef anchor{t.anchorCol, t.anchorRow};
  ElemRef cur{c, r};
  if (anchor.valid() && selModeOf(anchor) == selModeOf(cur))
    m_model.selectRect(selModeOf(cur), anchor.col, anchor.row, c, r, false);
  m_model.scrollTo(c, r);
  changed(true);
}

void MapEditor::setCursor(ElemRef e, bool select) {
  SheetSelection& t = m_model.cur().sel;
  if (!e.valid()) return;
  t.cursorCol = e.col;
  t.cursorRow = e.row;
  if (select) {
    t.anchorCol = e.col;
    t.anchorRow = e.row;
    m_model.selectRect(selModeOf(e), e.col, e.row, e.col, e.row, false);
  }
  m_model.scrollTo(e.col, e.row);
  changed(true);
}

// ---------------------------------------------------------------------------
// Cell editor

void MapEditor::openEditor(ElemRef e, const QString& text, bool selectAll) {
  if (!m_model.editableElement(m_model.current(), e)) return;
  m_edit.open = true;
  m_edit.elem = e;
  m_edit.text = text.left(16);
  m_edit.caret = static_cast<int>(m_edit.text.size());
  m_edit.anchor = selectAll ? 0 : m_edit.caret;
  m_edit.blink = 0;
  m_model.scrollTo(e.col, e.row);
  changed(true);
}

void MapEditor::commitEditor() {
  if (!m_edit.open) return;
  m_edit.open = false;
  m_model.enterText(m_edit.elem, m_edit.text.toStdString());
  changed(true);
}

void MapEditor::cancelEditor() {
  m_edit.open = false;
  changed(true);
}

bool MapEditor::editorKey(QKeyEvent* e) {
  const int key = e->key();
  const bool shift = e->modifiers() & Qt::ShiftModifier;
  Editor& ed = m_edit;
  auto removeSelection = [&]() -> bool {
    int a = std::min(ed.anchor, ed.caret), b = std::max(ed.anchor, ed.caret);
    if (a == b) return false;
    ed.text.remove(a, b - a);
    ed.caret = ed.anchor = a;
    return true;
  };
  auto moveCaret = [&](int pos) {
    ed.caret = std::clamp(pos, 0, static_cast<int>(ed.text.size()));
    if (!shift) ed.anchor = ed.caret;
  };
  switch (key) {
    case Qt::Key_Escape:
      cancelEditor();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      commitEditor();
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      keyPressEvent(&enter);
      return true;
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
      commitEditor();
      moveCursor(0, key == Qt::Key_Up ? -1 : 1, false, true);
      return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      commitEditor();
      return true;
    case Qt::Key_Left:
      moveCaret(ed.caret - 1);
      break;
    case Qt::Key_Right:
      moveCaret(ed.caret + 1);
      break;
    case Qt::Key_Home:
      moveCaret(0);
      break;
    case Qt::Key_End:
      moveCaret(static_cast<int>(ed.text.size()));
      break;
    case Qt::Key_Backspace:
      if (!removeSelection() && ed.caret > 0) {
        ed.text.remove(ed.caret - 1, 1);
        ed.anchor = --ed.caret;
      }
      break;
    case Qt::Key_Delete:
      if (!removeSelection() && ed.caret < ed.text.size()) ed.text.remove(ed.caret, 1);
      ed.anchor = ed.caret;
      break;
    default: {
      const QString t = e->text();
      if (t.size() != 1 || !editorChar(t[0])) return false;
      removeSelection();
      if (ed.text.size() >= 16) break;
      ed.text.insert(ed.caret, t);
      ed.anchor = ++ed.caret;
      break;
    }
  }
  ed.blink = 0;
  changed(true);
  return true;
}

}  // namespace q3
