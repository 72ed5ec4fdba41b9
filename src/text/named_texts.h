// Named texts: the user-interface texts that code takes by name for message
// boxes, status messages and the monitor displays, in English, German and
// Czech (UTF-8).
//
// Usage from any subsystem:
//
//     #include "text/named_texts.h"
//     q3::dialogs().message(q3::namedText(q3::NamedText::Attention),
//                           q3::namedText(q3::NamedText::NewInstallationNotice), ...);
//     snprintf(buf, n, "%s = %s", q3::namedText(q3::NamedText::Speed), value);
//     q3::inputCaption(3)   // "Multifunction input 3 (pin 30)" in the current language
//
// The texts follow the language of the last applyNamedTexts() (the first
// step of applying the texts, run at start-up and after each language
// change); before the first one they are English. The returned pointers are
// static and stay valid for the run. Safe to call from any thread.
#pragma once

namespace q3 {

// In table order; the comment gives the English version.
enum class NamedText : int {
  Advance,                   // "Advance"
  Base,                      // "Base"
  PickupCkps,                // "Pick-up (CKPS)"
  Input,                     // "Input"
  Open,                      // "Open"
  Grounded,                  // "Grounded"
  FuelPump,                  // "Fuel pump"
  GearShiftLight,            // "Gear shift light"
  PowerJet,                  // "Power jet"
  SpecialOut,                // "Special out"
  NotUsed,                   // "Not used"
  Pulse,                     // "Pulse"
  Pwm,                       // "PWM"
  Dwell,                     // "Dwell"
  Opt,                       // "opt."
  Blocking,                  // "Blocking"
  Quickshift,                // "Quickshift"
  KillSwitch,                // "Kill switch"
  StartLimiter,              // "Start limiter"
  TachoLambda,               // "Tacho Lambda"
  Retard,                    // "Retard"
  N2oRetard,                 // "N2O Retard"
  UnmatchedVersion,          // "Unmatched version of PC and Ignition programs!"
  UnmatchedSubversion,       // "Unmatched subversion of PC and Ignition programs!"
  NumberOfProgramming,       // "Number of Programing"
  Yes,                       // "YES"
  No,                        // "NO"
  Ready,                     // "READY"
  Soft,                      // "SOFT"
  Error,                     // "error"
  Empty,                     // ""
  ComOpeningError,           // "Com opening error!"
  OpenFileError,             // "Open file error!"
  DefaultSettingQuestion,    // "Do you want default setting?"
  UnmatchedIgnFile,          // "Unmatched version of *.ign file!"
  CrossTransformation,       // "CROSS TRANSFORMATION OF ZAR FILE !"
  PickupSystemError,         // "Pick up system error"
  PolarityError,             // ", polarity error"
  IsRunning,                 // "is running"
  NoSignal,                  // "no signal"
  Desired,                   // "desired ="
  ServoEquals,               // "Servo ="
  DwellEquals,               // "Dwell="
  Potentiometer,             // "Potentiometer"
  Limiter,                   // "Limiter"
  ComOffline,                // "COM &offline"
  ComAuto,                   // "COM &auto"
  OlderIgnFileNotice,        // "Older or another version of *.ign file!\n\n..." (three lines)
  NewInstallationNotice,     // "This is a new installation of set software ..."
  DifferentBikeQuestion,     // "There is a different bike choosen ..."
  Warning,                   // "Warning"
  Attention,                 // "Attention"
  CorrectionForCylinder,     // "Correction for cylinder:"
  HourMeter,                 // "Hour meter"
  Overvoltages,              // "Number of overvoltages on-board"
  LastOccurred,              // "last ocurred before"
  HoursMinutes,              // "[h:mm]"
  PositivePolarity,          // ", positive polarity"
  NegativePolarity,          // ", negative polarity"
  PotentiometerCorrection,   // "Potentiometer correction"
  AdvanceCorrection,         // "Advance correction"
  StartLimiterCorrection,    // "Start Limiter correction"
  GearShiftLightCorrection,  // "Gear shift light correction"
  AccMapSwitchCorrection,    // "Correction of acc map switch"
  Gear,                      // "Gear"
  Speed,                     // "Speed"
  GearVoltage,               // "Gear voltage"
  Acceleration,              // "Acceleration"
  SecondAdvanceChart,        // "2nd advance chart"
  N2o,                       // "N2O"
  Count
};

constexpr int kNamedTextCount = static_cast<int>(NamedText::Count);
constexpr int kMultifunctionInputs = 6;

// The named text in the language of the last applyNamedTexts().
const char* namedText(NamedText name);
// The same by slot number (the NamedText value); "" outside the table.
const char* namedText(int slot);
// Caption of multifunction input 1..6 with its connector pin, in the language
// of the last applyNamedTexts(); "" outside 1..6.
const char* inputCaption(int input);

// One version of a named text or input caption (lang 0..2, others mean 0),
// independent of the applied language.
const char* namedTextVersion(NamedText name, int lang);
const char* inputCaptionVersion(int input, int lang);

// Takes the current language (q3::language(); outside 0..2 means English)
// for the named texts and input captions.
void applyNamedTexts();
// The language the named texts currently follow.
int namedTextLanguage();

}  // namespace q3
