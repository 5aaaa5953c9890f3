// A code dictionary: byte-sequence keys to byte-sequence values for one
// direction of conversion, held as a 256-way byte trie so that keys of
// different lengths coexist and one key may be a prefix of another.
//
// Invariants: the dictionary owns its trie, which is private: it changes
// only through Insert, and others read it through Root(), whose nodes give
// no way to change it; a key exists only as the path of nodes from the root
// to a node holding a value; the empty key is never stored (the root's empty
// value is the trie's own marker, not a key).
//
// Translation does not walk the trie's nodes: it walks a compiled form of the
// trie (CompiledTrie.h) and, where that could take long, an automaton of the
// reversed keys (MatchAutomaton.h). Both are caches of the trie, made when a
// translation first needs them after the dictionary changed, and dropped by
// Insert. Translations of one
// dictionary may run at the same time on several threads (the first to need a
// cache makes it under a lock, the others wait for it and share it), but
// Insert, like any change, must not overlap with anything else done to the
// dictionary. The program itself translates on one thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

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

// How translation chooses between its ways of working. The defaults suit
// every table and input; tests move the switches so that small inputs reach
// every path and every block boundary, and all paths give the same output.
struct CTranslateTuning {
  enum class Path {
    // A byte map when the dictionary is one (and no hooks are given), else
    // the walk of the compiled trie, which hands the rest of the input to
    // the automaton once it reads too many bytes again.
    kAdaptive,
    // The walk alone, whatever it costs: time proportional to the input
    // times the longest key in the worst case.
    kWalk,
    // The automaton from the first byte on.
    kAutomaton,
  };
  Path path = Path::kAdaptive;
  // After a longer key fails, the walk reads again the bytes it went past
  // the last match. It hands over to the automaton once those bytes exceed
  // `rereadPerByte` times the bytes it has passed, plus `rereadSlack`.
  std::size_t rereadPerByte = 2;
  std::size_t rereadSlack = std::size_t{16} * 1024;
  // The automaton finds the keys of this many positions at a time, or of
  // `blockPerLongestKey` times the longest key's length if that is more.
  // Every block reads again the bytes beyond its end that a key starting in
  // it may reach, one fewer than the longest key's length, so larger blocks
  // waste less; they take 8 bytes per position.
  std::size_t block = std::size_t{16} * 1024;
  std::size_t blockPerLongestKey = 4;
};

class CCompiledTrie;
class CMatchAutomaton;

class CCodeDictionary {
 public:
  // A dictionary with no key.
  CCodeDictionary();
  ~CCodeDictionary();

  // Owns its trie.
  CCodeDictionary(const CCodeDictionary&) = delete;
  CCodeDictionary& operator=(const CCodeDictionary&) = delete;

  // Stores a copy of `value` under `key`; both stay the caller's. Returns
  // false, changing nothing, for an empty key. When the key already holds a
  // value the new value replaces the old: the last insertion wins. An empty
  // value is stored as such and still marks a key end. Writes nothing: a
  // caller that tells of replacements uses the form below (the table
  // loaders hand them to their CLoadObserver).
  bool Insert(const CByteString& key, const CByteString& value);

  // As above, and sets `replaced` to whether the key already held a value
  // (it is left alone when the key is refused).
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
  //
  // Takes time proportional to the input plus the output, whatever the
  // keys: where the walk of the keys from each position would read the same
  // bytes many times over (a long key that nearly matches everywhere), the
  // automaton takes over. Memory: 64 KiB of stack, and once the automaton
  // is used 128 KiB of heap, or 32 bytes per byte of the longest key if
  // that is more.
  void Translate(std::ostream& out, std::span<const unsigned char> input) const;

  // As above, taking the steps of `hooks` as well.
  void Translate(std::ostream& out, std::span<const unsigned char> input,
                 const CTranslateHooks& hooks) const;

  // As above, appending to `out` directly: for a caller that wants the
  // translation as one string.
  void Translate(std::string& out, std::span<const unsigned char> input) const;

  // As above, with the hooks of `hooks` unless it is null, and the ways of
  // working chosen by `tuning`: for tests and benchmarks, which must reach
  // each of them. The output is the same whatever `tuning` says.
  void Translate(std::ostream& out, std::span<const unsigned char> input,
                 const CTranslateHooks* hooks,
                 const CTranslateTuning& tuning) const;

  // The length of the longest key, 0 when there is none.
  [[nodiscard]] std::size_t LongestKey() const;

  // Makes the compiled trie now, if the dictionary has none, rather than at
  // the next translation; with `automaton`, the automaton too. For callers
  // that want the cost paid at once, and for benchmarks that weigh it.
  void Compile(bool automaton = false) const;

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
  // Takes time proportional to the input's length plus the number of
  // (position, key starting there) pairs: the automaton lists the keys at
  // each position, from the last position to the first, as the search needs
  // them. Memory: 4 bytes per input byte (8 when a key is longer than 65,534
  // bytes), 32 bytes per byte of the longest key (at least 64 of them), and
  // 64 KiB of stack. The output is handed to `out` in blocks as it is made,
  // never held whole. `before` is asked about every position once, and once
  // more where the cut takes its bytes; should it take more than 64 bytes
  // and more than the longest key at once, the search starts over with room
  // for them, and asks again.
  void TranslateShortest(std::ostream& out,
                         std::span<const unsigned char> input,
                         const CTranslateHooks& hooks = {}) const;

  // The caches, made on first use (see the top of this file), for the
  // core's own walks over the keys. They stay valid until the next Insert.
  [[nodiscard]] const CCompiledTrie& Compiled() const;
  [[nodiscard]] const CMatchAutomaton& Automaton() const;

  // The root of the trie, for walks over the keys (core/KeyMatch.h) and for
  // tests of its shape. Its value is the empty marker, never absent. Valid
  // until the dictionary goes; what hangs from it changes only by Insert.
  [[nodiscard]] const CTrieNode& Root() const;

 private:
  // The one greedy translation behind the public ones: the output goes to
  // `drain(target, bytes, count)` in blocks.
  using Drain = void (*)(void* target, const char* bytes, std::size_t count);
  void TranslateTo(Drain drain, void* target,
                   std::span<const unsigned char> input,
                   const CTranslateHooks* hooks,
                   const CTranslateTuning& tuning) const;

  std::unique_ptr<CTrie> trie_;
  mutable std::mutex compiling_;
  mutable std::unique_ptr<CCompiledTrie> compiled_;
  mutable std::unique_ptr<CMatchAutomaton> automaton_;
  // What is ready to use without the lock: published once complete.
  mutable std::atomic<const CCompiledTrie*> compiledReady_{nullptr};
  mutable std::atomic<const CMatchAutomaton*> automatonReady_{nullptr};
};

}  // namespace dalvren
