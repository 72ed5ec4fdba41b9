// The one QApplication of a widget test program, made by the first test
// that needs it (another test file of the same program may have made it
// already). Widget tests run on the off-screen platform set by ctest.
#pragma once

#include <QApplication>

namespace q3test {

inline QApplication& app() {
  static int argc = 1;
  static char name[] = "q3test";
  static char* argv[] = {name, nullptr};
  static QApplication* a = QApplication::instance()
                               ? static_cast<QApplication*>(QApplication::instance())
                               : new QApplication(argc, argv);
  return *a;
}

}  // namespace q3test
