#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Conversion.h"
#include "tests/support/CoreTestSupport.h"

namespace dalvren {
namespace {

using test::LoadFromString;

// The outcome of one conversion, as the tests look at it.
struct CConverted {
  std::string text;
  std::string refusal;
};

CConverted Convert(const CCodeTable* table, ConvertDirection direction,
                   const std::string& source, bool sourceHex, bool targetHex) {
  CConverted result;
  CConvertOptions options;
  options.sourceHex = sourceHex;
  options.targetHex = targetHex;
  const CError status =
      ConvertText(table, direction, source, options, &result.text);
  result.refusal = status.Message();
  return result;
}

struct ConversionCase {
  const char* name;
  ConvertDirection direction;
  std::string source;
  bool sourceHex;
  bool targetHex;
  std::string expected;
};

void PrintTo(const ConversionCase& c, std::ostream* os) { *os << c.name; }

class ConvertTextCases : public testing::TestWithParam<ConversionCase> {};

TEST_P(ConvertTextCases, GivesTheTargetText) {
  using namespace std::string_literals;
  const auto table = LoadFromString(
      "41=A\n42=B\n4142=X\n00=[END]\n43=C\0D\n45=\xE5\x8B\x87\n4C=line\n"s);
  const ConversionCase& c = GetParam();
  const CConverted result =
      Convert(table.get(), c.direction, c.source, c.sourceHex, c.targetHex);
  EXPECT_EQ(result.refusal, "");
  EXPECT_EQ(result.text, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    RomAndDump, ConvertTextCases,
    testing::Values(
        ConversionCase{"LongestCodeFirst", ConvertDirection::kRomToDump,
                       "41 42 41", true, false, "XA"},
        ConversionCase{"TextBackToBytes", ConvertDirection::kDumpToRom, "BA",
                       false, true, "4241"},
        ConversionCase{"LongTextBackToBytes", ConvertDirection::kDumpToRom,
                       "XA", false, true, "414241"},
        ConversionCase{"EmptySource", ConvertDirection::kRomToDump, "", true,
                       false, ""},
        ConversionCase{"DumpInHex", ConvertDirection::kRomToDump, "41", true,
                       true, "41"},
        ConversionCase{"RomAsText", ConvertDirection::kRomToDump, "AB", false,
                       false, "X"},
        ConversionCase{"NoCompletePair", ConvertDirection::kRomToDump, "4",
                       true, false, ""},
        ConversionCase{"NothingMatches", ConvertDirection::kRomToDump, "99 98",
                       true, false, ""},
        ConversionCase{"LowerCaseDigits", ConvertDirection::kRomToDump, "4c",
                       true, false, "line"},
        ConversionCase{"LineBreaksInHexAreBlank", ConvertDirection::kRomToDump,
                       "4\n1\r\n\n42\n", true, false, "X"},
        ConversionCase{"LineBreaksInTextAreSkipped",
                       ConvertDirection::kDumpToRom, "A\nB\r\n", false, true,
                       "4142"},
        ConversionCase{"ZeroByteEndsText", ConvertDirection::kDumpToRom,
                       "A[END]B", false, false, "A"},
        ConversionCase{"ZeroByteShownInHex", ConvertDirection::kDumpToRom,
                       "A[END]B", false, true, "410042"},
        ConversionCase{"TextWithZeroCutsDump", ConvertDirection::kRomToDump,
                       "41 43 42", true, false, "AC"},
        ConversionCase{"Utf8TextIntact", ConvertDirection::kRomToDump, "45 41",
                       true, false,
                       "\xE5\x8B\x87"
                       "A"},
        ConversionCase{"Utf8TextBack", ConvertDirection::kDumpToRom,
                       "\xE5\x8B\x87"
                       "B",
                       false, true, "4542"}),
    [](const testing::TestParamInfo<ConversionCase>& info) {
      return std::string(info.param.name);
    });

TEST(ConvertText, RefusesWithoutTable) {
  for (ConvertDirection direction :
       {ConvertDirection::kRomToDump, ConvertDirection::kDumpToRom}) {
    const CConverted result = Convert(nullptr, direction, "41", true, false);
    EXPECT_EQ(result.refusal, "No table file loaded");
    EXPECT_EQ(result.text, "");
  }
}

TEST(ConvertText, RoundTripsEveryCodeOfATable) {
  // Every code of a table with codes of one and two bytes and texts of
  // several characters goes to its text and back to itself.
  std::string file;
  std::string rom;
  for (int b = 0x20; b < 0xF0; ++b) {
    char line[32];
    std::snprintf(line, sizeof line, "%02X=<%02x>\n", b, b);
    file += line;
    std::snprintf(line, sizeof line, "F0%02X=[%02x]\n", b, b);
    file += line;
    std::snprintf(line, sizeof line, "%02X F0%02X ", b, b);
    rom += line;
  }
  const auto table = LoadFromString(file);
  const CConverted dump =
      Convert(table.get(), ConvertDirection::kRomToDump, rom, true, false);
  ASSERT_EQ(dump.refusal, "");
  const CConverted back = Convert(table.get(), ConvertDirection::kDumpToRom,
                                  dump.text, false, true);
  std::string expected;
  for (char c : rom) {
    if (c != ' ') expected += c;
  }
  EXPECT_EQ(back.text, expected);
}

// Hex results come in rows of kHexRowBytes bytes, one line each, across
// the blocks in which the translation hands its output on; the hex reader
// takes them back as the same bytes, both ways.
TEST(ConvertText, HexComesInRowsThatReadBackAsTheSameBytes) {
  std::string file;
  for (char c = 'A'; c <= 'Z'; ++c) {
    char line[8];
    std::snprintf(line, sizeof line, "%02X=%c\n", c, c);
    file += line;
  }
  const auto table = LoadFromString(file);
  for (const std::size_t size :
       {std::size_t{0}, std::size_t{1}, kHexRowBytes - 1, kHexRowBytes,
        kHexRowBytes + 1, 3 * kHexRowBytes, std::size_t{70'001}}) {
    SCOPED_TRACE(size);
    std::string letters;
    std::string spacedHex;
    for (std::size_t i = 0; i < size; ++i) {
      const char letter = static_cast<char>('A' + i * 7 % 26);
      letters += letter;
      char pair[4];
      std::snprintf(pair, sizeof pair, "%02X ", letter);
      spacedHex += pair;
    }
    const CConverted dump = Convert(table.get(), ConvertDirection::kRomToDump,
                                    spacedHex, true, true);
    ASSERT_EQ(dump.refusal, "");
    std::vector<std::size_t> lines;
    for (std::size_t at = 0; at <= dump.text.size();) {
      const std::size_t end =
          std::min(dump.text.find('\n', at), dump.text.size());
      lines.push_back(end - at);
      at = end + 1;
    }
    const std::size_t rows =
        std::max<std::size_t>(1, (size + kHexRowBytes - 1) / kHexRowBytes);
    ASSERT_EQ(lines.size(), rows);
    for (std::size_t row = 0; row + 1 < rows; ++row) {
      EXPECT_EQ(lines[row], 2 * kHexRowBytes) << "row " << row;
    }
    EXPECT_EQ(lines.back(), 2 * (size - (rows - 1) * kHexRowBytes));
    EXPECT_EQ(test::Contents(*FromHex(dump.text.c_str())), letters);

    const CConverted text = Convert(table.get(), ConvertDirection::kRomToDump,
                                    dump.text, true, false);
    EXPECT_EQ(text.text, letters);
    const CConverted rom = Convert(table.get(), ConvertDirection::kDumpToRom,
                                   text.text, false, true);
    EXPECT_EQ(rom.text, dump.text);
  }
}

}  // namespace
}  // namespace dalvren
