// Playback of .ignlog recordings.
#include "monitor/ignlog_player.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "params/param_model.h"

namespace q3 {

// The user's work while a recording plays: the whole parameter model (image,
// unit image and flag, change marks, undo history), the page and the sheets.
struct IgnlogPlayer::UserWork {
  ParamModel model;
  int page = 0;
  std::vector<PlaybackHost::Editor> editors;
};

IgnlogPlayer::IgnlogPlayer(ParamModel& model, PlaybackHost& host, const IgnlogClock& clock)
    : m_model(model), m_host(host), m_clock(clock) {}

IgnlogPlayer::~IgnlogPlayer() = default;

void IgnlogPlayer::keepUserWork() {
  m_saved = std::make_unique<UserWork>(UserWork{m_model, m_host.activePage(), m_host.mapEditors()});
}

void IgnlogPlayer::giveUserWorkBack() {
  if (!m_saved) return;
  // The monitor buffer and the model's connections to the window stay as they are now.
  const MonitorBuffer monitor = m_model.monitor();
  const ParamModelHooks hooks = m_model.hooks();
  m_model = m_saved->model;
  m_model.monitor() = monitor;
  m_model.setHooks(hooks);
  if (m_host.activePage() != m_saved->page)
    m_host.showPage(m_saved->page);
  else
    m_host.reloadActivePage();
  const std::vector<PlaybackHost::Editor> now = m_host.mapEditors();
  for (size_t k = 0; k < now.size() && k < m_saved->editors.size(); ++k)
    if (now[k].sheet != m_saved->editors[k].sheet)
      m_host.showSheet(int(k), m_saved->editors[k].sheet);
  m_model.compare();
  m_saved.reset();
}

void IgnlogPlayer::play(IgnlogFile file, std::string fileName) {
  if (active()) stop();
  m_file = std::move(file);
  m_name = std::move(fileName);
  if (m_file.size() == 0) return;
  m_file.header.initial = std::clamp(m_file.header.initial, 1, m_file.size());
  // The moments the records play at: the recorded times, with a time that
  // goes back played at once and a pause of more than a minute (a broken or
  // far-future time among them) played as one second, so one bad record
  // cannot hold the playback for good.
  m_playMs.assign(size_t(m_file.size()), 0);
  for (size_t i = 0; i < m_playMs.size(); ++i) {
    const int64_t at = m_file.records()[i].timeMs;
    if (i == 0) {
      m_playMs[i] = at;
      continue;
    }
    int64_t gap = at - int64_t(m_file.records()[i - 1].timeMs);
    if (gap < 0) gap = 0;
    if (gap > kLongestPauseMs) gap = 1000;
    m_playMs[i] = m_playMs[i - 1] + gap;
  }
  keepUserWork();
  // A recording made without a unit image shows none.
  m_model.setUnitImageValid(false);
  m_state = PlayerState::Playing;
  jump(0);
}

void IgnlogPlayer::apply(int index) {
  const IgnlogRecord& r = m_file.records()[size_t(index)];
  const std::span<const uint8_t> p = m_file.payload(r);
  m_shownMs = int64_t(m_file.header.startTime) * 1000 + r.timeMs;
  switch (IgnlogType(r.type)) {
    case IgnlogType::Image:
      std::memcpy(m_model.image().data(), p.data(), kIgnlogImageLen);
      m_host.reloadActivePage();
      break;
    case IgnlogType::UnitImage:
      std::memcpy(m_model.unitImage().data(), p.data(), kIgnlogImageLen);
      m_model.setUnitImageValid(true);
      m_model.compare();
      break;
    case IgnlogType::Monitor:
      std::memcpy(m_model.monitor().data(), p.data(), kIgnlogMonitorLen);
      m_host.refreshMonitor();
      break;
    case IgnlogType::PageState: {
      const PageState s = pageStateOf(p);
      if (s.page != m_host.activePage()) m_host.showPage(s.page);
      const std::vector<PlaybackHost::Editor> editors = m_host.mapEditors();
      for (size_t k = 0; k < editors.size(); ++k) {
        const PlaybackHost::Editor& e = editors[k];
        for (int slot = 0; slot < kIgnlogEditors; ++slot) {
          if (s.owner[size_t(slot)] != e.ownerId) continue;
          // Only a sheet the editor has; an editor without a slot is left alone.
          const int sheet = s.sheet[size_t(slot)];
          if (sheet < e.sheetCount && sheet != e.sheet) m_host.showSheet(int(k), sheet);
          break;
        }
      }
      break;
    }
    case IgnlogType::Connection:
      break;
  }
}

// Shows the moment after record lastIndex: the latest image, unit image,
// page state and monitor record at or before it, in file order.
void IgnlogPlayer::applyMoment(int lastIndex) {
  int latest[6] = {-1, -1, -1, -1, -1, -1};
  for (int i = lastIndex; i >= 0; --i) {
    const int t = m_file.records()[size_t(i)].type;
    if (latest[t] < 0) latest[t] = i;
  }
  std::vector<int> order;
  for (int t = 2; t <= 5; ++t)
    if (latest[t] >= 0) order.push_back(latest[t]);
  std::sort(order.begin(), order.end());
  if (latest[int(IgnlogType::Monitor)] < 0) {
    // Before the first monitor record there are no live values.
    m_model.monitor().clear();
    m_host.refreshMonitor();
  }
  for (int i : order) apply(i);
  m_shownMs = int64_t(m_file.header.startTime) * 1000 + m_file.records()[size_t(lastIndex)].timeMs;
}

void IgnlogPlayer::anchorAt(int index) {
  m_anchorFileMs = m_playMs[size_t(index)];
  m_anchorNowMs = m_clock.nowMs();
}

int64_t IgnlogPlayer::playheadMs() const {
  if (m_state != PlayerState::Playing) return m_anchorFileMs;
  return m_anchorFileMs + int64_t(std::floor(double(m_clock.nowMs() - m_anchorNowMs) * m_speed));
}

void IgnlogPlayer::jump(int p) {
  if (!active()) return;
  m_position = std::clamp(p, 0, length() - 1);
  const int last = m_file.header.initial + m_position - 1;
  applyMoment(last);
  anchorAt(last);
}

void IgnlogPlayer::step() {
  if (m_state != PlayerState::Playing) return;
  const int n = m_file.size();
  const int first = m_file.header.initial + m_position;
  const int64_t head = playheadMs();
  int j = first;
  while (j < n && m_playMs[size_t(j)] <= head) ++j;
  // The position moves with each record, so whoever a record refreshes sees its moment.
  for (int i = first; i < j; ++i) {
    m_position = i - m_file.header.initial + 1;
    apply(i);
  }
  if (j >= n) {
    // At the end playback pauses; Play starts it again from the beginning.
    m_anchorFileMs = head;
    m_state = PlayerState::Paused;
  }
}

void IgnlogPlayer::pause() {
  if (m_state != PlayerState::Playing) return;
  m_anchorFileMs = playheadMs();
  m_anchorNowMs = m_clock.nowMs();
  m_state = PlayerState::Paused;
}

void IgnlogPlayer::resume() {
  if (m_state != PlayerState::Paused) return;
  m_state = PlayerState::Playing;
  if (m_file.header.initial + m_position >= m_file.size()) {
    jump(0);
    return;
  }
  m_anchorNowMs = m_clock.nowMs();
}

void IgnlogPlayer::setSpeed(double speed) {
  const double s = std::clamp(speed, kMinPlaybackSpeed, kMaxPlaybackSpeed);
  m_anchorFileMs = playheadMs();
  m_anchorNowMs = m_clock.nowMs();
  m_speed = s;
}

void IgnlogPlayer::stop() {
  if (!active()) return;
  m_state = PlayerState::Idle;
  giveUserWorkBack();
  m_file = IgnlogFile();
  m_position = 0;
  m_shownMs.reset();
}

}  // namespace q3
