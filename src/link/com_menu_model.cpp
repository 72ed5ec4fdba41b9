// Building the COM menu from the present ports.
#include "link/com_menu_model.h"

#include <cctype>
#include <cstdio>

#include "text/mstring.h"

namespace q3 {
namespace {

std::string portCaption(const ComMenuInput& in, int port) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "COM&%i", port);
  std::string s = buf;
  std::string dev = in.device ? in.device(port) : std::string();
  if (!dev.empty()) s += "  " + dev;
  const std::string why = in.failure ? in.failure(port) : std::string();
  if (!why.empty()) s += "  (" + why + ")";
  return s;
}

}  // namespace

std::vector<ComMenuItem> buildComMenu(const ComMenuInput& in) {
  std::vector<ComMenuItem> items(kComMenuItems);
  const bool automatic = in.selection == 0;
  // The port that must be listed: the fixed one, or in automatic mode the connected one.
  const int current = in.selection > 0 ? in.selection : (automatic ? in.connectedPort : 0);
  auto isPresent = [&](int p) { return in.present && in.present(p); };

  std::vector<int> ports;
  for (int p = 1; p <= 255; ++p)
    if (isPresent(p) || p == in.selection) ports.push_back(p);
  const int shown = std::min<int>(static_cast<int>(ports.size()) + 3, kComMenuItems);

  items[0].caption = ml("###COM &offline##COM &offline##COM &odpojen");
  items[0].checked = in.selection == -1;
  items[1].caption = ml("###COM &auto##COM &auto##COM &automaticky");
  items[1].checked = automatic;
  items[2].caption = "-";
  items[2].separator = true;
  for (int i = 0; i < 3; ++i) items[i].visible = true;

  bool currentListed = false;
  for (int i = 3; i < shown; ++i) {
    int port = ports[static_cast<size_t>(i - 3)];
    if (i == shown - 1 && current > 0 && !currentListed && port != current) port = current;
    ComMenuItem& it = items[static_cast<size_t>(i)];
    it.visible = true;
    it.port = port;
    it.caption = portCaption(in, port);
    it.radio = automatic;
    it.checked = port == current;
    it.enabled = isPresent(port);
    if (port == current) currentListed = true;
  }
  return items;
}

int comSelectionForItem(int index, const std::string& caption) {
  if (index == 0) return -1;
  if (index == 1) return 0;
  if (index == 2) return kNoSelectionChange;
  size_t i = 0;
  while (i < caption.size() && !std::isdigit(static_cast<unsigned char>(caption[i]))) ++i;
  if (i == caption.size()) return kNoSelectionChange;
  int n = 0;
  while (i < caption.size() && std::isdigit(static_cast<unsigned char>(caption[i])) && n < 100000)
    n = n * 10 + (caption[i++] - '0');
  return n;
}

}  // namespace q3
