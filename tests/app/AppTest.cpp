// The desktop application: start-up, window, menus, recent files, drops,
// the About box and the desktop registration.
#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QDropEvent>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QUrl>
#include <functional>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "app/BuildStamp.h"
#include "framework/Resource.h"
#include "framework/ShellRegistration.h"
#include "framework/StatusBar.h"
#include "tests/app/RunningApp.h"
#include "tests/support/ControlFit.h"
#include "tests/support/ModalRecorder.h"
#include "tests/support/TempFiles.h"

namespace dalvren {
namespace {

using test::CModalRecorder;
using test::CRunningApp;
using test::CTempFiles;
using test::ExpectControlsFit;
using test::ShownText;

// The menu as "Title|item|item" per popup, separators as "-".
QStringList MenuOutline(const QMenuBar& bar) {
  QStringList outline;
  for (QAction* popup : bar.actions()) {
    QString line = popup->text();
    for (QAction* item : popup->menu()->actions()) {
      if (!item->isVisible()) continue;
      line += QLatin1Char('|') +
              (item->isSeparator() ? QStringLiteral("-") : item->text()) +
              (item->isEnabled() ? QString() : QStringLiteral("(grey)"));
    }
    outline << line;
  }
  return outline;
}

QStringList RecentMenu(const CRunningApp& running) {
  QStringList names;
  for (unsigned i = 0; i < 8; ++i) {
    QAction* action = running.Frame()->FindMenuItem(ID_FILE_MRU_FILE1 + i);
    if (action != nullptr && action->isEnabled()) names << action->text();
  }
  return names;
}

// The numbers of every dialog template in the program's resource script.
std::vector<unsigned> DialogTemplateIds() {
  QFile file(QStringLiteral(DALVREN_RES_DIR "/resources.json"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  std::vector<unsigned> ids;
  const QJsonObject dialogs =
      QJsonDocument::fromJson(file.readAll()).object()["dialogs"].toObject();
  for (const QString& key : dialogs.keys()) ids.push_back(key.toUInt());
  return ids;
}

void ClearRecentFiles() {
  QSettings(QString::fromLatin1(kRegistryKey), QStringLiteral("Dalvren"))
      .remove(QStringLiteral("Recent File List"));
}

class AppTest : public testing::Test {
 protected:
  void SetUp() override { ClearRecentFiles(); }
  CModalRecorder modal;
  CTempFiles files;
};

TEST_F(AppTest, StartsWithoutTableAsUntitled) {
  CRunningApp running;
  ASSERT_TRUE(running.started);
  EXPECT_TRUE(running.Frame()->isVisible());
  EXPECT_EQ(running.Frame()->windowTitle(),
            QStringLiteral("Untitled - Dalvren"));
  EXPECT_EQ(running.Doc()->m_pTable, nullptr);
  EXPECT_TRUE(running.Frame()->acceptDrops());
  EXPECT_TRUE(running.Frame()->findChildren<QToolBar*>().isEmpty());
  // The status bar sits under the form and starts idle.
  const CStatusBar* bar = running.Frame()->GetStatusBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(running.Frame()->findChild<QStatusBar*>(), bar);
  EXPECT_EQ(bar->GetPaneText(0), QStringLiteral("Ready"));
  EXPECT_EQ(bar->GetPaneText(1), QStringLiteral("ROM: 0 bytes | Dump: 0 "
                                                "characters"));
  EXPECT_GE(bar->geometry().top(), running.View()->geometry().bottom());
  // The window opens at the form's size.
  EXPECT_EQ(running.Frame()->size(), running.Frame()->sizeHint());
  EXPECT_EQ(running.View()->size(), running.View()->sizeHint());
}

TEST_F(AppTest, StartsWithTheTableNamedOnTheCommandLine) {
  CRunningApp running({files.Write("game.tbl", "41=A\n")});
  ASSERT_TRUE(running.started);
  EXPECT_EQ(running.Frame()->windowTitle(),
            QStringLiteral("game.tbl - Dalvren"));
  running.Type(kIdcRom, QStringLiteral("41"));
  running.Click(kIdcRomToDump);
  EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("A"));
}

TEST_F(AppTest, MissingTableFailsStartUpBeforeAnyWindow) {
  CRunningApp running({files.Path("missing.tbl")});
  EXPECT_FALSE(running.started);
  EXPECT_EQ(running.Frame(), nullptr);
  EXPECT_EQ(running.app.m_nExitCode, 1);
  for (QWidget* w : QApplication::topLevelWidgets()) {
    EXPECT_FALSE(w->isVisible()) << w->metaObject()->className();
  }
  ASSERT_EQ(modal.messages.size(), 1u);
  EXPECT_TRUE(modal.messages[0].text.contains(QStringLiteral("missing.tbl")));
}

TEST_F(AppTest, MenusHoldTheirItemsInOrder) {
  CRunningApp running;
  EXPECT_EQ(
      MenuOutline(*running.Frame()->menuBar()),
      QStringList(
          {QStringLiteral("&File|&Open...\tCtrl+O|-|Open &Dump...|Save Dump "
                          "&As...|-|&Load ROM Bytes...|&Write ROM "
                          "Bytes...|-|Recent File(grey)|-|E&xit"),
           QStringLiteral("&Edit|&Undo\tCtrl+Z|&Redo\tCtrl+Shift+Z|-|&Find."
                          "..\tCtrl+F|Find &Next\tF3|&Replace...\tCtrl+H"),
           QStringLiteral("&View|&Table Report..."),
           QStringLiteral("&Help|&About Dalvren...")}));
  // Each item sends its command.
  modal.openAnswers << QString();
  running.Frame()->FindMenuItem(ID_FILE_OPEN)->trigger();
  EXPECT_EQ(modal.prompts.size(), 1);
  running.Frame()->FindMenuItem(ID_APP_ABOUT)->trigger();
  EXPECT_EQ(modal.dialogs, 1);
  running.Frame()->FindMenuItem(ID_APP_EXIT)->trigger();
  EXPECT_FALSE(running.Frame()->isVisible());
}

TEST_F(AppTest, CtrlOPromptsForATableAndOpensIt) {
  CRunningApp running;
  QApplication::setActiveWindow(running.Frame());
  modal.openAnswers << files.Write("picked.tbl", "41=A\n");
  QTest::keyClick(running.Frame(), Qt::Key_O, Qt::ControlModifier);
  ASSERT_EQ(modal.prompts.size(), 1);
  EXPECT_EQ(modal.prompts[0],
            QStringLiteral("Open|Thingy Table Files (*.tbl);;All Files (*)"));
  EXPECT_EQ(running.Frame()->windowTitle(),
            QStringLiteral("picked.tbl - Dalvren"));
  // Cancel opens nothing and keeps the table.
  QTest::keyClick(running.Frame(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(modal.prompts.size(), 2);
  EXPECT_NE(running.Doc()->m_pTable, nullptr);
  EXPECT_TRUE(modal.messages.empty());
}

TEST_F(AppTest, RecentFilesMostRecentFirstFourKeptAcrossRuns) {
  QStringList paths;
  for (const char* name : {"a.tbl", "b.tbl", "c.tbl", "d.tbl", "e.tbl"}) {
    paths << files.Write(QString::fromLatin1(name), "41=A\n");
  }
  {
    CRunningApp running;
    EXPECT_TRUE(RecentMenu(running).isEmpty());
    for (const QString& path : paths) ASSERT_TRUE(running.Open(path));
    ASSERT_TRUE(running.Open(paths[2]));
    EXPECT_EQ(RecentMenu(running),
              QStringList({"&1 c.tbl", "&2 e.tbl", "&3 d.tbl", "&4 b.tbl"}));
  }
  CRunningApp second;
  EXPECT_EQ(RecentMenu(second),
            QStringList({"&1 c.tbl", "&2 e.tbl", "&3 d.tbl", "&4 b.tbl"}));
  EXPECT_FALSE(second.Frame()
                   ->FindMenuItem(ID_FILE_MRU_FILE1)
                   ->text()
                   .contains(QStringLiteral("Recent File")));
  // Reopening from the list.
  second.Frame()->FindMenuItem(ID_FILE_MRU_FILE1 + 2)->trigger();
  EXPECT_EQ(second.Frame()->windowTitle(), QStringLiteral("d.tbl - Dalvren"));
  EXPECT_EQ(RecentMenu(second).first(), QStringLiteral("&1 d.tbl"));
}

TEST_F(AppTest, VanishedRecentFileIsReportedAndLeavesTheList) {
  CRunningApp running;
  const QString kept = files.Write("kept.tbl", "41=A\n");
  const QString gone = files.Write("gone.tbl", "41=B\n");
  ASSERT_TRUE(running.Open(kept));
  ASSERT_TRUE(running.Open(gone));
  QFile::remove(gone);
  running.Frame()->FindMenuItem(ID_FILE_MRU_FILE1)->trigger();
  ASSERT_EQ(modal.messages.size(), 1u);
  EXPECT_TRUE(modal.messages[0].text.contains(QStringLiteral("gone.tbl")));
  EXPECT_EQ(RecentMenu(running), QStringList({"&1 kept.tbl"}));
  CRunningApp next;
  EXPECT_EQ(RecentMenu(next), QStringList({"&1 kept.tbl"}));
}

// Dropped on the frame or on either field, which fill most of it, a file
// opens as the table; the field does not take its name as text.
TEST_F(AppTest, DroppedFileOpensAsTheTable) {
  CRunningApp running;
  const std::function<QWidget*()> targets[] = {
      [&] { return running.Frame(); },
      [&] { return running.Field(kIdcRom)->viewport(); },
      [&] { return running.Field(kIdcDump)->viewport(); }};
  int n = 0;
  for (const auto& target : targets) {
    SCOPED_TRACE(n);
    const QString name = QStringLiteral("dropped%1.tbl").arg(++n);
    running.Field(kIdcRom)->clear();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(
        files.Write(name, "41=" + std::to_string(n) + "\n"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(target(), &drop);
    EXPECT_EQ(running.Frame()->windowTitle(),
              name + QStringLiteral(" - Dalvren"));
    EXPECT_EQ(running.Text(kIdcRom), QString());
    running.Type(kIdcRom, QStringLiteral("41"));
    running.Click(kIdcRomToDump);
    EXPECT_EQ(running.Text(kIdcDump), QString::number(n));
  }
}

TEST_F(AppTest, EnlargedWindowGrowsBothFields) {
  CRunningApp running;
  const QSize rom = running.Field(kIdcRom)->size();
  const QSize dump = running.Field(kIdcDump)->size();
  const QRect button = running.View()->GetDlgItem(kIdcRomToDump)->geometry();
  running.Frame()->resize(running.Frame()->size() + QSize(200, 100));
  QApplication::processEvents();
  EXPECT_EQ(running.Field(kIdcRom)->size(), rom + QSize(100, 100));
  EXPECT_EQ(running.Field(kIdcDump)->size(), dump + QSize(100, 100));
  EXPECT_EQ(running.View()->GetDlgItem(kIdcRomToDump)->geometry(),
            button.translated(100, 50));
  EXPECT_LT(running.Field(kIdcRom)->geometry().right(),
            running.View()->GetDlgItem(kIdcRomToDump)->x());
}

// Both fields show their bars always, whether or not the text overflows.
TEST_F(AppTest, RomScrollBarOnTheLeftDumpScrollBarOnTheRight) {
  CRunningApp running;
  for (const QString& text :
       {QString(), QStringLiteral("line\n").repeated(200)}) {
    SCOPED_TRACE(text.size());
    for (int id : {kIdcRom, kIdcDump}) running.Field(id)->setPlainText(text);
    QApplication::processEvents();
    const QPlainTextEdit* rom = running.Field(kIdcRom);
    const QPlainTextEdit* dump = running.Field(kIdcDump);
    ASSERT_TRUE(rom->verticalScrollBar()->isVisible());
    ASSERT_TRUE(dump->verticalScrollBar()->isVisible());
    const auto barX = [](const QPlainTextEdit* edit) {
      return edit->verticalScrollBar()->mapTo(edit, QPoint(0, 0)).x();
    };
    EXPECT_LT(barX(rom), rom->viewport()->x());
    EXPECT_GT(barX(dump), dump->viewport()->x());
    // The text itself still runs from the left.
    EXPECT_LT(rom->cursorRect(QTextCursor(rom->document())).x(),
              rom->viewport()->width() / 2);
  }
}

TEST_F(AppTest, AboutBoxShowsNameVersionAndBuildStamp) {
  CRunningApp running;
  QStringList labels;
  QString caption;
  QString stamp;
  int result = 0;
  modal.onDialog = [&](CDialog& dialog) {
    caption = dialog.windowTitle();
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
      if (!label->text().isEmpty()) labels << label->text();
    }
    stamp = QString::fromStdString(dialog.GetDlgItemTextA(kIdcBuildStamp));
    EXPECT_FALSE(dialog.findChildren<QLabel*>().first()->pixmap().isNull());
    QTest::mouseClick(dialog.GetDlgItem(IDOK), Qt::LeftButton);
    result = dialog.result();
    return result;
  };
  running.app.OnCmdMsg(ID_APP_ABOUT);
  EXPECT_EQ(caption, QStringLiteral("About Dalvren"));
  // The version --version prints (Program.AnswersHelpAndVersion...).
  EXPECT_TRUE(labels.contains(QStringLiteral("Dalvren Version 1.0.0.1")))
      << labels.join(QLatin1Char('|')).toStdString();
  EXPECT_TRUE(labels.contains(QStringLiteral("Last Compile:")));
  EXPECT_EQ(stamp, QString::fromLatin1(kBuildStamp.data()));
  EXPECT_TRUE(QRegularExpression(
                  QStringLiteral("^(Sun|Mon|Tue|Wed|Thu|Fri|Sat) "
                                 "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|"
                                 "Dec) [0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5]["
                                 "0-9] [0-9]{4}$"))
                  .match(stamp)
                  .hasMatch())
      << stamp.toStdString();
  EXPECT_EQ(result, IDOK);
}

// The templates' dialog units were drawn for fonts that a desktop may not
// have; in the font the controls really use, every text still shows whole.
TEST_F(AppTest, EveryDialogTemplateShowsEachTextWhole) {
  const std::vector<unsigned> ids = DialogTemplateIds();
  ASSERT_NE(std::find(ids.begin(), ids.end(), kIddAboutBox), ids.end());
  ASSERT_NE(std::find(ids.begin(), ids.end(), kIddForm), ids.end());
  for (const unsigned id : ids) {
    SCOPED_TRACE(id);
    modal.onDialog = [](CDialog& dialog) {
      ExpectControlsFit(dialog);
      EXPECT_EQ(dialog.size(), dialog.minimumSize());
      dialog.EndDialog(IDOK);
      return IDOK;
    };
    CDialog dialog(id);
    dialog.DoModal();
  }
  EXPECT_EQ(modal.dialogs, static_cast<int>(ids.size()));
}

// The About box with the build stamp in place of its template's text.
TEST_F(AppTest, AboutBoxShowsTheWholeBuildStamp) {
  CRunningApp running;
  modal.onDialog = [](CDialog& dialog) {
    EXPECT_EQ(dialog.GetDlgItemTextA(kIdcBuildStamp), kBuildStamp.data());
    ExpectControlsFit(dialog);
    const QWidget* label = dialog.GetDlgItem(kIdcBuildStamp);
    EXPECT_LT(label->geometry().right(), dialog.GetDlgItem(IDOK)->x());
    dialog.EndDialog(IDOK);
    return IDOK;
  };
  running.app.OnCmdMsg(ID_APP_ABOUT);
  EXPECT_EQ(modal.dialogs, 1);
}

TEST_F(AppTest, ConverterFormShowsEachTextWhole) {
  CRunningApp running;
  ExpectControlsFit(*running.View());
}

TEST_F(AppTest, RecentFileWithAnAmpersandShowsAsWrittenAndOpens) {
  const QString rnd = files.Write(QStringLiteral("R&D tables.tbl"), "41=R\n");
  const QString other = files.Write(QStringLiteral("other.tbl"), "41=O\n");
  CRunningApp running;
  ASSERT_TRUE(running.Open(rnd));
  ASSERT_TRUE(running.Open(other));
  QAction* entry = running.Frame()->FindMenuItem(ID_FILE_MRU_FILE1 + 1);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(ShownText(entry->text()), QStringLiteral("2 R&D tables.tbl"));
  EXPECT_EQ(QKeySequence::mnemonic(entry->text()),
            QKeySequence(Qt::ALT | Qt::Key_2));
  entry->trigger();
  EXPECT_EQ(running.Doc()->GetPathName(), rnd);
  running.Type(kIdcRom, QStringLiteral("41"));
  running.Click(kIdcRomToDump);
  EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("R"));
  EXPECT_TRUE(modal.messages.empty());
}

TEST(BuildStamp, FormatsCompilerDateAndTime) {
  struct Case {
    const char* date;
    const char* time;
    const char* stamp;
  };
  const Case cases[] = {
      {"Dec  7 2026", "04:16:22", "Mon Dec 07 04:16:22 2026"},
      {"Jan  1 2000", "00:00:00", "Sat Jan 01 00:00:00 2000"},
      {"Feb 29 2024", "23:59:59", "Thu Feb 29 23:59:59 2024"},
      {"Mar  1 2100", "12:00:00", "Mon Mar 01 12:00:00 2100"},
      {"Oct 31 1999", "08:05:09", "Sun Oct 31 08:05:09 1999"},
  };
  for (const Case& c : cases) {
    const auto stamp = FormatBuildStamp(c.date, c.time);
    EXPECT_STREQ(stamp.data(), c.stamp);
  }
}

// A data home the file type cannot be registered in: the window starts all
// the same, and one line on standard error says why; no message box.
TEST_F(AppTest, FailedRegistrationIsOneLineOnStandardError) {
  const QTemporaryDir home;
  QFile blocker(home.filePath(QStringLiteral("applications")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const QByteArray saved = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
  std::ostringstream out;
  std::ostringstream err;
  {
    CDalvrenApp app;
    app.SetOutput(out, err);
    app.SetArguments({}, QStringLiteral("/usr/bin/dalvren"));
    EXPECT_TRUE(app.InitInstance());
  }
  qputenv("XDG_DATA_HOME", saved);
  EXPECT_EQ(err.str(),
            "dalvren: the desktop does not know table files: "
            "cannot make the folder " +
                home.filePath(QStringLiteral("applications")).toStdString() +
                "\n");
  EXPECT_EQ(out.str(), "");
  EXPECT_TRUE(modal.messages.empty());
}

TEST_F(AppTest, RegistersTheFileTypeOnceUnderTheDataHome) {
  const QString home = XdgDataHome();
  ASSERT_TRUE(home.startsWith(QDir::tempPath()));  // never the user's own
  { CRunningApp running; }
  const QString entry =
      home + QStringLiteral("/applications/app_tests.desktop");
  const QString mime = home + QStringLiteral("/mime/packages/app_tests.xml");
  ASSERT_TRUE(QFileInfo::exists(entry));
  ASSERT_TRUE(QFileInfo::exists(mime));
  for (const char* icon :
       {"icons/hicolor/16x16/apps/app_tests.png",
        "icons/hicolor/32x32/apps/app_tests.png",
        "icons/hicolor/scalable/apps/app_tests.svg",
        "icons/hicolor/32x32/mimetypes/application-x-thingy-table.png",
        "icons/hicolor/scalable/mimetypes/application-x-thingy-table.svg"}) {
    EXPECT_TRUE(
        QFileInfo::exists(home + QLatin1Char('/') + QLatin1String(icon)))
        << icon;
  }
  const QDateTime written = QFileInfo(entry).lastModified();
  QFile::setPermissions(entry, QFile::ReadOwner);  // a rewrite would fail
  { CRunningApp again; }
  EXPECT_EQ(QFileInfo(entry).lastModified(), written);
  QFile::setPermissions(entry, QFile::ReadOwner | QFile::WriteOwner);
}

// The files that `cmake --install` puts in place are the ones the program
// registers by itself, with the installed program's name.
TEST(DesktopFiles, InstalledFilesMatchTheRegistration) {
  CShellFileType type;
  type.appName = QStringLiteral("Dalvren");
  type.exeName = QStringLiteral("dalvren");
  type.exePath = QStringLiteral("dalvren");
  type.typeId = QStringLiteral("Thingy.Table");
  type.typeName = QStringLiteral("Thingy Table File");
  type.extension = QStringLiteral(".tbl");
  const auto generated = ShellRegistrationFiles(type);
  const QDir res(QStringLiteral(DALVREN_RES_DIR));
  for (const char* name : {"dalvren.xml", "dalvren.desktop"}) {
    QFile file(res.filePath(QString::fromLatin1(name)));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    const QByteArray installed = file.readAll();
    EXPECT_TRUE(std::any_of(
        generated.begin(), generated.end(),
        [&](const CShellFile& f) { return f.contents == installed; }))
        << name;
  }
}

TEST(Program, AnswersHelpAndVersionWithoutAWindow) {
  struct Case {
    QStringList arguments;
    int status;
    const char* out;
    const char* err;
  };
  const Case cases[] = {
      {{"--help"}, 0, "Usage: dalvren [OPTION]... [TABLE]\n", ""},
      {{"--version"}, 0, "Dalvren 1.0.0.1\n", ""},
      {{"--frobnicate"}, 2, "", "dalvren: unknown option '--frobnicate'\n"},
      {{"a.tbl", "b.tbl"}, 2, "", "dalvren: more than one file given\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.join(' ').toStdString());
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(DALVREN_PROGRAM), c.arguments);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitCode(), c.status);
    EXPECT_TRUE(program.readAllStandardOutput().startsWith(c.out));
    EXPECT_TRUE(program.readAllStandardError().startsWith(c.err));
  }
}

// An answer that cannot be written is no success, as with the converter.
TEST(Program, HelpAndVersionThatCannotBeWrittenFail) {
  for (const char* option : {"--help", "--version"}) {
    SCOPED_TRACE(option);
    QProcess program;
    program.setStandardOutputFile(QStringLiteral("/dev/full"));
    program.start(QStringLiteral(DALVREN_PROGRAM),
                  {QString::fromLatin1(option)});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 2);
  }
}

// Without a display the window cannot open: the program says so and
// stops before it writes any file of its own.
TEST(Program, RefusesToStartWithoutADisplay) {
  for (const QStringList& arguments :
       {QStringList(), QStringList{QStringLiteral("table.tbl")}}) {
    SCOPED_TRACE(arguments.join(' ').toStdString());
    const QTemporaryDir home;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
      env.remove(QString::fromLatin1(name));
    }
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath("data"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath("config"));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(home.path());
    program.start(QStringLiteral(DALVREN_PROGRAM), arguments);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_EQ(program.readAllStandardOutput(), QByteArray());
    EXPECT_EQ(
        program.readAllStandardError().toStdString(),
        QFileInfo(QStringLiteral(DALVREN_PROGRAM)).fileName().toStdString() +
            ": no display to show the window on (neither DISPLAY nor "
            "WAYLAND_DISPLAY is set)\n");
    EXPECT_EQ(
        QDir(home.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
        QStringList());
  }
}

}  // namespace
}  // namespace dalvren
