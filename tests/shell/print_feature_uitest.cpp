// Printing from the main window (offscreen): a sheet shows the page's
// captions where the window shows them, and the preview is in the File menu.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QTabWidget>
#include <QTemporaryDir>

#include "base/start_options.h"
#include "print/paper_look.h"
#include "print/window_printer.h"
#include "shell/ui/main_window.h"
#include "support/qt_app.h"
#include "text/mstring.h"

namespace {

using q3test::app;

class PrintWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    q3::setLanguage(0);
    setenv("QUELIN3_DATA_DIR", dir.path().toUtf8().constData(), 1);
    setenv("QUELIN3_SERVICE_FILE", dir.filePath("service.txt").toUtf8().constData(), 1);
    setenv("QUELIN3_PORT_SERVER", ("quelin3-print-" + std::to_string(::getpid())).c_str(), 1);
  }
  QTemporaryDir dir;
};

// Pixels darker than mid grey inside r.
int darkPixels(const QImage& img, const QRect& r) {
  int n = 0;
  for (int y = std::max(0, r.top()); y <= std::min(img.height() - 1, r.bottom()); ++y)
    for (int x = std::max(0, r.left()); x <= std::min(img.width() - 1, r.right()); ++x)
      n += qGray(img.pixel(x, y)) < 128;
  return n;
}

// Each page's sheet, painted into an image of the window's size: the caption
// at the page's top left is there in ink, as the window shows it (the tab
// bar above it once covered it on the Advance and Servo pages).
TEST_F(PrintWindowTest, ASheetShowsTheCaptionsAtThePagesTopLeft) {
  MainWindow w(q3::StartOptions::fromEnvironment());
  w.resize(1280, 800);
  struct Case {
    int page;
    const char* control;
  };
  for (const Case& c : {Case{0, "LabelLimiter"}, Case{3, "LabelBaseAdv"},
                        Case{5, "CheckBoxServoEnable"}, Case{6, "RadioGroupGearSystem"}}) {
    q3::PaperLook look(&w);
    look.showOnlyTab(w.pageControl(), c.page);
    QImage sheet(w.size(), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    {
      QPainter p(&sheet);
      q3::paintWindow(p, &w);
    }
    QWidget* caption = w.findChild<QWidget*>(c.control);
    ASSERT_NE(caption, nullptr) << c.control;
    ASSERT_TRUE(caption->isVisibleTo(&w)) << c.control;
    const QRect at(caption->mapTo(&w, QPoint(0, 0)), caption->size());
    // The caption drawn on its own is the ink the sheet must show there.
    QImage alone(caption->size(), QImage::Format_RGB32);
    alone.fill(Qt::white);
    {
      QPainter p(&alone);
      caption->render(&p, QPoint(), QRegion(), QWidget::RenderFlags());
    }
    const int ink = darkPixels(alone, alone.rect());
    ASSERT_GT(ink, 30) << c.control;
    EXPECT_GE(darkPixels(sheet, at), ink * 9 / 10)
        << c.control << " at " << at.x() << "," << at.y() << " is covered";
    if (const char* shots = std::getenv("Q3_SCREENSHOT_DIR"))
      sheet.save(QString::fromUtf8(shots) + QStringLiteral("/sheet_page%1.png").arg(c.page));
  }
}

TEST_F(PrintWindowTest, ThePreviewIsInTheFileMenuUnderPrintAll) {
  MainWindow w(q3::StartOptions::fromEnvironment());
  QMenu* file = w.findChild<QMenu*>("MenuFile");
  ASSERT_NE(file, nullptr);
  const QList<QAction*> items = file->actions();
  const qsizetype all = items.indexOf(w.action("MenuPrintAll"));
  ASSERT_GE(all, 0);
  ASSERT_LT(all + 1, items.size());
  EXPECT_EQ(items[all + 1]->objectName(), "MenuPrintPreview");
  EXPECT_EQ(items[all + 1]->text(), "Print preview");
  w.changeLanguage(1);
  EXPECT_EQ(items[all + 1]->text(), "Druckvorschau");
  w.changeLanguage(0);
}

}  // namespace
