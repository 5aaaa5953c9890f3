#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rom/ScriptReader.h"
#include "rom/ScriptWriter.h"

namespace dalvren {
namespace {

const std::string kHead = "#DALVREN 1\n";

TEST(ReadScript, ReadsEveryDirectiveWithItsOptions) {
  CScript script;
  ASSERT_TRUE(ReadScript("#DALVREN 1\r\n"
                         "#ROM SIZE=524288 CRC32=5f1a2b3c\r\n"
                         "// a comment\n"
                         "\t \n"
                         "#TEXT 0x339-0x39F END=FF,fffe\n"
                         "#POINTERS $8010-$801F FORMAT=BE24 STRIDE=4 "
                         "ADD=-0x10 WINDOW=0x100-0x1FF END=00\n"
                         "#POINTERS 0-3 FORMAT=LE16 MAP=HIROM BANK=C2\n"
                         "#POINTERS 16-31 FORMAT=LE32 RELATIVE\n"
                         "#FREE 0x7F000-0x7FFFF\n"
                         "#PAD 00\n",
                         &script)
                  .IsOk());
  const CLayout& layout = script.layout;
  ASSERT_TRUE(layout.rom);
  EXPECT_EQ(layout.rom->size, 524288u);
  EXPECT_EQ(layout.rom->crc, 0x5F1A2B3Cu);
  EXPECT_EQ(layout.rom->line, 2u);
  ASSERT_EQ(layout.blocks.size(), 4u);
  const CLayout::Block& text = layout.blocks[0];
  EXPECT_EQ(text.kind, CLayout::BlockKind::kText);
  EXPECT_EQ(text.line, 5u);
  EXPECT_EQ(text.start, 0x339u);
  EXPECT_EQ(text.end, 0x39Fu);
  EXPECT_EQ(text.endCodes, (std::vector<std::string>{"\xFF", "\xFF\xFE"}));
  const CPointerFormat& p = layout.blocks[1].pointers;
  EXPECT_EQ(p.size, 3u);
  EXPECT_TRUE(p.bigEndian);
  EXPECT_EQ(p.stride, 4u);
  EXPECT_EQ(p.add, -0x10);
  ASSERT_TRUE(p.window);
  EXPECT_EQ(p.window->start, 0x100u);
  EXPECT_EQ(p.window->end, 0x200u);
  EXPECT_EQ(layout.blocks[1].endCodes,
            std::vector<std::string>{std::string(1, '\0')});
  EXPECT_EQ(layout.blocks[1].SlotCount(), 4u);
  EXPECT_EQ(layout.blocks[2].pointers.map, CPointerFormat::Map::kHiRom);
  EXPECT_EQ(layout.blocks[2].pointers.bank, 0xC2);
  EXPECT_TRUE(layout.blocks[3].pointers.relative);
  EXPECT_EQ(layout.blocks[3].pointers.stride, 4u);
  ASSERT_EQ(layout.free.size(), 1u);
  EXPECT_EQ(layout.free[0].start, 0x7F000u);
  EXPECT_EQ(layout.free[0].end, 0x7FFFFu);
  EXPECT_EQ(layout.pad, std::string(1, '\0'));
  // The header as written, line ends aside, for extract to copy.
  ASSERT_EQ(layout.header.size(), 10u);
  EXPECT_EQ(layout.header[3], "\t ");
  EXPECT_EQ(layout.romHeaderLine, 1u);
  EXPECT_TRUE(script.strings.empty());
}

// Each malformed line is refused with its line number and what is wrong,
// quoting what the user wrote.
TEST(ReadScript, RefusesMalformedLinesNamingLineAndText) {
  const struct {
    std::string file;
    const char* message;
  } cases[] = {
      {"", "line 1: a script file starts with \"#DALVREN 1\""},
      {"#TEXT 0-1 END=FF\n", "line 1: a script file starts with"},
      {"#DALVREN 2\n", "line 1: this program reads script files of version 1"},
      {kHead + "#DALVREN 1\n", "line 2: #DALVREN stands on the first line"},
      {kHead + "#TXT 0-1\n", "line 2: unknown directive \"#TXT\""},
      {kHead + "TEXT 0-1\n", "line 2: \"TEXT 0-1\" is neither a directive"},
      {kHead + "#TEXT 0x339\n", "line 2: \"0x339\" is not a range START-END"},
      {kHead + "#TEXT 0x39G-0x400\n", "line 2: \"0x39G\" is not a number"},
      {kHead + "#TEXT 0x39F-0x339\n",
       "line 2: range \"0x39F-0x339\" ends before it starts"},
      {kHead + "#TEXT 0-1 END=F\n", "line 2: \"END=F\" is not a list"},
      {kHead + "#TEXT 0-1 END=FF,\n", "line 2: \"END=FF,\" is not a list"},
      {kHead + "#TEXT 0-1 ENDS=FF\n",
       "line 2: unknown option \"ENDS=FF\" for #TEXT"},
      {kHead + "#TEXT 0-1 END=FF END=00\n", "line 2: END= is given twice"},
      {kHead + "\n#POINTERS 0-1\n", "line 3: #POINTERS needs FORMAT="},
      {kHead + "#POINTERS 0-1 FORMAT=LE8\n",
       "line 2: \"FORMAT=LE8\" is not a format"},
      {kHead + "#POINTERS 0-1 FORMAT=LE16 STRIDE=1\n",
       "line 2: \"STRIDE=1\": the stride is at least"},
      {kHead + "#POINTERS 0-1 FORMAT=LE24\n",
       "line 2: the range holds no whole pointer"},
      {kHead + "#POINTERS 0-1 FORMAT=LE16 ADD=0x1000000000000\n",
       "line 2: \"ADD=0x1000000000000\" is not a number within 2^48"},
      {kHead + "#POINTERS 0-1 FORMAT=LE16 MAP=LOROM\n",
       "line 2: 16-bit pointers under MAP= need BANK=XX"},
      {kHead + "#POINTERS 0-2 FORMAT=LE24 MAP=LOROM BANK=80\n",
       "line 2: BANK= is for 16-bit pointers"},
      {kHead + "#POINTERS 0-1 FORMAT=LE16 BANK=80\n",
       "line 2: BANK= goes only with MAP="},
      {kHead + "#POINTERS 0-1 FORMAT=LE16 MAP=SA1 BANK=80\n",
       "line 2: \"MAP=SA1\" is not a mapping"},
      {kHead + "#POINTERS 0-2 FORMAT=LE24 MAP=HIROM RELATIVE\n",
       "line 2: RELATIVE does not go with MAP="},
      {kHead + "#POINTERS 0-1 FORMAT=LE16 RELATIVE=1\n",
       "line 2: unknown option \"RELATIVE=1\""},
      {kHead + "#POINTERS 0-1 FORMAT=LE16 WINDOW=5\n",
       "line 2: \"5\" is not a range"},
      {kHead + "#FREE 0-1 2-3\n", "line 2: #FREE takes one range"},
      {kHead + "#PAD\n", "line 2: #PAD takes one byte code"},
      {kHead + "#PAD FF\n#PAD 00\n", "line 3: #PAD is given twice"},
      {kHead + "#ROM SIZE=1\n", "line 2: #ROM needs SIZE= and CRC32="},
      {kHead + "#ROM SIZE=1 CRC32=12345\n",
       "line 2: \"CRC32=12345\" is not a CRC-32"},
      {kHead + "#STRING 0x10\n",
       "line 2: #STRING needs an offset and a length"},
      {kHead + "#STRING 0x10 0\n", "line 2: a string has at least 1 byte"},
      {kHead + "#STRING 0x10 2 FROM=0x1,,0x2\n",
       "line 2: \"\" is not a number"},
      {kHead + "#STRING 0x10 2 TO=1\n", "line 2: unknown option \"TO=1\""},
      {kHead + "#STRING 0 1\nA\n#FREE 0-1\n",
       "line 4: \"#FREE 0-1\": directives other than #STRING come before"},
  };
  for (const auto& c : cases) {
    CScript script;
    const CError e = ReadScript(c.file, &script);
    EXPECT_EQ(e.GetKind(), CError::Kind::kInvalid) << c.file;
    EXPECT_NE(e.Message().find(c.message), std::string::npos)
        << c.file << "\n  gave: " << e.Message();
  }
}

// Texts that a line-based file could lose or misread come back exactly.
TEST(ScriptFile, EveryTextSurvivesTheWriterAndTheReader) {
  const std::vector<std::string> texts = {
      "",
      "Hello",
      "Hello[END]\n",
      "\n",
      "\n\n",
      "two\nlines",
      "#STRING 0 1",
      "#TEXT 0-1 END=FF",
      "#not a directive",
      "// not a comment",
      "/ one slash",
      "\\",
      "\\#",
      "a\n#b\n//c\n\\d\n",
      " leading and trailing blanks ",
      "<$FF><$0A>",
      "\t",
      "ends with a CR\r",
  };
  std::string file = kHead;
  const std::vector<std::uint64_t> from = {0x10, 0x20};
  for (std::size_t i = 0; i < texts.size(); ++i) {
    AppendStringSection({0x100 + i, 1 + i, from, texts[i], texts[i]}, file);
  }
  CScript script;
  ASSERT_TRUE(ReadScript(file, &script).IsOk()) << file;
  ASSERT_EQ(script.strings.size(), texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const CScript::String& s = script.strings[i];
    // A CR right before a line break is the file's line end, as a script
    // saved in CR LF reads; no dump writes a CR.
    const std::string expected =
        texts[i] == "ends with a CR\r" ? "ends with a CR" : texts[i];
    EXPECT_EQ(s.text, expected) << i;
    EXPECT_EQ(s.offset, 0x100 + i);
    EXPECT_EQ(s.length, 1 + i);
    const auto read = script.From(s);
    EXPECT_EQ(std::vector<std::uint64_t>(read.begin(), read.end()), from);
  }
}

TEST(ScriptFile, ReadsAScriptSavedWithCrLfAndWithoutAFinalLineBreak) {
  CScript script;
  ASSERT_TRUE(ReadScript("\xEF\xBB\xBF#DALVREN 1\r\n#STRING 0x10 3\r\n"
                         "//old\r\nfirst\r\n\r\n#STRING 0x20 1\r\nlast",
                         &script)
                  .IsOk());
  ASSERT_EQ(script.strings.size(), 2u);
  EXPECT_EQ(script.strings[0].text, "first\n");
  EXPECT_EQ(script.strings[1].text, "last");
  // Comment lines may stand anywhere among a text's lines, and a deleted
  // text is an empty one.
  ASSERT_TRUE(
      ReadScript(kHead + "#STRING 1 1\na\n//x\nb\n#STRING 2 1\n", &script)
          .IsOk());
  EXPECT_EQ(script.strings[0].text, "a\nb");
  EXPECT_EQ(script.strings[1].text, "");
}

TEST(ScriptFile, PlacesEachByteOfATextAtItsLineAndColumn) {
  CScript script;
  ASSERT_TRUE(ReadScript(kHead + "#STRING 1 1\n"  // line 2
                                 "//original\n"   // line 3
                                 "ab勇c\n"        // line 4
                                 "\\#d\n"         // line 5, escaped
                                 "//between\n"    // line 6
                                 "e\n",           // line 7
                         &script)
                  .IsOk());
  const CScript::String& s = script.strings[0];
  ASSERT_EQ(s.text, "ab勇c\n#d\ne");
  const struct {
    std::size_t offset;
    std::size_t line;
    std::size_t column;
  } cases[] = {
      {0, 4, 1}, {1, 4, 2}, {2, 4, 3}, {3, 4, 3},  {5, 4, 4},
      {6, 4, 5}, {7, 5, 2}, {8, 5, 3}, {10, 7, 1},
  };
  for (const auto& c : cases) {
    const CScript::String::Position at = s.PositionOf(c.offset);
    EXPECT_EQ(at.line, c.line) << c.offset;
    EXPECT_EQ(at.column, c.column) << c.offset;
  }
}

}  // namespace
}  // namespace dalvren
