#include "pages/bike_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <string_view>

#include "pages/bike_rules.h"
#include "params/address_map.h"
#include "text/mstring.h"

namespace q3::pages {

namespace {

QString chName(const char* pattern, int ch) { return ruleName(pattern, ch); }

}  // namespace

std::span<const ControlSpec> BikePage::table() { return bikeTable(); }
std::span<const Item> BikePage::bikes() { return bikeItems(); }

BikePage::BikePage(ParamBinder& binder, QWidget* page)
    : Page(page), m_binder(binder), m_page(page) {
  m_controls = std::make_unique<TablePage>(binder, bikeTable(), page);
  auto* rpm = m_controls->as<SpinEdit>("UpDownRpmPulsu");
  rpm->setNegativeNames({QStringLiteral("pickup 1"), QStringLiteral("pickup 2")});
  m_controls->onChange("ComboBoxBike", [this](int index) { chooseBike(index); });
  layOut(page);
}

BikePage::~BikePage() = default;

void BikePage::takeTypedPickup() {
  auto* rpm = m_controls->as<SpinEdit>("UpDownRpmPulsu");
  const QString typed = rpm ? rpm->text().trimmed() : QString();
  if (typed == QLatin1String("-1") || typed == QLatin1String("-2")) rpm->interpretText();
}

void BikePage::layOut(QWidget* sheet) {
  TablePage& c = *m_controls;
  QWidget* page = scrollingContent(sheet, "BikePageContent");
  auto* top = new QHBoxLayout(page);
  auto* left = new QGridLayout;
  int row = 0;
  auto pair = [&](QGridLayout* g, const char* name, int& r) {
    g->addWidget(c.label(name), r, 0);
    g->addWidget(c.control(name), r, 1);
    ++r;
  };
  auto whole = [&](QGridLayout* g, const char* name, int& r) {
    g->addWidget(c.control(name), r++, 0, 1, 2);
  };
  pair(left, "ComboBoxBike", row);
  auto* pol = new QHBoxLayout;
  pol->addWidget(c.control("RadioGroupPickup1Polarita"));
  pol->addWidget(c.control("RadioGroupPickup2Polarita"));
  left->addLayout(pol, row++, 0, 1, 2);
  for (const char* n : {"CheckBoxZamenaPickup", "CheckBoxNehlidaPalec", "CheckBoxCrossBlock",
                        "CheckBoxPredPalec", "CheckBoxSpecStart"})
    whole(left, n, row);
  pair(left, "UpDownSpecStartPerc", row);
  whole(left, "CheckBoxSpecDwellByStart", row);
  pair(left, "UpDownRevWoIgnition", row);
  pair(left, "UpDownRpmPulsu", row);
  pair(left, "UpDownRpmKorekce", row);
  pair(left, "ComboBoxSynchPos", row);
  // Opens the pickup monitor (the window's pickup feature connects it).
  auto* monitor = new QPushButton(QStringLiteral("monitor PickUps"), page);
  monitor->setObjectName(QStringLiteral("ButtonMonPu"));
  left->addWidget(monitor, row++, 0, 1, 1);
  left->setRowStretch(row, 1);
  top->addLayout(left, 2);

  auto* special = new QGroupBox(
      QString::fromUtf8(ml("###Special setting##Sonderstellung##Speciální nastavení")), page);
  special->setObjectName(QStringLiteral("GroupBoxSpecial"));
  auto* g = new QGridLayout(special);
  int r = 0;
  for (const char* n : {"ComboBoxSynchro", "ComboBoxNasobekPalcu", "UpDownPocPalcu",
                        "UpDownPocKanalu", "ComboBoxFourStrokeIgn", "UpDownKompenz"}) {
    c.control(n)->setParent(special);
    c.label(n)->setParent(special);
    pair(g, n, r);
  }
  // Column heads of the edge table. They stand in channel 1's box, in the
  // same grid as its edges, so every head starts over its own column (they go
  // with the box when a lobe-less system hides it). Every control of a flag
  // column, in all four boxes, is as wide as the longest head in any
  // language, so the boxes below line up with the heads; a column whose
  // controls are all hidden takes no room.
  const std::pair<const char*, const char*> heads[] = {
      {"LabelLobe", "###Lobe##Leitstück##Palec"},
      {"LabelHrana2", "###2nd Edge##2. Flanke##2. hrana"},
      {"LabelSnimac2", "###2nd Pick-up##2. Geber##2. snímač"},
      {"LabelSnimac3", "###Full Sync.##Volle Sync.##Plná synch."},
      {"LabelSnimac4", "###2nd turn##2. Umdrehung##2. otáčka"}};
  int flagWidth = 0;
  for (const auto& h : heads) {
    if (std::string_view(h.first) == "LabelLobe") continue;
    for (const QString& t : QString::fromUtf8(h.second).mid(3).split(QStringLiteral("##")))
      flagWidth = std::max(flagWidth, special->fontMetrics().horizontalAdvance(t) + 8);
  }
  for (int ch = 1; ch <= 4; ++ch) {
    auto* box = new QGroupBox(QStringLiteral("Channel %1").arg(ch), special);
    box->setObjectName(chName("GroupBoxPalec%d", ch));
    auto* bg = new QGridLayout(box);
    bg->setContentsMargins(6, 2, 6, 2);
    bg->setVerticalSpacing(2);
    const int top = ch == 1 ? 1 : 0;  // channel 1 carries the heads in row 0
    if (ch == 1) {
      int col = 1;
      for (const auto& [name, text] : heads) {
        auto* l = new QLabel(QString::fromUtf8(ml(text)), box);
        l->setObjectName(QString::fromLatin1(name));
        if (col > 1) l->setMinimumWidth(flagWidth);
        bg->addWidget(l, 0, col, Qt::AlignLeft);
        col = col == 1 ? 2 : col + 1;
      }
    }
    for (int e = 0; e < 2; ++e) {
      const char* end = e == 0 ? "Zac" : "End";
      const QString spin = chName("UpDownPalec%d", ch) + QLatin1String(end);
      const QByteArray s = spin.toLatin1();
      QWidget* w = c.control(s.constData());
      w->setParent(box);
      c.label(s.constData())->setParent(box);
      bg->addWidget(c.label(s.constData()), top + e, 0);
      bg->addWidget(w, top + e, 1);
      for (const char* flag : {"H2", "P2"}) {
        const QByteArray n =
            (chName("CheckBoxPalec%d", ch) + QLatin1String(end) + QLatin1String(flag)).toLatin1();
        QWidget* b = c.control(n.constData());
        b->setParent(box);
        b->setMinimumWidth(flagWidth);
        bg->addWidget(b, top + e, flag[0] == 'H' ? 2 : 3, Qt::AlignLeft);
      }
    }
    auto* full = new QLabel(QStringLiteral("-"), box);
    full->setObjectName(chName("LabelFullSynchro%d", ch));
    full->setMinimumWidth(flagWidth);
    bg->addWidget(full, top, 4, Qt::AlignLeft);
    const QByteArray t2 = chName("CheckBoxPalec%dT2", ch).toLatin1();
    c.control(t2.constData())->setParent(box);
    c.control(t2.constData())->setMinimumWidth(flagWidth);
    bg->addWidget(c.control(t2.constData()), top, 5, Qt::AlignLeft);
    bg->setColumnStretch(1, 1);
    g->addWidget(box, r++, 0, 1, 2);
  }
  g->setRowStretch(r, 1);
  // Four channels and the settings above them fit the page above the live
  // values only with close rows.
  g->setVerticalSpacing(3);
  top->addWidget(special, 3);
}

void BikePage::show() {
  const ParamImage& img = m_binder.model().image();
  const ParamBinder::Suppress hold(m_binder);
  const int type = img.byte(ImageByte::PickupSystem);
  const int lobes = std::max<int>(1, img.byte(ImageByte::Lobes));
  m_controls->as<QSpinBox>("UpDownPocPalcu")->setMaximum(type == 14 ? 120 : 58);
  const BikeState st = bikeState(img);
  for (int ch = 1; ch <= 4; ++ch) {
    for (int e = 0; e < 2; ++e) {
      const int b = img.byte((e == 0 ? ImageByte::EdgeStart : ImageByte::EdgeEnd) + ch - 1);
      const QByteArray base =
          (chName("Palec%d", ch) + QLatin1String(e == 0 ? "Zac" : "End")).toLatin1();
      const QByteArray spin = "UpDown" + base, cb = "CheckBox" + base;
      m_controls->as<QSpinBox>(spin.constData())->setMaximum(std::max(lobes, 1));
      m_controls->setShown(spin.constData(), edgeLobe(type, b));
      const int h2 = st.manyLobe ? (img.byte(ImageByte::EdgeStart) & 0x40) : (b & 0x40);
      m_controls->setShown((cb + "H2").constData(), h2 != 0);
      m_controls->setShown((cb + "P2").constData(), type != 14 && (b & 0x80));
    }
    const QByteArray t2 = chName("CheckBoxPalec%dT2", ch).toLatin1();
    m_controls->setShown(t2.constData(), (img.byte(ImageByte::SecondTurn) >> (ch - 1)) & 1);
  }
  m_controls->show(img);
  applyRules(img);
}

void BikePage::store() {
  ParamImage& img = m_binder.model().image();
  m_controls->store(img);
  const int type = img.byte(ImageByte::PickupSystem);
  const bool many = type == 8 || type == 14;
  for (int ch = 1; ch <= 4; ++ch) {
    for (int e = 0; e < 2; ++e) {
      const int at = (e == 0 ? ImageByte::EdgeStart : ImageByte::EdgeEnd) + ch - 1;
      const QByteArray base =
          (chName("Palec%d", ch) + QLatin1String(e == 0 ? "Zac" : "End")).toLatin1();
      const QByteArray spin = "UpDown" + base, h2 = "CheckBox" + base + "H2",
                       p2 = "CheckBox" + base + "P2";
      if (!m_controls->edited(spin.constData()) && !m_controls->edited(h2.constData()) &&
          !m_controls->edited(p2.constData()))
        continue;
      // An untouched second-pickup box keeps the flag (for type 14 the bit is
      // part of the lobe number and never comes from the box).
      const bool pickup = m_controls->edited(p2.constData())
                              ? m_controls->value(p2.constData()) != 0
                              : (img.byte(at) & 0x80) != 0;
      img.setByte(at, encodeEdge(type, m_controls->value(spin.constData()),
                                 m_controls->value(h2.constData()) != 0, pickup));
    }
    const QByteArray t2 = chName("CheckBoxPalec%dT2", ch).toLatin1();
    if (m_controls->edited(t2.constData())) {
      const int bit = 1 << (ch - 1);
      const int v = img.byte(ImageByte::SecondTurn);
      img.setByte(ImageByte::SecondTurn,
                  m_controls->value(t2.constData()) ? (v | bit) : (v & ~bit));
    }
  }
  // For the many-lobe systems channel 1's second-edge flag applies to every edge.
  if (many && m_controls->edited("CheckBoxPalec1ZacH2")) {
    const int h2 = img.byte(ImageByte::EdgeStart) & 0x40;
    for (int at = ImageByte::EdgeStart; at < ImageByte::EdgeEnd + 4; ++at)
      img.setByte(at, (img.byte(at) & ~0x40) | h2);
  }
  // These options exist only for the hand-made trigger description.
  if (img.byte(ImageByte::Bike) != 255) {
    for (int at : {ImageByte::NoLobeCheck, ImageByte::InterlockInput, ImageByte::SparkBeforeLobe})
      img.setByte(at, 0);
    for (const char* n : {"CheckBoxNehlidaPalec", "CheckBoxCrossBlock", "CheckBoxPredPalec"})
      m_controls->setShown(n, 0);
  }
}

void BikePage::applyRules(const ParamImage& img) {
  const BikeState st = bikeState(img);
  pages::applyRules(m_page, bikeRules(), st, 4);
  if (auto* l = m_page->findChild<QLabel*>(QStringLiteral("LabelRevWoIgnition")))
    l->setText(QString::fromUtf8(
        ml(st.type == 10 ? "###Revolutions with collective ignitions##Umdrehungen mit kollektiver "
                           "Zündungen##Počet otáček s kolektivními zápaly"
                         : "###Revolutions without ignition##Umdrehungen ohne Zündung##Počet "
                           "otáček bez zápalu")));
}

void BikePage::chooseBike(int index) {
  auto* combo = m_controls->as<QComboBox>("ComboBoxBike");
  const int bike = combo->itemData(index).toInt();
  auto* types = m_controls->as<QComboBox>("ComboBoxSynchro");
  const int type = types->currentIndex() >= 0
                       ? types->currentData().toInt()
                       : m_binder.model().image().byte(ImageByte::PickupSystem);
  m_binder.chooseBike(bike, type);
}

}  // namespace q3::pages
