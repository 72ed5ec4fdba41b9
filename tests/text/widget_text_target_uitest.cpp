// The text tables written into a small widget tree named like the main
// window's controls: menus, items, buttons, tabs, labels, radio groups,
// combo boxes, hints and check marks.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "support/qt_app.h"
#include "text/mstring.h"
#include "text/widgets/widget_text_target.h"

namespace {

// A radio group widget of the kind the pages build: it takes its list whole.
class ListWidget : public QWidget {
  Q_OBJECT
 public:
  explicit ListWidget(QWidget* parent = nullptr) : QWidget(parent) {}
  Q_INVOKABLE void setItems(const QStringList& items) {
    received = items;
    delete doomed;  // a group that rebuilds its children while the texts are applied
  }
  QStringList received;
  QPointer<QWidget> doomed;
};

using q3test::app;

template <class T>
T* named(QWidget* parent, const char* name) {
  auto* w = new T(parent);
  w->setObjectName(name);
  if (parent && parent->layout()) parent->layout()->addWidget(w);
  return w;
}

struct Window {
  struct AppFirst {
    AppFirst() { app(); }
  } appFirst;  // the application must exist before the first widget
  QMainWindow main;
  QMenu* file = nullptr;
  QTabWidget* tabs = nullptr;
  QGroupBox* tpsIap = nullptr;
  QComboBox* channels = nullptr;
  ListWidget* gearSystem = nullptr;

  Window() {
    file = main.menuBar()->addMenu(QString());
    file->setObjectName("MenuFile");
    file->menuAction()->setObjectName("MenuFile");
    for (const char* n : {"MenuOpen", "MenuRead", "MenuPrintAll"})
      file->addAction(QString())->setObjectName(n);
    main.findChild<QAction*>("MenuPrintAll")->setVisible(false);
    QMenu* lang = main.menuBar()->addMenu(QString());
    lang->setObjectName("MenuLanguage");
    lang->menuAction()->setObjectName("MenuLanguage");
    for (const char* n : {"MenuEnglish", "MenuGerman", "MenuCzech"})
      lang->addAction(QString())->setObjectName(n);

    auto* central = new QWidget(&main);
    central->setLayout(new QVBoxLayout);
    main.setCentralWidget(central);
    named<QPushButton>(central, "ButtonRead");
    named<QCheckBox>(central, "CheckBoxProgHned");
    tabs = named<QTabWidget>(central, "PageControl1");
    for (const char* n : {"TabSheetRuzne", "TabSheetBike"}) {
      auto* page = new QWidget;
      page->setObjectName(n);
      page->setLayout(new QVBoxLayout);
      tabs->addTab(page, QString());
    }
    QWidget* misc = tabs->widget(0);
    named<QLabel>(misc, "LabelLimiter");
    tpsIap = named<QGroupBox>(misc, "RadioGroupTpsIap");
    for (int i = 0; i < 3; ++i) new QRadioButton(tpsIap);
    channels = named<QComboBox>(tabs->widget(1), "ComboBoxCh1");
    channels->addItems({"a", "b", "c", "d"});
    channels->setCurrentIndex(2);
    gearSystem = named<ListWidget>(tabs->widget(1), "RadioGroupGearSystem");
  }
  template <class T>
  T* find(const char* name) {
    return main.findChild<T*>(name);
  }
  QStringList radioTexts() const {
    QStringList out;
    for (auto* b : tpsIap->findChildren<QRadioButton*>()) out << b->text();
    return out;
  }
};

void applyIn(Window& w, int lang, int byte515) {
  q3::setLanguage(lang);
  q3::WidgetTextTarget target(&w.main);
  q3::applyTexts(target, byte515);
}

TEST(WidgetTextTarget, WritesEveryKindOfTextInTheCurrentLanguage) {
  Window w;
  applyIn(w, 1, 0);
  EXPECT_EQ(w.file->title(), "&Datei");
  EXPECT_EQ(w.find<QAction>("MenuRead")->text(), "&Lesen");
  EXPECT_EQ(w.find<QPushButton>("ButtonRead")->text(), "&Lesen");
  EXPECT_EQ(w.tabs->tabText(0), "Verschiedene");
  EXPECT_EQ(w.tabs->tabText(1), "Motorrad");
  EXPECT_EQ(w.find<QLabel>("LabelLimiter")->text(), "Begrenzer [rpm]");
  EXPECT_EQ(w.find<QCheckBox>("CheckBoxProgHned")->text(), "Programmierung nach Änderung");
  EXPECT_EQ(w.tpsIap->title(), "Lastsensor");
  EXPECT_EQ(w.radioTexts(), QStringList({"keinen", "TP", "IAP+Synchro IAP"}));
  EXPECT_EQ(w.channels->count(), 4);
  EXPECT_EQ(w.channels->itemText(0), "Kanal 1");
  EXPECT_EQ(w.channels->currentIndex(), 2) << "the selection survives the new list";
  EXPECT_EQ(w.gearSystem->received.size(), 4);
  EXPECT_EQ(w.gearSystem->received.value(1), "Spannung");
  EXPECT_EQ(w.find<QAction>("MenuOpen")->statusTip(), "Kenndatendatei öffnen");
  EXPECT_EQ(w.find<QCheckBox>("CheckBoxProgHned")->toolTip(),
            "Programmmieren sofort nach dem änderung");
  EXPECT_TRUE(w.find<QAction>("MenuPrintAll")->isVisible());
  EXPECT_FALSE(w.find<QAction>("MenuEnglish")->isChecked());
  EXPECT_TRUE(w.find<QAction>("MenuGerman")->isChecked());
  EXPECT_FALSE(w.find<QAction>("MenuCzech")->isChecked());
  q3::setLanguage(0);
}

TEST(WidgetTextTarget, BackToEnglishRestoresEveryEnglishText) {
  Window w;
  applyIn(w, 2, 1);
  applyIn(w, 0, 1);
  EXPECT_EQ(w.file->title(), "&File");
  EXPECT_EQ(w.find<QPushButton>("ButtonRead")->text(), "&Read");
  EXPECT_EQ(w.tabs->tabText(0), "Miscellaneous");
  EXPECT_EQ(w.radioTexts(), QStringList({"No", "TP", "IAP"}));
  EXPECT_EQ(w.channels->itemText(3), "Channel 4");
  EXPECT_EQ(w.find<QAction>("MenuOpen")->toolTip(), "Open file with parametrs");
  EXPECT_TRUE(w.find<QAction>("MenuEnglish")->isChecked());
  EXPECT_FALSE(w.find<QAction>("MenuCzech")->isChecked());
}

TEST(WidgetTextTarget, ShortListHidesSurplusRadioButtonsAndUnknownNamesAreSkipped) {
  Window w;
  q3::WidgetTextTarget target(&w.main);
  target.setItems("RadioGroupTpsIap", "One\nTwo");
  const auto buttons = w.tpsIap->findChildren<QRadioButton*>();
  ASSERT_EQ(buttons.size(), 3);
  EXPECT_EQ(buttons[1]->text(), "Two");
  EXPECT_TRUE(buttons[2]->isHidden());
  EXPECT_FALSE(buttons[0]->isHidden());
  target.setCaption("NoSuchControl", "x");
  target.setItems("NoSuchControl", "x");
  target.setHint("NoSuchControl", "x");
  target.setChecked("NoSuchControl", true);
  target.setVisible("NoSuchControl", false);
  EXPECT_EQ(w.main.findChildren<QObject*>("NoSuchControl").size(), 0);
}

TEST(WidgetTextTarget, ControlDeletedByAnEarlierEntryIsSkipped) {
  Window w;
  // LabelPocetGear comes after the gear-system items in the caption table.
  w.gearSystem->doomed = named<QLabel>(w.gearSystem, "LabelPocetGear");
  struct Probe : q3::WidgetTextTarget {
    using q3::WidgetTextTarget::widget;
    using q3::WidgetTextTarget::WidgetTextTarget;
  } probe(&w.main);
  ASSERT_NE(probe.widget("LabelPocetGear"), nullptr);  // indexed while it still exists
  probe.setItems("RadioGroupGearSystem", "No\nVoltage");
  EXPECT_TRUE(w.gearSystem->doomed.isNull());
  EXPECT_EQ(probe.widget("LabelPocetGear"), nullptr);
  probe.setCaption("LabelPocetGear", "x");  // must not touch the deleted label
  applyIn(w, 0, 0);
  EXPECT_EQ(w.gearSystem->received.value(0), "No");
}

}  // namespace

#include "widget_text_target_uitest.moc"
