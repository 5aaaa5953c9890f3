// The keys of a code dictionary that start at each position of an input,
// for walks that move forward through the input but must see every key
// there, or the longest, without reading the same bytes over and over: a
// dictionary whose keys are all short is walked key by key; one with a long
// key goes through its automaton of reversed keys, a block of positions at a
// time, so that every position costs the same whatever the keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "core/CodeDictionary.h"
#include "core/CompiledTrie.h"
#include "core/MatchAutomaton.h"

namespace dalvren {

class CKeyFinder {
 public:
  // A key found: its length and its value, whose bytes belong to the
  // dictionary's compiled form (valid while the dictionary is unchanged).
  struct Key {
    std::size_t length = 0;
    std::string_view value;
  };

  // Finds keys of `dict` in `input`; both must outlive the finder, and the
  // dictionary must not change meanwhile.
  CKeyFinder(const CCodeDictionary& dict, std::span<const unsigned char> input);

  // Holds a block of positions; copying it would only waste it.
  CKeyFinder(const CKeyFinder&) = delete;
  CKeyFinder& operator=(const CKeyFinder&) = delete;

  // The longest key that starts at `pos` (length 0 when none does).
  // Positions must be asked in increasing order (asking the same one again
  // is fine); asking an earlier one costs a block again.
  [[nodiscard]] Key Longest(std::size_t pos);

  // Appends to `keys` every key that starts at `pos`, longest first; same
  // order rule as Longest.
  void All(std::size_t pos, std::vector<Key>& keys);

 private:
  // Keys no longer than this are found by walking the compiled trie from
  // each position: a bounded number of steps.
  static constexpr std::size_t kWalkedKeys = 32;

  Key KeyOf(std::uint32_t index) const;
  // Makes the block that holds `pos` ready.
  void Reach(std::size_t pos);

  const CCompiledTrie& trie_;
  const CMatchAutomaton* automaton_ = nullptr;
  std::span<const unsigned char> input_;
  std::size_t longest_;
  // The automaton's longest key at each position of [blockStart_,
  // blockStart_ + longestAt_.size()), as an index for its GetKey.
  std::size_t blockStart_ = 0;
  std::vector<std::uint32_t> longestAt_;
};

}  // namespace dalvren
