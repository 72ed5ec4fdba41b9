// Test doubles shared by the parameter-model tests: a dialog recorder with
// scripted answers and a status sink that keeps what each slot shows.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "base/status_sink.h"
#include "support/scoped_state.h"

namespace q3test {

class ScriptedDialogs : public ScopedDialogs {
 public:
  void message(const std::string& title, const std::string& text, q3::DialogKind) override {
    messages.push_back(title + "|" + text);
  }
  q3::Answer ask(const std::string&, const std::string& text, bool withCancel) override {
    questions.push_back(text);
    lastWithCancel = withCancel;
    if (answers.empty()) return q3::Answer::Cancel;
    const q3::Answer a = answers.front();
    answers.pop_front();
    return a;
  }

  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::deque<q3::Answer> answers;
  bool lastWithCancel = false;
};

class RecordingStatus : public q3::StatusSink {
 public:
  struct Shown {
    int slot;
    std::string text;  // empty: cleared
    int durationMs;
    q3::Colour font, back;
    int priority;
  };
  void showStatus(int slot, const char* mtext, int durationMs, q3::Colour font, q3::Colour back,
                  int priority) override {
    shown.push_back({slot, mtext ? mtext : "", durationMs, font, back, priority});
  }
  std::vector<Shown> shown;
};

}  // namespace q3test
