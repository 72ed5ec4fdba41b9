// The compare window in the main window (offscreen): File -> "Compare..."
// against a settings file lists the setting and the map that differ; taking
// one setting and one map changes the window's settings, and each take goes
// back with one undo.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "files/ign_document.h"
#include "maps/map_defs.h"
#include "maps/param_catalogue.h"
#include "maps/ui/map_editor.h"
#include "params/address_map.h"
#include "params/param_model.h"
#include "shell/ui/compare_window.h"
#include "shell/ui/main_window.h"
#include "support/qt_app.h"
#include "text/mstring.h"

namespace fs = std::filesystem;

namespace {

using q3::ImageByte;

class CompareWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    q3test::app();
    char tmpl[] = "/tmp/q3compareXXXXXX";
    dir = mkdtemp(tmpl);
    setenv("QUELIN3_DATA_DIR", dir.c_str(), 1);
    setenv("QUELIN3_SERVICE_FILE", (dir / "service.txt").c_str(), 1);
    q3::setLanguage(0);
    form = std::make_unique<MainWindow>(q3::StartOptions::fromEnvironment());
  }
  void TearDown() override {
    form.reset();
    fs::remove_all(dir);
  }
  q3::ParamImage& image() { return form->image(); }
  // Writes b as a settings file.
  std::string save(const q3::ParamImage& b) {
    q3::ParamModel m;
    m.image() = b;
    q3::IgnDocument doc(m, form->context().dialogs);
    const std::string path = (dir / "other.ign").string();
    EXPECT_TRUE(doc.save(path));
    return path;
  }
  CompareWindow* openCompare() {
    form->action("MenuCompare")->trigger();
    return form->findChild<CompareWindow*>("FormCompare");
  }
  void undo() { form->action("MenuZpet")->trigger(); }

  fs::path dir;
  std::unique_ptr<MainWindow> form;
};

bool sameCells(const q3::ParamImage& x, const q3::ParamImage& y, int base) {
  for (int i = 0; i < q3::kMapRows * q3::kMapColumns; ++i)
    if (x.byte(base + i) != y.byte(base + i)) return false;
  return true;
}

TEST_F(CompareWindowTest, TakeOneSettingAndOneMapThenUndoEachInOneStep) {
  // Advance map 1 over engine speed and throttle.
  image().setByte(ImageByte::TpsIapSensor, 1);
  image().setByte(ImageByte::AdvMap, 1);
  form->params().resetHistory(0);
  const q3::ParamImage a = image();
  q3::ParamImage b = a;
  b.setByte(ImageByte::Limiter, a.byte(ImageByte::Limiter) + 5);
  for (int i = 0; i < 3; ++i)
    b.setByte(ImageByte::Advance + 20 + i, a.byte(ImageByte::Advance + 20 + i) + 2);
  b.setByte(ImageByte::Advance2 + 40, a.byte(ImageByte::Advance2 + 40) + 3);
  const std::string file = save(b);

  CompareWindow* w = openCompare();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  ASSERT_TRUE(w->compareWithFile(QString::fromStdString(file)));
  const q3::SettingsComparison& c = w->comparison();
  ASSERT_EQ(c.values.size(), 1u) << q3::comparisonText(c);
  EXPECT_STREQ(c.values[0].entry->spec->name, "UpDownLimiter");
  ASSERT_EQ(c.maps.size(), 2u) << q3::comparisonText(c);
  EXPECT_TRUE(c.others.empty()) << q3::comparisonText(c);

  // The list: the page, the caption and both values in page units.
  auto* tree = w->findChild<QTreeWidget*>("TreeCompare");
  ASSERT_NE(tree, nullptr);
  const auto rows = tree->findItems("Limiter [rpm]", Qt::MatchExactly | Qt::MatchRecursive);
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0]->parent()->text(0), "Miscellaneous");
  EXPECT_EQ(rows[0]->text(1), QString::number(a.byte(ImageByte::Limiter) * 100));
  EXPECT_EQ(rows[0]->text(2), QString::number(b.byte(ImageByte::Limiter) * 100));

  // The map's grid holds B - A where the cells differ.
  ASSERT_TRUE(w->selectMap(q3::kOwnerAdvance, 0));
  auto* grid = w->findChild<QTableWidget*>("TableMapDifference");
  ASSERT_NE(grid, nullptr);
  ASSERT_EQ(grid->rowCount(), q3::kMapRows);
  const QTableWidgetItem* d = grid->item(1, 5);  // row 2, column 6
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->text(), "+2");
  if (const char* shots = std::getenv("Q3_SCREENSHOT_DIR")) {
    w->resize(1200, 720);
    QApplication::processEvents();
    w->grab().save(QString(shots) + "/compare_window.png");
  }

  ASSERT_TRUE(w->selectSetting("UpDownLimiter"));
  w->takeSelected();
  EXPECT_EQ(image().byte(ImageByte::Limiter), b.byte(ImageByte::Limiter));
  EXPECT_TRUE(sameCells(image(), a, ImageByte::Advance));

  ASSERT_TRUE(w->selectMap(q3::kOwnerAdvance, 0));
  w->takeSelected();
  EXPECT_TRUE(sameCells(image(), b, ImageByte::Advance));
  EXPECT_TRUE(sameCells(image(), a, ImageByte::Advance2));  // the other map stays
  EXPECT_EQ(w->comparison().count(), 1);                    // advance map 2's cell is left

  undo();
  EXPECT_TRUE(sameCells(image(), a, ImageByte::Advance));
  EXPECT_EQ(image().byte(ImageByte::Limiter), b.byte(ImageByte::Limiter));
  undo();
  EXPECT_EQ(image(), a);

  // Take all: everything of B in one step, and one undo gives A back.
  w->takeAll();
  EXPECT_EQ(image(), b);
  undo();
  EXPECT_EQ(image(), a);
}

// The catalogue names every control the pages bind, on the page it stands
// on, with the caption the window shows for it in each language; and every
// map editor of the window with each of its sheets.
TEST_F(CompareWindowTest, EveryBoundControlAndMapIsInTheCatalogueAsTheWindowShowsIt) {
  auto shown = [](QWidget* w) -> QString {
    QString t;
    if (auto* l = qobject_cast<QLabel*>(w)) t = l->text();
    if (auto* b = qobject_cast<QCheckBox*>(w)) t = b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) t = g->title();
    while (t.endsWith(':') || t.endsWith(' ')) t.chop(1);
    return t;
  };
  int checked = 0;
  for (const char* language : {"MenuEnglish", "MenuGerman", "MenuCzech"}) {
    form->action(language)->trigger();
    for (const q3::pages::PageTable& p : q3::pages::pageTables()) {
      QWidget* sheet = form->page(p.sheet);
      ASSERT_NE(sheet, nullptr) << p.sheet;
      for (const q3::pages::ControlSpec& s : p.table()) {
        QWidget* control = form->findChild<QWidget*>(s.name);
        ASSERT_NE(control, nullptr) << s.name;
        EXPECT_TRUE(sheet->isAncestorOf(control)) << s.name;
        if (s.base < 0) continue;  // moved by the page itself, not bound
        const q3::CatalogueEntry* e = q3::findCatalogueEntry(s.name);
        ASSERT_NE(e, nullptr) << s.name;
        EXPECT_EQ(e->page, p.page) << s.name;
        QString name = QString::fromLatin1(s.name);
        const bool labelled = s.kind == q3::pages::Kind::Spin ||
                              s.kind == q3::pages::Kind::SpinWord ||
                              s.kind == q3::pages::Kind::ComboValue;
        if (labelled) {
          for (const char* prefix : {"UpDown", "ComboBox"})
            if (name.startsWith(prefix)) name = name.mid(int(strlen(prefix)));
          name.prepend("Label");
        }
        // A control without a caption of its own is named by its group.
        if (s.group) name = QString::fromLatin1(s.group);
        QWidget* captioned = form->findChild<QWidget*>(name);
        ASSERT_NE(captioned, nullptr) << name.toStdString();
        EXPECT_EQ(shown(captioned).toStdString(), q3::entryCaption(*e))
            << s.name << " " << language;
        ++checked;
      }
    }
  }
  int bound = 0;
  for (const q3::CatalogueEntry& e : q3::catalogueEntries()) bound += !e.packed();
  EXPECT_EQ(checked, 3 * bound);

  // A bit the page moves itself is where the catalogue says: a click on its
  // check box flips that bit and nothing else.
  int clicked = 0;
  for (const q3::CatalogueEntry& e : q3::catalogueEntries()) {
    if (!e.packed() || e.packedBit < 0) continue;
    form->pageControl()->setCurrentIndex(e.page);
    auto* box = form->findChild<QCheckBox*>(e.spec->name);
    ASSERT_NE(box, nullptr) << e.spec->name;
    if (!box->isEnabled()) continue;  // the trigger system has no such choice
    ++clicked;
    const q3::ParamImage before = image();
    box->click();
    q3::ParamImage expected = before;
    expected.setByte(e.packedByte, before.byte(e.packedByte) ^ (1 << e.packedBit));
    for (int i = 0; i < q3::kImageSize; ++i)
      EXPECT_EQ(image().byte(i), expected.byte(i)) << e.spec->name << " byte " << i;
  }
  EXPECT_GE(clicked, 6);  // at least the six inputs' boxes

  const auto editors = form->findChildren<q3::MapEditor*>();
  ASSERT_FALSE(editors.empty());
  for (q3::MapEditor* ed : editors) {
    const int owner = ed->model().ownerId();
    for (int sheet = 0; sheet < ed->model().sheetCount(); ++sheet) {
      int page = -1;
      for (const q3::CatalogueMap& m : q3::catalogueMaps())
        if (m.owner == owner && m.sheet == sheet) page = m.page;
      ASSERT_GE(page, 0) << ed->objectName().toStdString() << " sheet " << sheet;
      EXPECT_TRUE(form->page(q3::pages::pageTables()[size_t(page)].sheet)->isAncestorOf(ed))
          << ed->objectName().toStdString();
    }
  }
}

TEST_F(CompareWindowTest, TheUnitsSettingsNeedAReadUnit) {
  CompareWindow* w = openCompare();
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->hasCompared());  // no unit was read: nothing to compare with yet
}

// A click on the label that says unit and window differ compares the
// window's settings with the unit's as last read, in the window's language.
TEST_F(CompareWindowTest, AClickOnTheDifferentLabelComparesWithTheUnit) {
  form->action("MenuGerman")->trigger();
  q3::ParamModel& params = form->params();
  params.unitImage() = image();
  params.unitImage().setByte(ImageByte::Retard, image().byte(ImageByte::Retard) + 1);
  params.setUnitImageValid(true);
  params.compare();
  QLabel* label = form->slotLabel(4);
  ASSERT_NE(label, nullptr);
  QTest::mouseClick(label, Qt::LeftButton);
  auto* w = form->findChild<CompareWindow*>("FormCompare");
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  ASSERT_TRUE(w->hasCompared());
  ASSERT_EQ(w->comparison().count(), 1);
  EXPECT_STREQ(w->comparison().values[0].entry->spec->name, "UpDownRetard");
  EXPECT_EQ(w->windowTitle(), "Einstellungen vergleichen");
  auto* tree = w->findChild<QTreeWidget*>("TreeCompare");
  EXPECT_EQ(tree->findItems("Verschiedene", Qt::MatchExactly).size(), 1);
  form->action("MenuEnglish")->trigger();
  EXPECT_EQ(w->windowTitle(), "Compare settings");
}

}  // namespace
