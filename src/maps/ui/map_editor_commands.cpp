// MapEditor: the command surface around the table and the graphs: the tool
// buttons of the title row and the small view buttons, the popup menu, the
// hints, and the clipboard (plain text, the sheet format under its own MIME
// type, the graph as an image), which the control follows through
// QClipboard::dataChanged.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QHash>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QToolTip>
#include <algorithm>

#include "base/safe_write.h"
#include "maps/sheet_text.h"
#include "maps/ui/map_editor.h"
#include "maps/ui/paint_util.h"
#include "text/user_dialogs.h"

static void initMapBitmaps() { Q_INIT_RESOURCE(maps_bitmaps); }

namespace q3 {

namespace {

// Hints and captions.
const char* const kHintCopy = "###Copy##Kopieren##Kopírovat";
const char* const kHintCopyTable = "###Copy table##Tabelle kopieren##Kopírovat tabulku";
const char* const kHintPaste = "###Paste##Einfügen##Vložit";
const char* const kHintPlus =
    "###Increment selection or actual value##Increment Auswahl oder Istwert##Zvětšit hodnotu "
    "vybraných buňek nebo aktuální hodnotu";
const char* const kHintMinus =
    "###Decrement selection or actual value##Decrement Auswahl oder Istwert##Zmenšit hodnotu "
    "vybraných buňek nebo aktuální hodnotu";
const char* const kHintOnly =
    "###Use only this parameter for table definition##Verwenden Sie nur diese Parameter für "
    "Tabellendefinition##Použít pouze tento parametr pro definici tabluky";
const char* const kHintBoth =
    "###Use both dimensions for table definition##Benutzen Sie beide Dimensionen für die "
    "Tabellendefinition##Použít oba rozměry pro definici tabluky";
const char* const kHintViewTable = "###View as table##Als Tabelle anzeigen##Zobrazit jako tabulku";
const char* const kHintView2D = "###View as graph 2D##Als 2D Graph anzeigen##Zobrazit jako 2D graf";
const char* const kHintView3D = "###View as graph 3D##Als 3D Graph anzeigen##Zobrazit jako 3D graf";
const char* const kHintTop =
    "###View graph form top##Ein Blick auf die Tabelle oben##Pohled na graf seshora";
const char* const kHintIso1 =
    "###View graph as ISO1##Ein Blick auf die Tabelle isometrisch##Pohled na graf izometricky";
const char* const kHintIso2 =
    "###View graph as ISO2##Ein Blick auf die Tabelle isometrisch##Pohled na graf izometricky";
const char* const kHintAddColumn = "###Add column##Spalte hinzufügen##Přidat sloupec";
const char* const kHintRemoveColumn = "###Remove column##Spalte entfernen##Odstranit sloupec";
const char* const kHintSmallView = "###2D Graph / Table view####2D Graf / Tabulkové zobrazení";
const char* const kHintProportional =
    "###Proporcional / nonproporcional view####Proporcionální / neproporcionální zobrazení";
const char* const kHintInterpolation = "###Interpolation####Interpolace";
const char* const kOnly = "###Only##Nur##Jen";
const char* const kAnd = "###and##und##a";

// Leaves out the blank a multi-language text keeps after its last word.
QString ml2(const char* s) { return mls(s).trimmed(); }

// The bitmaps of the buttons, with their face colour made the desktop's.
const QImage& bitmap(const QString& name) {
  static QHash<QString, QImage> cache;
  auto it = cache.find(name);
  if (it != cache.end()) return *it;
  initMapBitmaps();
  QImage img(":/maps/" + name + ".png");
  img = img.convertToFormat(QImage::Format_ARGB32);
  const QRgb face = qRgb(0xD4, 0xD2, 0xCC);  // 0xCCD2D4
  const QRgb desk = QApplication::palette().button().color().rgb();
  for (int y = 0; y < img.height(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x)
      if ((line[x] & 0xFFFFFF) == (face & 0xFFFFFF) && qAlpha(line[x]) == 255) line[x] = desk;
  }
  return *cache.insert(name, img);
}

}  // namespace

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
  if (r.status == PasteStatus::Refused) dialogs().message("QUELIN3", r.message, DialogKind::Error);
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
  if (r.status == PasteStatus::Refused) dialogs().message("QUELIN3", r.message, DialogKind::Error);
  refresh();
  return r;
}

// ---------------------------------------------------------------------------
// Tool buttons

bool MapEditor::buttonShown(const ToolButton& b) const {
  if (!b.show || m_print) return false;
  const int viewBit = m_view == 1 ? 0x10 : (m_view == 2 ? 0x20 : 0x40);
  return (b.show & 1) || (b.show & viewBit);
}

const MapEditor::ToolButton* MapEditor::toolButton(const QString& name) const {
  for (const ToolButton& b : m_buttons)
    if (b.name == name) return &b;
  return nullptr;
}

void MapEditor::runCommand(const std::function<bool()>& f) {
  f();
  refresh();
}

void MapEditor::layoutButtons() {
  m_buttons.clear();
  if (m_model.sheetCount() == 0) return;
  const Layout& l = m_l;
  const MapSheet& s = m_model.cur();
  const int opts = m_model.options();
  const bool usable = usableSelection();
  const bool editable = usable && selectionEditable();
  auto add = [&](ToolButton b) { m_buttons.push_back(std::move(b)); };

  if (opts & kOptTitleRow) {
    const int x0 = l.buttonsLeft, y0 = 6 + l.titleShift;
    const bool editorText = m_edit.open && m_edit.anchor != m_edit.caret;
    add({"Copy",
         QRect(x0, y0, 24, 24),
         usable || editorText ? 1 : 0,
         false,
         false,
         "CLBRD_COPY",
         {},
         kHintCopy,
         [this] { copySelection(); }});
    add({"CopyTable",
         QRect(x0 + 30, y0, 24, 24),
         1,
         false,
         false,
         "CLBRD_COPYSHEET",
         {},
         kHintCopyTable,
         [this] { copyTable(); }});
    const bool sheetOnClip = (m_clipState & 2) && s.hasEditableAxis();
    const bool textOnClip = (m_clipState & 1) && editable;
    add({"Paste",
         QRect(x0 + 60, y0, 24, 24),
         sheetOnClip || textOnClip ? 1 : 0,
         false,
         false,
         (m_clipState & 2) ? "CLBRD_PASTSHEET" : "CLBRD_PAST",
         {},
         kHintPaste,
         [this] { paste(); }});
    const bool steps = editable || ((s.flags0 & 1) && s.actualState > 0);
    add({"Plus",
         QRect(x0 + 100, y0, 12, 12),
         steps ? 1 : 0,
         false,
         false,
         {},
         "+",
         kHintPlus,
         [this] { runCommand([this] { return m_model.incrementActual(1); }); }});
    add({"Minus",
         QRect(x0 + 100, y0 + 13, 12, 11),
         steps ? 1 : 0,
         false,
         false,
         {},
         "-",
         kHintMinus,
         [this] { runCommand([this] { return m_model.incrementActual(-1); }); }});
    int x = x0 + 128;
    const bool dims = (s.x.usage == 1 || s.y.usage == 1) && s.x.usage != 2 && s.y.usage != 2;
    if (dims) {
      const AxisUse now = m_model.axesInUse();
      auto dim = [&](const char* name, AxisUse u, const QString& caption, const char* hint) {
        add({name, QRect(x, y0, 70, 24), 1, true, now == u, {}, caption, hint, [this, u] {
               runCommand([this, u] { return m_model.useAxes(u); });
             }});
        x += 75;
      };
      if (s.y.usage == 1)
        dim("OnlyX", AxisUse::OnlyX, ml2(kOnly) + " " + mls(s.x.label), kHintOnly);
      if (s.x.usage == 1)
        dim("OnlyY", AxisUse::OnlyY, ml2(kOnly) + " " + mls(s.y.label), kHintOnly);
      dim("Both", AxisUse::Both, mls(s.x.label) + " " + ml2(kAnd) + " " + mls(s.y.label),
          kHintBoth);
    }
    const int views = viewAvailable(1) + viewAvailable(2) + viewAvailable(4);
    if (views >= 2) {
      x = width() - 10 - 63 * views + 5;
      for (const auto& [view, name, bmp, hint] :
           {std::tuple{1, "ViewTable", "BTTAB", kHintViewTable},
            std::tuple{2, "View2D", "BT2D", kHintView2D},
            std::tuple{4, "View3D", "BT3D", kHintView3D}}) {
        if (!viewAvailable(view)) continue;
        const int v = view;
        add({name, QRect(x, y0, 58, 24), 1, true, m_view == view, bmp, {}, hint, [this, v] {
               setView(v);
             }});
        x += 63;
      }
    }
  }
  // The presets of the 3D view at the top left of the graph.
  if (viewAvailable(4)) {
    const QRect f = l.graphFrame;
    const int y = f.top() + 2;
    for (const auto& [name, x0, w, preset, caption, hint] :
         {std::tuple{"Top", 0, 45, Preset::Top, ml2("###TOP##TOP##Seshora"), kHintTop},
          std::tuple{"Iso1", 50, 35, Preset::Iso1, QString("ISO1"), kHintIso1},
          std::tuple{"Iso2", 90, 35, Preset::Iso2, QString("ISO2"), kHintIso2}}) {
      const Preset pr = preset;
      add({name,
           QRect(f.left() + x0, y, w, 16),
           0x40,
           true,
           presetOf(m_graph.rotation) == static_cast<int>(pr),
           {},
           caption,
           hint,
           [this, pr] {
             m_graph.setPreset(pr);
             changed(true);
           }});
    }
  }
  // Add and remove a column, right of the last visible column.
  if (viewAvailable(1) && s.x.resizable && !s.x.collapsed && !m_model.compact()) {
    const int x = static_cast<int>(l.cellLeft + l.colW * l.visCols) + 4;
    add({"AddColumn",
         QRect(x, l.top, 15, 15),
         0x10 | (s.x.count >= s.x.maxCount ? 0x80 : 0),
         false,
         false,
         {},
         "+",
         kHintAddColumn,
         [this] { runCommand([this] { return m_model.insertColumn(m_model.cur().x.count); }); }});
    add({"RemoveColumn",
         QRect(x, l.top + 17, 15, 15),
         0x10 | (s.x.count <= s.x.minCount ? 0x80 : 0),
         false,
         false,
         {},
         "-",
         kHintRemoveColumn,
         [this] {
           runCommand([this] {
             const bool done = m_model.deleteColumn(m_model.cur().x.count - 1);
             m_model.clearSelection();
             return done;
           });
         }});
  }
  // The small view buttons of a control without a title row, and the
  // compact condition map's view button.
  if (!(opts & kOptTitleRow) && viewAvailable(1) && viewAvailable(2) && !m_model.compact()) {
    const int tableBottom = static_cast<int>(l.cellTop + l.rowH * l.visRows);
    add({"SmallGraph",
         QRect(l.left, std::min(tableBottom + 3, height() - 12), 10, 10),
         0x10,
         false,
         false,
         "BT_G",
         {},
         kHintSmallView,
         [this] { setView(2); }});
    add({"SmallTable",
         QRect(l.graphFrame.left() + 2, l.graphFrame.bottom() - 12, 10, 10),
         0x20,
         false,
         false,
         "BT_T",
         {},
         kHintSmallView,
         [this] { setView(1); }});
  }
  if (m_model.compact()) {
    const int y = std::min(static_cast<int>(l.conditionPlot.bottom()) + 3, height() - 12);
    add({"Proportional",
         QRect(l.left + l.labelW + 2, y, 10, 10),
         0x10,
         false,
         false,
         m_graph.conditionProportional ? "BT_nP" : "BT_P",
         {},
         kHintProportional,
         [this] {
           m_graph.conditionProportional = !m_graph.conditionProportional;
           refresh();
         }});
  }
}

int MapEditor::buttonAt(QPoint p) const {
  for (size_t i = 0; i < m_buttons.size(); ++i)
    if (buttonShown(m_buttons[i]) && m_buttons[i].rect.contains(p)) return static_cast<int>(i);
  return -1;
}

bool MapEditor::buttonPress(QMouseEvent* e) {
  const int i = buttonAt(e->pos());
  if (i < 0) return false;
  const ToolButton b = m_buttons[static_cast<size_t>(i)];
  // A disabled sheet takes no click; an inert button ignores the pointer.
  if (!m_model.cur().enabled || (b.show & 0x80)) return true;
  if (b.toggle) {
    if (b.act) b.act();
  } else {
    m_buttonDown = b.name;
  }
  changed(true);
  return true;
}

bool MapEditor::buttonRelease(QMouseEvent* e) {
  if (m_buttonDown.isEmpty()) return false;
  const QString name = m_buttonDown;
  m_buttonDown.clear();
  const int i = buttonAt(e->pos());
  if (i >= 0 && m_buttons[static_cast<size_t>(i)].name == name) {
    const auto act = m_buttons[static_cast<size_t>(i)].act;
    if (act) act();
  }
  changed(true);
  return true;
}

void MapEditor::paintButtons(QPainter& p) {
  if (m_print) return;
  const QPoint over = mapFromGlobal(QCursor::pos());
  const MapSheet& s = m_model.cur();
  for (const ToolButton& b : m_buttons) {
    if (!buttonShown(b)) continue;
    const bool inert = b.show & 0x80;
    const bool down = b.checked || (m_buttonDown == b.name && b.rect.contains(over));
    QRectF r(b.rect);
    p.fillRect(r, down ? QColor(0xD8, 0xD8, 0xD8) : QApplication::palette().button().color());
    p.setPen(down ? rgb(0x808080) : rgb(0xFFFFFF));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(down ? rgb(0xFFFFFF) : rgb(0x808080));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    if (!b.bitmap.isEmpty()) {
      const QImage& img = bitmap(b.bitmap);
      const QPointF at(r.center().x() - img.width() / 2.0 + (down ? 1 : 0),
                       r.center().y() - img.height() / 2.0 + (down ? 1 : 0));
      p.drawImage(at, img);
    } else if (b.caption == "+" || b.caption == "-") {
      p.setPen(QPen(inert ? rgb(0xC0C0C0) : QColor(Qt::black), 2));
      const QPointF c = r.center();
      const double a = std::min(r.width(), r.height()) / 2 - 3;
      p.drawLine(c - QPointF(a, 0), c + QPointF(a, 0));
      if (b.caption == "+") p.drawLine(c - QPointF(0, a), c + QPointF(0, a));
    } else {
      QFont f = font();
      f.setPointSize(8);
      p.setFont(f);
      p.setPen(inert ? rgb(0xC0C0C0) : QColor(Qt::black));
      p.drawText(r, Qt::AlignCenter | Qt::TextWordWrap, b.caption);
    }
  }
  // The + and - pair: framed black while they act on the selection, ringed
  // in the marker colour while they act on the actual cell.
  const ToolButton* plus = toolButton("Plus");
  const ToolButton* minus = toolButton("Minus");
  if (plus && minus && buttonShown(*plus)) {
    const QRect pair = plus->rect.united(minus->rect).adjusted(-3, -2, 3, 2);
    p.setBrush(Qt::NoBrush);
    if (usableSelection() && selectionEditable()) {
      p.setPen(QPen(Qt::black, 3));
      p.drawRect(pair);
    } else {
      p.setPen(QPen(rgb(s.actualState == 1 ? kActiveMarker : kOtherMarker), 3));
      p.drawRoundedRect(pair, 5, 5);
    }
  }
}

// ---------------------------------------------------------------------------
// Popup menu

QMenu* MapEditor::buildPopupMenu(QPoint pos) {
  if (m_menu) m_menu->deleteLater();
  m_menu = new QMenu(this);
  m_menu->setObjectName("TabPopupMenu");
  if (m_model.sheetCount() == 0) return m_menu;
  QMenu* menu = m_menu;
  auto item = [&](const char* name, const QString& text, std::function<void()> f,
                  int checked = -1) {
    QAction* a = menu->addAction(text);
    a->setObjectName(name);
    if (checked >= 0) {
      a->setCheckable(true);
      a->setChecked(checked != 0);
    }
    QObject::connect(a, &QAction::triggered, this, [this, f] {
      f();
      refresh();
    });
    return a;
  };
  const Hit hit = hitTest(pos);
  if (hit.bits & kHitSheetTab) {
    // A sheet tab: its sheet becomes current, a menu for it alone.
    m_model.selectSheet(hit.col);
    refresh();
    item("MenuCopyTable",
         mls("###Copy the entire table##Tabelle kopieren##Kopírovat celou tabulku"),
         [this] { copyTable(); });
    if ((m_clipState & 2) && m_model.cur().hasEditableAxis())
      item("MenuPaste", mls("###Paste table##Tabelle einfügen##Vložit tabulku"),
           [this] { paste(); });
    return m_menu;
  }
  MapSheet& s = m_model.cur();
  const bool on = s.enabled != 0;
  const bool inGraph = (m_view != 1 || m_l.graphBeside) && m_l.graphFrame.contains(pos);
  const bool onTable =
      m_view == 1 && !inGraph &&
      (hit.bits & (kHitCell | kHitXHeader | kHitYHeader | kHitColumnStrip | kHitRowStrip));
  // 1. Enable / Disable.
  if (s.flags0 & 8) {
    const char* what =
        on ? "###Disable ##Deaktivieren ##Zakázat " : "###Enable ##Aktivieren ##Povolit ";
    item("MenuEnable", ml2(what) + " " + mls(s.name), [this] { m_model.toggleEnabled(); });
    menu->addSeparator();
  }
  if (on) {
    // 2. Copy and paste.
    const bool usable = usableSelection();
    if (usable) item("MenuCopy", mls(kHintCopy), [this] { copySelection(); });
    item("MenuCopyTable",
         mls("###Copy the entire table##Tabelle kopieren##Kopírovat celou tabulku"),
         [this] { copyTable(); });
    if (inGraph || (m_model.compact() && m_l.conditionPlot.contains(pos)))
      item("MenuCopyGraph", mls("###Copy graph##Chart kopieren##Kopírovat graf"),
           [this] { copyGraph(); });
    const bool cursor = s.sel.cursorCol != -2 && s.sel.cursorRow != -2;
    if ((m_clipState & 2) && s.hasEditableAxis())
      item("MenuPaste", mls("###Paste table##Tabelle einfügen##Vložit tabulku"),
           [this] { paste(); });
    else if ((m_clipState & 1) && (usable || cursor))
      item("MenuPaste", mls(kHintPaste), [this] { paste(); });
    menu->addSeparator();
    // 3. Interpolate.
    if (s.sel.interpReady && selectionEditable())
      item("MenuInterpolate", mls("###Interpolate##Interpolieren##Interpolovat"),
           [this] { m_model.interpolate(); });
    // 4. Insert a row or a column at the grid line nearest to the pointer.
    if (m_view == 1 && !m_model.compact()) {
      const int mode = s.sel.mode & 0xFF;
      auto wholeLine = [&](bool columns) {
        if (!(hit.bits & kHitCell)) return false;
        return m_model.wholeLineSelected(columns, columns ? hit.col : hit.row);
      };
      const bool rowHere = s.y.resizable && !s.y.collapsed &&
                           (wholeLine(false) || (hit.bits & kHitRowStrip) || (mode & kSelY));
      const bool columnHere = s.x.resizable && !s.x.collapsed &&
                              (wholeLine(true) || (hit.bits & kHitColumnStrip) || (mode & kSelX));
      const int row = std::clamp(
          static_cast<int>(std::lround((pos.y() - m_l.cellTop) / m_l.rowH)) + s.y.scrollOffset, 0,
          s.y.count);
      const int col = std::clamp(
          static_cast<int>(std::lround((pos.x() - m_l.cellLeft) / m_l.colW)) + s.x.scrollOffset, 0,
          s.x.count);
      if (rowHere)
        item("MenuInsertRow", mls("###Insert row here##Einfügen einer Zeile##Vložit řádek (zde)"),
             [this, row] { m_model.insertRow(row); });
      if (columnHere)
        item("MenuInsertColumn",
             mls("###Insert column here##Einfügen hier Spalte##Vložit sloupec (zde)"),
             [this, col] { m_model.insertColumn(col); });
    }
    // 5. Delete the wholly selected rows or columns, but not all of them.
    for (bool columns : {false, true}) {
      const SheetAxis& a = columns ? s.x : s.y;
      const int n = m_model.wholeLinesSelected(columns);
      if (!a.resizable || n == 0 || n >= a.count) continue;
      const char* one = columns ? "###Delete column##Spalte löschen##Vymazat sloupec"
                                : "###Delete row##Klare Zeile##Vymazat řádek";
      const char* many = columns ? "###Delete columns##Löschen von Spalten##Vymazat sloupce"
                                 : "###Delete rows##Klare Linien##Vymazat řádky";
      item(columns ? "MenuDeleteColumns" : "MenuDeleteRows",
           QString("%1 (%2)").arg(mls(n == 1 ? one : many)).arg(n), [this, columns] {
             if (columns)
               m_model.deleteSelectedColumns();
             else
               m_model.deleteSelectedRows();
           });
    }
    menu->addSeparator();
  }
  // 6. Autoscroll, over a table larger than its visible window.
  if (m_view == 1 && onTable &&
      ((s.x.count > m_l.visCols && !s.x.collapsed) ||
       (s.y.count > m_l.visRows && !s.y.collapsed))) {
    int& flag = MapModel::sharedAutoscroll();
    item(
        "MenuAutoscroll",
        mls("###Autoscroll actual position##Autoscroll aktuelle Position##Automaticky posunovat na "
            "aktuální polohu"),
        [&flag] { flag = 1; }, flag ? 1 : 0);
    item(
        "MenuNoAutoscroll",
        mls("###Disable autoscroll##Deaktivieren Autoscroll##Zakázat automatické posunování"),
        [&flag] { flag = 0; }, flag ? 0 : 1);
    menu->addSeparator();
  }
  // 7. The 3D view.
  if (m_view == 4) {
    MapGraphView& g = m_graph;
    const int preset = presetOf(g.rotation);
    item(
        "MenuTop", mls("###Top view##Aufsicht##Pohled seshora"), [&g] { g.setPreset(Preset::Top); },
        preset == 0);
    item(
        "MenuIso1", mls("###ISO1 view##ISO1 Ansicht##Pohled ISO1"),
        [&g] { g.setPreset(Preset::Iso1); }, preset == 1);
    item(
        "MenuIso2", mls("###ISO2 view##ISO2 Ansicht##Pohled ISO2"),
        [&g] { g.setPreset(Preset::Iso2); }, preset == 2);
    menu->addSeparator();
    item(
        "MenuWire", mls("###Wire model##Draht-Modell##Drátěný model"), [&g] { g.drawMode = 0; },
        g.drawMode == 0);
    item(
        "MenuOneColour", mls("###One color graph##Ein Farb-Kurve##Jednobarevný graf"),
        [&g] { g.drawMode = 1; }, g.drawMode == 1);
    for (int grain = 0; grain < 4; ++grain) {
      const QString text =
          mls("###Height colors (grain 0)##Höhe Farben (Korn 0)##Výškové barvy (zrno 0)")
              .replace("0)", QString("%1)").arg(grain));
      const QByteArray name = "MenuGrain" + QByteArray::number(grain);
      QAction* a = item(
          "MenuGrain", text, [&g, grain] { g.drawMode = 2 + grain; }, g.drawMode == 2 + grain);
      a->setObjectName(QString::fromLatin1(name));
    }
    menu->addSeparator();
    const char* const labels[4] = {
        "###No values##Keinen Wert##Žádné hodnoty",
        "###Only active value##Nur aktiven Wert##Jen aktivní honota",
        "###Only interresting values##Nur interresanten Werte##Jen zajímavé honoty",
        "###All values##Alle Werte##Všechny honoty"};
    for (int i = 0; i < 4; ++i) {
      QAction* a = item(
          "MenuLabels", mls(labels[i]), [&g, i] { g.labelMode = i; }, g.labelMode == i);
      a->setObjectName(QString("MenuLabels%1").arg(i));
    }
    menu->addSeparator();
  }
  if (on) {
    // 8. The views.
    const int views = viewAvailable(1) + viewAvailable(2) + viewAvailable(4);
    if (views > 1) {
      if (viewAvailable(1))
        item(
            "MenuViewTable", mls("###View as table##Als Tabelle anzeigen##Zbrazit jako tabulku"),
            [this] { setView(1); }, m_view == 1);
      if (viewAvailable(2))
        item(
            "MenuView2D", mls("###View as graph 2D##Als 2D-Graph anzeigen##Zobrazit jako 2D graf"),
            [this] { setView(2); }, m_view == 2);
      if (viewAvailable(4))
        item(
            "MenuView3D", mls("###View as graph 3D##Als 3D-Graph anzeigen##Zobrazit jako 3D graf"),
            [this] { setView(4); }, m_view == 4);
      menu->addSeparator();
    }
    // 9. The dimensions.
    if (s.x.usage == 1 || s.y.usage == 1) {
      const AxisUse now = m_model.axesInUse();
      const QString x = mls(s.x.label), y = mls(s.y.label);
      auto dim = [&](const char* name, AxisUse u, const QString& text) {
        if (m_model.canUseAxes(u))
          item(
              name, text, [this, u] { m_model.useAxes(u); }, now == u);
      };
      dim("MenuOnlyX", AxisUse::OnlyX, ml2("###Use only##Nur##Použij jen") + " " + x);
      dim("MenuOnlyY", AxisUse::OnlyY, ml2("###Use only##Nur##Použij jen") + " " + y);
      dim("MenuBoth", AxisUse::Both,
          ml2("###Use##Verwenden##Použij") + " " + x + " " + ml2(kAnd) + " " + y);
      menu->addSeparator();
    }
    // A table to and from a file.
    item("MenuExportCsv",
         mls("###Export table as CSV...##Tabelle als CSV exportieren...##Exportovat tabulku do "
             "CSV..."),
         [this] {
           const QString path = m_csvFile ? m_csvFile(true) : QString();
           if (!path.isEmpty()) exportCsv(path);
         });
    if (s.hasEditableAxis())
      item("MenuImportCsv",
           mls("###Import table from CSV...##Tabelle aus CSV importieren...##Importovat tabulku z "
               "CSV..."),
           [this] {
             const QString path = m_csvFile ? m_csvFile(false) : QString();
             if (!path.isEmpty()) importCsv(path);
           });
  }
  return m_menu;
}

// ---------------------------------------------------------------------------
// Hints

QString MapEditor::hintAt(QPoint pos) const {
  if (m_model.sheetCount() == 0) return {};
  const int b = buttonAt(pos);
  if (b >= 0) return mls(m_buttons[static_cast<size_t>(b)].hint);
  if (m_previewOn) return mls(kHintInterpolation);
  if (m_view == 4 && m_l.graphFrame.contains(pos)) return m_graph.hint3D(m_l.graphFrame, pos);
  if ((m_view == 2 || m_l.graphBeside) && m_l.graphFrame.contains(pos)) return m_graph.status();
  if (m_model.compact() && m_l.conditionPlot.contains(pos)) return m_graph.status();
  return {};
}

void MapEditor::showHint(QPoint pos) {
  const QString hint = hintAt(pos);
  const int bar = hint.indexOf('|');
  const QString status = bar < 0 ? hint : hint.mid(bar + 1);
  if (status != m_lastStatus) {
    m_lastStatus = status;
    emit statusHint(status);
  }
}

}  // namespace q3
