// A PageHost whose parts are filled in by whoever owns them: each setting
// page registers its store and show, the window its active-page index, page
// switch, general refresh and program-after-change box, the connection layer
// its request to program the changed bytes. Empty slots do nothing.
#pragma once

#include <array>
#include <functional>

#include "params/address_map.h"
#include "params/param_binder.h"

namespace q3 {

struct PageSlots {
  std::function<void()> store;  // controls of the page into the image
  std::function<void()> show;   // image into the controls of the page
};

class HookedPageHost : public PageHost {
 public:
  std::array<PageSlots, kPageCount> pages;
  std::function<int()> active;
  std::function<void(int)> switchTo;     // make a page active (runs the page-changed reaction)
  std::function<void()> generalRefresh;  // function flags, tool bar, monitor displays
  std::function<bool()> programAfterChangeChecked;
  std::function<void()> programChanged;  // request the programming of the marked bytes
  std::function<void()> focusProgBox;

  int activePage() const override { return active ? active() : 0; }
  void storePage(int page) override {
    if (valid(page) && pages[static_cast<std::size_t>(page)].store)
      pages[static_cast<std::size_t>(page)].store();
  }
  void showPage(int page) override {
    if (valid(page) && pages[static_cast<std::size_t>(page)].show)
      pages[static_cast<std::size_t>(page)].show();
    if (generalRefresh) generalRefresh();
  }
  void switchToPage(int page) override {
    if (valid(page) && switchTo) switchTo(page);
  }
  bool programAfterChange() const override {
    return programAfterChangeChecked && programAfterChangeChecked();
  }
  void requestProgramChanged() override {
    if (programChanged) programChanged();
  }
  void focusProgramAfterChange() override {
    if (focusProgBox) focusProgBox();
  }

 private:
  static bool valid(int page) { return page >= 0 && page < kPageCount; }
};

}  // namespace q3
