#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "rom/Crc32.h"

namespace dalvren {
namespace {

std::span<const unsigned char> Bytes(std::string_view text) {
  return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

// The published check values of CRC-32 (ISO-HDLC), which every patcher and
// ROM database uses.
TEST(Crc32, MatchesThePublishedCheckValues) {
  const struct {
    std::string_view text;
    std::uint32_t crc;
  } cases[] = {
      {"", 0x00000000},
      {"a", 0xE8B7BE43},
      {"123456789", 0xCBF43926},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Crc32(Bytes(c.text)), c.crc) << c.text;
  }
}

// The eight-byte steps and the byte steps agree wherever a block is split.
TEST(Crc32, BlocksSumToTheWhole) {
  std::mt19937 random(7);
  std::vector<unsigned char> bytes(1000);
  for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
  const std::uint32_t whole = Crc32(bytes);
  for (std::size_t cut = 0; cut <= bytes.size(); cut += 37) {
    const std::span<const unsigned char> all(bytes);
    EXPECT_EQ(Crc32Update(Crc32(all.first(cut)), all.subspan(cut)), whole)
        << cut;
  }
}

// A model that folds one bit at a time, straight from the polynomial.
std::uint32_t BitwiseCrc32(std::span<const unsigned char> bytes) {
  std::uint32_t c = 0xFFFFFFFF;
  for (const unsigned char b : bytes) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  }
  return ~c;
}

TEST(Crc32, AgreesWithTheBitwiseModelOnEveryLength) {
  std::mt19937 random(11);
  for (std::size_t length = 0; length < 70; ++length) {
    std::vector<unsigned char> bytes(length);
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
    EXPECT_EQ(Crc32(bytes), BitwiseCrc32(bytes)) << length;
  }
}

}  // namespace
}  // namespace dalvren
