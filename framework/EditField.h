// A multi-line edit field of a dialog template: plain text, wrapping long
// lines, Tab moving the focus on as in any dialog. It holds bytes exactly
// (see FieldText.h), and copies and pastes them exactly between fields.
//
// No block of its document grows past kLongestBlock characters when text is
// set or pasted: a longer line is held as several blocks, each after the
// first marked as the continuation of the one before, so that the break
// between them is no character of the field's text. Qt lays out a whole block
// at every change in it, so one block of millions of characters made each
// keystroke take seconds; blocks of a few thousand keep typing and layout
// independent of the text's length.
#pragma once

#include <QPlainTextEdit>
#include <QStringView>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dalvren {

// The clipboard and drag type under which a copy from a field carries its
// exact bytes; its text, for other programs, shows each escape as U+FFFD.
inline constexpr char kFieldBytesMimeType[] = "application/x-dalvren-bytes";

class CEditField : public QPlainTextEdit {
 public:
  // Told, now and then during a long replacement, that `done` of `total`
  // characters are in; returning false cancels it.
  using ProgressStep = std::function<bool(qsizetype done, qsizetype total)>;

  explicit CEditField(QWidget* parent);

  // The whole text as bytes: exactly the bytes last set, with what was
  // typed or pasted since; a typed line break is a line feed.
  [[nodiscard]] std::string Bytes() const;
  // Replaces the whole text with the text of `bytes`, as SetText does.
  void SetBytes(std::string_view bytes);

  // Replaces the whole text with field text `text` (see FieldText.h) as one
  // edit that Undo takes back. The text goes in a slice at a time; after
  // each, `progress` (when given) hears how far it got, and when it returns
  // false the field gets its old text back, with nothing left to redo, and
  // SetText returns false. Returns true when the text is in place.
  bool SetText(const QString& text, const ProgressStep& progress = {});

  // The whole text as field text: breaks are U+2029, and the breaks between
  // a block and its continuation are left out. Positions in it are the
  // field positions the functions below take.
  [[nodiscard]] QString FieldText() const;

  // Selects the field positions [from, to), the cursor at `to`, and shows
  // them.
  void SelectFieldRange(qsizetype from, qsizetype to);
  // The selection (or the cursor, as an empty range) in field positions.
  [[nodiscard]] std::pair<qsizetype, qsizetype> FieldSelection() const;
  // Replaces the field positions [from, to) with field text `text` as one
  // edit that Undo takes back, and selects what was put in.
  void ReplaceFieldRange(qsizetype from, qsizetype to, const QString& text);

  // Texts longer than this wrap at any character rather than between words.
  static constexpr qsizetype kLongText = qsizetype{16} * 1024;
  // The longest block that setting or pasting text makes. A hex row of a
  // conversion (1,024 bytes, 2,048 digits) is one block.
  static constexpr qsizetype kLongestBlock = 4096;
  // Characters put in between two reports to a ProgressStep.
  static constexpr qsizetype kProgressSlice = qsizetype{1} << 20;

 protected:
  // Copy, cut and drag: the selection's bytes under kFieldBytesMimeType and
  // its portable text.
  [[nodiscard]] QMimeData* createMimeDataFromSelection() const override;
  // Refuses local files, so that a file dropped on a field reaches the
  // window that opens it.
  [[nodiscard]] bool canInsertFromMimeData(
      const QMimeData* source) const override;
  // Paste and drop: the bytes of kFieldBytesMimeType where the data has
  // them, else the UTF-8 of its text, each byte exactly.
  void insertFromMimeData(const QMimeData* source) override;
  // Enter makes a block of its own, never a continuation; Backspace and
  // Delete at a continuation's break take the character beyond it.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Whether `block` continues the block before it.
  static bool IsContinuation(const QTextBlock& block);
  // Inserts field text `text` at `cursor`: each line feed or U+2029 a block
  // of its own, each line broken into continuations of at most
  // kLongestBlock characters, at a blank where one is near.
  static void InsertFieldText(QTextCursor& cursor, QStringView text);
  // The document positions of the breaks before continuation blocks, in
  // order.
  [[nodiscard]] std::vector<int> ContinuationBreaks() const;
  [[nodiscard]] int DocumentPosition(qsizetype fieldPosition) const;
  [[nodiscard]] qsizetype FieldPosition(int documentPosition) const;
  // The field text of `cursor`'s selection.
  [[nodiscard]] QString SelectionFieldText(const QTextCursor& cursor) const;

  // Qt's word wrap searches a whole unbroken line for a break on every line
  // it lays out, so its cost grows with the square of the line's length: one
  // line of 2,000,000 hex digits takes minutes. Wrapping anywhere lays out in
  // linear time; it is chosen before a long text arrives, never after, since
  // the layout happens as the text is inserted.
  static QTextOption::WrapMode WrapModeFor(qsizetype length);
  void FitWrapModeTo(qsizetype length);
};

}  // namespace dalvren
