// The parameter model in the main window: defaults, consistency and the
// address-map check at start-up, the deferred apply on the timer, undo and
// redo from the menu and the tool bar, the active page and its change, the
// unit/PC comparison in slot 4, and storing the active page when closing. The
// setting pages register their store and show in the page host; the link
// fills its programChanged.
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QObject>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>

#include "base/status_slots.h"
#include "params/address_map.h"
#include "shell/ui/main_window.h"
#include "shell/ui/window_features.h"

namespace {

using q3::StartupStep;

class ParamsFeature : public QObject, public q3::Feature {
 public:
  explicit ParamsFeature(WindowContext& ctx) : m_ctx(ctx), m_w(ctx.window) {
    m_ctx.params.setStatusSink(&m_ctx.status);
    wireModel();
    wirePageHost();
    bindUndoRedo();
    applyBeforeCommands();
  }

  const char* featureName() const override { return "params"; }

  void startup(StartupStep step) override {
    switch (step) {
      case StartupStep::MakeImageConsistent:
        m_ctx.params.sanitize();
        break;
      case StartupStep::LoadAllDefaults:
        m_ctx.params.applyDefaults(-1);
        break;
      case StartupStep::ShowAllPages:
        m_ctx.showAllPages();
        break;
      case StartupStep::ResetUndoHistory:
        m_ctx.binder.resetHistory();
        break;
      case StartupStep::ShowActivePage:
        m_ctx.showActivePage();
        break;
      case StartupStep::CheckAddressMap:
        q3::checkAddressMap(m_ctx.dialogs);
        break;
      case StartupStep::ResetConnection:
        // Resetting the connection leaves no valid unit image: slot 4 is cleared.
        m_ctx.params.setUnitImageValid(false);
        m_ctx.params.compare();
        break;
      default:
        break;
    }
  }

  void tick(q3::TickPhase phase, int32_t) override {
    if (phase != q3::TickPhase::DeferredApply) return;
    m_ctx.binder.timerTick();
    if (m_settingsDue) {
      m_settingsDue = false;
      m_w.saveSettings();
    }
  }

  void close(q3::CloseStep step) override {
    if (step == q3::CloseStep::StoreActivePage) {
      takeOverEdits();
      m_ctx.storeActivePage();
    }
  }

 private:
  void wireModel() {
    q3::ParamModelHooks& h = m_ctx.params.hooks();
    // The settings and the image kept for the next start are written (and
    // synced to disk) at the next tick, not inside the apply that took the
    // snapshot: the click stays quick, and the snapshots of one tick are
    // written once.
    h.saveSettings = [this] { m_settingsDue = true; };
    // The caption names the loaded file only while the image is unmodified.
    h.captionChanged = [this](bool) { m_w.refreshCaption(); };
    h.recordImageChange = [this] { m_ctx.events.imageChanged.notify(); };
    // Defaults may change what the pages show beyond their values (lists, layout).
    h.pagesNeedLayout = [this] { m_ctx.events.pagesNeedFullRefresh.notify(); };
    h.undoRedoState = [this](bool undo, bool redo) {
      enable("MenuZpet", "SpeedButtonZpet", undo);
      enable("MenuZnovu", "SpeedButtonZnovu", redo);
    };
  }

  void enable(const char* actionName, const char* buttonName, bool on) {
    if (QAction* a = m_w.action(actionName)) a->setEnabled(on);
    if (auto* b = m_w.control<QAbstractButton>(buttonName)) b->setEnabled(on);
  }

  // The page-changed reaction: show the new page, tell whoever follows page
  // changes and take the focus away from any edit of the old page.
  void pageChanged(int page) {
    {
      const q3::ParamBinder::Suppress hold(m_ctx.binder);
      m_ctx.pageHost.showPage(page);
    }
    m_ctx.events.pageChanged.notify(page);
    m_w.programAfterChangeBox()->setFocus();
  }

  // The edit being typed in gives up its text, and a spin change still
  // waiting for its delay is applied now, to the page it was made on.
  void takeOverEdits() {
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(QApplication::focusWidget()))
      spin->interpretText();
    m_ctx.binder.applyPending();
  }

  // Every command of the menus and the tool bar (mouse or key) and every
  // unit button takes over the pending edit before it runs: these
  // connections are made before the commands' own.
  void applyBeforeCommands() {
    for (QAction* a : m_w.findChildren<QAction*>())
      if (!a->menu()) connect(a, &QAction::triggered, this, [this] { takeOverEdits(); });
    for (const char* name :
         {"SpeedButtonNew", "SpeedButtonOpen", "SpeedButtonSave", "SpeedButtonPrint",
          "SpeedButtonZpet", "SpeedButtonZnovu", "ButtonRead", "ButtonVerify", "ButtonProgram"})
      if (auto* b = m_w.control<QAbstractButton>(name))
        connect(b, &QAbstractButton::pressed, this, [this] { takeOverEdits(); });
  }

  void wirePageHost() {
    QTabWidget* tabs = m_w.pageControl();
    q3::HookedPageHost& host = m_ctx.pageHost;
    m_shownPage = tabs->currentIndex();
    // While the tabs change, the page left is the active one until its
    // pending change has been applied.
    host.active = [this, tabs] { return m_leaving >= 0 ? m_leaving : tabs->currentIndex(); };
    host.switchTo = [this, tabs](int page) {
      {
        const QSignalBlocker block(tabs);
        tabs->setCurrentIndex(page);
      }
      m_shownPage = page;
      pageChanged(page);
    };
    host.programAfterChangeChecked = [this] { return m_w.programAfterChangeBox()->isChecked(); };
    host.focusProgBox = [this] { m_w.programAfterChangeBox()->setFocus(); };
    // The general refresh around every show of the pages: the program-after-
    // change box is red while it is ticked, so an edit that programs the unit
    // at once is never a surprise.
    host.generalRefresh = [this] { colourProgramAfterChange(); };
    connect(m_w.programAfterChangeBox(), &QCheckBox::toggled, this,
            [this] { colourProgramAfterChange(); });
    // A click on a tab: the edit still on the old page is taken over first.
    connect(tabs->tabBar(), &QTabBar::tabBarClicked, this, [this](int) { takeOverEdits(); });
    connect(tabs, &QTabWidget::currentChanged, this, [this](int page) {
      const int left = m_shownPage;
      m_shownPage = page;
      if (m_ctx.binder.suppressed() || page < 0) return;
      if (left >= 0 && left != page) {
        m_leaving = left;
        takeOverEdits();
        m_leaving = -1;
      }
      pageChanged(page);
    });
  }

  void colourProgramAfterChange() {
    QCheckBox* box = m_w.programAfterChangeBox();
    const QString sheet =
        box->isChecked() ? QStringLiteral("QCheckBox { background: red; }") : QString();
    if (box->styleSheet() != sheet) box->setStyleSheet(sheet);
  }

  void bindUndoRedo() {
    auto bind = [this](const char* actionName, const char* buttonName,
                       void (q3::ParamBinder::*op)()) {
      if (QAction* a = m_w.action(actionName))
        connect(a, &QAction::triggered, this, [this, op] { (m_ctx.binder.*op)(); });
      if (auto* b = m_w.control<QAbstractButton>(buttonName))
        connect(b, &QAbstractButton::clicked, this, [this, op] { (m_ctx.binder.*op)(); });
    };
    bind("MenuZpet", "SpeedButtonZpet", &q3::ParamBinder::undo);
    bind("MenuZnovu", "SpeedButtonZnovu", &q3::ParamBinder::redo);
  }

  WindowContext& m_ctx;
  MainWindow& m_w;
  bool m_settingsDue = false;
  int m_shownPage = -1;  // the tab current before the latest change
  int m_leaving = -1;    // the page being left while its edits are applied
};

}  // namespace

std::unique_ptr<q3::Feature> makeParamsFeature(WindowContext& ctx) {
  return std::make_unique<ParamsFeature>(ctx);
}
