// Recording into .ignlog files with periodic crash-safe writes.
#include "monitor/ignlog_recorder.h"

#include <sys/utsname.h>

#include <cstdio>
#include <cstdlib>

#include "base/version_line.h"

namespace q3 {

IgnlogHeader ignlogHeaderOfThisProgram() {
  IgnlogHeader h;
  h.key = uint16_t(kIgnlogKey);
  h.ident = versionLine();
  // The kernel release ("6.1.0-18-amd64") as major, minor and build.
  struct utsname u {};
  if (::uname(&u) == 0) {
    const char* p = u.release;
    for (int i = 0; i < 3 && *p; ++i) {
      char* end = nullptr;
      h.os[size_t(i)] = int32_t(std::strtol(p, &end, 10));
      if (end == p) break;
      p = end;
      while (*p && (*p < '0' || *p > '9')) ++p;
    }
  }
  return h;
}

std::string numberedIgnlogPath(const std::string& path, int number) {
  if (number <= 1) return path;
  const std::string ext = ".ignlog";
  const size_t slash = path.find_last_of('/');
  const size_t dot =
      path.size() >= ext.size() && path.compare(path.size() - ext.size(), ext.size(), ext) == 0
          ? path.size() - ext.size()
          : path.find_last_of('.');
  const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::string stem = hasExt ? path.substr(0, dot) : path;
  const std::string tail = hasExt ? path.substr(dot) : std::string();
  return stem + "-" + std::to_string(number) + tail;
}

bool IgnlogRecorder::start(const std::string& path, const RecordingStart& s,
                           const IgnlogHeader& header) {
  m_on = false;
  m_error.clear();
  m_paths.clear();
  m_basePath = path;
  m_fileNumber = 1;
  m_header = header;
  m_latest = s;
  m_lastPage.reset();
  m_recordingStartMs = m_clock.nowMs();
  openFile(path);
  if (!writeNow()) return false;
  m_on = true;
  return true;
}

void IgnlogRecorder::openFile(const std::string& path) {
  m_path = path;
  m_file = IgnlogFile();
  m_file.header = m_header;
  m_file.header.startTime = uint32_t(m_clock.unixSeconds());
  m_startMs = m_clock.nowMs();
  m_lastWriteMs = m_startMs;
  m_writtenRecords = -1;  // nothing on disk yet
  writeInitial();
}

void IgnlogRecorder::writeInitial() {
  const RecordingStart& s = m_latest;
  m_file.append(IgnlogType::Connection, 0, connectionPayload(s.port, s.connectionLine));
  m_file.append(IgnlogType::Image, 0, {s.image.data(), size_t(s.image.size())});
  if (s.unitImage)
    m_file.append(IgnlogType::UnitImage, 0, {s.unitImage->data(), size_t(s.unitImage->size())});
  m_file.append(IgnlogType::PageState, 0, pageStatePayload(s.page));
  m_lastPage = s.page;
  m_file.header.initial = m_file.size();
}

void IgnlogRecorder::append(IgnlogType type, std::span<const uint8_t> payload) {
  if (!m_on) return;
  if (!m_file.fits(int(type))) {
    // This file is full: close it and go on in the next one.
    if (!writeNow() && onWriteError) onWriteError(m_error);
    openFile(numberedIgnlogPath(m_basePath, ++m_fileNumber));
    if (onNextFile) onNextFile(m_path);
  }
  const int64_t t = m_clock.nowMs() - m_startMs;
  m_file.append(type, uint32_t(t < 0 ? 0 : t), payload);
}

void IgnlogRecorder::recordMonitor(const uint8_t* indices0to149) {
  append(IgnlogType::Monitor, {indices0to149, size_t(kIgnlogMonitorLen)});
}

void IgnlogRecorder::recordImage(const ParamImage& image) {
  if (!m_on) return;
  m_latest.image = image;
  append(IgnlogType::Image, {image.data(), size_t(image.size())});
}

void IgnlogRecorder::recordPageState(const PageState& s) {
  if (!m_on || (m_lastPage && *m_lastPage == s)) return;
  m_lastPage = s;
  m_latest.page = s;
  append(IgnlogType::PageState, pageStatePayload(s));
}

bool IgnlogRecorder::writeNow() {
  std::string why;
  if (!writeFileReplacing(m_path, m_file.bytes(), &why)) {
    m_error = why;
    return false;
  }
  if (m_paths.empty() || m_paths.back() != m_path) m_paths.push_back(m_path);
  m_error.clear();
  m_writtenRecords = m_file.size();
  m_lastWriteMs = m_clock.nowMs();
  return true;
}

bool IgnlogRecorder::tick() {
  if (!m_on || m_file.size() == m_writtenRecords) return true;
  if (m_clock.nowMs() - m_lastWriteMs < kIgnlogFlushMs) return true;
  const bool hadError = !m_error.empty();
  if (writeNow()) return true;
  // Tried again at the next turn; the reason is told once per failure.
  m_lastWriteMs = m_clock.nowMs();
  if (!hadError && onWriteError) onWriteError(m_error);
  return false;
}

bool IgnlogRecorder::stop() {
  if (!m_on) return true;
  m_on = false;
  return writeNow();
}

bool IgnlogRecorder::writeTo(const std::string& path) {
  m_path = path;
  return writeNow();
}

}  // namespace q3
