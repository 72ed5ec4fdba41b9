// The archive where it meets the disk: EXPORT keeps every entry inside its
// target folder, and SAVE replaces the host whole, so a kill or a full disk
// leaves the old archive readable with all its entries.
#include <gtest/gtest.h>

#include <cstring>

#include "files/embedded_archive.h"
#include "files/files_fixture.h"
#include "write_faults.h"

namespace {

using q3::EmbeddedArchive;
using q3test::WriteFault;

class ArchiveSafetyTest : public q3test::ScratchDir {
 protected:
  // A host whose archive holds one file in the root, renamed afterwards to
  // `name` in the stored record (names an archive of ours never holds).
  std::string hostWithEntryNamed(const std::string& name) {
    const std::string host = path("host.bin");
    writeAll(host, std::string(300, 'h'));
    EmbeddedArchive v;
    v.execute("OPEN \"" + host + "\"");
    v.execute("SET " + std::string(52, 'A') + " payload");
    EXPECT_TRUE(v.save());
    std::string bytes = readAll(host);
    const size_t rec = size_t(v.hostOffset() + 255) / 256 * 256 + 32 + 79;
    EXPECT_EQ(bytes.substr(rec, 52), std::string(52, 'A'));
    std::memset(&bytes[rec], 0, 53);
    std::memcpy(&bytes[rec], name.data(), name.size());
    writeAll(host, bytes);
    return host;
  }
};

TEST_F(ArchiveSafetyTest, ExportRefusesNamesThatLeaveTheTargetFolder) {
  const char* names[] = {"..",  ".",     "..\\..\\x", "../../x", "/tmp/q3-abs-x",
                         "C:x", "c:\\x", "a/b",       "a\\b"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    const std::string host = hostWithEntryNamed(name);
    std::filesystem::remove_all(dir / "deep");
    std::filesystem::create_directories(dir / "deep" / "er" / "out");
    EmbeddedArchive v;
    v.execute("OPEN \"" + host + "\"");
    ASSERT_EQ(v.root().children.size(), 1u);
    v.console().clear();
    EXPECT_EQ(v.execute("EXPORT \"\" \"" + path("deep/er/out") + "\""), EmbeddedArchive::kExported);
    EXPECT_TRUE(v.lastFailed());
    EXPECT_NE(v.console().find(" (error)"), std::string::npos);
    EXPECT_NE(v.errors().find("leaves the target folder: \"" + std::string(name) + "\""),
              std::string::npos)
        << v.errors();
    EXPECT_FALSE(std::filesystem::exists(dir / "deep" / "x"));
    EXPECT_FALSE(std::filesystem::exists("/tmp/q3-abs-x"));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "deep" / "er" / "out"));
  }
}

TEST_F(ArchiveSafetyTest, SaveUnderKillsAndFullDiskLeavesAReadableArchive) {
  // The old host: program bytes and an archive of three entries.
  const std::string host = path("quelin3");
  writeAll(host, std::string(1000, 'p'));
  {
    EmbeddedArchive v;
    v.execute("OPEN \"" + host + "\"");
    v.execute("MKDIR \\NEW_104");
    v.execute("SET \\NEW_104\\a.ign \"" + std::string(3000, 'a') + "\"");
    v.execute("SET \\b.ign bbb");
    ASSERT_TRUE(v.save());
  }
  const std::string old = readAll(host);
  auto save = [](const std::string& p) {
    EmbeddedArchive v;
    v.execute("OPEN \"" + p + "\"");
    v.execute("SET \\c.ign \"" + std::string(20000, 'c') + "\"");
    v.execute("DELETE \\b.ign");
    return v.save() ? std::string() : v.errors();
  };
  for (WriteFault f : {WriteFault::KillAtFirstWrite, WriteFault::KillAtRename,
                       WriteFault::FileSizeLimit, WriteFault::FullDisk}) {
    SCOPED_TRACE(q3test::writeFaultName(f));
    const q3test::WriteFaultRun r = q3test::runWriteWithFault(f, dir.string(), host, old, save);
    if (r.skipped) continue;
    EXPECT_EQ(r.content, old);
    if (!r.killed)
      EXPECT_NE(r.message.find(q3test::writeFaultCause(f)), std::string::npos) << r.message;
    writeAll(path("check"), r.content);
    EmbeddedArchive back;
    EXPECT_EQ(back.load(path("check")), EmbeddedArchive::kLoadOk);
    ASSERT_NE(back.find("\\NEW_104\\a.ign"), nullptr);
    ASSERT_NE(back.find("\\b.ign"), nullptr);
    EXPECT_EQ(back.find("\\c.ign"), nullptr);
  }
  // Without a fault the new archive replaces the old one.
  EXPECT_EQ(save(host), "");
  EmbeddedArchive back;
  EXPECT_EQ(back.load(host), EmbeddedArchive::kLoadOk);
  EXPECT_NE(back.find("\\c.ign"), nullptr);
  EXPECT_EQ(back.find("\\b.ign"), nullptr);
  EXPECT_EQ(readAll(host).substr(0, 1000), std::string(1000, 'p'));
}

}  // namespace
