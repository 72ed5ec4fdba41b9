// quelin3-tool read, verify, program, monitor, backups and pickup against
// the simulated unit's core at its line rate, on virtual time: the commands
// run in this process (q3cli::toolMain) on in-memory lines, without a thread,
// so a noisy line, a silent unit, another program version, the backups, the
// bike question and every language cost milliseconds each. Exit codes and
// stdout/stderr are the commands' own; the end that only the process shows
// (the process's exit status and streams, a real pseudo-terminal held or
// forbidden, the line rate of a real line) is tool_commands_e2e.cpp.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <string>

#include "link/link_session.h"
#include "tool_in_process.h"
#include "virtual_bench.h"

namespace {

using q3test::UnitOptions;

// A unit started with these settings, on the memory the last one left
// (quelin3-unit-sim --memory memory.bin).
UnitOptions sim(q3sim::SimConfig config = {}, int delayMs = 0) {
  UnitOptions o;
  o.config = std::move(config);
  o.delayMs = delayMs;
  return o;
}

class VirtualTool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    setenv("QUELIN3_DATA_DIR", dir.path().toUtf8().constData(), 1);
    q3cli::setLinkSetup(bench.setup());
    device = dir.filePath("unit");
    startSim();
  }
  void TearDown() override { q3cli::setLinkSetup({}); }

  std::string unitPath() const { return device.toStdString(); }
  // The simulated unit on the device path, its memory kept between starts.
  void startSim(const UnitOptions& o = sim()) { bench.start(unitPath(), o); }
  // Ends the unit; its device goes away.
  void stopSim() { bench.stop(unitPath()); }

  using Result = q3test::ToolResult;
  Result tool(QStringList args, bool withDevice = true) {
    if (withDevice) args << "--device" << device;
    return q3test::runToolInProcess(args);
  }
  QString path(const char* name) const { return dir.filePath(name); }
  // Write requests of the parameter blocks the units received.
  int simWrites() const {
    int n = 0;
    for (const auto& f : bench.framesIn)
      if (!f.empty() && f[0] >= 0x01 && f[0] <= 0x07) ++n;
    return n;
  }

  QTemporaryDir dir;
  q3test::VirtualBench bench;
  QString device;
};

TEST_F(VirtualTool, ReadProgramVerifyAndMonitor) {
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

TEST_F(VirtualTool, DifferentBikeIsRefusedWithoutYes) {
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
TEST_F(VirtualTool, EveryLanguageEndsEveryCommandTheSameWay) {
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
TEST_F(VirtualTool, ProgramOnANoisyLineRetriesUntilVerified) {
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
  for (uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
    stopSim();
    startSim(sim({.corrupt = 0.003, .seed = seed}));
    r = tool({"program", path("file.ign")});
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
TEST_F(VirtualTool, ProgramOnAVeryNoisyLineNeverClaimsAFalseSuccess) {
  Result r = tool({"read", "-o", path("unit.ign")});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  stopSim();
  startSim(sim({.corrupt = 0.01, .seed = 9}));
  r = tool({"program", path("unit.ign"), "--timeout", "60"});
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

TEST_F(VirtualTool, UnitThatFallsSilentWhileProgrammingIsAFailureWithItsCause) {
  Result r = tool({"read", "-o", path("unit.ign")});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  stopSim();
  // The check takes about 20 frames, the programming 14 more.
  startSim(sim({.silentAfter = 28}));
  r = tool({"program", path("unit.ign"), "--timeout", "15"});
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(r.err.contains("Program device: OK")) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("program failed: the unit does not answer") ||
              r.err.contains("program failed: line errors"))
      << r.err.toStdString();
}

// A unit with another program version can still be backed up.
TEST_F(VirtualTool, ReadFromAnOlderProgramVersionWarnsAndWritesTheFile) {
  stopSim();
  startSim(sim({.versionMajor = 103}));
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

// Programming keeps what the unit held; the backup lists and programs it
// back byte for byte.
TEST_F(VirtualTool, ProgrammingLeavesABackupThatRestoresTheUnit) {
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
TEST_F(VirtualTool, PickupPrintsTheSpeedOfEachBlock) {
  struct Case {
    UnitOptions simArgs;
    QByteArray trigger;  // bytes 184..195 of the unit's memory, empty: the unit's own
    const char* state;
  } cases[] = {
      {sim(), {}, "(synchro)"},
      // 60-2 crank wheel and camshaft, four channels, over 720 degrees.
      {sim({.pickupUnsynchronised = true}), QByteArray::fromHex("0e740400c66ae44ccd71eb53"),
       "(no synchro)"},
  };
  for (const Case& c : cases) {
    stopSim();
    if (!c.trigger.isEmpty()) {
      QByteArray memory(1050, '\0');
      memory.replace(184, c.trigger.size(), c.trigger);
      bench.memoryFile(unitPath()).assign(memory.begin(), memory.end());
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
TEST_F(VirtualTool, EveryEndNamesItsCauseAndExitCode) {
  ASSERT_EQ(tool({"read", "-o", path("unit.ign")}).code, 0);
  const QString file = path("unit.ign");
  struct Case {
    const char* what;
    std::optional<UnitOptions> unit;  // the unit's options (none: the unit as it runs)
    QStringList args;
    bool withDevice;
    int code;
    const char* says;
    int maxMs;
  } cases[] = {
      {"another unit type",
       sim({.typeKey = 105}),
       {"program", file, "--yes"},
       true,
       3,
       "holds a unit of another type (key 105)",
       5000},
      {"another program version",
       sim({.versionMajor = 103}),
       {"program", file, "--yes"},
       true,
       4,
       "the unit runs another program version (103.00)",
       5000},
      {"no such device",
       std::nullopt,
       {"read", "-o", path("x.ign"), "--device", "/nonexistent/tty"},
       false,
       6,
       "/nonexistent/tty does not exist",
       2000},
      // The unit falls silent at its first poll after the read-back said
      // "Verify: OK", while it stores.
      {"silent while storing",
       sim({.silentWhileStoring = true}),
       {"program", file, "--yes"},
       true,
       1,
       "program failed: the unit stopped answering while storing",
       15000},
      {"timeout not a number",
       std::nullopt,
       {"read", "-o", path("x.ign"), "--timeout", "abc"},
       true,
       2,
       "--timeout takes seconds, 1..86400 (not \"abc\")",
       2000},
      {"timeout absurd",
       std::nullopt,
       {"read", "-o", path("x.ign"), "--timeout", "99999999999"},
       true,
       2,
       "--timeout takes seconds",
       2000},
      {"no retries",
       std::nullopt,
       {"read", "-o", path("x.ign"), "--retries", "0"},
       true,
       2,
       "--retries takes 1..100",
       2000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.unit) {
      stopSim();
      startSim(*c.unit);
    }
    // The time the command took on the link's clock.
    const int64_t t = bench.pace.nowMs();
    const Result r = tool(c.args, c.withDevice);
    EXPECT_EQ(r.code, c.code) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
    EXPECT_LT(bench.pace.nowMs() - t, c.maxMs);
    EXPECT_FALSE(r.err.contains("Verify error !")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Program device: OK")) << r.err.toStdString();
    if (c.unit) {
      stopSim();
      startSim();
    }
  }
}

// A unit whose device vanishes under the programming is named as lost, not
// as line errors or a missing device.
TEST_F(VirtualTool, VanishedPortIsNamedAsLost) {
  ASSERT_EQ(tool({"read", "-o", path("unit.ign")}).code, 0);
  stopSim();
  startSim(sim({}, 30));  // slow answers: the programming is surely under way at 2.5 s
  bench.pace.after(2500, [this] { stopSim(); });
  const Result r = tool({"program", path("unit.ign"), "--yes", "--timeout", "6"});
  const QString& err = r.err;
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(err.contains("failed: the unit or its port went away")) << err.toStdString();
  EXPECT_FALSE(err.contains("line errors")) << err.toStdString();
  EXPECT_FALSE(err.contains("does not exist")) << err.toStdString();
}

TEST_F(VirtualTool, NoUnitMeansAClearFailure) {
  stopSim();
  Result r = tool({"read", "-o", path("none.ign"), "--timeout", "2"});
  EXPECT_NE(r.code, 0);
  EXPECT_FALSE(QFile::exists(path("none.ign")));
  EXPECT_TRUE(r.err.contains("quelin3-tool:")) << r.err.toStdString();
}

}  // namespace
