// Printing the window's pages into PDF files, offscreen: the sheets per job,
// the paper look while printing, and a window that is exactly as it was after
// a print, a cancelled one, a failed one and a second one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "maps/ui/map_editor.h"
#include "print/paper_look.h"
#include "print/window_printer.h"
#include "support/qt_app.h"
#include "text/recording_dialogs.h"

namespace {

using q3test::app;

QColor face() { return QApplication::palette().color(QPalette::Window); }

void paint(QWidget* w, QPalette::ColorRole role, const QColor& c) {
  QPalette p = w->palette();
  p.setColor(role, c);
  w->setPalette(p);
}

// A window built the way the main window is: menu, tool group, tab pages
// with labels, spin boxes, buttons, gauges, coloured groups and a map
// editor, the status controls and a status bar.
struct TestWindow {
  QApplication& application = app();
  std::unique_ptr<QMainWindow> win = std::make_unique<QMainWindow>();
  QTabWidget* pages = nullptr;
  q3::MapEditor* map = nullptr;

  TestWindow() {
    win->setObjectName("MainForm");
    win->menuBar()->addMenu("&File")->setObjectName("MenuFile");
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    auto* tools = new QGroupBox("tools");
    tools->setObjectName("GroupBoxToolBar");
    auto* toolsLayout = new QVBoxLayout(tools);
    auto* speed = new QToolButton;
    speed->setObjectName("SpeedButtonPrint");
    toolsLayout->addWidget(speed);
    layout->addWidget(tools);
    pages = new QTabWidget;
    pages->setObjectName("PageControl1");
    for (int i = 0; i < 4; ++i) pages->addTab(page(i), QString("Page %1").arg(i));
    layout->addWidget(pages);
    for (const char* name :
         {"CheckBoxProgHned", "LabelConnection", "LabelCongruence", "LabelPocetProgramovani"}) {
      QWidget* w = QString(name).startsWith("CheckBox") ? static_cast<QWidget*>(new QCheckBox(name))
                                                        : new QLabel(name);
      w->setObjectName(name);
      layout->addWidget(w);
    }
    win->setCentralWidget(central);
    win->findChild<QWidget*>("LabelCongruence")->hide();  // hidden before printing
    auto* panel = new QLabel("QUELIN3   RSKEY=104.00");
    panel->setObjectName("StatusPanel2");
    win->statusBar()->addWidget(panel);
    paint(win->statusBar(), QPalette::Window, face());
    pages->setTabVisible(2, false);  // a page whose tab the user does not see
    pages->setCurrentIndex(1);
    win->resize(900, 640);
  }

  QWidget* page(int i) {
    auto* p = new QWidget;
    p->setObjectName(QString("TabSheet%1").arg(i));
    auto* l = new QVBoxLayout(p);
    auto* faceLabel = new QLabel(QString("Settings of page %1").arg(i));
    faceLabel->setObjectName(QString("LabelFace%1").arg(i));
    faceLabel->setAutoFillBackground(true);
    paint(faceLabel, QPalette::Window, face());
    auto* red = new QLabel("Verify error !");
    red->setObjectName(QString("LabelRed%1").arg(i));
    red->setAutoFillBackground(true);
    paint(red, QPalette::Window, Qt::red);
    auto* group = new QGroupBox("Group");
    group->setObjectName(QString("GroupBox%1").arg(i));
    paint(group, QPalette::Window, face());
    auto* gl = new QVBoxLayout(group);
    auto* check = new QCheckBox("Option");
    check->setObjectName(QString("CheckBox%1").arg(i));
    paint(check, QPalette::Window, face());
    gl->addWidget(check);
    auto* spin = new QSpinBox;
    spin->setObjectName(QString("Edit%1").arg(i));
    gl->addWidget(spin);
    auto* button = new QPushButton("Default");
    button->setObjectName(QString("Button%1").arg(i));
    auto* gauge = new QProgressBar;
    gauge->setObjectName(QString("CGauge%1").arg(i));
    for (QWidget* w : {static_cast<QWidget*>(faceLabel), static_cast<QWidget*>(red),
                       static_cast<QWidget*>(group), static_cast<QWidget*>(button),
                       static_cast<QWidget*>(gauge)})
      l->addWidget(w);
    if (i == 0) {
      map = new q3::MapEditor(1, 400, 160, q3::kOptTable);
      map->setObjectName("TabAdvance");
      map->model().addSheet("Advance", "RPM", "TP", "deg", 4, 4, 0);
      l->addWidget(map);
    }
    return p;
  }

  // Everything printing may touch, as text, for before/after comparisons.
  std::vector<std::string> snapshot() const {
    std::vector<std::string> s;
    QList<QWidget*> all = win->findChildren<QWidget*>();
    all.prepend(win.get());
    for (QWidget* w : all) {
      // The window's own controls (Qt's inner widgets come and go by themselves).
      const bool own = !w->objectName().isEmpty() && !w->objectName().startsWith("qt_");
      if (!own && !qobject_cast<QMenuBar*>(w) && !qobject_cast<QStatusBar*>(w)) continue;
      QString line = QString("%1 %2 hidden=%3 own=%4 fill=%5 window=%6 button=%7")
                         .arg(w->metaObject()->className(), w->objectName())
                         .arg(w->isHidden())
                         .arg(w->testAttribute(Qt::WA_SetPalette))
                         .arg(w->autoFillBackground())
                         .arg(w->palette().color(QPalette::Window).name(),
                              w->palette().color(QPalette::Button).name());
      if (auto* spin = qobject_cast<QAbstractSpinBox*>(w))
        line += QString(" arrows=%1").arg(spin->buttonSymbols());
      if (auto* t = qobject_cast<q3::MapEditor*>(w))
        line += QString(" print=%1").arg(t->printAppearance());
      s.push_back(line.toStdString());
    }
    std::sort(s.begin(), s.end());  // the stack of pages reorders its children
    for (int i = 0; i < pages->count(); ++i)
      s.push_back(QString("tab %1 %2").arg(i).arg(pages->isTabVisible(i)).toStdString());
    s.push_back(QString("current %1").arg(pages->currentIndex()).toStdString());
    return s;
  }
};

// The lines that differ between two snapshots ("" when none).
std::string changed(const std::vector<std::string>& before, const std::vector<std::string>& after) {
  std::string out;
  for (size_t i = 0; i < std::max(before.size(), after.size()); ++i) {
    const std::string a = i < before.size() ? before[i] : "-",
                      b = i < after.size() ? after[i] : "-";
    if (a != b) out += a + "  ->  " + b + "\n";
  }
  return out;
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int pdfPages(const QByteArray& pdf) {
  return int(QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page(?!s)")));
}

// The largest bitmap in the PDF, in pixels (0 when there is none).
qint64 largestImage(const QByteArray& pdf) {
  QRegularExpression image("/Subtype\\s*/Image[^>]*?/Width\\s+(\\d+)[^>]*?/Height\\s+(\\d+)");
  qint64 largest = 0;
  auto it = image.globalMatch(QString::fromLatin1(pdf));
  while (it.hasNext()) {
    auto m = it.next();
    largest = std::max(largest, m.captured(1).toLongLong() * m.captured(2).toLongLong());
  }
  return largest;
}

class Printing : public ::testing::Test {
 protected:
  TestWindow w;
  QTemporaryDir dir;
  q3test::RecordingDialogs boxes;
  QString pdf(const char* leaf) { return dir.filePath(leaf); }
};

TEST_F(Printing, PrintIsOneSheetAndPrintAllOneSheetPerVisibleTab) {
  w.win->show();
  const std::vector<std::string> before = w.snapshot();
  struct Case {
    q3::PrintScope scope;
    int sheets;
  };
  for (Case c : {Case{q3::PrintScope::ActivePage, 1}, Case{q3::PrintScope::AllPages, 3}}) {
    SCOPED_TRACE(c.sheets);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf("out.pdf"));
    q3::PrintResult r = q3::WindowPrinter(w.win.get(), w.pages).printTo(printer, c.scope);
    EXPECT_EQ(r.status, q3::PrintStatus::Printed) << r.error.toStdString();
    EXPECT_EQ(r.sheets, c.sheets);
    const QByteArray out = readFile(pdf("out.pdf"));
    EXPECT_EQ(pdfPages(out), c.sheets);
    // Drawn as text and lines: fonts are embedded, and no bitmap is larger
    // than a widget at screen resolution (the map editor's own picture).
    EXPECT_TRUE(out.contains("/FontFile"));
    EXPECT_LE(largestImage(out), qint64(900) * 640);
    EXPECT_EQ(changed(before, w.snapshot()), "");
  }
}

TEST_F(Printing, ThePaperLookIsInPlaceWhilePrintingAndGoneAfter) {
  w.win->show();
  const std::vector<std::string> before = w.snapshot();
  {
    q3::PaperLook look(w.win.get());
    auto hidden = [&](const char* name) { return w.win->findChild<QWidget*>(name)->isHidden(); };
    for (const char* name : {"GroupBoxToolBar", "CheckBoxProgHned", "LabelConnection",
                             "LabelCongruence", "LabelPocetProgramovani", "Button0", "CGauge1"})
      EXPECT_TRUE(hidden(name)) << name;
    EXPECT_TRUE(w.win->menuBar()->isHidden());
    EXPECT_EQ(w.win->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(w.win->statusBar()->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(w.win->findChild<QWidget*>("GroupBox3")->palette().color(QPalette::Window),
              QColor(Qt::white));
    EXPECT_EQ(w.win->findChild<QWidget*>("CheckBox0")->palette().color(QPalette::Window),
              QColor(Qt::white));
    EXPECT_FALSE(w.win->findChild<QLabel*>("LabelFace2")->autoFillBackground());
    // A label in a colour of its own keeps it.
    auto* red = w.win->findChild<QLabel*>("LabelRed0");
    EXPECT_TRUE(red->autoFillBackground());
    EXPECT_EQ(red->palette().color(QPalette::Window), QColor(Qt::red));
    EXPECT_EQ(w.win->findChild<QSpinBox*>("Edit1")->buttonSymbols(), QAbstractSpinBox::NoButtons);
    EXPECT_TRUE(w.map->printAppearance());

    look.showOnlyTab(w.pages, 3);
    EXPECT_EQ(w.pages->currentIndex(), 3);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(w.pages->isTabVisible(i), i == 3);
    look.showOnlyTab(w.pages, 0);
    EXPECT_EQ(w.pages->currentIndex(), 0);
  }
  EXPECT_EQ(changed(before, w.snapshot()), "");
}

TEST_F(Printing, WindowIsRestoredAfterOkCancelFailureAndASecondPrint) {
  w.win->show();
  w.win->findChild<QWidget*>("Edit1")->setFocus();
  int takeOvers = 0, showAlls = 0;
  struct Case {
    const char* name;
    QString output;  // empty: the user cancels
    q3::PrintStatus status;
    int sheets;
  };
  const Case cases[] = {
      {"OK", pdf("ok.pdf"), q3::PrintStatus::Printed, 3},
      {"cancel", QString(), q3::PrintStatus::Cancelled, 0},
      {"printer fails", dir.filePath("missing-folder/x.pdf"), q3::PrintStatus::Failed, 0},
      {"second print", pdf("again.pdf"), q3::PrintStatus::Printed, 3},
  };
  const std::vector<std::string> before = w.snapshot();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    boxes.boxes.clear();
    q3::PrintHooks hooks;
    hooks.takeOverEdit = [&] { ++takeOvers; };
    hooks.showAllPages = [&] { ++showAlls; };
    hooks.askPrinter = [&](QPrinter& p, QWidget* parent) {
      EXPECT_EQ(parent, w.win.get());
      EXPECT_EQ(p.pageLayout().orientation(), QPageLayout::Landscape);  // a wide window
      if (c.output.isEmpty()) return false;
      p.setOutputFormat(QPrinter::PdfFormat);
      p.setOutputFileName(c.output);
      return true;
    };
    q3::PrintResult r = q3::WindowPrinter(w.win.get(), w.pages, hooks).printAll();
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.sheets, c.sheets);
    if (c.status == q3::PrintStatus::Printed) {
      EXPECT_EQ(pdfPages(readFile(c.output)), 3);
    }
    // A failure is told to the user; nothing else is.
    ASSERT_EQ(boxes.boxes.size(), c.status == q3::PrintStatus::Failed ? 1u : 0u);
    if (!boxes.boxes.empty()) {
      EXPECT_EQ(boxes.boxes[0].title, "Printing failed");
      EXPECT_NE(boxes.boxes[0].text.find("missing-folder/x.pdf"), std::string::npos);
    }
    EXPECT_EQ(changed(before, w.snapshot()), "");
    EXPECT_EQ(w.win->focusWidget(), w.win->findChild<QWidget*>("Edit1"));
  }
  EXPECT_EQ(takeOvers, 4);
  EXPECT_EQ(showAlls, 4);
  // Print (the active page) does not refresh every page.
  q3::PrintHooks hooks;
  hooks.showAllPages = [&] { ++showAlls; };
  hooks.askPrinter = [&](QPrinter&, QWidget*) { return false; };
  q3::WindowPrinter(w.win.get(), w.pages, hooks).print();
  EXPECT_EQ(showAlls, 4);
}

TEST_F(Printing, AWindowWithoutSizeOrVisibleTabsIsRefused) {
  QWidget empty;
  auto* pages = new QTabWidget(&empty);
  pages->addTab(new QWidget, "only");
  empty.resize(0, 0);
  ASSERT_TRUE(empty.width() == 0 || empty.height() == 0);
  bool asked = false;
  q3::PrintHooks hooks;
  hooks.askPrinter = [&](QPrinter&, QWidget*) { return asked = true; };
  EXPECT_EQ(q3::WindowPrinter(&empty, pages, hooks).print().status,
            q3::PrintStatus::NothingToPrint);
  empty.resize(300, 200);
  pages->setTabVisible(0, false);
  EXPECT_EQ(q3::WindowPrinter(&empty, pages, hooks).printAll().status,
            q3::PrintStatus::NothingToPrint);
  EXPECT_FALSE(asked);
  EXPECT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(q3::printAllToPdf(nullptr, pdf("none.pdf")).status, q3::PrintStatus::NothingToPrint);
}

TEST_F(Printing, PrintAllToPdfWithoutShowingTheWindow) {
  const std::vector<std::string> before = w.snapshot();
  q3::PrintResult r = q3::printAllToPdf(w.pages, pdf("all.pdf"));
  EXPECT_EQ(r.status, q3::PrintStatus::Printed) << r.error.toStdString();
  EXPECT_EQ(pdfPages(readFile(pdf("all.pdf"))), 3);
  EXPECT_FALSE(w.win->isVisible());
  EXPECT_EQ(changed(before, w.snapshot()), "");
}

TEST_F(Printing, PdfThatCannotBeWrittenWholeKeepsTheOldFile) {
  // A size limit cuts the document short, as a full disk does: the PDF
  // writer's own writes report nothing, the incomplete document is found and
  // the old file stays, with the cause in the result.
  QFile old(pdf("keep.pdf"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old pdf");
  old.close();
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  q3::PrintResult r = q3::printAllToPdf(w.pages, pdf("keep.pdf"));
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(r.status, q3::PrintStatus::Failed);
  EXPECT_TRUE(r.error.contains("file too large")) << r.error.toStdString();
  EXPECT_EQ(readFile(pdf("keep.pdf")), QByteArray("old pdf"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.pdf"});
  // Without the limit the new document replaces the old one.
  r = q3::printAllToPdf(w.pages, pdf("keep.pdf"));
  EXPECT_EQ(r.status, q3::PrintStatus::Printed) << r.error.toStdString();
  EXPECT_EQ(pdfPages(readFile(pdf("keep.pdf"))), 3);
}

TEST_F(Printing, PreviewShowsTheSheetsAndLeavesTheWindowAlone) {
  w.win->show();
  const std::vector<std::string> before = w.snapshot();
  int previewPages = -1;
  std::vector<std::string> duringPreview;
  q3::PrintHooks hooks;
  hooks.runPreview = [&](QPrintPreviewDialog& d) {
    auto* view = d.findChild<QPrintPreviewWidget*>();
    ASSERT_NE(view, nullptr);
    view->updatePreview();
    previewPages = view->pageCount();
    duringPreview = w.snapshot();
  };
  q3::PrintResult r =
      q3::WindowPrinter(w.win.get(), w.pages, hooks).preview(q3::PrintScope::AllPages);
  EXPECT_EQ(r.status, q3::PrintStatus::Printed);
  EXPECT_EQ(previewPages, 3);
  EXPECT_EQ(changed(before, duringPreview), "");
  EXPECT_EQ(changed(before, w.snapshot()), "");
}

TEST(PrintScale, OneScaleKeepsTheProportions) {
  struct Case {
    QSize window, area;
    double scale;
  };
  const Case cases[] = {
      {{900, 600}, {9000, 6000}, 10.0},   // same shape: fills the sheet
      {{900, 600}, {9000, 12000}, 10.0},  // tall sheet: the width limits
      {{900, 600}, {18000, 6000}, 10.0},  // wide sheet: the height limits
      {{1, 1000}, {9000, 6000}, 6.0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(q3::printScale(c.window, c.area), c.scale);
}

}  // namespace
