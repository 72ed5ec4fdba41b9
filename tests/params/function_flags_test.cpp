// The function flags from the trigger description and the six inputs.
#include "params/function_flags.h"

#include <gtest/gtest.h>

#include "params/address_map.h"

using q3::Fn;
using q3::ImageByte;

namespace {

struct Case {
  const char* what;
  int inputs[6];
  int neutral;
  int pout3;
  Fn flag;
  bool on;
};

TEST(FunctionFlags, FollowTheInputs) {
  const Case cases[] = {
      {"kill switch on input 4", {0, 0, 0, 1, 0, 0}, 0, 255, Fn::KillSwitch, true},
      {"kill switch on input 1 reserved by neutral",
       {1, 0, 0, 0, 0, 0},
       1,
       255,
       Fn::KillSwitch,
       false},
      {"kill switch on input 3 with neutral", {0, 0, 1, 0, 0, 0}, 1, 255, Fn::KillSwitch, true},
      {"neutral counts as blocking", {0, 0, 0, 0, 0, 0}, 1, 255, Fn::Blocking, true},
      {"no blocking", {0, 0, 0, 0, 0, 0}, 0, 255, Fn::Blocking, false},
      {"gear on input 3", {0, 0, 8, 0, 0, 0}, 0, 255, Fn::Gear, true},
      {"speed on input 1", {9, 0, 0, 0, 0, 0}, 0, 255, Fn::Speed, true},
      {"N2O needs output 3 on N2O", {0, 10, 0, 0, 0, 0}, 0, 255, Fn::N2O, false},
      {"N2O with output 3 on N2O", {0, 10, 0, 0, 0, 0}, 0, 4, Fn::N2O, true},
      {"tacho/lambda", {0, 0, 0, 0, 0, 11}, 0, 255, Fn::TachoLambda, true},
      {"second map", {0, 0, 0, 0, 7, 0}, 0, 255, Fn::SecondAdvanceMap, true},
      {"retard", {5, 0, 0, 0, 0, 0}, 0, 255, Fn::Retard, true},
      {"start limiter", {0, 6, 0, 0, 0, 0}, 0, 255, Fn::StartLimiter, true},
      {"quickshift", {0, 0, 0, 0, 0, 3}, 0, 255, Fn::Quickshift, true},
  };
  for (const Case& c : cases) {
    q3::ParamImage img;
    for (int i = 0; i < 6; ++i) img.setByte(ImageByte::InputFunction + i, c.inputs[i]);
    img.setByte(ImageByte::InputNeutralSs, c.neutral);
    img.setByte(ImageByte::PoutFunction + 2, c.pout3);
    EXPECT_EQ(q3::functionFlags(img)[c.flag], c.on) << c.what;
  }
}

TEST(FunctionFlags, SpecialTriggerIsBike255) {
  q3::ParamImage img;
  img.setByte(ImageByte::Bike, 255);
  EXPECT_TRUE(q3::functionFlags(img)[Fn::SpecialTrigger]);
  img.setByte(ImageByte::Bike, 20);
  EXPECT_FALSE(q3::functionFlags(img)[Fn::SpecialTrigger]);
}

TEST(FunctionFlags, InputsOfferTheirFunctions) {
  struct Offer {
    int input, value;
    bool offered;
  };
  for (const Offer& o : {Offer{0, 9, true}, Offer{0, 8, false}, Offer{0, 10, false},
                         Offer{2, 8, true}, Offer{2, 9, false}, Offer{2, 10, false},
                         Offer{1, 10, true}, Offer{5, 4, false}, Offer{0, 4, false}})
    EXPECT_EQ((q3::inputFunctionMask(o.input) >> o.value) & 1, o.offered ? 1 : 0)
        << "input " << o.input + 1 << " value " << o.value;
}

// A gear method keeps its input's function or falls back to "No".
TEST(FunctionFlags, GearMethodNeedsItsInput) {
  struct Method {
    const char* what;
    int method, input1, input3, neutral, after;
  };
  const Method cases[] = {
      {"voltage with gear on input 3", 1, 0, 8, 0, 1},
      {"voltage after input 3 went off", 1, 0, 0, 0, 0},
      {"voltage with speed only", 1, 9, 0, 0, 0},
      {"ratio with speed on input 1", 2, 9, 0, 0, 2},
      {"ratio after input 1 became a kill switch", 2, 1, 8, 0, 0},
      {"automat without speed", 3, 0, 8, 0, 0},
      {"automat with speed", 3, 9, 0, 0, 3},
      {"speed input reserved by neutral", 2, 9, 0, 1, 0},
      {"no method stays", 0, 0, 0, 0, 0},
  };
  for (const Method& c : cases) {
    q3::ParamImage img;
    img.setByte(ImageByte::GearSystem, c.method);
    img.setByte(ImageByte::InputFunction, c.input1);
    img.setByte(ImageByte::InputFunction + 2, c.input3);
    img.setByte(ImageByte::InputNeutralSs, c.neutral);
    img.setByte(ImageByte::ForeignMark, 1);
    EXPECT_EQ(q3::applyFunctionConsequences(img), c.after != c.method) << c.what;
    EXPECT_EQ(img.byte(ImageByte::GearSystem), c.after) << c.what;
    EXPECT_EQ(img.byte(ImageByte::ForeignMark), 0) << c.what;
  }
}

}  // namespace
