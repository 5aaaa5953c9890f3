#include <random>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "CodeTable.h"
#include "CoreTestSupport.h"
#include "HexWriteBuf.h"
#include "TableCheck.h"

namespace {

using namespace std::string_literals;

struct Checked {
  std::string report;
  std::size_t entries, ignored, cut, replaced;
  bool clean;
};

Checked Check(const std::string& file) {
  std::istringstream in(file);
  std::ostringstream report;
  CTableCheck check(report);
  testing::internal::CaptureStderr();
  const auto table = check.Run(in);
  testing::internal::GetCapturedStderr();
  EXPECT_NE(table, nullptr);
  return {report.str(), check.entries,  check.ignored,
          check.cut,    check.replaced, check.Clean()};
}

TEST(TableCheck, ReportsEachFaultyLineByItsEditorLineNumber) {
  // CR LF ends one line; the lone CR and the empty lines count as lines
  // but are not reported.
  const std::string file = "41=A\r\n\r\nnothing\r42=B\n\n=A\n411=A\nG1=A\n" +
                           std::string(1101, '4') + "=x\r\n41=Z\n43=B\n44=\n";
  const Checked checked = Check(file);
  EXPECT_EQ(checked.report,
            "line 3: ignored: no \"=\"\n"
            "line 6: ignored: code not starting with a hexadecimal digit\n"
            "line 7: ignored: code of odd length\n"
            "line 8: ignored: code not starting with a hexadecimal digit\n"
            "line 9: cut at 511 characters; the rest is read as further "
            "lines\n"
            "line 9: ignored: no \"=\"\n"
            "line 9: ignored: no \"=\"\n"
            "line 9: ignored: code of odd length\n"
            "line 10: replaces line 1 (forward, code 41)\n"
            "line 11: replaces line 4 (reverse, text \"B\")\n"
            "5 entries, 7 ignored lines, 1 cut line, 2 replacements\n");
  EXPECT_EQ(checked.entries, 5u);
  EXPECT_EQ(checked.ignored, 7u);
  EXPECT_EQ(checked.cut, 1u);
  EXPECT_EQ(checked.replaced, 2u);
  EXPECT_FALSE(checked.clean);
}

TEST(TableCheck, NamesTheLatestEarlierLineAndBothDirections) {
  // Line 4 repeats line 3 exactly, so it replaces it in both directions;
  // an empty text stands in no reverse entry and replaces nothing there.
  EXPECT_EQ(Check("41=A\n41=\n41=\"\\\x01\n41=\"\\\x01\n8283=A\n").report,
            "line 2: replaces line 1 (forward, code 41)\n"
            "line 3: replaces line 2 (forward, code 41)\n"
            "line 4: replaces line 3 (forward, code 41)\n"
            "line 4: replaces line 3 (reverse, text \"\\\"\\\\\\x01\")\n"
            "line 5: replaces line 1 (reverse, text \"A\")\n"
            "5 entries, 0 ignored lines, 0 cut lines, 5 replacements\n");
}

TEST(TableCheck, CleanTableHasOnlyTheSummary) {
  for (const std::string& file : {""s, "\n\r\n\r"s, "41=A\n42=B\n8283=ab"s}) {
    const Checked checked = Check(file);
    EXPECT_TRUE(checked.clean) << checked.report;
    EXPECT_EQ(checked.report.find("line "), std::string::npos);
    EXPECT_EQ(checked.report.back(), '\n');
  }
}

TEST(QuotedText, EscapesWhatATerminalWouldMangle) {
  const struct {
    std::string bytes;
    std::string quoted;
  } cases[] = {
      {"", "\"\""},
      {"Hero ", "\"Hero \""},
      {"\xe5\x8b\x87", "\"\xe5\x8b\x87\""},  // UTF-8 passes unchanged
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"\0\t\x1b\x7f"s, "\"\\x00\\x09\\x1B\\x7F\""},
  };
  for (const auto& c : cases) EXPECT_EQ(QuotedText(c.bytes), c.quoted);
}

TEST(HexWriteBuf, PiecesJoinToExactlyTheCoreRendering) {
  std::mt19937 random(7);
  std::string bytes(200000, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  const std::string whole = dalvren_test::MakeString(bytes)->ToHex().get();
  // Single bytes, odd pieces and one piece larger than the internal one.
  for (const std::size_t piece :
       {std::size_t{1}, std::size_t{777}, std::size_t{70000}, bytes.size()}) {
    std::stringbuf sink;
    CHexWriteBuf hex(sink);
    std::ostream out(&hex);
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      if (piece == 1) {
        out.put(bytes[at]);
      } else {
        out.write(bytes.data() + at, static_cast<std::streamsize>(
                                         std::min(piece, bytes.size() - at)));
      }
    }
    out.flush();
    EXPECT_TRUE(out.good());
    EXPECT_EQ(sink.str(), whole) << "piece " << piece;
  }
}

}  // namespace
