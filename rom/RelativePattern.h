// A word for relative search: its characters grouped by alphabet, so that
// the word can be found in a ROM whose text codes keep each alphabet's
// letters in order, whatever code its first letter has. "HERO" is four
// units whose values differ as H, E, R and O do.
//
// Invariants:
//   - Groups() is never empty, and every group holds at least two of the
//     word's characters, in word order, each with its letter's index in the
//     group's alphabet.
//   - Groups come in the order of their first character in the word.
//   - A unit is one byte (Width() 1) or two (Width() 2); the word's
//     characters are its units, a "?" matching a unit of any value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Error.h"

namespace dalvren {

class CRelativePattern {
 public:
  // How the two bytes of a unit of width 2 make its value. Units of width 1
  // are read as kBig.
  enum class ByteOrder : std::uint8_t { kBig, kLittle };

  struct Group {
    // What messages call it: "A-Z", "a-z", "0-9" or "--alphabet".
    std::string name;
    // Its alphabet, in order, one character (UTF-8) each.
    std::vector<std::string> letters;
    // The units of the word that hold its letters, and each one's index in
    // `letters`.
    std::vector<std::size_t> units;
    std::vector<std::uint32_t> indices;
  };

  struct Options {
    // Bytes per unit: 1 or 2.
    unsigned width = 1;
    // The letters of a further alphabet, in order, as UTF-8 characters;
    // empty for none. A character in it belongs to it rather than to A-Z,
    // a-z or 0-9.
    std::string_view alphabet;
  };

  // Reads `word` (UTF-8, split as core/Utf8.h splits it) into `*pattern`.
  // Fails with kInvalid, saying why, for an empty word, a word without
  // letters, a character in no alphabet, an alphabet that has a single
  // letter of the word, and an --alphabet that is empty, has fewer than two
  // letters, more than a unit's values, a letter twice, or a "?".
  [[nodiscard]] static CError Parse(std::string_view word,
                                    const Options& options,
                                    std::unique_ptr<CRelativePattern>* pattern);

  [[nodiscard]] unsigned Width() const { return width_; }
  // The word's length in units and in bytes.
  [[nodiscard]] std::size_t Units() const { return units_; }
  [[nodiscard]] std::size_t Length() const { return units_ * width_; }
  [[nodiscard]] const std::vector<Group>& Groups() const { return groups_; }

  // The value of the unit at `at` in `order`.
  [[nodiscard]] std::uint32_t UnitAt(const unsigned char* at,
                                     ByteOrder order) const {
    if (width_ == 1) return at[0];
    return order == ByteOrder::kBig ? std::uint32_t{at[0]} << 8 | at[1]
                                    : std::uint32_t{at[1]} << 8 | at[0];
  }

  // Whether the Length() bytes at `at` hold the word in `order`: within
  // each group, unit values differ as the letters' indices do, modulo the
  // number of unit values. If so, `bases[g]` is set, for each group g, to
  // the code its alphabet's first letter has there.
  [[nodiscard]] bool Matches(const unsigned char* at, ByteOrder order,
                             std::span<std::uint32_t> bases) const;

  // Two byte offsets in the word and the difference of the unit values at
  // them (second less first, modulo the unit values) that every hit has:
  // a search tests it first. Letters that differ are chosen where a group
  // has them, so that runs of one value are passed over quickly.
  struct Anchor {
    std::size_t first = 0;
    std::size_t second = 0;
    std::uint32_t difference = 0;
  };
  [[nodiscard]] Anchor GetAnchor() const { return anchor_; }

 private:
  CRelativePattern() = default;
  void ChooseAnchor();

  unsigned width_ = 1;
  std::uint32_t mask_ = 0xFF;
  std::size_t units_ = 0;
  std::vector<Group> groups_;
  Anchor anchor_;
};

}  // namespace dalvren
