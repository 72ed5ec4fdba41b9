// The log view.
#include "monitor/ui/log_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "monitor/live_monitor.h"

namespace q3 {

namespace {
constexpr int kMargin = 8;
constexpr int kReadoutHeight = 18;
constexpr int kAxisHeight = 16;  // the time axis under the curves

// A step for the time axis, in ms: 1, 2 or 5 times a power of ten seconds,
// or whole minutes, giving at most about `most` marks over duration.
int64_t timeStep(int64_t durationMs, int most) {
  for (int64_t step : {100, 200, 500, 1000, 2000, 5000, 10000, 20000, 30000, 60000, 120000, 300000,
                       600000, 1200000, 1800000, 3600000})
    if (durationMs / step <= most) return step;
  return std::max<int64_t>(3600000, durationMs / most);
}

QString timeMark(int64_t ms, int64_t step) {
  if (step >= 60000)
    return QStringLiteral("%1:%2").arg(ms / 60000).arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'));
  if (step >= 1000) return QStringLiteral("%1 s").arg(ms / 1000);
  return QStringLiteral("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1);
}

QColor channelColour(LogChannel c) {
  static const QColor colours[kLogChannels] = {
      QColor(200, 30, 30),  QColor(30, 120, 200), QColor(20, 150, 60),
      QColor(150, 80, 200), QColor(120, 120, 0),  QColor(220, 120, 0),
      QColor(0, 150, 150),  QColor(90, 90, 90),   QColor(200, 0, 140)};
  return colours[int(c)];
}
}  // namespace

LogView::LogView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("LogView"));
  setMinimumSize(200, 100);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void LogView::follow(LiveMonitor& f) {
  m_state = f.player().stateChanged.subscribe([this, &f](PlayerState s) {
    if (s == PlayerState::Idle)
      clear();
    else if (f.playbackRunning() && m_series.samples() == 0)
      setRecording(f.player().player().file());
  });
  m_refreshed = f.refreshed.subscribe([this, &f](const MonitorLive&) {
    if (f.playbackRunning()) setPosition(f.player().player().position());
  });
  connect(this, &LogView::positionChosen, this, [&f](int p) { f.positionMoved(p); });
}

void LogView::setRecording(const IgnlogFile& file) {
  m_series = IgnlogSeries(file);
  m_cursor = m_series.samples() ? 0 : -1;
  update();
}

void LogView::clear() {
  m_series = IgnlogSeries();
  m_cursor = -1;
  update();
}

void LogView::setChannels(std::vector<LogChannel> channels) {
  m_channels = std::move(channels);
  update();
}

void LogView::setPosition(int playerPosition) {
  const int s = m_series.sampleOfPosition(playerPosition);
  if (s == m_cursor) return;
  m_cursor = s;
  update();
}

QString LogView::readout() const {
  return QString::fromStdString(m_series.readout(m_cursor, m_channels));
}

QRectF LogView::plotArea() const {
  return QRectF(kMargin, kMargin + kReadoutHeight, std::max(1, width() - 2 * kMargin),
                std::max(1, height() - 2 * kMargin - kReadoutHeight - kAxisHeight));
}

double LogView::xOf(uint32_t timeMs) const {
  const QRectF a = plotArea();
  const double span = std::max<uint32_t>(m_series.durationMs(), 1);
  return a.left() + a.width() * (timeMs / span);
}

void LogView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Base));
  const QRectF a = plotArea();
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(a);
  const int n = m_series.samples();
  if (n == 0) return;
  p.setRenderHint(QPainter::Antialiasing);
  for (LogChannel c : m_channels) {
    // Each value on its own scale: its smallest at the bottom, its largest at the top.
    const double lo = m_series.minimum(c), hi = m_series.maximum(c);
    const double span = hi > lo ? hi - lo : 1.0;
    QPainterPath path;
    for (int s = 0; s < n; ++s) {
      const double y = a.bottom() - (m_series.value(c, s) - lo) / span * a.height();
      const QPointF pt(xOf(m_series.timeMs(s)), hi > lo ? y : a.center().y());
      if (s == 0)
        path.moveTo(pt);
      else
        path.lineTo(pt);
    }
    p.setPen(QPen(channelColour(c), 1.2));
    p.drawPath(path);
  }
  p.setRenderHint(QPainter::Antialiasing, false);
  // The time axis: marks at a round step from the start of the recording.
  const int64_t duration = std::max<int64_t>(m_series.durationMs(), 1);
  const int64_t step = timeStep(duration, std::max(1, int(a.width() / 70)));
  p.setPen(palette().color(QPalette::Text));
  for (int64_t t = 0; t <= duration; t += step) {
    const double x = xOf(uint32_t(t));
    p.drawLine(QPointF(x, a.bottom()), QPointF(x, a.bottom() + 3));
    const double left = std::clamp(x - 35, 0.0, std::max(0.0, width() - 70.0));
    p.drawText(QRectF(left, a.bottom() + 3, 70, kAxisHeight - 3), Qt::AlignHCenter | Qt::AlignTop,
               timeMark(t, step));
  }
  // Each curve has its own scale: its largest value at the top edge, its
  // smallest at the bottom edge, written there in its colour.
  double rx = a.left() + 4;
  for (LogChannel c : m_channels) {
    const LogChannelInfo& info = logChannelInfo(c);
    const QString hi = QString::number(m_series.maximum(c), 'f', info.decimals);
    const QString lo = QString::number(m_series.minimum(c), 'f', info.decimals);
    p.setPen(channelColour(c));
    p.drawText(QPointF(rx, a.top() + p.fontMetrics().ascent() + 1), hi);
    p.drawText(QPointF(rx, a.bottom() - p.fontMetrics().descent() - 1), lo);
    rx +=
        std::max(p.fontMetrics().horizontalAdvance(hi), p.fontMetrics().horizontalAdvance(lo)) + 10;
  }
  if (m_cursor >= 0) {
    const double x = xOf(m_series.timeMs(m_cursor));
    p.setPen(QPen(palette().color(QPalette::Text), 1, Qt::DashLine));
    p.drawLine(QPointF(x, a.top()), QPointF(x, a.bottom()));
  }
  // The readout doubles as the legend: each value in its curve's colour.
  const QStringList parts = readout().split(QStringLiteral("  "));
  double x = kMargin;
  for (int i = 0; i < parts.size(); ++i) {
    const bool channel = i > 0 && size_t(i - 1) < m_channels.size();
    p.setPen(channel ? channelColour(m_channels[size_t(i - 1)]) : palette().color(QPalette::Text));
    const QString part = parts[i] + QStringLiteral("   ");
    p.drawText(QRectF(x, 2, width() - kMargin - x, kReadoutHeight),
               Qt::AlignLeft | Qt::AlignVCenter, part);
    x += p.fontMetrics().horizontalAdvance(part);
  }
}

void LogView::chooseAt(double x) {
  if (m_series.samples() == 0) return;
  const QRectF a = plotArea();
  const double part = std::clamp((x - a.left()) / a.width(), 0.0, 1.0);
  const int s = std::max(0, m_series.sampleAt(uint32_t(part * m_series.durationMs() + 0.5)));
  m_cursor = s;
  update();
  emit positionChosen(std::max(0, m_series.positionOf(s)));
}

void LogView::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) chooseAt(e->position().x());
}

void LogView::mouseMoveEvent(QMouseEvent* e) {
  if (e->buttons() & Qt::LeftButton) chooseAt(e->position().x());
}

}  // namespace q3
