// Help, web links, printing and the update check in the main window
// (offscreen): the menu items work, printing leaves the window and the
// settings exactly as they were whatever the printer does, and
// "quelin3 --print-pdf" writes one sheet per visible page.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <map>
#include <vector>

#include "files/ign_document.h"
#include "params/address_map.h"
#include "params/param_model.h"
#include "print/window_printer.h"
#include "shell/ui/main_window.h"
#include "support/qt_app.h"
#include "text/mstring.h"

namespace {

using q3test::app;

// The addresses the desktop would open.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  UrlCatcher() {
    for (const char* s : {"http", "https", "file"})
      QDesktopServices::setUrlHandler(s, this, "take");
  }
  ~UrlCatcher() override {
    for (const char* s : {"http", "https", "file"}) QDesktopServices::unsetUrlHandler(s);
  }
  std::vector<QUrl> urls;
 public slots:
  void take(const QUrl& u) { urls.push_back(u); }
};

class HelpWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app();
    q3::setLanguage(0);
    setenv("QUELIN3_DATA_DIR", dir.path().toUtf8().constData(), 1);
    setenv("QUELIN3_SERVICE_FILE", dir.filePath("service.txt").toUtf8().constData(), 1);
    setenv("QUELIN3_PORT_SERVER", ("quelin3-help-" + std::to_string(::getpid())).c_str(), 1);
    setenv("QUELIN3_UPDATE_SERVER", "https://updates.example.invalid", 1);
  }
  void TearDown() override { unsetenv("QUELIN3_UPDATE_SERVER"); }

  // What printing must leave as it found: the widgets' visibility, the tabs,
  // the current page, the image and the undo history.
  struct Snapshot {
    std::map<QString, bool> visible;  // the window's named widgets
    std::vector<bool> tabs;
    int page = 0;
    q3::ParamImage image;
    int undo = 0;
    bool operator==(const Snapshot&) const = default;
  };
  static Snapshot snapshot(MainWindow& w) {
    Snapshot s;
    // Qt's own parts of a tab bar (its scroll buttons) follow the layout.
    for (QWidget* c : w.findChildren<QWidget*>())
      if (!c->objectName().isEmpty() && !qobject_cast<QTabBar*>(c->parentWidget()))
        s.visible[c->objectName() + ":" + c->metaObject()->className()] = c->isVisibleTo(&w);
    for (int i = 0; i < w.pageControl()->count(); ++i)
      s.tabs.push_back(w.pageControl()->isTabVisible(i));
    s.page = w.pageControl()->currentIndex();
    s.image = w.params().image();
    s.undo = w.params().current();
    return s;
  }

  QTemporaryDir dir;
};

TEST_F(HelpWindowTest, HelpItemsOpenThePagesOfTheServer) {
  MainWindow w(q3::StartOptions::fromEnvironment());
  UrlCatcher urls;
  for (const char* item : {"MenuContens", "MenuUpdate", "MenuAbout", "MenuPrint", "MenuPrintAll"})
    EXPECT_TRUE(w.action(item)->isEnabled()) << item;
  w.action("MenuContens")->trigger();
  q3::setLanguage(2);
  w.action("MenuUpdate")->trigger();
  q3::setLanguage(0);
  ASSERT_EQ(urls.urls.size(), 2u);
  EXPECT_EQ(urls.urls[0].host(), "updates.example.invalid");
  EXPECT_TRUE(urls.urls[0].path().contains("/en/")) << urls.urls[0].toString().toStdString();
  EXPECT_TRUE(urls.urls[1].path().contains("/cz/")) << urls.urls[1].toString().toStdString();

  // About opens modally; it names the program and is closed again.
  QString about;
  QTimer::singleShot(0, [&] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      for (QLabel* l : d->findChildren<QLabel*>()) about += l->text();
      d->reject();
    }
  });
  w.action("MenuAbout")->trigger();
  EXPECT_TRUE(about.contains("QUELIN3")) << about.toStdString();
}

TEST_F(HelpWindowTest, PrintingLeavesWindowAndSettingsAsTheyWere) {
  MainWindow w(q3::StartOptions::fromEnvironment());
  w.resize(1000, 720);
  w.pageControl()->setTabVisible(8, false);  // hidden before printing: stays hidden
  w.pageControl()->setCurrentIndex(3);
  const Snapshot before = snapshot(w);
  int visibleTabs = 0;
  for (int i = 0; i < w.pageControl()->count(); ++i)
    visibleTabs += w.pageControl()->isTabVisible(i);

  struct Case {
    const char* what;
    q3::PrintScope scope;
    bool cancel;
    bool fail;
    q3::PrintStatus status;
    int sheets;
  } cases[] = {
      {"print", q3::PrintScope::ActivePage, false, false, q3::PrintStatus::Printed, 1},
      {"print all", q3::PrintScope::AllPages, false, false, q3::PrintStatus::Printed, visibleTabs},
      {"cancel", q3::PrintScope::AllPages, true, false, q3::PrintStatus::Cancelled, 0},
      {"failure", q3::PrintScope::AllPages, false, true, q3::PrintStatus::Failed, 0},
      {"again", q3::PrintScope::ActivePage, false, false, q3::PrintStatus::Printed, 1},
  };
  for (const Case& c : cases) {
    const QString pdf = dir.filePath(QString("%1.pdf").arg(c.what));
    q3::PrintHooks hooks;
    hooks.askPrinter = [&](QPrinter& p, QWidget*) {
      p.setOutputFormat(QPrinter::PdfFormat);
      // A folder that does not exist: the printer cannot start.
      p.setOutputFileName(c.fail ? dir.filePath("no/such/folder/x.pdf") : pdf);
      return !c.cancel;
    };
    hooks.showAllPages = [&] { w.context().showAllPages(); };
    const q3::PrintResult r =
        c.scope == q3::PrintScope::AllPages
            ? q3::WindowPrinter(&w, w.pageControl(), w.context().dialogs, hooks).printAll()
            : q3::WindowPrinter(&w, w.pageControl(), w.context().dialogs, hooks).print();
    EXPECT_EQ(r.status, c.status) << c.what << " " << r.error.toStdString();
    EXPECT_EQ(r.sheets, c.sheets) << c.what;
    const Snapshot after = snapshot(w);
    for (const auto& [name, shown] : before.visible)
      EXPECT_EQ(after.visible.at(name), shown) << c.what << " " << name.toStdString();
    EXPECT_EQ(after.visible.size(), before.visible.size()) << c.what;
    EXPECT_EQ(after.tabs, before.tabs) << c.what;
    EXPECT_EQ(after.page, before.page) << c.what;
    EXPECT_TRUE(after.image == before.image) << c.what;
    EXPECT_EQ(after.undo, before.undo) << c.what;
  }
}

// The tabs of a PDF: the page objects it holds.
int pdfPages(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QByteArray pdf = f.readAll();
  return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page>") +
             pdf.count("/Type /Page/") + pdf.count("/Type /Page "));
}

TEST_F(HelpWindowTest, PrintPdfFromTheCommandLineHasOnePagePerVisibleTab) {
  int visibleTabs = 0;
  {
    MainWindow w(q3::StartOptions::fromEnvironment());
    for (int i = 0; i < w.pageControl()->count(); ++i)
      visibleTabs += w.pageControl()->isTabVisible(i);
  }
  const char* bin = std::getenv("Q3_BINARY_DIR");
  ASSERT_NE(bin, nullptr);
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("QT_QPA_PLATFORM");
  p.setProcessEnvironment(env);
  p.start(QString(bin) + "/src/shell/ui/quelin3", {"--print-pdf", dir.filePath("all.pdf")});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_EQ(pdfPages(dir.filePath("all.pdf")), visibleTabs);
  // A file that cannot be read is an error, not an empty print.
  p.start(QString(bin) + "/src/shell/ui/quelin3",
          {"--print-pdf", dir.filePath("x.pdf"), dir.filePath("missing.ign")});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 1);
}

// A settings file printed from the command line shows its own maps: the
// advance map of the file, not the empty table the editor holds before its
// first tick.
TEST_F(HelpWindowTest, PrintPdfOfAFileShowsItsMaps) {
  const QString ign = dir.filePath("maps.ign");
  {
    MainWindow w(q3::StartOptions::fromEnvironment());
    q3::ParamImage& img = w.params().image();
    for (int row = 0; row < 10; ++row)
      for (int col = 0; col < 15; ++col)
        img.setByte(q3::ImageByte::Advance + 15 * row + col, 100 + 7 + 2 * col);
    ASSERT_TRUE(q3::IgnDocument(w.params(), w.context().dialogs).save(ign.toStdString()));
  }
  const char* bin = std::getenv("Q3_BINARY_DIR");
  ASSERT_NE(bin, nullptr);
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("QT_QPA_PLATFORM");
  p.setProcessEnvironment(env);
  p.start(QString(bin) + "/src/shell/ui/quelin3", {"--print-pdf", dir.filePath("maps.pdf"), ign});
  ASSERT_TRUE(p.waitForFinished(60000));
  ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  // The sheet's text as laid out: the row of the table on one line.
  p.start(QStringLiteral("pdftotext"),
          {QStringLiteral("-layout"), dir.filePath("maps.pdf"), QStringLiteral("-")});
  if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    GTEST_SKIP() << "pdftotext is not available";
  const QString text = QString::fromUtf8(p.readAllStandardOutput());
  const QRegularExpression row(
      QStringLiteral("(^|\\s)7\\s+9\\s+11\\s+13\\s+15\\s+17\\s+19\\s+21\\s+"
                     "23\\s+25\\s+27\\s+29\\s+31\\s+33\\s+35(\\s|$)"),
      QRegularExpression::MultilineOption);
  EXPECT_TRUE(row.match(text).hasMatch()) << text.toStdString();
}

}  // namespace

#include "help_feature_uitest.moc"
