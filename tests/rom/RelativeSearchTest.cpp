#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rom/RelativeSearch.h"
#include "tests/support/RelativeSearchModel.h"

namespace dalvren {
namespace {

using test::CModelHit;
using test::CModelWord;

struct CPlanted {
  std::size_t offset;
  std::vector<std::uint32_t> bases;
  bool little = false;
};

struct CCase {
  const char* name;
  std::string word;
  std::string alphabet;
  unsigned width;
  std::size_t size;
  // The ROM's other bytes are drawn from `lo` .. `lo + spread - 1`: a small
  // spread makes chance hits and near misses common.
  unsigned lo;
  unsigned spread;
  std::vector<CPlanted> planted;
};

// The hits of `pattern` in `rom`, each checked, while its bytes are valid,
// to hold the ROM's own bytes and as much context as there is up to
// `options.context` on each side, in whole units.
std::vector<CModelHit> Search(const std::vector<unsigned char>& rom,
                              const CRelativePattern& pattern,
                              const CRomSearchOptions& options) {
  std::istringstream in(std::string(rom.begin(), rom.end()));
  std::vector<CModelHit> hits;
  const std::size_t unit = pattern.Width();
  const CError error =
      RelativeSearch(in, pattern, options, [&](const CRelativeHit& hit) {
        hits.push_back({hit.bytes.offset,
                        hit.order == CRelativePattern::ByteOrder::kLittle,
                        {hit.bases.begin(), hit.bases.end()}});
        const std::size_t at = hit.bytes.offset;
        const std::size_t end = at + pattern.Length();
        std::size_t before = std::min(options.context, at);
        before -= before % unit;
        std::size_t after = std::min(options.context, rom.size() - end);
        after -= after % unit;
        const auto bytes = [&rom](std::size_t from, std::size_t to) {
          return std::vector<unsigned char>(rom.begin() + from,
                                            rom.begin() + to);
        };
        const auto span = [](std::span<const unsigned char> s) {
          return std::vector<unsigned char>(s.begin(), s.end());
        };
        EXPECT_EQ(span(hit.bytes.before), bytes(at - before, at));
        EXPECT_EQ(span(hit.bytes.match), bytes(at, end));
        EXPECT_EQ(span(hit.bytes.after), bytes(end, end + after));
      });
  EXPECT_TRUE(error.IsOk()) << error.Message();
  return hits;
}

// Words written through shifted alphabets at known offsets, in ROMs of
// random bytes, are found exactly where the brute-force model finds hits:
// planted ones, chance ones, overlapping ones, at both ends of the ROM,
// across every window boundary.
TEST(RelativeSearch, FindsExactlyTheHitsOfTheBruteForceModel) {
  const CCase cases[] = {
      {"upper case at both ends",
       "HERO",
       "",
       1,
       300,
       0,
       256,
       {{0, {0x80}}, {120, {0x0A}}, {296, {0xF0}}}},
      {"two alphabets, wrapping, with ?",
       "H?ROhe?o",
       "",
       1,
       400,
       0,
       256,
       {{7, {0x10, 0xF5}}, {200, {0xC1, 0x00}}}},
      {"overlapping", "ABA", "", 1, 120, 0x40, 3, {{10, {0x40}}, {12, {0x40}}}},
      {"digits", "1000", "", 1, 200, 0, 256, {{50, {0x30}}, {196, {0x00}}}},
      {"kana order",
       "かきこ?あ",
       "あいうえおかきくけこ",
       1,
       300,
       0x80,
       16,
       {{3, {0x80}}, {150, {0xFA}}}},
      {"two-byte units in both orders",
       "HERO",
       "",
       2,
       400,
       0x82,
       2,
       {{0, {0x8260}, false},
        {33, {0x0041}, true},
        {101, {0xFFF8}, false},
        {392, {0x1234}, true}}},
      {"two-byte, three alphabets",
       "AZb?0c9",
       "",
       2,
       300,
       0,
       256,
       {{17, {0x8260, 0x8281, 0x824F}, false},
        {160, {0x0041, 0x0061, 0x0030}, true}}},
  };
  std::mt19937 random(2024);
  for (const CCase& c : cases) {
    SCOPED_TRACE(c.name);
    const CModelWord word = test::ModelWord(c.word, c.alphabet, c.width);
    std::vector<unsigned char> rom(c.size);
    for (unsigned char& b : rom) {
      b = static_cast<unsigned char>(c.lo + random() % c.spread);
    }
    for (const CPlanted& p : c.planted) {
      test::Plant(rom, p.offset, word, p.bases, p.little);
    }
    const std::vector<CModelHit> expected = test::ModelHits(rom, word);
    for (const CPlanted& p : c.planted) {
      EXPECT_NE(std::find(expected.begin(), expected.end(),
                          CModelHit{p.offset, p.little, p.bases}),
                expected.end())
          << "planted at " << p.offset;
    }
    std::unique_ptr<CRelativePattern> pattern;
    ASSERT_TRUE(
        CRelativePattern::Parse(
            c.word, {.width = c.width, .alphabet = c.alphabet}, &pattern)
            .IsOk());
    for (const std::size_t block : {1, 5, 64, 1 << 20}) {
      for (const std::size_t context : {0, 3, 32}) {
        SCOPED_TRACE(testing::Message()
                     << "block " << block << ", context " << context);
        EXPECT_EQ(Search(rom, *pattern, {.context = context, .block = block}),
                  expected);
      }
    }
  }
}

TEST(RelativeSearch, FindsNothingInARomShorterThanTheWord) {
  std::unique_ptr<CRelativePattern> pattern;
  ASSERT_TRUE(CRelativePattern::Parse("ABCD", {}, &pattern).IsOk());
  EXPECT_TRUE(Search({0, 1, 2}, *pattern, {}).empty());
  EXPECT_TRUE(Search({}, *pattern, {}).empty());
  EXPECT_EQ(Search({5, 6, 7, 8}, *pattern, {}).size(), 1u);
}

}  // namespace
}  // namespace dalvren
