// Wires the settings files into the main window: New, Open, Save, Quicksave,
// the recent-files history, dropped files, the service tools and the
// start-up load of the archive of default files.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QTabWidget>
#include <QUrl>

#include "base/debug_log.h"
#include "base/status_slots.h"
#include "files/default_archive.h"
#include "files/ign_document.h"
#include "files/service_tools.h"
#include "link/link_session.h"
#include "shell/ui/main_window.h"
#include "shell/ui/window_features.h"

namespace {

const char* const kOpenFilter = "Ignition Parametrs (*.ign);;All Files (*.*)";
const char* const kSaveFilter = "Ignition Parametrs (*.ign)";

std::string utf8(const std::u16string& s) { return QString::fromStdU16String(s).toStdString(); }
std::u16string wide(const std::string& s) { return QString::fromStdString(s).toStdU16String(); }

class FilesFeature : public QObject, public q3::Feature {
 public:
  explicit FilesFeature(WindowContext& ctx)
      : m_ctx(ctx), m_w(&ctx.window), m_binder(ctx.binder), m_doc(ctx.params, ctx.dialogs) {
    wireDocument();
    bindCommands();
    m_w->installEventFilter(this);
  }

  const char* featureName() const override { return "files"; }

  // The archive from the program file, else the default folder; the history
  // once the settings are read.
  void startup(q3::StartupStep step) override {
    if (step == q3::StartupStep::LoadArchive) loadArchive();
    if (step == q3::StartupStep::BuildHistoryMenu) loadHistoryFromSettings();
  }

  void setDialogFile(const std::string& f) { m_dialogFile = QString::fromStdString(f); }

  // Open with the dialog: page -1 for all pages, else the active page only.
  void openWithDialog(int page, bool exeDir) {
    if (exeDir) m_dialogFile = m_w->exeDataFile();
    QString f = QFileDialog::getOpenFileName(m_w, QString(), m_dialogFile, kOpenFilter);
    if (f.isEmpty()) return;
    if (m_ctx.settings.newInstal) {
      m_ctx.settings.newInstal = 0;
      m_w->saveSettings();
    }
    enableQuickSave();
    open(f.toStdString(), page);
  }

  void open(const std::string& path, int page) {
    m_doc.setActivePage(m_w->pageControl()->currentIndex());
    m_doc.setTestMode(m_w->serviceMode());
    m_doc.load(path, page);
  }

  void save(bool exeDir) {
    if (exeDir) m_dialogFile = m_w->exeDataFile();
    QFileDialog dlg(m_w, QString(), m_dialogFile, kSaveFilter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix("ign");
    if (!m_dialogFile.isEmpty()) dlg.selectFile(m_dialogFile);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    m_doc.setActivePage(m_w->pageControl()->currentIndex());
    if (m_doc.save(dlg.selectedFiles().front().toStdString())) enableQuickSave();
  }

  void quickSave() {
    if (!m_doc.canQuickSave()) return save(false);
    m_doc.setActivePage(m_w->pageControl()->currentIndex());
    m_doc.quickSave();
  }

  void enableQuickSave() {
    m_doc.setSavedOnce(true);
    if (QAction* a = m_w->action("MenuSaveVersion")) a->setEnabled(true);
  }

  // The history menu from the list: entry 0 is not shown.
  void rebuildHistoryMenu() {
    const auto& e = m_doc.history().entries();
    for (int i = 1; i <= 9; ++i) {
      QAction* a = m_w->action(QString("MenuHistory%1").arg(i).toLatin1().constData());
      if (!a) continue;
      const bool shown = size_t(i) < e.size();
      a->setVisible(shown);
      if (shown) a->setText(QString::fromStdString(m_doc.history().caption(i)));
    }
    if (QAction* end = m_w->action("MenuHistoryEnd")) end->setVisible(e.size() > 1);
    m_ctx.settings.history.clear();
    for (const auto& name : e) m_ctx.settings.history.push_back(wide(name));
  }

  void loadHistoryFromSettings() {
    std::vector<std::string> e;
    for (const auto& name : m_ctx.settings.history) e.push_back(utf8(name));
    m_doc.history().setEntries(e);
    m_doc.setCurrentFile(utf8(m_ctx.settings.file));
    m_dialogFile = QString::fromStdU16String(m_ctx.settings.iniFileDir);
    rebuildHistoryMenu();
  }

  bool eventFilter(QObject* obj, QEvent* e) override {
    if (obj != m_w) return false;
    if (e->type() == QEvent::DragEnter) {
      auto* d = static_cast<QDragEnterEvent*>(e);
      if (d->mimeData()->hasUrls()) d->acceptProposedAction();
      return true;
    }
    if (e->type() == QEvent::Drop) {
      auto* d = static_cast<QDropEvent*>(e);
      std::vector<std::string> names;
      for (const QUrl& u : d->mimeData()->urls())
        if (u.isLocalFile()) names.push_back(u.toLocalFile().toStdString());
      std::string pick = q3::IgnDocument::pickDroppedFile(names);
      if (!pick.empty()) {
        setDialogFile(pick);
        open(pick, -1);
      }
      d->acceptProposedAction();
      return true;
    }
    return false;
  }

 private:
  void loadArchive() {
    q3::loadStartupArchive(m_archive, QCoreApplication::applicationFilePath().toStdString(),
                           QCoreApplication::applicationDirPath().toStdString());
    if (!m_archive.console().empty()) q3::debugLog("%s", m_archive.console().c_str());
    if (!m_archive.errors().empty()) q3::debugLog("%s", m_archive.errors().c_str());
    m_archive.console().clear();
  }

  void wireDocument() {
    q3::IgnDocumentHooks& h = m_doc.hooks();
    h.applyPending = [this] {
      m_w->programAfterChangeBox()->setFocus();
      m_binder.applyNow();
    };
    h.refreshPages = [this] { m_ctx.showAllPages(); };
    h.commitActivePage = [this] { m_binder.apply(); };
    h.storeActivePage = [this] { m_ctx.storeActivePage(); };
    h.clearNewInstal = [this] {
      if (!m_ctx.settings.newInstal) return;
      m_ctx.settings.newInstal = 0;
      m_w->saveSettings();
    };
    h.setDialogFile = [this](const std::string& f) {
      setDialogFile(f);
      m_ctx.settings.iniFileDir = wide(f);
    };
    h.captionChanged = [this](const std::string& f) {
      // A numbered copy is shown once; the loaded file stays the base of later saves.
      const std::u16string keep = m_ctx.settings.file;
      m_ctx.settings.file = wide(f);
      m_w->refreshCaption();
      if (f != m_doc.currentFile()) m_ctx.settings.file = keep;
    };
    h.historyChanged = [this] { rebuildHistoryMenu(); };
    h.clearOperationSlot = [this] { m_ctx.status.showStatus(2, nullptr, 0, 0, 0, -1); };
    h.writeInfo = [this] { return writeInfo(); };

    // New: the model's own command asks and applies; the file side follows.
    m_binder.documentReset = [this] {
      m_ctx.status.showStatus(2, nullptr, 0, 0, 0, -1);
      m_doc.setCurrentFile("");
      m_ctx.settings.file.clear();
      m_w->refreshCaption();
      m_doc.history().add("");
      rebuildHistoryMenu();
    };
  }

  q3::IgnWriteInfo writeInfo() const {
    q3::IgnWriteInfo info;
    auto label = [this](const char* name) {
      auto* l = m_w->control<QLabel>(name);
      return l ? l->text().toStdString() : std::string();
    };
    info.hexDate = label("LabelVerze2");
    info.hexTime = label("LabelVerze3");
    info.hexVersion = label("LabelVerze1");
    // The dwell calibration lines belong to a file saved while a port is open.
    if (m_ctx.link) info.portOpen = m_ctx.link->anyPortOpen();
    info.monCalib[0] = m_ctx.params.monitor().byte(114);
    info.monCalib[1] = m_ctx.params.monitor().byte(123);
    info.monCalib[2] = m_ctx.params.monitor().byte(124);
    return info;
  }

  void bindCommands() {
    auto onAction = [this](const char* name, auto fn) {
      if (QAction* a = m_w->action(name)) {
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, fn);
      }
    };
    auto onButton = [this](const char* name, auto fn) {
      if (auto* b = m_w->control<QAbstractButton>(name)) {
        b->setEnabled(true);
        connect(b, &QAbstractButton::clicked, this, fn);
      }
    };
    auto activePage = [this] { return m_w->pageControl()->currentIndex(); };
    auto held = [](Qt::KeyboardModifier m) { return QGuiApplication::keyboardModifiers() & m; };

    onAction("MenuNew", [this] { m_binder.newDocument(false); });
    onButton("SpeedButtonNew", [this] { m_binder.newDocument(false); });
    onAction("MenuNewPage", [this] { m_binder.newDocument(true); });
    onAction("MenuOpen", [this] { openWithDialog(-1, false); });
    onAction("MenuOpenExeDir", [this] { openWithDialog(-1, true); });
    onAction("MenuOpenPage", [this, activePage] { openWithDialog(activePage(), false); });
    onButton("SpeedButtonOpen", [this, held] { openWithDialog(-1, held(Qt::ControlModifier)); });
    onAction("MenuSave", [this] { save(false); });
    onAction("MenuSaveExeDir", [this] { save(true); });
    onButton("SpeedButtonSave", [this, held] {
      if (held(Qt::ShiftModifier) && m_doc.canQuickSave()) return quickSave();
      save(held(Qt::ControlModifier));
    });
    onAction("MenuSaveVersion", [this] { quickSave(); });
    if (QAction* a = m_w->action("MenuSaveVersion")) a->setEnabled(false);
    for (int i = 1; i <= 9; ++i) {
      if (QAction* a = m_w->action(QString("MenuHistory%1").arg(i).toLatin1().constData())) {
        connect(a, &QAction::triggered, this, [this, i] {
          const auto& e = m_doc.history().entries();
          if (size_t(i) >= e.size()) return;
          std::string path = e[size_t(i)];
          setDialogFile(path);
          open(path, -1);
        });
      }
    }
    onAction("MenuSaveAllNew", [this] {
      q3::saveAllNew("new_ign", q3::IgnWriteInfo{}, m_ctx.dialogs);
      m_ctx.showActivePage();
    });
    onAction("MenuCompareAll", [this] {
      q3::compareAll("new_ign", "new_ign_old", "new_ign/compare_all_new.txt", m_ctx.dialogs);
    });
  }

  WindowContext& m_ctx;
  MainWindow* m_w;
  q3::ParamBinder& m_binder;
  q3::IgnDocument m_doc;
  q3::EmbeddedArchive m_archive;
  QString m_dialogFile;
};

}  // namespace

std::unique_ptr<q3::Feature> makeFilesFeature(WindowContext& ctx) {
  return std::make_unique<FilesFeature>(ctx);
}
