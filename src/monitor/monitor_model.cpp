// The monitor refresh, steps 1..13: connection, live values, dwell
// calibration, engine speed, load sensor, lambda, potentiometer, pickups,
// voltage, advance, dwell, speed and gear. The further steps are in
// monitor_model_steps.cpp.
#include "monitor/monitor_model.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "monitor/monitor_items.h"
#include "monitor/monitor_text.h"
#include "params/address_map.h"
#include "params/param_model.h"
#include "text/mstring.h"
#include "text/named_texts.h"
#include "text/ui_texts.h"

namespace q3 {

const char* controlCaption(const char* name) {
  for (const TextEntry& e : controlCaptionTable())
    if (e.kind == TextKind::Caption && std::strcmp(e.name, name) == 0)
      return entryText(e, language());
  return "";
}

namespace monitem {

namespace {
const char* const kNames[Count] = {
    "LabelRpm",
    "CGaugeRpm",
    "LabelTpsMon",
    "CGaugeTps",
    "LabelMonLambda",
    "CGaugeLambda",
    "LabelLambdaBlue",
    "LabelLambdaGreen",
    "LabelLambdaRed",
    "LabelPotentiometer",
    "CGaugePotentiometer",
    "LabelMonPotiCor",
    "LabelMonSnimac1",
    "LabelMonSnimac2",
    "LabelNapeti",
    "LabelAdvance1",
    "LabelAdvance2",
    "LabelAdvance3",
    "LabelAdvance4",
    "LabelDwell",
    "LabelDwellCalibError",
    "LabelMonSpeed",
    "LabelMonGear",
    "LabelKillSwitch",
    "LabelBlocking",
    "LabelClutchMon",
    "LabelMonRetard",
    "Label2ndAdv",
    "LabelMonTachoLambdaOut",
    "LabelMonStartLimiterOut",
    "LabelMonLimiterOut",
    "LabelEeDataErr",
    "LabelTest1",
    "LabelTest2",
    "LabelTest3",
    "LabelTest4",
    "LabelTest5",
    "LabelTest6",
    "LabelTest7",
    "LabelTest8",
    "LabelTest9",
    "LabelTest10",
    "LabelPropMon1",
    "LabelPropMon2",
    "LabelPropMon3",
    "LabelPropMon4",
    "LabelPropMon5",
    "LabelMonInput1In",
    "LabelMonInput2In",
    "LabelMonInput3In",
    "LabelMonInput4In",
    "LabelMonInput5In",
    "LabelMonInput6In",
    "LabelMonAkcel",
    "CGaugeAkcel",
    "LabelAccBelow",
    "LabelAccOver",
    "LabelAcc50",
    "LabeAcc100",
    "LabelPocetProgramovani",
    "LabelVerze1",
    "LabelVerze2",
    "LabelVerze3",
    "LabelFullSynchro1",
    "LabelFullSynchro2",
    "LabelFullSynchro3",
    "LabelFullSynchro4",
    "LabelServo",
    "LabelMonPOut1",
    "LabelMonPOut2",
    "LabelMonPOut3",
    "ButtonTest01",
    "ButtonTest02",
    "ButtonTest03",
    "ButtonTestIgn1",
    "ButtonTestIgn2",
    "ButtonTestIgn3",
    "ButtonTestIgn4",
    "ButtonTestRpm",
    "ButtonTestServoPlus",
    "ButtonTestServoMinus",
    "LabelMonGearNapeti",
    "LabelMonPomerRpmSpeed",
    "LabelMonPomerRpmSpeedAuto1",
    "LabelMonPomerRpmSpeedAuto2",
    "LabelMonPomerRpmSpeedAuto3",
    "LabelMonPomerRpmSpeedAuto4",
    "LabelMonPomerRpmSpeedAuto5",
    "LabelMonPomerRpmSpeedAuto6",
    "LabelMonN2oProcent",
    "LabelMonN2oRetard",
    "LabelHourMeter",
    "LabelOvervoltageEvents",
};
}  // namespace

const char* itemName(int item) { return item >= 0 && item < Count ? kNames[item] : ""; }

std::string fmt(const char* format, ...) {
  char buf[256];
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(buf, sizeof buf, format, ap);
  va_end(ap);
  return buf;
}

}  // namespace monitem

using namespace monitem;

namespace {

DisplayKind kindOf(int item) {
  switch (item) {
    case GaugeRpm:
    case GaugeTps:
    case GaugeLambda:
    case GaugePotentiometer:
    case GaugeAkcel:
      return DisplayKind::Gauge;
    case LambdaBlue:
    case LambdaGreen:
    case LambdaRed:
    case AccBelow:
    case AccOver:
      return DisplayKind::Strip;
    default:
      return item >= ButtonTest01 && item <= ButtonTestServoMinus ? DisplayKind::Button
                                                                  : DisplayKind::Label;
  }
}

const char* nt(NamedText t) { return namedText(t); }

bool bit(int byte, int b) { return (byte >> b) & 1; }

// Trigger systems that use a second pickup: the two-pickup systems, the
// camshaft systems and system 14.
bool usesSecondPickup(int system) {
  switch (system) {
    case 0:
    case 4:
    case 9:
    case 17:
    case 18:
    case 6:
    case 11:
    case 12:
    case 14:
      return true;
    default:
      return false;
  }
}

}  // namespace

MonitorModel::MonitorModel(ParamModel& model) : m_model(model), m_values(size_t(Count)) {
  for (int i = 0; i < Count; ++i) {
    m_values[size_t(i)].name = itemName(i);
    m_values[size_t(i)].kind = kindOf(i);
  }
  m_values[size_t(LambdaBlue)].anchor = m_values[size_t(LambdaGreen)].anchor =
      m_values[size_t(LambdaRed)].anchor = "CGaugeLambda";
  m_values[size_t(AccBelow)].anchor = m_values[size_t(AccOver)].anchor = "CGaugeAkcel";
}

const DisplayValue* MonitorModel::find(const char* name) const {
  for (const DisplayValue& v : m_values)
    if (std::strcmp(v.name, name) == 0) return &v;
  return nullptr;
}

bool MonitorModel::refresh(const MonitorContext& ctx, RefreshCause cause) {
  if (m_running) return false;
  m_running = true;
  (void)cause;
  // 1. Connected: a unit identified on a port, or a recording being played.
  m_connected = ctx.unitConnected || ctx.playback;
  if (!m_connected) m_model.monitor().clear();
  copyLive();
  calibration(ctx);
  engine();
  const ParamImage& img = m_model.image();
  load(img.byte(ImageByte::TpsIapSensor));
  lambda();
  potentiometer();
  const MonitorBuffer& mon = m_model.monitor();
  pickups(m_connected ? mon.byte(MonitorByte::PickupSystem) : img.byte(ImageByte::PickupSystem));
  voltageAndAdvance(m_connected ? mon.byte(MonitorByte::Channels) : img.byte(ImageByte::Channels));
  dwellSpeedGear(ctx);
  functionStates(ctx);
  testAndInputs(ctx);
  acceleration();
  unitTexts(ctx);
  servoAndOutputs();
  pageValues();
  hourMeter();
  // The test buttons work only with a live unit: never during playback.
  for (int b = ButtonTest01; b <= ButtonTestServoMinus; ++b)
    at(b).enabled = ctx.unitConnected && !ctx.playback;

  // 9. The pickup signal came or went: the active page shows its rules again.
  // The state is remembered first, and the guard is still held, so the page
  // refresh that follows cannot run this refresh again.
  const bool signal = m_connected && (mon.byte(MonitorByte::PickupStatus) & 0x03) != 0;
  const bool changed = m_signal && *m_signal != signal;
  m_signal = signal;
  if (changed && m_hooks.pickupSignalChanged) m_hooks.pickupSignalChanged();
  m_running = false;
  return true;
}

// 2. The live values other features read.
void MonitorModel::copyLive() {
  const MonitorBuffer& m = m_model.monitor();
  MonitorLive& l = m_live;
  l.rpm = m.word(MonitorWord::EngineSpeed);
  l.sensorMode = std::min<int>(m.byte(MonitorByte::LoadSensor), 2);
  l.throttle = l.sensorMode < 2 ? m.word(MonitorWord::LoadValue) * 10 : -1;
  l.pressure = l.sensorMode == 2 ? m.word(MonitorWord::LoadValue) : -1;
  l.sensorMv = m.word(MonitorWord::LoadVoltage);
  l.tpsError = bit(m.byte(MonitorByte::ErrorFlags), 2);
  l.iapError = bit(m.byte(MonitorByte::ErrorFlags), 1);
  l.gear = m.byte(MonitorByte::Gear);
  l.n2oPercent = m.byte(MonitorByte::N2oPercent);
  l.gearMv = m.word(MonitorWord::GearVoltage);
  l.rpmSpeedRatio = m.word(MonitorWord::GearRatio);
  l.secondMap = bit(m.byte(MonitorByte::FunctionStates), 5);
  l.lambda = m.byte(MonitorByte::Lambda);
  l.lambdaMv = m.word(MonitorWord::LambdaVoltage);
  l.savingCounter = m.word(MonitorWord::SavingCounter);
  l.potMv = m.word(MonitorWord::PotVoltage);
  l.unitBike = m.byte(MonitorByte::UnitBike);
  l.programmedDataError = m_connected && bit(m.byte(MonitorByte::ErrorFlags), 0);
  l.dwellEe = m.byte(MonitorByte::DwellEe);
  l.dwellFlash = m.byte(MonitorByte::DwellFlash);
  l.dwellNew = m.byte(MonitorByte::DwellNew);
}

// 3. Dwell calibration check and the announcement to the production tester.
void MonitorModel::calibration(const MonitorContext& ctx) {
  auto out = [](int v) { return v < 80 || v > 250; };  // 0 and 255: no value stored
  const int ee = m_live.dwellEe, flash = m_live.dwellFlash, fresh = m_live.dwellNew;
  bool error = out(flash) && out(ee);
  if (flash != 0 && m_announced != 0) {
    if (flash == m_announced)
      m_announced = 0;
    else
      error = true;
  }
  const bool idle = ctx.supervisorStep == 1 || ctx.supervisorStep == 2;
  if ((m_shownDataError && idle) || !m_connected) {
    if (m_announced == 0 && fresh != 0 && fresh != flash && ctx.serviceMode) {
      m_announced = fresh;
      if (m_hooks.testerMessage) m_hooks.testerMessage(fresh);
    }
  }
  m_live.calibrationError = error;
}

// 4. Engine speed: label and gauge (0..100 of the rev limiter).
void MonitorModel::engine() {
  const MonitorBuffer& m = m_model.monitor();
  MonitorText t(m_connected);
  DisplayValue& l = at(Rpm);
  l.text = fmt("RPM = %s", t.integer(m_live.rpm).c_str());
  l.colour = m_connected && bit(m.byte(MonitorByte::StatusFlags), 0) ? kRed : kNormal;
  const int limiter = m_model.image().byte(ImageByte::Limiter);
  DisplayValue& g = at(GaugeRpm);
  g.maximum = 100;
  g.value = std::clamp(m_live.rpm / (limiter ? limiter : 100), 0, 100);
}

// 5. Throttle or intake pressure: label and gauge.
void MonitorModel::load(int imageMode) {
  const MonitorBuffer& m = m_model.monitor();
  MonitorText t(m_connected);
  DisplayValue& l = at(TpsMon);
  DisplayValue& g = at(GaugeTps);
  static const Colour modeColour[3] = {kGray, kDesktop, kPurple};
  l.colour = kNormal;
  if (!m_connected) {
    const int mode = std::min(imageMode, 2);
    l.text = mode == 2 ? "IAP= ---" : "TP= ---";
    l.enabled = mode != 0;
    g.colour = modeColour[mode];
    g.maximum = mode == 2 ? 300 : 100;
    g.value = 0;
    return;
  }
  const int mode = m_live.sensorMode;
  const std::string mv = t.integer(m.word(MonitorWord::LoadVoltage));
  const int value = m.word(MonitorWord::LoadValue);
  g.colour = modeColour[mode];
  l.enabled = mode != 0;
  const bool iap = mode == 2;
  const char* name = iap ? "IAP" : "TP";
  g.maximum = iap ? 300 : 100;
  // A throttle above 100 % cannot be: a sensor error in both throttle modes.
  const bool error = iap ? m_live.iapError : m_live.throttle > 1000 || m_live.tpsError;
  if (error) {
    l.text = fmt("%s=%s = %s [mV]", name, nt(NamedText::Error), mv.c_str());
    l.colour = kRed;
    g.value = 0;
  } else {
    l.text =
        fmt("%s= %s [%s]= %s [mV]", name, t.integer(value).c_str(), iap ? "kPa" : "%", mv.c_str());
    g.value = std::clamp(value, 0, g.maximum);
  }
}

// 6. Lambda: label, gauge between the bar's low and high values, and the
// three coloured bands under it.
void MonitorModel::lambda() {
  MonitorText t(m_connected);
  const ParamImage& img = m_model.image();
  const int low = img.byte(ImageByte::LambdaBar), green = img.byte(ImageByte::LambdaBar + 1);
  const int fuchsia = img.byte(ImageByte::LambdaBar + 2), high = img.byte(ImageByte::LambdaBar + 3);
  const int v = m_live.lambda;
  at(Lambda).text =
      fmt("LAMBDA = %s [AFR] = %s mV", t.scaled(v, 10).c_str(), t.integer(m_live.lambdaMv).c_str());
  DisplayValue& g = at(GaugeLambda);
  g.maximum = 100;
  g.visible = v != 255;
  if (v < low || high == low)
    g.value = 0;
  else if (v > high)
    g.value = 100;
  else
    g.value = std::clamp((v - low) * 100 / (high - low), 0, 100);
  g.colour = v == 0 ? kNormal : v < green ? kBlue : v < fuchsia ? kLime : kFuchsia;
  if (high == low) {
    for (int s : {LambdaBlue, LambdaGreen, LambdaRed}) at(s).width = -1;
    return;
  }
  const double span = high - low;
  const double blue = std::clamp((green - low) / span, 0.0, 1.0);
  const double lime = std::clamp((fuchsia - green) / span, 0.0, 1.0 - blue);
  at(LambdaBlue).colour = kBlue;
  at(LambdaBlue).left = 0;
  at(LambdaBlue).width = blue;
  at(LambdaGreen).colour = kLime;
  at(LambdaGreen).left = blue;
  at(LambdaGreen).width = lime;
  at(LambdaRed).colour = kRed;
  at(LambdaRed).left = blue + lime;
  at(LambdaRed).width = 1.0 - blue - lime;
}

// 7, 8. Potentiometer voltage and the correction its function applies.
void MonitorModel::potentiometer() {
  const MonitorBuffer& m = m_model.monitor();
  MonitorText t(m_connected);
  at(Potentiometer).text =
      fmt("%s= %s [mV]", nt(NamedText::Potentiometer), t.integer(m_live.potMv).c_str());
  DisplayValue& g = at(GaugePotentiometer);
  g.maximum = 5000;
  g.value = std::clamp(m_live.potMv, 0, 5000);

  DisplayValue& c = at(PotiCor);
  const int v = m.word(MonitorWord::PotCorrection);
  c.enabled = true;
  switch (m_connected ? m.byte(MonitorByte::PotFunction) : 0) {
    case 1:
      c.text = fmt("%s = %s [°]", nt(NamedText::AdvanceCorrection),
                   t.fixed((v - 1000) / 10.0, 1).c_str());
      return;
    case 2:
      c.text =
          fmt("%s = %s [rpm]", nt(NamedText::StartLimiterCorrection), t.integer(v - 10000).c_str());
      return;
    case 3:
      c.text = fmt("%s = %s [rpm]", nt(NamedText::GearShiftLightCorrection),
                   t.integer(v - 10000).c_str());
      return;
    case 4:
      c.text = fmt("%s = %s [rpm/s]", nt(NamedText::AccMapSwitchCorrection),
                   t.integer(v - 10000).c_str());
      return;
    default:
      c.text = fmt("%s = ---", nt(NamedText::PotentiometerCorrection));
      c.enabled = !m_connected;
  }
}

// 9. The two pickups: signal, polarity and errors.
void MonitorModel::pickups(int triggerSystem) {
  const int status = m_model.monitor().byte(MonitorByte::PickupStatus);
  for (int p = 0; p < 2; ++p) {
    DisplayValue& l = at(Pickup1 + p);
    l.colour = kNormal;
    if (!m_connected) {
      l.text = fmt("%s %i =  ---", nt(NamedText::PickupCkps), p + 1);
      continue;
    }
    const bool running = bit(status, 0 + p);
    l.text = fmt("%s %i = %s", nt(NamedText::PickupCkps), p + 1,
                 nt(running ? NamedText::IsRunning : NamedText::NoSignal));
    if (running) l.colour = kLime;
    if (bit(status, 6 + p)) {
      l.text += nt(NamedText::PolarityError);
      l.colour = kRed;
    } else {
      l.text += nt(bit(status, 4 + p) ? NamedText::NegativePolarity : NamedText::PositivePolarity);
      if (bit(status, 2 + p)) {
        l.text += fmt(", %-40s", nt(NamedText::PickupSystemError));
        l.colour = kRed;
      }
    }
  }
  at(Pickup2).visible = usesSecondPickup(triggerSystem);
}

// 10, 11. Supply voltage in its bands; advance of the four channels.
void MonitorModel::voltageAndAdvance(int channels) {
  const MonitorBuffer& m = m_model.monitor();
  MonitorText t(m_connected);
  const int mv = m.word(MonitorWord::SupplyVoltage);
  DisplayValue& u = at(Voltage);
  u.text = fmt("U = %s [V]", t.fixed(mv / 1000.0, 1).c_str());
  if (!m_connected || (mv >= 11001 && mv <= 14998))
    u.colour = kNormal;
  else if (mv <= 7000 || mv >= 17999)
    u.colour = kRed;
  else
    u.colour = kYellow;

  const int shown = std::min(channels, 4);
  for (int i = 1; i <= 4; ++i) {
    DisplayValue& l = at(Advance1 + i - 1);
    const int raw = m.byte(MonitorByte::Advance + i - 1);
    const int cur = raw - 100;
    const int max = m.word(MonitorWord::MaxAdvance + i - 1);
    l.visible = i == 1 || shown >= i;
    l.colour = m_connected && raw != 0 && max >= 1 && cur >= max ? kYellow : kNormal;
    if (!m_connected) {
      l.text = fmt("%s %i = --- [°]", nt(NamedText::Advance), i);
    } else if (raw == 0) {
      // The unit runs on the base advance.
      l.text = max ? fmt("%s = %s/max %i [°]", nt(NamedText::Advance), nt(NamedText::Base), max)
                   : fmt("%s = %s", nt(NamedText::Advance), nt(NamedText::Base));
    } else {
      l.text = max ? fmt("%s %i = %i [°] /max %i [°]", nt(NamedText::Advance), i, cur, max)
                   : fmt("%s %i = %i [°]", nt(NamedText::Advance), i, cur);
    }
  }
}

// 12, 13. Dwell with its calibration error; speed and gear.
void MonitorModel::dwellSpeedGear(const MonitorContext& ctx) {
  const MonitorBuffer& m = m_model.monitor();
  MonitorText t(m_connected);
  DisplayValue& d = at(Dwell);
  d.text = m_connected ? fmt("%s = %s (%s = %s) [ms]", nt(NamedText::Dwell),
                             t.scaled(m.word(MonitorWord::Dwell), 10).c_str(), nt(NamedText::Opt),
                             t.scaled(m.word(MonitorWord::DwellOpt), 10).c_str())
                       : fmt("%s = --- [ms]", nt(NamedText::Dwell));
  d.colour = m_connected && bit(m.byte(MonitorByte::ErrorFlags), 3) ? kRed : kNormal;
  DisplayValue& calib = at(DwellCalibError);
  calib.text = controlCaption("LabelDwellCalibError");
  calib.visible = m_live.calibrationError && m_connected;

  const int status = m.byte(MonitorByte::StatusFlags);
  DisplayValue& s = at(Speed);
  s.text =
      fmt("%s = %s [km/h]", nt(NamedText::Speed), t.integer(m.word(MonitorWord::Speed)).c_str());
  s.enabled = m_connected ? bit(status, 6) : ctx.functionFlags[9];
  DisplayValue& g = at(Gear);
  g.text = fmt("%s = %s", nt(NamedText::Gear), t.integer(m_live.gear).c_str());
  g.enabled = m_connected ? bit(status, 7) : ctx.functionFlags[8];
}

}  // namespace q3
