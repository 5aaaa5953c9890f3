// The CRC-32 of zlib, PNG, IPS tools and BPS patches (reflected polynomial
// EDB88320, initial value and final XOR FFFFFFFF), which translators quote
// to tell one ROM dump from another.
#pragma once

#include <cstdint>
#include <span>

namespace dalvren {

// The CRC-32 of `bytes`.
[[nodiscard]] std::uint32_t Crc32(std::span<const unsigned char> bytes);

// The CRC-32 of `more` appended to bytes whose CRC-32 was `crc`, so that a
// large file can be summed a block at a time: Crc32Update(Crc32(a), b) is
// Crc32 of a followed by b, and Crc32Update(0, b) is Crc32(b).
[[nodiscard]] std::uint32_t Crc32Update(std::uint32_t crc,
                                        std::span<const unsigned char> more);

}  // namespace dalvren
