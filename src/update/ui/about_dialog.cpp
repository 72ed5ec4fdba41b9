// The About window's texts and links.
#include "update/ui/about_dialog.h"

#include <zlib.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTextDocument>
#include <QVBoxLayout>
#include <cstdlib>

#include "base/app_paths.h"
#include "base/checked_math.h"
#include "base/version_line.h"
#include "text/mstring.h"
#include "update/ui/web_links.h"

namespace q3 {

namespace {

QString tr3(const char* mtext) { return QString::fromUtf8(ml(mtext)); }

QString absolute(const QString& path) { return QFileInfo(path).absoluteFilePath(); }

// A local place as a link; a file that does not exist yet links to its folder.
QString placeLink(const QString& path) {
  QFileInfo fi(path);
  const QString target = fi.exists() ? fi.absoluteFilePath() : fi.absolutePath();
  return QString("<a href=\"%1\">%2</a>")
      .arg(QUrl::fromLocalFile(target).toString(QUrl::FullyEncoded).toHtmlEscaped(),
           fi.absoluteFilePath().toHtmlEscaped());
}

QString row(const char* mtitle, const QString& html) {
  return QString("<tr><td>%1</td><td>%2</td></tr>").arg(tr3(mtitle).toHtmlEscaped(), html);
}

}  // namespace

AboutInfo AboutInfo::current(const AppPaths& paths, const std::string& debugLog,
                             const QUrl& server) {
  AboutInfo info;
  info.settingsFolder = absolute(QString::fromLocal8Bit(paths.dataDir.c_str()));
  info.errorLog = absolute(QString::fromLocal8Bit(paths.errorLog().c_str()));
  if (!debugLog.empty()) info.debugLog = absolute(QString::fromLocal8Bit(debugLog.c_str()));
  info.webSite = server;
  return info;
}

AboutDialog::AboutDialog(const AboutInfo& info, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_dialogs(dialogs) {
  setObjectName("FormAbout");
  setWindowTitle(tr3("###About##Über Programm##O programu"));

  QString html;
  html += QString("<h2>%1 Setup</h2>").arg(QString::fromLatin1(kProductName));
  html += "<p>" +
          tr3("###Setup program for the QUELIN3 ignition unit (type key 104)."
              "##Einstellprogramm für die Zündung QUELIN3 (Typschlüssel 104)."
              "##Nastavovací program pro zapalování QUELIN3 (typový klíč 104).")
              .toHtmlEscaped() +
          "</p><table>";
  html += row("###Version##Version##Verze", QString(Q3_VERSION).toHtmlEscaped());
  html += row("###Build##Erstellt##Sestaveno",
              QString::fromLatin1(buildStamp()).toHtmlEscaped() + " &nbsp; (" +
                  QString::fromStdString(versionLine()).toHtmlEscaped() + ")");
  html += row("###Maker##Hersteller##Výrobce", "Korvelan");
  const QString web = info.webSite.toString(QUrl::FullyEncoded).toHtmlEscaped();
  html += row("###Web##Web##Web", QString("<a href=\"%1\">%1</a>").arg(web));
  html += row("###Support##Support##Podpora",
              tr3("###Manuals: Help - Contents (F1). New unit programs: Ignition - Update."
                  "##Handbücher: Hilfe - Inhalt (F1). Neue Zündungsprogramme: Zündung - Update."
                  "##Návody: Nápověda - Obsah (F1). Nové programy zapalování: Zapalování - "
                  "Update.")
                  .toHtmlEscaped());
  html += row("###Settings folder##Einstellungsordner##Složka nastavení",
              placeLink(info.settingsFolder));
  html += row("###Error log##Fehlerprotokoll##Protokol chyb", placeLink(info.errorLog));
  if (!info.debugLog.isEmpty())
    html += row("###Debug log##Debug-Protokoll##Ladicí protokol", placeLink(info.debugLog));
  html += "</table><h3>" + tr3("###Licences##Lizenzen##Licence").toHtmlEscaped() + "</h3><p>";
  html += QString(
              "Qt %1 &ndash; GNU LGPL v3, &copy; The Qt Company Ltd. and other contributors. "
              "<a href=\"https://www.qt.io/licensing/\">https://www.qt.io/licensing/</a>")
              .arg(QString::fromLatin1(qVersion()));
  html += "<br>" + QString(
                       "zlib %1 &ndash; zlib licence, &copy; Jean-loup Gailly and Mark Adler. "
                       "<a href=\"https://zlib.net/zlib_license.html\">"
                       "https://zlib.net/zlib_license.html</a>")
                       .arg(QString::fromLatin1(zlibVersion()));
  html += "</p>";

  auto* label = new QLabel(html, this);
  label->setObjectName("LabelAbout");
  label->setTextFormat(Qt::RichText);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextBrowserInteraction);
  label->setOpenExternalLinks(false);
  connect(label, &QLabel::linkActivated, this, [this](const QString& link) { openLink(link); });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->setObjectName("ButtonAboutOk");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(buttons);
}

QString AboutDialog::plainText() const {
  QTextDocument doc;
  doc.setHtml(findChild<QLabel*>("LabelAbout")->text());
  return doc.toPlainText();
}

bool AboutDialog::openLink(const QString& link) {
  const QUrl url(link);
  if (url.isLocalFile()) return openLocalPath(url.toLocalFile(), m_dialogs);
  return openWebLink(url, m_dialogs);
}

}  // namespace q3
