// The values of a recording over time for the log view: samples, readout,
// and the mapping between samples and player positions, which must show the
// same moment as the player does.
#include "monitor/ignlog_series.h"

#include <gtest/gtest.h>

#include "monitor/ignlog_fixture.h"
#include "monitor/ignlog_player.h"
#include "params/param_model.h"

namespace {

using namespace q3test;
using q3::LogChannel;

LogBuilder recording() {
  LogBuilder b = LogBuilder::usual();  // records 0..2
  b.monitor(100, 1000)                 // record 3, position 1
      .image(150, 9)                   // 4
      .monitor(200, 2000)              // 5
      .monitor(300, 3000);             // 6
  return b;
}

TEST(IgnlogSeries, SamplesAndReadout) {
  const q3::IgnlogSeries s(recording().file);
  ASSERT_EQ(s.samples(), 3);
  EXPECT_EQ(s.value(LogChannel::Rpm, 1), 2000);
  EXPECT_EQ(s.minimum(LogChannel::Rpm), 1000);
  EXPECT_EQ(s.maximum(LogChannel::Rpm), 3000);
  EXPECT_EQ(s.durationMs(), 300u);
  EXPECT_EQ(s.readout(1, {LogChannel::Rpm, LogChannel::Voltage, LogChannel::Gear}),
            "t = 0.20 s  RPM = 2000 rpm  U = 0.0 V  Gear = 0");
  EXPECT_EQ(s.readout(3, {LogChannel::Rpm}), "");

  struct At {
    uint32_t t;
    int sample;
  } ats[] = {{0, -1}, {99, -1}, {100, 0}, {250, 1}, {300, 2}, {99999, 2}};
  for (const At& a : ats) EXPECT_EQ(s.sampleAt(a.t), a.sample) << a.t;

  struct Pos {
    int position, sample;
  } positions[] = {{0, -1}, {1, 0}, {2, 0}, {3, 1}, {4, 2}};
  for (const Pos& p : positions) EXPECT_EQ(s.sampleOfPosition(p.position), p.sample) << p.position;
}

// A sample chosen in the log view, jumped to by the player, shows that sample.
TEST(IgnlogSeries, PositionsShowTheSameMomentAsThePlayer) {
  const LogBuilder b = recording();
  const q3::IgnlogSeries s(b.file);
  HandClock clock;
  HostRecorder host;
  q3::ParamModel model;
  q3::IgnlogPlayer player(model, host, clock);
  player.play(b.file, "run.ignlog");
  player.pause();
  for (int sample = 0; sample < s.samples(); ++sample) {
    player.jump(s.positionOf(sample));
    EXPECT_EQ(model.monitor().word(1), s.value(LogChannel::Rpm, sample)) << sample;
    EXPECT_EQ(s.sampleOfPosition(player.position()), sample);
  }
}

}  // namespace
