#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/CodeTable.h"
#include "core/KeyMatch.h"
#include "tests/support/CoreTestSupport.h"

namespace dalvren {
namespace {

using namespace std::string_literals;
using test::AsBytes;
using test::Contents;
using test::Hex;

// Every key of a dictionary with its value, in byte order, as "key=value"
// lines with the key in hex: a readable picture of a whole dictionary.
std::vector<std::string> Entries(const CCodeDictionary& dict) {
  std::vector<std::string> out;
  ForEachKey(dict, [&out](std::string_view key, const CByteString& value) {
    out.push_back(test::MakeString(key)->ToHex().get() + "="s +
                  Contents(value));
  });
  return out;
}

struct LoadCase {
  std::string file;
  std::vector<std::string> forward;  // hex code "=" text
  std::vector<std::string> reverse;  // hex of text "=" code bytes
};

std::string HexOf(const std::string& s) {
  return test::MakeString(s)->ToHex().get();
}

TEST(Load, ReadsEntryLinesByTheLineRules) {
  const std::string long600 = "41=" + std::string(508, 'a') + "4243=b" +
                              std::string(83, 'c');  // 600 characters
  ASSERT_EQ(long600.size(), 600u);
  const LoadCase cases[] = {
      {"41=A", {"41=A"}, {"41=" + Hex("41")}},
      {"8283=ab", {"8283=ab"}, {HexOf("ab") + "=" + Hex("82 83")}},
      {"3D==", {"3D=="}, {"3D=" + Hex("3D")}},
      {"41= A ", {"41= A "}, {HexOf(" A ") + "=" + Hex("41")}},
      {"41=a=b", {"41=a=b"}, {HexOf("a=b") + "=" + Hex("41")}},
      // An empty text stands in the forward direction only.
      {"41=", {"41="}, {}},
      // Ignored: no code, odd code, code not starting with a hex digit,
      // a blank before "=", no "=" at all.
      {"=A\n411=A\nG1=A\n41 =A\nAB\n", {}, {}},
      // Only the first character is tested; later pairs convert by strtol.
      {"4G=x", {"04=x"}, {HexOf("x") + "=" + Hex("04")}},
      {"4GGG=x", {"0400=x"}, {HexOf("x") + "=" + Hex("04 00")}},
      {"a -1=x", {"0AFF=x"}, {HexOf("x") + "=" + Hex("0A FF")}},
      // The last line needs no line end, and its text is exactly its bytes.
      {"41=A\n42=B", {"41=A", "42=B"}, {"41=A", "42=B"}},
      // A single character between line ends is ignored; the rest loads.
      {"41=A\nx\n42=B\n", {"41=A", "42=B"}, {"41=A", "42=B"}},
      // 0xFF is an ordinary text byte, not an end of file.
      {"41=\xff"
       "B\n42=C",
       {"41=\xff"
        "B",
        "42=C"},
       {"FF42=A", "43=B"}},
      // The first "=" is only searched for up to a zero byte.
      {"41\0=A\n42=B"s, {"42=B"}, {"42=B"}},
      // A zero byte after the "=" belongs to the text.
      {"41=A\0B\n"s, {"41=A\0B"s}, {"410042=A"}},
      // A line longer than 511 characters is cut after its 511th; the rest
      // is read as a new line.
      {long600,
       {"41=" + std::string(508, 'a'), "4243=b" + std::string(83, 'c')},
       {HexOf(std::string(508, 'a')) + "=A",
        HexOf("b" + std::string(83, 'c')) + "=" + Hex("42 43")}},
      {"", {}, {}},
      {"\n\r\n\r\r\n", {}, {}},
      // A UTF-8 byte-order mark at the very start of the file is skipped,
      // also on a line of its own; anywhere else it is the line's.
      {"\xEF\xBB\xBF"
       "41=A\n42=B\n",
       {"41=A", "42=B"},
       {"41=A", "42=B"}},
      {"\xEF\xBB\xBF\r\n41=A", {"41=A"}, {"41=A"}},
      {"\xEF\xBB\xBF\xEF\xBB\xBF"
       "41=A",
       {},
       {}},
      {"\n\xEF\xBB\xBF"
       "41=A\n42=\xEF\xBB\xBF\n",
       {"42=\xEF\xBB\xBF"},
       {"EFBBBF=B"}},
  };
  for (const auto& c : cases) {
    auto table = test::LoadFromString(c.file);
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->forward, nullptr);
    ASSERT_NE(table->reverse, nullptr);
    EXPECT_EQ(Entries(*table->forward), c.forward)
        << testing::PrintToString(c.file);
    auto reverse = Entries(*table->reverse);
    std::sort(reverse.begin(), reverse.end());
    auto expectedReverse = c.reverse;
    std::sort(expectedReverse.begin(), expectedReverse.end());
    EXPECT_EQ(reverse, expectedReverse) << testing::PrintToString(c.file);
  }
}

TEST(Load, LineOfExactlyTheLimitIsNotCut) {
  const std::string line511 = "41=" + std::string(508, 'a');
  for (const char* end : {"", "\n", "\r\n"}) {
    auto table = test::LoadFromString(line511 + end + "42=B");
    EXPECT_EQ(
        Entries(*table->forward),
        (std::vector<std::string>{"41=" + std::string(508, 'a'), "42=B"}));
  }
}

TEST(Load, AnyMixOfLineEndsGivesTheSameTable) {
  const std::vector<std::string> lines = {"41=A", "42=B", "8283=ab", "C0=the"};
  std::vector<std::vector<std::string>> seen;
  for (const char* end : {"\n", "\r", "\r\n", "\n\n", "\r\r\n\n"}) {
    std::string file;
    for (const auto& line : lines) file += line + end;
    auto table = test::LoadFromString(file);
    seen.push_back(Entries(*table->forward));
    EXPECT_EQ(Entries(*table->reverse).size(), lines.size());
  }
  for (const auto& s : seen) EXPECT_EQ(s, seen.front());
  EXPECT_EQ(seen.front().size(), lines.size());
}

TEST(Load, LaterLineWinsAndEachReplacementIsReported) {
  std::string notices;
  // 41 is given twice (forward replacement); "A" is given by 41 and 42
  // (reverse replacement); the third line replaces in both directions.
  std::istringstream in("41=A\n42=A\n41=A\n");
  auto table = Load(in, test::NoticeObserver(notices));
  EXPECT_EQ(notices,
            "Replacing old value\nReplacing old value\nReplacing old value\n");
  EXPECT_EQ(Contents(*table->reverse->Find(AsBytes("A"))), Hex("41"));
  EXPECT_EQ(Entries(*table->forward),
            (std::vector<std::string>{"41=A", "42=A"}));
}

TEST(Load, FailedOrEmptyStreamGivesTwoEmptyDictionaries) {
  std::istringstream failed("41=A");
  failed.setstate(std::ios::failbit);
  for (std::istream* in : {static_cast<std::istream*>(&failed)}) {
    auto table = Load(*in);
    ASSERT_NE(table->forward, nullptr);
    ASSERT_NE(table->reverse, nullptr);
    EXPECT_TRUE(Entries(*table->forward).empty());
    EXPECT_TRUE(Entries(*table->reverse).empty());
  }
  auto empty = test::LoadFromString("");
  EXPECT_TRUE(Entries(*empty->forward).empty());
}

TEST(Load, TranslatesBothWaysThroughTheLoadedTable) {
  auto table = test::LoadFromString(
      "41=A\n42=B\n4142=X\n8283=\xe3\x81\x82\nC1=the\n74=t\n68=h\n65=e\n");
  EXPECT_EQ(test::TranslateToString(*table->forward, Hex("41 42 41 82 83 C1")),
            "XA\xe3\x81\x82the");
  EXPECT_EQ(test::TranslateToString(*table->reverse, "XAB\xe3\x81\x82then"),
            Hex("41 42 41 42 82 83 C1"));
}

TEST(Load, TenMegabyteLineIsReadAsCutPiecesWithoutLosingTheFirstEntry) {
  const std::string line = "41=" + std::string(10'000'000, 'a');
  const std::string file = line + "\n42=B";
  std::size_t cuts = 0;
  CLoadObserver observer;
  observer.onCut = [&cuts](std::size_t line) {
    EXPECT_EQ(line, 1u);
    ++cuts;
  };
  std::istringstream in(file);
  auto table = Load(in, observer);
  // A cut is made after every full piece that more characters follow.
  EXPECT_EQ(cuts, (line.size() - 1) / kMaxTableLine);
  EXPECT_EQ(Entries(*table->forward),
            (std::vector<std::string>{"41=" + std::string(508, 'a'), "42=B"}));
}

TEST(Load, BinaryGarbageLoadsAndKeepsEveryReportedEntry) {
  std::mt19937 rng(99);
  std::string file(1 << 20, '\0');
  for (char& c : file) c = static_cast<char>(rng() % 4 == 0 ? '=' : rng());
  std::size_t entries = 0;
  CLoadObserver observer;
  std::vector<std::string> codes;
  observer.onEntry = [&](std::size_t, const CByteString& code,
                         const CByteString&) {
    ++entries;
    codes.push_back(Contents(code));
  };
  std::istringstream in(file);
  auto table = Load(in, observer);
  EXPECT_GT(entries, 0u);
  for (const auto& code : codes) {
    EXPECT_NE(table->forward->Find(AsBytes(code)), nullptr);
  }
}

TEST(LoadObserver, ConvertedTextsAreWhatIsStoredAndReported) {
  CLoadObserver observer;
  std::vector<std::size_t> lines;
  observer.convertText = [&lines](std::size_t line, std::string& text) {
    lines.push_back(line);
    text = "<" + text + ">";
  };
  std::vector<std::string> reported;
  observer.onEntry = [&reported](std::size_t, const CByteString&,
                                 const CByteString& text) {
    reported.push_back(Contents(text));
  };
  std::istringstream in("41=A\nxx\n42=\n");
  auto table = Load(in, observer);
  EXPECT_EQ(lines, (std::vector<std::size_t>{1, 3}));
  EXPECT_EQ(reported, (std::vector<std::string>{"<A>", "<>"}));
  EXPECT_EQ(Entries(*table->forward),
            (std::vector<std::string>{"41=<A>", "42=<>"}));
  EXPECT_EQ(Contents(*table->reverse->Find(AsBytes("<>"))), Hex("42"));
}

struct Report {
  std::vector<std::string> events;
};

CLoadObserver Recorder(Report& report) {
  CLoadObserver observer;
  observer.onIgnored = [&report](std::size_t line, std::string_view content,
                                 LineFault fault) {
    report.events.push_back("ignored " + std::to_string(line) + " " +
                            std::to_string(static_cast<int>(fault)) + " " +
                            std::string(content));
  };
  observer.onCut = [&report](std::size_t line) {
    report.events.push_back("cut " + std::to_string(line));
  };
  observer.onEntry = [&report](std::size_t line, const CByteString& code,
                               const CByteString& text) {
    report.events.push_back("entry " + std::to_string(line) + " " +
                            code.ToHex().get() + " " + Contents(text));
  };
  observer.onReplaced = [&report](std::size_t line, TableDictionary direction) {
    report.events.push_back(
        "replaced " + std::to_string(line) +
        (direction == TableDictionary::kForward ? " forward" : " reverse"));
  };
  return observer;
}

TEST(LoadObserver, ReportsPhysicalLineNumbersAsAnEditorCountsThem) {
  Report report;
  const std::string file = "41=A\r\n\r\nnothing\r42=B\n\n=A\n411=A\nG1=A\n" +
                           std::string(520, '4') + "=x\r\n41=Z\n43=B";
  std::istringstream in(file);
  auto table = Load(in, Recorder(report));
  const int noEquals = static_cast<int>(LineFault::kNoEquals);
  const int notHex = static_cast<int>(LineFault::kCodeNotHex);
  const int odd = static_cast<int>(LineFault::kOddCodeLength);
  const std::vector<std::string> expected = {
      "entry 1 41 A",
      "ignored 3 " + std::to_string(noEquals) + " nothing",
      "entry 4 42 B",
      "ignored 6 " + std::to_string(notHex) + " =A",
      "ignored 7 " + std::to_string(odd) + " 411=A",
      "ignored 8 " + std::to_string(notHex) + " G1=A",
      "cut 9",
      "ignored 9 " + std::to_string(noEquals) + " " + std::string(511, '4'),
      "ignored 9 " + std::to_string(odd) + " 444444444=x",
      "entry 10 41 Z",
      "replaced 10 forward",
      "entry 11 43 B",
      "replaced 11 reverse",
  };
  EXPECT_EQ(report.events, expected);
}

TEST(LoadObserver, SkippedByteOrderMarkIsReportedOnce) {
  for (const char* file : {"\xEF\xBB\xBF"
                           "41=A",
                           "\xEF\xBB\xBF\n41=A"}) {
    SCOPED_TRACE(testing::PrintToString(file));
    Report report;
    CLoadObserver observer = Recorder(report);
    observer.onByteOrderMark = [&report] { report.events.push_back("mark"); };
    std::istringstream in(file);
    auto table = Load(in, observer);
    const std::size_t entryLine = file[3] == '\n' ? 2 : 1;
    EXPECT_EQ(report.events,
              (std::vector<std::string>{
                  "mark", "entry " + std::to_string(entryLine) + " 41 A"}));
  }
}

// The loader writes nothing itself (scripts/check-layers.sh keeps standard
// streams out of the core): replacements reach the observer's onReplaced,
// one call each, where a caller may write the classic line; without it
// they go untold, and the table is the same either way.
TEST(LoadObserver, ReplacementsGoToTheObserverOnly) {
  const std::string file = "41=A\n41=B\n42=B\n";
  struct Case {
    const char* name;
    bool observed;
    bool takesReplacements;
    const char* noticeText;
    std::size_t replacements;
  };
  const Case cases[] = {
      {"no observer", false, false, "", 0},
      {"observer without onReplaced", true, false, "", 0},
      {"observer with onReplaced", true, true,
       "Replacing old value\nReplacing old value\n", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::size_t replacements = 0;
    std::string notices;
    CLoadObserver observer;
    observer.onEntry = [](std::size_t, const CByteString&, const CByteString&) {
    };
    if (c.takesReplacements) {
      observer.onReplaced = [&](std::size_t line, TableDictionary which) {
        ++replacements;
        test::NoticeObserver(notices).onReplaced(line, which);
      };
    }
    std::istringstream in(file);
    auto table = c.observed ? Load(in, observer) : Load(in);
    EXPECT_EQ(notices, c.noticeText);
    EXPECT_EQ(replacements, c.replacements);
    EXPECT_EQ(Contents(*table->forward->Find(AsBytes("\x41"))), "B");
    EXPECT_EQ(Contents(*table->reverse->Find(AsBytes("B"))), "\x42");
  }
}

// Each replacement names its key and what the key held since which line,
// before the count of replacements hears of it.
TEST(LoadObserver, AReplacementNamesItsKeyAndWhatItHeldSinceWhichLine) {
  std::vector<std::string> seen;
  CLoadObserver observer;
  observer.onReplacement = [&seen](const CReplacement& r) {
    const bool forward = r.dictionary == TableDictionary::kForward;
    seen.push_back(std::to_string(r.line) + (forward ? " code " : " text ") +
                   std::string(r.key) + ": " + std::string(r.earlier) + "@" +
                   std::to_string(r.earlierLine) + " -> " + std::string(r.now));
  };
  observer.onReplaced = [&seen](std::size_t line, TableDictionary) {
    seen.push_back(std::to_string(line) + " counted");
  };
  std::istringstream in("41=A\n42=\0B\n41=B\n43=\0B\n41=B\n"s);
  const auto table = Load(in, observer);
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "3 code A: A@1 -> B",
                      "3 counted",
                      "4 text \0B: B@2 -> C"s,
                      "4 counted",
                      "5 code A: B@3 -> B",
                      "5 counted",
                      "5 text B: A@3 -> A",
                      "5 counted",
                  }));
}

TEST(LoadObserver, OnlyALineLongerThanTheLimitIsCut) {
  const std::string text511(kMaxTableLine - 3, 'a');
  const std::string line511 = "41=" + text511;
  const std::string line512 = line511 + "b";
  // The reader takes the file in blocks of 64 KiB: empty lines put the
  // limit's last character at the end of the first block, so that seeing
  // the line end needs the next one.
  const std::string blockFill(64 * 1024 - kMaxTableLine, '\n');
  const std::string blockLine = std::to_string(blockFill.size() + 1);
  const int noEquals = static_cast<int>(LineFault::kNoEquals);
  const struct {
    std::string file;
    std::vector<std::string> events;
  } cases[] = {
      {line511, {"entry 1 41 " + text511}},
      {line511 + "\n42=B", {"entry 1 41 " + text511, "entry 2 42 B"}},
      {line511 + "\r\n42=B", {"entry 1 41 " + text511, "entry 2 42 B"}},
      {line511 + "\r42=B", {"entry 1 41 " + text511, "entry 2 42 B"}},
      {blockFill + line511 + "\n42=B",
       {"entry " + blockLine + " 41 " + text511,
        "entry " + std::to_string(blockFill.size() + 2) + " 42 B"}},
      {line512,
       {"cut 1", "entry 1 41 " + text511,
        "ignored 1 " + std::to_string(noEquals) + " b"}},
      {line512 + "\r\n42=B",
       {"cut 1", "entry 1 41 " + text511,
        "ignored 1 " + std::to_string(noEquals) + " b", "entry 2 42 B"}},
      {blockFill + line512 + "\n",
       {"cut " + blockLine, "entry " + blockLine + " 41 " + text511,
        "ignored " + blockLine + " " + std::to_string(noEquals) + " b"}},
  };
  for (const auto& c : cases) {
    Report report;
    std::istringstream in(c.file);
    auto table = Load(in, Recorder(report));
    EXPECT_EQ(report.events, c.events) << c.file.size() << " bytes";
  }
}

}  // namespace
}  // namespace dalvren
