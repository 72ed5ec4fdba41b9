// Identification block decoding, the connection line and the window caption.
#include "link/unit_texts.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <ctime>
#include <initializer_list>

#include "text/mstring.h"

namespace q3 {
namespace {

using Block = std::array<uint8_t, kIdentBlockLen>;

Block blockWith(std::initializer_list<std::pair<int, uint8_t>> bytes) {
  Block b{};
  for (auto [i, v] : bytes) b[i] = v;
  return b;
}

TEST(UnitTextsTest, MonthCodesNameTheTwelveMonths) {
  const int codes[12] = {25, 13, 32, 35, 39, 45, 43, 29, 40, 38, 51, 12};
  for (int m = 0; m < 12; ++m) EXPECT_EQ(monthFromCode(codes[m]), m + 1) << "code " << codes[m];
  for (int unknown : {0, 1, 26, 255}) EXPECT_EQ(monthFromCode(unknown), 0) << unknown;
}

TEST(UnitTextsTest, BuildDateFormats) {
  struct Case {
    uint8_t day, monthCode, year;
    const char* text;
  } cases[] = {
      {7, 45, 22, " 7. 6.2022"},   // single digits get a blank instead of the tens digit
      {31, 38, 5, "31.10.2005"},   // October, year below ten keeps its zero
      {12, 12, 19, "12.12.2019"},  // December
      {1, 99, 22, " 1.00.2022"},   // an unknown month code gives 00
  };
  for (const auto& c : cases) {
    Block b = blockWith({{4, c.day}, {5, c.monthCode}, {6, c.year}});
    EXPECT_EQ(decodeBuildDate(b.data()), c.text);
  }
}

TEST(UnitTextsTest, UnitNameFromDesignationOrText) {
  Block code = blockWith({{0, 'Q'}, {1, 'L'}, {2, 'N'}, {3, 7}});
  EXPECT_EQ(decodeUnitName(code.data()), "QLN07");
  code[3] = 42;
  EXPECT_EQ(decodeUnitName(code.data()), "QLN42");

  // Bytes 16..30 replace the designation when byte 16 is set; 15 characters at most.
  Block text = code;
  const char* name = "Quelin3 Racing Special";
  for (int i = 0; name[i] && i < 20; ++i) text[16 + i] = static_cast<uint8_t>(name[i]);
  EXPECT_EQ(decodeUnitName(text.data()), "Quelin3 Racing ");
}

TEST(UnitTextsTest, SerialNumberFormats) {
  struct Case {
    uint8_t b39, b46;
    const char* text;
  } cases[] = {
      {0, 22, ""},    // field absent
      {255, 22, ""},  // field absent (erased memory)
      {0xAB, 255, "none SN"},
      {0xAB, 22, "220115-103045-007ab"},
  };
  for (const auto& c : cases) {
    Block b = blockWith(
        {{39, c.b39}, {40, 7}, {41, 45}, {42, 30}, {43, 10}, {44, 15}, {45, 1}, {46, c.b46}});
    EXPECT_EQ(decodeSerialNumber(b.data()), c.text) << int(c.b39) << "/" << int(c.b46);
  }
}

TEST(UnitTextsTest, NoteKeepsTextAndMarksGaps) {
  struct Case {
    std::vector<uint8_t> bytes;
    const char* text;
  } cases[] = {
      {{0, 0, 'A', 'B', 0, 255, 'C', 0}, "~AB~C"},
      {{'H', 'i', 255, 255}, "Hi"},  // a gap at the end is dropped
      {{255, 'x', 0, 0, 0, 'y'}, "~x~y"},
      {{}, ""},  // all zero
      {{0xE8, 'a', 's'},
       "\xC4\x8D"
       "as"},  // Windows-1250 letters become UTF-8
  };
  for (const auto& c : cases) {
    Block b{};
    for (size_t i = 0; i < c.bytes.size(); ++i) b[47 + i] = c.bytes[i];
    EXPECT_EQ(decodeNote(b.data()), c.text);
  }
  // The note ends at byte 146: byte 147 is never part of it.
  Block edge{};
  edge[146] = 'Z';
  edge[147] = 'Q';
  EXPECT_EQ(decodeNote(edge.data()), "~Z");
}

TEST(UnitTextsTest, LastUpdateInLocalTime) {
  setenv("TZ", "UTC", 1);
  tzset();
  auto withTime = [](uint32_t v) {
    return blockWith(
        {{35, uint8_t(v)}, {36, uint8_t(v >> 8)}, {37, uint8_t(v >> 16)}, {38, uint8_t(v >> 24)}});
  };
  EXPECT_EQ(decodeLastUpdate(withTime(1656379845u).data()), "(last update: 28.06.2022-01:30:45)");
  EXPECT_EQ(decodeLastUpdate(withTime(0x80000001u).data()), "");  // before 1970
  EXPECT_EQ(decodeLastUpdate(withTime(0x12345600u).data()), "");  // first byte 0: absent
  EXPECT_EQ(decodeLastUpdate(withTime(0x123456FFu).data()), "");  // first byte 255: absent
}

TEST(UnitTextsTest, ProductionCodeAndConnectionLine) {
  Block b = blockWith({{0, 'Q'},
                       {1, 'L'},
                       {2, 'N'},
                       {3, 3},
                       {4, 7},
                       {5, 45},
                       {6, 22},
                       {7, 9},
                       {8, 5},
                       {31, 'K' | 0x80},
                       {32, 15},
                       {33, 1},
                       {34, 22},
                       {39, 1},
                       {46, 255},
                       {47, 'o'},
                       {48, 'k'}});
  UnitTexts t;
  t.decode(b.data());
  EXPECT_EQ(t.productionCode, "220115K+QLN03");
  EXPECT_EQ(t.time, "09:05");
  EXPECT_EQ(connectionLine(2, "RSKEY=104.00", t),
            "220115K+QLN03   RSKEY=104.00   (none SN)      ok");

  b[31] = 'K';  // bit 7 clear
  t.decode(b.data());
  EXPECT_EQ(t.productionCode, "220115K_QLN03");

  for (uint8_t absent : {uint8_t(0), uint8_t(255)}) {
    b[31] = absent;
    t.decode(b.data());
    EXPECT_EQ(t.productionCode, "");
    EXPECT_EQ(connectionLine(2, "RSKEY=104.00", t), "QLN03   RSKEY=104.00    7. 6.2022   09:05");
  }
  b[31] = 'K';
  b[34] = 255;
  t.decode(b.data());
  EXPECT_EQ(t.productionCode, "");

  EXPECT_EQ(connectionLine(0, "RSKEY=104.00", t), "not connected");
  EXPECT_EQ(connectionLine(1, "mismatch", t), "mismatch");

  t.reset();
  EXPECT_EQ(t.unit, "Unit = --");
  EXPECT_EQ(t.date, "Date = --");
  EXPECT_EQ(t.time, "--:--");
  EXPECT_EQ(t.note, "");
}

TEST(UnitTextsTest, WindowCaption) {
  setLanguage(0);
  const std::string head = "  QUELIN3 (v104)       ";
  struct Case {
    const char* file;
    bool released;
    std::string caption;
  } cases[] = {
      {"", false, head},
      {"/home/r/bike.ign", false, head + "/home/r/bike.ign"},
      {"/home/r/bike.ign", true, head + "/home/r/bike.ign   (Disconnected by bootloader)"},
      {"", true, head + "(Disconnected by bootloader)"},
  };
  for (const auto& c : cases) EXPECT_EQ(windowCaption(c.file, c.released), c.caption);
}

}  // namespace
}  // namespace q3
