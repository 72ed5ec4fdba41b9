// The hit map of a recording: a moment between breakpoints split over the
// neighbouring cells, only the active map counting, pauses cut short, and
// the breakpoints taken from the settings the recording ends with.
#include "monitor/hit_map.h"

#include <gtest/gtest.h>

#include <vector>

#include "maps/maps_fixture.h"
#include "params/address_map.h"

namespace {

using q3::MonitorByte;
using q3::MonitorWord;

std::vector<uint8_t> monitorAt(int rpm, int throttle, bool secondMap) {
  std::vector<uint8_t> m(q3::kIgnlogMonitorLen, 0);
  m[2 * MonitorWord::EngineSpeed] = rpm & 0xFF;
  m[2 * MonitorWord::EngineSpeed + 1] = rpm >> 8;
  m[2 * MonitorWord::LoadValue] = static_cast<uint8_t>(throttle);
  m[MonitorByte::LoadSensor] = 1;
  m[MonitorByte::FunctionStates] = secondMap ? 0x20 : 0;
  return m;
}

// Engine speeds 1000, 2000 ... 15 000 rpm; throttle 0, 2, 5, 10, 20 ... 100 %.
q3::IgnlogFile recording() {
  q3::IgnlogFile f;
  const q3::ParamImage img = q3test::advanceImage();
  f.append(q3::IgnlogType::Image, 0, {img.data(), q3::kImageSize});
  f.append(q3::IgnlogType::Monitor, 0, monitorAt(2500, 20, false));     // 1 s between two columns
  f.append(q3::IgnlogType::Monitor, 1000, monitorAt(3000, 20, true));   // map 2, 4 s cut to 2
  f.append(q3::IgnlogType::Monitor, 5000, monitorAt(3000, 15, false));  // 0.5 s between two rows
  f.append(q3::IgnlogType::Monitor, 5500, monitorAt(0, 0, false));      // the engine stopped
  f.append(q3::IgnlogType::Monitor, 6500, monitorAt(3000, 20, false));
  return f;
}

TEST(HitMap, MomentsSplitOverTheirNeighboursAndOnlyTheActiveMapCounts) {
  const q3::IgnlogFile f = recording();
  q3::ParamImage img;
  ASSERT_TRUE(q3::lastRecordedImage(f, img));
  const q3::HitMap one = q3::recordingHitMap(f, img, 0);
  ASSERT_EQ(one.columns(), 15);
  ASSERT_EQ(one.rows(), 10);
  EXPECT_EQ(one.rpm[1], 2000);
  EXPECT_EQ(one.load[4], 20);
  EXPECT_DOUBLE_EQ(one.at(4, 1), 0.5);   // 2500 rpm: half to 2000 ...
  EXPECT_DOUBLE_EQ(one.at(4, 2), 0.75);  // ... half to 3000, plus half of 15 %
  EXPECT_DOUBLE_EQ(one.at(3, 2), 0.25);  // 15 %: half to 10 %
  EXPECT_DOUBLE_EQ(one.total, 1.5);
  EXPECT_DOUBLE_EQ(one.share(4, 2), 0.5);

  const q3::HitMap two = q3::recordingHitMap(f, img, 1);
  EXPECT_DOUBLE_EQ(two.at(4, 2), 2.0);
  EXPECT_DOUBLE_EQ(two.total, 2.0);
}

TEST(HitMap, ValuesBeyondTheEndBreakpointsCountInTheEndCells) {
  q3::HitMapCounter c(q3test::advanceImage(), 0);
  c.add(monitorAt(500, 0, false).data(), 1.0);
  c.add(monitorAt(20000, 100, false).data(), 2.0);
  EXPECT_DOUBLE_EQ(c.hits().at(0, 0), 1.0);
  EXPECT_DOUBLE_EQ(c.hits().at(9, 14), 2.0);
  c.clear();
  EXPECT_DOUBLE_EQ(c.hits().total, 0.0);
}

TEST(HitMap, ARecordingWithoutSettingsHasNoBreakpoints) {
  q3::IgnlogFile f;
  f.append(q3::IgnlogType::Monitor, 0, monitorAt(2500, 20, false));
  q3::ParamImage img;
  EXPECT_FALSE(q3::lastRecordedImage(f, img));
}

}  // namespace
