// --table-syntax=extended through the built converter: dump, insert and
// roundtrip with line-break, end, control and switch codes, their messages
// and exit statuses, and the lossless promise on random tables.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/CommandLine.h"
#include "tests/cli/ToolRunner.h"
#include "tests/support/CoreTestSupport.h"
#include "tests/support/RandomExtendedTable.h"

namespace dalvren {
namespace {

using test::Hex;
using test::ReadFile;
using test::RunTool;
using test::TempDir;
using test::ToolResult;

const char* const kGameTable =
    "# Latin letters, then kana until a byte they do not cover, kanji for\n"
    "# one code.\n"
    "41=A\n42=B\n20= \n*FE\n/FF=[END]\n/FD\n$F5=<color>,1\n"
    "!F0=Kana,0\n!F1=Kanji,1\n"
    "@Kana\n41=ア\n42=イ\n!F2=Kanji,1\n"
    "@Kanji\n4141=亜\n4142=唖\n";

std::string HexOf(const std::string& bytes) {
  return test::MakeString(bytes)->ToHex().get();
}

class ExtendedSyntax : public testing::Test {
 protected:
  ToolResult Run(std::vector<std::string> args,
                 const std::string& stdinPath = "") {
    args.insert(args.begin(), {"-t", table_, "--table-syntax=extended"});
    return RunTool(args, stdinPath);
  }

  TempDir dir_;
  const std::string table_ = dir_.Write("game.tbl", kGameTable);
};

TEST(TableSyntaxOption, NamesOneOfTwoSyntaxes) {
  struct Case {
    std::vector<const char*> args;
    bool ok;
    TableSyntax syntax;
    const char* message;
  } cases[] = {
      {{"-t", "t", "dump"}, true, TableSyntax::kPlain, ""},
      {{"-t", "t", "--table-syntax=plain", "dump"},
       true,
       TableSyntax::kPlain,
       ""},
      {{"-t", "t", "check", "--table-syntax", "extended"},
       true,
       TableSyntax::kExtended,
       ""},
      {{"-t", "t", "roundtrip", "--table-syntax=extended"},
       true,
       TableSyntax::kExtended,
       ""},
      {{"-t", "t", "dump", "--table-syntax=thingy"},
       false,
       TableSyntax::kPlain,
       "--table-syntax needs plain or extended, not 'thingy'"},
      {{"-t", "t", "dump", "--table-syntax=plain", "--table-syntax=plain"},
       false,
       TableSyntax::kPlain,
       "--table-syntax is given twice"},
      {{"-t", "t", "dump", "--table-syntax"},
       false,
       TableSyntax::kPlain,
       "--table-syntax needs a value"},
  };
  for (const Case& c : cases) {
    CCommandLine line;
    const CStatus status = ParseCommandLine(c.args, &line);
    EXPECT_EQ(status.IsOk(), c.ok) << status.Message();
    EXPECT_EQ(status.Message(), c.message);
    if (c.ok) {
      EXPECT_EQ(line.tableSyntax, c.syntax);
    }
  }
}

TEST_F(ExtendedSyntax, DumpAndInsertEveryKindOfCode) {
  const std::string rom =
      Hex("41 42 FE F0 41 42 43 41 FF F5 03 41 F1 41 41 42 FD");
  const std::string script = "AB\nアイ<$43>A[END]\n<color><$03>A亜B<$FD>\n";
  const ToolResult dumped =
      Run({"dump", "--unknown=hex", dir_.Write("game.rom", rom)});
  ASSERT_EQ(dumped.status, 0) << dumped.err;
  EXPECT_EQ(dumped.out, script);
  EXPECT_EQ(dumped.err, "");
  const ToolResult inserted = Run({"insert", "--unknown=hex", "--hex-out",
                                   dir_.Write("script.txt", script)});
  ASSERT_EQ(inserted.status, 0) << inserted.err;
  EXPECT_EQ(inserted.out, HexOf(rom));
  // Without tokens the uncovered byte is gone, and with it what ended the
  // kana: "A" comes back as a kana.
  const ToolResult skipped = Run({"dump", dir_.Path("game.rom")});
  EXPECT_EQ(skipped.out, "AB\nアイA[END]\n<color><$03>A亜B<$FD>\n");
}

TEST_F(ExtendedSyntax, TheSameTableInThePlainSyntaxKnowsOnlyItsTextLines) {
  const std::string rom = dir_.Write("game.rom", Hex("41 FE 42 FF F0 41"));
  // Without sections the kana lines replace the Latin ones.
  const ToolResult plain =
      RunTool({"-t", table_, "-q", "--table-syntax=plain", "dump", rom});
  EXPECT_EQ(plain.out, "アイア");
  EXPECT_EQ(RunTool({"-t", table_, "-q", "dump", rom}).out, plain.out);
  EXPECT_EQ(Run({"dump", rom}).out, "A\nB[END]\nア");
}

TEST_F(ExtendedSyntax, ParametersCutByTheEndOfTheInputAreWrittenAndNoted) {
  const std::string rom = dir_.Write("cut.rom", Hex("41 F5"));
  const ToolResult dumped = Run({"dump", rom});
  EXPECT_EQ(dumped.status, 0);
  EXPECT_EQ(dumped.out, "A<color>");
  EXPECT_EQ(dumped.err,
            "Note: the control code at offset 1 (0x1) has 0 of its 1 "
            "parameter byte: the input ends there\n");
  // Offsets count from the start of the input, also in a range.
  const ToolResult ranged =
      Run({"dump", "--offset", "1", dir_.Write("cut2.rom", Hex("00 41 F5"))});
  EXPECT_EQ(ranged.err,
            "Note: the control code at offset 2 (0x2) has 0 of its 1 "
            "parameter byte: the input ends there\n");
  EXPECT_EQ(Run({"dump", "-q", rom}).err, "");
  // Insert takes such a script back as it was.
  const ToolResult inserted =
      Run({"insert", "--hex-out", dir_.Write("cut.txt", "A<color>")});
  EXPECT_EQ(inserted.status, 0);
  EXPECT_EQ(inserted.out, "41F5");
  EXPECT_EQ(inserted.err,
            "Note: the control code at line 1, column 2 has 0 of its 1 "
            "parameter byte: the script ends there\n");
}

TEST_F(ExtendedSyntax, MissingParameterTokensFailNamingLineAndColumn) {
  const std::string out = dir_.Path("new.bin");
  const std::string script = dir_.Write("s0.txt", "AB\nAア<color>A");
  const ToolResult r = Run({"insert", "-o", out, script});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "Error! Input file '" + script +
                       "': line 2, column 3: control code \"<color>\" needs "
                       "1 parameter byte as a <$XX> token after it; none "
                       "follows\n");
  // The output file is not written at all.
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"game.tbl", "s0.txt"}));
  const ToolResult piped =
      Run({"insert", "--unknown=hex"}, dir_.Write("s1.txt", "<color><$0"));
  EXPECT_EQ(piped.status, 2);
  EXPECT_EQ(piped.err,
            "Error! Standard input: line 1, column 1: control code "
            "\"<color>\" needs 1 parameter byte as a <$XX> token after it; "
            "none follows\n");
}

TEST_F(ExtendedSyntax, RoundtripReportsBytesAndScriptAndKeepsThePromise) {
  // The switch F0 lasts until 43; without tokens that byte is lost, the
  // kana go on, and neither the bytes nor the script come back.
  const std::string rom = dir_.Write("r.rom", Hex("F0 41 42 43 41 FF"));
  const ToolResult lost = Run({"roundtrip", rom});
  EXPECT_EQ(lost.status, 1);
  EXPECT_EQ(lost.out,
            "bytes in:              6\n"
            "decoded through codes: 5 (83.3%)\n"
            "skipped:               1, at offset 3\n"
            "re-inserted:           5 bytes, not identical\n"
            "dumped again:          another script, from line 1, column 3 "
            "on\n"
            "first difference at offset 3 (0x3):\n"
            "  input:       F0 41 42 [43] 41 FF\n"
            "  re-inserted: F0 41 42 [41] FF\n");
  const ToolResult kept = Run({"roundtrip", "--unknown=hex", rom});
  EXPECT_EQ(kept.status, 0);
  EXPECT_TRUE(
      kept.out.ends_with("re-inserted:           6 bytes, identical\n"
                         "dumped again:          the same script\n"))
      << kept.out;
  // Two ways through the switch codes write the same kanji: other bytes,
  // the same script, and the promise kept.
  const std::string nested = dir_.Write("n.rom", Hex("F0 F2 41 41"));
  const ToolResult other = Run({"roundtrip", "--unknown=hex", nested});
  EXPECT_EQ(other.status, 0) << other.out;
  EXPECT_NE(other.out.find("re-inserted:           3 bytes, not identical\n"
                           "dumped again:          the same script\n"),
            std::string::npos)
      << other.out;
}

TEST_F(ExtendedSyntax, SwitchCodesNestedPastTheLimitAreNotedOnce) {
  // K switches to itself: the 65th switch in effect at once takes the
  // place of the innermost one, told once for the input, and -q silences
  // it.
  const std::string table =
      dir_.Write("deep.tbl", "41=A\n!F0=K,0\n@K\n!F0=K,0\n41=a\n");
  const std::string rom = dir_.Write(
      "deep.rom", std::string(70, '\xF0') + "A" + std::string(3, '\xF0') + "A");
  const ToolResult r =
      RunTool({"-t", table, "--table-syntax=extended", "dump", rom});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "aa");
  EXPECT_EQ(r.err,
            "Note: the switch code at offset 64 (0x40) is the 65th in effect "
            "at once: it takes the place of the innermost one, here and "
            "wherever switch codes nest so deep\n");
  EXPECT_EQ(
      RunTool({"-t", table, "--table-syntax=extended", "dump", "-q", rom}).err,
      "");
  // 64 at once is within the limit.
  const std::string within =
      dir_.Write("within.rom", std::string(64, '\xF0') + "A");
  EXPECT_EQ(
      RunTool({"-t", table, "--table-syntax=extended", "dump", within}).err,
      "");
}

TEST_F(ExtendedSyntax, StatsAndOptimalWorkAsInThePlainSyntax) {
  const std::string words =
      dir_.Write("words.tbl",
                 "8010=the\n74=t\n68=h\n65=e\n72=r\nC8=her\n"
                 "/FF=.\n!F0=K,0\n@K\n41=ア\n");
  const std::string script = dir_.Write("there.txt", "there.\nthereアé");
  const auto insert = [&](std::vector<std::string> more) {
    std::vector<std::string> args = {
        "-t",        words, "--table-syntax=extended", "insert", "--stats",
        "--hex-out", "-q"};
    args.insert(args.end(), more.begin(), more.end());
    args.push_back(script);
    return RunTool(args);
  };
  const ToolResult greedy = insert({});
  EXPECT_EQ(greedy.out, "80107265FF80107265F041");
  EXPECT_EQ(greedy.err,
            "bytes written:           11\n"
            "text characters skipped: 1\n");
  const ToolResult optimal = insert({"--optimal"});
  EXPECT_EQ(optimal.out, "74C865FF74C865F041");
  EXPECT_EQ(optimal.err,
            "bytes written:           9\n"
            "text characters skipped: 1\n"
            "saved against greedy:    2 bytes (greedy writes 11)\n");
}

TEST_F(ExtendedSyntax, TextsConvertFromTheTableEncodingBeforeLineBreaks) {
  // In Shift_JIS "ソ" is 83 5C, whose second byte is a backslash: read
  // before converting, "\n" there would break the character.
  const std::string table = dir_.Write(
      "sjis.tbl", "41=\x83\x5Cn\n42=a\\nb\n/FF=\x83\x41\n$F5=\x83\x5C,0\n");
  const ToolResult dumped =
      RunTool({"-t", table, "--table-syntax=extended", "--table-encoding",
               "CP932", "dump", dir_.Write("s.rom", Hex("41 42 F5 FF"))});
  EXPECT_EQ(dumped.status, 0) << dumped.err;
  EXPECT_EQ(dumped.out, "ソna\nbソア\n");
}

TEST(ExtendedExamples, TheExampleTableReadsBackAndItsRomUsesEveryKind) {
  const std::string table = test::ExamplePath("extended.tbl");
  const std::string rom = test::ExamplePath("extended.rom");
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"-t", table, "--table-syntax=extended"});
    return RunTool(args);
  };
  const ToolResult check = run({"check", "--strict"});
  EXPECT_EQ(check.status, 0) << check.out;
  EXPECT_NE(check.out.find("\nlossless: yes"), std::string::npos) << check.out;
  const ToolResult dumped = run({"dump", "--unknown=hex", rom});
  ASSERT_EQ(dumped.status, 0) << dumped.err;
  // Text of both tables, a line break, end codes, both control codes with
  // their parameter, and bytes no code covers.
  for (const char* piece :
       {"Welcome to Dalvren!\nFind the <color><$02>Sword<color><$00>.[END]\n",
        "「勇者よ、<pause><$1E>王女をたすけて。」[END]\n", "はい！\nまかせて。",
        "<$00><$00>"}) {
    EXPECT_NE(dumped.out.find(piece), std::string::npos) << piece << "\n"
                                                         << dumped.out;
  }
  const ToolResult trip = run({"roundtrip", "--unknown=hex", rom});
  EXPECT_EQ(trip.status, 0) << trip.out;
  EXPECT_TRUE(
      trip.out.ends_with("re-inserted:           84 bytes, identical\n"
                         "dumped again:          the same script\n"))
      << trip.out;
}

// Tables the fuzzers found breaking the promise, one entry a line: check
// calls each lossless, and the dump of the ROM inserts back to bytes that
// dump to the same script.
TEST(ExtendedPromiseThroughTheConverter, TablesTheFuzzersFoundKeepThePromise) {
  struct Case {
    const char* table;
    const char* rom;
  } cases[] = {
      // A return past a counted frame whose last code was a switch code.
      {"/F0\n!10=S2,0\n@S1\n!13=S2,0\n@S2\n!13=S1,2\n", "10 13 13 F0 13 0A 13"},
      // Counted sections that switch to each other fill each position.
      {"@Kanji\n!F3=Kana,2\n@Kana\n!F2=Kanji,1\n@Kanji\n4141=亜\n",
       "03 41 F1 41 41 42 FD F3 41 F2 41 41"},
      {"41=A\n!F1=Kanji,1\n!F3=Kana,2\n@Kana\n41=ア\n!F0=Kanji,1\n@Kanji\n"
       "!F0=Kanji,2\n42=B\n",
       "F1 71 71 71 71 71 71 71 71 71 73 41 42 F3 41 41 41"},
      // A switch code that would join the code written before.
      {"@S0\n!11=S0,0\nF0=a\nF010=\\n\n!1010=S1,0\n@S1\n10=ab\n",
       "F0 11 10 10 10"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    const std::string table = dir.Write("t.tbl", c.table);
    const std::string rom = dir.Write("r.rom", Hex(c.rom));
    const ToolResult check =
        RunTool({"-t", table, "--table-syntax=extended", "check"});
    EXPECT_NE(check.out.find("lossless: yes"), std::string::npos)
        << c.table << check.out;
    const ToolResult trip =
        RunTool({"-t", table, "-q", "--table-syntax=extended", "roundtrip",
                 "--unknown=hex", rom});
    EXPECT_EQ(trip.status, 0) << c.table << trip.out;
    EXPECT_NE(trip.out.find("dumped again:          the same script"),
              std::string::npos)
        << c.table << trip.out;
  }
}

TEST(ExtendedPromiseThroughTheConverter, RandomTablesKeepThePromise) {
  test::CRandomTables random(4711);
  TempDir dir;
  int kept = 0;
  for (int t = 0; t < 24; ++t) {
    const test::RandomTable made = random.Make(t % 4 != 0);
    const std::string table = dir.Write("t.tbl", made.file);
    const std::string rom = dir.Write("r.rom", random.Rom(made));
    const ToolResult trip =
        RunTool({"-t", table, "-q", "--table-syntax=extended", "roundtrip",
                 "--unknown=hex", rom});
    EXPECT_EQ(trip.status, 0) << made.file << trip.out;
    kept += trip.status == 0 ? 1 : 0;
    // And by hand: dump, insert, dump again.
    const std::string script = dir.Path("s.txt");
    const std::string back = dir.Path("b.rom");
    ASSERT_EQ(RunTool({"-t", table, "-q", "--table-syntax=extended", "dump",
                       "--unknown=hex", "-o", script, rom})
                  .status,
              0);
    ASSERT_EQ(RunTool({"-t", table, "-q", "--table-syntax=extended", "insert",
                       "--unknown=hex", "-o", back, script})
                  .status,
              0);
    const ToolResult again =
        RunTool({"-t", table, "-q", "--table-syntax=extended", "dump",
                 "--unknown=hex", back});
    EXPECT_EQ(again.out, ReadFile(script)) << made.file;
  }
  EXPECT_EQ(kept, 24);
}

}  // namespace
}  // namespace dalvren
