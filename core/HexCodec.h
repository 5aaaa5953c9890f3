// Hexadecimal text to bytes, as the Hex fields and table-file codes read it,
// and bytes to hexadecimal text.
#pragma once

#include <memory>
#include <span>

#include "core/ByteString.h"

namespace dalvren {

// Reads `text` (terminated) two non-blank characters at a time. White space
// (blank, tab, line feed, carriage return, vertical tab, form feed) is skipped
// before every character, so it may stand anywhere, even inside a pair. Each
// pair becomes one byte by HexPairValue; no character is rejected. An unpaired
// last character is ignored. Returns a new string owned by the caller, or
// nothing when `text` is absent.
[[nodiscard]] std::unique_ptr<CByteString> FromHex(const char* text);

// The low 8 bits of what the standard base-16 conversion (strtol with base 16)
// makes of the two-character string `first` `second`: leading white space is
// skipped, then an optional sign, an optional "0x" and hexadecimal digits of
// either case up to the first other character; no digit gives 0. So "4a" is
// 0x4A, "4z" is 0x04, "zz" is 0x00, "-1" is 0xFF and "0x" is 0x00.
//
// White space here is the six characters above, whatever the process's
// locale: the window's toolkit switches the C locale to the user's, and the
// meaning of a table file must not depend on it.
[[nodiscard]] unsigned char HexPairValue(char first, char second);

// The digits hexadecimal text is written with, by value.
inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// Writes `bytes` as hexadecimal text at `out`: two upper-case digits per
// byte, no separators, no terminator. `out` must have room for twice as many
// characters as there are bytes. Returns the end of the text. Allocates
// nothing; CByteString::ToHex is the same text in a buffer of its own.
char* WriteHex(std::span<const unsigned char> bytes, char* out);

// True for 0-9, A-F and a-f, independent of the locale.
[[nodiscard]] constexpr bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') ||
         (c >= 'a' && c <= 'f');
}

// True for the six white-space characters of the "C" locale.
[[nodiscard]] constexpr bool IsHexBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace dalvren
