#include "pages/misc_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "params/address_map.h"
#include "text/mstring.h"

namespace q3::pages {

namespace {

using S = const MiscState&;
bool reserved(S s, int input) { return s.flags[Fn::NeutralSideStand] && input <= 2; }

const Rule<MiscState> kRules[] = {
    {"UpDownStartLimiter", nullptr, [](S s, int) { return s.flags[Fn::StartLimiter]; }},
    {"LabelStartLimiter", nullptr, [](S s, int) { return s.flags[Fn::StartLimiter]; }},
    {"UpDownStartLimiterDelay", nullptr, [](S s, int) { return s.flags[Fn::StartLimiter]; }},
    {"LabelStartLimiterDelay", nullptr, [](S s, int) { return s.flags[Fn::StartLimiter]; }},
    {"UpDownRetard", nullptr, [](S s, int) { return s.flags[Fn::Retard]; }},
    {"LabelRetard", nullptr, [](S s, int) { return s.flags[Fn::Retard]; }},
    // Kept in the image, never shown.
    {"UpDownStartLimiterMin", [](S, int) { return false; }, nullptr},
    {"LabelStartLimiterMin", [](S, int) { return false; }, nullptr},
    {"UpDownDwellCor", [](S, int) { return false; }, nullptr},
    {"LabelDwellCor", [](S, int) { return false; }, nullptr},
    {"UpDownDwellTime", [](S s, int) { return s.dwellMode == 2; }, nullptr},
    {"LabelDwellTime", [](S s, int) { return s.dwellMode == 2; }, nullptr},
    {"UpDownDwellDyn", [](S s, int) { return s.dwellMode == 2; }, nullptr},
    {"LabelDwellDyn", [](S s, int) { return s.dwellMode == 2; }, nullptr},
    {"UpDownPotencRozsah", [](S s, int) { return s.potFunction != 0; }, nullptr},
    {"LabelPotencRozsah", [](S s, int) { return s.potFunction != 0; }, nullptr},
    {"RadioGroupInput%d", nullptr, [](S s, int i) { return !reserved(s, i); }},
    {"CheckBoxInverseInput%d",
     [](S s, int i) {
       const int f = s.inputs[i - 1];
       return f != 0 && inputInvertible(f) && !reserved(s, i);
     },
     nullptr},
};

}  // namespace

bool inputInvertible(int function) {
  return function == 3 || function == 4 || (function >= 5 && function <= 7) || function == 10 ||
         function == 11;
}

PotRange potRange(int function) {
  switch (function) {
    case 1:
      return {1, 60, 5};
    case 2:
    case 3:
      return {50, 10000, 1000};
    case 4:
      return {100, 10000, 2000};
    default:
      return {0, 0, 0};  // step and maximum unchanged
  }
}

MiscState miscState(const ParamImage& img) {
  MiscState s;
  s.flags = functionFlags(img);
  s.dwellMode = img.byte(ImageByte::DwellMode);
  s.potFunction = img.byte(ImageByte::PotFunction);
  for (int i = 0; i < 6; ++i) s.inputs[i] = img.byte(ImageByte::InputFunction + i);
  return s;
}

std::span<const Rule<MiscState>> miscRules() { return kRules; }
std::span<const ControlSpec> MiscPage::table() { return miscTable(); }

MiscPage::MiscPage(ParamBinder& binder, QWidget* page)
    : Page(page), m_binder(binder), m_page(page) {
  m_controls = std::make_unique<TablePage>(binder, miscTable(), page);
  layOut(page);
}

MiscPage::~MiscPage() = default;

void MiscPage::layOut(QWidget* sheet) {
  TablePage& c = *m_controls;
  QWidget* page = scrollingContent(sheet, "MiscPageContent");
  auto* top = new QGridLayout(page);
  auto column = [&](std::initializer_list<const char*> names) {
    auto* g = new QGridLayout;
    int r = 0;
    for (const char* n : names) {
      if (QLabel* l = c.label(n)) {
        g->addWidget(l, r, 0);
        g->addWidget(c.control(n), r++, 1);
      } else {
        g->addWidget(c.control(n), r++, 0, 1, 2);
      }
    }
    return g;
  };
  // Settings on the left, one under the other, the dwell modes in a row and
  // the potentiometer functions in two columns; the six inputs in two rows
  // of three on the right.
  c.as<RadioBox>("RadioButtonDwellMode")->setColumns(3);
  c.as<RadioBox>("RadioButtonPoti")->setColumns(2);
  auto* left = new QVBoxLayout;
  left->addLayout(column({"UpDownLimiter", "UpDownStartLimiter", "UpDownStartLimiterMin",
                          "UpDownStartLimiterDelay", "UpDownRetard", "UpDownMap2Akcel",
                          "CheckBoxInNeutralSs"}));
  left->addLayout(
      column({"RadioButtonDwellMode", "UpDownDwellTime", "UpDownDwellCor", "UpDownDwellDyn",
              "UpDownDwellMaxTime", "UpDownMinDurationDischarge", "UpDownDwellMaxRPMLobe"}));
  left->addLayout(column({"RadioButtonPoti", "UpDownPotencRozsah"}));
  left->addStretch(1);
  top->addLayout(left, 0, 0);
  auto* inputs = new QGridLayout;
  for (int i = 1; i <= 6; ++i) {
    auto* cell = new QVBoxLayout;
    const QByteArray group = ruleName("RadioGroupInput%d", i).toLatin1();
    const QByteArray inverse = ruleName("CheckBoxInverseInput%d", i).toLatin1();
    cell->addWidget(c.control(group.constData()));
    // The live state of the input, filled by the monitor, beside its
    // inverse box.
    auto* live = new QLabel(QStringLiteral("-"), page);
    live->setObjectName(ruleName("LabelMonInput%dIn", i));
    auto* row = new QHBoxLayout;
    row->addWidget(live);
    row->addWidget(c.control(inverse.constData()));
    row->addStretch(1);
    cell->addLayout(row);
    cell->addStretch(1);
    inputs->addLayout(cell, (i - 1) / 3, (i - 1) % 3);
  }
  top->addLayout(inputs, 0, 1);
  top->setColumnStretch(1, 1);
}

void MiscPage::show() {
  const ParamImage& img = m_binder.model().image();
  const ParamBinder::Suppress hold(m_binder);
  const PotRange pr = potRange(img.byte(ImageByte::PotFunction));
  if (auto* range = m_controls->as<QSpinBox>("UpDownPotencRozsah"); range && pr.step > 0) {
    range->setSingleStep(pr.step);
    range->setMaximum(pr.maximum);
  }
  for (int i = 1; i <= 6; ++i)
    m_controls->setShown(ruleName("CheckBoxInverseInput%d", i).toLatin1().constData(),
                         (img.byte(ImageByte::InputInverse) >> (i - 1)) & 1);
  m_controls->show(img);
  pages::applyRules(m_page, miscRules(), miscState(img), 6);
}

void MiscPage::store() {
  ParamImage& img = m_binder.model().image();
  const bool potChosen = m_controls->edited("RadioButtonPoti");
  m_controls->store(img);
  for (int i = 1; i <= 6; ++i) {
    const QByteArray name = ruleName("CheckBoxInverseInput%d", i).toLatin1();
    if (!m_controls->edited(name.constData())) continue;
    const int bit = 1 << (i - 1), v = img.byte(ImageByte::InputInverse);
    img.setByte(ImageByte::InputInverse,
                m_controls->value(name.constData()) ? (v | bit) : (v & ~bit));
  }
  // The short and long dwell modes have a fixed dwell time.
  const int mode = img.byte(ImageByte::DwellMode);
  if (mode == 0) img.setByte(ImageByte::DwellTime, 10);
  if (mode == 1) img.setByte(ImageByte::DwellTime, 30);
  // A new potentiometer function starts from its own default range.
  if (potChosen)
    img.setWord(ImageWord::PotRange, potRange(img.byte(ImageByte::PotFunction)).defaultRange);
  // An input that lost the gear or speed function takes the gear method
  // along; the Gear page shows the image when it becomes the active one.
  applyFunctionConsequences(img);
}

}  // namespace q3::pages
