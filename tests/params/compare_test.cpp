// Unit and PC comparison: the modified-since-saved flag and the slot-4 messages.
#include <gtest/gtest.h>

#include "params/address_map.h"
#include "params/param_model.h"
#include "params_fixture.h"

using namespace q3;

namespace {
struct CompareFixture : ::testing::Test {
  CompareFixture() {
    model.image().setByte(ImageByte::Bike, 20);
    model.applyDefaults(-1);
    model.sanitize();
    model.setStatusSink(&status);
    model.setHooks({.captionChanged = [this](bool m) { captions.push_back(m); }});
    model.resetHistory(0);
    model.takeImageAsSaved();
  }
  // An edit of one byte followed by the undo snapshot, as after an apply.
  void edit(int index, int value) {
    model.image().setByte(index, value);
    model.snapshot(0);
  }
  const q3test::RecordingStatus::Shown& last() const { return status.shown.back(); }

  ParamModel model;
  q3test::RecordingStatus status;
  std::vector<bool> captions;
};
}  // namespace

TEST_F(CompareFixture, WithoutAValidUnitImageSlot4IsCleared) {
  edit(ImageByte::Retard, 9);
  edit(ImageByte::Retard, 10);
  ASSERT_EQ(status.shown.size(), 2u);
  for (const auto& s : status.shown) {
    EXPECT_EQ(s.slot, 4);
    EXPECT_EQ(s.text, "");
    EXPECT_LT(s.priority, 0);  // a clear always wins over a shown message
  }
}

TEST_F(CompareFixture, ReadChangeAndUndoShowDifferentThenIdentical) {
  model.unitImage() = model.image();  // a successful read
  model.setUnitImageValid(true);
  model.compare();
  EXPECT_EQ(last().durationMs, 4000);
  edit(ImageByte::Retard, 9);
  const auto& diff = last();
  EXPECT_EQ(diff.slot, 4);
  EXPECT_NE(diff.text.find("Unit and PC settings are different"), std::string::npos);
  EXPECT_EQ(diff.back, 0x00FFFFu);  // yellow: red 255, green 255, blue 0
  EXPECT_EQ(diff.priority, 10);
  EXPECT_LT(diff.durationMs, 0);  // no time limit
  ASSERT_TRUE(model.stepBack());
  model.restoreCurrent();
  model.compare();
  const auto& same = last();
  EXPECT_NE(same.text.find("Unit and PC settings are identical"), std::string::npos);
  EXPECT_EQ(same.back, 0x00FF00u);  // green
  EXPECT_EQ(same.priority, 10);
  EXPECT_EQ(same.durationMs, 4000);
}

TEST_F(CompareFixture, ModifiedFlagComparesBytesNotHistory) {
  EXPECT_FALSE(model.modified());
  const int old = model.image().byte(ImageByte::Retard);
  edit(ImageByte::Retard, old + 1);
  EXPECT_TRUE(model.modified());
  edit(ImageByte::Retard, old);  // changed back by a second edit, not by undo
  EXPECT_FALSE(model.modified());
  EXPECT_EQ(captions, (std::vector<bool>{true, false}));
  EXPECT_EQ(model.current(), 2);
}

TEST_F(CompareFixture, SnapshotWithoutChangeRunsNoComparison) {
  EXPECT_FALSE(model.snapshot(0));
  EXPECT_TRUE(status.shown.empty());
  EXPECT_TRUE(captions.empty());
}
