// A UserDialogs that records every message box instead of showing it.
#pragma once

#include <string>
#include <vector>

#include "text/user_dialogs.h"

namespace q3test {

class RecordingDialogs : public q3::UserDialogs {
 public:
  struct Box {
    std::string title, text;
    q3::DialogKind kind;
  };
  RecordingDialogs() { previous_ = q3::setDialogs(this); }
  ~RecordingDialogs() override { q3::setDialogs(previous_); }

  void message(const std::string& title, const std::string& text, q3::DialogKind kind) override {
    boxes.push_back({title, text, kind});
  }
  q3::Answer ask(const std::string&, const std::string&, bool) override { return q3::Answer::No; }

  std::vector<Box> boxes;

 private:
  q3::UserDialogs* previous_ = nullptr;
};

}  // namespace q3test
