// Binding table of the Bike page: the bike, the pickup system, the rev
// counter and the channels' edges.
#include "params/address_map.h"
#include "params/page_tables.h"

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

}  // namespace

int encodeEdge(int type, int lobe, bool secondEdge, bool secondPickup) {
  int b = lobe & 0x3F;
  if (type == 14)
    b |= ((lobe / 64) & 1) << 7;
  else if (secondPickup)
    b |= 0x80;
  if (secondEdge) b |= 0x40;
  return b;
}

int edgeLobe(int type, int edge) {
  int lobe = edge & 0x3F;
  if (type == 14 && (edge & 0x80)) lobe += 64;
  return lobe;
}

std::span<const ControlSpec> bikeTable() { return kTable; }
std::span<const Item> bikeItems() { return kBikes; }

}  // namespace q3::pages
