// Wires the parameter model into the main window: defaults, consistency and
// the address-map check at start-up, the deferred apply on the timer, undo and
// redo from the menu and the tool bar, the active page and the unit/PC
// comparison in slot 4. The setting pages register their store and show in
// pageHost().pages; the connection layer fills pageHost().programChanged.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QSignalBlocker>
#include <QTabWidget>

#include "params/address_map.h"
#include "shell/ui/main_form.h"

void TMainForm::installParams() {
  m_params.setStatusSink(&m_core.status());

  q3::ParamModelHooks& h = m_params.hooks();
  h.saveSettings = [this] { saveSettings(); };
  // The caption names the loaded file only while the image is unmodified.
  h.captionChanged = [this](bool) { runHook(&StartupHooks::refreshWindowCaption); };
  // Defaults may change what the pages show beyond their values (lists, layout).
  h.pagesNeedLayout = [this] { runHook(&StartupHooks::markPagesForFullRefresh); };
  h.undoRedoState = [this](bool undo, bool redo) {
    auto enable = [this](const char* actionName, const char* buttonName, bool on) {
      if (QAction* a = action(actionName)) a->setEnabled(on);
      if (auto* b = findChild<QAbstractButton*>(QString::fromLatin1(buttonName))) b->setEnabled(on);
    };
    enable("MenuZpet", "SpeedButtonZpet", undo);
    enable("MenuZnovu", "SpeedButtonZnovu", redo);
  };

  // The page-changed reaction: show the new page, note it in a running
  // recording and take the focus away from any edit of the old page.
  auto pageChanged = [this](int page) {
    {
      q3::ParamBinder::Suppress s(m_binder);
      m_pageHost.showPage(page);
    }
    if (m_pageHost.pageChanged) m_pageHost.pageChanged(page);
    CheckBoxProgHned->setFocus();
  };
  m_pageHost.active = [this] { return PageControl1->currentIndex(); };
  m_pageHost.switchTo = [this, pageChanged](int page) {
    {
      const QSignalBlocker block(PageControl1);
      PageControl1->setCurrentIndex(page);
    }
    pageChanged(page);
  };
  m_pageHost.programAfterChangeChecked = [this] { return CheckBoxProgHned->isChecked(); };
  m_pageHost.focusProgBox = [this] { CheckBoxProgHned->setFocus(); };
  connect(PageControl1, &QTabWidget::currentChanged, this, [this, pageChanged](int page) {
    if (!m_binder.suppressed() && page >= 0) pageChanged(page);
  });

  auto showPages = [this](bool all) {
    const q3::ParamBinder::Suppress s(m_binder);
    if (!all) return m_pageHost.showPage(m_pageHost.activePage());
    for (int p = 0; p < q3::kPageCount; ++p) m_pageHost.showPage(p);
  };
  m_startup.makeImageConsistent = [this] { m_params.sanitize(); };
  m_startup.loadAllDefaults = [this] { m_params.applyDefaults(-1); };
  m_startup.showAllPages = [showPages] { showPages(true); };
  m_startup.showActivePage = [showPages] { showPages(false); };
  m_startup.resetUndoHistory = [this] { m_binder.resetHistory(); };
  m_startup.checkAddressMap = [] { q3::checkAddressMap(); };
  m_startup.storeActivePage = [this] { m_pageHost.storePage(m_pageHost.activePage()); };
  // Resetting the connection leaves no valid unit image: slot 4 is cleared.
  m_startup.resetConnection = [this, prev = m_startup.resetConnection] {
    if (prev) prev();
    m_params.setUnitImageValid(false);
    m_params.compare();
  };

  m_core.hooks().deferredApply = [this] { m_binder.timerTick(); };

  auto bind = [this](const char* actionName, const char* buttonName,
                     void (q3::ParamBinder::*op)()) {
    if (QAction* a = action(actionName))
      connect(a, &QAction::triggered, this, [this, op] { (m_binder.*op)(); });
    if (auto* b = findChild<QAbstractButton*>(QString::fromLatin1(buttonName)))
      connect(b, &QAbstractButton::clicked, this, [this, op] { (m_binder.*op)(); });
  };
  bind("MenuZpet", "SpeedButtonZpet", &q3::ParamBinder::undo);
  bind("MenuZnovu", "SpeedButtonZnovu", &q3::ParamBinder::redo);
}
