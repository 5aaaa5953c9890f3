// Whether an extended table can be read back unambiguously, which is what
// its dumps need to insert back as they were: within each section, no code
// is a prefix of another code, no word of the script (a text, a line break,
// an end text or spelling, a control label) is a prefix of another or
// shared by two codes or empty, and no word can start a "<$XX>" token.
//
// For such a table and any ROM, with unknown bytes kept as tokens, insert
// of the dump gives back the same bytes when no section has a switch code,
// and bytes that dump to the same script when one has (two ways through the
// switch codes may write the same text).
#pragma once

#include <cstdint>
#include <optional>

#include "core/ExtendedTable.h"

namespace dalvren {

// One reason, with the entries it concerns (ids into the table's entries).
struct CAmbiguity {
  enum class Kind {
    kCodePrefix,   // the code of `first` begins the code of `second`
    kWordPrefix,   // the word of `first` begins the word of `second`
    kSameWord,     // `first` and `second` have the same word
    kEmptyText,    // `first` has an empty text: dump drops its code
    kTokenWord,    // the word of `first` starts with a <$XX> token
    kTokenSpelled  // the word of `first` followed by that of `second` (and
                   // maybe more) spells a <$XX> token
  };
  Kind kind = Kind::kCodePrefix;
  std::uint32_t section = 0;
  std::uint32_t first = 0;
  // The same as `first` for kEmptyText and kTokenWord.
  std::uint32_t second = 0;
};

// The first reason `table` cannot be read back unambiguously, by section in
// file order and then in the order of the kinds above; nothing when it can.
// Looks at the entries that dump or insert still use (not those that later
// entries replaced in both directions). Costs a sort of each section's
// words.
[[nodiscard]] std::optional<CAmbiguity> FindAmbiguity(
    const CExtendedTable& table);

}  // namespace dalvren
