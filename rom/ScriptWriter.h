// Writes what extract adds to a layout: the #ROM line and one section per
// string, in the format rom/ScriptReader.h reads back exactly.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace dalvren {

// "#ROM SIZE=... CRC32=..." for a ROM of `size` bytes whose CRC-32 is `crc`.
[[nodiscard]] std::string RomDirective(std::uint64_t size, std::uint32_t crc);

// What a string's section holds.
struct CStringSection {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  // The offsets of the pointers that lead to it; none in a #TEXT block.
  std::span<const std::uint64_t> from;
  // Shown as comment lines.
  std::string_view original;
  // The text build writes.
  std::string_view text;
};

// Appends to `out` the section of `section`: its #STRING line, each line of
// the original text after "//" (an empty text gives one "//" line), and the
// text as rom/Script.h describes it (each line that begins with "#", "//"
// or "\" led by "\", and a line break after the last line).
void AppendStringSection(const CStringSection& section, std::string& out);

}  // namespace dalvren
