// The controls the monitor refresh writes, in the order of its display
// values, and the small formatting routines its steps share.
#pragma once

#include <string>

namespace q3::monitem {

enum Item : int {
  Rpm,
  GaugeRpm,
  TpsMon,
  GaugeTps,
  Lambda,
  GaugeLambda,
  LambdaBlue,
  LambdaGreen,
  LambdaRed,
  Potentiometer,
  GaugePotentiometer,
  PotiCor,
  Pickup1,
  Pickup2,
  Voltage,
  Advance1,  // .. Advance4
  Dwell = Advance1 + 4,
  DwellCalibError,
  Speed,
  Gear,
  KillSwitch,  // the function states, in the order of their table
  Blocking,
  Quickshift,
  Retard,
  SecondMap,
  TachoLambda,
  StartLimiter,
  Limiter,
  EeDataErr,
  Test1,               // .. Test10
  Prop1 = Test1 + 10,  // .. Prop5
  Input1 = Prop1 + 5,  // .. Input6
  Akcel = Input1 + 6,
  GaugeAkcel,
  AccBelow,
  AccOver,
  Acc50,
  Acc100,
  Programmings,
  Verze1,                     // .. Verze3
  FullSynchro1 = Verze1 + 3,  // .. FullSynchro4
  Servo = FullSynchro1 + 4,
  POut1,                     // .. POut3
  ButtonTest01 = POut1 + 3,  // .. ButtonTest03, with the outputs' functions in their captions
  ButtonTestIgn1 = ButtonTest01 + 3,  // .. ButtonTestIgn4
  ButtonTestRpm = ButtonTestIgn1 + 4,
  ButtonTestServoPlus,
  ButtonTestServoMinus,
  GearMv,
  RpmSpeed,
  RpmSpeedAuto1,  // .. RpmSpeedAuto6
  N2oPercent = RpmSpeedAuto1 + 6,
  N2oRetard,
  HourMeter,
  Overvoltages,
  Count
};

// objectName of each item.
const char* itemName(int item);

// printf into a std::string.
std::string fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace q3::monitem
