#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/CommandLine.h"

namespace dalvren {
namespace {

bool Parse(const std::vector<const char*>& args, CCommandLine& line,
           std::string& error) {
  const CStatus status = ParseCommandLine(args, &line);
  error = status.Message();
  // Every refusal of the command line is a usage error.
  EXPECT_EQ(status.IsUsageError(), !status.IsOk()) << error;
  return status.IsOk();
}

TEST(ParseCount, ReadsDecimalAndPrefixedHexOnly) {
  struct Case {
    const char* text;
    bool ok;
    std::uint64_t value;
  };
  const Case cases[] = {
      {"0", true, 0},
      {"95", true, 95},
      {"010", true, 10},  // leading zeros stay decimal
      {"0x10", true, 16},
      {"0X1f", true, 31},
      {"0x00FF", true, 255},
      {"18446744073709551615", true, UINT64_MAX},
      {"0xFFFFFFFFFFFFFFFF", true, UINT64_MAX},
      {"18446744073709551616", false, 0},  // one beyond 64 bits
      {"0x10000000000000000", false, 0},
      {"", false, 0},
      {"0x", false, 0},
      {"-1", false, 0},
      {"+1", false, 0},
      {"0x-1", false, 0},
      {" 5", false, 0},
      {"5 ", false, 0},
      {"12a", false, 0},
      {"1e3", false, 0},
      {"0x1g", false, 0},
      {"ten", false, 0},
  };
  for (const auto& c : cases) {
    std::uint64_t value = 12345;
    EXPECT_EQ(ParseCount(c.text, value), c.ok) << c.text;
    EXPECT_EQ(value, c.ok ? c.value : 12345u) << c.text;
  }
}

TEST(ParseCommandLine, TakesOptionsOnEitherSideOfTheCommandWord) {
  const std::vector<std::vector<const char*>> spellings = {
      {"-t", "a.tbl", "dump", "-q", "--hex-in", "--hex-out", "--offset", "0x10",
       "--length", "8", "-o", "out", "in.rom"},
      {"dump", "in.rom", "--length=8", "-oout", "--offset=16", "--hex-out",
       "-q", "--hex-in", "-ta.tbl"},
      {"--hex-in", "-q", "dump", "--hex-out", "-o", "out", "-t", "a.tbl",
       "--offset", "16", "--length", "0x8", "--", "in.rom"},
  };
  for (const auto& args : spellings) {
    CCommandLine line;
    std::string error;
    ASSERT_TRUE(Parse(args, line, error)) << error;
    EXPECT_EQ(line.command, Command::kDump);
    EXPECT_EQ(line.table, "a.tbl");
    EXPECT_EQ(line.input, "in.rom");
    EXPECT_EQ(line.output, "out");
    EXPECT_TRUE(line.hexIn && line.hexOut && line.quiet);
    EXPECT_EQ(line.offset, 16u);
    EXPECT_EQ(line.length, 8u);
  }
}

TEST(ParseCommandLine, DefaultsToStandardStreamsAndTheWholeInput) {
  CCommandLine line;
  std::string error;
  ASSERT_TRUE(Parse({"insert", "-t", "x.tbl"}, line, error)) << error;
  EXPECT_EQ(line.command, Command::kInsert);
  EXPECT_EQ(line.input, "-");
  EXPECT_EQ(line.output, "-");
  EXPECT_FALSE(line.hexIn || line.hexOut || line.quiet);
  EXPECT_FALSE(line.offset || line.length);

  ASSERT_TRUE(Parse({"-t", "x.tbl", "check", "-q"}, line, error)) << error;
  EXPECT_EQ(line.command, Command::kCheck);
  // After "--" even a word like an option is the INPUT.
  ASSERT_TRUE(Parse({"-t", "x", "dump", "--", "-q"}, line, error)) << error;
  EXPECT_EQ(line.input, "-q");
  EXPECT_FALSE(line.quiet);
}

TEST(ParseCommandLine, TakesTheToolkitOptionsOfEachCommand) {
  CCommandLine line;
  std::string error;
  ASSERT_TRUE(Parse({"-t", "x", "insert", "--unknown=hex", "--optimal",
                     "--stats", "--table-encoding", "Shift_JIS", "in"},
                    line, error))
      << error;
  EXPECT_EQ(line.command, Command::kInsert);
  EXPECT_EQ(line.unknown, UnknownBytes::kHex);
  EXPECT_TRUE(line.optimal && line.stats);
  EXPECT_EQ(line.tableEncoding, "Shift_JIS");

  ASSERT_TRUE(Parse({"roundtrip", "--unknown", "skip", "--offset", "3",
                     "--table-encoding=EUC-JP", "-t", "x", "--hex-in", "in"},
                    line, error))
      << error;
  EXPECT_EQ(line.command, Command::kRoundTrip);
  EXPECT_EQ(line.unknown, UnknownBytes::kSkip);
  EXPECT_EQ(line.offset, 3u);
  EXPECT_TRUE(line.hexIn);
  EXPECT_EQ(line.input, "in");
  EXPECT_EQ(line.tableEncoding, "EUC-JP");

  ASSERT_TRUE(Parse({"-t", "x", "check", "--strict"}, line, error)) << error;
  EXPECT_TRUE(line.strict);
  EXPECT_TRUE(line.tableEncoding.empty());
  EXPECT_FALSE(line.optimal || line.stats);
  EXPECT_EQ(line.unknown, UnknownBytes::kSkip);
}

TEST(ParseCommandLine, HelpAndVersionWinOverEverythingElse) {
  CCommandLine line;
  std::string error;
  ASSERT_TRUE(Parse({"--help"}, line, error));
  EXPECT_EQ(line.command, Command::kHelp);
  ASSERT_TRUE(Parse({"dump", "--bogus", "--version"}, line, error));
  EXPECT_EQ(line.command, Command::kVersion);
  ASSERT_TRUE(Parse({"-t", "x", "check", "in", "--help"}, line, error));
  EXPECT_EQ(line.command, Command::kHelp);
}

TEST(ParseCommandLine, RefusesBadUsageNamingTheProblem) {
  struct Case {
    std::vector<const char*> args;
    const char* mentions;
  };
  const std::vector<Case> cases = {
      {{}, "no command"},
      {{"-t", "x"}, "no command"},
      {{"-t", "x", "convert"}, "unknown command 'convert'"},
      {{"dump", "in"}, "no table"},
      {{"-t"}, "-t needs a value"},
      {{"-t", "x", "dump", "-o"}, "-o needs a value"},
      {{"-t", "", "dump"}, "-t needs a file name"},
      {{"-t", "x", "-t", "y", "dump"}, "-t is given twice"},
      {{"-t", "x", "dump", "-o", "a", "-o", "b"}, "-o is given twice"},
      {{"-t", "x", "dump", "--offset", "1", "--offset=2"}, "given twice"},
      {{"-t", "x", "dump", "--verbose"}, "unknown option '--verbose'"},
      {{"-t", "x", "dump", "-x"}, "unknown option '-x'"},
      {{"-t", "x", "dump", "-qv"}, "unknown option '-qv'"},
      {{"-t", "x", "dump", "--hex-in=yes"}, "unknown option"},
      {{"-t", "x", "dump", "--offset", "-1"}, "'-1'"},
      {{"-t", "x", "dump", "--length", "12k"}, "'12k'"},
      {{"-t", "x", "dump", "--offset", "99999999999999999999"}, "--offset"},
      {{"-t", "x", "dump", "--offset", "0xFFFFFFFFFFFFFFFF", "--length", "1"},
       "--offset plus --length"},
      {{"-t", "x", "dump", "a", "b"}, "more than one INPUT"},
      {{"-t", "x", "check", "in"}, "check takes no INPUT"},
      {{"-t", "x", "check", "-"}, "check takes no INPUT"},
      {{"-t", "x", "check", "--hex-in"}, "check does not take --hex-in"},
      {{"-t", "x", "check", "-o", "out"}, "check does not take -o"},
      {{"-t", "x", "insert", "--offset", "1"}, "insert does not take --offset"},
      {{"-t", "x", "insert", "--length", "1"}, "insert does not take --length"},
      {{"-t", "x", "dump", "--unknown=bogus"},
       "--unknown needs skip or hex, not 'bogus'"},
      {{"-t", "x", "dump", "--unknown=HEX"}, "not 'HEX'"},
      {{"-t", "x", "dump", "--unknown"}, "--unknown needs a value"},
      {{"-t", "x", "dump", "--unknown=hex", "--unknown=hex"},
       "--unknown is given twice"},
      {{"-t", "x", "dump", "--table-encoding=a", "--table-encoding", "b"},
       "--table-encoding is given twice"},
      {{"-t", "x", "dump", "--table-encoding="},
       "--table-encoding needs the name"},
      {{"-t", "x", "dump", "--optimal"}, "dump does not take --optimal"},
      {{"-t", "x", "dump", "--stats"}, "dump does not take --stats"},
      {{"-t", "x", "check", "--unknown=hex"}, "check does not take --unknown"},
      {{"-t", "x", "check", "--optimal"}, "check does not take --optimal"},
      {{"-t", "x", "check", "--stats"}, "check does not take --stats"},
      {{"-t", "x", "roundtrip", "--stats"}, "roundtrip does not take --stats"},
      {{"-t", "x", "roundtrip", "--hex-out"},
       "roundtrip does not take --hex-out"},
      {{"-t", "x", "roundtrip", "-o", "out"}, "roundtrip does not take -o"},
      {{"-t", "x", "roundtrip", "--strict"},
       "roundtrip does not take --strict"},
      {{"-t", "x", "roundtrip", "a", "b"}, "more than one INPUT"},
      {{"-t", "x", "insert", "--optimal=yes"}, "unknown option"},
      {{"-t", "x", "round-trip"}, "unknown command 'round-trip'"},
      {{"-t", "-", "dump"}, "cannot both be standard input"},
      {{"-t", "-", "insert", "-"}, "cannot both be standard input"},
      {{"roundtrip", "-t-", "--", "-"}, "cannot both be standard input"},
  };
  for (const auto& c : cases) {
    CCommandLine line;
    std::string error;
    EXPECT_FALSE(Parse(c.args, line, error)) << c.mentions;
    EXPECT_NE(error.find(c.mentions), std::string::npos)
        << "error: " << error << "\nexpected to mention: " << c.mentions;
  }
}

}  // namespace
}  // namespace dalvren
