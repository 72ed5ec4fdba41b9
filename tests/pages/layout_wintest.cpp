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
#include <string_view>

#include "params/address_map.h"
#include "shell/ui/main_window.h"
#include "support/qt_app.h"
#include "text/mstring.h"
#include "text/ui_texts.h"

namespace fs = std::filesystem;
using q3::ImageByte;

namespace {

using q3test::app;

const char* const kLanguages[] = {"en", "de", "cz"};

bool isControl(QWidget* w) {
  return qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
         qobject_cast<QComboBox*>(w) || qobject_cast<QLabel*>(w);
}

// An image that shows most of what the rules can hide: manual dwell, a
// potentiometer range, invertible input functions, the three special
// power-output functions, the throttle sensor, the servo, four channels,
// the voltage gear method with six gears and a quickshift input.
void showMost(q3::ParamImage& img) {
  img.setByte(ImageByte::DwellMode, 2);
  img.setByte(ImageByte::PotFunction, 2);
  const int inputs[6] = {3, 5, 8, 7, 10, 11};
  for (int i = 0; i < 6; ++i) img.setByte(ImageByte::InputFunction + i, inputs[i]);
  img.setByte(ImageByte::InputNeutralSs, 0);
  for (int k = 0; k < 3; ++k) img.setByte(ImageByte::PoutFunction + k, 255 - k);
  img.setByte(ImageByte::TpsIapSensor, 1);
  img.setByte(ImageByte::ServoSensor, 0);
  img.setByte(ImageByte::ServoEnable, 1);
  img.setByte(ImageByte::Channels, 4);
  img.setByte(ImageByte::GearSystem, 1);
  img.setByte(ImageByte::GearCount, 6);
}

void expectNoOverlap(QWidget* page, const std::string& where) {
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
      EXPECT_FALSE(a.intersects(b)) << where << ": " << controls[i]->objectName().toStdString()
                                    << " and " << controls[j]->objectName().toStdString();
    }
  for (QScrollArea* a : page->findChildren<QScrollArea*>()) {
    EXPECT_FALSE(a->horizontalScrollBar()->isVisible()) << where << ": wider than the window";
    EXPECT_FALSE(a->verticalScrollBar()->isVisible()) << where << ": taller than the window";
  }
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
    MainWindow form(q3::StartOptions::fromEnvironment());
    form.resize(1280, 800);
    form.show();
    form.applyTexts();
    for (const char* state : {"", "_most", "_special"}) {
      if (*state) {
        showMost(form.image());
        // A hand-made trigger system of two pickups in full-sync four-stroke
        // mode: every column head of the edge table is shown.
        if (std::string_view(state) == "_special") {
          form.image().setByte(ImageByte::Bike, 255);
          form.image().setByte(ImageByte::PickupSystem, 0);
          form.image().setByte(ImageByte::FourStroke, 2);
        }
        form.params().sanitize();
      }
      for (int p = 0; p < MainWindow::kPages; ++p) {
        form.pageControl()->setCurrentIndex(p);
        form.pageHost().showPage(p);
        form.core().tick();  // the maps follow the image
        QApplication::processEvents();
        expectNoOverlap(form.pageControl()->currentWidget(),
                        "page " + std::to_string(p) + " " + kLanguages[lang] + state);
        if (shots)
          form.grab().save(
              QString::fromUtf8(shots) +
              QStringLiteral("/page%1_%2%3.png").arg(p).arg(kLanguages[lang]).arg(state));
      }
    }
  }
  q3::setLanguage(0);
  fs::remove_all(dir);
}

}  // namespace
