// quelin3-tool log info, log csv and log record run as a program: the
// printed contracts, the exit codes, recordings made against
// quelin3-unit-sim on a pseudo-terminal, and a recording program killed with
// SIGKILL that leaves a valid file behind.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>
#include <string>

#include "monitor/ignlog_fixture.h"
#include "monitor/ignlog_format.h"
#include "support/sim_process.h"

namespace {

using namespace q3test;

class LogTool : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test_monitor_cli";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }
  void SetUp() override {
    setenv("QUELIN3_DATA_DIR", dir.path().toUtf8().constData(), 1);
    const char* b = std::getenv("Q3_BINARY_DIR");
    ASSERT_NE(b, nullptr);
    toolPath = QString(b) + "/tools/cli/quelin3-tool";
  }
  // The simulated unit on a pseudo-terminal, its path in device.
  void startSim() {
    device = QString::fromStdString(sim.start({"--link", dir.filePath("unit").toStdString()}));
    ASSERT_FALSE(device.isEmpty());
  }
  struct Result {
    int code;
    std::string out, err;
  };
  Result tool(const QStringList& args, int waitMs = 60000) {
    QProcess p;
    p.setReadChannel(QProcess::StandardError);
    p.start(toolPath, args);
    p.waitForFinished(waitMs);
    return {p.exitCode(), p.readAllStandardOutput().toStdString(),
            p.readAllStandardError().toStdString()};
  }
  QString path(const char* leaf) const { return dir.filePath(leaf); }
  // Records until the recording program is killed (kill) or terminated.
  void recordThenEnd(bool kill);
  void write(const char* leaf, const std::vector<uint8_t>& bytes) {
    ASSERT_TRUE(q3::writeFileReplacing(path(leaf).toStdString(), bytes, nullptr));
  }
  q3::IgnlogReadResult read(const char* leaf) {
    return q3::readIgnlogFile(path(leaf).toStdString());
  }

  QTemporaryDir dir;
  QString toolPath, device;
  q3test::SimProcess sim;
};

// A recording of known content: the exact lines of info and csv.
TEST_F(LogTool, InfoAndCsvPrintTheirContract) {
  LogBuilder b;
  b.connection(0, 3, "QUELIN3").image(0, 1).unitImage(0, 2).page(0, pageState(0)).initialDone();
  std::vector<uint8_t> m(150, 0);
  m[2] = 0xE1, m[3] = 0x10;    // word 1: 4321 rpm
  m[4] = 0xC4, m[5] = 0x09;    // word 2: 2500 mV
  m[6] = 55;                   // word 3: 55 %
  m[8] = 0xE8, m[9] = 0x35;    // word 4: 13800 mV
  m[26] = 32, m[28] = 35;      // words 13, 14: dwell 3.2 (3.5) ms
  m[52] = 120;                 // word 26: 120 km/h
  m[76] = 0xC2, m[77] = 0x01;  // word 38: 450 mV
  m[100] = 1;                  // throttle sensor
  m[105] = 125, m[106] = 90;   // advance 25 and -10
  m[121] = 4, m[126] = 147, m[141] = 0x21, m[142] = 0x05;
  ASSERT_TRUE(b.file.append(q3::IgnlogType::Monitor, 440, m));
  b.image(900, 3);
  m[100] = 2;
  ASSERT_TRUE(b.file.append(q3::IgnlogType::Monitor, 1320, m));
  write("known.ignlog", b.file.bytes());

  Result r = tool({"log", "info", path("known.ignlog")});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "key: 104\nstart: 2023-11-14T22:13:20Z\nrecords: 7\ninitial: 4\ndata_bytes: 3686\n"
            "duration_ms: 1320\ntype_1: 1\ntype_2: 2\ntype_3: 1\ntype_4: 2\ntype_5: 1\n");

  const std::string csv =
      "time_ms,rpm,load_mode,load,load_mv,adv1,adv2,adv3,adv4,voltage_v,dwell_ms,dwell_opt_ms,"
      "gear,speed_kmh,lambda_afr,lambda_mv,inputs,functions\n"
      "440,4321,TPS,55,2500,25,-10,0,0,13.8,3.5,3.2,4,120,14.7,450,0x05,0x21\n"
      "1320,4321,IAP,55,2500,25,-10,0,0,13.8,3.5,3.2,4,120,14.7,450,0x05,0x21\n";
  r = tool({"log", "csv", path("known.ignlog")});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, csv);
  r = tool({"log", "csv", path("known.ignlog"), "-o", path("out.csv")});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(r.out.empty());
  QFile f(path("out.csv"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll().toStdString(), csv);
}

TEST_F(LogTool, FilesItCannotReadEndWithAMessage) {
  std::vector<uint8_t> other = LogBuilder::usual().file.bytes();
  setLe16(other, 60, 103);
  write("other.ignlog", other);
  write("short.ignlog", std::vector<uint8_t>(100, 0));
  struct Case {
    QStringList args;
    int code;
    const char* says;
  } cases[] = {
      {{"log", "info", path("other.ignlog")}, 1, "RS keys are not equal (103!=104)"},
      {{"log", "csv", path("other.ignlog")}, 1, "RS keys are not equal (103!=104)"},
      {{"log", "info", path("short.ignlog")}, 1, "too short"},
      {{"log", "info", path("missing.ignlog")}, 1, "cannot open"},
      {{"log", "info"}, 2, "usage"},
      {{"log", "play", path("other.ignlog")}, 2, "usage"},
      {{"log", "record", "--seconds", "3"}, 2, "usage"},
  };
  for (const Case& c : cases) {
    const Result r = tool(c.args);
    EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString();
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << c.args.join(' ').toStdString();
  }
}

// Recording against the simulated unit: the initial records of the window
// (the unit's settings as image and as unit image), then the monitor answers.
TEST_F(LogTool, RecordsTheUnitForTheGivenSeconds) {
  startSim();
  Result r =
      tool({"log", "record", "-o", path("run.ignlog"), "--seconds", "3", "--device", device});
  ASSERT_EQ(r.code, 0) << r.err;
  const q3::IgnlogReadResult log = read("run.ignlog");
  ASSERT_TRUE(log.ok()) << log.message;
  const q3::IgnlogFile& f = log.file;
  ASSERT_EQ(f.header.initial, 4);
  EXPECT_EQ(f.records()[0].type, 1);
  EXPECT_EQ(f.records()[1].type, 2);
  EXPECT_EQ(f.records()[2].type, 3);
  EXPECT_EQ(f.records()[3].type, 5);
  const auto image = f.payload(1), unit = f.payload(2);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), unit.begin(), unit.end()));
  EXPECT_NE(q3::connectionLineOf(f.payload(0)).find("QLN03"), std::string::npos);
  EXPECT_GE(f.size() - 4, 5);  // a poll every 400 ms
  EXPECT_LE(f.durationMs(), 3500u);

  // Its CSV has exactly the columns of `monitor --csv`.
  const Result mon = tool({"monitor", "--count", "1", "--csv", "--device", device});
  ASSERT_EQ(mon.code, 0) << mon.err;
  const Result csv = tool({"log", "csv", path("run.ignlog")});
  ASSERT_EQ(csv.code, 0);
  EXPECT_EQ(csv.out.substr(0, csv.out.find('\n')),
            "time_ms," + mon.out.substr(0, mon.out.find('\n')));

  // A settings file read from the unit names its program on the VERSIONS line.
  r = tool({"read", "-o", path("unit.ign"), "--device", device});
  ASSERT_EQ(r.code, 0) << r.err;
  QFile ign(path("unit.ign"));
  ASSERT_TRUE(ign.open(QIODevice::ReadOnly));
  EXPECT_TRUE(ign.readAll().contains("\r\nHEX  21. 6.2022\t14:05\tQLN03\r\n"));
}

// A recording program killed without warning (SIGKILL, kill) or ended by
// SIGTERM leaves a valid file that holds every record made up to 2 s before
// the kill; SIGTERM ends it cleanly with every record.
void LogTool::recordThenEnd(bool kill) {
  startSim();
  const char* leaf = kill ? "killed.ignlog" : "stopped.ignlog";
  QProcess p;
  p.setReadChannel(QProcess::StandardError);
  p.start(toolPath, {"log", "record", "-o", path(leaf), "--device", device});
  ASSERT_TRUE(p.waitForStarted(5000));
  QByteArray err;
  while (!err.contains("Recording to")) {
    ASSERT_TRUE(p.waitForReadyRead(30000)) << err.toStdString();
    err += p.readAllStandardError();
  }
  QElapsedTimer recording;
  recording.start();
  QThread::msleep(6300);
  const int64_t elapsed = recording.elapsed();
  if (kill) {
    p.kill();  // SIGKILL
  } else {
    p.terminate();  // SIGTERM
  }
  ASSERT_TRUE(p.waitForFinished(10000));
  if (!kill) {
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  }

  const q3::IgnlogReadResult log = read(leaf);
  ASSERT_TRUE(log.ok()) << log.message;
  EXPECT_TRUE(log.warnings.empty());
  const q3::IgnlogFile& f = log.file;
  // Monitor records every 400 ms or so, none missing in between ...
  uint32_t last = 0;
  int monitors = 0;
  for (const q3::IgnlogRecord& r : f.records()) {
    if (r.type != int(q3::IgnlogType::Monitor)) continue;
    EXPECT_LT(r.timeMs - last, 1000u) << leaf;
    last = r.timeMs;
    ++monitors;
  }
  // ... up to 2 s before the end (one poll period of slack).
  EXPECT_GE(int64_t(last), elapsed - 2000 - 500) << leaf << " " << monitors << " records";
  if (!kill) {
    EXPECT_GE(int64_t(last), elapsed - 500) << leaf;
  }
}

// The two ends are two cases, so ctest runs them side by side.
TEST_F(LogTool, AKilledRecordingLeavesAValidFile) { recordThenEnd(true); }

TEST_F(LogTool, ATerminatedRecordingEndsCleanlyWithEveryRecord) { recordThenEnd(false); }

}  // namespace
