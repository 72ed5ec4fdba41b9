// The player group's state, buttons and labels.
#include "monitor/player_group.h"

#include <ctime>

#include "monitor/monitor_items.h"

namespace q3 {

std::string playerTimeText(int64_t unixMs) {
  const std::time_t secs = std::time_t(unixMs / 1000);
  std::tm t{};
  localtime_r(&secs, &t);
  return monitem::fmt("%04i_%02i_%02i %02i:%02i:%02i.%02i", t.tm_year + 1900, t.tm_mon + 1,
                      t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, int(unixMs % 1000) / 10);
}

PlayerGroup::PlayerGroup(ParamModel& model, PlaybackHost& host, const IgnlogClock& clock)
    : m_recorder(clock), m_player(model, host, clock) {}

PlayerState PlayerGroup::state() const {
  return m_recorder.recording() ? PlayerState::Recording : m_player.state();
}

void PlayerGroup::changed(PlayerState before) {
  if (state() != before) stateChanged.notify(state());
}

bool PlayerGroup::record(const std::string& path, const RecordingStart& start,
                         const IgnlogHeader& header) {
  if (state() != PlayerState::Idle) return false;
  const bool ok = m_recorder.start(path, start, header);
  changed(PlayerState::Idle);
  return ok;
}

IgnlogReadResult PlayerGroup::play(const std::string& path) {
  if (state() != PlayerState::Idle) {
    IgnlogReadResult busy;
    busy.error = IgnlogError::CannotOpen;
    busy.message = "the player is busy";
    return busy;
  }
  IgnlogReadResult r = readIgnlogFile(path);
  if (!r.ok()) return r;
  m_player.play(std::move(r.file), path);
  r.file = IgnlogFile();
  changed(PlayerState::Idle);
  return r;
}

void PlayerGroup::resume() {
  const PlayerState before = state();
  m_player.resume();
  changed(before);
}

void PlayerGroup::pause() {
  const PlayerState before = state();
  m_player.pause();
  changed(before);
}

bool PlayerGroup::stop() {
  const PlayerState before = state();
  bool ok = true;
  if (m_recorder.recording()) ok = m_recorder.stop();
  m_player.stop();
  changed(before);
  return ok;
}

void PlayerGroup::jump(int position) {
  const PlayerState before = state();
  m_player.jump(position);
  changed(before);
}

void PlayerGroup::step() {
  const PlayerState before = state();
  m_player.step();
  m_recorder.tick();
  changed(before);
}

PlayerDisplay PlayerGroup::display() const {
  PlayerDisplay d;
  const PlayerState s = state();
  if (s == PlayerState::Idle) return d;
  d.recordEnabled = false;
  d.playEnabled = s == PlayerState::Paused;
  d.pauseEnabled = s == PlayerState::Playing;
  d.stopEnabled = true;
  d.labelsVisible = true;
  if (s == PlayerState::Recording) {
    d.fileText = m_recorder.path();
    d.positionText = monitem::fmt("Recording (%i) %i seconds", m_recorder.records(),
                                  int(m_recorder.elapsedMs() / 1000));
    return d;
  }
  d.fileText = m_player.fileName();
  d.barVisible = true;
  d.barMaximum = m_player.length() - 1;
  d.barPosition = m_player.position();
  const auto shown = m_player.shownTimeMs();
  const std::string time = shown ? playerTimeText(*shown) : std::string();
  d.positionText = s == PlayerState::Playing
                       ? monitem::fmt("Play (%i) %s", m_player.position(), time.c_str())
                       : monitem::fmt("Play (%i) - pause %s", m_player.position(), time.c_str());
  return d;
}

}  // namespace q3
