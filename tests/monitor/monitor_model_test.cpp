// The monitor refresh: tables of monitor blocks against what the displays
// show (voltage bands, load sensor, calibration, advance, lambda,
// acceleration, function states, pickups), the not-connected state,
// playback as a connection, gauge clamping and the recursion guard.
#include "monitor/monitor_model.h"

#include <gtest/gtest.h>

#include <string>

#include "params/address_map.h"
#include "params/param_model.h"
#include "text/mstring.h"

namespace {

using q3::DisplayValue;
using q3::MonitorContext;
using q3::RefreshCause;

class Refresh : public ::testing::Test {
 protected:
  Refresh() { ctx.unitConnected = true; }
  void byte(int i, int v) { model.monitor().setByte(i, v); }
  void word(int w, int v) {
    byte(2 * w, v & 0xFF);
    byte(2 * w + 1, (v >> 8) & 0xFF);
  }
  const DisplayValue& run(const char* name) {
    EXPECT_TRUE(mon.refresh(ctx, RefreshCause::MonitorAnswer));
    const DisplayValue* v = mon.find(name);
    EXPECT_NE(v, nullptr) << name;
    static DisplayValue none;
    return v ? *v : none;
  }
  const DisplayValue& value(const char* name) { return *mon.find(name); }

  q3::ParamModel model;
  q3::MonitorModel mon{model};
  MonitorContext ctx;
};

TEST_F(Refresh, VoltageBands) {
  struct Case {
    int mv;
    const char* text;
    q3::Colour colour;
  } cases[] = {
      {0, "U = 0.0 [V]", q3::kRed},         {7000, "U = 7.0 [V]", q3::kRed},
      {7001, "U = 7.0 [V]", q3::kYellow},   {11000, "U = 11.0 [V]", q3::kYellow},
      {11001, "U = 11.0 [V]", q3::kNormal}, {13800, "U = 13.8 [V]", q3::kNormal},
      {14998, "U = 15.0 [V]", q3::kNormal}, {14999, "U = 15.0 [V]", q3::kYellow},
      {17998, "U = 18.0 [V]", q3::kYellow}, {17999, "U = 18.0 [V]", q3::kRed},
      {65535, "U = 65.5 [V]", q3::kRed},
  };
  for (const Case& c : cases) {
    word(q3::MonitorWord::SupplyVoltage, c.mv);
    const DisplayValue& v = run("LabelNapeti");
    EXPECT_EQ(v.text, c.text) << c.mv;
    EXPECT_EQ(v.colour, c.colour) << c.mv;
  }
  ctx.unitConnected = false;
  EXPECT_EQ(run("LabelNapeti").text, "U = --- [V]");
  EXPECT_EQ(value("LabelNapeti").colour, q3::kNormal);
}

// Throttle or pressure: byte 100 picks the sensor (above 2 counts as 2), a
// throttle above 100 % or an error bit shows the error form, the gauges stay
// inside their scale.
TEST_F(Refresh, LoadSensor) {
  struct Case {
    int mode, value, errors;
    const char* text;
    q3::Colour colour;
    int gauge, maximum;
    q3::Colour gaugeColour;
    bool enabled;
  } cases[] = {
      {1, 55, 0, "TP= 55 [%]= 2500 [mV]", q3::kNormal, 55, 100, q3::kDesktop, true},
      {1, 101, 0, "TP=error = 2500 [mV]", q3::kRed, 0, 100, q3::kDesktop, true},
      {1, 100, 0, "TP= 100 [%]= 2500 [mV]", q3::kNormal, 100, 100, q3::kDesktop, true},
      {1, 50, 0x04, "TP=error = 2500 [mV]", q3::kRed, 0, 100, q3::kDesktop, true},
      {0, 101, 0, "TP=error = 2500 [mV]", q3::kRed, 0, 100, q3::kGray, false},
      {0, 30, 0, "TP= 30 [%]= 2500 [mV]", q3::kNormal, 30, 100, q3::kGray, false},
      {2, 95, 0x04, "IAP= 95 [kPa]= 2500 [mV]", q3::kNormal, 95, 300, q3::kPurple, true},
      {7, 95, 0, "IAP= 95 [kPa]= 2500 [mV]", q3::kNormal, 95, 300, q3::kPurple, true},
      {2, 999, 0, "IAP= 999 [kPa]= 2500 [mV]", q3::kNormal, 300, 300, q3::kPurple, true},
      {2, 95, 0x02, "IAP=error = 2500 [mV]", q3::kRed, 0, 300, q3::kPurple, true},
  };
  word(q3::MonitorWord::LoadVoltage, 2500);
  for (const Case& c : cases) {
    byte(q3::MonitorByte::LoadSensor, c.mode);
    word(q3::MonitorWord::LoadValue, c.value);
    byte(q3::MonitorByte::ErrorFlags, c.errors);
    const DisplayValue& l = run("LabelTpsMon");
    const DisplayValue& g = value("CGaugeTps");
    const std::string what = std::to_string(c.mode) + "/" + std::to_string(c.value);
    EXPECT_EQ(l.text, c.text) << what;
    EXPECT_EQ(l.colour, c.colour) << what;
    EXPECT_EQ(l.enabled, c.enabled) << what;
    EXPECT_EQ(g.value, c.gauge) << what;
    EXPECT_EQ(g.maximum, c.maximum) << what;
    EXPECT_EQ(g.colour, c.gaugeColour) << what;
  }
  EXPECT_EQ(mon.live().sensorMode, 2);
  EXPECT_EQ(mon.live().pressure, 95);
  EXPECT_EQ(mon.live().throttle, -1);

  // Not connected: the sensor the image is set up for.
  ctx.unitConnected = false;
  struct Off {
    int imageMode;
    const char* text;
    q3::Colour gaugeColour;
    bool enabled;
  } offs[] = {{0, "TP= ---", q3::kGray, false},
              {1, "TP= ---", q3::kDesktop, true},
              {2, "IAP= ---", q3::kPurple, true}};
  for (const Off& o : offs) {
    model.image().setByte(q3::ImageByte::TpsIapSensor, o.imageMode);
    EXPECT_EQ(run("LabelTpsMon").text, o.text);
    EXPECT_EQ(value("LabelTpsMon").enabled, o.enabled) << o.imageMode;
    EXPECT_EQ(value("CGaugeTps").colour, o.gaugeColour) << o.imageMode;
    EXPECT_EQ(value("CGaugeTps").value, 0);
  }
}

// Both stored calibration values out of 80..250 (0 and 255: none stored) is
// a calibration error, shown only while connected.
TEST_F(Refresh, DwellCalibration) {
  struct Case {
    int flash, ee;
    bool error;
  } cases[] = {{0, 79, true},   {80, 0, false}, {251, 255, true}, {250, 251, false},
               {79, 80, false}, {255, 0, true}, {120, 120, false}};
  for (const Case& c : cases) {
    byte(q3::MonitorByte::DwellFlash, c.flash);
    byte(q3::MonitorByte::DwellEe, c.ee);
    EXPECT_EQ(run("LabelDwellCalibError").visible, c.error) << c.flash << "/" << c.ee;
    EXPECT_EQ(mon.live().calibrationError, c.error);
  }
  ctx.unitConnected = false;
  EXPECT_FALSE(run("LabelDwellCalibError").visible);
}

// The two warnings carry their own text: the window writes the refresh's text
// into the label, so an empty one would show a blank row.
TEST_F(Refresh, WarningsShowTheirText) {
  byte(q3::MonitorByte::DwellFlash, 0);
  byte(q3::MonitorByte::DwellEe, 79);
  byte(q3::MonitorByte::ErrorFlags, 0x01);
  EXPECT_TRUE(run("LabelEeDataErr").visible);
  EXPECT_EQ(value("LabelEeDataErr").text, "Programmed data error");
  EXPECT_TRUE(value("LabelDwellCalibError").visible);
  EXPECT_EQ(value("LabelDwellCalibError").text, "Dwell calibration error!");
  q3::setLanguage(1);
  EXPECT_EQ(run("LabelDwellCalibError").text, "Fehler der Schließzeitkalibrierung!");
  q3::setLanguage(0);
}

// In service mode a new calibration value the unit offers after it showed
// "Programmed data error" is announced to the production tester once; the
// unit then stores it (FLASH = announced), or the calibration is in error.
TEST_F(Refresh, NewCalibrationValueIsAnnouncedOnce) {
  std::vector<int> announced;
  mon.setHooks({nullptr, [&](int v) { announced.push_back(v); }});
  ctx.serviceMode = true;
  ctx.supervisorStep = 1;
  byte(q3::MonitorByte::DwellFlash, 120);
  byte(q3::MonitorByte::DwellEe, 120);
  byte(q3::MonitorByte::DwellNew, 130);
  run("LabelDwell");
  EXPECT_TRUE(announced.empty());  // no data error shown yet
  byte(q3::MonitorByte::ErrorFlags, 0x01);
  run("LabelEeDataErr");
  EXPECT_TRUE(value("LabelEeDataErr").visible);
  run("LabelDwell");
  run("LabelDwell");
  EXPECT_EQ(announced, std::vector<int>{130});
  byte(q3::MonitorByte::DwellFlash, 125);  // the unit stored another value
  EXPECT_TRUE(run("LabelDwellCalibError").visible);
  byte(q3::MonitorByte::DwellFlash, 130);  // the announced one
  EXPECT_FALSE(run("LabelDwellCalibError").visible);
}

TEST_F(Refresh, AdvanceOfTheChannels) {
  struct Case {
    int raw, max;
    const char* text;
    q3::Colour colour;
  } cases[] = {
      {0, 0, "Advance = Base", q3::kNormal},
      {0, 30, "Advance = Base/max 30 [°]", q3::kNormal},
      {125, 20, "Advance 1 = 25 [°] /max 20 [°]", q3::kYellow},
      {120, 20, "Advance 1 = 20 [°] /max 20 [°]", q3::kYellow},
      {119, 20, "Advance 1 = 19 [°] /max 20 [°]", q3::kNormal},
      {110, 0, "Advance 1 = 10 [°]", q3::kNormal},
      {90, 0, "Advance 1 = -10 [°]", q3::kNormal},
  };
  for (const Case& c : cases) {
    byte(q3::MonitorByte::Advance, c.raw);
    word(q3::MonitorWord::MaxAdvance, c.max);
    const DisplayValue& v = run("LabelAdvance1");
    EXPECT_EQ(v.text, c.text) << c.raw << "/" << c.max;
    EXPECT_EQ(v.colour, c.colour) << c.raw << "/" << c.max;
  }
  // Labels 2..4 follow the number of channels (the unit's, or the image's
  // while not connected), at most 4.
  struct Channels {
    bool connected;
    int count;
    bool visible[4];
  } channels[] = {{true, 2, {true, true, false, false}},
                  {true, 9, {true, true, true, true}},
                  {false, 3, {true, true, true, false}},
                  {false, 0, {true, false, false, false}}};
  for (const Channels& c : channels) {
    ctx.unitConnected = c.connected;
    byte(q3::MonitorByte::Channels, c.count);
    model.image().setByte(q3::ImageByte::Channels, c.count);
    run("LabelAdvance1");
    for (int i = 0; i < 4; ++i) {
      const std::string name = "LabelAdvance" + std::to_string(i + 1);
      EXPECT_EQ(value(name.c_str()).visible, c.visible[i]) << c.count << " " << name;
    }
  }
  EXPECT_EQ(value("LabelAdvance2").text, "Advance 2 = --- [°]");
}

// The engine-speed gauge runs 0..100 of the rev limiter and never beyond.
TEST_F(Refresh, EngineSpeedGaugeStaysOnItsScale) {
  struct Case {
    int rpm, limiter, gauge;
  } cases[] = {{6000, 120, 50}, {13000, 120, 100}, {12000, 0, 100}, {65535, 250, 100}, {0, 120, 0}};
  for (const Case& c : cases) {
    word(q3::MonitorWord::EngineSpeed, c.rpm);
    model.image().setByte(q3::ImageByte::Limiter, c.limiter);
    EXPECT_EQ(run("CGaugeRpm").value, c.gauge) << c.rpm;
    EXPECT_EQ(value("LabelRpm").text, "RPM = " + std::to_string(c.rpm));
  }
  byte(q3::MonitorByte::StatusFlags, 0x01);
  EXPECT_EQ(run("LabelRpm").colour, q3::kRed);
  EXPECT_EQ(value("LabelMonLimiterOut").text, "Limiter = YES");
}

TEST_F(Refresh, LambdaGaugeAndBands) {
  const int bar[4] = {100, 130, 160, 200};  // low, green from, fuchsia from, high
  for (int i = 0; i < 4; ++i) model.image().setByte(q3::ImageByte::LambdaBar + i, bar[i]);
  struct Case {
    int lambda;
    int gauge;
    q3::Colour colour;
    bool visible;
  } cases[] = {{0, 0, q3::kNormal, true},      {90, 0, q3::kBlue, true},
               {120, 20, q3::kBlue, true},     {150, 50, q3::kLime, true},
               {170, 70, q3::kFuchsia, true},  {210, 100, q3::kFuchsia, true},
               {255, 100, q3::kFuchsia, false}};
  for (const Case& c : cases) {
    byte(q3::MonitorByte::Lambda, c.lambda);
    const DisplayValue& g = run("CGaugeLambda");
    EXPECT_EQ(g.value, c.gauge) << c.lambda;
    EXPECT_EQ(g.colour, c.colour) << c.lambda;
    EXPECT_EQ(g.visible, c.visible) << c.lambda;
  }
  byte(q3::MonitorByte::Lambda, 147);
  word(38, 450);
  EXPECT_EQ(run("LabelMonLambda").text, "LAMBDA = 14.7 [AFR] = 450 mV");
  EXPECT_DOUBLE_EQ(value("LabelLambdaBlue").width, 0.3);
  EXPECT_DOUBLE_EQ(value("LabelLambdaGreen").left, 0.3);
  EXPECT_DOUBLE_EQ(value("LabelLambdaGreen").width, 0.3);
  EXPECT_DOUBLE_EQ(value("LabelLambdaRed").left, 0.6);
  EXPECT_NEAR(value("LabelLambdaRed").width, 0.4, 1e-12);
  // Equal low and high: gauge at 0, bands left where they are.
  model.image().setByte(q3::ImageByte::LambdaBar + 3, 100);
  EXPECT_EQ(run("CGaugeLambda").value, 0);
  EXPECT_LT(value("LabelLambdaBlue").width, 0);
}

// The acceleration gauge: scale twice the second-map threshold (at least
// 100), lime below the threshold and red from it; the bands are parts of
// the gauge, never truncated to nothing.
TEST_F(Refresh, AccelerationAgainstTheThreshold) {
  struct Case {
    int threshold100, potFunction, correction, accel;
    int maximum, gauge;
    q3::Colour colour;
    double below;
  } cases[] = {
      {30, 0, 0, 2000, 6000, 2000, q3::kLime, 0.5},
      {30, 0, 0, 3000, 6000, 3000, q3::kRed, 0.5},
      {30, 0, 0, 9000, 6000, 6000, q3::kRed, 0.5},
      {30, 4, 10500, 3200, 7000, 3200, q3::kLime, 0.5},  // +500 rpm/s from the potentiometer
      {30, 4, 5000, 100, 100, 100, q3::kRed, 0.0},       // threshold below 0 counts as 0
      {0, 0, 0, 0, 100, 0, q3::kRed, 0.0},
      {1, 0, 0, 50, 200, 50, q3::kLime, 0.5},
  };
  for (const Case& c : cases) {
    model.image().setByte(q3::ImageByte::Map2Accel, c.threshold100);
    byte(q3::MonitorByte::PotFunction, c.potFunction);
    word(q3::MonitorWord::PotCorrection, c.correction);
    word(q3::MonitorWord::Acceleration, c.accel);
    const DisplayValue& g = run("CGaugeAkcel");
    EXPECT_EQ(g.maximum, c.maximum) << c.accel;
    EXPECT_EQ(g.value, c.gauge) << c.accel;
    EXPECT_EQ(g.colour, c.colour) << c.accel;
    EXPECT_DOUBLE_EQ(value("LabelAccBelow").width, c.below) << c.accel;
    EXPECT_DOUBLE_EQ(value("LabelAccOver").left, c.below) << c.accel;
    EXPECT_EQ(value("LabeAcc100").text, std::to_string(c.maximum));
    EXPECT_EQ(value("LabelAcc50").text, std::to_string(c.maximum / 2));
  }
}

TEST_F(Refresh, FunctionStates) {
  struct Case {
    const char* name;
    int bit;
    const char* yes;
    q3::Colour colour;
    const char* no;
  } cases[] = {
      {"LabelKillSwitch", 0, "Kill switch = YES", q3::kRed, "Kill switch = NO"},
      {"LabelBlocking", 1, "Blocking = YES", q3::kRed, "Blocking = NO"},
      {"LabelClutchMon", 2, "Quickshift = YES", q3::kLime, "Quickshift = NO"},
      {"LabelMonRetard", 3, "Retard = YES", q3::kAqua, "Retard = NO"},
      {"Label2ndAdv", 5, "2nd advance chart = YES", q3::kLime, "2nd advance chart = NO"},
  };
  for (const Case& c : cases) {
    byte(q3::MonitorByte::FunctionEnables, 1 << c.bit);
    byte(q3::MonitorByte::FunctionStates, 1 << c.bit);
    EXPECT_EQ(run(c.name).text, c.yes);
    EXPECT_EQ(value(c.name).colour, c.colour) << c.name;
    EXPECT_TRUE(value(c.name).enabled);
    byte(q3::MonitorByte::FunctionStates, 0);
    EXPECT_EQ(run(c.name).text, c.no);
    EXPECT_EQ(value(c.name).colour, q3::kNormal);
    byte(q3::MonitorByte::FunctionEnables, 0);
    EXPECT_FALSE(run(c.name).enabled);
    EXPECT_EQ(value(c.name).text.substr(value(c.name).text.size() - 3), "---") << c.name;
  }
  // Tacho/lambda reads the other way round: a clear bit is "YES" in aqua.
  byte(q3::MonitorByte::FunctionEnables, 0x40);
  EXPECT_EQ(run("LabelMonTachoLambdaOut").text, "Tacho Lambda = YES");
  EXPECT_EQ(value("LabelMonTachoLambdaOut").colour, q3::kAqua);
  byte(q3::MonitorByte::FunctionStates, 0x40);
  EXPECT_EQ(run("LabelMonTachoLambdaOut").text, "Tacho Lambda = NO");
  // Start limiter: "YES" wins over "READY".
  byte(q3::MonitorByte::FunctionEnables, 0x10);
  byte(q3::MonitorByte::StatusFlags, 0x04);
  EXPECT_EQ(run("LabelMonStartLimiterOut").text, "Start limiter = READY");
  byte(q3::MonitorByte::FunctionStates, 0x10);
  EXPECT_EQ(run("LabelMonStartLimiterOut").text, "Start limiter = YES");
  EXPECT_EQ(value("LabelMonStartLimiterOut").colour, q3::kRed);
  // Not connected: enabled by the function flags, states unknown.
  ctx.unitConnected = false;
  ctx.functionFlags[2] = true;
  EXPECT_TRUE(run("LabelKillSwitch").enabled);
  EXPECT_EQ(value("LabelKillSwitch").text, "Kill switch = ---");
  EXPECT_FALSE(value("LabelBlocking").enabled);
  EXPECT_EQ(value("LabelMonTachoLambdaOut").text, "Tacho Lambda = ---");
}

TEST_F(Refresh, Pickups) {
  struct Case {
    int status;
    const char* text1;
    q3::Colour colour1;
  } cases[] = {
      {0x00, "Pick-up (CKPS) 1 = no signal, positive polarity", q3::kNormal},
      {0x01, "Pick-up (CKPS) 1 = is running, positive polarity", q3::kLime},
      {0x11, "Pick-up (CKPS) 1 = is running, negative polarity", q3::kLime},
      {0x41, "Pick-up (CKPS) 1 = is running, polarity error", q3::kRed},
      {0x45, "Pick-up (CKPS) 1 = is running, polarity error", q3::kRed},
      {0x05,
       "Pick-up (CKPS) 1 = is running, positive polarity, Pick up system error                    ",
       q3::kRed},
  };
  for (const Case& c : cases) {
    byte(q3::MonitorByte::PickupStatus, c.status);
    EXPECT_EQ(run("LabelMonSnimac1").text, c.text1) << c.status;
    EXPECT_EQ(value("LabelMonSnimac1").colour, c.colour1) << c.status;
  }
  byte(q3::MonitorByte::PickupStatus, 0x02);
  EXPECT_EQ(run("LabelMonSnimac2").text, "Pick-up (CKPS) 2 = is running, positive polarity");
  // The second pickup's label shows with the systems that use one.
  for (int system = 0; system < 20; ++system) {
    byte(q3::MonitorByte::PickupSystem, system);
    const bool two = system == 0 || system == 4 || system == 9 || system == 17 || system == 18 ||
                     system == 6 || system == 11 || system == 12 || system == 14;
    EXPECT_EQ(run("LabelMonSnimac2").visible, two) << system;
  }
  ctx.unitConnected = false;
  model.image().setByte(q3::ImageByte::PickupSystem, 4);
  EXPECT_EQ(run("LabelMonSnimac1").text, "Pick-up (CKPS) 1 =  ---");
  EXPECT_TRUE(value("LabelMonSnimac2").visible);
}

// Without a unit the block is cleared and every number reads "---"; a
// recording played back counts as a unit.
TEST_F(Refresh, NotConnectedClearsTheBlockAndPlaybackCountsAsConnected) {
  word(q3::MonitorWord::EngineSpeed, 4000);
  word(q3::MonitorWord::Dwell, 35);
  word(q3::MonitorWord::DwellOpt, 30);
  word(15, 125);
  byte(115, 1);
  word(39, 3);
  byte(q3::MonitorByte::ErrorFlags, 0x01);
  ctx.unitConnected = false;
  ctx.playback = true;
  EXPECT_EQ(run("LabelRpm").text, "RPM = 4000");
  EXPECT_EQ(value("LabelDwell").text, "Dwell = 3.5 (opt. = 3.0) [ms]");
  EXPECT_EQ(value("LabelHourMeter").text, "Hour meter = 1094:21 [h:mm]");  // 65536 + 125 min
  EXPECT_EQ(value("LabelOvervoltageEvents").text, "Number of overvoltages on-board = 3");
  EXPECT_TRUE(value("LabelEeDataErr").visible);
  EXPECT_EQ(mon.live().rpm, 4000);

  ctx.playback = false;
  const char* const dashed[][2] = {
      {"LabelRpm", "RPM = ---"},
      {"LabelDwell", "Dwell = --- [ms]"},
      {"LabelMonSpeed", "Speed = --- [km/h]"},
      {"LabelMonGear", "Gear = ---"},
      {"LabelPotentiometer", "Potentiometer= --- [mV]"},
      {"LabelMonPotiCor", "Potentiometer correction = ---"},
      {"LabelMonLambda", "LAMBDA = --- [AFR] = --- mV"},
      {"LabelMonAkcel", "Acceleration= --- [rpm/s]"},
      {"LabelPocetProgramovani", "Number of Programing= ---"},
      {"LabelServo", "Servo = ---"},
      {"LabelPropMon1", "Prop1 = --- "},
      {"LabelHourMeter", "Hour meter = ---"},
      {"LabelOvervoltageEvents", "Number of overvoltages on-board = ---"},
      {"LabelMonPomerRpmSpeedAuto1", "---"},
      {"LabelMonN2oProcent", "N2O = --- [%]"},
      {"LabelFullSynchro1", "---"},
  };
  run("LabelRpm");
  for (const auto& d : dashed) EXPECT_EQ(value(d[0]).text, d[1]) << d[0];
  for (int i = 0; i < q3::kMonitorBufferLen; ++i) ASSERT_EQ(model.monitor().byte(i), 0) << i;
  EXPECT_FALSE(value("LabelEeDataErr").visible);
  EXPECT_TRUE(value("LabelMonPotiCor").enabled);
}

TEST_F(Refresh, ServoPowerOutputsAndProprietaryValues) {
  word(q3::MonitorWord::ServoPos1, 2400);
  word(q3::MonitorWord::ServoPos2, 2600);
  byte(q3::MonitorByte::ServoPercent1, 48);
  byte(q3::MonitorByte::ServoPercent2, 52);
  byte(q3::MonitorByte::StatusFlags, 0x30);
  byte(q3::MonitorByte::ErrorFlags, 0x10);
  EXPECT_EQ(run("LabelServo").text, "Servo = 48/52 [%] (2400/2600 [mV])");
  EXPECT_EQ(value("LabelServo").colour, q3::kNormal);
  EXPECT_TRUE(value("LabelServo").enabled);
  byte(q3::MonitorByte::StatusFlags, 0);
  byte(q3::MonitorByte::ErrorFlags, 0);
  EXPECT_EQ(run("LabelServo").text, "Servo = 2400/2600 [mV]");
  EXPECT_EQ(value("LabelServo").colour, q3::kRed);
  EXPECT_FALSE(value("LabelServo").enabled);

  struct Out {
    int function;
    const char* name;
    q3::Colour colour;
  } outs[] = {{1, "Fuel pump", q3::kTeal}, {2, "Gear shift light", q3::kFuchsia},
              {3, "Power jet", q3::kLime}, {253, "Power jet", q3::kLime},
              {4, "N2O", q3::kLime},       {255, "Special out", q3::kYellow},
              {0, "Not used", q3::kWhite}, {7, "Not used", q3::kWhite}};
  for (const Out& o : outs) {
    byte(111, o.function);  // output 2
    byte(109, 0x02);
    EXPECT_EQ(run("LabelMonPOut2").text, std::string("POUT2(") + o.name + ") = YES");
    EXPECT_EQ(value("LabelMonPOut2").colour, o.colour) << o.function;
    EXPECT_EQ(value("ButtonTest02").text, std::string("Power out 2 - ") + o.name);
    byte(109, 0x05);
    EXPECT_EQ(run("LabelMonPOut2").text, std::string("POUT2(") + o.name + ") = NO");
    EXPECT_EQ(value("LabelMonPOut2").colour, q3::kNormal);
  }

  word(21, 0xFFFE);
  EXPECT_EQ(run("LabelPropMon1").text, "Prop1 = 65534 ");
  ctx.propSigned[0] = true;
  EXPECT_EQ(run("LabelPropMon1").text, "Prop1 = -2 ");
  EXPECT_FALSE(value("LabelTest6").visible);
  ctx.serviceMode = true;
  EXPECT_EQ(run("LabelTest6").text, "Test6 = 65534 ");
  EXPECT_TRUE(value("LabelTest6").visible);
}

TEST_F(Refresh, HourMeterAndOvervoltages) {
  word(15, 90);
  word(39, 2);
  run("LabelHourMeter");  // bit 7 clear: the hour meter
  byte(q3::MonitorByte::InputsGrounded, 0x80);
  word(15, 61);  // bit 7 set: the age of the last overvoltage
  EXPECT_EQ(run("LabelHourMeter").text, "Hour meter = 1:30 [h:mm]");
  EXPECT_EQ(value("LabelOvervoltageEvents").text,
            "Number of overvoltages on-board = 2 (last ocurred before 1:01 [h:mm]) ");
  word(39, 0);
  EXPECT_EQ(run("LabelOvervoltageEvents").text, "Number of overvoltages on-board = 0");
}

// A page refresh started by the refresh (the pickup signal came or went)
// cannot run the refresh again; the signal state is remembered first, so the
// page is refreshed once per change.
TEST_F(Refresh, APageRefreshCannotRecurseIntoTheRefresh) {
  int pageRefreshes = 0;
  bool nestedRan = true;
  mon.setHooks({[&] {
                  ++pageRefreshes;
                  nestedRan = mon.refresh(ctx, RefreshCause::General);
                },
                nullptr});
  run("LabelRpm");  // the first refresh only learns the state
  EXPECT_EQ(pageRefreshes, 0);
  byte(q3::MonitorByte::PickupStatus, 0x01);
  run("LabelRpm");
  EXPECT_EQ(pageRefreshes, 1);
  EXPECT_FALSE(nestedRan);
  run("LabelRpm");
  EXPECT_EQ(pageRefreshes, 1);
  byte(q3::MonitorByte::PickupStatus, 0x00);
  run("LabelRpm");
  EXPECT_EQ(pageRefreshes, 2);
  EXPECT_TRUE(mon.refresh(ctx, RefreshCause::General));  // the guard is released
}

TEST_F(Refresh, TestButtonsWorkOnlyWithALiveUnit) {
  struct Case {
    bool connected, playback, enabled;
  } cases[] = {
      {true, false, true}, {false, false, false}, {true, true, false}, {false, true, false}};
  for (const Case& c : cases) {
    ctx.unitConnected = c.connected;
    ctx.playback = c.playback;
    for (const char* b : {"ButtonTestIgn1", "ButtonTestIgn4", "ButtonTest03", "ButtonTestRpm",
                          "ButtonTestServoMinus"})
      EXPECT_EQ(run(b).enabled, c.enabled) << b << " " << c.connected << c.playback;
  }
}

TEST_F(Refresh, UnitTextsAndLiveValues) {
  ctx.unitText = "IGN 07";
  ctx.dateText = " 7. 6.2022";
  ctx.timeText = "10:20";
  byte(q3::MonitorByte::UnitBike, 12);
  word(q3::MonitorWord::SavingCounter, 1500);
  byte(q3::MonitorByte::Gear, 3);
  run("LabelVerze1");
  EXPECT_EQ(value("LabelVerze1").text, "IGN 07");
  EXPECT_EQ(value("LabelVerze2").text, " 7. 6.2022");
  EXPECT_EQ(value("LabelVerze3").text, "10:20");
  EXPECT_EQ(mon.live().unitBike, 12);
  EXPECT_EQ(mon.live().savingCounter, 1500);
  EXPECT_EQ(mon.live().gear, 3);
  EXPECT_EQ(value("LabelMonGear").text, "Gear = 3");
}

}  // namespace
