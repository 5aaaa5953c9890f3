// Translation hooks that keep raw bytes as "<$XX>" tokens (core/ByteToken.h)
// in a script, so that a dump can be inserted back without losing anything.
#pragma once

#include "core/ByteToken.h"
#include "core/CodeDictionary.h"

namespace dalvren {

// Hooks for a translation of ROM bytes to text that writes the token of each
// byte that starts no code in its place.
[[nodiscard]] CTranslateHooks TokenWritingHooks();

// Hooks for a translation of text to ROM bytes that takes a token at any
// position before the table is consulted there, and writes its byte.
[[nodiscard]] CTranslateHooks TokenReadingHooks();

}  // namespace dalvren
