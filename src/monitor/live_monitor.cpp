// The monitor feature: refresh, test buttons, recording and playback.
#include "monitor/live_monitor.h"

#include "link/supervisor.h"
#include "monitor/monitor_csv.h"
#include "monitor/monitor_ign_info.h"
#include "params/param_model.h"
#include "text/mstring.h"
#include "text/user_dialogs.h"

namespace q3 {

namespace {
const char* const kCannotWrite =
    "###The recording cannot be written:##Die Aufzeichnung kann nicht geschrieben "
    "werden:##Záznam nelze zapsat:";
const char* const kNotARecording =
    "###This file cannot be played:##Diese Datei kann nicht abgespielt werden:##Tento soubor "
    "nelze přehrát:";
const char* const kGoesOn =
    "###The recording goes on in##Die Aufzeichnung geht weiter in##Záznam pokračuje v";
const char* const kSkipped =
    "###Damaged records skipped:##Beschädigte Datensätze übersprungen:##Vynechané poškozené "
    "záznamy:";

// A multi-language text with the same suffix on every version.
std::string withSuffix(const char* mtext, const std::string& suffix) {
  return std::string("###") + ml(mtext, 0) + suffix + "##" + ml(mtext, 1) + suffix + "##" +
         ml(mtext, 2) + suffix;
}

// A version of a multi-language text holds at most 255 bytes.
std::string shortened(const std::string& s) {
  if (s.size() <= 150) return s;
  size_t from = s.size() - 147;
  while (from < s.size() && (s[from] & 0xC0) == 0x80) ++from;  // not inside a character
  return "..." + s.substr(from);
}

std::string baseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return shortened(slash == std::string::npos ? path : path.substr(slash + 1));
}
}  // namespace

// Playback through the window's pages; played monitor records refresh the monitor.
class LiveMonitor::Playback : public PlaybackHost {
 public:
  explicit Playback(LiveMonitor& f) : m_f(f) {}
  int activePage() const override { return m_f.m_ctx.window.activePage(); }
  void showPage(int page) override { m_f.m_ctx.window.showPage(page); }
  void reloadActivePage() override { m_f.m_ctx.window.reloadActivePage(); }
  void refreshMonitor() override { m_f.refresh(RefreshCause::Playback); }
  std::vector<Editor> mapEditors() const override { return m_f.m_ctx.window.mapEditors(); }
  void showSheet(int editor, int sheet) override { m_f.m_ctx.window.showSheet(editor, sheet); }

 private:
  LiveMonitor& m_f;
};

LiveMonitor::LiveMonitor(LiveMonitorContext ctx)
    : m_ctx(std::move(ctx)),
      m_playback(std::make_unique<Playback>(*this)),
      m_monitor(m_ctx.model),
      m_group(m_ctx.model, *m_playback, m_ctx.clock) {
  // A write that fails while recording is told in slot 2, not in a box in the
  // middle of the tick; the recording goes on and the next write tries again.
  m_group.recorder().onWriteError = [this](const std::string& why) {
    note(withSuffix(kCannotWrite, " " + shortened(why)), kRed);
  };
  m_group.recorder().onNextFile = [this](const std::string& path) {
    note(withSuffix(kGoesOn, " " + baseName(path)), kBtnFace);
  };
  // The pickup signal came or went: the active page shows its rules again.
  MonitorHooks hooks;
  hooks.pickupSignalChanged = [this] { m_ctx.window.reloadActivePage(); };
  m_monitor.setHooks(std::move(hooks));
  m_stateChange = m_group.stateChanged.subscribe([this](PlayerState s) {
    // A click made before playback started never reaches a unit.
    if (s == PlayerState::Playing || s == PlayerState::Idle) m_tests.clear();
    showPlayer();
    refresh(RefreshCause::General);
  });
}

LiveMonitor::~LiveMonitor() { detachLink(); }

// ---- the link ----

void LiveMonitor::attachLink() {
  ConnectionSupervisor* sup = m_ctx.supervisor ? m_ctx.supervisor() : nullptr;
  if (sup == m_sup) return;
  detachLink();
  m_sup = sup;
  if (!sup) return;
  LinkEvents& ev = sup->events();
  m_answer = ev.monitorAnswer.subscribe([this](std::span<const uint8_t>) { onMonitorAnswer(); });
  // A unit that comes or goes takes no pending test command with it.
  m_connected = ev.unitConnected.subscribe([this](const UnitTexts&) {
    m_tests.clear();
    refresh(RefreshCause::General);
  });
  m_plain.push_back(ev.unitDisconnected.subscribe([this] {
    m_tests.clear();
    refresh(RefreshCause::General);
  }));
}

void LiveMonitor::detachLink() {
  m_answer.reset();
  m_connected.reset();
  m_plain.clear();
  m_sup = nullptr;
}

bool LiveMonitor::unitConnected() const {
  if (!m_sup) return false;
  const ConnectionSupervisor& s = *m_sup;
  return s.connected() && s.step() != kSupNoUnit && s.versionState() != 0;
}

void LiveMonitor::onMonitorAnswer() {
  // The block is in the monitor buffer: it goes into a running recording
  // just before the refresh shows it. (The pickup feed arms the capture from
  // the same answer; a played record never reaches either.)
  m_group.recorder().recordMonitor(m_ctx.model.monitor().data());
  refresh(RefreshCause::MonitorAnswer);
}

// ---- steps ----

void LiveMonitor::startup(StartupStep step) {
  switch (step) {
    case StartupStep::CreateProtocolEngine:
    case StartupStep::ClearUnitTexts:
    case StartupStep::ResetConnection:
      attachLink();
      break;
    case StartupStep::RefreshMonitor:
      attachLink();
      refresh(RefreshCause::Startup);
      break;
    case StartupStep::InitRecorderPlayer:
      m_playerShown = false;
      showPlayer();
      break;
    default:
      break;
  }
}

void LiveMonitor::tick(TickPhase phase, int32_t) {
  if (phase != TickPhase::PlayerStep) return;
  // A map editor changes its sheet on a click of its own, without a page
  // change: the recording notes the state on the tick it changed.
  if (m_group.recorder().recording()) pageStateChanged();
  m_group.step();
  showPlayer();
}

void LiveMonitor::close(CloseStep step) {
  if (step == CloseStep::StopRecordingAndPlayback) {
    if (!m_group.stop())
      m_ctx.dialogs.message("Error",
                            std::string(ml(kCannotWrite)) + "\n" + m_group.recorder().error(),
                            DialogKind::Error);
  } else if (step == CloseStep::DestroyProtocolEngine) {
    detachLink();
  }
}

// ---- refresh ----

void LiveMonitor::refresh(RefreshCause cause) {
  MonitorContext c;
  c.unitConnected = unitConnected();
  c.playback = playbackRunning();
  c.serviceMode = m_ctx.window.serviceMode();
  c.functionFlags = m_ctx.window.functionFlags();
  c.propSigned = m_ctx.window.propSigned();
  if (m_sup) {
    c.supervisorStep = m_sup->step();
    const UnitTexts& t = m_sup->texts();
    c.unitText = t.unit;
    c.dateText = t.date;
    c.timeText = t.time;
  }
  if (!m_monitor.refresh(c, cause)) return;
  m_ctx.window.showMonitor(m_monitor.values());
  refreshed.notify(m_monitor.live());
}

bool LiveMonitor::testButtonsEnabled() const {
  return TestCommands::available(unitConnected(), playbackRunning());
}

void LiveMonitor::testButtonClicked(TestButton b) {
  m_tests.press(b, unitConnected(), playbackRunning());
}

IgnWriteInfo LiveMonitor::ignWriteInfo() const {
  const UnitTexts none;
  const UnitTexts& shown = m_sup ? m_sup->texts() : none;
  bool portOpen = false;
  if (m_sup && m_ctx.ports) portOpen = m_ctx.ports().anyPortOpen;
  return q3::ignWriteInfo(shown, m_ctx.model.monitor(), portOpen);
}

// ---- the player group ----

PageState LiveMonitor::currentPageState() const {
  PageState s;
  s.page = m_ctx.window.activePage();
  const std::vector<PlaybackHost::Editor> editors = m_ctx.window.mapEditors();
  for (size_t k = 0; k < editors.size() && k < size_t(kIgnlogEditors); ++k) {
    s.owner[k] = uint8_t(editors[k].ownerId);
    s.sheet[k] = uint8_t(editors[k].sheet);
  }
  return s;
}

RecordingStart LiveMonitor::recordingStart() const {
  RecordingStart s;
  if (m_sup && m_ctx.ports) s.port = m_ctx.ports().connectedPort;
  if (m_sup) s.connectionLine = m_sup->connectionLineText();
  s.image = m_ctx.model.image();
  if (m_ctx.model.unitImageValid()) s.unitImage = m_ctx.model.unitImage();
  s.page = currentPageState();
  return s;
}

void LiveMonitor::imageChanged() { m_group.recorder().recordImage(m_ctx.model.image()); }

void LiveMonitor::pageStateChanged() { m_group.recorder().recordPageState(currentPageState()); }

void LiveMonitor::recordClicked() {
  if (m_group.state() != PlayerState::Idle) return;
  const std::string path = m_ctx.window.askRecordPath();
  if (path.empty()) return;
  IgnlogHeader header = ignlogHeaderOfThisProgram();
  header.monitors = m_ctx.window.screens();
  if (!m_group.record(path, recordingStart(), header))
    m_ctx.dialogs.message("Error",
                          std::string(ml(kCannotWrite)) + "\n" + m_group.recorder().error(),
                          DialogKind::Error);
}

void LiveMonitor::playClicked() {
  if (m_group.state() == PlayerState::Paused) {
    m_group.resume();
    return;
  }
  if (m_group.state() != PlayerState::Idle) return;
  const std::string path = m_ctx.window.askPlayPath();
  if (path.empty()) return;
  const IgnlogReadResult r = m_group.play(path);
  if (r.error == IgnlogError::KeyMismatch) {
    m_ctx.dialogs.message("Error", r.message, DialogKind::Error);
  } else if (!r.ok()) {
    m_ctx.dialogs.message("Error", std::string(ml(kNotARecording)) + "\n" + r.message,
                          DialogKind::Error);
  } else if (!r.warnings.empty()) {
    note(withSuffix(kSkipped, " " + std::to_string(r.warnings.size())), kBtnFace);
  }
}

void LiveMonitor::pauseClicked() { m_group.pause(); }

void LiveMonitor::stopClicked() {
  if (!m_group.stop())
    m_ctx.dialogs.message("Error",
                          std::string(ml(kCannotWrite)) + "\n" + m_group.recorder().error(),
                          DialogKind::Error);
}

void LiveMonitor::positionMoved(int position) {
  m_group.jump(position);
  showPlayer();
}

void LiveMonitor::setPlaybackSpeed(double speed) { m_group.player().setSpeed(speed); }

bool LiveMonitor::exportCsv(const std::string& ignlogPath, const std::string& csvPath,
                            std::string* why) {
  const IgnlogReadResult r = readIgnlogFile(ignlogPath);
  if (!r.ok()) {
    if (why) *why = r.message;
    return false;
  }
  const std::string text = ignlogCsv(r.file);
  return writeFileReplacing(csvPath, {reinterpret_cast<const uint8_t*>(text.data()), text.size()},
                            why);
}

void LiveMonitor::showPlayer() {
  const PlayerDisplay d = m_group.display();
  if (m_playerShown && d == m_shownPlayer) return;
  m_shownPlayer = d;
  m_playerShown = true;
  m_ctx.window.showPlayer(d);
}

void LiveMonitor::note(const std::string& mtext, Colour back) {
  if (m_ctx.status) m_ctx.status->showStatus(2, mtext.c_str(), 8000, kBlack, back, 10);
}

}  // namespace q3
