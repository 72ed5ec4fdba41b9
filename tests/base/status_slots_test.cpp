// Status-message slots: priority, expiry, clearing and language re-selection.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "base/app_core.h"
#include "text/mstring.h"

namespace {

struct FakeLabels : q3::StatusSlotView {
  std::map<int, bool> visible;
  std::map<int, std::string> text;
  std::map<int, std::pair<q3::Colour, q3::Colour>> colours;
  bool hasLabel(int slot) const override { return slot != 3; }
  bool labelVisible(int slot) const override {
    auto it = visible.find(slot);
    return it != visible.end() && it->second;
  }
  void setLabelVisible(int slot, bool v) override { visible[slot] = v; }
  void setLabelText(int slot, const char* t) override { text[slot] = t; }
  void setLabelColours(int slot, q3::Colour f, q3::Colour b) override { colours[slot] = {f, b}; }
};

class StatusSlotsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    q3::setLanguage(0);
    core.status().bind(&labels);
    core.setInitialised(true);
  }
  void TearDown() override { q3::setLanguage(0); }
  void ticksTo(int n) {
    while (core.tickCounter() < n) core.tick();
  }
  q3::StatusSlots& slots() { return core.status(); }
  q3::AppCore core;
  FakeLabels labels;
};

TEST_F(StatusSlotsTest, BindingHidesEveryLabel) {
  for (int s : {1, 2, 4}) EXPECT_FALSE(labels.labelVisible(s));
  EXPECT_EQ(slots().expiryTick(1), -1);
}

TEST_F(StatusSlotsTest, PriorityRules) {
  struct Case {
    int shown, next;
    bool replaced;
  };
  const Case cases[] = {
      {10, 5, false}, {10, -5, true}, {10, 100, true}, {10, 10, true}, {-1, 0, true}, {0, -1, true},
  };
  for (const Case& c : cases) {
    slots().showStatus(1, "###first", -1, q3::kBlack, q3::kWhite, c.shown);
    slots().showStatus(1, "###second", -1, q3::kBlack, q3::kWhite, c.next);
    EXPECT_EQ(labels.text[1], c.replaced ? "second" : "first") << c.shown << " then " << c.next;
    EXPECT_EQ(slots().priority(1), c.replaced ? c.next : c.shown);
    slots().showStatus(1, nullptr, 0, q3::kKeepColour, q3::kKeepColour, -1);
  }
}

TEST_F(StatusSlotsTest, HiddenMessageIsReplacedByAnyPriority) {
  slots().showStatus(2, "###important", 100, q3::kBlack, q3::kRed, 50);
  ticksTo(5);  // 100 ms = 2 ticks: expires once the counter passes 2
  EXPECT_FALSE(labels.labelVisible(2));
  slots().showStatus(2, "###minor", -1, q3::kBlack, q3::kWhite, 1);
  EXPECT_TRUE(labels.labelVisible(2));
  EXPECT_EQ(labels.text[2], "minor");
}

TEST_F(StatusSlotsTest, ExpiryCountsInTicks) {
  ticksTo(100);
  slots().showStatus(1, "###msg", 2000, q3::kBlack, q3::kWhite, 1);
  EXPECT_EQ(slots().expiryTick(1), 140);
  ticksTo(140);
  EXPECT_TRUE(labels.labelVisible(1));
  core.tick();  // counter 141 > 140
  EXPECT_FALSE(labels.labelVisible(1));
  EXPECT_EQ(slots().expiryTick(1), 0);
}

TEST_F(StatusSlotsTest, DurationZeroKeepsExpiryNegativeMeansNever) {
  ticksTo(10);
  slots().showStatus(4, "###a", 1000, q3::kBlack, q3::kWhite, 1);
  EXPECT_EQ(slots().expiryTick(4), 30);
  slots().showStatus(4, "###b", 0, q3::kBlack, q3::kWhite, 1);
  EXPECT_EQ(slots().expiryTick(4), 30);
  slots().showStatus(4, "###c", -1, q3::kBlack, q3::kWhite, 1);
  EXPECT_EQ(slots().expiryTick(4), -1);
  ticksTo(500);
  EXPECT_TRUE(labels.labelVisible(4));
}

TEST_F(StatusSlotsTest, ColoursAndKeepValue) {
  slots().showStatus(1, "###x", -1, q3::kBlack, q3::kKeepColour, 1);
  EXPECT_EQ(labels.colours[1].first, q3::kBlack);
  EXPECT_EQ(labels.colours[1].second, q3::kKeepColour);
}

TEST_F(StatusSlotsTest, RequestsOutsideBoundSlotsAreIgnored) {
  for (int s : {0, 3, 5, -1}) {
    slots().showStatus(s, "###x", -1, q3::kBlack, q3::kWhite, 1);
    EXPECT_FALSE(slots().hasText(s));
    EXPECT_FALSE(labels.text.count(s));
  }
}

TEST_F(StatusSlotsTest, ClearingHidesLabel) {
  slots().showStatus(2, "###busy", -1, q3::kBlack, q3::kAqua, 1);
  ASSERT_TRUE(labels.labelVisible(2));
  slots().showStatus(2, nullptr, 0, q3::kKeepColour, q3::kKeepColour, -1);
  EXPECT_FALSE(labels.labelVisible(2));
  EXPECT_FALSE(slots().hasText(2));
}

TEST_F(StatusSlotsTest, LanguageChangeReselectsKeptText) {
  const char* text = "###Read error !##Lesefehler !##Chyba čtení !";
  slots().showStatus(2, text, -1, q3::kBlack, q3::kRed, 1);
  EXPECT_EQ(labels.text[2], "Read error !");
  q3::setLanguage(1);
  slots().reselectLanguage();
  EXPECT_EQ(labels.text[2], "Lesefehler !");
  q3::setLanguage(2);
  slots().reselectLanguage();
  EXPECT_EQ(labels.text[2], "Chyba čtení !");
  // The caller's literal is left alone: the slot prepared its own copy.
  EXPECT_STREQ(text, "###Read error !##Lesefehler !##Chyba čtení !");
}

}  // namespace
