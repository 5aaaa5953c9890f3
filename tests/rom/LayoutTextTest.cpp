#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "rom/LayoutText.h"

namespace dalvren {
namespace {

TEST(ParseLayoutNumber, ReadsDecimalAndBothHexPrefixesOnly) {
  const struct {
    const char* text;
    std::optional<std::uint64_t> value;
  } cases[] = {
      {"0", 0},
      {"524288", 524288},
      {"010", 10},  // a leading zero keeps it decimal
      {"0x339", 0x339},
      {"0X7f", 0x7F},
      {"$8010", 0x8010},
      {"$ffFF", 0xFFFF},
      {"18446744073709551615", UINT64_MAX},
      {"0xFFFFFFFFFFFFFFFF", UINT64_MAX},
      {"18446744073709551616", std::nullopt},
      {"0x10000000000000000", std::nullopt},
      {"", std::nullopt},
      {"0x", std::nullopt},
      {"$", std::nullopt},
      {"-1", std::nullopt},
      {"+1", std::nullopt},
      {" 1", std::nullopt},
      {"1 ", std::nullopt},
      {"12k", std::nullopt},
      {"0x1G", std::nullopt},
      {"$$10", std::nullopt},
      {"0x$10", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseLayoutNumber(c.text), c.value) << c.text;
  }
}

TEST(ParseSignedLayoutNumber, TakesOneLeadingMinus) {
  EXPECT_EQ(ParseSignedLayoutNumber("-0x8000000"), -0x8000000);
  EXPECT_EQ(ParseSignedLayoutNumber("-$10"), -16);
  EXPECT_EQ(ParseSignedLayoutNumber("16"), 16);
  EXPECT_EQ(ParseSignedLayoutNumber("-9223372036854775807"), -INT64_MAX);
  EXPECT_EQ(ParseSignedLayoutNumber("9223372036854775808"), std::nullopt);
  EXPECT_EQ(ParseSignedLayoutNumber("--1"), std::nullopt);
  EXPECT_EQ(ParseSignedLayoutNumber("-"), std::nullopt);
}

TEST(ParseByteCode, ReadsPairsOfDigitsOfEitherCase) {
  EXPECT_EQ(ParseByteCode("FF"), std::string("\xFF"));
  EXPECT_EQ(ParseByteCode("fffe"), std::string("\xFF\xFE"));
  EXPECT_EQ(ParseByteCode("0x00"), std::string(1, '\0'));
  EXPECT_EQ(ParseByteCode("$0A"), std::string("\n"));
  for (const char* bad : {"", "F", "FFF", "GG", "F F", "0x", "-1"}) {
    EXPECT_EQ(ParseByteCode(bad), std::nullopt) << bad;
  }
}

TEST(LayoutText, WritesOffsetsCodesAndCrcsAsTheReaderReadsThem) {
  EXPECT_EQ(HexOffset(0), "0x0");
  EXPECT_EQ(HexOffset(0x8123), "0x8123");
  EXPECT_EQ(HexOffset(0xABCDEF), "0xABCDEF");
  EXPECT_EQ(ParseLayoutNumber(HexOffset(UINT64_MAX)), UINT64_MAX);
  EXPECT_EQ(Crc32Text(0x5F1A2B3C), "5F1A2B3C");
  EXPECT_EQ(Crc32Text(0xA), "0000000A");
}

}  // namespace
}  // namespace dalvren
