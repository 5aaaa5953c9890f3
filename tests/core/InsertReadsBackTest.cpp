// Scripts that dump wrote and insert once failed to read back: each is
// read back now, into bytes that dump to the very same script.
#include <string>

#include <gtest/gtest.h>

#include "tests/support/ExtendedTestSupport.h"

namespace dalvren {
namespace {

using test::DumpToString;
using test::Hex;
using test::InsertToString;

std::string HexOf(const std::string& bytes) {
  return test::MakeString(bytes)->ToHex().get();
}

// The tables are written one entry a line.
std::string Lines(std::initializer_list<const char*> lines) {
  std::string file;
  for (const char* line : lines) file += std::string(line) + "\n";
  return file;
}

// Dumps `rom` (hex) through `file`, inserts the script back, and expects
// bytes that dump to the same script, with nothing reported as inexact.
void ExpectReadBack(const std::string& file, const char* rom,
                    CExtendedInsertOptions options = test::WithTokens()) {
  const auto table = test::LoadExtendedFromString(file);
  const std::string script = DumpToString(*table, Hex(rom));
  bool inexact = false;
  options.onInexact = [&inexact](std::size_t, bool) { inexact = true; };
  const test::Inserted inserted = InsertToString(*table, script, options);
  ASSERT_TRUE(inserted.ok) << file;
  EXPECT_FALSE(inexact) << file << testing::PrintToString(script);
  EXPECT_EQ(DumpToString(*table, inserted.bytes), script)
      << file << testing::PrintToString(script) << "\ninserted "
      << HexOf(inserted.bytes);
}

// Options that keep a single reading open, so that the search reaches its
// bounds at once; `bounded` is set when insert says it gave up somewhere.
CExtendedInsertOptions OneReadingKept(bool* bounded = nullptr) {
  CExtendedInsertOptions options = test::WithTokens();
  options.openChoices = 1;
  if (bounded != nullptr) {
    options.onInexact = [bounded](std::size_t, bool b) {
      *bounded = *bounded || b;
    };
  }
  return options;
}

TEST(InsertReadsBack, ACountedSwitchLeftOnlyThroughAnOpenOne) {
  // "a" needs K, counted 2; "B" is the start table's, which K reaches only
  // once its count runs out: through J (counted 1) and J's switch back to
  // K with N = 0, which a byte K does not cover then leaves.
  ExpectReadBack(Lines({"41=A", "42=B", "!F0=K,2", "@K", "41=a", "!F1=J,1",
                        "@J", "!F2=K,0"}),
                 "F0 41 F1 F2 42");
  ExpectReadBack(
      Lines({"@S", "/4B=[E0]", "/82", "!80=S,0", "!83=K,0", "!4A=K,1", "@K",
             "F4=d", "80=C", "!F7=S,0", "!F0=S,0", "!4B=K,0"}),
      "4A 82 4A F4 F0");
}

TEST(InsertReadsBack, ATokenOfAByteTheSectionCoversGoesWhereItDoesNot) {
  // "<$41>" in the start table, which covers 41, needs a counted section
  // that does not: the kanji, whose count a token does not use up.
  ExpectReadBack(
      Lines({"41=A", "!F0=Kana,0", "!F1=Kanji,1", "@Kana", "41=ア", "42=イ",
             "!F0=Kanji,1", "@Kanji", "!F1=Kanji,1", "!F3=Kana,3"}),
      "F1 41 41 42 FD F3 41 F2 41 41 42 F2 FC 41");
}

TEST(InsertReadsBack, ACodeWithAnEmptyTextEndsACountedFrame) {
  // Kanji counts one code; the token's byte is one it does not cover and
  // does not count, so only 4142, which dump writes nothing for, ends the
  // frame before "A/" is read in the start table again.
  ExpectReadBack(Lines({"41=A/", "!F2=Kanji,1", "@Kanji", "4142="}),
                 "F2 41 41 42 41");
}

TEST(InsertReadsBack, ParameterTokensAfterTheSearchGaveUpAreParameters) {
  // With a single reading kept, the search drops the one that goes on
  // through the control code's parameter tokens; insert takes them as the
  // parameters they are instead of failing as if they were missing.
  const auto table = test::LoadExtendedFromString(
      Lines({"@S0", "!13=S2,2", "$8181=<xxx>,2", "$81=<xxx>,2", "@S1",
             "$81=<xxx>,2", "81=xイ\\n", "82=>[E]", "$8013=<cab>,2", "1112=$",
             "$F0=<<$<>,0", "$13=<a>,0", "@S2", "$13=<a>,0", "$11=<$$>,1",
             "$11=<>éx>,2", "80=\\naa", "$81=<ア>,0"}));
  const std::string script =
      DumpToString(*table, Hex("81 81 81 0A 3C 82 F0 0A 12 F1 FF 12 0A"));
  bool bounded = false;
  const CExtendedInsertOptions options = OneReadingKept(&bounded);
  const test::Inserted inserted = InsertToString(*table, script, options);
  ASSERT_TRUE(inserted.ok);
  EXPECT_TRUE(bounded);
  // "<xxx>" and its two parameters, 81 and 0A.
  EXPECT_EQ(HexOf(inserted.bytes).substr(0, 6), "81810A");
}

TEST(InsertReadsBack, AControlCodeLeftShortByTheBoundsIsReadAgain) {
  // With a single reading kept, the search reads the last "<cab>"s as S2's
  // code of two parameters and finds the next label where the second should
  // be; the code is taken back and its label read greedily as S0's, of one
  // parameter, instead of failing as if the script lacked a token.
  const auto table = test::LoadExtendedFromString(Lines({"@S0",
                                                         "80=<éx",
                                                         "F1=ア",
                                                         "!80=S1,2",
                                                         "!13=S2,1",
                                                         "!13=S0,2",
                                                         "$10=<cab>,1",
                                                         "81=イ\\n",
                                                         "*13",
                                                         "!82=S2,0",
                                                         "@S1",
                                                         "*10",
                                                         "$82F0=<\\n[E]b>,0",
                                                         "$81=<a>,0",
                                                         "13=ア",
                                                         "11=<$4",
                                                         "$F110=<cab>,1",
                                                         "81=イ\\n",
                                                         "13=4>",
                                                         "F0=\\n[E] ",
                                                         "@S2",
                                                         "/11",
                                                         "80=abc",
                                                         "$1213=<cab>,2",
                                                         "!1112=S2,2",
                                                         "F1=[E]",
                                                         "8081=é"}));
  const std::string script = DumpToString(
      *table,
      Hex("11 12 F1 FF 10 81 3C F1 24 F1 24 82 80 80 81 10 10 10 10 10"));
  bool bounded = false;
  const CExtendedInsertOptions options = OneReadingKept(&bounded);
  const test::Inserted inserted = InsertToString(*table, script, options);
  ASSERT_TRUE(inserted.ok);
  EXPECT_TRUE(bounded);
  EXPECT_EQ(DumpToString(*table, inserted.bytes), script)
      << HexOf(inserted.bytes);
}

TEST(InsertReadsBack, AGreedyLabelShortOfTokensTakesItsControlCodeOfFewer) {
  // "<a>" is 12 with two parameters and 13 with none. Where the search's
  // bounds leave the label to greedy reading and fewer tokens follow, it
  // is 13, which dump writes the same way, not a missing token.
  const auto table = test::LoadExtendedFromString(
      Lines({"@S0", "12=b x", "8210= c", "$12=<ab>,0", "$13=<a>,0", "$12=<a>,2",
             "/1212=ccc", "1212=c<$", "!1011=S0,0"}));
  const std::string script =
      DumpToString(*table, Hex("12 F1 12 12 10 11 10 10 11 00 00 13 3C 12 12 "
                               "12 12 F1 12 12 12 12"));
  const CExtendedInsertOptions options = OneReadingKept();
  const test::Inserted inserted = InsertToString(*table, script, options);
  ASSERT_TRUE(inserted.ok) << testing::PrintToString(script);
  EXPECT_NE(HexOf(inserted.bytes).find("133C"), std::string::npos)
      << HexOf(inserted.bytes);
}

TEST(InsertReadsBack, ReadingsThatHaveNotGoneOnMakeRoomForABetterOne) {
  // Kana switches to itself, counted and not: each position fills with
  // readings of ever deeper stacks. The one reading that returns to the
  // start table for the tokens arrives last, at a position full of
  // readings already gone on, and must still find a place.
  ExpectReadBack(Lines({"42=B", "!F0=Kana,0", "@Kana", "41=ア", "42=B",
                        "!F0=Kana,0", "!F3=Kana,6"}),
                 "FE F0 41 42 FD 41");
}

TEST(InsertReadsBack, CountedSectionsThatSwitchToThemselvesLeaveRoom) {
  // Counted switch codes could stand before each token, whose bytes the
  // sections do not cover: the readings with ever deeper stacks of them
  // fill each position, and the one that reads back must still find room
  // there. Fewer tokens never filled it.
  // Kanji, counted 1, switches to itself; the reading enters it by F1.
  const auto kanji =
      Lines({"41=A", "!F1=Kanji,1", "!F3=Kana,2", "@Kana", "41=ア",
             "!F0=Kanji,1", "@Kanji", "!F0=Kanji,2", "42=B"});
  ExpectReadBack(kanji, "F1 71 73 41 42 F3 41 41 41");
  ExpectReadBack(kanji,
                 "F1 71 71 71 71 71 71 71 71 71 71 71 71 73 41 42 F3 "
                 "41 41 41");
  // Kanji and Kana switch to each other, counted; the best reading writes
  // the last token's 41 in the start table, where 亜 would join it, and the
  // one just behind it, in Kana, must go on through F2.
  ExpectReadBack(Lines({"@Kanji", "!F3=Kana,2", "@Kana", "!F2=Kanji,1",
                        "@Kanji", "4141=亜"}),
                 "03 41 F1 41 41 42 FD F3 41 F2 41 41");
}

TEST(InsertReadsBack, AReturnGoesOnPastACountedFrameWithNoCodesLeft) {
  // The last code of S1's count is its switch to S2 with N = 0: a byte S2
  // does not cover leaves both, and the token is written where a return
  // past both lands. The byte of the first token must be read in S1, three
  // switch codes in, with the counted one second.
  ExpectReadBack(
      Lines({"/F0", "!10=S2,0", "@S1", "!13=S2,0", "@S2", "!13=S1,2"}),
      "10 13 13 F0 13 0A 13");
}

TEST(InsertReadsBack, AControlCodeLeftShortAfterTheSearchGaveUpIsNoFault) {
  // With a single reading kept, the search gives up among the tokens of a
  // control code's parameters, and goes on through them as texts (greedy
  // reading) or as parameters; a later search that is not bounded itself
  // then stops inside a control code. That is the earlier giving up, not a
  // token missing from the script, so greedy reading takes the code back
  // instead of failing, and drops the label where it cannot be written.
  struct Case {
    std::initializer_list<const char*> lines;
    const char* rom;
  };
  const Case cases[] = {
      {{"@S0",         "$11=<\\n[E]a>,0",
        "82=$",        "$82=<a>,2",
        "13=aa",       "!1010=S0,0",
        "1310=<",      "10=a",
        "$81=<x>,0",   "$F0=<aaa>,0",
        "$13=<a>,0",   "@S1",
        "$13=<a>,0",   "$80=<a>,0",
        "1313=ab",     "$1313=<a>,1",
        "13=aa",       "1010=a",
        "@S2",         "10=ア",
        "$1010=<a>,2", "13=$",
        "$13=<a>,0",   "$13=<a>,0"},
       "00 13 00 13 00 12 82 82 82 82 82 82 11 82 3C"},
      {{"@S0", "11=a", "10=<c", "/10", "!8110=S0,0", "$1010=<a>,0",
        "$13=<aaa>,0", "$13=<a>,2", "$12=<xxx>,2", "12=bbb", "$10=<aac>,2",
        "@S1", "$12=<xxx>,2", "$12=<xxx>,2", "$12=<xxx>,2", "10=a", "@S2",
        "1010=ab", "$1010=<a>,2"},
       "F1 00 00 00 00 FF 13 10 10 10 10 10 10 10 10 10 10 10 10 10 10 10 10"},
      // Greedy reading enters S2 counted 3, where "<cab>" takes two
      // parameters and one token follows: the label is dropped, and said.
      {{"@S0",
        "80=<éx",
        "F0F1=éa",
        "!1010=S2,3",
        "!1013=S2,1",
        "!13=S0,2",
        "$10=<cab>,1",
        "81=イ\\n",
        "*13",
        "!82=S2,0",
        "@S1",
        "*10",
        "$82F0=<\\n[E]b>,0",
        "!F1=S0,3",
        "!10F0=S0,2",
        "/F1=b",
        "!80=S2,1",
        "12=$",
        "/F1",
        "80=abc",
        "@S2",
        "$13=<cab>,2",
        "!1180=S2,1",
        "11=<$4"},
       "24 11 3C 82 11 00 13 00 00 10 F0 13 F1 24 11 FF 13"},
  };
  for (const Case& c : cases) {
    const auto table = test::LoadExtendedFromString(Lines(c.lines));
    const std::string script = DumpToString(*table, Hex(c.rom));
    bool bounded = false;
    const test::Inserted inserted =
        InsertToString(*table, script, OneReadingKept(&bounded));
    EXPECT_TRUE(inserted.ok) << c.rom << "\n" << HexOf(inserted.bytes);
    EXPECT_TRUE(bounded) << c.rom;
  }
}

TEST(InsertReadsBack, ASwitchCodeThatWouldJoinTheCodeBeforeGetsOneBetween) {
  // "ab" is S1's, and the switch code 1010 would join the "a" before it
  // into F010; the start table's switch to itself, which changes nothing
  // else, stands between them.
  ExpectReadBack(Lines({"@S0", "!11=S0,0", "F0=a", "F010=\\n", "!1010=S1,0",
                        "@S1", "10=ab"}),
                 "F0 11 10 10 10");
}

TEST(InsertReadsBack, AGreedyLabelTriesEverySectionThatHoldsIt) {
  // "<xxx>" is S1's with two parameters and S2's with none, both one switch
  // code away from S0. Where the search's bounds leave the labels to
  // greedy reading, the nearer S1 cannot take them without tokens; S2 can.
  const auto table = test::LoadExtendedFromString(
      Lines({"@S0",        "!11=S1,0",     "$82=<a>,1",     "13=c4",
             "!13=S2,0",   "$F0=<>アé>,0", "!12=S2,0",      "81=ab$ ",
             "!1112=S1,0", "*10",          "/1311",         "@S1",
             "F0=<b ",     "80=baa",       "12= イ",        "80=<bx",
             "1010=a",     "10=a",         "$1313=<xxx>,2", "$12=<xxx>,2",
             "@S2",        "$12=<xxx>,0",  "!13=S2,2",      "10=aa",
             "$1010=<a>,0"}));
  const std::string script =
      DumpToString(*table, Hex("00 10 11 10 10 FF 12 12 12 12 12 12 12 12 12"));
  const CExtendedInsertOptions options = OneReadingKept();
  const test::Inserted inserted = InsertToString(*table, script, options);
  ASSERT_TRUE(inserted.ok) << testing::PrintToString(script);
  EXPECT_EQ(DumpToString(*table, inserted.bytes), script)
      << HexOf(inserted.bytes);
}

TEST(InsertReadsBack, ATextWhoseCodeAControlCodeTookIsNoMissingToken) {
  // "a" was 1010's text until a control code of two parameters took 1010.
  // Where greedy reading meets "a" without tokens after it, that is a text
  // it cannot write so, not a label whose tokens the script lacks.
  const auto table = test::LoadExtendedFromString(
      Lines({"@S0", "!11=S1,0", "$82=<a>,1", "13=aa", "1010=a", "1010=ア",
             "$1010=<a>,2", "13=$", "$13=<a>,0", "@S1", "13=a", "$13=<a>,0",
             "$12=<xxx>,2", "12=aaa", "@S2", "$12=<xxx>,2"}));
  const std::string script =
      DumpToString(*table, Hex("11 12 13 00 00 10 10 10 10"));
  const CExtendedInsertOptions options = OneReadingKept();
  const test::Inserted inserted = InsertToString(*table, script, options);
  EXPECT_TRUE(inserted.ok) << testing::PrintToString(script);
}

TEST(InsertReadsBack, TheLineBreakAfterATextlessEndCodeIsTheEndCodes) {
  // From an editor (CR LF), or with the end code's tokens in lower case,
  // the line break still belongs to the end code: no line-break code FE.
  const auto table = test::LoadExtendedFromString(
      Lines({"41=A", "*FE", "/FD", "!F0=Kana,0", "@Kana", "80=あ"}));
  for (const char* script : {"あ<$FD>\r\nA", "あ<$fd>\nA", "あ<$fd>\r\nA"}) {
    for (const bool tokens : {false, true}) {
      CExtendedInsertOptions options;
      options.tokens = tokens;
      EXPECT_EQ(HexOf(InsertToString(*table, script, options).bytes),
                "F080FD41")
          << testing::PrintToString(script) << tokens;
    }
  }
}

TEST(InsertReadsBack, OptimalKeepsToTextsDumpReadsAsWritten) {
  CExtendedInsertOptions optimal = test::WithTokens();
  optimal.optimal = true;
  // "A" was 41 until a later line gave 41 to "Q": the shortest cut of "AB"
  // through it would dump as "QB".
  for (const char* more : {"", "!F0=K,0\n@K\n"}) {
    const auto table = test::LoadExtendedFromString(
        Lines({"41=A", "41=Q", "4243=B", "50515253=AB"}) + more);
    EXPECT_EQ(HexOf(InsertToString(*table, "AB", optimal).bytes), "50515253")
        << more;
  }
  // "a" and "b" as 80 81 would be two bytes against three, but dump reads
  // 80 81 as "X".
  for (const char* more : {"", "!F0=K,0\n@K\n"}) {
    const auto table = test::LoadExtendedFromString(
        Lines({"80=a", "81=b", "8081=X", "414243=ab"}) + more);
    const test::Inserted inserted = InsertToString(*table, "ab", optimal);
    EXPECT_EQ(HexOf(inserted.bytes), "414243") << more;
    EXPECT_EQ(DumpToString(*table, inserted.bytes), "ab") << more;
  }
  ExpectReadBack(Lines({"41=A", "42=B", "!F0=K,2", "@K", "41=a", "!F1=J,1",
                        "@J", "!F2=K,0"}),
                 "F0 41 F1 F2 42", optimal);
}

TEST(InsertReadsBack, WhereTheTableCannotThereIsAReport) {
  // Codes 80 and 81 join into 8081 with nothing to stand between them: no
  // bytes dump back to "ac", and insert says where.
  const auto table = test::LoadExtendedFromString(
      Lines({"80=a", "81=c", "8081=b", "!F0=K,1", "@K", "90=k"}));
  std::vector<std::size_t> inexact;
  CExtendedInsertOptions options;
  options.onInexact = [&inexact](std::size_t offset, bool bounded) {
    EXPECT_FALSE(bounded);
    inexact.push_back(offset);
  };
  EXPECT_EQ(HexOf(InsertToString(*table, "kac", options).bytes), "F0908081");
  EXPECT_EQ(inexact, std::vector<std::size_t>{2});
}

}  // namespace
}  // namespace dalvren
