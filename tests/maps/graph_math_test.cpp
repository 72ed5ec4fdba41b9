// The maths of the map graphs: ranges and grids of the advance maps, axis
// labels, stacking, rotation, presets, projection, palette, interesting
// values, the condition map's geometry, and the edits made in the graphs.
#include "maps/graph_math.h"

#include <gtest/gtest.h>

#include <cmath>

#include "maps/graph_edit.h"
#include "maps/maps_fixture.h"

namespace q3 {
namespace {

using q3test::advanceImage;
using q3test::BoundMap;

TEST(GraphRanges, AdvanceValuesTenToEighteenGiveFiveToTwenty) {
  BoundMap b(kOwnerAdvance);
  for (int m = 0; m < 2; ++m)
    for (int r = 0; r < 10; ++r)
      for (int c = 0; c < 15; ++c) b.m.sheet(m).cell(c, r) = 10 + (c + r) % 9;
  b.m.baseAdvance = 12;
  const GraphRanges g = graphRanges(b.m, 0);
  EXPECT_EQ(g.v.lo, 5);
  EXPECT_EQ(g.v.hi, 20);
  EXPECT_EQ(g.v.grid.step[0], 5);
  // A base advance outside the cells widens the value range; the X range
  // starts at 0 for the base-advance area and reaches the rev limiter.
  b.m.baseAdvance = 2;
  EXPECT_EQ(graphRanges(b.m, 0).v.lo, 0);
  EXPECT_EQ(g.x.lo, 0);
  EXPECT_GE(g.x.hi * 100, 15000);
}

TEST(GraphRanges, EngineSpeedGridAndLabels) {
  struct Case {
    int lastBreakpoint;  // raw, x 100 rpm
    int revLimiter;      // rpm
    double step4;
    std::vector<std::string> labels;
  } cases[] = {
      {30, 0, 1000, {"0", "1k", "2k", "3k"}},  // up to 4000 rpm
      {90, 0, 1000, {"0", "1k", "2k", "3k"}},  // up to 10 000 rpm
      {150, 16000, 2000, {"0", "2k", "4k", "6k"}},
  };
  for (const Case& c : cases) {
    BoundMap b(kOwnerAdvance);
    for (int m = 0; m < 2; ++m) {
      MapSheet& s = b.m.sheet(m);
      for (int i = 0; i < 15; ++i)
        s.x.values[static_cast<size_t>(i)] = 3 + (c.lastBreakpoint - 3) * i / 14;
    }
    b.m.revLimiter = c.revLimiter;
    b.m.startLimiter = 0;
    const GraphRanges g = graphRanges(b.m, 0);
    EXPECT_EQ(g.x.grid.step[1], 1000) << c.lastBreakpoint;
    EXPECT_EQ(g.x.grid.step[3], c.step4) << c.lastBreakpoint;
    const std::vector<double> lines = gridPositions(g.x, 1);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_DOUBLE_EQ((lines[1] - lines[0]) * g.x.scale, 1000) << c.lastBreakpoint;
    const std::vector<double> at = gridPositions(g.x, 3);
    ASSERT_GE(at.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
      EXPECT_EQ(gridLabel(at[i] * g.x.scale, g.x.grid.step[3]), c.labels[i]) << i;
    EXPECT_GE(g.x.hi * g.x.scale, c.revLimiter);
  }
}

TEST(GraphLabels, FormatFollowsTheLabelStep) {
  struct Case {
    double v, step4;
    const char* text;
  } cases[] = {
      {0.0025, 0.0005, "2.50m"}, {0.005, 0.005, "5m"}, {0.25, 0.05, "0.25"},
      {1.5, 0.5, "1.5"},         {20, 5, "20"},        {2000, 1000, "2k"},
      {2000000, 1e6, "2M"},      {-0.0, 1, "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(gridLabel(c.v, c.step4), c.text) << c.v;
}

TEST(GraphRanges, StackedCurvesDoNotCrossAndNoStepLoops) {
  BoundMap b(kOwnerAdvance);
  MapSheet& s = b.m.sheet(0);
  for (int m = 0; m < 2; ++m)  // map 2 shares the ranges
    for (int r = 0; r < 10; ++r)
      for (int c = 0; c < 15; ++c) b.m.sheet(m).cell(c, r) = 10 + (c == 4 && m == 0 ? 3 * r : 0);
  GraphRanges g = graphRanges(b.m, 0);
  stackCurves(g, 10);
  EXPECT_EQ(g.stackOffset, 10);  // ceil((3 + 2.5) / 5) * 5
  EXPECT_EQ(g.v.hi, 9 * 10 + 15);
  // Curves that fall row by row still get a lift of one step.
  for (int r = 0; r < 10; ++r) s.cell(4, r) = 40 - 3 * r;
  g = graphRanges(b.m, 0);
  stackCurves(g, 10);
  EXPECT_GT(g.stackOffset, 0);

  // Steps that are not positive and spans of nothing draw a bounded grid.
  GraphAxis a;
  a.lo = 0;
  a.hi = 1e9;
  for (double step : {0.0, -5.0, 1e-12, double(NAN)}) {
    a.grid.step[1] = step;
    EXPECT_LE(gridPositions(a, 1).size(), 402u) << step;
  }
  a.hi = a.lo;
  EXPECT_TRUE(gridPositions(a, 1).empty());
  Plot2D p;
  p.width = 0;
  p.height = -3;
  p.xhi = p.xlo = 5;
  EXPECT_TRUE(std::isfinite(p.px(7)) && std::isfinite(p.py(7)) && std::isfinite(p.rawX(3)));
}

TEST(Rotation3D, WrapAroundAndPresets) {
  struct Case {
    int in, out;
  } wraps[] = {{-35, -35}, {-36, 36}, {36, 36}, {37, -35}, {0, 0}, {72, 0}, {-108, 36}};
  for (const Case& c : wraps) EXPECT_EQ(wrapAngle(c.in), c.out) << c.in;
  EXPECT_EQ(presetRotation(Preset::Top), (Rotation{-18, 0, 0}));
  EXPECT_EQ(presetRotation(Preset::Iso1), (Rotation{-5, 4, 0}));
  EXPECT_EQ(presetRotation(Preset::Iso2), (Rotation{-5, 24, 0}));
  EXPECT_EQ(presetOf(Rotation{}), static_cast<int>(Preset::Iso2));
  EXPECT_EQ(presetOf(Rotation{-5, 4, 0}), static_cast<int>(Preset::Iso1));
  EXPECT_EQ(presetOf(Rotation{-5, 24, 1}), -1);
}

TEST(Rotation3D, TheTurnedCubeStaysInsideThePlot) {
  // Whatever the angles, the eight corners of the cube project between the
  // plot's left edge and its width, and between its bottom and its height.
  const double x0 = 150, bottom = 580, w = 840, h = 560;
  for (int ax = kAngleMin; ax <= kAngleMax; ax += 5)
    for (int axy = kAngleMin; axy <= kAngleMax; axy += 7)
      for (int axyz = kAngleMin; axyz <= kAngleMax; axyz += 11) {
        const Projection3D p(Rotation{ax, axy, axyz}, x0, bottom, w, h);
        double minX = 1e9, maxX = -1e9, minY = 1e9, maxY = -1e9;
        for (int k = 0; k < 8; ++k) {
          const PointF q = p.project(k & 1 ? h : 0, k & 2 ? h : 0, k & 4 ? h : 0);
          minX = std::min(minX, q.x);
          maxX = std::max(maxX, q.x);
          minY = std::min(minY, q.y);
          maxY = std::max(maxY, q.y);
        }
        ASSERT_NEAR(minX, x0, 1e-6) << ax << " " << axy << " " << axyz;
        ASSERT_LE(maxX, x0 + w * 0.95 + 1e-6);
        ASSERT_NEAR(maxY, bottom, 1e-6);
        ASSERT_GE(minY, bottom - h - 1e-6);
      }
  // Seen from the top, the height does not move a point on the screen and
  // the far edge of the breakpoints is the one with less depth.
  const Projection3D top(presetRotation(Preset::Top), 0, 500, 500, 500);
  EXPECT_NEAR(top.project(10, 0, 20).y, top.project(10, 400, 20).y, 1e-9);
}

TEST(Palette3D, AnchorsAndHeightIndex) {
  struct Case {
    int index;
    uint32_t bgr;
  } cases[] = {{0, 0x550000},  {5, 0xAA0000},  {10, 0xFF0000}, {20, 0xFFFF00}, {30, 0x00FF00},
               {38, 0x00FFFF}, {50, 0x00CCCC}, {61, 0x0000FF}, {-4, 0x550000}, {70, 0x0000FF}};
  for (const Case& c : cases) EXPECT_EQ(paletteColour(c.index), c.bgr) << c.index;
  EXPECT_DOUBLE_EQ(heightIndex(15, -30, 60), 30.5);
  EXPECT_DOUBLE_EQ(heightIndex(-99, -30, 60), 0);
  EXPECT_DOUBLE_EQ(heightIndex(99, -30, 60), 61);
  EXPECT_DOUBLE_EQ(heightIndex(5, 5, 5), 0);
}

TEST(Values3D, InterestingCells) {
  MapModel m;
  m.addSheet("S", "RPM", "TP", "V", 3, 3, 0);
  MapSheet& s = m.sheet(0);
  const int grid[3][3] = {{1, 1, 1}, {1, 5, 1}, {0, 1, 2}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) s.cell(c, r) = grid[r][c];
  struct Case {
    int col, row;
    bool interesting;
  } cases[] = {{1, 1, true}, {0, 2, true}, {2, 2, true}, {1, 0, false}, {0, 1, false}};
  for (const Case& c : cases)
    EXPECT_EQ(interestingCell(s, c.col, c.row), c.interesting) << c.col << "," << c.row;
  // A value equal to both its left and right neighbour is not interesting.
  s.y.collapsed = 1;
  s.y.collapsedIndex = 0;
  EXPECT_FALSE(interestingCell(s, 1, 0));
  // A lone cell is.
  s.x.count = 1;
  EXPECT_TRUE(interestingCell(s, 0, 0));
}

TEST(ConditionMap, LinesAreasAndSwitching) {
  ParamImage img = advanceImage();
  img.setByte(ImageByte::PoutFunction, 255);
  for (int c = 0; c < 3; ++c) img.setByte(ImageByte::PoutThreshold + c, 50 * (c + 1));
  img.setWord(ImageWord::PoutWords, 20);
  img.setWord(ImageWord::PoutWords + 1, 60);
  img.setByte(ImageByte::PoutCondition, 0b0110);  // row 0: areas 1 and 2 on
  img.setByte(ImageByte::PoutFurther, 30);        // hysteresis 300 rpm
  BoundMap b(kOwnerPoutCondition, img);
  const MapSheet& s = b.sheet();
  EXPECT_EQ(b.m.hysteresisRpm, 300);
  const ConditionGeometry eq = conditionGeometry(s, false);
  EXPECT_EQ(eq.xLines, (std::vector<double>{0.25, 0.5, 0.75}));
  EXPECT_EQ(eq.areaRows(), 3);
  const ConditionGeometry pr = conditionGeometry(s, true);
  EXPECT_DOUBLE_EQ(pr.xLines[0], 50.0 / 250);
  EXPECT_DOUBLE_EQ(pr.yLines[1], 0.6);
  EXPECT_EQ(eq.columnAt(0.1), 0);
  EXPECT_EQ(eq.columnAt(0.6), 2);
  EXPECT_EQ(eq.columnAt(0.99), 3);

  // 0, 1, 2 become 1, 0, 0; one change.
  b.sheet().cell(3, 0) = 2;
  ASSERT_TRUE(switchAreas(b.m, 0, 0, 3, 0));
  EXPECT_EQ(b.sheet().cell(0, 0), 1);
  EXPECT_EQ(b.sheet().cell(1, 0), 0);
  EXPECT_EQ(b.sheet().cell(3, 0), 0);
  EXPECT_EQ(b.img.byte(ImageByte::PoutCondition), 0b0001);
  EXPECT_EQ(b.stores, 1);
  // Areas that are not editable, or a disabled sheet, do not switch.
  b.sheet().v.editable = 0;
  EXPECT_FALSE(switchAreas(b.m, 0, 0, 3, 2));
  b.sheet().v.editable = 1;
  b.sheet().enabled = 0;
  EXPECT_FALSE(switchAreas(b.m, 0, 0, 3, 2));
  EXPECT_EQ(b.img.byte(ImageByte::PoutCondition), 0b0001);
  EXPECT_EQ(b.stores, 1);
}

TEST(GraphDragEdit, OnePointDragIsOneChangeMovedByTravel) {
  BoundMap b(kOwnerAdvance);
  MapSheet& s = b.sheet();
  const int before = s.cell(3, 2), bp = s.x.values[3];
  GraphDrag d;
  ASSERT_TRUE(d.begin(b.m, GraphItem{GraphItem::Point, {3, 2}}, {{3, 2}}));
  for (int i = 1; i <= 20; ++i) {
    d.moveTo(0.2 * i, 0.25 * i);  // the pointer travels for many ticks
    b.m.timerStep();
    if (i == 10)  // and rests a while on the way
      for (int k = 0; k < 12; ++k) b.m.timerStep();
  }
  EXPECT_EQ(b.stores, 0);
  d.end();
  EXPECT_EQ(b.stores, 1);
  EXPECT_EQ(b.sheet().cell(3, 2), before + 5);
  EXPECT_EQ(b.sheet().x.values[3], bp + 4);
  EXPECT_EQ(b.img.byte(ImageByte::Advance + 2 * 15 + 3), 100 + before + 5);
  // A press and release without travel changes nothing and tells nobody.
  ASSERT_TRUE(d.begin(b.m, GraphItem{GraphItem::Point, {3, 2}}));
  d.end();
  EXPECT_EQ(b.stores, 1);
}

TEST(GraphDragEdit, WithXNotEditableOnlyTheValueMoves) {
  BoundMap b(kOwnerAdvance);
  b.sheet().x.editable = 0;
  const std::vector<int32_t> xs = b.sheet().x.values;
  GraphDrag d;
  // Shift: the whole curve; Ctrl: the column across the curves.
  const std::vector<ElemRef> marked = markedPoints(b.sheet(), {5, 1}, true, false);
  EXPECT_EQ(marked.size(), 15u);
  ASSERT_TRUE(d.begin(b.m, GraphItem{GraphItem::Point, {5, 1}}, marked));
  d.moveTo(7, -2);
  d.end();
  EXPECT_EQ(b.sheet().x.values, xs);
  EXPECT_EQ(b.sheet().cell(0, 1), 15 - 2);
  EXPECT_EQ(b.sheet().cell(14, 1), 29 - 2);
  EXPECT_EQ(b.sheet().cell(5, 2), 35);  // another curve
  EXPECT_EQ(markedPoints(b.sheet(), {5, 1}, false, true).size(), 10u);
  // Neither the value nor the breakpoint can move: no drag at all.
  b.sheet().v.editable = 0;
  EXPECT_FALSE(d.begin(b.m, GraphItem{GraphItem::Point, {5, 1}}));
  EXPECT_EQ(b.m.openKey(), 0);
}

TEST(GraphDragEdit, BaseAdvanceAndLimitersReachTheImage) {
  struct Case {
    GraphItem::Kind kind;
    double dPrimary, dValue;
    int byte, expected;
  } cases[] = {
      {GraphItem::Base, 0, 4, ImageByte::BaseAdv, 14},
      {GraphItem::Base, 0, -25, ImageByte::BaseAdv, 0},  // never below 0 (would be 255)
      {GraphItem::RevLimiter, 13.4, 0, ImageByte::Limiter, 133},
      {GraphItem::StartLimiter, -20, 0, ImageByte::StartLim, 20},
  };
  for (const Case& c : cases) {
    BoundMap b(kOwnerAdvance);
    GraphDrag d;
    ASSERT_TRUE(d.begin(b.m, GraphItem{c.kind, {}}));
    d.moveTo(c.dPrimary, c.dValue);
    d.end();
    EXPECT_EQ(b.img.byte(c.byte), c.expected) << c.kind;
    EXPECT_EQ(b.stores, 1);
  }
  // Stepping the base advance down with "-" in the base-advance area.
  BoundMap b(kOwnerAdvance);
  b.m.baseAdvance = 1;
  b.m.setLiveValues(500, 0, 0, 0);
  b.m.updateActual();
  ASSERT_EQ(b.sheet().actualCol, -1);
  for (int i = 0; i < 3; ++i) b.m.incrementActual(-1);
  for (int i = 0; i < 6; ++i) b.m.timerStep();
  EXPECT_EQ(b.img.byte(ImageByte::BaseAdv), 0);
}

TEST(GraphDragEdit, ReadoutUnderThePointer) {
  BoundMap b(kOwnerAdvance);
  EXPECT_EQ(graphReadout(b.m, 43.2, 16.6), "RPM = 4 300; Advance = 17 °");
  // An equidistant primary axis reads out its nearest breakpoint.
  b.sheet().x.proportional = 0;
  EXPECT_EQ(graphReadout(b.m, 2.4, -3), "RPM = 3 000; Advance = -3 °");
}

TEST(GraphDragEdit, StatusTexts) {
  BoundMap b(kOwnerAdvance);
  b.sheet().cell(2, 3) = 17;
  EXPECT_EQ(graphStatusText(b.m, GraphItem{GraphItem::Point, {2, 3}}, false),
            "TP = 10 %; RPM = 3 000; Advance = 17 °");
  EXPECT_EQ(graphStatusText(b.m, GraphItem{GraphItem::Base, {}}, true),
            "Dragging: Base advance = 10 °");
  EXPECT_EQ(graphStatusText(b.m, GraphItem{GraphItem::RevLimiter, {}}, false), "Limiter = 12 000");
  EXPECT_EQ(graphStatusText(b.m, GraphItem{}, false), "");
}

}  // namespace
}  // namespace q3
