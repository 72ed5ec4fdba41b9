// The MapEditor control driven by keys, wheel and mouse on the off-screen
// platform, found by objectName like the main window's controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>
#include <memory>

#include "maps/map_editor_fixture.h"

namespace q3 {
namespace {

using q3test::Page;

TEST(MapEditorKeys, TypingAValueAndEnterStoresItAndMovesDown) {
  Page p;
  p.click(2, 3);
  p.keys("12");
  EXPECT_TRUE(p.tab->editorOpen());
  EXPECT_EQ(p.tab->editorText(), "12");
  p.key(Qt::Key_Return);
  EXPECT_FALSE(p.tab->editorOpen());
  EXPECT_EQ(p.sheet().cell(2, 3), 12);
  EXPECT_EQ(p.img.byte(ImageByte::Advance + 3 * 15 + 2), 112);
  EXPECT_EQ(p.stores, 1);
  EXPECT_EQ(p.sheet().sel.cursorRow, 4);

  // Esc closes the editor without a change; a text that is no number is dropped.
  p.keys("7");
  p.key(Qt::Key_Escape);
  p.key(Qt::Key_Delete);
  p.keys("1.2.3");
  p.key(Qt::Key_Return);
  EXPECT_EQ(p.sheet().cell(2, 4), 0);
  EXPECT_EQ(p.stores, 1);
  // Editing keys: Backspace, Home, typed "-" inside the open editor.
  p.click(0, 0);
  p.keys("55");
  p.key(Qt::Key_Backspace);
  p.key(Qt::Key_Home);
  p.keys("-");
  p.key(Qt::Key_Return);
  EXPECT_EQ(p.sheet().cell(0, 0), -5);
}

TEST(MapEditorKeys, ArrowsWrapThroughTheHeaders) {
  Page p;
  struct Step {
    Qt::Key key;
    int col, row;
  } steps[] = {
      {Qt::Key_Right, -1, 9},  // past the last column: the Y header column
      {Qt::Key_Right, 0, 9},   // then the first column
      {Qt::Key_Left, -1, 9},  {Qt::Key_Left, 14, 9},
      {Qt::Key_Down, 14, -1},  // past the last row: the X header row
      {Qt::Key_Down, 14, 0},
  };
  p.click(14, 9);
  for (const Step& s : steps) {
    p.key(s.key);
    EXPECT_EQ(p.sheet().sel.cursorCol, s.col) << s.key;
    EXPECT_EQ(p.sheet().sel.cursorRow, s.row) << s.key;
  }
  // In the header row the wrap skips the header column.
  p.key(Qt::Key_Up);
  p.key(Qt::Key_Right);
  EXPECT_EQ(p.sheet().sel.cursorCol, 0);
  EXPECT_EQ(p.sheet().sel.cursorRow, -1);
  // Enter on the last row goes to the header cell of the next column.
  p.click(3, 9);
  p.key(Qt::Key_Return);
  EXPECT_EQ(p.sheet().sel.cursorCol, 4);
  EXPECT_EQ(p.sheet().sel.cursorRow, -1);
  // Shift+arrow extends without wrapping.
  p.click(13, 2);
  p.key(Qt::Key_Right, Qt::ShiftModifier);
  p.key(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(p.sheet().sel.count, 2);
  EXPECT_EQ(p.sheet().sel.cursorCol, 14);
}

TEST(MapEditorMouse, FillHandleExtrapolatesRightAndLeft) {
  for (int dir : {1, -1}) {
    Page p;
    p.sheet().cell(6, 0) = 10;
    p.sheet().cell(7, 0) = 12;
    p.click(6, 0);
    p.click(7, 0, Qt::ShiftModifier);
    ASSERT_EQ(p.sheet().sel.count, 2);
    p.tab->render();
    QRect a = p.tab->elementRect(6, 0), b = p.tab->elementRect(7, 0);
    QPoint handle(b.right(), b.bottom());
    QPoint target = handle + QPoint(dir * 2 * a.width(), 0);
    QTest::mouseMove(p.tab, handle);
    QTest::mousePress(p.tab, Qt::LeftButton, Qt::NoModifier, handle);
    QTest::mouseMove(p.tab, target);
    QTest::mouseRelease(p.tab, Qt::LeftButton, Qt::NoModifier, target);
    if (dir > 0) {
      EXPECT_EQ(p.sheet().cell(8, 0), 14);
      EXPECT_EQ(p.sheet().cell(9, 0), 16);
    } else {
      EXPECT_EQ(p.sheet().cell(5, 0), 8);
      EXPECT_EQ(p.sheet().cell(4, 0), 6);
    }
    EXPECT_EQ(p.stores, 1);
  }
}

TEST(MapEditorMouse, CornerSelectsAllAndClearsAFullSelection) {
  Page p;
  p.tab->render();
  // The inner corner cell sits left of the first X header cell.
  QRect x0 = p.tab->elementRect(0, -1), y0 = p.tab->elementRect(-1, 0);
  QPoint corner(y0.center().x(), x0.center().y());
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier, corner);
  EXPECT_EQ(p.sheet().sel.count, 150);
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier, corner);
  EXPECT_EQ(p.sheet().sel.count, 0);
}

TEST(MapEditorKeys, TabSkipsAHiddenSheetAndCtrlTabGoesBack) {
  QWidget page;
  auto* t = new MapEditor(7, 600, 300, kOptTable, &page);
  t->setObjectName("TabThree");
  for (int i = 0; i < 3; ++i) t->model().addSheet("s", "RPM", "TP", "V", 4, 4, 0);
  t->model().sheet(1).hidden = 1;
  page.show();
  MapEditor* tab = page.findChild<MapEditor*>("TabThree");
  tab->refresh();
  QTest::keyClick(tab, Qt::Key_Tab);
  EXPECT_EQ(tab->model().current(), 2);
  QTest::keyClick(tab, Qt::Key_Tab);
  EXPECT_EQ(tab->model().current(), 0);
  QTest::keyClick(tab, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(tab->model().current(), 2);
}

TEST(MapEditorMouse, WheelStepsTheHoverCellButNotWhileAButtonIsHeld) {
  Page p;
  const QPoint at = p.centre(4, 2);
  QTest::mouseMove(p.tab, at);
  auto wheel = [&](Qt::MouseButtons held) {
    QWheelEvent e(QPointF(at), QPointF(p.tab->mapToGlobal(at)), QPoint(), QPoint(0, 120), held,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(p.tab, &e);
  };
  wheel(Qt::LeftButton);
  EXPECT_EQ(p.sheet().cell(4, 2), 0);
  wheel(Qt::NoButton);
  wheel(Qt::NoButton);
  EXPECT_EQ(p.sheet().cell(4, 2), 2);
  // Both notches on one element are one change, committed five ticks later.
  EXPECT_EQ(p.stores, 0);
  p.ticks(5);
  EXPECT_EQ(p.stores, 1);
}

TEST(MapEditorMouse, ArrowButtonStepsOnceThenRepeatsFromTick16) {
  // Advance cells step by one on every repeat; the engine speeds of the
  // lambda-on-rpm curve go on in steps of 10 every second tick from tick 36.
  struct Case {
    int owner, col, row, start, afterRelease, after20, after40;
  } cases[] = {
      {kOwnerAdvance, 5, 5, 0, 1, 6, 26},
      {kOwnerLambdaRpm, 0, 0, 3, 4, 9, 54},
  };
  for (const Case& c : cases) {
    Page p(c.owner);
    ASSERT_EQ(p.sheet().cell(c.col, c.row), c.start) << c.owner;
    QRect r = p.tab->elementRect(c.col, c.row);
    QTest::mouseMove(p.tab, r.center());
    QPoint up(r.right() - 7, r.top() + 3);
    QTest::mousePress(p.tab, Qt::LeftButton, Qt::NoModifier, up);
    QTest::mouseRelease(p.tab, Qt::LeftButton, Qt::NoModifier, up);
    EXPECT_EQ(p.sheet().cell(c.col, c.row), c.afterRelease) << c.owner;
    QTest::mousePress(p.tab, Qt::LeftButton, Qt::NoModifier, up);
    p.ticks(15);
    EXPECT_EQ(p.sheet().cell(c.col, c.row), c.afterRelease) << c.owner;
    p.ticks(5);  // ticks 16..20 repeat
    EXPECT_EQ(p.sheet().cell(c.col, c.row), c.after20) << c.owner;
    p.ticks(20);
    QTest::mouseRelease(p.tab, Qt::LeftButton, Qt::NoModifier, up);
    EXPECT_EQ(p.sheet().cell(c.col, c.row), c.after40) << c.owner;
  }
}

TEST(MapEditorKeys, PlusAndMinusStepTheActualCell) {
  Page p;
  p.tab->model().setLiveValues(3000, 250, 0, 0);
  p.tab->model().updateActual();
  const MapSheet& s = p.sheet();
  ASSERT_EQ(s.actualState, 1);
  p.tab->setFocus();
  p.keys("++");
  EXPECT_EQ(p.sheet().cell(s.actualCol, s.actualRow), 2);
  EXPECT_TRUE(p.tab->advance(-1));
  EXPECT_EQ(p.sheet().cell(s.actualCol, s.actualRow), 1);
}

}  // namespace
}  // namespace q3

namespace q3 {
namespace {

TEST(MapEditorMouse, StripsAndLabelCornerSelectWholeLinesAndAxes) {
  Page p;
  const QRect x4 = p.tab->elementRect(4, -1), c40 = p.tab->elementRect(4, 0);
  const QRect y2 = p.tab->elementRect(-1, 2), c02 = p.tab->elementRect(0, 2);
  struct Case {
    QPoint at;
    int mode, count;
  } cases[] = {
      {QPoint(x4.center().x(), (x4.bottom() + c40.top()) / 2), kSelCells, 10},  // column strip
      {QPoint((y2.right() + c02.left()) / 2, y2.center().y()), kSelCells, 15},  // row strip
      {QPoint(y2.left() - 5, x4.top() + 3), kSelX, 15},  // label corner above the diagonal
      {QPoint(13, x4.bottom() - 3), kSelY, 10},          // below it
      {QPoint(p.tab->width() - 3, 3), 0, 0},             // outside the table
  };
  for (const Case& c : cases) {
    QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier, c.at);
    EXPECT_EQ(p.sheet().sel.mode & 0xFF, c.mode) << c.at.x() << "," << c.at.y();
    EXPECT_EQ(p.sheet().sel.count, c.count) << c.at.x() << "," << c.at.y();
  }
  // The TP breakpoints are not editable: no editor opens on them.
  p.click(-1, 3);
  p.key(Qt::Key_Delete);
  EXPECT_FALSE(p.tab->editorOpen());
}

TEST(MapEditorKeys, EditorCommitsOnFocusLossAndDoubleClickSelectsTheValue) {
  Page p;
  QLineEdit other(&p.page);
  other.setObjectName("OtherControl");
  other.show();
  QApplication::setActiveWindow(&p.page);
  p.tab->setFocus();
  p.click(1, 1);
  p.keys("9");
  p.page.findChild<QLineEdit*>("OtherControl")->setFocus();
  EXPECT_FALSE(p.tab->editorOpen());
  EXPECT_EQ(p.sheet().cell(1, 1), 9);
  QTest::mouseDClick(p.tab, Qt::LeftButton, Qt::NoModifier, p.centre(1, 1));
  ASSERT_TRUE(p.tab->editorOpen());
  EXPECT_EQ(p.tab->editorText(), "9");
  p.keys("4");  // replaces the selected text
  p.key(Qt::Key_Return);
  EXPECT_EQ(p.sheet().cell(1, 1), 4);
}

TEST(MapEditorPaint, PrintAppearanceDrawsHeadersInTheControlColour) {
  Page p;
  const QPoint at = p.tab->elementRect(2, -1).topLeft() + QPoint(4, 4);
  p.tab->render();
  EXPECT_EQ(p.tab->offscreen().pixelColor(at), QColor(0xF4, 0xE2, 0xFC));
  p.tab->setPrintAppearance(true);
  EXPECT_EQ(p.tab->offscreen().pixelColor(at), QColor(0xF0, 0xF0, 0xF0));
  p.tab->setPrintAppearance(false);
  EXPECT_EQ(p.tab->offscreen().pixelColor(at), QColor(0xF4, 0xE2, 0xFC));
}

TEST(MapEditorMouse, ScrollBarArrowStepsAndRepeatsAfterTwoTicks) {
  QWidget page;
  auto* t = new MapEditor(9, 600, 300, kOptTable, &page);
  t->setObjectName("TabWide");
  t->model().addSheet("s", "RPM", "TP", "V", 30, 3, 0);
  t->model().visibleColumns = 10;
  t->model().visibleRows = 3;
  page.show();
  MapEditor* tab = page.findChild<MapEditor*>("TabWide");
  tab->refresh();
  tab->render();
  // The right arrow sits at the right end of the bar below the table.
  const QRect last = tab->elementRect(9, 2);
  const QPoint arrow(last.right() - 5, tab->height() - 10 - 8);
  QTest::mousePress(tab, Qt::LeftButton, Qt::NoModifier, arrow);
  EXPECT_EQ(tab->model().cur().x.scrollOffset, 1);
  for (int i = 0; i < 4; ++i) tab->timerEntry();
  QTest::mouseRelease(tab, Qt::LeftButton, Qt::NoModifier, arrow);
  EXPECT_EQ(tab->model().cur().x.scrollOffset, 3);
  // The wheel without a hover cell scrolls by one row (no vertical bar: a column).
  QWheelEvent e(QPointF(5, 5), QPointF(tab->mapToGlobal(QPoint(5, 5))), QPoint(), QPoint(0, -120),
                Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(tab, &e);
  EXPECT_EQ(tab->model().cur().x.scrollOffset, 4);
}

}  // namespace
}  // namespace q3

namespace q3 {
namespace {

TEST(MapEditorMouse, CornerTriangleInterpolatesAndBorderDragMovesTheBlock) {
  Page p;
  p.sheet().cell(0, 0) = 10;
  p.sheet().cell(2, 0) = 30;
  p.click(0, 0);
  p.click(2, 0, Qt::ShiftModifier);
  ASSERT_TRUE(p.sheet().sel.interpReady);
  const QPoint corner = p.tab->elementRect(0, 0).topLeft() + QPoint(2, 2);
  QTest::mouseMove(p.tab, corner);
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier, corner);
  EXPECT_EQ(p.sheet().cell(1, 0), 20);
  EXPECT_EQ(p.sheet().sel.count, 0);
  EXPECT_EQ(p.stores, 1);

  // Grab the selection by its border and drop it two rows lower: a copy.
  p.click(0, 0);
  p.click(2, 0, Qt::ShiftModifier);
  const QRect first = p.tab->elementRect(0, 0);
  const QPoint border(first.center().x(), first.top());
  const QPoint drop = border + QPoint(0, 2 * first.height());
  QTest::mouseMove(p.tab, border);
  QTest::mousePress(p.tab, Qt::LeftButton, Qt::NoModifier, border);
  QTest::mouseMove(p.tab, drop);
  QTest::mouseRelease(p.tab, Qt::LeftButton, Qt::NoModifier, drop);
  EXPECT_EQ(p.sheet().cell(1, 2), 20);
  EXPECT_EQ(p.sheet().cell(2, 2), 30);
  EXPECT_EQ(p.sheet().cell(2, 0), 30);
  EXPECT_EQ(p.img.byte(ImageByte::Advance + 2 * 15 + 2), 130);
}

}  // namespace
}  // namespace q3

namespace q3 {
namespace {

TEST(MapEditorGuard, InputReachingAControlWhileAnotherHandlesOneIsDropped) {
  Page p;
  auto* other = new MapEditor(kOwnerServo, 600, 300, kOptTable, &p.page);
  other->setObjectName("TabOther");
  defineMap(other->model());
  other->refresh();
  other->render();
  const QPoint at = other->elementRect(0, 0).center();
  // The owner of the first control delivers a click and keys to the second
  // one while the first is still handling its Enter (as a message box would).
  p.tab->model().setOwnerNotify([&](MapModel&) {
    QTest::mouseClick(other, Qt::LeftButton, Qt::NoModifier, at);
    QTest::keyClicks(other, "7");
  });
  p.click(0, 0);
  p.keys("3");
  p.key(Qt::Key_Return);
  EXPECT_EQ(p.sheet().cell(0, 0), 3);
  EXPECT_FALSE(other->editorOpen());
  EXPECT_EQ(other->model().cur().sel.count, 0);
  // Outside a handler the same input is taken.
  QTest::mouseClick(other, Qt::LeftButton, Qt::NoModifier, at);
  QTest::keyClicks(other, "7");
  EXPECT_TRUE(other->editorOpen());
}

TEST(MapEditorMouse, CtrlAddsAndShiftExtendsFromTheAnchor) {
  Page p;
  p.click(0, 0);
  p.click(2, 2, Qt::ControlModifier);
  EXPECT_EQ(p.sheet().sel.count, 2);
  EXPECT_FALSE(p.sheet().sel.interpReady);
  p.click(4, 1, Qt::ShiftModifier);  // from the anchor (2, 2)
  EXPECT_EQ(p.sheet().sel.count, 6);
  EXPECT_FALSE(p.tab->model().isSelected(ElemRef{0, 0}));
  // A Ctrl click of another kind starts anew.
  p.click(3, -1, Qt::ControlModifier);
  EXPECT_EQ(p.sheet().sel.count, 1);
  EXPECT_EQ(p.sheet().sel.mode & 0xFF, kSelX);
}

}  // namespace
}  // namespace q3
