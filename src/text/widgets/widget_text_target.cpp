// Writes table texts into widgets and actions found by objectName.
#include "text/widgets/widget_text_target.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMetaObject>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>

namespace q3 {
namespace {

QString utf8(const char* text) { return QString::fromUtf8(text); }

// The tab widget that shows `page` as one of its pages, or nullptr.
QTabWidget* tabOf(QWidget* page) {
  for (QWidget* p = page->parentWidget(); p; p = p->parentWidget())
    if (auto* tabs = qobject_cast<QTabWidget*>(p)) return tabs->indexOf(page) >= 0 ? tabs : nullptr;
  return nullptr;
}

bool hasSetItems(QWidget* w) {
  return w->metaObject()->indexOfMethod("setItems(QStringList)") >= 0;
}

}  // namespace

void WidgetTextTarget::collect() const {
  m_collected = true;
  if (!m_root) return;
  for (QObject* o : m_root->findChildren<QObject*>()) {
    const QString name = o->objectName();
    if (name.isEmpty()) continue;
    // The first of equal names wins, as with findChild().
    if (auto* w = qobject_cast<QWidget*>(o)) {
      if (!m_widgets.contains(name)) m_widgets.insert(name, w);
    } else if (auto* a = qobject_cast<QAction*>(o)) {
      if (!m_actions.contains(name)) m_actions.insert(name, a);
    }
  }
}

QWidget* WidgetTextTarget::widget(const char* name) const {
  if (!m_collected) collect();
  return m_widgets.value(QString::fromLatin1(name)).data();
}

QAction* WidgetTextTarget::action(const char* name) const {
  if (!m_collected) collect();
  return m_actions.value(QString::fromLatin1(name)).data();
}

void WidgetTextTarget::setMenuCaption(const char* name, const char* text) {
  if (QAction* a = action(name))
    a->setText(utf8(text));
  else
    setCaption(name, text);
}

void WidgetTextTarget::setCaption(const char* name, const char* text) {
  QWidget* w = widget(name);
  if (!w) {
    if (QAction* a = action(name)) a->setText(utf8(text));
    return;
  }
  const QString t = utf8(text);
  if (QTabWidget* tabs = tabOf(w))
    tabs->setTabText(tabs->indexOf(w), t);
  else if (auto* l = qobject_cast<QLabel*>(w))
    l->setText(t);
  else if (auto* b = qobject_cast<QAbstractButton*>(w))
    b->setText(t);
  else if (auto* g = qobject_cast<QGroupBox*>(w))
    g->setTitle(t);
  else
    w->setWindowTitle(t);
}

void WidgetTextTarget::setItems(const char* name, const char* lines) {
  QWidget* w = widget(name);
  if (!w) return;
  const QStringList items = utf8(lines).split(QLatin1Char('\n'));
  if (auto* c = qobject_cast<QComboBox*>(w)) {
    const int current = c->currentIndex();
    const QSignalBlocker block(c);
    c->clear();
    c->addItems(items);
    c->setCurrentIndex(current < c->count() ? current : -1);
    return;
  }
  if (hasSetItems(w)) {
    QMetaObject::invokeMethod(w, "setItems", Q_ARG(QStringList, items));
    return;
  }
  const QList<QRadioButton*> buttons =
      w->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
  for (int i = 0; i < buttons.size(); ++i) {
    if (i < items.size()) {
      buttons[i]->setText(items[i]);
    } else {
      buttons[i]->setText(QString());
      buttons[i]->hide();
    }
  }
}

void WidgetTextTarget::setHint(const char* name, const char* text) {
  const QString t = utf8(text);
  if (QAction* a = action(name)) {
    a->setStatusTip(t);
    a->setToolTip(t);
  } else if (QWidget* w = widget(name)) {
    w->setStatusTip(t);
    w->setToolTip(t);
  }
}

void WidgetTextTarget::setChecked(const char* name, bool checked) {
  if (QAction* a = action(name)) {
    a->setCheckable(true);
    a->setChecked(checked);
  } else if (auto* b = qobject_cast<QAbstractButton*>(widget(name))) {
    b->setChecked(checked);
  }
}

void WidgetTextTarget::setVisible(const char* name, bool visible) {
  if (QAction* a = action(name))
    a->setVisible(visible);
  else if (QWidget* w = widget(name))
    w->setVisible(visible);
}

}  // namespace q3
