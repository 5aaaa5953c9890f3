// Small walks over a code dictionary's trie that the extended syntax needs
// besides whole translations: the longest key at one position, and every
// key with its value.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string_view>

#include "core/CodeDictionary.h"

namespace dalvren {

// The longest key of a dictionary that starts some input: its length in
// bytes (0 when no key does) and its value (owned by the dictionary).
struct CKeyMatch {
  std::size_t length = 0;
  const CByteString* value = nullptr;
};

// The longest key of `dict` that `input` starts with. Costs one step per
// byte of the longest key that begins the input.
[[nodiscard]] CKeyMatch LongestKeyAt(const CCodeDictionary& dict,
                                     std::span<const unsigned char> input);

// Calls `visit(key, value)` for every key of `dict`, in byte order of the
// keys. `key` is valid only during the call.
void ForEachKey(const CCodeDictionary& dict,
                const std::function<void(std::string_view key,
                                         const CByteString& value)>& visit);

}  // namespace dalvren
