// Settings: file-name encoding, key order, language codes, default.ini,
// service-mode file, command line and the safe file write.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/app_paths.h"
#include "base/app_settings.h"
#include "base/key_file.h"
#include "base/start_options.h"

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct TempDir {
  fs::path path;
  TempDir() {
    char tmpl[] = "/tmp/q3shellXXXXXX";
    path = mkdtemp(tmpl);
  }
  ~TempDir() { fs::remove_all(path); }
};

TEST(FileNameCodec, EncodesWideCharactersAndBackslashes) {
  struct Case {
    std::u16string name;
    std::string stored;
  };
  const Case cases[] = {
      {u"C:\\data\\bike.ign", "C:\\\\data\\\\bike.ign"},
      {u"/home/jan/ka\u010Dka.ign", "/home/jan/ka\\x010Dka.ign"},
      {u"\u00E9t\u00E9", "\xE9t\xE9"},  // Latin-1 characters stay one byte
      {u"\\\\server\\share", "\\\\\\\\server\\\\share"},
      {u"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(q3::encodeFileName(c.name), c.stored);
    EXPECT_EQ(q3::decodeFileName(c.stored), c.name);
  }
}

TEST(FileNameCodec, DecodesOldPlainPathsLiterallyAndLowerCaseHex) {
  struct Case {
    std::string stored;
    std::u16string name;
  };
  const Case cases[] = {
      {"C:\\data\\x0041.ign", u"C:\\data\\x0041.ign"},  // drive, colon, one backslash: literal
      {"\\\\server\\x1234", u"\\\\server\\x1234"},      // two backslashes + letter: literal
      {"d\\x010dx", u"d\u010Dx"},                       // lower-case digits
      {"bad\\xZZ", u"bad\\xZZ"},                        // a broken escape stays as it is
      {"end\\", u"end\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(q3::decodeFileName(c.stored), c.name) << c.stored;
}

TEST(KeyFile, ValuesAreCutAt8190Characters) {
  q3::KeyFile kf;
  kf.parse("[FORM_HLAV]\nFile=" + std::string(9000, 'a') + "\n");
  EXPECT_EQ(kf.value("FORM_HLAV", "File")->size(), 8190u);
  EXPECT_EQ(q3::decodeFileName(std::string(9000, 'b')).size(), 8190u);
}

TEST(KeyFile, IntegersFallBackToDefaultWhenMissingOrNotANumber) {
  q3::KeyFile kf;
  kf.parse("[form_hlav]\n Left = 17 \nTop=x12\nWidth=-3\n");
  EXPECT_EQ(kf.intValue("FORM_HLAV", "left", 5), 17);
  EXPECT_EQ(kf.intValue("FORM_HLAV", "Top", 5), 5);
  EXPECT_EQ(kf.intValue("FORM_HLAV", "Width", 5), -3);
  EXPECT_EQ(kf.intValue("FORM_HLAV", "Height", 5), 5);
}

TEST(AppSettings, SaveWritesKeysInTheirOrder) {
  q3::AppSettings s;
  s.rect = {10, 20, 640, 480};
  s.language = 2;
  s.file = u"C:\\a.ign";
  s.iniFileDir = u"C:\\";
  s.activePage = 3;
  s.monitorPlayer = true;
  s.newInstal = 0;
  s.comPort = -1;
  s.comPortAuto = 4;
  s.history = {u"C:\\a.ign", u"/b.ign"};
  q3::KeyFile kf;
  s.writeTo(kf);
  EXPECT_EQ(kf.text(),
            "[FORM_HLAV]\nLeft=10\nTop=20\nHeight=480\nWidth=640\nComPort=-1\nComPortAuto=4\n"
            "Language=3\nFile=C:\\\\a.ign\nIniFileDir=C:\\\\\nPageControl1->ActivePageIndex=3\n"
            "NEWINSTAL=0\nMONITORPLAYER=1\nMenuHistory00=C:\\\\a.ign\nMenuHistory01=/b.ign\n\n");
  q3::AppSettings back;
  back.readFrom(kf);
  EXPECT_EQ(back.rect, s.rect);
  EXPECT_EQ(back.language, 2);
  EXPECT_EQ(back.file, s.file);
  EXPECT_EQ(back.iniFileDir, s.iniFileDir);
  EXPECT_EQ(back.history, s.history);
  EXPECT_EQ(back.activePage, 3);
  EXPECT_TRUE(back.monitorPlayer);
  EXPECT_EQ(back.comPort, -1);
  EXPECT_EQ(back.comPortAuto, 4);
  EXPECT_EQ(back.newInstal, 0);
}

TEST(AppSettings, ShortenedHistoryDropsStaleKeysAndKeepsForeignKeys) {
  q3::KeyFile kf;
  kf.parse(
      "[FORM_HLAV]\nUpdateServer=http://x\nMenuHistory00=a\nMenuHistory01=b\n"
      "MenuHistory02=c\n[OTHER]\nk=v\n");
  q3::AppSettings s;
  s.history = {u"a"};
  s.writeTo(kf);
  EXPECT_FALSE(kf.value("FORM_HLAV", "MenuHistory01"));
  EXPECT_EQ(kf.value("FORM_HLAV", "UpdateServer").value_or(""), "http://x");
  EXPECT_EQ(kf.value("OTHER", "k").value_or(""), "v");
  q3::AppSettings back;
  back.readFrom(kf);
  EXPECT_EQ(back.history, std::vector<std::u16string>{u"a"});
}

TEST(AppSettings, DeclinedUpdateSurvivesASaveAndIsLeftOutWhileZero) {
  q3::AppSettings s;
  q3::KeyFile kf;
  s.writeTo(kf);
  EXPECT_FALSE(kf.value("FORM_HLAV", "DeclinedUpdate"));
  s.declinedUpdate = 7;
  s.writeTo(kf);
  s.writeTo(kf);  // written afresh, not twice
  EXPECT_EQ(kf.text().find("DeclinedUpdate=7"), kf.text().rfind("DeclinedUpdate="));
  q3::AppSettings back;
  back.readFrom(kf);
  EXPECT_EQ(back.declinedUpdate, 7);
  kf.set("FORM_HLAV", "DeclinedUpdate", "99999999999");  // no int: ignored
  back.readFrom(kf);
  EXPECT_EQ(back.declinedUpdate, 7);
}

TEST(AppSettings, MissingKeysKeepCurrentStateOrFixedDefaults) {
  q3::KeyFile kf;
  kf.parse("[FORM_HLAV]\nMenuHistory00=\nMenuHistory01=x\nMenuHistory02=\nMenuHistory03=y\n");
  q3::AppSettings s;
  s.rect = {1, 2, 3, 4};
  s.language = 1;
  s.activePage = 6;
  s.comPortAuto = 9;
  s.newInstal = 0;
  s.comPort = 5;
  s.monitorPlayer = true;
  s.readFrom(kf);
  EXPECT_EQ(s.rect, (q3::WindowRect{1, 2, 3, 4}));
  EXPECT_EQ(s.language, 1);
  EXPECT_EQ(s.activePage, 6);
  EXPECT_EQ(s.comPortAuto, 9);
  EXPECT_EQ(s.newInstal, 1);
  EXPECT_EQ(s.comPort, 0);
  EXPECT_FALSE(s.monitorPlayer);
  // Entry 0 is always taken (even empty); reading stops at the next empty one.
  EXPECT_EQ(s.history, (std::vector<std::u16string>{u"", u"x"}));
}

TEST(AppSettings, LanguageCodes) {
  struct Case {
    int code, before, after;
  };
  const Case cases[] = {{0, 2, 0}, {1, 0, 1}, {3, 0, 2}, {2, 1, 1}, {7, 2, 2}, {-1, 0, 0}};
  for (const Case& c : cases) {
    q3::KeyFile kf;
    kf.parse("[FORM_HLAV]\nLanguage=" + std::to_string(c.code) + "\n");
    q3::AppSettings s;
    s.language = c.before;
    s.readFrom(kf);
    EXPECT_EQ(s.language, c.after) << "code " << c.code;
  }
}

TEST(ImageDump, ExactFormat) {
  q3::ImageBytes img{};
  for (int i = 0; i < q3::kImageBytes; ++i) img[i] = static_cast<uint8_t>(i * 7);
  std::string text = q3::formatImageDump(img.data(), q3::kImageBytes);
  EXPECT_EQ(text.substr(0, 61), "    0     7    14    21    28    35    42    49    56    63 \n");
  // After the 100th value: the line break and an empty line.
  size_t at = 10 * 61 - 1;
  EXPECT_EQ(text.substr(at, 3), "\n\n ");
  // 1050 values, 105 lines, 10 empty lines.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 115);
  EXPECT_EQ(text.size(), 1050u * 6 + 115);
  q3::ImageBytes back{};
  EXPECT_EQ(q3::parseImageDump(text, back.data(), q3::kImageBytes), q3::kImageBytes);
  EXPECT_EQ(back, img);
}

TEST(ImageDump, ShortFileFillsOnlyItsNumbers) {
  std::string text;
  for (int i = 0; i < 500; ++i) text += std::to_string(i % 200) + (i % 3 ? "\t" : "\n  ");
  q3::ImageBytes img;
  img.fill(0xAB);
  EXPECT_EQ(q3::parseImageDump(text, img.data(), q3::kImageBytes), 500);
  for (int i = 0; i < 500; ++i) ASSERT_EQ(img[i], i % 200) << i;
  for (int i = 500; i < q3::kImageBytes; ++i) ASSERT_EQ(img[i], 0xAB) << i;
}

TEST(ImageDump, ReadsAtMost1050AndStopsAtAWord) {
  std::string longText;
  for (int i = 0; i < 1100; ++i) longText += "9 ";
  q3::ImageBytes img{};
  EXPECT_EQ(q3::parseImageDump(longText, img.data(), q3::kImageBytes), q3::kImageBytes);
  img.fill(1);
  EXPECT_EQ(q3::parseImageDump("4 5 junk 6", img.data(), q3::kImageBytes), 2);
  EXPECT_EQ(img[2], 1);
}

TEST(ImageDump, MissingFileLeavesImage) {
  q3::ImageBytes img;
  img.fill(3);
  EXPECT_FALSE(q3::readImageDump("/nonexistent/default.ini", img.data(), q3::kImageBytes));
  EXPECT_EQ(img[0], 3);
}

TEST(SafeWrite, ReplacesWholeFileAndLeavesNoTemporary) {
  TempDir d;
  fs::path p = d.path / "application.ini";
  ASSERT_TRUE(q3::writeFileSafely(p, "old content that is longer"));
  ASSERT_TRUE(q3::writeFileSafely(p, "new"));
  EXPECT_EQ(readAll(p), "new");
  int files = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(d.path)) ++files;
  EXPECT_EQ(files, 1);
}

TEST(SafeWrite, FullDiskKeepsTheOldFile) {
  TempDir d;
  fs::path p = d.path / "default.ini";
  ASSERT_TRUE(q3::writeFileSafely(p, "kept"));
  // A file-size limit makes the write fail part-way, as a full disk would.
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool ok = q3::writeFileSafely(p, std::string(5000, 'x')).ok;
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(ok);
  EXPECT_EQ(readAll(p), "kept");
  int files = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(d.path)) ++files;
  EXPECT_EQ(files, 1);
}

TEST(SafeWrite, MissingFolderFails) {
  EXPECT_FALSE(q3::writeFileSafely("/nonexistent-q3/dir/application.ini", "x"));
}

TEST(ServiceMode, Words) {
  struct Case {
    const char* text;
    bool enabled;
    int com;
  };
  const Case cases[] = {
      {"", false, 0},
      {"TEST_ENABLE", true, 0},
      {"TEST_COM 5\nTEST_ENABLE\n", true, 5},
      {"  TEST_COM\t12  ", false, 12},
      {"test_enable TEST_COMX 3", false, 0},
  };
  for (const Case& c : cases) {
    q3::ServiceMode m = q3::parseServiceMode(c.text);
    EXPECT_EQ(m.enabled, c.enabled) << c.text;
    EXPECT_EQ(m.testCom, c.com) << c.text;
  }
  EXPECT_FALSE(q3::readServiceModeFile("/nonexistent/service.txt").enabled);
}

// The data folder is decided in one place; every file of the program (the
// settings, the image, the port numbers) lives under it.
TEST(DataFolder, FromTheStartOptionsElseTheGenericDataLocation) {
  TempDir d;
  const std::string nested = (d.path / "a" / "b").string();
  struct Case {
    std::string option;
    std::string want;
  };
  const Case cases[] = {{nested, nested + "/"}, {nested + "/", nested + "/"}};
  q3::StartOptions o;
  for (const Case& c : cases) {
    o.dataDir = c.option;
    EXPECT_EQ(q3::dataFolder(o), c.want) << c.option;
    EXPECT_FALSE(fs::exists(nested)) << "asking for the folder creates nothing";
  }
  const q3::AppPaths p = q3::resolveAppPaths(o);
  EXPECT_TRUE(fs::is_directory(nested));
  EXPECT_EQ(p.applicationIni(), nested + "/application.ini");
  EXPECT_EQ(p.defaultIni(), nested + "/default.ini");
  EXPECT_EQ(p.errorLog(), nested + "/ZAR.err");
  const std::string generic = q3::dataFolder(q3::StartOptions{});
  EXPECT_NE(generic.find("/Korvelan/QUELIN3/104/"), std::string::npos) << generic;
  EXPECT_EQ(generic.back(), '/');
}

// The environment is read in one place, into the value main() hands down.
TEST(StartOptions, ReadFromTheEnvironmentOnce) {
  setenv("QUELIN3_EXTRA_PORTS", "/tmp/a::/tmp/b:", 1);
  setenv("QUELIN3_UPDATE_SERVER", "https://u.example.org", 1);
  const q3::StartOptions o = q3::StartOptions::fromEnvironment();
  unsetenv("QUELIN3_EXTRA_PORTS");
  unsetenv("QUELIN3_UPDATE_SERVER");
  EXPECT_EQ(o.extraPorts, (std::vector<std::string>{"/tmp/a", "/tmp/b"}));
  EXPECT_EQ(o.updateServer, "https://u.example.org");
  EXPECT_TRUE(q3::StartOptions::fromEnvironment().extraPorts.empty());
}

TEST(CommandLine, FirstArgumentCaseSensitive) {
  struct Case {
    std::vector<std::string> args;
    int language;
    bool noPatch;
  };
  const Case cases[] = {
      {{}, 1, false},
      {{"ENGLISH"}, 0, false},
      {{"DEUTSCH"}, 1, false},
      {{"CESKY"}, 2, false},
      {{"deutsch"}, 1, false},
      {{"nopatchcheck"}, 1, true},
      {{"NOPATCHCHECK"}, 1, false},
      {{"x", "CESKY"}, 1, false},
      {{"nopatchcheck", "ENGLISH"}, 1, true},
      {{"CESKY", "nopatchcheck"}, 2, false},
  };
  for (const Case& c : cases) {
    q3::CommandLineEffect e = q3::applyCommandLine(c.args, 1);
    EXPECT_EQ(e.language, c.language);
    EXPECT_EQ(e.noPatchCheck, c.noPatch);
  }
}

}  // namespace
