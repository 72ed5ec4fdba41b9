// The time the engine spent in each cell, as the map editor shows it: no
// shading until it is switched on in the popup menu, then the busiest cell
// shaded fullest under its value, and the cell's hint with its seconds.
#include <QAction>
#include <QMenu>

#include "map_editor_fixture.h"

namespace {

// The value's text in a cell: its dark pixels without shading, and how many
// of them the shaded cell still shows dark.
struct TextPixels {
  int text = 0, kept = 0;
};
TextPixels textPixels(const QImage& plain, const QImage& shaded, const QRect& r) {
  TextPixels n;
  for (int y = r.top() + 2; y < r.bottom() - 1; ++y)
    for (int x = r.left() + 2; x < r.right() - 1; ++x)
      if (qGray(plain.pixel(x, y)) < 80) {
        ++n.text;
        n.kept += qGray(shaded.pixel(x, y)) < 100;
      }
  return n;
}

QColor middle(const QImage& img, const QRect& r) {
  return img.pixelColor(r.left() + 3, r.top() + 3);
}

TEST(MapEditorTime, ShadingIsOffUntilChosenAndNeverHidesTheValue) {
  q3test::Page pg(q3::kOwnerAdvance, q3test::advanceImage());
  std::vector<double> times(size_t(q3::kCellCount), 0.0);
  times[q3::cellIndex(3, 2)] = 12.0;
  times[q3::cellIndex(4, 2)] = 3.0;
  pg.tab->setCellTimes(0, times);
  pg.tab->render();
  const QRect busy = pg.tab->elementRect(3, 2), some = pg.tab->elementRect(4, 2),
              idle = pg.tab->elementRect(6, 6);
  const QImage off = pg.tab->offscreen().copy();
  EXPECT_FALSE(pg.tab->timeShading());
  EXPECT_EQ(middle(off, busy), middle(off, idle));
  EXPECT_EQ(pg.tab->hintAt(busy.center()), "");

  QMenu* menu = pg.tab->buildPopupMenu(busy.center());
  auto* item = menu->findChild<QAction*>("MenuTimeShading");
  ASSERT_NE(item, nullptr);
  EXPECT_FALSE(item->isChecked());
  item->trigger();
  EXPECT_TRUE(pg.tab->timeShading());
  pg.tab->render();
  const QImage on = pg.tab->offscreen().copy();
  EXPECT_NE(middle(on, busy), middle(off, busy));
  EXPECT_EQ(middle(on, idle), middle(off, idle));
  // The busier cell is the stronger orange.
  EXPECT_LT(middle(on, busy).blue(), middle(on, some).blue());
  const TextPixels value = textPixels(off, on, busy);
  EXPECT_GT(value.text, 0);
  EXPECT_EQ(value.kept, value.text);
  EXPECT_EQ(pg.tab->hintAt(busy.center()), "Time spent here: 12.0 s (80.0 %)");

  // Without times for the sheet the menu does not offer it.
  pg.tab->setCellTimes(0, {});
  EXPECT_EQ(pg.tab->buildPopupMenu(busy.center())->findChild<QAction*>("MenuTimeShading"), nullptr);
}

}  // namespace
