// A multi-line edit field of a dialog template: plain text, wrapping long
// lines, Tab moving the focus on as in any dialog.
#pragma once

#include <QPlainTextEdit>

class CEditField : public QPlainTextEdit {
 public:
  explicit CEditField(QWidget* parent);

  // Replaces the whole text.
  void SetText(const QString& text);

  // Texts longer than this wrap at any character rather than between words.
  static constexpr qsizetype kLongText = 16 * 1024;

 protected:
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
