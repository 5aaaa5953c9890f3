// The table document through the real application: opening, replacing,
// failing to open, and starting anew.
#include <QDir>
#include <QFile>
#include <string>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/app/RunningApp.h"
#include "tests/support/CoreTestSupport.h"
#include "tests/support/ModalRecorder.h"
#include "tests/support/TempFiles.h"

namespace dalvren {
namespace {

using test::CModalRecorder;
using test::CRunningApp;
using test::CTempFiles;
using test::TranslateToString;

std::string Forward(const CDalvrenDoc& doc, std::string_view bytes) {
  return TranslateToString(*doc.m_pTable->forward, bytes);
}

TEST(DalvrenDoc, StartsWithoutTable) {
  CModalRecorder modal;
  CRunningApp running;
  ASSERT_TRUE(running.started);
  EXPECT_EQ(running.Doc()->m_pTable, nullptr);
  EXPECT_TRUE(modal.messages.empty());
}

TEST(DalvrenDoc, SecondTableReplacesFirst) {
  CModalRecorder modal;
  CTempFiles files;
  CRunningApp running({files.Write("first.tbl", "41=A\n42=B\n")});
  ASSERT_TRUE(running.started);
  EXPECT_EQ(Forward(*running.Doc(), "\x41\x42"), "AB");

  ASSERT_TRUE(running.Open(files.Write("second.tbl", "42=b\n43=c\n")));
  EXPECT_EQ(Forward(*running.Doc(), "\x41\x42\x43"), "bc");
  EXPECT_TRUE(modal.messages.empty());
}

TEST(DalvrenDoc, FailedOpenKeepsPreviousTable) {
  CTempFiles files;
  QDir().mkpath(files.Path("folder.tbl"));
  const QString fifo = files.Path("pipe.tbl");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  struct Case {
    const char* what;
    QString path;
    const char* reason;
  };
  const Case cases[] = {
      {"missing", files.Path("missing.tbl"), "no such file"},
      {"directory", files.Path("folder.tbl"), "it is a folder"},
      // A pipe is refused before it is opened: opening one would wait for a
      // writer for ever.
      {"fifo", fifo, "it is not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CModalRecorder modal;
    CRunningApp running({files.Write("good.tbl", "41=A\n")});
    ASSERT_TRUE(running.started);
    EXPECT_FALSE(running.Open(c.path));
    ASSERT_EQ(modal.messages.size(), 1u);
    EXPECT_TRUE(
        modal.messages[0].text.contains(QDir::toNativeSeparators(c.path)))
        << modal.messages[0].text.toStdString();
    EXPECT_TRUE(modal.messages[0].text.contains(QLatin1String(c.reason)));
    EXPECT_EQ(modal.messages[0].style, MB_ICONHAND);
    EXPECT_EQ(Forward(*running.Doc(), "\x41"), "A");
    EXPECT_EQ(running.Frame()->windowTitle(),
              QStringLiteral("good.tbl - Dalvren"));
  }
}

// A document whose file disappears after the framework's own open step has
// looked at it and read it, as when another program replaces the table at
// that moment: the document's own stream cannot be opened.
class CVanishingFileDoc : public CDalvrenDoc {
 public:
  void Serialize(QIODevice& file) override {
    CDalvrenDoc::Serialize(file);
    if (vanish) QFile::remove(static_cast<QFile&>(file).fileName());
  }
  bool vanish = false;
};

TEST(DalvrenDoc, StreamThatCannotBeOpenedIsReportedAndKeepsTheTable) {
  CTempFiles files;
  CModalRecorder modal;
  CVanishingFileDoc doc;
  ASSERT_TRUE(doc.OnOpenDocument(files.Write("first.tbl", "41=A\n")));
  ASSERT_NE(doc.m_pTable, nullptr);
  EXPECT_TRUE(modal.messages.empty());

  const CCodeTable* before = doc.m_pTable.get();
  doc.vanish = true;
  EXPECT_FALSE(doc.OnOpenDocument(files.Write("second.tbl", "41=B\n")));
  ASSERT_EQ(modal.messages.size(), 1u);
  EXPECT_EQ(modal.messages[0].text, QString::fromLatin1(kOpenErrorMessage));
  EXPECT_EQ(modal.messages[0].style, MB_ICONHAND);
  EXPECT_EQ(doc.m_pTable.get(), before);
  EXPECT_EQ(Forward(doc, "\x41"), "A");
  EXPECT_FALSE(QFile::exists(files.Path("second.tbl")));
}

TEST(DalvrenDoc, OddFilesLoadWithoutComplaint) {
  CTempFiles files;
  std::string garbage;
  for (int i = 0; i < 64 * 1024; ++i) {
    garbage.push_back(static_cast<char>((i * 7919 + i / 13) & 0xFF));
  }
  struct Case {
    const char* name;
    std::string contents;
    std::string rom;
    std::string dump;
  };
  // Garbage alone, like an empty file, gives no entry at all: see
  // FileWithoutEntriesIsRefusedAndKeepsTheTable.
  const Case cases[] = {
      {"garbage.tbl", garbage + "\n41=A\n", "\x41", "A"},
      {"crlf.tbl", "41=A\r\n42=B\r\n", "\x42\x41", "BA"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CModalRecorder modal;
    CRunningApp running;
    ASSERT_TRUE(
        running.Open(files.Write(QString::fromLatin1(c.name), c.contents)));
    ASSERT_NE(running.Doc()->m_pTable, nullptr);
    EXPECT_EQ(Forward(*running.Doc(), c.rom), c.dump);
    EXPECT_TRUE(modal.messages.empty());
  }
}

// A file that gives no entry at all is no table: a ROM dropped on the
// window, a file of comments. It is refused with a message, and the table
// loaded before stays, with its report.
TEST(DalvrenDoc, FileWithoutEntriesIsRefusedAndKeepsTheTable) {
  CTempFiles files;
  std::string garbage;
  for (int i = 0; i < 64 * 1024; ++i) {
    garbage.push_back(static_cast<char>((i * 7919 + i / 13) & 0xFF));
  }
  std::string rom;
  for (int i = 0; i < 4096; ++i) {
    const char byte = static_cast<char>((i * 37) & 0xFF);
    rom.push_back(byte == '=' ? '\0' : byte);
  }
  const struct {
    const char* name;
    std::string contents;
  } cases[] = {
      {"empty.tbl", ""},
      {"blank.tbl", "\n\r\n\n"},
      {"comments.tbl", "# letters\n;41=A\nABC\n"},
      {"game.rom", rom},
      {"garbage.tbl", garbage},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CModalRecorder modal;
    CRunningApp running({files.Write("good.tbl", "41=A\n41=B\n")});
    ASSERT_TRUE(running.started);
    const std::string report = running.Doc()->m_strReport;
    const QString path = files.Write(QString::fromLatin1(c.name), c.contents);
    EXPECT_FALSE(running.Open(path));
    ASSERT_EQ(modal.messages.size(), 1u);
    EXPECT_EQ(modal.messages[0].text,
              QStringLiteral("\"%1\" holds no table entries.")
                  .arg(QDir::toNativeSeparators(path)));
    EXPECT_EQ(modal.messages[0].style, MB_ICONHAND);
    EXPECT_EQ(Forward(*running.Doc(), "\x41"), "B");
    EXPECT_EQ(running.Doc()->m_strReport, report);
    EXPECT_EQ(running.Frame()->windowTitle(),
              QStringLiteral("good.tbl - Dalvren"));
  }
}

TEST(DalvrenDoc, NewDocumentReleasesTheTable) {
  CModalRecorder modal;
  CTempFiles files;
  CRunningApp running({files.Write("t.tbl", "41=A\n")});
  ASSERT_NE(running.Doc()->m_pTable, nullptr);
  running.app.OnCmdMsg(ID_FILE_NEW);
  // A leak here shows under the address sanitizer's leak check.
  EXPECT_EQ(running.Doc()->m_pTable, nullptr);
  EXPECT_EQ(running.Frame()->windowTitle(),
            QStringLiteral("Untitled - Dalvren"));
  running.Type(kIdcRom, QStringLiteral("41"));
  running.Click(kIdcRomToDump);
  ASSERT_EQ(modal.messages.size(), 1u);
  EXPECT_EQ(modal.messages[0].text, QStringLiteral("No table file loaded"));
}

}  // namespace
}  // namespace dalvren
