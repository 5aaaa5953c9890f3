#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/HexWriteBuf.h"
#include "cli/TableCheck.h"
#include "core/CodeTable.h"
#include "tests/support/CoreTestSupport.h"

namespace dalvren {
namespace {

using namespace std::string_literals;

struct Checked {
  std::string report;
  std::size_t entries, ignored, cut, aliases, duplicates, replaced, warnings;
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
  return {report.str(),   check.entries,  check.ignored,
          check.cut,      check.aliases,  check.duplicates,
          check.replaced, check.warnings, check.Clean()};
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
            "line 12: warning: code 44 has an empty text: dump drops it and "
            "insert never writes it\n"
            "line 10: alias: code 41 dumps as \"Z\" (line 10); \"A\" (line 1) "
            "still inserts as 41\n"
            "line 11: warning: text \"B\" is shared by codes 42 (line 4) and "
            "43 (line 11); insert writes only 43\n"
            "2 warnings\n"
            "5 entries, 7 ignored lines, 1 cut line, 1 alias, 0 duplicates, "
            "0 replacements\n");
  EXPECT_EQ(checked.entries, 5u);
  EXPECT_EQ(checked.ignored, 7u);
  EXPECT_EQ(checked.cut, 1u);
  EXPECT_EQ(checked.aliases, 1u);
  EXPECT_EQ(checked.replaced, 0u);
  EXPECT_FALSE(checked.clean);
}

TEST(TableCheck, NamesTheLatestEarlierLineAndBothDirections) {
  // Line 4 repeats line 3 exactly. An empty text stands in no reverse
  // entry, so once line 3 takes its code, line 2 has nothing left. Line 2
  // takes code 41 from dump and line 5 takes "A" from insert: the pair of
  // line 1 is lost, told once, by the later line.
  EXPECT_EQ(Check("41=A\n41=\n41=\"\\\x01\n41=\"\\\x01\n8283=A\n").report,
            "line 2: warning: code 41 has an empty text: dump drops it and "
            "insert never writes it\n"
            "line 3: replacement: 41=\"\" (line 2) is lost: code 41 dumps as "
            "\"\\\"\\\\\\x01\" (line 4)\n"
            "line 4: duplicate of line 3\n"
            "line 5: replacement: 41=\"A\" (line 1) is lost: code 41 dumps as "
            "\"\\\"\\\\\\x01\" (line 4), \"A\" inserts as 8283 (line 5)\n"
            "1 warning\n"
            "5 entries, 0 ignored lines, 0 cut lines, 0 aliases, 1 duplicate, "
            "2 replacements\n");
}

TEST(TableCheck, CleanTableHasOnlyTheSummary) {
  for (const std::string& file : {""s, "\n\r\n\r"s, "41=A\n42=B\n8283=ab"s}) {
    const Checked checked = Check(file);
    EXPECT_TRUE(checked.clean) << checked.report;
    EXPECT_EQ(checked.report.find("line "), std::string::npos);
    EXPECT_EQ(checked.report.back(), '\n');
  }
}

TEST(TableCheck, WarnsAboutEntriesThatLoadButAreLikelyMistakes) {
  const struct {
    std::string file;
    std::string report;
    std::size_t warnings;
  } cases[] = {
      {"\xEF\xBB\xBF"
       "41=A\n42=B\n",
       "line 1: ignored: code not starting with a hexadecimal digit\n"
       "line 1: warning: the file starts with a UTF-8 byte-order mark, which "
       "hides the code of this line: its entry is lost (save the table "
       "without it)\n"
       "1 warning\n"
       "1 entry, 1 ignored line, 0 cut lines, 0 aliases, 0 duplicates, 0 "
       "replacements\n",
       1},
      {"\xEF\xBB\xBF\r\n41=A\n",
       "line 1: ignored: no \"=\"\n"
       "line 1: warning: the file starts with a UTF-8 byte-order mark (save "
       "the table without it)\n"
       "1 warning\n"
       "1 entry, 1 ignored line, 0 cut lines, 0 aliases, 0 duplicates, 0 "
       "replacements\n",
       1},
      // Only the start of the file is checked.
      {"41=A\n\xEF\xBB\xBF"
       "42=B\n",
       "line 2: ignored: code not starting with a hexadecimal digit\n"
       "1 entry, 1 ignored line, 0 cut lines, 0 aliases, 0 duplicates, 0 "
       "replacements\n",
       0},
      {"\xFF\xFE"
       "4\0"
       "1\0=\0A\0\n\0"s,
       "line 1: ignored: no \"=\"\n"
       "line 1: warning: the file starts with a UTF-16 byte-order mark: no "
       "line of it can load (save the table as UTF-8)\n"
       "line 2: ignored: no \"=\"\n"
       "1 warning\n"
       "0 entries, 2 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, 0 "
       "replacements\n",
       1},
      // Texts of blanks only are the codes of blanks, and blanks inside a
      // text are part of it.
      {"41= A\n42=B \n43= C \n44=\tD\n20= \n09=\t\n45=E F\n",
       "line 1: warning: text \" A\" starts with a blank\n"
       "line 2: warning: text \"B \" ends with a blank\n"
       "line 3: warning: text \" C \" starts and ends with a blank\n"
       "line 4: warning: text \"\\x09D\" starts with a blank\n"
       "4 warnings\n"
       "7 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, 0 "
       "replacements\n",
       4},
      {"41=\n42=B\n",
       "line 1: warning: code 41 has an empty text: dump drops it and insert "
       "never writes it\n"
       "1 warning\n"
       "2 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, 0 "
       "replacements\n",
       1},
      {"41=A\n42=A\n43=B\n8081=A\n",
       "line 4: warning: text \"A\" is shared by codes 41 (line 1), 42 (line "
       "2) and 8081 (line 4); insert writes only 8081\n"
       "1 warning\n"
       "4 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, "
       "0 replacements\n",
       1},
      // Once 42 means B, "A" has one code left, though insert writes 42.
      {"41=A\n42=A\n42=B\n",
       "line 3: alias: code 42 dumps as \"B\" (line 3); \"A\" (line 2) still "
       "inserts as 42\n"
       "3 entries, 0 ignored lines, 0 cut lines, 1 alias, 0 duplicates, 0 "
       "replacements\n",
       0},
      // Shared texts are listed by their last line.
      {"01=x\n02=x\n03=x\n04=x\n05=x\n06=x\n07=x\n10=y\n11=y\n",
       "line 7: warning: text \"x\" is shared by codes 01 (line 1), 02 (line "
       "2), 03 (line 3), 04 (line 4), 05 (line 5) and 2 more; insert writes "
       "only 07\n"
       "line 9: warning: text \"y\" is shared by codes 10 (line 8) and 11 "
       "(line 9); insert writes only 11\n"
       "2 warnings\n"
       "9 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, "
       "0 replacements\n",
       2},
      {"41=\x82\xA0\n42=\x83\x41\n43=ok\n",
       "line 1: warning: text is not valid UTF-8 (82 A0)\n"
       "line 2: warning: text is not valid UTF-8 (83 41)\n"
       "texts not valid UTF-8: looks like Shift_JIS; try --table-encoding "
       "Shift_JIS\n"
       "2 warnings\n"
       "3 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, 0 "
       "replacements\n",
       2},
      {"41=caf\xE9 au lait\n",
       "line 1: warning: text is not valid UTF-8 (63 61 66 E9 20 61 75 20 "
       "...)\n"
       "texts not valid UTF-8: looks like windows-1252; try --table-encoding "
       "windows-1252\n"
       "1 warning\n"
       "1 entry, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, 0 "
       "replacements\n",
       1},
      {"41=\x81\n",
       "line 1: warning: text is not valid UTF-8 (81)\n"
       "texts not valid UTF-8: no guess (they are not EUC-JP, Shift_JIS, "
       "CP932 or windows-1252 either)\n"
       "1 warning\n"
       "1 entry, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, 0 "
       "replacements\n",
       1},
  };
  for (const auto& c : cases) {
    const Checked checked = Check(c.file);
    EXPECT_EQ(checked.report, c.report) << testing::PrintToString(c.file);
    EXPECT_EQ(checked.warnings, c.warnings) << testing::PrintToString(c.file);
  }
}

TEST(TableCheck, WarningsAreCountedApartFromFindings) {
  std::istringstream in("41=A \n42=\n");
  std::ostringstream report;
  CTableCheck check(report);
  const auto table = check.Run(in);
  EXPECT_EQ(check.warnings, 2u);
  EXPECT_TRUE(check.Clean()) << "warnings alone leave a table clean";
}

TEST(TableCheck, ChecksTextsAsConvertedWhenAConversionIsGiven) {
  std::istringstream in("41=\x82\xA0\n42=B\n");
  std::ostringstream report;
  CTableCheck check(report);
  std::vector<std::size_t> lines;
  const auto table = check.Run(in, [&](std::size_t line, std::string& text) {
    lines.push_back(line);
    if (text == "\x82\xA0") text = "あ ";
  });
  EXPECT_EQ(lines, (std::vector<std::size_t>{1, 2}));
  EXPECT_EQ(
      report.str(),
      "line 1: warning: text \"あ \" ends with a blank\n"
      "1 warning\n"
      "2 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, 0 "
      "replacements\n");
  const auto* code = table->reverse->Find(test::AsBytes("あ "));
  ASSERT_NE(code, nullptr);
  EXPECT_EQ(test::Contents(*code), "A");
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
  const std::string whole = test::MakeString(bytes)->ToHex().get();
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
}  // namespace dalvren
