#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "rom/PatternSearch.h"

namespace dalvren {
namespace {

// Patterns over three byte values, prefixes of one another and repeated,
// in a ROM of the same values: every offset where each starts is found,
// in order, as comparing them at every offset finds them.
TEST(PatternSearch, FindsEveryPatternAtEveryOffsetTheBruteForceModelDoes) {
  std::mt19937 random(5);
  for (int round = 0; round < 20; ++round) {
    std::vector<std::string> patterns;
    for (int k = 0; k < 10; ++k) {
      std::string p(1 + random() % 5, '\0');
      for (char& c : p) c = static_cast<char>(random() % 3);
      patterns.push_back(p);
    }
    patterns.push_back(patterns[3]);
    patterns.push_back(patterns[3].substr(0, 1));
    patterns.push_back("");
    std::string rom(300 + random() % 50, '\0');
    for (char& c : rom) c = static_cast<char>(random() % 3);

    std::vector<std::pair<std::uint64_t, std::uint32_t>> expected;
    for (std::size_t at = 0; at < rom.size(); ++at) {
      for (std::uint32_t i = 0; i < patterns.size(); ++i) {
        const std::string& p = patterns[i];
        const bool first = std::find(patterns.begin(), patterns.end(), p) ==
                           patterns.begin() + i;
        if (!p.empty() && first && rom.compare(at, p.size(), p) == 0) {
          expected.emplace_back(at, i);
        }
      }
    }
    ASSERT_FALSE(expected.empty());

    const CPatternSearch search(patterns);
    for (const std::size_t block : {1, 2, 7, 64, 1 << 20}) {
      for (const std::size_t context : {0, 4}) {
        SCOPED_TRACE(testing::Message() << "round " << round << ", block "
                                        << block << ", context " << context);
        std::istringstream in(rom);
        std::vector<std::pair<std::uint64_t, std::uint32_t>> found;
        const CError error = search.Search(
            in, {.context = context, .block = block},
            [&](const CPatternSearch::Hit& hit) {
              found.emplace_back(hit.bytes.offset, hit.pattern);
              EXPECT_EQ(
                  std::string(hit.bytes.match.begin(), hit.bytes.match.end()),
                  patterns[hit.pattern]);
              EXPECT_EQ(
                  std::string(hit.bytes.before.begin(), hit.bytes.before.end()),
                  rom.substr(hit.bytes.offset - hit.bytes.before.size(),
                             hit.bytes.before.size()));
              EXPECT_EQ(hit.bytes.before.size(),
                        std::min<std::uint64_t>(context, hit.bytes.offset));
            });
        EXPECT_TRUE(error.IsOk());
        EXPECT_EQ(found, expected);
      }
    }
  }
}

TEST(PatternSearch, FindsNothingWithoutPatterns) {
  const std::vector<std::string> none = {""};
  const CPatternSearch search(none);
  EXPECT_EQ(search.Longest(), 0u);
  std::istringstream in(std::string(100, 'a'));
  int hits = 0;
  EXPECT_TRUE(search.Search(in, {}, [&](const auto&) { ++hits; }).IsOk());
  EXPECT_EQ(hits, 0);
}

}  // namespace
}  // namespace dalvren
