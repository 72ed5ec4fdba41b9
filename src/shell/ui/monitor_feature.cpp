// The live monitor in the main window: the live-value strip below the pages,
// the Test page's test buttons and live values, the "Monitor player" group
// (record, play, pause, stop, position, speed, CSV export) and the log view.
// The monitor feature of the core does the work; this file gives it the
// window's controls and dialogs and hands the link what it needs of it
// (whether a recording plays, the test-command bits).
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QObject>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "base/status_slots.h"
#include "link/link_session.h"
#include "monitor/ignlog_clock.h"
#include "monitor/ignlog_series.h"
#include "monitor/live_monitor.h"
#include "monitor/ui/log_view.h"
#include "monitor/ui/monitor_area.h"
#include "monitor/ui/monitor_widgets.h"
#include "params/function_flags.h"
#include "params/hooked_page_host.h"
#include "params/param_model.h"
#include "shell/ui/main_window.h"
#include "shell/ui/window_context.h"
#include "shell/ui/window_features.h"
#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace {

// What the monitor feature needs of the main window.
class WindowMonitor : public q3::MonitorWindow {
 public:
  explicit WindowMonitor(WindowContext& ctx) : m_ctx(ctx) {}

  void attach(q3::MonitorWidgets* widgets) { m_widgets = widgets; }

  int activePage() const override { return m_ctx.pageHost.activePage(); }
  void showPage(int page) override { m_ctx.pageHost.switchToPage(page); }
  void reloadActivePage() override { m_ctx.showActivePage(); }
  std::vector<q3::PlaybackHost::Editor> mapEditors() const override {
    return m_ctx.maps.editors ? m_ctx.maps.editors() : std::vector<q3::PlaybackHost::Editor>{};
  }
  void showSheet(int editor, int sheet) override {
    if (m_ctx.maps.showSheet) m_ctx.maps.showSheet(editor, sheet);
  }
  void showMonitor(const std::vector<q3::DisplayValue>& values) override {
    if (m_widgets) m_widgets->show(values);
  }
  void showPlayer(const q3::PlayerDisplay& d) override {
    if (m_widgets) m_widgets->showPlayer(d);
  }
  std::string askRecordPath() override { return ask(true); }
  std::string askPlayPath() override { return ask(false); }
  std::array<bool, 12> functionFlags() const override {
    return q3::functionFlags(m_ctx.params.image()).f;
  }
  std::array<bool, 5> propSigned() const override {
    std::array<bool, 5> on{};
    for (size_t i = 0; i < on.size(); ++i) on[i] = propBoxes[i] && propBoxes[i]->isChecked();
    return on;
  }
  bool serviceMode() const override { return m_ctx.window.serviceMode(); }
  std::array<int16_t, 16> screens() const override {
    std::array<int16_t, 16> s{};
    const QList<QScreen*> all = QGuiApplication::screens();
    for (int i = 0; i < all.size() && i < 4; ++i) {
      const QRect r = all[i]->geometry();
      const int at = 4 * i;
      s[size_t(at)] = int16_t(r.left());
      s[size_t(at + 1)] = int16_t(r.width());
      s[size_t(at + 2)] = int16_t(r.top());
      s[size_t(at + 3)] = int16_t(r.height());
    }
    return s;
  }

  // The folder of the last recording chosen (the data folder at first).
  QString folder;
  // CheckBoxPropMon1..5, found once: the refresh reads them after every answer.
  std::array<QCheckBox*, 5> propBoxes{};

 private:
  std::string ask(bool save) {
    std::string path = q3::MonitorWidgets::askIgnlogPath(&m_ctx.window, save, folder);
    if (!path.empty()) folder = QFileInfo(QString::fromStdString(path)).absolutePath();
    return path;
  }

  WindowContext& m_ctx;
  q3::MonitorWidgets* m_widgets = nullptr;
};

// The log view in a window of its own, following the playback.
class LogWindow : public QDialog {
 public:
  LogWindow(q3::LiveMonitor& f, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormLogView"));
    setWindowTitle(QStringLiteral("Log view"));
    auto* box = new QVBoxLayout(this);
    m_view = new q3::LogView(this);
    // The values to draw, one box each.
    auto* choice = new QHBoxLayout;
    for (int i = 0; i < q3::kLogChannels; ++i) {
      const auto c = q3::LogChannel(i);
      auto* on = new QCheckBox(QString::fromUtf8(q3::logChannelInfo(c).caption), this);
      on->setObjectName(QStringLiteral("CheckBoxLogChannel%1").arg(i));
      const std::vector<q3::LogChannel>& shown = m_view->channels();
      on->setChecked(std::find(shown.begin(), shown.end(), c) != shown.end());
      connect(on, &QCheckBox::toggled, this, [this] { chooseChannels(); });
      choice->addWidget(on);
      m_choice.push_back(on);
    }
    choice->addStretch(1);
    box->addLayout(choice);
    box->addWidget(m_view, 1);
    m_view->follow(f);
    if (f.playbackRunning()) {
      m_view->setRecording(f.player().player().file());
      m_view->setPosition(f.player().player().position());
    }
    resize(900, 320);
  }
  q3::LogView* view() const { return m_view; }

 private:
  void chooseChannels() {
    std::vector<q3::LogChannel> on;
    for (size_t i = 0; i < m_choice.size(); ++i)
      if (m_choice[i]->isChecked()) on.push_back(q3::LogChannel(i));
    m_view->setChannels(on);
  }

  q3::LogView* m_view;
  std::vector<QCheckBox*> m_choice;  // one per channel, in channel order
};

class MonitorWindowFeature : public QObject, public q3::Feature {
 public:
  explicit MonitorWindowFeature(WindowContext& ctx)
      : m_ctx(ctx),
        m_window(ctx),
        m_feature(
            q3::LiveMonitorContext{ctx.params, m_window, m_clock, ctx.dialogs,
                                   [&ctx]() -> q3::ConnectionSupervisor* {
                                     return ctx.link ? &ctx.link->supervisor() : nullptr;
                                   },
                                   [&ctx] {
                                     q3::LinkPortFacts f;
                                     if (ctx.link)
                                       f = {ctx.link->anyPortOpen(), ctx.link->connectedPort()};
                                     return f;
                                   },
                                   &ctx.status}) {
    m_window.folder = QString::fromStdString(ctx.window.paths().dataDir);
    placeControls();
    m_widgets = std::make_unique<q3::MonitorWidgets>(q3::MonitorWidgets::collect(&ctx.window));
    m_window.attach(m_widgets.get());
    m_widgets->connectTo(m_feature);
    wirePlayerExtras();
    for (size_t i = 0; i < m_window.propBoxes.size(); ++i) {
      const QByteArray name = "CheckBoxPropMon" + QByteArray::number(int(i) + 1);
      QCheckBox* box = ctx.window.control<QCheckBox>(name.constData());
      m_window.propBoxes[i] = box;
      if (box)
        connect(box, &QCheckBox::clicked, this,
                [this] { m_feature.refresh(q3::RefreshCause::General); });
    }

    ctx.monitor.playbackRunning = [this] { return m_feature.playbackRunning(); };
    ctx.monitor.takeTestBits = [this] { return m_feature.takeTestBits(); };
    m_subs.push_back(ctx.events.imageChanged.subscribe([this] {
      m_feature.imageChanged();
      m_feature.refresh(q3::RefreshCause::General);
    }));
    m_pageSub = ctx.events.pageChanged.subscribe([this](int) {
      m_feature.pageStateChanged();
      m_feature.refresh(q3::RefreshCause::General);
    });
    m_subs.push_back(ctx.events.textsApplied.subscribe(
        [this] { m_feature.refresh(q3::RefreshCause::Language); }));
  }

  const char* featureName() const override { return "monitor"; }
  void startup(q3::StartupStep step) override { m_feature.startup(step); }
  void tick(q3::TickPhase phase, int32_t counter) override { m_feature.tick(phase, counter); }
  void close(q3::CloseStep step) override { m_feature.close(step); }

 private:
  // The strip below the pages; the Test page makes its own monitor controls,
  // the player group its buttons.
  void placeControls() {
    MainWindow& w = m_ctx.window;
    if (!w.control<QWidget>("PanelMonitor")) w.addBelowPages(new q3::MonitorArea(&w));
    if (auto* group = w.control<QGroupBox>("GroupBoxPlayer"); group && !group->layout())
      q3::fillPlayerGroup(group);
  }

  void wirePlayerExtras() {
    MainWindow& w = m_ctx.window;
    if (auto* speed = w.control<QComboBox>("ComboBoxPlaySpeed"))
      connect(speed, &QComboBox::currentIndexChanged, this, [this](int i) {
        const std::vector<double>& speeds = q3::playbackSpeeds();
        if (i >= 0 && size_t(i) < speeds.size()) m_feature.setPlaybackSpeed(speeds[size_t(i)]);
      });
    if (auto* b = w.control<QAbstractButton>("ButtonLogView"))
      connect(b, &QAbstractButton::clicked, this, [this] { showLogView(); });
    if (auto* b = w.control<QAbstractButton>("ButtonLogCsv"))
      connect(b, &QAbstractButton::clicked, this, [this] { exportCsv(); });
  }

  void showLogView() {
    if (!m_log) m_log = new LogWindow(m_feature, &m_ctx.window);
    m_log->show();
    m_log->raise();
  }

  // A recording's monitor records as CSV: the one playing, or one chosen.
  void exportCsv() {
    // After Stop nothing plays: the file is asked for, not the last one played.
    const q3::PlayerState state = m_feature.player().state();
    std::string source = state == q3::PlayerState::Playing || state == q3::PlayerState::Paused
                             ? m_feature.player().player().fileName()
                             : std::string();
    if (source.empty()) source = m_window.askPlayPath();
    if (source.empty()) return;
    QString target = QString::fromStdString(source);
    target = target.left(target.size() - int(QFileInfo(target).suffix().size())) + "csv";
    target = QFileDialog::getSaveFileName(&m_ctx.window, QString(), target,
                                          QStringLiteral("CSV (*.csv)"));
    if (target.isEmpty()) return;
    std::string why;
    if (!m_feature.exportCsv(source, target.toStdString(), &why))
      m_ctx.dialogs.message("Error", why, q3::DialogKind::Error);
  }

  WindowContext& m_ctx;
  q3::SystemIgnlogClock m_clock;
  WindowMonitor m_window;
  q3::LiveMonitor m_feature;
  std::unique_ptr<q3::MonitorWidgets> m_widgets;
  LogWindow* m_log = nullptr;
  std::vector<q3::Event<>::Subscription> m_subs;
  q3::Event<int>::Subscription m_pageSub;
};

}  // namespace

std::unique_ptr<q3::Feature> makeMonitorFeature(WindowContext& ctx) {
  return std::make_unique<MonitorWindowFeature>(ctx);
}
