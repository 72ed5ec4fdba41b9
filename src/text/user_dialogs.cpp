// Fallback dialogs for programs without a window, and the process-wide hook.
#include "text/user_dialogs.h"

#include <atomic>
#include <cstdio>

namespace q3 {
namespace {

class StderrDialogs final : public UserDialogs {
 public:
  void message(const std::string& title, const std::string& text, DialogKind) override {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  }
  Answer ask(const std::string& title, const std::string& text, bool withCancel) override {
    std::fprintf(stderr, "%s: %s -> %s\n", title.c_str(), text.c_str(),
                 withCancel ? "Cancel" : "No");
    return withCancel ? Answer::Cancel : Answer::No;
  }
};

StderrDialogs g_fallback;
std::atomic<UserDialogs*> g_dialogs{nullptr};

}  // namespace

UserDialogs& dialogs() {
  UserDialogs* d = g_dialogs.load(std::memory_order_acquire);
  return d ? *d : g_fallback;
}

UserDialogs* setDialogs(UserDialogs* d) { return g_dialogs.exchange(d, std::memory_order_acq_rel); }

}  // namespace q3
