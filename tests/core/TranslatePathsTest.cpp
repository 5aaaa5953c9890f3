// The ways translation works (the compiled trie's walk, a byte map, the
// automaton of reversed keys in blocks, the walk handing over to it) must
// all give what the longest-match rule gives, hooks included.
#include <algorithm>
#include <latch>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/CodeDictionary.h"
#include "tests/support/CoreTestSupport.h"
#include "tests/support/NaiveLongestMatch.h"
#include "tests/support/TranslatePaths.h"

namespace dalvren {
namespace {

using test::AsBytes;
using test::NaiveLongestMatch;
using test::Put;
using test::TranslateOn;
using test::TranslatePaths;
using test::TranslateToString;
using Model = std::map<std::string, std::string>;

// "#X" stands for X; "%" takes the next eight bytes as well (or what is
// left); a skipped byte shows its offset.
CTranslateHooks MarkingHooks() {
  CTranslateHooks hooks;
  hooks.before = [](std::span<const unsigned char> rest, std::string& emit) {
    if (rest.size() >= 2 && rest[0] == '#') {
      emit = "<" + std::string(1, static_cast<char>(rest[1])) + ">";
      return std::size_t{2};
    }
    if (!rest.empty() && rest[0] == '%') {
      emit = "%";
      return std::size_t{9};
    }
    return std::size_t{0};
  };
  hooks.onSkip = [](std::size_t offset, unsigned char, std::string& emit) {
    emit = "[" + std::to_string(offset) + "]";
  };
  return hooks;
}

// Checks `input` on every path, plain and hooked, against the models.
void ExpectEveryPathAgrees(const CCodeDictionary& dict, const Model& model,
                           const std::string& input, const std::string& where) {
  const std::string plain = NaiveLongestMatch(model, input);
  const CTranslateHooks hooks = MarkingHooks();
  const std::string hooked = NaiveLongestMatch(model, input, hooks);
  for (const auto& path : TranslatePaths()) {
    ASSERT_EQ(TranslateOn(dict, input, path), plain)
        << path.name << ", " << where << ", input "
        << testing::PrintToString(input);
    ASSERT_EQ(TranslateOn(dict, input, path, &hooks), hooked)
        << path.name << " with hooks, " << where << ", input "
        << testing::PrintToString(input);
  }
}

// Keys that share long prefixes (up to 255 bytes, as table codes may be),
// values of every length around the sizes kept inline, and inputs made of
// pieces of keys, most of them one byte short: every position starts a long
// walk that nearly matches.
TEST(CodeDictionaryTranslatePaths, AgreeOnLongKeysSharingPrefixes) {
  std::mt19937 rng(1207);
  const auto pick = [&rng](std::size_t n) { return rng() % n; };
  const std::string alphabet = "ab#%";
  const auto noise = [&](std::size_t most) {
    std::string s(pick(most + 1), ' ');
    for (char& c : s) c = alphabet[pick(alphabet.size())];
    return s;
  };
  for (int round = 0; round < 150; ++round) {
    std::vector<std::string> stems(1 + pick(3));
    for (auto& stem : stems) {
      stem = std::string(1 + pick(round % 3 == 0 ? 255 : 20), 'a');
      for (char& c : stem) c = pick(6) == 0 ? 'b' : 'a';
    }
    Model model;
    CCodeDictionary dict;
    for (int i = 0, keys = 1 + static_cast<int>(pick(8)); i < keys; ++i) {
      const std::string& stem = stems[pick(stems.size())];
      const std::string key =
          stem.substr(0, 1 + pick(stem.size())) + noise(pick(3) == 0 ? 2 : 0);
      const std::string value(pick(4) == 0 ? pick(20) : pick(4),
                              static_cast<char>('A' + i));
      model[key] = value;
      Put(dict, key, value);
    }
    for (int i = 0; i < 3; ++i) {
      std::string input;
      while (input.size() < 600) {
        const std::string& stem = stems[pick(stems.size())];
        input += stem.substr(0, stem.size() - (pick(4) == 0 ? 0 : 1));
        input += noise(3);
      }
      ExpectEveryPathAgrees(dict, model, input,
                            "round " + std::to_string(round));
    }
  }
}

// "a" and one key of K "a" and a "b": the walk from every "a" of a long run
// reads K bytes and falls back to "a", unless the "b" comes.
TEST(CodeDictionaryTranslatePaths, AgreeOnOneLongKeyThatNearlyMatches) {
  std::mt19937 rng(99);
  for (const std::size_t k : {1, 2, 7, 64, 254, 508}) {
    Model model = {{"a", "1"}, {std::string(k, 'a') + "b", "LONG"}};
    CCodeDictionary dict;
    for (const auto& [key, value] : model) Put(dict, key, value);
    for (int i = 0; i < 4; ++i) {
      std::string input(3 * k + rng() % 50, 'a');
      for (int b = 0; b < i; ++b) input[rng() % input.size()] = 'b';
      ExpectEveryPathAgrees(dict, model, input, "K " + std::to_string(k));
    }
  }
}

// The byte map serves tables of one-byte keys with values of at most one
// byte; one longer key or value and the walk serves them instead.
TEST(CodeDictionaryTranslatePaths, AgreeOnBothSidesOfTheByteMap) {
  std::string everyByte;
  for (int b = 0; b < 256; ++b) everyByte += static_cast<char>(b);
  everyByte += everyByte;
  struct Table {
    const char* name;
    Model model;
  };
  Model full;
  Model partial;
  for (int b = 0; b < 256; ++b) {
    const std::string key(1, static_cast<char>(b));
    full[key] = std::string(1, static_cast<char>(255 - b));
    if (b % 3 == 1) partial[key] = std::string(1, static_cast<char>(b ^ 1));
    if (b % 7 == 2) partial[key] = "";
  }
  Model longValue = partial;
  longValue["\x10"] = "xy";
  Model longKey = partial;
  longKey["\x10\x11"] = "z";
  for (const Table& table : {Table{"full", full}, Table{"partial", partial},
                             Table{"one longer value", longValue},
                             Table{"one longer key", longKey}}) {
    CCodeDictionary dict;
    for (const auto& [key, value] : table.model) Put(dict, key, value);
    ExpectEveryPathAgrees(dict, table.model, everyByte, table.name);
    EXPECT_EQ(TranslateToString(dict, everyByte),
              NaiveLongestMatch(table.model, everyByte))
        << table.name;
  }
}

// Values are kept inline up to a few bytes, in several places (first step,
// leaf step, value entry); every length around those sizes, and values far
// larger than the output block, arrive whole.
TEST(CodeDictionaryTranslatePaths, AgreeOnValuesOfEveryLength) {
  Model model;
  std::string input;
  for (std::size_t length = 0; length <= 20; ++length) {
    const std::string value(length, static_cast<char>('a' + length));
    const auto code = static_cast<char>(0x80 + length);
    model[std::string(1, code)] = value;
    model[std::string("\x01") + code] = value + "!";
    model[std::string("\x02\x02") + code] = "?" + value;
    input += std::string(1, code) + "\x01" + code + "\x02\x02" + code + "\x02";
  }
  model["\x03"] = std::string(100'000, 'L');
  input += "\x03\x01\x03";
  CCodeDictionary dict;
  for (const auto& [key, value] : model) Put(dict, key, value);
  ExpectEveryPathAgrees(dict, model, input, "lengths");
  ExpectEveryPathAgrees(dict, model, input + input, "twice");
}

TEST(CodeDictionaryTranslatePaths, InsertAfterTranslatingIsSeen) {
  CCodeDictionary dict;
  Put(dict, "a", "1");
  EXPECT_EQ(TranslateToString(dict, "abab"), "11");
  EXPECT_EQ(dict.LongestKey(), 1u);
  std::ostringstream shortest;
  dict.TranslateShortest(shortest, AsBytes("abab"));
  EXPECT_EQ(shortest.str(), "11");

  Put(dict, "ab", "X");
  EXPECT_EQ(TranslateToString(dict, "abab"), "XX");
  EXPECT_EQ(dict.LongestKey(), 2u);
  std::ostringstream again;
  dict.TranslateShortest(again, AsBytes("abab"));
  EXPECT_EQ(again.str(), "XX");
  for (const auto& path : TranslatePaths()) {
    EXPECT_EQ(TranslateOn(dict, "abab", path), "XX") << path.name;
  }
}

TEST(CodeDictionaryTranslatePaths, StringOutputAppendsTheSameBytes) {
  CCodeDictionary dict;
  Put(dict, "a", "xyz");
  Put(dict, "b", std::string(70'000, 'B'));
  std::string input;
  for (int i = 0; i < 30'000; ++i) input += i % 1000 == 7 ? 'b' : 'a';
  std::string out = "before:";
  dict.Translate(out, AsBytes(input));
  EXPECT_EQ(out, "before:" + TranslateToString(dict, input));
}

// The first translations of a dictionary may run on several threads at
// once; they all make or wait for the same compiled forms.
TEST(CodeDictionaryTranslatePaths, FirstTranslationsOnSeveralThreads) {
  Model model;
  CCodeDictionary dict;
  for (int i = 0; i < 300; ++i) {
    const std::string key = std::to_string(i * 7919 % 1000);
    model[key] = "<" + key + ">";
    Put(dict, key, model[key]);
  }
  std::string input;
  for (int i = 0; i < 5000; ++i) input += std::to_string(i * 31 % 997);
  const std::string expected = NaiveLongestMatch(model, input);
  std::vector<std::string> results(6);
  std::vector<std::thread> threads;
  // All start together, so that several find the compiled form missing.
  std::latch start(static_cast<std::ptrdiff_t>(results.size()));
  for (std::size_t t = 0; t < results.size(); ++t) {
    threads.emplace_back([&, t] {
      start.arrive_and_wait();
      std::ostringstream out;
      if (t % 2 == 0) {
        dict.Translate(out, AsBytes(input));
      } else {
        dict.TranslateShortest(out, AsBytes(input));
      }
      results[t] = out.str();
    });
  }
  for (auto& thread : threads) thread.join();
  for (std::size_t t = 0; t < results.size(); t += 2) {
    EXPECT_EQ(results[t], expected) << "thread " << t;
  }
  for (std::size_t t = 1; t < results.size(); t += 2) {
    EXPECT_EQ(results[t], results[1]) << "thread " << t;
  }
}

}  // namespace
}  // namespace dalvren
