#include "pages/n2o_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QStyle>

#include "params/address_map.h"
#include "params/function_flags.h"
#include "text/mstring.h"

namespace q3::pages {

namespace {

// Connector pins of inputs 1..6.
constexpr int kInputPins[] = {28, 29, 30, 11, 12, 13};

}  // namespace

std::span<const ControlSpec> N2OPage::table() { return n2oTable(); }

// Two captioned groups side by side, "N2O gas" and "Retard", each with its
// two amounts, its delay and its build-up time; the limits below them, then
// where the function comes from and where it goes.
N2OPage::N2OPage(ParamBinder& binder, QWidget* sheet) : GridPage(binder, sheet, n2oTable(), 0, "") {
  TablePage& c = *m_controls;
  QWidget* content = scrollingContent(sheet, "N2OPageContent");
  auto* grid = new QGridLayout(content);
  auto group = [&](const char* name, const char* caption, std::initializer_list<const char*> rows) {
    auto* g = new QGroupBox(QString::fromUtf8(ml(caption)), content);
    g->setObjectName(QString::fromLatin1(name));
    auto* gl = new QGridLayout(g);
    int r = 0;
    for (const char* n : rows) {
      gl->addWidget(c.label(n), r, 0);
      gl->addWidget(c.control(n), r++, 1);
    }
    return g;
  };
  grid->addWidget(group("GroupBoxGas", "###N2O gas##N2O Gas##N2O plyn",
                        {"UpDownGas1", "UpDownGas2", "UpDownGasD", "UpDownGasT"}),
                  0, 0);
  grid->addWidget(group("GroupBoxRetard", "###Retard##Spätzündung##Snížení předstihu",
                        {"UpDownRetard1", "UpDownRetard2", "UpDownRetardD", "UpDownRetardT"}),
                  0, 1);
  auto* limits = new QGridLayout;
  int r = 0;
  for (const char* n : {"UpDownN2O_RPMmin", "UpDownN2O_TPSmin", "UpDownN2O_Repeat"}) {
    limits->addWidget(c.label(n), r, 0);
    limits->addWidget(c.control(n), r++, 1);
  }
  limits->setColumnStretch(2, 1);
  grid->addLayout(limits, 1, 0, 1, 2);
  grid->addWidget(c.control("CheckBoxGas"), 2, 0);
  // The hints stand right under the settings; the free space goes below them.
  for (const char* name : {"LabelN2O_Input", "LabelN2O_Output"}) {
    auto* l = new QLabel(content);
    l->setObjectName(QString::fromLatin1(name));
    l->setAutoFillBackground(true);
    grid->addWidget(l, name[9] == 'I' ? 3 : 4, 0, 1, 3);
  }
  grid->setRowStretch(5, 1);
  grid->setColumnStretch(2, 1);
}

void N2OPage::applyPageRules(const ParamImage& img) {
  const bool on = functionFlags(img)[Fn::N2O];
  for (const ControlSpec& s : n2oTable()) {
    if (QWidget* w = m_controls->control(s.name)) w->setEnabled(on);
    if (QLabel* l = m_controls->label(s.name)) l->setEnabled(on);
  }
  // The groups' captions are gray with their settings.
  for (const char* g : {"GroupBoxGas", "GroupBoxRetard"})
    if (auto* w = m_page->findChild<QWidget*>(QString::fromLatin1(g))) w->setEnabled(on);
  // The enable box follows power output 3 and is never shown.
  m_controls->control("CheckBoxGas")->setVisible(false);
  int input = 0;
  for (int i = 0; i < 6; ++i)
    if (img.byte(ImageByte::InputFunction + i) == kInputN2O) input = i + 1;
  auto paint = [](QLabel* l, const QString& text, bool warn) {
    l->setText(text);
    QPalette p = l->palette();
    p.setColor(QPalette::Window,
               warn ? QColor(Qt::yellow) : l->style()->standardPalette().color(QPalette::Button));
    l->setPalette(p);
  };
  if (auto* l = m_page->findChild<QLabel*>(QStringLiteral("LabelN2O_Input")))
    paint(l,
          input
              ? QString::fromUtf8(ml("###Input:##Eingang:##Vstup:")) + QLatin1Char(' ') +
                    QString::fromUtf8(
                        ml("###Multifunction input##Multifunktionseingang##Multifunkční vstup")) +
                    QStringLiteral(" %1 (pin %2)").arg(input).arg(kInputPins[input - 1])
              : QString::fromUtf8(ml(
                    "###Input: Select some input to allow N2O function##Eingang: Wählen Sie einen "
                    "Eingang, um die N2O-Funktion zu ermöglichen##Vstup: Zvolte některý vstup pro "
                    "povolení funkce N2O")),
          input == 0);
  const bool out3 = img.byte(ImageByte::PoutFunction + 2) == 4;
  if (auto* l = m_page->findChild<QLabel*>(QStringLiteral("LabelN2O_Output")))
    paint(
        l,
        QString::fromUtf8(ml(
            out3 ? "###Output: Power Out3 (pin 14)##Ausgang: Power Out3 (pin 14)##Výstup: Power "
                   "Out3 "
                   "(pin 14)"
                 : "###Output: Select Power Out3 to allow N2O function##Ausgang: Wählen Sie Power "
                   "Out3, um die N2O-Funktion zu ermöglichen##Výstup: Navolte POUT3 pro povolení "
                   "funkce N2O")),
        !out3);
}

}  // namespace q3::pages
