// MainWindow: the main window. It owns the core objects (AppCore with the time
// base, tick order and status slots; the settings; the parameter model) and
// wires them to its widgets. Every control and menu item carries its name as
// Qt objectName, so features, tests and screenshots find it by name.
//
// The work beyond the window's own widgets is done by features
// (window_features.h): objects made with a WindowContext (window_context.h)
// that take part in the start-up steps, the tick phases and the closing steps
// of AppCore (base/feature.h). The features are made in the constructor, after
// every widget and action of the window exists and before the first start-up
// step; a feature makes its own widgets in its constructor and may reach the
// widgets of others by name from the start-up step CollectControlLists on.
//
// The start-up steps run in the fixed order of constructStartup() and
// formCreate(), closing in the fixed order of formClose(); each step is a
// method named after what it does, doing the window's own part and running
// the features' step of the same name.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/app_core.h"
#include "base/app_paths.h"
#include "base/app_settings.h"
#include "base/feature.h"
#include "base/key_file.h"
#include "base/start_options.h"
#include "base/status_slots.h"
#include "params/hooked_page_host.h"
#include "params/param_binder.h"
#include "params/param_model.h"
#include "shell/ui/qt_dialogs.h"
#include "shell/ui/window_context.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QTabWidget;
class QTimer;

class MainWindow : public QMainWindow, private q3::StatusSlotView {
  Q_OBJECT
 public:
  static constexpr int kPages = 10;
  static constexpr int kComItems = 30;

  // options: what main() read from the environment (settings folder, extra
  // devices, servers); args: the command-line arguments after the program name.
  explicit MainWindow(q3::StartOptions options, const QStringList& args = {},
                      QWidget* parent = nullptr);
  ~MainWindow() override;

  q3::AppCore& core() { return m_core; }
  q3::AppSettings& settings() { return m_settings; }
  const q3::AppSettings& settings() const { return m_settings; }
  q3::ParamImage& image() { return m_params.image(); }
  // The parameter model, its binding engine and the pages it drives.
  q3::ParamModel& params() { return m_params; }
  q3::ParamBinder& binder() { return m_binder; }
  q3::HookedPageHost& pageHost() { return m_pageHost; }
  const q3::AppPaths& paths() const { return m_paths; }
  const q3::StartOptions& startOptions() const { return m_options; }
  // The maker's server: the start option, else UpdateServer of
  // application.ini, else an address that never resolves.
  QUrl updateServer() const;
  // The serial link while it exists (see WindowContext::link), else null.
  q3::LinkSession* link() const { return m_ctx.link; }
  WindowEvents& events() { return m_events; }
  // What every feature is given (for the program's own entry points such as
  // printing without a window on screen).
  WindowContext& context() { return m_ctx; }
  // application.ini as last read or written.
  const q3::KeyFile& keyFile() const { return m_keyFile; }

  // ---- widgets, by name or by their place in the window ----
  QAction* action(const char* name) const;
  QWidget* page(const char* name) const;
  // Any control under the window by objectName (null when there is none).
  template <typename T>
  T* control(const char* name) const {
    return findChild<T*>(QString::fromLatin1(name));
  }
  QTabWidget* pageControl() const { return PageControl1; }
  // Puts w between the pages and the player group.
  void addBelowPages(QWidget* w);
  QLabel* statusPanel(int i) const { return m_panels.at(static_cast<size_t>(i)); }
  // The label of a status-message slot (1, 2, 4), else null.
  QLabel* slotLabel(int slot) const;
  QProgressBar* progressBar() const { return CGaugeProgram; }
  QCheckBox* programAfterChangeBox() const { return CheckBoxProgHned; }
  const std::array<QAction*, kComItems>& comItems() const { return m_comItems; }

  bool serviceMode() const { return m_service.enabled; }
  const q3::ServiceMode& service() const { return m_service; }
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

  // Settings (main_window_settings.cpp).
  void loadSettings();
  void saveSettings();

  // Applies the text tables in the current language (main_window_texts.cpp).
  void applyTexts();
  // The caption: the loaded file while the image is unmodified, and the note
  // of a port lent to the bootloader tool.
  void refreshCaption();

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool event(QEvent* e) override;

  // ---- start-up and closing: ordered lists of the window's own steps and
  // the features' steps (main_window.cpp) ----
  template <class Row, class Step>
  void runSteps(const Row* rows, size_t count);
  void constructStartup();
  void loadKeyFile();
  void freeStatusTexts();
  void formCreate();
  void formDefaultsFolderName();
  void initStatusSlots();
  void readServiceMode();
  void makeImageConsistent();
  void routeHintsToStatusBar();
  void formVersionLine();
  void presetBike();
  void centreWindow();
  void formExeDataPath();
  void applyCommandLine();
  void applyControlCaptions();
  void adjustControls();
  void acceptDroppedFiles();
  void formClose();

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
  q3::InstalledDialogs m_dialogs;
  q3::ParamBinder m_binder{m_params, m_pageHost, m_dialogs};
  q3::StartOptions m_options;
  q3::AppPaths m_paths;  // decided once, before any feature is made
  q3::KeyFile m_keyFile;
  q3::ServiceMode m_service;
  WindowEvents m_events;
  WindowContext m_ctx{*this,           m_params,       m_binder,  m_pageHost, m_settings,
                      m_core.status(), m_core.clock(), m_dialogs, m_events};
  // Made in the constructor from makeWindowFeatures(); registered with m_core.
  std::vector<std::unique_ptr<q3::Feature>> m_features;
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
