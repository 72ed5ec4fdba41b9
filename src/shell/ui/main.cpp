// quelin3: the window program.
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "base/checked_math.h"
#include "base/debug_log.h"
#include "shell/ui/close_on_signal.h"
#include "shell/ui/main_form.h"
#include "shell/ui/qt_dialogs.h"

int main(int argc, char** argv) {
  // Without a display the platform plugin would abort with a cryptic message.
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if ((!platform || !*platform) && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    std::fprintf(stderr,
                 "quelin3: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                 "Start it in a desktop session, or under Xvfb: xvfb-run -a quelin3\n");
    return 2;
  }
  if (const char* log = std::getenv("QUELIN3_DEBUG_LOG"); log && *log) q3::debugLogOpen(log);

  QApplication app(argc, argv);
  // From here on the core's messages and questions are real message boxes.
  q3::ScopedQtDialogs dialogs;
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  int rc = 0;
  try {
    TMainForm w(args);
    q3::closeOnTerminationSignals(&w);
    w.show();
    rc = app.exec();
  } catch (const std::exception& e) {
    // An exception that escapes start-up or the event loop ends the program
    // after it has been logged and the user has seen it.
    q3::appendErrorLog(e.what());
    QMessageBox::critical(nullptr, "Error", QString::fromUtf8(e.what()));
    rc = 1;
  }
  q3::debugLogClose();
  return rc;
}
