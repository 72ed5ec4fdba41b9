// The command surface of the map editor control on the off-screen platform:
// tool buttons that follow the selection and the clipboard, the clipboard
// itself (plain text, the sheet format, the graph), the popup menu with its
// commands, the hints, and the small view buttons.
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "maps/map_editor_fixture.h"
#include "maps/maps_fixture.h"
#include "maps/sheet_text.h"
#include "text/mstring.h"

namespace q3 {
namespace {

using q3test::flatAdvanceImage;
using q3test::Page;
using q3test::RecordingDialogs;

bool shown(const Page& p, const char* name) {
  const MapEditor::ToolButton* b = p.tab->toolButton(name);
  return b && p.tab->buttonShown(*b);
}

QAction* action(QMenu* menu, const char* name) {
  for (QAction* a : menu->actions())
    if (a->objectName() == name) return a;
  return nullptr;
}

QStringList actionNames(QMenu* menu) {
  QStringList names;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) names << a->objectName();
  return names;
}

QMenu* rightClick(Page& p, QPoint at) {
  QTest::mouseClick(p.tab, Qt::RightButton, Qt::NoModifier, at);
  QMenu* menu = p.tab->popupMenu();
  if (menu) menu->close();
  return menu;
}

TEST(MapEditorButtons, TitleRowFollowsTheSelectionAndTheActualCell) {
  QGuiApplication::clipboard()->clear();
  Page p;
  EXPECT_FALSE(shown(p, "Copy"));
  EXPECT_FALSE(shown(p, "Plus"));
  EXPECT_FALSE(shown(p, "Paste"));
  for (const char* always : {"CopyTable", "OnlyX", "Both", "ViewTable", "View2D", "View3D"})
    EXPECT_TRUE(shown(p, always)) << always;
  EXPECT_FALSE(shown(p, "OnlyY"));  // the engine-speed axis cannot be given up
  EXPECT_TRUE(p.tab->toolButton("Both")->checked);
  p.click(3, 3);
  EXPECT_TRUE(shown(p, "Copy"));
  EXPECT_TRUE(shown(p, "Plus"));
  EXPECT_TRUE(shown(p, "Minus"));
  // + and - act on the selection.
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier,
                    p.tab->toolButton("Plus")->rect.center());
  EXPECT_EQ(p.sheet().cell(3, 3), 1);
  // A cell of the throttle breakpoints (not editable) gives Copy only.
  p.click(-1, 3);
  EXPECT_TRUE(shown(p, "Copy"));
  EXPECT_FALSE(shown(p, "Plus"));
  // Without a selection, the actual cell brings + and - back.
  p.key(Qt::Key_Escape);
  p.tab->model().setLiveValues(3000, 0, 0, 0);
  p.tab->model().updateActual();
  p.tab->refresh();
  EXPECT_TRUE(shown(p, "Plus"));
  // The view buttons switch the view and show it pressed.
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier,
                    p.tab->toolButton("View3D")->rect.center());
  EXPECT_EQ(p.tab->view(), 4);
  EXPECT_TRUE(p.tab->toolButton("View3D")->checked);
  EXPECT_TRUE(shown(p, "Iso2"));
  EXPECT_TRUE(p.tab->toolButton("Iso2")->checked);
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier, p.tab->toolButton("Top")->rect.center());
  EXPECT_EQ(presetOf(p.tab->graph().rotation), static_cast<int>(Preset::Top));
}

TEST(MapEditorButtons, PasteFollowsTheClipboardAsItChanges) {
  Page p;
  QClipboard* clip = QGuiApplication::clipboard();
  clip->setText("5");
  EXPECT_EQ(p.tab->clipboardState(), 1);  // no tick needed
  p.tab->refresh();
  EXPECT_FALSE(shown(p, "Paste"));  // text, but nothing selected to paste into
  p.click(1, 1);
  EXPECT_TRUE(shown(p, "Paste"));
  EXPECT_EQ(p.tab->toolButton("Paste")->bitmap, "CLBRD_PAST");
  p.key(Qt::Key_Escape);
  p.tab->copyTable();
  EXPECT_EQ(p.tab->clipboardState(), 3);
  p.tab->refresh();
  EXPECT_TRUE(shown(p, "Paste"));
  EXPECT_EQ(p.tab->toolButton("Paste")->bitmap, "CLBRD_PASTSHEET");
  clip->clear();
  EXPECT_EQ(p.tab->clipboardState(), 0);
}

TEST(MapEditorButtons, AddAndRemoveColumnAtTheirLimits) {
  Page p;
  const MapEditor::ToolButton* add = p.tab->toolButton("AddColumn");
  ASSERT_TRUE(add && shown(p, "AddColumn"));
  EXPECT_TRUE(add->show & 0x80);  // 15 of 15: inert, light grey
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier, add->rect.center());
  EXPECT_EQ(p.sheet().x.count, 15);
  for (int i = 0; i < 14; ++i) {
    QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier,
                      p.tab->toolButton("RemoveColumn")->rect.center());
    p.ticks(6);
  }
  EXPECT_EQ(p.sheet().x.count, 1);
  EXPECT_EQ(p.img.byte(ImageByte::AdvColumns), 1);
  EXPECT_TRUE(p.tab->toolButton("RemoveColumn")->show & 0x80);
  EXPECT_FALSE(p.tab->toolButton("AddColumn")->show & 0x80);
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier,
                    p.tab->toolButton("AddColumn")->rect.center());
  EXPECT_EQ(p.sheet().x.count, 2);
}

TEST(MapEditorClipboard, CopyAndPasteThroughTheClipboard) {
  Page p;
  p.sheet().cell(2, 2) = 7;
  p.sheet().cell(3, 2) = -3;
  p.click(2, 2);
  p.click(3, 2, Qt::ShiftModifier);
  p.key(Qt::Key_C, Qt::ControlModifier);
  QClipboard* clip = QGuiApplication::clipboard();
  EXPECT_EQ(clip->text(), "7\t-3");
  EXPECT_FALSE(clip->mimeData()->hasFormat(kSheetMimeType));
  p.click(5, 5);
  p.key(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(p.sheet().cell(6, 5), -3);
  EXPECT_EQ(p.img.byte(ImageByte::Advance + 5 * 15 + 6), 97);
  // The whole table: plain text and the sheet format, byte for byte the core's.
  p.tab->copyTable();
  const TableTexts t = copyTableTexts(p.sheet(), false, '.');
  EXPECT_EQ(clip->text().toStdString(), t.plain);
  EXPECT_EQ(clip->mimeData()->data(kSheetMimeType).toStdString(), t.sheet);
  // Map 1 pastes into map 2 (Shift+Insert).
  p.key(Qt::Key_Tab);
  ASSERT_EQ(p.tab->model().current(), 1);
  p.key(Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(p.tab->model().sheet(1).cell(6, 5), -3);
  EXPECT_EQ(p.img.byte(ImageByte::Advance2 + 5 * 15 + 6), 97);
  // A sheet of eight rows: the dimension message, as an error.
  RecordingDialogs rec;
  p.tab->setDialogs(&rec);
  std::string eight = t.sheet;
  eight.replace(eight.find("SizeY:\t10"), 9, "SizeY:\t8");
  eight.erase(eight.rfind('\n'));
  eight.erase(eight.rfind('\n'));
  auto* md = new QMimeData;
  md->setData(kSheetMimeType, QByteArray::fromStdString(eight));
  clip->setMimeData(md);
  EXPECT_EQ(p.tab->paste().status, PasteStatus::Refused);
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.kinds[0], DialogKind::Error);
  EXPECT_NE(rec.messages[0].find("Table dimensions are not eqal"), std::string::npos);
}

TEST(MapEditorClipboard, CopyGraphPutsAnImage) {
  Page p;
  p.tab->setView(2);
  QGuiApplication::clipboard()->clear();
  p.tab->copyGraph();
  const QImage img = QGuiApplication::clipboard()->image();
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(img.size(), p.tab->graphFrame().size());
  EXPECT_EQ(img.pixelColor(1, 1), QColor(Qt::white));  // drawn on white
}

TEST(MapEditorMenu, OffersWhatTheStateAllows) {
  Page p;
  QGuiApplication::clipboard()->clear();
  // Two whole columns selected by their strips: delete them (not all).
  const QRect x4 = p.tab->elementRect(4, -1), c40 = p.tab->elementRect(4, 0);
  const QPoint strip4(x4.center().x(), (x4.bottom() + c40.top()) / 2);
  const QPoint strip5 = strip4 + QPoint(x4.width(), 0);
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier, strip4);
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::ShiftModifier, strip5);
  QMenu* menu = rightClick(p, p.centre(4, 2));
  ASSERT_TRUE(menu);
  const QStringList names = actionNames(menu);
  for (const char* want : {"MenuCopy", "MenuCopyTable", "MenuInsertColumn", "MenuDeleteColumns",
                           "MenuViewTable", "MenuView2D", "MenuView3D", "MenuOnlyX", "MenuBoth"})
    EXPECT_TRUE(names.contains(want)) << want;
  for (const char* not_ : {"MenuEnable", "MenuPaste", "MenuInsertRow", "MenuDeleteRows", "MenuTop"})
    EXPECT_FALSE(names.contains(not_)) << not_;
  EXPECT_TRUE(action(menu, "MenuDeleteColumns")->text().endsWith("(2)"));
  EXPECT_TRUE(action(menu, "MenuViewTable")->isChecked());
  action(menu, "MenuDeleteColumns")->trigger();
  EXPECT_EQ(p.sheet().x.count, 13);
  EXPECT_EQ(p.stores, 1);
  // Every column selected: no delete.
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier, strip4);
  p.tab->model().selectRect(kSelCells, 0, 0, 12, 9, false);
  EXPECT_FALSE(actionNames(rightClick(p, p.centre(4, 2))).contains("MenuDeleteColumns"));
  // Three cells in a row: interpolate from the menu.
  p.sheet().cell(0, 0) = 10;
  p.sheet().cell(2, 0) = 30;
  p.tab->model().selectRect(kSelCells, 0, 0, 2, 0, false);
  menu = rightClick(p, p.centre(1, 0));
  ASSERT_TRUE(action(menu, "MenuInterpolate"));
  action(menu, "MenuInterpolate")->trigger();
  EXPECT_EQ(p.sheet().cell(1, 0), 20);
  // Insert a column at the grid line nearest the pointer on a column strip.
  menu = rightClick(p, strip4 + QPoint(x4.width() / 2 - 2, 0));
  ASSERT_TRUE(action(menu, "MenuInsertColumn"));
  action(menu, "MenuInsertColumn")->trigger();
  EXPECT_EQ(p.sheet().x.count, 14);
  EXPECT_TRUE(p.tab->model().isSelected(ElemRef{5, 0}));
}

// Servo over throttle only: its engine-speed axis is collapsed, so the menu
// offers no column to delete however the shown column is selected; plain text
// on the clipboard is offered for a selection only.
TEST(MapEditorMenu, OneColumnMapOffersNoColumnDelete) {
  Page p(kOwnerServo, q3test::servoImage(1, true));
  ASSERT_TRUE(p.sheet().x.collapsed);
  const int used = p.sheet().x.collapsedIndex;
  QGuiApplication::clipboard()->setText("7");
  p.tab->timerEntry();
  p.tab->model().clearSelection();
  for (int i = 0; i < 16; ++i) p.tab->timerEntry();  // the clipboard check
  EXPECT_FALSE(actionNames(rightClick(p, p.centre(used, 2))).contains("MenuPaste"));
  p.click(used, 0);
  p.click(used, p.sheet().y.count - 1, Qt::ShiftModifier);
  const QStringList names = actionNames(rightClick(p, p.centre(used, 2)));
  EXPECT_FALSE(names.contains("MenuDeleteColumns"));
  EXPECT_TRUE(names.contains("MenuPaste"));
  QGuiApplication::clipboard()->clear();
}

TEST(MapEditorMenu, DisabledSheetAndSheetTabs) {
  Page p(kOwnerServo, q3test::servoImage(2, true));
  QMenu* menu = rightClick(p, p.centre(2, 2));
  QAction* toggle = action(menu, "MenuEnable");
  ASSERT_TRUE(toggle);
  EXPECT_EQ(toggle->text(), "Disable Servo");
  toggle->trigger();
  EXPECT_FALSE(p.sheet().enabled);
  EXPECT_EQ(p.img.byte(ImageByte::ServoEnable), 0);
  EXPECT_EQ(p.stores, 1);
  // Disabled: only Enable is left (no autoscroll: the table fits), and the
  // tool buttons take no click.
  menu = rightClick(p, p.centre(2, 2));
  EXPECT_EQ(actionNames(menu), QStringList{"MenuEnable"});
  EXPECT_EQ(action(menu, "MenuEnable")->text(), "Enable Servo");
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier,
                    p.tab->toolButton("View2D")->rect.center());
  EXPECT_EQ(p.tab->view(), 1);
  // In the 3D view the 3D items stay, the current preset checked.
  p.tab->setView(4);
  menu = rightClick(p, p.tab->graphFrame().center());
  EXPECT_TRUE(action(menu, "MenuIso2")->isChecked());
  EXPECT_FALSE(actionNames(menu).contains("MenuView2D"));
  action(menu, "MenuLabels3")->trigger();
  EXPECT_EQ(p.tab->graph().labelMode, 3);

  // A right click on a sheet tab makes it current and opens its short menu.
  Page adv;
  adv.tab->copyTable();
  const QPoint tab2(10 + adv.sheet().tabWidth + 4 + 10, 12);
  menu = rightClick(adv, tab2);
  EXPECT_EQ(adv.tab->model().current(), 1);
  EXPECT_EQ(actionNames(menu), (QStringList{"MenuCopyTable", "MenuPaste"}));
}

TEST(MapEditorMenu, CsvExportAndImport) {
  Page p;
  QTemporaryDir dir;
  const QString file = dir.filePath("map.csv");
  p.tab->setCsvFileChooser([&](bool) { return file; });
  p.sheet().cell(4, 4) = 12;
  action(rightClick(p, p.centre(1, 1)), "MenuExportCsv")->trigger();
  p.sheet().cell(4, 4) = 0;
  action(rightClick(p, p.centre(1, 1)), "MenuImportCsv")->trigger();
  EXPECT_EQ(p.sheet().cell(4, 4), 12);
  EXPECT_EQ(p.img.byte(ImageByte::Advance + 4 * 15 + 4), 112);
}

TEST(MapEditorHints, ButtonsCornersAndThe3DView) {
  Page p;
  const QPoint copyTable = p.tab->toolButton("CopyTable")->rect.center();
  EXPECT_EQ(p.tab->hintAt(copyTable), "Copy table");
  setLanguage(2);
  p.tab->refresh();
  EXPECT_EQ(p.tab->hintAt(copyTable), QString::fromUtf8("Kopírovat tabulku"));
  setLanguage(0);
  p.click(0, 0);
  p.click(2, 0, Qt::ShiftModifier);
  const QPoint corner = p.tab->elementRect(0, 0).topLeft() + QPoint(2, 2);
  QTest::mouseMove(p.tab, corner);
  EXPECT_EQ(p.tab->hintAt(corner), "Interpolation");
  // The 3D view tells the status line what the wheel does over its panel.
  p.tab->setView(4);
  QSignalSpy spy(p.tab, &MapEditor::statusHint);
  const QPoint panel(p.tab->graphFrame().left() + 20, p.tab->graphFrame().top() + 100);
  QTest::mouseMove(p.tab, panel);
  ASSERT_FALSE(spy.isEmpty());
  EXPECT_TRUE(spy.last().at(0).toString().startsWith("Set actual value"));
}

TEST(MapEditorButtons, SmallViewButtonsAndTheConditionMapView) {
  // The lambda-over-rpm curve: no title row, table and 2D view.
  Page p(kOwnerLambdaRpm);
  ASSERT_TRUE(shown(p, "SmallGraph"));
  EXPECT_EQ(p.tab->hintAt(p.tab->toolButton("SmallGraph")->rect.center()), "2D Graph / Table view");
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier,
                    p.tab->toolButton("SmallGraph")->rect.center());
  EXPECT_EQ(p.tab->view(), 2);
  ASSERT_TRUE(shown(p, "SmallTable"));
  QTest::mouseClick(p.tab, Qt::LeftButton, Qt::NoModifier,
                    p.tab->toolButton("SmallTable")->rect.center());
  EXPECT_EQ(p.tab->view(), 1);

  ParamImage img = flatAdvanceImage();
  img.setByte(ImageByte::PoutFunction, 255);
  Page c(kOwnerPoutCondition, img);
  ASSERT_TRUE(shown(c, "Proportional"));
  EXPECT_EQ(c.tab->toolButton("Proportional")->bitmap, "BT_P");
  QTest::mouseClick(c.tab, Qt::LeftButton, Qt::NoModifier,
                    c.tab->toolButton("Proportional")->rect.center());
  EXPECT_TRUE(c.tab->graph().conditionProportional);
  EXPECT_EQ(c.tab->toolButton("Proportional")->bitmap, "BT_nP");
}

}  // namespace
}  // namespace q3
