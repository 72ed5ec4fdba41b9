// MainWindow: widgets, menus, status bar, the start-up lists, the timer and
// closing. The features (window_features.cpp) do their part of each step.
#include "shell/ui/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <iterator>
#include <type_traits>
#include <variant>

#include "base/app_clock.h"
#include "base/debug_log.h"
#include "base/version_line.h"
#include "shell/ui/app_icon.h"
#include "shell/ui/qt_colour.h"
#include "shell/ui/window_features.h"
#include "text/mstring.h"
#include "text/ui_texts.h"

using q3::CloseStep;
using q3::StartupStep;

namespace {

// The ten pages in page-index order.
const char* const kPageNames[MainWindow::kPages] = {
    "TabSheetRuzne", "TabSheetBike",  "TabSheetSensors", "TabSheetAdvance", "TabSheetPOut",
    "TabSheetServo", "TabSheet_Gear", "TabSheet_Race",   "TabSheet_N2O",    "TabSheet_Ladeni"};

}  // namespace

MainWindow::MainWindow(q3::StartOptions options, const QStringList& args, QWidget* parent)
    : QMainWindow(parent),
      m_options(std::move(options)),
      m_paths(q3::resolveAppPaths(m_options)),
      m_args(args) {
  setObjectName("MainForm");
  setWindowTitle(QString::fromLatin1(q3::kProductName));
  setWindowIcon(appIcon());
  resize(1000, 720);
  buildWidgets();
  buildMenus();
  buildStatusBar();
  m_features = makeWindowFeatures(m_ctx);
  for (const auto& f : m_features) m_core.addFeature(f.get());
  constructStartup();
  formCreate();
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(55);
  connect(Timer1, &QTimer::timeout, this, [this] { m_core.tick(); });
  Timer1->start();
}

MainWindow::~MainWindow() {
  if (Timer1) Timer1->stop();
  m_core.runClose(CloseStep::DestroyProtocolEngine);
  m_core.clock().requestStop();  // whatever worker of this window is left ends now
  for (const auto& f : m_features) m_core.removeFeature(f.get());
}

QAction* MainWindow::action(const char* name) const {
  return findChild<QAction*>(QString::fromLatin1(name));
}

QWidget* MainWindow::page(const char* name) const {
  for (QWidget* p : m_pages)
    if (p->objectName() == QLatin1String(name)) return p;
  return nullptr;
}

// ---------------------------------------------------------------- widgets

void MainWindow::buildWidgets() {
  auto* central = new QWidget(this);
  central->setObjectName("PanelMain");
  auto* v = new QVBoxLayout(central);
  v->setContentsMargins(4, 4, 4, 0);

  auto* top = new QHBoxLayout;
  auto tool = [&](const char* name, QStyle::StandardPixmap icon) {
    auto* b = new QToolButton(central);
    b->setObjectName(name);
    b->setIcon(style()->standardIcon(icon));
    b->setAutoRaise(true);
    b->setEnabled(false);
    top->addWidget(b);
    return b;
  };
  tool("SpeedButtonNew", QStyle::SP_FileIcon);
  tool("SpeedButtonOpen", QStyle::SP_DialogOpenButton);
  tool("SpeedButtonSave", QStyle::SP_DialogSaveButton);
  tool("SpeedButtonPrint", QStyle::SP_FileDialogDetailedView);
  tool("SpeedButtonZpet", QStyle::SP_ArrowBack);
  tool("SpeedButtonZnovu", QStyle::SP_ArrowForward);
  top->addSpacing(12);
  for (const char* name : {"ButtonRead", "ButtonVerify", "ButtonProgram"}) {
    auto* b = new QPushButton(central);
    b->setObjectName(name);
    b->setEnabled(false);
    top->addWidget(b);
  }
  top->addSpacing(12);
  CheckBoxProgHned = new QCheckBox(central);
  CheckBoxProgHned->setObjectName("CheckBoxProgHned");
  top->addWidget(CheckBoxProgHned);
  top->addStretch(1);
  v->addLayout(top);

  // The message row keeps its height while its labels come and go, so the
  // pages below do not jump.
  auto* slotPanel = new QWidget(central);
  slotPanel->setObjectName("PanelMessages");
  slotPanel->setFixedHeight(QFontMetrics(font()).height() + 10);
  auto* slotRow = new QHBoxLayout(slotPanel);
  slotRow->setContentsMargins(0, 0, 0, 0);
  auto label = [&](const char* name) {
    auto* l = new QLabel(slotPanel);
    l->setObjectName(name);
    l->setAutoFillBackground(true);
    l->setMargin(2);
    slotRow->addWidget(l);
    return l;
  };
  LabelConnection = label("LabelConnection");
  LabelResult = label("LabelResult");
  CGaugeProgram = new QProgressBar(slotPanel);
  CGaugeProgram->setObjectName("CGaugeProgram");
  CGaugeProgram->setMaximumWidth(200);
  slotRow->addWidget(CGaugeProgram);
  LabelCongruence = label("LabelCongruence");
  slotRow->addStretch(1);
  v->addWidget(slotPanel);

  PageControl1 = new QTabWidget(central);
  PageControl1->setObjectName("PageControl1");
  for (int i = 0; i < kPages; ++i) {
    auto* p = new QWidget(PageControl1);
    p->setObjectName(kPageNames[i]);
    m_pages[static_cast<size_t>(i)] = p;
    PageControl1->addTab(p, QString());
  }
  v->addWidget(PageControl1, 1);

  GroupBoxPlayer = new QGroupBox(central);
  GroupBoxPlayer->setObjectName("GroupBoxPlayer");
  GroupBoxPlayer->setMinimumHeight(48);
  GroupBoxPlayer->hide();
  v->addWidget(GroupBoxPlayer);

  setCentralWidget(central);
}

void MainWindow::addBelowPages(QWidget* w) {
  auto* box = qobject_cast<QBoxLayout*>(centralWidget()->layout());
  box->insertWidget(box->indexOf(GroupBoxPlayer), w);
}

QMenu* MainWindow::addMenu(QMenu* parent, const char* name) {
  QMenu* m = parent ? parent->addMenu(QString()) : menuBar()->addMenu(QString());
  m->setObjectName(name);
  m->menuAction()->setObjectName(name);
  return m;
}

QAction* MainWindow::addItem(QMenu* menu, const char* name, bool enabled) {
  QAction* a = menu->addAction(QString());
  a->setObjectName(name);
  a->setEnabled(enabled);
  if (const char* keys = q3::menuShortcut(name))
    a->setShortcut(QKeySequence(QString::fromLatin1(keys)));
  return a;
}

void MainWindow::buildMenus() {
  menuBar()->setObjectName("MainMenu1");
  QMenu* file = addMenu(nullptr, "MenuFile");
  addItem(file, "MenuNew");
  addItem(file, "MenuNewPage");
  addItem(file, "MenuOpen");
  addItem(file, "MenuOpenExeDir");
  addItem(file, "MenuOpenPage");
  addItem(file, "MenuSave");
  addItem(file, "MenuSaveExeDir");
  addItem(file, "MenuSaveVersion");
  file->addSeparator()->setObjectName("MenuHistoryBegin");
  for (int i = 0; i < 9; ++i) {
    QAction* h = addItem(file, QString("MenuHistory%1").arg(i + 1).toLatin1().constData(), true);
    h->setVisible(false);
    m_historyItems[static_cast<size_t>(i)] = h;
  }
  QAction* histEnd = file->addSeparator();
  histEnd->setObjectName("MenuHistoryEnd");
  histEnd->setVisible(false);
  addItem(file, "MenuPrint");
  addItem(file, "MenuPrintAll")->setVisible(false);
  file->addSeparator();
  QAction* exit = addItem(file, "MenuExit", true);
  connect(exit, &QAction::triggered, this, [this] { MenuExitClick(); });

  QMenu* com = addMenu(nullptr, "MenuCom");
  for (int i = 0; i < kComItems; ++i) {
    QAction* c = addItem(com, QString("MenuCom%1").arg(i + 1).toLatin1().constData(), true);
    c->setText(QString("COM%1").arg(i + 1));
    c->setVisible(false);
    m_comItems[static_cast<size_t>(i)] = c;
  }

  QMenu* device = addMenu(nullptr, "MenuDevice");
  addItem(device, "MenuRead");
  addItem(device, "MenuVerify");
  addItem(device, "MenuProgram");
  addItem(device, "MenuReset");
  device->addSeparator();
  addItem(device, "MenuUpdate");

  QMenu* tools = addMenu(nullptr, "MenuTools");
  addItem(tools, "MenuAdvanceMinus");
  addItem(tools, "MenuAdvancePlus");
  tools->addSeparator();
  addItem(tools, "MenuZpet");
  addItem(tools, "MenuZnovu");
  tools->addSeparator();
  QAction* player = addItem(tools, "MenuMonitorPlayer", true);
  player->setCheckable(true);
  connect(player, &QAction::triggered, this, [this] { MenuMonitorPlayerClick(); });

  QMenu* lang = addMenu(nullptr, "MenuLanguage");
  auto* group = new QActionGroup(this);
  for (const char* name : {"MenuEnglish", "MenuGerman", "MenuCzech"}) {
    QAction* a = addItem(lang, name, true);
    a->setCheckable(true);
    group->addAction(a);
  }
  connect(action("MenuEnglish"), &QAction::triggered, this, [this] { MenuEnglishClick(); });
  connect(action("MenuGerman"), &QAction::triggered, this, [this] { MenuGermanClick(); });
  connect(action("MenuCzech"), &QAction::triggered, this, [this] { MenuCzechClick(); });

  QMenu* help = addMenu(nullptr, "MenuHelp");
  addItem(help, "MenuContens");
  addItem(help, "MenuAbout");

  QMenu* servis = addMenu(nullptr, "MenuServis");
  addItem(servis, "MenuSaveAllNew");
  addItem(servis, "MenuCompareAll");
  servis->menuAction()->setVisible(false);
}

void MainWindow::buildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar1");
  bar->setSizeGripEnabled(false);
  const int widths[5] = {400, 30, 350, 30, 100};
  for (int i = 0; i < 5; ++i) {
    auto* l = new QLabel(bar);
    l->setObjectName(QString("StatusBar1Panel%1").arg(i));
    l->setFixedWidth(widths[i]);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addWidget(l, i == 4 ? 1 : 0);
    m_panels[static_cast<size_t>(i)] = l;
  }
  m_panels[1]->setText("EXE");
  m_panels[1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  m_panels[3]->setText("HEX");
  m_panels[3]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  m_panels[4]->setMinimumWidth(100);
  m_panels[4]->setMaximumWidth(QWIDGETSIZE_MAX);
}

// The window's start-up and closing run as ordered lists. A row is either the
// window's own work or a step that every feature takes part in (AppCore runs
// it over the features in their list order).
namespace {
using OwnStep = void (MainWindow::*)();
using StartupRow = std::variant<OwnStep, StartupStep>;
using CloseRow = std::variant<OwnStep, CloseStep>;
}  // namespace

template <class Row, class Step>
void MainWindow::runSteps(const Row* rows, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (const auto* own = std::get_if<OwnStep>(&rows[i]))
      (this->**own)();
    else if constexpr (std::is_same_v<Step, StartupStep>)
      m_core.runStartup(std::get<Step>(rows[i]));
    else
      m_core.runClose(std::get<Step>(rows[i]));
  }
}

// ---------------------------------------------------------------- construction

void MainWindow::constructStartup() {
  static const StartupRow kRows[] = {
      StartupStep::CreateProtocolEngine, &MainWindow::loadKeyFile,    StartupStep::ClearUnitTexts,
      &MainWindow::freeStatusTexts,      StartupStep::FillProbeTable,
      StartupStep::SetUnitTypeKey,  // the link also sets its supervisor period mask to 1 here
  };
  runSteps<StartupRow, StartupStep>(kRows, std::size(kRows));
}

// ---------------------------------------------------------------- form creation

void MainWindow::formCreate() {
  static const StartupRow kRows[] = {
      &MainWindow::formDefaultsFolderName,
      StartupStep::LoadArchive,
      &MainWindow::initStatusSlots,
      &MainWindow::readServiceMode,
      StartupStep::MakeImageConsistent,
      StartupStep::CreateComMenuItems,
      StartupStep::CollectControlLists,
      &MainWindow::routeHintsToStatusBar,
      &MainWindow::formVersionLine,
      &MainWindow::presetBike,
      StartupStep::LoadAllDefaults,
      &MainWindow::centreWindow,
      &MainWindow::formExeDataPath,
      &MainWindow::loadSettings,
      StartupStep::BuildHistoryMenu,
      &MainWindow::applyCommandLine,
      &MainWindow::applyControlCaptions,  // ends with the features' ApplyControlCaptions
      StartupStep::ShowAllPages,
      StartupStep::ResetUndoHistory,
      &MainWindow::applyTexts,
      StartupStep::ShowActivePage,
      StartupStep::RebuildComMenu,
      &MainWindow::adjustControls,
      StartupStep::AdjustPageControls,
      StartupStep::MarkPagesForFullRefresh,
      StartupStep::ShowActivePageSecondary,
      &MainWindow::acceptDroppedFiles,
      StartupStep::CheckAddressMap,
      StartupStep::ResetConnection,
      StartupStep::RefreshMonitor,
      StartupStep::StartUpdateCheck,
      StartupStep::InitRecorderPlayer,
  };
  runSteps<StartupRow, StartupStep>(kRows, std::size(kRows));
  m_core.setInitialised(true);
  q3::debugLog("FORM Initialised");
}

void MainWindow::formDefaultsFolderName() {
  m_defaultsFolder = QString("/NEW_%1").arg(q3::kUnitTypeKey);
}
void MainWindow::initStatusSlots() { m_core.status().bind(this); }
void MainWindow::freeStatusTexts() { m_core.status().freeTexts(); }
// Also a step of loading the settings.
void MainWindow::makeImageConsistent() { m_core.runStartup(StartupStep::MakeImageConsistent); }
void MainWindow::routeHintsToStatusBar() { m_panels[0]->clear(); }
void MainWindow::formVersionLine() {
  m_versionLine = QString::fromStdString(q3::versionLine());
  m_panels[2]->setText(m_versionLine);
  m_panels[4]->setText("not connected");
}
void MainWindow::presetBike() { m_image.setByte(170, 20); }  // before the defaults of all pages
void MainWindow::centreWindow() {
  const QScreen* s = screen();
  if (!s) return;
  QRect g = s->geometry();
  move(g.left() + (g.width() - width()) / 2, g.top() + (g.height() - height()) / 2);
}
void MainWindow::formExeDataPath() {
  m_exeDataFile = QCoreApplication::applicationDirPath() + "/data.ign";
}
void MainWindow::applyCommandLine() {
  std::vector<std::string> args;
  for (const QString& a : m_args) args.push_back(a.toStdString());
  q3::CommandLineEffect e = q3::applyCommandLine(args, q3::language());
  q3::setLanguage(e.language);
  m_settings.language = e.language;
  m_noPatchCheck = e.noPatchCheck;
}
void MainWindow::adjustControls() {
  CGaugeProgram->setMaximum(100);
  CGaugeProgram->hide();
  if (QWidget* w = findChild<QWidget*>("LabelEeDataErr")) w->hide();
  for (int i = 1; i <= 10; ++i)
    if (QWidget* w = findChild<QWidget*>(QString("LabelTest%1").arg(i)))
      w->setVisible(serviceMode());
  if (QAction* s = action("MenuServis")) s->setVisible(serviceMode());
  PageControl1->setTabVisible(4, true);  // the power-output page
  // Spin controls are set through their properties, whatever class a page uses.
  if (QObject* o = findChild<QObject*>("UpDownClutchTime")) o->setProperty("singleStep", 5);
  if (QObject* o = findChild<QObject*>("UpDownRpmPulsu")) {
    o->setProperty("minimum", -2);
    o->setProperty("maximum", 12);
  }
  // Controls of the pages that no rule shows again; bound ones go on showing
  // and storing their values while hidden.
  static const char* const kHidden[] = {"LabelStartLimiterMin",
                                        "EditStartLimiterMin",
                                        "UpDownStartLimiterMin",
                                        "EditSoftLimiter",
                                        "UpDownSoftLimiter",
                                        "LabelSoftLimiter",
                                        "ComboBoxSynchPos",
                                        "UpDownPocSynchro",
                                        "LabelPocSynchro",
                                        "EditPocSynchro",
                                        "GroupBoxChannelsEnable",
                                        "GroupBoxInputsEnable",
                                        "GroupBoxCAN",
                                        "LabelT1",
                                        "LabelT2",
                                        "LabelT3",
                                        "LabelT4",
                                        "LabelDwell1",
                                        "LabelDwell2",
                                        "LabelDwell3",
                                        "LabelDwell4"};
  for (const char* name : kHidden)
    if (QWidget* w = findChild<QWidget*>(name)) w->hide();
  if (QWidget* w = findChild<QWidget*>("CheckBoxInNeutralSs")) w->show();
}
void MainWindow::acceptDroppedFiles() { setAcceptDrops(true); }

// ---------------------------------------------------------------- closing

void MainWindow::closeEvent(QCloseEvent* e) {
  formClose();
  e->accept();
}

void MainWindow::formClose() {
  if (m_closed) return;
  m_closed = true;
  if (Timer1) Timer1->stop();
  static const CloseRow kRows[] = {
      CloseStep::StopRecordingAndPlayback,
      CloseStep::StopUpdateCheck,
      CloseStep::ClosePorts,
      CloseStep::StoreActivePage,
      &MainWindow::makeImageConsistent,
      &MainWindow::saveSettings,
      &MainWindow::freeStatusTexts,
  };
  runSteps<CloseRow, CloseStep>(kRows, std::size(kRows));
}

// ---------------------------------------------------------------- commands

void MainWindow::MenuExitClick() { close(); }

void MainWindow::setPlayerVisible(bool on) {
  GroupBoxPlayer->setVisible(on);
  action("MenuMonitorPlayer")->setChecked(on);
  m_settings.monitorPlayer = on;
}

void MainWindow::MenuMonitorPlayerClick() {
  setPlayerVisible(!GroupBoxPlayer->isVisibleTo(this));
  saveSettings();
}

bool MainWindow::event(QEvent* e) {
  // Hints of controls and menu items go to status panel 0.
  if (e->type() == QEvent::StatusTip) {
    m_panels[0]->setText(static_cast<QStatusTipEvent*>(e)->tip());
    return true;
  }
  return QMainWindow::event(e);
}

// ---------------------------------------------------------------- status slots

bool MainWindow::hasLabel(int slot) const { return slotLabel(slot) != nullptr; }

bool MainWindow::labelVisible(int slot) const {
  const QLabel* l = slotLabel(slot);
  return l && l->isVisibleTo(this);
}

void MainWindow::setLabelVisible(int slot, bool visible) {
  if (QLabel* l = slotLabel(slot)) l->setVisible(visible);
  if (slot == 2) CGaugeProgram->setVisible(visible);
}

QLabel* MainWindow::slotLabel(int slot) const {
  return slot == 1   ? LabelConnection
         : slot == 2 ? LabelResult
         : slot == 4 ? LabelCongruence
                     : nullptr;
}

void MainWindow::setLabelText(int slot, const char* utf8) {
  if (QLabel* l = slotLabel(slot)) l->setText(QString::fromUtf8(utf8));
}

void MainWindow::setLabelColours(int slot, q3::Colour font, q3::Colour back) {
  QLabel* l = slotLabel(slot);
  if (!l) return;
  QPalette p = l->palette();
  if (font != q3::kKeepColour) p.setColor(QPalette::WindowText, qtColour(font));
  if (back != q3::kKeepColour) p.setColor(QPalette::Window, qtColour(back));
  l->setPalette(p);
}
