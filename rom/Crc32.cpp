#include "rom/Crc32.h"

#include <array>

namespace dalvren {

namespace {

// Eight tables, so that the loop folds in eight bytes per step ("slicing by
// eight"): a 32 MiB ROM sums in a few milliseconds rather than a tenth of a
// second.
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr Tables MakeTables() {
  Tables tables{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    tables[0][n] = c;
  }
  for (std::size_t t = 1; t < tables.size(); ++t) {
    for (std::size_t n = 0; n < 256; ++n) {
      const std::uint32_t prev = tables[t - 1][n];
      tables[t][n] = (prev >> 8) ^ tables[0][prev & 0xFF];
    }
  }
  return tables;
}

constexpr Tables kTables = MakeTables();

}  // namespace

std::uint32_t Crc32Update(std::uint32_t crc,
                          std::span<const unsigned char> more) {
  std::uint32_t c = ~crc;
  const unsigned char* p = more.data();
  std::size_t n = more.size();
  for (; n >= 8; n -= 8, p += 8) {
    const std::uint32_t low =
        c ^ (std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
             std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
    c = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^
        kTables[5][(low >> 16) & 0xFF] ^ kTables[4][low >> 24] ^
        kTables[3][p[4]] ^ kTables[2][p[5]] ^ kTables[1][p[6]] ^
        kTables[0][p[7]];
  }
  for (; n > 0; --n, ++p) c = kTables[0][(c ^ *p) & 0xFF] ^ (c >> 8);
  return ~c;
}

std::uint32_t Crc32(std::span<const unsigned char> bytes) {
  return Crc32Update(0, bytes);
}

}  // namespace dalvren
