#include <algorithm>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rom/TextSpellings.h"

namespace dalvren {
namespace {

// Every cut of `text` into texts of `pieces`, by plain recursion.
void ModelCuts(std::string_view text, const std::vector<CCodeText>& pieces,
               std::vector<std::uint32_t>& cut,
               std::vector<std::vector<std::uint32_t>>& cuts) {
  if (text.empty()) {
    cuts.push_back(cut);
    return;
  }
  for (std::uint32_t i = 0; i < pieces.size(); ++i) {
    if (!text.starts_with(pieces[i].text)) continue;
    cut.push_back(i);
    ModelCuts(text.substr(pieces[i].text.size()), pieces, cut, cuts);
    cut.pop_back();
  }
}

std::string BytesOf(const std::vector<std::uint32_t>& cut,
                    const std::vector<CCodeText>& pieces) {
  std::string bytes;
  for (const std::uint32_t i : cut) bytes += pieces[i].code;
  return bytes;
}

// Against the model on random small tables and texts: the same number of
// cuts, the same distinct spellings, each listed once and spelling the
// text, and the same longest spellable start.
TEST(TextSpellings, ListsEveryCutTheRecursiveModelFinds) {
  const char* const texts[] = {"a", "b", "ab", "ba", "aab", "bb", "c"};
  std::mt19937 random(99);
  for (int round = 0; round < 300; ++round) {
    std::vector<CCodeText> pieces;
    const int count = 1 + static_cast<int>(random() % 8);
    for (int k = 0; k < count; ++k) {
      std::string code(1 + random() % 2, '\0');
      for (char& c : code) c = static_cast<char>(random() % 4);
      pieces.push_back({code, texts[random() % std::size(texts)]});
    }
    std::string text;
    const int length = 1 + static_cast<int>(random() % 8);
    for (int k = 0; k < length; ++k) text += "abc"[random() % 3];
    SCOPED_TRACE(text);

    std::vector<std::uint32_t> cut;
    std::vector<std::vector<std::uint32_t>> cuts;
    ModelCuts(text, pieces, cut, cuts);
    std::set<std::string> expected;
    for (const auto& c : cuts) expected.insert(BytesOf(c, pieces));
    std::size_t reach = 0;
    for (std::size_t end = 1; end <= text.size(); ++end) {
      std::vector<std::vector<std::uint32_t>> starts;
      ModelCuts(std::string_view(text).substr(0, end), pieces, cut, starts);
      if (!starts.empty()) reach = end;
    }

    const CTextSpellings spellings(text, pieces);
    EXPECT_EQ(spellings.Cuts(), cuts.size());
    EXPECT_FALSE(spellings.Capped());
    EXPECT_EQ(spellings.Reach(), reach);
    std::set<std::string> listed;
    for (const auto& s : spellings.Spellings()) {
      EXPECT_TRUE(listed.insert(s.bytes).second) << "listed twice";
      EXPECT_EQ(s.bytes, BytesOf(s.pieces, pieces));
      std::string spelled;
      for (const std::uint32_t i : s.pieces) spelled += pieces[i].text;
      EXPECT_EQ(spelled, text);
    }
    EXPECT_EQ(listed, expected);
  }
}

TEST(TextSpellings, ListsTheGreedyCutFirstAndStopsAtTheCap) {
  const std::vector<CCodeText> words = {{"\x80", "the"}, {"t", "t"},
                                        {"h", "h"},      {"e", "e"},
                                        {"r", "r"},      {"\xC8", "her"}};
  const CTextSpellings there("there", words);
  ASSERT_EQ(there.Spellings().size(), 3u);
  EXPECT_EQ(there.Spellings()[0].bytes, "\x80re");
  EXPECT_EQ(there.Spellings()[1].bytes,
            "t\xC8"
            "e");
  EXPECT_EQ(there.Spellings()[2].bytes, "there");

  // "a" has two codes: 2 to the power of the length cuts.
  const std::vector<CCodeText> twice = {{"a", "a"}, {"\x80", "a"}};
  const CTextSpellings capped("aaaa", twice, 5);
  EXPECT_EQ(capped.Cuts(), 16u);
  EXPECT_TRUE(capped.Capped());
  EXPECT_EQ(capped.Spellings().size(), 5u);
  EXPECT_EQ(capped.Spellings()[0].bytes, "aaaa");
  const CTextSpellings whole("aaaa", twice, 16);
  EXPECT_FALSE(whole.Capped());
  EXPECT_EQ(whole.Spellings().size(), 16u);

  // The bytes of the spellings stop the list too, before the one that
  // would go beyond them.
  const CTextSpellings bounded("aaaa", twice, 16, 4 * 5);
  EXPECT_TRUE(bounded.Capped());
  EXPECT_EQ(bounded.Spellings().size(), 5u);
  EXPECT_EQ(bounded.Listed(), 5u);
  EXPECT_EQ(bounded.Bytes(), 20u);
  EXPECT_TRUE(CTextSpellings("aaaa", twice, 16, 3).Spellings().empty());

  const CTextSpellings many(std::string(20, 'a'), twice);
  EXPECT_EQ(many.Cuts(), 1u << 20);
  EXPECT_EQ(many.Spellings().size(), CTextSpellings::kMaxCuts);
  const CTextSpellings huge(std::string(70, 'a'), twice);
  EXPECT_EQ(huge.Cuts(), UINT64_MAX);
  EXPECT_TRUE(huge.Capped());
  EXPECT_EQ(huge.Spellings().size(), CTextSpellings::kMaxBytes / 70);
}

TEST(TextSpellings, ReachStopsWhereNoTextStarts) {
  const std::vector<CCodeText> words = {{"H", "He"}, {"r", "ro"}, {"x", "x"}};
  const CTextSpellings spellings("Herox", words);
  EXPECT_EQ(spellings.Cuts(), 1u);
  const CTextSpellings missing("Heroy", words);
  EXPECT_EQ(missing.Cuts(), 0u);
  EXPECT_TRUE(missing.Spellings().empty());
  EXPECT_EQ(missing.Reach(), 4u);
  EXPECT_EQ(CTextSpellings("", words).Cuts(), 0u);
}

std::set<std::pair<std::string, std::string>> AsSet(
    const std::vector<CCodeText>& pieces) {
  std::set<std::pair<std::string, std::string>> set;
  for (const auto& p : pieces) set.insert({p.code, p.text});
  return set;
}

// Both what dump reads and what insert writes: an alias's earlier text, and
// every code of a text several codes share; empty texts spell nothing.
TEST(SpellingPieces, TakesEveryCodeAndTextThePlainTableReadsOrWrites) {
  std::istringstream file("21=\xC2\xA1\n21=!\n30=X\n31=X\n40=\n41=A\n");
  CLoadObserver quiet;
  quiet.onReplaced = [](std::size_t, TableDictionary) {};
  const auto table = Load(file, quiet);
  const auto pieces = SpellingPieces(*table);
  EXPECT_EQ(AsSet(pieces),
            (std::set<std::pair<std::string, std::string>>{{"\x21", "\xC2\xA1"},
                                                           {"\x21", "!"},
                                                           {"\x30", "X"},
                                                           {"\x31", "X"},
                                                           {"\x41", "A"}}));
  // Insert's code for the shared text comes first, so the greedy cut uses it.
  const auto x = std::find_if(pieces.begin(), pieces.end(),
                              [](const CCodeText& p) { return p.text == "X"; });
  EXPECT_EQ(x->code, "\x31");
}

TEST(SpellingPieces, TakesTheTextAndLineBreakCodesOfOneSection) {
  std::istringstream file(
      "41=A\n*FE\n/FF=[END]\n$F5=<c>,1\n!F0=Kana,0\n@Kana\n80=\xE3\x81\x82\n"
      "41=B\n*FE\n");
  const auto table = LoadExtended(file);
  const std::uint32_t kana = table->start == 0 ? 1 : 0;
  EXPECT_EQ(AsSet(SpellingPieces(*table, table->start)),
            (std::set<std::pair<std::string, std::string>>{{"\x41", "A"},
                                                           {"\xFE", "\n"}}));
  EXPECT_EQ(AsSet(SpellingPieces(*table, kana)),
            (std::set<std::pair<std::string, std::string>>{
                {"\x80", "\xE3\x81\x82"}, {"\x41", "B"}, {"\xFE", "\n"}}));
}

}  // namespace
}  // namespace dalvren
