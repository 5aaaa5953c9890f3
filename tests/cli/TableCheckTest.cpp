#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/Plural.h"
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
  const auto table = check.Run(in);
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
      // The loader skips a UTF-8 byte-order mark: a note, no lost entry.
      {"\xEF\xBB\xBF"
       "41=A\n42=B\n",
       "line 1: note: the file starts with a UTF-8 byte-order mark, which is "
       "skipped\n"
       "2 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, 0 "
       "replacements\n",
       0},
      {"\xEF\xBB\xBF\r\n41=A\n",
       "line 1: note: the file starts with a UTF-8 byte-order mark, which is "
       "skipped\n"
       "1 entry, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, 0 "
       "replacements\n",
       0},
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
       "line 1: ignored: a zero byte comes before the \"=\"\n"
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

// What check makes of entries that give a code or a text again, decided on
// the whole table: only the findings about replacements and shared texts,
// and the summary's last three counts.
TEST(TableCheckReplacements, TellsAliasesDuplicatesSharedTextsAndLossesApart) {
  const struct {
    const char* what;
    std::string file;
    std::string findings;
    std::size_t aliases, duplicates, replaced;
  } cases[] = {
      {"alias", "20=x\n21=\xC2\xA1\n21=!\n",
       "line 3: alias: code 21 dumps as \"!\" (line 3); \"\xC2\xA1\" (line "
       "2) still inserts as 21\n",
       1, 0, 0},
      {"shared text", "41=A\n42=A\n",
       "line 2: warning: text \"A\" is shared by codes 41 (line 1) and 42 "
       "(line 2); insert writes only 42\n",
       0, 0, 0},
      {"duplicate, named by the latest line it repeats",
       "41=A\n42=B\n41=A\n41=A\n",
       "line 3: duplicate of line 1\n"
       "line 4: duplicate of line 3\n",
       0, 2, 0},
      {"duplicate of an empty text", "41=\n41=\n",
       "line 2: duplicate of line 1\n", 0, 1, 0},
      {"real loss", "41=A\n41=B\n42=A\n",
       "line 3: replacement: 41=\"A\" (line 1) is lost: code 41 dumps as "
       "\"B\" (line 2), \"A\" inserts as 42 (line 3)\n",
       0, 0, 1},
      {"an empty text loses its code", "41=\n41=B\n",
       "line 2: replacement: 41=\"\" (line 1) is lost: code 41 dumps as "
       "\"B\" (line 2)\n",
       0, 0, 1},
      {"a code given an empty text keeps its old text for insert",
       "41=B\n41=\n",
       "line 2: alias: code 41 dumps as \"\" (line 2); \"B\" (line 1) still "
       "inserts as 41\n",
       1, 0, 0},
      {"code replaced twice", "21=a\n21=b\n21=c\n",
       "line 2: alias: code 21 dumps as \"c\" (line 3); \"a\" (line 1) still "
       "inserts as 21\n"
       "line 3: alias: code 21 dumps as \"c\" (line 3); \"b\" (line 2) still "
       "inserts as 21\n",
       2, 0, 0},
      {"text moved between codes", "41=A\n42=A\n41=B\n",
       "line 3: replacement: 41=\"A\" (line 1) is lost: code 41 dumps as "
       "\"B\" (line 3), \"A\" inserts as 42 (line 2)\n",
       0, 0, 1},
      {"text moved, the old code keeping it for dump", "41=A\n42=A\n42=B\n",
       "line 3: alias: code 42 dumps as \"B\" (line 3); \"A\" (line 2) still "
       "inserts as 42\n",
       1, 0, 0},
      {"alias whose earlier text a later line takes away",
       "21=\xC2\xA1\n21=!\n22=\xC2\xA1\n",
       "line 3: replacement: 21=\"\xC2\xA1\" (line 1) is lost: code 21 dumps "
       "as \"!\" (line 2), \"\xC2\xA1\" inserts as 22 (line 3)\n",
       0, 0, 1},
      {"alias whose text a later line shares", "21=a\n21=b\n22=b\n",
       "line 2: alias: code 21 dumps as \"b\" (line 2); \"a\" (line 1) still "
       "inserts as 21\n"
       "line 3: warning: text \"b\" is shared by codes 21 (line 2) and 22 "
       "(line 3); insert writes only 22\n",
       1, 0, 0},
      {"a replaced pair given back is no finding", "41=A\n41=B\n41=A\n",
       "line 3: alias: code 41 dumps as \"A\" (line 3); \"B\" (line 2) still "
       "inserts as 41\n",
       1, 0, 0},
      {"a pair replaced again after it came back is told once",
       "41=A\n41=B\n41=A\n41=C\n42=A\n",
       "line 3: alias: code 41 dumps as \"C\" (line 4); \"B\" (line 2) still "
       "inserts as 41\n"
       "line 5: replacement: 41=\"A\" (line 3) is lost: code 41 dumps as "
       "\"C\" (line 4), \"A\" inserts as 42 (line 5)\n",
       1, 0, 1},
      {"a duplicate that takes a shared text back", "41=A\n42=A\n41=A\n",
       "line 3: duplicate of line 1\n"
       "line 3: warning: text \"A\" is shared by codes 42 (line 2) and 41 "
       "(line 3); insert writes only 41\n",
       0, 1, 0},
      {"every kind at once, in line order",
       "41=A\n41=B\n42=A\n43=C\n43=C\n44=x\n44=y\n45=y\n",
       "line 3: replacement: 41=\"A\" (line 1) is lost: code 41 dumps as "
       "\"B\" (line 2), \"A\" inserts as 42 (line 3)\n"
       "line 5: duplicate of line 4\n"
       "line 7: alias: code 44 dumps as \"y\" (line 7); \"x\" (line 6) still "
       "inserts as 44\n"
       "line 8: warning: text \"y\" is shared by codes 44 (line 7) and 45 "
       "(line 8); insert writes only 45\n",
       1, 1, 1},
  };
  for (const auto& c : cases) {
    const Checked checked = Check(c.file);
    std::string findings;
    std::istringstream lines(checked.report);
    for (std::string line; std::getline(lines, line);) {
      if (line.find(": warning: code ") == std::string::npos &&
          line.starts_with("line ")) {
        findings += line + '\n';
      }
    }
    EXPECT_EQ(findings, c.findings) << c.what;
    EXPECT_EQ(checked.aliases, c.aliases) << c.what;
    EXPECT_EQ(checked.duplicates, c.duplicates) << c.what;
    EXPECT_EQ(checked.replaced, c.replaced) << c.what;
    EXPECT_EQ(checked.clean, c.replaced == 0) << c.what;
    const std::string summary = checked.report.substr(
        checked.report.rfind('\n', checked.report.size() - 2) + 1);
    EXPECT_TRUE(summary.ends_with(
        Plural(static_cast<std::int64_t>(c.aliases), "alias", "aliases") +
        ", " +
        Plural(static_cast<std::int64_t>(c.duplicates), "duplicate",
               "duplicates") +
        ", " +
        Plural(static_cast<std::int64_t>(c.replaced), "replacement",
               "replacements") +
        "\n"))
        << c.what << ": " << summary;
  }
}

TEST(TableCheckReplacements, SummaryCountsEachKindApart) {
  const Checked checked =
      Check("21=\xC2\xA1\n21=!\n30=X\n30=X\n41=A\n41=B\n42=A\n");
  EXPECT_TRUE(checked.report.ends_with(
      "7 entries, 0 ignored lines, 0 cut lines, 1 alias, 1 duplicate, 1 "
      "replacement\n"))
      << checked.report;
  EXPECT_EQ(checked.warnings, 0u) << "aliases and duplicates are apart";
}

// A loader of another syntax that feeds the same events: entries whose line
// numbers leave gaps (its own headers, say) and an ignored line.
TEST(TableCheckReplacements, AnotherLoaderFeedingTheSameEventsIsCheckedAlike) {
  const struct {
    std::size_t line;
    std::string code, text;
  } entries[] = {{2, "\x41", "A"}, {3, "\x41", "B"}, {5, "\x42", "A"},
                 {6, "\x43", "C"}, {7, "\x43", "C"}, {9, "\x44", "x"},
                 {10, "\x44", "y"}};
  std::ostringstream report;
  CTableCheck check(report);
  const CLoadObserver observer = check.Observer();
  auto table = std::make_unique<CCodeTable>();
  observer.onIgnored(1, "[section]", LineFault::kNoEquals);
  for (const auto& e : entries) {
    const auto code = test::MakeString(e.code);
    const auto text = test::MakeString(e.text);
    observer.onEntry(e.line, *code, *text);
    bool replaced = false;
    if (table->forward->Insert(*code, *text, replaced) && replaced) {
      observer.onReplaced(e.line, TableDictionary::kForward);
    }
    replaced = false;
    if (table->reverse->Insert(*text, *code, replaced) && replaced) {
      observer.onReplaced(e.line, TableDictionary::kReverse);
    }
  }
  check.Finish(*table);

  // The same entries as a file the core's loader reads, line for line.
  const Checked core = Check(
      "[section]\n41=A\n41=B\n\n42=A\n43=C\n43=C\n\n"
      "44=x\n44=y\n");
  EXPECT_EQ(report.str(), core.report);
  EXPECT_EQ(report.str(),
            "line 1: ignored: no \"=\"\n"
            "line 5: replacement: 41=\"A\" (line 2) is lost: code 41 dumps as "
            "\"B\" (line 3), \"A\" inserts as 42 (line 5)\n"
            "line 7: duplicate of line 6\n"
            "line 10: alias: code 44 dumps as \"y\" (line 10); \"x\" (line 9) "
            "still inserts as 44\n"
            "7 entries, 1 ignored line, 0 cut lines, 1 alias, 1 duplicate, 1 "
            "replacement\n");
}

// A loader may keep some entries for insert only (codes that dump as
// nothing of their own, say); a replaced pair is judged on what it stored.
TEST(TableCheckReplacements, JudgesOnWhatTheLoaderStored) {
  std::ostringstream report;
  CTableCheck check(report);
  const CLoadObserver observer = check.Observer();
  CCodeTable table;
  const auto code41 = test::MakeString("\x41");
  const auto code42 = test::MakeString("\x42");
  const auto text = test::MakeString("A");
  observer.onEntry(1, *code41, *text);
  ASSERT_TRUE(table.reverse->Insert(*text, *code41));
  observer.onEntry(2, *code42, *text);
  ASSERT_TRUE(table.forward->Insert(*code42, *text));
  bool replaced = false;
  ASSERT_TRUE(table.reverse->Insert(*text, *code42, replaced));
  ASSERT_TRUE(replaced);
  observer.onReplaced(2, TableDictionary::kReverse);
  check.Finish(table);
  EXPECT_EQ(report.str(),
            "line 2: replacement: 41=\"A\" (line 1) is lost: code 41 is not "
            "in the table, \"A\" inserts as 42 (line 2)\n"
            "2 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 "
            "duplicates, 1 replacement\n");
  EXPECT_FALSE(check.Clean());
}

}  // namespace
}  // namespace dalvren
