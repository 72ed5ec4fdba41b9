// The update window, the web links of the Help menu and the About window,
// offscreen. Opened addresses are caught by URL handlers; without a handler
// the offscreen desktop cannot open anything, which shows the error path.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <vector>

#include "support/qt_app.h"
#include "text/mstring.h"
#include "text/recording_dialogs.h"
#include "update/ui/about_dialog.h"
#include "update/ui/update_offer_dialog.h"
#include "update/ui/web_links.h"

namespace {

using q3test::app;

// Takes the addresses the desktop would open, for the schemes it registers.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  UrlCatcher() {
    app();
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

struct LanguageScope {
  explicit LanguageScope(int lang) { q3::setLanguage(lang); }
  ~LanguageScope() { q3::setLanguage(0); }
};

TEST(WebLinks, PagesOfTheServerInTheUsersLanguage) {
  struct Case {
    q3::WebPage page;
    int language;
    const char* url;
  };
  const Case cases[] = {
      {q3::WebPage::Manuals, 0, "https://w.example.org/en/stahnout/manuals"},
      {q3::WebPage::Manuals, 1, "https://w.example.org/en/stahnout/manuals"},
      {q3::WebPage::Manuals, 2, "https://w.example.org/cz/stahnout/manuals"},
      {q3::WebPage::Upload, 0, "https://w.example.org/en/stahnout/upload"},
      {q3::WebPage::Upload, 2, "https://w.example.org/cz/stahnout/upload"},
  };
  UrlCatcher catcher;
  q3test::RecordingDialogs boxes;
  for (const Case& c : cases) {
    LanguageScope lang(c.language);
    EXPECT_TRUE(q3::openWebPage(QUrl("https://w.example.org"), c.page, boxes));
  }
  ASSERT_EQ(catcher.urls.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(catcher.urls[i], QUrl(cases[i].url));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST(WebLinks, FailureIsShownWithTheAddress) {
  app();
  q3test::RecordingDialogs boxes;
  {
    LanguageScope lang(2);
    // The offscreen desktop has no browser: opening fails.
    EXPECT_FALSE(q3::openWebPage(QUrl("https://w.example.org"), q3::WebPage::Upload, boxes));
  }
  EXPECT_FALSE(q3::openWebPage(QUrl("https://w.example.org"), q3::WebPage::Manuals, boxes));
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].text,
            "Chyba při otevírání www odkazu https://w.example.org/cz/stahnout/upload !");
  EXPECT_EQ(boxes.boxes[1].text,
            "Error by opening www link https://w.example.org/en/stahnout/manuals !");
  EXPECT_EQ(boxes.boxes[1].kind, q3::DialogKind::Error);

  // Other schemes never reach the desktop, even when it has a handler.
  UrlCatcher catcher;
  EXPECT_FALSE(q3::openWebLink(QUrl("file:///etc/passwd"), boxes));
  EXPECT_TRUE(catcher.urls.empty());
  EXPECT_EQ(boxes.boxes.size(), 3u);
}

q3::PatchOffer offer(bool web, bool download) {
  q3::PatchOffer o;
  o.updateNumber = 7;
  o.text = "<b>Version 7</b>\nfixes the dwell table";
  if (web) o.web = QUrl("https://w.example.org/news");
  if (download) o.download = QUrl("https://w.example.org/q3-setup.exe");
  return o;
}

QPushButton* button(QWidget& w, const char* name) { return w.findChild<QPushButton*>(name); }

TEST(UpdateWindow, ButtonsFollowTheLinksAndCaptionsTheLanguage) {
  app();
  struct Case {
    bool web, download;
    int language;
    const char* title;
    const char* downloadCaption;
    const char* laterCaption;
  };
  const Case cases[] = {
      {true, true, 0, "Update", "Download update", "Cancel (remaind later)"},
      {false, true, 1, "Update", "Download update", "Cancel (remaind later)"},
      {true, false, 2, "Aktualizace", "Stáhni aktualizaci", "Zpět (připomeň příště)"},
      {false, false, 2, "Aktualizace", "Stáhni aktualizaci", "Zpět (připomeň příště)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    LanguageScope lang(c.language);
    q3::UpdateOfferDialog w(offer(c.web, c.download), nullptr);
    EXPECT_EQ(w.windowTitle(), c.title);
    EXPECT_EQ(button(w, "ButtonPatchDownload")->isHidden(), !c.download);
    EXPECT_EQ(button(w, "ButtonPatchWWW")->isHidden(), !c.web);
    EXPECT_FALSE(button(w, "ButtonPatchNoRemind")->isHidden());
    EXPECT_EQ(button(w, "ButtonPatchDownload")->text(), c.downloadCaption);
    EXPECT_EQ(button(w, "ButtonPatchLater")->text(), c.laterCaption);
    auto* text = w.findChild<QTextEdit*>("RichEditPatch");
    EXPECT_TRUE(text->isReadOnly());
    // Markup from the server is shown as it is, never interpreted.
    EXPECT_EQ(text->toPlainText(), "<b>Version 7</b>\nfixes the dwell table");
  }
}

TEST(UpdateWindow, EachButtonEndsWithItsChoice) {
  app();
  struct Case {
    const char* button;
    q3::UpdateChoice choice;
  };
  const Case cases[] = {{"ButtonPatchDownload", q3::UpdateChoice::Download},
                        {"ButtonPatchNoRemind", q3::UpdateChoice::DontRemind},
                        {"ButtonPatchLater", q3::UpdateChoice::RemindLater}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    QWidget parent;
    // Clicks the button once the modal window runs.
    QTimer::singleShot(0, [&] {
      auto* w = qobject_cast<q3::UpdateOfferDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(w, nullptr);
      button(*w, c.button)->click();
    });
    EXPECT_EQ(q3::showUpdateWindow(offer(true, true), &parent, nullptr), c.choice);
  }
  // Closing the window any other way is "remind later".
  QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
  EXPECT_EQ(q3::showUpdateWindow(offer(true, true), nullptr, nullptr),
            q3::UpdateChoice::RemindLater);
}

TEST(UpdateWindow, WwwOpensThePageAndStaysOpen) {
  app();
  std::vector<QUrl> opened;
  q3::UpdateOfferDialog w(offer(true, true), [&](const QUrl& u) {
    opened.push_back(u);
    return true;
  });
  w.show();
  button(w, "ButtonPatchWWW")->click();
  EXPECT_EQ(opened, std::vector<QUrl>{QUrl("https://w.example.org/news")});
  EXPECT_TRUE(w.isVisible());
}

TEST(UpdateWindow, AHugeSingleLineTextShowsAtOnceAndStaysResponsive) {
  app();
  // 9.5 MB without a line break: capped and broken into lines before layout.
  q3::PatchOffer o = offer(true, true);
  o.text = std::string(9'500'000, 'w');
  QElapsedTimer t;
  t.start();
  q3::UpdateOfferDialog w(o, nullptr);
  w.show();
  QApplication::processEvents();
  auto* text = w.findChild<QTextEdit*>("RichEditPatch");
  ASSERT_NE(text, nullptr);
  text->verticalScrollBar()->setValue(text->verticalScrollBar()->maximum());
  QApplication::processEvents();
  const qint64 shownMs = t.elapsed();
  EXPECT_LT(shownMs, 2000);
  // Still answering: a resize and a scroll are handled at once.
  t.restart();
  w.resize(700, 400);
  text->verticalScrollBar()->setValue(0);
  QApplication::processEvents();
  EXPECT_LT(t.elapsed(), 1000);
  const QString shown = text->toPlainText();
  EXPECT_LE(shown.size(), qsizetype(q3::kOfferShownBytes + 1000));
  EXPECT_TRUE(shown.contains("more bytes not shown"));
  std::printf("9.5 MB offer shown in %lld ms\n", shownMs);
}

TEST(AboutWindow, NamesTheProgramLicencesAndPlaces) {
  UrlCatcher catcher;
  q3test::RecordingDialogs boxes;
  q3::AboutInfo info;
  info.settingsFolder = "/tmp/q3-about/settings";
  info.errorLog = "/tmp/q3-about/ZAR.err";
  info.webSite = QUrl("https://w.example.org");
  q3::AboutDialog about(info, boxes);
  const QString text = about.plainText();
  for (const char* part :
       {"QUELIN3 Setup", "RSKEY=104.00", "Qt 6.", "GNU LGPL v3", "zlib 1.", "zlib licence",
        "Korvelan", "/tmp/q3-about/settings", "/tmp/q3-about/ZAR.err", "https://w.example.org"})
    EXPECT_TRUE(text.contains(part)) << part << "\n" << text.toStdString();
  EXPECT_TRUE(text.contains(__DATE__ + 7)) << "the build year";  // "Jun 21 2022" -> "2022"
  EXPECT_FALSE(text.contains("Debug log"));                      // none written in this run

  // The places are links: a missing file opens its folder.
  auto* label = about.findChild<QLabel*>("LabelAbout");
  emit label->linkActivated(QUrl::fromLocalFile("/tmp/q3-about/settings").toString());
  EXPECT_TRUE(about.openLink("https://w.example.org"));
  EXPECT_EQ(catcher.urls, (std::vector<QUrl>{QUrl::fromLocalFile("/tmp/q3-about/settings"),
                                             QUrl("https://w.example.org")}));
  EXPECT_TRUE(label->text().contains("href=\"file:///tmp/q3-about\""));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST(AboutWindow, SpeaksTheUsersLanguage) {
  app();
  q3test::RecordingDialogs boxes;
  QTemporaryDir data;
  q3::AppPaths paths;
  paths.dataDir = data.path().toStdString() + "/";
  const char* titles[] = {"About", "Über Programm", "O programu"};
  for (int lang = 0; lang < 3; ++lang) {
    LanguageScope scope(lang);
    q3::AboutDialog about(q3::AboutInfo::current(paths, "", QUrl("https://w.example.org")), boxes);
    EXPECT_EQ(about.windowTitle(), titles[lang]);
    EXPECT_TRUE(about.plainText().contains(data.path()));
    EXPECT_TRUE(about.plainText().contains(data.path() + "/ZAR.err"));
  }
  LanguageScope scope(1);
  EXPECT_TRUE(q3::AboutDialog(q3::AboutInfo{}, boxes).plainText().contains("Einstellungsordner"));
}

}  // namespace

#include "update_offer_dialog_uitest.moc"
