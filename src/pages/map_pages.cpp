#include "pages/map_pages.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "params/address_map.h"

namespace q3::pages {

namespace {

using K = Kind;

constexpr Item kLoad[] = {{0, "NO"}, {1, "TP"}, {2, "IAP"}};
constexpr Item kLambda[] = {{0, "Standard"}, {1, "Uego"}};
constexpr Item kServoSensor[] = {{0, "Servo"}, {1, "Synchro IAP"}};

const ControlSpec kSensors[] = {
    {"RadioGroupTpsIap", K::RadioIndex, Adrb::TpsIapSensor, 0, 1, 0, 0, 2, 1,
     "###Load sensor##Lastsensor##Snímač zátěže", kLoad},
    {"RadioGroupCidloLambdaMode", K::RadioIndex, Adrb::LambdaSensor, 0, 1, 0, 0, 1, 1,
     "###Type##Typ##Typ", kLambda},
    {"RadioGroupSensorServa", K::RadioIndex, Adrb::ServoSensor, 0, 1, 0, 0, 1, 1,
     "###Servo sensor##Servosensor##Snímač serva", kServoSensor},
};

#define Q3_KOR(i)                                                                         \
  {                                                                                       \
    "UpDownKorAdv" #i, K::Spin, Adrb::CorrAdvance + (i)-1, 0, 1, -100, -30, 30, 1,        \
        "###Correction for cylinder " #i "##Korrektur Zylinder " #i "##Korekce válce " #i \
  }
const ControlSpec kAdvance[] = {
    {"UpDownBaseAdv", K::Spin, Adrb::BaseAdv, 0, 1, 0, 0, 40, 1,
     "###Base advance [°]##Grundvorzündung [°]##Základní předstih [°]"},
    Q3_KOR(1),
    Q3_KOR(2),
    Q3_KOR(3),
    Q3_KOR(4),
};
#undef Q3_KOR

const ControlSpec kServo[] = {
    {"CheckBoxServoEnable", K::Check, Adrb::ServoEnable, 0, 1, 0, 0, 1, 1,
     "###Servo enable##Servo aktiv##Servo povoleno"},
    {"CheckBoxServoProcenta", K::Check, Adrb::ServoPercent, 0, 1, 0, 0, 1, 1,
     "###Percent##Prozent##Procenta"},
    {"UpDownServoHyster", K::Spin, Adrb::ServoHyster, 0, 5, 0, 0, 1275, 5, "1/P [mV]"},
    {"UpDownServoNo", K::Spin, Adrb::ServoNo, 0, 5, 0, 0, 1250, 5,
     "###Off [mV]##Aus [mV]##Vypnuto [mV]"},
};

#define Q3_BAR(i)                                                               \
  {                                                                             \
    "UpDownLambdaBar" #i, K::Spin, Adrb::LambdaBar + (i), 0, 1, 0, 100, 200, 1, \
        "###Lambda bar " #i "##Lambda-Balken " #i "##Lambda pruh " #i           \
  }
#define Q3_PROP(i)                                                                                \
  {                                                                                               \
    "UpDownProp" #i, K::SpinWord, Adrw::Proprietary + (i)-1, kSignedFlag, 1, 0, -32000, 32000, 1, \
        "###Value " #i "##Wert " #i "##Hodnota " #i                                               \
  }
const ControlSpec kTest[] = {
    {"UpDownTestRpm", K::Spin, Adrb::TestOut, 0, 100, 0, 200, 25000, 100, "Rpm"},
    {"UpDownTestServo", K::Spin, Adrb::TestOut + 1, 0, 10, 0, 10, 2500, 10,
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

PanelPage::PanelPage(ParamBinder& binder, QWidget* sheet, std::span<const ControlSpec> table,
                     PanelPlace where, const char* panelName)
    : GridPage(binder, sheet, table, 0, ""), m_panel(new QWidget(sheet)), m_place(where) {
  m_panel->setObjectName(QString::fromLatin1(panelName));
  QBoxLayout* box = where == PanelPlace::TopStrip
                        ? static_cast<QBoxLayout*>(new QHBoxLayout(m_panel))
                        : static_cast<QBoxLayout*>(new QVBoxLayout(m_panel));
  box->setContentsMargins(4, 2, 4, 2);
  for (const ControlSpec& s : table) {
    if (QLabel* l = m_controls->label(s.name)) box->addWidget(l);
    box->addWidget(m_controls->control(s.name));
  }
  box->addStretch(1);
  sheet->installEventFilter(this);
  place();
}

bool PanelPage::eventFilter(QObject* o, QEvent* e) {
  if (o == m_page && e->type() == QEvent::Resize) place();
  return GridPage::eventFilter(o, e);
}

void PanelPage::place() {
  const int w = m_page->width(), h = m_page->height();
  if (m_place == PanelPlace::TopStrip)
    m_panel->setGeometry(0, 0, w, 35);
  else
    m_panel->setGeometry(0, 0, std::max(200, w - 580), h);
}

SensorsPage::SensorsPage(ParamBinder& binder, QWidget* sheet)
    : PanelPage(binder, sheet, kSensors, PanelPlace::LeftColumn, "SensorsPanel") {}
AdvancePage::AdvancePage(ParamBinder& binder, QWidget* sheet)
    : PanelPage(binder, sheet, kAdvance, PanelPlace::TopStrip, "AdvancePanel") {}
ServoPage::ServoPage(ParamBinder& binder, QWidget* sheet)
    : PanelPage(binder, sheet, kServo, PanelPlace::TopStrip, "ServoPanel") {}
TestPage::TestPage(ParamBinder& binder, QWidget* sheet)
    : GridPage(binder, sheet, kTest, 6, "TestPageContent") {}

std::span<const ControlSpec> SensorsPage::table() { return kSensors; }
std::span<const ControlSpec> AdvancePage::table() { return kAdvance; }
std::span<const ControlSpec> ServoPage::table() { return kServo; }
std::span<const ControlSpec> TestPage::table() { return kTest; }

}  // namespace q3::pages
