// The pages in a 1280x800 window in English, German and Czech: no two
// visible controls of a page overlap, and no page needs a scroll bar. With Q3_SCREENSHOT_DIR set,
// every page is also written there as a PNG.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <cstdlib>
#include <filesystem>

#include "shell/ui/main_form.h"
#include "text/mstring.h"
#include "text/ui_texts.h"

namespace fs = std::filesystem;

namespace {

QApplication& app() {
  static int argc = 1;
  static char name[] = "test_pages_window";
  static char* argv[] = {name, nullptr};
  static QApplication* a = new QApplication(argc, argv);
  return *a;
}

const char* const kLanguages[] = {"en", "de", "cz"};

bool isControl(QWidget* w) {
  return qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
         qobject_cast<QComboBox*>(w) || qobject_cast<QLabel*>(w);
}

TEST(PagesLayout, NoVisibleControlsOverlapAt1280x800) {
  app();
  char tmpl[] = "/tmp/q3layoutXXXXXX";
  const fs::path dir = mkdtemp(tmpl);
  setenv("QUELIN3_DATA_DIR", dir.c_str(), 1);
  setenv("QUELIN3_SERVICE_FILE", (dir / "service.txt").c_str(), 1);
  const char* shots = std::getenv("Q3_SCREENSHOT_DIR");
  for (int lang : {0, 1, 2}) {
    q3::setLanguage(lang);
    TMainForm form;
    form.resize(1280, 800);
    form.show();
    form.applyTexts();
    for (int p = 0; p < TMainForm::kPages; ++p) {
      form.pageControl()->setCurrentIndex(p);
      QApplication::processEvents();
      QWidget* page = form.pageControl()->currentWidget();
      QList<QWidget*> controls;
      for (QWidget* w : page->findChildren<QWidget*>())
        if (isControl(w) && w->isVisible() && !qobject_cast<QAbstractButton*>(w->parentWidget()) &&
            !qobject_cast<QAbstractSpinBox*>(w->parentWidget()) &&
            !qobject_cast<QComboBox*>(w->parentWidget()))
          controls << w;
      for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j) {
          const QRect a(controls[i]->mapTo(page, QPoint(0, 0)), controls[i]->size());
          const QRect b(controls[j]->mapTo(page, QPoint(0, 0)), controls[j]->size());
          EXPECT_FALSE(a.intersects(b)) << "page " << p << " language " << lang << ": "
                                        << controls[i]->objectName().toStdString() << " and "
                                        << controls[j]->objectName().toStdString();
        }
      for (QScrollArea* a : page->findChildren<QScrollArea*>()) {
        EXPECT_FALSE(a->horizontalScrollBar()->isVisible()) << "page " << p << " language " << lang;
        EXPECT_FALSE(a->verticalScrollBar()->isVisible()) << "page " << p << " language " << lang;
      }
      if (shots)
        form.grab().save(QString::fromUtf8(shots) +
                         QStringLiteral("/page%1_%2.png").arg(p).arg(kLanguages[lang]));
    }
  }
  q3::setLanguage(0);
  fs::remove_all(dir);
}

}  // namespace
