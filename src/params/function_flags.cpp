#include "params/function_flags.h"

#include "params/address_map.h"

namespace q3 {

int inputFunctionMask(int input) {
  switch (input) {
    case 0:
      return 0xAEF;
    case 2:
      return 0x9EF;
    default:
      return input >= 1 && input <= 5 ? 0xCEF : 0;
  }
}

FunctionFlags functionFlags(const ParamImage& img) {
  FunctionFlags r;
  auto set = [&r](Fn k, bool v) { r.f[static_cast<std::size_t>(k)] = v; };
  set(Fn::SpecialTrigger, img.byte(ImageByte::Bike) == 255);
  const bool neutral = img.byte(ImageByte::InputNeutralSs) != 0;
  set(Fn::NeutralSideStand, neutral);
  auto carried = [&](int value) {
    // With neutral and side stand inputs 1 and 2 are reserved for them.
    for (int i = neutral ? 2 : 0; i < 6; ++i)
      if (img.byte(ImageByte::InputFunction + i) == value) return true;
    return false;
  };
  set(Fn::KillSwitch, carried(kInputKill));
  set(Fn::Blocking, carried(kInputBlocking) || neutral);
  set(Fn::Quickshift, carried(kInputQuickshift));
  set(Fn::Retard, carried(kInputRetard));
  set(Fn::StartLimiter, carried(kInputStartLimiter));
  set(Fn::SecondAdvanceMap, carried(kInputMap2));
  set(Fn::Gear, carried(kInputGear));
  set(Fn::Speed, carried(kInputSpeed));
  set(Fn::TachoLambda, carried(kInputTachoLambda));
  set(Fn::N2O, carried(kInputN2O) && img.byte(ImageByte::PoutFunction + 2) == 4);
  return r;
}

bool applyFunctionConsequences(ParamImage& img) {
  img.setByte(ImageByte::ForeignMark, 0);
  const FunctionFlags f = functionFlags(img);
  const int method = img.byte(ImageByte::GearSystem);
  const bool orphan =
      (method == 1 && !f[Fn::Gear]) || ((method == 2 || method == 3) && !f[Fn::Speed]);
  if (orphan) img.setByte(ImageByte::GearSystem, 0);
  return orphan;
}

}  // namespace q3
