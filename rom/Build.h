// build: a new ROM from an edited script, with the text laid out by rules a
// translator can predict:
//   1. A string whose text is what the original ROM dumps to at its place
//      (or inserts to its very bytes) keeps its bytes and place.
//   2. A changed string that fits its old bytes, sharing none of them with
//      another string, is written in place; the bytes it no longer uses are
//      padded and freed.
//   3. A string no pointer leads to (in a #TEXT block) never moves: longer
//      than its old bytes, or sharing bytes with another string, it does not
//      fit.
//   4. Any other changed string moves: in script order, into the first
//      place that fits among the space freed in its block (the block of its
//      first pointer), then in the #FREE areas (in the order given), at an
//      offset every one of its pointers reaches (rom/PointerFormat.h), and
//      its pointers are rewritten. Moved strings with the same bytes share
//      one copy. Bytes a string left in place still uses are never freed.
//   5. When a string does not fit, nothing is built; every such string is
//      listed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/Error.h"
#include "rom/RomCodec.h"
#include "rom/Script.h"

namespace dalvren {

struct CBuildOptions {
  // Build even when the ROM is not the one the script's #ROM line names.
  bool force = false;
};

struct CBuildResult {
  // A character of a changed text that insert dropped, where it stands in
  // the script file, and its bytes.
  struct Drop {
    std::size_t line = 0;
    std::size_t column = 0;
    std::string character;
    // CRomCodec::Drop::held.
    bool held = false;
  };
  std::vector<Drop> drops;

  // What insert noted about a changed text, where it stands in the script.
  struct Note {
    std::size_t line = 0;
    std::size_t column = 0;
    std::string message;
  };
  std::vector<Note> notes;

  // A string that did not fit: its #STRING line and offset, the bytes its
  // text needs, and the most bytes one place in its reach offered. `reason`
  // tells why it could not move, where that is not for want of space.
  struct NoRoom {
    std::size_t line = 0;
    std::uint64_t offset = 0;
    std::uint64_t needed = 0;
    std::uint64_t available = 0;
    std::string reason;
  };
  std::vector<NoRoom> noRoom;

  // The figures of one #TEXT or #POINTERS block, for its strings (those in
  // it, and those its pointers lead to first).
  struct BlockStats {
    std::size_t line = 0;
    std::string name;
    std::size_t strings = 0;
    std::size_t changed = 0;
    std::size_t moved = 0;
    // The bytes its strings take, before and after (wherever they moved).
    std::uint64_t bytesBefore = 0;
    std::uint64_t bytesAfter = 0;
    // The space its strings freed, and how much of it moved strings took.
    std::uint64_t freed = 0;
    std::uint64_t freedUsed = 0;
  };
  std::vector<BlockStats> blocks;
  // The #FREE areas: their bytes and how many moved strings took.
  std::uint64_t freeTotal = 0;
  std::uint64_t freeUsed = 0;
};

// Builds the new ROM of `script` from the ROM `rom`, in place, through
// `codec`: on success `rom` holds the new ROM (of the same size), on failure
// it is as it was. Each changed text is inserted as insert does, and what
// insert dropped or noted is reported in `*result`, also when the build
// fails. Memory: the script, and about 150 bytes per string.
//
// Fails:
//   - Mismatch: `rom` is not the ROM of the script's #ROM line (its size or
//     CRC-32), unless `options.force`;
//   - Invalid: the layout does not fit the ROM or the table
//     (CLayout::CheckAgainst), a string lies outside the ROM, in a #FREE
//     area or over a #POINTERS block, a string without FROM= lies in no
//     #TEXT block, FROM= names no pointer of a #POINTERS block or one that
//     leads elsewhere, a string or pointer is given twice, a text does not
//     insert, the bytes of a changed text that replaces one ending with an
//     end code do not end with exactly one (at their end), or (only where
//     an end code begins a longer code of the table) a string would read
//     on past its end code in the new ROM;
//   - NoRoom: some strings did not fit (listed in `result->noRoom`).
[[nodiscard]] CError Build(const CScript& script, std::span<unsigned char> rom,
                           const CRomCodec& codec, const CBuildOptions& options,
                           CBuildResult* result);

}  // namespace dalvren
