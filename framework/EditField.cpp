#include "EditField.h"

#include <QMimeData>

CEditField::CEditField(QWidget* parent) : QPlainTextEdit(parent) {
  setTabChangesFocus(true);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void CEditField::SetText(const QString& text) {
  // Changing the wrap mode lays out the current text again; emptied first,
  // the field never lays out a long text under word wrap.
  if (WrapModeFor(text.size()) != wordWrapMode()) clear();
  FitWrapModeTo(text.size());
  setPlainText(text);
}

void CEditField::insertFromMimeData(const QMimeData* source) {
  if (source != nullptr && source->hasText()) {
    FitWrapModeTo(document()->characterCount() + source->text().size());
  }
  QPlainTextEdit::insertFromMimeData(source);
}

QTextOption::WrapMode CEditField::WrapModeFor(qsizetype length) {
  return length > kLongText ? QTextOption::WrapAnywhere
                            : QTextOption::WrapAtWordBoundaryOrAnywhere;
}

void CEditField::FitWrapModeTo(qsizetype length) {
  const QTextOption::WrapMode mode = WrapModeFor(length);
  if (wordWrapMode() != mode) setWordWrapMode(mode);
}
