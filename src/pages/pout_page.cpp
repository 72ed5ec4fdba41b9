#include "pages/pout_page.h"

#include <QGridLayout>
#include <QVBoxLayout>

#include "params/address_map.h"
#include "params/param_model.h"

namespace q3::pages {

namespace {

using S = const PoutState&;
int fn(S s, int k) { return s.function[static_cast<std::size_t>(k - 1)]; }
// The hysteresis goes with the switching map: shift light and special.
bool switching(S s, int k) { return fn(s, k) == kPoutShiftLight || fn(s, k) == kPoutSpecial; }
bool special(S s, int k) { return fn(s, k) == kPoutSpecial; }
bool pwm(S s, int k) { return fn(s, k) == kPoutSpecialPwm; }
bool pulse(S s, int k) { return fn(s, k) == kPoutSpecialPulse; }

const Rule<PoutState> kRules[] = {
    {"UpDownPOutHyster%d", switching, nullptr}, {"LabelPOutHyster%d", switching, nullptr},
    {"UpDownPOutPwm%d", special, nullptr},      {"LabelPOutPwm%d", special, nullptr},
    {"UpDownPOutFreq%d", pwm, nullptr},         {"LabelPOutFreq%d", pwm, nullptr},
    {"UpDownPOutPulse%d", pulse, nullptr},      {"LabelPOutPulse%d", pulse, nullptr},
};

}  // namespace

PoutState poutState(const ParamImage& img) {
  PoutState s;
  for (int k = 0; k < kPowerOutputs; ++k)
    s.function[static_cast<std::size_t>(k)] = img.byte(ImageByte::PoutFunction + k);
  return s;
}

std::span<const Rule<PoutState>> poutRules() { return kRules; }
std::span<const ControlSpec> PoutPage::table() { return poutTable(); }

// One row per output, each a third of the sheet's height like the output's
// maps beside it: the function in two columns of choices, then its settings.
PoutPage::PoutPage(ParamBinder& binder, QWidget* sheet)
    : PanelPage(binder, sheet, poutTable(), PanelPlace::LeftOfMaps, "POutPanel", false) {
  TablePage& c = *m_controls;
  auto* rows = new QVBoxLayout(m_panel);
  rows->setContentsMargins(4, 2, 4, 2);
  for (int k = 1; k <= kPowerOutputs; ++k) {
    auto* row = new QGridLayout;
    const QByteArray group = ruleName("RadioGroupPOut%d", k).toLatin1();
    auto* radio = c.as<RadioBox>(group.constData());
    radio->setColumns(2);
    row->addWidget(radio, 0, 0, 5, 1);
    int r = 0;
    for (const char* n :
         {"UpDownPOutHyster%d", "UpDownPOutPwm%d", "UpDownPOutFreq%d", "UpDownPOutPulse%d"}) {
      const QByteArray name = ruleName(n, k).toLatin1();
      row->addWidget(c.label(name.constData()), r, 1);
      row->addWidget(c.control(name.constData()), r++, 2);
    }
    row->setRowStretch(r, 1);
    row->setColumnStretch(3, 1);
    rows->addLayout(row, 1);
    m_controls->onChange(group.constData(), [this, k](int index) { chooseFunction(k - 1, index); });
  }
}

void PoutPage::applyPageRules(const ParamImage& img) {
  // The load words of a switching map are limited to the throttle's
  // 0..100 % by the sanitising, so nothing is left to limit here when the
  // load sensor changes.
  applyRules(m_page, poutRules(), poutState(img), kPowerOutputs);
}

void PoutPage::chooseFunction(int k, int index) {
  const QByteArray group = ruleName("RadioGroupPOut%d", k + 1).toLatin1();
  const int function = m_controls->as<RadioBox>(group.constData())->itemValue(index);
  if (function < 0) return;
  applyChange([k, function](ParamImage& img) {
    img.setByte(ImageByte::PoutFunction + k, function);
    applyPowerOutputFunctionDefaults(img, k, true);
  });
}

}  // namespace q3::pages
