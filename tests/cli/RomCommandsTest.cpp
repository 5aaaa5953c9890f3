// extract, build, diff and patch through the built converter, on the
// example of the README and on small cases made for one rule each.
#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/ToolRunner.h"

namespace dalvren {
namespace {

using test::ExamplePath;
using test::ReadFile;
using test::RunProgram;
using test::RunTool;
using test::TempDir;
using test::ToolResult;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string Replaced(std::string text, const std::string& from,
                     const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

class WholeRom : public testing::Test {
 protected:
  // The example's script, extracted.
  std::string Extract() {
    const ToolResult r =
        RunTool({"-t", table_, "extract", "-o", script_, layout_, rom_});
    EXPECT_EQ(r.status, 0) << r.err;
    return ReadFile(script_);
  }

  ToolResult Build(const std::string& script,
                   std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"-t", table_, "build", "-o", out_};
    args.insert(args.end(), more.begin(), more.end());
    args.push_back(dir_.Write("edited.txt", script));
    args.push_back(rom_);
    return RunTool(args);
  }

  TempDir dir_;
  const std::string table_ = ExamplePath("sample.tbl");
  const std::string rom_ = ExamplePath("game.rom");
  const std::string layout_ = ExamplePath("game-layout.txt");
  const std::string script_ = dir_.Path("game.txt");
  const std::string out_ = dir_.Path("new.rom");
};

TEST_F(WholeRom, TheExampleRomIsWhatItsGeneratorMakes) {
  const std::string made = dir_.Path("made.rom");
  const ToolResult r = RunProgram(
      "/bin/bash",
      {std::string(DALVREN_SCRIPTS_DIR) + "/make-example-rom.sh", made}, {});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(made), ReadFile(rom_));
}

TEST_F(WholeRom, ExtractCopiesTheLayoutAndWritesEachStringWithItsPointers) {
  const std::string script = Extract();
  const std::string layout = ReadFile(layout_);
  // The layout's lines, with the ROM's size and CRC-32 after the first.
  const std::string header =
      "#DALVREN 1\n#ROM SIZE=1024 CRC32=E9AFA159\n" + layout.substr(11);
  EXPECT_EQ(script.substr(0, header.size()), header);
  EXPECT_EQ(script.substr(header.size(), 15), "#STRING 0x40 6\n");
  // The menu words one after another; the pointers' strings by their first
  // pointer: "Potion" inside "Hi-Potion" has a section of its own, and two
  // pointers share "Thank you!".
  for (const char* section :
       {"#STRING 0x40 6\n//Items[END]\nItems[END]\n#STRING 0x46 6\n",
        "#STRING 0x59 5\n//Save[END]\nSave[END]\n#STRING 0x120 20 FROM=0x100\n",
        "#STRING 0x134 17 FROM=0x102\n//The Hero finds the sword.[END]\n",
        "#STRING 0x145 10 FROM=0x104\n//Hi-Potion[END]\nHi-Potion[END]\n"
        "#STRING 0x148 7 FROM=0x106\n//Potion[END]\nPotion[END]\n",
        "#STRING 0x14F 11 FROM=0x108,0x10A\n//Thank you![END]\n",
        "#STRING 0x15A 9 FROM=0x10C\n//Goodbye.[END]\nGoodbye.[END]\n"}) {
    EXPECT_TRUE(Contains(script, section)) << section;
  }
  EXPECT_TRUE(script.ends_with("Goodbye.[END]\n"));
}

TEST_F(WholeRom, ExtractNotesEachPointerItSkipsUnlessQuiet) {
  // One more slot: the bytes after the table, 11 36, lead below offset 0.
  const std::string layout = dir_.Write(
      "layout.txt", Replaced(ReadFile(layout_), "0x100-0x10D", "0x100-0x10F"));
  ToolResult r = RunTool({"-t", table_, "extract", layout, rom_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, layout +
                       ":6: pointer at 0x10E (value 0x3611) maps to no ROM "
                       "offset; skipped\n");
  EXPECT_TRUE(Contains(r.out, "#POINTERS 0x100-0x10F"));
  r = RunTool({"-t", table_, "extract", "-q", layout, rom_});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  // A window that leaves out a string skips its pointer the same way.
  r = RunTool(
      {"-t", table_, "extract",
       dir_.Write("window.txt", Replaced(ReadFile(layout_), "ADD=-0x7FF0",
                                         "ADD=-0x7FF0 WINDOW=0x130-0x3FF")),
       rom_});
  EXPECT_TRUE(Contains(r.err,
                       ":6: pointer at 0x100 (value 0x8110) leads to "
                       "0x120, outside its WINDOW=; skipped\n"))
      << r.err;
  EXPECT_FALSE(Contains(r.out, "#STRING 0x120 "));
  // A pointer into the free space, or to bytes no end code ends, is noted
  // and skipped too: build would write over its string.
  std::string bytes = ReadFile(rom_);
  bytes.replace(0x10C, 2, "\xF0\x82");  // 0x300
  bytes.replace(0x300, 3, "Hi\xFF");
  bytes.replace(0x10A, 2, "\xF0\x83");  // 0x400: past the end
  bytes.replace(0x108, 2, "\xEF\x83");  // 0x3FF: a 0 and then the end
  r = RunTool(
      {"-t", table_, "extract", layout_, dir_.Write("free.rom", bytes)});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, layout_ +
                       ":6: pointer at 0x108 (value 0x83EF) leads to 0x3FF, "
                       "but no end code follows before the end of the ROM; "
                       "skipped\n" +
                       layout_ +
                       ":6: pointer at 0x10A (value 0x83F0) leads to "
                       "0x400, past the end of the ROM; skipped\n" +
                       layout_ +
                       ":6: pointer at 0x10C (value 0x82F0) leads to "
                       "0x300, but its string lies in #FREE "
                       "0x300-0x3FF; skipped\n");
}

TEST_F(WholeRom, BuildMovesWhatGrowsRewritesItsPointersAndPadsWhatIsLeft) {
  std::string script = Extract();
  script = Replaced(script, "\nItems[END]\n", "\nBag[END]\n");
  script = Replaced(script, "\nPotion[END]\n", "\nElixir of Life[END]\n");
  script = Replaced(script, "\nThank you![END]\n", "\nThanks![END]\n");
  script =
      Replaced(script, "\nGoodbye.[END]\n", "\nFarewell, brave Hero![END]\n");
  const ToolResult r = Build(script);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::string before = ReadFile(rom_);
  const std::string after = ReadFile(out_);
  ASSERT_EQ(after.size(), before.size());
  std::string expected = before;
  // In the #TEXT block the shorter word stays, padded with the end code.
  expected.replace(0x40, 6, "Bag\xFF\xFF\xFF");
  // "Thanks!" fits where "Thank you!" was; both its pointers stay.
  expected.replace(0x14F, 11, "Thanks!\xFF\xFF\xFF\xFF");
  // "Potion" shares its bytes with "Hi-Potion", which keeps them: it moves
  // to the free space; "Farewell" grew and follows it; their old bytes that
  // no other string uses are padded.
  expected.replace(0x300, 15, "Elixir of Life\xFF");
  expected.replace(0x30F, 19, "Farewell, brave \xC5!\xFF");
  expected.replace(0x15A, 9, std::string(9, '\xFF'));
  // Their pointers: offset + 0x7FF0, little-endian.
  expected.replace(0x106, 2, "\xF0\x82");
  expected.replace(0x10C, 2, "\xFF\x82");
  EXPECT_EQ(after, expected);
}

TEST_F(WholeRom, AnUneditedScriptBuildsTheSameRomEvenWithoutItsOriginals) {
  std::string script = Extract();
  // The comment lines may go.
  std::string stripped;
  for (std::size_t at = 0; at < script.size();) {
    const std::size_t end = script.find('\n', at) + 1;
    if (script.compare(at, 2, "//") != 0)
      stripped += script.substr(at, end - at);
    at = end;
  }
  const ToolResult r = Build(stripped, {"--patch", dir_.Path("none.ips")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(out_), ReadFile(rom_));
  // A patch between equal ROMs holds no record.
  EXPECT_EQ(ReadFile(dir_.Path("none.ips")), "PATCHEOF");
}

TEST_F(WholeRom, ListsEveryStringThatDoesNotFitAndWritesNothing) {
  std::string script = Extract();
  script = Replaced(script, "#FREE 0x300-0x3FF", "#FREE 0x300-0x30F");
  script = Replaced(script, "\nItems[END]\n", "\nInventory[END]\n");
  script = Replaced(script, "\nPotion[END]\n", "\nElixir of Life[END]\n");
  script =
      Replaced(script, "\nGoodbye.[END]\n", "\nFarewell, brave Hero![END]\n");
  const std::string kept = "an older build";
  dir_.Write("new.rom", kept);
  const ToolResult r = Build(script, {"--patch", dir_.Path("p.bps")});
  EXPECT_EQ(r.status, 1);
  const std::string edited = dir_.Path("edited.txt");
  // The menu word cannot move; "Potion" takes 15 of the 16 free bytes, and
  // the most "Farewell" finds in reach is the 9 its own text left.
  EXPECT_TRUE(Contains(
      r.err, edited + ":10: the string at 0x40 needs 10 bytes, 6 available in "
                      "reach (no pointer leads to it, so it stays in place)\n"))
      << r.err;
  EXPECT_TRUE(Contains(
      r.err,
      edited +
          ":40: the string at 0x15A needs 19 bytes, 9 available in reach\n"))
      << r.err;
  EXPECT_TRUE(Contains(r.err, "Error! Nothing written: 2 strings do not fit"))
      << r.err;
  EXPECT_EQ(ReadFile(out_), kept);
  EXPECT_FALSE(Contains(ReadFile(dir_.Path("p.bps")), "BPS1"));
}

TEST_F(WholeRom, MovesStringsOnlyWhereTheirPointersReach) {
  std::string script = Extract();
  // The window holds the pointers' strings but not the free space.
  script = Replaced(script, "ADD=-0x7FF0 END=FF",
                    "ADD=-0x7FF0 WINDOW=0x120-0x2FF END=FF");
  script =
      Replaced(script, "\nGoodbye.[END]\n", "\nFarewell, brave Hero![END]\n");
  EXPECT_EQ(Build(script).status, 1);
  // A 16-bit pointer reaches 64 KiB from its base: with a base far below
  // the ROM the free space is out of reach too.
  script = Extract();
  script =
      Replaced(script, "\nGoodbye.[END]\n", "\nFarewell, brave Hero![END]\n");
  script = Replaced(script, "#FREE 0x300-0x3FF", "#FREE 0x200-0x3FF");
  const ToolResult r = Build(script);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(out_).substr(0x200, 22),
            "Farewell, brave \xC5!\xFF" + ReadFile(rom_).substr(0x213, 3));
}

TEST_F(WholeRom, RefusesAnotherRomUnlessForced) {
  const std::string script = Extract();
  std::string other = ReadFile(rom_);
  other[0x3FF] = 1;
  const std::string otherRom = dir_.Write("other.rom", other);
  const ToolResult refused =
      RunTool({"-t", table_, "build", "-o", out_, script_, otherRom});
  EXPECT_EQ(refused.status, 2);
  EXPECT_TRUE(
      Contains(refused.err,
               "this script is for another ROM: its line 2 names 1024 bytes "
               "with CRC32 E9AFA159, the ROM has 1024 bytes with CRC32 "))
      << refused.err;
  EXPECT_TRUE(Contains(refused.err, "(--force builds anyway)"));
  const ToolResult forced = RunTool(
      {"-t", table_, "build", "--force", "-o", out_, script_, otherRom});
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(ReadFile(out_), other);
}

TEST_F(WholeRom, NeverWritesOverWhatItReads) {
  const std::string script = Extract();
  const std::string rom = dir_.Write("game.rom", ReadFile(rom_));
  const std::string table = dir_.Write("t.tbl", ReadFile(table_));
  // A ROM and a script whose names a patch could have.
  const std::string romIps = dir_.Write("rom.ips", ReadFile(rom_));
  const std::string scriptBps = dir_.Write("script.bps", script);
  const std::vector<std::vector<std::string>> cases = {
      {"-t", table, "build", "-o", dir_.Path("./game.rom"), script_, rom},
      {"-t", table, "build", "-o", dir_.Path("x/../game.txt"), script_, rom},
      {"-t", table, "build", "-o", table, script_, rom},
      {"-t", table, "build", "-o", dir_.Path("new.rom"), "--patch", scriptBps,
       scriptBps, rom},
      {"-t", table, "extract", "-o", rom, layout_, rom},
      {"diff", "-o", romIps, romIps, rom_},
      {"patch", "-o", rom, dir_.Path("p.ips"), rom},
  };
  std::filesystem::create_directory(dir_.Path("x"));
  for (const auto& args : cases) {
    const ToolResult r = RunTool(args);
    EXPECT_EQ(r.status, 2) << args[3];
    EXPECT_TRUE(Contains(r.err, "which this command reads")) << r.err;
  }
  EXPECT_EQ(ReadFile(rom), ReadFile(rom_));
  EXPECT_EQ(ReadFile(table), ReadFile(table_));
}

TEST_F(WholeRom, ReportsDroppedCharactersWhereTheyStandAndStrictFails) {
  std::string script = Extract();
  script = Replaced(script, "\nWelcome to Dalvren![END]\n",
                    "\nWelcome ☆ to\tDalvren![END]\n");
  ToolResult r = Build(script);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string edited = dir_.Path("edited.txt");
  EXPECT_EQ(r.err,
            edited +
                ":27:9: dropped \"☆\" (U+2606): no table entry holds it\n" +
                edited +
                ":27:13: dropped \"\\t\" (U+0009): no table entry holds it\n" +
                edited + ": 2 characters dropped\n");
  r = Build(script, {"-q"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  std::filesystem::remove(out_);
  r = Build(script, {"--strict"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(
      r.err,
      "Error! Nothing written: 2 characters dropped, and --strict is given"))
      << r.err;
  EXPECT_FALSE(std::filesystem::exists(out_));
}

TEST_F(WholeRom, ListsTwentyDropsThenCountsTheRest) {
  std::string script = Extract();
  script = Replaced(script, "\nThe Hero finds the sword.[END]\n",
                    "\n" + std::string(25, '~') + "[END]\n");
  const ToolResult r = Build(script);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 22) << r.err;
  EXPECT_TRUE(Contains(r.err, ":30:20: dropped \"~\" (U+007E)")) << r.err;
  EXPECT_FALSE(Contains(r.err, ":30:21: "));
  const std::string edited = dir_.Path("edited.txt");
  EXPECT_TRUE(r.err.ends_with(edited + ": and 5 more\n" + edited +
                              ": 25 characters dropped\n"))
      << r.err;
}

TEST_F(WholeRom, RefusesATextThatNoLongerEndsWithItsEndCode) {
  const std::string script = Extract();
  const struct {
    std::string from;
    std::string to;
    const char* message;
  } cases[] = {
      {"\nGoodbye.[END]\n", "\nGoodbye.\n",
       "line 40: the new text of the string at 0x15A (9 bytes) does not end "
       "with an end code"},
      {"\nGoodbye.[END]\n", "\nGood[END]bye.[END]\n",
       "line 40: the new text of the string at 0x15A (9 bytes) has an end code "
       "before its end (after 5 of its 10 bytes)"},
  };
  for (const auto& c : cases) {
    const ToolResult r = Build(Replaced(script, c.from, c.to));
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(Contains(r.err, c.message)) << r.err;
  }
}

// With a table where the end code begins a longer code, the bytes after a
// string decide where it ends: a build that would carry a string on past
// its end code is refused.
TEST_F(WholeRom, RefusesToPlaceAStringWhereItsEndCodeWouldReadOn) {
  const std::string table =
      dir_.Write("ff.tbl", ReadFile(table_) + "FFFE=\xC3\xBF\n");
  std::string bytes = ReadFile(rom_);
  bytes[0x313] = '\xFE';  // right after where "Farewell" goes
  const std::string rom = dir_.Write("ff.rom", bytes);
  ASSERT_EQ(
      RunTool({"-t", table, "extract", "-o", script_, layout_, rom}).status, 0);
  const std::string script = Replaced(ReadFile(script_), "\nGoodbye.[END]\n",
                                      "\nFarewell, brave Hero![END]\n");
  ToolResult r = RunTool({"-t", table, "build", "-o", out_,
                          dir_.Write("edited.txt", script), rom});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contains(r.err,
                       "line 40: the string at 0x15A (9 bytes), at 0x300 in "
                       "the new ROM, would not end at its end code"))
      << r.err;
  EXPECT_FALSE(std::filesystem::exists(out_));
  // Where the byte after it does not continue the end code, it builds.
  bytes[0x313] = '\0';
  const std::string plain = dir_.Write("ff.rom", bytes);
  ASSERT_EQ(
      RunTool({"-t", table, "extract", "-o", script_, layout_, plain}).status,
      0);
  r = RunTool(
      {"-t", table, "build", "-o", out_,
       dir_.Write("edited.txt", Replaced(ReadFile(script_), "\nGoodbye.[END]\n",
                                         "\nFarewell, brave Hero![END]\n")),
       plain});
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(WholeRom, StatsTellPerBlockWhatChangedMovedAndWhatSpaceIsLeft) {
  std::string script = Extract();
  script = Replaced(script, "\nItems[END]\n", "\nBag[END]\n");
  script =
      Replaced(script, "\nGoodbye.[END]\n", "\nFarewell, brave Hero![END]\n");
  const ToolResult r = Build(script, {"--stats"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(
      r.err,
      "#TEXT 0x40-0x5D (line 5): 1 of 5 strings changed, 0 moved; 30 bytes "
      "used before, 28 after; 2 bytes freed, 0 of them used, 2 left\n"
      "#POINTERS 0x100-0x10D (line 7): 1 of 6 strings changed, 1 moved; 67 "
      "bytes used before, 77 after; 9 bytes freed, 0 of them used, 9 left\n"
      "#FREE: 19 of 256 bytes used, 237 left\n");
}

TEST_F(WholeRom, MalformedLayoutsAndScriptsNameTheFileAndLine) {
  const std::string layout = ReadFile(layout_);
  const struct {
    std::string layout;
    const char* message;
  } layouts[] = {
      {Replaced(layout, "FORMAT=LE16", "FORMAT=LE61"),
       "Layout file '%s': line 6: \"FORMAT=LE61\" is not a format"},
      {Replaced(layout, "#FREE 0x300-0x3FF", "#FREE 0x300-0x400"),
       "Layout file '%s': line 8: #FREE 0x300-0x400 reaches past the end of "
       "the ROM (1024 bytes, last offset 0x3FF)"},
      {Replaced(layout, "#FREE 0x300-0x3FF", "#FREE 0x100-0x1FF"),
       "Layout file '%s': line 8: #FREE 0x100-0x1FF overlaps #POINTERS "
       "0x100-0x10D (line 6)"},
      {Replaced(layout, " END=FF\n// Seven", "\n// Seven"),
       "Layout file '%s': line 4: #TEXT 0x40-0x5D has no end code: give END="},
      {layout + "#STRING 0x40 6\nItems[END]\n",
       "Layout file '%s': line 9: a layout holds no #STRING"},
  };
  for (const auto& c : layouts) {
    const std::string path = dir_.Write("layout.txt", c.layout);
    const ToolResult r = RunTool({"-t", table_, "extract", path, rom_});
    EXPECT_EQ(r.status, 2);
    std::string message = c.message;
    message.replace(message.find("%s"), 2, path);
    EXPECT_TRUE(Contains(r.err, "Error! " + message)) << r.err;
    EXPECT_EQ(r.out, "");
  }
  const std::string script = Extract();
  const struct {
    std::string script;
    const char* message;
  } scripts[] = {
      {Replaced(script, "#STRING 0x46 6", "#STRING 0x46 6 FROM=0x101"),
       "line 13: FROM= names 0x101, where no pointer of a #POINTERS block "
       "starts"},
      {Replaced(script, "#STRING 0x46 6", "#STRING 0x46 6 FROM=0x102"),
       "line 13: the pointer at 0x102 (value 0x8124) leads to 0x134, not to "
       "this string at 0x46"},
      {Replaced(script, "#STRING 0x120 20", "#STRING 0x220 20"),
       "line 25: the pointer at 0x100 (value 0x8110) leads to 0x120, not to "
       "this string at 0x220"},
      {Replaced(script, "#STRING 0x46 6", "#STRING 0x66 6"),
       "line 13: the string at 0x66 (6 bytes) lies in no #TEXT block"},
      {Replaced(script, "#STRING 0x46 6", "#STRING 0x40 6"),
       "line 13: the string at 0x40 (6 bytes) is given twice (lines 10 and "
       "13)"},
      {Replaced(script, "#STRING 0x148 7 FROM=0x106",
                "#STRING 0x148 7 FROM=0x104"),
       "line 34: the pointer at 0x104 (value 0x8135) leads to 0x145, not to "
       "this string at 0x148"},
      {Replaced(script, "#STRING 0x59 5", "#STRING 0x3FF 5"),
       "line 22: the string at 0x3FF (5 bytes) reaches past the end of the ROM "
       "(1024 bytes)"},
      {Replaced(script, "Magic[END]\n", "#Magic[END]\n#TEXT 0-1\n"),
       "line 15: \"#TEXT 0-1\": directives other than #STRING come before the "
       "first #STRING"},
  };
  for (const auto& c : scripts) {
    const ToolResult r = Build(c.script);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_TRUE(Contains(
        r.err,
        "Error! Script file '" + dir_.Path("edited.txt") + "': " + c.message))
        << r.err;
  }
}

// Patches between the example and a build of it, and between larger ROMs.
TEST_F(WholeRom, DiffAndPatchGiveBackTheNewRomInBothFormats) {
  std::string script = Extract();
  script =
      Replaced(script, "\nGoodbye.[END]\n", "\nFarewell, brave Hero![END]\n");
  ASSERT_EQ(Build(script, {"--patch", dir_.Path("built.bps")}).status, 0);
  std::mt19937 random(1);
  std::string big(1 << 20, '\0');
  for (char& c : big) c = static_cast<char>(random() % 4);
  std::string bigger = big + "more";
  for (std::size_t i = 0; i < bigger.size(); i += 4099) bigger[i] = 'x';
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {rom_, out_},
      {out_, rom_},
      {dir_.Write("big.rom", big), dir_.Write("bigger.rom", bigger)},
      {dir_.Path("bigger.rom"), dir_.Path("big.rom")},
      {dir_.Write("empty.rom", ""), dir_.Path("big.rom")},
  };
  for (const auto& [from, to] : pairs) {
    for (const char* name : {"p.ips", "p.BPS"}) {
      const std::string patch = dir_.Path(name);
      ToolResult r = RunTool({"diff", "-o", patch, from, to});
      ASSERT_EQ(r.status, 0) << r.err;
      const std::string patched = dir_.Path("patched.rom");
      r = RunTool({"patch", "-o", patched, patch, from});
      ASSERT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(ReadFile(patched), ReadFile(to))
          << name << " " << from << " " << to;
    }
  }
  // The patch build wrote is the same change.
  ASSERT_EQ(RunTool({"patch", "-o", dir_.Path("again.rom"),
                     dir_.Path("built.bps"), rom_})
                .status,
            0);
  EXPECT_EQ(ReadFile(dir_.Path("again.rom")), ReadFile(out_));
}

TEST_F(WholeRom, PatchRefusesAnotherRomAndBrokenPatchesWritingNothing) {
  const std::string changed = dir_.Write("changed.rom", ReadFile(rom_) + "x");
  ASSERT_EQ(RunTool({"diff", "-o", dir_.Path("p.bps"), rom_, changed}).status,
            0);
  const std::string patched = dir_.Path("patched.rom");
  ToolResult r = RunTool({"patch", "-o", patched, dir_.Path("p.bps"), changed});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(
      Contains(r.err, "Error! Patch file '" + dir_.Path("p.bps") +
                          "': this patch is for another ROM: CRC32 E9AFA159 "
                          "(1024 bytes), and this one has CRC32 "))
      << r.err;
  const std::string broken =
      dir_.Write("broken.ips", std::string("PATCH\x00\x00\x10\x00\x09"
                                           "abc",
                                           13));
  r = RunTool({"patch", "-o", patched, broken, rom_});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(Contains(r.err,
                       "': byte 5 of the patch: the record holds 9 bytes, but "
                       "the patch ends after 3"))
      << r.err;
  EXPECT_FALSE(std::filesystem::exists(patched));
  // IPS reaches 16 MiB; a larger target is for BPS.
  const std::string huge =
      dir_.Write("huge.rom", std::string((16 << 20) + 1, 'h'));
  r = RunTool({"diff", "-o", dir_.Path("huge.ips"), rom_, huge});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(Contains(
      r.err,
      "beyond what an IPS patch reaches (16 MiB); write a BPS patch (.bps)"))
      << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("huge.ips")));
}

TEST(WholeRomCommandLine, RefusesFilesAndOptionsTheCommandsDoNotTake) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"-t", "x.tbl", "extract", "layout.txt"},
       "extract takes two files, LAYOUT and ROM"},
      {{"-t", "x.tbl", "build", "-o", "n", "s", "r", "x"},
       "build takes two files, SCRIPT and ROM"},
      {{"-t", "x.tbl", "build", "s", "r"}, "build needs -o"},
      {{"diff", "a", "b"}, "diff needs -o"},
      {{"diff", "-o", "p.txt", "a", "b"},
       "-o names the patch, which ends in .ips or .bps"},
      {{"-t", "x.tbl", "build", "-o", "n", "--patch", "p.ups", "s", "r"},
       "--patch names the patch"},
      {{"-t", "x.tbl", "diff", "-o", "p.ips", "a", "b"},
       "diff does not take -t"},
      {{"-t", "x.tbl", "build", "-o", "n.ips", "--patch", "n.ips", "s", "r"},
       "--patch and -o name the same file"},
      {{"patch", "--table-syntax=extended", "-o", "n", "p", "r"},
       "patch does not take --table-syntax"},
      {{"-t", "x.tbl", "extract", "--force", "l", "r"},
       "extract does not take --force"},
      {{"-t", "x.tbl", "extract", "--stats", "l", "r"},
       "extract does not take --stats"},
      {{"-t", "-", "extract", "l", "-"},
       "standard input can be only one of extract's files and the table"},
      {{"extract", "l", "r"}, "no table given"},
  };
  for (const auto& c : cases) {
    const ToolResult r = RunTool(c.args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_TRUE(Contains(r.err, c.message)) << r.err;
  }
}

}  // namespace
}  // namespace dalvren
