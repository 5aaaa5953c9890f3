// Long lines in a field: held as blocks of a bounded length, each after the
// first a continuation whose break is no character of the text, so that
// typing stays quick; whatever is set, typed, pasted, copied, replaced or
// undone still gives back the very bytes of the text.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>
#include <string>

#include <gtest/gtest.h>

#include "framework/Document.h"
#include "framework/EditField.h"
#include "framework/FormView.h"
#include "tests/support/FieldBytes.h"

namespace dalvren {
namespace {

using test::Utf8;

constexpr int kField = 10;

class CFieldForm : public CFormView {
 public:
  CFieldForm() : CFormView(200) { Create(document_); }
  [[nodiscard]] CEditField& Field() const {
    return *dynamic_cast<CEditField*>(GetDlgItem(kField));
  }
  [[nodiscard]] std::string Bytes() const { return GetDlgItemTextA(kField); }

 private:
  CDocument document_;
};

// A line of `n` letters with a blank now and then, no line break.
std::string Letters(std::size_t n) {
  std::string line;
  for (std::size_t i = 0; i < n; ++i) {
    line += i % 37 == 36 ? ' ' : static_cast<char>('a' + i % 26);
  }
  return line;
}

// The lengths of the blocks of `field`'s document.
std::vector<int> BlockLengths(const CEditField& field) {
  std::vector<int> lengths;
  for (QTextBlock b = field.document()->firstBlock(); b.isValid();
       b = b.next()) {
    lengths.push_back(b.length() - 1);
  }
  return lengths;
}

void PlaceCursor(CEditField& field, int position) {
  QTextCursor cursor(field.document());
  cursor.setPosition(position);
  field.setTextCursor(cursor);
}

TEST(LongLine, IsHeldInBoundedBlocksAndReadsBackWhole) {
  std::string emoji;
  for (int i = 0; i < 5000; ++i) emoji += Utf8(0x1F3AE);
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"letters and blanks", Letters(20000)},
      {"no blank at all", std::string(9000, 'x')},
      // Slices of the progress end where a block is just full.
      {"no blank across slices",
       std::string(2 * CEditField::kProgressSlice + 3, 'x')},
      {"surrogate pairs", emoji},
      {"short lines around a long one", "ab\n" + Letters(10000) + "\ncd\n"},
  };
  CFieldForm form;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form.SetDlgItemTextA(kField, c.bytes);
    const std::vector<int> lengths = BlockLengths(form.Field());
    EXPECT_GT(lengths.size(), 2u);
    for (const int length : lengths) {
      EXPECT_LE(length, CEditField::kLongestBlock);
    }
    for (QTextBlock b = form.Field().document()->firstBlock(); b.isValid();
         b = b.next()) {
      ASSERT_FALSE(!b.text().isEmpty() && b.text().front().isLowSurrogate());
    }
    EXPECT_EQ(form.Bytes(), c.bytes);
    EXPECT_FALSE(form.Field().FieldText().contains(QChar::ParagraphSeparator) &&
                 c.bytes.find('\n') == std::string::npos);
  }
}

// Enter inside a continuation breaks the line there; Backspace at the start
// of a continuation and Delete at the end of the block before it take the
// character beyond the break, as they would in one long line.
TEST(LongLine, EnterBackspaceAndDeleteAtContinuations) {
  CFieldForm form;
  CEditField& field = form.Field();
  const std::string line(10000, 'x');
  form.SetDlgItemTextA(kField, "a" + line + "z");
  const QTextBlock second = field.document()->firstBlock().next();
  ASSERT_TRUE(second.isValid());
  const int breakAt = second.position() - 1;  // document position

  PlaceCursor(field, second.position());
  QTest::keyClick(&field, Qt::Key_Backspace);
  EXPECT_EQ(form.Bytes(), "a" + std::string(9999, 'x') + "z");

  PlaceCursor(field, breakAt - 1);
  ASSERT_TRUE(field.textCursor().atBlockEnd());
  QTest::keyClick(&field, Qt::Key_Delete);
  EXPECT_EQ(form.Bytes(), "a" + std::string(9998, 'x') + "z");

  PlaceCursor(field, field.document()->lastBlock().position() + 1);
  QTest::keyClick(&field, Qt::Key_Return);
  QTest::keyClicks(&field, QStringLiteral("B"));
  const std::string text = form.Bytes();
  ASSERT_EQ(text.size(), 9998u + 4);
  EXPECT_EQ(text.front(), 'a');
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
  EXPECT_EQ(text.substr(text.find('\n'), 3), "\nBx");
  EXPECT_EQ(text.back(), 'z');
}

TEST(LongLine, CopyPasteAndReplaceCarryNoBreakOfTheirOwn) {
  QApplication::clipboard()->clear();
  CFieldForm form;
  CEditField& field = form.Field();
  const std::string line = Letters(12000);
  form.SetDlgItemTextA(kField, line);
  field.selectAll();
  field.copy();
  EXPECT_EQ(QApplication::clipboard()
                ->mimeData()
                ->data(QString::fromLatin1(kFieldBytesMimeType))
                .toStdString(),
            line);
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), line);

  form.SetDlgItemTextA(kField, "<>");
  PlaceCursor(field, 1);
  field.paste();
  EXPECT_EQ(form.Bytes(), "<" + line + ">");
  for (const int length : BlockLengths(field)) {
    EXPECT_LE(length, CEditField::kLongestBlock + 1);
  }

  // Across the first continuation's break, in field positions.
  const qsizetype from = 4090;
  field.ReplaceFieldRange(from, from + 20, QStringLiteral("XY"));
  std::string expected = "<" + line + ">";
  expected.replace(from, 20, "XY");
  EXPECT_EQ(form.Bytes(), expected);
  EXPECT_EQ(field.FieldSelection(), std::make_pair(from, from + 2));
  field.undo();
  EXPECT_EQ(form.Bytes(), "<" + line + ">");
}

TEST(LongLine, SetTextIsOneEditThatUndoTakesBack) {
  CFieldForm form;
  CEditField& field = form.Field();
  QTest::keyClicks(&field, QStringLiteral("typed"));
  // Several slices of the progress, joined into the one edit.
  const std::string large = Letters(2 * CEditField::kProgressSlice + 5);
  for (const std::string& text : {std::string("new"), large}) {
    SCOPED_TRACE(text.size());
    form.SetDlgItemTextA(kField, text);
    EXPECT_EQ(form.Bytes(), text);
    field.undo();
    EXPECT_EQ(form.Bytes(), "typed");
    field.redo();
    EXPECT_EQ(form.Bytes(), text);
    field.undo();
  }
  field.undo();
  EXPECT_EQ(form.Bytes(), "");
}

TEST(LongLine, CancelledSetTextKeepsTheOldTextWithNothingToRedo) {
  CFieldForm form;
  CEditField& field = form.Field();
  QTest::keyClicks(&field, QStringLiteral("kept"));
  const QString large(3 * CEditField::kProgressSlice, QLatin1Char('q'));
  int asked = 0;
  const bool done = field.SetText(large, [&](qsizetype got, qsizetype total) {
    EXPECT_EQ(total, large.size());
    EXPECT_GT(got, 0);
    return ++asked < 2;
  });
  EXPECT_FALSE(done);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(form.Bytes(), "kept");
  EXPECT_FALSE(field.document()->isRedoAvailable());
  // What was typed before is still the edit to undo.
  field.undo();
  EXPECT_EQ(form.Bytes(), "");
}

}  // namespace
}  // namespace dalvren
