// What dump skips and insert drops, told through the built converter: one
// line a finding with its place, a total, -q to silence them and --strict to
// fail on them, the output written either way.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/ToolRunner.h"

namespace dalvren {
namespace {

using test::ExamplePath;
using test::ReadFile;
using test::RunTool;
using test::TempDir;
using test::ToolResult;

class DropReport : public testing::Test {
 protected:
  std::string Table(const std::string& text) {
    return dir_.Write("t.tbl", text);
  }

  const std::string sample_ = ExamplePath("sample.tbl");
  TempDir dir_;
};

TEST_F(DropReport, InsertTellsEachDroppedCharacterWithItsPlaceAndWhy) {
  struct Case {
    const char* script;
    const char* hexOut;
    std::vector<std::string> lines;
  };
  // sample.tbl holds A-Z, a-z, digits, space and some punctuation, ">"
  // only inside a longer text, and no "~", "é" or line break.
  const std::vector<Case> cases = {
      {"Byé~",
       "4279",
       {":1:3: dropped \"é\" (U+00E9): no table entry holds it",
        ":1:4: dropped \"~\" (U+007E): no table entry holds it",
        ": 2 characters dropped"}},
      {"A>",
       "41",
       {":1:2: dropped \">\" (U+003E): no table entry takes it here",
        ": 1 character dropped"}},
      {"A\nB",
       "4142",
       {":1:2: dropped \"\\n\" (U+000A): no table entry holds it",
        ": 1 character dropped"}},
      {"\xFF"
       "A",
       "41",
       {":1:1: dropped byte FF (not UTF-8): no table entry holds it",
        ": 1 character dropped"}},
      // A mistyped token: the letters and digits a table reads are kept as
      // text, and the finding says which characters of it were lost.
      {"A<$41B",
       "41343142",
       {":1:2: \"<$41\" is not a token: it needs \">\"; \"<$\" dropped",
        ": 2 characters dropped"}},
      {"<$",
       "",
       {":1:1: \"<$\" is not a token: it needs two hexadecimal digits and "
        "\">\"; dropped",
        ": 2 characters dropped"}},
      {"<$4G>",
       "3447",
       {":1:1: \"<$4\" is not a token: it needs two hexadecimal digits and "
        "\">\"; \"<$\" dropped",
        ":1:5: dropped \">\" (U+003E): no table entry takes it here",
        ": 3 characters dropped"}},
      // A whole token is a byte only when tokens are read.
      {"A<$41>",
       "413431",
       {":1:2: \"<$41>\" is a token, but tokens are not read without "
        "--unknown=hex: \"<$>\" dropped",
        ": 3 characters dropped"}},
  };
  for (const Case& c : cases) {
    const std::string script = dir_.Write("s.txt", c.script);
    const ToolResult r =
        RunTool({"-t", sample_, "insert", "--hex-out", script});
    EXPECT_EQ(r.status, 0) << c.script;
    EXPECT_EQ(r.out, c.hexOut) << c.script;
    std::string expected;
    for (const std::string& line : c.lines) expected += script + line + "\n";
    EXPECT_EQ(r.err, expected) << c.script;
  }
  // Read as tokens, a whole token is a byte and nothing is told; a mistyped
  // one is told the same way.
  const ToolResult whole =
      RunTool({"-t", sample_, "insert", "--unknown=hex", "--hex-out"},
              dir_.Write("whole.txt", "A<$41>"));
  EXPECT_EQ(whole.out, "4141");
  EXPECT_EQ(whole.err, "");
  const ToolResult mistyped =
      RunTool({"-t", sample_, "insert", "--unknown=hex", "--hex-out"},
              dir_.Write("mistyped.txt", "<$4"));
  EXPECT_EQ(mistyped.out, "34");
  EXPECT_EQ(mistyped.err,
            "standard input:1:1: \"<$4\" is not a token: it needs two "
            "hexadecimal digits and \">\"; \"<$\" dropped\n"
            "standard input: 2 characters dropped\n");
}

TEST_F(DropReport, ManyFindingsAreCountedAfterTheFirstTwenty) {
  const ToolResult r = RunTool({"-t", sample_, "insert", "--hex-out"},
                               dir_.Write("in.txt", std::string(25, '~')));
  EXPECT_EQ(r.status, 0);
  const std::string start = "standard input:1:20: dropped \"~\"";
  EXPECT_NE(r.err.find(start), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("standard input:1:21:"), std::string::npos) << r.err;
  const std::string tail =
      "standard input: and 5 more\nstandard input: 25 characters dropped\n";
  ASSERT_GE(r.err.size(), tail.size());
  EXPECT_EQ(r.err.substr(r.err.size() - tail.size()), tail);
}

TEST_F(DropReport, ExtendedInsertSaysWhereNoReadingDumpsBack) {
  // Codes 80 and 81 join into 8081: nothing written for "ac" dumps back to
  // it, and the place is named.
  const std::string table = Table("80=a\n81=c\n8081=b\n!F0=K,1\n@K\n90=k\n");
  const ToolResult r =
      RunTool({"--table-syntax=extended", "-t", table, "insert", "--hex-out"},
              dir_.Write("in.txt", "kac"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "F0908081");
  EXPECT_EQ(r.err,
            "standard input:1:3: no reading of \"c\" dumps back to it: read "
            "greedily\n"
            "standard input: 1 place that does not read back as written\n");
  // The same script where a reading exists says nothing.
  const ToolResult clean =
      RunTool({"--table-syntax=extended", "-t", table, "insert", "--hex-out"},
              dir_.Write("ok.txt", "kab"));
  EXPECT_EQ(clean.err, "");
}

TEST_F(DropReport, DumpTellsEachSkippedByteUnlessTokensWriteIt) {
  const std::string table = Table("41=A\n42=B\n");
  const std::string rom = dir_.Write("r.bin",
                                     "A\x10"
                                     "B\x11");
  const ToolResult skip = RunTool({"-t", table, "dump", rom});
  EXPECT_EQ(skip.status, 0);
  EXPECT_EQ(skip.out, "AB");
  EXPECT_EQ(skip.err,
            rom +
                ": offset 1 (0x1): skipped byte 10: no code of the table "
                "reads it\n" +
                rom +
                ": offset 3 (0x3): skipped byte 11: no code of the "
                "table reads it\n" +
                rom +
                ": 2 bytes skipped (--unknown=hex writes them as <$XX> "
                "tokens)\n");
  const ToolResult hex = RunTool({"-t", table, "dump", "--unknown=hex", rom});
  EXPECT_EQ(hex.out, "A<$10>B<$11>");
  EXPECT_EQ(hex.err, "");
}

TEST_F(DropReport, QuietSilencesAndStrictFailsWithTheOutputWritten) {
  const std::string table = Table("41=A\n42=B\n");
  const std::string rom = dir_.Write("r.bin",
                                     "A\x10"
                                     "B");
  const std::string script = dir_.Write("s.txt", "A~B");
  struct Case {
    std::vector<std::string> args;
    std::string output;
  };
  const std::string out = dir_.Path("out");
  const std::vector<Case> cases = {
      {{"-t", table, "dump", "-o", out, rom}, "AB"},
      {{"-t", table, "insert", "-o", out, script}, "AB"},
  };
  for (const Case& c : cases) {
    for (const bool quiet : {false, true}) {
      for (const bool strict : {false, true}) {
        std::vector<std::string> args = c.args;
        if (quiet) args.insert(args.begin() + 3, "-q");
        if (strict) args.insert(args.begin() + 3, "--strict");
        std::remove(out.c_str());
        const ToolResult r = RunTool(args);
        const std::string what =
            args[2] + (quiet ? " -q" : "") + (strict ? " --strict" : "");
        EXPECT_EQ(r.status, strict ? 1 : 0) << what << r.err;
        EXPECT_EQ(ReadFile(out), c.output) << what;
        EXPECT_EQ(r.err.empty(), quiet) << what << r.err;
      }
    }
  }
  // A clean run passes --strict.
  EXPECT_EQ(RunTool({"-t", table, "insert", "--strict", "--hex-out"},
                    dir_.Write("ok.txt", "AB"))
                .status,
            0);
}

}  // namespace
}  // namespace dalvren
