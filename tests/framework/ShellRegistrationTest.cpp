#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "framework/ShellRegistration.h"

namespace dalvren {
namespace {

CShellFileType ThingType(const QString& exePath) {
  CShellFileType type;
  type.appName = QStringLiteral("Tester");
  type.exeName = QStringLiteral("tester");
  type.exePath = exePath;
  type.typeId = QStringLiteral("Tester.Thing");
  type.typeName = QStringLiteral("Tester Thing");
  type.extension = QStringLiteral(".thg");
  return type;
}

QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList FilesUnder(const QString& root) {
  QStringList files;
  QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) files << QDir(root).relativeFilePath(it.next());
  files.sort();
  return files;
}

TEST(ShellRegistration, MimeTypeFromTheTypeIdentifier) {
  EXPECT_EQ(MimeTypeFor(QStringLiteral("Thingy.Table")),
            QStringLiteral("application/x-thingy-table"));
}

TEST(ShellRegistration, WritesTypeAndEntryOnlyUnderTheDataHome) {
  const QTemporaryDir root;
  const QString home = root.filePath(QStringLiteral("data"));
  const auto written =
      RegisterShellFileType(home, ThingType(QStringLiteral("/opt/t/tester")))
          .written;
  EXPECT_EQ(written.size(), 2u);
  EXPECT_EQ(FilesUnder(root.path()),
            QStringList({QStringLiteral("data/applications/tester.desktop"),
                         QStringLiteral("data/mime/packages/tester.xml")}));
  const QByteArray mime =
      Contents(home + QStringLiteral("/mime/packages/tester.xml"));
  EXPECT_TRUE(mime.contains("<mime-type type=\"application/x-tester-thing\">"));
  EXPECT_TRUE(mime.contains("<comment>Tester Thing</comment>"));
  EXPECT_TRUE(mime.contains("<glob pattern=\"*.thg\"/>"));
  const QByteArray entry =
      Contents(home + QStringLiteral("/applications/tester.desktop"));
  EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
  EXPECT_TRUE(entry.contains("\nExec=/opt/t/tester %f\n"));
  EXPECT_TRUE(entry.contains("\nMimeType=application/x-tester-thing;\n"));
}

TEST(ShellRegistration, RewritesOnlyWhatIsMissingOrDiffers) {
  const QTemporaryDir home;
  const CShellFileType type = ThingType(QStringLiteral("/opt/t/tester"));
  ASSERT_EQ(RegisterShellFileType(home.path(), type).written.size(), 2u);
  EXPECT_TRUE(RegisterShellFileType(home.path(), type).written.empty());

  // The program moved: only the entry changes.
  const auto moved =
      RegisterShellFileType(home.path(),
                            ThingType(QStringLiteral("/usr/bin/tester")))
          .written;
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_EQ(moved[0], QStringLiteral("applications/tester.desktop"));

  QFile::remove(home.filePath(QStringLiteral("mime/packages/tester.xml")));
  EXPECT_EQ(RegisterShellFileType(home.path(),
                                  ThingType(QStringLiteral("/usr/bin/tester")))
                .written.size(),
            1u);
}

// A data home where a folder cannot be made: writing stops there, says where,
// and keeps what was written before.
TEST(ShellRegistration, StopsAtTheFirstFileItCannotWriteAndSaysWhy) {
  const QTemporaryDir home;
  QFile blocker(home.filePath(QStringLiteral("applications")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const CShellRegistration done = RegisterShellFileType(
      home.path(), ThingType(QStringLiteral("/t/tester")));
  ASSERT_EQ(done.written.size(), 1u);
  EXPECT_EQ(done.written[0], QStringLiteral("mime/packages/tester.xml"));
  EXPECT_EQ(done.error, QStringLiteral("cannot make the folder ") +
                            home.filePath(QStringLiteral("applications")));
  EXPECT_TRUE(
      RegisterShellFileType(home.path(), ThingType(QStringLiteral("/t/tester")))
          .written.empty());
}

TEST(ShellRegistration, QuotesAProgramPathWithSpecialCharacters) {
  const auto files = ShellRegistrationFiles(
      ThingType(QStringLiteral("/home/a b/$x\"y/tester")));
  const QByteArray entry = files[1].contents;
  EXPECT_TRUE(entry.contains("\nExec=\"/home/a b/\\\\$x\\\\\"y/tester\" %f\n"))
      << entry.toStdString();
}

}  // namespace
}  // namespace dalvren
