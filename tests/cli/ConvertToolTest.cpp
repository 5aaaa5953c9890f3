// Drives the built converter on real files and checks output bytes, messages
// and exit statuses.
#include <algorithm>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "core/CodeTable.h"
#include "tests/cli/ToolRunner.h"
#include "tests/support/CoreTestSupport.h"

namespace dalvren {
namespace {

using test::ExamplePath;
using test::ReadFile;
using test::RunTool;
using test::TempDir;
using test::ToolResult;
using namespace std::string_literals;

// What the core itself makes of `input` through the table in `tablePath`:
// the tool must add nothing and lose nothing on the way through files.
std::string CoreTranslation(const std::string& tablePath, bool forward,
                            const std::string& input) {
  std::istringstream in(ReadFile(tablePath));
  const auto table = Load(in);
  return test::TranslateToString(forward ? *table->forward : *table->reverse,
                                 input);
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class ConvertTool : public testing::Test {
 protected:
  const std::string table_ = ExamplePath("sample.tbl");
  const std::string rom_ = ExamplePath("sample.rom");
  const std::string romBytes_ = ReadFile(rom_);
  TempDir dir_;
};

TEST_F(ConvertTool, DumpEditInsertRoundTripOfTheSample) {
  ASSERT_EQ(romBytes_.size(), 95u);
  const std::string script = dir_.Path("script.txt");
  ToolResult dump = RunTool({"-t", table_, "dump", "-o", script, rom_});
  ASSERT_EQ(dump.status, 0) << dump.err;
  EXPECT_EQ(dump.out, "");
  const std::string text = ReadFile(script);
  EXPECT_TRUE(text.starts_with("Welcome, Hero! Save the Princess")) << text;
  EXPECT_TRUE(text.ends_with("!<br>[END]")) << "no newline may be added";
  EXPECT_EQ(text, CoreTranslation(table_, true, romBytes_));

  // The leading 00 01 02 03 and the trailing 00 00 have no code; everything
  // else comes back byte for byte.
  const std::string rom2 = dir_.Path("new.rom");
  ToolResult insert = RunTool({"insert", script, "-o", rom2, "-t", table_});
  ASSERT_EQ(insert.status, 0) << insert.err;
  EXPECT_EQ(ReadFile(rom2), romBytes_.substr(4, 89));

  // An edit goes through: "Hero" is one code, "Knight" six letters.
  dir_.Write("script.txt", "Welcome, Knight!<br>[END]");
  insert = RunTool({"-t", table_, "insert", script});
  EXPECT_EQ(insert.out, "Welcome, Knight!\xFE\xFF"s);
}

TEST_F(ConvertTool, SelectsTheRangeToDump) {
  struct Case {
    std::vector<std::string> range;
    std::size_t from;
    std::size_t count;
  };
  const Case cases[] = {
      {{}, 0, 95},
      {{"--offset", "0", "--length", "0"}, 0, 0},
      {{"--offset", "95"}, 95, 0},  // the end itself selects nothing
      {{"--offset", "0x5F", "--length", "0"}, 95, 0},
      {{"--offset", "9"}, 9, 86},
      {{"--offset", "010", "--length", "4"}, 10, 4},  // decimal, not octal
      {{"--length", "0xB"}, 0, 11},
      {{"--offset", "4", "--length", "91"}, 4, 91},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-t", table_, "dump", rom_};
    args.insert(args.end(), c.range.begin(), c.range.end());
    const ToolResult r = RunTool(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              CoreTranslation(table_, true, romBytes_.substr(c.from, c.count)))
        << testing::PrintToString(c.range);
  }
  EXPECT_EQ(
      RunTool({"-t", table_, "dump", "--offset", "13", "--length", "2", rom_})
          .out,
      "Hero!");
}

TEST_F(ConvertTool, RangePastTheEndFailsNamingTheSizeAndWritesNothing) {
  const std::string out = dir_.Path("out.txt");
  for (const auto& range : std::vector<std::vector<std::string>>{
           {"--offset", "96"},
           {"--offset", "4", "--length", "92"},
           {"--length", "96"},
           {"--offset", "0xFFFFFFFF"}}) {
    std::vector<std::string> args = {"-t", table_, "dump", rom_, "-o", out};
    args.insert(args.end(), range.begin(), range.end());
    const ToolResult r = RunTool(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(Contains(r.err, "past the end of the input (95 bytes)"))
        << r.err;
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{}) << "no file at all";
  }
  // With --hex-in the range counts decoded bytes.
  const std::string hex = dir_.Write("in.hex", "C5 21 FF\n");
  const ToolResult r =
      RunTool({"-t", table_, "dump", "--hex-in", "--offset", "4", hex});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contains(r.err, "(3 bytes)")) << r.err;
}

TEST_F(ConvertTool, HexInAndOutReadAndWriteExactlyAsTheFieldsDo) {
  struct Case {
    std::vector<std::string> options;
    std::string input;
    std::string output;
  };
  const Case cases[] = {
      {{"dump", "--hex-in"}, "c5 21\r\nF\tF\n", "Hero![END]"},
      {{"dump", "--hex-in", "--offset", "1"}, "C521FF", "![END]"},
      {{"dump", "--hex-in"}, "C52", "Hero"},  // unpaired last digit
      {{"dump", "--hex-in"},
       "C5\0"
       "21"s,
       "Hero"},  // a zero byte ends it
      {{"dump", "--hex-in"}, " \n", ""},
      {{"dump", "--hex-out"}, "\xC5!", "4865726F21"},
      {{"dump", "--hex-in", "--hex-out"}, "c5", "4865726F"},
      {{"insert"}, "Hero!", "\xC5!"},
      {{"insert", "--hex-out"}, "the Hero", "C020C5"},
      {{"insert", "--hex-in"}, "48 65 72 6F", "\xC5"},
      {{"insert", "--hex-in", "--hex-out"}, "48 65 72 6F", "C5"},
      {{"insert", "--hex-out"}, "", ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-t", table_};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(dir_.Write("input", c.input));
    const ToolResult r = RunTool(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.output) << testing::PrintToString(c.options) << " "
                               << testing::PrintToString(c.input);
  }
}

TEST_F(ConvertTool, ReadsStandardInputAndWritesStandardOutput) {
  const std::string expected = CoreTranslation(table_, true, romBytes_);
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"-t", table_, "dump", "-q"},
           {"-t", table_, "dump", "-q", "-"},
           {"-t", table_, "dump", "-q", "-o", "-", "-"}}) {
    const ToolResult r = RunTool(args, rom_);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(ConvertTool, TableMayComeFromStandardInputOnlyWhenTheInputDoesNot) {
  const std::string expected = CoreTranslation(table_, true, romBytes_);
  const ToolResult dump = RunTool({"-t", "-", "dump", rom_}, table_);
  EXPECT_EQ(dump.status, 0) << dump.err;
  EXPECT_EQ(dump.out, expected);
  const ToolResult check = RunTool({"check", "-t", "-"}, table_);
  EXPECT_EQ(check.status, 0) << check.err;
  EXPECT_TRUE(Contains(check.out, " entries, 0 ignored lines")) << check.out;

  const std::string tiny = dir_.Write("tiny.tbl", "41=A\n");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"-t", "-", "dump"},
           {"-t", "-", "dump", "-"},
           {"-t", "-", "insert", "-o", dir_.Path("out.bin")},
           {"-t", "-", "roundtrip", "-"}}) {
    const ToolResult r = RunTool(args, tiny);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
    EXPECT_TRUE(r.err.starts_with(
        "dalvren-convert: the table and the input cannot both be standard "
        "input"))
        << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(dir_.Names(), std::vector<std::string>{"tiny.tbl"});
}

TEST_F(ConvertTool, OutputFileIsCreatedEvenWhenEmptyAndReplacedWhole) {
  const std::string out = dir_.Path("out.txt");
  ToolResult r =
      RunTool({"-t", table_, "dump", "--offset", "95", "-o", out, rom_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  struct stat st {};
  ASSERT_EQ(::stat(out.c_str(), &st), 0) << "empty output still makes OUT";
  EXPECT_EQ(st.st_size, 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);

  // A longer old file is replaced, not overwritten in part; its
  // permissions stay.
  dir_.Write("out.txt", std::string(1000, 'x'));
  ASSERT_EQ(::chmod(out.c_str(), 0640), 0);
  r = RunTool({"-t", table_, "dump", "--length", "11", "-o", out, rom_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(out), "Welcome");
  ASSERT_EQ(::stat(out.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // A link is followed: the file it points to changes, the link stays.
  const std::string link = dir_.Path("link.txt");
  ASSERT_EQ(::symlink(out.c_str(), link.c_str()), 0);
  r = RunTool({"-t", table_, "dump", "--offset", "13", "--length", "2", "-o",
               link, rom_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(out), "Hero!");
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"link.txt", "out.txt"}));
}

TEST_F(ConvertTool, InputMayBeTheOutputFileItself) {
  const std::string file = dir_.Write("rom.bin", romBytes_);
  const ToolResult r = RunTool({"-t", table_, "dump", "-o", file, file});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(file), CoreTranslation(table_, true, romBytes_));
}

TEST_F(ConvertTool, FailuresExitWithTwoAndLeaveAnExistingOutputAlone) {
  const std::string out = dir_.Write("out.txt", "precious");
  const std::string missing = dir_.Path("missing");
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"-t", missing, "dump", rom_, "-o", out},
       "Error! Unable to open table file '" + missing +
           "': No such file or directory"},
      {{"-t", table_, "dump", missing, "-o", out},
       "Error! Unable to open input file '" + missing +
           "': No such file or directory"},
      {{"-t", table_, "insert", dir_.Path(""), "-o", out},
       "Error! Unable to open input file '" + dir_.Path("") +
           "': Is a directory"},
      {{"-t", table_, "dump", rom_, "-o", missing + "/out.txt"},
       "Error! Unable to open output file '" + missing +
           "/out.txt': No such file or directory"},
      {{"-t", table_, "dump", rom_, "-o", dir_.Path("")},
       "Error! Unable to open output file '" + dir_.Path("") +
           "': Is a directory"},
      {{"-t", table_, "dump", rom_, "-o", "/dev/full"},
       "Error! Unable to write output file '/dev/full': No space left on "
       "device"},
      {{"-t", table_, "dump", "--offset", "100", rom_, "-o", out},
       "Error! Offset 100 is past the end of the input (95 bytes)"},
  };
  for (const auto& c : cases) {
    const ToolResult r = RunTool(c.args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_EQ(r.err, c.message + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFile(out), "precious");
    EXPECT_EQ(dir_.Names(), std::vector<std::string>{"out.txt"});
  }
}

TEST_F(ConvertTool, RangeMessagesSayTheCountsAsTheyWereWritten) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"dump", "--offset", "0x1F00"},
       "Offset 0x1F00 (7936) is past the end of the input (95 bytes)"},
      {{"dump", "--offset=0X60"},
       "Offset 0X60 (96) is past the end of the input (95 bytes)"},
      // Leading zeros keep a number decimal, but it reads differently.
      {{"dump", "--offset", "010", "--length", "0x56"},
       "Range of 0x56 (86) bytes at offset 010 (10) reaches past the end of "
       "the input (95 bytes)"},
      {{"roundtrip", "--length", "0x60"},
       "Range of 0x60 (96) bytes at offset 0 reaches past the end of the "
       "input (95 bytes)"},
      {{"dump", "--offset", "90", "--length", "6"},
       "Range of 6 bytes at offset 90 reaches past the end of the input (95 "
       "bytes)"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-t", table_};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back(rom_);
    const ToolResult r = RunTool(args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_EQ(r.err, "Error! " + c.message + "\n");
  }
}

TEST_F(ConvertTool, WriteFailingMidwayLeavesNoPartialOutput) {
  const std::string out = dir_.Write("out.txt", "precious");
  // The limit holds for every file: the error message fits under it, the
  // dump of the sample does not.
  ASSERT_GT(CoreTranslation(table_, true, romBytes_).size(), 160u);
  const ToolResult r =
      RunTool({"-t", table_, "dump", "-o", out, rom_}, "", 60, 120);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "Error! Unable to write output file '" + out +
                       "': File too large\n");
  EXPECT_EQ(ReadFile(out), "precious");
  EXPECT_EQ(dir_.Names(), std::vector<std::string>{"out.txt"});
}

TEST_F(ConvertTool, UnreadableAndWriteProtectedFilesAreRefused) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  const std::string secret = dir_.Write("secret.rom", "A");
  const std::string locked = dir_.Write("locked.txt", "keep");
  ASSERT_EQ(::chmod(secret.c_str(), 0), 0);
  ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
  ToolResult r = RunTool({"-t", table_, "dump", secret});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contains(r.err, "Permission denied")) << r.err;
  r = RunTool({"-t", table_, "dump", rom_, "-o", locked});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contains(r.err, "Unable to open output file")) << r.err;
  EXPECT_EQ(ReadFile(locked), "keep");
}

TEST_F(ConvertTool, BadUsagePrintsTheUsageAndExitsWithTwo) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {},
           {"-t", table_},
           {"-t", table_, "dump", "--offset", "-1", rom_},
           {"-t", table_, "check", rom_},
           {"-t", table_, "dump", rom_, rom_},
           {"-t", table_, "transmogrify"},
           {"dump", rom_}}) {
    const ToolResult r = RunTool(args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
    EXPECT_TRUE(r.err.starts_with("dalvren-convert: ")) << r.err;
    EXPECT_TRUE(Contains(r.err, "\nUsage: dalvren-convert -t TABLE dump"));
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(ConvertTool, QuietSilencesOnlyTheReplacementNotices) {
  // Line 2 replaces line 1 forward; line 3 replaces line 2 in reverse.
  const std::string table = dir_.Write("dup.tbl", "41=A\n41=B\n42=B\n");
  const std::string input = dir_.Write("in", "AB");
  ToolResult loud = RunTool({"-t", table, "dump", input});
  EXPECT_EQ(loud.err, table +
                          ": line 2: code 41 was \"A\" (line 1), now \"B\"\n" +
                          table +
                          ": line 3: text \"B\" was inserted as 41 (line 2), "
                          "now as 42\n");
  EXPECT_EQ(loud.out, "BB");
  ToolResult quiet = RunTool({"-t", table, "insert", input, "-q"});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(quiet.out, "AB");
}

TEST_F(ConvertTool, CheckListsFaultyLinesAndExitsWithOne) {
  const std::string table = dir_.Write(
      "faulty.tbl",
      "41=A\r\n42=B\r\n\r\n# letters\r\n4=x\r\n43=A\r\nZZ=z\r\n41=a\r\n");
  const ToolResult r = RunTool({"check", "-t", table});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            "line 4: ignored: no \"=\"\n"
            "line 5: ignored: code of odd length\n"
            "line 7: ignored: code not starting with a hexadecimal digit\n"
            "line 8: replacement: 41=\"A\" (line 1) is lost: code 41 dumps as "
            "\"a\" (line 8), \"A\" inserts as 43 (line 6)\n"
            "4 entries, 3 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, "
            "1 replacement\n");
  EXPECT_EQ(r.err, "") << "check reports replacements itself";

  // The sample's one remark is the blank its "er " ends with, and a
  // warning alone fails only a strict check.
  const std::string tableText = ReadFile(table_);
  const std::size_t erLine =
      std::count(tableText.begin(),
                 tableText.begin() + tableText.find("C4=er \n"), '\n') +
      1;
  const std::string report =
      "line " + std::to_string(erLine) +
      ": warning: text \"er \" ends with a blank\n1 warning\n" +
      std::to_string(std::count(tableText.begin(), tableText.end(), '\n')) +
      " entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, 0 "
      "replacements\n";
  const ToolResult sample = RunTool({"-t", table_, "check"});
  EXPECT_EQ(sample.status, 0) << sample.out;
  EXPECT_EQ(sample.out, report);
  const ToolResult strict = RunTool({"-t", table_, "check", "--strict"});
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.out, report);

  const std::string clean = dir_.Write("clean.tbl", "41=A\n20= \n");
  EXPECT_EQ(RunTool({"-t", clean, "check", "--strict"}).status, 0);
  // Findings fail a check with or without --strict.
  EXPECT_EQ(RunTool({"-t", table, "check", "--strict"}).status, 1);
}

TEST_F(ConvertTool, CheckCutsOnlyLinesLongerThanTheLimit) {
  // 511 characters, "41=" and 508 letters, is the longest whole line.
  const std::string line511 = "41=" + std::string(kMaxTableLine - 3, 'a');
  const struct {
    std::string file;
    const char* entries;
  } wholeCases[] = {
      {line511, "1 entry"},
      {line511 + "\n42=B", "2 entries"},
      {line511 + "\r\n42=B\r\n", "2 entries"},
      {line511 + "\r42=B\r", "2 entries"},
  };
  for (const auto& c : wholeCases) {
    const ToolResult whole =
        RunTool({"-t", dir_.Write("whole.tbl", c.file), "check"});
    EXPECT_EQ(whole.status, 0) << whole.out;
    EXPECT_EQ(whole.out, std::string(c.entries) +
                             ", 0 ignored lines, 0 cut lines, 0 aliases, 0 "
                             "duplicates, 0 replacements\n");
  }
  const ToolResult cut =
      RunTool({"-t", dir_.Write("cut.tbl", line511 + "b\n42=B\n"), "check"});
  EXPECT_EQ(cut.status, 1);
  EXPECT_EQ(cut.out,
            "line 1: cut at 511 characters; the rest is read as further "
            "lines\n"
            "line 1: ignored: no \"=\"\n"
            "2 entries, 1 ignored line, 1 cut line, 0 aliases, 0 duplicates, "
            "0 replacements\n");
}

TEST_F(ConvertTool, HelpReadsLikeAManualPageAndVersionIsOneLine) {
  const ToolResult help = RunTool({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* part :
       {"NAME", "SYNOPSIS", "dump", "insert", "check", "roundtrip",
        "--offset N", "--unknown=skip|hex", "--optimal", "--stats", "--strict",
        "--table-encoding NAME", "EXIT STATUS", "EXAMPLE"}) {
    EXPECT_TRUE(Contains(help.out, part)) << part;
  }
  EXPECT_EQ(help.err, "");
  const ToolResult version = RunTool({"-t", "x", "dump", "--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.out.starts_with("dalvren-convert "));
  EXPECT_EQ(std::count(version.out.begin(), version.out.end(), '\n'), 1);
}

}  // namespace
}  // namespace dalvren
