// The graph views of the map editor control on the off-screen platform:
// point, base-advance and limiter drags in the 2D graph, the rubber band of
// the condition map, turning the 3D view, the graph beside the table, and
// painting into other painters and tiny controls.
#include <QPicture>
#include <QWheelEvent>
#include <cmath>

#include "maps/map_editor_fixture.h"

namespace q3 {
namespace {

using q3test::flatAdvanceImage;
using q3test::Page;

// The 2D view of the advance map with pixels per raw unit taken from two
// points whose values differ by 10.
struct Graph2D {
  Page p;
  QRect frame;
  double perValue = 0, perRpm = 0;
  Graph2D() {
    p.tab->setView(2);
    p.sheet().cell(3, 0) = 10;
    p.sheet().cell(4, 0) = 20;
    p.tab->refresh();
    p.tab->render();
    frame = p.tab->graphFrame();
    const QPointF a = pos(3, 0), b = pos(4, 0);
    perValue = (a.y() - b.y()) / 10;
    perRpm = (b.x() - a.x()) / (p.sheet().x.values[4] - p.sheet().x.values[3]);
  }
  QPointF pos(int col, int row) { return p.tab->graph().pointPos(frame, ElemRef{col, row}); }
  // A press, a move (resting half way for some ticks with the button held)
  // and a release.
  void drag(QPoint from, QPoint to, int restTicks = 0) {
    QTest::mouseMove(p.tab, from);
    QTest::mousePress(p.tab, Qt::LeftButton, Qt::NoModifier, from);
    if (restTicks) {
      p.moveHeld((from + to) / 2, Qt::NoModifier);
      p.ticks(restTicks);
    }
    p.moveHeld(to, Qt::NoModifier);
    QTest::mouseRelease(p.tab, Qt::LeftButton, Qt::NoModifier, to);
  }
};

TEST(MapGraphView2D, PointDragIsOneStoredChangeMovedByTheTravel) {
  Graph2D g;
  ASSERT_GT(g.perValue, 2);
  const QPoint from = g.pos(4, 0).toPoint();
  const QPoint to = from + QPoint(0, -static_cast<int>(std::lround(5 * g.perValue)));
  g.drag(from, to, 12);  // resting half way longer than a change stays open
  EXPECT_EQ(g.p.sheet().cell(4, 0), 25);
  EXPECT_EQ(g.p.img.byte(ImageByte::Advance + 4), 125);
  EXPECT_EQ(g.p.stores, 1);
}

// A rubber band with Shift or Ctrl adds to the selection; with both it
// starts anew, as a drag in the table does.
TEST(MapGraphView2D, ShiftCtrlBandStartsAnew) {
  struct Case {
    Qt::KeyboardModifiers mods;
    bool keepsOld;
  } cases[] = {{Qt::ShiftModifier, true},
               {Qt::ControlModifier, true},
               {Qt::ShiftModifier | Qt::ControlModifier, false},
               {Qt::NoModifier, false}};
  for (const Case& c : cases) {
    Graph2D g;
    g.p.tab->model().selectRect(kSelCells, 0, 0, 0, 0, false);
    const QPointF a = g.pos(3, 0), b = g.pos(4, 0);
    const QPoint from = QPointF(std::min(a.x(), b.x()) - 12, std::min(a.y(), b.y()) - 12).toPoint();
    const QPoint to = QPointF(std::max(a.x(), b.x()) + 4, std::max(a.y(), b.y()) + 4).toPoint();
    QTest::mouseMove(g.p.tab, from);
    QTest::mousePress(g.p.tab, Qt::LeftButton, c.mods, from);
    g.p.moveHeld(to, c.mods);
    QTest::mouseRelease(g.p.tab, Qt::LeftButton, c.mods, to);
    EXPECT_TRUE(g.p.tab->model().isSelected(ElemRef{3, 0})) << int(c.mods);
    EXPECT_TRUE(g.p.tab->model().isSelected(ElemRef{4, 0})) << int(c.mods);
    EXPECT_EQ(g.p.tab->model().isSelected(ElemRef{0, 0}), c.keepsOld) << int(c.mods);
  }
}

// The 3D views and the sensor curves, drawn for looking at: with
// Q3_SCREENSHOT_DIR set the pictures are kept there.
TEST(MapGraphView3D, PicturesOfThePresetsAndTheSensorCurves) {
  const char* dir = std::getenv("Q3_SCREENSHOT_DIR");
  q3::ParamImage img = q3test::advanceImage();
  Page p(kOwnerAdvance, img);
  p.tab->setView(4);
  for (auto [preset, name] :
       {std::pair{Preset::Iso1, "map_iso1.png"}, std::pair{Preset::Iso2, "map_iso2.png"}}) {
    p.tab->graph().setPreset(preset);
    p.tab->render();
    const QImage shot = p.tab->offscreen();
    ASSERT_FALSE(shot.isNull());
    if (dir) shot.save(QString(dir) + "/" + name);
  }
  for (int owner : {kOwnerTpsCurve, kOwnerIapCurve, kOwnerLambdaCurve, kOwnerLambdaRpm}) {
    Page curve(owner, img);
    curve.tab->render();
    ASSERT_FALSE(curve.tab->offscreen().isNull());
    if (dir)
      curve.tab->offscreen().save(QString(dir) + "/map_curve_" + QString::number(owner) + ".png");
  }
}

TEST(MapGraphView2D, WithXNotEditableOnlyTheValueMoves) {
  Graph2D g;
  g.p.sheet().x.editable = 0;
  const std::vector<int32_t> xs = g.p.sheet().x.values;
  const QPoint from = g.pos(4, 0).toPoint();
  const QPoint to = from + QPoint(static_cast<int>(std::lround(10 * g.perRpm)),
                                  static_cast<int>(std::lround(3 * g.perValue)));
  g.drag(from, to);
  EXPECT_EQ(g.p.sheet().x.values, xs);
  EXPECT_EQ(g.p.sheet().cell(4, 0), 17);
  // With X editable the breakpoint goes along by the travel.
  g.p.sheet().x.editable = 1;
  const QPoint again = g.pos(4, 0).toPoint();
  g.drag(again, again + QPoint(static_cast<int>(std::lround(4 * g.perRpm)), 0));
  EXPECT_EQ(g.p.sheet().x.values[4], xs[4] + 4);
  EXPECT_EQ(g.p.img.byte(ImageByte::RpmAdv + 4), xs[4] + 4);
  EXPECT_EQ(g.p.stores, 2);
}

TEST(MapGraphView2D, BaseAdvancePointAndLimiterLineChangeTheirSettings) {
  Graph2D g;
  const int curve = 0;
  const QPoint base = g.p.tab->graph().basePointPos(g.frame, curve).toPoint();
  g.drag(base, base + QPoint(0, -static_cast<int>(std::lround(3 * g.perValue))));
  EXPECT_EQ(g.p.img.byte(ImageByte::BaseAdv), 13);
  // Far down: the base advance stays 0 instead of wrapping to 255.
  const QPoint base2 = g.p.tab->graph().basePointPos(g.frame, curve).toPoint();
  g.drag(base2, QPoint(base2.x(), g.frame.bottom() - 20));
  g.drag(g.p.tab->graph().basePointPos(g.frame, curve).toPoint(),
         QPoint(base2.x(), g.frame.bottom() - 20));
  EXPECT_EQ(g.p.img.byte(ImageByte::BaseAdv), 0);

  // The rev limiter line, grabbed between two curves.
  const double x = g.p.tab->graph().limiterX(g.frame, GraphItem::RevLimiter);
  ASSERT_TRUE(std::isfinite(x));
  const int y = static_cast<int>((g.pos(11, 0).y() + g.pos(11, 1).y()) / 2);
  const QPoint line(static_cast<int>(std::lround(x)), y);
  g.drag(line, line + QPoint(static_cast<int>(std::lround(10 * g.perRpm)), 0));
  EXPECT_EQ(g.p.img.byte(ImageByte::Limiter), 130);
}

TEST(MapGraphView2D, WheelStepsTheHoveredPointOrTheSelection) {
  Graph2D g;
  const QPoint at = g.pos(6, 2).toPoint();
  QTest::mouseMove(g.p.tab, at);
  auto wheel = [&](QPoint where, int delta) {
    QWheelEvent e(QPointF(where), QPointF(g.p.tab->mapToGlobal(where)), QPoint(), QPoint(0, delta),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(g.p.tab, &e);
  };
  wheel(at, 240);
  EXPECT_EQ(g.p.sheet().cell(6, 2), 2);
  // Away from every point, with cells selected: the selection steps.
  g.p.tab->model().selectRect(kSelCells, 0, 5, 1, 5, false);
  const QPoint empty(g.frame.left() + g.frame.width() / 2, g.frame.top() + 3);
  wheel(empty, -120);
  EXPECT_EQ(g.p.sheet().cell(0, 5), -1);
  EXPECT_EQ(g.p.sheet().cell(1, 5), -1);
  EXPECT_EQ(g.p.sheet().cell(6, 2), 2);
}

ParamImage conditionImage(int function) {
  ParamImage img = flatAdvanceImage();
  img.setByte(ImageByte::PoutFunction, function);
  for (int c = 0; c < 3; ++c) img.setByte(ImageByte::PoutThreshold + c, 40 + 30 * c);
  img.setWord(ImageWord::PoutWords, 20);
  img.setWord(ImageWord::PoutWords + 1, 60);
  img.setByte(ImageByte::PoutCondition, 0b0110);  // row 0: areas 1 and 2 on
  return img;
}

TEST(MapGraphView2D, ReadoutUnderThePointerAndUnitMarks) {
  Graph2D g;
  // Half way between two points of the first curve, above it.
  const QPointF a = g.pos(6, 0), b = g.pos(7, 0);
  const QPoint at(static_cast<int>((a.x() + b.x()) / 2), static_cast<int>(a.y() - 2 * g.perValue));
  QTest::mouseMove(g.p.tab, at);
  EXPECT_EQ(g.p.tab->graph().status(), "RPM = 7 500; Advance = 2 °");
  // In the 3D view the status line reads out the cell under the pointer.
  g.p.tab->setView(4);
  g.p.tab->render();
  const QPoint cell3D = g.p.tab->graph().drawnCell3D(ElemRef{4, 0}).toPoint();
  const QString hint = g.p.tab->hintAt(cell3D + QPoint(2, 1));
  EXPECT_TRUE(hint.endsWith("|TP = 0 %; RPM = 5 000; Advance = 20 °")) << hint.toStdString();
  // The table marks a cell that differs from the unit's copy.
  ParamImage unit = g.p.img;
  unit.setByte(ImageByte::Advance + 2 * 15 + 3, 120);
  loadUnitCopy(g.p.tab->model(), unit, true);
  g.p.tab->setView(1);
  g.p.tab->render();
  const QRect cell = g.p.tab->elementRect(3, 2), other = g.p.tab->elementRect(4, 2);
  EXPECT_EQ(g.p.tab->offscreen().pixelColor(cell.right() - 2, cell.top() + 2), QColor(Qt::red));
  EXPECT_NE(g.p.tab->offscreen().pixelColor(other.right() - 2, other.top() + 2), QColor(Qt::red));
}

TEST(MapEditorConditionMap, RubberBandSwitchesOnlyEditableAreasOfAnEnabledSheet) {
  struct Case {
    const char* what;
    int function;
    bool disable;
    int row0;  // the first row's bits afterwards
  } cases[] = {
      {"special, editable", 255, false, 0b0001},
      {"not editable (stored function 3)", 3, false, 0b0110},
      {"disabled sheet", 255, true, 0b0110},
  };
  for (const Case& c : cases) {
    Page p(kOwnerPoutCondition, conditionImage(c.function));
    if (c.disable) p.sheet().enabled = 0;
    p.sheet().cell(3, 0) = 2;  // 0, 1, 1, 2 -> 1, 0, 0, 0 ... over the first row
    p.tab->refresh();
    p.tab->render();
    const QRectF plot = p.tab->conditionPlot();
    const QPoint from(static_cast<int>(plot.left() + 3), static_cast<int>(plot.top() + 3));
    const QPoint to(static_cast<int>(plot.right() - 3), static_cast<int>(plot.top() + 5));
    p.drag(from, to);
    EXPECT_EQ(p.img.byte(ImageByte::PoutCondition), c.row0) << c.what;
    EXPECT_EQ(p.img.byte(ImageByte::PoutCondition + 1), 0) << c.what;
    EXPECT_EQ(p.stores, c.row0 == 0b0001 ? 1 : 0) << c.what;
  }
}

TEST(MapEditorConditionMap, ProportionalLinesDragAndWheel) {
  Page p(kOwnerPoutCondition, conditionImage(255));
  MapGraphView& g = p.tab->graph();
  const QRectF plot = p.tab->conditionPlot();
  // At equal distances the lines do not move (the drag switches areas).
  const QPoint eq(static_cast<int>(std::lround(g.conditionLineX(plot, 1))),
                  static_cast<int>(plot.center().y()));
  p.drag(eq, eq + QPoint(20, 0));
  EXPECT_EQ(p.sheet().x.values[1], 70);
  const int stores = p.stores;
  g.conditionProportional = true;
  p.tab->refresh();
  const QPoint line(static_cast<int>(std::lround(g.conditionLineX(plot, 1))),
                    static_cast<int>(plot.center().y()));
  const double perRaw = plot.width() / p.sheet().x.maxValue;
  p.drag(line, line + QPoint(static_cast<int>(std::lround(10 * perRaw)), 0));
  EXPECT_EQ(p.sheet().x.values[1], 80);
  EXPECT_EQ(p.img.byte(ImageByte::PoutThreshold + 1), 80);
  EXPECT_EQ(p.stores, stores + 1);
  // The wheel over a line moves it by one per notch.
  const QPoint at(static_cast<int>(std::lround(g.conditionLineX(plot, 1))),
                  static_cast<int>(plot.center().y()));
  QTest::mouseMove(p.tab, at);
  QWheelEvent e(QPointF(at), QPointF(p.tab->mapToGlobal(at)), QPoint(), QPoint(0, 240),
                Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(p.tab, &e);
  EXPECT_EQ(p.sheet().x.values[1], 82);
}

TEST(MapGraphView3D, TurningWheelKeysAndPresets) {
  Page p;
  ASSERT_TRUE(p.tab->setView(4));
  MapGraphView& g = p.tab->graph();
  const QRect frame = p.tab->graphFrame();
  EXPECT_EQ(g.rotation, presetRotation(Preset::Iso2));
  const QPoint from = frame.center();
  // The plot's hint is a tooltip until the view was turned once.
  EXPECT_GT(g.hint3D(frame, from).indexOf('|'), 0);
  p.drag(from, from + QPoint(20, -30));
  EXPECT_EQ(g.rotation, (Rotation{-2, 26, 0}));
  EXPECT_EQ(g.hint3D(frame, from).indexOf('|'), 0);
  auto wheel = [&](QPoint at, Qt::KeyboardModifiers mods) {
    QWheelEvent e(QPointF(at), QPointF(p.tab->mapToGlobal(at)), QPoint(), QPoint(0, 120),
                  Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(p.tab, &e);
  };
  wheel(from, Qt::NoModifier);
  wheel(from, Qt::ControlModifier);
  wheel(from, Qt::ShiftModifier);
  EXPECT_EQ(g.rotation.xyz, 1);
  EXPECT_EQ(g.drawMode, 5);
  EXPECT_EQ(g.labelMode, 3);
  wheel(from, Qt::ControlModifier);
  EXPECT_EQ(g.drawMode, 5);  // cut at the finest mode
  p.tab->setFocus();
  p.key(Qt::Key_Space);
  EXPECT_EQ(g.labelMode, 0);
  // The wheel over the left panel sets the actual value, not the selection.
  p.tab->model().setLiveValues(3000, 0, 0, 0);
  p.tab->model().updateActual();
  p.tab->model().selectRect(kSelCells, 0, 5, 0, 5, false);
  const MapSheet& s = p.sheet();
  ASSERT_EQ(s.actualState, 1);
  EXPECT_GT(g.hint3D(frame, QPoint(frame.left() + 20, frame.top() + 100)).indexOf('|'), 0);
  wheel(QPoint(frame.left() + 20, frame.top() + 100), Qt::NoModifier);
  EXPECT_EQ(p.sheet().cell(s.actualCol, s.actualRow), 1);
  EXPECT_EQ(p.sheet().cell(0, 5), 0);
  EXPECT_EQ(g.hint3D(frame, QPoint(frame.left() + 20, frame.top() + 100)).indexOf('|'), 0);
  g.setPreset(Preset::Top);
  EXPECT_EQ(presetOf(g.rotation), static_cast<int>(Preset::Top));
}

TEST(MapGraphView3D, ASurfaceSeenFromAboveShowsNoUnderside) {
  // A gently sloped map seen from above in every preset and mode: none of
  // its triangles is drawn in the grey of an underside.
  for (Preset preset : {Preset::Top, Preset::Iso1, Preset::Iso2})
    for (int mode : {1, 4}) {
      Page p;
      for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 15; ++c) p.sheet().cell(c, r) = 10 + c - r;
      p.tab->setView(4);
      p.tab->graph().setPreset(preset);
      p.tab->graph().drawMode = mode;
      p.tab->graph().labelMode = 0;
      p.tab->render();
      const QImage& img = p.tab->offscreen();
      const MapGraphView& g = p.tab->graph();
      int grey = 0;
      // A point inside each of the four triangles of every patch.
      for (int r = 0; r + 1 < 10; ++r)
        for (int c = 0; c + 1 < 15; ++c) {
          const QPointF q[4] = {g.drawnCell3D({c, r}), g.drawnCell3D({c + 1, r}),
                                g.drawnCell3D({c + 1, r + 1}), g.drawnCell3D({c, r + 1})};
          const QPointF centre = (q[0] + q[1] + q[2] + q[3]) / 4;
          for (int e = 0; e < 4; ++e) {
            const QPoint at = ((q[e] + q[(e + 1) % 4] + 2 * centre) / 4).toPoint();
            grey += img.pixel(at) == qRgb(0xC0, 0xC0, 0xC0);
          }
        }
      EXPECT_EQ(grey, 0) << "preset " << static_cast<int>(preset) << ", mode " << mode;
    }
}

TEST(MapGraphViewBeside, AOneRowMapShowsItsCurveBelowTheTable) {
  ParamImage img = flatAdvanceImage();
  img.setByte(ImageByte::AdvMap, 0);
  Page one(kOwnerAdvance, img);
  const QRect frame = one.tab->graphFrame();
  ASSERT_FALSE(frame.isEmpty());
  EXPECT_GT(frame.top(), one.tab->elementRect(0, 9).bottom());
  // Its points take the pointer and the wheel like the 2D view.
  const QPoint at = one.tab->graph().pointPos(frame, ElemRef{2, 9}).toPoint();
  QTest::mouseMove(one.tab, at);
  QWheelEvent e(QPointF(at), QPointF(one.tab->mapToGlobal(at)), QPoint(), QPoint(0, 120),
                Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(one.tab, &e);
  EXPECT_EQ(one.sheet().cell(2, 9), 1);
  // A full 15 x 10 map leaves no room.
  Page full;
  EXPECT_TRUE(full.tab->graphFrame().isEmpty());
}

TEST(MapEditorPaint, AnyPainterAndTinyControls) {
  for (int view : {1, 2, 4}) {
    Page p;
    ASSERT_TRUE(p.tab->setView(view));
    QPicture picture;
    QPainter painter(&picture);
    p.tab->paint(painter);
    painter.end();
    EXPECT_GT(picture.size(), 1000u) << view;
  }
  // The 3D surface drawn straight into the image is the one drawn as
  // polygons into other devices (a picture replayed here), pixel for pixel
  // but for a few along the edges.
  for (int mode : {1, 4}) {
    Page p;
    p.tab->setView(4);
    p.tab->graph().drawMode = mode;
    for (int i = 0; i < 150; ++i) p.sheet().cell(i % 15, i / 15) = (i * 7) % 45;
    p.tab->render();
    const QImage direct = p.tab->offscreen();
    QPicture picture;
    QPainter recorder(&picture);
    p.tab->paint(recorder);
    recorder.end();
    QImage replayed(direct.size(), QImage::Format_RGB32);
    QPainter player(&replayed);
    player.drawPicture(0, 0, picture);
    player.end();
    int differ = 0;
    for (int y = 0; y < direct.height(); ++y)
      for (int x = 0; x < direct.width(); ++x) differ += direct.pixel(x, y) != replayed.pixel(x, y);
    EXPECT_LT(differ, direct.width() * direct.height() / 100) << "mode " << mode;
  }
  // Controls far too small for their plots draw and take the pointer
  // without dividing by nothing.
  for (int view : {1, 2, 4})
    for (QSize size : {QSize(60, 40), QSize(1, 1), QSize(200, 30)}) {
      Page p(kOwnerAdvance, flatAdvanceImage(), size.width(), size.height());
      p.tab->setView(view);
      p.tab->render();
      const QPoint at(size.width() / 2, size.height() / 2);
      QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier, at);
      QWheelEvent e(QPointF(at), QPointF(p.tab->mapToGlobal(at)), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(p.tab, &e);
      p.tab->render();
      EXPECT_EQ(p.tab->offscreen().size(), p.tab->size());
    }
}

}  // namespace
}  // namespace q3
