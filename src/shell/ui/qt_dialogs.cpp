// Modal message boxes for the core's messages and questions.
#include "shell/ui/qt_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <cstdio>

namespace q3 {
namespace {

// Boxes can only be shown from the user-interface thread; a message from a
// worker thread is written to stderr instead of blocking that thread.
bool onGuiThread() { return qApp && QThread::currentThread() == qApp->thread(); }

}  // namespace

void QtDialogs::message(const std::string& title, const std::string& text, DialogKind kind) {
  if (!onGuiThread()) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    return;
  }
  const QMessageBox::Icon icon = kind == DialogKind::Error     ? QMessageBox::Critical
                                 : kind == DialogKind::Warning ? QMessageBox::Warning
                                                               : QMessageBox::Information;
  QMessageBox box(icon, QString::fromStdString(title), QString::fromStdString(text),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

Answer QtDialogs::ask(const std::string& title, const std::string& text, bool withCancel) {
  if (!onGuiThread()) return withCancel ? Answer::Cancel : Answer::No;
  QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
  if (withCancel) buttons |= QMessageBox::Cancel;
  QMessageBox box(QMessageBox::Question, QString::fromStdString(title),
                  QString::fromStdString(text), buttons, QApplication::activeWindow());
  box.setDefaultButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return withCancel ? Answer::Cancel : Answer::No;
  }
}

}  // namespace q3
