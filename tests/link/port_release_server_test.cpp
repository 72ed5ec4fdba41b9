// The port-release socket belongs to one user and can be given another name,
// so a test program's window never reaches (or blocks) a program that runs
// on the same machine.
#include "link/port_release_server.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "link/supervisor.h"

namespace q3 {
namespace {

TEST(PortReleaseServerName, PerUserUnlessReplaced) {
  struct Case {
    std::string option;  // the start option QUELIN3_PORT_SERVER
    std::string want;
  };
  const Case cases[] = {
      {"", "quelin3-104-" + std::to_string(::getuid())},
      {"quelin3-test-42", "quelin3-test-42"},
  };
  for (const Case& c : cases) EXPECT_EQ(portReleaseServerName(c.option), c.want) << c.option;
}

// Two programs under two names: a message reaches only the one it names.
TEST(PortReleaseServerName, ServersUnderTwoNamesDoNotMeet) {
  int argc = 1;
  char arg0[] = "test";
  char* argv[] = {arg0, nullptr};
  std::unique_ptr<QCoreApplication> app;
  if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(argc, argv);
  const std::string pid = std::to_string(::getpid());
  const std::string running = "quelin3-running-" + pid, mine = "quelin3-mine-" + pid;

  std::vector<int> toRunning, toMine;
  PortReleaseServer other([&](int p, int32_t) { toRunning.push_back(p); });
  PortReleaseServer own([&](int p, int32_t) { toMine.push_back(p); });
  ASSERT_TRUE(other.listen(running));
  ASSERT_TRUE(own.listen(mine));
  ASSERT_TRUE(sendPortMessage(5, kReleaseNow, mine));
  ASSERT_TRUE(sendPortMessage(6, kTakeBack, running));
  QElapsedTimer t;
  t.start();
  while (toRunning.size() + toMine.size() < 2 && t.elapsed() < 3000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(toMine, std::vector<int>{5});
  EXPECT_EQ(toRunning, std::vector<int>{6});
}

}  // namespace
}  // namespace q3
