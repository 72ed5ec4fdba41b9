// The table's handles and pointer details: the fill handle against the arrow
// buttons and interpolation corners around it, interpolation of breakpoint
// runs, fill and block move on a map used over one axis, Ctrl drags, header
// texts in narrow controls, and touchpad wheels.
#include <QWheelEvent>

#include "maps/map_editor_fixture.h"

namespace q3 {
namespace {

using q3test::flatAdvanceImage;
using q3test::Page;

TEST(MapEditorFillHandle, WinsAtEveryPressPointAndSelectionWidth) {
  struct Point {
    const char* where;
    QPoint offset;  // from the bottom-right corner of the selection
  } points[] = {
      {"on the drawn handle", QPoint(0, 0)},
      {"inside the corner", QPoint(-4, -4)},
      {"just outside", QPoint(4, 4)},
  };
  for (int width : {2, 4})
    for (const Point& pt : points) {
      Page p;
      for (int c = 0; c < width; ++c) p.sheet().cell(3 + c, 2) = 10 + 2 * c;
      p.click(3, 2);
      p.click(3 + width - 1, 2, Qt::ShiftModifier);
      ASSERT_EQ(p.sheet().sel.interpReady != 0, width >= 3);
      const QRect last = p.tab->elementRect(3 + width - 1, 2);
      const QPoint at = QPoint(last.right(), last.bottom()) + pt.offset;
      p.drag(at, at + QPoint(2 * last.width(), 0));
      const int next = 10 + 2 * width;  // the run goes on by 2
      EXPECT_EQ(p.sheet().cell(3 + width, 2), next) << pt.where << ", width " << width;
      EXPECT_EQ(p.sheet().cell(3 + width + 1, 2), next + 2) << pt.where << ", width " << width;
      EXPECT_EQ(p.sheet().cell(3 + width - 1, 2), next - 2) << pt.where << ", width " << width;
      EXPECT_EQ(p.sheet().sel.count, width + 2) << pt.where << ", width " << width;
      EXPECT_EQ(p.stores, 1) << pt.where << ", width " << width;
    }
}

TEST(MapEditorFillHandle, OneRowMapKeepsItsHiddenRows) {
  q3::ParamImage img = flatAdvanceImage();
  img.setByte(ImageByte::AdvMap, 0);  // map 1 over engine speed only
  for (int i = 0; i < 150; ++i) img.setByte(ImageByte::Advance + i, 100 + i / 15);
  Page p(kOwnerAdvance, img);
  ASSERT_TRUE(p.sheet().y.collapsed);
  const int used = p.sheet().y.collapsedIndex;
  p.sheet().cell(2, used) = 20;
  p.sheet().cell(3, used) = 22;
  p.click(2, used);
  p.click(3, used, Qt::ShiftModifier);
  const QRect last = p.tab->elementRect(3, used);
  const QPoint handle(last.right(), last.bottom());
  // Up and to the right: the fill goes right in the row in use only.
  p.drag(handle, handle + QPoint(2 * last.width(), -3 * last.height()));
  EXPECT_EQ(p.sheet().cell(5, used), 26);
  for (int r = 0; r < 10; ++r) {
    if (r == used) continue;
    for (int c = 0; c < 15; ++c)
      ASSERT_EQ(p.img.byte(ImageByte::Advance + 15 * r + c), 100 + r) << c << "," << r;
  }
  // A block moved up goes nowhere either.
  p.click(2, used);
  const QRect first = p.tab->elementRect(2, used);
  const QPoint border(first.center().x(), first.top());
  p.drag(border, border + QPoint(0, -2 * first.height()));
  for (int c = 0; c < 15; ++c)
    ASSERT_EQ(p.img.byte(ImageByte::Advance + 15 * (used - 2) + c), 100 + used - 2) << c;
}

// On a one-row map the graph lies below the row: a fill drag that goes down
// into it keeps following the pointer to its release.
TEST(MapEditorFillHandle, DragKeepsThePointerOverTheGraph) {
  q3::ParamImage img = flatAdvanceImage();
  img.setByte(ImageByte::AdvMap, 0);
  Page p(kOwnerAdvance, img);
  ASSERT_TRUE(p.sheet().y.collapsed);
  const int used = p.sheet().y.collapsedIndex;
  p.sheet().cell(2, used) = 20;
  p.sheet().cell(3, used) = 22;
  p.click(2, used);
  p.click(3, used, Qt::ShiftModifier);
  const QRect last = p.tab->elementRect(3, used);
  const QPoint handle(last.right(), last.bottom());
  const QRect graph = p.tab->graphFrame();
  ASSERT_FALSE(graph.isEmpty());
  ASSERT_GT(graph.top(), last.bottom());
  QTest::mouseMove(p.tab, handle);
  QTest::mousePress(p.tab, Qt::LeftButton, Qt::NoModifier, handle);
  p.moveHeld(handle + QPoint(last.width(), 0), Qt::NoModifier);
  // On to the right, down inside the graph.
  const QPoint inGraph(handle.x() + 3 * last.width(), graph.top() + graph.height() / 3);
  ASSERT_TRUE(graph.contains(inGraph));
  p.moveHeld(inGraph, Qt::NoModifier);
  QTest::mouseRelease(p.tab, Qt::LeftButton, Qt::NoModifier, inGraph);
  EXPECT_EQ(p.sheet().cell(6, used), 28);
  EXPECT_EQ(p.sheet().sel.count, 5);
}

// The top-right corner of an interpolation-ready selection lies under the
// up arrow of its cell: while the preview shows, the press interpolates. The
// other corners too; the bottom-right one is the fill handle's.
TEST(MapEditorInterpolation, CornerUnderAnArrowInterpolates) {
  for (bool right : {false, true})
    for (bool bottom : {false, true}) {
      if (right && bottom) continue;  // the fill handle's corner
      Page p;
      p.sheet().cell(3, 2) = 0;
      p.sheet().cell(5, 2) = 20;
      p.sheet().cell(3, 4) = 0;
      p.sheet().cell(5, 4) = 20;
      p.click(3, 2);
      p.click(5, 4, Qt::ShiftModifier);
      ASSERT_TRUE(p.sheet().sel.interpReady);
      const QRect rc = p.tab->elementRect(right ? 5 : 3, bottom ? 4 : 2);
      const QPoint corner(right ? rc.right() - 2 : rc.left() + 2,
                          bottom ? rc.bottom() - 2 : rc.top() + 2);
      QTest::mouseMove(p.tab, corner + QPoint(right ? -1 : 1, 0));
      QTest::mouseMove(p.tab, corner);
      QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier, corner);
      EXPECT_EQ(p.sheet().cell(4, 2), 10) << right << bottom;
      EXPECT_EQ(p.sheet().cell(5, 2), 20) << right << bottom;
      EXPECT_EQ(p.sheet().cell(4, 4), 10) << right << bottom;
      EXPECT_EQ(p.stores, 1) << right << bottom;
    }
}

TEST(MapEditorInterpolation, BreakpointRunsGetCornersAndInterpolate) {
  Page p;
  p.sheet().x.values[3] = 47;
  p.tab->model().copyValuesToPrevious();
  p.click(2, -1);
  p.click(5, -1, Qt::ShiftModifier);
  ASSERT_TRUE(p.sheet().sel.interpReady);
  // The corner triangle at the top left of the run is drawn and active.
  const QRect first = p.tab->elementRect(2, -1);
  const QPoint corner = first.topLeft() + QPoint(2, 2);
  p.tab->render();
  EXPECT_EQ(p.tab->offscreen().pixelColor(corner), QColor(0x44, 0xF4, 0x88));
  QTest::mouseMove(p.tab, corner);
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier, corner);
  EXPECT_EQ(p.sheet().x.values[3], 40);  // 30 .. 60 over four breakpoints
  EXPECT_EQ(p.img.byte(ImageByte::RpmAdv + 3), 40);
  EXPECT_EQ(p.stores, 1);
}

TEST(MapEditorSelection, CtrlDragShrinksAgain) {
  Page p;
  p.click(0, 0);
  const QPoint from = p.centre(2, 2);
  QTest::mousePress(p.tab, Qt::LeftButton, Qt::ControlModifier, from);
  p.moveHeld(p.centre(5, 4), Qt::ControlModifier);
  EXPECT_EQ(p.sheet().sel.count, 1 + 4 * 3);
  p.moveHeld(p.centre(3, 2), Qt::ControlModifier);
  EXPECT_EQ(p.sheet().sel.count, 1 + 2);
  EXPECT_FALSE(p.tab->model().isSelected(ElemRef{5, 4}));
  QTest::mouseRelease(p.tab, Qt::LeftButton, Qt::ControlModifier, p.centre(3, 2));
  EXPECT_TRUE(p.tab->model().isSelected(ElemRef{0, 0}));
}

TEST(MapEditorHeaders, LongTextsStayInsideTheirCells) {
  // Dark text pixels never cross from one engine-speed header cell into the
  // next; a narrow control shows fewer, wider columns instead.
  for (int width : {880, 600, 420}) {
    Page p(kOwnerAdvance, flatAdvanceImage(), width, 300);
    p.tab->render();
    const QImage& img = p.tab->offscreen();
    const QRect h0 = p.tab->elementRect(0, -1);
    int shown = 0;
    for (int c = 0; c < 15; ++c) shown += !p.tab->elementRect(c, -1).isEmpty();
    for (int c = 1; c < shown; ++c) {
      const int x = p.tab->elementRect(c, -1).left();
      for (int y = h0.top() + 2; y < h0.bottom() - 1; ++y)
        ASSERT_GT(qGray(img.pixel(x, y)), 100) << "width " << width << ", column " << c;
    }
    if (width == 880)
      EXPECT_EQ(shown, 15);
    else
      EXPECT_LT(shown, 15) << width;
  }
}

TEST(MapEditorWheel, TouchpadPartsOfANotchAddUp) {
  Page p;
  const QPoint at = p.centre(4, 2);
  QTest::mouseMove(p.tab, at);
  auto wheel = [&](int delta) {
    QWheelEvent e(QPointF(at), QPointF(p.tab->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(p.tab, &e);
  };
  for (int i = 0; i < 7; ++i) wheel(40);
  EXPECT_EQ(p.sheet().cell(4, 2), 2);  // 280 of 120 per notch
  wheel(-40);
  wheel(-120);
  EXPECT_EQ(p.sheet().cell(4, 2), 1);
}

}  // namespace
}  // namespace q3
