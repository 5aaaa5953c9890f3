// The main of the window tests: Qt's offscreen platform unless another is
// asked for, settings and desktop files in folders of this run's own, and no
// modal window ever, so that no test needs a display, touches the user's
// files or waits.
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "framework/ModalHooks.h"

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
  // A modal window that a test did not expect fails it instead of waiting
  // for a click that never comes.
  dalvren::SetModalHooks({[](const QString& text, unsigned) {
                            ADD_FAILURE() << "unexpected message box: "
                                          << text.toStdString();
                            return dalvren::IDOK;
                          },
                          [](dalvren::CDialog& dialog) {
                            ADD_FAILURE() << "unexpected dialog";
                            dialog.EndDialog(dalvren::IDCANCEL);
                            return dalvren::IDCANCEL;
                          },
                          [](const QString&, const QString&) {
                            ADD_FAILURE() << "unexpected file prompt";
                            return QString();
                          },
                          [](const QString&, const QString&) {
                            ADD_FAILURE() << "unexpected file prompt";
                            return QString();
                          }});
  return RUN_ALL_TESTS();
}
