// The About window: the program's name, version and build date, the maker's
// contact texts, the licences of the libraries it is built on, and where the
// settings folder and the logs are (as links that open them).
#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>
#include <string>

#include "base/app_paths.h"
#include "text/user_dialogs.h"

namespace q3 {

struct AboutInfo {
  QString settingsFolder;  // application.ini and default.ini
  QString errorLog;        // ZAR.err
  QString debugLog;        // empty when no debug log is written
  QUrl webSite;            // the maker's server

  // The places this run uses: the data folder with its error log, the debug
  // log the program was started with (empty: none), and the given server.
  static AboutInfo current(const AppPaths& paths, const std::string& debugLog, const QUrl& server);
};

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  // dialogs: where a link that cannot be opened is told.
  AboutDialog(const AboutInfo& info, UserDialogs& dialogs, QWidget* parent = nullptr);

  // The text of the window as the user reads it (for logs and tests).
  QString plainText() const;
  // Opens a link of the window: web addresses through the web-link rules,
  // local ones with the desktop's file handler.
  bool openLink(const QString& link);

 private:
  UserDialogs& m_dialogs;
};

}  // namespace q3
