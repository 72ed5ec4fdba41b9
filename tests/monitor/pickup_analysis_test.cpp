// The pickup analysis: period and range, engine speed across the time-stamp
// wrap, the event list in degrees, the ring, bad blocks, the synchronisation
// state and the measuring lines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "monitor/pickup_analyzer.h"
#include "pickup_fixture.h"

namespace q3 {
namespace {

using q3test::block;
using q3test::periods;
using q3test::S;

TEST(PickupAnalysis, PeriodSelectorGivesPeriodAndRange) {
  struct Case {
    int selector, period;
    double start, end;
  } cases[] = {{0, 720, -360, 1080}, {1, 360, -180, 540}, {2, 180, -90, 270},
               {3, 120, -60, 180},   {4, 360, -180, 540}, {255, 360, -180, 540}};
  for (const Case& c : cases) {
    PickupAnalyzer m;
    ASSERT_EQ(m.show(periods(1000, 1000, 1000, c.selector)), PickupAnalysis::Done);
    EXPECT_EQ(m.period(), c.period) << c.selector;
    EXPECT_EQ(m.rangeStart(), c.start) << c.selector;
    EXPECT_EQ(m.rangeEnd(), c.end) << c.selector;
  }
}

TEST(PickupAnalysis, EngineSpeedFromTheMiddlePeriod) {
  struct Case {
    int selector, state;
    int64_t d;
    const char* label;
  } cases[] = {
      {1, 1, 25000, "RPM=6000.0 (synchro)"},     // 10 ms per 360 degrees
      {1, 2, 25000, "RPM=6000.0 (no synchro)"},  //
      {0, 1, 25000, "RPM=12000.0 (synchro)"},    // 10 ms per 720 degrees
      {3, 1, 50000, "RPM=1000.0 (synchro)"},     // 20 ms per 120 degrees
  };
  for (const Case& c : cases) {
    PickupAnalyzer m;
    // The outer periods differ: only the one between the 2nd and 3rd change counts.
    ASSERT_EQ(m.show(periods(7000, c.d, 90000, c.selector, c.state)), PickupAnalysis::Done);
    EXPECT_EQ(m.rpmLabel(), c.label);
  }
}

TEST(PickupAnalysis, TimeStampsCountAcrossTheWrap) {
  // 16 ticks before the wrap and 16 after make 32 ticks (12.8 us).
  const int64_t w = int64_t(1) << 24;
  PickupAnalyzer m;
  ASSERT_EQ(m.show(block({{w - 100, 0}, {w - 50, 1}, {w - 16, 2}, {w + 16, 3}, {w + 40, 0}})),
            PickupAnalysis::Done);
  EXPECT_DOUBLE_EQ(m.rpm(), 60.0 / (32 * 0.4e-6));
  // The sample after the wrap lies at P, one period after the one before it.
  EXPECT_DOUBLE_EQ(m.events()[2].pos, 360.0);
}

TEST(PickupAnalysis, EventsSpanThreePeriodsWithTheMarkersLast) {
  // Periods of 1000, 2000 and 4000 ticks, one edge in the middle of each.
  const auto b = periods(1000, 2000, 4000, 1, 1,
                         {{600, 1, true}, {1100 + 1000, 2, false, true}, {3100 + 2000, 3, true}});
  PickupAnalyzer m;
  ASSERT_EQ(m.show(b), PickupAnalysis::Done);
  const auto ev = m.events();
  ASSERT_EQ(ev.size(), 9u);
  const double expect[] = {-360, -180, 0, 180, 360, 540, 720, 0, 360};
  for (size_t i = 0; i < ev.size(); ++i) EXPECT_DOUBLE_EQ(ev[i].pos, expect[i]) << i;
  EXPECT_EQ(ev[7].flags, PickupFlag::kMarker0);
  EXPECT_EQ(ev[8].flags, PickupFlag::kMarkerP);
  EXPECT_EQ(m.sampleEventCount(), 7);
  // Signal 1 rises at -180 and falls at 180 where signal 2 rises; the phase
  // change at 0 changes no signal.
  EXPECT_EQ(ev[1].changed, PickupFlag::kSignal1);
  EXPECT_EQ(ev[2].changed, 0u);
  EXPECT_EQ(ev[3].changed, PickupFlag::kSignal1 | PickupFlag::kSignal2);
  EXPECT_EQ(ev[5].changed, PickupFlag::kSignal1 | PickupFlag::kSignal2);
  EXPECT_TRUE(m.signal2Changes());
  EXPECT_TRUE(m.redrawPending());
}

TEST(PickupAnalysis, OnlyTheNewestBlockIsAnalysed) {
  PickupAnalyzer m;
  m.handOver(periods(25000, 25000, 25000));
  m.handOver(periods(50000, 50000, 50000));
  ASSERT_EQ(m.analyse(), PickupAnalysis::Done);
  EXPECT_DOUBLE_EQ(m.rpm(), 3000.0);
  EXPECT_EQ(m.ring().pending(), 0);
  EXPECT_EQ(m.analyse(), PickupAnalysis::NoSamples);
  EXPECT_EQ(m.shownBlock().samples.size(), 5u);
}

TEST(PickupRing, WrapsAndDropsTheOldestWhenFull) {
  PickupRing r;
  std::vector<uint32_t> a(9990, 1), b(30, 2);
  r.append(a);
  r.append(b);  // wraps at 10000
  EXPECT_EQ(r.pending(), 30);
  EXPECT_EQ(r.readIndex(), 9990);
  EXPECT_EQ(r.writeIndex(), 20);
  EXPECT_EQ(r.pendingAt(29), 2u);
  std::vector<uint32_t> big(10005);
  for (size_t i = 0; i < big.size(); ++i) big[i] = uint32_t(i);
  r.append(big);
  EXPECT_EQ(r.pending(), kPickupRingSize - 1);
  EXPECT_EQ(r.pendingAt(kPickupRingSize - 2), 10004u);
  EXPECT_EQ(r.pendingAt(0), 6u);
}

TEST(PickupAnalysis, BadBlocksAreSurvived) {
  struct Case {
    const char* name;
    PickupBlock b;
    PickupAnalysis outcome;
    int pendingAfter;  // samples left unread
  } cases[] = {
      {"empty", block({}), PickupAnalysis::NoSamples, 0},
      {"three samples", block({{0, 0}, {10, 1}, {20, 2}}), PickupAnalysis::TooFewTransitions, 3},
      {"no phase change", block({{0, 1}, {10, 1}, {20, 1}, {30, 1}, {40, 1}}),
       PickupAnalysis::TooFewTransitions, 5},
      {"equal time stamps", block({{0, 0}, {10, 1}, {10, 2}, {30, 3}, {40, 0}}),
       PickupAnalysis::BadInterval, 0},
      {"zero middle period", block({{0, 0}, {10, 1}, {20, 2}, {20, 3}, {40, 0}}),
       PickupAnalysis::BadInterval, 0},
      {"zero last period", block({{0, 0}, {10, 1}, {20, 2}, {30, 3}, {30, 0}}),
       PickupAnalysis::BadInterval, 0},
  };
  for (const Case& c : cases) {
    PickupAnalyzer m;
    ASSERT_EQ(m.show(periods(25000, 25000, 25000)), PickupAnalysis::Done);
    EXPECT_EQ(m.show(c.b), c.outcome) << c.name;
    EXPECT_EQ(m.ring().pending(), c.pendingAfter) << c.name;
    // The picture of the last good block stays, and nothing is infinite.
    EXPECT_DOUBLE_EQ(m.rpm(), 6000.0) << c.name;
    EXPECT_EQ(m.events().size(), 6u) << c.name;
  }
}

TEST(PickupAnalysis, TheEventListHoldsAtMost600) {
  // 2000 samples in the first period: 598 of them and the two markers are kept.
  std::vector<S> extra;
  for (int i = 0; i < 2000; ++i) extra.push_back({101 + i, 1, bool(i & 1)});
  PickupAnalyzer m;
  ASSERT_EQ(m.show(periods(3000, 3000, 3000, 1, 1, extra)), PickupAnalysis::Done);
  ASSERT_EQ(m.events().size(), size_t(PickupAnalyzer::kMaxEvents));
  EXPECT_EQ(m.events()[598].flags, PickupFlag::kMarker0);
  EXPECT_EQ(m.events()[599].flags, PickupFlag::kMarkerP);
  for (const PickupEvent& e : m.events()) EXPECT_TRUE(std::isfinite(e.pos));
}

TEST(PickupAnalysis, AChangeOfSynchronisationClearsEventsAndDimensions) {
  PickupAnalyzer m;
  ASSERT_EQ(m.show(periods(25000, 25000, 25000, 1, 1, {{12600, 1, true}})), PickupAnalysis::Done);
  ASSERT_TRUE(m.commitDimension({-180, 0, 150, PickupFlag::kSignal1, PickupFlag::kMarker0}));
  m.handOver(periods(25000, 25000, 25000, 1, 1));  // same state: kept
  EXPECT_EQ(m.dimensions().size(), 1u);
  EXPECT_FALSE(m.events().empty());
  m.handOver(periods(25000, 25000, 25000, 1, 2));
  EXPECT_FALSE(m.synchronised());
  EXPECT_TRUE(m.events().empty());
  EXPECT_TRUE(m.dimensions().empty());
  // Flipping with every block never leaves a picture of the other state.
  for (int i = 0; i < 6; ++i) {
    m.show(periods(25000, 25000, 25000, 1, 1 + (i & 1)));
    EXPECT_EQ(m.synchronised(), (i & 1) == 0);
    EXPECT_EQ(m.rpmLabel().find("no synchro") == std::string::npos, m.synchronised());
  }
}

// A picture for the measuring lines, in a view of 800 x 600 at zoom 1:
// x = 210 + pos x 800 / 720. Signal 1 rises at -90 and falls at 90, signal 2
// rises at 45; channel 1 fires at 270.
class PickupDimensions : public ::testing::Test {
 protected:
  void SetUp() override {
    const int64_t p = 36000;  // ticks per period: 100 ticks per degree
    ASSERT_EQ(m.show(periods(p, p, p, 1, 1,
                             {{100 + 27000, 1, true},
                              {100 + p + 4500, 2, true, true},
                              {100 + p + 9000, 2, false, true},
                              {100 + p + 27000, 2, false, true, 1}})),
              PickupAnalysis::Done);
  }
  int x(double pos) const { return int(std::lround(view.x(pos, m.rangeSpan()))); }
  PickupAnalyzer m;
  PickupView view;
};

TEST_F(PickupDimensions, DragSnapsToEdgesByRow) {
  struct Case {
    const char* name;
    int ys;
    double from, to;  // drag positions in degrees
    double start, end;
    uint32_t startKind, endKind;
  } cases[] = {
      // In the signal 1 row the start takes signal 1's edges, the end any edge.
      {"signal 1 row", 220, -80, 50, -90, 45, PickupFlag::kSignal1,
       PickupFlag::kSignal1 | PickupFlag::kSignal2},
      // Above the traces: ignitions and markers only.
      {"arrow row", 50, 250, 95, 90, 270, PickupFlag::kSignal2, PickupFlag::kSignal2 | (1u << 4)},
      // Dragged backwards: the ends come out in order.
      {"backwards", 220, 85, -5, 0, 90, PickupFlag::kMarker0, PickupFlag::kSignal2},
      // Below the traces: markers.
      {"marker row", 500, 350, 100, 90, 360, PickupFlag::kSignal2, PickupFlag::kMarkerP},
  };
  for (const Case& c : cases) {
    const auto d = m.dragDimension(view, x(c.from), c.ys, x(c.to), c.ys + 30);
    ASSERT_TRUE(d) << c.name;
    EXPECT_DOUBLE_EQ(d->start, c.start) << c.name;
    EXPECT_DOUBLE_EQ(d->end, c.end) << c.name;
    EXPECT_EQ(d->startKind, c.startKind) << c.name;
    EXPECT_EQ(d->endKind, c.endKind) << c.name;
    EXPECT_EQ(d->y, c.ys + 30) << c.name;
  }
}

TEST_F(PickupDimensions, SameEventAtBothEndsSearchesOnInTheDragDirection) {
  // Both ends nearest to the rise at -90: the end moves to the next edge right.
  auto d = m.dragDimension(view, x(-90), 220, x(-85), 220);
  ASSERT_TRUE(d);
  EXPECT_DOUBLE_EQ(d->start, -90);
  EXPECT_DOUBLE_EQ(d->end, 0);
  d = m.dragDimension(view, x(90), 220, x(85), 220);  // to the left: the edge before
  ASSERT_TRUE(d);
  EXPECT_DOUBLE_EQ(d->start, 45);
  EXPECT_DOUBLE_EQ(d->end, 90);
  // Nothing to the left of the first edge: no dimension.
  EXPECT_FALSE(m.dragDimension(view, x(-90), 220, x(-95), 220));
}

TEST_F(PickupDimensions, TheEleventhIsDroppedAndClearEmpties) {
  const PickupDimension d{-90, 90, 150, PickupFlag::kSignal1, PickupFlag::kSignal2};
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(m.commitDimension(d)) << i;
  EXPECT_FALSE(m.commitDimension(d));
  EXPECT_EQ(m.dimensions().size(), 10u);
  m.removeDimension(3);
  EXPECT_EQ(m.dimensions().size(), 9u);
  m.removeDimension(42);  // no such dimension
  EXPECT_EQ(m.dimensions().size(), 9u);
  m.clearDimensions();
  EXPECT_TRUE(m.dimensions().empty());
}

TEST_F(PickupDimensions, EndsFollowTheSignalAndLabelsFollowTheState) {
  PickupDimension d{-90, 270, 150, PickupFlag::kSignal1, PickupFlag::kSignal2 | (1u << 4)};
  EXPECT_EQ(m.dimensionLabel(m.resolve(d)).text, "360.0 ");
  EXPECT_TRUE(m.dimensionLabel(m.resolve(d)).degree);
  // From an edge to the marker of 0: that much before it.
  EXPECT_EQ(m.dimensionLabel({-90, 0, 150, PickupFlag::kSignal1, PickupFlag::kMarker0}).text,
            "-90.0");
  // In the next block the rise comes 9 degrees later and the fall 4 degrees
  // earlier, with a sample that changes nothing right after it: the
  // dimensions go with the edges.
  const PickupDimension f{45, 90, 150, PickupFlag::kSignals, PickupFlag::kSignal2};
  const int64_t p = 36000;
  ASSERT_EQ(m.show(periods(p, p, p, 1, 1,
                           {{100 + 27900, 1, true},
                            {100 + p + 4500, 2, true, true},
                            {100 + p + 8600, 2, false, true},
                            {100 + p + 8900, 2, false, true},
                            {100 + p + 27000, 2, false, true, 1}})),
            PickupAnalysis::Done);
  const PickupDimension r = m.resolve(d);
  EXPECT_DOUBLE_EQ(r.start, -81);
  EXPECT_DOUBLE_EQ(r.end, 270);
  EXPECT_DOUBLE_EQ(m.resolve(f).start, 45);
  EXPECT_DOUBLE_EQ(m.resolve(f).end, 86);
  // Without synchronisation the lengths read as time at the measured speed.
  ASSERT_EQ(m.show(periods(p, p, p, 1, 2, {{100 + 27000, 1, true}})), PickupAnalysis::Done);
  EXPECT_DOUBLE_EQ(m.rpm(), 60.0 / (p * 0.4e-6));  // 4166.7 rpm: 14.4 ms per turn
  EXPECT_EQ(m.dimensionLabel({-90, 270, 150, 4, 16}).text, "14.4ms");
  EXPECT_EQ(m.ignitionLabel(1, 90).text, "3.6ms");
  EXPECT_FALSE(m.ignitionLabel(1, 90).degree);
}

TEST(PickupLabels, IgnitionLabelsAndTimeWithoutSpeed) {
  PickupAnalyzer m;
  EXPECT_EQ(m.millisecondsText(90), "---ms");  // no speed measured yet: no division by zero
  ASSERT_EQ(m.show(periods(25000, 25000, 25000)), PickupAnalysis::Done);
  EXPECT_EQ(m.ignitionLabel(3, 347.24).text, "CH3=347.2");
  EXPECT_TRUE(m.ignitionLabel(3, 347.24).degree);
  EXPECT_EQ(m.millisecondsText(90), "2.5ms");
}

TEST(PickupView, ZoomStaysWithinItsLimitsAndKeepsThePointerInPlace) {
  struct Case {
    double zoom;
    bool up;
    double after;
    bool changed;
  } cases[] = {{1024, true, 1024, false},
               {1, false, 1, false},
               {1, true, 2, true},
               {512, true, 1024, true},
               {2, false, 1, true}};
  for (const Case& c : cases) {
    PickupView v;
    v.setZoom(c.zoom);
    const double under = v.position(500, 720);
    EXPECT_EQ(v.wheel(c.up, 500), c.changed) << c.zoom;
    EXPECT_EQ(v.zoom(), c.after) << c.zoom;
    if (c.after > 1) {
      EXPECT_NEAR(v.x(under, 720), 500, 1) << c.zoom;
    }
  }
  PickupView v;
  v.setZoom(5000);
  EXPECT_EQ(v.zoom(), 1024);
  v.setZoom(0.01);
  EXPECT_EQ(v.zoom(), 1);
  v.setZoom(3);  // only powers of two
  EXPECT_EQ(v.zoom(), 4);
}

TEST(PickupView, OriginPanAndPixels) {
  PickupView v;
  EXPECT_EQ(v.x0(), 210);  // (800 - 40) x 25 % + 20
  v.pan(30);
  EXPECT_EQ(v.x0(), 210);  // fixed at zoom 1
  v.wheel(true, 400);
  v.pan(30);
  EXPECT_EQ(v.x0(), 50);  // 400 - 190 x 2 = 20, then + 30
  v.resize(10, 10);
  EXPECT_EQ(v.width(), PickupView::kMinWidth);
  EXPECT_EQ(v.height(), PickupView::kMinHeight);
  EXPECT_EQ(v.x0(), v.fixedOrigin());
  // Positions far outside, infinite or not a number never make an undefined pixel.
  EXPECT_EQ(PickupView::toPixel(std::nan("")), 0);
  EXPECT_EQ(PickupView::toPixel(1e300), 1 << 24);
  EXPECT_EQ(PickupView::toPixel(-INFINITY), -(1 << 24));
  EXPECT_EQ(v.x(100, 0), v.x0());  // no range: no division by zero
}

}  // namespace
}  // namespace q3
