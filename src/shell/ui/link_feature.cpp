// The serial link in the main window: the link session (engine object with
// its search, connection supervisor) on the timer, the Read / Verify /
// Program / Reset commands, LabelCom, the progress bar CGaugeProgram, status
// panel 4, the COM menu and the bootloader tool's port-release notification.
// The window only shows what the supervisor reports.
#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QBoxLayout>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QObject>
#include <QProgressBar>
#include <array>
#include <memory>

#include "base/debug_log.h"
#include "base/status_slots.h"
#include "files/unit_backup.h"
#include "link/com_menu_model.h"
#include "link/link_events.h"
#include "link/link_session.h"
#include "link/operation_status.h"
#include "link/port_diagnosis.h"
#include "link/port_release_server.h"
#include "link/supervisor.h"
#include "link/unit_texts.h"
#include "shell/ui/main_window.h"
#include "shell/ui/qt_colour.h"
#include "shell/ui/restore_backup_dialog.h"
#include "shell/ui/window_context.h"
#include "shell/ui/window_features.h"
#include "text/mstring.h"
#include "text/named_texts.h"
#include "text/user_dialogs.h"

namespace {

using q3::CloseStep;
using q3::StartupStep;
using q3::TickPhase;

class LinkFeature : public QObject, public q3::Feature {
 public:
  explicit LinkFeature(WindowContext& ctx) : m_ctx(ctx), m_w(ctx.window) {
    placeLabelCom();
    // Port items are drawn as radio items while the selection is automatic.
    m_radio = new QActionGroup(this);
    m_radio->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    // A played recording changes the image; that is never programmed.
    m_ctx.pageHost.programChanged = [this] {
      if (m_session && !playing()) m_session->supervisor().requestProgramChanged();
    };
    bindCommands();
    addRestoreBackupItem();
  }

  ~LinkFeature() override { destroy(); }

  const char* featureName() const override { return "link"; }

  void startup(StartupStep step) override {
    switch (step) {
      case StartupStep::CreateProtocolEngine:
        create();
        break;
      case StartupStep::ClearUnitTexts:
        sup().resetTexts();
        break;
      case StartupStep::FillProbeTable:
        m_session->resetProbeTable();
        break;
      case StartupStep::SetUnitTypeKey:
        m_session->setProgramKey(q3::kProgramKeyMajor, q3::kProgramKeyMinor);
        m_session->setSupervisorMask(1);
        break;
      case StartupStep::RebuildComMenu:
        if (!m_selectionApplied) {
          // The stored selection, or the service mode's test port.
          m_selectionApplied = true;
          int sel = m_ctx.settings.comPort;
          const q3::ServiceMode& service = m_w.service();
          if (service.enabled && service.testCom > 0) sel = service.testCom;
          m_session->selectPorts(sel);
          m_session->setNextPortHint(m_ctx.settings.comPortAuto);
        }
        rebuildComMenu();
        break;
      case StartupStep::ResetConnection:
        sup().disconnect();
        break;
      default:
        break;
    }
  }

  void tick(TickPhase phase, int32_t tickCounter) override {
    if (!m_session) return;
    switch (phase) {
      case TickPhase::Supervisor:
        m_session->supervisorTurn(tickCounter);
        m_ctx.settings.comPortAuto = m_session->nextPortHint();
        break;
      case TickPhase::ComMenuRebuild:
        if (m_session->takePortListChanged() || openFailuresChanged()) rebuildComMenu();
        break;
      case TickPhase::EnableUnitButtons:
        enableUnitCommands(sup().connected() && !playing());
        break;
      default:
        break;
    }
  }

  void close(CloseStep step) override {
    if (step == CloseStep::ClosePorts && m_session) m_session->closeAllPorts();
    if (step == CloseStep::DestroyProtocolEngine) destroy();
  }

 private:
  q3::ConnectionSupervisor& sup() { return m_session->supervisor(); }

  void create() {
    m_session = std::make_unique<q3::LinkSession>(m_ctx.params, m_ctx.clock, m_ctx.dialogs,
                                                  &m_ctx.status, m_ctx.window.startOptions());
    m_ctx.link = m_session.get();
    sup().setHost(supervisorHost());
    m_session->statusView()->setBar(progressBar());
    listen();
    connectionLine(sup().connectionLineText());
    m_server = std::make_unique<q3::PortReleaseServer>(
        [this](int port, int32_t code) { sup().portMessage(port, code); });
    if (!m_server->listen(q3::portReleaseServerName(m_ctx.window.startOptions().portServer)))
      q3::debugLog("Port release notification not available");
  }

  void destroy() {
    m_server.reset();
    m_listening = {};  // before the events they listen to go
    m_ctx.link = nullptr;
    m_session.reset();  // closes the ports and ends the engine thread
  }

  // LabelCom sits in front of the connection message.
  void placeLabelCom() {
    QLabel* connection = m_w.slotLabel(1);
    m_labelCom = new QLabel(connection->parentWidget());
    m_labelCom->setObjectName("LabelCom");
    m_labelCom->setMinimumWidth(90);
    for (QBoxLayout* row : connection->parentWidget()->findChildren<QBoxLayout*>()) {
      const int at = row->indexOf(connection);
      if (at >= 0) {
        row->insertWidget(at, m_labelCom);
        break;
      }
    }
  }

  void connectionLine(const std::string& line) {
    if (QLabel* p = m_w.statusPanel(4)) p->setText(QString::fromStdString(line));
  }

  // What the link shows in the window: LabelCom, status panel 4, the caption,
  // the pages after the image changed under them, and every text again after
  // the port was lent to the bootloader tool or taken back.
  void listen() {
    q3::LinkEvents& e = m_session->events();
    m_listening.comLabel = e.comLabel.subscribe(
        [this](const std::string& t) { m_labelCom->setText(QString::fromStdString(t)); });
    m_listening.connectionLine =
        e.connectionLine.subscribe([this](const std::string& line) { connectionLine(line); });
    m_listening.caption = e.captionChanged.subscribe([this] { m_w.refreshCaption(); });
    m_listening.image = e.imageChanged.subscribe([this] { m_ctx.showActivePage(); });
    m_listening.release = e.releaseChanged.subscribe([this](bool) { m_w.applyTexts(); });
  }

  q3::ProgressBarView progressBar() {
    QProgressBar* gauge = m_w.progressBar();
    q3::ProgressBarView bar;
    bar.setValue = [gauge](int v) { gauge->setValue(v); };
    bar.setColour = [gauge](q3::Colour c) {
      gauge->setStyleSheet(
          QString("QProgressBar::chunk { background-color: %1; }").arg(qtColour(c).name()));
    };
    bar.setVisible = [gauge](bool on) { gauge->setVisible(on); };
    return bar;
  }

  q3::SupervisorHost supervisorHost() {
    q3::SupervisorHost h;
    h.storeActivePage = [this] { m_ctx.storeActivePage(); };
    h.activePage = [this] { return m_w.pageControl()->currentIndex(); };
    h.clearLoadedFile = [this] { m_ctx.settings.file.clear(); };
    h.newInstallation = [this] { return m_ctx.settings.newInstal != 0; };
    h.clearNewInstallationAndSave = [this] {
      m_ctx.settings.newInstal = 0;
      m_w.saveSettings();
    };
    h.serviceMode = [this] { return m_w.serviceMode(); };
    h.pickupRequest = [this] { return m_ctx.pickup.wantsBlocks && m_ctx.pickup.wantsBlocks(); };
    h.playbackRunning = [this] { return playing(); };
    h.testBits = [this] {
      return m_ctx.monitor.takeTestBits ? m_ctx.monitor.takeTestBits() : std::array<uint8_t, 3>{};
    };
    // Before the first write of a connection the unit's settings are kept.
    h.backupBeforeWrite = [this](const q3::ParamImage& unit, const q3::UnitTexts& texts) {
      std::string why;
      const std::string path =
          q3::BackupStore(m_w.paths().dataDir)
              .save(texts.serialNumber, unit, QDateTime::currentSecsSinceEpoch(), &why);
      if (!path.empty()) return true;
      m_ctx.dialogs.message(
          q3::namedText(q3::NamedText::Warning),
          q3::ml("###The unit's settings could not be backed up, so it is not programmed: "
                 "##Die Einstellungen des Geräts konnten nicht gesichert werden, daher wird es "
                 "nicht programmiert: ##Nastavení jednotky nelze zálohovat, proto se "
                 "neprogramuje: ") +
              why,
          q3::DialogKind::Error);
      return false;
    };
    return h;
  }

  // Ports that could not be opened show why in their COM menu item, and in
  // status panel 4 while no unit is connected.
  bool openFailuresChanged() {
    std::string now;
    for (const q3::PortState& p : m_session->presentPorts())
      if (p.openFailure != q3::OpenFailure::None)
        now += "COM" + std::to_string(p.port) + "  " +
               q3::describeOpenFailure(p.openFailure, p.devicePath) + "\n";
    if (now == m_openFailures) return false;
    m_openFailures = now;
    if (!sup().connected()) {
      if (now.empty())
        connectionLine(sup().connectionLineText());
      else
        connectionLine(now.substr(0, now.find('\n')));
    }
    return true;
  }

  // File -> "Restore unit backup...": a kept setting of the connected unit
  // programmed back into it.
  void addRestoreBackupItem() {
    auto* file = m_w.findChild<QMenu*>("MenuFile");
    QAction* before = m_w.action("MenuPrint");
    if (!file) return;
    m_restore = new QAction(file);
    m_restore->setObjectName("MenuRestoreBackup");
    file->insertAction(before, m_restore);
    auto caption = [this] {
      m_restore->setText(QString::fromUtf8(
          q3::ml("###Restore unit backup...##Gerätesicherung wiederherstellen...##Obnovit zálohu "
                 "jednotky...")));
    };
    caption();
    m_texts = m_ctx.events.textsApplied.subscribe(caption);
    connect(m_restore, &QAction::triggered, this, [this] { restoreBackup(); });
  }

  void restoreBackup() {
    if (!m_session || !sup().connected()) {
      m_ctx.dialogs.message(q3::namedText(q3::NamedText::Warning),
                            q3::ml("###Connect the unit first.##Zuerst das Gerät anschließen."
                                   "##Nejprve připojte jednotku."),
                            q3::DialogKind::Warning);
      return;
    }
    const q3::BackupStore store(m_w.paths().dataDir);
    std::vector<q3::UnitBackup> list = store.list(sup().texts().serialNumber);
    if (list.empty()) list = store.list();
    RestoreBackupDialog dialog(std::move(list), m_ctx.params.image(), &m_w);
    if (dialog.exec() != QDialog::Accepted || dialog.chosenPath().empty()) return;
    q3::ParamModel kept;
    if (!q3::BackupStore::load(dialog.chosenPath(), kept)) {
      m_ctx.dialogs.message(q3::namedText(q3::NamedText::Warning),
                            "Cannot read " + dialog.chosenPath(), q3::DialogKind::Error);
      return;
    }
    const q3::Answer a = m_ctx.dialogs.ask(
        q3::namedText(q3::NamedText::Warning),
        q3::ml("###The settings in the window are replaced by the backup and programmed into "
               "the unit. Go on?##Die Einstellungen im Fenster werden durch die Sicherung "
               "ersetzt und in das Gerät programmiert. Fortfahren?##Nastavení v okně se "
               "nahradí zálohou a naprogramuje do jednotky. Pokračovat?"),
        false);
    if (a != q3::Answer::Yes && a != q3::Answer::Ok) return;
    // One undo step back to what the window held.
    m_ctx.params.image() = kept.image();
    m_ctx.params.sanitize();
    m_ctx.params.snapshot(m_w.pageControl()->currentIndex());
    m_ctx.showAllPages();
    sup().requestProgram();
  }

  void rebuildComMenu() {
    if (!m_session) return;
    q3::ComMenuInput in;
    const q3::LinkSession* s = m_session.get();
    in.present = [s](int p) { return s->portState(p).present; };
    in.device = [s](int p) { return s->portState(p).devicePath; };
    in.selection = s->portSelection();
    in.connectedPort = s->connectedPort();
    in.failure = [s](int p) {
      const q3::OpenFailure f = s->portState(p).openFailure;
      return f == q3::OpenFailure::None ? std::string() : std::string(q3::openFailureName(f));
    };
    const auto items = q3::buildComMenu(in);
    const auto& actions = m_w.comItems();
    for (size_t i = 0; i < items.size() && i < actions.size(); ++i) {
      QAction* a = actions[i];
      const q3::ComMenuItem& it = items[i];
      a->setSeparator(it.separator);
      a->setText(it.separator ? QString() : QString::fromStdString(it.caption));
      a->setCheckable(i < 2 || it.port > 0);
      a->setActionGroup(it.radio ? m_radio : nullptr);
      a->setChecked(it.checked);
      a->setEnabled(it.enabled);
      a->setVisible(it.visible);
    }
  }

  // Read, Verify, Program and Reset exactly while a unit is connected.
  void enableUnitCommands(bool on) {
    for (QAbstractButton* b : m_unitButtons)
      if (b) b->setEnabled(on);
    for (QAction* a : m_unitActions)
      if (a) a->setEnabled(on);
  }

  void bindCommands() {
    auto command = [this](const char* menu, const char* button, void (LinkFeature::*f)()) {
      if (QAction* a = m_w.action(menu)) connect(a, &QAction::triggered, this, f);
      if (button)
        if (auto* b = m_w.control<QAbstractButton>(button))
          connect(b, &QAbstractButton::clicked, this, f);
    };
    command("MenuRead", "ButtonRead", &LinkFeature::read);
    command("MenuVerify", "ButtonVerify", &LinkFeature::verify);
    command("MenuProgram", "ButtonProgram", &LinkFeature::program);
    command("MenuReset", nullptr, &LinkFeature::reset);
    m_unitButtons = {m_w.control<QAbstractButton>("ButtonRead"),
                     m_w.control<QAbstractButton>("ButtonVerify"),
                     m_w.control<QAbstractButton>("ButtonProgram")};
    m_unitActions = {m_w.action("MenuRead"), m_w.action("MenuVerify"), m_w.action("MenuProgram"),
                     m_w.action("MenuReset")};
    // The COM menu click (MenuCom1Click for every item).
    const auto& actions = m_w.comItems();
    for (size_t i = 0; i < actions.size(); ++i)
      connect(actions[i], &QAction::triggered, this, [this, i] { comItemClicked(i); });
  }

  bool playing() const { return m_ctx.monitor.playbackRunning && m_ctx.monitor.playbackRunning(); }

  // A played recording owns the image until Stop: no unit command meanwhile.
  void read() {
    if (!playing()) sup().requestRead();
  }
  void verify() {
    if (!playing()) sup().requestVerify();
  }
  void program() {
    if (!playing()) sup().requestProgram();
  }
  void reset() { sup().requestReset(); }

  void comItemClicked(size_t i) {
    const int sel =
        q3::comSelectionForItem(static_cast<int>(i), m_w.comItems()[i]->text().toStdString());
    if (sel == q3::kNoSelectionChange) {
      rebuildComMenu();
      return;
    }
    m_session->selectPorts(sel);
    if (sel > 0) q3::debugLog("NEW PORT");
    m_ctx.settings.comPort = sel;
    if (sup().released()) sup().takePortBack();  // the texts follow through releaseChanged
    const int connected = m_session->connectedPort();
    if (connected && sel != 0 && sel != connected) sup().disconnect();
    rebuildComMenu();
  }

  WindowContext& m_ctx;
  MainWindow& m_w;
  std::unique_ptr<q3::LinkSession> m_session;
  std::unique_ptr<q3::PortReleaseServer> m_server;
  struct Listening {
    q3::Event<const std::string&>::Subscription comLabel, connectionLine;
    q3::Event<>::Subscription caption, image;
    q3::Event<bool>::Subscription release;
  } m_listening;
  std::array<QAbstractButton*, 3> m_unitButtons{};
  std::array<QAction*, 4> m_unitActions{};
  QLabel* m_labelCom = nullptr;
  QAction* m_restore = nullptr;
  q3::Event<>::Subscription m_texts;
  std::string m_openFailures;
  QActionGroup* m_radio = nullptr;
  bool m_selectionApplied = false;
};

}  // namespace

std::unique_ptr<q3::Feature> makeLinkFeature(WindowContext& ctx) {
  return std::make_unique<LinkFeature>(ctx);
}
