#include "pages/grid_page.h"

#include <QGridLayout>
#include <QGroupBox>

#include "text/mstring.h"

namespace q3::pages {

GridPage::GridPage(ParamBinder& binder, QWidget* sheet, std::span<const ControlSpec> table,
                   int rowsPerColumn, const char* contentName)
    : Page(sheet), m_binder(binder), m_page(sheet) {
  m_controls = std::make_unique<TablePage>(binder, table, sheet);
  if (rowsPerColumn <= 0) return;  // the page lays itself out
  QWidget* content = scrollingContent(sheet, contentName);
  auto* g = new QGridLayout(content);
  int i = 0;
  for (const ControlSpec& s : table) {
    const int row = i % rowsPerColumn, col = 2 * (i / rowsPerColumn);
    if (QLabel* l = m_controls->label(s.name)) {
      g->addWidget(l, row, col);
      g->addWidget(m_controls->control(s.name), row, col + 1);
    } else {
      g->addWidget(m_controls->control(s.name), row, col, 1, 2);
    }
    ++i;
  }
  g->setRowStretch(rowsPerColumn, 1);
  g->setColumnStretch(2 * ((i + rowsPerColumn - 1) / rowsPerColumn), 1);
}

GridPage::~GridPage() = default;

namespace {
void setCaption(QWidget* w, const char* text) {
  const QString t = QString::fromUtf8(ml(text));
  if (auto* l = qobject_cast<QLabel*>(w)) l->setText(t);
  if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(t);
}
}  // namespace

void GridPage::retranslate() {
  m_controls->retranslate();
  for (auto [w, text] : m_ownCaptions) setCaption(w, text);
}

void GridPage::ownCaption(QWidget* w, const char* text) {
  setCaption(w, text);
  m_ownCaptions.emplace_back(w, text);
}

void GridPage::show() {
  const ParamImage& img = m_binder.model().image();
  m_controls->show(img);
  const ParamBinder::Suppress hold(m_binder);
  applyPageRules(img);
}

void GridPage::applyChange(const std::function<void(ParamImage&)>& change) {
  store();
  change(m_binder.model().image());
  // The edits are in the image now; shown again they are no longer edits,
  // so the apply's store keeps what the change wrote.
  show();
  m_binder.applyNow();
}

void GridPage::store() {
  ParamImage& img = m_binder.model().image();
  m_controls->store(img);
  afterStore(img);
}

}  // namespace q3::pages
