// The message boxes and questions the core asks of the user. The core never
// opens a window itself: the main window installs an implementation, tests
// install a recorder, and the console tools print to stderr.
#pragma once

#include <string>

namespace q3 {

enum class DialogKind { Information, Warning, Error };
enum class Answer { Ok, Yes, No, Cancel };

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // A modal box with one OK button.
  virtual void message(const std::string& title, const std::string& text, DialogKind kind) = 0;
  // A modal question with Yes and No (and Cancel when withCancel is set).
  virtual Answer ask(const std::string& title, const std::string& text, bool withCancel) = 0;
};

// The installed implementation; never null. Until one is installed, messages
// go to stderr and questions are answered No (or Cancel when offered).
UserDialogs& dialogs();
// Installs d (nullptr restores the stderr fallback). Returns the previous one.
UserDialogs* setDialogs(UserDialogs* d);

}  // namespace q3
