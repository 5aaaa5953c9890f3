#include "framework/EditField.h"

#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>
#include <memory>

#include "framework/FieldText.h"

namespace dalvren {

namespace {

QString BytesMimeType() { return QString::fromLatin1(kFieldBytesMimeType); }

}  // namespace

CEditField::CEditField(QWidget* parent) : QPlainTextEdit(parent) {
  setTabChangesFocus(true);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

std::string CEditField::Bytes() const {
  // The plain-text reading would turn U+00A0 into a blank and U+2028 into a
  // line feed; the raw text keeps every character.
  return BytesFromFieldText(document()->toRawText());
}

void CEditField::SetBytes(std::string_view bytes) {
  SetText(FieldTextFromBytes(bytes));
}

void CEditField::SetText(const QString& text) {
  // Changing the wrap mode lays out the current text again; emptied first,
  // the field never lays out a long text under word wrap.
  if (WrapModeFor(text.size()) != wordWrapMode()) clear();
  FitWrapModeTo(text.size());
  setPlainText(text);
}

QMimeData* CEditField::createMimeDataFromSelection() const {
  const QString selected = textCursor().selectedText();
  const std::string bytes = BytesFromFieldText(selected);
  auto data = std::make_unique<QMimeData>();
  data->setText(PortableTextFromFieldText(selected));
  data->setData(BytesMimeType(),
                QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  return data.release();  // the caller owns it, as Qt's contract says
}

bool CEditField::canInsertFromMimeData(const QMimeData* source) const {
  if (source == nullptr) return false;
  if (source->hasFormat(BytesMimeType())) return true;
  // A file dragged from a file manager is one to open, not text to insert:
  // refused here, the drop goes on to the window, which opens it.
  const QList<QUrl> urls = source->urls();
  if (std::any_of(urls.begin(), urls.end(),
                  [](const QUrl& url) { return url.isLocalFile(); })) {
    return false;
  }
  return source->hasText() && !source->text().isEmpty();
}

void CEditField::insertFromMimeData(const QMimeData* source) {
  if (isReadOnly() || !canInsertFromMimeData(source)) return;
  QString text;
  if (source->hasFormat(BytesMimeType())) {
    const QByteArray bytes = source->data(BytesMimeType());
    text = FieldTextFromBytes(std::string_view(
        bytes.constData(), static_cast<std::size_t>(bytes.size())));
  } else {
    text = FieldTextFromBytes(Utf8FromText(source->text()));
  }
  FitWrapModeTo(document()->characterCount() + text.size());
  // Field text holds no character that insertion would change, so the
  // document receives exactly these characters.
  QTextCursor cursor = textCursor();
  cursor.insertText(text);
  setTextCursor(cursor);
  ensureCursorVisible();
}

QTextOption::WrapMode CEditField::WrapModeFor(qsizetype length) {
  return length > kLongText ? QTextOption::WrapAnywhere
                            : QTextOption::WrapAtWordBoundaryOrAnywhere;
}

void CEditField::FitWrapModeTo(qsizetype length) {
  const QTextOption::WrapMode mode = WrapModeFor(length);
  if (wordWrapMode() != mode) setWordWrapMode(mode);
}

}  // namespace dalvren
