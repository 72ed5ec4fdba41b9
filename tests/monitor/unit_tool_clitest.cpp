// quelin3-tool against quelin3-unit-sim on a pseudo-terminal: the hit map of
// a recording made while the engine is held at one operating point, and a
// settings file compared with the unit by name.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "files/ign_document.h"
#include "monitor/ignlog_format.h"
#include "params/address_map.h"
#include "params/param_model.h"
#include "support/sim_process.h"

namespace {

using q3::ImageByte;

class UnitTool : public ::testing::Test {
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
    // The defaults of bike 20 over a throttle sensor, advance map 1 over
    // engine speed and throttle: breakpoints 1500, 2000, ... 14 000 rpm and
    // 0, 2, 5, 10, 20 ... 100 %.
    model.image().setByte(ImageByte::Bike, 20);
    model.applyDefaults(-1);
    model.image().setByte(ImageByte::TpsIapSensor, 1);
    model.image().setByte(ImageByte::AdvMap, 1);
    model.sanitize();
    const std::vector<uint8_t> memory(model.image().data(), model.image().data() + q3::kImageSize);
    ASSERT_TRUE(q3::writeFileReplacing(path("unit.mem"), memory, nullptr));
  }
  void startSim(std::vector<std::string> extra) {
    std::vector<std::string> args = {"--link", path("unit"), "--memory", path("unit.mem")};
    args.insert(args.end(), extra.begin(), extra.end());
    device = QString::fromStdString(sim.start(args));
    ASSERT_FALSE(device.isEmpty());
  }
  struct Result {
    int code;
    std::string out, err;
  };
  Result tool(const QStringList& args) {
    QProcess p;
    p.start(toolPath, args);
    p.waitForFinished(60000);
    return {p.exitCode(), p.readAllStandardOutput().toStdString(),
            p.readAllStandardError().toStdString()};
  }
  std::string path(const char* leaf) const { return dir.filePath(leaf).toStdString(); }
  QString qpath(const char* leaf) const { return dir.filePath(leaf); }

  QTemporaryDir dir;
  QString toolPath, device;
  q3::ParamModel model;
  q3test::SimProcess sim;
};

std::vector<std::vector<std::string>> csvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    rows.emplace_back();
    std::istringstream fields(line);
    std::string f;
    while (std::getline(fields, f, ';')) rows.back().push_back(f);
  }
  return rows;
}

TEST_F(UnitTool, AHeldOperatingPointSpendsItsTimeInItsCell) {
  startSim({"--hold", "5000,20"});
  const Result rec =
      tool({"log", "record", "-o", qpath("held.ignlog"), "--seconds", "4", "--device", device});
  ASSERT_EQ(rec.code, 0) << rec.err;
  const Result hits = tool({"log", "hits", qpath("held.ignlog"), "--csv"});
  ASSERT_EQ(hits.code, 0) << hits.err;
  const auto rows = csvRows(hits.out);
  ASSERT_EQ(rows.size(), 11u) << hits.out;  // the head and ten load breakpoints
  ASSERT_EQ(rows[0].size(), 16u) << hits.out;
  EXPECT_EQ(rows[0][0], "TP [%]");
  double total = 0, cell = 0;
  for (size_t r = 1; r < rows.size(); ++r)
    for (size_t c = 1; c < rows[r].size(); ++c) {
      const double s = std::stod(rows[r][c]);
      total += s;
      if (rows[r][0] == "20" && rows[0][c] == "5000") cell = s;
    }
  EXPECT_GT(total, 2.0) << hits.out;
  EXPECT_GE(cell, 0.9 * total) << hits.out;

  // The grid for reading: the highest load on top; map 2 was never active.
  const Result grid = tool({"log", "hits", qpath("held.ignlog")});
  ASSERT_EQ(grid.code, 0);
  EXPECT_EQ(grid.out.rfind("  TP [%]   1500   2000", 0), 0u) << grid.out;
  EXPECT_EQ(grid.out.find("\n     100"), grid.out.find('\n')) << grid.out;
  const Result second = tool({"log", "hits", qpath("held.ignlog"), "--map", "2"});
  ASSERT_EQ(second.code, 0);
  EXPECT_NE(second.err.find("0.0 s in advance map 2"), std::string::npos) << second.err;
  EXPECT_EQ(tool({"log", "hits", qpath("held.ignlog"), "--map", "3"}).code, 2);
}

TEST_F(UnitTool, DiffUnitComparesAFileWithTheUnitByName) {
  startSim({});
  q3::IgnDocument doc(model, q3::dialogs());
  model.image().setByte(ImageByte::Limiter, 115);
  ASSERT_TRUE(doc.save(path("mine.ign")));
  const Result r = tool({"diff", "--unit", "--names", qpath("mine.ign"), "--device", device});
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_EQ(r.out, "Miscellaneous\n  Limiter [rpm] 11500 → 11000\n") << r.err;
  EXPECT_EQ(tool({"diff", "--unit", "--device", device}).code, 2);
}

}  // namespace
