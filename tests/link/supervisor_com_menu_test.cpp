// The COM menu built from the present ports and its click handling.
#include <gtest/gtest.h>

#include <set>

#include "link/com_menu_model.h"
#include "text/mstring.h"

namespace q3 {
namespace {

struct Shown {
  std::vector<int> ports;     // ports of the visible port items, in order
  int checkedPort = 0;        // the checked port item, 0 = none
  std::vector<int> disabled;  // ports whose item is disabled
  int visible = 0;
};

Shown shownOf(const std::vector<ComMenuItem>& items) {
  Shown s;
  for (size_t i = 0; i < items.size(); ++i) {
    if (!items[i].visible) continue;
    ++s.visible;
    if (i < 3) continue;
    s.ports.push_back(items[i].port);
    if (items[i].checked) s.checkedPort = items[i].port;
    if (!items[i].enabled) s.disabled.push_back(items[i].port);
  }
  return s;
}

ComMenuInput inputWith(std::set<int> present, int selection, int connected) {
  ComMenuInput in;
  in.present = [present](int p) { return present.count(p) > 0; };
  in.selection = selection;
  in.connectedPort = connected;
  return in;
}

TEST(ComMenuTest, ItemsFromPresentPorts) {
  setLanguage(0);
  struct Case {
    const char* what;
    std::set<int> present;
    int selection, connected;
    std::vector<int> ports;
    int checked;
    std::vector<int> disabled;
    int visible;
  } cases[] = {
      {"auto, 7 connected", {7, 3}, 0, 7, {3, 7}, 7, {}, 5},
      {"auto, none connected", {3, 7}, 0, 0, {3, 7}, 0, {}, 5},
      {"fixed absent port", {3, 7}, 9, 0, {3, 7, 9}, 9, {9}, 6},
      {"fixed present port", {3, 7}, 3, 7, {3, 7}, 3, {}, 5},
      {"off", {3}, -1, 0, {3}, 0, {}, 4},
      {"no ports at all", {}, 0, 0, {}, 0, {}, 3},
  };
  for (const auto& c : cases) {
    auto items = buildComMenu(inputWith(c.present, c.selection, c.connected));
    ASSERT_EQ(items.size(), size_t(kComMenuItems));
    Shown s = shownOf(items);
    EXPECT_EQ(s.ports, c.ports) << c.what;
    EXPECT_EQ(s.checkedPort, c.checked) << c.what;
    EXPECT_EQ(s.disabled, c.disabled) << c.what;
    EXPECT_EQ(s.visible, c.visible) << c.what;
    EXPECT_EQ(items[0].checked, c.selection == -1) << c.what;
    EXPECT_EQ(items[1].checked, c.selection == 0) << c.what;
    for (size_t i = 3; i < items.size(); ++i)
      if (items[i].visible) EXPECT_EQ(items[i].radio, c.selection == 0) << c.what;
  }
}

TEST(ComMenuTest, FixedItemsAndCaptions) {
  setLanguage(0);
  auto in = inputWith({3}, 0, 0);
  in.device = [](int p) { return p == 3 ? std::string("/dev/pts/4") : std::string(); };
  auto items = buildComMenu(in);
  EXPECT_EQ(items[0].caption, "COM &offline");
  EXPECT_EQ(items[1].caption, "COM &auto");
  EXPECT_TRUE(items[2].separator);
  EXPECT_EQ(items[3].caption, "COM&3  /dev/pts/4");
  setLanguage(2);
  items = buildComMenu(in);
  EXPECT_EQ(items[0].caption, "COM &odpojen");
  EXPECT_EQ(items[1].caption, "COM &automaticky");
  setLanguage(0);
}

TEST(ComMenuTest, LastItemShowsTheCurrentPortWhenTheListIsFull) {
  std::set<int> many;
  for (int p = 1; p <= 40; ++p) many.insert(p);
  // 27 port items fit; port 35 would come after them.
  for (int selection : {0, 35}) {
    auto items = buildComMenu(inputWith(many, selection, 35));
    Shown s = shownOf(items);
    EXPECT_EQ(s.visible, kComMenuItems);
    ASSERT_EQ(s.ports.size(), 27u);
    EXPECT_EQ(s.ports.front(), 1);
    EXPECT_EQ(s.ports[25], 26);
    EXPECT_EQ(s.ports.back(), 35);
    EXPECT_EQ(s.checkedPort, 35);
  }
  // A current port that is listed anyway leaves the last item alone.
  Shown s = shownOf(buildComMenu(inputWith(many, 0, 5)));
  EXPECT_EQ(s.ports.back(), 27);
  EXPECT_EQ(s.checkedPort, 5);
}

TEST(ComMenuTest, ClickGivesTheSelection) {
  struct Case {
    int index;
    const char* caption;
    int selection;
  } cases[] = {
      {0, "COM &offline", -1},         {1, "COM &auto", 0},
      {2, "-", kNoSelectionChange},    {3, "COM&3", 3},
      {4, "COM&12  /dev/ttyUSB0", 12}, {5, "COM&255  /dev/pts/9", 255},
  };
  for (const auto& c : cases)
    EXPECT_EQ(comSelectionForItem(c.index, c.caption), c.selection) << c.caption;
}

}  // namespace
}  // namespace q3

#include "link/port_diagnosis.h"
#include "supervisor_harness.h"

namespace q3 {
namespace {

// A port the search cannot open keeps why; the COM menu item and the
// tool's diagnosis name that cause.
TEST(PortDiagnosisTest, OpenFailuresNameTheirCause) {
  struct Case {
    OpenFailure why;
    const char* menu;  // the caption's note
    const char* text;  // the start of the diagnosis
  } cases[] = {
      {OpenFailure::PermissionDenied, "(permission denied)", "permission denied: /dev/fake0"},
      {OpenFailure::Busy, "(busy)", "busy: /dev/fake0 is held by"},
      {OpenFailure::Gone, "(gone)", "gone: /dev/fake0 no longer exists"},
  };
  for (const Case& c : cases) {
    q3test::LinkHarness h;
    auto line = h.lines.find("/dev/fake0");
    line->failOpenAs.store(c.why);
    line->failOpen.store(true);
    ASSERT_TRUE(h.tickUntil([&] { return h.com.com[1].openFailure.load() == c.why; }, 100))
        << c.menu;
    EXPECT_FALSE(h.sup.connected());
    ComMenuInput in = inputWith({1}, 0, 0);
    in.failure = [&](int p) {
      const OpenFailure f = h.com.com[p].openFailure.load();
      return f == OpenFailure::None ? std::string() : std::string(openFailureName(f));
    };
    const auto items = buildComMenu(in);
    EXPECT_NE(items[3].caption.find(c.menu), std::string::npos) << items[3].caption;
    EXPECT_EQ(describeOpenFailure(c.why, "/dev/fake0").rfind(c.text, 0), 0u)
        << describeOpenFailure(c.why, "/dev/fake0");
    // Once the port opens again the note goes.
    line->failOpen.store(false);
    ASSERT_TRUE(h.connectAndCheck()) << c.menu;
    EXPECT_EQ(h.com.com[1].openFailure.load(), OpenFailure::None);
  }
}

}  // namespace
}  // namespace q3
