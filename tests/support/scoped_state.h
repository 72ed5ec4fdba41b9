// Process-wide state a test may change for its own time and must give back:
// the language of the texts and the installed message boxes. Each helper puts
// back what it found when it goes out of scope, so no test leaves the next
// one a different language or its own recorder.
#pragma once

#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace q3test {

// Sets the language for the scope and restores the previous one.
class ScopedLanguage {
 public:
  explicit ScopedLanguage(int language) : m_previous(q3::language()) { q3::setLanguage(language); }
  ~ScopedLanguage() { q3::setLanguage(m_previous); }
  ScopedLanguage(const ScopedLanguage&) = delete;
  ScopedLanguage& operator=(const ScopedLanguage&) = delete;

 private:
  int m_previous;
};

// The base of every test's message-box recorder: installed while it lives,
// the previous implementation back afterwards.
class ScopedDialogs : public q3::UserDialogs {
 public:
  ScopedDialogs() : m_previous(q3::setDialogs(this)) {}
  ~ScopedDialogs() override { q3::setDialogs(m_previous); }
  ScopedDialogs(const ScopedDialogs&) = delete;
  ScopedDialogs& operator=(const ScopedDialogs&) = delete;

 private:
  q3::UserDialogs* m_previous;
};

}  // namespace q3test
