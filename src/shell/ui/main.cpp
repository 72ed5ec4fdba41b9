// quelin3: the window program.
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "base/app_paths.h"
#include "base/checked_math.h"
#include "base/debug_log.h"
#include "base/start_options.h"
#include "files/ign_document.h"
#include "print/window_printer.h"
#include "shell/ui/close_on_signal.h"
#include "shell/ui/main_window.h"
#include "shell/ui/qt_dialogs.h"
#include "shell/ui/window_context.h"

namespace {

// Messages of a run without a window on screen go to stderr; questions are
// answered No.
class ConsoleDialogs final : public q3::UserDialogs {
 public:
  void message(const std::string& title, const std::string& text, q3::DialogKind) override {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  }
  q3::Answer ask(const std::string& title, const std::string& text, bool) override {
    std::fprintf(stderr, "%s: %s (answered no)\n", title.c_str(), text.c_str());
    return q3::Answer::No;
  }
};

// quelin3 --print-pdf OUT.pdf [FILE.ign]: every visible page of the settings
// file (or of the defaults) into a PDF, without showing the window.
int printPdf(const q3::StartOptions& options, QStringList args) {
  const int at = int(args.indexOf("--print-pdf"));
  if (at + 1 >= args.size()) {
    std::fprintf(stderr, "usage: quelin3 --print-pdf OUT.pdf [FILE.ign]\n");
    return 2;
  }
  const QString out = args[at + 1];
  QString file;
  if (at + 2 < args.size() && !args[at + 2].startsWith('-')) file = args[at + 2];
  args.remove(at, file.isEmpty() ? 2 : 3);
  ConsoleDialogs console;
  q3::UserDialogs* previous = q3::setDialogs(&console);
  int rc = 0;
  {
    MainWindow w(options, args << "nopatchcheck");
    // The sheets show the window at its own size, whatever screen there is
    // (without a display the stand-in screen would squeeze it).
    w.resize(1000, 720);
    if (!file.isEmpty()) {
      q3::IgnDocument doc(w.params(), console);
      if (doc.load(file.toStdString(), -1) != q3::IgnDocument::LoadResult::Loaded) {
        std::fprintf(stderr, "quelin3: cannot load %s\n", file.toLocal8Bit().constData());
        rc = 1;
      } else {
        w.context().showAllPages();
      }
    }
    if (rc == 0) {
      const q3::PrintResult r = q3::printAllToPdf(w.pageControl(), out, console);
      if (r.status == q3::PrintStatus::Printed) {
        std::printf("%s: %d pages\n", out.toLocal8Bit().constData(), r.sheets);
      } else {
        std::fprintf(stderr, "quelin3: cannot print to %s: %s\n", out.toLocal8Bit().constData(),
                     r.error.toLocal8Bit().constData());
        rc = 1;
      }
    }
  }
  q3::setDialogs(previous);
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  bool toPdf = false;
  for (int i = 1; i < argc; ++i) toPdf = toPdf || std::strcmp(argv[i], "--print-pdf") == 0;
  // Printing to a file needs no screen.
  if (toPdf && !std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Without a display the platform plugin would abort with a cryptic message.
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if ((!platform || !*platform) && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    std::fprintf(stderr,
                 "quelin3: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                 "Start it in a desktop session, or under Xvfb: xvfb-run -a quelin3\n");
    return 2;
  }
  // The environment is read here, once; everything below gets these values.
  const q3::StartOptions options = q3::StartOptions::fromEnvironment();
  if (!options.debugLog.empty()) q3::debugLogOpen(options.debugLog.c_str());
  q3::setErrorLogPath(q3::resolveAppPaths(options).errorLog());

  QApplication app(argc, argv);
  if (toPdf) {
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const int rc = printPdf(options, args);
    q3::debugLogClose();
    return rc;
  }
  // From here on the core's messages and questions are real message boxes.
  q3::ScopedQtDialogs dialogs;
  QStringList args = QCoreApplication::arguments();
  args.removeFirst();
  int rc = 0;
  try {
    MainWindow w(options, args);
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
