// The directives of a script file: where the text of a ROM lives, where
// strings may be moved, and which ROM the script belongs to. A layout is
// written by hand; extract copies it into the script it writes, and build
// reads it back from there (rom/ScriptReader.h reads both).
//
// Invariants (the script reader checks them): every range has start <= end;
// a #POINTERS block's format is valid (rom/PointerFormat.h); `header` starts
// with the #DALVREN line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Error.h"
#include "rom/PointerFormat.h"

namespace dalvren {

struct CLayout {
  enum class BlockKind : std::uint8_t { kText, kPointers };

  // A #TEXT or #POINTERS directive.
  struct Block {
    BlockKind kind = BlockKind::kText;
    // The line of the directive in its file, from 1.
    std::size_t line = 0;
    // The ROM offsets it covers, `end` included.
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    // END=: the codes that end a string here besides the table's own.
    std::vector<std::string> endCodes;
    // #POINTERS only.
    CPointerFormat pointers;

    // How many whole pointers fit from `start` to `end`, one every stride.
    [[nodiscard]] std::uint64_t SlotCount() const;
    // True when a pointer of this block starts at `at`.
    [[nodiscard]] bool IsSlot(std::uint64_t at) const;
    // The directive as a message names it: "#POINTERS 0x8010-0x801F".
    [[nodiscard]] std::string Name() const;
  };

  // A #FREE directive.
  struct Area {
    std::size_t line = 0;
    std::uint64_t start = 0;
    std::uint64_t end = 0;
  };

  // A #ROM directive: the ROM extract read.
  struct RomIdentity {
    std::size_t line = 0;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
  };

  // The #POINTERS block with a pointer at `at`, or null.
  [[nodiscard]] const Block* BlockOfPointer(std::uint64_t at) const;

  // Checks what needs the ROM's size and the table: every range lies in the
  // ROM, no two blocks or #FREE areas overlap, and every block has an end
  // code,
  // its own (END=) or the table's (`tableEndCodes`). Fails with the line of
  // the first directive that does not hold.
  [[nodiscard]] CError CheckAgainst(
      std::uint64_t romSize,
      const std::vector<std::string>& tableEndCodes) const;

  // The bytes freed space of `block` is filled with: #PAD, else the block's
  // first end code, else the table's.
  [[nodiscard]] const std::string& PadFor(
      const Block& block, const std::vector<std::string>& tableEndCodes) const;

  // #TEXT and #POINTERS, in file order.
  std::vector<Block> blocks;
  std::vector<Area> free;
  // #PAD; empty when absent.
  std::string pad;
  std::optional<RomIdentity> rom;
  // The lines before the first #STRING as written, without their line
  // breaks: what extract copies. The first is the #DALVREN line.
  std::vector<std::string> header;
  // The index in `header` of the #ROM line, if any.
  std::optional<std::size_t> romHeaderLine;
};

}  // namespace dalvren
