#include "pages/table_page.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QKeyEvent>
#include <QRadioButton>
#include <QScrollArea>
#include <QSet>
#include <QVBoxLayout>
#include <cstring>

#include "text/mstring.h"
#include "text/ui_texts.h"

namespace q3::pages {

// --- SpinEdit ---

QString SpinEdit::textFromValue(int v) const {
  const int k = -v - 1;
  if (v < 0 && k < static_cast<int>(m_negNames.size()))
    return m_negNames[static_cast<std::size_t>(k)];
  return QSpinBox::textFromValue(v);
}

int SpinEdit::valueFromText(const QString& text) const {
  for (std::size_t k = 0; k < m_negNames.size(); ++k)
    if (text == m_negNames[k]) return -static_cast<int>(k) - 1;
  return QSpinBox::valueFromText(text);
}

QValidator::State SpinEdit::validate(QString& text, int& pos) const {
  for (const QString& n : m_negNames)
    if (n.startsWith(text, Qt::CaseInsensitive))
      return text == n ? QValidator::Acceptable : QValidator::Intermediate;
  return QSpinBox::validate(text, pos);
}

bool SpinEdit::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    auto* k = static_cast<QKeyEvent*>(e);
    const QKeyCombination key = k->keyCombination();
    if (k->matches(QKeySequence::Undo) || k->matches(QKeySequence::Redo) ||
        key == QKeyCombination(Qt::ControlModifier | Qt::AltModifier, Qt::Key_Z)) {
      e->ignore();
      return true;
    }
  }
  return QSpinBox::event(e);
}

void SpinEdit::keyPressEvent(QKeyEvent* e) {
  if (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter) {
    QSpinBox::keyPressEvent(e);
    return;
  }
  e->accept();
  interpretText();
  focusNextChild();
  if (onEnter) onEnter();
}

void SpinEdit::focusOutEvent(QFocusEvent* e) {
  QSpinBox::focusOutEvent(e);
  if (onLeave) onLeave(isVisible());
}

// --- RadioBox ---

RadioBox::RadioBox(QWidget* parent) : QGroupBox(parent), m_group(new QButtonGroup(this)) {
  m_group->setExclusive(true);
  setLayout(new QVBoxLayout);
  layout()->setContentsMargins(6, 4, 6, 4);
  layout()->setSpacing(2);
}

void RadioBox::setItems(std::span<const Item> items) {
  for (QRadioButton* b : m_buttons) delete b;
  m_buttons.clear();
  m_values.clear();
  int i = 0;
  for (const Item& it : items) {
    auto* b = new QRadioButton(QString::fromUtf8(ml(it.text)), this);
    b->setObjectName(objectName() + QString::number(i));
    layout()->addWidget(b);
    m_group->addButton(b, i++);
    m_buttons.push_back(b);
    m_values.push_back(it.value);
  }
}

void RadioBox::setItemTexts(const QStringList& texts) {
  for (int i = 0; i < count() && i < texts.size(); ++i)
    m_buttons[static_cast<std::size_t>(i)]->setText(texts[i]);
}

void RadioBox::setColumns(int columns) {
  const QMargins margins = layout()->contentsMargins();
  delete layout();
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(margins);
  grid->setSpacing(2);
  const int rows = (count() + columns - 1) / std::max(1, columns);
  for (int i = 0; i < count(); ++i) grid->addWidget(button(i), i % rows, i / rows);
}

int RadioBox::checkedIndex() const { return m_group->checkedId(); }

void RadioBox::setCheckedIndex(int i) {
  if (i >= 0 && i < count()) {
    m_buttons[static_cast<std::size_t>(i)]->setChecked(true);
    return;
  }
  // No selection: an exclusive group keeps one button checked, so lift it.
  m_group->setExclusive(false);
  for (QRadioButton* b : m_buttons) b->setChecked(false);
  m_group->setExclusive(true);
}

int RadioBox::itemValue(int i) const {
  return i >= 0 && i < count() ? m_values[static_cast<std::size_t>(i)] : -1;
}

QString ruleName(const char* pattern, int number) {
  return QString::fromLatin1(pattern).replace(QLatin1String("%d"), QString::number(number));
}

void markEngaged(QWidget* w, bool engaged) {
  if (!w || w->property("q3Engaged").toBool() == engaged) return;
  w->setProperty("q3Engaged", engaged);
  if (!engaged) {
    w->setPalette(QPalette());  // the colours of the window again
    w->setAutoFillBackground(false);
    return;
  }
  QPalette p = w->palette();
  p.setColor(QPalette::Base, QColor(0, 255, 0));
  p.setColor(QPalette::Window, QColor(0, 255, 0));
  w->setPalette(p);
  // A label shows its window colour only when it fills its background.
  if (qobject_cast<QLabel*>(w)) w->setAutoFillBackground(true);
}

QWidget* scrollingContent(QWidget* sheet, const char* name) {
  auto* scroll = new QScrollArea(sheet);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  auto* content = new QWidget;
  content->setObjectName(QString::fromLatin1(name));
  scroll->setWidget(content);
  auto* outer = new QVBoxLayout(sheet);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroll);
  return content;
}

// --- TablePage ---

namespace {
// "UpDownLimiter" -> "Limiter", "ComboBoxBike" -> "Bike".
QString stem(const char* name) {
  QString n = QString::fromLatin1(name);
  for (const char* p : {"UpDown", "ComboBox"})
    if (n.startsWith(QLatin1String(p))) return n.mid(static_cast<int>(std::strlen(p)));
  return n;
}
}  // namespace

TablePage::TablePage(ParamBinder& binder, std::span<const ControlSpec> table, QWidget* parent)
    : QObject(parent), m_binder(binder) {
  m_rows.resize(table.size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    m_rows[i].spec = &table[i];
    make(m_rows[i], parent);
  }
}

TablePage::~TablePage() = default;

void TablePage::make(Row& r, QWidget* parent) {
  const ControlSpec& s = *r.spec;
  const QString caption = s.caption ? QString::fromUtf8(ml(s.caption)) : QString();
  const void* key = nullptr;
  switch (s.kind) {
    case Kind::Spin:
    case Kind::SpinWord: {
      auto* w = new SpinEdit(parent);
      w->setRange(s.min, s.max);
      w->setSingleStep(s.step);
      w->setKeyboardTracking(false);
      w->setAccelerated(true);
      r.view = std::make_unique<SpinView>(w);
      r.widget = w;
      key = w;
      connect(w, &QSpinBox::valueChanged, this, [this, key] {
        m_binder.upDownClick(key);
        if (afterEvent) afterEvent();
      });
      // Enter, and leaving a changed edit, apply at once.
      w->onEnter = [this, key] {
        m_binder.editEnter(key);
        if (afterEvent) afterEvent();
      };
      w->onLeave = [this, key](bool visible) {
        if (!m_binder.pending()) return;
        m_binder.editLostFocus(key, visible);
        if (afterEvent) afterEvent();
      };
      break;
    }
    case Kind::Check: {
      auto* w = new QCheckBox(caption, parent);
      r.view = std::make_unique<CheckView>(w);
      r.widget = w;
      key = w;
      connect(w, &QCheckBox::clicked, this, [this, key] {
        m_binder.checkBoxClick(key);
        if (afterEvent) afterEvent();
      });
      break;
    }
    case Kind::ComboValue: {
      auto* w = new QComboBox(parent);
      for (const Item& it : s.items) w->addItem(QString::fromUtf8(ml(it.text)), it.value);
      w->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
      w->setMinimumContentsLength(12);
      r.view = std::make_unique<ComboView>(w);
      r.widget = w;
      key = w;
      connect(w, &QComboBox::activated, this, [this, w, key](int index) {
        if (m_binder.suppressed()) return;
        for (Row& row : m_rows)
          if (row.widget == w && row.handler) {
            row.handler(index);
            if (afterEvent) afterEvent();
            return;
          }
        m_binder.comboChange(key);
        if (afterEvent) afterEvent();
      });
      break;
    }
    case Kind::RadioIndex:
    case Kind::RadioValue:
    case Kind::RadioButtons: {
      auto* w = new RadioBox(parent);
      w->setObjectName(QString::fromLatin1(s.name));
      w->setTitle(caption);
      w->setItems(s.items);
      r.view = std::make_unique<RadioView>(w);
      r.widget = w;
      key = w;
      connect(w->group(), &QButtonGroup::idClicked, this, [this, w, key](int id) {
        if (m_binder.suppressed()) return;
        for (Row& row : m_rows)
          if (row.widget == w && row.handler) {
            row.handler(id);
            if (afterEvent) afterEvent();
            return;
          }
        m_binder.radioGroupClick(key);
        if (afterEvent) afterEvent();
      });
      break;
    }
  }
  r.widget->setObjectName(QString::fromLatin1(s.name));
  if (s.kind == Kind::Spin || s.kind == Kind::SpinWord || s.kind == Kind::ComboValue) {
    r.label = new QLabel(caption, parent);
    r.label->setObjectName(QLatin1String("Label") + stem(s.name));
    r.label->setBuddy(r.widget);
  }
  r.binding.control = r.view.get();
  r.binding.kind = transferKind(s.kind);
  r.binding.base = s.base;
  r.binding.sub = s.sub;
  r.binding.factor = s.factor;
  r.binding.offset = s.offset;
}

void TablePage::show(const ParamImage& img) {
  const ParamBinder::Suppress hold(m_binder);
  for (Row& r : m_rows) {
    if (r.spec->base < 0) continue;
    showBinding(r.binding, img);
    r.shown = r.view->value();
  }
}

void TablePage::store(ParamImage& img) const {
  for (const Row& r : m_rows) {
    if (r.spec->base < 0) continue;
    // A radio group by value whose byte matched no item shows no selection
    // and stores "none" (255). A combo box by value keeps such a byte (a bike
    // or pickup system this program does not list survives an edit elsewhere
    // on the page), and so does every other unchanged control.
    const bool radioByValue = r.binding.kind == TransferKind::RadioValue;
    if (r.view->value() == r.shown && !(radioByValue && r.shown < 0)) continue;
    storeBinding(r.binding, img);
  }
}

namespace {
// Whether the text tables give the control its caption (they then write it
// on every change of language, and the page leaves it to them).
bool captionFromTextTables(const QString& name) {
  static const QSet<QString> names = [] {
    QSet<QString> n;
    for (const TextEntry& e : controlCaptionTable()) {
      if (e.kind != TextKind::Caption) continue;
      n.insert(QString::fromLatin1(e.name));
      if (e.alsoName) n.insert(QString::fromLatin1(e.alsoName));
    }
    return n;
  }();
  return names.contains(name);
}
}  // namespace

void TablePage::retranslate() {
  for (Row& r : m_rows) {
    const ControlSpec& s = *r.spec;
    // The table's own caption where no text table gives one.
    QWidget* captioned = r.label ? static_cast<QWidget*>(r.label) : r.widget;
    if (s.caption && !captionFromTextTables(captioned->objectName())) {
      const QString t = QString::fromUtf8(ml(s.caption));
      if (auto* l = qobject_cast<QLabel*>(captioned)) l->setText(t);
      if (auto* b = qobject_cast<QCheckBox*>(captioned)) b->setText(t);
      if (auto* g = qobject_cast<QGroupBox*>(captioned)) g->setTitle(t);
    }
    if (auto* c = dynamic_cast<QComboBox*>(r.widget)) {
      for (int i = 0; i < c->count() && i < static_cast<int>(s.items.size()); ++i)
        c->setItemText(i, QString::fromUtf8(ml(s.items[static_cast<std::size_t>(i)].text)));
    } else if (auto* g = dynamic_cast<RadioBox*>(r.widget)) {
      QStringList t;
      for (const Item& it : s.items) t << QString::fromUtf8(ml(it.text));
      g->setItemTexts(t);
    }
  }
}

TablePage::Row* TablePage::find(const char* name) {
  for (Row& r : m_rows)
    if (std::strcmp(r.spec->name, name) == 0) return &r;
  return nullptr;
}

const TablePage::Row* TablePage::find(const char* name) const {
  return const_cast<TablePage*>(this)->find(name);
}

QWidget* TablePage::control(const char* name) const {
  const Row* r = find(name);
  return r ? r->widget : nullptr;
}

QLabel* TablePage::label(const char* name) const {
  const Row* r = find(name);
  return r ? r->label : nullptr;
}

int TablePage::value(const char* name) const {
  const Row* r = find(name);
  return r ? r->view->value() : 0;
}

void TablePage::setShown(const char* name, int v) {
  Row* r = find(name);
  if (!r) return;
  const ParamBinder::Suppress hold(m_binder);
  r->view->setValue(v);
  r->shown = r->view->value();
}

bool TablePage::edited(const char* name) const {
  const Row* r = find(name);
  return r && r->view->value() != r->shown;
}

void TablePage::onChange(const char* name, std::function<void(int)> handler) {
  if (Row* r = find(name)) r->handler = std::move(handler);
}

}  // namespace q3::pages
