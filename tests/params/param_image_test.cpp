// Element conventions of the parameter image, the monitor buffer and the
// start-up check of the address map.
#include "params/param_image.h"

#include <gtest/gtest.h>

#include "params/address_map.h"
#include "params/param_model.h"
#include "params_fixture.h"

using namespace q3;

TEST(ParamImage, WordViewIsLittleEndianOverTheSameBytes) {
  ParamImage img;
  img.setByte(0, 0xBC);
  img.setByte(1, 0x02);
  EXPECT_EQ(img.word(0), 700);
  img.setWord(ImageWord::LambdaCurveWords + 5, 0x1388);
  EXPECT_EQ(img.byte(510), 0x88);
  EXPECT_EQ(img.byte(511), 0x13);
  img.setWord(kImageWords - 1, 0xFFFF);
  EXPECT_EQ(img.byte(kImageSize - 1), 0xFF);
}

TEST(ParamImage, IndicesOutsideTheImageAreNeitherReadNorWritten) {
  ParamImage img;
  const ParamImage before = img;
  img.setByte(kImageSize, 7);
  img.setByte(-1, 7);
  img.setWord(kImageWords, 7);
  img.writeByteElement(kImageSize - 1, 1, 7);
  EXPECT_EQ(img, before);
  EXPECT_EQ(img.byte(kImageSize), 0);
  EXPECT_EQ(img.word(-1), 0);
}

struct ElementCase {
  const char* what;
  bool word;
  int base, sub, factor, offset;
  int stored;  // raw value placed in the image
  int shown;   // scaled value read back
};

TEST(ParamImage, ScaledReadOfElements) {
  // clang-format off
  const ElementCase cases[] = {
      {"signed byte 0xFF", false, ImageByte::RpmPulses, kSignedFlag, 1, 0, 0xFF, -1},
      {"same byte unsigned", false, ImageByte::RpmPulses, 0, 1, 0, 0xFF, 255},
      {"signed byte 0x80", false, ImageByte::RpmPulses, kSignedFlag, 1, 0, 0x80, -128},
      {"limiter x100", false, ImageByte::Limiter, 0, 100, 0, 150, 15000},
      {"rpm correction +100 stored 100", false, ImageByte::RpmCorrection, 0, 1, -100, 100, 0},
      {"rpm correction all zero", false, ImageByte::RpmCorrection, 0, 1, -100, 0, -100},
      {"advance correction sub 3", false, ImageByte::CorrAdvance, 3, 1, -100, 0, -100},
      {"gear advance corr", false, ImageByte::GearCorrAdv, 5, 1, -100, 130, 30},
      {"advance map cell", false, ImageByte::Advance, 149, 1, -100, 0, -100},
      {"limiter corr x50 +-100", false, ImageByte::GearCorrLimiter, 0, 50, -100, 90, -500},
      {"signed word -1", true, ImageWord::Proprietary, 2 | kSignedFlag, 1, 0, 0xFFFF, -1},
      {"signed word min", true, ImageWord::Proprietary, 4 | kSignedFlag, 1, 0, 0x8000, -32768},
      {"unsigned word", true, ImageWord::Proprietary, 4, 1, 0, 0x8000, 32768},
      {"word 0", true, ImageWord::TpsLow, 0, 1, 0, 700, 700},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ParamImage img;
    const int index = c.base + (c.sub & kSubIndexMask);
    if (c.word) {
      img.setWord(index, c.stored);
      EXPECT_EQ(img.scaledWord(c.base, c.sub, c.factor, c.offset), c.shown);
    } else {
      img.setByte(index, c.stored);
      EXPECT_EQ(img.scaledByte(c.base, c.sub, c.factor, c.offset), c.shown);
    }
  }
}

TEST(ParamImage, EnteredValuesAreStoredWithTruncatingDivision) {
  struct Case {
    int factor, offset, value, stored;
    // clang-format off
  } cases[] = {
      {100, 0, 15050, 150},  // limiter: 15050 / 100 = 150
      {100, 0, 15099, 150},
      {100, 0, 99, 0},
      {1, -100, 0, 100},     // +100 offsets: 0 shown = 100 stored
      {1, -100, -30, 70},
      {50, -100, -520, 90},  // -520 / 50 = -10 (towards zero), + 100
      {5, 0, 1274, 254},
      {0, 0, 42, 42},        // a zero factor never divides by zero
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.factor << "," << c.offset << "," << c.value);
    EXPECT_EQ(storedFromScaled(c.value, c.factor, c.offset), c.stored);
    ParamImage img;
    img.storeScaledByte(300, 0, c.factor, c.offset, c.value);
    EXPECT_EQ(img.byte(300), c.stored);
  }
  // Negative entries into a signed element keep their two's complement.
  ParamImage img;
  img.storeScaledByte(ImageByte::RpmPulses, kSignedFlag, 1, 0, -2);
  EXPECT_EQ(img.byte(ImageByte::RpmPulses), 254);
  img.storeScaledWord(ImageWord::Proprietary, 1 | kSignedFlag, 1, 0, -32000);
  EXPECT_EQ(img.word(ImageWord::Proprietary + 1), 65536 - 32000);
  EXPECT_EQ(img.scaledWord(ImageWord::Proprietary, 1 | kSignedFlag, 1, 0), -32000);
}

TEST(ParamImage, StoresSaturateAtTheLimitsOfTheElement) {
  struct Case {
    bool word;
    int sub, factor, offset, value, stored;
  };
  // clang-format off
  const Case cases[] = {
      {false, 0, 50, -100, -6000, 0},       // limiter correction far below -5000 rpm
      {false, 0, 100, 0, 30000, 255},       // limiter far above 25500 rpm
      {false, kSignedFlag, 1, 0, -300, 128},  // -128
      {false, kSignedFlag, 1, 0, 300, 127},
      {true, 0, 1, 0, -1, 0},
      {true, 0, 1, 0, 70000, 65535},
      {true, kSignedFlag, 1, 0, -40000, 32768},  // -32768
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.value << " x" << c.factor);
    ParamImage img;
    if (c.word) {
      img.storeScaledWord(ImageWord::Proprietary, c.sub, c.factor, c.offset, c.value);
      EXPECT_EQ(img.word(ImageWord::Proprietary), c.stored);
    } else {
      img.storeScaledByte(ImageByte::GearCorrLimiter, c.sub, c.factor, c.offset, c.value);
      EXPECT_EQ(img.byte(ImageByte::GearCorrLimiter), c.stored);
    }
  }
}

TEST(ParamImage, RunsPassTheSignedFlagToEveryElement) {
  ParamImage img;
  const int in[3] = {-5, 0, 5};
  img.writeByteRun(ImageByte::CorrAdvance, 3, 1, -100, in);
  EXPECT_EQ(img.byte(238), 95);
  EXPECT_EQ(img.byte(240), 105);
  int out[3] = {};
  img.readByteRun(ImageByte::CorrAdvance, 3, 1, -100, out);
  EXPECT_EQ(out[0], -5);
  EXPECT_EQ(out[2], 5);

  const int words[2] = {-1, 300};
  img.writeWordRun(ImageWord::Proprietary, 2 | kSignedFlag, 1, 0, words);
  int w[2] = {};
  img.readWordRun(ImageWord::Proprietary, 2 | kSignedFlag, 1, 0, w);
  EXPECT_EQ(w[0], -1);
  EXPECT_EQ(w[1], 300);
  img.readWordRun(ImageWord::Proprietary, 2, 1, 0, w);
  EXPECT_EQ(w[0], 65535);
}

TEST(MonitorBuffer, ReceivedBlockIsStoredOneIndexUp) {
  uint8_t block[kMonitorBlockLen + 10];
  for (int j = 0; j < static_cast<int>(sizeof block); ++j) block[j] = static_cast<uint8_t>(j + 1);
  MonitorBuffer m;
  m.storeBlock(block, sizeof block);  // longer than a block: only 150 bytes are taken
  EXPECT_EQ(m.byte(0), 0);
  EXPECT_EQ(m.byte(1), 1);
  EXPECT_EQ(m.byte(MonitorByte::VersionMajor), 150);
  // Word 1 is formed from the second and third received bytes.
  EXPECT_EQ(m.word(MonitorWord::EngineSpeed), 2 | (3 << 8));
  EXPECT_EQ(m.byte(kMonitorBufferLen), 0);
}

TEST(AddressMap, NoRuleFiresWithThisLayout) {
  q3test::ScriptedDialogs d;
  EXPECT_EQ(checkAddressMap(d), 0);
  EXPECT_TRUE(d.messages.empty());
}

TEST(AddressMap, EachBrokenRuleShowsItsMessage) {
  struct Case {
    void (*breakIt)(AddressLayout&);
    const char* text;
    // clang-format off
  } cases[] = {
      {[](AddressLayout& l) { l.lastWord = 86; },
       "Software error: Enum Adrw to long - 3"},
      {[](AddressLayout& l) { l.firstByte = 169; },  // the last word's high byte is shared
       "Software error: Enum Adrw to long - 0"},
      {[](AddressLayout& l) { l.adrbEnd = 1052; }, "Software error: Enum Adrb to long - 2"},
      {[](AddressLayout& l) { l.byteParamsEnd = 560; },
       "Software error: Enum Adrb - no space between bytes and tables - 5"},
      {[](AddressLayout& l) { l.lastMonWord = 50; }, "Software error: Enum Monw to long - 1"},
      {[](AddressLayout& l) { l.monbEnd = 1060; }, "Software error: Enum Monb to long - 10"},
      {[](AddressLayout& l) { l.bitWidths[4] = 9; },
       "Software error: More then 8 bits in bitfield - 9"},
      {[](AddressLayout& l) { l.comMaxBuf = 1000; },
       "Software error: RS_LEN_EXE>COMMAXBUF - 1050>1000"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    q3test::ScriptedDialogs d;
    AddressLayout l;
    c.breakIt(l);
    EXPECT_EQ(checkAddressMap(d, l), 1);
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_NE(d.messages[0].find(c.text), std::string::npos) << d.messages[0];
  }
}
