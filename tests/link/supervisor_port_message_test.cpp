// The bootloader tool's port-release notification: the line format and a
// round trip over the local socket.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <string>
#include <vector>

#include "link/port_release_server.h"
#include "link/supervisor.h"

namespace q3 {
namespace {

TEST(PortMessageTest, LineFormat) {
  struct Case {
    const char* line;
    bool ok;
    int port;
    int32_t code;
  } cases[] = {
      {"3 2147483553\n", true, 3, kReleaseNow},
      {"3 0x7FFFFFA2", true, 3, kResetAndRelease},
      {"12 0x7fffffa4\r\n", true, 12, kTakeBack},
      {"3", false, 0, 0},
      {"", false, 0, 0},
      {"300 1", false, 0, 0},
      {"3 1 junk", false, 0, 0},
      {"x 1", false, 0, 0},
  };
  for (const auto& c : cases) {
    int port = 0;
    int32_t code = 0;
    EXPECT_EQ(parsePortMessage(c.line, port, code), c.ok) << c.line;
    if (!c.ok) continue;
    EXPECT_EQ(port, c.port) << c.line;
    EXPECT_EQ(code, c.code) << c.line;
  }
}

TEST(PortMessageTest, RoundTripOverTheLocalSocket) {
  int argc = 1;
  char arg0[] = "test";
  char* argv[] = {arg0, nullptr};
  std::unique_ptr<QCoreApplication> app;
  if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(argc, argv);
  const std::string name = "quelin3-test-" + std::to_string(::getpid());
  std::vector<std::pair<int, int32_t>> got;
  PortReleaseServer server([&](int p, int32_t c) { got.emplace_back(p, c); });
  ASSERT_TRUE(server.listen(name.c_str()));
  ASSERT_TRUE(sendPortMessage(4, kReleaseNow, name.c_str()));
  ASSERT_TRUE(sendPortMessage(4, kTakeBack, name.c_str()));
  QElapsedTimer t;
  t.start();
  while (got.size() < 2 && t.elapsed() < 3000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], std::make_pair(4, kReleaseNow));
  EXPECT_EQ(got[1], std::make_pair(4, kTakeBack));
  // A second program under the same name is refused while the first listens.
  PortReleaseServer second([](int, int32_t) {});
  EXPECT_FALSE(second.listen(name.c_str()));
  EXPECT_FALSE(sendPortMessage(4, kTakeBack, "quelin3-no-such-server", 200));
}

}  // namespace
}  // namespace q3
