// The sheet model: limits, value texts, the elastic breakpoint rule, insert,
// interpolation, the actual position and the change protocol.
#include "maps/map_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace q3 {
namespace {

// A model with one sheet of n columns and m rows; X axis "RPM" (scale 100).
struct Fixture {
  MapModel m{kOptTable, 0};
  int commits = 0;
  explicit Fixture(int cols = 5, int rows = 1, int flags = 1, int xmax = 60) {
    m.addSheet("S", "RPM", "TP", "V", std::max(cols, 15), rows + 2, flags);
    AxisSetup x;
    x.name = "RPM";
    x.minValue = 0;
    x.maxValue = xmax;
    x.scale = 100;
    x.editable = 1;
    x.minCount = 1;
    x.count = cols;
    x.resizable = 1;
    x.usage = 1;
    m.setAxis(0, 1, x);
    AxisSetup y;
    y.name = "TP";
    y.maxValue = 100;
    y.count = rows;
    y.minCount = 1;
    y.usage = 1;
    y.collapsedPreference = -2;
    y.resizable = 1;
    y.editable = 1;
    m.setAxis(0, 2, y);
    AxisSetup v;
    v.name = "ADV";
    v.minValue = -30;
    v.maxValue = 60;
    v.editable = 1;
    m.setAxis(0, 4, v);
    m.setOwnerNotify([this](MapModel&) { ++commits; });
  }
  std::vector<int> xs() {
    MapSheet& s = m.sheet(0);
    return std::vector<int>(s.x.values.begin(), s.x.values.begin() + s.x.count);
  }
  void setX(std::vector<int> v) {
    MapSheet& s = m.sheet(0);
    for (size_t i = 0; i < v.size(); ++i) s.x.values[i] = v[i];
    m.normalizeAxes(0, kNormalizeForget | kChangeX);
  }
  void typeX(int col, int value) {
    ASSERT_TRUE(m.enterText(ElemRef{col, -1}, std::to_string(value * 100)));
  }
};

TEST(SheetLimits, NinthSheetAndOversizeRequests) {
  MapModel m;
  for (int i = 0; i < 8; ++i) EXPECT_EQ(m.addSheet("s", "RPM", "TP", "V", 60, 40, 0), i);
  EXPECT_EQ(m.addSheet("s", "RPM", "TP", "V", 5, 5, 0), -1);
  EXPECT_EQ(m.sheetCount(), 8);
  EXPECT_EQ(m.sheet(0).x.count, 50);
  EXPECT_EQ(m.sheet(0).x.maxCount, 50);
  EXPECT_EQ(m.sheet(0).y.count, 30);
}

TEST(ValueText, ScalesDecimalsAndGroups) {
  struct Case {
    int raw;
    double scale;
    const char* unit;
    const char* text;
  } cases[] = {
      {120, 100, nullptr, "12 000"},    {-123, 1, nullptr, "-123"},
      {-1234, 1, nullptr, "-1 234"},    {5, 0.1, nullptr, "0.5"},
      {20, 0.1, nullptr, "2"},          {3, 0.25, nullptr, "0.8"},
      {101, 0.02, "V", "2.02 V"},       {650, 0.001, "V", "0.65 V"},
      {1234567, 1, "%", "1 234 567 %"}, {0, 1, nullptr, "0"},
      {-1, 0.001, nullptr, "-0.001"},   {100, 0.02, nullptr, "2"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(valueText(c.raw, c.scale, c.unit), c.text) << c.raw << " x " << c.scale;
}

TEST(ValueText, EnteredNumbers) {
  double v = 0;
  EXPECT_TRUE(parseEnteredNumber("1 2,5", &v));
  EXPECT_DOUBLE_EQ(v, 12.5);
  EXPECT_TRUE(parseEnteredNumber("-3.25", &v));
  EXPECT_DOUBLE_EQ(v, -3.25);
  for (const char* bad : {"", "abc", "1,2,3", "0x10", "1e5", "--1", " "})
    EXPECT_FALSE(parseEnteredNumber(bad, &v)) << bad;
  EXPECT_EQ(roundHalfAway(2.5), 3);
  EXPECT_EQ(roundHalfAway(-2.5), -3);
  EXPECT_EQ(roundHalfAway(1e20), INT32_MAX);
}

TEST(ValueText, StoredMultiLanguageTextsAreReadEachTime) {
  // A sheet name reused in the same buffer must not give the old text back.
  std::string name = "###Advance 1##Vorzündung 1##Předstih 1";
  EXPECT_EQ(languageText(name), "Advance 1");
  name = "###Advance 2##Vorzündung 2##Předstih 2";
  EXPECT_EQ(languageText(name), "Advance 2");
  EXPECT_EQ(languageText(name, 2), "Předstih 2");
  EXPECT_EQ(languageText("RPM"), "RPM");
}

TEST(ElasticRule, PushSpringBackForgetAndCut) {
  Fixture f;
  f.setX({10, 20, 30, 40, 50});
  f.m.copyValuesToPrevious();
  f.typeX(2, 55);
  EXPECT_EQ(f.xs(), (std::vector<int>{10, 20, 55, 56, 57}));
  f.typeX(2, 30);
  EXPECT_EQ(f.xs(), (std::vector<int>{10, 20, 30, 40, 50}));

  // Another breakpoint edited in between forgets where the pushed ones were.
  f.typeX(2, 55);
  f.typeX(1, 21);
  f.typeX(2, 30);
  EXPECT_EQ(f.xs(), (std::vector<int>{10, 21, 30, 56, 57}));

  Fixture g;
  g.setX({10, 20, 30, 40, 50});
  g.typeX(2, 59);
  EXPECT_EQ(g.xs(), (std::vector<int>{10, 20, 58, 59, 60}));
  // Pushing downwards and springing back up.
  g.typeX(2, 30);
  g.typeX(3, 5);
  EXPECT_EQ(g.xs(), (std::vector<int>{2, 3, 4, 5, 50}));
  g.typeX(3, 45);
  EXPECT_EQ(g.xs(), (std::vector<int>{10, 20, 30, 45, 50}));
}

TEST(ElasticRule, LoadedValuesAreOrderedAndCellsClamped) {
  Fixture f(4, 2);
  MapSheet& s = f.m.sheet(0);
  s.x.values[0] = 30;
  s.x.values[1] = 10;
  s.x.values[2] = 10;
  s.x.values[3] = 99;
  s.cell(0, 0) = 100;
  s.cell(3, 1) = -100;
  s.cell(4, 1) = 500;  // outside the used columns: left alone
  f.m.normalizeAxes(0, kNormalizeForget | kChangeX | kChangeCells);
  EXPECT_EQ(f.xs(), (std::vector<int>{30, 31, 32, 60}));
  EXPECT_EQ(s.cell(0, 0), 60);
  EXPECT_EQ(s.cell(3, 1), -30);
  EXPECT_EQ(s.cell(4, 1), 500);
}

TEST(InsertColumn, MiddleEndAndMaximum) {
  Fixture f(3, 1);
  f.setX({10, 20, 30});
  MapSheet& s = f.m.sheet(0);
  s.cell(1, 0) = -3;
  s.cell(2, 0) = 0;
  ASSERT_TRUE(f.m.insertColumn(2));
  EXPECT_EQ(f.xs(), (std::vector<int>{10, 20, 25, 30}));
  EXPECT_EQ(s.cell(2, 0), -1);
  EXPECT_EQ(s.cell(3, 0), 0);
  EXPECT_EQ(f.commits, 1);
  EXPECT_TRUE(f.m.isSelected(ElemRef{2, 0}));

  // At the end: last breakpoint plus the gap, unless a larger value is still there.
  Fixture g(3, 1);
  g.setX({10, 20, 30});
  ASSERT_TRUE(g.m.insertColumn(3));
  EXPECT_EQ(g.xs(), (std::vector<int>{10, 20, 30, 31}));
  ASSERT_TRUE(g.m.deleteColumn(3));
  g.m.sheet(0).x.values[3] = 45;
  g.m.copyValuesToPrevious();
  ASSERT_TRUE(g.m.insertColumn(3));
  EXPECT_EQ(g.xs(), (std::vector<int>{10, 20, 30, 45}));

  Fixture full(50, 1, 1, 250);
  std::string why;
  EXPECT_FALSE(full.m.insertColumn(10, &why));
  EXPECT_EQ(full.m.sheet(0).x.count, 50);
  EXPECT_NE(why.find("Column count is on maximum"), std::string::npos);
}

TEST(DeleteColumns, MinimumCollapsedAndSelectedColumns) {
  Fixture f(5, 2);
  f.setX({10, 20, 30, 40, 50});
  MapSheet& s = f.m.sheet(0);
  for (int c = 0; c < 5; ++c) s.cell(c, 1) = c;
  f.m.selectRect(kSelCells, 1, 0, 1, 1, false);
  f.m.selectRect(kSelCells, 3, 0, 3, 1, true);
  f.m.deleteSelectedColumns();
  EXPECT_EQ(f.xs(), (std::vector<int>{10, 30, 50}));
  EXPECT_EQ(s.cell(1, 1), 2);
  EXPECT_EQ(s.cell(2, 1), 4);
  EXPECT_EQ(f.commits, 1);  // the whole menu command is one change
  EXPECT_EQ(f.m.sheet(0).sel.count, 0);

  s.x.minCount = 3;
  EXPECT_FALSE(f.m.deleteColumn(0));
  s.x.minCount = 1;
  s.x.collapsed = 1;
  EXPECT_FALSE(f.m.deleteColumn(0));
}

TEST(Interpolation, ProportionalAndEquidistant) {
  for (int proportional : {1, 0}) {
    Fixture f(3, 1);
    f.setX({10, 15, 30});
    MapSheet& s = f.m.sheet(0);
    s.x.proportional = proportional;
    s.cell(0, 0) = 10;
    s.cell(1, 0) = 0;
    s.cell(2, 0) = 30;
    f.m.selectRect(kSelCells, 0, 0, 2, 0, false);
    ASSERT_TRUE(s.sel.interpReady);
    EXPECT_TRUE(s.sel.cellMarks[0] & kMarkCorner);
    ASSERT_TRUE(f.m.interpolate());
    EXPECT_EQ(s.cell(1, 0), proportional ? 15 : 20);
    EXPECT_EQ(s.cell(0, 0), 10);
    EXPECT_EQ(s.cell(2, 0), 30);
    EXPECT_EQ(s.sel.count, 0);
  }
  // A selection with a hole or only two columns is not interpolation-ready.
  Fixture g(4, 1);
  g.m.selectRect(kSelCells, 0, 0, 1, 0, false);
  EXPECT_FALSE(g.m.sheet(0).sel.interpReady);
  g.m.selectRect(kSelCells, 3, 0, 3, 0, true);
  EXPECT_FALSE(g.m.sheet(0).sel.interpReady);
  EXPECT_FALSE(g.m.interpolate());
}

TEST(ActualPosition, MidpointBaseAreaZeroRpmAndNoThrottle) {
  Fixture f(3, 1, 0x0101);
  f.setX({10, 20, 30});
  MapSheet& s = f.m.sheet(0);
  struct Case {
    int rpm, col, state;
  } cases[] = {
      {1500, 1, 1}, {1499, 0, 1}, {2600, 2, 1}, {999, -1, 1}, {0, -2, 0}, {9000, 2, 1},
  };
  for (const Case& c : cases) {
    f.m.setLiveValues(c.rpm, 500, 0, 0);
    f.m.updateActual();
    EXPECT_EQ(s.actualCol, c.col) << c.rpm;
    EXPECT_EQ(s.actualState, c.state) << c.rpm;
  }
  // Without the base-advance link the first column is taken below the axis.
  s.flags1 = 0;
  f.m.setLiveValues(500, 0, 0, 0);
  f.m.updateActual();
  EXPECT_EQ(s.actualCol, 0);

  f.m.setLiveValues(3000, -1, 0, 0);
  EXPECT_EQ(f.m.liveTp(), 100);
  f.m.setLiveValues(3000, 457, 0, 0);
  EXPECT_EQ(f.m.liveTp(), 45);
}

TEST(ActualPosition, AdvanceMapStates) {
  MapModel m;
  for (int i = 0; i < 2; ++i) {
    m.addSheet("A", "RPM", "TP", "ADV", 2, 2, 0x0701);
    AxisSetup x;
    x.name = "RPM";
    x.scale = 100;
    x.maxValue = 250;
    x.count = 2;
    m.setAxis(i, 1, x);
    AxisSetup y;
    y.name = i == 0 ? "TP" : "IAP";
    y.maxValue = 999;
    y.count = 2;
    m.setAxis(i, 2, y);
    AxisSetup v;
    v.name = "ADV";
    m.setAxis(i, 4, v);
  }
  struct Case {
    int sheet, flags, state;
  } cases[] = {
      {0, 0, 1}, {0, 1, 2}, {0, 0x10, -1}, {1, 0x01, -1}, {1, 0x21, 1}, {1, 0x20, 2},
  };
  for (const Case& c : cases) {
    m.setLiveValues(150, 0, 0, c.flags);
    m.updateActual(c.sheet);
    EXPECT_EQ(m.sheet(c.sheet).actualState, c.state) << c.sheet << " " << c.flags;
  }
}

TEST(ChangeProtocol, StepsMergeWithinFiveTicksOnOneElement) {
  Fixture f(5, 2);
  MapSheet& s = f.m.sheet(0);
  s.sel.cursorCol = 1;
  s.sel.cursorRow = 0;
  ASSERT_TRUE(f.m.incrementCursor(1));
  f.m.timerStep();
  f.m.timerStep();
  ASSERT_TRUE(f.m.incrementCursor(1));
  for (int i = 0; i < 4; ++i) f.m.timerStep();
  EXPECT_EQ(f.commits, 0);
  f.m.timerStep();
  EXPECT_EQ(f.commits, 1);
  EXPECT_EQ(s.cell(1, 0), 2);

  // A step on another element commits the open one at once.
  f.m.incrementCursor(1);
  s.sel.cursorRow = 1;
  f.m.incrementCursor(-1);
  EXPECT_EQ(f.commits, 2);
  s.sel.cursorCol = 2;
  f.m.incrementCursor(-1);
  EXPECT_EQ(f.commits, 3);
  // A structural edit right after a step is committed, not dropped.
  ASSERT_TRUE(f.m.enterText(ElemRef{3, 0}, "7"));
  EXPECT_EQ(f.commits, 5);
  EXPECT_EQ(f.m.openKey(), 0);
  // An end key without its begin is ignored.
  f.m.change(kChangeCells, kKeyStructEnd);
  EXPECT_EQ(f.commits, 5);
}

TEST(Increments, SelectionActualCellAndBaseAdvance) {
  Fixture f(3, 2, 0x0101);
  f.setX({10, 20, 30});
  MapSheet& s = f.m.sheet(0);
  f.m.baseAdvance = 10;
  // Without a selection: the actual cell, or the base advance below the map.
  f.m.setLiveValues(2000, 0, 0, 0);
  f.m.updateActual();
  ASSERT_TRUE(f.m.incrementActual(1));
  EXPECT_EQ(s.cell(1, 0), 1);
  f.m.setLiveValues(500, 0, 0, 0);
  f.m.updateActual();
  ASSERT_TRUE(f.m.incrementActual(-1));
  EXPECT_EQ(f.m.baseAdvance, 9);
  f.m.setLiveValues(0, 0, 0, 0);
  f.m.updateActual();
  EXPECT_FALSE(f.m.incrementActual(1));
  // With a selection every selected editable element steps; limits hold.
  f.m.selectRect(kSelCells, 0, 1, 2, 1, false);
  s.cell(2, 1) = 60;
  ASSERT_TRUE(f.m.incrementActual(1));
  EXPECT_EQ(s.cell(0, 1), 1);
  EXPECT_EQ(s.cell(2, 1), 60);
  EXPECT_EQ(s.cell(1, 0), 1);
  s.v.editable = 0;
  EXPECT_FALSE(f.m.incrementActual(1));
}

TEST(FillHandle, ExtrapolatesRightLeftAndCopiesSingleColumn) {
  Fixture f(6, 2);
  MapSheet& s = f.m.sheet(0);
  s.cell(2, 0) = 10;
  s.cell(3, 0) = 12;
  f.m.selectRect(kSelCells, 2, 0, 3, 0, false);
  ASSERT_TRUE(f.m.fillTo(2, 0, 5, 0));
  EXPECT_EQ(s.cell(4, 0), 14);
  EXPECT_EQ(s.cell(5, 0), 16);
  f.m.selectRect(kSelCells, 2, 0, 3, 0, false);
  ASSERT_TRUE(f.m.fillTo(0, 0, 3, 0));
  EXPECT_EQ(s.cell(1, 0), 8);
  EXPECT_EQ(s.cell(0, 0), 6);
  EXPECT_EQ(s.sel.count, 4);

  // One column wide: copied down into the next row; corners add both slopes.
  Fixture g(3, 3);
  MapSheet& t = g.m.sheet(0);
  t.cell(0, 0) = 5;
  g.m.selectRect(kSelCells, 0, 0, 0, 0, false);
  ASSERT_TRUE(g.m.fillTo(0, 0, 1, 1));
  EXPECT_EQ(t.cell(1, 1), 5);
  t.cell(0, 0) = 1;
  t.cell(1, 0) = 2;
  t.cell(0, 1) = 11;
  t.cell(1, 1) = 12;
  g.m.selectRect(kSelCells, 0, 0, 1, 1, false);
  ASSERT_TRUE(g.m.fillTo(0, 0, 2, 2));
  EXPECT_EQ(t.cell(2, 2), 23);

  // Block move copies; the source stays.
  g.m.selectRect(kSelCells, 0, 0, 0, 1, false);
  ASSERT_TRUE(g.m.moveTo(2, 0));
  EXPECT_EQ(t.cell(2, 0), 1);
  EXPECT_EQ(t.cell(2, 1), 11);
  EXPECT_EQ(t.cell(0, 0), 1);
}

TEST(LinkedLimits, KeptInsideTheAxisRangesOfAnRpmSheet) {
  Fixture f(3, 1, 0x0701, 250);
  struct Case {
    int base, rev, start;
    int baseOut, revOut, startOut;
  } cases[] = {
      {80, 30000, -100, 60, 25000, 0},
      // The base advance never goes below 0: it is stored in an unsigned byte.
      {-40, 12000, 2000, 0, 12000, 2000},
  };
  for (const Case& c : cases) {
    f.m.baseAdvance = c.base;
    f.m.revLimiter = c.rev;
    f.m.startLimiter = c.start;
    f.m.normalizeAxes(0, 0);
    EXPECT_EQ(f.m.baseAdvance, c.baseOut);
    EXPECT_EQ(f.m.revLimiter, c.revOut);
    EXPECT_EQ(f.m.startLimiter, c.startOut);
  }
  // Without the link flags, or on a sheet whose X axis is not "RPM", they stay.
  f.m.sheet(0).flags1 = 0;
  f.m.baseAdvance = 80;
  f.m.normalizeAxes(0, 0);
  EXPECT_EQ(f.m.baseAdvance, 80);
}

TEST(AxisUse, UsageRulesAndCollapse) {
  Fixture f(3, 3);
  MapSheet& s = f.m.sheet(0);
  s.x.usage = 0;
  s.y.usage = 1;
  EXPECT_TRUE(f.m.canUseAxes(AxisUse::OnlyX));
  EXPECT_FALSE(f.m.canUseAxes(AxisUse::OnlyY));
  EXPECT_TRUE(f.m.canUseAxes(AxisUse::Both));
  ASSERT_TRUE(f.m.useAxes(AxisUse::OnlyX));
  EXPECT_TRUE(s.y.collapsed);
  EXPECT_EQ(s.y.collapsedIndex, 2);  // preference -2: the last row
  EXPECT_EQ(f.commits, 1);
  s.y.usage = 2;
  EXPECT_FALSE(f.m.canUseAxes(AxisUse::Both));
  EXPECT_FALSE(f.m.useAxes(AxisUse::Both));
}

TEST(SheetSwitching, TabSkipsHiddenSheets) {
  MapModel m;
  for (int i = 0; i < 3; ++i) m.addSheet("s", "RPM", "TP", "V", 3, 3, 0);
  m.sheet(1).hidden = 1;
  EXPECT_EQ(m.nextVisibleSheet(1), 2);
  m.selectSheet(2);
  EXPECT_EQ(m.nextVisibleSheet(1), 0);
  EXPECT_EQ(m.nextVisibleSheet(-1), 0);
  EXPECT_EQ(m.previous(), 0);
}

}  // namespace
}  // namespace q3
