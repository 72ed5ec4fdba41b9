// quelin3-tool defaults, run as a program: the format of default.ini and the
// trigger system of the chosen bike.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string run(const std::string& args, int* rc = nullptr) {
  const std::string cmd = std::string(Q3_TOOL_PATH) + " " + args + " 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int status = pclose(p);
  if (rc) *rc = WEXITSTATUS(status);
  return out;
}

std::vector<int> numbers(const std::string& text) {
  std::istringstream in(text);
  std::vector<int> v;
  int x;
  while (in >> x) v.push_back(x);
  return v;
}

}  // namespace

TEST(CliDefaults, Bike39TriggerSystem) {
  const std::vector<int> img = numbers(run("defaults --bike 39"));
  ASSERT_EQ(img.size(), 1050u);
  const std::vector<int> want = {14, 116, 4, 0, 198, 106, 228, 76, 205, 113, 235, 83};
  EXPECT_EQ(std::vector<int>(img.begin() + 184, img.begin() + 196), want);
  EXPECT_EQ(img[170], 39);
}

TEST(CliDefaults, DefaultIniLayout) {
  const std::string out = run("defaults");
  // 105 lines of ten "%5u " fields, an empty line after every tenth line.
  std::istringstream in(out);
  std::string line;
  int lines = 0, empty = 0;
  while (std::getline(in, line)) {
    if (line.empty()) {
      ++empty;
      EXPECT_EQ(lines % 10, 0) << "empty line after line " << lines;
      continue;
    }
    ++lines;
    EXPECT_EQ(line.size(), 60u) << line;
  }
  EXPECT_EQ(lines, 105);
  EXPECT_EQ(empty, 10);
  EXPECT_EQ(out.substr(170 / 10 * 61 + 170 / 100, 6), "   20 ");  // byte 170: bike 20
}

TEST(CliDefaults, OutputFileAndBadArguments) {
  const std::string path = ::testing::TempDir() + "/defaults_bike7.ini";
  int rc = -1;
  EXPECT_EQ(run("defaults --bike 7 -o " + path, &rc), "");
  EXPECT_EQ(rc, 0);
  FILE* f = std::fopen(path.c_str(), "r");
  ASSERT_NE(f, nullptr);
  std::string text(8000, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), f));
  std::fclose(f);
  EXPECT_EQ(text, run("defaults --bike 7"));
  for (const char* bad : {"defaults --bike 256", "defaults --bike x", "defaults --bike",
                          "defaults --nonsense 1", "defaults -o /nonexistent-dir/x.ini"}) {
    run(bad, &rc);
    EXPECT_NE(rc, 0) << bad;
  }
}
