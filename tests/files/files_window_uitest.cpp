// The File menu of the main window offscreen: dropped files, the history
// menu, New, and the open error of a vanished history entry.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "files/files_fixture.h"
#include "files/ign_writer.h"
#include "files/service_tools.h"
#include "shell/ui/main_window.h"
#include "support/qt_app.h"
#include "text/mstring.h"

namespace fs = std::filesystem;

namespace {

using q3test::app;

class FilesWindow : public q3test::ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    app();
    fs::create_directories(dir / "data");
    setenv("QUELIN3_DATA_DIR", (dir / "data").c_str(), 1);
    setenv("QUELIN3_SERVICE_FILE", (dir / "service.txt").c_str(), 1);
    q3::setLanguage(0);
    form = std::make_unique<MainWindow>(q3::StartOptions::fromEnvironment());
    form->show();
    messages = std::make_unique<q3test::MessageRecorder>();
  }
  void TearDown() override {
    messages.reset();
    form.reset();
    ScratchDir::TearDown();
  }
  std::string bikeFile(const char* leaf, int bike) {
    std::string p = path(leaf);
    EXPECT_TRUE(q3::writeIgnText(p, q3::renderIgn(q3::defaultImageForBike(bike), {})));
    return p;
  }
  void drop(const std::vector<std::string>& files) {
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const auto& f : files) urls.push_back(QUrl::fromLocalFile(QString::fromStdString(f)));
    mime->setUrls(urls);
    // The window takes a drop only after it accepted the drag entering it.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &enter);
    QDropEvent e(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &e);
    delete mime;
  }
  std::string loadedFile() const {
    return QString::fromStdU16String(form->settings().file).toStdString();
  }
  std::unique_ptr<MainWindow> form;
  std::unique_ptr<q3test::MessageRecorder> messages;
};

TEST_F(FilesWindow, DroppedSettingsFileOpensAndJoinsTheHistory) {
  std::string seven = bikeFile("seven.IGN", 7);
  std::string three = bikeFile("three.ign", 3);
  writeAll(path("notes.txt"), "KORVELAN_KEY 104\nBIKE 9");

  drop({path("notes.txt"), seven});
  EXPECT_EQ(form->image().byte(170), 7);
  EXPECT_EQ(loadedFile(), seven);
  drop({path("notes.txt")});  // no settings file among them: nothing happens
  EXPECT_EQ(loadedFile(), seven);
  drop({three});
  EXPECT_EQ(form->image().byte(170), 3);

  QAction* h1 = form->action("MenuHistory1");
  ASSERT_NE(h1, nullptr);
  EXPECT_TRUE(h1->isVisible());
  EXPECT_EQ(h1->text(), "1 seven");
  EXPECT_FALSE(form->action("MenuHistory2")->isVisible());
  h1->trigger();
  EXPECT_EQ(form->image().byte(170), 7);
  EXPECT_EQ(loadedFile(), seven);
  EXPECT_EQ(form->action("MenuHistory1")->text(), "1 three");
  EXPECT_TRUE(messages->texts.empty());

  // A history entry whose file has gone: the error, and the entry leaves.
  fs::remove(three);
  form->action("MenuHistory1")->trigger();
  ASSERT_EQ(messages->texts.size(), 1u);
  EXPECT_EQ(messages->texts[0], "Open file error!");
  EXPECT_FALSE(form->action("MenuHistory1")->isVisible());
  EXPECT_EQ(form->image().byte(170), 7);
}

TEST_F(FilesWindow, NewClearsTheLoadedFile) {
  drop({bikeFile("five.ign", 5)});
  ASSERT_FALSE(loadedFile().empty());
  form->action("MenuNew")->trigger();  // the recorder answers Yes
  EXPECT_TRUE(loadedFile().empty());
  ASSERT_FALSE(form->settings().history.empty());
  EXPECT_TRUE(form->settings().history.front().empty());
  EXPECT_EQ(form->action("MenuHistory1")->text(), "1 five");
}

// Answers the next file dialog with a file name.
void answerFileDialog(const std::string& file) {
  QTimer::singleShot(0, [file] {
    auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(d, nullptr);
    d->selectFile(QString::fromStdString(file));
    QMetaObject::invokeMethod(d, "accept");
  });
}

TEST_F(FilesWindow, SaveQuicksaveAndOpenThroughTheDialogs) {
  QAction* quick = form->action("MenuSaveVersion");
  EXPECT_FALSE(quick->isEnabled());
  form->image().setByte(202, 123);  // LIMITER
  answerFileDialog(path("race.ign"));
  form->action("MenuSave")->trigger();
  ASSERT_TRUE(fs::exists(path("race.ign")));
  EXPECT_NE(readAll(path("race.ign")).find("\r\nLIMITER          123 \r\n"), std::string::npos);
  EXPECT_EQ(loadedFile(), path("race.ign"));
  EXPECT_TRUE(quick->isEnabled());

  writeAll(path("race_007.ign"), "x");
  quick->trigger();
  EXPECT_TRUE(fs::exists(path("race_008.ign")));
  EXPECT_EQ(loadedFile(), path("race.ign"));  // still the base of later saves

  form->image().setByte(202, 50);
  answerFileDialog(path("race_008.ign"));
  form->action("MenuOpen")->trigger();
  EXPECT_EQ(form->image().byte(202), 123);
  EXPECT_EQ(loadedFile(), path("race_008.ign"));
  EXPECT_TRUE(messages->texts.empty());
}

}  // namespace
