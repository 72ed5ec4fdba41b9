// The monitor feature against the real supervisor and engine on an
// in-memory line: monitor answers refresh the displays and go into a running
// recording, a played record never arms the pickup capture, test bits are
// dropped on connect, disconnect and play, playback keeps the supervisor off
// the monitor buffer, and saved settings files carry the unit's texts.
#include "monitor/live_monitor.h"

#include <gtest/gtest.h>

#include <map>

#include "files/files_fixture.h"
#include "link/supervisor_harness.h"
#include "monitor/ignlog_fixture.h"

namespace {

using namespace q3test;
using q3::PlayerState;
using q3::TestButton;

class WindowRecorder : public q3::MonitorWindow {
 public:
  int activePage() const override { return page; }
  void showPage(int p) override { page = p; }
  void reloadActivePage() override { ++reloads; }
  void showMonitor(const std::vector<q3::DisplayValue>& values) override {
    ++refreshes;
    for (const q3::DisplayValue& v : values) shown[v.name] = v;
  }
  void showPlayer(const q3::PlayerDisplay& d) override { player = d; }
  std::string askRecordPath() override { return recordPath; }
  std::string askPlayPath() override { return playPath; }
  std::vector<q3::PlaybackHost::Editor> mapEditors() const override { return editors; }
  std::string text(const char* name) { return shown[name].text; }

  int page = 1;
  int reloads = 0;
  int refreshes = 0;
  std::map<std::string, q3::DisplayValue> shown;
  q3::PlayerDisplay player;
  std::string recordPath, playPath;
  std::vector<q3::PlaybackHost::Editor> editors;
};

class Feature : public ScratchDir {
 protected:
  Feature()
      : feature({link.model, window, clock, link.dialogs, [this] { return &link.sup; },
                 [this] {
                   q3::LinkPortFacts f;
                   for (const q3::PortRecord& c : link.com.com)
                     f.anyPortOpen = f.anyPortOpen || c.isOpen();
                   f.connectedPort = link.com.connectedPort.load();
                   return f;
                 },
                 &link.status}) {
    q3::SupervisorHost host;
    host.playbackRunning = [this] { return feature.playbackRunning(); };
    link.sup.setHost(host);
    for (q3::StartupStep s : {q3::StartupStep::CreateProtocolEngine,
                              q3::StartupStep::RefreshMonitor, q3::StartupStep::InitRecorderPlayer})
      feature.startup(s);
  }
  void tick() {
    link.tick();
    clock.now += 55;
    feature.tick(q3::TickPhase::PlayerStep, link.ticks());
  }
  bool tickUntil(const std::function<bool()>& pred, int maxTicks = 400) {
    for (int i = 0; i < maxTicks && !pred(); ++i) tick();
    return pred();
  }
  void setUnitRpm(int rpm) {
    link.unit().monitor[1] = uint8_t(rpm);  // monitor index 2 = received byte 1
    link.unit().monitor[2] = uint8_t(rpm >> 8);
  }

  LinkHarness link;
  HandClock clock;
  WindowRecorder window;
  q3::LiveMonitor feature;
};

TEST_F(Feature, MonitorAnswersAreShownAndRecorded) {
  EXPECT_EQ(window.text("LabelRpm"), "RPM = ---");  // the start-up refresh
  ASSERT_TRUE(link.connectAndCheck());
  setUnitRpm(4321);
  ASSERT_TRUE(tickUntil([&] { return window.text("LabelRpm") == "RPM = 4321"; }));
  EXPECT_EQ(feature.live().rpm, 4321);
  EXPECT_EQ(window.text("LabelVerze1"), "QLN03");

  window.recordPath = path("run.ignlog");
  feature.recordClicked();
  ASSERT_EQ(feature.player().state(), PlayerState::Recording);
  EXPECT_FALSE(window.player.recordEnabled);
  EXPECT_TRUE(window.player.stopEnabled);
  const int polls = link.unit().polls;
  tickUntil([&] { return link.unit().polls >= polls + 3; });
  link.model.image().setByte(300, 77);
  link.model.snapshot(1);  // an edit became an undo step: the image goes into the recording
  feature.imageChanged();
  window.page = 4;
  feature.pageStateChanged();
  tickUntil([&] { return link.unit().polls >= polls + 5; });
  feature.stopClicked();
  EXPECT_EQ(feature.player().state(), PlayerState::Idle);

  const q3::IgnlogReadResult r = q3::readIgnlogFile(path("run.ignlog"));
  ASSERT_TRUE(r.ok()) << r.message;
  std::map<int, int> types;
  for (const q3::IgnlogRecord& rec : r.file.records()) ++types[rec.type];
  EXPECT_EQ(r.file.header.initial, 4);  // connection, image, unit image, page
  EXPECT_GE(types[4], 4);
  EXPECT_EQ(types[2], 2);
  EXPECT_EQ(types[5], 2);
  EXPECT_EQ(q3::connectionLineOf(r.file.payload(0)), link.sup.connectionLineText());
  const auto first = r.file.payload(r.file.header.initial);
  EXPECT_EQ(first[2] | (first[3] << 8), 4321);
}

// A map editor that switches its sheet (a click on its own sheet tab, no page
// change) is written into the recording on the next tick, each switch once.
TEST_F(Feature, ASheetSwitchIsRecorded) {
  window.editors = {{3, 0, 2}, {4, 0, 3}};
  ASSERT_TRUE(link.connectAndCheck());
  window.recordPath = path("run.ignlog");
  feature.recordClicked();
  ASSERT_EQ(feature.player().state(), PlayerState::Recording);
  tick();
  window.editors[0].sheet = 1;  // "Advance 2"
  tick();
  tick();
  window.editors[0].sheet = 0;  // "Advance 1"
  tick();
  feature.stopClicked();

  const q3::IgnlogReadResult r = q3::readIgnlogFile(path("run.ignlog"));
  ASSERT_TRUE(r.ok()) << r.message;
  std::vector<int> sheets;
  for (int i = 0; i < r.file.size(); ++i)
    if (r.file.records()[size_t(i)].type == int(q3::IgnlogType::PageState))
      sheets.push_back(q3::pageStateOf(r.file.payload(i)).sheet[0]);
  EXPECT_EQ(sheets, (std::vector<int>{0, 1, 0}));
}

// A played record that announces a pickup block never starts the capture:
// only the unit's own answers do (through the pickup feed).
TEST_F(Feature, APlayedRecordNeverArmsThePickupCapture) {
  ASSERT_TRUE(link.connectAndCheck());
  LogBuilder b = LogBuilder::usual();
  std::vector<uint8_t> announcing = monitorWithRpm(100);
  announcing[128] = 1;    // a block follows ...
  announcing[99] = 0x10;  // ... of 4096 bytes (word 49)
  ASSERT_TRUE(b.file.append(q3::IgnlogType::Monitor, 10, announcing));
  ASSERT_TRUE(q3::writeFileReplacing(path("p.ignlog"), b.file.bytes(), nullptr));
  window.playPath = path("p.ignlog");
  feature.playClicked();
  ASSERT_TRUE(tickUntil([&] { return window.text("LabelRpm") == "RPM = 100"; }));
  EXPECT_FALSE(link.com.capture().active());
}

// Pending test bits never survive a connect, a disconnect or the start of
// playback; clicks while no unit is live are ignored.
TEST_F(Feature, TestBitsAreNeverStale) {
  feature.testButtonClicked(TestButton::Ign1);  // no unit yet
  EXPECT_FALSE(feature.testButtonsEnabled());
  ASSERT_TRUE(link.connectAndCheck());
  tickUntil([&] { return link.unit().polls > 0; });
  EXPECT_TRUE(feature.testButtonsEnabled());
  EXPECT_EQ(feature.takeTestBits(), (std::array<uint8_t, 3>{0, 0, 0}));

  feature.testButtonClicked(TestButton::Ign2);
  link.sup.disconnect();
  EXPECT_EQ(feature.testCommands().pending(), (std::array<uint8_t, 3>{0, 0, 0}));

  ASSERT_TRUE(link.connectAndCheck());
  tickUntil([&] { return feature.testButtonsEnabled(); });
  feature.testButtonClicked(TestButton::Ign3);
  ASSERT_TRUE(q3::writeFileReplacing(path("p.ignlog"), LogBuilder::usual().file.bytes(), nullptr));
  window.playPath = path("p.ignlog");
  feature.playClicked();
  EXPECT_TRUE(feature.playbackRunning());
  EXPECT_EQ(feature.testCommands().pending(), (std::array<uint8_t, 3>{0, 0, 0}));
  EXPECT_FALSE(feature.testButtonsEnabled());
  feature.testButtonClicked(TestButton::Ign3);
  EXPECT_EQ(feature.takeTestBits(), (std::array<uint8_t, 3>{0, 0, 0}));
  feature.stopClicked();
  feature.testButtonClicked(TestButton::Ign4);
  EXPECT_EQ(feature.takeTestBits(), (std::array<uint8_t, 3>{0x08, 0, 0}));
}

// While a recording plays the unit's answers do not reach the monitor
// buffer; Stop gives the user's work back and the live values return.
TEST_F(Feature, PlaybackKeepsTheUnitOffTheDisplays) {
  ASSERT_TRUE(link.connectAndCheck());
  setUnitRpm(5000);
  ASSERT_TRUE(tickUntil([&] { return window.text("LabelRpm") == "RPM = 5000"; }));
  const q3::ParamImage before = link.model.image();
  LogBuilder b = LogBuilder::usual(0x42);
  b.monitor(0, 700).monitor(60000, 800);
  ASSERT_TRUE(q3::writeFileReplacing(path("p.ignlog"), b.file.bytes(), nullptr));
  window.playPath = path("p.ignlog");
  feature.playClicked();
  ASSERT_EQ(feature.player().state(), PlayerState::Playing);
  const int polls = link.unit().polls;
  tickUntil([&] { return link.unit().polls >= polls + 3; });
  EXPECT_EQ(window.text("LabelRpm"), "RPM = 700");
  EXPECT_EQ(link.model.image().byte(5), 0x42);
  EXPECT_TRUE(window.player.barVisible);
  EXPECT_EQ(window.player.positionText.rfind("Play (1) ", 0), 0u) << window.player.positionText;

  feature.close(q3::CloseStep::StopRecordingAndPlayback);
  EXPECT_EQ(feature.player().state(), PlayerState::Idle);
  EXPECT_EQ(link.model.image(), before);
  ASSERT_TRUE(tickUntil([&] { return window.text("LabelRpm") == "RPM = 5000"; }));
}

// A file saved while the unit is connected names the unit's program on its
// VERSIONS line, and carries the calibration values of the open port.
TEST_F(Feature, SavedSettingsCarryTheUnitsTexts) {
  ASSERT_TRUE(link.connectAndCheck());
  link.unit().monitor[113] = 121;  // index 114: EE calibration
  tickUntil([&] { return link.model.monitor().byte(114) == 121; });
  const q3::IgnWriteInfo info = feature.ignWriteInfo();
  EXPECT_EQ(info.hexVersion, "QLN03");
  EXPECT_EQ(info.hexDate, "21. 6.2022");
  EXPECT_EQ(info.hexTime, "10:30");
  EXPECT_EQ(info.monCalib[0], 121);
  const std::string text = q3::renderIgn(link.model.image(), info);
  EXPECT_NE(text.find("\nHEX  21. 6.2022\t10:30\tQLN03\n"), std::string::npos);
}

// A write that fails while recording is told in slot 2 (no box in the middle
// of the tick); the recording goes on and reaches the disk once it can.
TEST_F(Feature, AFailedWriteWhileRecordingIsToldAndTriedAgain) {
  ASSERT_TRUE(link.connectAndCheck());
  std::filesystem::create_directories(dir / "sub");
  window.recordPath = path("sub/run.ignlog");
  feature.recordClicked();
  ASSERT_EQ(feature.player().state(), PlayerState::Recording);
  std::filesystem::remove_all(dir / "sub");
  const int polls = link.unit().polls;
  tickUntil([&] { return link.unit().polls >= polls + 8; });
  const StatusRecord::Entry* e = link.status.last(2);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->text.rfind("The recording cannot be written: cannot create", 0), 0u) << e->text;
  EXPECT_EQ(e->back, q3::kRed);
  EXPECT_TRUE(link.dialogs.messages.empty());
  std::filesystem::create_directories(dir / "sub");
  feature.stopClicked();
  const q3::IgnlogReadResult r = q3::readIgnlogFile(path("sub/run.ignlog"));
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_GE(r.file.size() - r.file.header.initial, 7);  // the last poll may still be on its way
}

TEST_F(Feature, RecordingThatCannotBeWrittenIsReported) {
  window.recordPath = "";  // the dialog was cancelled
  feature.recordClicked();
  EXPECT_EQ(feature.player().state(), PlayerState::Idle);
  window.recordPath = path("no/folder/run.ignlog");
  feature.recordClicked();
  EXPECT_EQ(feature.player().state(), PlayerState::Idle);
  ASSERT_EQ(link.dialogs.messages.size(), 1u);
  EXPECT_NE(link.dialogs.messages[0].find("cannot be written"), std::string::npos);

  // A file of another unit family is refused with its message.
  std::vector<uint8_t> other = LogBuilder::usual().file.bytes();
  setLe16(other, 60, 103);
  ASSERT_TRUE(q3::writeFileReplacing(path("other.ignlog"), other, nullptr));
  window.playPath = path("other.ignlog");
  feature.playClicked();
  EXPECT_EQ(feature.player().state(), PlayerState::Idle);
  EXPECT_EQ(link.dialogs.messages.back(), "RS keys are not equal (103!=104)");
}

}  // namespace
