#include "framework/EditField.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>
#include <memory>

#include "framework/FieldText.h"

namespace dalvren {

namespace {

// The block format property that marks a continuation block.
constexpr int kContinuationProperty = QTextFormat::UserProperty + 1;

// How far before the limit a line is broken at a blank rather than at the
// limit itself, so that a continuation mostly starts a word.
constexpr qsizetype kBlankSearch = 256;

QString BytesMimeType() { return QString::fromLatin1(kFieldBytesMimeType); }

QTextBlockFormat ContinuationFormat() {
  QTextBlockFormat format;
  format.setProperty(kContinuationProperty, true);
  return format;
}

// Where to end a piece of `text` that starts at `from` and may hold at most
// `room` (> 0) characters: after the last blank in the piece's last
// kBlankSearch characters, else at the limit, never inside a surrogate pair.
qsizetype PieceEnd(QStringView text, qsizetype from, qsizetype room) {
  qsizetype end = from + room;
  for (qsizetype i = end - 1; i > from && i >= end - kBlankSearch; --i) {
    if (text[i] == QLatin1Char(' ')) return i + 1;
  }
  if (end - 1 > from && text[end - 1].isHighSurrogate() &&
      text[end].isLowSurrogate()) {
    --end;
  }
  return end;
}

}  // namespace

CEditField::CEditField(QWidget* parent) : QPlainTextEdit(parent) {
  setTabChangesFocus(true);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

bool CEditField::IsContinuation(const QTextBlock& block) {
  return block.isValid() &&
         block.blockFormat().boolProperty(kContinuationProperty);
}

std::string CEditField::Bytes() const {
  return BytesFromFieldText(FieldText());
}

void CEditField::SetBytes(std::string_view bytes) {
  SetText(FieldTextFromBytes(bytes));
}

bool CEditField::SetText(const QString& text, const ProgressStep& progress) {
  // Chosen first: changing the mode later would lay the new text out again.
  FitWrapModeTo(text.size());
  QTextCursor cursor(document());
  const QStringView all(text);
  qsizetype done = 0;
  do {
    qsizetype end = std::min(all.size(), done + kProgressSlice);
    if (end < all.size() && all[end - 1].isHighSurrogate()) ++end;
    if (done == 0) {
      cursor.beginEditBlock();
      cursor.select(QTextCursor::Document);
      cursor.removeSelectedText();
      cursor.setBlockFormat(QTextBlockFormat());
    } else {
      // Each later slice joins the edit of the first, which ends in between
      // so that the document is whole whenever the window paints it.
      cursor.joinPreviousEditBlock();
    }
    InsertFieldText(cursor, all.sliced(done, end - done));
    cursor.endEditBlock();
    done = end;
    if (progress && done < all.size() && !progress(done, all.size())) {
      document()->undo();
      document()->clearUndoRedoStacks(QTextDocument::RedoStack);
      return false;
    }
  } while (done < all.size());
  setTextCursor(QTextCursor(document()));
  return true;
}

void CEditField::InsertFieldText(QTextCursor& cursor, QStringView text) {
  // insertText makes a block at each line break in the format of the
  // cursor's block, so it takes runs of lines at once only while that block
  // is no continuation; `start` is where the run not yet inserted begins.
  bool continuing = IsContinuation(cursor.block());
  qsizetype room = kLongestBlock - (cursor.block().length() - 1);
  qsizetype start = 0;
  const auto flush = [&](qsizetype end) {
    if (end > start)
      cursor.insertText(text.sliced(start, end - start).toString());
  };
  // The next line feed and the next U+2029 at or after a position, found
  // by Qt's vectorised search and kept until passed; -1 when none is left.
  qsizetype nextFeed = -2;
  qsizetype nextSeparator = -2;
  const auto lineEndFrom = [&](qsizetype from) {
    if (nextFeed != -1 && nextFeed < from) {
      nextFeed = text.indexOf(QLatin1Char('\n'), from);
    }
    if (nextSeparator != -1 && nextSeparator < from) {
      nextSeparator = text.indexOf(QChar::ParagraphSeparator, from);
    }
    return std::min(nextFeed < 0 ? text.size() : nextFeed,
                    nextSeparator < 0 ? text.size() : nextSeparator);
  };
  qsizetype lineStart = 0;
  while (lineStart <= text.size()) {
    const qsizetype lineEnd = lineEndFrom(lineStart);
    qsizetype from = lineStart;
    while (lineEnd > from && lineEnd - from > room) {
      // A block already full gets its continuation before anything else.
      const qsizetype cut = room > 0 ? PieceEnd(text, from, room) : from;
      flush(cut);
      cursor.insertBlock(ContinuationFormat());
      continuing = true;
      start = from = cut;
      room = kLongestBlock;
    }
    if (lineEnd == text.size()) break;
    if (continuing) {
      flush(lineEnd);
      cursor.insertBlock(QTextBlockFormat());
      continuing = false;
      start = lineEnd + 1;
    }
    room = kLongestBlock;
    lineStart = lineEnd + 1;
  }
  flush(text.size());
}

QString CEditField::FieldText() const {
  const std::vector<int> breaks = ContinuationBreaks();
  QString raw = document()->toRawText();
  if (breaks.empty()) return raw;
  QString text;
  text.reserve(raw.size());
  qsizetype from = 0;
  for (const int at : breaks) {
    text.append(QStringView(raw).sliced(from, at - from));
    from = at + 1;
  }
  text.append(QStringView(raw).sliced(from));
  return text;
}

std::vector<int> CEditField::ContinuationBreaks() const {
  std::vector<int> breaks;
  for (QTextBlock block = document()->firstBlock().next(); block.isValid();
       block = block.next()) {
    if (IsContinuation(block)) breaks.push_back(block.position() - 1);
  }
  return breaks;
}

int CEditField::DocumentPosition(qsizetype fieldPosition) const {
  qsizetype position = fieldPosition;
  for (const int at : ContinuationBreaks()) {
    if (at >= position) break;
    ++position;
  }
  return static_cast<int>(position);
}

qsizetype CEditField::FieldPosition(int documentPosition) const {
  qsizetype before = 0;
  for (const int at : ContinuationBreaks()) {
    if (at >= documentPosition) break;
    ++before;
  }
  return documentPosition - before;
}

void CEditField::SelectFieldRange(qsizetype from, qsizetype to) {
  QTextCursor cursor(document());
  cursor.setPosition(DocumentPosition(from));
  cursor.setPosition(DocumentPosition(to), QTextCursor::KeepAnchor);
  setTextCursor(cursor);
  ensureCursorVisible();
}

std::pair<qsizetype, qsizetype> CEditField::FieldSelection() const {
  const QTextCursor cursor = textCursor();
  return {FieldPosition(cursor.selectionStart()),
          FieldPosition(cursor.selectionEnd())};
}

void CEditField::ReplaceFieldRange(qsizetype from, qsizetype to,
                                   const QString& text) {
  QTextCursor cursor(document());
  cursor.setPosition(DocumentPosition(from));
  cursor.setPosition(DocumentPosition(to), QTextCursor::KeepAnchor);
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  InsertFieldText(cursor, text);
  cursor.endEditBlock();
  SelectFieldRange(from, from + text.size());
}

QString CEditField::SelectionFieldText(const QTextCursor& cursor) const {
  QString text = cursor.selectedText();
  const int start = cursor.selectionStart();
  const int end = cursor.selectionEnd();
  // From the last break back, so that earlier indexes stay valid.
  QTextBlock block = document()->findBlock(end);
  for (; block.isValid() && block.position() > start;
       block = block.previous()) {
    if (IsContinuation(block)) text.remove(block.position() - 1 - start, 1);
  }
  return text;
}

QMimeData* CEditField::createMimeDataFromSelection() const {
  const QString selected = SelectionFieldText(textCursor());
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
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  InsertFieldText(cursor, text);
  cursor.endEditBlock();
  setTextCursor(cursor);
  ensureCursorVisible();
}

void CEditField::keyPressEvent(QKeyEvent* event) {
  QTextCursor cursor = textCursor();
  const bool plain = event->modifiers() == Qt::NoModifier ||
                     event->modifiers() == Qt::KeypadModifier;
  if (isReadOnly() || !plain) {
    QPlainTextEdit::keyPressEvent(event);
    return;
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    // Qt gives the new block the format of the one it splits.
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    cursor.insertBlock(QTextBlockFormat());
    cursor.endEditBlock();
  } else if (event->key() == Qt::Key_Backspace && !cursor.hasSelection() &&
             cursor.atBlockStart() && IsContinuation(cursor.block())) {
    while (cursor.atBlockStart() && IsContinuation(cursor.block())) {
      cursor.movePosition(QTextCursor::PreviousCharacter);
    }
    cursor.deletePreviousChar();
  } else if (event->key() == Qt::Key_Delete && !cursor.hasSelection() &&
             cursor.atBlockEnd() && IsContinuation(cursor.block().next())) {
    while (cursor.atBlockEnd() && IsContinuation(cursor.block().next())) {
      cursor.movePosition(QTextCursor::NextCharacter);
    }
    cursor.deleteChar();
  } else {
    QPlainTextEdit::keyPressEvent(event);
    return;
  }
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
