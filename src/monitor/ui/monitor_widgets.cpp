// The monitor's widget layer.
#include "monitor/ui/monitor_widgets.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QFileDialog>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "monitor/monitor_items.h"
#include "monitor/monitor_test_buttons.h"

namespace q3 {

namespace {

const char* const kPlayerNames[] = {"SpeedButtonPlay1", "SpeedButtonPlay2", "SpeedButtonPlay3",
                                    "SpeedButtonPlay4", "ScrollBarPlay",    "LabelPlayFile",
                                    "LabelPlayPos"};

QColor qcolour(Colour c) {
  return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// The background of a label, or the bar of a progress bar; the normal colour
// is the style's own.
void paint(QWidget* w, QPalette::ColorRole role, Colour c, bool fill) {
  QPalette p = w->palette();
  const QColor want = c == kNormal ? QPalette().color(role) : qcolour(c);
  if (p.color(role) != want) {
    p.setColor(role, want);
    w->setPalette(p);
  }
  if (fill && w->autoFillBackground() != (c != kNormal)) w->setAutoFillBackground(c != kNormal);
}

void setText(QWidget* w, const std::string& text) {
  const QString t = QString::fromStdString(text);
  if (auto* l = qobject_cast<QLabel*>(w)) {
    if (l->text() != t) l->setText(t);
  } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    if (b->text() != t) b->setText(t);
  }
}

void setShown(QWidget* w, bool visible, bool enabled) {
  if (w->isEnabled() != enabled) w->setEnabled(enabled);
  if (w->isHidden() == visible) w->setVisible(visible);
}

}  // namespace

MonitorWidgets::MonitorWidgets(WidgetMap widgets) : m_widgets(std::move(widgets)) {}

std::vector<std::string> MonitorWidgets::controlNames() {
  std::vector<std::string> names;
  for (int i = 0; i < monitem::Count; ++i) names.push_back(monitem::itemName(i));
  for (const char* n : kPlayerNames) names.push_back(n);
  for (int b = 0; b < kTestButtons; ++b) names.push_back(testButtonName(TestButton(b)));
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return names;
}

MonitorWidgets::WidgetMap MonitorWidgets::collect(QWidget* root) {
  WidgetMap map;
  for (const std::string& n : controlNames()) {
    const QString name = QString::fromStdString(n);
    QWidget* w = root->objectName() == name ? root : root->findChild<QWidget*>(name);
    if (w) map[n] = w;
  }
  return map;
}

QWidget* MonitorWidgets::widget(const std::string& name) const {
  const auto it = m_widgets.find(name);
  return it == m_widgets.end() ? nullptr : it->second;
}

void MonitorWidgets::show(const std::vector<DisplayValue>& values) {
  for (const DisplayValue& v : values) {
    QWidget* w = widget(v.name);
    if (!w) continue;
    // Strips follow their gauge, which the layout may have moved.
    if (v.kind == DisplayKind::Strip) {
      place(v, w);
      continue;
    }
    auto shown = m_shown.find(v.name);
    if (shown != m_shown.end() && shown->second == v) continue;
    apply(v, w);
    m_shown[v.name] = v;
  }
}

void MonitorWidgets::apply(const DisplayValue& v, QWidget* w) {
  switch (v.kind) {
    case DisplayKind::Gauge:
      if (auto* bar = qobject_cast<QProgressBar*>(w)) {
        // A range of 0..0 would make the bar a busy indicator.
        const int maximum = std::max(v.maximum, 1);
        // A progress bar repaints itself at once on a new value; held back,
        // it is painted with everything else when the event loop comes round.
        const bool painting = bar->updatesEnabled();
        if (painting) bar->setUpdatesEnabled(false);
        if (bar->maximum() != maximum || bar->minimum() != 0) bar->setRange(0, maximum);
        if (bar->value() != v.value) bar->setValue(std::clamp(v.value, 0, maximum));
        if (painting) bar->setUpdatesEnabled(true);
        paint(bar, QPalette::Highlight, v.colour, false);
      }
      setShown(w, v.visible, v.enabled);
      break;
    case DisplayKind::Button:
      if (!v.text.empty()) setText(w, v.text);
      setShown(w, v.visible, v.enabled);
      break;
    case DisplayKind::Label:
    case DisplayKind::Strip:
      setText(w, v.text);
      paint(w, QPalette::Window, v.colour, true);
      setShown(w, v.visible, v.enabled);
      break;
  }
}

void MonitorWidgets::place(const DisplayValue& v, QWidget* strip) {
  QWidget* gauge = widget(v.anchor);
  if (!gauge || v.width < 0 || !strip->parentWidget()) return;
  const QPoint origin = strip->parentWidget()->mapFromGlobal(gauge->mapToGlobal(QPoint(0, 0)));
  const int span = gauge->width();
  // Both edges rounded from the parts, so neighbouring bands meet; a band
  // that has a part keeps at least one pixel.
  const int x0 = int(std::lround(v.left * span));
  int width = int(std::lround((v.left + v.width) * span)) - x0;
  if (v.width > 0 && width < 1) width = 1;
  const QRect want(origin.x() + x0, strip->y(), width, strip->height());
  if (strip->geometry() != want) strip->setGeometry(want);
  paint(strip, QPalette::Window, v.colour, true);
  setShown(strip, width > 0, true);
}

void MonitorWidgets::showPlayer(const PlayerDisplay& d) {
  if (m_playerShown && d == m_player) return;
  m_player = d;
  m_playerShown = true;
  const bool enabled[4] = {d.recordEnabled, d.playEnabled, d.pauseEnabled, d.stopEnabled};
  for (int i = 0; i < 4; ++i)
    if (QWidget* b = widget(kPlayerNames[i])) b->setEnabled(enabled[i]);
  if (auto* bar = qobject_cast<QAbstractSlider*>(widget("ScrollBarPlay"))) {
    // The program moves the bar: that is no jump.
    const QSignalBlocker quiet(bar);
    bar->setRange(0, std::max(d.barMaximum, 0));
    bar->setValue(d.barPosition);
    bar->setVisible(d.barVisible);
  }
  if (QWidget* f = widget("LabelPlayFile")) {
    setText(f, d.fileText);
    f->setVisible(d.labelsVisible);
  }
  if (QWidget* p = widget("LabelPlayPos")) {
    setText(p, d.positionText);
    p->setVisible(d.labelsVisible);
  }
}

void MonitorWidgets::connectTo(LiveMonitor& f) {
  using Click = void (LiveMonitor::*)();
  const Click clicks[4] = {&LiveMonitor::recordClicked, &LiveMonitor::playClicked,
                           &LiveMonitor::pauseClicked, &LiveMonitor::stopClicked};
  for (int i = 0; i < 4; ++i)
    if (auto* b = qobject_cast<QAbstractButton*>(widget(kPlayerNames[i])))
      QObject::connect(b, &QAbstractButton::clicked, b, [&f, c = clicks[i]] { (f.*c)(); });
  if (auto* bar = qobject_cast<QAbstractSlider*>(widget("ScrollBarPlay")))
    QObject::connect(bar, &QAbstractSlider::valueChanged, bar,
                     [&f](int position) { f.positionMoved(position); });
  for (int i = 0; i < kTestButtons; ++i) {
    const TestButton t = TestButton(i);
    if (auto* b = qobject_cast<QAbstractButton*>(widget(testButtonName(t))))
      QObject::connect(b, &QAbstractButton::clicked, b, [&f, t] { f.testButtonClicked(t); });
  }
}

std::string MonitorWidgets::askIgnlogPath(QWidget* parent, bool save, const QString& folder) {
  QFileDialog dialog(parent, QString(), folder, QStringLiteral("ZAR log file (*.ignlog)"));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("ignlog"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first().toStdString();
}

}  // namespace q3
