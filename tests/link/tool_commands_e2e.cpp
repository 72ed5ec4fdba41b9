// quelin3-tool read, verify, program and monitor against quelin3-unit-sim
// on a pseudo-terminal: exit codes, files and what stays on stdout.
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
#include <QThread>
#include <cstdlib>
#include <string>

namespace {

class CliLink : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test_link_e2e";
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

TEST_F(CliLink, ReadProgramVerifyAndMonitor) {
  Result r = tool({"read", "-o", path("unit.ign")});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.isEmpty());  // progress goes to stderr
  EXPECT_TRUE(r.err.contains("Verify: OK"));
  QFile f(path("unit.ign"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray text = f.readAll();
  EXPECT_TRUE(text.startsWith("KORVELAN_KEY"));

  // The file as the unit should hold it: program everything, then it verifies.
  r = tool({"program", path("unit.ign")});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("Saving:")) << r.err.toStdString();  // the unit stores after writing
  EXPECT_TRUE(r.err.contains("Program device: OK"));
  r = tool({"verify", path("unit.ign")});
  EXPECT_EQ(r.code, 0) << r.out.toStdString();
  EXPECT_EQ(r.out.trimmed(), "identical");

  // One value changed in the file: verify names it, --changed-only writes one block.
  QByteArray changed = text;
  const int at = changed.indexOf("\nLIMITER");
  ASSERT_GT(at, 0);
  const int eol = changed.indexOf('\n', at + 1);
  changed.replace(at + 1, eol - at - 1, "LIMITER           77 ");
  QFile g(path("changed.ign"));
  ASSERT_TRUE(g.open(QIODevice::WriteOnly));
  g.write(changed);
  g.close();
  r = tool({"verify", path("changed.ign")});
  EXPECT_EQ(r.code, 1);
  // The rev limiter also bounds the rpm axes, so they may be listed with it.
  EXPECT_TRUE(r.out.split('\n').contains("LIMITER")) << r.out.toStdString();
  const int writesBefore = simWrites();
  r = tool({"program", path("changed.ign"), "--changed-only"});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_GE(simWrites() - writesBefore, 1);
  EXPECT_LT(simWrites() - writesBefore, 7);
  EXPECT_EQ(tool({"verify", path("changed.ign")}).code, 0);

  r = tool({"monitor", "--count", "2", "--csv"});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  const QStringList lines = r.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[0].startsWith("rpm,load_mode,"));
  EXPECT_EQ(lines[1].count(','), lines[0].count(','));
}

TEST_F(CliLink, DifferentBikeIsRefusedWithoutYes) {
  for (const char* bike : {"3", "4"}) {
    Result d = tool({"defaults", "--bike", bike, "--ign", path(bike) + ".ign"}, false);
    ASSERT_EQ(d.code, 0) << d.err.toStdString();
  }
  // The unit is given bike preset 3 (answering any question with yes) ...
  Result r = tool({"program", path("3") + ".ign", "--yes"});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  // ... so programming preset 4 asks, and without --yes that is a refusal.
  const int writesBefore = simWrites();
  r = tool({"program", path("4") + ".ign"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.contains("refused")) << r.err.toStdString();
  EXPECT_EQ(simWrites(), writesBefore);
  r = tool({"program", path("4") + ".ign", "--yes"});
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_GT(simWrites(), writesBefore);
}

// The tool decides on operation results, never on the texts it shows: in
// German and Czech every status text differs from the English one, and each
// command still ends exactly as in English.
TEST_F(CliLink, EveryLanguageEndsEveryCommandTheSameWay) {
  struct Case {
    const char* lang;
    const char* readOk;  // the stage text the language shows at the end of a read
  } cases[] = {{"en", "Verify: OK"}, {"de", "Vergleichen: OK"}, {"cz", "Verifikace: OK"}};
  // Programming stores the image as the program keeps it (sanitised): after
  // one round the unit holds what every read brings back.
  ASSERT_EQ(tool({"read", "-o", path("start.ign")}).code, 0);
  ASSERT_EQ(tool({"program", path("start.ign")}).code, 0);
  QByteArray first;
  for (const Case& c : cases) {
    const QString file = path(c.lang) + ".ign";
    Result r = tool({"--language", c.lang, "read", "-o", file});
    ASSERT_EQ(r.code, 0) << c.lang << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.readOk))) << c.lang << r.err.toStdString();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    if (first.isEmpty()) first = text;
    EXPECT_EQ(text, first) << c.lang;

    r = tool({"program", file, "--language", c.lang});
    EXPECT_EQ(r.code, 0) << c.lang << r.err.toStdString();
    r = tool({"--language", c.lang, "verify", file});
    EXPECT_EQ(r.code, 0) << c.lang << r.err.toStdString();

    // A file that differs: verify fails the same way in every language.
    QByteArray changed = text;
    const int at = changed.indexOf("\nLIMITER");
    ASSERT_GT(at, 0);
    changed.replace(at + 1, changed.indexOf('\n', at + 1) - at - 1, "LIMITER           77 ");
    QFile g(path("changed.ign"));
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write(changed);
    g.close();
    r = tool({"--language", c.lang, "verify", path("changed.ign")});
    EXPECT_EQ(r.code, 1) << c.lang;
    EXPECT_TRUE(r.out.split('\n').contains("LIMITER")) << c.lang;
  }
  EXPECT_EQ(tool({"--language", "fr", "read", "-o", path("x.ign")}).code, 2);
}

// On a line that damages about one answer in three, the tool searches,
// connects and programs again until the read-back verification passes; the
// unit then holds exactly the file.
TEST_F(CliLink, ProgramOnANoisyLineRetriesUntilVerified) {
  Result r = tool({"read", "-o", path("unit.ign")});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  QFile f(path("unit.ign"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QByteArray changed = f.readAll();
  const int at = changed.indexOf("\nLIMITER");
  ASSERT_GT(at, 0);
  changed.replace(at + 1, changed.indexOf('\n', at + 1) - at - 1, "LIMITER           88 ");
  QFile g(path("file.ign"));
  ASSERT_TRUE(g.open(QIODevice::WriteOnly));
  g.write(changed);
  g.close();
  for (const char* seed : {"1", "2", "3", "4", "5"}) {
    stopSim();
    startSim({"--corrupt", "0.003", "--seed", seed});
    r = tool({"program", path("file.ign")}, true, 200000);
    EXPECT_EQ(r.code, 0) << seed << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Program device: OK")) << seed;
    // A clean line and a fresh unit process on the memory just written.
    stopSim();
    startSim({});
    r = tool({"verify", path("file.ign")});
    EXPECT_EQ(r.code, 0) << seed << r.out.toStdString() << r.err.toStdString();
  }
}

// At one percent of the bytes damaged the tool may give up, but only with a
// line cause, and a success always means a verified unit.
TEST_F(CliLink, ProgramOnAVeryNoisyLineNeverClaimsAFalseSuccess) {
  Result r = tool({"read", "-o", path("unit.ign")});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  stopSim();
  startSim({"--corrupt", "0.01", "--seed", "9"});
  r = tool({"program", path("unit.ign"), "--timeout", "60"}, true, 120000);
  if (r.code == 0) {
    stopSim();
    startSim({});
    EXPECT_EQ(tool({"verify", path("unit.ign")}).code, 0);
  } else {
    EXPECT_TRUE(r.err.contains("line errors") || r.err.contains("does not answer"))
        << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Program device: OK"));
  }
}

TEST_F(CliLink, UnitThatFallsSilentWhileProgrammingIsAFailureWithItsCause) {
  Result r = tool({"read", "-o", path("unit.ign")});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  stopSim();
  // The check takes about 20 frames, the programming 14 more.
  startSim({"--silent-after", "28"});
  r = tool({"program", path("unit.ign"), "--timeout", "15"}, true, 60000);
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(r.err.contains("Program device: OK")) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("program failed: the unit does not answer") ||
              r.err.contains("program failed: line errors"))
      << r.err.toStdString();
}

// A unit with another program version can still be backed up.
TEST_F(CliLink, ReadFromAnOlderProgramVersionWarnsAndWritesTheFile) {
  stopSim();
  startSim({"--version-major", "103"});
  Result r = tool({"read", "-o", path("old.ign")});
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("warning: the unit runs program version 103.00"))
      << r.err.toStdString();
  EXPECT_TRUE(QFile::exists(path("old.ign")));
  // Programming such a unit stays refused, naming the version.
  r = tool({"program", path("old.ign"), "--timeout", "20"});
  EXPECT_EQ(r.code, 4);  // another program version: no attempt can mend it
  EXPECT_TRUE(r.err.contains("another program version")) << r.err.toStdString();
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

// Programming keeps what the unit held; the backup lists and programs it
// back byte for byte.
TEST_F(CliLink, ProgrammingLeavesABackupThatRestoresTheUnit) {
  ASSERT_EQ(tool({"read", "-o", path("before.ign")}).code, 0);
  ASSERT_EQ(tool({"program", path("before.ign")}).code, 0);  // the unit now holds it as kept
  QFile f(path("before.ign"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  QByteArray other = f.readAll();
  const int at = other.indexOf("\nLIMITER");
  ASSERT_GT(at, 0);
  other.replace(at + 1, other.indexOf('\n', at + 1) - at - 1, "LIMITER           66 ");
  QFile g(path("other.ign"));
  ASSERT_TRUE(g.open(QIODevice::WriteOnly));
  g.write(other);
  g.close();

  Result r = tool({"program", path("other.ign")});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("Unit settings kept in")) << r.err.toStdString();
  r = tool({"backups"}, false);
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  const QStringList rows = r.out.trimmed().split('\n');
  ASSERT_GE(rows.size(), 2);  // the header and the newest backup first
  const QString newest = rows[1].split(' ', Qt::SkipEmptyParts).last();
  EXPECT_EQ(tool({"verify", path("other.ign")}).code, 0);
  EXPECT_EQ(tool({"verify", newest}).code, 1);  // the backup is the unit before

  // Restoring: the backup programmed back gives the unit it was taken from.
  r = tool({"program", newest, "--no-backup"});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_FALSE(r.err.contains("Unit settings kept in"));
  r = tool({"verify", path("before.ign")});
  EXPECT_EQ(r.code, 0) << r.out.toStdString();
  EXPECT_EQ(tool({"backups", "--serial", "no-such-unit"}, false).code, 1);
}

// The pickup monitor without its window: one line per analysed block in the
// window's label form, its speed within 1 % of the monitor answer that
// announced the block, for the trigger wheel in the unit's memory.
TEST_F(CliLink, PickupPrintsTheSpeedOfEachBlock) {
  struct Case {
    QStringList simArgs;
    QByteArray trigger;  // bytes 184..195 of the unit's memory, empty: the unit's own
    const char* state;
  } cases[] = {
      {{}, {}, "(synchro)"},
      // 60-2 crank wheel and camshaft, four channels, over 720 degrees.
      {{"--pickup-unsync"}, QByteArray::fromHex("0e740400c66ae44ccd71eb53"), "(no synchro)"},
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

// Every end is named for its cause with its exit code; those no further
// attempt can mend come at once.
TEST_F(CliLink, EveryEndNamesItsCauseAndExitCode) {
  ASSERT_EQ(tool({"read", "-o", path("unit.ign")}).code, 0);
  const QString file = path("unit.ign");
  struct Case {
    const char* what;
    QStringList sim;  // the unit's options (empty: the unit as it runs)
    QStringList args;
    bool withDevice;
    int code;
    const char* says;
    int maxMs;
  } cases[] = {
      {"another unit type",
       {"--key", "105"},
       {"program", file, "--yes"},
       true,
       3,
       "holds a unit of another type (key 105)",
       5000},
      {"another program version",
       {"--version-major", "103"},
       {"program", file, "--yes"},
       true,
       4,
       "the unit runs another program version (103.00)",
       5000},
      {"no such device",
       {},
       {"read", "-o", path("x.ign"), "--device", "/nonexistent/tty"},
       false,
       6,
       "/nonexistent/tty does not exist",
       2000},
      // The unit falls silent at its first poll after the read-back said
      // "Verify: OK", while it stores.
      {"silent while storing",
       {"--silent-while-storing"},
       {"program", file, "--yes"},
       true,
       1,
       "program failed: the unit stopped answering while storing",
       15000},
      {"timeout not a number",
       {},
       {"read", "-o", path("x.ign"), "--timeout", "abc"},
       true,
       2,
       "--timeout takes seconds, 1..86400 (not \"abc\")",
       2000},
      {"timeout absurd",
       {},
       {"read", "-o", path("x.ign"), "--timeout", "99999999999"},
       true,
       2,
       "--timeout takes seconds",
       2000},
      {"no retries",
       {},
       {"read", "-o", path("x.ign"), "--retries", "0"},
       true,
       2,
       "--retries takes 1..100",
       2000},
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
    EXPECT_FALSE(r.err.contains("Verify error !")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Program device: OK")) << r.err.toStdString();
    if (!c.sim.isEmpty()) {
      stopSim();
      startSim({});
    }
  }
}

// A unit whose device vanishes under the programming is named as lost, not
// as line errors or a missing device.
TEST_F(CliLink, VanishedPortIsNamedAsLost) {
  ASSERT_EQ(tool({"read", "-o", path("unit.ign")}).code, 0);
  stopSim();
  startSim({"--delay", "30"});  // slow answers: the programming is surely under way at 2.5 s
  QProcess p;
  p.start(bin + "/tools/cli/quelin3-tool",
          {"program", path("unit.ign"), "--yes", "--timeout", "6", "--device", device});
  QThread::msleep(2500);
  stopSim();
  ASSERT_TRUE(p.waitForFinished(30000));
  const QString err = QString::fromUtf8(p.readAllStandardError());
  EXPECT_EQ(p.exitCode(), 1);
  EXPECT_TRUE(err.contains("failed: the unit or its port went away")) << err.toStdString();
  EXPECT_FALSE(err.contains("line errors")) << err.toStdString();
  EXPECT_FALSE(err.contains("does not exist")) << err.toStdString();
}

TEST_F(CliLink, NoUnitMeansAClearFailure) {
  sim.terminate();
  sim.waitForFinished(5000);
  Result r = tool({"read", "-o", path("none.ign"), "--timeout", "2"});
  EXPECT_NE(r.code, 0);
  EXPECT_FALSE(QFile::exists(path("none.ign")));
  EXPECT_TRUE(r.err.contains("quelin3-tool:")) << r.err.toStdString();
}

}  // namespace
