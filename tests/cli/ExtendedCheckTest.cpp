// check on tables in the extended syntax: the reason for each ignored line,
// findings kept within their section, switch codes that have no text, and
// the line that tells whether the table can be read back.
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/ExtendedCheck.h"
#include "cli/TableCheck.h"
#include "core/ExtendedTable.h"
#include "core/Lossless.h"
#include "tests/cli/ToolRunner.h"
#include "tests/support/RandomExtendedTable.h"

namespace dalvren {
namespace {

using test::RunTool;
using test::TempDir;
using test::ToolResult;

// The report of checking `file` in the extended syntax.
std::string Checked(const std::string& file, CTableCheck** kept = nullptr) {
  static std::ostringstream report;
  report.str("");
  static std::unique_ptr<CTableCheck> check;
  check = std::make_unique<CTableCheck>(report);
  std::istringstream in(file);
  const auto table = LoadExtended(in, check->Observer());
  FinishExtendedCheck(*check, *table, report);
  if (kept != nullptr) *kept = check.get();
  return report.str();
}

// The report without its counts and its lossless verdict (a line, and for
// "no" the two lines of its example).
std::string Findings(const std::string& file) {
  std::string report = Checked(file);
  report.erase(report.rfind("lossless: "));
  report.pop_back();
  report.erase(report.rfind('\n') + 1);
  return report;
}

TEST(ExtendedCheck, NamesTheReasonForEachIgnoredLine) {
  const struct {
    const char* line;
    const char* reason;
  } cases[] = {
      {"*F", "code not made of pairs of hexadecimal digits"},
      {"/4G=x", "code not made of pairs of hexadecimal digits"},
      {"*FE=x", "line-break code followed by more than its code"},
      {"$F5", "control code without a label (\"$HEX=LABEL,N\")"},
      {"$F5=,1", "control code without a label (\"$HEX=LABEL,N\")"},
      {"$F5=<c>", "no count (\",N\" at the end of the line)"},
      {"!F0=Kana", "no count (\",N\" at the end of the line)"},
      {"$F5=<c>,x", "count not a decimal number"},
      {"$F5=<c>,256", "count out of range (0 to 255)"},
      {"!F0=Kana,999", "count out of range (0 to 255)"},
      {"!F0= Kanji ,0", "switch to table \"Kanji\", which does not exist"},
      {"!F0=,0", "no table name"},
      {"@ ", "no table name"},
      {"=A", "code not starting with a hexadecimal digit"},
      {"411=A", "code of odd length"},
      {"AB", "no \"=\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Findings("41=A\n" + std::string(c.line) + "\n@Kana\n41=ア\n"),
              "line 2: ignored: " + std::string(c.reason) + "\n")
        << c.line;
  }
  EXPECT_EQ(Findings("!F0=Kana,0\n@Latin\n41=A\n@Kana\n41=ア\n@Latin\n"
                     "42=B\n"),
            "line 1: ignored: switch code in no table (before the first "
            "\"@\", with no other entry there to form a start table)\n"
            "line 6: ignored: section \"Latin\" appears twice (the lines "
            "after it join the first)\n");
  // Comments, empty lines and the byte-order mark are fine.
  EXPECT_EQ(Findings("\xEF\xBB\xBF# table\n\n41=A\n"), "");
}

TEST(ExtendedCheck, KeepsFindingsWithinTheirSection) {
  // The same code and the same text in two sections are no replacement,
  // alias or shared text; within one they are.
  EXPECT_EQ(Findings("41=A\n42=B\n!F0=Kana,0\n@Kana\n41=A\n42=B\n"), "");
  EXPECT_EQ(Findings("41=A\n@Kana\n41=ア\n41=イ\n42=ア\n"),
            "line 5: replacement: 41=\"ア\" (line 3) is lost: code 41 dumps "
            "as \"イ\" (line 4), \"ア\" inserts as 42 (line 5)\n");
  EXPECT_EQ(Findings("@Kana\n41=ア\n41=イ\n@Latin\n41=A\n"),
            "line 3: alias: code 41 dumps as \"イ\" (line 3); \"ア\" (line 2) "
            "still inserts as 41\n");
  EXPECT_EQ(Findings("@Kana\n41=ア\n42=ア\n@Latin\n43=ア\n"),
            "line 3: warning: text \"ア\" is shared by codes 41 (line 2) and "
            "42 (line 3); insert writes only 42\n"
            "1 warning\n");
  // A second section of a name is that section: its lines replace there.
  EXPECT_EQ(Findings("@Kana\n41=ア\n@Latin\n41=A\n@Kana\n41=ア\n"),
            "line 5: ignored: section \"Kana\" appears twice (the lines after "
            "it join the first)\n"
            "line 6: duplicate of line 2\n");
}

TEST(ExtendedCheck, SwitchCodesHaveNoTextToWarnAbout) {
  CTableCheck* check = nullptr;
  const std::string report =
      Checked("41=A\n!F0=Kana,0\n*FE\n/FF\n@Kana\n41=ア\n", &check);
  EXPECT_EQ(check->warnings, 0u) << report;
  EXPECT_EQ(check->entries, 5u);
  EXPECT_TRUE(check->Clean());
  // A text code that takes a switch code's place replaces it.
  EXPECT_EQ(Findings("!F0=Kana,0\nF0=x\n41=A\n@Kana\n"),
            "line 2: replacement: F0=\"\" (line 1) is lost: code F0 dumps as "
            "\"x\" (line 2)\n");
}

TEST(ExtendedCheck, TellsWhetherTheTableCanBeReadBack) {
  const struct {
    const char* file;
    const char* lossless;
  } cases[] = {
      // Switch codes: insert chooses its own, and finds bytes that dump back.
      {"41=A\n*FE\n/FF=[END]\n$F5=<c>,1\n!F0=Kana,0\n@Kana\n41=ア\n",
       "lossless: yes: insert gives, for every dump, bytes that dump to the "
       "same script (with switch codes of its own choosing)"},
      // A code that begins another where nothing can split them otherwise.
      {"41=A\n4142=B\n",
       "lossless: yes: no two ROMs dump to the same script, so insert gives "
       "back the bytes of every dump"},
      {"@Kana\n41=か\n42=かな\n43=な\n",
       "lossless: no: in table \"Kana\", text \"か\" (line 2) and what follows "
       "read back as text \"かな\" (line 3)\n"
       "  ROM 41 43 dumps as \"かな\",\n"
       "  which inserts as 42"},
      {"*FE\n41=\\nA\n42=A\n",
       "lossless: no: in the start table, text \"\\x0A\" (line 1) and what "
       "follows read back as text \"\\x0AA\" (line 2)\n"
       "  ROM FE 42 dumps as \"\\x0AA\",\n"
       "  which inserts as 41"},
      {"41=A\n42=\n",
       "lossless: no: in the start table, code 42 (line 2) has an empty text\n"
       "  ROM 42 dumps as \"\",\n"
       "  which inserts as nothing"},
      {"41=<$42>\n",
       "lossless: no: in the start table, text \"<$42>\" (line 1) reads back "
       "as token <$42>\n"
       "  ROM 41 dumps as \"<$42>\",\n"
       "  which inserts as 42"},
      // An end code's text that starts like a token, where nothing after
      // the token can read the rest.
      {"/0102=<$41>abcde\n",
       "lossless: yes: no two ROMs dump to the same script, so insert gives "
       "back the bytes of every dump"},
      {"41=<\n42=$\n43=0\n44=>\n",
       "lossless: no: in the start table, text \"<\" (line 1) and what follows "
       "read back as token <$00>\n"
       "  ROM 41 42 43 43 44 dumps as \"<$00>\",\n"
       "  which inserts as 00"},
      {"30=X\n31=X\n",
       "lossless: no: in the start table, codes 30 (line 1) and 31 (line 2) "
       "have the same text \"X\"\n"
       "  ROM 30 dumps as \"X\",\n"
       "  which inserts as 31"},
  };
  for (const auto& c : cases) {
    const std::string report = Checked(c.file);
    EXPECT_TRUE(report.ends_with(std::string(c.lossless) + "\n"))
        << c.file << "\n"
        << report;
  }
}

TEST(ExtendedCheckThroughTheConverter, ExitsByWhatDidNotLoadNotByLossless) {
  TempDir dir;
  const auto check = [&](const std::string& file,
                         std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"-t", dir.Write("t.tbl", file),
                                     "--table-syntax=extended", "check"};
    args.insert(args.end(), more.begin(), more.end());
    return RunTool(args);
  };
  const ToolResult clean = check("41=A\n!F0=Kana,0\n@Kana\n41=ア\n");
  EXPECT_EQ(clean.status, 0);
  EXPECT_EQ(clean.out,
            "3 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 "
            "duplicates, 0 replacements\n"
            "lossless: yes: insert gives, for every dump, bytes that dump to "
            "the same script (with switch codes of its own choosing)\n");
  // A table that cannot be read back is still a table that loads.
  const ToolResult prefix = check("41=a\n42=ab\n");
  EXPECT_EQ(prefix.status, 0);
  EXPECT_EQ(check("41=a\n42=ab\n", {"--strict"}).status, 0);
  EXPECT_EQ(check("41=A\n$F5=<c>\n").status, 1);
  const ToolResult blank = check("41=A \n");
  EXPECT_EQ(blank.status, 0);
  EXPECT_EQ(check("41=A \n", {"--strict"}).status, 1);
  // The plain syntax reports none of it: the special lines are ignored
  // there, and there is no lossless line.
  const ToolResult plain =
      RunTool({"-t", dir.Write("p.tbl", "41=A\n*FE\n@Kana\n"), "check"});
  EXPECT_EQ(plain.status, 1);
  EXPECT_EQ(plain.out.find("lossless"), std::string::npos) << plain.out;
}

TEST(ExtendedCheckThroughTheConverter, EveryNoComesWithAnExampleThatHolds) {
  // Tables as the promise's property test draws them: where check says
  // "lossless: no", the converter itself dumps the ROM of its example to
  // the script it names, and inserts that as the bytes it names, which are
  // not the ROM's.
  TempDir dir;
  test::CRandomTables random(4242);
  int confirmed = 0;
  for (int t = 0; t < 400 && confirmed < 25; ++t) {
    const test::RandomTable made = random.Make(t % 3 != 0, false);
    std::istringstream in(made.file);
    CLoadObserver quiet;
    quiet.onReplaced = [](std::size_t, TableDictionary) {};
    if (JudgeLossless(*LoadExtended(in, quiet)).kind !=
        CLosslessVerdict::Kind::kNo) {
      continue;
    }
    const std::string table = dir.Write("t.tbl", made.file);
    const std::vector<std::string> syntax = {"-t", table,
                                             "--table-syntax=extended"};
    const auto run = [&syntax](std::vector<std::string> more) {
      more.insert(more.begin(), syntax.begin(), syntax.end());
      return RunTool(more);
    };
    const std::string report = run({"check"}).out;
    const std::size_t romAt = report.find("\n  ROM ");
    const std::size_t dumpsAt = report.find(" dumps as ", romAt);
    const std::size_t insertsAt = report.find(",\n  which inserts as ", romAt);
    ASSERT_NE(insertsAt, std::string::npos) << made.file << report;
    std::string romHex = report.substr(romAt + 7, dumpsAt - romAt - 7);
    const std::string quoted =
        report.substr(dumpsAt + 10, insertsAt - dumpsAt - 10);
    std::string insertedHex = report.substr(insertsAt + 20);
    insertedHex.pop_back();
    if (insertedHex == "nothing") insertedHex.clear();
    std::erase(romHex, ' ');
    std::erase(insertedHex, ' ');

    const std::string rom = dir.Write("rom.hex", romHex);
    const ToolResult dumped =
        run({"dump", "-q", "--hex-in", "--unknown=hex", rom});
    ASSERT_EQ(dumped.status, 0) << dumped.err;
    EXPECT_EQ(QuotedText(dumped.out), quoted) << made.file;
    const std::string script = dir.Write("script.txt", dumped.out);
    const ToolResult inserted =
        run({"insert", "-q", "--unknown=hex", "--hex-out", script});
    ASSERT_EQ(inserted.status, 0) << inserted.err;
    EXPECT_EQ(inserted.out, insertedHex) << made.file;
    EXPECT_NE(inserted.out, romHex) << made.file;
    ++confirmed;
  }
  EXPECT_EQ(confirmed, 25);
}

}  // namespace
}  // namespace dalvren
