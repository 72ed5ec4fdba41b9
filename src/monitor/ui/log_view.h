// The log view: chosen monitor values of the recording being played, drawn
// over time, each on its own scale, with a cursor that reads out the values
// at its moment. The cursor follows playback; clicking or dragging puts it
// at a moment, and playback jumps there.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "base/event.h"
#include "monitor/ignlog_series.h"

namespace q3 {

class LiveMonitor;
enum class PlayerState;
struct MonitorLive;

class LogView : public QWidget {
  Q_OBJECT
 public:
  explicit LogView(QWidget* parent = nullptr);

  // Follows the feature's playback: a file that starts playing is drawn, the
  // cursor moves with the position, a moment chosen here is jumped to.
  void follow(LiveMonitor& feature);

  void setRecording(const IgnlogFile& file);
  void clear();
  void setChannels(std::vector<LogChannel> channels);
  const std::vector<LogChannel>& channels() const { return m_channels; }
  // The player's position; the cursor shows its moment.
  void setPosition(int playerPosition);

  int cursorSample() const { return m_cursor; }
  QString readout() const;
  const IgnlogSeries& series() const { return m_series; }

 signals:
  // The user put the cursor at the moment the player shows at this position.
  void positionChosen(int playerPosition);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  QSize sizeHint() const override { return {600, 220}; }

 private:
  QRectF plotArea() const;
  double xOf(uint32_t timeMs) const;
  void chooseAt(double x);

  IgnlogSeries m_series;
  std::vector<LogChannel> m_channels{LogChannel::Rpm, LogChannel::Load, LogChannel::Voltage,
                                     LogChannel::Lambda};
  int m_cursor = -1;
  Event<PlayerState>::Subscription m_state;
  Event<const MonitorLive&>::Subscription m_refreshed;
};

}  // namespace q3
