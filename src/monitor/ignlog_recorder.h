// Recording of a monitor session into a .ignlog file: the initial records
// (connection, image, unit image when one is held, page state), then one
// record per monitor answer, image change and page-state change.
//
// The recording never lives only in memory: a complete, valid file is put in
// place (temporary name + rename) at least every 1.5 s while records come in,
// and at stop, so a killed program or a power loss costs at most the last
// seconds. A file that cannot be written is reported, and written again at
// the next turn. When a file reaches the format's limits (6000 records or
// 2,000,000 data bytes) it is closed and the recording goes on in the next
// numbered file ("run.ignlog", "run-2.ignlog", ...), which starts with the
// initial records of that moment, so no record is lost and each file plays
// on its own.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "monitor/ignlog_clock.h"
#include "monitor/ignlog_format.h"
#include "params/param_image.h"

namespace q3 {

// The pause between two writes of the file while records come in.
inline constexpr int kIgnlogFlushMs = 1500;

// What a recording starts with.
struct RecordingStart {
  int port = 0;                // the connected serial port, 0 when none
  std::string connectionLine;  // status panel 4
  ParamImage image;
  std::optional<ParamImage> unitImage;  // only when a unit image is held
  PageState page;
};

// The header of a file written by this program now: key, identification
// text, operating-system version; the screens are the caller's to add.
IgnlogHeader ignlogHeaderOfThisProgram();

// "dir/run.ignlog", 2 -> "dir/run-2.ignlog".
std::string numberedIgnlogPath(const std::string& path, int number);

class IgnlogRecorder {
 public:
  explicit IgnlogRecorder(const IgnlogClock& clock) : m_clock(clock) {}

  // Starts a recording into path and writes the file with its initial
  // records. header: the fields besides the counts (ignlogHeaderOfThisProgram()
  // plus screens). False, with error(), when the file cannot be written; then
  // nothing records.
  bool start(const std::string& path, const RecordingStart& s, const IgnlogHeader& header);
  bool recording() const { return m_on; }

  // Record writers; they do nothing while not recording.
  void recordMonitor(const uint8_t* indices0to149);
  void recordImage(const ParamImage& image);
  // Only when the state differs from the last page-state record.
  void recordPageState(const PageState& s);

  // The periodic write, called on every tick: writes the file when records
  // came in and 1.5 s have passed since the last write. False on a failed write.
  bool tick();
  // Ends the recording and writes the file. False, with error(), when the
  // last write failed; the recording then stays in file() for another try
  // with writeTo().
  bool stop();
  bool writeTo(const std::string& path);

  // Reports: a write failed (the reason), or the recording went on in a new
  // file (its path). Each is optional.
  std::function<void(const std::string& error)> onWriteError;
  std::function<void(const std::string& nextPath)> onNextFile;

  const std::string& path() const { return m_path; }
  const std::string& error() const { return m_error; }
  const IgnlogFile& file() const { return m_file; }
  int records() const { return m_file.size(); }
  // Milliseconds since the start of the current file.
  int64_t elapsedMs() const { return m_clock.nowMs() - m_startMs; }
  // Milliseconds since start(), across every numbered file.
  int64_t recordingElapsedMs() const { return m_clock.nowMs() - m_recordingStartMs; }
  // The files written by this recording, in order.
  const std::vector<std::string>& paths() const { return m_paths; }

 private:
  void append(IgnlogType type, std::span<const uint8_t> payload);
  void openFile(const std::string& path);
  void writeInitial();
  bool writeNow();

  const IgnlogClock& m_clock;
  bool m_on = false;
  std::string m_path, m_basePath, m_error;
  std::vector<std::string> m_paths;
  int m_fileNumber = 1;
  IgnlogHeader m_header;
  IgnlogFile m_file;
  int64_t m_startMs = 0;
  int64_t m_recordingStartMs = 0;
  int64_t m_lastWriteMs = 0;
  int m_writtenRecords = 0;
  // The latest of each kind, for the initial records of a next file.
  RecordingStart m_latest;
  std::optional<PageState> m_lastPage;
};

}  // namespace q3
