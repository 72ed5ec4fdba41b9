#include "pages/gear_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "params/address_map.h"
#include "params/function_flags.h"
#include "text/mstring.h"

namespace q3::pages {

namespace {

struct GearState {
  int method = 0, gears = 0;
  bool speed = false;
};
using S = const GearState&;
bool upTo(S s, int g) { return g <= 1 || g <= s.gears; }

const Rule<GearState> kRules[] = {
    {"UpDownPocetGear", [](S s, int) { return s.method != 0; }, nullptr},
    {"LabelPocetGear", [](S s, int) { return s.method != 0; }, nullptr},
    {"GroupBoxNapetiProGear", [](S s, int) { return s.method == 1; }, nullptr},
    {"GroupBoxRpmSpeedProGear", [](S s, int) { return s.method == 2; }, nullptr},
    {"GroupBoxMonAutoGear", [](S s, int) { return s.method == 3; }, nullptr},
    {"GroupBoxGearTakeOver", [](S s, int) { return s.method == 1 || s.method == 2; }, nullptr},
    {"GroupBoxPulsuProSpeed", [](S s, int) { return s.speed; }, nullptr},
    {"UpDownGearRatio%d", upTo, nullptr},
    {"LabelGearRatio%d", upTo, nullptr},
};

}  // namespace

GearInput gearMethodInput(int method) {
  if (method == 1) return {2, kInputGear};
  if (method == 2 || method == 3) return {0, kInputSpeed};
  return {};
}

int highlightedGear(int engaged) { return engaged >= 0 && engaged <= 6 ? engaged : -1; }

TakeOver gearTakeOver(int method, int n, bool connected, int liveVoltage, int liveRatio) {
  if (n < 0 || n > 6) return {};
  if (method == 1)
    return takeOverInRange(connected, ImageWord::GearVoltage + n, liveVoltage, 0, 5000);
  if (method == 2 && n >= 1)
    return takeOverInRange(connected, ImageWord::GearRatio + n - 1, liveRatio, 1, 32000);
  return {};
}

std::span<const ControlSpec> GearPage::table() { return gearTable(); }

GearPage::GearPage(ParamBinder& binder, QWidget* sheet)
    : GridPage(binder, sheet, gearTable(), 0, "") {
  TablePage& c = *m_controls;
  QWidget* page = scrollingContent(sheet, "GearPageContent");
  auto* top = new QGridLayout(page);
  auto* left = new QGridLayout;
  left->addWidget(c.control("RadioGroupGearSystem"), 0, 0, 1, 2);
  left->addWidget(c.label("UpDownPocetGear"), 1, 0);
  left->addWidget(c.control("UpDownPocetGear"), 1, 1);
  auto* speed = new QGroupBox(
      QString::fromUtf8(ml("###Setting of speedometer##Einstellung des Tachometers##Nastavení "
                           "rychloměru")),
      page);
  speed->setObjectName(QStringLiteral("GroupBoxPulsuProSpeed"));
  auto* sg = new QGridLayout(speed);
  sg->addWidget(c.control("RadioGroupSpeedMode"), 0, 0, 1, 2);
  sg->addWidget(c.label("UpDownPulsuProSpeed"), 1, 0);
  sg->addWidget(c.control("UpDownPulsuProSpeed"), 1, 1);
  left->addWidget(speed, 2, 0, 1, 2);
  auto* autoBox = new QGroupBox(
      QString::fromUtf8(ml("###Automatic from ratio rpm speed ##Automatisch aus Verhältnis "
                           "Drehzahl Tempo ##Automaticky z poměru otáčky rychlost ")),
      page);
  autoBox->setObjectName(QStringLiteral("GroupBoxMonAutoGear"));
  auto* ag = new QGridLayout(autoBox);
  int r = 0;
  for (const char* n :
       {"UpDownGearAutoTime", "UpDownGearAutoRpm", "UpDownGearAutoTps", "UpDownGearAutoBand"}) {
    ag->addWidget(c.label(n), r, 0);
    ag->addWidget(c.control(n), r++, 1);
  }
  // The ratio the unit learnt for each gear, filled by the live monitor; a
  // row shows for the gears in use.
  for (int g = 1; g <= 6; ++g) {
    auto* row = new QWidget(autoBox);
    auto* rl = new QHBoxLayout(row);
    rl->setContentsMargins(0, 0, 0, 0);
    auto* caption = new QLabel(QStringLiteral("Gear %1").arg(g), row);
    caption->setObjectName(ruleName("LabelMonGearAuto%d", g));
    auto* value = new QLabel(QStringLiteral("---"), row);
    value->setObjectName(ruleName("LabelMonPomerRpmSpeedAuto%d", g));
    rl->addWidget(caption);
    rl->addWidget(value, 1);
    ag->addWidget(row, r++, 0, 1, 2);
    m_autoRows[static_cast<std::size_t>(g - 1)] = row;
  }
  left->addWidget(autoBox, 3, 0, 1, 2);
  left->setRowStretch(4, 1);
  top->addLayout(left, 0, 0);
  auto* volt = new QGroupBox(
      QString::fromUtf8(ml("###Setting voltage of Gears##Spannung der Gänge##Nastavení napětí "
                           "stupňů")),
      page);
  volt->setObjectName(QStringLiteral("GroupBoxNapetiProGear"));
  auto* vg = new QGridLayout(volt);
  auto* ratio = new QGroupBox(
      QString::fromUtf8(ml("###Ratio Rpm / Speed##Verhältnis Drehzahl / Tempo##Poměr otáčky / "
                           "rychlost")),
      page);
  ratio->setObjectName(QStringLiteral("GroupBoxRpmSpeedProGear"));
  auto* rg = new QGridLayout(ratio);
  // The take-over buttons stand in a group of their own beside the voltages
  // or ratios, one row per gear in step with the edits' rows.
  auto* take = new QGroupBox(page);
  ownCaption(take, "###Live value##Live-Wert##Aktuální hodnota");
  take->setObjectName(QStringLiteral("GroupBoxGearTakeOver"));
  auto* bg = new QGridLayout(take);
  const int rowHeight = c.control("UpDownGearVolt0")->sizeHint().height();
  for (QGridLayout* grid : {vg, rg, bg}) {
    grid->setVerticalSpacing(6);
    grid->setRowStretch(7, 1);
  }
  // Gear 0 has no ratio; its row stays empty.
  rg->addItem(new QSpacerItem(0, rowHeight), 0, 0);
  for (int g = 0; g <= 6; ++g) {
    const QByteArray v = ruleName("UpDownGearVolt%d", g).toLatin1();
    vg->addWidget(c.label(v.constData()), g, 0);
    vg->addWidget(c.control(v.constData()), g, 1);
    auto* button = new QPushButton(QStringLiteral("<- Gear %1").arg(g), take);
    button->setObjectName(QStringLiteral("ButtonGear%1").arg(g));
    button->setFixedHeight(rowHeight);
    connect(button, &QPushButton::clicked, this, [this, g] { takeOver(g); });
    bg->addWidget(button, g, 0);
    if (g >= 1) {
      const QByteArray q = ruleName("UpDownGearRatio%d", g).toLatin1();
      rg->addWidget(c.label(q.constData()), g, 0);
      rg->addWidget(c.control(q.constData()), g, 1);
    }
    m_buttons[static_cast<std::size_t>(g)] = button;
  }
  // The live gear voltage and rpm/speed ratio under the take-over buttons,
  // so the value a "<- Gear N" press takes is in sight. Each stands in a
  // holder the page's rules show or hide; the monitor fills the label.
  auto* liveVolt = new QWidget(take);
  (new QHBoxLayout(liveVolt))->setContentsMargins(0, 0, 0, 0);
  auto* volts = new QLabel(QStringLiteral("---"), liveVolt);
  volts->setObjectName(QStringLiteral("LabelMonGearNapeti"));
  liveVolt->layout()->addWidget(volts);
  auto* liveRatio = new QWidget(page);
  (new QHBoxLayout(liveRatio))->setContentsMargins(0, 0, 0, 0);
  auto* ratios = new QLabel(QStringLiteral("---"), liveRatio);
  ratios->setObjectName(QStringLiteral("LabelMonPomerRpmSpeed"));
  liveRatio->layout()->addWidget(ratios);
  bg->addWidget(liveVolt, 8, 0);
  m_liveVolt = liveVolt;
  m_liveRatio = liveRatio;
  auto* right = new QHBoxLayout;
  right->addWidget(volt);
  right->addWidget(ratio);
  right->addWidget(take);
  right->addStretch(1);
  auto* rightColumn = new QVBoxLayout;
  rightColumn->addLayout(right);
  rightColumn->addWidget(liveRatio);
  top->addLayout(rightColumn, 0, 1, Qt::AlignTop);
  top->setColumnStretch(1, 1);
  c.onChange("RadioGroupGearSystem", [this](int index) { chooseMethod(index); });
}

void GearPage::applyPageRules(const ParamImage& img) {
  GearState s;
  s.method = img.byte(ImageByte::GearSystem);
  s.gears = img.byte(ImageByte::GearCount);
  s.speed = functionFlags(img)[Fn::Speed];
  // The voltages and buttons count from gear 0.
  for (int g = 0; g <= 6; ++g) {
    const bool shown = g <= 1 || g <= s.gears;
    if (QWidget* w = m_controls->control(ruleName("UpDownGearVolt%d", g).toLatin1().constData()))
      w->setVisible(shown);
    if (QLabel* l = m_controls->label(ruleName("UpDownGearVolt%d", g).toLatin1().constData()))
      l->setVisible(shown);
    m_buttons[static_cast<std::size_t>(g)]->setVisible((s.method == 1 || s.method == 2) && shown);
    m_buttons[static_cast<std::size_t>(g)]->setEnabled(connected && connected());
  }
  pages::applyRules(m_page, std::span<const Rule<GearState>>(kRules), s, 6);
  m_liveVolt->setVisible(s.method == 1);
  m_liveRatio->setVisible(s.method == 2 || s.method == 3);
  for (int g = 1; g <= 6; ++g) m_autoRows[static_cast<std::size_t>(g - 1)]->setVisible(upTo(s, g));
}

void GearPage::showEngagedGear(int engaged) {
  const int e = highlightedGear(engaged);
  const int method = m_binder.model().image().byte(ImageByte::GearSystem);
  for (int g = 0; g <= 6; ++g) {
    QPushButton* b = m_buttons[static_cast<std::size_t>(g)];
    if (b->font().bold() != (g == e)) {
      QFont f = b->font();
      f.setBold(g == e);
      b->setFont(f);
    }
    // The setting the unit uses now: the voltage in method 1, the ratio in
    // method 2.
    const QByteArray volt = ruleName("UpDownGearVolt%d", g).toLatin1();
    const QByteArray ratio = ruleName("UpDownGearRatio%d", g).toLatin1();
    for (auto [name, on] : {std::pair{volt.constData(), method == 1 && g == e},
                            std::pair{ratio.constData(), method == 2 && g == e}}) {
      markEngaged(m_controls->control(name), on);
      markEngaged(m_controls->label(name), on);
    }
    // Method 3: the gear the unit finds by its learnt ratios.
    if (g >= 1)
      markEngaged(m_page->findChild<QLabel*>(ruleName("LabelMonGearAuto%d", g)),
                  method == 3 && g == e);
  }
}

void GearPage::takeOver(int n) {
  const ParamImage& img = m_binder.model().image();
  const MonitorBuffer& mon = m_binder.model().monitor();
  applyTakeOver(m_binder,
                gearTakeOver(img.byte(ImageByte::GearSystem), n, connected && connected(),
                             mon.word(MonitorWord::GearVoltage), mon.word(MonitorWord::GearRatio)));
}

void GearPage::chooseMethod(int index) {
  ParamImage& img = m_binder.model().image();
  // The method takes the input it reads (input 3 for the voltage, input 1
  // for the speed sensor), whatever function the input had.
  const GearInput need = gearMethodInput(index);
  if (need.input >= 0) img.setByte(ImageByte::InputFunction + need.input, need.function);
  m_binder.applyNow();
}

}  // namespace q3::pages
