// The main() of every test program. ctest runs the cases of one program side
// by side, each in a process of its own (gtest_discover_tests), so whatever a
// process would otherwise share with its siblings is made its own here: the
// temporary folder (QDir::tempPath, QTemporaryDir, tmpfile and the local
// sockets of the port-release server), the user's data, configuration and
// cache folders (QStandardPaths) and the name of the port-release socket.
// The folder is removed when the process ends.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

bool listingOnly(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) == "--gtest_list_tests") return true;
  return false;
}

// A fresh folder for this process, the new temporary folder (short: some
// tests see their paths in texts of a bounded length); "" when none could be made.
std::string isolate() {
  const char* tmp = std::getenv("TMPDIR");
  std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/q3-XXXXXX";
  if (!::mkdtemp(tmpl.data())) return {};
  const std::string root = tmpl;
  const struct {
    const char* variable;
    const char* leaf;
  } folders[] = {
      {"XDG_DATA_HOME", "/.data"}, {"XDG_CONFIG_HOME", "/.config"}, {"XDG_CACHE_HOME", "/.cache"}};
  ::setenv("TMPDIR", root.c_str(), 1);
  for (const auto& f : folders) {
    const std::string dir = root + f.leaf;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    ::setenv(f.variable, dir.c_str(), 1);
  }
  if (const char* server = std::getenv("QUELIN3_PORT_SERVER"); server && *server)
    ::setenv("QUELIN3_PORT_SERVER",
             (std::string(server) + "-" + std::to_string(::getpid())).c_str(), 1);
  return root;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string root = listingOnly(argc, argv) ? std::string() : isolate();
  ::testing::InitGoogleTest(&argc, argv);
  const int rc = RUN_ALL_TESTS();
  if (!root.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
  return rc;
}
