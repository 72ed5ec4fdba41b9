// Open, save, quick-save, history and dropped files.
#include "files/ign_document.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/safe_write.h"
#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace fs = std::filesystem;

namespace q3 {

namespace {

// The open-error message; a failed write adds its cause on a line of its own.
void openErrorMessage(UserDialogs& dialogs, const std::string& cause = {}) {
  dialogs.message(
      "QUELIN3",
      cause.empty() ? ml(kMsgOpenFileError) : std::string(ml(kMsgOpenFileError)) + "\n" + cause,
      DialogKind::Error);
}

// Index of the extension's "." in path, or npos when the file name has none.
size_t extensionDot(const std::string& path) {
  size_t dot = path.rfind('.');
  size_t sep = path.find_last_of("/\\");
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return std::string::npos;
  return dot;
}

std::string baseName(const std::string& path) {
  size_t sep = path.find_last_of("/\\");
  return sep == std::string::npos ? path : path.substr(sep + 1);
}

// The holes and problems a load found, in one message: the window shows a
// box, the command-line tool prints it on stderr.
void showWarnings(UserDialogs& dialogs, const std::string& path,
                  const std::vector<IgnWarning>& warnings) {
  if (warnings.empty()) return;
  std::string text = path + ":";
  for (const IgnWarning& w : warnings) text += "\n" + ignWarningText(w);
  dialogs.message("QUELIN3", text, DialogKind::Warning);
}

}  // namespace

void IgnHistory::add(const std::string& name) {
  if (!name.empty())
    m_entries.erase(std::remove(m_entries.begin(), m_entries.end(), std::string()),
                    m_entries.end());
  auto it = std::find(m_entries.begin(), m_entries.end(), name);
  if (it != m_entries.end()) m_entries.erase(it);
  m_entries.insert(m_entries.begin(), name);
  if (m_entries.size() > size_t(kIgnHistoryMax)) m_entries.resize(kIgnHistoryMax);
}

void IgnHistory::remove(const std::string& name) {
  m_entries.erase(std::remove(m_entries.begin(), m_entries.end(), name), m_entries.end());
}

void IgnHistory::setEntries(std::vector<std::string> e) {
  if (e.size() > size_t(kIgnHistoryMax)) e.resize(kIgnHistoryMax);
  m_entries = std::move(e);
}

std::string IgnHistory::caption(int i) const {
  if (i < 0 || size_t(i) >= m_entries.size()) return {};
  std::string name = baseName(m_entries[size_t(i)]);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  return std::to_string(i) + " " + name;
}

IgnDocument::LoadResult IgnDocument::load(const std::string& path, int page) {
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fclose(f);
  } else {
    openErrorMessage(m_dialogs);
    m_history.remove(path);
    call(m_hooks.historyChanged);
    return LoadResult::OpenError;
  }
  call(m_hooks.applyPending);
  m_warnings.clear();
  std::string text;
  IgnWarning problem;
  if (!readIgnFileText(path, text, &problem)) {  // too large: nothing at all
    m_warnings.push_back(problem);
    showWarnings(m_dialogs, path, m_warnings);
    return LoadResult::NotAccepted;
  }

  IgnReadResult first = readIgn(text, m_model, m_state, {nullptr, m_testMode});
  if (first.sawBike) m_model.applyDefaults(page);
  IgnReadResult second = readIgn(text, m_model, m_state, {&m_dialogs, m_testMode});
  m_warnings = second.warnings;
  showWarnings(m_dialogs, path, m_warnings);

  m_model.sanitize();
  m_model.takeImageAsSaved();
  m_model.compare();
  call(m_hooks.refreshPages);
  if (second.key != 0) {
    call(m_hooks.clearNewInstal);
    m_model.snapshot(m_activePage);
    if (m_hooks.commitActivePage) m_hooks.commitActivePage();
    if (m_hooks.setDialogFile) m_hooks.setDialogFile(path);
    m_currentFile = path;
    if (m_hooks.captionChanged) m_hooks.captionChanged(path);
    m_history.add(path);
    call(m_hooks.historyChanged);
  }
  call(m_hooks.clearOperationSlot);
  return second.key != 0 ? LoadResult::Loaded : LoadResult::NotAccepted;
}

bool IgnDocument::writeImage(const std::string& path) {
  // Find out first whether the file can be created at all, so that a refused
  // save leaves the image as it was. The probe is a unique temporary file.
  {
    PendingFile probe(path);
    if (!probe.isOpen()) {
      openErrorMessage(m_dialogs, probe.failure().message);
      return false;
    }
  }

  call(m_hooks.storeActivePage);
  m_model.sanitize();
  call(m_hooks.refreshPages);
  std::string why;
  if (!writeIgnText(path, renderIgn(m_model.image(), writeInfo()), &why)) {
    openErrorMessage(m_dialogs, why);
    return false;
  }
  m_model.takeImageAsSaved();
  m_model.compare();
  return true;
}

bool IgnDocument::save(const std::string& path) {
  if (!writeImage(path)) return false;
  m_currentFile = path;
  if (m_hooks.setDialogFile) m_hooks.setDialogFile(path);
  if (m_hooks.captionChanged) m_hooks.captionChanged(path);
  m_history.add(path);
  call(m_hooks.historyChanged);
  m_savedOnce = true;
  return true;
}

bool IgnDocument::canQuickSave() const {
  return m_savedOnce && !m_currentFile.empty() && extensionDot(m_currentFile) != std::string::npos;
}

std::string IgnDocument::nextVersionPath(const std::string& path) {
  size_t dot = extensionDot(path);
  if (dot == std::string::npos) return {};
  std::string stem = baseName(path.substr(0, dot));
  std::string ext = path.substr(dot);
  size_t sep = path.find_last_of("/\\");
  std::string dir = sep == std::string::npos ? std::string(".") : path.substr(0, sep + 1);
  long best = 0;
  std::error_code ec;
  for (auto& de : fs::directory_iterator(dir, ec)) {
    std::string name = de.path().filename().string();
    if (name.size() < stem.size() + ext.size() || name.compare(0, stem.size(), stem) != 0 ||
        name.compare(name.size() - ext.size(), ext.size(), ext) != 0)
      continue;
    size_t us = name.rfind('_');
    if (us == std::string::npos) continue;
    const char* p = name.c_str() + us + 1;
    while (*p == '0') ++p;
    long n = std::strtol(p, nullptr, 10);
    best = std::max(best, n);
  }
  char num[32];
  std::snprintf(num, sizeof num, "_%03li", best + 1);
  return path.substr(0, dot) + num + ext;
}

std::string IgnDocument::quickSave() {
  if (!canQuickSave()) return {};
  std::string target = nextVersionPath(m_currentFile);
  if (target.empty() || !writeImage(target)) return {};
  if (m_hooks.captionChanged) m_hooks.captionChanged(target);
  return target;
}

std::string IgnDocument::pickDroppedFile(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (name.size() < 4 || name.size() > 511) continue;
    std::string n = name;
    for (size_t i = n.size() - 4; i < n.size(); ++i)
      if (n[i] >= 'A' && n[i] <= 'Z') n[i] = char(n[i] - 'A' + 'a');
    if (n.compare(n.size() - 4, 4, ".ign") != 0) continue;
    // File names are case-sensitive here: when only the name as dropped
    // exists, that is the file to open.
    std::error_code ec;
    if (n != name && !fs::exists(n, ec) && fs::exists(name, ec)) return name;
    return n;
  }
  return {};
}

void IgnDocument::newSettings(int page) {
  m_model.applyDefaults(page);
  call(m_hooks.refreshPages);
  if (m_hooks.commitActivePage) {
    m_hooks.commitActivePage();
  } else {
    m_model.sanitize();
    m_model.snapshot(m_activePage);
  }
  call(m_hooks.clearOperationSlot);
  m_currentFile.clear();
  if (m_hooks.captionChanged) m_hooks.captionChanged(m_currentFile);
  m_history.add("");
  call(m_hooks.historyChanged);
}

}  // namespace q3
