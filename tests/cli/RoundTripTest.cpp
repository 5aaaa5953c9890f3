// The round trip report: figures worked out by hand, through the library and
// through the built converter.
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/RoundTrip.h"
#include "core/CodeTable.h"
#include "tests/cli/ToolRunner.h"
#include "tests/support/CoreTestSupport.h"

namespace dalvren {
namespace {

using test::AsBytes;
using test::ExamplePath;
using test::RunTool;
using test::TempDir;
using test::ToolResult;
using namespace std::string_literals;

// The table of `file`.
std::unique_ptr<CCodeTable> LoadFromString(const std::string& file) {
  auto table = test::LoadFromString(file);
  return table;
}

std::string Printed(const CRoundTrip& trip) {
  std::ostringstream out;
  trip.Print(out);
  return out.str();
}

// "C" has two codes; insert writes the later one, 44.
constexpr const char* kSharedC = "41=A\n42=B\n43=C\n44=C\n";

TEST(RoundTripReport, FiguresOfAHandWorkedCaseThroughTheConverter) {
  TempDir dir;
  const std::string table = dir.Write("t.tbl", kSharedC);
  // Two bytes before and one after the range: offsets count from the start
  // of the file. In the range, 99 has no code, and 43 comes back as 44.
  const std::string rom = dir.Write("r.rom", "\xAA\xAA\x41\x99\x42\x43\xBB");
  const std::vector<std::string> range = {"--offset", "2", "--length", "4"};

  std::vector<std::string> args = {"-t", table, "roundtrip", rom};
  args.insert(args.end(), range.begin(), range.end());
  ToolResult r = RunTool(args);
  EXPECT_EQ(r.status, 1);
  // The table's two codes for "C" are worth the loader's notice, as in
  // every other command.
  EXPECT_EQ(r.err,
            table +
                ": line 4: text \"C\" was inserted as 43 (line 3), now as "
                "44\n");
  EXPECT_EQ(r.out,
            "bytes in:              4\n"
            "decoded through codes: 3 (75.0%)\n"
            "skipped:               1, at offset 3\n"
            "re-inserted:           3 bytes, not identical\n"
            "first difference at offset 3 (0x3):\n"
            "  input:       41 [99] 42 43\n"
            "  re-inserted: 41 [42] 44\n");

  // The token keeps 99, so the difference moves on to the shared text.
  args.push_back("--unknown=hex");
  r = RunTool(args);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            "bytes in:              4\n"
            "decoded through codes: 3 (75.0%)\n"
            "skipped:               1, at offset 3; written as <$XX> tokens\n"
            "recovered by tokens:   1 of 1\n"
            "re-inserted:           4 bytes, not identical\n"
            "first difference at offset 5 (0x5):\n"
            "  input:       41 99 42 [43]\n"
            "  re-inserted: 41 99 42 [44]\n");
}

TEST(RoundTripReport, ExitsWithZeroOnlyWhenTheBytesComeBackIdentical) {
  TempDir dir;
  const std::string sample = ExamplePath("sample.tbl");
  const std::string rom = ExamplePath("uncovered.rom");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string last;
  };
  const Case cases[] = {
      {{"-t", sample, "roundtrip", rom}, 1, "re-inserted: [C5] 21 FE 53 61\n"},
      {{"-t", sample, "roundtrip", "--unknown=hex", rom},
       0,
       "re-inserted:           38 bytes, identical\n"},
      // "Hero!" alone.
      {{"-t", sample, "roundtrip", "--offset", "2", "--length", "2", rom},
       0,
       "re-inserted:           2 bytes, identical\n"},
      {{"-t", sample, "roundtrip", "--offset", "38", rom},
       0,
       "re-inserted:           0 bytes, identical\n"},
      {{"-t", sample, "roundtrip", "--hex-in"},
       0,
       "re-inserted:           3 bytes, identical\n"},
      {{"-t", sample, "roundtrip", "--offset", "39", rom}, 2, ""},
  };
  const std::string hex = dir.Write("in.hex", "c5 21 FF");
  for (const auto& c : cases) {
    const ToolResult r = RunTool(c.args, hex);
    EXPECT_EQ(r.status, c.status) << testing::PrintToString(c.args);
    EXPECT_TRUE(r.out.ends_with(c.last)) << r.out;
  }
}

TEST(RoundTripReport, ListsTheFirstTenSkipsAndMarksAnEarlyEnd) {
  // 42 has an empty text: dump drops it, so the re-inserted bytes end where
  // it was; the twelve bytes after it have no code at all.
  const auto table = LoadFromString("41=A\n42=\n");
  std::string input = "\x41\x42";
  for (char b = 0; b < 12; ++b) input += b;
  const CRoundTrip trip(*table, AsBytes(input), 0,
                        {.tokens = false, .optimal = false});
  EXPECT_EQ(trip.bytesIn, 14u);
  EXPECT_EQ(trip.skipped, 12u);
  EXPECT_EQ(trip.reinserted, 1u);
  EXPECT_FALSE(trip.Identical());
  EXPECT_EQ(trip.firstDifference, 1u);
  // 2 of 14 is 14.28...%: shown rounded down.
  EXPECT_EQ(Printed(trip),
            "bytes in:              14\n"
            "decoded through codes: 2 (14.2%)\n"
            "skipped:               12, first at offsets 2, 3, 4, 5, 6, 7, "
            "8, 9, 10, 11\n"
            "re-inserted:           1 byte, not identical\n"
            "first difference at offset 1 (0x1):\n"
            "  input:       41 [42] 00 01 02 03\n"
            "  re-inserted: 41 [end]\n");
}

TEST(RoundTripReport, ShareIsRoundedDownSoOnlyFullCoverageShowsAHundred) {
  const auto table = LoadFromString("41=A\n");
  const std::string covered(1999, 'A');
  const CRoundTrip lossy(*table, AsBytes(covered + '\0'), 0,
                         {.tokens = false, .optimal = false});
  EXPECT_NE(Printed(lossy).find("1999 (99.9%)"), std::string::npos)
      << Printed(lossy);
  const CRoundTrip tokens(*table, AsBytes(covered + '\0'), 0,
                          {.tokens = true, .optimal = false});
  EXPECT_TRUE(tokens.Identical()) << Printed(tokens);
  const CRoundTrip full(*table, AsBytes(covered), 0,
                        {.tokens = false, .optimal = false});
  EXPECT_TRUE(full.Identical());
  EXPECT_EQ(Printed(full),
            "bytes in:              1999\n"
            "decoded through codes: 1999 (100.0%)\n"
            "skipped:               0\n"
            "re-inserted:           1999 bytes, identical\n");
  const CRoundTrip empty(*table, {}, 7, {.tokens = false, .optimal = false});
  EXPECT_EQ(Printed(empty),
            "bytes in:              0\n"
            "decoded through codes: 0\n"
            "skipped:               0\n"
            "re-inserted:           0 bytes, identical\n");
}

TEST(RoundTripReport, TokensRecoverOnlyTheSkipsBeforeTheDifference) {
  const auto table = LoadFromString(kSharedC);
  // 99 and 98 have no code; 43 comes back as 44 between them.
  const CRoundTrip trip(*table, AsBytes("\x99\x43\x98"), 0x10,
                        {.tokens = true, .optimal = false});
  EXPECT_EQ(trip.skipped, 2u);
  EXPECT_EQ(trip.skippedBefore, 1u);
  EXPECT_EQ(trip.firstDifference, 0x11u);
  EXPECT_EQ(trip.firstSkips, (std::vector<std::uint64_t>{0x10, 0x12}));
  const std::string report = Printed(trip);
  EXPECT_NE(report.find("recovered by tokens:   1 of 2 (those before the "
                        "first difference)\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("  input:       99 [43] 98\n"
                        "  re-inserted: 99 [44] 98\n"),
            std::string::npos)
      << report;

  // A text that reads as a token makes even a fully covered range differ.
  const auto tricky = LoadFromString("80=<$41>\n41=A\n");
  const CRoundTrip fooled(*tricky, AsBytes("\x80"), 0,
                          {.tokens = true, .optimal = false});
  EXPECT_EQ(fooled.skipped, 0u);
  EXPECT_FALSE(fooled.Identical());
  EXPECT_EQ(fooled.reinsertedFrom, "A");
}

TEST(RoundTripReport, OptimalInsertionCanGiveBackWhatGreedyCannot) {
  // "abc" from 11 12: greedy takes "ab" (10) and then finds no "c".
  const auto table = LoadFromString("10=ab\n11=a\n12=bc\n");
  const CRoundTrip greedy(*table, AsBytes("\x11\x12"), 0,
                          {.tokens = false, .optimal = false});
  EXPECT_FALSE(greedy.Identical());
  EXPECT_EQ(greedy.reinserted, 1u);
  const CRoundTrip optimal(*table, AsBytes("\x11\x12"), 0,
                           {.tokens = false, .optimal = true});
  EXPECT_TRUE(optimal.Identical()) << Printed(optimal);

  TempDir dir;
  const std::string path = dir.Write("t.tbl", "10=ab\n11=a\n12=bc\n");
  const std::string rom = dir.Write("r.rom", "\x11\x12");
  EXPECT_EQ(RunTool({"-t", path, "roundtrip", rom}).status, 1);
  EXPECT_EQ(RunTool({"-t", path, "roundtrip", "--optimal", rom}).status, 0);
}

}  // namespace
}  // namespace dalvren
