// A multi-line edit field of a dialog template: plain text, wrapping long
// lines, Tab moving the focus on as in any dialog. It holds bytes exactly
// (see FieldText.h), and copies and pastes them exactly between fields.
#pragma once

#include <QPlainTextEdit>
#include <string>
#include <string_view>

namespace dalvren {

// The clipboard and drag type under which a copy from a field carries its
// exact bytes; its text, for other programs, shows each escape as U+FFFD.
inline constexpr char kFieldBytesMimeType[] = "application/x-dalvren-bytes";

class CEditField : public QPlainTextEdit {
 public:
  explicit CEditField(QWidget* parent);

  // The whole text as bytes: exactly the bytes last set, with what was
  // typed or pasted since; a typed line break is a line feed.
  [[nodiscard]] std::string Bytes() const;
  // Replaces the whole text with the text of `bytes`.
  void SetBytes(std::string_view bytes);

  // Replaces the whole text with field text `text` (see FieldText.h).
  void SetText(const QString& text);

  // Texts longer than this wrap at any character rather than between words.
  static constexpr qsizetype kLongText = qsizetype{16} * 1024;

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

 private:
  // Qt's word wrap searches a whole unbroken line for a break on every line
  // it lays out, so its cost grows with the square of the line's length: one
  // line of 2,000,000 hex digits takes minutes. Wrapping anywhere lays out in
  // linear time; it is chosen before a long text arrives, never after, since
  // the layout happens as the text is inserted.
  static QTextOption::WrapMode WrapModeFor(qsizetype length);
  void FitWrapModeTo(qsizetype length);
};

}  // namespace dalvren
