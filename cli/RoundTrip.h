// The round trip of ROM bytes through a table: dumped to text, the text
// inserted back, and the result compared with the bytes it came from. Tells
// how much of the bytes the table covers and whether a script made with it
// can give them back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "cli/TableConverter.h"

namespace dalvren {

class CRoundTrip {
 public:
  // How many skipped offsets the report lists, and how many bytes it shows
  // on each side of the first difference.
  static constexpr std::size_t kOffsetsListed = 10;
  static constexpr std::size_t kContext = 4;

  struct Options {
    // Dump writes each byte that starts no code as a "<$XX>" token, and
    // insert reads such tokens back.
    bool tokens = false;
    // Insert takes the shortest way instead of the greedy one.
    bool optimal = false;
  };

  // Dumps `range` through `table`, inserts the text back and compares, as
  // `options` say. In the extended syntax it also dumps the re-inserted
  // bytes and compares that script with the first. `firstOffset` is the
  // offset of the range's first byte in the whole input: every offset
  // reported counts from the start of the input. Memory: the text, and in
  // the extended syntax the re-inserted bytes and their script; in the
  // plain one the re-inserted bytes are compared as they are made.
  CRoundTrip(const CTableConverter& table, std::span<const unsigned char> range,
             std::uint64_t firstOffset, const Options& options);
  // The same through a table in the plain syntax.
  CRoundTrip(const CCodeTable& table, std::span<const unsigned char> range,
             std::uint64_t firstOffset, const Options& options)
      : CRoundTrip(CTableConverter(table), range, firstOffset, options) {}

  // True when the re-inserted bytes are exactly the range.
  [[nodiscard]] bool Identical() const { return !differs; }

  // True when the round trip kept what the table promises: the same bytes,
  // or, for a table with switch codes (where two ways through them may
  // write the same text), the same script.
  [[nodiscard]] bool Kept() const {
    return Identical() || (switches && sameScript && insertError.empty());
  }

  // Writes the report: the figures below, one per line, and for a
  // difference its offset with the bytes around it on both sides.
  void Print(std::ostream& out) const;

  bool tokens;
  // The extended syntax: the script was dumped again from the re-inserted
  // bytes, and whether the table has switch codes.
  bool extended = false;
  bool switches = false;
  std::uint64_t bytesIn = 0;
  // Bytes that started no code: skipped by dump, or written as tokens.
  std::uint64_t skipped = 0;
  // The offsets of the first kOffsetsListed of them.
  std::vector<std::uint64_t> firstSkips;
  std::uint64_t reinserted = 0;
  bool differs = false;
  // Where the re-inserted bytes first differ from the range (or where one of
  // the two ends early), and the skipped bytes before that point: with
  // tokens, those the tokens gave back.
  std::uint64_t firstDifference = 0;
  std::uint64_t skippedBefore = 0;
  // Up to kContext bytes before the difference (the same on both sides), and
  // up to kContext + 1 bytes from the difference on, of each side.
  std::string before;
  std::string inputFrom;
  std::string reinsertedFrom;
  // The extended syntax: whether the re-inserted bytes dump to the same
  // script, and if not where the two first differ ("line L, column C" of
  // the first script).
  bool sameScript = true;
  std::string scriptDifference;
  // Why insert failed, if it did.
  std::string insertError;
};

}  // namespace dalvren
