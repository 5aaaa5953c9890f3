// The ways a table spells a text: every cut of the text into texts of the
// table, each piece written with one of the codes that stand for it. A
// search through a table looks for all of them at once.
//
// Invariants: the spellings' bytes are distinct and none is empty; each
// spelling's pieces spell the whole text, in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/CodeTable.h"
#include "core/ExtendedTable.h"

namespace dalvren {

// A code of a table and the text it stands for.
struct CCodeText {
  std::string code;
  std::string text;
};

// The pieces a plain table spells with: every text with the code insert
// writes for it, then every code with the text dump reads for it that is
// not among those already (the code of a text that a later code took, the
// earlier codes of a text several codes share). Codes with an empty text
// are left out: they spell nothing.
[[nodiscard]] std::vector<CCodeText> SpellingPieces(const CCodeTable& table);

// The same for `section` of an extended table, from its text and
// line-break codes; its end, control and switch codes spell nothing.
[[nodiscard]] std::vector<CCodeText> SpellingPieces(const CExtendedTable& table,
                                                    std::uint32_t section);

class CTextSpellings {
 public:
  // How many cuts are listed at most, and how many bytes their distinct
  // spellings take: each becomes a pattern of the search, whose automaton
  // takes about a hundred bytes per byte of patterns at worst, and a text
  // with many short pieces has a number of cuts that grows exponentially
  // with its length.
  static constexpr std::size_t kMaxCuts = 10000;
  static constexpr std::size_t kMaxBytes = std::size_t{256} * 1024;

  struct Spelling {
    // Indexes into the pieces the spellings were made with.
    std::vector<std::uint32_t> pieces;
    // The codes' bytes, one after the other.
    std::string bytes;
  };

  // Lists the cuts of `text` into texts of `pieces`: the longest text first
  // at each point and, for one text, the pieces in their order, so the
  // first cut is the greedy one whenever that spells the whole text. Cuts
  // whose bytes an earlier cut already has are not listed again. Listing
  // stops after `most` cuts, or before a spelling that would bring the
  // bytes of those listed beyond `bytes`. Time: the listed cuts times the
  // text's length, plus the text's length times the number of distinct
  // text lengths.
  CTextSpellings(std::string_view text, std::span<const CCodeText> pieces,
                 std::size_t most = kMaxCuts, std::size_t bytes = kMaxBytes);

  [[nodiscard]] const std::vector<Spelling>& Spellings() const {
    return spellings_;
  }
  // How many cuts the text has in all (UINT64_MAX when more); 0 when the
  // pieces cannot spell it.
  [[nodiscard]] std::uint64_t Cuts() const { return cuts_; }
  // True when there are more cuts than were listed.
  [[nodiscard]] bool Capped() const { return capped_; }
  // The cuts listed, spellings that repeat one included, and the bytes of
  // the spellings.
  [[nodiscard]] std::size_t Listed() const { return listed_; }
  [[nodiscard]] std::size_t Bytes() const { return bytes_; }
  // The length of the longest start of the text that the pieces spell:
  // no piece's text starts there when it is short of the whole text.
  [[nodiscard]] std::size_t Reach() const { return reach_; }

 private:
  std::vector<Spelling> spellings_;
  std::uint64_t cuts_ = 0;
  bool capped_ = false;
  std::size_t listed_ = 0;
  std::size_t bytes_ = 0;
  std::size_t reach_ = 0;
};

}  // namespace dalvren
