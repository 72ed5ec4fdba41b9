// The monitor's controls as the window places them.
#include "monitor/ui/monitor_area.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace q3 {

namespace {
constexpr int kGaugeHeight = 14;
constexpr int kBandHeight = 4;

struct Cell {
  const char* name;
  int row, column, span;
};

// Labels into a grid at their cells.
void place(QGridLayout* g, std::initializer_list<Cell> cells, QWidget* parent) {
  for (const Cell& c : cells)
    g->addWidget(monitorLabel(c.name, parent), c.row, c.column, 1, c.span);
}

QGroupBox* group(const char* name, const char* caption, QWidget* parent) {
  auto* g = new QGroupBox(QString::fromUtf8(caption), parent);
  g->setObjectName(QString::fromLatin1(name));
  return g;
}
}  // namespace

GaugeBox::GaugeBox(const char* gauge, const std::vector<const char*>& bands, QWidget* parent)
    : QWidget(parent), m_gauge(new QProgressBar(this)) {
  m_gauge->setObjectName(QString::fromLatin1(gauge));
  m_gauge->setTextVisible(false);
  m_gauge->setRange(0, 100);
  m_gauge->setValue(0);
  for (const char* b : bands) {
    auto* l = new QLabel(this);
    l->setObjectName(QString::fromLatin1(b));
    l->setGeometry(0, kGaugeHeight + 1, 0, kBandHeight);
  }
  const int height = kGaugeHeight + (bands.empty() ? 0 : 1 + kBandHeight);
  setFixedHeight(height);
  setMinimumWidth(100);
}

void GaugeBox::resizeEvent(QResizeEvent* e) {
  m_gauge->setGeometry(0, 0, e->size().width(), kGaugeHeight);
}

QLabel* monitorLabel(const char* name, QWidget* parent) {
  auto* l = new QLabel(parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setFixedHeight(l->fontMetrics().height() + 2);
  l->setMinimumWidth(40);
  l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  l->setMargin(1);
  return l;
}

MonitorArea::MonitorArea(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PanelMonitor"));
  auto* g = new QGridLayout(this);
  g->setContentsMargins(4, 2, 4, 2);
  g->setHorizontalSpacing(6);
  g->setVerticalSpacing(1);
  // Twelve equal columns; each gauge stands right of its label.
  place(g, {{"LabelRpm", 0, 0, 2}, {"LabelTpsMon", 0, 4, 2}, {"LabelMonLambda", 0, 8, 2}}, this);
  g->addWidget(new GaugeBox("CGaugeRpm", {}, this), 0, 2, 1, 2);
  g->addWidget(new GaugeBox("CGaugeTps", {}, this), 0, 6, 1, 2);
  g->addWidget(
      new GaugeBox("CGaugeLambda", {"LabelLambdaBlue", "LabelLambdaGreen", "LabelLambdaRed"}, this),
      0, 10, 1, 2);
  place(g, {{"LabelNapeti", 1, 0, 1},        {"LabelDwell", 1, 1, 3},
            {"LabelMonSpeed", 1, 4, 2},      {"LabelMonGear", 1, 6, 2},
            {"LabelMonLimiterOut", 1, 8, 2}, {"LabelMonStartLimiterOut", 1, 10, 2},
            {"LabelAdvance1", 2, 0, 3},      {"LabelAdvance2", 2, 3, 3},
            {"LabelAdvance3", 2, 6, 3},      {"LabelAdvance4", 2, 9, 3},
            {"LabelMonSnimac1", 3, 0, 6},    {"LabelMonSnimac2", 3, 6, 6},
            {"LabelKillSwitch", 4, 0, 2},    {"LabelBlocking", 4, 2, 2},
            {"LabelClutchMon", 4, 4, 2},     {"LabelMonRetard", 4, 6, 2},
            {"Label2ndAdv", 4, 8, 2},        {"LabelMonTachoLambdaOut", 4, 10, 2},
            {"LabelEeDataErr", 5, 0, 6},     {"LabelDwellCalibError", 5, 6, 6}},
        this);
  // The service mode's test values.
  for (int i = 0; i < 10; ++i) {
    const QByteArray name = QByteArray("LabelTest") + QByteArray::number(i + 1);
    g->addWidget(monitorLabel(name.constData(), this), 6 + i / 6, 2 * (i % 6), 1, 2);
  }
  for (int c = 0; c < 12; ++c) g->setColumnStretch(c, 1);
}

const std::vector<double>& playbackSpeeds() {
  static const std::vector<double> speeds{0.25, 0.5, 1, 2, 4, 8};
  return speeds;
}

void fillPlayerGroup(QGroupBox* group) {
  auto* row = new QHBoxLayout(group);
  row->setContentsMargins(4, 2, 4, 2);
  const struct {
    const char* name;
    QStyle::StandardPixmap icon;
    const char* tip;
  } buttons[] = {{"SpeedButtonPlay1", QStyle::SP_DialogYesButton, "Record"},
                 {"SpeedButtonPlay2", QStyle::SP_MediaPlay, "Play"},
                 {"SpeedButtonPlay3", QStyle::SP_MediaPause, "Pause"},
                 {"SpeedButtonPlay4", QStyle::SP_MediaStop, "Stop"}};
  for (const auto& b : buttons) {
    auto* t = new QToolButton(group);
    t->setObjectName(QString::fromLatin1(b.name));
    t->setIcon(group->style()->standardIcon(b.icon));
    t->setToolTip(QString::fromLatin1(b.tip));
    row->addWidget(t);
  }
  // Record is the one button drawn by hand: a red dot.
  if (auto* rec = group->findChild<QToolButton*>(QStringLiteral("SpeedButtonPlay1"))) {
    rec->setIcon(QIcon());
    rec->setText(QStringLiteral("\u25CF"));
    rec->setStyleSheet(QStringLiteral("QToolButton:enabled { color: red; }"));
  }
  auto* speed = new QComboBox(group);
  speed->setObjectName(QStringLiteral("ComboBoxPlaySpeed"));
  for (double s : playbackSpeeds())
    speed->addItem(s < 1 ? QStringLiteral("1/%1x").arg(int(1 / s)) : QStringLiteral("%1x").arg(s));
  speed->setCurrentIndex(2);
  row->addWidget(speed);
  auto* bar = new QScrollBar(Qt::Horizontal, group);
  bar->setObjectName(QStringLiteral("ScrollBarPlay"));
  bar->hide();
  row->addWidget(bar, 1);
  for (const char* name : {"LabelPlayFile", "LabelPlayPos"}) {
    auto* l = new QLabel(group);
    l->setObjectName(QString::fromLatin1(name));
    row->addWidget(l);
  }
  row->addStretch(0);
  for (const char* name : {"ButtonLogView", "ButtonLogCsv"}) {
    auto* b = new QPushButton(group);
    b->setObjectName(QString::fromLatin1(name));
    row->addWidget(b);
  }
}

namespace testpage {

QGroupBox* ignitionGroup(QWidget* parent) {
  QGroupBox* g = group("GroupBoxTestIgn", "Ignition", parent);
  auto* grid = new QGridLayout(g);
  for (int i = 0; i < 4; ++i) {
    const QByteArray name = QByteArray("ButtonTestIgn") + QByteArray::number(i + 1);
    grid->addWidget(button(name.constData(), g), i / 2, i % 2);
  }
  return g;
}

QGroupBox* powerOutGroup(QWidget* parent) {
  QGroupBox* g = group("GroupBoxTestSmes", "Power out", parent);
  auto* box = new QVBoxLayout(g);
  for (const char* name : {"ButtonTest01", "ButtonTest02", "ButtonTest03"})
    box->addWidget(button(name, g));
  return g;
}

QWidget* button(const char* name, QWidget* parent) {
  auto* b = new QPushButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  // The refresh enables them only with a live unit.
  b->setEnabled(false);
  return b;
}

void addProprietaryValue(QGridLayout* grid, int row, int column, int i, QWidget* parent) {
  const QByteArray n = QByteArray::number(i);
  grid->addWidget(monitorLabel((QByteArray("LabelPropMon") + n).constData(), parent), row, column);
  auto* signedBox = new QCheckBox(QStringLiteral("±"), parent);
  signedBox->setObjectName(QString::fromLatin1(QByteArray("CheckBoxPropMon") + n));
  grid->addWidget(signedBox, row, column + 1);
}

QGroupBox* unitGroup(QWidget* parent) {
  QGroupBox* g = group("GroupBoxUnitCounters", "Unit", parent);
  auto* box = new QVBoxLayout(g);
  for (const char* name : {"LabelHourMeter", "LabelOvervoltageEvents", "LabelPocetProgramovani",
                           "LabelVerze1", "LabelVerze2", "LabelVerze3"})
    box->addWidget(monitorLabel(name, g));
  return g;
}

QGroupBox* liveGroup(QWidget* parent) {
  QGroupBox* g = group("GroupBoxLiveValues", "Live values", parent);
  auto* grid = new QGridLayout(g);
  grid->setVerticalSpacing(1);
  int row = 0;
  auto line = [&](const char* name) { grid->addWidget(monitorLabel(name, g), row++, 0, 1, 2); };
  line("LabelPotentiometer");
  grid->addWidget(new GaugeBox("CGaugePotentiometer", {}, g), row++, 0, 1, 2);
  line("LabelMonPotiCor");
  line("LabelMonAkcel");
  grid->addWidget(new GaugeBox("CGaugeAkcel", {"LabelAccBelow", "LabelAccOver"}, g), row++, 0, 1,
                  2);
  grid->addWidget(monitorLabel("LabelAcc50", g), row, 0);
  QLabel* full = monitorLabel("LabeAcc100", g);
  full->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  grid->addWidget(full, row++, 1);
  line("LabelServo");
  for (const char* name : {"LabelMonPOut1", "LabelMonPOut2", "LabelMonPOut3"}) line(name);
  // The gear page's live values stand on the Gear page itself.
  grid->addWidget(monitorLabel("LabelMonN2oProcent", g), row, 0);
  grid->addWidget(monitorLabel("LabelMonN2oRetard", g), row, 1);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);
  return g;
}

}  // namespace testpage

}  // namespace q3
