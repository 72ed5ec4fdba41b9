// Shared pieces of the recording and playback tests: a clock moved by hand,
// a playback host that keeps what it was asked to do, builders of
// recordings (the scratch folder is the files tests' ScratchDir).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "files/files_fixture.h"
#include "monitor/ignlog_clock.h"
#include "monitor/ignlog_format.h"
#include "monitor/ignlog_player.h"
#include "params/param_image.h"

namespace q3test {

class HandClock : public q3::IgnlogClock {
 public:
  int64_t nowMs() const override { return now; }
  int64_t unixSeconds() const override { return unix; }
  int64_t now = 1000000;
  int64_t unix = 1700000000;  // 2023-11-14T22:13:20Z
};

// The window side of playback: the page, the map editors and a log of refreshes.
class HostRecorder : public q3::PlaybackHost {
 public:
  int activePage() const override { return page; }
  void showPage(int p) override {
    page = p;
    ++pageShows;
  }
  void reloadActivePage() override { ++reloads; }
  void refreshMonitor() override { ++monitorRefreshes; }
  std::vector<Editor> mapEditors() const override { return editors; }
  void showSheet(int editor, int sheet) override { editors[size_t(editor)].sheet = sheet; }

  int page = 0;
  int pageShows = 0;
  int reloads = 0;
  int monitorRefreshes = 0;
  std::vector<Editor> editors;
};

// An image whose bytes all hold v (so images are told apart at a glance).
inline q3::ParamImage imageOf(int v) {
  q3::ParamImage img;
  img.fillBytes(0, q3::kImageSize, v);
  return img;
}

// A monitor record's payload with engine speed rpm (monitor word 1).
inline std::vector<uint8_t> monitorWithRpm(int rpm) {
  std::vector<uint8_t> m(q3::kIgnlogMonitorLen, 0);
  m[2] = uint8_t(rpm);
  m[3] = uint8_t(rpm >> 8);
  return m;
}

inline q3::PageState pageState(int page, std::vector<std::pair<int, int>> ownerSheet = {}) {
  q3::PageState s;
  s.page = page;
  for (size_t k = 0; k < ownerSheet.size(); ++k) {
    s.owner[k] = uint8_t(ownerSheet[k].first);
    s.sheet[k] = uint8_t(ownerSheet[k].second);
  }
  return s;
}

// Builds a recording record by record; the first `initial` are the initial ones.
struct LogBuilder {
  q3::IgnlogFile file;
  LogBuilder() {
    file.header.startTime = 1700000000;
    file.header.ident = "QUELIN3   RSKEY=104.00   COMPILE=2024_01_02";
  }
  LogBuilder& connection(uint32_t t, int port, const std::string& line) {
    EXPECT_TRUE(file.append(q3::IgnlogType::Connection, t, q3::connectionPayload(port, line)));
    return *this;
  }
  LogBuilder& image(uint32_t t, int v) {
    const q3::ParamImage img = imageOf(v);
    EXPECT_TRUE(file.append(q3::IgnlogType::Image, t, {img.data(), size_t(img.size())}));
    return *this;
  }
  LogBuilder& unitImage(uint32_t t, int v) {
    const q3::ParamImage img = imageOf(v);
    EXPECT_TRUE(file.append(q3::IgnlogType::UnitImage, t, {img.data(), size_t(img.size())}));
    return *this;
  }
  LogBuilder& monitor(uint32_t t, int rpm) {
    EXPECT_TRUE(file.append(q3::IgnlogType::Monitor, t, monitorWithRpm(rpm)));
    return *this;
  }
  LogBuilder& page(uint32_t t, const q3::PageState& s) {
    EXPECT_TRUE(file.append(q3::IgnlogType::PageState, t, q3::pageStatePayload(s)));
    return *this;
  }
  // The records so far are the initial ones.
  LogBuilder& initialDone() {
    file.header.initial = file.size();
    return *this;
  }
  // A usual start: connection, image v, page 0.
  static LogBuilder usual(int imageValue = 1) {
    LogBuilder b;
    b.connection(0, 3, "QUELIN3  RSKEY=104.00").image(0, imageValue).page(0, pageState(0));
    b.initialDone();
    return b;
  }
};

inline uint16_t le16(const std::vector<uint8_t>& b, size_t at) {
  return uint16_t(b[at] | (b[at + 1] << 8));
}
inline uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(le16(b, at)) | (uint32_t(le16(b, at + 2)) << 16);
}
inline void setLe16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
inline void setLe32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  setLe16(b, at, v & 0xFFFF);
  setLe16(b, at + 2, v >> 16);
}

}  // namespace q3test
