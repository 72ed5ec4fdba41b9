// TMainForm: the main window. It owns the core objects (AppCore with the time
// base, tick order and status slots; the settings; the parameter image) and
// wires them to its widgets. Every control and menu item carries its name as
// Qt objectName, so features, tests and screenshots find it by name.
//
// How a feature joins the window
// ------------------------------
// A feature never edits the start-up code. It adds one file
// src/shell/ui/main_form_<feature>.cpp that defines
//
//     void TMainForm::install<Feature>() {
//       m_startup.loadArchive = [this] { ... };        // a start-up step
//       m_core.hooks().supervisor = [this] { ... };    // a step of the tick
//       connect(action("MenuRead"), &QAction::triggered, this, [this] { ... });
//     }
//
// and adds one declaration in the "Feature install list" below and one call
// in TMainForm::installFeatures() (main_form_install.cpp). install*() runs in
// the constructor, after every widget and action exists and before any
// start-up step, so a feature may also create its own child widgets or
// controller objects there (find the page by name: page("TabSheetBike")).
//
// The settings of application.ini live in settings() (AppSettings); a feature
// that changes one (COM selection, first-run flag, file history) writes it
// there and calls saveSettings() when it must be kept at once. Texts reach the
// widgets through applyTexts(): a radio group that is not a QComboBox takes its
// item list through an invokable setItems(QStringList).
//
// The start-up steps run in the fixed order of constructStartup() and
// formCreate(); each step is a method named after what it does and calls the
// StartupHooks slot of the same name when a feature has filled it. Closing
// runs formClose() in its fixed order the same way.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "params/hooked_page_host.h"
#include "params/param_binder.h"
#include "params/param_model.h"
#include "base/app_core.h"
#include "base/app_paths.h"
#include "base/app_settings.h"
#include "base/status_slots.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolButton;

// Start-up and closing steps that features fill. Empty slots do nothing.
struct StartupHooks {
  // Construction of the window.
  std::function<void()> createProtocolEngine;
  std::function<void()> clearUnitTexts;
  std::function<void()> fillProbeTable;
  std::function<void()> setUnitTypeKey;
  // Form creation.
  std::function<void()> loadArchive;
  std::function<void()> makeImageConsistent;
  std::function<void()> createComMenuItems;
  std::function<void()> collectControlLists;
  std::function<void()> loadAllDefaults;
  std::function<void()> buildHistoryMenu;
  std::function<void()> applyControlCaptions;
  std::function<void()> showAllPages;
  std::function<void()> resetUndoHistory;
  std::function<void()> refreshWindowCaption;
  std::function<void()> showActivePage;
  std::function<void()> rebuildComMenu;
  std::function<void()> adjustPageControls;
  std::function<void()> markPagesForFullRefresh;
  std::function<void()> showActivePageSecondary;
  std::function<void()> checkAddressMap;
  std::function<void()> resetConnection;
  std::function<void()> refreshMonitor;
  std::function<void()> startUpdateCheck;
  std::function<void()> initRecorderPlayer;
  // Closing.
  std::function<void()> stopRecordingAndPlayback;
  std::function<void()> stopUpdateCheck;
  std::function<void()> closePorts;
  std::function<void()> storeActivePage;
  // Destruction.
  std::function<void()> destroyProtocolEngine;
};

class TMainForm : public QMainWindow, private q3::StatusSlotView {
  Q_OBJECT
 public:
  static constexpr int kPages = 10;
  static constexpr int kComItems = 30;

  // args: the command-line arguments after the program name.
  explicit TMainForm(const QStringList& args = {}, QWidget* parent = nullptr);
  ~TMainForm() override;

  q3::AppCore& core() { return m_core; }
  q3::AppSettings& settings() { return m_settings; }
  const q3::AppSettings& settings() const { return m_settings; }
  q3::ParamImage& image() { return m_params.image(); }
  // The parameter model, its binding engine and the pages it drives (main_form_params.cpp).
  q3::ParamModel& params() { return m_params; }
  q3::ParamBinder& binder() { return m_binder; }
  q3::HookedPageHost& pageHost() { return m_pageHost; }
  const q3::AppPaths& paths() const { return m_paths; }

  QAction* action(const char* name) const;
  // Runs one start-up slot when a feature has filled it.
  void runHook(std::function<void()> StartupHooks::*slot) {
    if (m_startup.*slot) (m_startup.*slot)();
  }
  QWidget* page(const char* name) const;
  QTabWidget* pageControl() const { return PageControl1; }
  QLabel* statusPanel(int i) const { return m_panels.at(i); }
  bool serviceMode() const { return m_service.enabled; }
  bool updateCheckSuppressed() const { return m_noPatchCheck; }
  const QString& exeDataFile() const { return m_exeDataFile; }
  const QString& defaultsFolderName() const { return m_defaultsFolder; }

  // The language menu handlers; MenuFrenchClick is bound to no item and acts
  // like MenuEnglishClick.
  void MenuEnglishClick();
  void MenuGermanClick();
  void MenuCzechClick();
  void MenuFrenchClick();
  void MenuMonitorPlayerClick();
  void MenuExitClick();

  // Sets the language (0..2), applies every text again and refreshes the active page.
  void changeLanguage(int lang);

  // Settings (main_form_settings.cpp).
  void loadSettings();
  void saveSettings();

  // Applies the text tables in the current language (main_form_texts.cpp).
  void applyTexts();

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool event(QEvent* e) override;

  // ---- construction ----
  void constructStartup();
  void createProtocolEngine();
  void setupPaths();
  void clearUnitTexts();
  void fillProbeTable();
  void setUnitTypeKey();

  // ---- form creation, in order ----
  void formCreate();
  void formDefaultsFolderName();
  void loadArchive();
  void initStatusSlots();
  void readServiceMode();
  void makeImageConsistent();
  void createComMenuItems();
  void collectControlLists();
  void routeHintsToStatusBar();
  void formVersionLine();
  void loadAllDefaults();
  void centreWindow();
  void formExeDataPath();
  void buildHistoryMenu();
  void applyCommandLine();
  void applyControlCaptions();
  void showAllPages();
  void resetUndoHistory();
  void showActivePage();
  void rebuildComMenu();
  void adjustControls();
  void markPagesForFullRefresh();
  void showActivePageSecondary();
  void acceptDroppedFiles();
  void checkAddressMap();
  void resetConnection();
  void refreshMonitor();
  void startUpdateCheck();
  void initRecorderPlayer();

  // ---- closing, in order ----
  void formClose();
  void stopRecordingAndPlayback();
  void stopUpdateCheck();
  void closePorts();
  void storeActivePage();

  // ---- Feature install list (one line per feature; see the top of this file) ----
  void installFeatures();
  void installLanguage();  // main_form_language.cpp
  void installSettings();  // main_form_settings.cpp
  void installParams();    // main_form_params.cpp
  void installLink();      // main_form_link.cpp
  void installMaps();      // main_form_maps.cpp
  void installFiles();     // main_form_files.cpp

  // StatusSlotView
  bool hasLabel(int slot) const override;
  bool labelVisible(int slot) const override;
  void setLabelVisible(int slot, bool visible) override;
  void setLabelText(int slot, const char* utf8) override;
  void setLabelColours(int slot, q3::Colour font, q3::Colour back) override;

  void buildWidgets();
  void buildMenus();
  void buildStatusBar();
  QAction* addItem(QMenu* menu, const char* name, bool enabled = false);
  QMenu* addMenu(QMenu* parent, const char* name);
  void setPlayerVisible(bool on);

  q3::AppCore m_core;
  q3::AppSettings m_settings;
  q3::ParamModel m_params;
  q3::ParamImage& m_image = m_params.image();
  q3::HookedPageHost m_pageHost;
  q3::ParamBinder m_binder{m_params, m_pageHost};
  q3::AppPaths m_paths;
  q3::KeyFile m_keyFile;
  q3::ServiceMode m_service;
  StartupHooks m_startup;
  QStringList m_args;
  bool m_noPatchCheck = false;
  bool m_closed = false;
  QString m_defaultsFolder;
  QString m_exeDataFile;
  QString m_versionLine;

  // Widgets and menu items, named as their objectName.
  QTimer* Timer1 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  std::array<QWidget*, kPages> m_pages{};
  QCheckBox* CheckBoxProgHned = nullptr;
  QLabel* LabelConnection = nullptr;
  QLabel* LabelResult = nullptr;
  QProgressBar* CGaugeProgram = nullptr;
  QLabel* LabelCongruence = nullptr;
  QGroupBox* GroupBoxPlayer = nullptr;
  std::array<QLabel*, 5> m_panels{};
  std::array<QAction*, kComItems> m_comItems{};
  std::array<QAction*, 9> m_historyItems{};
};
