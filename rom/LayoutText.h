// How numbers, byte codes and offsets are written in a script file: the
// spelling the reader takes and the writer gives. Numbers are decimal, or
// hexadecimal after "0x" (or "0X") or "$"; byte codes (END=, #PAD, BANK=)
// are pairs of hexadecimal digits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dalvren {

// Reads an unsigned number as written above. Returns nothing for anything
// else: empty text, a sign, blanks, a stray character, a prefix without
// digits, or a value beyond 64 bits.
[[nodiscard]] std::optional<std::uint64_t> ParseLayoutNumber(
    std::string_view text);

// As above with an optional leading "-", for a value whose size is beyond
// 63 bits in neither direction.
[[nodiscard]] std::optional<std::int64_t> ParseSignedLayoutNumber(
    std::string_view text);

// Reads one or more pairs of hexadecimal digits (either case) as the bytes
// they stand for, optionally after "0x" or "$". Nothing for an odd count of
// digits, an empty code or any other character.
[[nodiscard]] std::optional<std::string> ParseByteCode(std::string_view text);

// "0x" and the upper-case hexadecimal digits of `offset`, no padding: how the
// writer and every message of this layer give an offset.
[[nodiscard]] std::string HexOffset(std::uint64_t offset);

// `text` in double quotes, as messages quote what the user wrote.
[[nodiscard]] std::string Quoted(std::string_view text);

// A CRC-32 as ROM tools quote it: 8 upper-case hexadecimal digits.
[[nodiscard]] std::string Crc32Text(std::uint32_t crc);

}  // namespace dalvren
