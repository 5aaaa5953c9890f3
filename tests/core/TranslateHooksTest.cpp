#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/CodeDictionary.h"
#include "tests/support/CoreTestSupport.h"
#include "tests/support/NaiveLongestMatch.h"
#include "tests/support/TranslatePaths.h"

namespace dalvren {
namespace {

using test::AsBytes;
using test::Hex;
using test::Put;

// The hooked translation, which every path of it must give alike.
std::string WithHooks(const CCodeDictionary& dict, const std::string& input,
                      const CTranslateHooks& hooks) {
  std::ostringstream out;
  dict.Translate(out, AsBytes(input), hooks);
  for (const auto& path : test::TranslatePaths()) {
    EXPECT_EQ(test::TranslateOn(dict, input, path, &hooks), out.str())
        << path.name << ", input " << testing::PrintToString(input);
  }
  return out.str();
}

std::string Shortest(const CCodeDictionary& dict, const std::string& input,
                     const CTranslateHooks& hooks = {}) {
  std::ostringstream out;
  dict.TranslateShortest(out, AsBytes(input), hooks);
  return out.str();
}

// Marks every skipped byte as "<offset:XX>".
CTranslateHooks SkipMarker() {
  CTranslateHooks hooks;
  hooks.onSkip = [](std::size_t offset, unsigned char byte, std::string& emit) {
    const auto digits =
        test::MakeString(std::string(1, static_cast<char>(byte)))->ToHex();
    emit.append("<").append(std::to_string(offset)).append(":");
    emit.append(digits.get()).append(">");
  };
  return hooks;
}

// Takes "#X" as the literal byte X before the dictionary is consulted.
CTranslateHooks EscapeHook() {
  CTranslateHooks hooks;
  hooks.before = [](std::span<const unsigned char> rest, std::string& emit) {
    if (rest.size() < 2 || rest[0] != '#') return std::size_t{0};
    emit.push_back(static_cast<char>(rest[1]));
    return std::size_t{2};
  };
  return hooks;
}

TEST(CodeDictionaryTranslateHooks, SkippedBytesAreReportedWithTheirOffsets) {
  CCodeDictionary dict;
  Put(dict, Hex("41"), "A");
  Put(dict, Hex("41 42 43"), "Z");
  EXPECT_EQ(WithHooks(dict, Hex("00 41 42 44 41 42 43 FF"), SkipMarker()),
            "<0:00>A<2:42><3:44>Z<7:FF>");
}

TEST(CodeDictionaryTranslateHooks, WithoutHooksItIsThePlainTranslation) {
  CCodeDictionary dict;
  Put(dict, "ab", "1");
  Put(dict, "b", "2");
  const std::string input = "xabbyab";
  EXPECT_EQ(WithHooks(dict, input, {}), test::TranslateToString(dict, input));
}

TEST(CodeDictionaryTranslateHooks, BeforeIsAskedFirstAtEveryScanPosition) {
  CCodeDictionary dict;
  Put(dict, "a", "1");
  Put(dict, "#a", "X");  // would match if the dictionary came first
  Put(dict, "b#", "Y");  // a key reaching into an escape still wins
  EXPECT_EQ(WithHooks(dict, "a#ab#aa#", EscapeHook()), "1aY11");
}

TEST(CodeDictionaryTranslateHooks, BeforeCanConsumeTheWholeRestAndNoMore) {
  CCodeDictionary dict;
  CTranslateHooks greedy;
  greedy.before = [](std::span<const unsigned char> rest, std::string& emit) {
    emit = "<rest>";
    return rest.size() + 10;  // asks for more than there is
  };
  EXPECT_EQ(WithHooks(dict, "abc", greedy), "<rest>");
  EXPECT_EQ(Shortest(dict, "abc", greedy), "<rest>");
}

TEST(CodeDictionaryTranslateShortest, FindsShorterCutThanGreedy) {
  CCodeDictionary dict;
  // Greedy takes "th" (1 byte) and then needs "e" and "n" (2 bytes);
  // "t" + "hen" costs 2 bytes in all.
  Put(dict, "t", Hex("74"));
  Put(dict, "th", Hex("C0"));
  Put(dict, "e", Hex("65"));
  Put(dict, "n", Hex("6E"));
  Put(dict, "hen", Hex("D0"));
  EXPECT_EQ(test::TranslateToString(dict, "then"), Hex("C0 65 6E"));
  EXPECT_EQ(Shortest(dict, "then"), Hex("74 D0"));
}

TEST(CodeDictionaryTranslateShortest, PrefersKeepingTextOverShorterOutput) {
  CCodeDictionary dict;
  // "ab" + skipped "c" writes 1 byte but loses a character; "a" + "bc"
  // writes 2 bytes and keeps everything.
  Put(dict, "ab", Hex("01"));
  Put(dict, "a", Hex("02"));
  Put(dict, "bc", Hex("03"));
  EXPECT_EQ(Shortest(dict, "abc"), Hex("02 03"));
}

TEST(CodeDictionaryTranslateShortest, EqualCostsKeepTheGreedyChoice) {
  CCodeDictionary dict;
  Put(dict, "a", "1");
  Put(dict, "b", "2");
  Put(dict, "ab", "34");
  EXPECT_EQ(Shortest(dict, "abab"), "3434");
}

TEST(CodeDictionaryTranslateShortest, HooksTakePartAsInGreedyTranslation) {
  CCodeDictionary dict;
  Put(dict, "a", "1");
  Put(dict, "#a", "X");
  CTranslateHooks hooks = EscapeHook();
  hooks.onSkip = SkipMarker().onSkip;
  EXPECT_EQ(Shortest(dict, "a#aqa", hooks), "1a<3:71>1");
}

using Model = std::map<std::string, std::string>;
using Cost = std::pair<std::size_t, std::size_t>;  // skipped, written

// Every cut of `input` into keys (skipping only bytes that start no key),
// tried exhaustively: the least cost reachable from `pos`.
Cost BruteForceCost(const Model& dict, const std::string& input,
                    std::size_t pos) {
  if (pos == input.size()) return {0, 0};
  bool matched = false;
  Cost best{SIZE_MAX, SIZE_MAX};
  for (const auto& [key, value] : dict) {
    if (input.compare(pos, key.size(), key) != 0) continue;
    matched = true;
    const Cost rest = BruteForceCost(dict, input, pos + key.size());
    best = std::min(best, Cost{rest.first, rest.second + value.size()});
  }
  if (matched) return best;
  const Cost rest = BruteForceCost(dict, input, pos + 1);
  return {rest.first + 1, rest.second};
}

// The cost of a given output: the skipped bytes are those the output's parse
// skipped, which for the check below is recovered by translating with a skip
// counter.
Cost CostOf(const CCodeDictionary& dict, const std::string& input,
            bool shortest) {
  std::size_t skipped = 0;
  CTranslateHooks counter;
  counter.onSkip = [&skipped](std::size_t, unsigned char, std::string&) {
    ++skipped;
  };
  std::ostringstream out;
  if (shortest) {
    dict.TranslateShortest(out, AsBytes(input), counter);
  } else {
    dict.Translate(out, AsBytes(input), counter);
  }
  return {skipped, out.str().size()};
}

TEST(CodeDictionaryTranslateShortest, MatchesBruteForceOnRandomDictionaries) {
  std::mt19937 rng(4242);
  const std::string alphabet = "abc";
  const auto word = [&](std::size_t maxLen, std::size_t minLen) {
    std::string s(minLen + rng() % (maxLen - minLen + 1), ' ');
    for (char& c : s) c = alphabet[rng() % alphabet.size()];
    return s;
  };
  for (int round = 0; round < 1500; ++round) {
    Model model;
    CCodeDictionary dict;
    const int keys = 1 + static_cast<int>(rng() % 7);
    for (int i = 0; i < keys; ++i) {
      const std::string key = word(4, 1);
      const std::string value = word(4, 0);
      model[key] = value;
      Put(dict, key, value);
    }
    const std::string input = word(12, 0);
    const Cost optimal = BruteForceCost(model, input, 0);
    const Cost shortest = CostOf(dict, input, true);
    const Cost greedy = CostOf(dict, input, false);
    ASSERT_EQ(shortest, optimal) << "round " << round << " input " << input;
    ASSERT_LE(shortest, greedy) << "round " << round;
    if (greedy == optimal) {
      ASSERT_EQ(Shortest(dict, input), test::NaiveLongestMatch(model, input))
          << "round " << round << " input " << input;
    }
  }
}

TEST(CodeDictionaryTranslateShortest, DropsTheFewestCharactersNotBytes) {
  CCodeDictionary dict;
  Put(dict, "kacb", Hex("01"));
  Put(dict, "k", Hex("02"));
  Put(dict, "b\xE3\x81\x82", Hex("03"));
  // "k" + "bあ" keeps the three bytes of "あ" but drops "a" and "c"; "kacb"
  // drops "あ" alone, one character.
  EXPECT_EQ(Shortest(dict, "kacb\xE3\x81\x82"), Hex("01"));
  // A character counts once however many of its bytes are skipped, and
  // even when a key takes the bytes between them.
  Put(dict, "\x81", Hex("04"));
  EXPECT_EQ(Shortest(dict, "kacb\xE3\x81\x82", SkipMarker()),
            Hex("01") + "<4:E3>" + Hex("04") + "<6:82>");
  // Once a byte of "あ" is dropped, dropping another costs nothing, so the
  // short "81" beats the long "81 82" that would keep the last byte.
  Put(dict, "\x81\x82", Hex("05 05 05"));
  EXPECT_EQ(Shortest(dict, "\xE3\x81\x82"), Hex("04"));
  EXPECT_EQ(Shortest(dict, "\x81\x82"), Hex("05 05 05"));
}

// A text made of whole characters, with the character each byte belongs to.
struct CharText {
  std::string bytes;
  std::vector<std::size_t> charOf;
};

// Every cut of `text` into keys (skipping only bytes that start no key),
// tried exhaustively. Keeps the one that drops the fewest characters, then
// writes the fewest bytes, and among equals takes the longer key at the
// first step where two cuts part.
struct ModelCut {
  std::size_t dropped = 0;
  std::string output;
  std::vector<std::size_t> steps;  // 0 for a skipped byte
};

void BestCut(const Model& dict, const CharText& text, std::size_t pos,
             std::size_t lastDropped, ModelCut& current, ModelCut& best,
             bool& found) {
  if (pos == text.bytes.size()) {
    const bool better = !found || current.dropped < best.dropped ||
                        (current.dropped == best.dropped &&
                         (current.output.size() < best.output.size() ||
                          (current.output.size() == best.output.size() &&
                           current.steps > best.steps)));
    if (better) best = current;
    found = true;
    return;
  }
  bool matched = false;
  for (const auto& [key, value] : dict) {
    if (text.bytes.compare(pos, key.size(), key) != 0) continue;
    matched = true;
    const std::size_t mark = current.output.size();
    current.output += value;
    current.steps.push_back(key.size());
    BestCut(dict, text, pos + key.size(), lastDropped, current, best, found);
    current.steps.pop_back();
    current.output.resize(mark);
  }
  if (matched) return;
  const std::size_t character = text.charOf[pos];
  const bool first = character != lastDropped;
  current.dropped += first ? 1 : 0;
  current.steps.push_back(0);
  BestCut(dict, text, pos + 1, character, current, best, found);
  current.steps.pop_back();
  current.dropped -= first ? 1 : 0;
}

TEST(CodeDictionaryTranslateShortest, MatchesBruteForceOnMultiByteCharacters) {
  // Whole characters of one to four bytes, a stray continuation byte and a
  // byte UTF-8 never uses; none continues another, so a text's characters
  // are the pieces it is made of. Keys are any bytes of such texts, so they
  // may begin or end inside a character.
  const std::vector<std::string> pieces = {
      "a",       "b",      Hex("C3 A9"), Hex("E3 81 82"), Hex("F0 9F 98 80"),
      Hex("81"), Hex("FF")};
  std::mt19937 rng(2024);
  const auto text = [&](std::size_t most) {
    CharText t;
    const std::size_t count = rng() % (most + 1);
    for (std::size_t i = 0; i < count; ++i) {
      const std::string& piece = pieces[rng() % pieces.size()];
      t.bytes += piece;
      t.charOf.resize(t.bytes.size(), i);
    }
    return t;
  };
  std::size_t multiByteDrops = 0;
  for (int round = 0; round < 1500; ++round) {
    Model model;
    CCodeDictionary dict;
    const int keys = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < keys; ++i) {
      const std::string source = text(3).bytes + "a";
      const std::size_t from = rng() % source.size();
      const std::string key = source.substr(from, 1 + rng() % 4);
      const std::string value(rng() % 4, static_cast<char>('0' + i));
      model[key] = value;
      Put(dict, key, value);
    }
    const CharText input = text(6);
    ModelCut current;
    ModelCut best;
    bool found = false;
    BestCut(model, input, 0, SIZE_MAX, current, best, found);
    ASSERT_EQ(Shortest(dict, input.bytes), best.output)
        << "round " << round << " input "
        << testing::PrintToString(input.bytes);
    std::size_t skippedBytes = 0;
    for (const std::size_t step : best.steps) skippedBytes += step == 0;
    if (skippedBytes > best.dropped) ++multiByteDrops;
  }
  // The cases must include characters that lose more than one byte.
  EXPECT_GE(multiByteDrops, 100u);
}

// Keys that end alike, so that the automaton lists several of them at one
// position through its output links, longest first: the cut against the
// exhaustive model, ties included.
TEST(CodeDictionaryTranslateShortest, MatchesBruteForceOnKeysThatEndAlike) {
  std::mt19937 rng(77);
  for (int round = 0; round < 400; ++round) {
    Model model;
    CCodeDictionary dict;
    const std::string ending = round % 2 == 0 ? "b" : "ab";
    const int keys = 2 + static_cast<int>(rng() % 6);
    for (int i = 0; i < keys; ++i) {
      std::string key(rng() % 7, ' ');
      for (char& c : key) c = "ab"[rng() % 2];
      key += ending;
      const std::string value(rng() % 4, static_cast<char>('0' + i));
      model[key] = value;
      Put(dict, key, value);
    }
    CharText input;
    for (std::size_t i = 0, n = rng() % 15; i < n; ++i) {
      input.bytes += "ab"[rng() % 2];
      input.charOf.push_back(i);
    }
    ModelCut current;
    ModelCut best;
    bool found = false;
    BestCut(model, input, 0, SIZE_MAX, current, best, found);
    ASSERT_EQ(Shortest(dict, input.bytes), best.output)
        << "round " << round << " input " << input.bytes;
  }
}

TEST(CodeDictionaryTranslateShortest, KeysLongerThanSixteenBitsOfLength) {
  CCodeDictionary dict;
  // Only an "x" starts a long walk through the trie.
  const std::string longKey = "x" + std::string(69'999, 'a');
  Put(dict, longKey, "L");
  Put(dict, "a", "xx");
  Put(dict, "b", "B");
  const std::string input = "b" + longKey + "ab" + longKey;
  EXPECT_EQ(Shortest(dict, input), "BLxxBL");
}

TEST(CodeDictionaryTranslateShortest, HookTakingMoreThanTheLongestKeyFits) {
  CCodeDictionary dict;
  Put(dict, "a", "1");
  Put(dict, "a#", "2");
  Put(dict, "b", "3");
  // Takes "#" and the 199 bytes after it, far more than any key.
  CTranslateHooks hooks;
  hooks.before = [](std::span<const unsigned char> rest, std::string& emit) {
    if (rest.empty() || rest[0] != '#') return std::size_t{0};
    emit = "<" + std::to_string(std::min<std::size_t>(rest.size(), 200)) + ">";
    return std::size_t{200};
  };
  // "a" lets the hook take the 200 bytes and write 5; "a#" would write the
  // 199 "b" one by one: the choice rests on the cost after the hook's bytes.
  const std::string input = "a#" + std::string(199, 'b') + "a";
  EXPECT_EQ(Shortest(dict, input, hooks), "1<200>1");
  EXPECT_EQ(Shortest(dict, "bb#b", hooks), "33<2>");
}

TEST(CodeDictionaryTranslateShortest, OutputOfManyBlocksAndLongValuesIsWhole) {
  CCodeDictionary dict;
  const std::string longValue(100'000, 'v');
  Put(dict, "a", "A");
  Put(dict, "bc", "B");
  Put(dict, "c", longValue);
  std::string input;
  std::string expected;
  for (int i = 0; i < 50'000; ++i) {
    input += "abc";
    expected += "AB";
    if (i % 10'000 == 0) {
      input += "c";
      expected += longValue;
    }
  }
  EXPECT_EQ(Shortest(dict, input), expected);
  EXPECT_EQ(Shortest(dict, input), test::TranslateToString(dict, input));
}

}  // namespace
}  // namespace dalvren
