// MapEditor: painting of the table view into the off-screen image.
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <optional>

#include "maps/map_defs.h"
#include "maps/ui/map_editor.h"
#include "maps/ui/paint_util.h"
#include "text/mstring.h"

namespace q3 {

namespace {

constexpr uint32_t kGridColour = 0xE4D6D4;
constexpr uint32_t kSelectedCell = 0xF4EEEC;
constexpr uint32_t kTextSelection = 0xFF8844;
constexpr uint32_t kCornerColour = 0x88F444;
constexpr uint32_t kCornerHot = 0x00AAAA;

// Draws texts centred, scaled down in proportion when they do not fit. Keeps
// the metrics of the last font: the table draws runs of texts in one font.
class TextFit {
 public:
  void operator()(QPainter& p, const QRectF& r, const QString& t, int align = Qt::AlignCenter) {
    if (!m_fm || !(p.font() == m_font)) {
      m_font = p.font();
      m_fm.emplace(m_font);
    }
    double w = m_fm->horizontalAdvance(t);
    if (w > r.width() - 2 && w > 0) {
      // Sizes do not scale text widths exactly: step down until it fits.
      QFont f = p.font();
      double size = f.pointSizeF() > 0 ? f.pointSizeF() : 9;
      size = std::max(kMinTextPoints, size * (r.width() - 2) / w);
      f.setPointSizeF(size);
      while (size > kMinTextPoints && QFontMetricsF(f).horizontalAdvance(t) > r.width() - 2) {
        size = std::max(kMinTextPoints, size - 0.5);
        f.setPointSizeF(size);
      }
      p.save();
      p.setFont(f);
      p.drawText(r, align, t);
      p.restore();
      return;
    }
    p.drawText(r, align, t);
  }

 private:
  QFont m_font;
  std::optional<QFontMetricsF> m_fm;
};

}  // namespace

void MapEditor::paintEvent(QPaintEvent*) {
  QPainter p(this);
  // On paper the editor draws itself straight onto the sheet, so its
  // numbers stay text and its lines stay lines; on the screen it shows the
  // picture it keeps.
  if (m_print) {
    paint(p);
    return;
  }
  if (m_dirty || m_image.size() != size()) render();
  p.drawImage(0, 0, m_image);
}

void MapEditor::resizeEvent(QResizeEvent*) {
  computeLayout();
  markDirty();
}

void MapEditor::render() {
  if (m_image.size() != size()) m_image = QImage(size(), QImage::Format_RGB32);
  m_dirty = false;
  QPainter p(&m_image);
  paint(p);
}

void MapEditor::paint(QPainter& p) {
  p.fillRect(rect(), rgb(m_controlColour));
  if (m_model.sheetCount() == 0) return;
  computeLayout();
  p.setRenderHint(QPainter::Antialiasing, false);
  if (m_view == 1) {
    paintScrollBars(p);
    paintTable(p);
    if (m_model.compact())
      m_graph.paintCondition(p, m_l.conditionPlot, m_print);
    else if (m_l.graphBeside)
      m_graph.paint2D(p, m_l.graphFrame, true);
    paintHoverButtons(p);
    paintEditor(p);
  } else if (m_view == 2) {
    m_graph.paint2D(p, m_l.graphFrame, false);
  } else {
    m_graph.paint3D(p, m_l.graphFrame);
  }
  paintTabs(p);
  paintButtons(p);
}

QFont MapEditor::textFont(const SheetAxis& a, bool italicSmall) const {
  QFont f = font();
  double base = font().pointSizeF() > 0 ? font().pointSizeF() : 9;
  double size = std::trunc(1.4 * base);
  bool bold = true;
  if (a.fontHeight != 0) {
    size = std::abs(a.fontHeight);
    bold = a.fontHeight > 0;
  }
  if (italicSmall) size = size * 6 / 7;
  f.setPointSizeF(std::max(4.0, size));
  f.setBold(bold);
  f.setItalic(italicSmall);
  return f;
}

void MapEditor::paintTable(QPainter& p) {
  const MapSheet& s = m_model.cur();
  const Layout& l = m_l;
  const SheetSelection& t = s.sel;
  const bool compact = m_model.compact();
  const bool raised = !m_print;
  // The compact layout's headers stand along the condition map.
  const double tableW = compact ? l.conditionPlot.width() : l.colW * l.visCols;
  const double tableH = compact ? l.conditionPlot.height() : l.rowH * l.visRows;
  const double hdrLeft = l.cellLeft - (compact ? l.colW / 2 : 0);
  const double hdrTop = l.cellTop - (compact ? l.rowH / 2 : 0);
  TextFit fitText;

  // Header bands and the cell area; for printing plain, the headers in the
  // control colour.
  const uint32_t xBand = m_print ? kControlColour : s.x.headerColour;
  const uint32_t yBand = m_print ? kControlColour : s.y.headerColour;
  if (!s.x.collapsed) panel(p, QRectF(hdrLeft, l.top, tableW, l.headerH), xBand, raised);
  if (!s.y.collapsed)
    panel(p, QRectF(l.left + l.labelW, hdrTop, l.yHeaderW, tableH), yBand, raised);
  if (!compact) panel(p, QRectF(l.cellLeft, l.cellTop, tableW, tableH), s.v.headerColour, raised);

  // Grid lines.
  p.setPen(rgb(kGridColour));
  for (int j = 0; j <= l.visCols && !compact; ++j) {
    double x = l.cellLeft + j * l.colW;
    p.drawLine(QPointF(x, l.top), QPointF(x, l.cellTop + tableH));
  }
  for (int i = 0; i <= l.visRows && !compact; ++i) {
    double y = l.cellTop + i * l.rowH;
    p.drawLine(QPointF(l.left + l.labelW, y), QPointF(l.cellLeft + tableW, y));
  }

  // Axis labels: the X label in the corner (split by its diagonal when both
  // axes are in use), the Y label in its strip.
  const QRectF corner(l.left, l.top, l.labelW, l.headerH);
  p.setPen(Qt::black);
  if (!s.x.collapsed) {
    p.setFont(textFont(s.x, false));
    if (!s.y.collapsed) {
      fitText(p, corner.adjusted(corner.width() / 3, 1, -2, -corner.height() / 2), mls(s.x.label),
              Qt::AlignRight | Qt::AlignTop);
      p.setPen(rgb(0x808080));
      p.drawLine(corner.topLeft(), corner.bottomRight());
      p.setPen(Qt::black);
    } else {
      fitText(p, corner, mls(s.x.label));
    }
  }
  if (!s.y.collapsed) {
    p.setFont(textFont(s.y, false));
    fitText(p, QRectF(l.left, hdrTop, l.labelW, tableH), mls(s.y.label));
  }
  if (s.x.collapsed && !compact) {
    // The box above the single column carries the value label.
    QRectF box(l.cellLeft, l.cellTop - l.gapW - 28 > l.top ? l.cellTop - l.gapW - 28 : l.top,
               tableW, 28);
    int selected = 0;
    for (int i = 0; i < l.visRows; ++i)
      if (t.cellMarks[shownToDataRow(i) * kCellStride + s.x.collapsedIndex] & kMarkSelected)
        ++selected;
    uint32_t fill =
        m_print ? kControlColour
                : (selected == 0 ? kControlColour : (selected == l.visRows ? 0x808080 : 0xC0C0C0));
    panel(p, box, fill, raised && selected < l.visRows);
    p.setPen(Qt::black);
    p.setFont(textFont(s.v, false));
    fitText(p, box, mls(s.v.label));
  }

  const bool pattern = t.count > 1 && !m_print;
  QBrush dots(rgb(kSelectedCell), Qt::Dense4Pattern);
  // The values the Interpolate command would give, while the pointer rests
  // on a corner of the selection.
  int previewKind = 0;
  const bool previewing = m_previewOn && m_model.interpolationPreview(&m_scratch, &previewKind);

  // Header cells.
  auto headerCell = [&](const QRectF& r, const SheetAxis& a, int idx, uint16_t mark, int kind) {
    if (pattern && (mark & kMarkSelected)) {
      p.fillRect(r.adjusted(1, 1, -1, -1), dots);
      p.setPen(Qt::white);
      p.drawRect(r.adjusted(2, 2, -2, -2));
    }
    int32_t v = a.values[static_cast<size_t>(idx)];
    QColor col = a.editable ? QColor(Qt::black) : QColor(Qt::darkGray);
    if (previewing && previewKind == kind && (mark & kMarkSelected)) {
      const int32_t pv = m_scratch[static_cast<size_t>(idx)];
      if (pv != v) col = rgb(kCornerHot);
      v = pv;
    }
    p.setPen(col);
    p.setFont(textFont(a, !a.editable));
    fitText(p, r, qs(valueText(v, a.scale, a.unit.c_str())));
  };
  if (!s.x.collapsed)
    for (int j = 0; j < l.visCols; ++j) {
      int c = shownToDataCol(j);
      headerCell(xHeaderRectF(j), s.x, c, t.xMarks[c], kChangeX);
    }
  if (!s.y.collapsed)
    for (int i = 0; i < l.visRows; ++i) {
      int r = shownToDataRow(i);
      headerCell(yHeaderRectF(i), s.y, r, t.yMarks[r], kChangeY);
    }

  // Cells, with the interpolation preview while the pointer rests on a corner.
  if (!compact) {
    const bool preview = previewing && previewKind == kChangeCells;
    const QFont cellFont = textFont(s.v, !s.v.editable);
    p.setFont(cellFont);
    // The time spent: the busiest cell shaded fullest, a translucent colour
    // under the value so that the value stays legible.
    const std::vector<double>& times = cellTimes(m_model.current());
    double busiest = 0;
    if (m_timeShading && !m_print && times.size() >= size_t(kCellCount))
      for (int r = 0; r < s.y.count; ++r)
        for (int c = 0; c < s.x.count; ++c) busiest = std::max(busiest, times[cellIndex(c, r)]);
    for (int i = 0; i < l.visRows; ++i)
      for (int j = 0; j < l.visCols; ++j) {
        const int c = shownToDataCol(j), r = shownToDataRow(i);
        const QRectF rc = cellRectF(j, i);
        const uint16_t mark = t.cellMarks[r * kCellStride + c];
        if (busiest > 0) {
          const double share = times[cellIndex(c, r)] / busiest;
          if (share > 0)
            p.fillRect(rc.adjusted(1, 1, -1, -1),
                       QColor(255, 140, 0, 30 + static_cast<int>(150 * share)));
        }
        if (pattern && (mark & kMarkSelected)) {
          p.fillRect(rc.adjusted(1, 1, -1, -1), dots);
          p.setPen(Qt::white);
          p.drawRect(rc.adjusted(2, 2, -2, -2));
        }
        int32_t v = s.cell(c, r);
        QColor col = s.v.editable ? QColor(Qt::black) : QColor(Qt::darkGray);
        if (preview && (mark & kMarkSelected)) {
          int32_t pv = m_scratch[cellIndex(c, r)];
          if (pv != v) col = rgb(kCornerHot);
          v = pv;
        }
        p.setPen(col);
        fitText(p, rc, qs(valueText(v, s.v.scale, s.v.showUnit ? s.v.unit.c_str() : nullptr)));
      }
  }

  // Elements that differ from the unit's copy: a red corner at the top right.
  if (!s.unitCells.empty() && !m_print) {
    auto mark = [&](ElemRef e) {
      if (!differsFromUnit(s, e)) return;
      const QRect rc = elementRect(e.col, e.row);
      if (rc.isEmpty()) return;
      QPainterPath tri;
      tri.moveTo(rc.right() - 7, rc.top() + 1);
      tri.lineTo(rc.right() - 1, rc.top() + 1);
      tri.lineTo(rc.right() - 1, rc.top() + 7);
      tri.closeSubpath();
      p.fillPath(tri, rgb(0x0000FF));
    };
    for (int i = 0; i < l.visRows; ++i)
      for (int j = 0; j < l.visCols; ++j) {
        if (!compact) mark(ElemRef{shownToDataCol(j), shownToDataRow(i)});
        if (i == 0 && !s.x.collapsed) mark(ElemRef{shownToDataCol(j), -1});
      }
    for (int i = 0; i < l.visRows && !s.y.collapsed; ++i) mark(ElemRef{-1, shownToDataRow(i)});
  }

  // Small triangles in the four outer corners of an interpolation-ready
  // selection of cells or run of breakpoints.
  if (!compact && t.interpReady && !m_print) {
    for (bool right : {false, true})
      for (bool bottom : {false, true}) {
        const QRectF rc = elementRect(right ? t.ic1 : t.ic0, bottom ? t.ir1 : t.ir0);
        if (rc.isEmpty()) continue;
        QPointF a(right ? rc.right() - 1 : rc.left() + 1, bottom ? rc.bottom() - 1 : rc.top() + 1);
        QPainterPath path;
        path.moveTo(a);
        path.lineTo(a.x() + (right ? -8 : 8), a.y());
        path.lineTo(a.x(), a.y() + (bottom ? -8 : 8));
        path.closeSubpath();
        p.fillPath(path, rgb(m_previewOn ? kCornerHot : kCornerColour));
      }
  }

  // The selection's outer border and its fill handle.
  if (t.count > 0 && !m_print) {
    QPen pen(Qt::black, 2);
    p.setPen(pen);
    auto selectedAt = [&](int j, int i) -> bool {
      if (j < 0 || i < 0 || j >= l.visCols || i >= l.visRows) return false;
      return m_model.isSelected(ElemRef{shownToDataCol(j), shownToDataRow(i)});
    };
    const int mode = t.mode & 0xFF;
    if (mode & kSelCells) {
      for (int i = 0; i < l.visRows; ++i)
        for (int j = 0; j < l.visCols; ++j) {
          if (!selectedAt(j, i)) continue;
          QRectF rc = cellRectF(j, i);
          if (!selectedAt(j - 1, i)) p.drawLine(rc.topLeft(), rc.bottomLeft());
          if (!selectedAt(j + 1, i)) p.drawLine(rc.topRight(), rc.bottomRight());
          if (!selectedAt(j, i - 1)) p.drawLine(rc.topLeft(), rc.topRight());
          if (!selectedAt(j, i + 1)) p.drawLine(rc.bottomLeft(), rc.bottomRight());
        }
    } else {
      QRect box = selectionRect();
      if (!box.isEmpty()) p.drawRect(box);
    }
    QRect box = selectionRect();
    if (!box.isEmpty()) p.fillRect(QRect(box.right() - 2, box.bottom() - 2, 5, 5), Qt::black);
  }

  // Drag target of the fill handle or the block move.
  if (m_drag.mode == 1 || m_drag.mode == 2) {
    QPen pen(Qt::black, 1, Qt::DashLine);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QRect a = elementRect(m_drag.kind == kChangeY ? -1 : m_drag.tc0,
                          m_drag.kind == kChangeX ? -1 : m_drag.tr0);
    QRect b = elementRect(m_drag.kind == kChangeY ? -1 : m_drag.tc1,
                          m_drag.kind == kChangeX ? -1 : m_drag.tr1);
    if (!a.isEmpty() && !b.isEmpty()) p.drawRect(a.united(b).adjusted(1, 1, -2, -2));
  }

  // The actual position: rings on the header cells and the cell.
  if (s.actualCol != -2 && s.actualRow != -2) {
    const uint32_t colour = s.actualState == 1 ? kActiveMarker : kOtherMarker;
    int j = dataToShownCol(s.actualCol), i = dataToShownRow(s.actualRow);
    if (j >= 0 && !s.x.collapsed) paintRing(p, xHeaderRectF(j), colour);
    if (i >= 0 && !s.y.collapsed) paintRing(p, yHeaderRectF(i), colour);
    if (s.actualState > 0 && !compact && j >= 0 && i >= 0) paintRing(p, cellRectF(j, i), colour);
  }

  // Column and row counts of resizable axes.
  QFont small = font();
  small.setPointSize(10);
  small.setBold(true);
  p.setFont(small);
  p.setPen(Qt::black);
  if (s.x.resizable && !s.x.collapsed) {
    QString txt = QString("(%1) %2").arg(s.x.count).arg(
        QString::fromUtf8(ml("###Number of columns##Anzahl der Spalten##Počet sloupců")));
    p.save();
    p.translate(l.cellLeft + tableW + 4, l.cellTop);
    p.rotate(90);
    p.drawText(QRectF(0, -16, std::max(tableH, height() - l.cellTop), 16),
               Qt::AlignLeft | Qt::AlignVCenter, txt);
    p.restore();
  }
  if (s.y.resizable && !s.y.collapsed)
    p.drawText(QRectF(l.left, l.cellTop + tableH, l.labelW, 16), Qt::AlignCenter,
               QString("(%1)").arg(s.y.count));
}

void MapEditor::paintRing(QPainter& p, const QRectF& r, uint32_t colour) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setBrush(Qt::NoBrush);
  QRectF ring = r.adjusted(2 + 1.5, 2 + 1.5, -2 - 1.5, -2 - 1.5);
  p.setPen(QPen(halfBright(colour), 3));
  p.drawEllipse(ring.translated(2, 1));
  p.setPen(QPen(rgb(colour), 3));
  p.drawEllipse(ring);
  p.restore();
}

void MapEditor::paintScrollBars(QPainter& p) {
  const Layout& l = m_l;
  const MapSheet& s = m_model.cur();
  auto bar = [&](const QRect& r, bool vertical, int count, int visible, int offset) {
    p.fillRect(r, rgb(0xE8E8E8));
    const int len = vertical ? r.height() : r.width();
    const int arrow = 15;
    QRect a1 = vertical ? QRect(r.left(), r.top(), 15, arrow) : QRect(r.left(), r.top(), arrow, 15);
    QRect a2 = vertical ? QRect(r.left(), r.bottom() - arrow + 1, 15, arrow)
                        : QRect(r.right() - arrow + 1, r.top(), arrow, 15);
    panel(p, a1, 0xD8D8D8, true);
    panel(p, a2, 0xD8D8D8, true);
    p.setPen(Qt::black);
    p.drawText(a1, Qt::AlignCenter, vertical ? QString::fromUtf8("▲") : QString::fromUtf8("◀"));
    p.drawText(a2, Qt::AlignCenter, vertical ? QString::fromUtf8("▼") : QString::fromUtf8("▶"));
    const int track = len - 2 * arrow;
    int thumb = std::max(10, track * visible / std::max(1, count));
    int pos = count > visible ? (track - thumb) * offset / (count - visible) : 0;
    QRect th = vertical ? QRect(r.left(), r.top() + arrow + pos, 15, thumb)
                        : QRect(r.left() + arrow + pos, r.top(), thumb, 15);
    panel(p, th, 0xC8C8C8, true);
  };
  if (l.hBar) bar(l.hBarRect, false, s.x.count, l.visCols, s.x.scrollOffset);
  if (l.vBar) bar(l.vBarRect, true, s.y.count, l.visRows, s.y.scrollOffset);
}

void MapEditor::paintTabs(QPainter& p) {
  const int n = m_model.sheetCount();
  QFont f = font();
  if (n == 1 && (m_model.options() & kOptSingleTitle)) {
    const MapSheet& s = m_model.cur();
    f.setPointSize(std::max(4, std::abs(s.titleFontSize)));
    f.setBold(s.titleFontSize > 0);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRect(10, 2, width() - 20, 22), Qt::AlignLeft | Qt::AlignVCenter, mls(s.name));
    return;
  }
  if (n < 2) return;
  f.setPointSize(9);
  int x = 10;
  for (int i = 0; i < n; ++i) {
    const MapSheet& s = m_model.sheet(i);
    if (s.hidden) continue;
    const bool cur = i == m_model.current();
    QRect r(x - (cur ? 2 : 0), m_l.tabsTop + (cur ? 0 : 2), s.tabWidth + (cur ? 4 : 0),
            cur ? 20 : 18);
    panel(p, r, cur ? 0xFFFFFF : 0xE0E0E0, !m_print);
    p.setPen(Qt::black);
    p.drawRect(r.adjusted(0, 0, -1, 0));
    f.setItalic(!s.enabled || !s.hasEditableAxis());
    p.setFont(f);
    p.setPen(s.enabled ? QColor(Qt::black) : QColor(Qt::gray));
    p.drawText(r, Qt::AlignCenter, mls(s.name));
    x += s.tabWidth + 4;
  }
}

void MapEditor::paintHoverButtons(QPainter& p) {
  if (!m_hover.valid || m_print || m_edit.open) return;
  for (int k : {1, -1}) {
    QRect r = k > 0 ? m_hover.up : m_hover.down;
    panel(p, r, m_hover.pressed == k ? 0xA0A0A0 : 0xDDDDDD, true);
    p.setPen(Qt::black);
    QPainterPath tri;
    QPointF c = QRectF(r).center();
    if (k > 0) {
      tri.moveTo(c.x() - 3, c.y() + 2);
      tri.lineTo(c.x() + 3, c.y() + 2);
      tri.lineTo(c.x(), c.y() - 2);
    } else {
      tri.moveTo(c.x() - 3, c.y() - 2);
      tri.lineTo(c.x() + 3, c.y() - 2);
      tri.lineTo(c.x(), c.y() + 2);
    }
    tri.closeSubpath();
    p.fillPath(tri, Qt::black);
  }
}

void MapEditor::paintEditor(QPainter& p) {
  if (!m_edit.open) return;
  QRect r = elementRect(m_edit.elem.col, m_edit.elem.row);
  if (r.isEmpty()) return;
  SheetAxis* a = m_model.axisOf(m_model.current(), m_edit.elem);
  p.fillRect(r.adjusted(1, 1, -1, -1), Qt::white);
  p.setPen(QPen(Qt::black, 1));
  p.drawRect(r.adjusted(1, 1, -2, -2));
  QFont f = font();
  double base = font().pointSizeF() > 0 ? font().pointSizeF() : 9;
  f.setPointSizeF(std::trunc(1.4 * base));
  f.setBold(true);
  p.setFont(f);
  QFontMetrics fm(f);
  const QString& t = m_edit.text;
  int tw = fm.horizontalAdvance(t);
  int x0 = r.center().x() - tw / 2;
  int s0 = std::min(m_edit.anchor, m_edit.caret), s1 = std::max(m_edit.anchor, m_edit.caret);
  if (s1 > s0) {
    int xa = x0 + fm.horizontalAdvance(t.left(s0));
    int xb = x0 + fm.horizontalAdvance(t.left(s1));
    p.fillRect(QRect(xa, r.top() + 3, xb - xa, r.height() - 6), rgb(kTextSelection));
  }
  p.setPen(Qt::black);
  p.drawText(QRect(x0, r.top(), tw + 2, r.height()), Qt::AlignLeft | Qt::AlignVCenter, t);
  if (!m_print && m_edit.blink < 8) {
    int xc = x0 + fm.horizontalAdvance(t.left(m_edit.caret));
    p.drawLine(xc, r.top() + 4, xc, r.bottom() - 4);
  }
  (void)a;
}

void MapEditor::setCellTimes(int sheet, std::vector<double> seconds) {
  if (sheet < 0 || sheet >= kMaxSheets) return;
  if (m_times.size() < size_t(kMaxSheets)) m_times.resize(size_t(kMaxSheets));
  seconds.resize(seconds.empty() ? 0 : size_t(kCellCount), 0.0);
  m_times[size_t(sheet)] = std::move(seconds);
  if (m_timeShading) markDirty(), update();
}

const std::vector<double>& MapEditor::cellTimes(int sheet) const {
  static const std::vector<double> none;
  return sheet >= 0 && size_t(sheet) < m_times.size() ? m_times[size_t(sheet)] : none;
}

void MapEditor::setTimeShading(bool on) {
  if (on == m_timeShading) return;
  m_timeShading = on;
  refresh();
}

}  // namespace q3
