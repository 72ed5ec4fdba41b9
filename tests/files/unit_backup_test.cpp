// Backups of unit settings: one file per programming, the same settings not
// twice in a row, the newest 50 kept, read back as they were written.
#include "files/unit_backup.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "params/param_model.h"

namespace q3 {
namespace {

ParamImage imageWith(int limiterByte) {
  ParamModel m;
  m.applyDefaults(-1);
  m.image().setByte(170, 3);
  m.image().setByte(10, limiterByte);
  m.sanitize();
  return m.image();
}

TEST(UnitBackup, NewestFiftyKeptAndRepeatsSkipped) {
  QTemporaryDir dir;
  BackupStore store(dir.path().toStdString() + "/");
  std::string first;
  for (int i = 0; i < 52; ++i) {
    const std::string p =
        store.save("012345-678901-00aa", imageWith(i % 2 ? 60 : 70 + i % 7), 1800000000 + i * 60);
    ASSERT_FALSE(p.empty()) << i;
    if (i == 0) first = p;
  }
  std::vector<UnitBackup> list = store.list("012345-678901-00aa");
  ASSERT_EQ(list.size(), size_t(kBackupsKept));
  EXPECT_GT(list.front().stamp, list.back().stamp);
  EXPECT_NE(list.back().path, first);  // the oldest ones went
  EXPECT_EQ(list.front().bike, 3);

  // The same settings as the newest backup: no new file.
  ParamModel newest;
  ASSERT_TRUE(BackupStore::load(list.front().path, newest));
  EXPECT_EQ(store.save("012345-678901-00aa", newest.image(), 1900000000), list.front().path);
  EXPECT_EQ(store.list("012345-678901-00aa").size(), size_t(kBackupsKept));

  // Another unit, and one without a serial number, have folders of their own.
  EXPECT_FALSE(store.save("none SN", imageWith(80), 1800000000).empty());
  EXPECT_EQ(store.list().size(), size_t(kBackupsKept + 1));
  EXPECT_EQ(store.list("none SN").front().serial, "unknown");
}

TEST(UnitBackup, UnwritableFolderSaysWhy) {
  QTemporaryDir dir;
  const std::string blocker = dir.path().toStdString() + "/backups";
  ASSERT_TRUE(QFile(QString::fromStdString(blocker)).open(QIODevice::WriteOnly));  // a file
  BackupStore store(dir.path().toStdString() + "/");
  std::string why;
  EXPECT_TRUE(store.save("1", imageWith(70), 1800000000, &why).empty());
  EXPECT_NE(why.find("cannot create"), std::string::npos) << why;
}

}  // namespace
}  // namespace q3
