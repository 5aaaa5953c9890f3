// The table that a hit of relative search implies: every letter of the
// word's alphabets at the code its place in the alphabet gives, as a first
// table file to dump the ROM with and to complete by hand.
//
// Invariant: no two entries have the same code, and entries are in the
// order of their codes' bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "rom/RelativePattern.h"

namespace dalvren {

class CStarterTable {
 public:
  struct Entry {
    // The code's bytes, in the order they stand in the ROM.
    std::string code;
    std::string letter;
  };

  // The table of a hit of `pattern` in `order` whose groups' first letters
  // have the codes `bases` (one per group). A letter's code is its group's
  // base plus its index, modulo the unit values. The letters of the word
  // are placed first, in word order, then the others group by group in
  // alphabet order; a letter whose code an earlier one took is left out.
  CStarterTable(const CRelativePattern& pattern,
                std::span<const std::uint32_t> bases,
                CRelativePattern::ByteOrder order);

  [[nodiscard]] const std::vector<Entry>& Entries() const { return entries_; }
  // The letters left out, in the order they were met.
  [[nodiscard]] const std::vector<std::string>& LeftOut() const {
    return leftOut_;
  }
  // The table file: a line "HEX=LETTER" for each entry, each ending in LF.
  [[nodiscard]] std::string Text() const;

 private:
  std::vector<Entry> entries_;
  std::vector<std::string> leftOut_;
};

// The bytes of the unit `value` of `width` bytes in `order`.
[[nodiscard]] std::string UnitBytes(std::uint32_t value, unsigned width,
                                    CRelativePattern::ByteOrder order);

}  // namespace dalvren
