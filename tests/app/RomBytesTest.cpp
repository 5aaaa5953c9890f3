// File > Load ROM Bytes and File > Write ROM Bytes through the running
// application: ranges at the start, in the middle and at the end of a ROM,
// and everything that must be refused with a clear message while nothing is
// loaded or written.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <functional>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "app/LoadRomDialog.h"
#include "app/WriteRomDialog.h"
#include "tests/app/RunningApp.h"
#include "tests/support/ModalRecorder.h"
#include "tests/support/TempFiles.h"

namespace dalvren {
namespace {

using test::CModalRecorder;
using test::CRunningApp;
using test::CTempFiles;

void SetText(const CWnd& dialog, int id, const QString& text) {
  qobject_cast<QLineEdit*>(dialog.GetDlgItem(id))->setText(text);
}

QString Text(const CWnd& dialog, int id) {
  return qobject_cast<QLineEdit*>(dialog.GetDlgItem(id))->text();
}

void Press(const CWnd& dialog, int id) {
  QTest::mouseClick(dialog.GetDlgItem(id), Qt::LeftButton);
}

std::string ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "(unreadable)";
  return file.readAll().toStdString();
}

class RomBytesTest : public testing::Test {
 protected:
  RomBytesTest() {
    for (int b = 0; b < 16; ++b) rom_.push_back(static_cast<char>(b));
    romPath_ = files.Write("game.rom", rom_);
  }

  // Runs Load ROM Bytes with `fill` working the dialog; returns whether it
  // ended with OK. A refused OK leaves the dialog open, so the test presses
  // Cancel after it.
  bool Load(const std::function<void(CDialog&)>& fill) {
    int result = IDCANCEL;
    modal.onDialog = [&](CDialog& dialog) {
      EXPECT_NE(dynamic_cast<CLoadRomDialog*>(&dialog), nullptr);
      fill(dialog);
      if (dialog.result() != IDOK) Press(dialog, IDCANCEL);
      result = dialog.result();
      return result;
    };
    running.Menu(kIdFileLoadRom);
    return result == IDOK;
  }

  // Runs Write ROM Bytes likewise.
  bool Write(const std::function<void(CDialog&)>& fill) {
    int result = IDCANCEL;
    modal.onDialog = [&](CDialog& dialog) {
      EXPECT_NE(dynamic_cast<CWriteRomDialog*>(&dialog), nullptr);
      fill(dialog);
      if (dialog.result() != IDOK) Press(dialog, IDCANCEL);
      result = dialog.result();
      return result;
    };
    running.Menu(kIdFileWriteRom);
    return result == IDOK;
  }

  CModalRecorder modal;
  CTempFiles files;
  CRunningApp running{{files.Write("t.tbl", "41=A\n")}};
  std::string rom_;
  QString romPath_;
};

TEST_F(RomBytesTest, LoadsRangesAtTheStartInTheMiddleAndAtTheEnd) {
  struct Case {
    const char* offset;
    const char* length;
    const char* field;
  };
  const Case cases[] = {
      {"0", "4", "00010203"},
      {"0x6", "3", "060708"},
      {"12", "", "0C0D0E0F"},
      {"", "2", "0001"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    ASSERT_TRUE(Load([&](CDialog& dialog) {
      SetText(dialog, kIdcLoadFile, romPath_);
      EXPECT_EQ(qobject_cast<QLabel*>(dialog.GetDlgItem(kIdcLoadSize))->text(),
                QStringLiteral("16 bytes (0x10)"));
      SetText(dialog, kIdcLoadOffset, QString::fromLatin1(c.offset));
      SetText(dialog, kIdcLoadLength, QString::fromLatin1(c.length));
      Press(dialog, IDOK);
    }));
    EXPECT_EQ(running.Bytes(kIdcRom), c.field);
  }
  EXPECT_EQ(running.Status(0),
            QStringLiteral("ROM: 2 bytes from game.rom at offset 0 (0x0)"));
  EXPECT_TRUE(modal.messages.empty());
  // Loaded as one edit.
  running.Menu(ID_EDIT_UNDO);
  EXPECT_EQ(running.Bytes(kIdcRom), "0C0D0E0F");
}

TEST_F(RomBytesTest, TextFieldTakesTheBytesThemselves) {
  running.Click(kIdcRomHex);
  const QString text = files.Write("text.rom", "Hero\xFF!");
  ASSERT_TRUE(Load([&](CDialog& dialog) {
    SetText(dialog, kIdcLoadFile, text);
    Press(dialog, IDOK);
  }));
  EXPECT_EQ(running.Bytes(kIdcRom), "Hero\xFF!");
}

TEST_F(RomBytesTest, RefusesWhatCannotBeLoadedAndLoadsNothing) {
  QDir().mkpath(files.Path("folder"));
  const QString fifo = files.Path("pipe");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  struct Case {
    QString path;
    const char* offset;
    const char* length;
    const char* why;
  };
  const Case cases[] = {
      {romPath_, "17", "1",
       "offset 17 (0x11) is past the end of the file (16 bytes)"},
      {romPath_, "0", "0", "the length is 0: there is nothing to load"},
      {romPath_, "1", "0xFFFFFFFFFFFFFFFF",
       "18446744073709551615 bytes at offset 1 (0x1) reach past the end of "
       "the file (16 bytes)"},
      {romPath_, "12x", "",
       "the offset: \"12x\" is no number (decimal, or hexadecimal after 0x)"},
      {files.Path("folder"), "0", "", "it is a folder"},
      {fifo, "0", "", "it is not a regular file"},
      {files.Path("missing.rom"), "0", "", "no such file"},
  };
  running.View()->SetDlgItemTextA(kIdcRom, "AA");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    modal.messages.clear();
    EXPECT_FALSE(Load([&](CDialog& dialog) {
      SetText(dialog, kIdcLoadFile, c.path);
      SetText(dialog, kIdcLoadOffset, QString::fromLatin1(c.offset));
      SetText(dialog, kIdcLoadLength, QString::fromLatin1(c.length));
      Press(dialog, IDOK);
    }));
    ASSERT_EQ(modal.messages.size(), 1u);
    EXPECT_EQ(
        modal.messages[0].text,
        QStringLiteral("Cannot load bytes from \"%1\": %2.")
            .arg(QDir::toNativeSeparators(c.path), QString::fromUtf8(c.why)));
    EXPECT_EQ(modal.messages[0].style, MB_ICONHAND);
    EXPECT_EQ(running.Bytes(kIdcRom), "AA");
  }
}

TEST_F(RomBytesTest, BrowseChoosesTheFileAndShowsItsSize) {
  modal.openAnswers << romPath_;
  ASSERT_TRUE(Load([&](CDialog& dialog) {
    Press(dialog, kIdcLoadBrowse);
    EXPECT_EQ(Text(dialog, kIdcLoadFile), romPath_);
    EXPECT_EQ(qobject_cast<QLabel*>(dialog.GetDlgItem(kIdcLoadSize))->text(),
              QStringLiteral("16 bytes (0x10)"));
    SetText(dialog, kIdcLoadOffset, QStringLiteral("15"));
    Press(dialog, IDOK);
  }));
  EXPECT_EQ(running.Bytes(kIdcRom), "0F");
}

TEST_F(RomBytesTest, LastFileAndOffsetAreKeptForBothCommands) {
  ASSERT_TRUE(Load([&](CDialog& dialog) {
    SetText(dialog, kIdcLoadFile, romPath_);
    SetText(dialog, kIdcLoadOffset, QStringLiteral("0x4"));
    SetText(dialog, kIdcLoadLength, QStringLiteral("2"));
    Press(dialog, IDOK);
  }));
  Load([&](CDialog& dialog) {
    EXPECT_EQ(Text(dialog, kIdcLoadFile), romPath_);
    EXPECT_EQ(Text(dialog, kIdcLoadOffset), QStringLiteral("0x4"));
  });
  Write([&](CDialog& dialog) {
    EXPECT_EQ(Text(dialog, kIdcWriteRom), romPath_);
    EXPECT_EQ(Text(dialog, kIdcWriteOffset), QStringLiteral("0x4"));
    EXPECT_EQ(qobject_cast<QLabel*>(dialog.GetDlgItem(kIdcWriteCount))->text(),
              QStringLiteral("2 bytes from the ROM field."));
  });
}

TEST_F(RomBytesTest, WritesIntoANewFileOrIntoTheRomAtTheStartMiddleAndEnd) {
  running.Type(kIdcRom, QStringLiteral("AA BB"));
  struct Case {
    const char* offset;
    bool grow;
    std::string result;
  };
  std::string start = rom_;
  start.replace(0, 2, "\xAA\xBB");
  std::string middle = rom_;
  middle.replace(7, 2, "\xAA\xBB");
  std::string end = rom_;
  end.replace(14, 2, "\xAA\xBB");
  const Case cases[] = {
      {"0", false, start},
      {"7", false, middle},
      {"0xE", false, end},
      {"15", true, rom_.substr(0, 15) + "\xAA\xBB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    files.Write("game.rom", rom_);
    const QString copy = files.Path("copy.rom");
    QFile::remove(copy);
    modal.messages.clear();
    ASSERT_TRUE(Write([&](CDialog& dialog) {
      SetText(dialog, kIdcWriteRom, romPath_);
      SetText(dialog, kIdcWriteOffset, QString::fromLatin1(c.offset));
      SetText(dialog, kIdcWriteNewFile, copy);
      if (c.grow) dialog.CheckDlgButton(kIdcWriteGrow, BST_CHECKED);
      Press(dialog, IDOK);
    }));
    EXPECT_EQ(ReadAll(copy), c.result);
    EXPECT_EQ(ReadAll(romPath_), rom_);
    // A new file is written without a question.
    EXPECT_TRUE(modal.messages.empty());

    modal.answers = {IDYES};
    ASSERT_TRUE(Write([&](CDialog& dialog) {
      Press(dialog, kIdcWriteToRom);
      if (c.grow) dialog.CheckDlgButton(kIdcWriteGrow, BST_CHECKED);
      Press(dialog, IDOK);
    }));
    EXPECT_EQ(ReadAll(romPath_), c.result);
    ASSERT_EQ(modal.messages.size(), 1u);
    EXPECT_EQ(
        modal.messages[0].text,
        QStringLiteral("Write 2 bytes into \"%1\" at offset %2? The "
                       "file is replaced by a copy with these bytes.")
            .arg(QDir::toNativeSeparators(romPath_),
                 QString::fromLatin1(c.offset).startsWith("0x")
                     ? QStringLiteral("14 (0xE)")
                     : QStringLiteral("%1 (0x%2)")
                           .arg(QString::fromLatin1(c.offset))
                           .arg(QString::fromLatin1(c.offset).toInt(), 0, 16)
                           .toUpper()
                           .replace(QStringLiteral("0X"),
                                    QStringLiteral("0x"))));
    EXPECT_EQ(modal.messages[0].style, MB_YESNO | MB_ICONQUESTION);
  }
}

TEST_F(RomBytesTest, RefusesWhatCannotBeWrittenAndWritesNothing) {
  running.Type(kIdcRom, QStringLiteral("AA BB"));
  const QString locked = files.Write("locked.rom", rom_);
  QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup);
  QDir().mkpath(files.Path("folder"));
  const QString fifo = files.Path("pipe.rom");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  struct Case {
    const char* name;
    QString rom;
    const char* offset;
    QString newFile;  // empty: into the ROM itself
    QString target;
    const char* why;
  };
  const Case cases[] = {
      {"past the end", romPath_, "15", QString(), romPath_,
       "2 bytes at offset 15 (0xF) would reach past the end of the file (16 "
       "bytes); let the file grow to write them"},
      {"offset past the end", romPath_, "17", files.Path("copy.rom"),
       files.Path("copy.rom"),
       "offset 17 (0x11) is past the end of the file (16 bytes)"},
      {"read-only ROM", locked, "0", QString(), locked, "it is read-only"},
      {"a folder as the new file", romPath_, "0", files.Path("folder"),
       files.Path("folder"), "it is a folder"},
      {"a pipe as the ROM", fifo, "0", files.Path("copy.rom"), fifo,
       "it is not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    modal.messages.clear();
    modal.answers = {IDYES};
    EXPECT_FALSE(Write([&](CDialog& dialog) {
      SetText(dialog, kIdcWriteRom, c.rom);
      SetText(dialog, kIdcWriteOffset, QString::fromLatin1(c.offset));
      if (c.newFile.isEmpty()) {
        Press(dialog, kIdcWriteToRom);
      } else {
        SetText(dialog, kIdcWriteNewFile, c.newFile);
      }
      Press(dialog, IDOK);
    }));
    // Refused before any question.
    ASSERT_EQ(modal.messages.size(), 1u);
    EXPECT_EQ(modal.messages[0].text,
              QStringLiteral("Cannot %1 \"%2\": %3.")
                  .arg(c.target == fifo ? QStringLiteral("read")
                                        : QStringLiteral("write into"),
                       QDir::toNativeSeparators(c.target),
                       QString::fromLatin1(c.why)));
    EXPECT_EQ(ReadAll(romPath_), rom_);
    EXPECT_EQ(ReadAll(locked), rom_);
    EXPECT_FALSE(QFile::exists(files.Path("copy.rom")));
  }
  QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner);
}

// A new file that exists is replaced only when the user agrees, in the save
// prompt or in a question.
TEST_F(RomBytesTest, ExistingNewFileIsReplacedOnlyWhenAgreed) {
  running.Type(kIdcRom, QStringLiteral("AA"));
  const QString other = files.Write("other.rom", "keep");
  const auto toOther = [&](CDialog& dialog) {
    SetText(dialog, kIdcWriteRom, romPath_);
    SetText(dialog, kIdcWriteNewFile, other);
    Press(dialog, IDOK);
  };
  modal.answers = {IDNO};
  EXPECT_FALSE(Write(toOther));
  ASSERT_EQ(modal.messages.size(), 1u);
  EXPECT_EQ(modal.messages[0].text,
            QStringLiteral("\"%1\" exists already. Replace it?")
                .arg(QDir::toNativeSeparators(other)));
  EXPECT_EQ(ReadAll(other), "keep");

  modal.messages.clear();
  modal.saveAnswers << other;
  EXPECT_TRUE(Write([&](CDialog& dialog) {
    SetText(dialog, kIdcWriteRom, romPath_);
    Press(dialog, kIdcWriteNewBrowse);
    EXPECT_EQ(Text(dialog, kIdcWriteNewFile), other);
    Press(dialog, IDOK);
  }));
  EXPECT_TRUE(modal.messages.empty());
  EXPECT_EQ(ReadAll(other), "\xAA" + rom_.substr(1));
}

TEST_F(RomBytesTest, NoAnswerNoWrite) {
  running.Type(kIdcRom, QStringLiteral("AA"));
  modal.answers = {IDNO};
  EXPECT_FALSE(Write([&](CDialog& dialog) {
    SetText(dialog, kIdcWriteRom, romPath_);
    Press(dialog, kIdcWriteToRom);
    Press(dialog, IDOK);
  }));
  EXPECT_EQ(modal.messages.size(), 1u);
  EXPECT_EQ(ReadAll(romPath_), rom_);
}

TEST_F(RomBytesTest, ChangedSinceLoadedAsksBeforeWriting) {
  ASSERT_TRUE(Load([&](CDialog& dialog) {
    SetText(dialog, kIdcLoadFile, romPath_);
    SetText(dialog, kIdcLoadLength, QStringLiteral("2"));
    Press(dialog, IDOK);
  }));
  running.Type(kIdcRom, QStringLiteral("EE"));
  std::string changed = rom_;
  changed[9] = 'X';
  files.Write("game.rom", changed);
  const auto intoRom = [&](CDialog& dialog) {
    Press(dialog, kIdcWriteToRom);
    Press(dialog, IDOK);
  };
  modal.answers = {IDNO};
  EXPECT_FALSE(Write(intoRom));
  ASSERT_EQ(modal.messages.size(), 1u);
  EXPECT_EQ(modal.messages[0].text,
            QStringLiteral("\"%1\" has changed since its bytes were loaded. "
                           "Write from it anyway?")
                .arg(QDir::toNativeSeparators(romPath_)));
  EXPECT_EQ(ReadAll(romPath_), changed);

  modal.messages.clear();
  modal.answers = {IDYES, IDYES};
  EXPECT_TRUE(Write(intoRom));
  EXPECT_EQ(modal.messages.size(), 2u);
  changed[0] = '\xEE';
  EXPECT_EQ(ReadAll(romPath_), changed);
}

TEST_F(RomBytesTest, EmptyRomFieldHasNothingToWrite) {
  running.View()->SetDlgItemTextA(kIdcRom, "  \n");
  running.Menu(kIdFileWriteRom);
  EXPECT_EQ(modal.dialogs, 0);
  ASSERT_EQ(modal.messages.size(), 1u);
  EXPECT_EQ(modal.messages[0].text,
            QStringLiteral("The ROM field holds no bytes to write."));
}

}  // namespace
}  // namespace dalvren
