// The main of the window tests: Qt's offscreen platform unless another is
// asked for, and settings and desktop files in folders of this run's own,
// so that no test needs a display or touches the user's files.
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  const QTemporaryDir home;
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME",
                           "XDG_RUNTIME_DIR", "XDG_CACHE_HOME"}) {
    const QString path = home.filePath(QString::fromLatin1(name));
    QDir().mkpath(path);
    QFile::setPermissions(
        path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv(name, QFile::encodeName(path));
  }
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
