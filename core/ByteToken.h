// The "<$XX>" token that stands for one raw byte in a script: what dump
// writes for a byte no code covers (with --unknown=hex) and for the
// parameter bytes of a control code, and what insert reads back as that
// byte.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "core/CodeDictionary.h"

namespace dalvren {

// The length of a token: "<", "$", two hexadecimal digits and ">".
inline constexpr std::size_t kByteTokenLength = 5;

// Appends the token for `byte` to `out`, its digits in upper case.
void AppendByteToken(unsigned char byte, std::string& out);

// True when `text` starts with a token (digits of either case); the byte it
// stands for is then stored in `byte`. Anything else, such as "<$4>" or
// "<$4G>", is no token.
[[nodiscard]] bool ReadByteToken(std::span<const unsigned char> text,
                                 unsigned char& byte);

// Hooks for a translation of ROM bytes to text that writes the token of each
// byte that starts no code in its place.
[[nodiscard]] CTranslateHooks TokenWritingHooks();

// Hooks for a translation of text to ROM bytes that takes a token at any
// position before the table is consulted there, and writes its byte.
[[nodiscard]] CTranslateHooks TokenReadingHooks();

}  // namespace dalvren
