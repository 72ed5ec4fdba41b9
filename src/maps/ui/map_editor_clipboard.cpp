// MapEditor: the clipboard. Copy of the selection and of the whole table
// (plain text, and the sheet format under its own MIME type), the graph as an
// image, paste, CSV export and import, and the state of the selection and the
// clipboard that the buttons and the menu follow (QClipboard::dataChanged).
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <algorithm>

#include "base/safe_write.h"
#include "maps/sheet_text.h"
#include "maps/ui/map_editor.h"
#include "maps/ui/paint_util.h"
#include "text/user_dialogs.h"

namespace q3 {

// ---------------------------------------------------------------------------
// State of the selection and the clipboard

bool MapEditor::usableSelection() const {
  const MapSheet& s = m_model.cur();
  const SheetSelection& t = s.sel;
  if (!t.count) return false;
  const int mode = t.mode & 0xFF;
  if (mode & kSelX) return !s.x.collapsed;
  if (mode & kSelY) return !s.y.collapsed;
  // Cells: only those of the row or column in use of a collapsed axis count.
  for (int i = 0; i < s.shownRows(); ++i)
    for (int j = 0; j < s.shownColumns(); ++j)
      if (t.cellMarks[s.dataRow(i) * kCellStride + s.dataColumn(j)] & kMarkSelected) return true;
  return false;
}

bool MapEditor::selectionEditable() const {
  const MapSheet& s = m_model.cur();
  const int mode = s.sel.mode & 0xFF;
  const SheetAxis& a = (mode & kSelX) ? s.x : ((mode & kSelY) ? s.y : s.v);
  return a.editable != 0;
}

void MapEditor::clipboardChanged() {
  const QMimeData* md = QGuiApplication::clipboard()->mimeData();
  int state = 0;
  if (md && md->hasText() && !md->text().isEmpty()) state |= 1;
  if (md && md->hasFormat(kSheetMimeType)) state |= 2;
  if (state != m_clipState) {
    m_clipState = state;
    layoutButtons();
    markDirty();
    update();
  }
}

// ---------------------------------------------------------------------------
// Clipboard commands

void MapEditor::copySelection() {
  if (m_model.sheetCount() == 0) return;
  QString text;
  if (m_edit.open && m_edit.anchor != m_edit.caret) {
    const int a = std::min(m_edit.anchor, m_edit.caret), b = std::max(m_edit.anchor, m_edit.caret);
    text = m_edit.text.mid(a, b - a);
  } else {
    text = QString::fromUtf8(copySelectionText(m_model.cur(), copyDecimalSeparator()).c_str());
  }
  if (text.isEmpty()) return;
  QGuiApplication::clipboard()->setText(text);
}

void MapEditor::copyTable() {
  if (m_model.sheetCount() == 0) return;
  const TableTexts t = copyTableTexts(m_model.cur(), m_model.compact(), copyDecimalSeparator());
  auto* md = new QMimeData;
  md->setText(QString::fromUtf8(t.plain.c_str()));
  md->setData(kSheetMimeType, QByteArray::fromStdString(t.sheet));
  QGuiApplication::clipboard()->setMimeData(md);
}

void MapEditor::copyGraph() {
  if (m_model.sheetCount() == 0) return;
  computeLayout();
  QRect area = m_l.graphFrame;
  if (m_view == 4) area.setLeft(area.left() + 140);  // right of the left panel
  if (m_view == 1 && m_model.compact())
    area = m_l.conditionPlot.toAlignedRect().adjusted(-m_l.labelW - static_cast<int>(m_l.yHeaderW),
                                                      -static_cast<int>(m_l.headerH), 0, 0);
  if (area.isEmpty()) return;
  // Drawn on white for pasting into documents.
  const uint32_t colour = m_controlColour;
  m_controlColour = 0xFFFFFF;
  QImage whole(size(), QImage::Format_RGB32);
  {
    QPainter p(&whole);
    const bool print = m_print;
    m_print = true;  // no buttons, no caret
    paint(p);
    m_print = print;
  }
  m_controlColour = colour;
  QGuiApplication::clipboard()->setImage(whole.copy(area));
  markDirty();
  update();
}

PasteResult MapEditor::paste() {
  PasteResult r;
  if (m_model.sheetCount() == 0) return r;
  commitEditor();
  const QMimeData* md = QGuiApplication::clipboard()->mimeData();
  if (!md) return r;
  if (md->hasFormat(kSheetMimeType)) {
    const QByteArray data = md->data(kSheetMimeType);
    r = pasteSheet(m_model, std::string_view(data.constData(), static_cast<size_t>(data.size())));
  } else if (md->hasText()) {
    const QByteArray data = md->text().toUtf8();
    r = pastePlain(m_model, std::string_view(data.constData(), static_cast<size_t>(data.size())));
  }
  if (r.status == PasteStatus::Refused) tell(r.message, DialogKind::Error);
  refresh();
  return r;
}

bool MapEditor::exportCsv(const QString& path) {
  if (m_model.sheetCount() == 0) return false;
  const std::string csv = tableCsv(m_model.cur(), m_model.compact(), copyDecimalSeparator());
  return writeFileSafely(path.toStdString(), csv).ok;
}

PasteResult MapEditor::importCsv(const QString& path) {
  QFile f(path);
  if (m_model.sheetCount() == 0 || !f.open(QIODevice::ReadOnly)) return {};
  const QByteArray data = f.read(static_cast<qint64>(kPasteLimit));
  const PasteResult r =
      q3::importCsv(m_model, std::string_view(data.constData(), static_cast<size_t>(data.size())));
  if (r.status == PasteStatus::Refused) tell(r.message, DialogKind::Error);
  refresh();
  return r;
}

}  // namespace q3
