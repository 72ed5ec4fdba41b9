// Writes the text tables of the current language into the window: menu
// captions, hints, control captions and item lists, found by objectName.
// A control that does not exist (yet) is skipped.
//
// Item lists go to a QComboBox directly; any other widget that shows a list
// (a radio group) receives them through its invokable setItems(QStringList).
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

#include "shell/ui/main_form.h"
#include "text/mstring.h"
#include "text/ui_texts.h"

namespace {

class WindowTextTarget : public q3::TextTarget {
public:
  explicit WindowTextTarget(TMainForm& w) : m_w(w) {}

  void setMenuCaption(const char* name, const char* text) override {
    if (QAction* a = m_w.action(name)) a->setText(QString::fromUtf8(text));
    else setCaption(name, text);  // buttons that take a menu item's caption
  }
  void setCaption(const char* name, const char* text) override {
    const QString t = QString::fromUtf8(text);
    QWidget* w = m_w.findChild<QWidget*>(QString::fromLatin1(name));
    if (!w) return;
    QTabWidget* tabs = m_w.pageControl();
    if (int i = tabs->indexOf(w); i >= 0) tabs->setTabText(i, t);
    else if (auto* l = qobject_cast<QLabel*>(w)) l->setText(t);
    else if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(t);
    else if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(t);
    else w->setWindowTitle(t);
  }
  void setItems(const char* name, const char* lines) override {
    QWidget* w = m_w.findChild<QWidget*>(QString::fromLatin1(name));
    if (!w) return;
    const QStringList items = QString::fromUtf8(lines).split('\n');
    if (auto* c = qobject_cast<QComboBox*>(w)) {
      const int current = c->currentIndex();
      const QSignalBlocker block(c);
      c->clear();
      c->addItems(items);
      c->setCurrentIndex(current < c->count() ? current : -1);
    } else {
      QMetaObject::invokeMethod(w, "setItems", Q_ARG(QStringList, items));
    }
  }
  void setHint(const char* name, const char* text) override {
    const QString t = QString::fromUtf8(text);
    if (QAction* a = m_w.action(name)) {
      a->setStatusTip(t);
      a->setToolTip(t);
    } else if (QWidget* w = m_w.findChild<QWidget*>(QString::fromLatin1(name))) {
      w->setStatusTip(t);
      w->setToolTip(t);
    }
  }
  void setChecked(const char* name, bool checked) override {
    if (QAction* a = m_w.action(name)) a->setChecked(checked);
  }
  void setVisible(const char* name, bool visible) override {
    if (QAction* a = m_w.action(name)) a->setVisible(visible);
    else if (QWidget* w = m_w.findChild<QWidget*>(QString::fromLatin1(name))) w->setVisible(visible);
  }
  void refreshWindowCaption() override { m_w.runHook(&StartupHooks::refreshWindowCaption); }
  void reselectStatusTexts() override { m_w.core().status().reselectLanguage(); }
  void refreshMonitor() override { m_w.runHook(&StartupHooks::refreshMonitor); }
  void refreshActivePage() override { m_w.runHook(&StartupHooks::showActivePage); }

private:
  TMainForm& m_w;
};

}  // namespace

void TMainForm::applyTexts() {
  WindowTextTarget target(*this);
  q3::applyTexts(target, m_image.byte(515));
}

void TMainForm::applyControlCaptions() {
  WindowTextTarget target(*this);
  q3::applyControlCaptions(target, m_image.byte(515));
  runHook(&StartupHooks::applyControlCaptions);
}

void TMainForm::changeLanguage(int lang) {
  WindowTextTarget target(*this);
  q3::changeLanguage(lang, target, m_image.byte(515));
  m_settings.language = q3::language();
}
