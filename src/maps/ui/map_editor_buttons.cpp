// MapEditor: the tool buttons of the title row and the small view buttons
// (layout, press, release, painting), and the hints of the pointer.
#include <QApplication>
#include <QHash>
#include <QMouseEvent>
#include <QToolTip>
#include <algorithm>

#include "maps/ui/map_editor.h"
#include "maps/ui/map_editor_texts.h"
#include "maps/ui/paint_util.h"

static void initMapBitmaps() { Q_INIT_RESOURCE(maps_bitmaps); }

namespace q3 {

using namespace maptexts;

namespace {

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
         [this] {
           runCommand([this] {
             std::string why;
             const bool done = m_model.insertColumn(m_model.cur().x.count, &why);
             if (!why.empty()) tell(why, DialogKind::Warning);
             return done;
           });
         }});
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
// Hints

QString MapEditor::hintAt(QPoint pos) const {
  if (m_model.sheetCount() == 0) return {};
  const int b = buttonAt(pos);
  if (b >= 0) return mls(m_buttons[static_cast<size_t>(b)].hint);
  if (m_previewOn) return mls(kHintInterpolation);
  if (m_view == 4 && m_l.graphFrame.contains(pos)) return m_graph.hint3D(m_l.graphFrame, pos);
  if ((m_view == 2 || m_l.graphBeside) && m_l.graphFrame.contains(pos)) return m_graph.status();
  if (m_model.compact() && m_l.conditionPlot.contains(pos)) return m_graph.status();
  const std::vector<double>& times = cellTimes(m_model.current());
  const Hit hit = hitTest(pos);
  if (m_timeShading && !times.empty() && (hit.bits & kHitCell) && hit.col >= 0 && hit.row >= 0) {
    const MapSheet& s = m_model.cur();
    double total = 0;
    for (int r = 0; r < s.y.count; ++r)
      for (int c = 0; c < s.x.count; ++c) total += times[cellIndex(c, r)];
    const double t = times[cellIndex(hit.col, hit.row)];
    return mls("###Time spent here:##Verweilzeit hier:##Doba strávená zde:") +
           QString(" %1 s (%2 %)")
               .arg(t, 0, 'f', 1)
               .arg(total > 0 ? 100 * t / total : 0, 0, 'f', 1);
  }
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
