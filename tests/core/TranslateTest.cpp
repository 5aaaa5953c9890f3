#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace std::string_literals;

#include "core/CodeDictionary.h"
#include "tests/support/CoreTestSupport.h"
#include "tests/support/NaiveLongestMatch.h"
#include "tests/support/TranslatePaths.h"

namespace dalvren {
namespace {

using test::Hex;
using test::NaiveLongestMatch;
using test::Put;
using test::TranslateOn;
using test::TranslatePaths;
using test::TranslateToString;

struct Entry {
  std::string key;
  std::string value;
};

struct TranslateCase {
  std::string input;
  std::string expected;
};

void Fill(CCodeDictionary& dict, const std::vector<Entry>& entries) {
  for (const auto& e : entries) Put(dict, e.key, e.value);
}

// Every case on every path of the translation.
void ExpectTranslations(const std::vector<Entry>& entries,
                        const std::vector<TranslateCase>& cases) {
  CCodeDictionary dict;
  Fill(dict, entries);
  for (const auto& c : cases) {
    EXPECT_EQ(TranslateToString(dict, c.input), c.expected)
        << "input " << testing::PrintToString(c.input);
    for (const auto& path : TranslatePaths()) {
      EXPECT_EQ(TranslateOn(dict, c.input, path), c.expected)
          << path.name << ", input " << testing::PrintToString(c.input);
    }
  }
}

TEST(CodeDictionaryTranslate, ChoosesLongestKeyAndSkipsUnknownBytes) {
  ExpectTranslations({{Hex("41"), "A"},
                      {Hex("42"), "B"},
                      {Hex("41 42"), "X"},
                      {Hex("41 42 43"), "Z"}},
                     {{Hex("41 42 43"), "Z"},
                      {Hex("41 42"), "X"},
                      {Hex("41 42 42"), "XB"},
                      {Hex("41 43"), "A"},
                      {Hex("41 42 44"), "X"},
                      {Hex("43 43 41"), "A"},
                      {"", ""}});
}

TEST(CodeDictionaryTranslate, BacksUpToLastMatchAfterFailedLongerKey) {
  ExpectTranslations(
      {{Hex("41"), "A"}, {Hex("42"), "B"}, {Hex("41 42 43"), "Z"}},
      {{Hex("41 42 43"), "Z"},
       {Hex("41 42 44"), "AB"},
       {Hex("41 42"), "AB"},
       {Hex("41 42 41 42 43"), "ABZ"}});
}

TEST(CodeDictionaryTranslate, DropsFirstByteOfFailedAttemptWithoutMatch) {
  ExpectTranslations(
      {{Hex("41 42"), "X"}},
      {{Hex("41 41 42"), "X"}, {Hex("41"), ""}, {Hex("41 41 41 42 41"), "X"}});
}

TEST(CodeDictionaryTranslate, ReverseDirectionCutsTextIntoLongestTexts) {
  ExpectTranslations({{"t", Hex("74")}, {"th", Hex("C0")}, {"the", Hex("C1")}},
                     {{"then", Hex("C1")}, {"th", Hex("C0")}, {"tt", "tt"}});
  ExpectTranslations({{"t", Hex("74")},
                      {"th", Hex("C0")},
                      {"the", Hex("C1")},
                      {"n", Hex("6E")}},
                     {{"then", Hex("C1 6E")}});
}

TEST(CodeDictionaryTranslate, EmptyValueConsumesItsKeySilently) {
  ExpectTranslations({{Hex("00"), ""}, {Hex("41"), "A"}, {Hex("00 41"), ""}},
                     {{Hex("00 41 41 00"), "A"}});
}

TEST(CodeDictionaryTranslate, AppendsToWhatTheStreamAlreadyHolds) {
  CCodeDictionary dict;
  Put(dict, "a", "1");
  std::ostringstream out;
  out << "before:";
  const auto start = out.tellp();
  dict.Translate(out, test::AsBytes("aba"));
  EXPECT_EQ(out.str(), "before:11");
  EXPECT_EQ(out.tellp() - start, 2);
}

TEST(CodeDictionaryTranslate, EmptyDictionaryGivesNothing) {
  ExpectTranslations({}, {{"anything", ""}, {Hex("00 FF"), ""}});
}

// Outputs far larger than any internal buffer, and single values larger than
// it, must reach the stream whole and in order.
TEST(CodeDictionaryTranslate, LargeOutputsAndValuesArriveWholeAndInOrder) {
  CCodeDictionary dict;
  const std::string big(70'000, 'B');
  Put(dict, "a", "xyz");
  Put(dict, "b", big);
  std::string input;
  std::string expected;
  for (int i = 0; i < 2'000; ++i) {
    input += (i % 7 == 3) ? "b" : "a";
    expected += (i % 7 == 3) ? big : "xyz";
  }
  EXPECT_EQ(TranslateToString(dict, input), expected);
}

TEST(CodeDictionaryTranslate, AgreesWithNaiveLongestMatchOnRandomDictionaries) {
  std::mt19937 rng(20261207);
  const std::string alphabet = "ab\0c"s;
  const auto randomString = [&](std::size_t maxLen) {
    std::string s(1 + rng() % maxLen, ' ');
    for (char& c : s) c = alphabet[rng() % alphabet.size()];
    return s;
  };
  for (int round = 0; round < 2000; ++round) {
    std::map<std::string, std::string> model;
    CCodeDictionary dict;
    const int keys = static_cast<int>(rng() % 8);
    for (int i = 0; i < keys; ++i) {
      const std::string key = randomString(4);
      const std::string value = rng() % 5 == 0 ? "" : randomString(3);
      model[key] = value;
      Put(dict, key, value);
    }
    for (int i = 0; i < 5; ++i) {
      const std::string input = randomString(20);
      const std::string expected = NaiveLongestMatch(model, input);
      ASSERT_EQ(TranslateToString(dict, input), expected)
          << "round " << round << " input " << testing::PrintToString(input);
      for (const auto& path : TranslatePaths()) {
        ASSERT_EQ(TranslateOn(dict, input, path), expected)
            << path.name << ", round " << round << " input "
            << testing::PrintToString(input);
      }
    }
  }
}

}  // namespace
}  // namespace dalvren
