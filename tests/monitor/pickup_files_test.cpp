// Pickup captures saved and opened again, the CSV export, the raw block
// decoding and the window's remembered settings.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <string>

#include "monitor/pickup_analyzer.h"
#include "monitor/pickup_capture_file.h"
#include "monitor/pickup_settings.h"
#include "pickup_fixture.h"

namespace q3 {
namespace {

using q3test::block;
using q3test::periods;

TEST(PickupCaptureFile, SavedCaptureOpensToTheSamePicture) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("capture.q3pickup").toStdString();
  PickupBlock b = periods(25000, 25000, 25000, 3, 2, {{12600, 1, true, false, 2}});
  b.monitorRpm = 1999;
  ASSERT_TRUE(savePickupCapture(path, b));
  const PickupFileResult r = loadPickupCapture(path);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(r.warnings.empty());
  EXPECT_EQ(r.block.samples, b.samples);
  EXPECT_EQ(r.block.state, 2);
  EXPECT_EQ(r.block.selector, 3);
  EXPECT_EQ(r.block.monitorRpm, 1999);
  PickupAnalyzer m;
  ASSERT_EQ(m.show(r.block), PickupAnalysis::Done);
  EXPECT_EQ(m.rpmLabel(), "RPM=2000.0 (no synchro)");
}

TEST(PickupCaptureFile, DamagedFilesAreRefusedOrWarnedAbout) {
  const std::string head = std::string(kPickupCaptureHeader) + "\n";
  struct Case {
    const char* name;
    std::string text;
    bool ok;
    size_t samples;
    size_t warnings;
  } cases[] = {
      {"empty", "", false, 0, 0},
      {"other file", "[FORM_HLAV]\nLeft=1\n", false, 0, 0},
      {"not a word", head + "SAMPLES=2\n0x00000001 zz\n", false, 0, 0},
      {"word too long", head + "0x123456789\n", false, 0, 0},
      {"count differs", head + "SAMPLES=5\n0x1 0x2\n", true, 2, 1},
      {"unknown key and bad value", head + "COLOUR=red\nSTATE=x\n\r\n0x1\r\n", true, 1, 2},
      {"windows line ends", head + "STATE=1\r\nSAMPLES=1\r\n0xABCDEF01\r\n", true, 1, 0},
  };
  for (const Case& c : cases) {
    const PickupFileResult r = parsePickupCapture(c.text);
    EXPECT_EQ(r.ok, c.ok) << c.name;
    EXPECT_EQ(r.ok, r.error.empty()) << c.name;
    EXPECT_EQ(r.block.samples.size(), c.samples) << c.name;
    EXPECT_EQ(r.warnings.size(), c.warnings) << c.name;
  }
  // More samples than a block can hold: the rest is ignored, with a warning.
  std::string big = head;
  for (int i = 0; i < kPickupMaxSamples + 10; ++i) big += "0x1\n";
  const PickupFileResult r = parsePickupCapture(big);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.block.samples.size(), size_t(kPickupMaxSamples));
  EXPECT_EQ(r.warnings.size(), 1u);
  EXPECT_FALSE(loadPickupCapture("/nonexistent/capture").ok);
}

TEST(PickupCsv, TimeInMicrosecondsAcrossTheWrapLevelsAndOutputs) {
  const int64_t w = int64_t(1) << 24;
  const PickupBlock b =
      block({{w - 10, 1, true}, {w + 15, 2, false, true, 9}, {w + 2515, 3, true, true, 0}});
  EXPECT_EQ(pickupCsv(b),
            "time_us,phase,curve1,curve2,out1,out2,out3,out4\n"
            "0.0,1,1,0,0,0,0,0\n"
            "10.0,2,0,1,1,0,0,1\n"
            "1010.0,3,1,1,0,0,0,0\n");
}

TEST(PickupBlockDecoding, LengthsThatAreNoWholeNumberOfSamples) {
  const uint8_t bytes[] = {1, 0, 0, 5, 2, 0, 0, 6, 9, 9};
  struct Case {
    size_t length, samples;
  } cases[] = {{0, 0}, {3, 0}, {4, 1}, {7, 1}, {10, 2}};
  for (const Case& c : cases)
    EXPECT_EQ(decodePickupSamples({bytes, c.length}).size(), c.samples) << c.length;
  EXPECT_EQ(decodePickupSamples(bytes)[1], 0x06000002u);
  std::vector<uint8_t> huge(20000, 0);
  EXPECT_EQ(decodePickupSamples(huge).size(), size_t(kPickupMaxSamples));
}

TEST(PickupSettings, ColoursZoomAndPlacementSurviveInTheirOwnSection) {
  QTemporaryDir dir;
  const std::string ini = dir.filePath("application.ini").toStdString();
  KeyFile other;
  other.set("FORM_HLAV", "Left", "7");
  ASSERT_TRUE(other.save(ini));

  PickupMonitorSettings s;
  EXPECT_EQ(s.rgb(kSlotCurve1), 0xFFFFFFu);  // defaults: white, red, blue, yellow, ...
  EXPECT_EQ(s.rgb(kSlotRise1), 0xFF0000u);
  EXPECT_EQ(s.rgb(kSlotDimension), 0x00FFFFu);
  s.colours[kSlotGrid] = 0;  // "(invisible)"
  s.colours[kSlotCurve2] = 1;
  s.zoom = 64;
  s.rect = {100, 50, 900, 700};
  s.freezeOnSyncLoss = true;
  ASSERT_TRUE(s.save(ini));

  KeyFile kf;
  kf.load(ini);
  EXPECT_EQ(kf.value("FORM_HLAV", "Left").value_or(""), "7");
  EXPECT_EQ(kf.value("FORM_MON", "ComboBoxColorB1").value_or(""), "128");  // maroon as 0xBBGGRR
  EXPECT_EQ(kf.value("FORM_MON", "ComboBoxColorA3").value_or(""), "16711680");  // blue

  PickupMonitorSettings back;
  back.load(ini);
  EXPECT_EQ(back.colours, s.colours);
  EXPECT_EQ(back.zoom, 64);
  EXPECT_EQ(back.rect, s.rect);
  EXPECT_TRUE(back.freezeOnSyncLoss);

  // Values that are no colour of the list, no zoom or no size keep what was there.
  kf.parse("[FORM_MON]\nComboBoxColorA1=12345\nZoom=5000\nWidth=-4\nComboBoxColorC1=abc\n");
  PickupMonitorSettings odd;
  odd.readFrom(kf);
  EXPECT_EQ(odd.colours, PickupMonitorSettings::defaultColours());
  EXPECT_EQ(odd.zoom, 1);
  EXPECT_EQ(odd.rect.width, 0);
}

}  // namespace
}  // namespace q3
