// The compare window in the main window: File -> "Compare..." opens it, and
// so does a click on the label that says whether the unit's and the window's
// settings differ (then against the unit's settings). What it takes over
// becomes one undo step of the window, as an edit on a page does.
#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>

#include "files/unit_backup.h"
#include "params/hooked_page_host.h"
#include "params/param_binder.h"
#include "params/param_model.h"
#include "shell/ui/compare_window.h"
#include "shell/ui/main_window.h"
#include "shell/ui/window_features.h"
#include "text/mstring.h"

namespace {

const char* const kMenuCaption = "###Compare...##Vergleichen...##Porovnat...";

class CompareFeature : public QObject, public q3::Feature {
 public:
  explicit CompareFeature(WindowContext& ctx) : m_ctx(ctx), m_w(ctx.window) {
    auto* file = m_w.findChild<QMenu*>("MenuFile");
    if (file) {
      m_action = new QAction(file);
      m_action->setObjectName("MenuCompare");
      file->insertAction(m_w.action("MenuPrint"), m_action);
      connect(m_action, &QAction::triggered, this, [this] { open(false); });
    }
    if (QLabel* l = m_w.slotLabel(4)) l->installEventFilter(this);
    captions();
    m_texts = m_ctx.events.textsApplied.subscribe([this] {
      captions();
      if (m_window) m_window->retranslate();
    });
  }

  const char* featureName() const override { return "compare"; }

  void close(q3::CloseStep step) override {
    if (step == q3::CloseStep::StopRecordingAndPlayback && m_window) m_window->close();
  }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::MouseButtonRelease) open(true);
    return QObject::eventFilter(o, e);
  }

 private:
  void captions() {
    if (m_action) m_action->setText(QString::fromUtf8(q3::ml(kMenuCaption)));
  }

  // Opens (or raises) the window; withUnit: against the unit's settings.
  void open(bool withUnit) {
    if (!m_window) {
      m_window = new CompareWindow(
          m_ctx.params, QString::fromStdString(q3::BackupStore(m_w.paths().dataDir).root()),
          m_ctx.dialogs, &m_w);
      m_window->applyChange = [this](const std::function<void(q3::ParamImage&)>& change) {
        take(change);
      };
    }
    if ((withUnit || !m_window->hasCompared()) && m_ctx.params.unitImageValid())
      m_window->compareWithUnit();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
  }

  // One change of the settings as the binder's apply makes it: a pending
  // spin edit first, then the change, sanitising, the pages shown, one undo
  // step and programming after change when it is on.
  void take(const std::function<void(q3::ParamImage&)>& change) {
    m_ctx.binder.applyPending();
    change(m_ctx.params.image());
    m_ctx.params.sanitize();
    m_ctx.showAllPages();
    if (m_ctx.binder.snapshot() && m_ctx.pageHost.programAfterChange())
      m_ctx.pageHost.requestProgramChanged();
  }

  WindowContext& m_ctx;
  MainWindow& m_w;
  QAction* m_action = nullptr;
  CompareWindow* m_window = nullptr;
  q3::Event<>::Subscription m_texts;
};

}  // namespace

std::unique_ptr<q3::Feature> makeCompareFeature(WindowContext& ctx) {
  return std::make_unique<CompareFeature>(ctx);
}
