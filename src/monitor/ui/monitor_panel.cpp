// The ready-made monitor area.
#include "monitor/ui/monitor_panel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <set>
#include <string>
#include <vector>

#include "monitor/monitor_items.h"
#include "monitor/monitor_test_buttons.h"

namespace q3 {

namespace {

constexpr int kLabelWidth = 300;

// A gauge with its bands below it. The bands are placed by the widget layer
// along the gauge, so they live outside any layout.
class GaugeBox : public QWidget {
 public:
  GaugeBox(const char* gauge, std::vector<const char*> bands, QWidget* parent) : QWidget(parent) {
    m_gauge = new QProgressBar(this);
    m_gauge->setObjectName(gauge);
    m_gauge->setTextVisible(false);
    for (const char* b : bands) {
      auto* l = new QLabel(this);
      l->setObjectName(b);
      l->setGeometry(0, kGaugeHeight + 2, 0, kBandHeight);
    }
    setMinimumSize(120, kGaugeHeight + 2 + kBandHeight);
  }

 protected:
  void resizeEvent(QResizeEvent* e) override {
    m_gauge->setGeometry(0, 0, e->size().width(), kGaugeHeight);
  }

 private:
  static constexpr int kGaugeHeight = 16;
  static constexpr int kBandHeight = 5;
  QProgressBar* m_gauge;
};

// A label of a fixed size: a new text then never asks the layout of the
// whole window again, which is what a refresh would cost otherwise.
void fixLabel(QLabel* l) { l->setFixedSize(kLabelWidth, l->fontMetrics().height() + 2); }

struct GaugeRow {
  const char* gauge;
  std::vector<const char*> bands;
  const char* label;  // the label shown beside it
};

}  // namespace

MonitorPanel::MonitorPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("MonitorPanel"));
  auto* top = new QVBoxLayout(this);

  const GaugeRow gauges[] = {
      {"CGaugeRpm", {}, "LabelRpm"},
      {"CGaugeTps", {}, "LabelTpsMon"},
      {"CGaugeLambda", {"LabelLambdaBlue", "LabelLambdaGreen", "LabelLambdaRed"}, "LabelMonLambda"},
      {"CGaugePotentiometer", {}, "LabelPotentiometer"},
      {"CGaugeAkcel", {"LabelAccBelow", "LabelAccOver"}, "LabelMonAkcel"},
  };
  std::set<std::string> placed;
  auto* gaugeGrid = new QGridLayout;
  int row = 0;
  for (const GaugeRow& g : gauges) {
    auto* label = new QLabel(this);
    label->setObjectName(g.label);
    fixLabel(label);
    gaugeGrid->addWidget(label, row, 0);
    gaugeGrid->addWidget(new GaugeBox(g.gauge, g.bands, this), row, 1);
    placed.insert(g.gauge);
    placed.insert(g.label);
    placed.insert(g.bands.begin(), g.bands.end());
    ++row;
  }
  gaugeGrid->setColumnStretch(1, 1);
  top->addLayout(gaugeGrid);

  // The other live values, three to a row, in the order of the refresh.
  for (int b = 0; b < kTestButtons; ++b) placed.insert(testButtonName(TestButton(b)));
  auto* values = new QGridLayout;
  int n = 0;
  for (int item = 0; item < monitem::Count; ++item) {
    const char* name = monitem::itemName(item);
    if (placed.count(name)) continue;
    auto* l = new QLabel(this);
    l->setObjectName(QString::fromLatin1(name));
    fixLabel(l);
    values->addWidget(l, n / 3, n % 3);
    ++n;
  }
  top->addLayout(values);

  auto* tests = new QGroupBox(QStringLiteral("Test"), this);
  auto* testRow = new QHBoxLayout(tests);
  for (int b = 0; b < kTestButtons; ++b) {
    auto* button = new QPushButton(QString::fromLatin1(testButtonName(TestButton(b)) + 6), tests);
    button->setObjectName(testButtonName(TestButton(b)));
    testRow->addWidget(button);
  }
  top->addWidget(tests);

  const char* const player[] = {"SpeedButtonPlay1", "SpeedButtonPlay2", "SpeedButtonPlay3",
                                "SpeedButtonPlay4", "ScrollBarPlay",    "LabelPlayFile",
                                "LabelPlayPos"};
  auto* group = new QGroupBox(QStringLiteral("Monitor player"), this);
  group->setObjectName(QStringLiteral("GroupBoxPlayer"));
  auto* playerRow = new QHBoxLayout(group);
  const char* const captions[] = {"Rec", "Play", "Pause", "Stop"};
  for (int i = 0; i < 4; ++i) {
    auto* b = new QToolButton(group);
    b->setObjectName(player[i]);
    b->setText(QString::fromLatin1(captions[i]));
    playerRow->addWidget(b);
  }
  auto* bar = new QScrollBar(Qt::Horizontal, group);
  bar->setObjectName(player[4]);
  playerRow->addWidget(bar, 1);
  for (int i = 5; i < 7; ++i) {
    auto* l = new QLabel(group);
    l->setObjectName(player[i]);
    playerRow->addWidget(l);
  }
  top->addWidget(group);
}

}  // namespace q3
