// The window program's message boxes: the core's messages and questions
// shown as modal Qt boxes over the active window.
#pragma once

#include "text/user_dialogs.h"

namespace q3 {

class QtDialogs final : public UserDialogs {
 public:
  void message(const std::string& title, const std::string& text, DialogKind kind) override;
  Answer ask(const std::string& title, const std::string& text, bool withCancel) override;
};

// Forwards to the implementation installed at the moment a box is shown (the
// program's Qt boxes, a test's recorder): what the window hands its features.
class InstalledDialogs final : public UserDialogs {
 public:
  void message(const std::string& title, const std::string& text, DialogKind kind) override {
    dialogs().message(title, text, kind);
  }
  Answer ask(const std::string& title, const std::string& text, bool withCancel) override {
    return dialogs().ask(title, text, withCancel);
  }
};

// Installs QtDialogs for the lifetime of the object and restores the previous
// implementation afterwards.
class ScopedQtDialogs {
 public:
  ScopedQtDialogs() : m_previous(setDialogs(&m_dialogs)) {}
  ~ScopedQtDialogs() { setDialogs(m_previous); }
  ScopedQtDialogs(const ScopedQtDialogs&) = delete;
  ScopedQtDialogs& operator=(const ScopedQtDialogs&) = delete;

 private:
  QtDialogs m_dialogs;
  UserDialogs* m_previous;
};

}  // namespace q3
