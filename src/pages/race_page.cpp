#include "pages/race_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "params/address_map.h"
#include "text/mstring.h"

namespace q3::pages {

namespace {

using S = const RaceState&;
bool quick(S s, int) { return s.quickshift; }
bool corrections(S s, int g) { return s.gearMethod != 0 && (g <= 1 || g <= s.gears); }

const Rule<RaceState> kRules[] = {
    // The groups' captions are gray without a quickshift input; the
    // corrections show only with a gear method.
    {"GroupBoxClutch", nullptr, quick},
    {"GroupBoxClutchTime", nullptr, quick},
    {"GroupBoxGearKor", [](S s, int) { return s.gearMethod != 0; }, nullptr},
    {"RadioGroupClutchMode", nullptr, quick},
    {"UpDownClutchPause1", nullptr, quick},
    {"LabelClutchPause1", nullptr, quick},
    {"UpDownClutchPause2", nullptr, quick},
    {"LabelClutchPause2", nullptr, quick},
    {"UpDownClutchMinRpm", nullptr, quick},
    {"LabelClutchMinRpm", nullptr, quick},
    {"UpDownClutchAdv", nullptr, quick},
    {"LabelClutchAdv", nullptr, quick},
    {"UpDownClutchTime%d", [](S s, int g) { return g == 1 || g <= s.gears; }, quick},
    {"LabelGearKor%d", [](S s, int g) { return g == 1 || g <= s.gears; }, nullptr},
    {"UpDownGearKorAdv%d", corrections, nullptr},
    // The heads of the correction columns go with their edits.
    {"LabelGearKorAdv", corrections, nullptr},
    {"LabelGearKorLimiter", corrections, nullptr},
    {"LabelGearKorServo", corrections, nullptr},
    {"LabelGearKorPout%d", [](S s, int k) { return corrections(s, 1) && k <= 3; }, nullptr},
    {"UpDownGearKorLim%d", corrections, nullptr},
    {"UpDownGearKorServo%d", corrections, nullptr},
    {"UpDownGearKorPoutA%d", corrections, nullptr},
    {"UpDownGearKorPoutB%d", corrections, nullptr},
    {"UpDownGearKorPoutC%d", corrections, nullptr},
};

}  // namespace

RaceState raceState(const ParamImage& img) {
  RaceState s;
  s.quickshift = functionFlags(img)[Fn::Quickshift];
  s.gearMethod = img.byte(ImageByte::GearSystem);
  s.gears = img.byte(ImageByte::GearCount);
  return s;
}

std::span<const Rule<RaceState>> raceRules() { return kRules; }
std::span<const ControlSpec> RacePage::table() { return raceTable(); }

// Three captioned groups: "Quickshift - various" on top; below it, side by
// side, the cut time per gear ("Setting according gear", with the gear
// rows' captions) and the corrections per gear, each column captioned by
// its head. The rows of both lower groups stand at the same heights.
RacePage::RacePage(ParamBinder& binder, QWidget* sheet)
    : GridPage(binder, sheet, raceTable(), 0, "") {
  TablePage& c = *m_controls;
  QWidget* page = scrollingContent(sheet, "RacePageContent");
  auto* top = new QVBoxLayout(page);
  auto groupBox = [page](const char* name, const char* caption) {
    auto* g = new QGroupBox(QString::fromUtf8(ml(caption)), page);
    g->setObjectName(QString::fromLatin1(name));
    return g;
  };
  QGroupBox* various =
      groupBox("GroupBoxClutch",
               "###Quickshift - various##Schaltautomat - Verschiedenes##Quickshift - různé");
  auto* clutch = new QGridLayout(various);
  clutch->addWidget(c.control("RadioGroupClutchMode"), 0, 0, 4, 1);
  int r = 0;
  for (const char* n :
       {"UpDownClutchPause1", "UpDownClutchPause2", "UpDownClutchMinRpm", "UpDownClutchAdv"}) {
    clutch->addWidget(c.label(n), r, 1);
    clutch->addWidget(c.control(n), r++, 2);
  }
  clutch->setColumnStretch(3, 1);
  auto* variousRow = new QHBoxLayout;
  variousRow->addWidget(various);
  variousRow->addStretch(1);
  top->addLayout(variousRow);

  QGroupBox* timeBox = groupBox("GroupBoxClutchTime",
                                "###Setting according gear##Einstellung nach "
                                "Gang##Nastavení podle převodového stupně");
  QGroupBox* korBox =
      groupBox("GroupBoxGearKor",
               "###Correction per gear##Korrektur pro Gang##Korekce podle převodového stupně");
  auto* times = new QGridLayout(timeBox);
  auto* kor = new QGridLayout(korBox);
  // The column heads; the text tables name the first three.
  const std::pair<const char*, const char*> heads[] = {
      {"LabelClutchTime", "###Cut time [ms]##Unterbrechung [ms]##Přerušení [ms]"},
      {"LabelGearKorAdv", "###Advance [°]##Vorzündung [°]##Předstih [°]"},
      {"LabelGearKorLimiter", "###Limiter [rpm]##Begrenzer [U/min]##Omezovač [ot/min]"},
      {"LabelGearKorServo", "###Servo [rpm]##Servo [U/min]##Servo [ot/min]"},
      {"LabelGearKorPout1", "Pout1 [rpm]"},
      {"LabelGearKorPout2", "Pout2 [rpm]"},
      {"LabelGearKorPout3", "Pout3 [rpm]"}};
  for (int k = 0; k < 7; ++k) {
    auto* h = new QLabel(k == 0 ? timeBox : korBox);
    h->setObjectName(QString::fromLatin1(heads[k].first));
    if (k < 3)
      h->setText(QString::fromUtf8(ml(heads[k].second)));
    else
      ownCaption(h, heads[k].second);
    if (k == 0)
      times->addWidget(h, 0, 1);
    else
      kor->addWidget(h, 0, k - 1);
  }
  const char* columns[] = {"UpDownClutchTime%d",   "UpDownGearKorAdv%d",   "UpDownGearKorLim%d",
                           "UpDownGearKorServo%d", "UpDownGearKorPoutA%d", "UpDownGearKorPoutB%d",
                           "UpDownGearKorPoutC%d"};
  for (int g = 1; g <= 6; ++g) {
    auto* row = new QLabel(g == 1 ? QStringLiteral("0-1 ") : QString::number(g), timeBox);
    row->setObjectName(ruleName("LabelGearKor%d", g));
    times->addWidget(row, g, 0);
    for (int k = 0; k < 7; ++k) {
      const QByteArray n = ruleName(columns[k], g).toLatin1();
      if (k == 0)
        times->addWidget(c.control(n.constData()), g, 1);
      else
        kor->addWidget(c.control(n.constData()), g, k - 1);
      // The column head names the setting.
      c.label(n.constData())->setParent(page);
      c.label(n.constData())->hide();
    }
  }
  // A hidden row keeps its height, so the rows of both groups stay level.
  for (QGridLayout* grid : {times, kor}) {
    grid->setRowStretch(7, 1);
    for (int g = 0; g <= 6; ++g)
      grid->setRowMinimumHeight(g, c.control("UpDownClutchTime1")->sizeHint().height());
  }
  auto* lower = new QHBoxLayout;
  lower->addWidget(timeBox, 0, Qt::AlignTop);
  lower->addWidget(korBox, 0, Qt::AlignTop);
  lower->addStretch(1);
  top->addLayout(lower);
  top->addStretch(1);
}

int raceRow(int engaged) {
  if (engaged < 0 || engaged > 6) return -1;
  return std::max(engaged, 1);
}

void RacePage::showEngagedGear(int engaged) {
  const int row = raceRow(engaged);
  const bool quickshift = functionFlags(m_binder.model().image())[Fn::Quickshift];
  for (int g = 1; g <= 6; ++g) {
    const bool engagedRow = g == row;
    for (const char* column :
         {"UpDownGearKorAdv%d", "UpDownGearKorLim%d", "UpDownGearKorServo%d",
          "UpDownGearKorPoutA%d", "UpDownGearKorPoutB%d", "UpDownGearKorPoutC%d"})
      markEngaged(m_controls->control(ruleName(column, g).toLatin1().constData()), engagedRow);
    // The cut time matters only with a quickshift input.
    markEngaged(m_controls->control(ruleName("UpDownClutchTime%d", g).toLatin1().constData()),
                engagedRow && quickshift);
    // The row's caption names its gear: neutral leaves "0-1 " unmarked.
    markEngaged(m_page->findChild<QLabel*>(ruleName("LabelGearKor%d", g)), engaged == g);
  }
}

void RacePage::applyPageRules(const ParamImage& img) {
  pages::applyRules(m_page, raceRules(), raceState(img), 6);
}

}  // namespace q3::pages
