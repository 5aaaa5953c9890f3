#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/Utf8.h"
#include "tests/support/CoreTestSupport.h"

namespace dalvren {
namespace {

using namespace std::string_literals;
using test::AsBytes;
using test::Hex;

TEST(IsValidUtf8, AcceptsWellFormedTextOnly) {
  const struct {
    std::string text;
    bool valid;
  } cases[] = {
      {"", true},
      {"plain ASCII\t\x7F", true},
      {"\0"s, true},
      {"é勇者€", true},
      {"\xF0\x9F\x98\x80", true},   // U+1F600
      {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF
      {"\xEF\xBB\xBF", true},       // the byte-order mark is a character
      {"\x80", false},              // stray continuation
      {"\xC3", false},              // truncated
      {"\xE5\x8B", false},          // truncated
      {"\xC3\x28", false},          // bad continuation
      {"\xC0\x80", false},          // overlong zero
      {"\xC1\xBF", false},          // overlong
      {"\xE0\x80\xAF", false},      // overlong "/"
      {"\xF0\x8F\xBF\xBF", false},  // overlong
      {"\xED\xA0\x80", false},      // surrogate
      {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
      {"\xF5\x80\x80\x80", false},
      {"\xFF", false},
      {"\x82\xA0", false},  // Shift_JIS あ
      {"ok\xE9", false},    // windows-1252 é
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsValidUtf8(c.text), c.valid) << testing::PrintToString(c.text);
  }
}

TEST(Utf8CharLength, WellFormedSequencesOnlyAreLongerThanOneByte) {
  const struct {
    std::string text;
    std::size_t length;
  } cases[] = {
      {"", 0},
      {"A", 1},
      {Hex("00"), 1},
      {Hex("7F 80"), 1},
      {Hex("C3 A9"), 2},           // é
      {Hex("E3 81 82"), 3},        // あ
      {Hex("F0 9F 98 80 41"), 4},  // an emoji, then more text
      {Hex("F4 8F BF BF"), 4},     // U+10FFFF
      {Hex("80 80"), 1},           // a stray continuation byte
      {Hex("C3"), 1},              // truncated at the end
      {Hex("C3 41"), 1},           // no continuation
      {Hex("E3 81"), 1},           // truncated
      {Hex("E3 81 41"), 1},        // broken off
      {Hex("C0 80"), 1},           // overlong
      {Hex("C1 BF"), 1},           // overlong
      {Hex("E0 9F BF"), 1},        // overlong
      {Hex("F0 8F BF BF"), 1},     // overlong
      {Hex("ED A0 80"), 1},        // a surrogate
      {Hex("ED 9F BF"), 3},        // the last character before them
      {Hex("F4 90 80 80"), 1},     // beyond U+10FFFF
      {Hex("F5 80 80 80"), 1},     // never used
      {Hex("FF"), 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8CharLength(AsBytes(c.text)), c.length)
        << testing::PrintToString(c.text);
  }
}

// The character around every byte is the one that reading the text from its
// start finds there, on random mixtures of characters, pieces of them and
// bytes UTF-8 never uses.
TEST(Utf8CharAt, AgreesWithTheSplitReadFromTheStart) {
  const std::vector<std::string> pieces = {
      "a",          Hex("C3 A9"), Hex("E3 81 82"), Hex("F0 9F 98 80"),
      Hex("80"),    Hex("BF"),    Hex("C3"),       Hex("E3 81"),
      Hex("F0 9F"), Hex("ED A0"), Hex("C0"),       Hex("FF")};
  std::mt19937 rng(77);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int count = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < count; ++i) text += pieces[rng() % pieces.size()];
    const auto bytes = AsBytes(text);
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = start + Utf8CharLength(bytes.subspan(start));
      for (std::size_t pos = start; pos < end; ++pos) {
        const CUtf8Char at = Utf8CharAt(bytes, pos);
        ASSERT_EQ(at.start, start)
            << testing::PrintToString(text) << " @" << pos;
        ASSERT_EQ(at.end, end) << testing::PrintToString(text) << " @" << pos;
      }
      start = end;
    }
  }
}

}  // namespace
}  // namespace dalvren
