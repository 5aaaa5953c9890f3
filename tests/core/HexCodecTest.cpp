#include <cstdlib>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "core/HexCodec.h"
#include "tests/support/CoreTestSupport.h"

namespace dalvren {
namespace {

using test::Contents;
using test::Hex;

TEST(FromHex, AbsentTextGivesNothing) { EXPECT_EQ(FromHex(nullptr), nullptr); }

TEST(FromHex, ReadsPairsAndSkipsWhiteSpaceAnywhere) {
  const struct {
    const char* text;
    std::string expected;
  } cases[] = {
      {"41 42 43", Hex("41 42 43")},
      {"414243", Hex("41 42 43")},
      {"41\r\n42\r\n43", Hex("41 42 43")},
      {"  41\t42\v43\f ", Hex("41 42 43")},
      {"4 1", Hex("41")},
      {"4\r\n1 4\t2", Hex("41 42")},
      {"414", Hex("41")},
      {"00FF00", Hex("00 FF 00")},
      {"4a4A", Hex("4A 4A")},
      {"", ""},
      {"   \r\n\t", ""},
      {"4", ""},
      {" 4 ", ""},
      // Pairs are read by strtol's rules: nothing is rejected.
      {"4z", Hex("04")},
      {"zz", Hex("00")},
      {"-1", Hex("FF")},
      {"+1", Hex("01")},
      {"-a", Hex("F6")},
      {"0x", Hex("00")},
      {"x1", Hex("00")},
      {"--", Hex("00")},
      {"\xff\xfe", Hex("00")},
  };
  for (const auto& c : cases) {
    auto bytes = FromHex(c.text);
    ASSERT_NE(bytes, nullptr) << c.text;
    EXPECT_EQ(Contents(*bytes), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(bytes->data[static_cast<std::size_t>(bytes->len)], '\0');
  }
}

// Every two-character string (white space can only lead, as FromHex never
// hands it over, but the table loader does) must convert exactly as the
// standard library's base-16 strtol does, keeping the low 8 bits.
TEST(HexPairValue, AgreesWithStrtolOnEveryPair) {
  for (int a = 1; a < 256; ++a) {
    for (int b = 1; b < 256; ++b) {
      const char pair[3] = {static_cast<char>(a), static_cast<char>(b), '\0'};
      const long expected = std::strtol(pair, nullptr, 16);
      ASSERT_EQ(HexPairValue(pair[0], pair[1]),
                static_cast<unsigned char>(expected & 0xFF))
          << "pair " << a << "," << b;
    }
  }
}

TEST(HexRoundTrip, ToHexOfFromHexIsTheDigitsUpperCasedWithoutBlanks) {
  std::mt19937 rng(1234);
  const std::string digits = "0123456789abcdefABCDEF";
  const std::string blanks = " \t\r\n\v\f";
  for (int round = 0; round < 500; ++round) {
    std::string text;
    std::string expected;
    const int pairs = static_cast<int>(rng() % 40);
    for (int i = 0; i < pairs; ++i) {
      for (int k = 0; k < 2; ++k) {
        while (rng() % 4 == 0) text.push_back(blanks[rng() % blanks.size()]);
        const char d = digits[rng() % digits.size()];
        text.push_back(d);
        expected.push_back(static_cast<char>(std::toupper(d)));
      }
    }
    auto bytes = FromHex(text.c_str());
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes->ToHex().get(), expected) << text;
  }
}

TEST(WriteHex, WritesTwoDigitsPerByteAndNothingElse) {
  const std::string bytes = test::Hex("00 7F 80 FF 0A");
  std::string buffer(16, '#');
  char* const end = WriteHex(test::AsBytes(bytes), buffer.data());
  EXPECT_EQ(end, buffer.data() + 10);
  EXPECT_EQ(buffer, "007F80FF0A######");
  EXPECT_EQ(WriteHex({}, buffer.data()), buffer.data());
}

}  // namespace
}  // namespace dalvren
