// Sanitising: the clamp building block and every rule, as before/after
// images built on a clean default image.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "params/address_map.h"
#include "params/param_model.h"

using namespace q3;

namespace {

using Pairs = std::vector<std::pair<int, int>>;

ParamImage cleanImage() {
  ParamModel m;
  m.image().setByte(ImageByte::Bike, 20);
  m.applyDefaults(-1);
  m.sanitize();
  return m.image();
}

}  // namespace

TEST(ClampRun, ModesBoundsAndStep) {
  struct Case {
    const char* what;
    ElemWidth width;
    bool isSigned;
    ClampMode mode;
    int lo, hi, step;
    std::vector<int> before, after;
    // clang-format off
  } cases[] = {
      {"plain", ElemWidth::Byte, false, ClampMode::Plain, 3, 250, 0, {0, 100, 255}, {3, 100, 250}},
      {"ascending bounds leave room", ElemWidth::Byte, false, ClampMode::Ascending, 0, 250, 1,
       {0, 0, 255, 255}, {0, 1, 249, 250}},
      {"ascending lifts a fall", ElemWidth::Byte, false, ClampMode::Ascending, 0, 250, 1,
       {200, 150, 100, 50}, {200, 201, 202, 203}},
      {"ascending step 0 keeps equal", ElemWidth::Byte, false, ClampMode::Ascending, 0, 250, 0,
       {5, 3, 7, 7}, {5, 5, 7, 7}},
      {"descending step 1", ElemWidth::Word, false, ClampMode::Descending, 0, 5000, 1,
       {0, 0, 0, 0, 0, 0}, {5, 4, 3, 2, 1, 0}},
      {"descending from above", ElemWidth::Word, false, ClampMode::Descending, 0, 5000, 1,
       {6000, 6000, 6000}, {5000, 4999, 4998}},
      {"descending step 0 keeps equal", ElemWidth::Word, false, ClampMode::Descending, 0, 5000, 0,
       {5, 7, 3, 3}, {5, 5, 3, 3}},
      {"descending step 2", ElemWidth::Byte, false, ClampMode::Descending, 0, 100, 2,
       {50, 50, 60}, {50, 48, 46}},
      {"signed words", ElemWidth::Word, true, ClampMode::Plain, -100, 100, 0, {-300, 5, 300},
       {-100, 5, 100}},
      {"signed bytes ascending", ElemWidth::Byte, true, ClampMode::Ascending, -10, 10, 1,
       {-128, -128, 127}, {-10, -9, 10}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ParamImage img;
    const int n = static_cast<int>(c.before.size());
    const int base = 300, sub = c.isSigned ? kSignedFlag : 0;
    for (int i = 0; i < n; ++i) {
      if (c.width == ElemWidth::Byte)
        img.writeByteElement(base, i, c.before[i]);
      else
        img.writeWordElement(base, i, c.before[i]);
    }
    clampRun(img, c.width, c.isSigned, base, n, c.mode, c.lo, c.hi, c.step);
    for (int i = 0; i < n; ++i) {
      const int v = c.width == ElemWidth::Byte ? img.readByteElement(base, i | sub)
                                               : img.readWordElement(base, i | sub);
      EXPECT_EQ(v, c.after[i]) << "element " << i;
    }
    // Nothing behind the run is touched.
    EXPECT_EQ(img.byte(base + 2 * n), 0);
  }
}

TEST(Sanitize, DefaultImageIsAlreadyClean) {
  const ParamImage clean = cleanImage();
  ParamImage again = clean;
  sanitizeImage(again);
  EXPECT_EQ(again, clean);
}

TEST(Sanitize, RulesAsBeforeAndAfterImages) {
  struct Case {
    const char* what;
    Pairs setBytes, setWords;    // the faults put into a clean image
    Pairs wantBytes, wantWords;  // every byte/word that sanitising must change
    std::function<void(ParamImage&)> wantMore = nullptr;  // changes easier said as a rule
  };
  // Row r of a map from column `from` on holds v.
  auto fillRows = [](int base, int from, int v) {
    return [=](ParamImage& w) {
      for (int r = 0; r < kMapRows; ++r)
        for (int c = from; c < kMapColumns; ++c) w.setByte(base + r * kMapColumns + c, v);
    };
  };
  const int adv = ImageByte::Advance, servo = ImageByte::Servo;
  // clang-format off
  const Case cases[] = {
      {"channels 0", {{186, 0}}, {}, {{186, 1}}, {}},
      {"channels 9", {{186, 9}}, {}, {{186, 4}}, {}},
      {"dwell mode 3", {{209, 3}}, {}, {{209, 1}}, {}},
      {"dwell mode 2 kept", {{209, 2}}, {}, {{209, 2}}, {}},
      {"potentiometer function 5", {{217, 5}}, {}, {{217, 0}}, {}},
      {"lambda bytes flat",
       {{490, 100}, {491, 100}, {492, 100}, {493, 100}, {494, 100}, {495, 100}}, {},
       {{491, 101}, {492, 102}, {493, 103}, {494, 104}, {495, 105}}, {}},
      {"lambda words descending for type 0",
       {}, {{250, 0}, {251, 0}, {252, 0}, {253, 0}, {254, 0}, {255, 0}}, {},
       {{250, 5}, {251, 4}, {252, 3}, {253, 2}, {254, 1}, {255, 0}}},
      {"lambda words ascending for type 1",
       {{489, 1}}, {{250, 6000}, {251, 6000}, {252, 6000}, {253, 6000}, {254, 6000}, {255, 6000}},
       {{489, 1}}, {{250, 4995}, {251, 4996}, {252, 4997}, {253, 4998}, {254, 4999}, {255, 5000}}},
      {"lambda bars falling", {{496, 200}, {497, 150}, {498, 100}, {499, 50}}, {},
       {{496, 200}, {497, 201}, {498, 202}, {499, 203}}, {}},
      {"lambda tacho axis at top", {{516, 250}, {517, 250}}, {}, {{516, 249}, {517, 250}}, {}},
      {"lambda tacho values", {{518, 0}, {519, 255}}, {}, {{518, 3}, {519, 250}}, {}},
      {"advance load axis zero",
       {}, {{6, 0}, {7, 0}, {8, 0}, {9, 0}, {10, 0}, {11, 0}, {12, 0}, {13, 0}, {14, 0}, {15, 0}},
       {}, {{7, 1}, {8, 2}, {9, 3}, {10, 4}, {11, 5}, {12, 6}, {13, 7}, {14, 8}, {15, 9}}},
      {"servo load axis too high", {}, {{34, 2000}, {35, 2000}}, {}, {{34, 998}, {35, 999}}},
      {"servo enable needs no servo sensor", {{408, 1}, {515, 1}}, {}, {{408, 0}, {515, 1}}, {}},
      {"servo enable kept", {{408, 1}}, {}, {{408, 1}}, {}},
      {"advance rpm axis zero", {{570, 0}, {571, 0}, {572, 0}}, {},
       {{570, 3}, {571, 4}, {572, 5}}, {}},
      {"servo rpm axis above 250", {{569, 255}}, {}, {{569, 250}}, {}},
      {"second pressure point below first", {}, {{4, 50}}, {}, {{4, 55}}},
      {"advance map clamp and fill",
       {{236, 5}, {adv + 0, 10}, {adv + 4, 200}, {adv + 15 + 4, 120}}, {},
       {}, {},
       [&](ParamImage& w) {
         fillRows(adv, 5, 120)(w);  // default column 4 is 20 deg, stored 120
         for (int c = 4; c < kMapColumns; ++c) w.setByte(adv + c, 160);
         w.setByte(adv + 0, 70);
       }},
      {"advance map 2 column count 0 and 20", {{237, 0}, {236, 20}}, {}, {{237, 15}, {236, 15}},
       {}},
      {"servo map in percent", {{409, 1}, {servo + 7, 200}}, {}, {}, {},
       [&](ParamImage& w) {  // default rows run 2000..2900 mV, stored /20 = 100..145
         for (int i = servo; i < servo + kMapRows * kMapColumns; ++i)
           if (w.byte(i) > 100) w.setByte(i, 100);
       }},
      {"servo map column filling", {{411, 3}}, {}, {}, {}, fillRows(servo, 3, 2200 / 20)},
      {"lobes of system 0", {{184, 0}, {185, 9}}, {},
       {{185, 1}, {192, 65}, {189, 65}, {193, 65}}, {}},
      {"lobes of system 14", {{184, 14}, {185, 130}}, {}, {{184, 14}, {185, 120}}, {}},
      {"lobes of system 1", {{185, 100}}, {}, {{185, 58}}, {}},
      {"edges of a one-pickup system", {{188, 193}, {189, 63}, {190, 64}}, {},
       {{188, 65}, {189, 5}, {190, 65}}, {}},
      {"edges of a two-pickup system keep bit 7", {{184, 4}, {185, 7}, {188, 199}}, {},
       {{184, 4}, {185, 7}, {188, 199}}, {}},
      {"edges of system 14: bit 7 is lobe 64",
       {{184, 14}, {185, 116}, {188, 198}, {189, 255}, {190, 0}}, {},
       {{184, 14}, {185, 116}, {188, 198}, {189, 244}, {190, 1}}, {}},
      {"power output function 7", {{244, 7}}, {}, {{244, 255}}, {}},
      {"only output 3 may be N2O", {{244, 4}}, {}, {{244, 255}}, {}},
      {"output 3 N2O enables N2O", {{246, 4}}, {}, {{246, 4}, {470, 1}}, {}},
      {"N2O follows output 3", {{470, 1}}, {}, {{470, 0}}, {}},
      {"thresholds of function 1", {{248, 100}, {249, 100}, {250, 50}}, {},
       {{249, 101}, {250, 102}}, {}},
      {"thresholds of function 2 may repeat", {{251, 100}, {252, 100}, {253, 50}}, {},
       {{251, 100}, {252, 100}, {253, 100}}, {}},
      {"output words with TPS", {}, {{36, 200}, {37, 50}}, {}, {{36, 99}, {37, 100}}},
      {"output words with IAP", {{216, 2}}, {{36, 200}, {37, 50}}, {{216, 2}},
       {{36, 200}, {37, 201}}},
      {"function 2 condition bytes", {{279, 0}, {280, 0}, {281, 0}}, {},
       {{279, 12}, {280, 14}, {281, 14}}, {}},
      {"PWM engine speeds", {{300, 0}, {301, 0}}, {}, {{300, 3}, {301, 4}}, {}},
      {"PWM words of output 3", {}, {{52, 500}}, {}, {{52, 97}, {53, 98}, {54, 99}, {55, 100}}},
      {"PWM table plain", {{312, 150}}, {}, {{312, 100}}, {}},
      {"PWM table of function 253", {{244, 253}, {272, 50}, {312, 0}, {313, 250}}, {},
       {}, {},
       [](ParamImage& w) {
         w.fillBytes(312, 24, (50 + 9) / 10);
         w.setByte(313, 200);
       }},
      {"limiters", {{202, 5}, {203, 255}}, {}, {{202, 10}, {203, 250}}, {}},
      {"base advance", {{233, 50}}, {}, {{233, 40}}, {}},
  };
  // clang-format on
  const ParamImage clean = cleanImage();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ParamImage img = clean;
    for (auto [i, v] : c.setBytes) img.setByte(i, v);
    for (auto [w, v] : c.setWords) img.setWord(w, v);
    ParamImage want = img;
    for (auto [i, v] : c.wantBytes) want.setByte(i, v);
    for (auto [w, v] : c.wantWords) want.setWord(w, v);
    if (c.wantMore) c.wantMore(want);
    sanitizeImage(img);
    for (int i = 0; i < kImageSize; ++i) EXPECT_EQ(img.byte(i), want.byte(i)) << "byte " << i;
  }
}

TEST(Sanitize, ServoMapUnusedColumnsTakeTheLastUsedColumn) {
  ParamImage img = cleanImage();
  img.setByte(ImageByte::ServoColumns, 3);
  for (int r = 0; r < kMapRows; ++r) img.setByte(ImageByte::Servo + r * kMapColumns + 2, 10 + r);
  sanitizeImage(img);
  for (int r = 0; r < kMapRows; ++r)
    for (int c = 3; c < kMapColumns; ++c)
      EXPECT_EQ(img.byte(ImageByte::Servo + r * kMapColumns + c), 10 + r) << r << "," << c;
}

// Sanitising runs after every apply; if a second pass changed anything, each
// apply would add an undo entry and reprogram the unit with nothing edited.
TEST(Sanitize, ASecondPassChangesNothing) {
  uint32_t x = 1;
  for (int t = 0; t < 2000; ++t) {
    ParamImage once;
    for (int i = 0; i < kImageSize; ++i) {
      x = x * 1103515245u + 12345u;
      once.setByte(i, static_cast<int>((x >> 16) & 0xFF));
    }
    sanitizeImage(once);
    ParamImage twice = once;
    sanitizeImage(twice);
    ASSERT_EQ(twice, once) << "image " << t;
  }
}
