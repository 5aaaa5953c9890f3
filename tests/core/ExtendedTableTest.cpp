// Reading tables in the extended syntax: what each kind of line loads as,
// why a line is ignored, which table an entry lands in, and what the loader
// reports on the way.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/ExtendedTable.h"
#include "tests/support/ExtendedTestSupport.h"

namespace dalvren {
namespace {

using namespace std::string_literals;
using test::Describe;
using test::LoadExtendedFromString;

const char* FaultName(LineFault fault) {
  switch (fault) {
    case LineFault::kNoEquals:
      return "no=";
    case LineFault::kOddCodeLength:
      return "odd";
    case LineFault::kCodeNotHex:
      return "nothex";
    case LineFault::kZeroBeforeEquals:
      return "zero";
    case LineFault::kBadSpecialCode:
      return "badcode";
    case LineFault::kLineBreakText:
      return "breaktext";
    case LineFault::kNoLabel:
      return "nolabel";
    case LineFault::kNoCount:
      return "nocount";
    case LineFault::kCountNotDecimal:
      return "notdecimal";
    case LineFault::kCountOutOfRange:
      return "range";
    case LineFault::kNoTableName:
      return "noname";
    case LineFault::kUnknownTable:
      return "unknowntable";
    case LineFault::kSwitchInNoTable:
      return "notable";
    case LineFault::kSectionTwice:
      return "twice";
  }
  return "?";
}

// Everything a load reports, one line per event, in the order reported.
struct Reported {
  std::vector<std::string> events;
  std::vector<std::string> ignored;
  std::unique_ptr<CExtendedTable> table;
};

Reported LoadReporting(const std::string& file, CLoadObserver observer = {}) {
  Reported r;
  observer.onIgnored = [&r](std::size_t line, std::string_view content,
                            LineFault fault) {
    r.ignored.push_back(std::to_string(line) + ":" + FaultName(fault));
    r.events.push_back("ignored " + std::to_string(line) + " " +
                       std::string(content));
  };
  observer.onCut = [&r](std::size_t line) {
    r.events.push_back("cut " + std::to_string(line));
  };
  observer.onSection = [&r](std::size_t line, std::string_view name) {
    r.events.push_back("section " + std::to_string(line) + " " +
                       std::string(name));
  };
  observer.onEntryKind = [&r](std::size_t line, EntryKind kind) {
    r.events.push_back("kind " + std::to_string(line) + " " +
                       std::to_string(static_cast<int>(kind)));
  };
  observer.onEntry = [&r](std::size_t line, const CByteString& code,
                          const CByteString& text) {
    r.events.push_back("entry " + std::to_string(line) + " " +
                       code.ToHex().get() + " " +
                       test::ShowBreaks(test::Contents(text)));
  };
  observer.onReplaced = [&r](std::size_t line, TableDictionary dictionary) {
    r.events.push_back(
        "replaced " + std::to_string(line) +
        (dictionary == TableDictionary::kForward ? " forward" : " reverse"));
  };
  std::istringstream in(file);
  r.table = LoadExtended(in, observer);
  return r;
}

struct LineCase {
  std::string file;
  std::vector<std::string> entries;  // as Describe shows them
  std::vector<std::string> ignored;  // "line:reason"
};

TEST(LoadExtended, EachKindOfLineLoadsAsItsEntry) {
  const LineCase cases[] = {
      // Text entries keep the plain syntax's rules, code quirks included.
      {"41=A\n8283=ab\n3D==\n4G=x\n41 =A\n",
       {"-: 04=x", "-: 3D==", "-: 41=A", "-: 8283=ab"},
       {"5:odd"}},
      // "\n" in a text is a line break; a lone backslash stays as it is.
      {"41=a\\nb\n42=\\\n43=\\\\n\n",
       {"-: 41=a\\nb", "-: 42=\\", "-: 43=\\\\n"},
       {}},
      {"*FE\n*fe0a\n", {"-: *FE", "-: *FE0A"}, {}},
      // The code is the run of digits after "*"; anything after it is
      // more than a line-break code takes.
      {"*F\n*FG\n*FEG\n*\n*FE=x\n*FE x\n*FE \tx\n",
       {},
       {"1:badcode", "2:badcode", "3:breaktext", "4:badcode", "5:breaktext",
        "6:breaktext", "7:breaktext"}},
      // Blanks and tabs after the code are invisible in an editor, and
      // nothing more.
      {"*FE \n*FD\t \n", {"-: *FD", "-: *FE"}, {}},
      // An end code without a text, or with an empty one, is written as
      // its tokens.
      {"/FF=[END]\n/FE\n/FD=\n/FC00=a\\nb\n",
       {"-: /FC00=a\\nb", "-: /FD=<$FD>", "-: /FE=<$FE>", "-: /FF=[END]"},
       {}},
      {"/F\n/=x\n/4G=x\n", {}, {"1:badcode", "2:badcode", "3:badcode"}},
      // So are they after an end code without a text, but not inside a
      // code, before it or before an "=".
      {"/FF \n/FE\t\n/F D\n/ FC\n/FB =x\n/ \n",
       {"-: /FE=<$FE>", "-: /FF=<$FF>"},
       {"3:badcode", "4:badcode", "5:badcode", "6:badcode"}},
      // The label runs to the last comma and keeps its blanks; N may have
      // blanks around it.
      {"$F5=<color>,1\n$F6=a,b,0\n$F7= x , 255 \n$F8=<p>,007\n",
       {"-: $F5=<color>,1", "-: $F6=a,b,0", "-: $F7= x ,255", "-: $F8=<p>,7"},
       {}},
      {"$F5\n$F5=<c>\n$F5=,1\n$F5=<c>,\n$F5=<c>,x1\n$F5=<c>,-1\n"
       "$F5=<c>,256\n$F5=<c>,99999999999999999999\n$5=<c>,1\n",
       {},
       {"1:nolabel", "2:nocount", "3:nolabel", "4:nocount", "5:notdecimal",
        "6:notdecimal", "7:range", "8:range", "9:badcode"}},
      // Sections, and switches to them, also to one defined further down;
      // names are trimmed.
      {"41=A\n!F0= Kana ,0\n!F1=Kanji,2\n@ Kana \n41=ア\n@Kanji\n41=亜\n",
       {"-: 41=A", "-: !F0=Kana,0", "-: !F1=Kanji,2", "Kana: 41=ア",
        "Kanji: 41=亜"},
       {}},
      {"41=A\n!F0=Nowhere,0\n!F1=,0\n!F2=Kana\n!F3=Kana,256\n@\n@Kana\n",
       {"-: 41=A"},
       {"2:unknowntable", "3:noname", "4:nocount", "5:range", "6:noname"}},
      // Comments, empty lines and a byte-order mark at the start are
      // silent; a mark later on is not skipped.
      {"\xEF\xBB\xBF#c\n\n# 41=A\n42=B\n\xEF\xBB\xBF"
       "43=C\n",
       {"-: 42=B"},
       {"5:nothex"}},
      {"\xEF\xBB\xBF"
       "41=A\n",
       {"-: 41=A"},
       {}},
      // Lines the plain syntax ignores stay ignored, for the same reasons.
      {"=A\n411=A\nG1=A\nAB\n%41=A\n",
       {},
       {"1:nothex", "2:odd", "3:nothex", "4:no=", "5:nothex"}},
      // A zero byte hides the "=" after it from both syntaxes alike.
      {"\0"
       "41=A\n4\0"
       "1=A\n\0\n41\0\n"s,
       {},
       {"1:zero", "2:zero", "3:no=", "4:no="}},
  };
  for (const LineCase& c : cases) {
    Reported r = LoadReporting(c.file);
    EXPECT_EQ(Describe(*r.table), c.entries) << testing::PrintToString(c.file);
    EXPECT_EQ(r.ignored, c.ignored) << testing::PrintToString(c.file);
  }
}

TEST(LoadExtended, TheStartTableIsWhatComesBeforeTheFirstSection) {
  const LineCase cases[] = {
      // Entries before the first section form an unnamed start table.
      {"41=A\n@Kana\n41=ア\n", {"-: 41=A", "Kana: 41=ア"}, {}},
      // Without any, the first section is the start table.
      {"# header\n@Latin\n41=A\n@Kana\n41=ア\n",
       {"Latin: 41=A", "Kana: 41=ア"},
       {}},
      // Switch codes alone before it belong to no table.
      {"!F0=Kana,0\n@Latin\n41=A\n!F0=Kana,0\n@Kana\n41=ア\n",
       {"Latin: 41=A", "Latin: !F0=Kana,0", "Kana: 41=ア"},
       {"1:notable"}},
      // Any other entry before it makes a start table, switch codes and
      // all.
      {"!F0=Kana,0\n*FE\n@Kana\n41=ア\n",
       {"-: !F0=Kana,0", "-: *FE", "Kana: 41=ア"},
       {}},
      // A file without sections is one start table, even of switch codes
      // alone, which then lead nowhere.
      {"!F0=Kana,0\n", {}, {"1:unknowntable"}},
      // A second "@Kana" is reported, and what follows it joins the first.
      {"@Latin\n41=A\n@Kana\n41=ア\n@Latin\n42=B\n@Kana\n42=イ\n",
       {"Latin: 41=A", "Latin: 42=B", "Kana: 41=ア", "Kana: 42=イ"},
       {"5:twice", "7:twice"}},
  };
  for (const LineCase& c : cases) {
    Reported r = LoadReporting(c.file);
    EXPECT_EQ(Describe(*r.table), c.entries) << testing::PrintToString(c.file);
    EXPECT_EQ(r.ignored, c.ignored) << testing::PrintToString(c.file);
    EXPECT_LT(r.table->start, r.table->sections.size());
    EXPECT_EQ(r.table->start, 0u);
  }
}

TEST(LoadExtended, ReportsEveryLineInFileOrderWithEditorLineNumbers) {
  // CR LF ends one line; the switch names a section further down, yet its
  // entry is reported in its place.
  const std::string file =
      "41=A\r\n\r\n!F0=Kana,0\r\n*FE\r\n/FF\r\nbad\r\n"
      "@Kana\r\n41=ア\r\n$F5=<c>,1\r\n" +
      std::string(600, '4') + "\r\n";
  const Reported r = LoadReporting(file);
  const std::vector<std::string> expected = {
      "kind 1 0",
      "entry 1 41 A",
      "kind 3 4",
      "entry 3 F0 ",
      "kind 4 1",
      "entry 4 FE \\n",
      "kind 5 2",
      "entry 5 FF <$FF>",
      "ignored 6 bad",
      "section 7 Kana",
      "kind 8 0",
      "entry 8 41 ア",
      "kind 9 3",
      "entry 9 F5 <c>",
      "cut 10",
      "ignored 10 " + std::string(511, '4'),
      "ignored 10 " + std::string(89, '4'),
  };
  EXPECT_EQ(r.events, expected);
}

TEST(LoadExtended, ASecondSectionOfANameIsReportedAndItsLinesJoinTheFirst) {
  const Reported r =
      LoadReporting("@Kana\n41=ア\n@Latin\n41=A\n@Kana\n42=イ\n");
  EXPECT_EQ(r.events, (std::vector<std::string>{
                          "section 1 Kana", "kind 2 0", "entry 2 41 ア",
                          "section 3 Latin", "kind 4 0", "entry 4 41 A",
                          "ignored 5 @Kana", "section 5 Kana", "kind 6 0",
                          "entry 6 42 イ"}));
  EXPECT_EQ(
      Describe(*r.table),
      (std::vector<std::string>{"Kana: 41=ア", "Kana: 42=イ", "Latin: 41=A"}));
}

TEST(LoadExtended, EntriesReplaceEachOtherOnlyWithinOneSection) {
  const Reported r =
      LoadReporting("41=A\n@Kana\n41=ア\n42=イ\n41=ウ\n43=イ\n@Latin\n41=A\n",
                    CLoadObserver());
  std::vector<std::string> replaced;
  for (const std::string& e : r.events) {
    if (e.starts_with("replaced")) replaced.push_back(e);
  }
  EXPECT_EQ(replaced, (std::vector<std::string>{"replaced 5 forward",
                                                "replaced 6 reverse"}));
  EXPECT_EQ(Describe(*r.table),
            (std::vector<std::string>{"-: 41=A", "Kana: 41=ウ", "Kana: 42=イ",
                                      "Kana: 43=イ", "Latin: 41=A"}));
  // An observer that takes only the count hears of each replacement once,
  // as in the plain syntax.
  std::string notices;
  std::istringstream in("@Kana\n41=ア\n41=イ\n42=イ\n@Latin\n41=A\n");
  (void)LoadExtended(in, test::NoticeObserver(notices));
  EXPECT_EQ(notices, "Replacing old value\nReplacing old value\n");
}

TEST(LoadExtended, ALaterWordTakesTheSpellingOfAnEndCodeFollowedByItsBreak) {
  // "E\n" stands in for the end code FF followed by the line break dump
  // writes after it, unless a text of its own says otherwise, before or
  // after.
  for (const std::string file : {"/FF=E\n41=E\\n\n", "41=E\\n\n/FF=E\n"}) {
    const auto table = LoadExtendedFromString(file);
    const CExtendedTable::Section& start = table->sections[table->start];
    const CByteString* id = start.words->Find(test::AsBytes("E\n"));
    ASSERT_NE(id, nullptr);
    EXPECT_EQ(table->EntryOf(*id).code, "\x41") << file;
    id = start.words->Find(test::AsBytes("E\r\n"));
    ASSERT_NE(id, nullptr);
    EXPECT_EQ(table->EntryOf(*id).code, "\xFF") << file;
  }
}

TEST(LoadExtended, TextsConvertBeforeTheirLineBreaksAreRead) {
  // A character set may hold a 5C byte inside a double-byte character; the
  // conversion must see the bytes as written. Section names stay as they
  // are.
  CLoadObserver observer;
  std::vector<std::string> seen;
  observer.convertText = [&seen](std::size_t, std::string& text) {
    seen.push_back(text);
    if (text == "\x83\\") text = "ソ";
    if (text == "x") text = "\\n";
  };
  std::istringstream in("41=\x83\\\n42=x\n/FF=y\n$F5=x,0\n!F0=Kana,0\n@Kana\n");
  const auto table = LoadExtended(in, observer);
  EXPECT_EQ(seen, (std::vector<std::string>{"\x83\\", "x", "y", "x"}));
  // 42's text became a line break; the label keeps its two characters.
  const CExtendedTable::Section& start = table->sections[table->start];
  EXPECT_EQ(table->EntryOf(*start.codes->Find(test::AsBytes("\x42"))).word,
            "\n");
  EXPECT_EQ(table->EntryOf(*start.codes->Find(test::AsBytes("\xF5"))).word,
            "\\n");
  EXPECT_EQ(Describe(*table),
            (std::vector<std::string>{"-: 41=ソ", "-: 42=\\n", "-: !F0=Kana,0",
                                      "-: $F5=\\n,0", "-: /FF=y"}));
}

TEST(LoadExtended, ATableIsSimpleWhenItsStartTableNeedsNoState) {
  const struct {
    const char* file;
    bool simple;
  } cases[] = {
      {"41=A\n*FE\n/FF\n$F5=<c>,0\n", true},
      // Other sections cannot be reached.
      {"41=A\n@Kana\n$F5=<c>,1\n!F0=Kana,0\n", true},
      {"41=A\n$F5=<c>,1\n", false},
      {"41=A\n!F0=Kana,0\n@Kana\n", false},
      // A switch code replaced by a text no longer counts.
      {"!F0=Kana,0\n41=A\nF0=x\n@Kana\n", true},
  };
  for (const auto& c : cases) {
    const auto table = LoadExtendedFromString(c.file);
    EXPECT_EQ(table->Simple(), c.simple) << c.file;
  }
}

TEST(LoadExtended, AFailedOrEmptyStreamGivesOneEmptyStartTable) {
  std::istringstream failed("41=A");
  failed.setstate(std::ios::failbit);
  for (const auto& table : {LoadExtended(failed), LoadExtendedFromString(""),
                            LoadExtendedFromString("#\n\n@\n")}) {
    ASSERT_EQ(table->sections.size(), 1u);
    EXPECT_TRUE(Describe(*table).empty());
    EXPECT_TRUE(table->Simple());
  }
}

}  // namespace
}  // namespace dalvren
