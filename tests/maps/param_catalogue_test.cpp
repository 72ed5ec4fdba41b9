// The parameter catalogue and the comparison by name: captions and units as
// the pages show them in every language, values in page units, the
// differences of two images sorted into settings, map cells and breakpoints
// and unnamed bytes, and taking a map over.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "maps/settings_compare.h"
#include "maps_fixture.h"
#include "params/page_tables.h"
#include "params/param_model.h"

namespace {

using q3::ImageByte;
using q3test::ScopedLanguage;

const q3::CatalogueEntry& entry(const char* name) {
  const q3::CatalogueEntry* e = q3::findCatalogueEntry(name);
  EXPECT_NE(e, nullptr) << name;
  static const q3::CatalogueEntry none{};
  return e ? *e : none;
}

// The defaults of bike 20, as a new document has them.
q3::ParamImage defaults() {
  q3::ParamModel m;
  m.image().setByte(ImageByte::Bike, 20);
  m.applyDefaults(-1);
  m.sanitize();
  return m.image();
}

TEST(ParamCatalogue, EveryTransferredRowOfEveryPageIsNamedOnceOnItsPage) {
  std::set<std::string> seen;
  int rows = 0;
  for (const q3::pages::PageTable& p : q3::pages::pageTables()) {
    for (const q3::pages::ControlSpec& s : p.table()) {
      if (s.base < 0) continue;
      ++rows;
      const q3::CatalogueEntry* e = q3::findCatalogueEntry(s.name);
      ASSERT_NE(e, nullptr) << s.name;
      EXPECT_EQ(e->page, p.page) << s.name;
      EXPECT_TRUE(seen.insert(s.name).second) << s.name << " twice";
      for (int lang = 0; lang < 3; ++lang) EXPECT_FALSE(q3::entryCaption(*e, lang).empty());
    }
  }
  // The rows the pages move themselves are named as packed settings, but
  // for the flags that live in their channel's edge byte.
  int packed = 0;
  for (const q3::CatalogueEntry& e : q3::catalogueEntries()) {
    if (!e.packed()) continue;
    ++packed;
    EXPECT_LT(e.spec->base, 0) << e.spec->name;
    EXPECT_GE(e.packedByte, ImageByte::First) << e.spec->name;
  }
  for (const q3::pages::PageTable& p : q3::pages::pageTables())
    for (const q3::pages::ControlSpec& s : p.table()) {
      const std::string n = s.name;
      const bool edgeFlag = n.size() > 2 && (n.ends_with("H2") || n.ends_with("P2"));
      if (s.base < 0 && !edgeFlag) EXPECT_NE(q3::findCatalogueEntry(s.name), nullptr) << n;
    }
  EXPECT_EQ(static_cast<int>(q3::catalogueEntries().size()), rows + packed);
}

TEST(ParamCatalogue, CaptionsAndUnitsAsThePagesShowThem) {
  struct Case {
    const char* control;
    int lang;
    const char* caption;
    const char* unit;
  };
  const Case cases[] = {
      {"UpDownLimiter", 0, "Limiter [rpm]", "rpm"},  // from the text tables
      {"UpDownLimiter", 1, "Begrenzer [rpm]", "rpm"},
      {"UpDownLimiter", 2, "Omezovač [rpm]", "rpm"},
      {"ComboBoxBike", 0, "Bike", ""},  // "Bike:" without its colon
      {"ComboBoxBike", 1, "Motorrad", ""},
      {"UpDownGasD", 1, "Verzögerung [ms]", "ms"},  // a label shared by two edits
      {"UpDownGearAutoTps", 2, "Plyn [%]", "%"},    // from the binding table
      {"UpDownBaseAdv", 0, "Base advance [°]", "°"},
      {"CheckBoxGas", 1, "N2O aktiv", ""},
  };
  for (const Case& c : cases) {
    const q3::CatalogueEntry& e = entry(c.control);
    EXPECT_EQ(q3::entryCaption(e, c.lang), c.caption) << c.control << " " << c.lang;
    EXPECT_EQ(q3::entryUnit(e), c.unit) << c.control;
  }
}

TEST(ParamCatalogue, ValuesInPageUnits) {
  q3::ParamImage img = defaults();
  img.setByte(ImageByte::Limiter, 115);            // x100
  img.setByte(ImageByte::RpmCorrection, 95);       // stored +100
  img.setByte(ImageByte::CorrAdvance + 1, 97);     // stored +100
  img.setByte(ImageByte::Bike, 19);                // a list by value
  img.setByte(ImageByte::N2oEnable, 1);            // a check box
  img.setByte(ImageByte::PoutFunction + 2, 4);     // output 3: N2O
  img.setByte(ImageByte::PickupPolarity1, 9);      // no item has it
  img.setWord(q3::ImageWord::Proprietary, -1234);  // a signed word
  ScopedLanguage german(1);
  struct Case {
    const char* control;
    const char* text;
  };
  const Case cases[] = {
      {"UpDownLimiter", "11500"},         {"UpDownRpmKorekce", "-5"}, {"UpDownKorAdv2", "-3"},
      {"ComboBoxBike", "Yamaha R1"},      {"CheckBoxGas", "ein"},     {"RadioGroupPOut3", "N2O"},
      {"RadioGroupPickup1Polarita", "9"}, {"UpDownProp1", "-1234"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(q3::entryValueText(entry(c.control), img), c.text) << c.control;
}

TEST(SettingsCompare, SameImagesHaveNoDifference) {
  const q3::ParamImage a = defaults();
  EXPECT_TRUE(q3::compareSettings(a, a).empty());
  EXPECT_EQ(q3::comparisonText(q3::compareSettings(a, a)), "");
}

TEST(SettingsCompare, EachChangeLandsInItsGroupAndLine) {
  struct Case {
    const char* what;
    void (*change)(q3::ParamImage&);
  };
  const Case cases[] = {
      {"limiter",
       [](q3::ParamImage& i) { i.setByte(ImageByte::Limiter, i.byte(ImageByte::Limiter) + 5); }},
      {"advance cell",
       [](q3::ParamImage& i) {
         i.setByte(ImageByte::Advance + 2 * 15 + 4, i.byte(ImageByte::Advance + 2 * 15 + 4) + 2);
       }},
      {"edge of channel 1 (moved by the page itself)",
       [](q3::ParamImage& i) {
         i.setByte(ImageByte::EdgeStart, i.byte(ImageByte::EdgeStart) + 1);
       }},
      {"second turn of channel 2",
       [](q3::ParamImage& i) {
         i.setByte(ImageByte::SecondTurn, i.byte(ImageByte::SecondTurn) ^ 2);
       }},
  };
  const q3::ParamImage a = defaults();
  ScopedLanguage english(0);
  for (const Case& c : cases) {
    q3::ParamImage b = a;
    c.change(b);
    const q3::SettingsComparison cmp = q3::compareSettings(a, b);
    EXPECT_EQ(cmp.count(), 1) << c.what << "\n" << q3::comparisonText(cmp);
  }
  {
    q3::ParamImage b = a;
    b.setByte(ImageByte::Limiter, 115);
    q3::ParamImage a2 = a;
    a2.setByte(ImageByte::Limiter, 110);
    EXPECT_EQ(q3::comparisonText(q3::compareSettings(a2, b)),
              "Miscellaneous\n  Limiter [rpm] 11000 \xE2\x86\x92 11500\n");
  }
  {
    q3::ParamImage b = a;
    b.setByte(ImageByte::Advance + 2 * 15 + 4, a.byte(ImageByte::Advance + 2 * 15 + 4) + 2);
    const int was = a.byte(ImageByte::Advance + 2 * 15 + 4) - 100;
    EXPECT_EQ(q3::comparisonText(q3::compareSettings(a, b)),
              "Advance Map\n  Advance 1 [3,5] " + std::to_string(was) + " \xE2\x86\x92 " +
                  std::to_string(was + 2) + " °\n");
  }
  {
    // A channel's edge: the lobe and its flags in one byte.
    q3::ParamImage a2 = a, b = a;
    a2.setByte(ImageByte::EdgeStart, q3::pages::encodeEdge(0, 3, false, false));
    b.setByte(ImageByte::EdgeStart, q3::pages::encodeEdge(0, 4, true, false));
    a2.setByte(ImageByte::PickupSystem, 0);
    b.setByte(ImageByte::PickupSystem, 0);
    EXPECT_EQ(q3::comparisonText(q3::compareSettings(a2, b)),
              "Bike\n  Channel 1: Max. advance edge 3 \xE2\x86\x92 4, 2nd Edge\n");
  }
  {
    // One bit of a byte that holds the bits of six inputs.
    q3::ParamImage b = a;
    b.setByte(ImageByte::InputInverse, a.byte(ImageByte::InputInverse) ^ 4);
    const std::string was = a.byte(ImageByte::InputInverse) & 4 ? "on" : "off";
    const std::string now = was == "on" ? "off" : "on";
    EXPECT_EQ(q3::comparisonText(q3::compareSettings(a, b)),
              "Miscellaneous\n  Multifunction input 3 (pin 30): Inverse polarity " + was +
                  " \xE2\x86\x92 " + now + "\n");
  }
  {
    // A byte no page names.
    q3::ParamImage b = a;
    b.setByte(ImageByte::ForeignMark, a.byte(ImageByte::ForeignMark) ^ 1);
    EXPECT_EQ(q3::comparisonText(q3::compareSettings(a, b)),
              "Other bytes\n  Byte 513: " + std::to_string(a.byte(ImageByte::ForeignMark)) +
                  " \xE2\x86\x92 " + std::to_string(b.byte(ImageByte::ForeignMark)) + "\n");
  }
}

TEST(SettingsCompare, BreakpointsAndTheirNumberOfAMap) {
  const q3::ParamImage a = q3test::advanceImage();
  q3::ParamImage b = a;
  b.setByte(ImageByte::RpmAdv2 + 3, a.byte(ImageByte::RpmAdv2 + 3) + 2);
  b.setByte(ImageByte::Adv2Columns, 14);
  const q3::SettingsComparison cmp = q3::compareSettings(a, b);
  ASSERT_EQ(cmp.maps.size(), 1u);
  EXPECT_EQ(cmp.maps[0].map->sheet, 1);
  const std::string text = q3::comparisonText(cmp);
  EXPECT_NE(text.find("  Advance 2 RPM: 15 \xE2\x86\x92 14 breakpoints\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("  Advance 2 RPM[4] 4000 \xE2\x86\x92 4200 rpm\n"), std::string::npos)
      << text;
}

TEST(SettingsCompare, TakingAMapTakesItsCellsAndBreakpointsAndNothingElse) {
  const q3::ParamImage a = q3test::advanceImage();
  q3::ParamImage b = a;
  for (int i = 0; i < 150; ++i) b.setByte(ImageByte::Advance2 + i, 90);
  b.setByte(ImageByte::RpmAdv2 + 14, 160);
  b.setByte(ImageByte::Advance + 7, 77);  // advance map 1
  b.setByte(ImageByte::Limiter, 130);     // a setting the map control also stores
  b.setByte(ImageByte::BaseAdv, 12);
  q3::ParamImage taken = a;
  for (const q3::CatalogueMap& m : q3::catalogueMaps())
    if (m.owner == q3::kOwnerAdvance && m.sheet == 1) q3::takeMap(m, b, taken);
  for (int i = 0; i < 150; ++i) EXPECT_EQ(taken.byte(ImageByte::Advance2 + i), 90);
  EXPECT_EQ(taken.byte(ImageByte::RpmAdv2 + 14), 160);
  EXPECT_EQ(taken.byte(ImageByte::Advance + 7), a.byte(ImageByte::Advance + 7));
  EXPECT_EQ(taken.byte(ImageByte::Limiter), a.byte(ImageByte::Limiter));
  EXPECT_EQ(taken.byte(ImageByte::BaseAdv), a.byte(ImageByte::BaseAdv));
  // What is left to compare is advance map 1 and the two settings.
  const q3::SettingsComparison rest = q3::compareSettings(taken, b);
  ASSERT_EQ(rest.maps.size(), 1u);
  EXPECT_EQ(rest.maps[0].map->sheet, 0);
  EXPECT_EQ(rest.values.size(), 2u);
}

}  // namespace
