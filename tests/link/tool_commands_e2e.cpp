// quelin3-tool as a process against quelin3-unit-sim on a pseudo-terminal, at
// the real line rate and on the wall clock: what only a process shows. Its
// exit status, what goes to stdout and what to stderr, a port held by another
// program or forbidden to the user, the pickup line format, and one whole
// read and one whole program. Every other case of the commands (noisy lines,
// silent units, versions, backups, the bike question, languages, the table
// of ends) runs in the test's process on virtual time:
// tool_commands_virtual.cpp.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>

namespace {

class CliLink : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test_link_cli";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
  }
  void SetUp() override {
    const char* b = std::getenv("Q3_BINARY_DIR");
    ASSERT_NE(b, nullptr);
    bin = b;
    setenv("QUELIN3_DATA_DIR", dir.path().toUtf8().constData(), 1);
    startSim({});
  }
  void TearDown() override { stopSim(); }

  // The simulated unit on the link path, its memory kept in memory.bin.
  void startSim(const QStringList& extra) {
    sim.setProgram(bin + "/tools/unit-sim/quelin3-unit-sim");
    sim.setArguments(QStringList{"--link", dir.filePath("unit"), "--log", dir.filePath("sim.log"),
                                 "--memory", dir.filePath("memory.bin")} +
                     extra);
    sim.start();
    ASSERT_TRUE(sim.waitForStarted(5000));
    while (!sim.canReadLine()) ASSERT_TRUE(sim.waitForReadyRead(5000));
    device = sim.readLine().trimmed();
  }
  // Ends the unit; it writes its memory file on the way out.
  void stopSim() {
    if (sim.state() == QProcess::NotRunning) return;
    sim.terminate();
    sim.waitForFinished(5000);
  }

  struct Result {
    int code;
    QString out, err;
  };
  Result tool(QStringList args, bool withDevice = true, int waitMs = 60000) {
    QProcess p;
    if (withDevice) args << "--device" << device;
    p.start(bin + "/tools/cli/quelin3-tool", args);
    p.waitForFinished(waitMs);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
  }
  QString path(const char* name) const { return dir.filePath(name); }
  int simWrites() const {
    QFile f(dir.filePath("sim.log"));
    f.open(QIODevice::ReadOnly);
    int n = 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
      const int colon = line.indexOf(':');
      if (line.contains(" IN ") && colon > 0) {
        const QByteArray first = line.mid(colon + 2, 2);
        if (first >= "01" && first <= "07") ++n;
      }
    }
    return n;
  }

  QTemporaryDir dir;
  QString bin, device;
  QProcess sim;
};

// A whole read at the real line rate: the file is written, its progress
// went to stderr and nothing to stdout.
TEST_F(CliLink, ReadsAWholeUnitAtTheRealLineRate) {
  Result r = tool({"read", "-o", path("unit.ign")});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.isEmpty());  // progress goes to stderr
  EXPECT_TRUE(r.err.contains("Verify: OK"));
  QFile f(path("unit.ign"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.readAll().startsWith("KORVELAN_KEY"));
}

// A whole program at the real line rate: the unit stores what was written
// and a verify then finds it identical.
TEST_F(CliLink, ProgramsAWholeFileAtTheRealLineRate) {
  Result d = tool({"defaults", "--bike", "3", "--ign", path("3.ign")}, false);
  ASSERT_EQ(d.code, 0) << d.err.toStdString();
  Result r = tool({"program", path("3.ign"), "--yes"});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("Saving:")) << r.err.toStdString();  // the unit stores after writing
  EXPECT_TRUE(r.err.contains("Program device: OK"));
  EXPECT_GE(simWrites(), 7);
  r = tool({"verify", path("3.ign")});
  EXPECT_EQ(r.code, 0) << r.out.toStdString();
  EXPECT_EQ(r.out.trimmed(), "identical");
}

// Data on stdout, everything else on stderr: the parameters a verify finds
// different, the monitor's CSV lines.
TEST_F(CliLink, DataGoesToStdoutAndProgressToStderr) {
  Result d = tool({"defaults", "--bike", "3", "--ign", path("3.ign")}, false);
  ASSERT_EQ(d.code, 0) << d.err.toStdString();
  Result r = tool({"verify", path("3.ign")});
  EXPECT_EQ(r.code, 1) << r.err.toStdString();
  // One line per parameter (or byte) that differs on stdout, their count and
  // the progress on stderr.
  const QStringList listed = r.out.trimmed().split('\n');
  EXPECT_FALSE(r.out.trimmed().isEmpty()) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains(QString::number(listed.size()) + " parameters differ"))
      << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("Checking: OK")) << r.err.toStdString();
  EXPECT_FALSE(r.out.contains("Checking")) << r.out.toStdString();
  EXPECT_FALSE(r.out.contains('%')) << r.out.toStdString();

  r = tool({"monitor", "--count", "2", "--csv"});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  const QStringList lines = r.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[0].startsWith("rpm,load_mode,"));
  EXPECT_EQ(lines[1].count(','), lines[0].count(','));
  EXPECT_TRUE(r.err.contains("Monitoring")) << r.err.toStdString();
}

// The exit status of the process is the command's: a wrong option (2), a
// device that does not exist (6), a unit of another type (3, within 5 s).
// Every end with its code and cause: tool_commands_virtual.cpp.
TEST_F(CliLink, ExitCodesOfTheProcess) {
  struct Case {
    const char* what;
    QStringList sim;  // the unit's options (empty: the unit as it runs)
    QStringList args;
    bool withDevice;
    int code;
    const char* says;
    int maxMs;
  } cases[] = {
      {"timeout not a number",
       {},
       {"read", "-o", path("x.ign"), "--timeout", "abc"},
       true,
       2,
       "--timeout takes seconds, 1..86400 (not \"abc\")",
       2000},
      {"no such device",
       {},
       {"read", "-o", path("x.ign"), "--device", "/nonexistent/tty"},
       false,
       6,
       "/nonexistent/tty does not exist",
       2000},
      {"another unit type",
       {"--key", "105"},
       {"read", "-o", path("x.ign")},
       true,
       3,
       "holds a unit of another type (key 105)",
       5000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.sim.isEmpty()) {
      stopSim();
      startSim(c.sim);
    }
    QElapsedTimer t;
    t.start();
    const Result r = tool(c.args, c.withDevice);
    EXPECT_EQ(r.code, c.code) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
    EXPECT_LT(t.elapsed(), c.maxMs);
    EXPECT_FALSE(QFile::exists(path("x.ign")));
  }
}

// A port another program holds is named with its holder; one the user may
// not open names the group to join. Permission is only checked when the
// tests run as root and can drop to another user.
TEST_F(CliLink, PortsThatCannotBeOpenedNameTheirCause) {
  const QString real = QFileInfo(device).canonicalFilePath();
  {
    QSerialPort holder(device);
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    Result r = tool({"scan", "--timeout", "2"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains("cannot open: busy: " + device + " is held by test_link_cli (pid "))
        << r.out.toStdString();
    r = tool({"read", "-o", path("x.ign"), "--timeout", "3"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("busy")) << r.err.toStdString();
  }
  if (geteuid() != 0 || QStandardPaths::findExecutable("runuser").isEmpty()) return;
  // The device as a USB adapter comes: owned by group dialout, not for others.
  const struct group* dialout = ::getgrnam("dialout");
  ASSERT_NE(dialout, nullptr);
  ASSERT_EQ(::chown(real.toUtf8().constData(), uid_t(-1), dialout->gr_gid), 0);
  ASSERT_EQ(::chmod(real.toUtf8().constData(), 0660), 0);
  QProcess p;
  p.start("runuser", {"-u", "nobody", "--", bin + "/tools/cli/quelin3-tool", "scan", "--device",
                      real, "--timeout", "2"});
  ASSERT_TRUE(p.waitForFinished(30000));
  const QString out = QString::fromUtf8(p.readAllStandardOutput());
  EXPECT_TRUE(out.contains("cannot open: permission denied: " + real +
                           " belongs to group dialout - join it with: sudo usermod -aG dialout "
                           "$USER (then log in again)"))
      << out.toStdString() << p.readAllStandardError().toStdString();
  // A command that needs the port ends at once with its own code.
  p.start("runuser", {"-u", "nobody", "--", bin + "/tools/cli/quelin3-tool", "read", "-o",
                      "/tmp/never-written.ign", "--device", real});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 5);
  EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains("may not be opened"));
}

// The pickup monitor without its window: one line per analysed block in the
// window's label form on stdout, its speed within 1 % of the monitor answer
// that announced the block (told on stderr). The unsynchronised unit and
// another trigger wheel: tool_commands_virtual.cpp.
TEST_F(CliLink, PickupPrintsTheSpeedOfEachBlock) {
  struct Case {
    QStringList simArgs;
    QByteArray trigger;  // bytes 184..195 of the unit's memory, empty: the unit's own
    const char* state;
  } cases[] = {
      {{}, {}, "(synchro)"},
  };
  for (const Case& c : cases) {
    stopSim();
    if (!c.trigger.isEmpty()) {
      QByteArray memory(1050, '\0');
      memory.replace(184, c.trigger.size(), c.trigger);
      QFile m(path("memory.bin"));
      ASSERT_TRUE(m.open(QIODevice::WriteOnly));
      m.write(memory);
    }
    startSim(c.simArgs);
    Result r = tool({"pickup", "--count", "3"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3) << r.out.toStdString();
    // The speed of the monitor answer that announced each analysed block.
    QList<double> monitor;
    static const QRegularExpression block("monitor RPM=(\\d+): analysed");
    for (auto it = block.globalMatch(r.err); it.hasNext();)
      monitor << it.next().captured(1).toDouble();
    ASSERT_EQ(monitor.size(), 3) << r.err.toStdString();
    static const QRegularExpression label("^RPM=(\\d+\\.\\d) (\\(synchro\\)|\\(no synchro\\))$");
    for (int i = 0; i < 3; ++i) {
      const auto m = label.match(lines[i]);
      ASSERT_TRUE(m.hasMatch()) << lines[i].toStdString();
      EXPECT_EQ(m.captured(2), c.state);
      EXPECT_NEAR(m.captured(1).toDouble(), monitor[i], monitor[i] * 0.01) << i;
      EXPECT_GT(monitor[i], 1000);
    }
  }
}

}  // namespace
