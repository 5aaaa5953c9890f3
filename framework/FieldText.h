// The text of a field as bytes, and back.
//
// A field's bytes are its text in UTF-8, taken as they are. Bytes that are
// not valid UTF-8 still have to survive a trip through a field, so each such
// byte B is held as the lone low surrogate U+DC00 + B, a code unit that valid
// UTF-8 never produces and that the field shows as a replacement mark. Turning
// the text back into bytes gives exactly the bytes that went in, whatever they
// were.
#pragma once

#include <QString>
#include <string>
#include <string_view>

// The text that shows `bytes`: valid UTF-8 sequences as their characters,
// every other byte as its escape code unit.
[[nodiscard]] QString FieldTextFromBytes(std::string_view bytes);

// The bytes of `text`: UTF-8, with every escape code unit turned back into
// its byte. A lone surrogate that is not an escape (text never holds one
// unless it was put there by hand) becomes the UTF-8 of U+FFFD.
[[nodiscard]] std::string BytesFromFieldText(const QString& text);
