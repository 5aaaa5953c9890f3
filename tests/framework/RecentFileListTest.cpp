#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "framework/RecentFileList.h"

namespace dalvren {
namespace {

TEST(RecentFileList, MostRecentFirstWithoutDuplicatesUpToItsSize) {
  CRecentFileList list(QStringLiteral("Recent"), 4);
  for (const char* path : {"/t/a.tbl", "/t/b.tbl", "/t/c.tbl", "/t/a.tbl",
                           "/t/d.tbl", "/t/e.tbl"}) {
    list.Add(QString::fromLatin1(path));
  }
  ASSERT_EQ(list.GetSize(), 4);
  EXPECT_EQ(list[0], QStringLiteral("/t/e.tbl"));
  EXPECT_EQ(list[1], QStringLiteral("/t/d.tbl"));
  EXPECT_EQ(list[2], QStringLiteral("/t/a.tbl"));
  EXPECT_EQ(list[3], QStringLiteral("/t/c.tbl"));
  EXPECT_EQ(list.GetDisplayName(0), QStringLiteral("&1 e.tbl"));
  EXPECT_EQ(list.GetDisplayName(3), QStringLiteral("&4 c.tbl"));
  list.Remove(1);
  list.Remove(7);
  EXPECT_EQ(list.GetSize(), 3);
  EXPECT_EQ(list[1], QStringLiteral("/t/a.tbl"));
}

TEST(RecentFileList, SameNameInTwoFoldersShowsWholePaths) {
  CRecentFileList list(QStringLiteral("Recent"), 4);
  list.Add(QStringLiteral("/one/game.tbl"));
  list.Add(QStringLiteral("/two/game.tbl"));
  list.Add(QStringLiteral("/two/other.tbl"));
  EXPECT_EQ(list.GetDisplayName(0), QStringLiteral("&1 other.tbl"));
  EXPECT_EQ(list.GetDisplayName(1), QStringLiteral("&2 /two/game.tbl"));
  EXPECT_EQ(list.GetDisplayName(2), QStringLiteral("&3 /one/game.tbl"));
}

// A menu takes "&" for its mnemonic mark; the entry's own number is the
// only mnemonic, so an "&" in a name or path is doubled to show as written.
TEST(RecentFileList, AmpersandsInNamesShowAsWritten) {
  CRecentFileList list(QStringLiteral("Recent"), 4);
  list.Add(QStringLiteral("/a&b/R&D tables.tbl"));
  list.Add(QStringLiteral("/c/R&D tables.tbl"));
  list.Add(QStringLiteral("/c/&&.tbl"));
  EXPECT_EQ(list.GetDisplayName(0), QStringLiteral("&1 &&&&.tbl"));
  EXPECT_EQ(list.GetDisplayName(1), QStringLiteral("&2 /c/R&&D tables.tbl"));
  EXPECT_EQ(list.GetDisplayName(2), QStringLiteral("&3 /a&&b/R&&D tables.tbl"));
  EXPECT_EQ(list[2], QStringLiteral("/a&b/R&D tables.tbl"));
}

TEST(RecentFileList, SettingsKeepTheListInOrder) {
  const QTemporaryDir dir;
  QSettings settings(dir.filePath(QStringLiteral("s.conf")),
                     QSettings::IniFormat);
  CRecentFileList written(QStringLiteral("Recent File List"), 4);
  for (int i = 0; i < 3; ++i) {
    written.Add(QStringLiteral("/f%1.tbl").arg(i));
  }
  written.WriteList(settings);
  written.Remove(0);
  written.WriteList(settings);  // a shorter list leaves no stale entry
  EXPECT_FALSE(settings.contains(QStringLiteral("Recent File List/File3")));

  CRecentFileList read(QStringLiteral("Recent File List"), 4);
  read.ReadList(settings);
  ASSERT_EQ(read.GetSize(), 2);
  EXPECT_EQ(read[0], QStringLiteral("/f1.tbl"));
  EXPECT_EQ(read[1], QStringLiteral("/f0.tbl"));
}

}  // namespace
}  // namespace dalvren
