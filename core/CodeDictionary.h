// A code dictionary: byte-sequence keys to byte-sequence values for one
// direction of conversion, held as a 256-way byte trie so that keys of
// different lengths coexist and one key may be a prefix of another.
//
// Invariants: the dictionary owns its trie; a key exists only as the path of
// nodes from the root to a node holding a value; the empty key is never
// stored (the root's empty value is the trie's own marker, not a key).
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>

#include "core/ByteString.h"
#include "core/Trie.h"

namespace dalvren {

// Optional steps a translation takes besides the dictionary's own. Both may
// be empty; translation without them is the plain longest-match rule.
struct CTranslateHooks {
  // Called at each position where a match would be looked for, before the
  // dictionary is consulted, with the input from that position on. When it
  // returns a count n > 0, those n bytes are consumed and whatever it appended
  // to `emit` (which arrives empty) is written in their place; 0 lets the
  // dictionary translate. It must depend on its arguments only: a translation
  // may ask it more than once about the same position.
  std::function<std::size_t(std::span<const unsigned char> rest,
                            std::string& emit)>
      before;
  // Called for each byte that starts no key, with its offset in the input;
  // whatever it appends to `emit` (which arrives empty) is written in the
  // byte's place.
  std::function<void(std::size_t offset, unsigned char byte, std::string& emit)>
      onSkip;
};

class CCodeDictionary {
 public:
  // A dictionary with no key.
  CCodeDictionary();

  // Owns its trie.
  CCodeDictionary(const CCodeDictionary&) = delete;
  CCodeDictionary& operator=(const CCodeDictionary&) = delete;

  // Stores a copy of `value` under `key`; both stay the caller's. Returns
  // false, changing nothing, for an empty key. When the key already holds a
  // value, writes the line "Replacing old value" to standard error (flushed)
  // and the new value replaces the old: the last insertion wins. An empty
  // value is stored as such and still marks a key end.
  bool Insert(const CByteString& key, const CByteString& value);

  // As above, for a caller that reports replacements its own way: nothing is
  // written to standard error, and `replaced` is set to whether the key
  // already held a value (it is left alone when the key is refused).
  bool Insert(const CByteString& key, const CByteString& value, bool& replaced);

  // The value stored under exactly `key`, or null when `key` is not a key.
  // The dictionary keeps ownership.
  [[nodiscard]] const CByteString* Find(
      std::span<const unsigned char> key) const;

  // Appends the translation of `input` to `out`: from the first byte on, the
  // longest key equal to the input bytes at the current position is chosen,
  // its value appended, and scanning continues after it; a byte that starts
  // no key is skipped with no output. The input is only read, the dictionary
  // is not changed, and every input has a translation (possibly empty).
  // Output is handed to `out` in large writes; `out` receives exactly the
  // translated bytes.
  void Translate(std::ostream& out, std::span<const unsigned char> input) const;

  // As above, taking the steps of `hooks` as well.
  void Translate(std::ostream& out, std::span<const unsigned char> input,
                 const CTranslateHooks& hooks) const;

  // The length of the longest key, 0 when there is none. Visits every node
  // of the trie.
  [[nodiscard]] std::size_t LongestKey() const;

  // Appends the shortest translation of `input` to `out`: among all ways to
  // cut the input into keys (a byte that starts no key is skipped, as in
  // Translate), the one that drops the fewest characters and, among those,
  // writes the fewest bytes. Characters are those of Utf8.h, and one is
  // dropped when any of its bytes is skipped: text is lost by the character,
  // whatever its length in bytes. Where several cuts are equally short, the
  // longer key is taken at the earliest position where they differ, so the
  // result equals Translate's whenever that is already shortest. What
  // `before` emits counts as written; what `onSkip` emits does not.
  //
  // Takes time proportional to the input's length times the longest key.
  // Memory: 4 bytes per input byte (8 when a key is longer than 65,534
  // bytes), 32 bytes per byte of the longest key (at least 64 of them), and
  // 64 KiB of stack. The output is handed to `out` in blocks as it is made,
  // never held whole. `before` is asked about every position once, and once
  // more where the cut takes its bytes; should it take more than 64 bytes
  // and more than the longest key at once, the search starts over with room
  // for them, and asks again.
  void TranslateShortest(std::ostream& out,
                         std::span<const unsigned char> input,
                         const CTranslateHooks& hooks = {}) const;

  std::unique_ptr<CTrie> trie;
};

}  // namespace dalvren
