// Playback of a .ignlog recording through the same displays as a live unit:
// monitor records go into the monitor buffer and refresh the monitor, image
// records replace the parameter image, page-state records switch the page
// and the sheets of the map editors. Real time on an injectable clock, at a
// chosen speed; pause, resume, jump.
//
// Playback borrows the user's work: at play the image, the unit image and
// its valid flag, the change marks, the undo history, the page and the shown
// sheets are kept aside, and stop gives them back exactly.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "monitor/ignlog_clock.h"
#include "monitor/ignlog_format.h"

namespace q3 {

class ParamModel;

// What playback changes besides the parameter model; the window implements it.
class PlaybackHost {
 public:
  virtual ~PlaybackHost() = default;
  struct Editor {
    int ownerId = 0;
    int sheet = 0;       // the sheet it shows
    int sheetCount = 1;  // sheets it has
  };
  virtual int activePage() const = 0;
  // Makes page the active page and shows it from the image.
  virtual void showPage(int page) = 0;
  // The image changed under the active page: show it again.
  virtual void reloadActivePage() = 0;
  // The monitor buffer holds a played record: refresh the monitor displays.
  virtual void refreshMonitor() = 0;
  // The main window's map editors in the order they were made (at most 50).
  virtual std::vector<Editor> mapEditors() const { return {}; }
  virtual void showSheet(int /*editor*/, int /*sheet*/) {}
};

enum class PlayerState { Idle = 0, Recording = 1, Playing = 2, Paused = 6 };

inline constexpr double kMinPlaybackSpeed = 0.25;
inline constexpr double kMaxPlaybackSpeed = 8.0;

class IgnlogPlayer {
 public:
  IgnlogPlayer(ParamModel& model, PlaybackHost& host, const IgnlogClock& clock);
  ~IgnlogPlayer();

  // Starts playing a file (from idle): keeps the user's work, applies the
  // initial records and plays. fileName is what the display shows.
  void play(IgnlogFile file, std::string fileName);
  // Playing -> paused.
  void pause();
  // Paused -> playing; at the end of the file it starts again from the beginning.
  void resume();
  // To position p (0 .. length() - 1): the moment after record initial + p - 1,
  // with the image, unit image, page, sheets and monitor of that moment.
  void jump(int p);
  // The playback step of one tick: applies every record that is due.
  void step();
  // Ends playback and gives the user's work back.
  void stop();

  // 0.25 .. 8 (clamped); the playback position is kept.
  void setSpeed(double speed);
  double speed() const { return m_speed; }

  PlayerState state() const { return m_state; }
  bool active() const { return m_state == PlayerState::Playing || m_state == PlayerState::Paused; }
  int position() const { return m_position; }
  // Positions 0 .. length() - 1: records after the initial ones, plus the start.
  int length() const { return m_file.size() - m_file.header.initial + 1; }
  const IgnlogFile& file() const { return m_file; }
  const std::string& fileName() const { return m_name; }
  // Time of the moment shown, milliseconds since 1970 (UTC); none before a record.
  std::optional<int64_t> shownTimeMs() const { return m_shownMs; }
  // Time of the moment shown within the file, milliseconds.
  int64_t playheadMs() const;

 private:
  void apply(int index);
  void applyMoment(int lastIndex);
  void keepUserWork();
  void giveUserWorkBack();
  void anchorAt(int index);

  ParamModel& m_model;
  PlaybackHost& m_host;
  const IgnlogClock& m_clock;
  PlayerState m_state = PlayerState::Idle;
  IgnlogFile m_file;
  std::string m_name;
  int m_position = 0;
  double m_speed = 1.0;
  // The playhead: file time m_anchorFileMs at clock m_anchorNowMs (while
  // playing it moves on with the clock x speed; paused it stands).
  int64_t m_anchorFileMs = 0;
  int64_t m_anchorNowMs = 0;
  std::optional<int64_t> m_shownMs;
  // The moment each record plays at, from the recorded times (see play()).
  std::vector<int64_t> m_playMs;
  static constexpr int64_t kLongestPauseMs = 60000;
  struct UserWork;
  std::unique_ptr<UserWork> m_saved;
};

}  // namespace q3
