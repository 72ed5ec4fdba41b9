#include "pages/map_pages.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "maps/map_defs.h"
#include "monitor/ui/monitor_area.h"
#include "params/address_map.h"
#include "params/param_model.h"
#include "text/mstring.h"
#include "text/ui_texts.h"

namespace q3::pages {

namespace {

struct SensorsState {
  int load = 0;  // byte 216: 0 none, 1 throttle, 2 pressure
};
// The throttle calibration buttons go with the throttle sensor; the
// calibration tables themselves are maps and follow the same byte.
const Rule<SensorsState> kSensorsRules[] = {
    {"BitBtnTps0", [](const SensorsState& s, int) { return s.load == 1; }, nullptr},
    {"BitBtnTps100", [](const SensorsState& s, int) { return s.load == 1; }, nullptr},
};

// A cylinder correction for each ignition channel.
struct AdvanceState {
  int channels = 1;  // byte 186
};
bool channelShown(const AdvanceState& s, int k) { return k <= s.channels; }
const Rule<AdvanceState> kAdvanceRules[] = {
    {"UpDownKorAdv%d", channelShown, nullptr},
    {"LabelKorAdv%d", channelShown, nullptr},
};

// The servo can be switched on only with the servo sensor, and its
// hysteresis and off position matter only while it is on.
struct ServoState {
  bool servoSensor = true;  // byte 515 = 0
  bool enabled = false;     // byte 408
};
bool servoOn(const ServoState& s, int) { return s.enabled; }
bool servoSensor(const ServoState& s, int) { return s.servoSensor; }
const Rule<ServoState> kServoRules[] = {
    {"CheckBoxServoEnable", nullptr, servoSensor}, {"CheckBoxServoProcenta", nullptr, servoSensor},
    {"UpDownServoHyster", servoOn, nullptr},       {"LabelServoHyster", servoOn, nullptr},
    {"UpDownServoNo", servoOn, nullptr},           {"LabelServoNo", servoOn, nullptr},
};

}  // namespace

PanelPage::PanelPage(ParamBinder& binder, QWidget* sheet, std::span<const ControlSpec> table,
                     PanelPlace where, const char* panelName, bool layOutControls)
    : GridPage(binder, sheet, table, 0, ""), m_panel(new QWidget(sheet)), m_place(where) {
  m_panel->setObjectName(QString::fromLatin1(panelName));
  sheet->installEventFilter(this);
  place();
  if (!layOutControls) return;
  QBoxLayout* box = where == PanelPlace::TopStrip
                        ? static_cast<QBoxLayout*>(new QHBoxLayout(m_panel))
                        : static_cast<QBoxLayout*>(new QVBoxLayout(m_panel));
  box->setContentsMargins(4, 2, 4, 2);
  for (const ControlSpec& s : table) {
    if (QLabel* l = m_controls->label(s.name)) box->addWidget(l);
    box->addWidget(m_controls->control(s.name));
  }
  box->addStretch(1);
}

bool PanelPage::eventFilter(QObject* o, QEvent* e) {
  if (o == m_page && e->type() == QEvent::Resize) place();
  return GridPage::eventFilter(o, e);
}

void PanelPage::place() {
  const int w = m_page->width(), h = m_page->height();
  switch (m_place) {
    case PanelPlace::TopStrip:
      m_panel->setGeometry(0, 0, w, 35);
      break;
    case PanelPlace::LeftColumn:
      m_panel->setGeometry(0, 0, std::max(200, w - 580), h);
      break;
    case PanelPlace::LeftOfMaps:
      m_panel->setGeometry(0, 0, std::max(300, w - 440), h);
      break;
  }
}

TakeOver tpsTakeOver(int point, bool connected, int liveMillivolts) {
  if (point != 0 && point != 1) return {};
  return takeOverInRange(connected, ImageWord::TpsLow + point, liveMillivolts, 0, 5000);
}

SensorsPage::SensorsPage(ParamBinder& binder, QWidget* sheet)
    : PanelPage(binder, sheet, sensorsTable(), PanelPlace::LeftColumn, "SensorsPanel") {
  // The calibration buttons under the load sensor choice.
  auto* box = static_cast<QBoxLayout*>(m_panel->layout());
  int at = 1;
  for (auto [name, text, point] :
       {std::tuple{"BitBtnTps0", " TP 0 %    ", 0}, std::tuple{"BitBtnTps100", "TP 100 %", 1}}) {
    auto* b = new QPushButton(QString::fromLatin1(text), m_panel);
    b->setObjectName(QString::fromLatin1(name));
    connect(b, &QPushButton::clicked, this, [this, point = point] { takeOverTps(point); });
    box->insertWidget(at++, b);
  }
  // A new lambda sensor type starts from that type's curve.
  m_controls->onChange("RadioGroupCidloLambdaMode", [this](int type) {
    applyChange([type](ParamImage& img) {
      img.setByte(ImageByte::LambdaSensor, type);
      applyLambdaCurve(img, type);
    });
  });
}

void SensorsPage::takeOverTps(int point) {
  applyTakeOver(m_binder, tpsTakeOver(point, connected && connected(),
                                      m_binder.model().monitor().word(MonitorWord::LoadVoltage)));
}

void SensorsPage::applyPageRules(const ParamImage& img) {
  // The load sensor's items name the synchro pressure sensor while the servo
  // sensor is the servo (byte 515 = 0).
  if (auto* load = m_controls->as<RadioBox>("RadioGroupTpsIap"))
    load->setItemTexts(
        QString::fromUtf8(loadSensorItems(img.byte(ImageByte::ServoSensor), language()))
            .split('\n'));
  const SensorsState s{img.byte(ImageByte::TpsIapSensor)};
  applyRules(m_page, std::span<const Rule<SensorsState>>(kSensorsRules), s, 1);
}

AdvancePage::AdvancePage(ParamBinder& binder, QWidget* sheet)
    : PanelPage(binder, sheet, advanceTable(), PanelPlace::TopStrip, "AdvancePanel") {}

void AdvancePage::applyPageRules(const ParamImage& img) {
  const AdvanceState s{img.byte(ImageByte::Channels)};
  applyRules(m_page, std::span<const Rule<AdvanceState>>(kAdvanceRules), s, 4);
}

ServoPage::ServoPage(ParamBinder& binder, QWidget* sheet)
    : PanelPage(binder, sheet, servoTable(), PanelPlace::TopStrip, "ServoPanel") {}

void ServoPage::store() {
  if (m_controls->edited("CheckBoxServoProcenta"))
    setServoPercent(m_binder.model().image(), m_controls->value("CheckBoxServoProcenta") != 0);
  GridPage::store();
}

void ServoPage::applyPageRules(const ParamImage& img) {
  const ServoState s{img.byte(ImageByte::ServoSensor) == 0, img.byte(ImageByte::ServoEnable) != 0};
  applyRules(m_page, std::span<const Rule<ServoState>>(kServoRules), s, 1);
}

// The Test page: the test commands with the settings they use, the lambda
// bar, the proprietary values beside their live readings, the unit's
// counters and the live values of the functions the other pages set up.
TestPage::TestPage(ParamBinder& binder, QWidget* sheet)
    : GridPage(binder, sheet, testTable(), 0, "TestPageContent") {
  QWidget* page = scrollingContent(sheet, "TestPageContent");
  auto* columns = new QHBoxLayout(page);
  TablePage& c = *m_controls;
  // A setting's caption and control into row of grid.
  auto setting = [&c](QGridLayout* grid, int row, const char* name) {
    if (QLabel* l = c.label(name)) grid->addWidget(l, row, 0);
    grid->addWidget(c.control(name), row, 1);
  };
  auto group = [page](const char* name, const char* caption) {
    auto* g = new QGroupBox(QString::fromUtf8(caption), page);
    g->setObjectName(QString::fromLatin1(name));
    return g;
  };

  auto* tests = new QVBoxLayout;
  tests->addWidget(testpage::ignitionGroup(page));
  QGroupBox* rpm = group("GroupBoxTestRpm", "Rpm");
  auto* rpmGrid = new QGridLayout(rpm);
  setting(rpmGrid, 0, "UpDownTestRpm");
  rpmGrid->addWidget(testpage::button("ButtonTestRpm", rpm), 1, 0, 1, 2);
  tests->addWidget(rpm);
  QGroupBox* servo = group("GroupBoxTestServo", "Servo");
  auto* servoGrid = new QGridLayout(servo);
  setting(servoGrid, 0, "UpDownTestServo");
  servoGrid->addWidget(testpage::button("ButtonTestServoPlus", servo), 1, 0);
  servoGrid->addWidget(testpage::button("ButtonTestServoMinus", servo), 1, 1);
  tests->addWidget(servo);
  tests->addWidget(testpage::powerOutGroup(page));
  tests->addStretch(1);
  columns->addLayout(tests);

  auto* settings = new QVBoxLayout;
  QGroupBox* bar = group("GroupBoxLambdaBar", "Setting of Lambda bar graph");
  auto* barGrid = new QGridLayout(bar);
  const char* const bars[] = {"UpDownLambdaBar0", "UpDownLambdaBar1", "UpDownLambdaBar2",
                              "UpDownLambdaBar3"};
  for (int i = 0; i < 4; ++i) setting(barGrid, i, bars[i]);
  settings->addWidget(bar);
  QGroupBox* prop = group("GroupBoxProprietary", "Proprietary settings");
  auto* propGrid = new QGridLayout(prop);
  const char* const props[] = {"UpDownProp1", "UpDownProp2", "UpDownProp3", "UpDownProp4",
                               "UpDownProp5"};
  for (int i = 0; i < 5; ++i) {
    setting(propGrid, i, props[i]);
    testpage::addProprietaryValue(propGrid, i, 2, i + 1, prop);
  }
  propGrid->setColumnStretch(2, 1);
  settings->addWidget(prop);
  settings->addWidget(testpage::unitGroup(page));
  settings->addStretch(1);
  columns->addLayout(settings, 2);

  auto* live = new QVBoxLayout;
  live->addWidget(testpage::liveGroup(page));
  live->addStretch(1);
  columns->addLayout(live, 2);
}

std::span<const ControlSpec> SensorsPage::table() { return sensorsTable(); }
std::span<const ControlSpec> AdvancePage::table() { return advanceTable(); }
std::span<const ControlSpec> ServoPage::table() { return servoTable(); }
std::span<const ControlSpec> TestPage::table() { return testTable(); }

}  // namespace q3::pages
