// Printing from the main window (offscreen): a sheet shows the page's
// captions where the window shows them, the preview is in the File menu,
// and "quelin3 --print-pdf" prints the maps of the file it is given.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>

#include "files/ign_writer.h"
#include "params/address_map.h"
#include "print/paper_look.h"
#include "print/window_printer.h"
#include "qt_app.h"
#include "shell/ui/main_window.h"
#include "text/mstring.h"

namespace {

using q3::ImageByte;
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
// at the page's top left is there in ink, as the window shows it.
TEST_F(PrintWindowTest, ASheetShowsTheCaptionsAtThePagesTopLeft) {
  MainWindow w;
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
    EXPECT_GT(darkPixels(sheet, at), 30) << c.control << " at " << at.x() << "," << at.y();
  }
}

TEST_F(PrintWindowTest, ThePreviewIsInTheFileMenuUnderPrintAll) {
  MainWindow w;
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

// A settings file whose first advance row is 7, 9, 11 ... 35 degrees,
// printed without a display: the sheet of the advance page carries those
// numbers as text.
TEST_F(PrintWindowTest, PrintPdfShowsTheMapsOfTheFile) {
  const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
  if (pdftotext.isEmpty()) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  const char* bin = std::getenv("Q3_BINARY_DIR");
  ASSERT_NE(bin, nullptr);
  const QString ign = dir.filePath("row.ign");
  {
    MainWindow w;
    q3::ParamImage img = w.image();
    img.setByte(ImageByte::AdvColumns, 15);
    for (int c = 0; c < 15; ++c) img.setByte(ImageByte::Advance + c, 100 + 7 + 2 * c);
    QFile f(ign);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromStdString(q3::renderIgn(img, q3::IgnWriteInfo{})));
  }
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("QT_QPA_PLATFORM");
  p.setProcessEnvironment(env);
  const QString pdf = dir.filePath("row.pdf");
  p.start(QString(bin) + "/src/shell/ui/quelin3", {"--print-pdf", pdf, ign});
  ASSERT_TRUE(p.waitForFinished(60000));
  ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  p.start(pdftotext, {"-layout", pdf, "-"});
  ASSERT_TRUE(p.waitForFinished(60000));
  const QString text = QString::fromUtf8(p.readAllStandardOutput());
  QStringList row;
  for (int c = 0; c < 15; ++c) row << QString::number(7 + 2 * c);
  EXPECT_TRUE(text.contains(QRegularExpression("\\b" + row.join("\\s+") + "\\b")))
      << text.toStdString();
}

}  // namespace
