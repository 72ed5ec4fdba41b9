// The monitor refresh: turns the monitor block (and, while no unit is
// connected, the parameter image and the function flags) into the texts,
// colours, states and gauge positions of the monitor area, the Test page and
// the other pages' live labels, and into the live values other features
// read (engine speed, load, gear, the unit's bike preset, ...).
//
// Widget-free: the result is a list of display values, each named by the
// objectName of the control it belongs to; a thin widget layer puts them on
// screen. The refresh never talks to the unit.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/status_sink.h"

namespace q3 {

class ParamModel;

// Colours the monitor uses besides those of the status slots (0xBBGGRR).
inline constexpr Colour kGray = 0x808080;
inline constexpr Colour kPurple = 0x800080;
inline constexpr Colour kFuchsia = 0xFF00FF;
inline constexpr Colour kTeal = 0x808000;
inline constexpr Colour kBlue = 0xFF0000;
inline constexpr Colour kDesktop = 0xA56E3A;  // the desktop background
inline constexpr Colour kNormal = kBtnFace;

enum class DisplayKind {
  Label,   // text, background colour, enabled, visible
  Gauge,   // value 0..maximum, bar colour, visible
  Strip,   // a coloured band placed under a gauge: left and width as parts of it
  Button,  // enabled, and the caption when the text is not empty
};

// The caption the text tables give a control, in the current language.
const char* controlCaption(const char* name);

struct DisplayValue {
  const char* name = "";  // objectName of the control
  DisplayKind kind = DisplayKind::Label;
  std::string text;
  Colour colour = kNormal;
  bool enabled = true;
  bool visible = true;
  int value = 0;    // gauges: always inside 0..maximum
  int maximum = 0;  // gauges
  // Strips: placed along the gauge `anchor`, as parts of its width (0..1);
  // a width below 0 leaves the strip where it is.
  const char* anchor = "";
  double left = 0;
  double width = -1;
  bool operator==(const DisplayValue&) const = default;
};

// Why a refresh runs. Only a fresh monitor answer may start a pickup
// capture; a played record, a language change or a page refresh may not.
enum class RefreshCause { MonitorAnswer, Playback, General, Language, Startup, PropCheckBox };

// What the refresh reads besides the monitor buffer and the image.
struct MonitorContext {
  bool unitConnected = false;  // a port with an identified unit
  bool playback = false;       // a recording is playing or paused
  int supervisorStep = 0;
  bool serviceMode = false;
  std::array<bool, 12> functionFlags{};  // F0..F11 of the Miscellaneous page
  std::array<bool, 5> propSigned{};      // CheckBoxPropMon1..5 ticked
  std::string unitText = "Unit = --", dateText = "Date = --", timeText = "--:--";
};

// The live values other features read, written by every refresh.
struct MonitorLive {
  int rpm = 0;
  int sensorMode = 0;  // 0 none, 1 throttle sensor, 2 pressure sensor
  int throttle = -1;   // tenths of a percent, -1 in pressure mode
  int pressure = -1;   // kPa, -1 outside pressure mode
  int sensorMv = 0;
  bool tpsError = false, iapError = false;
  int gear = 0, n2oPercent = 0, gearMv = 0, rpmSpeedRatio = 0;
  bool secondMap = false;
  int lambda = 0, lambdaMv = 0;
  int savingCounter = 0;
  int potMv = 0;
  int unitBike = -1;  // -1 until the first refresh
  bool programmedDataError = false;
  int dwellEe = 0, dwellFlash = 0, dwellNew = 0;
  bool calibrationError = false;
  std::optional<int> hourMeterMin, overvoltageAgeMin;
};

struct MonitorHooks {
  // The pickup signal came or went: the active page shows its rules again.
  std::function<void()> pickupSignalChanged;
  // Service mode: the unit announced a new dwell calibration value.
  std::function<void(int value)> testerMessage;
};

class MonitorModel {
 public:
  explicit MonitorModel(ParamModel& model);

  void setHooks(MonitorHooks h) { m_hooks = std::move(h); }

  // The monitor refresh. A call made while one runs (through a page refresh
  // it starts) returns at once. Returns false then.
  bool refresh(const MonitorContext& ctx, RefreshCause cause);

  const std::vector<DisplayValue>& values() const { return m_values; }
  const DisplayValue* find(const char* name) const;
  const MonitorLive& live() const { return m_live; }
  // Whether the monitor treats the unit as connected in the last refresh.
  bool connected() const { return m_connected; }

 private:
  DisplayValue& at(int item) { return m_values[size_t(item)]; }
  void copyLive();
  void calibration(const MonitorContext& ctx);
  void engine();
  void load(int imageMode);
  void lambda();
  void potentiometer();
  void pickups(int triggerSystem);
  void voltageAndAdvance(int channels);
  void dwellSpeedGear(const MonitorContext& ctx);
  void functionStates(const MonitorContext& ctx);
  void testAndInputs(const MonitorContext& ctx);
  void acceleration();
  void unitTexts(const MonitorContext& ctx);
  void servoAndOutputs();
  void pageValues();
  void hourMeter();

  ParamModel& m_model;
  MonitorHooks m_hooks;
  std::vector<DisplayValue> m_values;
  MonitorLive m_live;
  bool m_connected = false;
  bool m_running = false;
  int m_announced = 0;            // dwell calibration value announced to the tester
  bool m_shownDataError = false;  // "Programmed data error" in the last refresh
  std::optional<bool> m_signal;   // a pickup signal present in the last refresh
};

}  // namespace q3
