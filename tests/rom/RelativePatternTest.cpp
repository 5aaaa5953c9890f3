#include <string>

#include <gtest/gtest.h>

#include "rom/RelativePattern.h"

namespace dalvren {
namespace {

// What a word that cannot be searched is told apart by.
TEST(RelativePattern, RefusesWordsThatCannotBeSearchedSayingWhy) {
  std::string manyKana;
  for (int i = 0; i < 257; ++i) {
    const char32_t c = U'\u4E00' + static_cast<char32_t>(i);
    manyKana += static_cast<char>(0xE0 | (c >> 12));
    manyKana += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    manyKana += static_cast<char>(0x80 | (c & 0x3F));
  }
  const struct {
    const char* word;
    std::string alphabet;
    unsigned width;
    const char* says;
  } cases[] = {
      {"", "", 1, "WORD is empty"},
      {"Hero", "", 1, "WORD has a single letter of A-Z (\"H\")"},
      {"Hero1", "", 1, "single letter of A-Z"},
      {"HEROx", "", 1, "single letter of a-z (\"x\")"},
      {"HE RO", "", 1, "\" \" in WORD is in no alphabet"},
      {"HÉRO", "", 1, "\"É\" in WORD is in no alphabet"},
      {"??", "", 1, "WORD has no letter, only ?"},
      {"aab", "a", 1, "--alphabet needs at least two letters"},
      {"aab", "aba", 1, "--alphabet holds \"a\" twice"},
      {"aab", "a?b", 1, "--alphabet cannot hold \"?\""},
      {"aab", manyKana, 1, "--alphabet has 257 letters"},
      {"あAB", "あいう", 1, "single letter of --alphabet (\"あ\")"},
  };
  for (const auto& c : cases) {
    std::unique_ptr<CRelativePattern> pattern;
    const CError error = CRelativePattern::Parse(
        c.word, {.width = c.width, .alphabet = c.alphabet}, &pattern);
    EXPECT_EQ(error.GetKind(), CError::Kind::kInvalid) << c.word;
    EXPECT_NE(error.Message().find(c.says), std::string::npos)
        << c.word << ": " << error.Message();
    EXPECT_EQ(pattern, nullptr) << c.word;
  }
  std::unique_ptr<CRelativePattern> wide;
  EXPECT_TRUE(
      CRelativePattern::Parse("aab", {.width = 2, .alphabet = manyKana}, &wide)
          .IsOk());
}

// Letters of --alphabet belong to it even where A-Z has them too, and
// groups come in the order the word meets them.
TEST(RelativePattern, GroupsLettersByAlphabetCustomFirst) {
  std::unique_ptr<CRelativePattern> pattern;
  ASSERT_TRUE(
      CRelativePattern::Parse("9Eb?0BcaE", {.alphabet = "ABCDEabcde"}, &pattern)
          .IsOk());
  ASSERT_EQ(pattern->Groups().size(), 2u);
  const auto& digits = pattern->Groups()[0];
  EXPECT_EQ(digits.name, "0-9");
  EXPECT_EQ(digits.units, (std::vector<std::size_t>{0, 4}));
  EXPECT_EQ(digits.indices, (std::vector<std::uint32_t>{9, 0}));
  const auto& custom = pattern->Groups()[1];
  EXPECT_EQ(custom.name, "--alphabet");
  EXPECT_EQ(custom.units, (std::vector<std::size_t>{1, 2, 5, 6, 7, 8}));
  EXPECT_EQ(custom.indices, (std::vector<std::uint32_t>{4, 6, 1, 7, 5, 4}));
  EXPECT_EQ(pattern->Units(), 9u);
  EXPECT_EQ(pattern->Length(), 9u);
}

}  // namespace
}  // namespace dalvren
