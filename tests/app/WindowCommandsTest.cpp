// What the window offers around the form, through the running application:
// undo of conversions, the status bar's words, the table report against
// what the converter prints, find and replace, files dropped on the ROM
// field, the Dump's own file, and long fills with progress and Cancel.
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>
#include <QUrl>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "app/DroppedFileDialog.h"
#include "app/FindDialog.h"
#include "app/LoadRomDialog.h"
#include "app/TableReportDialog.h"
#include "framework/EditField.h"
#include "tests/app/RunningApp.h"
#include "tests/support/ModalRecorder.h"
#include "tests/support/TempFiles.h"

namespace dalvren {
namespace {

using test::CModalRecorder;
using test::CRunningApp;
using test::CTempFiles;

constexpr char kTable[] = "41=A\n42=B\n4142=X\n";

void SetText(const CWnd& dialog, int id, const QString& text) {
  qobject_cast<QLineEdit*>(dialog.GetDlgItem(id))->setText(text);
}

void Press(const CWnd& dialog, int id) {
  QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton);
}

QString Label(const CWnd& dialog, int id) {
  return qobject_cast<QLabel*>(dialog.GetDlgItem(id))->text();
}

// Drags the file `path` onto `target` and drops it there.
void Drop(QWidget* target, const QString& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(path)});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton,
                  Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

// What the built converter prints for `dalvren-convert -t TABLE check`.
QByteArray ConverterCheck(const QString& table) {
  QProcess check;
  check.start(QStringLiteral(DALVREN_CONVERT),
              {QStringLiteral("-t"), table, QStringLiteral("check")});
  EXPECT_TRUE(check.waitForFinished(20000));
  return check.readAllStandardOutput();
}

class WindowTest : public testing::Test {
 protected:
  CEditField* Field(int id) const {
    return dynamic_cast<CEditField*>(running.Field(id));
  }
  // Presses `key` with `modifiers` on `widget` in the active window.
  void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QApplication::setActiveWindow(running.Frame());
    widget->setFocus();
    QTest::keyClick(widget, key, modifiers);
  }

  CModalRecorder modal;
  CTempFiles files;
  CRunningApp running{{files.Write("abx.tbl", kTable)}};
};

TEST_F(WindowTest, EachConversionIsOneEditThatUndoTakesBack) {
  running.Type(kIdcDump, QStringLiteral("my translation"));
  running.Type(kIdcRom, QStringLiteral("41 42"));
  running.Click(kIdcRomToDump);
  ASSERT_EQ(running.Text(kIdcDump), QStringLiteral("X"));
  Key(Field(kIdcDump), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("my translation"));
  Key(Field(kIdcDump), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("X"));
  Key(Field(kIdcDump), Qt::Key_Z, Qt::ControlModifier);
  Key(Field(kIdcDump), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("X"));

  running.Type(kIdcDump, QStringLiteral("BA"));
  running.Click(kIdcDumpToRom);
  ASSERT_EQ(running.Text(kIdcRom), QStringLiteral("4241"));
  // The button has the focus: Edit > Undo takes back what it did.
  running.Menu(ID_EDIT_UNDO);
  EXPECT_EQ(running.Text(kIdcRom), QStringLiteral("41 42"));
  running.Menu(ID_EDIT_REDO);
  EXPECT_EQ(running.Text(kIdcRom), QStringLiteral("4241"));
  EXPECT_TRUE(modal.messages.empty());
}

TEST_F(WindowTest, StatusBarSaysWhatEachConversionGaveAndSkipped) {
  running.Type(kIdcRom, QStringLiteral("41 00 42 FF 41"));
  running.Click(kIdcRomToDump);
  EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("ABA"));
  EXPECT_EQ(running.Status(0),
            QStringLiteral("Dump: 3 characters from 5 bytes; 2 bytes "
                           "skipped, the first at offset 1 (0x1)"));
  EXPECT_EQ(running.Counts(),
            QStringLiteral("ROM: 5 bytes | Dump: 3 characters"));

  running.View()->SetDlgItemTextA(kIdcDump, "AB\nyA");
  running.Click(kIdcDumpToRom);
  EXPECT_EQ(running.Text(kIdcRom), QStringLiteral("414241"));
  EXPECT_EQ(running.Status(0),
            QStringLiteral("ROM: 3 bytes, 2 fewer than before; 2 characters "
                           "skipped, the first at line 1, column 3"));

  running.Type(kIdcDump, QStringLiteral("XXAA"));
  running.Click(kIdcDumpToRom);
  EXPECT_EQ(running.Status(0),
            QStringLiteral("ROM: 6 bytes, 3 more than before; nothing "
                           "skipped"));
  // As the user edits, the counts follow.
  Field(kIdcDump)->insertPlainText(QStringLiteral("é"));
  EXPECT_EQ(running.Counts(),
            QStringLiteral("ROM: 6 bytes | Dump: 5 characters"));
  running.Click(kIdcDumpHex);
  EXPECT_EQ(running.Status(1), QStringLiteral("ROM: 6 bytes | Dump: 3 bytes"));
}

TEST_F(WindowTest, OpenedTableIsCountedAndItsReportIsWhatCheckPrints) {
  struct Case {
    const char* name;
    std::string contents;
    const char* status;
  };
  const Case cases[] = {
      {"faulty.tbl", "41=A\n42=B\n\n# letters\n4=x\n43=A\nZZ=z\n41=a\n",
       "faulty.tbl: 4 entries; 3 ignored lines, 1 replacement (View > Table "
       "Report...)"},
      {"mistakes.tbl",
       "\xEF\xBB\xBF"
       "41=A\n42=B \n43=\n44=C\n45=C\n46=\xE9\n",
       "mistakes.tbl: 6 entries; 4 warnings, 1 note (View > Table Report...)"},
      {"aliases.tbl", "21=\xC2\xA1\n21=!\n30=X\n30=X\n",
       "aliases.tbl: 4 entries; 1 alias, 1 duplicate (View > Table "
       "Report...)"},
      {"clean.tbl", "41=A\n", "clean.tbl: 1 entry"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = files.Write(QString::fromLatin1(c.name), c.contents);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(running.Open(path));
    // Replaced entries are told in the report, not on standard error.
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(running.Status(0), QString::fromUtf8(c.status));
    std::string shown;
    modal.onDialog = [&](CDialog& dialog) {
      EXPECT_NE(dynamic_cast<CTableReportDialog*>(&dialog), nullptr);
      shown = dialog.GetDlgItemTextA(kIdcReportLines);
      EXPECT_EQ(Label(dialog, kIdcReportTable),
                QString::fromLatin1(c.name) +
                    QStringLiteral(", as dalvren-convert -t TABLE check "
                                   "reports it:"));
      Press(dialog, IDOK);
      return dialog.result();
    };
    running.Menu(kIdViewTableReport);
    EXPECT_EQ(shown, ConverterCheck(path).toStdString());
  }
  EXPECT_EQ(modal.dialogs, 4);
}

// A table in Shift_JIS: the window guesses the character set as the
// converter does, through the toolkit's conversions instead of iconv.
TEST_F(WindowTest, TableReportGuessesTheCharacterSetAsCheckDoes) {
  const QString path = QStringLiteral(DALVREN_EXAMPLES_DIR "/sample-sjis.tbl");
  ASSERT_TRUE(running.Open(path));
  std::string shown;
  modal.onDialog = [&](CDialog& dialog) {
    shown = dialog.GetDlgItemTextA(kIdcReportLines);
    dialog.EndDialog(IDOK);
    return IDOK;
  };
  running.Menu(kIdViewTableReport);
  EXPECT_NE(shown.find("looks like Shift_JIS"), std::string::npos);
  EXPECT_EQ(shown, ConverterCheck(path).toStdString());
}

TEST(WindowNoTable, TableReportRefuses) {
  CModalRecorder modal;
  CRunningApp running;
  running.Menu(kIdViewTableReport);
  ASSERT_EQ(modal.messages.size(), 1u);
  EXPECT_EQ(modal.messages[0].text, QStringLiteral("No table file loaded"));
  EXPECT_EQ(modal.dialogs, 0);
}

TEST_F(WindowTest, FindAndReplaceWholeBytesAcrossLineBreaksInHex) {
  running.View()->SetDlgItemTextA(kIdcRom, "41 42\n43 41\n42 43");
  int asked = 0;
  modal.onDialog = [&](CDialog& dialog) {
    ++asked;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Replace"));
    EXPECT_EQ(Label(dialog, kIdcFindWhere),
              QStringLiteral("In the ROM field, as hexadecimal bytes."));
    SetText(dialog, kIdcFindWhat, QStringLiteral("4243"));
    Press(dialog, kIdcFindNext);
    EXPECT_EQ(Field(kIdcRom)->FieldSelection(), std::make_pair(3LL, 8LL));
    SetText(dialog, kIdcReplaceWith, QStringLiteral("58"));
    Press(dialog, kIdcReplace);
    EXPECT_EQ(running.Bytes(kIdcRom), "41 58 41\n42 43");
    // The next match is selected.
    EXPECT_EQ(Field(kIdcRom)->FieldSelection(), std::make_pair(9LL, 14LL));
    SetText(dialog, kIdcFindWhat, QStringLiteral("4"));
    Press(dialog, kIdcFindNext);
    EXPECT_EQ(Label(dialog, kIdcFindResult),
              QStringLiteral("Type two hexadecimal digits for each byte."));
    SetText(dialog, kIdcFindWhat, QStringLiteral("42 43"));
    Press(dialog, kIdcReplaceAll);
    EXPECT_EQ(Label(dialog, kIdcFindResult), QStringLiteral("1 replaced."));
    Press(dialog, IDCANCEL);
    return dialog.result();
  };
  Key(Field(kIdcRom), Qt::Key_H, Qt::ControlModifier);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(running.Bytes(kIdcRom), "41 58 41\n58");
  // Replace All was one edit.
  Key(Field(kIdcRom), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(running.Bytes(kIdcRom), "41 58 41\n42 43");
}

TEST_F(WindowTest, FindTextThenFindNextWrapsRound) {
  running.Type(kIdcDump, QStringLiteral("Hero and hero"));
  modal.onDialog = [&](CDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Find"));
    EXPECT_FALSE(dialog.GetDlgItem(kIdcReplaceAll)->isEnabled());
    SetText(dialog, kIdcFindWhat, QStringLiteral("HERO"));
    Press(dialog, kIdcFindNext);
    Press(dialog, IDCANCEL);
    return dialog.result();
  };
  Field(kIdcDump)->moveCursor(QTextCursor::Start);
  Key(Field(kIdcDump), Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(Field(kIdcDump)->FieldSelection(), std::make_pair(0LL, 4LL));
  Key(Field(kIdcDump), Qt::Key_F3, Qt::NoModifier);
  EXPECT_EQ(Field(kIdcDump)->FieldSelection(), std::make_pair(9LL, 13LL));
  Key(Field(kIdcDump), Qt::Key_F3, Qt::NoModifier);
  EXPECT_EQ(Field(kIdcDump)->FieldSelection(), std::make_pair(0LL, 4LL));
  running.Type(kIdcDump, QStringLiteral("nothing here"));
  Key(Field(kIdcDump), Qt::Key_F3, Qt::NoModifier);
  EXPECT_EQ(running.Status(0),
            QStringLiteral("\"HERO\" is not in the Dump field."));
  EXPECT_EQ(modal.dialogs, 1);
}

TEST_F(WindowTest, RomFileDroppedOnTheRomFieldAsksWhatItIs) {
  const QString rom =
      files.Write("game.sfc", std::string("\x41\x42\x00\xFF", 4));
  QWidget* romField = running.Field(kIdcRom)->viewport();
  struct Case {
    int choice;
    std::string romBytes;
    const char* message;
  };
  const Case cases[] = {
      {IDCANCEL, "", nullptr},
      {kIdcOpenAsTable, "", "holds no table entries."},
      {kIdcLoadDroppedBytes, "414200FF", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.choice);
    modal.messages.clear();
    running.Field(kIdcRom)->clear();
    modal.onDialog = [&](CDialog& dialog) {
      if (dynamic_cast<CDroppedFileDialog*>(&dialog) != nullptr) {
        EXPECT_EQ(Label(dialog, kIdcDroppedName),
                  QStringLiteral("\"game.sfc\" is not a table file (.tbl)."));
        Press(dialog, c.choice);
        return dialog.result();
      }
      // Loading the bytes: the whole file, from offset 0.
      EXPECT_NE(dynamic_cast<CLoadRomDialog*>(&dialog), nullptr);
      EXPECT_EQ(Label(dialog, kIdcLoadSize), QStringLiteral("4 bytes (0x4)"));
      Press(dialog, IDOK);
      return dialog.result();
    };
    Drop(romField, rom);
    EXPECT_EQ(running.Bytes(kIdcRom), c.romBytes);
    EXPECT_EQ(running.Frame()->windowTitle(),
              QStringLiteral("abx.tbl - Dalvren"));
    if (c.message != nullptr) {
      ASSERT_EQ(modal.messages.size(), 1u);
      EXPECT_TRUE(modal.messages[0].text.endsWith(QLatin1String(c.message)));
    } else {
      EXPECT_TRUE(modal.messages.empty());
    }
  }
  EXPECT_EQ(modal.dialogs, 4);
  // On the Dump field a file opens as the table, as before.
  Drop(running.Field(kIdcDump)->viewport(), rom);
  EXPECT_EQ(modal.dialogs, 4);
  ASSERT_EQ(modal.messages.size(), 1u);
}

TEST_F(WindowTest, SaveDumpAsAndOpenDumpKeepEveryByte) {
  const std::string bytes = "caf\xC3\xA9 \xFF\r\n\x82\xA0\n";
  running.View()->SetDlgItemTextA(kIdcDump, bytes);
  const QString path = files.Path("script.txt");
  modal.saveAnswers << path;
  running.Menu(kIdFileSaveDumpAs);
  QFile saved(path);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll().toStdString(), bytes);
  EXPECT_EQ(running.Status(0),
            QStringLiteral("Saved 12 bytes of the Dump field to script.txt"));

  running.Type(kIdcDump, QStringLiteral("typed"));
  modal.openAnswers << path;
  running.Menu(kIdFileOpenDump);
  EXPECT_EQ(running.Bytes(kIdcDump), bytes);
  running.Menu(ID_EDIT_UNDO);
  EXPECT_EQ(running.Bytes(kIdcDump), "typed");

  QDir().mkpath(files.Path("folder"));
  ASSERT_EQ(mkfifo(QFile::encodeName(files.Path("pipe")).constData(), 0600), 0);
  for (const char* name : {"folder", "pipe"}) {
    modal.openAnswers << files.Path(QString::fromLatin1(name));
    running.Menu(kIdFileOpenDump);
  }
  ASSERT_EQ(modal.messages.size(), 2u);
  EXPECT_EQ(modal.messages[0].text,
            QStringLiteral("Cannot open \"%1\": it is a folder.")
                .arg(files.Path("folder")));
  EXPECT_EQ(modal.messages[1].text,
            QStringLiteral("Cannot open \"%1\": it is not a regular file.")
                .arg(files.Path("pipe")));
  EXPECT_EQ(running.Bytes(kIdcDump), "typed");
}

// A fill slower than the delay shows a progress bar and Cancel, and the
// window takes nothing else meanwhile; Cancel leaves the field as it was.
TEST_F(WindowTest, LongFillShowsProgressAndCancelKeepsTheField) {
  running.View()->m_nProgressDelay = 0;
  running.Type(kIdcDump, QStringLiteral("kept"));
  std::string hex;
  for (int i = 0; i < 3 * 1024 * 1024; ++i) hex += "41";
  running.View()->SetDlgItemTextA(kIdcRom, hex);
  CStatusBar* bar = running.Frame()->GetStatusBar();
  bool sawProgress = false;
  QTimer::singleShot(0, [&] {
    sawProgress = running.Frame()->IsBusy() &&
                  bar->CancelButton()->isVisible() &&
                  !running.Frame()->menuBar()->isEnabled();
    bar->CancelButton()->click();
  });
  running.Click(kIdcRomToDump);
  EXPECT_TRUE(sawProgress);
  EXPECT_EQ(running.Bytes(kIdcDump), "kept");
  EXPECT_EQ(running.Status(0),
            QStringLiteral("Cancelled: the field keeps its text."));
  EXPECT_FALSE(running.Frame()->IsBusy());
  EXPECT_FALSE(bar->ProgressBar()->isVisible());
  EXPECT_FALSE(Field(kIdcDump)->document()->isRedoAvailable());

  // Uncancelled, the text arrives whole, in blocks of a bounded length.
  running.Click(kIdcRomToDump);
  EXPECT_EQ(running.Bytes(kIdcDump), std::string(3 * 1024 * 1024, 'A'));
  int longest = 0;
  for (QTextBlock b = Field(kIdcDump)->document()->firstBlock(); b.isValid();
       b = b.next()) {
    longest = std::max(longest, b.length() - 1);
  }
  EXPECT_LE(longest, CEditField::kLongestBlock);
  EXPECT_TRUE(modal.messages.empty());
}

// What the manual page says the window says is what it says.
TEST(WindowManual, QuotesTheWindowsOwnMessages) {
  QFile manual(QStringLiteral(DALVREN_RES_DIR "/dalvren.1.txt"));
  ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(manual.readAll()).simplified();
  CModalRecorder modal;
  CTempFiles files;
  CRunningApp running({files.Write("t.tbl", "41=A\n")});
  // A file named FILE, as the manual calls it, in the folder of the tests.
  const QString cwd = QDir::currentPath();
  QDir::setCurrent(files.Path(QString()));
  running.Open(QStringLiteral("FILE"));
  QDir::setCurrent(cwd);
  ASSERT_EQ(modal.messages.size(), 1u);
  for (const QString& said :
       {modal.messages[0].text, NoEntriesMessage(QStringLiteral("FILE")),
        QString::fromLatin1(kNoTableMessage)}) {
    EXPECT_TRUE(text.contains(said)) << said.toStdString();
  }
  EXPECT_FALSE(text.contains(QString::fromLatin1(kOpenErrorMessage)));
}

}  // namespace
}  // namespace dalvren
