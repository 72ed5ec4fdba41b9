// The one file write: what it replaces and what it leaves alone (links,
// FIFOs, permissions, concurrent writers), and the settings files written
// through it under kills, a size limit and a full disk.
#include "base/safe_write.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <thread>

#include "base/app_settings.h"
#include "base/key_file.h"
#include "write_faults.h"

namespace fs = std::filesystem;
using q3test::readFileBytes;
using q3test::WriteFault;

namespace {

struct TempDir {
  fs::path path;
  TempDir() {
    char tmpl[] = "/tmp/q3-safe-write-XXXXXX";
    path = ::mkdtemp(tmpl);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::string operator/(const char* leaf) const { return (path / leaf).string(); }
  int entries() const {
    int n = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(path)) ++n;
    return n;
  }
};

TEST(SafeWrite, KeepsPermissionsOfTheReplacedFile) {
  TempDir d;
  const std::string p = d / "private.ign";
  ASSERT_TRUE(q3::writeFileSafely(p, "old"));
  ASSERT_EQ(::chmod(p.c_str(), 0600), 0);
  ASSERT_TRUE(q3::writeFileSafely(p, "new"));
  struct stat st {};
  ASSERT_EQ(::stat(p.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(readFileBytes(p), "new");
}

TEST(SafeWrite, WritesThroughASymbolicLinkAndKeepsTheLink) {
  TempDir d;
  const std::string target = d / "real.ign";
  const std::string link = d / "link.ign";
  ASSERT_TRUE(q3::writeFileSafely(target, "old"));
  fs::create_symlink("real.ign", link);
  ASSERT_TRUE(q3::writeFileSafely(link, "new"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(readFileBytes(target), "new");
  EXPECT_EQ(d.entries(), 2);
}

TEST(SafeWrite, ALinkAtAFixedTemporaryNameIsNotFollowed) {
  // The temporary file is created exclusively under a unique name, so a link
  // someone placed beside the target under a guessable name is left alone.
  TempDir d;
  const std::string victim = d / "victim";
  ASSERT_TRUE(q3::writeFileSafely(victim, "precious"));
  const std::string p = d / "x.ign";
  for (const char* suffix : {".tmp~", ".tmp", ".tmp-XXXXXX"})
    fs::create_symlink(victim, p + suffix);
  ASSERT_TRUE(q3::writeFileSafely(p, "new"));
  EXPECT_EQ(readFileBytes(victim), "precious");
  EXPECT_EQ(readFileBytes(p), "new");
}

TEST(SafeWrite, AFifoIsWrittenDirectlyAndStaysAFifo) {
  TempDir d;
  const std::string fifo = d / "out.fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  std::string got;
  std::thread reader([&] { got = readFileBytes(fifo); });
  const q3::FileWriteResult r = q3::writeFileSafely(fifo, "through the pipe");
  reader.join();
  EXPECT_TRUE(r.ok) << r.message;
  EXPECT_EQ(got, "through the pipe");
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(d.entries(), 1);
}

TEST(SafeWrite, FailuresNameTheirCause) {
  TempDir d;
  const q3::FileWriteResult missing = q3::writeFileSafely(d / "no/such/folder.ign", "x");
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.cause, "no such file or directory");
  EXPECT_NE(missing.message.find("no/such/folder.ign"), std::string::npos) << missing.message;

  fs::create_directory(d / "dir");
  const q3::FileWriteResult dir = q3::writeFileSafely(d / "dir", "x");
  EXPECT_FALSE(dir.ok);
  EXPECT_EQ(dir.cause, "is a directory");
}

TEST(SafeWrite, TwoWritersAtOnceLeaveOneWholeContent) {
  TempDir d;
  const std::string p = d / "shared.ign";
  const std::string a(200000, 'a'), b(200000, 'b');
  for (int round = 0; round < 20; ++round) {
    std::thread t1([&] { q3::writeFileSafely(p, a); });
    std::thread t2([&] { q3::writeFileSafely(p, b); });
    t1.join();
    t2.join();
    const std::string got = readFileBytes(p);
    ASSERT_TRUE(got == a || got == b) << "round " << round << ": a mixed file";
  }
  EXPECT_EQ(d.entries(), 1);
}

TEST(SafeWrite, PendingFileWrittenByAnotherLibraryReplacesOnlyOnCommit) {
  TempDir d;
  const std::string p = d / "doc.pdf";
  ASSERT_TRUE(q3::writeFileSafely(p, "old"));
  {
    q3::PendingFile f(p);
    ASSERT_TRUE(f.isOpen());
    { std::ofstream(f.tempPath(), std::ios::binary) << "written by a printer"; }
    EXPECT_EQ(readFileBytes(p), "old");
  }  // not committed: dropped
  EXPECT_EQ(readFileBytes(p), "old");
  EXPECT_EQ(d.entries(), 1);
  q3::PendingFile f(p);
  { std::ofstream(f.tempPath(), std::ios::binary) << "written by a printer"; }
  EXPECT_TRUE(f.commit().ok);
  EXPECT_EQ(readFileBytes(p), "written by a printer");
}

// The writers of the bottom layer under every fault: the old file stays
// whole or the new one is complete; a writer that finishes names the cause.
TEST(SafeWrite, SettingsWritersUnderKillsAndFullDisk) {
  struct Writer {
    const char* name;
    const char* file;
    std::function<std::string(const std::string&)> write;
    std::string expected;  // the complete new content
  };
  uint8_t image[q3::kImageBytes];
  for (int i = 0; i < q3::kImageBytes; ++i) image[i] = uint8_t(i * 7);
  q3::KeyFile ini;
  ini.set("FORM_HLAV", "Left", "120");
  ini.set("FORM_HLAV", "File", std::string(300, 'f'));
  const std::vector<Writer> writers = {
      {"application.ini", "application.ini",
       [&](const std::string& p) { return ini.save(p) ? "" : std::string("failed"); }, ini.text()},
      {"default.ini", "default.ini",
       [&](const std::string& p) {
         return q3::writeImageDump(p, image, q3::kImageBytes) ? "" : std::string("failed");
       },
       q3::formatImageDump(image, q3::kImageBytes)},
      {"writeFileSafely", "any.txt",
       [](const std::string& p) { return q3::writeFileSafely(p, std::string(5000, 'n')).message; },
       std::string(5000, 'n')},
  };
  const std::string old = "old content\n";
  for (const Writer& w : writers) {
    for (WriteFault f : {WriteFault::KillAtFirstWrite, WriteFault::KillAtRename,
                         WriteFault::FileSizeLimit, WriteFault::FullDisk}) {
      SCOPED_TRACE(std::string(w.name) + ", " + q3test::writeFaultName(f));
      TempDir d;
      const q3test::WriteFaultRun r =
          q3test::runWriteWithFault(f, d.path.string(), d / w.file, old, w.write);
      if (r.skipped) {
        std::printf("note: no tmpfs can be mounted here; the full-disk case is left out\n");
        continue;
      }
      if (f == WriteFault::KillAtFirstWrite || f == WriteFault::KillAtRename) {
        EXPECT_TRUE(r.killed);
        EXPECT_EQ(r.content, old);
      } else {
        EXPECT_FALSE(r.killed);
        EXPECT_EQ(r.content, old);
        EXPECT_FALSE(r.message.empty());
        if (std::string(w.name) == "writeFileSafely")
          EXPECT_NE(r.message.find(q3test::writeFaultCause(f)), std::string::npos) << r.message;
      }
    }
    TempDir d;
    EXPECT_EQ(w.write(d / w.file), "");
    EXPECT_EQ(readFileBytes(d / w.file), w.expected);
  }
}

}  // namespace
