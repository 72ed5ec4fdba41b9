// The monitor's controls as the window places them: a gauge with its bands,
// the live-value strip below the pages (engine speed, load, lambda, voltage,
// advance, dwell, pickups, speed, gear and the function states), and the
// groups the Test page shows (test buttons, proprietary values, unit
// counters and the live values of the other pages' functions). Every control
// carries the objectName the monitor refresh writes; MonitorWidgets finds
// them wherever they stand.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QWidget>
#include <vector>

class QGridLayout;

namespace q3 {

// A gauge with coloured bands under it. The bands are placed along the
// gauge by the widget layer, so they live outside any layout.
class GaugeBox : public QWidget {
 public:
  GaugeBox(const char* gauge, const std::vector<const char*>& bands, QWidget* parent);
  QProgressBar* gauge() const { return m_gauge; }

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  QProgressBar* m_gauge;
};

// A live-value label: one line high and as wide as its column allows, so a
// new text never asks the layout of the whole window again.
QLabel* monitorLabel(const char* name, QWidget* parent);

// The live-value strip of the main window.
class MonitorArea : public QWidget {
 public:
  explicit MonitorArea(QWidget* parent = nullptr);
};

// The player group's controls into GroupBoxPlayer: record, play, pause and
// stop (SpeedButtonPlay1..4), the position bar ScrollBarPlay, LabelPlayFile,
// LabelPlayPos, the playback speed ComboBoxPlaySpeed (1/4x .. 8x) and the
// buttons ButtonLogView and ButtonLogCsv.
void fillPlayerGroup(QGroupBox* group);
// The speeds ComboBoxPlaySpeed offers, in its order; item 2 is 1x.
const std::vector<double>& playbackSpeeds();

// The Test page's monitor parts.
namespace testpage {
// "Ignition" with ButtonTestIgn1..4.
QGroupBox* ignitionGroup(QWidget* parent);
// "Power out" (GroupBoxTestSmes) with ButtonTest01..03.
QGroupBox* powerOutGroup(QWidget* parent);
// A test button by name (ButtonTestRpm, ButtonTestServoPlus, ...).
QWidget* button(const char* name, QWidget* parent);
// LabelPropMon<i> and CheckBoxPropMon<i> (i = 1..5) into row of grid at column.
void addProprietaryValue(QGridLayout* grid, int row, int column, int i, QWidget* parent);
// The unit's counters and program: hour meter, overvoltages, programmings,
// program version, date and time.
QGroupBox* unitGroup(QWidget* parent);
// The live values of the other pages' functions: potentiometer,
// acceleration, inputs, servo, power outputs, gear and N2O values.
QGroupBox* liveGroup(QWidget* parent);
}  // namespace testpage

}  // namespace q3
