// MapGraphView: the 3D view, its painting, turning and wheel.
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "maps/ui/map_editor.h"
#include "maps/ui/map_graph_view.h"
#include "maps/ui/paint_util.h"

namespace q3 {

namespace {

constexpr double kMinPlot = 20;
constexpr int kPanelWidth = 140;
constexpr int kBaseSource = -1;  // a surface line at the base advance

const char* const kSetValueHint =
    "###Set actual value - mouse wheel##Istwert setzen - Mausrad##Nastav aktuální hodnotu - "
    "kolečko myši";
const char* const kRotateHint =
    "###Rotate: drag mouse (X, XY) and wheel (XYZ)   \nGraph quality: CTRL+mouse wheel   \nView "
    "values: SHIFT + mouse wheel##Drehen: Ziehen Sie die Maus (X, XY) und Rad (XYZ)  nGraph "
    "Qualität: STRG + Mausrad  nView Werte: SHIFT + Mausrad##Otáčení - tažení myší (X a XY) a "
    "kolečkem (XYZ)  \nJemnost vykreslení grafu: CTRL+kolečko myši   \nZobrazení hodnot: "
    "SHIFT+kolečko myši";

// A line of the surface along one axis: where it stands (raw) and the data
// index whose values it carries.
struct SurfaceLine {
  double raw;
  int source;
};

// Along a proportional axis the surface runs on level to both ends of the
// displayed range; an engine-speed axis with the base advance linked starts
// with a plateau at the base advance and a step at its first breakpoint.
std::vector<SurfaceLine> surfaceLines(const SheetAxis& a, const GraphAxis& g, bool plateau) {
  std::vector<SurfaceLine> out;
  if (a.collapsed || a.count < 1) {
    out.push_back({g.lo, a.collapsed ? a.collapsedIndex : 0});
    out.push_back({g.hi, a.collapsed ? a.collapsedIndex : 0});
    return out;
  }
  if (!a.proportional) {
    for (int i = 0; i < a.count; ++i) out.push_back({double(i), i});
    if (a.count == 1) out.push_back({g.hi, 0});
    return out;
  }
  const double first = a.values[0], last = a.values[static_cast<size_t>(a.count - 1)];
  if (g.lo < first) out.push_back({g.lo, plateau ? kBaseSource : 0});
  if (plateau) out.push_back({first, kBaseSource});
  for (int i = 0; i < a.count; ++i) out.push_back({double(a.values[static_cast<size_t>(i)]), i});
  if (g.hi > last) out.push_back({g.hi, a.count - 1});
  return out;
}

struct Vertex {
  QPointF screen;
  double index = 0;            // palette index of the height
  double x = 0, v = 0, y = 0;  // in the cube
  int col = -1, row = -1;      // the cell it shows, -1 for the base advance
};

// Fills flat triangles. Painting into a 32-bit image without a transform,
// it writes the pixels whose centres lie inside straight into the image
// (what QPainter does without antialiasing, without its cost per call: the
// finer height colours draw thousands of small triangles); into any other
// device it draws polygons.
class TriangleFill {
 public:
  explicit TriangleFill(QPainter& p) : m_p(p) {
    QPaintDevice* d = p.device();
    if (d && d->devType() == QInternal::Image && p.transform().isIdentity()) {
      auto* img = static_cast<QImage*>(d);
      const QImage::Format f = img->format();
      if (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
          f == QImage::Format_ARGB32_Premultiplied) {
        m_bits = reinterpret_cast<uint32_t*>(img->bits());
        m_stride = img->bytesPerLine() / 4;
        m_clip = QRect(0, 0, img->width(), img->height());
        if (p.hasClipping()) m_clip &= p.clipBoundingRect().toAlignedRect();
      }
    }
  }
  void operator()(const QPointF& a, const QPointF& b, const QPointF& c, const QColor& colour) {
    if (!m_bits) {
      m_p.setPen(Qt::NoPen);
      m_p.setBrush(colour);
      const QPointF pts[3] = {a, b, c};
      m_p.drawConvexPolygon(pts, 3);
      return;
    }
    const uint32_t px = 0xFF000000u | colour.rgb();
    const QPointF* v[3] = {&a, &b, &c};
    std::sort(v, v + 3, [](const QPointF* l, const QPointF* r) { return l->y() < r->y(); });
    const int top = std::max(m_clip.top(), static_cast<int>(std::ceil(v[0]->y() - 0.5)));
    const int bottom = std::min(m_clip.bottom(), static_cast<int>(std::ceil(v[2]->y() - 0.5)) - 1);
    if (top > bottom) return;
    // x of each edge at a row centre: x0 + slope * (y - y0).
    auto slope = [](const QPointF* p, const QPointF* q) {
      const double dy = q->y() - p->y();
      return dy == 0 ? 0.0 : (q->x() - p->x()) / dy;
    };
    const double sLong = slope(v[0], v[2]), sUpper = slope(v[0], v[1]), sLower = slope(v[1], v[2]);
    const double mid = v[1]->y();
    for (int y = top; y <= bottom; ++y) {
      const double yc = y + 0.5;
      double xa = v[0]->x() + sLong * (yc - v[0]->y());
      double xb =
          yc < mid ? v[0]->x() + sUpper * (yc - v[0]->y()) : v[1]->x() + sLower * (yc - mid);
      if (xa > xb) std::swap(xa, xb);
      const int left = std::max(m_clip.left(), static_cast<int>(std::ceil(xa - 0.5)));
      const int right = std::min(m_clip.right(), static_cast<int>(std::ceil(xb - 0.5)) - 1);
      if (left > right) continue;
      uint32_t* line = m_bits + static_cast<ptrdiff_t>(y) * m_stride;
      std::fill(line + left, line + right + 1, px);
    }
  }

 private:
  QPainter& m_p;
  uint32_t* m_bits = nullptr;
  int m_stride = 0;
  QRect m_clip;
};

Vertex mid(const Vertex& a, const Vertex& b) {
  Vertex m;
  m.screen = (a.screen + b.screen) / 2;
  m.index = (a.index + b.index) / 2;
  m.x = (a.x + b.x) / 2;
  m.v = (a.v + b.v) / 2;
  m.y = (a.y + b.y) / 2;
  return m;
}

// Fills a triangle in height colours, split at its edge midpoints while
// grain levels remain and its corners' colours differ.
void heightTriangle(TriangleFill& fill, const Vertex& a, const Vertex& b, const Vertex& c,
                    int levels) {
  if (levels > 0 &&
      (std::abs(int(a.index) - int(b.index)) >= 1 || std::abs(int(b.index) - int(c.index)) >= 1)) {
    const Vertex ab = mid(a, b), bc = mid(b, c), ca = mid(c, a);
    heightTriangle(fill, a, ab, ca, levels - 1);
    heightTriangle(fill, ab, b, bc, levels - 1);
    heightTriangle(fill, ca, bc, c, levels - 1);
    heightTriangle(fill, ab, bc, ca, levels - 1);
    return;
  }
  static const std::vector<QColor> palette = [] {
    std::vector<QColor> v;
    for (int i = 0; i < kPaletteSize; ++i) v.push_back(rgb(paletteColour(i)));
    return v;
  }();
  const double ia = std::clamp(a.index, 0.0, 61.0), ib = std::clamp(b.index, 0.0, 61.0),
               ic = std::clamp(c.index, 0.0, 61.0);
  fill(a.screen, b.screen, c.screen, palette[static_cast<size_t>(std::lround((ia + ib + ic) / 3))]);
}

bool selectedCell(const MapSheet& s, int col, int row, uint16_t mark) {
  return col >= 0 && row >= 0 && (s.sel.cellMarks[row * kCellStride + col] & mark);
}

}  // namespace

void MapGraphView::paint3D(QPainter& p, const QRect& frame) {
  const MapModel& m = m_tab.model();
  if (m.sheetCount() == 0) return;
  const MapSheet& s = m.cur();
  p.save();
  p.setClipRect(frame);
  p.setRenderHint(QPainter::Antialiasing, false);
  const GraphRanges r = graphRanges(m, m.current());
  const double low = s.v.fullColourRange ? s.v.minValue : r.v.lo;
  const double high = s.v.fullColourRange ? s.v.maxValue : r.v.hi;
  QFont font = m_tab.font();

  // The left panel: the colour legend and the angles.
  const QRect panel(frame.left(), frame.top(), kPanelWidth, frame.height());
  const double legendTop = panel.top() + 50, legendBottom = panel.bottom() - 30;
  const double strip = (legendBottom - legendTop) / kPaletteSize;
  font.setPointSize(7);
  p.setFont(font);
  if (strip > 0.5) {
    for (int i = 0; i < kPaletteSize; ++i)
      p.fillRect(QRectF(panel.left() + 8, legendBottom - (i + 1) * strip, 18, strip + 0.5),
                 rgb(paletteColour(i)));
    p.setPen(Qt::black);
    for (int i : {0, 15, 30, 45, 61}) {
      const double v = low + (high - low) * i / (kPaletteSize - 1);
      p.drawText(QRectF(panel.left() + 30, legendBottom - (i + 0.5) * strip - 7, 100, 14),
                 Qt::AlignLeft | Qt::AlignVCenter,
                 qs(valueText(roundHalfAway(v), s.v.scale, s.v.unit.c_str())));
    }
  }
  p.setPen(Qt::black);
  p.drawText(QRectF(panel.left() + 4, panel.bottom() - 24, kPanelWidth - 4, 16),
             Qt::AlignLeft | Qt::AlignVCenter,
             QString::fromUtf8("X:%1°  XY:%2°  XYZ:%3°")
                 .arg(rotation.x * 5)
                 .arg(rotation.xy * 5)
                 .arg(rotation.xyz * 5));

  const double plotW = frame.width() - kPanelWidth - 20.0, plotH = frame.height() - 20.0;
  if (plotW < kMinPlot || plotH < kMinPlot) {
    p.restore();
    return;
  }
  const CurveSet cs = curvesOf(s);
  const bool primY = cs.primaryY;
  const SheetAxis& pa = primY ? s.y : s.x;
  const SheetAxis& sa = primY ? s.x : s.y;
  const GraphAxis& ga = primY ? r.y : r.x;
  const GraphAxis& gb = primY ? r.x : r.y;
  const double h = plotH;
  const Projection3D proj(rotation, frame.left() + kPanelWidth + 10, frame.bottom() - 10, plotW,
                          plotH);
  auto cube = [h](double raw, const GraphAxis& a) {
    return (raw - a.lo) / (a.span() > 0 ? a.span() : 1.0) * h;
  };
  const bool plateau =
      !primY && (s.flags1 & 1) && s.x.name == "RPM" && s.x.proportional && !s.x.collapsed;
  const std::vector<SurfaceLine> xs = surfaceLines(pa, ga, plateau);
  const std::vector<SurfaceLine> ys = surfaceLines(sa, gb, false);
  const int nx = static_cast<int>(xs.size()), ny = static_cast<int>(ys.size());
  std::vector<Vertex> verts(static_cast<size_t>(nx * ny));
  for (int i = 0; i < nx; ++i)
    for (int j = 0; j < ny; ++j) {
      Vertex& vx = verts[static_cast<size_t>(i * ny + j)];
      double value;
      if (xs[static_cast<size_t>(i)].source == kBaseSource) {
        value = m.baseAdvance / r.v.scale;
      } else {
        vx.col = primY ? ys[static_cast<size_t>(j)].source : xs[static_cast<size_t>(i)].source;
        vx.row = primY ? xs[static_cast<size_t>(i)].source : ys[static_cast<size_t>(j)].source;
        value = s.cell(vx.col, vx.row);
      }
      vx.x = cube(xs[static_cast<size_t>(i)].raw, ga);
      vx.y = cube(ys[static_cast<size_t>(j)].raw, gb);
      vx.v = cube(value, r.v);
      const PointF sp = proj.project(vx.x, vx.v, vx.y);
      vx.screen = QPointF(sp.x, sp.y);
      vx.index = heightIndex(value, low, high);
    }
  auto vert = [&](int i, int j) -> const Vertex& { return verts[static_cast<size_t>(i * ny + j)]; };
  m_cells3D.clear();
  for (const Vertex& v : verts)
    if (v.col >= 0) m_cells3D.push_back({v.screen, ElemRef{v.col, v.row}});
  auto at = [&](double x, double v, double y) {
    const PointF q = proj.project(x, v, y);
    return QPointF(q.x, q.y);
  };

  // The axes from the origin with their grid on the floor and their labels.
  font.setPointSize(7);
  p.setFont(font);
  const QPen gridPen(rgb(0xC0C0C0));
  auto axisLines = [&](const GraphAxis& a, auto&& line) {
    for (double g : gridPositions(a, 1, 25)) line(cube(g, a));
  };
  p.setPen(gridPen);
  axisLines(ga, [&](double c) { p.drawLine(at(c, 0, 0), at(c, 0, h)); });
  axisLines(gb, [&](double c) { p.drawLine(at(0, 0, c), at(h, 0, c)); });
  axisLines(r.v, [&](double c) { p.drawLine(at(0, c, 0), at(0, c, h)); });
  p.setPen(Qt::black);
  p.drawLine(at(0, 0, 0), at(h, 0, 0));
  p.drawLine(at(0, 0, 0), at(0, h, 0));
  p.drawLine(at(0, 0, 0), at(0, 0, h));
  const QFontMetricsF small(font);
  auto labels = [&](const GraphAxis& a, const SheetAxis& ax, int which) {
    auto place = [&](double c) {
      return which == 0 ? at(c, 0, 0) : (which == 1 ? at(0, c, 0) : at(0, 0, c));
    };
    // A label that would overlap the one before it is left out.
    QRectF last;
    auto label = [&](double c, const QString& t) {
      const QPointF q = place(c);
      const QRectF box(q.x() - small.horizontalAdvance(t) - 4, q.y() - 2,
                       small.horizontalAdvance(t), small.height());
      if (!last.isNull() && box.adjusted(-2, -1, 2, 1).intersects(last)) return;
      p.drawText(box, Qt::AlignRight | Qt::AlignVCenter, t);
      last = box;
    };
    if (a.proportional) {
      for (double g : gridPositions(a, 3, 12)) {
        QString t = qs(gridLabel(g * a.scale, a.grid.step[3]));
        if (which == 1) t += qs(ax.unit);
        label(cube(g, a), t);
      }
    } else {
      for (int i = 0; i < ax.count; ++i)
        label(cube(i, a), qs(valueText(ax.values[static_cast<size_t>(i)], ax.scale)));
    }
  };
  // The axes' texts come over the surface; an axis seen end-on (the height
  // from the top) has none.
  auto axisTexts = [&] {
    const QPointF origin = at(0, 0, 0);
    auto seen = [&](const QPointF& end) { return QLineF(origin, end).length() > 40; };
    font.setBold(false);
    p.setFont(font);
    p.setPen(Qt::black);
    if (!pa.collapsed && seen(at(h, 0, 0))) labels(ga, pa, 0);
    if (seen(at(0, h, 0))) labels(r.v, s.v, 1);
    if (!sa.collapsed && seen(at(0, 0, h))) labels(gb, sa, 2);
    font.setBold(true);
    p.setFont(font);
    if (!pa.collapsed && seen(at(h, 0, 0))) p.drawText(at(h, 0, 0) + QPointF(6, 0), mls(pa.label));
    if (seen(at(0, h, 0))) p.drawText(at(0, h, 0) + QPointF(-10, -6), mls(s.v.label));
    if (!sa.collapsed && seen(at(0, 0, h))) p.drawText(at(0, 0, h) + QPointF(6, 0), mls(sa.label));
  };

  // The surface, far patches first, each as four triangles through its centre.
  struct Patch {
    int i, j;
    double depth;
  };
  std::vector<Patch> patches;
  for (int i = 0; i + 1 < nx; ++i)
    for (int j = 0; j + 1 < ny; ++j) {
      const double cx = (vert(i, j).x + vert(i + 1, j + 1).x) / 2;
      const double cy = (vert(i, j).y + vert(i + 1, j + 1).y) / 2;
      patches.push_back({i, j, proj.depth(cx, cy)});
    }
  std::sort(patches.begin(), patches.end(),
            [](const Patch& a, const Patch& b) { return a.depth < b.depth; });
  const double* towards = proj.basis(2);
  const int levels = drawMode - 2;
  const QColor flat = rgb(0xFF8888), away = rgb(0xC0C0C0);
  TriangleFill fill(p);
  for (const Patch& pt : patches) {
    const Vertex* c4[4] = {&vert(pt.i, pt.j), &vert(pt.i + 1, pt.j), &vert(pt.i + 1, pt.j + 1),
                           &vert(pt.i, pt.j + 1)};
    Vertex centre;
    for (const Vertex* v : c4) {
      centre.screen += v->screen / 4;
      centre.index += v->index / 4;
      centre.x += v->x / 4;
      centre.v += v->v / 4;
      centre.y += v->y / 4;
    }
    if (drawMode > 0) {
      int order[4] = {0, 1, 2, 3};
      double depth[4];
      for (int e = 0; e < 4; ++e)
        depth[e] =
            proj.depth((c4[e]->x + c4[(e + 1) % 4]->x) / 2, (c4[e]->y + c4[(e + 1) % 4]->y) / 2);
      std::sort(order, order + 4, [&](int a, int b) { return depth[a] < depth[b]; });
      for (int e : order) {
        const Vertex& a = *c4[e];
        const Vertex& b = *c4[(e + 1) % 4];
        // The upper side of the triangle faces the viewer, or its underside.
        const double ux = b.x - a.x, uv = b.v - a.v, uy = b.y - a.y;
        const double wx = centre.x - a.x, wv = centre.v - a.v, wy = centre.y - a.y;
        double nx3 = uv * wy - uy * wv, nv3 = uy * wx - ux * wy, ny3 = ux * wv - uv * wx;
        if (nv3 < 0) nx3 = -nx3, nv3 = -nv3, ny3 = -ny3;
        const bool facing = nv3 == 0 || nx3 * towards[0] + nv3 * towards[1] + ny3 * towards[2] >= 0;
        if (!facing)
          fill(a.screen, b.screen, centre.screen, away);
        else if (drawMode == 1)
          fill(a.screen, b.screen, centre.screen, flat);
        else
          heightTriangle(fill, a, b, centre, levels);
      }
    }
    // The patch's outer edges; between two selected cells blue, green at an
    // interpolation corner.
    for (int e = 0; e < 4; ++e) {
      const Vertex& a = *c4[e];
      const Vertex& b = *c4[(e + 1) % 4];
      QColor colour = drawMode == 0 ? QColor(Qt::black) : QColor(Qt::white);
      const bool twoCells = (a.col != b.col || a.row != b.row);
      if (twoCells && selectedCell(s, a.col, a.row, kMarkSelected) &&
          selectedCell(s, b.col, b.row, kMarkSelected))
        colour =
            selectedCell(s, a.col, a.row, kMarkCorner) || selectedCell(s, b.col, b.row, kMarkCorner)
                ? rgb(0x008000)
                : rgb(0xFF0000);
      p.setPen(colour);
      p.drawLine(a.screen, b.screen);
    }
  }

  axisTexts();

  // Value labels at the cells.
  const bool actual = (s.flags0 & 1) && s.actualState > 0 && s.actualCol >= 0 && s.actualRow >= 0;
  auto vertexOf = [&](int col, int row) -> const Vertex* {
    for (int i = 0; i < nx; ++i)
      for (int j = 0; j < ny; ++j) {
        const Vertex& v = vert(i, j);
        if (v.col == col && v.row == row) return &v;
      }
    return nullptr;
  };
  font.setBold(false);
  font.setPointSize(labelMode == 3 ? 7 : 9);
  p.setFont(font);
  const QFontMetricsF fm(font);
  for (int k = 0; k < cs.curves && labelMode > 0; ++k)
    for (int i = 0; i < cs.points; ++i) {
      const ElemRef e = cs.cell(k, i);
      const bool isActual = actual && e.col == s.actualCol && e.row == s.actualRow;
      const bool corner = selectedCell(s, e.col, e.row, kMarkCorner);
      const bool selected = selectedCell(s, e.col, e.row, kMarkSelected);
      bool show = isActual || labelMode == 3;
      if (labelMode == 2)
        show = show || corner || (selected && s.sel.count < 5) || interestingCell(s, e.col, e.row);
      if (!show || isActual) continue;
      const Vertex* v = vertexOf(e.col, e.row);
      if (!v) continue;
      const QString t = qs(valueText(s.cell(e.col, e.row), s.v.scale));
      const QRectF box(v->screen.x() - 30, v->screen.y() - 8, 60, 16);
      p.setPen(corner ? rgb(0x004400) : (selected ? rgb(0x440000) : QColor(Qt::black)));
      p.drawText(box, Qt::AlignCenter, t);
      p.setPen(corner ? rgb(0x00DD00) : (selected ? rgb(0xDD0000) : QColor(Qt::white)));
      p.drawText(box.translated(-1, -1), Qt::AlignCenter, t);
    }
  // The actual cell: a disc in the marker colour, its value on it.
  if (actual) {
    if (const Vertex* v = vertexOf(s.actualCol, s.actualRow)) {
      const QString t = qs(valueText(s.cell(s.actualCol, s.actualRow), s.v.scale));
      const double radius =
          labelMode > 0 ? std::max(7.0, fm.horizontalAdvance(t) / 2 + fm.height() / 4 + 2) : 6;
      p.setRenderHint(QPainter::Antialiasing, true);
      p.setPen(QPen(Qt::white, 2));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(v->screen, radius + 1.5, radius + 1.5);
      p.setPen(QPen(Qt::black, 1));
      p.setBrush(rgb(s.actualState == 1 ? kActiveMarker : kOtherMarker));
      p.drawEllipse(v->screen, radius, radius);
      if (labelMode > 0) {
        p.setPen(Qt::black);
        p.drawText(QRectF(v->screen.x() - radius, v->screen.y() - radius, 2 * radius, 2 * radius),
                   Qt::AlignCenter, t);
      }
    }
  }
  p.restore();
}

bool MapGraphView::press3D(const QRect& frame, QPoint pos) {
  if (pos.x() < frame.left() + kPanelWidth) return false;
  m_turning = true;
  m_turnFrom = pos;
  m_turnStart = rotation;
  return true;
}

bool MapGraphView::move3D(const QRect& frame, QPoint pos, Qt::MouseButtons buttons) {
  (void)frame;
  if (!m_turning || !(buttons & Qt::LeftButton)) return false;
  const QPoint d = pos - m_turnFrom;
  Rotation r = rotation;
  r.x = wrapAngle(m_turnStart.x - d.y() / 10);
  r.xy = wrapAngle(m_turnStart.xy + d.x() / 10);
  if (r == rotation) return false;
  rotation = r;
  turnedOnce = true;
  return true;
}

bool MapGraphView::release3D() {
  const bool was = m_turning;
  m_turning = false;
  return was;
}

bool MapGraphView::wheel3D(const QRect& frame, QPoint pos, int notches,
                           Qt::KeyboardModifiers mods) {
  if (notches == 0) return false;
  const int k = notches > 0 ? 1 : -1;
  if (pos.x() < frame.left() + kPanelWidth) {
    // The left panel sets the actual value, whatever is selected.
    for (int i = 0; i < std::abs(notches); ++i) m_tab.model().incrementActual(k, false);
    panelWheelOnce = true;
    return true;
  }
  if (mods & Qt::ControlModifier)
    drawMode = std::clamp(drawMode + notches, 0, 5);
  else if (mods & Qt::ShiftModifier)
    labelMode = std::clamp(labelMode + notches, 0, 3);
  else
    rotation.xyz = wrapAngle(rotation.xyz + notches);
  turnedOnce = true;
  return true;
}

QPointF MapGraphView::drawnCell3D(ElemRef cell) const {
  for (const DrawnCell& c : m_cells3D)
    if (c.cell.col == cell.col && c.cell.row == cell.row) return c.at;
  return {};
}

QString MapGraphView::hint3D(const QRect& frame, QPoint pos) const {
  if (pos.y() < frame.top() + 45) return {};
  if (pos.x() < frame.left() + kPanelWidth - 10) {
    const QString t = mls(kSetValueHint);
    return panelWheelOnce ? "|" + t : t + "|" + t;
  }
  if (pos.x() >= frame.left() + kPanelWidth + 20) {
    const QString t = mls(kRotateHint);
    // Over a cell of the surface, the status line reads it out.
    QString status = t;
    double best = 8;
    for (const DrawnCell& c : m_cells3D) {
      const double d = std::hypot(c.at.x() - pos.x(), c.at.y() - pos.y());
      if (d < best) {
        best = d;
        status = qs(graphStatusText(m_tab.model(), GraphItem{GraphItem::Point, c.cell}, false));
      }
    }
    return turnedOnce ? "|" + status : t + "|" + status;
  }
  return {};
}

}  // namespace q3
