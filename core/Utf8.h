// How the core splits bytes into characters: UTF-8, with every byte that
// begins no well-formed sequence counted as a character of its own (a stray
// continuation byte, the bytes of a truncated, overlong or surrogate
// sequence, a byte UTF-8 never uses). So any bytes split into characters,
// valid UTF-8 splits as a decoder reads it, and the split of a text is the
// same read from its start or looked up around any byte.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace dalvren {

// The byte-order mark, which a table file may start with.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The length of the character that starts `text`: 2 to 4 for a well-formed
// multi-byte sequence, 1 for any other byte, 0 for empty text.
[[nodiscard]] std::size_t Utf8CharLength(std::span<const unsigned char> text);

// True when `text` is well-formed UTF-8: no stray continuation byte, no
// truncated or overlong sequence, no surrogate, nothing beyond U+10FFFF.
[[nodiscard]] bool IsValidUtf8(std::string_view text);

// Where a character lies in a text: its bytes are [start, end).
struct CUtf8Char {
  std::size_t start = 0;
  std::size_t end = 0;
};

// Where a byte of a text lies as an editor shows it: lines end at LF, and
// columns count characters; both from 1.
struct CTextPlace {
  std::size_t line = 1;
  std::size_t column = 1;
};

// The place of the byte at `offset` in `text` (the end of the text when
// `offset` is beyond it).
[[nodiscard]] CTextPlace PlaceInText(std::span<const unsigned char> text,
                                     std::size_t offset);

// The character of `text` that holds the byte at `pos`, which must be inside
// `text`. Looks at no more than the three bytes before `pos` and the three
// after it.
[[nodiscard]] CUtf8Char Utf8CharAt(std::span<const unsigned char> text,
                                   std::size_t pos);

}  // namespace dalvren
