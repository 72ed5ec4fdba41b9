// Wires the serial link into the main window: the engine object with its
// search, the connection supervisor on the timer, the Read / Verify / Program
// / Reset commands, LabelCom, the progress bar CGaugeProgram, status panel 4,
// the window caption, the COM menu and the bootloader tool's port-release
// notification. The window only shows what the supervisor reports.
#include "shell/ui/main_form_link.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <memory>

#include "link/ccomcom.h"
#include "link/com_menu_model.h"
#include "link/port_release_server.h"
#include "link/supervisor.h"
#include "link/unit_texts.h"
#include "base/debug_log.h"
#include "shell/ui/main_form.h"

namespace {

// The link objects the window owns; a child object so that the window's
// header needs nothing of the link.
class LinkController : public QObject {
 public:
  explicit LinkController(QObject* parent) : QObject(parent) { setObjectName("LinkController"); }
  ~LinkController() override { destroy(); }
  void destroy() {
    server.reset();
    sup.reset();
    com.reset();  // closes the ports and ends the engine thread
  }
  std::unique_ptr<q3::CCOMCOM> com;
  std::unique_ptr<q3::ConnectionSupervisor> sup;
  std::unique_ptr<q3::PortReleaseServer> server;
  QLabel* labelCom = nullptr;
  bool selectionApplied = false;
};

QString css(q3::Colour c) {
  return QString("#%1%2%3")
      .arg(c & 0xFF, 2, 16, QChar('0'))
      .arg((c >> 8) & 0xFF, 2, 16, QChar('0'))
      .arg((c >> 16) & 0xFF, 2, 16, QChar('0'));
}

// Chains a start-up slot: what another feature put there runs first.
void chain(std::function<void()>& slot, std::function<void()> mine) {
  slot = [prev = slot, mine = std::move(mine)] {
    if (prev) prev();
    mine();
  };
}

}  // namespace

q3::CCOMCOM* linkEngine(TMainForm* w) {
  auto* c = w ? dynamic_cast<LinkController*>(w->findChild<QObject*>("LinkController")) : nullptr;
  return c ? c->com.get() : nullptr;
}

q3::ConnectionSupervisor* linkSupervisor(TMainForm* w) {
  auto* c = w ? dynamic_cast<LinkController*>(w->findChild<QObject*>("LinkController")) : nullptr;
  return c ? c->sup.get() : nullptr;
}

void TMainForm::installLink() {
  auto* link = new LinkController(this);

  // LabelCom sits in front of the connection message.
  link->labelCom = new QLabel(LabelConnection->parentWidget());
  link->labelCom->setObjectName("LabelCom");
  link->labelCom->setMinimumWidth(90);
  for (QBoxLayout* row : LabelConnection->parentWidget()->findChildren<QBoxLayout*>()) {
    int at = row->indexOf(LabelConnection);
    if (at >= 0) {
      row->insertWidget(at, link->labelCom);
      break;
    }
  }

  auto caption = [this, link] {
    const bool released = link->com && !link->com->linkEnabled.load();
    std::string file;
    if (!m_params.modified()) file = QString::fromStdU16String(m_settings.file).toStdString();
    setWindowTitle(QString::fromStdString(q3::windowCaption(file, released)));
  };
  auto panel4 = [this](const std::string& line) {
    if (QLabel* p = statusPanel(4)) p->setText(QString::fromStdString(line));
  };

  // Port items are drawn as radio items while the selection is automatic.
  auto* radio = new QActionGroup(link);
  radio->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  auto rebuildComMenu = [this, link, radio] {
    if (!link->com) return;
    q3::ComMenuInput in;
    q3::CCOMCOM* com = link->com.get();
    in.present = [com](int p) { return com->com[p].present.load() != 0; };
    in.device = [com](int p) { return std::string(com->com[p].devicePath); };
    in.selection = com->comSelection.load();
    in.connectedPort = com->connectedPort.load();
    const auto items = q3::buildComMenu(in);
    for (size_t i = 0; i < items.size() && i < m_comItems.size(); ++i) {
      QAction* a = m_comItems[i];
      const q3::ComMenuItem& it = items[i];
      a->setSeparator(it.separator);
      a->setText(it.separator ? QString() : QString::fromStdString(it.caption));
      a->setCheckable(i < 2 || it.port > 0);
      a->setActionGroup(it.radio ? radio : nullptr);
      a->setChecked(it.checked);
      a->setEnabled(it.enabled);
      a->setVisible(it.visible);
    }
  };

  // ---- construction and start-up steps ----
  chain(m_startup.createProtocolEngine, [this, link] {
    link->com = std::make_unique<q3::CCOMCOM>(true);
    link->com->setStatusSink(&m_core.status());
    link->sup = std::make_unique<q3::ConnectionSupervisor>(*link->com, m_params, &m_core.status());
  });
  chain(m_startup.clearUnitTexts, [link] { link->sup->texts.reset(); });
  chain(m_startup.fillProbeTable, [link] { link->com->fillProbeTable(); });
  chain(m_startup.setUnitTypeKey, [link] {
    link->com->keyMajor.store(q3::kProgramKeyMajor);
    link->com->keyMinor.store(q3::kProgramKeyMinor);
  });
  chain(m_startup.rebuildComMenu, [this, link, rebuildComMenu] {
    if (!link->selectionApplied) {
      // The stored selection, or the service mode's test port.
      link->selectionApplied = true;
      int sel = m_settings.comPort;
      if (m_service.enabled && m_service.testCom > 0) sel = m_service.testCom;
      link->com->comSelection.store(sel);
      link->com->nextPortHint = m_settings.comPortAuto;
    }
    rebuildComMenu();
  });
  chain(m_startup.resetConnection, [link] { link->sup->disconnect(); });
  chain(m_startup.closePorts, [link] {
    if (link->com) link->com->closeAll();
  });
  chain(m_startup.destroyProtocolEngine, [link] { link->destroy(); });
  if (!m_startup.refreshWindowCaption) m_startup.refreshWindowCaption = caption;

  // ---- supervisor hooks ----
  chain(m_startup.createProtocolEngine, [this, link, caption, panel4] {
    q3::SupervisorHooks h;
    h.setProgress = [this](int v) { CGaugeProgram->setValue(v); };
    h.setProgressColour = [this](q3::Colour c) {
      CGaugeProgram->setStyleSheet(
          QString("QProgressBar::chunk { background-color: %1; }").arg(css(c)));
    };
    h.showProgress = [this](bool on) { CGaugeProgram->setVisible(on); };
    h.labelCom = [link](const std::string& t) {
      link->labelCom->setText(QString::fromStdString(t));
    };
    h.connectionLine = panel4;
    h.refreshCaption = [this] { runHook(&StartupHooks::refreshWindowCaption); };
    h.refreshPage = [this] { runHook(&StartupHooks::showActivePage); };
    h.storeActivePage = [this] { runHook(&StartupHooks::storeActivePage); };
    h.activePage = [this] { return PageControl1->currentIndex(); };
    h.clearLoadedFile = [this] { m_settings.file.clear(); };
    h.newInstallation = [this] { return m_settings.newInstal != 0; };
    h.clearNewInstallationAndSave = [this] {
      m_settings.newInstal = 0;
      saveSettings();
    };
    h.applyTexts = [this] { applyTexts(); };
    h.serviceMode = [this] { return m_service.enabled; };
    link->sup->setHooks(h);
    panel4(link->sup->connectionLineText());
    link->server = std::make_unique<q3::PortReleaseServer>(
        [link](int port, int32_t code) { link->sup->portMessage(port, code); });
    if (!link->server->listen()) q3::debugLog("Port release notification not available");
  });

  // ---- the timer ----
  m_core.hooks().supervisor = [this, link] {
    link->sup->run();
    m_settings.comPortAuto = link->com->nextPortHint;
  };
  m_core.hooks().comMenuRebuild = [link, rebuildComMenu] {
    if (link->com && link->com->portListChanged.exchange(0)) rebuildComMenu();
  };
  m_core.hooks().enableUnitButtons = [this, link] {
    const bool on = link->sup && link->sup->connected();
    for (const char* name : {"ButtonRead", "ButtonVerify", "ButtonProgram"})
      if (auto* b = findChild<QAbstractButton*>(QString::fromLatin1(name))) b->setEnabled(on);
    for (const char* name : {"MenuRead", "MenuVerify", "MenuProgram", "MenuReset"})
      if (QAction* a = action(name)) a->setEnabled(on);
  };
  m_pageHost.programChanged = [link] { link->sup->requestProgramChanged(); };

  // ---- commands ----
  auto command = [this](const char* menu, const char* button, std::function<void()> f) {
    if (QAction* a = action(menu)) connect(a, &QAction::triggered, this, f);
    if (button)
      if (auto* b = findChild<QAbstractButton*>(QString::fromLatin1(button)))
        connect(b, &QAbstractButton::clicked, this, f);
  };
  command("MenuRead", "ButtonRead", [link] { link->sup->requestRead(); });
  command("MenuVerify", "ButtonVerify", [link] { link->sup->requestVerify(); });
  command("MenuProgram", "ButtonProgram", [link] { link->sup->requestProgram(); });
  command("MenuReset", nullptr, [link] { link->sup->requestReset(); });

  // The COM menu click (MenuCom1Click for every item).
  for (size_t i = 0; i < m_comItems.size(); ++i) {
    connect(m_comItems[i], &QAction::triggered, this, [this, link, i, rebuildComMenu] {
      const int sel =
          q3::comSelectionForItem(static_cast<int>(i), m_comItems[i]->text().toStdString());
      if (sel == q3::kNoSelectionChange) {
        rebuildComMenu();
        return;
      }
      link->com->comSelection.store(sel);
      if (sel > 0) q3::debugLog("NEW PORT");
      m_settings.comPort = sel;
      if (!link->com->linkEnabled.load()) {
        link->sup->takePortBack();
        applyTexts();
      }
      const int connected = link->com->connectedPort.load();
      if (connected && sel != 0 && sel != connected) link->sup->disconnect();
      rebuildComMenu();
    });
  }
}
