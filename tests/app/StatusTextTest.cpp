// The words of the status bar and the search in a field's text, apart from
// the window: each family of cases against what a user should read.
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "app/Conversion.h"
#include "app/FieldCount.h"
#include "app/FieldSearch.h"
#include "app/StatusText.h"
#include "core/Utf8.h"
#include "framework/FieldText.h"
#include "tests/support/FieldBytes.h"

namespace dalvren {
namespace {

TEST(StatusText, SaysWhatAConversionGaveAndSkipped) {
  struct Case {
    const char* name;
    ConvertDirection direction;
    CConvertReport report;
    bool sourceHex;
    bool targetHex;
    std::uint64_t romBefore;
    std::uint64_t shown;
    const char* text;
  };
  const Case cases[] = {
      {"dump, nothing skipped",
       ConvertDirection::kRomToDump,
       {95, 120},
       true,
       false,
       0,
       118,
       "Dump: 118 characters from 95 bytes; nothing skipped"},
      {"dump in hex, bytes skipped",
       ConvertDirection::kRomToDump,
       {300, 40, 6, 300},
       true,
       true,
       0,
       40,
       "Dump: 40 bytes from 300 bytes; 6 bytes skipped, the first at offset "
       "300 (0x12C)"},
      {"one of each",
       ConvertDirection::kRomToDump,
       {1, 1, 1, 0},
       true,
       false,
       0,
       1,
       "Dump: 1 character from 1 byte; 1 byte skipped, the first at "
       "offset 0 (0x0)"},
      {"insert grows",
       ConvertDirection::kDumpToRom,
       {10, 97, 3, 4, 2, 5},
       false,
       true,
       95,
       97,
       "ROM: 97 bytes, 2 more than before; 3 characters skipped, the first "
       "at line 2, column 5"},
      {"insert shrinks",
       ConvertDirection::kDumpToRom,
       {10, 92},
       false,
       true,
       95,
       92,
       "ROM: 92 bytes, 3 fewer than before; nothing skipped"},
      {"insert as long",
       ConvertDirection::kDumpToRom,
       {10, 95},
       false,
       true,
       95,
       95,
       "ROM: 95 bytes, as many as before; nothing skipped"},
      {"insert from hex",
       ConvertDirection::kDumpToRom,
       {4, 1, 1, 2},
       true,
       true,
       0,
       1,
       "ROM: 1 byte, 1 more than before; 1 byte skipped, the first at offset "
       "2 (0x2)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ConversionStatus(c.direction, c.report, c.sourceHex, c.targetHex,
                               c.romBefore, c.shown),
              c.text);
  }
}

TEST(StatusText, CountsFieldsAndTables) {
  EXPECT_EQ(FieldCounts(1, 1, false), "ROM: 1 byte | Dump: 1 character");
  EXPECT_EQ(FieldCounts(0, 7, true), "ROM: 0 bytes | Dump: 7 bytes");
  CTableCounts counts;
  counts.entries = 181;
  EXPECT_EQ(TableStatus("sample.tbl", counts), "sample.tbl: 181 entries");
  counts = {};
  counts.entries = 1;
  counts.ignored = 3;
  counts.replaced = 1;
  counts.aliases = 2;
  counts.warnings = 1;
  counts.notes = 1;
  EXPECT_EQ(TableStatus("R&D.tbl", counts),
            "R&D.tbl: 1 entry; 3 ignored lines, 1 replacement, 2 aliases, 1 "
            "warning, 1 note (View > Table Report...)");
}

// The characters of `bytes` as the core splits them.
std::uint64_t CharactersOf(const std::string& bytes) {
  const std::span<const unsigned char> all(
      reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  std::uint64_t count = 0;
  for (std::size_t at = 0; at < all.size(); ++count) {
    at += Utf8CharLength(all.subspan(at));
  }
  return count;
}

// The count from a field's text, against what a conversion reads from the
// field's bytes: its bytes in hex mode, its characters in text mode.
TEST(FieldCount, CountsWhatAConversionReads) {
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes = test::RandomFieldBytes(random, true);
    // Hex digits and blanks, and a pair whose low half looks like an escape.
    bytes += round % 3 == 0 ? " 4a\t0B \r" : "\xF0\x90\x82\x80";
    QString text = FieldTextFromBytes(bytes);
    // Breaks as a document holds them.
    text.replace(QLatin1Char('\n'), QChar::ParagraphSeparator);
    if (round % 5 == 0) text += QChar::LineSeparator;
    const std::string back = BytesFromFieldText(text);
    for (const bool hex : {false, true}) {
      const std::string read = FieldInputBytes(back, hex);
      ASSERT_EQ(CountFieldText(text, hex),
                hex ? read.size() : CharactersOf(read))
          << round << (hex ? " hex" : " text");
    }
  }
}

struct SearchCase {
  const char* name;
  QString text;
  CSearch search;
  qsizetype from;
  std::optional<CFieldMatch> match;
};

TEST(FieldSearch, FindsTextAndWholeBytesWhateverTheBlanks) {
  const QChar lineBreak = QChar::ParagraphSeparator;
  const QString hexLines = QStringLiteral("41 42") + lineBreak +
                           QStringLiteral("43 41") + lineBreak +
                           QStringLiteral("42");
  const SearchCase cases[] = {
      {"text, case ignored",
       QStringLiteral("Hero hero"),
       {"HERO"},
       1,
       CFieldMatch{5, 9}},
      {"text, case matched, wraps round",
       QStringLiteral("Hero hero"),
       {"Hero", false, true},
       1,
       CFieldMatch{0, 4}},
      {"text, none", QStringLiteral("Hero"), {"x"}, 0, std::nullopt},
      {"bytes across a line break",
       hexLines,
       {"42 43", true},
       0,
       CFieldMatch{3, 8}},
      {"bytes typed together", hexLines, {"4142", true}, 1, CFieldMatch{9, 14}},
      {"lower case digits",
       QStringLiteral("4a4B"),
       {"4A 4b", true},
       0,
       CFieldMatch{0, 4}},
      // The digits "41" here straddle two bytes, 04 and 14.
      {"never half a byte",
       QStringLiteral("041424"),
       {"41", true},
       0,
       std::nullopt},
      {"a blank inside a pair",
       QStringLiteral("0 4 1 4"),
       {"14", true},
       0,
       CFieldMatch{4, 7}},
  };
  for (const SearchCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindInField(c.text, c.search, c.from), c.match);
  }
}

TEST(FieldSearch, ReplacesBytesKeepingTheFieldsSpacing) {
  const QChar lineBreak = QChar::ParagraphSeparator;
  qsizetype count = 0;
  const CSearch bytes{QStringLiteral("42 43"), true};
  EXPECT_EQ(ReplaceAllInField(QStringLiteral("41 42") + lineBreak +
                                  QStringLiteral("43 42 43"),
                              bytes, QStringLiteral("5859"), &count),
            QStringLiteral("41 58 59 58 59"));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(ReplaceAllInField(QStringLiteral("41424342"), bytes,
                              QStringLiteral("58 59"), &count),
            QStringLiteral("41585942"));
  EXPECT_EQ(count, 1);
  // Matches do not overlap.
  EXPECT_EQ(ReplaceAllInField(QStringLiteral("414141"),
                              {QStringLiteral("4141"), true},
                              QStringLiteral("58"), &count),
            QStringLiteral("5841"));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(ReplaceAllInField(QStringLiteral("Hero and hero"),
                              {QStringLiteral("hero")},
                              QStringLiteral("Knight"), &count),
            QStringLiteral("Knight and Knight"));
  EXPECT_EQ(count, 2);
}

TEST(FieldSearch, HexToFindMustBeWholePairsOfDigits) {
  EXPECT_EQ(HexProblem(QStringLiteral("41 4a\t0B"), false), QString());
  EXPECT_EQ(HexProblem(QString(), true), QString());
  EXPECT_FALSE(HexProblem(QString(), false).isEmpty());
  EXPECT_FALSE(HexProblem(QStringLiteral("414"), false).isEmpty());
  EXPECT_FALSE(HexProblem(QStringLiteral("4G"), false).isEmpty());
  EXPECT_FALSE(HexProblem(QStringLiteral("0x41"), false).isEmpty());
}

}  // namespace
}  // namespace dalvren
