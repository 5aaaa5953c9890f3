// The text of a field as bytes, and back.
//
// A field's bytes are its text in UTF-8, taken as they are, and every byte
// sequence has to survive a trip through a field exactly. Two kinds of bytes
// cannot be held as characters:
// - bytes that are not valid UTF-8;
// - characters that a text document does not keep as themselves: it turns
//   CR (0D), U+2029 and its frame markers U+FDD0 and U+FDD1 into paragraph
//   breaks, and a U+2028 in it reads as a line break typed with Shift+Enter.
// Each such byte B is held as the lone low surrogate U+DC00 + B (B being 0D
// or 80..FF), a code unit that valid UTF-8 never produces and that the field
// shows as a replacement mark. A line feed is the field's paragraph break.
//
// "Field text" below is text as a field's document holds it (what
// QTextDocument::toRawText and QTextCursor::selectedText give): paragraph
// breaks are U+2029.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace dalvren {

// The field text that shows `bytes`: valid UTF-8 sequences as their
// characters (an initial byte-order mark included), line feeds as "\n", and
// every other byte as its escape code unit. It holds no CR, U+2028, U+2029,
// U+FDD0 or U+FDD1, so inserting it into a document keeps every character.
[[nodiscard]] QString FieldTextFromBytes(std::string_view bytes);

// The bytes of field text `text`: UTF-8, with every escape code unit turned
// back into its byte and every paragraph or line break (LF, U+2028, U+2029,
// U+FDD0, U+FDD1) into a line feed. A lone surrogate that is not an escape
// (text never holds one unless it was put there by hand) becomes the UTF-8
// of U+FFFD.
[[nodiscard]] std::string BytesFromFieldText(const QString& text);

// What other programs are given for field text `text`: each escape as one
// U+FFFD, the mark the field shows for it, and each break as "\n".
[[nodiscard]] QString PortableTextFromFieldText(const QString& text);

// The UTF-8 of text from another program, character for character (a CR
// stays a CR); a lone surrogate, which has no UTF-8, becomes that of U+FFFD.
[[nodiscard]] std::string Utf8FromText(const QString& text);

}  // namespace dalvren
