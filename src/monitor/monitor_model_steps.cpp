// The monitor refresh, steps 14..28: function states, limiters, test and
// proprietary values, inputs, acceleration, counters, unit texts,
// synchronisation, servo, power outputs, the gear and N2O page values and
// the hour meter.
#include <algorithm>

#include "monitor/monitor_items.h"
#include "monitor/monitor_model.h"
#include "monitor/monitor_text.h"
#include "params/address_map.h"
#include "params/param_model.h"
#include "text/named_texts.h"

namespace q3 {

using namespace monitem;

namespace {

const char* nt(NamedText t) { return namedText(t); }
bool bit(int byte, int b) { return (byte >> b) & 1; }

struct FunctionRow {
  int item;
  NamedText slot;
  int bit;   // state bit in byte 141, enable bit in byte 143
  int flag;  // function flag while not connected
  Colour colour;
  bool inverted;  // a clear bit reads "YES" in aqua
};
constexpr FunctionRow kFunctions[] = {
    {KillSwitch, NamedText::KillSwitch, 0, 2, kRed, false},
    {Blocking, NamedText::Blocking, 1, 3, kRed, false},
    {Quickshift, NamedText::Quickshift, 2, 4, kLime, false},
    {Retard, NamedText::Retard, 3, 5, kAqua, false},
    {SecondMap, NamedText::SecondAdvanceChart, 5, 7, kLime, false},
    {TachoLambda, NamedText::TachoLambda, 6, 11, kAqua, true},
};

struct OutputFunction {
  NamedText slot;
  Colour colour;
};
OutputFunction outputFunction(int value) {
  switch (value) {
    case 1:
      return {NamedText::FuelPump, kTeal};
    case 2:
      return {NamedText::GearShiftLight, kFuchsia};
    case 3:
    case 253:
    case 254:
      return {NamedText::PowerJet, kLime};
    case 4:
      return {NamedText::N2o, kLime};
    case 255:
      return {NamedText::SpecialOut, kYellow};
    default:
      return {NamedText::NotUsed, kWhite};
  }
}

}  // namespace

// 14..16. Function states, start limiter, limiter and the data-error label.
// A state the unit reports reads "---" while no unit is connected.
void MonitorModel::functionStates(const MonitorContext& ctx) {
  const MonitorBuffer& m = m_model.monitor();
  const int states = m.byte(MonitorByte::FunctionStates);
  const int enables = m.byte(MonitorByte::FunctionEnables);
  const int status = m.byte(MonitorByte::StatusFlags);
  for (const FunctionRow& f : kFunctions) {
    DisplayValue& l = at(f.item);
    l.enabled = m_connected ? bit(enables, f.bit) : ctx.functionFlags[size_t(f.flag)];
    l.colour = kNormal;
    if (!l.enabled || !m_connected) {
      l.text = fmt("%s = ---", nt(f.slot));
      continue;
    }
    const bool set = bit(states, f.bit);
    const bool yes = f.inverted ? !set : set;
    l.text = fmt("%s = %s", nt(f.slot), nt(yes ? NamedText::Yes : NamedText::No));
    if (yes) l.colour = f.colour;
  }

  DisplayValue& s = at(StartLimiter);
  s.enabled = m_connected ? bit(enables, 4) : ctx.functionFlags[6];
  s.colour = kNormal;
  if (!m_connected) {
    s.text = fmt("%s = ---", nt(NamedText::StartLimiter));
  } else if (bit(states, 4)) {
    s.text = fmt("%s = %s", nt(NamedText::StartLimiter), nt(NamedText::Yes));
    s.colour = kRed;
  } else {
    s.text = fmt("%s = %s", nt(NamedText::StartLimiter),
                 nt(bit(status, 2) ? NamedText::Ready : NamedText::No));
  }

  DisplayValue& l = at(Limiter);
  const bool limiting = m_connected && bit(status, 0);
  l.text = m_connected ? fmt("%s = %s", nt(NamedText::Limiter),
                             nt(limiting ? NamedText::Yes : NamedText::No))
                       : fmt("%s = ---", nt(NamedText::Limiter));
  l.colour = limiting ? kRed : kNormal;

  m_shownDataError = m_live.programmedDataError;
  DisplayValue& ee = at(EeDataErr);
  ee.text = "Programmed data error";
  ee.visible = m_shownDataError;
}

// 17, 18. Test and proprietary values; the six inputs.
void MonitorModel::testAndInputs(const MonitorContext& ctx) {
  const MonitorBuffer& m = m_model.monitor();
  for (int i = 0; i < 10; ++i) {
    DisplayValue& l = at(Test1 + i);
    l.visible = ctx.serviceMode;
    l.text = fmt("Test%d = %d ", i + 1, m.word(MonitorWord::TestValues + i));
  }
  for (int i = 0; i < 5; ++i) {
    const int w = m.word(MonitorWord::TestValues + 5 + i);
    DisplayValue& l = at(Prop1 + i);
    if (!m_connected)
      l.text = fmt("Prop%d = --- ", i + 1);
    else if (ctx.propSigned[size_t(i)])
      l.text = fmt("Prop%d = %d ", i + 1, int(int16_t(w)));
    else
      l.text = fmt("Prop%d = %u ", i + 1, unsigned(w));
  }
  const int grounded = m.byte(MonitorByte::InputsGrounded);
  for (int i = 0; i < 6; ++i) {
    DisplayValue& l = at(Input1 + i);
    const bool g = m_connected && bit(grounded, i);
    l.text = m_connected ? fmt("%s = %s", nt(NamedText::Input),
                               nt(g ? NamedText::Grounded : NamedText::Open))
                         : fmt("%s = ---", nt(NamedText::Input));
    l.colour = g ? (i == 1 ? kAqua : kFuchsia) : kNormal;
  }
}

// 19, 20. Acceleration against the second-map switch threshold; the count
// of programmings.
void MonitorModel::acceleration() {
  const MonitorBuffer& m = m_model.monitor();
  MonitorText t(m_connected);
  const int accel = m.word(MonitorWord::Acceleration);
  at(Akcel).text = fmt("%s= %s [rpm/s]", nt(NamedText::Acceleration), t.integer(accel).c_str());
  int threshold = m_model.image().byte(ImageByte::Map2Accel) * 100;
  if (m_connected && m.byte(MonitorByte::PotFunction) == 4)
    threshold += m.word(MonitorWord::PotCorrection) - 10000;
  threshold = std::max(threshold, 0);
  const int scale = std::max(2 * threshold, 100);
  DisplayValue& g = at(GaugeAkcel);
  g.maximum = scale;
  g.value = std::clamp(accel, 0, scale);
  g.colour = !m_connected || accel < threshold ? kLime : kRed;
  // The bands as parts of the gauge: never truncated to nothing.
  const double below = double(threshold) / scale;
  at(AccBelow).colour = kLime;
  at(AccBelow).left = 0;
  at(AccBelow).width = below;
  at(AccOver).colour = kRed;
  at(AccOver).left = below;
  at(AccOver).width = 1.0 - below;
  at(Acc50).text = fmt("%i", scale / 2);
  at(Acc100).text = fmt("%i", scale);

  at(Programmings).text =
      fmt("%s= %s", nt(NamedText::NumberOfProgramming), t.integer(m.word(7)).c_str());
}

// 21, 22. The unit's texts; full synchronisation of the channels.
void MonitorModel::unitTexts(const MonitorContext& ctx) {
  at(Verze1).text = ctx.unitText;
  at(Verze1 + 1).text = ctx.dateText;
  at(Verze1 + 2).text = ctx.timeText;
  const int sync = m_model.monitor().byte(MonitorByte::SyncState);
  const bool valid = m_connected && bit(sync, 4);
  for (int i = 0; i < 4; ++i) {
    DisplayValue& l = at(FullSynchro1 + i);
    l.enabled = valid;
    l.text = valid ? nt(bit(sync, i) ? NamedText::Yes : NamedText::No) : "---";
    l.colour = valid ? (bit(sync, i) ? kLime : kRed) : kNormal;
  }
}

// 23, 24. Servo positions; the power outputs and the captions of their test buttons.
void MonitorModel::servoAndOutputs() {
  const MonitorBuffer& m = m_model.monitor();
  const int status = m.byte(MonitorByte::StatusFlags);
  DisplayValue& s = at(Servo);
  s.visible = true;
  if (!m_connected) {
    s.text = "Servo = ---";
    s.colour = kNormal;
    s.enabled = m_model.image().byte(ImageByte::ServoEnable) != 0;
  } else {
    const int mv1 = m.word(MonitorWord::ServoPos1), mv2 = m.word(MonitorWord::ServoPos2);
    s.text = bit(status, 4)
                 ? fmt("Servo = %i/%i [%%] (%i/%i [mV])", m.byte(MonitorByte::ServoPercent1),
                       m.byte(MonitorByte::ServoPercent2), mv1, mv2)
                 : fmt("Servo = %i/%i [mV]", mv1, mv2);
    s.colour = bit(m.byte(MonitorByte::ErrorFlags), 4) ? kNormal : kRed;
    s.enabled = bit(status, 5);
  }

  const int on = m.byte(109);
  for (int i = 0; i < 3; ++i) {
    const OutputFunction f = outputFunction(m.byte(110 + i));
    const std::string pout = fmt("POUT%d(%s)", i + 1, nt(f.slot));
    DisplayValue& l = at(POut1 + i);
    const bool set = m_connected && bit(on, i);
    l.text = m_connected ? fmt("%s = %s", pout.c_str(), nt(set ? NamedText::Yes : NamedText::No))
                         : fmt("%s = ---", pout.c_str());
    l.colour = set ? f.colour : kNormal;
    at(ButtonTest01 + i).text = fmt("Power out %d - %s", i + 1, nt(f.slot));
  }
}

// 25, 26. The live values of the gear and N2O pages.
void MonitorModel::pageValues() {
  const MonitorBuffer& m = m_model.monitor();
  MonitorText t(m_connected);
  at(GearMv).text =
      fmt("%s = %s [mV]", nt(NamedText::GearVoltage), t.integer(m_live.gearMv).c_str());
  at(RpmSpeed).text =
      fmt("Rpm/%s = %s", nt(NamedText::Speed), t.scaled(m_live.rpmSpeedRatio, 10).c_str());
  for (int i = 0; i < 6; ++i) at(RpmSpeedAuto1 + i).text = t.scaled(m.word(29 + i), 10);
  at(N2oPercent).text = fmt("N2O = %s [%%]", t.integer(m_live.n2oPercent).c_str());
  at(N2oRetard).text = fmt("%s = %s", nt(NamedText::N2oRetard), t.integer(m.byte(125)).c_str());
}

// 28. Hour meter and the overvoltages with the age of the last one.
void MonitorModel::hourMeter() {
  const MonitorBuffer& m = m_model.monitor();
  if (m_connected) {
    const int minutes = m.byte(115) * 65536 + m.word(15);
    if (bit(m.byte(MonitorByte::InputsGrounded), 7))
      m_live.overvoltageAgeMin = minutes;
    else
      m_live.hourMeterMin = minutes;
  } else {
    m_live.hourMeterMin.reset();
    m_live.overvoltageAgeMin.reset();
  }
  DisplayValue& h = at(HourMeter);
  if (m_live.hourMeterMin) {
    const int v = *m_live.hourMeterMin;
    h.text = fmt("%s = %i:%02i %s", nt(NamedText::HourMeter), v / 60, v % 60,
                 nt(NamedText::HoursMinutes));
  } else {
    h.text = fmt("%s = ---", nt(NamedText::HourMeter));
  }
  DisplayValue& o = at(Overvoltages);
  const int count = m.word(39);
  if (!m_connected) {
    o.text = fmt("%s = ---", nt(NamedText::Overvoltages));
  } else if (!m_live.overvoltageAgeMin || count == 0) {
    o.text = fmt("%s = %i", nt(NamedText::Overvoltages), count);
  } else {
    const int a = *m_live.overvoltageAgeMin;
    o.text = fmt("%s = %i (%s %i:%02i %s) ", nt(NamedText::Overvoltages), count,
                 nt(NamedText::LastOccurred), a / 60, a % 60, nt(NamedText::HoursMinutes));
  }
}

}  // namespace q3
