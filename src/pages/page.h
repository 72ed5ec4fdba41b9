// What the window needs of a setting page: show, store and its texts.
#pragma once

#include <QObject>

namespace q3::pages {

class Page : public QObject {
 public:
  using QObject::QObject;
  // Image into the controls, then the page's rules.
  virtual void show() = 0;
  // The controls the user changed into the image.
  virtual void store() = 0;
  // Item texts in the current language.
  virtual void retranslate() = 0;
};

}  // namespace q3::pages
