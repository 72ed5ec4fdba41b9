// Shared pieces of the settings-file tests: a scratch folder per test and a
// recorder of the messages the core shows.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/scoped_state.h"

namespace q3test {

class MessageRecorder : public ScopedDialogs {
 public:
  void message(const std::string&, const std::string& text, q3::DialogKind) override {
    texts.push_back(text);
  }
  q3::Answer ask(const std::string&, const std::string& text, bool) override {
    texts.push_back(text);
    return q3::Answer::Yes;
  }
  std::vector<std::string> texts;
};

class ScratchDir : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    dir = std::filesystem::temp_directory_path() / ("q3files_" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string path(const std::string& leaf) const { return (dir / leaf).string(); }
  static std::string readAll(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void writeAll(const std::string& p, const std::string& s) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << s;
  }
  std::filesystem::path dir;
};

}  // namespace q3test
