// Reading a resource script, and what start-up does without one.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "framework/Resource.h"

namespace dalvren {
namespace {

TEST(ResourceScript, ReadsAnObjectAndNamesTheScriptInEveryError) {
  struct Case {
    const char* name;
    const char* contents;  // null: no file at all
    const char* error;     // what the message holds; null when it loads
  };
  const Case cases[] = {
      {"missing", nullptr, "resource script '%1' is missing"},
      {"not JSON", "{\"strings\": {", "resource script '%1' is malformed: "},
      {"not an object", "[1, 2]",
       "resource script '%1' is malformed: it is not an object"},
      {"an object", "{\"strings\": {\"1\": \"one\"}}", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("resources.json"));
    if (c.contents != nullptr) {
      QFile file(path);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(c.contents);
    }
    const CResourceScript script = ReadResourceScript(path);
    if (c.error == nullptr) {
      EXPECT_TRUE(script.error.isEmpty()) << script.error.toStdString();
      EXPECT_EQ(script.resources[QStringLiteral("strings")]
                    .toObject()[QStringLiteral("1")]
                    .toString(),
                QStringLiteral("one"));
    } else {
      EXPECT_TRUE(
          script.error.startsWith(QString::fromLatin1(c.error).arg(path)))
          << script.error.toStdString();
      EXPECT_TRUE(script.resources.isEmpty());
    }
  }
  EXPECT_TRUE(ResourceScriptError().isEmpty());
}

// A program built on the framework without a resource script refuses to
// start, naming the script, before it answers anything else.
TEST(ResourceScript, ProgramWithoutOneRefusesToStart) {
  for (const QStringList& arguments :
       {QStringList(), QStringList({QStringLiteral("--version")})}) {
    QProcess program;
    program.start(QStringLiteral(DALVREN_NO_RESOURCES_PROGRAM), arguments);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_EQ(program.readAllStandardOutput(), QByteArray());
    EXPECT_EQ(program.readAllStandardError(),
              QByteArray("framework_without_resources: resource script "
                         "':/res/resources.json' is missing\n"));
  }
}

}  // namespace
}  // namespace dalvren
