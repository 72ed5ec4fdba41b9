// Binding tables of the pages whose settings stand beside their maps:
// Sensors, Advance Map, Servo, and the Test page.
#include "params/address_map.h"
#include "params/page_tables.h"

namespace q3::pages {

namespace {

using K = Kind;
constexpr Item kLoad[] = {{0, "NO"}, {1, "TP"}, {2, "IAP"}};
constexpr Item kLambda[] = {{0, "Standard"}, {1, "Uego"}};
constexpr Item kServoSensor[] = {{0, "Servo"}, {1, "Synchro IAP"}};

const ControlSpec kSensors[] = {
    {"RadioGroupTpsIap", K::RadioIndex, ImageByte::TpsIapSensor, 0, 1, 0, 0, 2, 1,
     "###Load sensor##Lastsensor##Snímač zátěže", kLoad},
    {"RadioGroupCidloLambdaMode", K::RadioIndex, ImageByte::LambdaSensor, 0, 1, 0, 0, 1, 1,
     "###Type##Typ##Typ", kLambda},
    {"RadioGroupSensorServa", K::RadioIndex, ImageByte::ServoSensor, 0, 1, 0, 0, 1, 1,
     "###Servo sensor##Servosensor##Snímač serva", kServoSensor},
};

#define Q3_KOR(i)                                                                         \
  {                                                                                       \
    "UpDownKorAdv" #i, K::Spin, ImageByte::CorrAdvance + (i)-1, 0, 1, -100, -30, 30, 1,   \
        "###Correction for cylinder " #i "##Korrektur Zylinder " #i "##Korekce válce " #i \
  }
const ControlSpec kAdvance[] = {
    {"UpDownBaseAdv", K::Spin, ImageByte::BaseAdv, 0, 1, 0, 0, 40, 1,
     "###Base advance [°]##Grundvorzündung [°]##Základní předstih [°]"},
    Q3_KOR(1),
    Q3_KOR(2),
    Q3_KOR(3),
    Q3_KOR(4),
};
#undef Q3_KOR

const ControlSpec kServo[] = {
    {"CheckBoxServoEnable", K::Check, ImageByte::ServoEnable, 0, 1, 0, 0, 1, 1,
     "###Servo enable##Servo aktiv##Servo povoleno"},
    {"CheckBoxServoProcenta", K::Check, ImageByte::ServoPercent, 0, 1, 0, 0, 1, 1,
     "###Percent##Prozent##Procenta"},
    {"UpDownServoHyster", K::Spin, ImageByte::ServoHyster, 0, 5, 0, 0, 1275, 5, "1/P [mV]"},
    {"UpDownServoNo", K::Spin, ImageByte::ServoNo, 0, 5, 0, 0, 1250, 5,
     "###Off [mV]##Aus [mV]##Vypnuto [mV]"},
};

#define Q3_BAR(i)                                                                    \
  {                                                                                  \
    "UpDownLambdaBar" #i, K::Spin, ImageByte::LambdaBar + (i), 0, 1, 0, 100, 200, 1, \
        "###Lambda bar " #i "##Lambda-Balken " #i "##Lambda pruh " #i                \
  }
#define Q3_PROP(i)                                                                           \
  {                                                                                          \
    "UpDownProp" #i, K::SpinWord, ImageWord::Proprietary + (i)-1, kSignedFlag, 1, 0, -32000, \
        32000, 1, "###Value " #i "##Wert " #i "##Hodnota " #i                                \
  }
const ControlSpec kTest[] = {
    {"UpDownTestRpm", K::Spin, ImageByte::TestOut, 0, 100, 0, 200, 25000, 100, "Rpm"},
    {"UpDownTestServo", K::Spin, ImageByte::TestOut + 1, 0, 10, 0, 10, 2500, 10,
     "###Time [ms]##Zeit [ms]##Čas [ms]"},
    Q3_BAR(0),
    Q3_BAR(1),
    Q3_BAR(2),
    Q3_BAR(3),
    Q3_PROP(1),
    Q3_PROP(2),
    Q3_PROP(3),
    Q3_PROP(4),
    Q3_PROP(5),
};
#undef Q3_BAR
#undef Q3_PROP

}  // namespace

std::span<const ControlSpec> sensorsTable() { return kSensors; }
std::span<const ControlSpec> advanceTable() { return kAdvance; }
std::span<const ControlSpec> servoTable() { return kServo; }
std::span<const ControlSpec> testTable() { return kTest; }

}  // namespace q3::pages
