// The function flags: which functions the unit offers at all, from the
// trigger description and the six multifunction inputs. The pages, the
// monitor and the maps enable or grey their controls by them.
#pragma once

#include <array>

#include "params/param_image.h"

namespace q3 {

enum class Fn {
  SpecialTrigger = 0,  // byte 170 = 255
  NeutralSideStand,    // byte 226
  KillSwitch,
  Blocking,
  Quickshift,
  Retard,
  StartLimiter,
  SecondAdvanceMap,
  Gear,
  Speed,
  N2O,
  TachoLambda,
  Count,
};

struct FunctionFlags {
  std::array<bool, static_cast<int>(Fn::Count)> f{};
  bool operator[](Fn k) const { return f[static_cast<std::size_t>(k)]; }
};

FunctionFlags functionFlags(const ParamImage& img);

// Input function values (bytes 219..224).
inline constexpr int kInputOff = 0, kInputKill = 1, kInputBlocking = 2, kInputQuickshift = 3,
                     kInputRetard = 5, kInputStartLimiter = 6, kInputMap2 = 7, kInputGear = 8,
                     kInputSpeed = 9, kInputN2O = 10, kInputTachoLambda = 11;

// The functions input i (0..5) may carry, as a mask over the values.
int inputFunctionMask(int input);

// What follows from the flags when the inputs change: a gear method whose
// input function is gone (the voltage method without the gear function, the
// ratio methods without the speed function) falls back to "No", and the
// foreign-file mark is cleared. Returns whether the gear method changed.
bool applyFunctionConsequences(ParamImage& img);

}  // namespace q3
