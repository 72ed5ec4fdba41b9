// The update window's layout, captions and buttons.
#include "update/ui/update_offer_dialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "text/mstring.h"

namespace q3 {

namespace {
// The update window speaks Czech or English.
QString caption(const char* english, const char* czech) {
  return QString::fromUtf8(language() == 2 ? czech : english);
}
}  // namespace

UpdateOfferDialog::UpdateOfferDialog(const PatchOffer& offer,
                                     std::function<bool(const QUrl&)> openLink, QWidget* parent)
    : QDialog(parent) {
  setObjectName("FormPatch");
  setWindowTitle(caption("Update", "Aktualizace"));
  setModal(true);

  auto* text = new QTextEdit(this);
  text->setObjectName("RichEditPatch");
  text->setReadOnly(true);
  // Plain text only: an offer's markup is shown, never interpreted.
  text->setAcceptRichText(false);
  // Long texts are capped and broken into lines before they are laid out:
  // a single line of megabytes would keep the window busy for minutes.
  text->setLineWrapMode(QTextEdit::WidgetWidth);
  text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  text->setPlainText(QString::fromStdString(offerTextForDisplay(offer.text)));

  auto* download = new QPushButton(caption("Download update", "Stáhni aktualizaci"), this);
  download->setObjectName("ButtonPatchDownload");
  download->setVisible(!offer.download.isEmpty());
  auto* www = new QPushButton(caption("go to WWW", "jdi na WWW"), this);
  www->setObjectName("ButtonPatchWWW");
  www->setVisible(!offer.web.isEmpty());
  auto* noRemind = new QPushButton(
      caption("Cancel (don't remind this update)", "Zpět (nepřipomínej tuto aktualizaci)"), this);
  noRemind->setObjectName("ButtonPatchNoRemind");
  auto* later = new QPushButton(caption("Cancel (remaind later)", "Zpět (připomeň příště)"), this);
  later->setObjectName("ButtonPatchLater");
  later->setDefault(true);

  connect(download, &QPushButton::clicked, this, [this] { finishWith(UpdateChoice::Download); });
  connect(www, &QPushButton::clicked, this, [web = offer.web, openLink] {
    if (openLink) openLink(web);
  });
  connect(noRemind, &QPushButton::clicked, this, [this] { finishWith(UpdateChoice::DontRemind); });
  connect(later, &QPushButton::clicked, this, [this] { finishWith(UpdateChoice::RemindLater); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(download);
  buttons->addWidget(www);
  buttons->addStretch();
  buttons->addWidget(noRemind);
  buttons->addWidget(later);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addLayout(buttons);
  resize(560, 320);
}

void UpdateOfferDialog::finishWith(UpdateChoice c) {
  m_choice = c;
  accept();
}

UpdateChoice showUpdateWindow(const PatchOffer& offer, QWidget* parent,
                              std::function<bool(const QUrl&)> openLink) {
  UpdateOfferDialog w(offer, std::move(openLink), parent);
  w.exec();
  return w.choice();
}

}  // namespace q3
