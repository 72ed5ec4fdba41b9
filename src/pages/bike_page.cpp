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

constexpr Item kBikes[] = {
    {23, "###3 Cylinder, 1 pickup##3 Zylinder   1 Geber##3 válce 1 snimač"},
    {34,
     "###3 Cylinder, 1 pickup - kick start##3 Zylinder   1 Geber - Kickstarter##3 válce 1 snimač - "
     "start našlápnutím"},
    {37, "24-1 4 cyl, cam"},
    {36, "24-2 4 cyl, cam"},
    {40, "Distributor 4cyl"},
    {39, "BMW S1000RR"},
    {32, "Ducati inj. 48-2"},
    {31, "Harley"},
    {1, "Honda CBR 7P"},
    {2, "Honda CBR 9P"},
    {3, "Honda Shadow"},
    {4, "Honda VFR 400"},
    {24, "Honda VFR 750"},
    {5, "Honda VT 600 Shadow"},
    {6, "Honda VT 1100"},
    {35, "Kawasaki KZ 1300"},
    {0, "Kawasaki ZX"},
    {27, "Kawasaki ZX9R 00"},
    {38, "KTM 690"},
    {255, "###Special setting##Sonderstellung##Speciální nastavení"},
    {7,
     "###Classic (1 lobe per revolution, 1-2 pick-ups)##Klassisch (1 Leitst. pro Umdreh. 1-2 "
     "Geber)##Klasika (1 výstupek za otáčku, 1-2 snimače)"},
    {28,
     "###Classic (2 lobe per revolution, 1-2 pick-ups)##Klassisch (2 Leitst. pro Umdreh. 1-2 "
     "Geber)##Klasika (2 výstupky za otáčku, 1-2 snimače)"},
    {29,
     "###Classic (3 lobe per revolution, 1 pick-up)##Klassisch (3 Leitst. pro Umdreh. 1 "
     "Geber)##Klasika (3 výstupky za otáčku, 1 snimač)"},
    {30,
     "###Classic (1 lobe per 2 revolutions (CMPS), 1-2 pick-ups)##Klassisch (1 Leist. pro 2 "
     "Umdreh. (CMPS) 1-2 Geber)##Klasika (1 výstupek za 2 otáčky (vačka), 1-2 snimače)"},
    {33, "Laverda 3x120"},
    {43, "Mazda RX7"},
    {8, "Suzuki 800"},
    {9, "Suzuki GSF 400 A"},
    {10, "Suzuki GSF 400 B"},
    {11, "Suzuki GSX"},
    {12, "Suzuki SV 650"},
    {13, "Suzuki Tci 125"},
    {14, "Suzuki VS 800"},
    {15, "TDM 850"},
    {26, "Triumph Tigra"},
    {16, "Virago XV"},
    {17, "Yamaha 125 SR"},
    {18, "Yamaha Fz 750"},
    {19, "Yamaha R1"},
    {20, "Yamaha R6"},
    {21, "Yamaha XT600E"},
    {25, "Yamaha XVZ 1300"},
};

constexpr Item kTypes[] = {
    {0, "###1 lobe, 1 or 2 pick-up##1 Leitstück, 1 oder 2 Geber##1 výstupek, 1 nebo 2 snimače"},
    {1,
     "###Short gap between lobes (inserted lobe)##Kurz Abstand zwischen Leitstücken (eingeschiebe "
     "Leitstück)##Krátká mezera mezi výstupky (vsunutý výstupek)"},
    {2, "###Wide lobe##Längere Leitstück##Široký výstupek"},
    {3,
     "###Long gap between lobes (missing lobe)##Lang Abstand zwischen Leitstücken (ausgelassene "
     "Leitstück)##Dlouhá mezera mezi výstupky (vynechaný výstupek)"},
    {4,
     "###2 pick-ups, missing lobe##2 Geber, ausgelassene Leitstück##2 snímače vynechané výstupky"},
    {5,
     "###2 Short gaps between lobes (inserted lobe)##2 Kurze Abstände zwischen Leitstücken "
     "(eingeschiebe Leitstück)##2 krátké mezery mezi výstupky (vsunutý výstupek)"},
    {6, "###Cam (CMPS)##Steuernocken (CMPS)##Vačka (CMPS)"},
    {7, "Harley"},
    {8,
     "###Long gap between lobes - more lobes (48-2)##Lang Abstand zwischen Leitstücken - mehr "
     "Leitstücke (48-2)##Dlouhá mezera mezi výstupky - více výstupků (48-2)"},
    {9, "###Special for more pickups##Spezial für mehr Geber##Speciál pro více snimačů"},
    {10,
     "###Inserted lobe - kick start##Eingeschiebe Leitstück - Kickstarter##Vsunutý výstupek - kick "
     "start - start našlápnutím"},
    {11, "###Honda Cam (CMPS)##Honda Steuernocken (CMPS)##Vačka Honda (CMPS)"},
    {12,
     "###Long gap between lobes + Cam (CMPS)##Lang Abstand zwischen Leitstücken + "
     "Steuernocken(CMPS)##Dlouhá mezera mezi výstupky + Vačka (CMPS)"},
    {13, "###Keihin 18 lobes##Keihin 18 Leitstücken##Keihin 18 palců"},
    {14,
     "###Long gap between lobes - more lobes (60-2) + Cam##Lang Abstand zwischen Leitstücken - "
     "mehr Leitstücke (60-2) + Steuernocken##Dlouhá mezera mezi výstupky - více výstupků (60-2) + "
     "Vačka"},
    {15, "###Narrow lobe##Engen Leitstück##Úzký výstupek"},
    {16, "Distributor"},
    {17, "Honda NSR 250 MC18 -"},
    {18, "Honda CRM 250"},
    {19, "###Start of lobe##Beginn des Lappens##Začátek palce"},
    {20, "Mazda RX7"},
};

constexpr Item kLobesPerRev[] = {
    {1, "###1 ignition per revolution##1 Zündung pro Umdrehungk##1 zápal za otáčku"},
    {2, "###2 ignitions per revolution##2 Zündungen pro Umdrehungk##2 zápaly za otáčku"},
    {3, "###3 ignitions per revolution##3 Zündungen pro Umdrehungk##3 zápaly za otáčku"},
    {4, "###4 ignitions per revolution##4 Zündungen pro Umdrehungk##4 zápaly za otáčku"},
    {0,
     "###1 ignition per 2 revolutions (camshaft)##1 Zündung pro 2 Umdrehungen (Nockenwelle)##1 "
     "zápal za 2 otáčky (vačkový hřídel)"},
};

constexpr Item kFourStroke[] = {
    {0, "###No##kain##Není"},
    {1, "###compression deceleration##Kompressionsverzögerung##kompresní decelerace"},
    {2, "IAP"},
};

constexpr Item kSynchPos[] = {
    {0, "###use: both polarity##Gebrauch: beide Polaritäten##užívá: obě poolarity"},
    {1, "###use: + positive only##Gebrauch: + nur positiv##užívá: + jen kladná"},
    {2, "###use: - negative only##Gebrauch: - nur negativ##užívá: - jen záporná"},
};

constexpr Item kPolarity[] = {{0, "Plus"}, {1, "Minus"}, {2, "Auto"}};

using K = Kind;

// Rows with base -1 (edges, second-turn bits) are moved by the page itself.
#define Q3_CHANNEL_ROWS(i)                                                            \
  {"UpDownPalec" #i "Zac", K::Spin, -1, 0, 1, 0, 1, 58, 1, "Max. advance edge"},      \
      {"CheckBoxPalec" #i "ZacH2", K::Check, -1, 0, 1, 0, 0, 1, 1, ""},               \
      {"CheckBoxPalec" #i "ZacP2", K::Check, -1, 0, 1, 0, 0, 1, 1, ""},               \
      {"UpDownPalec" #i "End", K::Spin, -1, 0, 1, 0, 1, 58, 1, "Start advance edge"}, \
      {"CheckBoxPalec" #i "EndH2", K::Check, -1, 0, 1, 0, 0, 1, 1, ""},               \
      {"CheckBoxPalec" #i "EndP2", K::Check, -1, 0, 1, 0, 0, 1, 1, ""}, {             \
    "CheckBoxPalec" #i "T2", K::Check, -1, 0, 1, 0, 0, 1, 1, ""                       \
  }

const ControlSpec kTable[] = {
    {"ComboBoxBike", K::ComboValue, ImageByte::Bike, 0, 1, 0, 0, 255, 1,
     "###Bike##Motorrad##Motocykl", kBikes},
    {"RadioGroupPickup1Polarita", K::RadioIndex, ImageByte::PickupPolarity1, 0, 1, 0, 0, 2, 1,
     "Pick-up 1 polarity", kPolarity},
    {"RadioGroupPickup2Polarita", K::RadioIndex, ImageByte::PickupPolarity2, 0, 1, 0, 0, 2, 1,
     "Pick-up 2 polarity", kPolarity},
    {"CheckBoxZamenaPickup", K::Check, ImageByte::PickupsInterchange, 0, 1, 0, 0, 1, 1,
     "Pick-ups interchange"},
    {"CheckBoxNehlidaPalec", K::Check, ImageByte::NoLobeCheck, 0, 1, 0, 0, 1, 1,
     "No polarity check"},
    {"CheckBoxCrossBlock", K::Check, ImageByte::InterlockInput, 0, 1, 0, 0, 1, 1,
     "Interlock input"},
    {"CheckBoxPredPalec", K::Check, ImageByte::SparkBeforeLobe, 0, 1, 0, 0, 1, 1,
     "Spark before lobe"},
    {"CheckBoxSpecStart", K::Check, ImageByte::SpecialStart, 0, 1, 0, 0, 1, 1,
     "Lower advance at start"},
    {"CheckBoxSpecDwellByStart", K::Check, ImageByte::SpecialDwellStart, 0, 1, 0, 0, 1, 1,
     "Special dwell at start"},
    {"UpDownRevWoIgnition", K::Spin, ImageByte::RevWoIgnition, 0, 1, 0, 0, 40, 1,
     "###Revolutions without ignition##Umdrehungen ohne Zündung##Počet otáček bez zápalu"},
    {"UpDownKompenz", K::Spin, ImageByte::Compensation, 0, 1, 0, 0, 255, 1,
     "###Compensation##Kompensation##Kompenzace"},
    {"UpDownRpmPulsu", K::Spin, ImageByte::RpmPulses, kSignedFlag, 1, 0, -2, 12, 1,
     "Pulses per revolution"},
    {"UpDownRpmKorekce", K::Spin, ImageByte::RpmCorrection, 0, 1, -100, -60, 60, 1,
     "Correction [%]"},
    {"ComboBoxSynchro", K::ComboValue, ImageByte::PickupSystem, 0, 1, 0, 0, 255, 1,
     "Trigger system", kTypes},
    {"UpDownPocPalcu", K::Spin, ImageByte::Lobes, 0, 1, 0, 1, 58, 1, "Number of lobes"},
    {"UpDownPocKanalu", K::Spin, ImageByte::Channels, 0, 1, 0, 1, 4, 1, "Number of channels"},
    {"ComboBoxNasobekPalcu", K::ComboValue, ImageByte::LobesPerRev, 0, 1, 0, 0, 255, 1,
     "###Ignitions##Zündungen##Zápaly", kLobesPerRev},
    {"ComboBoxFourStrokeIgn", K::ComboValue, ImageByte::FourStroke, 0, 1, 0, 0, 255, 1,
     "###Four-stroke ignition##Viertakt-Zündung##Čtyřtaktní zapalování", kFourStroke},
    {"UpDownSpecStartPerc", K::Spin, ImageByte::SpecialStartPerc, 0, 1, 0, 0, 250, 1,
     "Percentage [%]"},
    {"ComboBoxSynchPos", K::ComboValue, ImageByte::SyncPolarity, 0, 1, 0, 0, 255, 1, "Sync",
     kSynchPos},
    Q3_CHANNEL_ROWS(1),
    Q3_CHANNEL_ROWS(2),
    Q3_CHANNEL_ROWS(3),
    Q3_CHANNEL_ROWS(4),
};
#undef Q3_CHANNEL_ROWS

QString chName(const char* pattern, int ch) { return ruleName(pattern, ch); }

}  // namespace

std::span<const ControlSpec> BikePage::table() { return kTable; }
std::span<const Item> BikePage::bikes() { return kBikes; }

BikePage::BikePage(ParamBinder& binder, QWidget* page)
    : Page(page), m_binder(binder), m_page(page) {
  m_controls = std::make_unique<TablePage>(binder, kTable, page);
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
