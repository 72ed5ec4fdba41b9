// The Bike page on its own (offscreen): show then store keeps the image,
// edits land in the right bits, controls that cannot show their byte leave
// it alone, the bike choice and the rules.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QWidget>
#include <random>

#include "page_fixture.h"
#include "pages/bike_page.h"
#include "pages/bike_rules.h"
#include "params/address_map.h"
#include "text/mstring.h"
#include "text/user_dialogs.h"

using q3::ImageByte;
using q3::pages::BikePage;

namespace {

using q3test::expectSame;

class BikePageTest : public q3test::PageFixture<BikePage> {
 protected:
  void SetUp() override {
    index = 1;
    PageFixture::SetUp();
  }
  // A hand-described trigger system of the given type.
  void special(int type, int lobes) {
    img().setByte(ImageByte::Bike, 255);
    img().setByte(ImageByte::PickupSystem, type);
    img().setByte(ImageByte::Lobes, lobes);
    img().setByte(ImageByte::Channels, 4);
    page->show();
  }
  // Picks a bike in the list as the user does.
  void choose(int bike) {
    auto* combo = w<QComboBox>("ComboBoxBike");
    const int index = combo->findData(bike);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }
};

// What store may change on a page nobody edited: with a preset bike the
// options of the hand-made description are cleared.
q3::ParamImage expectedAfterStore(q3::ParamImage e) {
  if (e.byte(ImageByte::Bike) != 255)
    for (int at : {ImageByte::NoLobeCheck, ImageByte::InterlockInput, ImageByte::SparkBeforeLobe})
      e.setByte(at, 0);
  return e;
}

TEST_F(BikePageTest, ShowThenStoreKeepsEveryPresetsDefaults) {
  for (const q3::pages::Item& bike : BikePage::bikes()) {
    img().clear();
    img().setByte(ImageByte::Bike, bike.value);
    model.applyDefaults(-1);
    model.sanitize();
    const q3::ParamImage before = img();
    page->show();
    page->store();
    expectSame(img(), expectedAfterStore(before), "bike " + std::to_string(bike.value));
  }
}

TEST_F(BikePageTest, ShowThenStoreKeepsRandomSanitisedImages) {
  std::mt19937 rng(11);
  for (int n = 0; n < 300; ++n) {
    q3test::randomSanitised(model, rng);
    // Every third image a hand-made description, so its options are kept.
    if (n % 3 == 0) img().setByte(ImageByte::Bike, 255);
    const q3::ParamImage before = img();
    page->show();
    page->store();
    expectSame(img(), expectedAfterStore(before), "image " + std::to_string(n));
  }
}

TEST_F(BikePageTest, EdgeEditsLandInTheirBits) {
  struct Case {
    int type, lobe;
    bool secondEdge, secondPickup;
    int stored;
  };
  const Case cases[] = {
      {14, 70, true, false, 198},  // bit 6 of the lobe number goes to bit 7
      {14, 70, true, true, 198},   // no second-pickup flag for type 14
      {14, 10, false, true, 10},       {14, 120, false, false, 0x80 | 56},
      {4, 10, false, true, 0x80 | 10}, {4, 10, true, true, 0xC0 | 10},
      {0, 1, false, false, 1},
  };
  for (const Case& c : cases) {
    special(c.type, c.type == 14 ? 120 : 58);
    w<QSpinBox>("UpDownPalec1Zac")->setValue(c.lobe);
    w<QCheckBox>("CheckBoxPalec1ZacH2")->setChecked(c.secondEdge);
    w<QCheckBox>("CheckBoxPalec1ZacP2")->setChecked(c.secondPickup);
    page->store();
    EXPECT_EQ(img().byte(ImageByte::EdgeStart), c.stored)
        << "type " << c.type << " lobe " << c.lobe;
    EXPECT_EQ(q3::pages::edgeLobe(c.type, c.stored), c.lobe);
  }
}

TEST_F(BikePageTest, ControlsThatCannotShowTheirByteLeaveIt) {
  struct Case {
    int at, stored;
  };
  // Pickup system without an item, rev-counter pulses outside -2..12,
  // correction outside -60..60, an unknown four-stroke mode, an unknown
  // synchronisation polarity.
  const Case cases[] = {{ImageByte::PickupSystem, 99},   {ImageByte::RpmPulses, 200},
                        {ImageByte::RpmCorrection, 250}, {ImageByte::FourStroke, 7},
                        {ImageByte::SyncPolarity, 9},    {ImageByte::SpecialStartPerc, 251}};
  for (const Case& c : cases) {
    special(0, 1);
    img().setByte(c.at, c.stored);
    page->show();
    // An edit elsewhere on the page.
    w<QSpinBox>("UpDownRevWoIgnition")
        ->setValue(w<QSpinBox>("UpDownRevWoIgnition")->value() == 3 ? 4 : 3);
    page->store();
    EXPECT_EQ(img().byte(c.at), c.stored) << "byte " << c.at;
  }
}

TEST_F(BikePageTest, RevCounterFollowsAPickup) {
  special(0, 1);
  struct Case {
    int position, stored;
    const char* text;
  };
  for (const Case& c : {Case{-1, 255, "pickup 1"}, Case{-2, 254, "pickup 2"}, Case{6, 6, "6"}}) {
    auto* spin = w<QSpinBox>("UpDownRpmPulsu");
    spin->setValue(c.position == spin->value() ? 0 : c.position);
    spin->setValue(c.position);
    page->store();
    EXPECT_EQ(img().byte(ImageByte::RpmPulses), c.stored);
    page->show();
    EXPECT_EQ(spin->text(), QString::fromLatin1(c.text));
    // Correction is shown only while the output counts pulses.
    EXPECT_EQ(w<QSpinBox>("UpDownRpmKorekce")->isVisibleTo(&sheet), c.stored < 240);
  }
}

TEST_F(BikePageTest, ChoosingSv650AnsweredNoWritesOnlyItsTriggerSystem) {
  model.applyDefaults(-1);
  binder.resetHistory();
  page->show();
  const q3::ParamImage before = img();
  choose(12);
  EXPECT_EQ(dialogs.asked, 1);
  struct Expect {
    int at, v;
  };
  for (const Expect& e :
       {Expect{170, 12}, Expect{184, 2}, Expect{185, 4}, Expect{186, 2}, Expect{187, 1},
        Expect{188, 4}, Expect{192, 1}, Expect{189, 1}, Expect{193, 2}, Expect{514, 0},
        // the unused channels' edges are cleared; the apply's
        // sanitising raises lobe 0 to lobe 1
        Expect{190, 1}, Expect{191, 1}, Expect{194, 1}, Expect{195, 1}})
    EXPECT_EQ(img().byte(e.at), e.v) << "byte " << e.at;
  // The other pages' bytes stay.
  for (int i = 198; i < q3::kImageSize; ++i)
    if (i != 512 && i != 514) EXPECT_EQ(img().byte(i), before.byte(i)) << "byte " << i;
  EXPECT_TRUE(model.canUndo());
}

TEST_F(BikePageTest, SpecialSettingAsksNothingAndUnlocksTheDescription) {
  model.applyDefaults(-1);
  model.sanitize();
  binder.resetHistory();
  page->show();
  const q3::ParamImage before = img();
  choose(255);
  EXPECT_EQ(dialogs.asked, 0);
  for (int i = 0; i < q3::kImageSize; ++i)
    if (i != ImageByte::Bike) EXPECT_EQ(img().byte(i), before.byte(i)) << "byte " << i;
  EXPECT_EQ(img().byte(ImageByte::Bike), 255);
  EXPECT_TRUE(sheet.findChild<QWidget*>("ComboBoxSynchro")->isEnabledTo(&sheet));
}

TEST_F(BikePageTest, CancelKeepsThePreviousBike) {
  model.applyDefaults(-1);
  page->show();
  const int previous = img().byte(ImageByte::Bike);
  dialogs.answer = q3::Answer::Cancel;
  choose(12);
  EXPECT_EQ(img().byte(ImageByte::Bike), previous);
  EXPECT_EQ(w<QComboBox>("ComboBoxBike")->currentData().toInt(), previous);
}

TEST_F(BikePageTest, RulesFollowTheTriggerSystem) {
  struct Case {
    int bike, type, channels, fourStroke;
    const char* control;
    bool visible, enabled;
  };
  const Case cases[] = {
      {255, 0, 2, 0, "RadioGroupPickup2Polarita", true, true},
      {255, 2, 2, 0, "RadioGroupPickup2Polarita", false, true},
      {255, 14, 2, 0, "RadioGroupPickup2Polarita", true, true},
      {12, 2, 2, 0, "ComboBoxSynchro", true, false},
      {255, 2, 2, 0, "ComboBoxSynchro", true, true},
      {255, 7, 2, 0, "GroupBoxPalec1", false, true},
      {255, 2, 2, 0, "GroupBoxPalec2", true, true},
      {255, 2, 2, 0, "GroupBoxPalec3", false, true},
      {255, 2, 4, 0, "GroupBoxPalec4", true, true},
      {255, 19, 1, 0, "UpDownPalec1End", false, false},
      {255, 0, 1, 0, "UpDownPalec1Zac", true, false},
      {255, 2, 1, 0, "UpDownPalec1Zac", true, true},
      {255, 8, 2, 0, "CheckBoxPalec2ZacH2", true, false},
      {255, 8, 2, 0, "CheckBoxPalec1ZacH2", true, true},
      {255, 4, 2, 0, "CheckBoxPalec1ZacP2", true, true},
      {255, 2, 2, 0, "CheckBoxPalec1ZacP2", false, true},
      {255, 14, 2, 0, "CheckBoxPalec1ZacP2", false, false},
      {255, 2, 2, 0, "CheckBoxPalec1T2", false, true},
      {255, 2, 2, 2, "CheckBoxPalec1T2", true, true},
      {255, 2, 2, 1, "LabelFullSynchro1", true, true},
      {12, 2, 2, 0, "CheckBoxSpecStart", false, true},
      {255, 2, 2, 0, "CheckBoxSpecStart", true, true},
      {255, 0, 2, 0, "CheckBoxCrossBlock", true, true},
      {255, 2, 2, 0, "CheckBoxCrossBlock", false, true},
      {255, 8, 2, 0, "CheckBoxNehlidaPalec", false, true},
      {255, 2, 2, 0, "ComboBoxSynchPos", false, true},
  };
  for (const Case& c : cases) {
    img().setByte(ImageByte::Bike, c.bike);
    img().setByte(ImageByte::PickupSystem, c.type);
    img().setByte(ImageByte::Channels, c.channels);
    img().setByte(ImageByte::FourStroke, c.fourStroke);
    img().setByte(ImageByte::Lobes, 24);
    page->show();
    QWidget* x = sheet.findChild<QWidget*>(c.control);
    ASSERT_NE(x, nullptr) << c.control;
    EXPECT_EQ(x->isVisibleTo(&sheet), c.visible) << c.control << " type " << c.type;
    EXPECT_EQ(x->isEnabledTo(&sheet), c.enabled) << c.control << " type " << c.type;
  }
}

}  // namespace
