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

#include "files/default_archive.h"
#include "files/ign_document.h"
#include "files/service_tools.h"
#include "link/ccomcom.h"
#include "base/debug_log.h"
#include "shell/ui/main_form.h"
#include "shell/ui/main_form_link.h"

namespace {

const char* const kOpenFilter = "Ignition Parametrs (*.ign);;All Files (*.*)";
const char* const kSaveFilter = "Ignition Parametrs (*.ign)";

std::string utf8(const std::u16string& s) { return QString::fromStdU16String(s).toStdString(); }
std::u16string wide(const std::string& s) { return QString::fromStdString(s).toStdU16String(); }

// The file commands' state, owned by the window as a child object.
class FilesController : public QObject {
 public:
  FilesController(TMainForm* w, q3::ParamModel& model, q3::ParamBinder& binder)
      : QObject(w), m_w(w), m_binder(binder), m_doc(model) {}

  q3::IgnDocument& doc() { return m_doc; }
  q3::CVazov& archive() { return m_archive; }

  void setDialogFile(const std::string& f) { m_dialogFile = QString::fromStdString(f); }

  // Open with the dialog: page -1 for all pages, else the active page only.
  void openWithDialog(int page, bool exeDir) {
    if (exeDir) m_dialogFile = m_w->exeDataFile();
    QString f = QFileDialog::getOpenFileName(m_w, QString(), m_dialogFile, kOpenFilter);
    if (f.isEmpty()) return;
    if (m_w->settings().newInstal) {
      m_w->settings().newInstal = 0;
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
    for (QAction* a : m_w->findChildren<QAction*>("MenuHistoryEnd")) a->setVisible(e.size() > 1);
    m_w->settings().history.clear();
    for (const auto& name : e) m_w->settings().history.push_back(wide(name));
  }

  void loadHistoryFromSettings() {
    std::vector<std::string> e;
    for (const auto& name : m_w->settings().history) e.push_back(utf8(name));
    m_doc.history().setEntries(e);
    m_doc.setCurrentFile(utf8(m_w->settings().file));
    m_dialogFile = QString::fromStdU16String(m_w->settings().iniFileDir);
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
  TMainForm* m_w;
  q3::ParamBinder& m_binder;
  q3::IgnDocument m_doc;
  q3::CVazov m_archive;
  QString m_dialogFile;
};

}  // namespace

void TMainForm::installFiles() {
  auto* fc = new FilesController(this, m_params, m_binder);
  q3::IgnDocument& doc = fc->doc();

  q3::IgnDocumentHooks& h = doc.hooks();
  h.applyPending = [this] {
    CheckBoxProgHned->setFocus();
    m_binder.applyNow();
  };
  h.refreshPages = [this] { runHook(&StartupHooks::showAllPages); };
  h.commitActivePage = [this] { m_binder.apply(); };
  h.storeActivePage = [this] { runHook(&StartupHooks::storeActivePage); };
  h.clearNewInstal = [this] {
    if (!m_settings.newInstal) return;
    m_settings.newInstal = 0;
    saveSettings();
  };
  h.setDialogFile = [this, fc](const std::string& f) {
    fc->setDialogFile(f);
    m_settings.iniFileDir = wide(f);
  };
  h.captionChanged = [this, fc](const std::string& f) {
    // A numbered copy is shown once; the loaded file stays the base of later saves.
    const std::u16string keep = m_settings.file;
    m_settings.file = wide(f);
    runHook(&StartupHooks::refreshWindowCaption);
    if (f != fc->doc().currentFile()) m_settings.file = keep;
  };
  h.historyChanged = [fc] { fc->rebuildHistoryMenu(); };
  h.clearOperationSlot = [this] { m_core.status().showStatus(2, nullptr, 0, 0, 0, -1); };
  h.writeInfo = [this] {
    q3::IgnWriteInfo info;
    auto label = [this](const char* name) {
      auto* l = findChild<QLabel*>(QString::fromLatin1(name));
      return l ? l->text().toStdString() : std::string();
    };
    info.hexDate = label("LabelVerze2");
    info.hexTime = label("LabelVerze3");
    info.hexVersion = label("LabelVerze1");
    // The dwell calibration lines belong to a file saved while a port is open.
    if (q3::CCOMCOM* com = linkEngine(this))
      for (const q3::CCOM& c : com->com) info.portOpen = info.portOpen || c.isOpen();
    info.monCalib[0] = m_params.monitor().byte(114);
    info.monCalib[1] = m_params.monitor().byte(123);
    info.monCalib[2] = m_params.monitor().byte(124);
    return info;
  };

  // New: the model's own command asks and applies; the file side follows.
  m_binder.documentReset = [this, fc] {
    m_core.status().showStatus(2, nullptr, 0, 0, 0, -1);
    fc->doc().setCurrentFile("");
    m_settings.file.clear();
    runHook(&StartupHooks::refreshWindowCaption);
    fc->doc().history().add("");
    fc->rebuildHistoryMenu();
  };

  auto onAction = [this](const char* name, auto fn) {
    if (QAction* a = action(name)) {
      a->setEnabled(true);
      connect(a, &QAction::triggered, this, fn);
    }
  };
  auto onButton = [this](const char* name, auto fn) {
    if (auto* b = findChild<QAbstractButton*>(QString::fromLatin1(name))) {
      b->setEnabled(true);
      connect(b, &QAbstractButton::clicked, this, fn);
    }
  };
  auto activePage = [this] { return PageControl1->currentIndex(); };
  auto held = [](Qt::KeyboardModifier m) { return QGuiApplication::keyboardModifiers() & m; };

  onAction("MenuNew", [this] { m_binder.newDocument(false); });
  onButton("SpeedButtonNew", [this] { m_binder.newDocument(false); });
  onAction("MenuNewPage", [this] { m_binder.newDocument(true); });
  onAction("MenuOpen", [fc] { fc->openWithDialog(-1, false); });
  onAction("MenuOpenExeDir", [fc] { fc->openWithDialog(-1, true); });
  onAction("MenuOpenPage", [fc, activePage] { fc->openWithDialog(activePage(), false); });
  onButton("SpeedButtonOpen", [fc, held] { fc->openWithDialog(-1, held(Qt::ControlModifier)); });
  onAction("MenuSave", [fc] { fc->save(false); });
  onAction("MenuSaveExeDir", [fc] { fc->save(true); });
  onButton("SpeedButtonSave", [fc, held] {
    if (held(Qt::ShiftModifier) && fc->doc().canQuickSave()) return fc->quickSave();
    fc->save(held(Qt::ControlModifier));
  });
  onAction("MenuSaveVersion", [fc] { fc->quickSave(); });
  if (QAction* a = action("MenuSaveVersion")) a->setEnabled(false);
  for (int i = 1; i <= 9; ++i) {
    if (QAction* a = action(QString("MenuHistory%1").arg(i).toLatin1().constData())) {
      connect(a, &QAction::triggered, this, [fc, i] {
        const auto& e = fc->doc().history().entries();
        if (size_t(i) >= e.size()) return;
        std::string path = e[size_t(i)];
        fc->setDialogFile(path);
        fc->open(path, -1);
      });
    }
  }
  onAction("MenuSaveAllNew", [this] {
    q3::saveAllNew("new_ign", q3::IgnWriteInfo{});
    runHook(&StartupHooks::showActivePage);
  });
  onAction("MenuCompareAll",
           [] { q3::compareAll("new_ign", "new_ign_old", "new_ign/compare_all_new.txt"); });

  installEventFilter(fc);

  // Start-up: the archive from the program file, else the default folder;
  // the history once the settings are read.
  auto chain = [](std::function<void()>& slot, std::function<void()> next) {
    slot = [prev = slot, next] {
      if (prev) prev();
      next();
    };
  };
  chain(m_startup.loadArchive, [fc] {
    q3::CVazov& v = fc->archive();
    q3::loadStartupArchive(v, QCoreApplication::applicationFilePath().toStdString(),
                           QCoreApplication::applicationDirPath().toStdString());
    if (!v.console().empty()) q3::debugLog("%s", v.console().c_str());
    if (!v.errors().empty()) q3::debugLog("%s", v.errors().c_str());
    v.console().clear();
  });
  chain(m_startup.buildHistoryMenu, [fc] { fc->loadHistoryFromSettings(); });
}
