// UpdateOfferDialog: the update window. It shows the offer's text and lets the user
// download the update, visit the maker's page, or cancel (with or without
// being reminded again). A button whose link is absent stays hidden.
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

#include "update/update_check_flow.h"

class QPushButton;
class QTextEdit;

namespace q3 {

class UpdateOfferDialog : public QDialog {
  Q_OBJECT
 public:
  // openLink opens the web page for "go to WWW" (the window stays open).
  UpdateOfferDialog(const PatchOffer& offer, std::function<bool(const QUrl&)> openLink,
                    QWidget* parent = nullptr);

  // The button that ended the window; closing it otherwise is "remind later".
  UpdateChoice choice() const { return m_choice; }

 private:
  void finishWith(UpdateChoice c);

  UpdateChoice m_choice = UpdateChoice::RemindLater;
};

// Shows the window modally over parent and returns the user's choice.
UpdateChoice showUpdateWindow(const PatchOffer& offer, QWidget* parent,
                              std::function<bool(const QUrl&)> openLink);

}  // namespace q3
