// A UserDialogs that records every message box instead of showing it.
#pragma once

#include <string>
#include <vector>

#include "support/scoped_state.h"

namespace q3test {

class RecordingDialogs : public ScopedDialogs {
 public:
  struct Box {
    std::string title, text;
    q3::DialogKind kind;
  };
  void message(const std::string& title, const std::string& text, q3::DialogKind kind) override {
    boxes.push_back({title, text, kind});
  }
  q3::Answer ask(const std::string&, const std::string&, bool) override { return q3::Answer::No; }

  std::vector<Box> boxes;
};

}  // namespace q3test
