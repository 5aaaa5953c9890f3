// A field holds bytes: every byte sequence put into a real field comes back
// exactly, typed line breaks are line feeds, and copy and paste keep bytes
// between fields while other programs get readable text.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "framework/Document.h"
#include "framework/EditField.h"
#include "framework/FormView.h"
#include "tests/support/FieldBytes.h"

namespace dalvren {
namespace {

using test::RandomFieldBytes;
using test::Utf8;

constexpr int kField = 10;
constexpr char kBytesType[] = "application/x-dalvren-bytes";

class CFieldForm : public CFormView {
 public:
  CFieldForm() : CFormView(200) { Create(document_); }
  [[nodiscard]] CEditField& Field() const {
    return *dynamic_cast<CEditField*>(GetDlgItem(kField));
  }

 private:
  CDocument document_;
};

std::string Printable(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
    hex += ' ';
  }
  return hex;
}

TEST(FieldBytes, RandomBytesComeBackExactly) {
  CFieldForm form;
  std::mt19937 random(2024);
  for (int round = 0; round < 3000; ++round) {
    const std::string bytes = RandomFieldBytes(random, true);
    form.SetDlgItemTextA(kField, bytes);
    ASSERT_EQ(form.GetDlgItemTextA(kField), bytes) << Printable(bytes);
  }
}

// Every Unicode scalar value, U+0000 included (the field holds it; only a
// conversion ends its text there), a few thousand at a time, with line feeds
// between them so that no line grows long, in a field on the screen.
TEST(FieldBytes, EveryScalarValueComesBack) {
  CFieldForm form;
  form.resize(form.sizeHint());
  form.show();
  constexpr char32_t kChunk = 0x2000;
  for (char32_t first = 0; first <= 0x10FFFF; first += kChunk) {
    std::string bytes;
    for (char32_t c = first; c < first + kChunk && c <= 0x10FFFF; ++c) {
      if (c >= 0xD800 && c <= 0xDFFF) continue;
      bytes += Utf8(c);
      if (c % 64 == 63) bytes += '\n';
    }
    form.SetDlgItemTextA(kField, bytes);
    QApplication::processEvents();  // laid out and painted
    ASSERT_EQ(form.GetDlgItemTextA(kField), bytes)
        << "from U+" << std::hex << static_cast<unsigned>(first);
  }
}

TEST(FieldBytes, CharactersThatADocumentChangesComeBack) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"no-break space",
       "41\xC2\xA0"
       "42"},
      {"line separator", "a\xE2\x80\xA8z"},
      {"paragraph separator", "a\xE2\x80\xA9z"},
      {"frame markers", "\xEF\xB7\x90x\xEF\xB7\x91"},
      {"byte-order mark first",
       "\xEF\xBB\xBF"
       "A"},
      {"byte-order mark first, then a stray byte", "\xEF\xBB\xBF\xFF"},
      {"carriage return", "a\rb"},
      {"CR LF", "a\r\nb\r\n"},
      {"lone CR at the end", "\r"},
      {"replacement character", "\xEF\xBF\xBD\xFF"},
  };
  CFieldForm form;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form.SetDlgItemTextA(kField, c.bytes);
    EXPECT_EQ(form.GetDlgItemTextA(kField), c.bytes);
  }
}

// A CR stays on its line as a visible mark; only the line feed breaks.
TEST(FieldBytes, CarriageReturnShowsAsAMarkOnItsLine) {
  CFieldForm form;
  form.SetDlgItemTextA(kField, "ab\r\ncd\ref");
  const QTextDocument& document = *form.Field().document();
  ASSERT_EQ(document.blockCount(), 2);
  EXPECT_EQ(document.firstBlock().text().size(), 3);
  EXPECT_EQ(document.lastBlock().text().size(), 5);
}

TEST(FieldBytes, EnterAndShiftEnterTypeLineFeeds) {
  CFieldForm form;
  CEditField& field = form.Field();
  QTest::keyClicks(&field, QStringLiteral("a"));
  QTest::keyClick(&field, Qt::Key_Return);
  QTest::keyClicks(&field, QStringLiteral("b"));
  QTest::keyClick(&field, Qt::Key_Return, Qt::ShiftModifier);
  QTest::keyClicks(&field, QStringLiteral("c"));
  QTest::keyClick(&field, Qt::Key_Enter);
  // Shift+Enter puts a line separator into the document, not a new block.
  ASSERT_TRUE(field.document()->toRawText().contains(QChar::LineSeparator));
  EXPECT_EQ(form.GetDlgItemTextA(kField), "a\nb\nc\n");
}

class FieldClipboard : public testing::Test {
 protected:
  void SetUp() override { QApplication::clipboard()->clear(); }
  // Selects characters [from, to) of the field.
  void Select(int from, int to) {
    QTextCursor cursor(form.Field().document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    form.Field().setTextCursor(cursor);
  }
  CFieldForm form;
};

TEST_F(FieldClipboard, CopyGivesMarksToOtherProgramsAndBytesToFields) {
  const std::string bytes =
      "caf\xC3\xA9\xC2\xA0\xFF\x82\xA0\r\nx\xE2\x80\xA8y\xF0\x9F\x8E\xAE";
  form.SetDlgItemTextA(kField, bytes);
  form.Field().selectAll();
  QTest::keyClick(&form.Field(), Qt::Key_C, Qt::ControlModifier);

  const QMimeData* data = QApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->text(), QString::fromUtf8("caf\xC3\xA9\xC2\xA0\xEF\xBF\xBD"
                                            "\xEF\xBF\xBD\xEF\xBF\xBD"
                                            "\xEF\xBF\xBD\nx"
                                            "\xEF\xBF\xBD\xEF\xBF\xBD"
                                            "\xEF\xBF\xBDy\xF0\x9F\x8E\xAE"));
  EXPECT_EQ(data->data(QString::fromLatin1(kBytesType)).toStdString(), bytes);

  form.Field().clear();
  QTest::keyClicks(&form.Field(), QStringLiteral("<>"));
  QTest::keyClick(&form.Field(), Qt::Key_Left);
  QTest::keyClick(&form.Field(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(form.GetDlgItemTextA(kField), "<" + bytes + ">");
}

TEST_F(FieldClipboard, CutAndPasteOfPartOfTheText) {
  form.SetDlgItemTextA(kField, "a\xFF\rb\nc\xE2\x80\xA9");
  Select(1, 4);  // the escapes of FF and CR, and "b"
  form.Field().cut();
  EXPECT_EQ(QApplication::clipboard()->text(),
            QString::fromUtf8("\xEF\xBF\xBD\xEF\xBF\xBD"
                              "b"));
  EXPECT_EQ(form.GetDlgItemTextA(kField), "a\nc\xE2\x80\xA9");
  // Across the line break and the separator's three escapes.
  Select(1, 6);
  form.Field().paste();
  EXPECT_EQ(form.GetDlgItemTextA(kField), "a\xFF\rb");
  EXPECT_EQ(form.Field().textCursor().position(), 4);
}

TEST_F(FieldClipboard, TextFromAnotherProgramGoesInByteForByte) {
  struct Case {
    const char* name;
    QString text;
    std::string bytes;
  };
  const Case cases[] = {
      {"Windows line ends", QStringLiteral("41 42\r\n43\r\n"),
       "41 42\r\n43\r\n"},
      {"separators and a no-break space",
       QString::fromUtf8("a\xE2\x80\xA8"
                         "b\xE2\x80\xA9"
                         "c\xC2\xA0"
                         "d"),
       "a\xE2\x80\xA8"
       "b\xE2\x80\xA9"
       "c\xC2\xA0"
       "d"},
      {"lone surrogate", QStringLiteral("x") + QChar(0xDCFF), "x\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form.Field().clear();
    QApplication::clipboard()->setText(c.text);
    form.Field().paste();
    EXPECT_EQ(form.GetDlgItemTextA(kField), c.bytes);
  }
}

}  // namespace
}  // namespace dalvren
