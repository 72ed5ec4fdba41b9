// The main window's maps bound to the parameter image: load, store with
// unused columns filled, the load sensor, the servo percent switch, the
// sensor curves and the power-output tables.
#include "maps/map_defs.h"

#include <gtest/gtest.h>

#include "params/address_map.h"
#include "params/param_model.h"

namespace q3 {
namespace {

// An image with increasing engine-speed axes and distinct advance cells.
ParamImage advanceImage(int sensor, int advMap) {
  ParamImage img;
  img.setByte(ImageByte::TpsIapSensor, sensor);
  img.setByte(ImageByte::AdvMap, advMap);
  img.setByte(ImageByte::Adv2Map, advMap);
  img.setByte(ImageByte::AdvColumns, 15);
  img.setByte(ImageByte::Adv2Columns, 15);
  img.setByte(ImageByte::BaseAdv, 12);
  img.setByte(ImageByte::Limiter, 120);
  img.setByte(ImageByte::StartLim, 40);
  for (int c = 0; c < 15; ++c) {
    img.setByte(ImageByte::RpmAdv + c, 10 + 10 * c);
    img.setByte(ImageByte::RpmAdv2 + c, 12 + 10 * c);
  }
  for (int i = 0; i < 150; ++i) {
    img.setByte(ImageByte::Advance + i, 100 + i % 40);
    img.setByte(ImageByte::Advance2 + i, 90 + i % 30);
  }
  for (int r = 0; r < 10; ++r) {
    img.setWord(ImageWord::AdvIap + r, 20 + 10 * r);
    img.setWord(ImageWord::Adv2Iap + r, 25 + 10 * r);
  }
  return img;
}

MapModel makeMap(int owner) {
  MapModel m(mapControlSetup(owner).options, owner);
  defineMap(m);
  return m;
}

TEST(AdvanceMaps, StoreWithTwelveColumnsFillsTheRest) {
  ParamImage img = advanceImage(1, 1);
  MapModel m = makeMap(kOwnerAdvance);
  loadMap(m, img);
  ASSERT_EQ(m.sheetCount(), 2);
  MapSheet& s = m.sheet(0);
  EXPECT_EQ(s.x.count, 15);
  EXPECT_EQ(s.cell(3, 2), img.byte(ImageByte::Advance + 2 * 15 + 3) - 100);
  s.x.count = 12;
  for (int r = 0; r < 10; ++r) s.cell(11, r) = -5 + r;
  storeMap(m, img);
  EXPECT_EQ(img.byte(ImageByte::AdvColumns), 12);
  for (int r = 0; r < 10; ++r)
    for (int c = 11; c < 15; ++c)
      EXPECT_EQ(img.byte(ImageByte::Advance + 15 * r + c), 95 + r) << r << "," << c;
  // Map 2 is not touched by a store of map 1.
  EXPECT_EQ(img.byte(ImageByte::Adv2Columns), 15);
  loadMap(m, img);
  EXPECT_EQ(m.sheet(0).x.count, 12);
  EXPECT_EQ(m.sheet(0).cell(11, 9), 4);
}

TEST(AdvanceMaps, LoadSensorShapesTheLoadAxis) {
  struct Case {
    int sensor, advMap;
    const char* name;
    int editable, collapsed, usage, row3;
  } cases[] = {
      {1, 1, "TP", 0, 0, 1, 10},   // fixed throttle steps
      {2, 1, "IAP", 1, 0, 1, 50},  // words 6..15
      {2, 0, "IAP", 1, 1, 1, 50},
      {0, 1, "TP", 0, 1, 2, -1},
  };
  for (const Case& c : cases) {
    MapModel m = makeMap(kOwnerAdvance);
    loadMap(m, advanceImage(c.sensor, c.advMap));
    const MapSheet& s = m.sheet(0);
    EXPECT_EQ(s.y.name, c.name) << c.sensor;
    EXPECT_EQ(s.y.editable, c.editable) << c.sensor;
    EXPECT_EQ(s.y.collapsed, c.collapsed) << c.sensor << " " << c.advMap;
    EXPECT_EQ(s.y.usage, c.usage) << c.sensor;
    if (c.row3 >= 0) {
      EXPECT_EQ(s.y.values[3], c.row3) << c.sensor;
    }
  }
  MapModel m = makeMap(kOwnerAdvance);
  loadMap(m, advanceImage(2, 1));
  EXPECT_EQ(m.sheet(1).y.values[0], 25);
  EXPECT_EQ(m.baseAdvance, 12);
  EXPECT_EQ(m.revLimiter, 12000);
  EXPECT_EQ(m.startLimiter, 4000);
  // Each sheet carries the other map for comparison.
  EXPECT_EQ(m.sheet(0).x.compareValues[0], 12);
  EXPECT_EQ(m.sheet(1).v.compareValues[0], 0);
}

TEST(AdvanceMaps, StoreWritesAxisModeLimitsAndKeepsPressureAxis) {
  // No load sensor: ADV_MAP is stored as 0.
  ParamImage img = advanceImage(0, 1);
  MapModel m = makeMap(kOwnerAdvance);
  loadMap(m, img);
  storeMap(m, img);
  EXPECT_EQ(img.byte(ImageByte::AdvMap), 0);

  // Throttle sensor with the load axis in use: the pressure axis stays.
  img = advanceImage(1, 1);
  loadMap(m, img);
  m.baseAdvance = 15;
  m.revLimiter = 11050;
  storeMap(m, img);
  EXPECT_EQ(img.word(ImageWord::AdvIap + 3), 50);
  EXPECT_EQ(img.byte(ImageByte::AdvMap), 1);
  EXPECT_EQ(img.byte(ImageByte::BaseAdv), 15);
  EXPECT_EQ(img.byte(ImageByte::Limiter), 110);

  // Pressure sensor: the edited pressure axis is written back.
  img = advanceImage(2, 1);
  loadMap(m, img);
  m.sheet(0).y.values[3] = 51;
  storeMap(m, img);
  EXPECT_EQ(img.word(ImageWord::AdvIap + 3), 51);
  EXPECT_EQ(img.word(ImageWord::Adv2Iap + 3), 55);
}

TEST(AdvanceMaps, OwnerNotificationStoresEachEdit) {
  ParamImage img = advanceImage(1, 1);
  MapModel m = makeMap(kOwnerAdvance);
  loadMap(m, img);
  int stores = 0;
  m.setOwnerNotify([&](MapModel& t) {
    storeMap(t, img);
    reloadMap(t, img);
    ++stores;
  });
  m.selectSheet(1);
  ASSERT_TRUE(m.enterText(ElemRef{0, 0}, "-7"));
  EXPECT_EQ(stores, 1);
  EXPECT_EQ(img.byte(ImageByte::Advance2), 93);
  ASSERT_TRUE(m.enterText(ElemRef{0, 0}, "99"));  // clamped to the range
  EXPECT_EQ(img.byte(ImageByte::Advance2), 160);

  // The elastic rule survives the store and reload of every edit:
  // 22, 32, 42 ... pushed by 60 at column 2 spring back when it returns.
  ASSERT_TRUE(m.enterText(ElemRef{2, -1}, "6000"));
  EXPECT_EQ(img.byte(ImageByte::RpmAdv2 + 3), 61);
  ASSERT_TRUE(m.enterText(ElemRef{2, -1}, "3200"));
  EXPECT_EQ(img.byte(ImageByte::RpmAdv2 + 3), 42);
  EXPECT_EQ(img.byte(ImageByte::RpmAdv2 + 4), 52);
}

// A selection made while both axes were in use keeps only the shown row once
// a reload collapses the load axis (load sensor NO, an undo to "Only RPM"):
// "+", the wheel and interpolation then write that row and nothing hidden.
TEST(AdvanceMaps, AReloadThatCollapsesAnAxisClipsTheSelection) {
  enum Edit { Plus, Wheel, Interpolate };
  for (Edit edit : {Plus, Wheel, Interpolate}) {
    for (bool byUndo : {false, true}) {
      ParamImage img = advanceImage(1, 1);
      MapModel m = makeMap(kOwnerAdvance);
      loadMap(m, img);
      m.setOwnerNotify([&](MapModel& t) {
        storeMap(t, img);
        reloadMap(t, img);
      });
      m.selectSheet(1);
      m.selectAllCells();
      ASSERT_EQ(m.cur().sel.count, 150);
      if (byUndo)
        img.setByte(ImageByte::Adv2Map, 0);  // the image of before "RPM and TP"
      else
        img.setByte(ImageByte::TpsIapSensor, 0);
      reloadMap(m, img);
      const MapSheet& s = m.cur();
      ASSERT_TRUE(s.y.collapsed);
      const int shown = s.y.collapsedIndex;
      EXPECT_EQ(m.cur().sel.count, 15);
      const ParamImage before = img;
      m.cur().sel.cursorCol = 3;
      m.cur().sel.cursorRow = shown;
      if (edit == Interpolate) {
        // A ramp along the shown row, so interpolation changes its middle.
        m.cur().cell(0, shown) = -5;
        m.cur().cell(14, shown) = 40;
        ASSERT_TRUE(m.interpolate());
      } else {
        ASSERT_TRUE(edit == Plus ? m.incrementCursor(1) : m.incrementActual(1));
        for (int i = 0; i < 20; ++i) m.timerStep();  // the step's change is stored at its deadline
      }
      int changedShown = 0;
      for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 15; ++c) {
          const int a = ImageByte::Advance2 + r * 15 + c;
          if (r != shown)
            EXPECT_EQ(img.byte(a), before.byte(a))
                << edit << byUndo << " row " << r << " col " << c;
          else
            changedShown += img.byte(a) != before.byte(a);
        }
      EXPECT_GT(changedShown, 0) << edit << byUndo;
    }
  }
}

TEST(AdvanceMaps, ElementsThatDifferFromTheUnitsCopy) {
  const ParamImage pc = advanceImage(1, 1);
  ParamImage unit = pc;
  unit.setByte(ImageByte::Advance + 2 * 15 + 3, unit.byte(ImageByte::Advance + 2 * 15 + 3) + 1);
  unit.setByte(ImageByte::RpmAdv2 + 4, unit.byte(ImageByte::RpmAdv2 + 4) + 1);
  MapModel m = makeMap(kOwnerAdvance);
  loadMap(m, pc);
  loadUnitCopy(m, unit, true);
  int cells = 0, breakpoints = 0;
  for (int sh = 0; sh < 2; ++sh)
    for (int r = -1; r < 10; ++r)
      for (int c = -1; c < 15; ++c) {
        const bool d = differsFromUnit(m.sheet(sh), ElemRef{c, r});
        (r >= 0 && c >= 0 ? cells : breakpoints) += d;
        if (d) {
          EXPECT_TRUE((sh == 0 && c == 3 && r == 2) || (sh == 1 && c == 4 && r == -1))
              << c << "," << r;
        }
      }
  EXPECT_EQ(cells, 1);
  EXPECT_EQ(breakpoints, 1);
  // An edit on the PC side that brings the cell back clears its mark.
  m.sheet(0).cell(3, 2) += 1;
  EXPECT_FALSE(differsFromUnit(m.sheet(0), ElemRef{3, 2}));
  // Without a valid unit copy nothing is marked.
  loadUnitCopy(m, unit, false);
  EXPECT_FALSE(differsFromUnit(m.sheet(1), ElemRef{4, -1}));
}

TEST(ServoMap, EnableDisableIsStoredAsOneUndoStep) {
  ParamModel params;
  params.image() = advanceImage(1, 1);
  params.image().setByte(ImageByte::ServoEnable, 1);
  params.resetHistory(5);
  MapModel m = makeMap(kOwnerServo);
  loadMap(m, params.image());
  int notes = 0;
  m.setOwnerNotify([&](MapModel& t) {
    storeMap(t, params.image());
    reloadMap(t, params.image());
    params.snapshot(5);
    ++notes;
  });
  ASSERT_TRUE(m.cur().enabled);
  ASSERT_TRUE(m.toggleEnabled());
  EXPECT_EQ(notes, 1);
  EXPECT_EQ(params.image().byte(ImageByte::ServoEnable), 0);
  EXPECT_FALSE(m.cur().enabled);  // and it stays so after the reload
  ASSERT_TRUE(params.stepBack());
  params.restoreCurrent();
  EXPECT_FALSE(params.canUndo());
  EXPECT_EQ(params.image().byte(ImageByte::ServoEnable), 1);
  // The advance maps cannot be disabled.
  MapModel adv = makeMap(kOwnerAdvance);
  EXPECT_FALSE(adv.toggleEnabled());
  EXPECT_TRUE(adv.cur().enabled);
}

TEST(ServoMap, PercentSwitchConvertsCellsBothWays) {
  ParamImage img;
  img.setByte(ImageByte::TpsIapSensor, 1);
  img.setByte(ImageByte::ServoMap, 2);
  img.setByte(ImageByte::ServoColumns, 15);
  for (int c = 0; c < 15; ++c) img.setByte(ImageByte::ServoRpm + c, 10 + 10 * c);
  img.setByte(ImageByte::Servo, 100);
  MapModel m = makeMap(kOwnerServo);
  loadMap(m, img);
  EXPECT_EQ(valueText(m.sheet(0).cell(0, 0), m.sheet(0).v.scale, m.sheet(0).v.unit.c_str()), "2 V");
  setServoPercent(img, true);
  loadMap(m, img);
  EXPECT_EQ(m.sheet(0).cell(0, 0), 40);
  EXPECT_EQ(m.sheet(0).v.unit, "%");
  EXPECT_EQ(m.sheet(0).v.label, "STPS [%]");
  setServoPercent(img, true);  // already in percent: no second conversion
  EXPECT_EQ(img.byte(ImageByte::Servo), 40);
  setServoPercent(img, false);
  EXPECT_EQ(img.byte(ImageByte::Servo), 100);
}

TEST(ServoMap, DimensionModesAndEnableFlag) {
  struct Case {
    int sensor, mode, xCollapsed, yCollapsed, stored;
  } cases[] = {{1, 0, 0, 1, 0}, {1, 1, 1, 0, 1}, {1, 2, 0, 0, 2}, {0, 2, 0, 1, 0}};
  for (const Case& c : cases) {
    ParamImage img;
    img.setByte(ImageByte::TpsIapSensor, c.sensor);
    img.setByte(ImageByte::ServoMap, c.mode);
    img.setByte(ImageByte::ServoColumns, 15);
    img.setByte(ImageByte::ServoEnable, 1);
    MapModel m = makeMap(kOwnerServo);
    loadMap(m, img);
    EXPECT_EQ(m.sheet(0).x.collapsed, c.xCollapsed) << c.mode;
    EXPECT_EQ(m.sheet(0).y.collapsed, c.yCollapsed) << c.mode;
    m.sheet(0).enabled = 0;
    storeMap(m, img);
    EXPECT_EQ(img.byte(ImageByte::ServoMap), c.stored) << c.mode;
    EXPECT_EQ(img.byte(ImageByte::ServoEnable), 0);
  }
}

TEST(SensorCurves, LoadStoreAndVisibility) {
  ParamImage img;
  img.setByte(ImageByte::TpsIapSensor, 1);
  img.setWord(ImageWord::TpsLow, 700);
  img.setWord(ImageWord::TpsHigh, 3790);
  MapModel tp = makeMap(kOwnerTpsCurve);
  loadMap(tp, img);
  const MapSheet& s = tp.sheet(0);
  EXPECT_TRUE(s.x.collapsed);
  EXPECT_EQ(s.shownRows(), 2);
  EXPECT_EQ(valueText(s.cell(0, 1), s.v.scale, s.v.unit.c_str()), "3.79 V");
  tp.sheet(0).cell(0, 0) = 650;  // "TP 0 %" with a live sensor voltage of 650 mV
  storeMap(tp, img);
  EXPECT_EQ(img.word(ImageWord::TpsLow), 650);
  EXPECT_TRUE(mapVisible(kOwnerTpsCurve, img));
  EXPECT_FALSE(mapVisible(kOwnerIapCurve, img));

  img.setByte(ImageByte::LambdaCurveBytes + 5, 170);
  img.setWord(ImageWord::LambdaCurveWords + 5, 900);
  MapModel lambda = makeMap(kOwnerLambdaCurve);
  loadMap(lambda, img);
  EXPECT_EQ(lambda.sheet(0).y.values[5], 170);
  EXPECT_EQ(lambda.sheet(0).cell(0, 5), 900);
  // The lambda curve follows its "AFR" axis: the marker stands on the first row.
  lambda.setLiveValues(3000, 0, 0, 0);
  lambda.updateActual();
  EXPECT_EQ(lambda.sheet(0).actualRow, 0);
  EXPECT_EQ(lambda.sheet(0).actualState, 1);
}

TEST(PowerOutputs, FunctionShapesTheConditionMapAndPwmTable) {
  ParamImage img;
  img.setByte(ImageByte::TpsIapSensor, 1);
  img.setByte(ImageByte::PoutFunction + 1, 2);  // output 2: shift light
  img.setByte(ImageByte::PoutThreshold + 3, 80);
  img.setByte(ImageByte::PoutThreshold + 4, 80);
  MapModel cond = makeMap(kOwnerPoutCondition + 1);
  loadMap(cond, img);
  const MapSheet& s = cond.sheet(0);
  EXPECT_EQ(s.x.count, 2);
  EXPECT_EQ(s.x.minGap, 0);
  EXPECT_EQ(s.x.values[1], 80);  // equal thresholds are allowed
  EXPECT_TRUE(s.y.collapsed);
  EXPECT_FALSE(s.v.editable);
  EXPECT_EQ(s.cell(1, 0), 3);
  EXPECT_TRUE(mapVisible(kOwnerPoutCondition + 1, img));
  EXPECT_FALSE(mapVisible(kOwnerPoutPwm + 1, img));

  img.setByte(ImageByte::PoutFunction + 2, 255);
  img.setByte(ImageByte::PoutCondition + 6 + 1, 0x5);
  MapModel special = makeMap(kOwnerPoutCondition + 2);
  loadMap(special, img);
  EXPECT_EQ(special.sheet(0).x.count, 3);
  EXPECT_EQ(special.sheet(0).cell(2, 1), 1);
  special.sheet(0).cell(3, 1) = 1;
  storeMap(special, img);
  EXPECT_EQ(img.byte(ImageByte::PoutCondition + 6 + 1), 0xD);

  img.setByte(ImageByte::PoutFunction, 253);
  img.setByte(ImageByte::PoutPulse, 31);
  img.setByte(ImageByte::PoutPwmTable + 6 + 2, 77);
  MapModel pwm = makeMap(kOwnerPoutPwm);
  loadMap(pwm, img);
  EXPECT_EQ(pwm.sheet(0).v.name, "T");
  EXPECT_EQ(pwm.sheet(0).v.minValue, 4);
  EXPECT_EQ(pwm.sheet(0).cell(2, 1), 77);
  EXPECT_TRUE(mapVisible(kOwnerPoutPwm, img));
}

}  // namespace
}  // namespace q3
