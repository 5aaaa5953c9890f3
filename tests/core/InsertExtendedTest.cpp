// Insert through extended tables, case by case: each kind of code, how
// insert chooses switch codes and reads line breaks, parameters, tokens
// and what no table can take.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/ExtendedTestSupport.h"

namespace dalvren {
namespace {

using test::DumpToString;
using test::Hex;
using test::HexOf;
using test::InsertToString;
using test::kGameTable;
struct InsertCase {
  const char* script;
  const char* bytes;  // hex
};

TEST(InsertExtended, WritesEachKindOfCode) {
  const auto table = test::LoadExtendedFromString(kGameTable);
  const InsertCase cases[] = {
      {"AB A", "41 42 20 41"},
      {"A\nB", "41 FE 42"},
      // Exactly one line break after an end code is dump's, LF or CR LF;
      // any other is text.
      {"A[END]\nB", "41 FF 42"},
      {"A[END]\r\nB", "41 FF 42"},
      {"A[END]\n\nB", "41 FF FE 42"},
      {"A[END]B", "41 FF 42"},
      // An end code without text is its tokens, in either case.
      {"<$FD>\n<$fd>\n<$FD>\n", "FD FD FD"},
      {"<color><$03>A", "F5 03 41"},
      {"<wait>A", "F6 41"},
  };
  for (const InsertCase& c : cases) {
    for (const bool tokens : {false, true}) {
      CExtendedInsertOptions options;
      options.tokens = tokens;
      const test::Inserted inserted = InsertToString(*table, c.script, options);
      EXPECT_TRUE(inserted.ok);
      EXPECT_EQ(HexOf(inserted.bytes), HexOf(Hex(c.bytes)))
          << testing::PrintToString(c.script) << " tokens " << tokens;
    }
  }
}

TEST(InsertExtended, KeepsATokenARawByteEvenWhereTheCurrentTableCoversIt) {
  // Without the line break dump writes after an end code, "<$FD>" is not
  // the end code FD but the raw byte, which dump writes as a token only in
  // a table that does not cover it: the kanji, which one switch code reaches
  // (through the kana it would take two).
  const auto table = test::LoadExtendedFromString(kGameTable);
  const test::Inserted raw =
      InsertToString(*table, "A<$FD>", test::WithTokens());
  EXPECT_EQ(HexOf(raw.bytes), "41F1FD");
  EXPECT_EQ(DumpToString(*table, raw.bytes), "A<$FD>");
  // Without tokens, it can only be the end code.
  EXPECT_EQ(HexOf(InsertToString(*table, "A<$FD>").bytes), "41FD");
}

TEST(InsertExtended, ChoosesTheSwitchCodesTheTextNeedsAndNoMore) {
  const auto table = test::LoadExtendedFromString(kGameTable);
  const InsertCase cases[] = {
      // Once switched, the kana stay until the text leaves them...
      {"アイ\nア", "F0 41 42 FE 41"},
      // ... and a byte the kana do not cover ends them.
      {"アイ<$43>A", "F0 41 42 43 41"},
      {"ア[END]\nA", "F0 41 FF 41"},
      // Kanji directly for one code, rather than through the kana.
      {"亜AB", "F1 41 41 41 42"},
      // From the kana, their own switch to the kanji.
      {"ア唖イ", "F0 41 F2 41 42 42"},
      {"<k-end>\nA", "F1 FC 41"},
      {"", ""},
  };
  for (const InsertCase& c : cases) {
    const test::Inserted inserted =
        InsertToString(*table, c.script, test::WithTokens());
    EXPECT_TRUE(inserted.ok);
    EXPECT_EQ(HexOf(inserted.bytes), HexOf(Hex(c.bytes)))
        << testing::PrintToString(c.script);
    EXPECT_EQ(DumpToString(*table, inserted.bytes), c.script);
  }
}

TEST(InsertExtended, CountsCodesAsDumpDoes) {
  // After two kana the switch F3 has run out: "A" is the start table's.
  // The search finds that reading, not the greedy one that stays in the
  // kana from F0 and cannot leave them before "A".
  const auto table = test::LoadExtendedFromString(kGameTable);
  const std::string rom = Hex("F3 41 42 41");
  const std::string script = DumpToString(*table, rom);
  ASSERT_EQ(script, "アイA");
  const test::Inserted inserted =
      InsertToString(*table, script, test::WithTokens());
  EXPECT_EQ(HexOf(inserted.bytes), HexOf(rom));
}

TEST(InsertExtended, MissingParameterTokensStopInsertWhereTheScriptGoesOn) {
  const auto table = test::LoadExtendedFromString(
      "41=A\n$F5=<color>,1\n$F7=<move>,3\n!F0=S,0\n@S\n42=B\n");
  struct Missing {
    const char* script;
    std::size_t offset;
    std::size_t have;
  } cases[] = {
      {"<color>A", 0, 0},
      {"A<move><$01><$02>A", 1, 2},
      {"A<move><$01><$0", 1, 1},
      {"B<color>B", 1, 0},
  };
  for (const Missing& c : cases) {
    for (const bool tokens : {false, true}) {
      CExtendedInsertOptions options;
      options.tokens = tokens;
      const test::Inserted inserted = InsertToString(*table, c.script, options);
      EXPECT_FALSE(inserted.ok) << c.script;
      EXPECT_EQ(inserted.fault.offset, c.offset) << c.script;
      EXPECT_EQ(inserted.fault.have, c.have) << c.script;
      EXPECT_EQ(table->entries[inserted.fault.entry].kind, EntryKind::kControl);
    }
  }
  // A label is missing its tokens only where no table takes it without
  // them, also where the script is read greedily (the lower-case token has
  // no exact reading).
  const auto shared = test::LoadExtendedFromString(
      "41=A\n$F5=<c>,1\n!F0=K,0\n@K\n$C5=<c>,0\n42=B\n");
  const test::Inserted elsewhere =
      InsertToString(*shared, "<c>B<$4a>", test::WithTokens());
  EXPECT_TRUE(elsewhere.ok);
  EXPECT_EQ(HexOf(elsewhere.bytes), "F0C5424A");
  // At the very end of the script fewer tokens are what a dump of a cut
  // input holds: written, and reported.
  CExtendedInsertOptions options;
  std::vector<std::size_t> reported;
  options.onShortParameters = [&reported](std::size_t offset, std::size_t have,
                                          std::size_t need) {
    reported = {offset, have, need};
  };
  const test::Inserted cut = InsertToString(*table, "A<move><$01>", options);
  EXPECT_TRUE(cut.ok);
  EXPECT_EQ(HexOf(cut.bytes), "41F701");
  EXPECT_EQ(reported, (std::vector<std::size_t>{1, 1, 3}));
}

TEST(InsertExtended, DropsWhatNoTableCanTakeAndReportsEachByte) {
  const auto table = test::LoadExtendedFromString(kGameTable);
  for (const bool tokens : {false, true}) {
    CExtendedInsertOptions options;
    options.tokens = tokens;
    std::vector<std::size_t> skipped;
    options.onSkip = [&skipped](std::size_t offset) {
      skipped.push_back(offset);
    };
    const test::Inserted inserted = InsertToString(*table, "Aé亜?", options);
    EXPECT_TRUE(inserted.ok);
    EXPECT_EQ(HexOf(inserted.bytes), "41F14141");
    EXPECT_EQ(skipped, (std::vector<std::size_t>{1, 2, 6}));
  }
}

TEST(InsertExtended, TokensAreRawBytesOnlyWithTokensOn) {
  const auto table = test::LoadExtendedFromString(kGameTable);
  EXPECT_EQ(HexOf(InsertToString(*table, "A<$99>", test::WithTokens()).bytes),
            "4199");
  // Without, "<$99>" is text no table has.
  EXPECT_EQ(HexOf(InsertToString(*table, "A<$99>").bytes), "41");
}

TEST(InsertExtended, OptimalCutsEachRunOfTextShortest) {
  // Greedy writes "the" "r" "e"; the shortest is "t" "her" "e". Runs end at
  // end codes, control codes and switches, which stay where greedy put
  // them.
  const auto table = test::LoadExtendedFromString(
      "8010=the\n74=t\n68=h\n65=e\n72=r\nC8=her\n/FF=.\n$F5=<c>,1\n"
      "!F0=K,0\n@K\n41=ア\n");
  const char* script = "there.\nthere<c><$01>thereア";
  const test::Inserted greedy =
      InsertToString(*table, script, test::WithTokens());
  EXPECT_EQ(HexOf(greedy.bytes), "80107265FF80107265F50180107265F041");
  CExtendedInsertOptions options = test::WithTokens();
  options.optimal = true;
  const test::Inserted shortest = InsertToString(*table, script, options);
  EXPECT_EQ(HexOf(shortest.bytes), "74C865FF74C865F50174C865F041");
  EXPECT_EQ(DumpToString(*table, shortest.bytes),
            DumpToString(*table, greedy.bytes));
}

}  // namespace
}  // namespace dalvren
