// The address map of the parameter image and of the monitor block: every
// parameter, table and live value as a named index, and the start-up check
// that the four regions still fit together.
//
// ImageWord: word indices into the image (word w = bytes 2w, 2w+1).
// ImageByte: byte indices into the image (byte parameters, then tables).
// MonitorWord: word indices into the 151-byte monitor buffer.
// MonitorByte: byte indices into the monitor buffer.
// A "+k" comment means one entry per output, channel, gear ... at base + k.
#pragma once

#include "params/param_image.h"
#include "text/user_dialogs.h"

namespace q3 {

struct ImageWord {
  enum : int {
    TpsLow = 0,         // throttle sensor voltage at 0 % [mV]
    TpsHigh = 1,        // throttle sensor voltage at 100 % [mV]
    IapCal = 2,         // 2..5: pressure, voltage, pressure, voltage
    AdvIap = 6,         // 6..15: load axis of advance map 1
    Adv2Iap = 16,       // 16..25: load axis of advance map 2
    ServoIap = 26,      // 26..35: load axis of the servo map
    PoutWords = 36,     // 36+2k, 37+2k: two word settings of power output k
    PoutPwmWords = 44,  // 44+4k..47+4k: PWM word settings of output k
    PotRange = 60,      // potentiometer range
    SpeedPulses = 61,   // speed-sensor constant
    GearRatio = 62,     // 62..67: ratio of gears 1..6
    GearVoltage = 68,   // 68..74: sensor voltage of gears 0..6
    Proprietary = 76,   // 76..80: signed general-purpose values
    Last = 84,          // last word of the word-parameter region
    End = 85,
    // The word part of the lambda curve lies in the byte region (bytes 500..511).
    LambdaCurveWords = 250,  // 250..255
  };
};

struct ImageByte {
  enum : int {
    First = 170,  // first byte parameter (follows the word region)
    Bike = 170,
    PickupPolarity1 = 172,
    PickupPolarity2 = 173,
    PickupsInterchange = 174,
    NoLobeCheck = 175,
    InterlockInput = 176,
    SparkBeforeLobe = 177,
    SpecialStart = 178,
    SpecialDwellStart = 179,
    RevWoIgnition = 180,
    Compensation = 181,
    RpmPulses = 182,      // read as signed
    RpmCorrection = 183,  // stored +100
    PickupSystem = 184,
    Lobes = 185,
    Channels = 186,
    LobesPerRev = 187,
    EdgeStart = 188,  // 188..191: maximum-advance edge of channel 1..4
    EdgeEnd = 192,    // 192..195: start-advance edge of channel 1..4
    FourStroke = 196,
    SpecialStartPerc = 197,
    Limiter = 202,
    StartLim = 203,
    StartLimMin = 204,
    StartLimDelay = 205,
    Retard = 208,
    DwellMode = 209,
    DwellTime = 210,
    DwellCor = 211,
    DwellDyn = 212,
    DwellMaxTime = 213,
    DurDischarge = 214,
    DwellMaxRpmLobe = 215,
    TpsIapSensor = 216,  // 0 none, 1 TPS, 2 IAP
    PotFunction = 217,
    Map2Accel = 218,
    InputFunction = 219,  // 219..224: function of input 1..6
    InputInverse = 225,   // bit i: input i+1 inverted
    InputNeutralSs = 226,
    BaseAdv = 233,
    AdvMap = 234,
    Adv2Map = 235,
    AdvColumns = 236,
    Adv2Columns = 237,
    CorrAdvance = 238,     // 238..241, stored +100
    PoutFunction = 244,    // +k
    PoutThreshold = 248,   // 248+3k..250+3k
    PoutFurther = 260,     // +k
    PoutPwmFreq = 264,     // +k
    PoutPwmSetting = 268,  // +k
    PoutPulse = 272,       // +k
    PoutCondition = 276,   // 276+3k..278+3k
    PoutPwmRpm = 288,      // 288+6k..293+6k
    PoutPwmTable = 312,    // 312+24k..335+24k
    ServoEnable = 408,
    ServoPercent = 409,
    ServoMap = 410,
    ServoColumns = 411,
    ServoHyster = 412,
    ServoNo = 413,
    GearSystem = 416,
    GearCount = 417,
    SpeedMode = 418,
    GearAutoTime = 419,
    GearAutoRpm = 420,
    GearAutoTps = 421,
    GearAutoBand = 422,
    ClutchMode = 425,
    ClutchTime = 426,  // 426..431, per gear
    ClutchPause1 = 432,
    ClutchPause2 = 433,
    ClutchMinRpm = 434,
    ClutchAdv = 435,
    GearCorrAdv = 436,      // 436..441, stored +100
    GearCorrLimiter = 442,  // 442..447, stored +100
    GearCorrServo = 448,    // 448..453, stored +100
    GearCorrPout = 454,     // 454..465, two rows of 6, stored +100
    N2oEnable = 470,
    N2oRpmMin = 471,
    N2oTpsMin = 472,
    N2oRepeat = 473,
    N2oGas1 = 474,
    N2oGas2 = 475,
    N2oGasT = 476,
    N2oGasD = 477,
    N2oRetard1 = 478,
    N2oRetard2 = 479,
    N2oRetardT = 480,
    N2oRetardD = 481,
    TestOut = 486,  // 486, 487
    LambdaSensor = 489,
    LambdaCurveBytes = 490,      // 490..495
    LambdaBar = 496,             // 496..499
    LambdaCurveWordBytes = 500,  // 500..511 = words 250..255
    SyncPolarity = 512,
    ForeignMark = 513,  // 0 after defaults and after loading an older or foreign file
    SecondTurn = 514,   // bit i: lobe i+1 belongs to the second turn
    ServoSensor = 515,
    LambdaTachoAxis = 516,    // 516, 517
    LambdaTachoValues = 518,  // 518, 519
    GearCorrPout2 = 520,      // 520..525, third row, stored +100
    ByteParamsEnd = 526,      // one past the last byte parameter
    // Tables: rows of 15 entries.
    TablesBegin = 555,
    ServoRpm = 555,  // 555..569
    RpmAdv = 570,    // 570..584
    RpmAdv2 = 585,   // 585..599
    Advance = 600,   // 600..749, 10 rows x 15, stored +100
    Servo = 750,     // 750..899, 10 rows x 15
    Advance2 = 900,  // 900..1049, stored +100
    End = 1050,      // one past the last index
  };
};

// Shapes of the tables.
inline constexpr int kMapColumns = 15;
inline constexpr int kMapRows = 10;
inline constexpr int kPowerOutputs = 3;
inline constexpr int kChannels = 4;
inline constexpr int kPageCount = 10;

// Monitor buffer: received byte j is stored at index j+1; index 0 stays 0.
inline constexpr int kMonitorBlockLen = 150;
inline constexpr int kMonitorBufferLen = 151;

struct MonitorWord {
  enum : int {
    First = 1,
    EngineSpeed = 1,    // [rpm]
    LoadVoltage = 2,    // [mV]
    LoadValue = 3,      // throttle [%] or pressure [kPa]
    SupplyVoltage = 4,  // [mV]
    ServoPos1 = 5,      // [mV]
    ServoPos2 = 6,      // [mV]
    SavingCounter = 8,  // storing work left in the unit
    MaxAdvance = 9,     // 9..12: channel 1..4 [deg]
    DwellOpt = 13,
    Dwell = 14,
    TestValues = 16,  // 16..25
    Speed = 26,       // [km/h]
    GearVoltage = 27,
    GearRatio = 28,
    Acceleration = 35,  // [rpm/s]
    PotVoltage = 36,    // [mV]
    PotCorrection = 37,
    LambdaVoltage = 38,  // [mV]
    PickupBlockLength = 49,
    Last = 49,
  };
};

struct MonitorByte {
  enum : int {
    UnitBike = 1,  // the unit's bike selection (inside the word region by position)
    First = 100,
    LoadSensor = 100,  // 0 none, 1 TPS, 2 IAP (above 2 read as 2)
    Advance = 105,     // 105..108: channel 1..4, +100, 0 = base advance
    DwellEe = 114,
    ServoPercent1 = 116,
    ServoPercent2 = 117,
    PickupSystem = 118,
    Channels = 119,
    N2oPercent = 120,
    Gear = 121,
    PotFunction = 122,
    DwellFlash = 123,
    DwellNew = 124,
    Lambda = 126,     // [0.1 AFR]
    SyncState = 127,  // bits 0..3 synchronised channels, bit 4 valid
    PickupBlockState = 128,
    PickupBlockXor = 129,
    PickupBlockSum = 130,
    PickupPeriod = 131,
    PickupStatus = 140,
    FunctionStates = 141,
    InputsGrounded = 142,
    FunctionEnables = 143,
    ErrorFlags = 144,
    StatusFlags = 145,
    VersionMinor = 149,
    VersionMajor = 150,
    End = 150,  // last index of the buffer
  };
};

// Named bit fields inside byte parameters and monitor bytes.
struct BitField {
  const char* name;
  int index;  // byte index (image or monitor buffer)
  int width;  // bits
};
inline constexpr BitField kBitFields[6] = {
    {"InputInverse", ImageByte::InputInverse, 8},
    {"InputsGrounded", MonitorByte::InputsGrounded, 7},
    {"SecondTurn", ImageByte::SecondTurn, 8},
    {"PickupStatus", MonitorByte::PickupStatus, 8},
    {"SyncState", MonitorByte::SyncState, 5},
    {"FunctionStates", MonitorByte::FunctionStates, 8},
};

// The figures the start-up check looks at; tests vary them to make rules fire.
struct AddressLayout {
  int lastWord = ImageWord::Last;
  int firstByte = ImageByte::First;
  int adrbEnd = ImageByte::End;
  int byteParamsEnd = ImageByte::ByteParamsEnd;
  int tablesBegin = ImageByte::TablesBegin;
  int lastMonWord = MonitorWord::Last;
  int firstMonByte = MonitorByte::First;
  int monbEnd = MonitorByte::End;
  int bitWidths[6] = {kBitFields[0].width, kBitFields[1].width, kBitFields[2].width,
                      kBitFields[3].width, kBitFields[4].width, kBitFields[5].width};
  int imageLen = kImageSize;
  int comMaxBuf = 8000;  // size of the serial transfer buffer
};

// Evaluates the seven rules; each broken rule shows an error box through
// dialogs and start-up goes on. Returns the number of messages shown.
int checkAddressMap(UserDialogs& dialogs, const AddressLayout& layout = AddressLayout{});

}  // namespace q3
