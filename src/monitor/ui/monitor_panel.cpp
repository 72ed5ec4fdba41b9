// Every monitor control in one widget.
#include "monitor/ui/monitor_panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "monitor/ui/monitor_area.h"

namespace q3 {

MonitorPanel::MonitorPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("MonitorPanel"));
  auto* top = new QVBoxLayout(this);
  top->addWidget(new MonitorArea(this));
  auto* columns = new QHBoxLayout;
  auto* tests = new QVBoxLayout;
  tests->addWidget(testpage::ignitionGroup(this));
  for (const char* b : {"ButtonTestRpm", "ButtonTestServoPlus", "ButtonTestServoMinus"})
    tests->addWidget(testpage::button(b, this));
  tests->addWidget(testpage::powerOutGroup(this));
  auto* props = new QGridLayout;
  for (int i = 1; i <= 5; ++i) testpage::addProprietaryValue(props, i - 1, 0, i, this);
  tests->addLayout(props);
  columns->addLayout(tests);
  columns->addWidget(testpage::unitGroup(this));
  columns->addWidget(testpage::liveGroup(this), 1);
  top->addLayout(columns);
  // The inputs' states and the channels' synchronisation stand beside their
  // settings in the window (Miscellaneous and Bike pages).
  auto* beside = new QHBoxLayout;
  for (int i = 1; i <= 6; ++i)
    beside->addWidget(
        monitorLabel(QByteArray("LabelMonInput" + QByteArray::number(i) + "In").constData(), this));
  for (int i = 1; i <= 4; ++i)
    beside->addWidget(
        monitorLabel(QByteArray("LabelFullSynchro" + QByteArray::number(i)).constData(), this));
  top->addLayout(beside);
  auto* player = new QGroupBox(QStringLiteral("Monitor player"), this);
  player->setObjectName(QStringLiteral("GroupBoxPlayer"));
  fillPlayerGroup(player);
  top->addWidget(player);
}

}  // namespace q3
