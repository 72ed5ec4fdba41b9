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

bool failed(const QUrl& url) {
  // "%s %s !": the message and the address.
  const std::string text =
      std::string(ml(kWebLinkErrorText)) + " " + url.toDisplayString().toStdString() + " !";
  dialogs().message(ml("###Error##Fehler##Chyba"), text, DialogKind::Error);
  return false;
}

bool open(const QUrl& url) { return QDesktopServices::openUrl(url) || failed(url); }

}  // namespace

bool openWebLink(const QUrl& url) {
  // Another scheme is never handed to the desktop: it could start any program.
  if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
    return failed(url);
  return open(url);
}

bool openWebPage(const QUrl& server, WebPage page) {
  return openWebLink(webPageUrl(server, page, language()));
}

bool openLocalPath(const QString& path) { return open(QUrl::fromLocalFile(path)); }

}  // namespace q3
