// quelin3-tool check-update run as a program against a local server: what it
// prints and its exit codes.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <string>

#include "update/http_test_server.h"

namespace {

using q3test::TestHttpServer;

struct ToolRun {
  int code = -1;
  std::string out, err;
};

// Runs the tool while this thread's event loop keeps the server answering.
ToolRun checkUpdate(const QStringList& args, const QString& envServer = {}) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QUELIN3_DATA_DIR", QString(Q3_TEST_DATA_DIR));
  if (envServer.isEmpty())
    env.remove("QUELIN3_UPDATE_SERVER");
  else
    env.insert("QUELIN3_UPDATE_SERVER", envServer);
  p.setProcessEnvironment(env);
  p.start(Q3_TOOL, QStringList{"check-update"} + args);
  ToolRun r;
  if (!p.waitForStarted()) return r;
  q3test::spinUntil([&] { return p.state() == QProcess::NotRunning; }, 20000);
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput().toStdString();
  r.err = p.readAllStandardError().toStdString();
  return r;
}

const QByteArray kOffer =
    "<product class=\"QUELIN3\" key=\"104\">"
    "<recommendation update_number=\"0x10\" from=\"2022_01_01\" to=\"2023_01_01\">"
    "<english>Sixteen</english><czech>Šestnáct</czech>"
    "<web>http://127.0.0.1/news</web><download>https://elsewhere.example.com/setup.exe</download>"
    "</recommendation></product>";

TEST(CheckUpdateCli, PrintsTheOfferForTheBuildDate) {
  TestHttpServer server;
  server.answer(200, kOffer);
  const QString url = server.url().toString();
  ToolRun r = checkUpdate({"--server", url, "--build-date", "2022_06_21"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "update 16\ntext: Sixteen\ntext (czech): Šestnáct\nweb: http://127.0.0.1/news\n");
  // The foreign download link is named on stderr and not printed.
  EXPECT_NE(r.err.find("<download> left out: not on the update server's host"), std::string::npos)
      << r.err;

  // Outside the recommendation's dates there is nothing to offer.
  r = checkUpdate({"--server", url, "--build-date", "2023_01_01"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "no update\n");

  // Without --server the environment names the server.
  r = checkUpdate({"--build-date", "2022_06_21"}, url);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out.substr(0, 10), "update 16\n");
}

TEST(CheckUpdateCli, ExitCodes) {
  TestHttpServer notFound;
  notFound.answer(404, "<html>no</html>");
  TestHttpServer silent;
  silent.setMode(TestHttpServer::Mode::Silent);
  const QString closed = QString("http://127.0.0.1:%1").arg(q3test::closedPort());
  struct Case {
    const char* name;
    QStringList args;
    int code;
    const char* out;
  };
  const Case cases[] = {
      {"HTTP error status", {"--server", notFound.url().toString()}, 0, "no update\n"},
      {"no listener", {"--server", closed}, 2, ""},
      {"out of time", {"--server", silent.url().toString(), "--time-limit", "800"}, 2, ""},
      {"not a web address", {"--server", "ftp://x"}, 2, ""},
      {"bad build date", {"--server", closed, "--build-date", "2022-06-21"}, 2, ""},
      {"unknown argument", {"--verbose"}, 2, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRun r = checkUpdate(c.args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_EQ(r.out, c.out);
  }
}

}  // namespace
