#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "core/ByteString.h"
#include "tests/support/CoreTestSupport.h"

namespace dalvren {
namespace {

using test::Contents;
using test::Hex;

void ExpectTerminated(const CByteString& s) {
  ASSERT_GE(s.len, 0);
  ASSERT_NE(s.data, nullptr);
  EXPECT_EQ(s.data[static_cast<std::size_t>(s.len)], '\0');
}

TEST(ByteStringOfLength, NegativeLengthGivesEmptyString) {
  for (std::int32_t n : {0, -1, -5, INT32_MIN}) {
    CByteString s(n);
    EXPECT_EQ(s.len, 0) << n;
    ExpectTerminated(s);
  }
}

TEST(ByteStringOfLength, HasRoomForContentsAndTerminator) {
  CByteString s(3);
  EXPECT_EQ(s.len, 3);
  ExpectTerminated(s);
  std::memcpy(s.data.get(), "abc", 3);
  EXPECT_STREQ(s.data.get(), "abc");
}

TEST(ByteStringFromText, CopiesUpToTerminator) {
  const struct {
    const char* text;
    std::string expected;
  } cases[] = {
      {nullptr, ""},        {"", ""},
      {"A", "A"},           {"hello world", "hello world"},
      {"cut\0here", "cut"}, {"\xff\x80", "\xff\x80"},
  };
  for (const auto& c : cases) {
    CByteString s(c.text);
    EXPECT_EQ(Contents(s), c.expected);
    ExpectTerminated(s);
  }
}

TEST(ByteStringFromText, OwnsItsCopy) {
  char text[] = "abc";
  CByteString s(text);
  text[0] = 'z';
  EXPECT_EQ(Contents(s), "abc");
}

TEST(NewByteString, KeepsZeroBytesAndTerminates) {
  const std::string bytes = Hex("41 00 42");
  auto s = NewByteString(bytes.data(), 3);
  EXPECT_EQ(s->len, 3);
  EXPECT_EQ(Contents(*s), bytes);
  ExpectTerminated(*s);
}

TEST(NewByteString, CopiesOnlyTheGivenLength) {
  auto s = NewByteString("abcdef", 2);
  EXPECT_EQ(Contents(*s), "ab");
  ExpectTerminated(*s);
}

TEST(NewByteString, NothingToCopyGivesEmptyString) {
  // A buffer that must not be read: with ASan, any read of it would fault.
  const char* poisoned = reinterpret_cast<const char*>(1);
  const struct {
    const void* buffer;
    std::int32_t length;
  } cases[] = {{"abc", 0}, {"abc", -1}, {poisoned, -7}, {nullptr, 5}};
  for (const auto& c : cases) {
    auto s = NewByteString(c.buffer, c.length);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->len, 0);
    ExpectTerminated(*s);
  }
}

TEST(ByteStringCopy, ReproducesZeroBytesInABufferOfItsOwn) {
  auto original = NewByteString(Hex("00 41 00 FF 00").data(), 5);
  CByteString copy(*original);
  EXPECT_EQ(copy.len, 5);
  EXPECT_EQ(Contents(copy), Contents(*original));
  EXPECT_NE(copy.data.get(), original->data.get());
  ExpectTerminated(copy);
  original->data[1] = 'Z';
  EXPECT_EQ(copy.data[1], 'A');
}

TEST(ByteStringToHex, RendersTwoUpperCaseDigitsPerByte) {
  const struct {
    std::string bytes;
    const char* expected;
  } cases[] = {
      {"", ""},
      {Hex("00 0A FF"), "000AFF"},
      {Hex("41"), "41"},
      {Hex("AB CD EF 12 9a"), "ABCDEF129A"},
  };
  for (const auto& c : cases) {
    auto s = test::MakeString(c.bytes);
    auto text = s->ToHex();
    EXPECT_STREQ(text.get(), c.expected);
    EXPECT_EQ(std::strlen(text.get()), 2 * c.bytes.size());
  }
}

TEST(ByteStringToHex, EveryByteValueRoundTripsThroughItsDigits) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  auto text = test::MakeString(all)->ToHex();
  for (int b = 0; b < 256; ++b) {
    const std::string pair(text.get() + 2 * b, 2);
    EXPECT_EQ(std::stoi(pair, nullptr, 16), b) << pair;
  }
  EXPECT_EQ(std::string(text.get()).find_first_of("abcdef"), std::string::npos);
}

}  // namespace
}  // namespace dalvren
