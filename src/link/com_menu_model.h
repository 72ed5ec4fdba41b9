// The COM menu as data: which of its 30 items are shown, their captions,
// check marks and enabled states, built from the present ports, the COM
// selection and the connected port. The window only copies it into QActions.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace q3 {

inline constexpr int kComMenuItems = 30;

struct ComMenuItem {
  std::string caption;  // UTF-8, with the "&" of the mnemonic
  bool visible = false;
  bool checked = false;
  bool enabled = true;
  bool radio = false;      // drawn as a radio item (automatic selection)
  bool separator = false;  // item 2
  int port = 0;            // COM number of a port item, 0 otherwise
};

struct ComMenuInput {
  std::function<bool(int)> present;         // port 1..255 present
  std::function<std::string(int)> device;   // device path shown beside the number; may be empty
  std::function<std::string(int)> failure;  // why the port could not be opened; empty when it could
  int selection = 0;                        // -1 off, 0 automatic, n > 0 only port n
  int connectedPort = 0;                    // 0 = none
};

// Always kComMenuItems entries; those beyond the shown ones are invisible.
std::vector<ComMenuItem> buildComMenu(const ComMenuInput& in);

// The COM selection a click on item index with this caption asks for:
// item 0 off (-1), item 1 automatic (0), item 2 nothing (returns
// kNoSelectionChange), other items the first run of digits of the caption.
inline constexpr int kNoSelectionChange = -2;
int comSelectionForItem(int index, const std::string& caption);

}  // namespace q3
