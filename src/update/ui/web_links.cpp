// Web links and local paths through QDesktopServices, with the error message.
#include "update/ui/web_links.h"

#include <QDesktopServices>
#include <string>

#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace q3 {

const char* const kWebLinkErrorText =
    "###Error by opening www link##Fehler beim öffnen der www Link##Chyba při otevírání www "
    "odkazu";

namespace {

bool failed(const QUrl& url, UserDialogs& dialogs) {
  // "%s %s !": the message and the address.
  const std::string text =
      std::string(ml(kWebLinkErrorText)) + " " + url.toDisplayString().toStdString() + " !";
  dialogs.message(ml("###Error##Fehler##Chyba"), text, DialogKind::Error);
  return false;
}

bool open(const QUrl& url, UserDialogs& dialogs) {
  return QDesktopServices::openUrl(url) || failed(url, dialogs);
}

}  // namespace

bool openWebLink(const QUrl& url, UserDialogs& dialogs) {
  // Another scheme is never handed to the desktop: it could start any program.
  if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
    return failed(url, dialogs);
  return open(url, dialogs);
}

bool openWebPage(const QUrl& server, WebPage page, UserDialogs& dialogs) {
  return openWebLink(webPageUrl(server, page, language()), dialogs);
}

bool openLocalPath(const QString& path, UserDialogs& dialogs) {
  return open(QUrl::fromLocalFile(path), dialogs);
}

}  // namespace q3
