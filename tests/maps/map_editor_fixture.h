// Shared pieces of the map editor's widget tests: the application on the
// off-screen platform, and a page with one map control found by objectName
// and bound to a parameter image as the main window binds it.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <memory>

#include "maps/map_defs.h"
#include "maps/maps_fixture.h"
#include "maps/ui/map_editor.h"
#include "params/address_map.h"

namespace q3test {

class AppEnv : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "test_maps_ui";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) m_app = std::make_unique<QApplication>(argc, argv);
  }
  // Before the exit handlers run: Qt's own globals go away with them.
  void TearDown() override { m_app.reset(); }
  std::unique_ptr<QApplication> m_app;
};
inline const auto* g_appEnv = ::testing::AddGlobalTestEnvironment(new AppEnv);

// Both advance maps over throttle, 1000..15 000 rpm, every advance cell 0.
inline q3::ParamImage flatAdvanceImage() { return advanceImage(true); }

// A page with a map control on it, bound to an image.
struct Page {
  QWidget page;
  q3::ParamImage img;
  int stores = 0;
  q3::MapEditor* tab = nullptr;
  explicit Page(int owner = q3::kOwnerAdvance, q3::ParamImage image = flatAdvanceImage(),
                int width = 880, int height = 460)
      : img(std::move(image)) {
    page.resize(width + 20, height + 40);
    const q3::MapControlSetup setup = q3::mapControlSetup(owner);
    auto* t = new q3::MapEditor(owner, setup.width ? setup.width : width,
                                setup.height ? setup.height : height, setup.options, &page);
    t->setObjectName("TabUnderTest");
    q3::defineMap(t->model());
    q3::loadMap(t->model(), img);
    t->model().setOwnerNotify([this](q3::MapModel& m) {
      q3::storeMap(m, img);
      q3::reloadMap(m, img);
      ++stores;
    });
    page.show();
    tab = page.findChild<q3::MapEditor*>("TabUnderTest");
    tab->refresh();
    tab->render();
  }
  q3::MapSheet& sheet() { return tab->model().cur(); }
  QPoint centre(int col, int row) { return tab->elementRect(col, row).center(); }
  void click(int col, int row, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::mouseClick(tab, Qt::LeftButton, m, centre(col, row));
  }
  void keys(const char* s) { QTest::keyClicks(tab, s); }
  void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(tab, k, m); }
  void ticks(int n) {
    for (int i = 0; i < n; ++i) tab->timerEntry();
  }
  // A move with the left button held and these keys down.
  void moveHeld(QPoint to, Qt::KeyboardModifiers m) {
    QMouseEvent e(QEvent::MouseMove, QPointF(to), QPointF(tab->mapToGlobal(to)), Qt::NoButton,
                  Qt::LeftButton, m);
    QApplication::sendEvent(tab, &e);
  }
  // A press, a move and a release, as a hand makes them.
  void drag(QPoint from, QPoint to, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::mouseMove(tab, from);
    QTest::mousePress(tab, Qt::LeftButton, m, from);
    moveHeld(to, m);
    QTest::mouseRelease(tab, Qt::LeftButton, m, to);
  }
};

}  // namespace q3test
