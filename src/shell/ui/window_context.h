// What every feature of the main window is given: the window (its widgets by
// name and its own services), the parameter model with its binder and page
// host, the settings, the status slots, the clock, the message boxes, the
// window's events and, while it exists, the link session. A feature keeps a
// reference to the context and reaches nothing else: no feature looks
// another one up.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "base/event.h"
#include "monitor/ignlog_player.h"

class MainWindow;

namespace q3 {
class AppClock;
struct AppSettings;
class HookedPageHost;
class LinkSession;
class ParamBinder;
class ParamModel;
class StatusSlots;
class UserDialogs;
}  // namespace q3

// Things that happen in the window that any number of features may follow.
// A listener never depends on what the others do or in which order they run.
struct WindowEvents {
  // A page became the active one and has been shown (a running recording
  // notes the page).
  q3::Event<int> pageChanged;
  // An edit of the image became an undo step (a running recording writes the
  // change).
  q3::Event<> imageChanged;
  // Defaults changed what the pages show beyond their values (item lists,
  // layout): every page does its full refresh when it is next shown.
  q3::Event<> pagesNeedFullRefresh;
  // Every page has been shown from the image (start-up, a loaded file, Print
  // all): what else shows the image (the map editors) follows at once.
  q3::Event<> allPagesShown;
  // The texts of the current language are in the menus and controls; displays
  // with texts of their own (the monitor) write theirs.
  q3::Event<> textsApplied;
};

// The pickup monitor's offer (set by the pickup feature).
struct PickupServices {
  // Whether the pickup monitor wants sample blocks with each monitor poll
  // (request byte 23).
  std::function<bool()> wantsBlocks = {};
};

// The live monitor's offers (set by the monitor feature).
struct MonitorServices {
  // Whether a recording is being played back (playing or paused): the unit
  // commands and programming after change wait.
  std::function<bool()> playbackRunning = {};
  // The test buttons' command bits for the next monitor poll, cleared as they
  // are taken.
  std::function<std::array<uint8_t, 3>()> takeTestBits = {};
};

// The map editors' offers (set by the maps feature).
struct MapServices {
  // The map editors in a fixed order, with the sheet each shows (a recording
  // keeps them with the page).
  std::function<std::vector<q3::PlaybackHost::Editor>()> editors = {};
  // Shows a sheet of one editor (playback).
  std::function<void(int editor, int sheet)> showSheet = {};
};

struct WindowContext {
  MainWindow& window;
  q3::ParamModel& params;
  q3::ParamBinder& binder;
  q3::HookedPageHost& pageHost;
  q3::AppSettings& settings;
  q3::StatusSlots& status;
  q3::AppClock& clock;
  q3::UserDialogs& dialogs;
  WindowEvents& events;
  // The serial link; made by the link feature at the start-up step
  // CreateProtocolEngine and ended at the closing step DestroyProtocolEngine,
  // null outside that time.
  q3::LinkSession* link = nullptr;
  // What one feature offers the others, set by the feature that owns it.
  PickupServices pickup = {};
  MonitorServices monitor = {};
  MapServices maps = {};

  // The page services every feature may use: show the image in the active
  // page or in all pages (the binder holds back its change handling while the
  // controls are written), and store the active page's controls into the image.
  void showActivePage() const;
  void showAllPages() const;
  void storeActivePage() const;
};
