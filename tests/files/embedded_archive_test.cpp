// The archive of default files: host layout, compression, cut-back, commands.
#include "files/embedded_archive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "files/default_archive.h"
#include "files/files_fixture.h"

namespace {

using q3::ArchiveEntry;
using q3::EmbeddedArchive;

class EmbeddedArchiveTest : public q3test::ScratchDir {
 protected:
  // A host of n bytes that are not zero, so padding is told apart.
  std::string makeHost(const std::string& leaf, size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char('A' + i % 23);
    writeAll(path(leaf), s);
    return s;
  }
  // Runs commands, returning the console text of the last one.
  std::string run(EmbeddedArchive& v, const std::string& line) {
    v.console().clear();
    v.execute(line);
    return v.console();
  }
  static std::string randomBytes(size_t n, unsigned seed) {
    std::mt19937 g(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = char(g());
    return s;
  }
};

TEST_F(EmbeddedArchiveTest, RecordLayoutIsByteExact) {
  ArchiveEntry d;
  d.name = "NEW_104";
  d.dir = true;
  d.offset = 0x01020304;
  d.time = 0x1122334455667788ULL;
  d.children.resize(3);
  auto r = d.record();
  ASSERT_EQ(r.size(), 79u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.data())), "NEW_104");
  EXPECT_EQ(r[7], 0);
  EXPECT_EQ(r[53], 0x04);
  EXPECT_EQ(r[56], 0x01);
  EXPECT_EQ(r[57], 3 * 79);  // a directory's size on disk: count x 79
  EXPECT_EQ(r[65], 0x88);
  EXPECT_EQ(r[72], 0x11);
  EXPECT_EQ(r[73], 3);
  EXPECT_EQ(r[74], 0x80);  // bit 15: directory

  ArchiveEntry back;
  ASSERT_TRUE(back.setRecord(r.data()));
  EXPECT_TRUE(back.dir);
  EXPECT_EQ(back.children.size(), 3u);
  EXPECT_EQ(back.name, "NEW_104");
  EXPECT_EQ(back.time, d.time);

  std::array<uint8_t, 79> unterminated;
  unterminated.fill('x');
  EXPECT_FALSE(back.setRecord(unterminated.data()));
}

TEST_F(EmbeddedArchiveTest, SaveOnHostWithoutArchiveStartsAtNext256Boundary) {
  std::string original = makeHost("host.bin", 1000);
  EmbeddedArchive v;
  ASSERT_EQ(v.execute("OPEN " + path("host.bin")), EmbeddedArchive::kOpened);
  EXPECT_EQ(v.hostOffset(), 1000u);
  EXPECT_EQ(run(v, "SET \\A\\note.txt \"hello\""),
            "SET \\A\\note.txt \"hello\"\n (file rewritten)\n");
  EXPECT_EQ(run(v, "SAVE"), "SAVE\n (stored 242 bytes - 2 items)\n");

  std::string host = readAll(path("host.bin"));
  ASSERT_EQ(host.size(), 1024u + 32 + 79 + 79 + 79 + 5);
  EXPECT_EQ(host.substr(0, 1000), original);
  EXPECT_EQ(host.substr(1000, 24), std::string(24, '\0'));
  EXPECT_EQ(std::memcmp(host.data() + 1024, q3::kArchiveMarker.data(), 32), 0);
  // Root record: a directory of one child whose records follow it directly.
  const auto* root = reinterpret_cast<const uint8_t*>(host.data() + 1056);
  EXPECT_EQ(root[0], 0);
  EXPECT_EQ(root[53], 79);
  EXPECT_EQ(root[73], 1);
  EXPECT_EQ(root[74], 0x80);
  EXPECT_EQ(host.substr(host.size() - 5), "hello");

  EmbeddedArchive again;
  ASSERT_EQ(again.load(path("host.bin")), EmbeddedArchive::kLoadOk);
  EXPECT_EQ(again.hostOffset(), 1024u);
  const ArchiveEntry* f = again.find("a\\NOTE.TXT");
  ASSERT_NE(f, nullptr);
  std::vector<uint8_t> content;
  ASSERT_TRUE(EmbeddedArchive::content(*f, content));
  EXPECT_EQ(std::string(content.begin(), content.end()), "hello");
}

TEST_F(EmbeddedArchiveTest, MarkerOffTheBoundaryIsNotFound) {
  std::string host = makeHost("host.bin", 600);
  host.replace(300, 32, reinterpret_cast<const char*>(q3::kArchiveMarker.data()), 32);
  writeAll(path("host.bin"), host);
  EmbeddedArchive v;
  EXPECT_EQ(v.load(path("host.bin")), EmbeddedArchive::kLoadNoArchive);
  EXPECT_EQ(v.hostOffset(), 600u);
  EXPECT_TRUE(v.isOpen());
}

TEST_F(EmbeddedArchiveTest, FilesUpTo100BytesAndIncompressibleFilesAreStoredPlain) {
  struct Case {
    const char* name;
    std::string data;
    bool packed;
  } cases[] = {
      {"plain100.bin", std::string(100, 'a'), false},
      {"random101.bin", randomBytes(101, 7), false},
      {"text101.bin", std::string(101, 'a'), true},
      {"random5000.bin", randomBytes(5000, 9), false},
  };
  std::filesystem::create_directories(dir / "src");
  for (auto& c : cases) writeAll((dir / "src" / c.name).string(), c.data);
  makeHost("host.bin", 10);
  EmbeddedArchive v;
  v.execute("OPEN " + path("host.bin"));
  ASSERT_EQ(run(v, "IMPORT " + (dir / "src").string() + " \"\""),
            "IMPORT " + (dir / "src").string() + " \"\"\n (4 files added)\n");
  ASSERT_EQ(v.execute("SAVE"), EmbeddedArchive::kStored);

  EmbeddedArchive back;
  ASSERT_EQ(back.load(path("host.bin")), EmbeddedArchive::kLoadOk);
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ArchiveEntry* f = back.find(std::string("\\src\\") + c.name);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->size, c.data.size());
    if (c.packed) {
      EXPECT_GT(f->storedSize, 0u);
      EXPECT_LT(f->storedSize, c.data.size());
    } else {
      EXPECT_EQ(f->storedSize, 0u);
    }
    std::vector<uint8_t> content;
    ASSERT_TRUE(EmbeddedArchive::content(*f, content));
    EXPECT_EQ(std::string(content.begin(), content.end()), c.data);
  }
}

TEST_F(EmbeddedArchiveTest, ClearAndSaveCutsTheHostBackToItsOriginalLength) {
  std::string original = makeHost("host.bin", 1000);
  std::filesystem::permissions(path("host.bin"), std::filesystem::perms::owner_all);
  {
    EmbeddedArchive v;
    v.execute("OPEN " + path("host.bin"));
    v.execute("SET big.txt \"" + std::string(300, 'x') + "\"");
    v.execute("MKDIR \\d1\\d2");
    ASSERT_EQ(run(v, "SAVE").find("(error)"), std::string::npos);
    ASSERT_GT(readAll(path("host.bin")).size(), 1400u);
    // A smaller archive replaces a larger one without leaving its tail behind.
    v.execute("DELETE big.txt");
    v.execute("SAVE");
    EXPECT_EQ(readAll(path("host.bin")).size(), 1024u + 32 + 79 * 3);
    EXPECT_EQ(run(v, "CLEAR"), "CLEAR\n (cleared)\n");
    EXPECT_EQ(run(v, "SAVE"), "SAVE\n (stored 79 bytes - 0 items)\n");
    EXPECT_EQ(readAll(path("host.bin")), original);
    EXPECT_FALSE(std::filesystem::exists(path("host.bin.tmp")));
    // An executable host stays executable.
    auto perms = std::filesystem::status(path("host.bin")).permissions();
    EXPECT_NE(perms & std::filesystem::perms::owner_exec, std::filesystem::perms::none);
    v.execute("SET a.txt a");
    v.execute("SAVE");
  }
  // Opened later, the archive is known only by its marker: clearing it cuts
  // the host back to the marker, keeping the padding in front of it.
  EmbeddedArchive v;
  v.execute("OPEN " + path("host.bin"));
  v.execute("CLEAR");
  v.execute("SAVE");
  std::string host = readAll(path("host.bin"));
  EXPECT_EQ(host.size(), 1024u);
  EXPECT_EQ(host.substr(0, 1000), original);
}

TEST_F(EmbeddedArchiveTest, NamesCompareWithoutCase) {
  std::filesystem::create_directories(dir / "disk");
  writeAll((dir / "disk" / "A.IGN").string(), "new content");
  EmbeddedArchive v;
  v.execute("SET \\Bikes\\a.ign old");
  ASSERT_NE(v.find("\\BIKES\\A.ign"), nullptr);
  EXPECT_EQ(run(v, "import \\bikes\\A.IGN " + (dir / "disk").string()),
            "import \\bikes\\A.IGN " + (dir / "disk").string() + "\n (1 file added)\n");
  const ArchiveEntry& bikes = *v.find("bikes");
  ASSERT_EQ(bikes.children.size(), 1u);
  std::vector<uint8_t> content;
  ASSERT_TRUE(EmbeddedArchive::content(*bikes.children[0], content));
  EXPECT_EQ(std::string(content.begin(), content.end()), "new content");
}

TEST_F(EmbeddedArchiveTest, CommandResults) {
  struct Step {
    const char* line;
    const char* result;  // console text after the echoed line
    int code;
  } steps[] = {
      {"MKDIR \\a\\b", " (directory created)\n", EmbeddedArchive::kDone},
      {"MKDIR a", " (directory created)\n", EmbeddedArchive::kDone},
      {"SET \\a\\b\\x.ign 1", " (file rewritten)\n", EmbeddedArchive::kDone},
      {"SET \\a\\b\\y.ign \"2 3\"", " (file rewritten)\n", EmbeddedArchive::kDone},
      {"SET \\a\\b \"text\"", " (error)\n", EmbeddedArchive::kDone},  // a directory
      {"MKDIR \\a\\b\\x.ign", " (error)\n", EmbeddedArchive::kDone},  // a file
      {"RENAME \\a\\b\\x.ign \\a\\b\\z.ign", " (1 file renamed)\n", EmbeddedArchive::kDone},
      {"RENAME \\a\\b\\missing \\a\\b\\q", " (error)\n", EmbeddedArchive::kDone},
      {"RENAME \\a\\b\\z.ign \\nowhere\\z.ign", " (error)\n", EmbeddedArchive::kDone},
      {"RENAME \\a\\b\\z.ign \\z.ign", " (1 file renamed)\n",
       EmbeddedArchive::kDone},  // moves to the root
      {"SET \\a\\b\\z.ign again", " (file rewritten)\n", EmbeddedArchive::kDone},
      {"RENAME \\a\\b\\z.ign \\z.ign", " (error)\n", EmbeddedArchive::kDone},  // root holds z.ign
      {"RENAME \\a \\a\\b\\a", " (error)\n", EmbeddedArchive::kDone},  // into its own subtree
      {"DELETE \\a", " (4 files deleted)\n", EmbeddedArchive::kDone},
      {"DELETE \\a", " (error)\n", EmbeddedArchive::kDone},
      {"  delete\t\"z.ign\"  ", " (1 files deleted)\n", EmbeddedArchive::kDone},
      {"FROB x", " (error)\n", EmbeddedArchive::kNone},
  };
  EmbeddedArchive v;
  for (const auto& s : steps) {
    SCOPED_TRACE(s.line);
    v.console().clear();
    EXPECT_EQ(v.execute(s.line), s.code);
    EXPECT_EQ(v.console(), std::string(s.line) + "\n" + s.result);
  }
  EXPECT_TRUE(v.root().children.empty());
  EXPECT_NE(v.errors().find("ERROR - directory name used already for file: x.ign\n"),
            std::string::npos);
}

TEST_F(EmbeddedArchiveTest, ExportWritesTreeWithTimeStamps) {
  std::filesystem::create_directories(dir / "in" / "sub");
  writeAll((dir / "in" / "one.ign").string(), std::string(500, 'q'));
  writeAll((dir / "in" / "sub" / "two.ign").string(), "2");
  writeAll((dir / "in" / ".hidden").string(), "skip me");
  std::filesystem::last_write_time(
      dir / "in" / "one.ign",
      std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));
  EmbeddedArchive v;
  EXPECT_EQ(run(v, "IMPORT " + (dir / "in").string() + " \\"),
            "IMPORT " + (dir / "in").string() + " \\\n (2 files added)\n");
  std::filesystem::create_directories(dir / "out");
  EXPECT_EQ(run(v, "EXPORT \\in " + (dir / "out").string()),
            "EXPORT \\in " + (dir / "out").string() + "\n (2 files extracted)\n");
  EXPECT_EQ(readAll((dir / "out" / "in" / "one.ign").string()), std::string(500, 'q'));
  EXPECT_EQ(readAll((dir / "out" / "in" / "sub" / "two.ign").string()), "2");
  EXPECT_FALSE(std::filesystem::exists(dir / "out" / "in" / ".hidden"));
  // Time stamps travel in 100 ns units.
  auto drift = std::filesystem::last_write_time(dir / "out" / "in" / "one.ign") -
               std::filesystem::last_write_time(dir / "in" / "one.ign");
  EXPECT_LT(std::chrono::abs(drift), std::chrono::microseconds(1));
  EXPECT_EQ(v.execute("EXPORT \\in\\sub\\two.ign " + (dir / "out").string()),
            EmbeddedArchive::kExported);
  EXPECT_EQ(v.console().substr(v.console().rfind('\n', v.console().size() - 2)),
            "\n (1 file extracted)\n");
}

TEST_F(EmbeddedArchiveTest, ImportLimits) {
  std::filesystem::create_directories(dir / "d");
  writeAll((dir / "d" / "huge.bin").string(), std::string(5242881, 'h'));
  writeAll((dir / "d" / "max.bin").string(), std::string(5242880, 'm'));
  EmbeddedArchive v;
  EXPECT_NE(run(v, "IMPORT huge.bin " + (dir / "d").string()).find(" (error)\n"),
            std::string::npos);
  EXPECT_NE(v.errors().find("ERROR - file >5M:"), std::string::npos);
  EXPECT_NE(run(v, "IMPORT max.bin " + (dir / "d").string()).find(" (1 file added)"),
            std::string::npos);
  v.errors().clear();
  EXPECT_NE(run(v, "IMPORT gone.bin " + (dir / "d").string()).find(" (error)"), std::string::npos);
  EXPECT_NE(v.errors().find("ERROR - can't open file:"), std::string::npos);
  v.execute("MKDIR \\folder");
  writeAll((dir / "d" / "folder").string(), "x");
  EXPECT_NE(run(v, "IMPORT folder " + (dir / "d").string()).find(" (error)"), std::string::npos);
  EXPECT_NE(v.errors().find("ERROR - file name used already for directory: folder"),
            std::string::npos);
}

TEST_F(EmbeddedArchiveTest, DamagedArchiveClosesUntilReopenedOrCleared) {
  std::string host(512, 'h');
  host.replace(256, 32, reinterpret_cast<const char*>(q3::kArchiveMarker.data()), 32);
  // A root record that claims 5 children with no bytes behind it.
  ArchiveEntry root;
  root.dir = true;
  root.children.resize(5);
  auto rec = root.record();
  host.replace(288, 79, reinterpret_cast<const char*>(rec.data()), 79);
  host.resize(288 + 79);
  writeAll(path("host.bin"), host);

  EmbeddedArchive v;
  EXPECT_EQ(run(v, "OPEN " + path("host.bin")), "OPEN " + path("host.bin") + "\n (error)\n");
  EXPECT_FALSE(v.isOpen());
  EXPECT_EQ(v.execute("SET a b"), EmbeddedArchive::kNone);
  EXPECT_EQ(v.execute("CLEAR"), EmbeddedArchive::kOpened);
  EXPECT_EQ(v.execute("SET a b"), EmbeddedArchive::kDone);
  // Saving replaces the damaged archive in place.
  EXPECT_EQ(run(v, "SAVE"), "SAVE\n (stored 159 bytes - 1 items)\n");
  EmbeddedArchive back;
  EXPECT_EQ(back.load(path("host.bin")), EmbeddedArchive::kLoadOk);
  EXPECT_EQ(back.hostOffset(), 256u);
  EXPECT_NE(back.find("A"), nullptr);
}

TEST_F(EmbeddedArchiveTest, CommandLineSplitting) {
  struct Case {
    const char* line;
    const char *cmd, *a1, *a2;
  } cases[] = {
      {"  IMPORT  \"C:\\my dir\\x\"   \"\"  ", "IMPORT", "C:\\my dir\\x", ""},
      {"\tsave\t", "save", "", ""},
      {"SET \\a \"two words\" ignored", "SET", "\\a", "two words"},
      {"RENAME a\tb", "RENAME", "a", "b"},
  };
  for (const auto& c : cases) {
    std::string cmd, a1, a2;
    ASSERT_TRUE(q3::archiveSplit(c.line, cmd, a1, a2)) << c.line;
    EXPECT_EQ(cmd, c.cmd);
    EXPECT_EQ(a1, c.a1);
    EXPECT_EQ(a2, c.a2);
  }
  std::string cmd, a1, a2;
  EXPECT_FALSE(q3::archiveSplit(" \t ", cmd, a1, a2));
}

TEST_F(EmbeddedArchiveTest, StartUpImportsTheDefaultFolderOnlyWhenTheProgramCarriesNoArchive) {
  std::filesystem::create_directories(dir / "VAZOV" / "NEW_104");
  std::filesystem::create_directories(dir / "bin");
  writeAll((dir / "VAZOV" / "NEW_104" / "Harley.ign").string(), "KORVELAN_KEY 104");
  std::string program = makeHost("bin/quelin3", 700);

  EmbeddedArchive v;
  ASSERT_TRUE(q3::loadStartupArchive(v, path("bin/quelin3"), path("bin")));
  EXPECT_NE(v.find("\\NEW_104\\Harley.ign"), nullptr);
  EXPECT_EQ(readAll(path("bin/quelin3")), program);  // nothing written

  // A program file that carries an archive is used as it is.
  EmbeddedArchive carrier;
  carrier.load(path("bin/quelin3"));
  carrier.execute("SET \\own\\x.ign 1");
  ASSERT_TRUE(carrier.save());
  EmbeddedArchive again;
  ASSERT_TRUE(q3::loadStartupArchive(again, path("bin/quelin3"), path("bin")));
  EXPECT_EQ(again.find("\\NEW_104"), nullptr);
  EXPECT_NE(again.find("\\own\\x.ign"), nullptr);
}

}  // namespace
