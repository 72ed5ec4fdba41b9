// Open, save and quick-save over the model; history, dropped files and the
// service tools' report.
#include "files/ign_document.h"

#include <gtest/gtest.h>

#include "files/files_fixture.h"
#include "files/service_tools.h"
#include "text/mstring.h"

namespace {

using namespace q3;

class IgnDoc : public q3test::ScratchDir {
 protected:
  void SetUp() override {
    ScratchDir::SetUp();
    setLanguage(0);
    doc.hooks().captionChanged = [this](const std::string& s) { caption = s; };
    doc.hooks().commitActivePage = [this] { ++commits; };
    doc.hooks().clearNewInstal = [this] { newInstalCleared = true; };
  }
  ParamModel model;
  q3test::MessageRecorder messages;
  IgnDocument doc{model, messages};
  std::string caption;
  int commits = 0;
  bool newInstalCleared = false;
};

TEST_F(IgnDoc, QuickSaveTakesTheNextFreeNumber) {
  writeAll(path("race_001.ign"), "x");
  writeAll(path("race_007.ign"), "x");
  writeAll(path("race_9.txt"), "x");     // other extension
  writeAll(path("other_012.ign"), "x");  // other stem
  model.image() = defaultImageForBike(3);
  ASSERT_TRUE(doc.save(path("race.ign")));
  std::string written = doc.quickSave();
  EXPECT_EQ(written, path("race_008.ign"));
  EXPECT_EQ(readAll(written), readAll(path("race.ign")));
  EXPECT_EQ(doc.currentFile(), path("race.ign"));
  EXPECT_EQ(caption, path("race_008.ign"));
  EXPECT_EQ(doc.history().entries(), std::vector<std::string>{path("race.ign")});
  EXPECT_EQ(doc.quickSave(), path("race_009.ign"));

  struct Case {
    std::vector<const char*> present;
    const char* current;
    const char* next;
  } cases[] = {
      {{}, "bike.ign", "bike_001.ign"},
      {{"bike_001.ign", "bike_007.ign"}, "bike.ign", "bike_008.ign"},
      {{"bike_0010.ign"}, "bike.ign", "bike_011.ign"},
      {{"bike_1234.ign"}, "bike.ign", "bike_1235.ign"},
      {{"my_bike.ign"}, "my_bike.ign", "my_bike_001.ign"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(dir / "q");
    std::filesystem::create_directories(dir / "q");
    for (auto* p : c.present) writeAll((dir / "q" / p).string(), "x");
    EXPECT_EQ(IgnDocument::nextVersionPath((dir / "q" / c.current).string()),
              (dir / "q" / c.next).string());
  }
  EXPECT_EQ(IgnDocument::nextVersionPath(path("noext")), "");
}

TEST_F(IgnDoc, QuickSaveNeedsASavedFileWithExtension) {
  model.image() = defaultImageForBike(3);
  EXPECT_FALSE(doc.canQuickSave());
  EXPECT_EQ(doc.quickSave(), "");
  ASSERT_TRUE(doc.save(path("plain")));
  EXPECT_FALSE(doc.canQuickSave());
  ASSERT_TRUE(doc.save(path("plain.ign")));
  EXPECT_TRUE(doc.canQuickSave());
}

TEST_F(IgnDoc, OpenOfAFileThatCannotBeReadDropsItFromHistory) {
  doc.history().add(path("gone.ign"));
  doc.history().add(path("other.ign"));
  ParamImage before = model.image();
  EXPECT_EQ(doc.load(path("gone.ign"), -1), IgnDocument::LoadResult::OpenError);
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0], "Open file error!");
  EXPECT_EQ(doc.history().entries(), std::vector<std::string>{path("other.ign")});
  EXPECT_TRUE(model.image() == before);
}

TEST_F(IgnDoc, OpenOfAKeylessFileOnlySanitises) {
  writeAll(path("nokey.ign"), "BIKE 5\r\nLIMITER 20\r\n");
  model.image().setByte(202, 200);
  EXPECT_EQ(doc.load(path("nokey.ign"), -1), IgnDocument::LoadResult::NotAccepted);
  EXPECT_EQ(model.image().byte(202), 200);
  EXPECT_EQ(doc.currentFile(), "");
  EXPECT_TRUE(doc.history().entries().empty());
  EXPECT_FALSE(newInstalCleared);
  EXPECT_EQ(commits, 0);
  EXPECT_TRUE(model.savedImage() == model.image());
}

TEST_F(IgnDoc, OpenMakesTheFileCurrentAndOneUndoStep) {
  model.image() = defaultImageForBike(20);
  ASSERT_TRUE(doc.save(path("a.ign")));
  model.image() = defaultImageForBike(7);
  model.resetHistory(0);
  EXPECT_EQ(doc.load(path("a.ign"), -1), IgnDocument::LoadResult::Loaded);
  EXPECT_TRUE(model.image() == defaultImageForBike(20));
  EXPECT_EQ(doc.currentFile(), path("a.ign"));
  EXPECT_EQ(caption, path("a.ign"));
  EXPECT_TRUE(newInstalCleared);
  EXPECT_EQ(commits, 1);
  EXPECT_FALSE(model.modified());
  EXPECT_TRUE(model.canUndo());
  ASSERT_TRUE(model.stepBack());
  model.restoreCurrent();
  EXPECT_TRUE(model.image() == defaultImageForBike(7));
}

TEST_F(IgnDoc, SaveThatCannotCreateTheFileChangesNothing) {
  model.image() = defaultImageForBike(3);
  ASSERT_TRUE(doc.save(path("first.ign")));
  EXPECT_FALSE(doc.save(path("missing/dir/x.ign")));
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0].substr(0, 17), "Open file error!\n");
  EXPECT_NE(messages.texts[0].find("no such file or directory"), std::string::npos);
  EXPECT_EQ(doc.currentFile(), path("first.ign"));
}

TEST(IgnHistoryList, AddMoveRemoveAndCaptions) {
  IgnHistory h;
  h.add("/a/one.ign");
  h.add("");
  h.add("/a/two.ign");  // the empty entry goes
  h.add("/a/one.ign");  // moves to the front
  EXPECT_EQ(h.entries(), (std::vector<std::string>{"/a/one.ign", "/a/two.ign"}));
  for (int i = 0; i < 11; ++i) h.add("/b/f" + std::to_string(i) + ".ign");
  EXPECT_EQ(h.entries().size(), 10u);
  EXPECT_EQ(h.entries().front(), "/b/f10.ign");
  EXPECT_EQ(h.entries().back(), "/b/f1.ign");
  h.remove("/b/f5.ign");
  EXPECT_EQ(h.entries().size(), 9u);
  EXPECT_EQ(h.caption(0), "0 f10");
  h.add("C:\\bikes\\race.v2.ign");
  EXPECT_EQ(h.caption(0), "0 race.v2");
  h.add("noext");
  EXPECT_EQ(h.caption(0), "0 noext");
}

TEST(IgnDropped, FirstIgnNameWithLoweredExtension) {
  struct Case {
    std::vector<std::string> names;
    const char* picked;
  } cases[] = {
      {{"notes.txt", "/x/A.IGN", "/x/b.ign"}, "/x/A.ign"},
      {{"notes.txt", "readme"}, ""},
      {{".ig", "x.Ign"}, "x.ign"},
      {{std::string(600, 'a') + ".ign", "ok.ign"}, "ok.ign"},
  };
  for (const auto& c : cases) EXPECT_EQ(IgnDocument::pickDroppedFile(c.names), c.picked);
}

TEST(ServiceTools, BikeFileNames) {
  struct Case {
    const char* text;
    const char* name;
  } cases[] = {
      {"Honda CBR 7P", "Honda CBR 7P"},
      {"3 Zylinder   1 Geber", "3 Zylinder (1 Geber)"},
      {"3 Zylinder   1 Geber - Kickstarter", "3 Zylinder (1 Geber - Kickstarter)"},
      {"a  b   ", "a b"},
      {"3 v\xc3\xa1lce 1 snima\xc4\x8d", "3 v\xe1lce 1 snima\xe8"},
  };
  for (const auto& c : cases) EXPECT_EQ(bikeFileName(c.text), c.name) << c.text;
  setLanguage(1);
  EXPECT_EQ(bikeFileNameOf(23), "3 Zylinder (1 Geber)");
  setLanguage(0);
  EXPECT_EQ(bikeFileNameOf(23), "3 Cylinder, 1 pickup");
  EXPECT_EQ(bikeFileNameOf(22), "bike_22");
}

class ServiceReport : public q3test::ScratchDir {};

TEST_F(ServiceReport, CompareAllReportsOnlyRealDifferences) {
  setLanguage(0);
  q3test::MessageRecorder messages;
  IgnWriteInfo info;
  info.exeDate = "Jan  1 2026";
  ASSERT_EQ(saveAllNew(path("old"), info, messages), kServiceBikes);
  info.exeDate = "Feb  2 2026";  // differs only in the build line
  ASSERT_EQ(saveAllNew(path("new"), info, messages), kServiceBikes);
  ASSERT_TRUE(compareAll(path("new"), path("old"), path("report.txt"), messages));
  std::string report = readAll(path("report.txt"));
  EXPECT_EQ(report.find("....line"), std::string::npos);
  const std::string separator = std::string(54, '-') + "   ";
  size_t separators = 0;
  for (size_t p = report.find(separator); p != std::string::npos; p = report.find(separator, p + 1))
    ++separators;
  EXPECT_EQ(separators, size_t(kServiceBikes));
  EXPECT_EQ(messages.texts.back(), "Results in file \"" + path("report.txt") + "\"");

  // BASE_ADV 10 -> 12 in one bike; one bike's reference missing.
  std::string file = path("new/Yamaha R6.ign");
  std::string text = readAll(file);
  size_t p = text.find("BASE_ADV          10 ");
  ASSERT_NE(p, std::string::npos);
  text.replace(p, 21, "BASE_ADV          12 ");
  writeAll(file, text);
  std::filesystem::remove(path("old/Honda CBR 7P.ign"));
  ASSERT_TRUE(compareAll(path("new"), path("old"), path("report.txt"), messages));
  report = readAll(path("report.txt"));
  EXPECT_NE(report.find("------------------------------------------------------   Yamaha R6\n"
                        "....line:17\n                   0  \n"
                        "BASE_ADV          12 \n\n"),
            std::string::npos)
      << report.substr(report.find("Yamaha R6"), 200);
  EXPECT_NE(report.find("   Honda CBR 7P\n!!!!!!!!!soubor \"old\" se nepodarilo otevrit \n"),
            std::string::npos);
}

}  // namespace
