// MapGraphView: the graph views of a map editor control. The 2D graph draws
// the current sheet as curves over its primary axis (stacked per load row,
// with the comparison curve, the base advance, the limiters and the live
// marker) and lets points, the base-advance point and the limiter lines be
// dragged; the 3D view draws the sheet as a turned surface with height
// colours and value labels; the condition map draws the switched-on areas
// of a power output's table and switches them. The maths is the core's
// (graph_math.h, graph_edit.h); this class paints into any QPainter and
// turns the pointer into core calls.
#pragma once

#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>
#include <vector>

#include "maps/graph_edit.h"
#include "maps/graph_math.h"

namespace q3 {

class MapEditor;

class MapGraphView {
 public:
  explicit MapGraphView(MapEditor& owner);

  // 3D view state: the angles, the drawing mode (0 wire model, 1 one
  // colour, 2..5 height colours of grain 0..3) and the value labels (0 none,
  // 1 the active value, 2 interesting values, 3 all).
  Rotation rotation;
  int drawMode = 4;
  int labelMode = 2;
  // The condition map draws its lines by value (true) or at equal distances.
  bool conditionProportional = false;

  // --- 2D graph ---
  void paint2D(QPainter& p, const QRect& frame, bool beside);
  // Pointer in the graph frame; true when the event was taken.
  bool press2D(const QRect& frame, QPoint pos, Qt::KeyboardModifiers mods);
  bool move2D(const QRect& frame, QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
  bool release2D(const QRect& frame, QPoint pos, Qt::KeyboardModifiers mods);
  // Wheel steps over the 2D graph; false when it does nothing there.
  bool wheel2D(const QRect& frame, QPoint pos, int notches);
  // Where a point, the base-advance point of a curve, a limiter line (x) of
  // the 2D graph in this frame are drawn (for the pointer and for tests).
  QPointF pointPos(const QRect& frame, ElemRef cell) const;
  QPointF basePointPos(const QRect& frame, int curve) const;
  double limiterX(const QRect& frame, GraphItem::Kind which) const;
  int currentCurve() const { return m_currentCurve; }
  const GraphItem& hovered() const { return m_hovered; }
  bool dragging() const { return m_drag.active() || m_band; }

  // --- 3D view ---
  void paint3D(QPainter& p, const QRect& frame);
  bool press3D(const QRect& frame, QPoint pos);
  bool move3D(const QRect& frame, QPoint pos, Qt::MouseButtons buttons);
  bool release3D();
  bool wheel3D(const QRect& frame, QPoint pos, int notches, Qt::KeyboardModifiers mods);
  // Where the last 3D picture drew a cell (null when it did not).
  QPointF drawnCell3D(ElemRef cell) const;
  // Space cycles the value labels.
  void cycleLabels() { labelMode = (labelMode + 1) % 4; }
  void setPreset(Preset p) { rotation = presetRotation(p); }

  // --- condition map ---
  void paintCondition(QPainter& p, const QRectF& plot, bool print);
  bool pressCondition(const QRectF& plot, QPoint pos);
  bool moveCondition(const QRectF& plot, QPoint pos, Qt::MouseButtons buttons);
  bool releaseCondition(const QRectF& plot, QPoint pos);
  bool wheelCondition(const QRectF& plot, QPoint pos, int notches);
  // The x (y) of breakpoint line i of the condition map in this plot.
  double conditionLineX(const QRectF& plot, int i) const;
  double conditionLineY(const QRectF& plot, int i) const;

  // The status text (dragging, the item under the pointer) and the hint of
  // the 3D view under the pointer ("tooltip|status line").
  QString status() const { return m_status; }
  QString hint3D(const QRect& frame, QPoint pos) const;
  // Forgets the pointer (it left the control or the view changed).
  void leave();

 private:
  struct Layout2D;
  Layout2D layout2D(const QRect& frame) const;
  void hover2D(const Layout2D& g, QPoint pos, Qt::KeyboardModifiers mods);
  void paintAxes2D(QPainter& p, const Layout2D& g, bool beside);
  GraphItem conditionLineAt(const QRectF& plot, QPoint pos) const;
  int areaColumn(const QRectF& plot, double x) const;
  int areaRow(const QRectF& plot, double y) const;
  // Ends a drag of a point, a limit or a line: one change.
  bool finishDrag();

  MapEditor& m_tab;
  int m_currentCurve = 0;
  GraphItem m_hovered;
  Qt::KeyboardModifiers m_mods;
  QString m_status;

  // A drag of a point, a limit or a line: the pointer's travel in raw units.
  GraphDrag m_drag;
  QPoint m_last;
  QPointF m_pressOffset;
  double m_travelPrimary = 0, m_travelValue = 0;
  double m_xPerRaw = 1, m_vPerRaw = 1, m_xlo = 0, m_vlo = 0;

  // A rubber band over points or areas.
  bool m_band = false;
  QPoint m_bandFrom, m_bandTo;
  Qt::KeyboardModifiers m_bandMods;

  // The cells of the last 3D picture where they were drawn, for the
  // read-out under the pointer.
  struct DrawnCell {
    QPointF at;
    ElemRef cell;
  };
  std::vector<DrawnCell> m_cells3D;

  // A turn of the 3D view.
  bool m_turning = false;
  QPoint m_turnFrom;
  Rotation m_turnStart;

 public:
  // The hints of the 3D view stay tooltips until the view was turned and the
  // wheel used over its left panel.
  bool turnedOnce = false;
  bool panelWheelOnce = false;
};

}  // namespace q3
