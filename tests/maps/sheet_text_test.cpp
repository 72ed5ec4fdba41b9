// Text exchange of map tables: the copy texts byte for byte, the readers of
// pasted text, and pastes into the main window's maps.
#include "maps/sheet_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "maps/map_paste.h"
#include "maps/maps_fixture.h"
#include "text/mstring.h"

namespace q3 {
namespace {

using q3test::advanceImage;
using q3test::BoundMap;
using q3test::RecordingDialogs;

// A field list written short: numbers, "_" for an empty field, "?" for one
// that is not a number; fields by spaces, rows by "|".
std::string shape(const std::vector<PasteRow>& rows) {
  std::string out;
  for (size_t r = 0; r < rows.size(); ++r) {
    if (r) out += "|";
    for (size_t i = 0; i < rows[r].size(); ++i) {
      if (i) out += " ";
      const PasteField& f = rows[r][i];
      if (f.kind == PasteField::Empty) {
        out += "_";
      } else if (f.kind == PasteField::Invalid) {
        out += "?";
      } else {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.12g", f.value);
        out += buf;
      }
    }
  }
  return out;
}

struct Language {
  explicit Language(int l) { setLanguage(l); }
  ~Language() { setLanguage(0); }
};

// The advance map cut to 2 x 2: 1 000 and 12 000 rpm, 0 and 100 %.
void twoByTwo(MapSheet& s) {
  s.x.count = 2;
  s.y.count = 2;
  s.x.values[0] = 10;
  s.x.values[1] = 120;
  s.y.values[0] = 0;
  s.y.values[1] = 100;
  s.cell(0, 0) = 10;
  s.cell(1, 0) = 25;
  s.cell(0, 1) = 12;
  s.cell(1, 1) = 30;
}

TEST(CopyTexts, TwoByTwoAdvanceSheetByteExact) {
  BoundMap b(kOwnerAdvance);
  twoByTwo(b.sheet());
  const TableTexts t = copyTableTexts(b.sheet(), false, '.');
  EXPECT_EQ(t.sheet,
            "Label:\t###Advance 1##Vorzündung 1##Předstih 1\nLabelX:\tRPM\nLabelY:\tTP\n"
            "LabelData:\tADV\nSizeX:\t2\nSizeY:\t2\nOnlyXY:\t\n"
            "\t1 000\t12 000\n0\t10\t25\n100\t12\t30");
  EXPECT_EQ(t.plain, "\t1 000\t12 000\n0\t10\t25\n100\t12\t30");

  // A collapsed axis is left out of the plain grid and named in the sheet.
  b.sheet().y.collapsed = 1;
  b.sheet().y.collapsedIndex = 1;
  const TableTexts oneRow = copyTableTexts(b.sheet(), false, '.');
  EXPECT_EQ(oneRow.plain, "1 000\t12 000\n12\t30");
  EXPECT_NE(oneRow.sheet.find("OnlyXY:\tY\n\t1 000\t12 000\n0\t10\t25\n100\t12\t30"),
            std::string::npos);
  b.sheet().y.collapsed = 0;
  b.sheet().x.collapsed = 1;
  b.sheet().x.collapsedIndex = 0;
  EXPECT_EQ(copyTableTexts(b.sheet(), false, '.').plain, "0\t10\n100\t12");
}

TEST(CopyTexts, SelectionWithTheCzechDecimalComma) {
  MapModel m;
  m.addSheet("S", "RPM", "TP", "V", 4, 2, 0);
  AxisSetup v;
  v.minValue = -100;
  v.scale = 0.5;
  m.setAxis(0, 4, v);
  m.sheet(0).cell(1, 0) = 21;
  m.sheet(0).cell(2, 0) = -6;
  m.selectRect(kSelCells, 1, 0, 2, 0, false);
  EXPECT_EQ(copySelectionText(m.cur(), '.'), "10.5\t-3");
  {
    Language cz(2);
    EXPECT_EQ(copySelectionText(m.cur(), copyDecimalSeparator()), "10,5\t-3");
  }
  EXPECT_EQ(copyDecimalSeparator(), '.');
  // An unselected cell inside the block is an empty field; breakpoints of X
  // are one line, of Y one per line.
  m.selectRect(kSelCells, 1, 1, 1, 1, true);
  EXPECT_EQ(copySelectionText(m.cur(), '.'), "10.5\t-3\n0\t");
  m.selectRect(kSelX, 0, -1, 1, -1, false);
  EXPECT_EQ(copySelectionText(m.cur(), '.'), "0\t1");
  m.clearSelection();
  EXPECT_EQ(copySelectionText(m.cur(), '.'), "");
}

TEST(PasteReader, PlainAndBracketForms) {
  struct Case {
    const char* text;
    const char* rows;
  } cases[] = {
      {"1 200\t3", "1200 3"},
      {"1 2 3", "1 2 3"},
      {"12 34", "12 34"},
      {"1\t2\r\n3\t4\r\n", "1 2|3 4"},
      {"-1 234 567\t1 200.5", "-1234567 1200.5"},
      {"1234 567", "1234 567"},  // no digit groups after four digits
      {"0.5 123", "0.5 123"},    // nor after the point
      {"1\xC2\xA0"
       "200\t2\xE2\x80\xAF"
       "500",
       "1200 2500"},  // spreadsheet group blanks
      {"1,5\t-2", "1.5 -2"},
      {"1;2;3", "1 2 3"},
      {"1\t\t3", "1 _ 3"},
      {"1 \t2", "1 2"},
      {"1.5E+03\t12a34\t7\t1,2,3\t--1", "? ? 7 ? ?"},
      {"1\n\n2", "1||2"},
      {"{{1,2},{3,4}}", "1 2|3 4"},
      {"{{1,2},\n{3,4}}", "1 2|3 4"},
      {"int m[2][2] = {\n  {1, 2},\n  {3, 4}\n};\n", "1 2|3 4"},
      {"{1.5f, 2}", "? 2"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(shape(parsePlainText(c.text).rows), c.rows) << c.text;
  // A number longer than 64 characters is none.
  EXPECT_EQ(shape(parsePlainText(std::string(70, '1')).rows), "?");
}

TEST(PasteReader, SheetFormatFieldsAndHeader) {
  const SheetText st = parseSheetText(
      "Label:\tX\r\nLabelX:\tRPM\r\nLabelY:\tTP\r\nSizeX:\t2\r\nSizeY:\t1\r\nOnlyXY:\tY\r\n"
      "\t1 000\t2 000\r\n5\t1,5\t4x\r\n");
  EXPECT_TRUE(st.hasLabelX && st.hasLabelY);
  EXPECT_FALSE(st.hasLabelData);
  EXPECT_EQ(st.labelY, "TP");
  EXPECT_EQ(st.sizeX, 2);
  EXPECT_EQ(st.sizeY, 1);
  EXPECT_EQ(st.onlyXY, 'Y');
  EXPECT_EQ(shape({st.xValues}), "1000 2000");
  EXPECT_EQ(shape(st.cells), "1.5 ?");
  EXPECT_TRUE(isSheetText("SizeX:\t3\n"));
  EXPECT_FALSE(isSheetText("\t1\t2\n3\t4"));
}

TEST(PastePlain, IntoAdvanceCells) {
  struct Case {
    const char* text;
    int col0, row0;
    std::vector<int> row0Values, row1Values;  // cells 0..2 of rows 0 and 1
  } cases[] = {
      {"5000\t20", 0, 0, {5, 20, 2}, {15, 16, 17}},  // thousandths: 5000 -> 5
      {"{{1,2},{3,4}}", 0, 0, {1, 2, 2}, {3, 4, 17}},
      {"{{1,2},\n{3,4}}", 0, 0, {1, 2, 2}, {3, 4, 17}},
      {"7\t\t9\r\n1.5E+03\t8", 0, 0, {7, 1, 9}, {15, 8, 17}},
  };
  for (const Case& c : cases) {
    BoundMap b(kOwnerAdvance);
    b.m.selectRect(kSelCells, c.col0, c.row0, c.col0 + 1, c.row0 + 1, false);
    const PasteResult r = pastePlain(b.m, c.text);
    EXPECT_EQ(r.status, PasteStatus::Pasted) << c.text;
    for (int col = 0; col < 3; ++col) {
      EXPECT_EQ(b.sheet().cell(col, 0), c.row0Values[col]) << c.text << " col " << col;
      EXPECT_EQ(b.sheet().cell(col, 1), c.row1Values[col]) << c.text << " col " << col;
    }
    EXPECT_EQ(b.stores, 1) << c.text;  // one change
  }
}

TEST(PastePlain, SelectionCursorHeadersAndRefusals) {
  BoundMap b(kOwnerAdvance);
  // Without a selection nothing is pasted, wherever the cursor is.
  b.sheet().sel.cursorCol = 4;
  b.sheet().sel.cursorRow = 2;
  const std::vector<int32_t> before = b.sheet().v.values;
  EXPECT_EQ(pastePlain(b.m, "11\t12").status, PasteStatus::Nothing);
  EXPECT_EQ(b.sheet().v.values, before);
  EXPECT_EQ(b.stores, 0);
  // The selection is the start; the stored cells become the selection.
  b.m.selectRect(kSelCells, 4, 2, 4, 2, false);
  ASSERT_EQ(pastePlain(b.m, "11\t12").status, PasteStatus::Pasted);
  EXPECT_EQ(b.sheet().cell(5, 2), 12);
  EXPECT_EQ(b.sheet().sel.count, 2);
  EXPECT_TRUE(b.m.isSelected(ElemRef{4, 2}));
  // Into the X header row: one row only, raw = rpm / 100.
  ASSERT_EQ(pastePlainAt(b.m, "1 500\t2 500\n99", ElemRef{0, -1}).status, PasteStatus::Pasted);
  EXPECT_EQ(b.sheet().x.values[0], 15);
  EXPECT_EQ(b.sheet().x.values[1], 25);
  EXPECT_EQ(b.sheet().cell(0, 0), 0);
  // The throttle breakpoints are not editable; a disabled sheet takes nothing.
  EXPECT_EQ(pastePlainAt(b.m, "3", ElemRef{-1, 0}).status, PasteStatus::Nothing);
  b.sheet().enabled = 0;
  EXPECT_EQ(pastePlainAt(b.m, "3", ElemRef{0, 0}).status, PasteStatus::Nothing);
  b.m.sheet(0).enabled = 1;
  EXPECT_EQ(pastePlainAt(b.m, "3", ElemRef{}).status, PasteStatus::Nothing);
}

TEST(PastePlain, CollapsedAxisKeepsItsHiddenColumns) {
  // The servo map over load only: column 0 is in use, the others are hidden.
  ParamImage img = q3test::servoImage(1);
  for (int i = 0; i < 150; ++i) img.setByte(ImageByte::Servo + i, 50 + i % 7);
  BoundMap b(kOwnerServo, img);
  ASSERT_TRUE(b.sheet().x.collapsed);
  ASSERT_EQ(b.sheet().x.collapsedIndex, 0);
  b.m.selectRect(kSelCells, 0, 2, 0, 3, false);
  ASSERT_EQ(pastePlain(b.m, "1\t2\t3\n4\t5\t6").status, PasteStatus::Pasted);
  EXPECT_EQ(b.sheet().cell(0, 2), 50);  // 1 V = raw 50
  EXPECT_EQ(b.sheet().cell(0, 3), 200);
  for (int r : {2, 3})
    for (int c : {1, 2}) {
      EXPECT_EQ(b.sheet().cell(c, r), 50 + (r * 15 + c) % 7) << c << "," << r;
      EXPECT_EQ(b.img.byte(ImageByte::Servo + r * 15 + c), 50 + (r * 15 + c) % 7);
    }
}

TEST(PasteSheet, MapOneIntoMapTwoAndIntoSensorCurves) {
  BoundMap b(kOwnerAdvance);
  const std::string text = copyTableTexts(b.m.sheet(0), false, '.').sheet;
  b.m.selectSheet(1);
  ASSERT_NE(b.m.sheet(1).cell(3, 3), b.m.sheet(0).cell(3, 3));
  ASSERT_EQ(pasteText(b.m, text).status, PasteStatus::Pasted);
  for (int r = 0; r < 10; ++r)
    for (int c = 0; c < 15; ++c) ASSERT_EQ(b.m.sheet(1).cell(c, r), b.m.sheet(0).cell(c, r));
  EXPECT_EQ(b.img.byte(ImageByte::Advance2 + 33), b.img.byte(ImageByte::Advance + 33));
  EXPECT_EQ(b.stores, 1);

  // The pressure and lambda curves have other labels: nothing, silently.
  for (int owner : {kOwnerIapCurve, kOwnerLambdaCurve}) {
    BoundMap curve(owner);
    const std::vector<int32_t> before = curve.sheet().v.values;
    const PasteResult r = pasteText(curve.m, text);
    EXPECT_EQ(r.status, PasteStatus::Nothing) << owner;
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(curve.sheet().v.values, before) << owner;
    EXPECT_EQ(curve.stores, 0);
  }
}

TEST(PasteSheet, DimensionsThatMayAndMayNotChange) {
  BoundMap source(kOwnerAdvance);
  auto sheetWith = [&](int cols, int rows) {
    MapSheet s = source.m.sheet(0);
    s.x.count = cols;
    s.y.count = rows;
    return copyTableTexts(s, false, '.').sheet;
  };
  struct Case {
    std::string text;
    PasteStatus status;
    int columns;
  } cases[] = {
      {sheetWith(10, 10), PasteStatus::Pasted, 10},  // the engine-speed axis shrinks
      {sheetWith(15, 8), PasteStatus::Refused, 15},  // the throttle axis is fixed
      {sheetWith(15, 10), PasteStatus::Pasted, 15},
  };
  for (const Case& c : cases) {
    BoundMap b(kOwnerAdvance);
    const PasteResult r = pasteSheet(b.m, c.text);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(b.sheet().x.count, c.columns);
    EXPECT_EQ(b.img.byte(ImageByte::AdvColumns), c.columns);
    if (c.status == PasteStatus::Refused) {
      EXPECT_EQ(r.message, dimensionMessage());
      EXPECT_NE(r.message.find("Table dimensions are not eqal"), std::string::npos);
      EXPECT_EQ(b.stores, 0);
    }
  }
}

TEST(PasteSheet, SizesAndGridsThatDoNotHoldTogetherAreRefused) {
  const std::string head = "LabelX:\tRPM\nLabelY:\tTP\nLabelData:\tADV\n";
  std::string row = "0";
  for (int c = 0; c < 15; ++c) row += "\t5";
  std::string grid = "";
  for (int c = 0; c < 15; ++c) grid += "\t" + std::to_string(1000 * (c + 1));
  for (int r = 0; r < 10; ++r) grid += "\n" + row;
  struct Case {
    std::string text;
    PasteStatus status;
  } cases[] = {
      {head + "SizeX:\t15\nSizeY:\t10\n" + grid, PasteStatus::Pasted},
      {head + "SizeX:\t51\nSizeY:\t10\n" + grid, PasteStatus::Refused},
      // No columns or no rows: nothing to paste, and nothing is said.
      {head + "SizeX:\t0\nSizeY:\t10\n" + grid, PasteStatus::Nothing},
      {head + "SizeX:\t15\nSizeY:\t-1\n" + grid, PasteStatus::Nothing},
      {head + "SizeX:\t15\nSizeY:\t10\n" + grid.substr(0, grid.rfind('\n')), PasteStatus::Refused},
      {head + "SizeX:\t15\nSizeY:\t10\n" + grid + "\t7", PasteStatus::Refused},
      {head + "SizeX:\t50\nSizeY:\t10\n" + grid, PasteStatus::Refused},  // says 50, has 15
      {head + "SizeX:\t15\nSizeY:\t10\n", PasteStatus::Refused},
      // The engine-speed axis of an advance map is never given up (the
      // request is dropped); the fixed throttle axis is collapsed as asked.
      {head + "SizeX:\t15\nSizeY:\t10\nOnlyXY:\tX\n" + grid, PasteStatus::Pasted},
      {head + "SizeX:\t15\nSizeY:\t10\nOnlyXY:\tY\n" + grid, PasteStatus::Pasted},
      {"LabelX:\tXYZ\nSizeX:\t15\nSizeY:\t10\n" + grid, PasteStatus::Nothing},
  };
  for (const Case& c : cases) {
    BoundMap b(kOwnerAdvance);
    const std::vector<int32_t> before = b.sheet().v.values;
    EXPECT_EQ(pasteSheet(b.m, c.text).status, c.status) << c.text;
    if (c.status != PasteStatus::Pasted) {
      EXPECT_EQ(b.sheet().v.values, before);
      EXPECT_FALSE(b.sheet().x.collapsed || b.sheet().y.collapsed);
    }
  }
  // The servo map takes over the use of one axis either way: its fixed
  // throttle axis and its resizable engine-speed axis.
  ParamImage servoImage = advanceImage();
  servoImage.setByte(ImageByte::ServoEnable, 1);
  servoImage.setByte(ImageByte::ServoMap, 2);
  BoundMap servo(kOwnerServo, servoImage);
  ASSERT_FALSE(servo.sheet().y.collapsed || servo.sheet().x.collapsed);
  MapSheet src = servo.sheet();
  src.y.collapsed = 1;
  const std::string text = copyTableTexts(src, false, '.').sheet;
  EXPECT_EQ(pasteSheet(servo.m, text).status, PasteStatus::Pasted);
  EXPECT_TRUE(servo.sheet().y.collapsed);
  BoundMap servo2(kOwnerServo, servoImage);
  src.y.collapsed = 0;
  src.x.collapsed = 1;
  ASSERT_EQ(pasteSheet(servo2.m, copyTableTexts(src, false, '.').sheet).status,
            PasteStatus::Pasted);
  EXPECT_TRUE(servo2.sheet().x.collapsed);
}

TEST(PasteSheet, FiftyByThirtyRoundTripsWhole) {
  MapModel m;
  m.addSheet("Big", "RPM", "TP", "V", 50, 30, 0);
  AxisSetup a;
  a.name = "A";
  a.maxValue = 100000;
  a.editable = 1;
  a.resizable = 1;
  a.count = 50;
  m.setAxis(0, 1, a);
  a.count = 30;
  m.setAxis(0, 2, a);
  a.maxValue = 1000000;
  a.minValue = -1000000;
  m.setAxis(0, 4, a);
  for (int c = 0; c < 50; ++c) m.sheet(0).x.values[static_cast<size_t>(c)] = 1000 * (c + 1);
  for (int r = 0; r < 30; ++r) m.sheet(0).y.values[static_cast<size_t>(r)] = 1000 * (r + 1);
  for (int r = 0; r < 30; ++r)
    for (int c = 0; c < 50; ++c) m.sheet(0).cell(c, r) = -123456 + 7 * (r * 50 + c);
  const TableTexts t = copyTableTexts(m.sheet(0), false, '.');
  EXPECT_GT(t.sheet.size(), 9000u);
  MapModel copy = m;
  for (int r = 0; r < 30; ++r)
    for (int c = 0; c < 50; ++c) copy.sheet(0).cell(c, r) = 0;
  ASSERT_EQ(pasteSheet(copy, t.sheet).status, PasteStatus::Pasted);
  EXPECT_EQ(copy.sheet(0).v.values, m.sheet(0).v.values);
  // The CSV of the same table comes back the same way.
  for (int r = 0; r < 30; ++r)
    for (int c = 0; c < 50; ++c) copy.sheet(0).cell(c, r) = 0;
  ASSERT_EQ(importCsv(copy, tableCsv(m.sheet(0), false, ',')).status, PasteStatus::Pasted);
  EXPECT_EQ(copy.sheet(0).v.values, m.sheet(0).v.values);
}

}  // namespace
}  // namespace q3
