// Definitions of the main window's maps and their transfer to and from the
// parameter image.
#include "maps/map_defs.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "params/address_map.h"

namespace q3 {

namespace {

const std::vector<GridRange> kRpmGrid = {{4000, {2000, 1000, 200, 1000}},
                                         {10000, {2000, 1000, 500, 1000}},
                                         {25000, {2000, 1000, 1000, 2000}}};
const std::vector<GridRange> kAdvanceGrid = {{10, {5, 1, 1, 2}}, {30, {5, 5, 5, 5}}};
const std::vector<GridRange> kVoltGrid = {{2, {1, 0.2, 0.2, 1}}, {5, {1, 0.5, 0.5, 1}}};
const std::vector<GridRange> kPercentGrid = {
    {10, {5, 1, 1, 2}}, {30, {5, 5, 5, 5}}, {100, {20, 10, 5, 20}}, {500, {100, 50, 25, 100}}};
const std::vector<GridRange> kSensorGrid = {{10, {2, 1, 1, 2}},
                                            {100, {20, 20, 20, 20}},
                                            {500, {100, 100, 100, 100}},
                                            {1000, {200, 200, 200, 200}}};

const int kTpBreakpoints[kMapRows] = {0, 2, 5, 10, 20, 30, 40, 60, 80, 100};

constexpr uint32_t kAdvanceColour = 0xFCE2F4;
constexpr uint32_t kServoColour = 0xCEDBFF;
constexpr uint32_t kServoPercentColour = 0xCEF0FF;
constexpr uint32_t kSensorColour = 0xA0E0C0;
constexpr uint32_t kLambdaColour = 0xECD2F4;

AxisSetup rpmAxis(int count, int maxCount) {
  AxisSetup a;
  a.name = "RPM";
  a.minValue = 3;
  a.maxValue = 250;
  a.scale = 100;
  a.minGap = 1;
  a.grid = kRpmGrid;
  a.editable = 1;
  a.options = 1;
  a.minCount = 1;
  a.count = std::clamp(count, 1, maxCount);
  a.collapsedPreference = -1;
  return a;
}

int loadSensor(const ParamImage& img) {
  return std::min<int>(img.byte(ImageByte::TpsIapSensor), 2);
}

// The load axis (Y) of a map that follows the load sensor. Sets name, unit,
// range, editability; breakpoints come from the pressure words with sensor 2
// and are the fixed throttle steps with sensor 1.
void loadAxisForSensor(MapSheet& s, int sensor, int pressureWord, const ParamImage& img, int rows) {
  SheetAxis& y = s.y;
  if (sensor == 2) {
    y.name = y.label = "IAP";
    y.unit = "kPa";
    y.minValue = 0;
    y.maxValue = 999;
    y.editable = 1;
    for (int r = 0; r < rows; ++r) y.values[static_cast<size_t>(r)] = img.word(pressureWord + r);
  } else {
    y.name = y.label = "TP";
    y.unit = "%";
    y.minValue = 0;
    y.maxValue = 100;
    y.editable = 0;
    if (sensor == 1 && rows == kMapRows)
      for (int r = 0; r < rows; ++r) y.values[static_cast<size_t>(r)] = kTpBreakpoints[r];
  }
  if (sensor == 0) {
    y.usage = 2;
    y.collapsed = 1;
  }
}

// Cells of a 10 x 15 map at base, stored with offset.
void loadCells(MapSheet& s, const ParamImage& img, int base, int offset) {
  for (int r = 0; r < kMapRows; ++r)
    for (int c = 0; c < kMapColumns; ++c)
      s.cell(c, r) = img.byte(base + r * kMapColumns + c) - offset;
}

// Stores the cells; columns beyond the used count take the last used column.
void storeCells(const MapSheet& s, ParamImage& img, int base, int offset) {
  const int n = std::clamp(s.x.count, 1, kMapColumns);
  for (int r = 0; r < kMapRows; ++r)
    for (int c = 0; c < kMapColumns; ++c)
      img.setByte(base + r * kMapColumns + c, s.cell(std::min(c, n - 1), r) + offset);
}

void loadRpmAxis(MapSheet& s, const ParamImage& img, int base, int columnsByte) {
  for (int c = 0; c < kMapColumns; ++c) s.x.values[static_cast<size_t>(c)] = img.byte(base + c);
  s.x.count = std::clamp<int>(img.byte(columnsByte), 1, kMapColumns);
}

void storeRpmAxis(const MapSheet& s, ParamImage& img, int base, int columnsByte) {
  for (int c = 0; c < kMapColumns; ++c) img.setByte(base + c, s.x.values[static_cast<size_t>(c)]);
  img.setByte(columnsByte, std::clamp(s.x.count, 1, kMapColumns));
}

void finishLoad(MapModel& m) {
  for (int i = 0; i < m.sheetCount(); ++i)
    m.normalizeAxes(i, kNormalizeForget | kChangeX | kChangeY | kChangeCells);
  m.computeIndices();
  m.copyValuesToPrevious();
  m.updateActual();
}

// ---------------------------------------------------------------------------
// Advance maps

void defineAdvance(MapModel& m) {
  static const char* names[2] = {"###Advance 1##Vorzündung 1##Předstih 1",
                                 "###Advance 2##Vorzündung 2##Předstih 2"};
  static const uint32_t colours[2][3] = {{0x0000FF, 0xFFC0C0, 0xFF00C0},
                                         {0xFF0000, 0xA0C0FF, 0xC000FF}};
  for (int i = 0; i < 2; ++i) {
    int s = m.addSheet(names[i], "RPM", "TP", "###Advance##Vorzündung##Předstih", kMapColumns,
                       kMapRows, 0x0701);
    AxisSetup x = rpmAxis(kMapColumns, kMapColumns);
    x.usage = 0;
    x.resizable = 1;
    x.graphGroup = 256;
    x.headerColour = kAdvanceColour;
    m.setAxis(s, 1, x);
    AxisSetup y;
    y.name = "TP";
    y.unit = "%";
    y.maxValue = 100;
    y.options = 1;
    y.count = kMapRows;
    y.minCount = 1;
    y.usage = 1;
    y.collapsedPreference = -2;
    y.graphGroup = 256;
    y.headerColour = kAdvanceColour;
    m.setAxis(s, 2, y);
    AxisSetup v;
    v.name = "ADV";
    v.unit = "°";
    v.minValue = -30;
    v.maxValue = 60;
    v.grid = kAdvanceGrid;
    v.editable = 1;
    v.options = 3;
    v.graphGroup = 256;
    m.setAxis(s, 4, v);
    for (int k = 0; k < 3; ++k) m.sheet(s).colours[k] = colours[i][k];
  }
}

void loadAdvance(MapModel& m, const ParamImage& img) {
  const int sensor = loadSensor(img);
  for (int i = 0; i < 2 && i < m.sheetCount(); ++i) {
    MapSheet& s = m.sheet(i);
    loadRpmAxis(s, img, i == 0 ? ImageByte::RpmAdv : ImageByte::RpmAdv2,
                i == 0 ? ImageByte::AdvColumns : ImageByte::Adv2Columns);
    s.y.usage = 1;
    s.y.collapsed = img.byte(i == 0 ? ImageByte::AdvMap : ImageByte::Adv2Map) == 0;
    loadAxisForSensor(s, sensor, i == 0 ? ImageWord::AdvIap : ImageWord::Adv2Iap, img, kMapRows);
    loadCells(s, img, i == 0 ? ImageByte::Advance : ImageByte::Advance2, 100);
  }
  // Each map carries the other one as its comparison curve.
  for (int i = 0; i < 2 && m.sheetCount() == 2; ++i) {
    MapSheet& s = m.sheet(i);
    const MapSheet& o = m.sheet(1 - i);
    s.x.compareValues = o.x.values;
    s.x.compareCount = o.x.count;
    s.v.compareValues = o.v.values;
  }
  m.baseAdvance = img.byte(ImageByte::BaseAdv);
  m.revLimiter = img.byte(ImageByte::Limiter) * 100;
  m.startLimiter = img.byte(ImageByte::StartLim) * 100;
  finishLoad(m);
}

void storeAdvance(MapModel& m, ParamImage& img) {
  const int i = m.current();
  const MapSheet& s = m.sheet(i);
  storeRpmAxis(s, img, i == 0 ? ImageByte::RpmAdv : ImageByte::RpmAdv2,
               i == 0 ? ImageByte::AdvColumns : ImageByte::Adv2Columns);
  storeCells(s, img, i == 0 ? ImageByte::Advance : ImageByte::Advance2, 100);
  const int mapByte = i == 0 ? ImageByte::AdvMap : ImageByte::Adv2Map;
  // The pressure axis is written back only while the map uses it and the
  // pressure sensor is chosen: the fixed throttle steps must not overwrite it.
  if (img.byte(mapByte) == 1 && loadSensor(img) == 2)
    for (int r = 0; r < kMapRows; ++r)
      img.setWord((i == 0 ? ImageWord::AdvIap : ImageWord::Adv2Iap) + r,
                  s.y.values[static_cast<size_t>(r)]);
  img.setByte(mapByte, s.y.collapsed ? 0 : 1);
  img.setByte(ImageByte::BaseAdv, m.baseAdvance);
  img.setByte(ImageByte::Limiter, m.revLimiter / 100);
  img.setByte(ImageByte::StartLim, m.startLimiter / 100);
}

// ---------------------------------------------------------------------------
// Servo map

void servoValueAxis(MapModel& m, bool percent) {
  AxisSetup v;
  if (percent) {
    v.name = "[%]";
    v.unit = "%";
    v.maxValue = 100;
    v.scale = 1;
    v.grid = kPercentGrid;
  } else {
    v.name = "U";
    v.unit = "V";
    v.maxValue = 250;
    v.scale = 0.02;
    v.grid = kVoltGrid;
  }
  v.editable = 1;
  v.options = 3;
  m.setAxis(0, 4, v);
  m.sheet(0).v.label = percent ? "STPS [%]" : "STPS [V]";
  m.sheet(0).x.headerColour = percent ? kServoPercentColour : kServoColour;
}

void defineServo(MapModel& m) {
  int s = m.addSheet("Servo", "RPM", "TP", "STPS[V]", kMapColumns, kMapRows, 0x0609);
  AxisSetup x = rpmAxis(kMapColumns, kMapColumns);
  x.usage = 1;
  x.resizable = 1;
  x.headerColour = kServoColour;
  m.setAxis(s, 1, x);
  AxisSetup y;
  y.name = "TP";
  y.unit = "%";
  y.maxValue = 100;
  y.options = 0;
  y.count = kMapRows;
  y.usage = 1;
  y.collapsedPreference = -2;
  m.setAxis(s, 2, y);
  servoValueAxis(m, false);
}

void loadServo(MapModel& m, const ParamImage& img) {
  MapSheet& s = m.sheet(0);
  const int sensor = loadSensor(img);
  servoValueAxis(m, img.byte(ImageByte::ServoPercent) != 0);
  loadRpmAxis(s, img, ImageByte::ServoRpm, ImageByte::ServoColumns);
  s.y.usage = 1;
  loadAxisForSensor(s, sensor, ImageWord::ServoIap, img, kMapRows);
  int mode = sensor == 0 ? 0 : std::min<int>(img.byte(ImageByte::ServoMap), 2);
  s.y.collapsed = mode == 0;
  s.x.collapsed = mode == 1;
  loadCells(s, img, ImageByte::Servo, 0);
  s.enabled = img.byte(ImageByte::ServoEnable) != 0;
  m.revLimiter = img.byte(ImageByte::Limiter) * 100;
  m.startLimiter = img.byte(ImageByte::StartLim) * 100;
  finishLoad(m);
}

void storeServo(MapModel& m, ParamImage& img) {
  const MapSheet& s = m.sheet(0);
  storeRpmAxis(s, img, ImageByte::ServoRpm, ImageByte::ServoColumns);
  storeCells(s, img, ImageByte::Servo, 0);
  if (img.byte(ImageByte::ServoMap) != 0 && loadSensor(img) == 2)
    for (int r = 0; r < kMapRows; ++r)
      img.setWord(ImageWord::ServoIap + r, s.y.values[static_cast<size_t>(r)]);
  int mode = s.y.collapsed ? 0 : (s.x.collapsed ? 1 : 2);
  if (loadSensor(img) == 0) mode = 0;
  img.setByte(ImageByte::ServoMap, mode);
  img.setByte(ImageByte::ServoEnable, s.enabled ? 1 : 0);
  img.setByte(ImageByte::Limiter, m.revLimiter / 100);
  img.setByte(ImageByte::StartLim, m.startLimiter / 100);
}

// ---------------------------------------------------------------------------
// Sensor curves

struct CurveDef {
  int owner;
  const char* name;
  int flags;
  const char* yLabel;
  const char* yName;
  const char* yUnit;
  int yMax;
  double yScale;
  int yEditable;
  int rows;
  const char* vLabel;
  const char* vName;
  const char* vUnit;
  int vMin, vMax;
  double vScale;
  int showUnit;
  uint32_t colour;
};

const CurveDef kCurves[] = {
    {kOwnerTpsCurve, "TP sensor", 0x07A2, "TP", "TP", "%", 100, 1, 0, 2,
     "###Voltage##Spannung##Napětí", "U", "V", 0, 5000, 0.001, 1, kSensorColour},
    {kOwnerIapCurve, "###IAP sensor##IAP sensor##Snímač IAP", 0x07A2, "###Pressure##Druck##Tlak",
     "P", "kPa", 999, 1, 1, 2, "###Voltage##Spannung##Napětí", "U", "V", 0, 5000, 0.001, 1,
     kSensorColour},
    {kOwnerLambdaCurve, "###Lambda sensor##Lambdasonde##Lambda sonda", 0x0003, "AFR", "AFR", "",
     250, 0.1, 1, 6, "###Voltage##Spannung##Napětí", "U", "V", 0, 5000, 0.001, 1, kLambdaColour},
    {kOwnerLambdaRpm, "###Lambda on RPM##Lambda nach Drehzahl##Lambda podle otáček", 0x4003, "AFR",
     "AFR", "", 250, 0.1, 1, 2, "RPM", "RPM", "", 3, 250, 100, 0, kSensorColour},
};

const CurveDef* curveDef(int owner) {
  for (const CurveDef& c : kCurves)
    if (c.owner == owner) return &c;
  return nullptr;
}

void defineCurve(MapModel& m, const CurveDef& d) {
  int s = m.addSheet(d.name, "", d.yLabel, d.vLabel, 1, d.rows, d.flags);
  AxisSetup x;
  x.name = "";
  x.count = 1;
  x.usage = 2;
  x.collapsed = 1;
  x.collapsedPreference = -1;
  m.setAxis(s, 1, x);
  AxisSetup y;
  y.name = d.yName;
  y.unit = d.yUnit;
  y.maxValue = d.yMax;
  y.scale = d.yScale;
  y.grid = kSensorGrid;
  y.editable = d.yEditable;
  y.options = 1;
  y.count = d.rows;
  y.minCount = d.rows;
  y.usage = 1;
  y.headerColour = d.colour;
  m.setAxis(s, 2, y);
  AxisSetup v;
  v.name = d.vName;
  v.unit = d.vUnit;
  v.minValue = d.vMin;
  v.maxValue = d.vMax;
  v.scale = d.vScale;
  v.grid = d.owner == kOwnerLambdaRpm ? kRpmGrid : kVoltGrid;
  v.editable = 1;
  v.options = 3;
  v.headerColour = d.owner == kOwnerLambdaCurve ? kLambdaColour : 0xFFFFFF;
  m.setAxis(s, 4, v);
  MapSheet& sh = m.sheet(s);
  sh.v.showUnit = d.showUnit;
  sh.tabFontSize = 9;
  if (d.owner != kOwnerLambdaRpm) sh.titleFontSize = 9;
}

void loadCurve(MapModel& m, const ParamImage& img) {
  MapSheet& s = m.sheet(0);
  auto y = [&](int r) -> int32_t& { return s.y.values[static_cast<size_t>(r)]; };
  switch (m.ownerId()) {
    case kOwnerTpsCurve:
      y(0) = 0;
      y(1) = 100;
      s.cell(0, 0) = img.word(ImageWord::TpsLow);
      s.cell(0, 1) = img.word(ImageWord::TpsHigh);
      break;
    case kOwnerIapCurve:
      for (int r = 0; r < 2; ++r) {
        y(r) = img.word(ImageWord::IapCal + 2 * r);
        s.cell(0, r) = img.word(ImageWord::IapCal + 2 * r + 1);
      }
      break;
    case kOwnerLambdaCurve:
      for (int r = 0; r < 6; ++r) {
        y(r) = img.byte(ImageByte::LambdaCurveBytes + r);
        s.cell(0, r) = img.word(ImageWord::LambdaCurveWords + r);
      }
      break;
    case kOwnerLambdaRpm:
      for (int r = 0; r < 2; ++r) {
        y(r) = img.byte(ImageByte::LambdaTachoAxis + r);
        s.cell(0, r) = img.byte(ImageByte::LambdaTachoValues + r);
      }
      break;
  }
  finishLoad(m);
}

void storeCurve(MapModel& m, ParamImage& img) {
  const MapSheet& s = m.sheet(0);
  auto y = [&](int r) { return s.y.values[static_cast<size_t>(r)]; };
  switch (m.ownerId()) {
    case kOwnerTpsCurve:
      img.setWord(ImageWord::TpsLow, s.cell(0, 0));
      img.setWord(ImageWord::TpsHigh, s.cell(0, 1));
      break;
    case kOwnerIapCurve:
      for (int r = 0; r < 2; ++r) {
        img.setWord(ImageWord::IapCal + 2 * r, y(r));
        img.setWord(ImageWord::IapCal + 2 * r + 1, s.cell(0, r));
      }
      break;
    case kOwnerLambdaCurve:
      for (int r = 0; r < 6; ++r) {
        img.setByte(ImageByte::LambdaCurveBytes + r, y(r));
        img.setWord(ImageWord::LambdaCurveWords + r, s.cell(0, r));
      }
      break;
    case kOwnerLambdaRpm:
      for (int r = 0; r < 2; ++r) {
        img.setByte(ImageByte::LambdaTachoAxis + r, y(r));
        img.setByte(ImageByte::LambdaTachoValues + r, s.cell(0, r));
      }
      break;
  }
}

// ---------------------------------------------------------------------------
// Power outputs

int outputOf(const MapModel& m) {
  return m.ownerId() >= kOwnerPoutPwm ? m.ownerId() - kOwnerPoutPwm
                                      : m.ownerId() - kOwnerPoutCondition;
}

int poutFunction(const ParamImage& img, int k) { return img.byte(ImageByte::PoutFunction + k); }

void definePoutCondition(MapModel& m, int k) {
  std::string label = "Pout" + std::to_string(k + 1);
  int s = m.addSheet("1", "RPM", "TP", label.c_str(), 3, 2, 1);
  AxisSetup x = rpmAxis(3, 3);
  x.grid = {{25000, {2000, 1000, 1000, 2000}}};
  m.setAxis(s, 1, x);
  AxisSetup y;
  y.name = "TP";
  y.unit = "%";
  y.maxValue = 100;
  y.grid = {{100, {25, 25, 10, 25}}};
  y.editable = 1;
  y.count = 2;
  y.usage = 1;
  y.collapsedPreference = -2;
  m.setAxis(s, 2, y);
  AxisSetup v;
  v.name = "PO";
  v.maxValue = 2;
  v.grid = kAdvanceGrid;
  v.options = 3;
  m.setAxis(s, 4, v);
  MapSheet& sh = m.sheet(s);
  sh.titleFontSize = 10;
  sh.x.fontHeight = sh.y.fontHeight = sh.v.fontHeight = 8;
}

void loadPoutCondition(MapModel& m, const ParamImage& img) {
  const int k = outputOf(m);
  const int fn = poutFunction(img, k);
  const int sensor = loadSensor(img);
  MapSheet& s = m.sheet(0);
  // The areas (row i, column j) live in the cell store, beyond the used cells.
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j)
      s.cell(j, i) = (img.byte(ImageByte::PoutCondition + 3 * k + i) >> j) & 1;
  for (int c = 0; c < 3; ++c)
    s.x.values[static_cast<size_t>(c)] = img.byte(ImageByte::PoutThreshold + 3 * k + c);
  for (int r = 0; r < 2; ++r)
    s.y.values[static_cast<size_t>(r)] = img.word(ImageWord::PoutWords + 2 * k + r);
  s.y.name = s.y.label = sensor == 2 ? "IAP" : "TP";
  s.y.unit = sensor == 2 ? "kPa" : "%";
  s.y.maxValue = sensor == 2 ? 999 : 100;
  s.x.minGap = fn == 2 ? 0 : 1;
  s.v.editable = fn == 255;
  s.x.count = fn == 255 ? 3 : 2;
  s.y.count = fn == 255 ? 2 : 1;
  s.y.collapsed = sensor == 0 || fn == 2;
  // The output's hysteresis [rpm], drawn as a band around each threshold.
  m.hysteresisRpm = img.byte(ImageByte::PoutFurther + k) * 10;
  finishLoad(m);
  // The band between the two shift-light thresholds is drawn in the mixed
  // state; set after the clamp, which keeps areas to 0..2.
  if (fn == 2) s.cell(1, 0) = 3;
}

void storePoutCondition(MapModel& m, ParamImage& img) {
  const int k = outputOf(m);
  const MapSheet& s = m.sheet(0);
  const int fn = poutFunction(img, k);
  for (int c = 0; c < s.x.count; ++c)
    img.setByte(ImageByte::PoutThreshold + 3 * k + c, s.x.values[static_cast<size_t>(c)]);
  for (int r = 0; r < s.y.count; ++r)
    img.setWord(ImageWord::PoutWords + 2 * k + r, s.y.values[static_cast<size_t>(r)]);
  if (fn == 255) {
    for (int i = 0; i < 3; ++i) {
      int b = 0;
      for (int j = 0; j < 4; ++j)
        if (s.cell(j, i) != 0) b |= 1 << j;
      img.setByte(ImageByte::PoutCondition + 3 * k + i, b);
    }
  }
}

void definePoutPwm(MapModel& m, int k) {
  std::string label = "Pout" + std::to_string(k + 1);
  int s = m.addSheet("1", "RPM", "TP", label.c_str(), 6, 4, 1);
  AxisSetup x = rpmAxis(6, 6);
  m.setAxis(s, 1, x);
  AxisSetup y;
  y.name = "TP";
  y.unit = "%";
  y.maxValue = 100;
  y.editable = 1;
  y.count = 4;
  y.usage = 1;
  y.collapsedPreference = -2;
  m.setAxis(s, 2, y);
  AxisSetup v;
  v.name = "PO";
  v.unit = "%";
  v.maxValue = 100;
  v.grid = kAdvanceGrid;
  v.editable = 1;
  v.options = 3;
  m.setAxis(s, 4, v);
  MapSheet& sh = m.sheet(s);
  sh.titleFontSize = 8;
  sh.x.fontHeight = sh.y.fontHeight = sh.v.fontHeight = 8;
  sh.v.showUnit = 1;
}

void loadPoutPwm(MapModel& m, const ParamImage& img) {
  const int k = outputOf(m);
  const int fn = poutFunction(img, k);
  const int sensor = loadSensor(img);
  MapSheet& s = m.sheet(0);
  if (fn == 253) {
    s.v.label = "###Periode##Periode##Perioda";
    s.v.name = "T";
    s.v.unit = "s";
    s.v.scale = 0.05;
    s.v.minValue = (img.byte(ImageByte::PoutPulse + k) + 9) / 10;
    s.v.maxValue = 200;
  } else {
    s.v.label = s.v.name = fn == 254 ? "PWM" : "PO";
    s.v.unit = "%";
    s.v.scale = 1;
    s.v.minValue = 0;
    s.v.maxValue = 100;
  }
  for (int c = 0; c < 6; ++c)
    s.x.values[static_cast<size_t>(c)] = img.byte(ImageByte::PoutPwmRpm + 6 * k + c);
  for (int r = 0; r < 4; ++r)
    s.y.values[static_cast<size_t>(r)] = img.word(ImageWord::PoutPwmWords + 4 * k + r);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 6; ++c)
      s.cell(c, r) = img.byte(ImageByte::PoutPwmTable + 24 * k + 6 * r + c);
  s.y.name = s.y.label = sensor == 2 ? "IAP" : "TP";
  s.y.unit = sensor == 2 ? "kPa" : "%";
  s.y.maxValue = sensor == 2 ? 999 : 100;
  s.y.collapsed = sensor == 0;
  finishLoad(m);
}

void storePoutPwm(MapModel& m, ParamImage& img) {
  const int k = outputOf(m);
  const MapSheet& s = m.sheet(0);
  for (int c = 0; c < 6; ++c)
    img.setByte(ImageByte::PoutPwmRpm + 6 * k + c, s.x.values[static_cast<size_t>(c)]);
  for (int r = 0; r < 4; ++r)
    img.setWord(ImageWord::PoutPwmWords + 4 * k + r, s.y.values[static_cast<size_t>(r)]);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 6; ++c)
      img.setByte(ImageByte::PoutPwmTable + 24 * k + 6 * r + c, s.cell(c, r));
}

bool isCondition(int owner) {
  return owner >= kOwnerPoutCondition && owner < kOwnerPoutCondition + 4;
}
bool isPwm(int owner) { return owner >= kOwnerPoutPwm && owner < kOwnerPoutPwm + 4; }

}  // namespace

MapControlSetup mapControlSetup(int owner) {
  MapControlSetup s;
  if (owner == kOwnerAdvance || owner == kOwnerServo) {
    s.options = 113;
  } else if (const CurveDef* d = curveDef(owner)) {
    s.options = 304;
    s.visibleColumns = owner == kOwnerLambdaRpm ? 1 : 2;
    s.visibleRows = d->rows;
    if (owner == kOwnerTpsCurve || owner == kOwnerIapCurve) {
      s.width = 290;
      s.height = 130;
    } else if (owner == kOwnerLambdaCurve) {
      s.width = 250;
      s.height = 220;
    }
  } else if (isCondition(owner)) {
    s.options = 0x2030;
    s.visibleColumns = 4;
    s.visibleRows = 3;
  } else if (isPwm(owner)) {
    s.options = 0x0030;
    s.visibleColumns = 6;
    s.visibleRows = 4;
  }
  return s;
}

namespace {

// One row per kind of map: which controls it serves and how it is defined,
// loaded from the image and stored into it.
struct MapKind {
  bool (*owns)(int owner);
  void (*define)(MapModel& m);
  void (*load)(MapModel& m, const ParamImage& img);
  void (*store)(MapModel& m, ParamImage& img);
};

const MapKind kMapKinds[] = {
    {[](int owner) { return owner == kOwnerAdvance; }, defineAdvance, loadAdvance, storeAdvance},
    {[](int owner) { return owner == kOwnerServo; }, defineServo, loadServo, storeServo},
    {[](int owner) { return curveDef(owner) != nullptr; },
     [](MapModel& m) { defineCurve(m, *curveDef(m.ownerId())); }, loadCurve, storeCurve},
    {isCondition, [](MapModel& m) { definePoutCondition(m, m.ownerId() - kOwnerPoutCondition); },
     loadPoutCondition, storePoutCondition},
    {isPwm, [](MapModel& m) { definePoutPwm(m, m.ownerId() - kOwnerPoutPwm); }, loadPoutPwm,
     storePoutPwm},
};

const MapKind* mapKind(int owner) {
  for (const MapKind& k : kMapKinds)
    if (k.owns(owner)) return &k;
  return nullptr;
}

}  // namespace

void defineMap(MapModel& m) {
  const MapControlSetup setup = mapControlSetup(m.ownerId());
  m.visibleColumns = setup.visibleColumns;
  m.visibleRows = setup.visibleRows;
  if (const MapKind* k = mapKind(m.ownerId())) k->define(m);
  m.selectSheet(0);
}

void loadMap(MapModel& m, const ParamImage& img) {
  if (m.sheetCount() == 0) return;
  if (const MapKind* k = mapKind(m.ownerId())) k->load(m, img);
}

void storeMap(MapModel& m, ParamImage& img) {
  if (m.sheetCount() == 0) return;
  if (const MapKind* k = mapKind(m.ownerId())) k->store(m, img);
}

void reloadMap(MapModel& m, const ParamImage& img) {
  struct Kept {
    std::vector<int32_t> values, from;
    std::vector<uint8_t> pushed;
    int count, lastChanged;
  };
  std::vector<Kept> kept;
  for (int i = 0; i < m.sheetCount(); ++i)
    for (const SheetAxis* a : {&m.sheet(i).x, &m.sheet(i).y})
      kept.push_back({a->values, a->pushedFrom, a->pushed, a->count, a->lastChanged});
  loadMap(m, img);
  size_t k = 0;
  for (int i = 0; i < m.sheetCount(); ++i)
    for (SheetAxis* a : {&m.sheet(i).x, &m.sheet(i).y}) {
      const Kept& old = kept[k++];
      if (old.count != a->count ||
          !std::equal(a->values.begin(), a->values.begin() + a->count, old.values.begin()))
        continue;
      a->pushedFrom = old.from;
      a->pushed = old.pushed;
      a->lastChanged = old.lastChanged;
    }
}

void loadUnitCopy(MapModel& m, const ParamImage& unitImage, bool valid) {
  MapModel unit(m.options(), m.ownerId());
  if (valid) {
    defineMap(unit);
    loadMap(unit, unitImage);
  }
  for (int i = 0; i < m.sheetCount(); ++i) {
    MapSheet& s = m.sheet(i);
    const bool have = valid && i < unit.sheetCount();
    s.unitX = have ? unit.sheet(i).x.values : std::vector<int32_t>();
    s.unitY = have ? unit.sheet(i).y.values : std::vector<int32_t>();
    s.unitCells = have ? unit.sheet(i).v.values : std::vector<int32_t>();
  }
}

bool differsFromUnit(const MapSheet& s, ElemRef e) {
  auto differs = [](const std::vector<int32_t>& unit, const std::vector<int32_t>& pc, int i) {
    return i >= 0 && static_cast<size_t>(i) < unit.size() && static_cast<size_t>(i) < pc.size() &&
           unit[static_cast<size_t>(i)] != pc[static_cast<size_t>(i)];
  };
  if (e.isCell()) return differs(s.unitCells, s.v.values, e.row * kCellStride + e.col);
  if (e.isX()) return differs(s.unitX, s.x.values, e.col);
  if (e.isY()) return differs(s.unitY, s.y.values, e.row);
  return false;
}

bool mapVisible(int owner, const ParamImage& img) {
  const int sensor = loadSensor(img);
  if (owner == kOwnerTpsCurve) return sensor == 1;
  if (owner == kOwnerIapCurve) return sensor == 2;
  if (isCondition(owner)) {
    int fn = poutFunction(img, owner - kOwnerPoutCondition);
    return owner - kOwnerPoutCondition < 3 && (fn == 2 || fn == 3 || fn == 255);
  }
  if (isPwm(owner)) {
    int fn = poutFunction(img, owner - kOwnerPoutPwm);
    return owner - kOwnerPoutPwm < 3 && (fn == 253 || fn == 254);
  }
  return true;
}

void setServoPercent(ParamImage& img, bool percent) {
  if ((img.byte(ImageByte::ServoPercent) != 0) == percent) return;
  for (int i = 0; i < kMapRows * kMapColumns; ++i) {
    int raw = img.byte(ImageByte::Servo + i);
    double v = percent ? std::floor(raw * 2 * 0.2 + 0.5) : std::floor(raw * 5 * 0.5 + 0.5);
    img.setByte(ImageByte::Servo + i, std::min(255, static_cast<int>(v)));
  }
  img.setByte(ImageByte::ServoPercent, percent ? 1 : 0);
}

int liveMapFlags(bool secondMapActive, int sensorMode) {
  return (secondMapActive ? 1 : 0) | (sensorMode >= 2 ? 0x30 : 0);
}

}  // namespace q3
