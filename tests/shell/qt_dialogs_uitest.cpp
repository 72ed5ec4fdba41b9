// The window program's message boxes: the core's question reaches the user as
// a modal box, and the button the user presses is the answer the core gets.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "shell/ui/qt_dialogs.h"

namespace {

QApplication& dialogApp() {
  static int argc = 1;
  static char name[] = "test_shell_ui";
  static char* argv[] = {name, nullptr};
  if (auto* a = qobject_cast<QApplication*>(QCoreApplication::instance())) return *a;
  static QApplication a(argc, argv);
  return a;
}

// Presses `button` on the modal box once it is up, and notes what it showed.
void pressWhenShown(QMessageBox::StandardButton button, QString* shownText) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    *shownText = box->text();
    box->button(button)->click();
  });
}

}  // namespace

TEST(QtDialogs, AskReturnsThePressedButtonAndInstallsForItsScope) {
  dialogApp();
  q3::UserDialogs* before = &q3::dialogs();
  struct Case {
    QMessageBox::StandardButton press;
    bool withCancel;
    q3::Answer want;
  };
  const Case cases[] = {
      {QMessageBox::Yes, false, q3::Answer::Yes},
      {QMessageBox::No, false, q3::Answer::No},
      {QMessageBox::Cancel, true, q3::Answer::Cancel},
  };
  {
    q3::ScopedQtDialogs installed;
    for (const Case& c : cases) {
      QString shown;
      pressWhenShown(c.press, &shown);
      EXPECT_EQ(q3::dialogs().ask("Confirm", "Load the defaults of bike 7?", c.withCancel), c.want);
      EXPECT_EQ(shown, "Load the defaults of bike 7?");
    }
    QString shown;
    pressWhenShown(QMessageBox::Ok, &shown);
    q3::dialogs().message("Error", "Open file error!", q3::DialogKind::Error);
    EXPECT_EQ(shown, "Open file error!");
  }
  EXPECT_EQ(&q3::dialogs(), before);
}
