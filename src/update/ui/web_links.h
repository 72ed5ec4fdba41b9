// Opening addresses with the desktop's handler: the maker's web pages (Help
// → Contents, Ignition → Update, the update window's links) and the local
// folders and files the About window names. Every failure is shown to the
// user (through the dialogs given) as "Error by opening www link <address> !" and returned as
// false.
#pragma once

#include <QString>
#include <QUrl>

#include "text/user_dialogs.h"
#include "update/update_server.h"

namespace q3 {

// "###Error by opening www link##...": the first half of the error message.
extern const char* const kWebLinkErrorText;

// Opens an http or https address; any other scheme is refused without
// asking the desktop.
bool openWebLink(const QUrl& url, UserDialogs& dialogs);
// The manual or upload page on server in the current language.
bool openWebPage(const QUrl& server, WebPage page, UserDialogs& dialogs);
// Opens a local folder or file (the About window's links).
bool openLocalPath(const QString& path, UserDialogs& dialogs);

}  // namespace q3
