// The "Monitor player" group: one state over the recorder and the player
// (0 idle, 1 recording, 2 playing, 6 paused), the four buttons, the
// position bar and the two labels, as values the window puts on its
// controls (SpeedButtonPlay1..4, ScrollBarPlay, LabelPlayFile, LabelPlayPos).
#pragma once

#include <functional>
#include <string>

#include "base/event.h"
#include "monitor/ignlog_player.h"
#include "monitor/ignlog_recorder.h"

namespace q3 {

struct PlayerDisplay {
  bool recordEnabled = true;  // SpeedButtonPlay1
  bool playEnabled = true;    // SpeedButtonPlay2
  bool pauseEnabled = false;  // SpeedButtonPlay3
  bool stopEnabled = false;   // SpeedButtonPlay4
  bool barVisible = false;    // ScrollBarPlay
  int barMaximum = 0;
  int barPosition = 0;
  bool labelsVisible = false;  // LabelPlayFile and LabelPlayPos
  std::string fileText;
  std::string positionText;
  bool operator==(const PlayerDisplay&) const = default;
};

// "2024_03_12 10:20:30.45" of a time in milliseconds since 1970, local time.
std::string playerTimeText(int64_t unixMs);

class PlayerGroup {
 public:
  PlayerGroup(ParamModel& model, PlaybackHost& host, const IgnlogClock& clock);

  PlayerState state() const;
  bool playbackRunning() const { return m_player.active(); }

  // Record (idle only): starts recording into path. False, with the reason
  // in recorder().error(), when the file cannot be written.
  bool record(const std::string& path, const RecordingStart& start, const IgnlogHeader& header);
  // Play from idle: reads path and plays it. The read result tells a file
  // that was refused (and why) or the records that were skipped.
  IgnlogReadResult play(const std::string& path);
  // Play while paused.
  void resume();
  void pause();
  // Stop, also when the window closes: a recording is written, a playback
  // gives the user's work back. False when the recording's file could not
  // be written (the reason in recorder().error()).
  bool stop();
  // The position bar moved by the user.
  void jump(int position);
  // The tick: the playback step and the recorder's periodic write.
  void step();

  PlayerDisplay display() const;

  IgnlogRecorder& recorder() { return m_recorder; }
  IgnlogPlayer& player() { return m_player; }
  const IgnlogPlayer& player() const { return m_player; }

  // The state changed (for the test buttons, the unit buttons, the caption).
  Event<PlayerState> stateChanged;

 private:
  void changed(PlayerState before);

  IgnlogRecorder m_recorder;
  IgnlogPlayer m_player;
};

}  // namespace q3
