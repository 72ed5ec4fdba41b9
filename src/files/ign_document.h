// The open, save and quick-save commands over the parameter model, the
// recent-files history and dropped files. Window matters (focus, pages,
// caption, dialogs) come in through hooks, so the same core serves the main
// window and the command-line tool.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "files/ign_reader.h"
#include "files/ign_writer.h"
#include "params/param_model.h"
#include "text/user_dialogs.h"

namespace q3 {

inline constexpr int kIgnHistoryMax = 10;

// The recent-files list: entry 0 is the most recent.
class IgnHistory {
 public:
  // Adds a name: with a non-empty name all empty entries go first; a name
  // already present moves to the front; at most 10 entries are kept.
  void add(const std::string& name);
  void remove(const std::string& name);
  const std::vector<std::string>& entries() const { return m_entries; }
  void setEntries(std::vector<std::string> e);
  // Menu caption "%i %s" of entry i: the name without folder and extension.
  std::string caption(int i) const;

 private:
  std::vector<std::string> m_entries;
};

struct IgnDocumentHooks {
  std::function<void()> applyPending;                      // complete an edit in progress first
  std::function<void()> refreshPages;                      // show all pages from the image
  std::function<void()> commitActivePage;                  // store the active page as after an edit
  std::function<void()> storeActivePage;                   // store the active page before a save
  std::function<void()> clearNewInstal;                    // the first-run flag goes off
  std::function<void(const std::string&)> setDialogFile;   // initial name of both dialogs
  std::function<void(const std::string&)> captionChanged;  // file name shown in the caption
  std::function<void()> historyChanged;
  std::function<void()> clearOperationSlot;  // status-message slot 2
  std::function<IgnWriteInfo()> writeInfo;   // version texts and calibration values
};

class IgnDocument {
 public:
  enum class LoadResult { OpenError, NotAccepted, Loaded };

  // dialogs: where open errors, format notes and load warnings are told.
  IgnDocument(ParamModel& model, UserDialogs& dialogs) : m_model(model), m_dialogs(dialogs) {}

  IgnDocumentHooks& hooks() { return m_hooks; }
  void setTestMode(bool on) { m_testMode = on; }
  void setActivePage(int page) { m_activePage = page; }

  // Opens path: page -1 for all pages, else only that page takes defaults.
  LoadResult load(const std::string& path, int page);
  // Stores and sanitises the image and writes it to path; false (with the
  // open-error message) when the file cannot be written.
  bool save(const std::string& path);
  // Saves a numbered copy beside the current file; returns its path, or ""
  // when there is no current file with an extension (the caller then saves
  // with a dialog) or it could not be written.
  std::string quickSave();
  bool canQuickSave() const;
  // The next free numbered name for a path: "dir/race.ign" -> "dir/race_008.ign".
  static std::string nextVersionPath(const std::string& path);

  // The first dropped name that ends in ".ign" (last four characters lowered),
  // with its extension so lowered; "" when none.
  static std::string pickDroppedFile(const std::vector<std::string>& names);

  // New settings (after the user said yes): defaults of all pages or one page.
  void newSettings(int page);

  const std::string& currentFile() const { return m_currentFile; }
  void setCurrentFile(const std::string& f) { m_currentFile = f; }
  bool savedOnce() const { return m_savedOnce; }
  void setSavedOnce(bool v) { m_savedOnce = v; }
  IgnHistory& history() { return m_history; }
  const IgnFileState& fileState() const { return m_state; }
  // What the last load found missing or wrong (also shown as a warning).
  const std::vector<IgnWarning>& lastWarnings() const { return m_warnings; }

 private:
  IgnWriteInfo writeInfo() const {
    return m_hooks.writeInfo ? m_hooks.writeInfo() : IgnWriteInfo{};
  }
  bool writeImage(const std::string& path);
  void call(const std::function<void()>& f) const {
    if (f) f();
  }

  ParamModel& m_model;
  UserDialogs& m_dialogs;
  IgnDocumentHooks m_hooks;
  IgnFileState m_state;
  IgnHistory m_history;
  std::string m_currentFile;
  bool m_savedOnce = false;
  bool m_testMode = false;
  int m_activePage = 0;
  std::vector<IgnWarning> m_warnings;
};

}  // namespace q3
