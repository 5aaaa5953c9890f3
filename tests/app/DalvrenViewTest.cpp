// The converter form through the real window: fill a field, click a button,
// read the other field.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMimeData>
#include <QPushButton>
#include <QTextDocument>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "tests/app/RunningApp.h"
#include "tests/support/FieldBytes.h"
#include "tests/support/ModalRecorder.h"
#include "tests/support/TempFiles.h"

namespace dalvren {
namespace {

using test::CModalRecorder;
using test::CRunningApp;
using test::CTempFiles;
using test::RandomFieldBytes;

constexpr char kTable[] = "41=A\n42=B\n4142=X\n";

class DalvrenViewTest : public testing::Test {
 protected:
  CModalRecorder modal;
  CTempFiles files;
  CRunningApp running{{files.Write("abx.tbl", kTable)}};
};

TEST_F(DalvrenViewTest, FormHasTheTemplateControls) {
  ASSERT_TRUE(running.started);
  struct Control {
    int id;
    const char* text;
  };
  for (const Control& c :
       {Control{kIdcRomToDump, "&>>>>"}, Control{kIdcDumpToRom, "&<<<<"},
        Control{kIdcRomHex, "Hex"}, Control{kIdcDumpHex, "Hex"}}) {
    auto* button =
        qobject_cast<QAbstractButton*>(running.View()->GetDlgItem(c.id));
    ASSERT_NE(button, nullptr) << c.id;
    EXPECT_EQ(button->text(), QString::fromLatin1(c.text));
  }
  // Tab order is the template's: ROM, Dump, the buttons, then the boxes.
  QWidget* w = running.Field(kIdcRom);
  for (int id :
       {kIdcDump, kIdcRomToDump, kIdcDumpToRom, kIdcRomHex, kIdcDumpHex}) {
    w = w->nextInFocusChain();
    while (!(w->focusPolicy() & Qt::TabFocus)) w = w->nextInFocusChain();
    EXPECT_EQ(w, running.View()->GetDlgItem(id)) << id;
  }
  // Side by side, ROM on the left, buttons between.
  const QRect rom = running.Field(kIdcRom)->geometry();
  const QRect dump = running.Field(kIdcDump)->geometry();
  const QRect button = running.View()->GetDlgItem(kIdcRomToDump)->geometry();
  EXPECT_LT(rom.right(), button.left());
  EXPECT_LT(button.right(), dump.left());
  EXPECT_EQ(rom.size(), dump.size());
  // The options start at their defaults and show in their boxes.
  EXPECT_EQ(running.View()->m_bRomHex, 1);
  EXPECT_EQ(running.View()->m_bDumpHex, 0);
  EXPECT_EQ(running.View()->IsDlgButtonChecked(kIdcRomHex), BST_CHECKED);
  EXPECT_EQ(running.View()->IsDlgButtonChecked(kIdcDumpHex), BST_UNCHECKED);
}

TEST_F(DalvrenViewTest, ConvertsBothWaysWithTheDefaultOptions) {
  running.Type(kIdcRom, QStringLiteral("41 42 41"));
  running.Click(kIdcRomToDump);
  EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("XA"));
  EXPECT_EQ(running.Text(kIdcRom), QStringLiteral("41 42 41"));

  running.Type(kIdcDump, QStringLiteral("BA"));
  running.Click(kIdcDumpToRom);
  EXPECT_EQ(running.Text(kIdcRom), QStringLiteral("4241"));

  running.Type(kIdcDump, QStringLiteral("XA"));
  running.Click(kIdcDumpToRom);
  EXPECT_EQ(running.Text(kIdcRom), QStringLiteral("414241"));
  EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("XA"));

  running.Field(kIdcRom)->clear();
  running.Click(kIdcRomToDump);
  EXPECT_EQ(running.Text(kIdcDump), QString());
  EXPECT_TRUE(modal.messages.empty());
}

TEST_F(DalvrenViewTest, HexBoxesSwitchTheFieldsAtTheNextConversion) {
  running.Click(kIdcDumpHex);
  EXPECT_EQ(running.View()->m_bDumpHex, 1);
  running.Type(kIdcRom, QStringLiteral("41"));
  running.Click(kIdcRomToDump);
  EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("41"));

  // Changing an option changes no text until the next conversion.
  running.Click(kIdcDumpHex);
  running.Click(kIdcRomHex);
  EXPECT_EQ(running.View()->m_bDumpHex, 0);
  EXPECT_EQ(running.View()->m_bRomHex, 0);
  EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("41"));

  running.Type(kIdcRom, QStringLiteral("AB"));
  running.Click(kIdcRomToDump);
  EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("X"));
  running.Type(kIdcDump, QStringLiteral("BAX"));
  running.Click(kIdcDumpToRom);
  EXPECT_EQ(running.Text(kIdcRom), QStringLiteral("BAAB"));
}

TEST(DalvrenViewNoTable, BothButtonsRefuseAndChangeNothing) {
  CModalRecorder modal;
  CRunningApp running;
  ASSERT_TRUE(running.started);
  running.Type(kIdcRom, QStringLiteral("41"));
  running.Type(kIdcDump, QStringLiteral("A"));
  for (int button : {kIdcRomToDump, kIdcDumpToRom}) {
    modal.messages.clear();
    running.Click(button);
    ASSERT_EQ(modal.messages.size(), 1u);
    EXPECT_EQ(modal.messages[0].text, QStringLiteral("No table file loaded"));
    EXPECT_EQ(modal.messages[0].style, MB_ICONHAND);
    EXPECT_EQ(running.Text(kIdcRom), QStringLiteral("41"));
    EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("A"));
  }
}

TEST_F(DalvrenViewTest, OpeningATableKeepsFieldsAndOptions) {
  running.Type(kIdcRom, QStringLiteral("41"));
  running.Type(kIdcDump, QStringLiteral("text"));
  running.Click(kIdcDumpHex);
  ASSERT_TRUE(running.Open(files.Write("other.tbl", "41=a\n")));
  EXPECT_EQ(running.Text(kIdcRom), QStringLiteral("41"));
  EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("text"));
  EXPECT_EQ(running.View()->m_bDumpHex, 1);
  EXPECT_EQ(running.View()->IsDlgButtonChecked(kIdcDumpHex), BST_CHECKED);
  running.Click(kIdcDumpHex);
  running.Click(kIdcRomToDump);
  EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("a"));
}

TEST_F(DalvrenViewTest, BusyCursorWhileTheResultIsStored) {
  std::vector<Qt::CursorShape> seen;
  QObject::connect(running.Field(kIdcDump), &QPlainTextEdit::textChanged, [&] {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    seen.push_back(cursor != nullptr ? cursor->shape() : Qt::ArrowCursor);
  });
  running.Type(kIdcRom, QStringLiteral("41"));
  running.Click(kIdcRomToDump);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), Qt::WaitCursor);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(DalvrenViewTest, FieldFullOfLineBreaks) {
  running.Field(kIdcRom)->setPlainText(QStringLiteral("\n\n4\n1\n\n42\n\n\n"));
  running.Click(kIdcRomToDump);
  EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("X"));
  running.Field(kIdcDump)->setPlainText(QStringLiteral("\nA\n\nB\n"));
  running.Click(kIdcDumpToRom);
  EXPECT_EQ(running.Text(kIdcRom), QStringLiteral("4142"));
  running.Field(kIdcDump)->setPlainText(QString(5000, QLatin1Char('\n')));
  running.Click(kIdcDumpToRom);
  EXPECT_EQ(running.Text(kIdcRom), QString());
}

TEST(DalvrenViewText, Utf8AndOtherBytesRoundTripThroughTheDump) {
  CModalRecorder modal;
  CTempFiles files;
  // Valid UTF-8 texts, and texts in a legacy encoding that are not UTF-8.
  CRunningApp running(
      {files.Write("mixed.tbl",
                   "F000=\xE3\x81\x82\nF200=\xE5\x8B\x87\xE8\x80\x85\n"
                   "10=\x82\xA0\n11=\xFF\n12=\xC3\n20= \n")});
  ASSERT_TRUE(running.started);
  running.Type(kIdcRom, QStringLiteral("F000 20 F200 10 11 12 F000"));
  running.Click(kIdcRomToDump);
  const std::string dump = running.Bytes(kIdcDump);
  EXPECT_EQ(
      dump,
      "\xE3\x81\x82 \xE5\x8B\x87\xE8\x80\x85\x82\xA0\xFF\xC3\xE3\x81\x82");
  EXPECT_TRUE(running.Text(kIdcDump).startsWith(QStringLiteral("あ 勇者")));
  running.Field(kIdcRom)->clear();
  running.Click(kIdcDumpToRom);
  EXPECT_EQ(running.Text(kIdcRom), QStringLiteral("F00020F200101112F000"));
}

// A pasted megabyte of ROM: the result arrives whole, and wraps by
// character so that laying it out stays linear.
TEST_F(DalvrenViewTest, LargePaste) {
  QString hex;
  std::string expected;
  for (int i = 0; i < 1024 * 1024; ++i) {
    const bool x = i % 3 == 0;
    hex += x ? QStringLiteral("4142") : QStringLiteral("41");
    expected += x ? 'X' : 'A';
  }
  running.Field(kIdcRom)->setFocus();
  QApplication::clipboard()->setText(hex);
  running.Field(kIdcRom)->paste();
  EXPECT_EQ(running.Field(kIdcRom)->wordWrapMode(), QTextOption::WrapAnywhere);
  running.Click(kIdcRomToDump);
  EXPECT_EQ(running.Bytes(kIdcDump), expected);
  EXPECT_EQ(running.Field(kIdcDump)->wordWrapMode(), QTextOption::WrapAnywhere);

  running.Click(kIdcRomHex);
  running.Click(kIdcDumpHex);
  running.Field(kIdcDump)->clear();
  running.Type(kIdcDump, QStringLiteral("41"));
  running.Click(kIdcDumpToRom);
  EXPECT_EQ(running.Text(kIdcRom), QStringLiteral("A"));
  // A short text wraps between words again.
  EXPECT_EQ(running.Field(kIdcRom)->wordWrapMode(),
            QTextOption::WrapAtWordBoundaryOrAnywhere);
}

// 16 MiB of hex digits in a field: read and converted whole. Only the last
// code is known to the table, so the result shows that nothing was cut.
TEST_F(DalvrenViewTest, SixteenMegabytesOfHex) {
  constexpr std::size_t kDigits = 16 * 1024 * 1024;
  std::string hex(kDigits - 4, '0');
  hex += "4142";
  running.View()->SetDlgItemTextA(kIdcRom, hex);
  running.Click(kIdcRomToDump);
  EXPECT_EQ(running.Text(kIdcDump), QStringLiteral("X"));
  EXPECT_EQ(running.View()->GetDlgItemTextA(kIdcRom).size(), kDigits);
  EXPECT_TRUE(modal.messages.empty());
}

// A large result in hex shows as rows, one text block each, which the field
// lays out only as far as it shows them; converted back, the rows give the
// same bytes.
TEST_F(DalvrenViewTest, LargeHexResultShowsInRowsAndConvertsBack) {
  constexpr int kBytes = 100 * 1024 + 5;
  std::string hex;
  std::string digits;
  for (int i = 0; i < kBytes; ++i) {
    // Never 41 before 42, which the table takes together.
    const char* code = i < kBytes / 3 ? "42 " : "41 ";
    hex += code;
    digits.append(code, 2);
  }
  running.View()->SetDlgItemTextA(kIdcRom, hex);
  running.Click(kIdcDumpHex);
  running.Click(kIdcRomToDump);
  QPlainTextEdit* dump = running.Field(kIdcDump);
  EXPECT_EQ(dump->document()->blockCount(), kBytes / 1024 + 1);
  EXPECT_EQ(dump->wordWrapMode(), QTextOption::WrapAnywhere);

  running.Field(kIdcRom)->clear();
  running.Click(kIdcDumpToRom);
  std::string back = running.Bytes(kIdcRom);
  EXPECT_EQ(running.Field(kIdcRom)->document()->blockCount(),
            kBytes / 1024 + 1);
  std::erase(back, '\n');
  EXPECT_EQ(back, digits);
  EXPECT_TRUE(modal.messages.empty());
}

// A hex result that fills its last row exactly ends there: no line break
// after it, and so no empty row below it.
TEST_F(DalvrenViewTest, HexResultThatFillsItsLastRowEndsWithoutABreak) {
  running.Click(kIdcDumpHex);
  for (const int bytes : {1, 1023, 1024, 1025, 2048}) {
    SCOPED_TRACE(bytes);
    std::string rom;
    std::string rows;
    for (int i = 0; i < bytes; ++i) {
      rom += "41 ";
      if (i > 0 && i % 1024 == 0) rows += '\n';
      rows += "41";
    }
    running.View()->SetDlgItemTextA(kIdcRom, rom);
    running.Click(kIdcRomToDump);
    EXPECT_EQ(running.Bytes(kIdcDump), rows);
    EXPECT_EQ(running.Field(kIdcDump)->document()->blockCount(),
              (bytes + 1023) / 1024);
  }
  EXPECT_TRUE(modal.messages.empty());
}

// Fields keep every byte: what one conversion puts into a field, the other
// reads back exactly.
class FieldBytesTest : public testing::Test {
 protected:
  void Start(const std::string& table) {
    running = std::make_unique<CRunningApp>(
        QStringList{files.Write(QStringLiteral("bytes.tbl"), table)});
    ASSERT_TRUE(running->started);
  }
  // Converts ROM hex `rom` into the Dump field, empties the ROM field and
  // converts the Dump field back.
  void ThereAndBack(const QString& rom) {
    running->Type(kIdcRom, rom);
    running->Click(kIdcRomToDump);
    running->Field(kIdcRom)->clear();
    running->Click(kIdcDumpToRom);
  }

  CModalRecorder modal;
  CTempFiles files;
  std::unique_ptr<CRunningApp> running;
};

TEST_F(FieldBytesTest, NoBreakSpaceComesBackAsItself) {
  Start("41=A\n42=B\n20= \nA0=\xC2\xA0\n");
  ThereAndBack(QStringLiteral("41 A0 42"));
  EXPECT_EQ(running->Text(kIdcRom), QStringLiteral("41A042"));
}

TEST_F(FieldBytesTest, SeparatorsAndFrameMarkersComeBackAsThemselves) {
  Start(
      "41=A\n01=\xE2\x80\xA8\n02=\xE2\x80\xA9\n03=\xEF\xB7\x90\n"
      "04=\xEF\xB7\x91\n0A=LF\n");
  for (const char* code : {"01", "02", "03", "04"}) {
    SCOPED_TRACE(code);
    ThereAndBack(QStringLiteral("41 %1 41").arg(QLatin1String(code)));
    EXPECT_EQ(
        running->Text(kIdcRom),
        QStringLiteral("41") + QLatin1String(code) + QStringLiteral("41"));
  }
}

TEST_F(FieldBytesTest, ByteOrderMarkAtTheStartComesBack) {
  Start("01=\xEF\xBB\xBF\n41=A\n");
  for (const char* rom : {"01 41 01", "01"}) {
    SCOPED_TRACE(rom);
    ThereAndBack(QString::fromLatin1(rom));
    EXPECT_EQ(running->Text(kIdcRom),
              QString::fromLatin1(rom).remove(QLatin1Char(' ')));
  }
}

TEST_F(FieldBytesTest, CarriageReturnsInATextFieldComeBack) {
  Start("0D0A=[NL]\n0D=[CR]\n41=A\n");
  running->Click(kIdcRomHex);
  running->Type(kIdcDump, QStringLiteral("A[NL]A[CR]A"));
  running->Click(kIdcDumpToRom);
  EXPECT_EQ(running->Bytes(kIdcRom), "A\r\nA\rA");
  // The lone CR shows as a mark on its line; only the line feed breaks.
  EXPECT_EQ(running->Field(kIdcRom)->document()->blockCount(), 2);
  running->Field(kIdcDump)->clear();
  running->Click(kIdcRomToDump);
  EXPECT_EQ(running->Text(kIdcDump), QStringLiteral("A[NL]A[CR]A"));
}

// Text in a legacy encoding shows as marks; copied and pasted back it is
// still the same bytes, while other programs get the marks as text.
TEST_F(FieldBytesTest, CopyAndPasteKeepTheBytesBetweenFields) {
  Start("10=\x82\xA0\n11=\xFF\n41=A\n");
  running->Type(kIdcRom, QStringLiteral("41 10 11 41"));
  running->Click(kIdcRomToDump);
  QPlainTextEdit* dump = running->Field(kIdcDump);
  dump->selectAll();
  QTest::keyClick(dump, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(),
            QString::fromUtf8("A\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
                              "A"));
  EXPECT_EQ(QApplication::clipboard()
                ->mimeData()
                ->data(QStringLiteral("application/x-dalvren-bytes"))
                .toStdString(),
            "A\x82\xA0\xFF"
            "A");

  dump->clear();
  QTest::keyClick(dump, Qt::Key_V, Qt::ControlModifier);
  running->Field(kIdcRom)->clear();
  running->Click(kIdcDumpToRom);
  EXPECT_EQ(running->Text(kIdcRom), QStringLiteral("41101141"));
}

// Random bytes through a table that maps every byte to itself (but LF and
// CR, which a table line cannot hold): ROM text to Dump and back.
TEST_F(FieldBytesTest, RandomBytesSurviveBothConversionsAsText) {
  std::string table;
  for (int b = 1; b < 256; ++b) {
    if (b == '\n' || b == '\r') continue;
    char code[4];
    std::snprintf(code, sizeof code, "%02X=", b);
    table += code;
    table += static_cast<char>(b);
    table += '\n';
  }
  Start(table);
  running->Click(kIdcRomHex);
  std::mt19937 random(10);
  for (int round = 0; round < 200; ++round) {
    const std::string bytes = RandomFieldBytes(random, false);
    running->View()->SetDlgItemTextA(kIdcRom, bytes);
    running->Click(kIdcRomToDump);
    ASSERT_EQ(running->Bytes(kIdcDump), bytes) << round;
    running->Field(kIdcRom)->clear();
    running->Click(kIdcDumpToRom);
    ASSERT_EQ(running->Bytes(kIdcRom), bytes) << round;
  }
  EXPECT_TRUE(modal.messages.empty());
}

}  // namespace
}  // namespace dalvren
