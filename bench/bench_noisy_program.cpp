// LIBS: Qt6::Core
// Programming a whole file on a noisy line, as a user runs it: quelin3-tool
// program (search, connection check, write, read-back verification) against
// quelin3-unit-sim at the real line rate of 57600 Bd, once on a clean line
// and once with a share of the unit's bytes corrupted, for several seeds.
// After every program run a verify on a clean line must find the unit equal
// to the file. Prints one row per seed and the mean ratio noisy / clean.
//
// A plain timing program, not a Google Benchmark loop: one run takes seconds.
//   bench_noisy_program [--seeds N] [--corrupt P ...]
// Defaults: 10 seeds, corruption 0.003 and 0.01.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

QString g_bin;
QTemporaryDir* g_dir = nullptr;

struct Sim {
  QProcess p;
  QString device;
  bool start(const QStringList& extra) {
    p.setProgram(g_bin + "/tools/unit-sim/quelin3-unit-sim");
    p.setArguments(
        QStringList{"--link", g_dir->filePath("unit"), "--memory", g_dir->filePath("memory.bin")} +
        extra);
    p.start();
    if (!p.waitForStarted(5000)) return false;
    while (!p.canReadLine())
      if (!p.waitForReadyRead(5000)) return false;
    device = QString::fromUtf8(p.readLine().trimmed());
    return true;
  }
  ~Sim() {
    p.terminate();
    p.waitForFinished(5000);
  }
};

struct Run {
  int code = -1;
  double seconds = 0;
  QString err;
};

Run tool(const QStringList& args, const QString& device) {
  QProcess p;
  QElapsedTimer t;
  t.start();
  p.start(g_bin + "/tools/cli/quelin3-tool", args + QStringList{"--device", device});
  p.waitForFinished(600000);
  return {p.exitCode(), t.elapsed() / 1000.0, QString::fromUtf8(p.readAllStandardError())};
}

// One program run on a line with the given corruption, then a verify on a
// clean line. Returns the program's time; verified tells the verify's end.
Run programOnce(const QString& file, double corrupt, int seed, bool& verified) {
  Run r;
  {
    Sim s;
    QStringList extra;
    if (corrupt > 0)
      extra << "--corrupt" << QString::number(corrupt) << "--seed" << QString::number(seed);
    if (!s.start(extra)) return r;
    r = tool({"program", file, "--yes", "--no-backup"}, s.device);
  }
  Sim clean;
  verified = clean.start({}) && tool({"verify", file}, clean.device).code == 0;
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  g_bin = QCoreApplication::applicationDirPath() + "/..";
  int seeds = 10;
  std::vector<double> levels;
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--seeds" && i + 1 < args.size())
      seeds = args[++i].toInt();
    else if (args[i] == "--corrupt" && i + 1 < args.size())
      levels.push_back(args[++i].toDouble());
  }
  if (levels.empty()) levels = {0.003, 0.01};
  QTemporaryDir dir;
  g_dir = &dir;
  qputenv("QUELIN3_DATA_DIR", dir.path().toUtf8());

  // The file: the unit's settings with one value changed, so every run writes
  // something the unit did not hold.
  const QString unitFile = dir.filePath("unit.ign");
  const QString file = dir.filePath("file.ign");
  {
    Sim s;
    if (!s.start({}) || tool({"read", "-o", unitFile}, s.device).code != 0) {
      std::fprintf(stderr, "cannot read the simulated unit\n");
      return 1;
    }
  }
  QFile f(unitFile);
  f.open(QIODevice::ReadOnly);
  QByteArray text = f.readAll();
  const int at = text.indexOf("\nLIMITER");
  if (at > 0) text.replace(at + 1, text.indexOf('\n', at + 1) - at - 1, "LIMITER           88 ");
  QFile g(file);
  g.open(QIODevice::WriteOnly);
  g.write(text);
  g.close();

  std::printf(
      "quelin3-tool program of a whole file at 57600 Bd (search, check, write, read-back)\n");
  for (double level : levels) {
    std::printf("\ncorruption %.1f %% of the unit's bytes\n", level * 100);
    std::printf("%-5s %9s %9s %7s %-5s %s\n", "seed", "clean s", "noisy s", "ratio", "exit",
                "verified");
    double sum = 0;
    int counted = 0, failed = 0, unverified = 0;
    for (int seed = 1; seed <= seeds; ++seed) {
      bool cleanOk = false, noisyOk = false;
      // A whole-file programming writes and reads back every block whatever
      // the unit held before.
      const Run c = programOnce(file, 0, seed, cleanOk);
      const Run n = programOnce(file, level, seed, noisyOk);
      const double ratio = c.seconds > 0 ? n.seconds / c.seconds : 0;
      const bool verified = n.code == 0 ? noisyOk : false;
      std::printf("%-5i %9.2f %9.2f %7.2f %-5i %s\n", seed, c.seconds, n.seconds, ratio, n.code,
                  n.code == 0 ? (verified ? "yes" : "NO") : "-");
      if (n.code != 0) {
        ++failed;
        const int cut = n.err.lastIndexOf("quelin3-tool:");
        std::printf("      ends: %s\n",
                    cut >= 0 ? n.err.mid(cut).trimmed().toUtf8().constData() : "(no message)");
      } else if (!verified) {
        ++unverified;
      }
      if (c.code == 0 && n.code == 0) {
        sum += ratio;
        ++counted;
      }
      std::fflush(stdout);
    }
    std::printf("mean ratio noisy/clean over %i successful runs: %.2f; failed %i, unverified %i\n",
                counted, counted ? sum / counted : 0.0, failed, unverified);
  }
  return 0;
}
