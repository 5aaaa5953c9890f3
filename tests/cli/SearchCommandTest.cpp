// search through the built converter: relative search and search through a
// table against brute-force models on generated ROMs, the starter table,
// and every input it must refuse.
#include <algorithm>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/ToolRunner.h"
#include "tests/support/CoreTestSupport.h"
#include "tests/support/RelativeSearchModel.h"

namespace dalvren {
namespace {

using test::CModelHit;
using test::CModelWord;
using test::ExamplePath;
using test::ReadFile;
using test::RunTool;
using test::TempDir;
using test::ToolResult;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The fields of a hit's line, split at two blanks.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t at; (at = line.find("  ", start)) != std::string::npos;
       start = at + 2) {
    fields.push_back(line.substr(start, at - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

std::string RomText(const std::vector<unsigned char>& rom) {
  return {rom.begin(), rom.end()};
}

// The hits of a relative search's output, as the model writes them; the
// last line must count them.
std::vector<CModelHit> ReadRelativeHits(const std::string& out,
                                        unsigned width) {
  std::vector<std::string> lines = Lines(out);
  EXPECT_FALSE(lines.empty());
  if (lines.empty()) return {};
  const std::string count = lines.back();
  lines.pop_back();
  EXPECT_EQ(count, std::to_string(lines.size()) +
                       (lines.size() == 1 ? " hit" : " hits"));
  std::vector<CModelHit> hits;
  for (const std::string& line : lines) {
    const std::vector<std::string> fields = Fields(line);
    CModelHit hit;
    hit.offset = std::stoull(fields.at(0), nullptr, 16);
    std::size_t next = 1;
    if (width == 2) {
      EXPECT_TRUE(fields.at(1) == "BE" || fields.at(1) == "LE") << line;
      hit.little = fields.at(next++) == "LE";
    }
    std::istringstream bases(fields.at(next));
    for (std::string base; bases >> base;) {
      const std::string bytes = test::Hex(base.substr(base.find('=') + 1));
      std::uint32_t value = 0;
      for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::size_t k = hit.little ? bytes.size() - 1 - i : i;
        value = value << 8 | static_cast<unsigned char>(bytes[k]);
      }
      hit.bases.push_back(value);
    }
    hits.push_back(hit);
  }
  return hits;
}

class SearchCommand : public testing::Test {
 protected:
  std::string WriteRom(const std::string& name,
                       const std::vector<unsigned char>& rom) {
    return dir_.Write(name, RomText(rom));
  }

  TempDir dir_;
};

std::vector<unsigned char> RandomRom(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<unsigned char> rom(size);
  for (unsigned char& b : rom) b = static_cast<unsigned char>(random());
  return rom;
}

// The words planted through shifted alphabets, and every chance hit, are
// what the brute-force model finds, also across the converter's windows of a
// mebibyte and at both ends of the ROM.
TEST_F(SearchCommand, RelativeSearchFindsWhatTheModelFinds) {
  const struct {
    const char* word;
    const char* alphabet;
    unsigned width;
    std::size_t size;
    std::vector<std::pair<std::size_t, std::vector<std::uint32_t>>> big;
    std::vector<std::pair<std::size_t, std::vector<std::uint32_t>>> little;
  } cases[] = {
      {"HEROhero", "", 1, 3000, {{0, {0x0A, 0x24}}, {2992, {0xF0, 0x80}}}, {}},
      {"H?RO",
       "",
       1,
       (1 << 20) + 4000,
       {{(1 << 20) - 2, {0x41}}, {(1 << 20) + 3996, {0x10}}},
       {}},
      {"HERO",
       "",
       2,
       3000,
       {{7, {0x8260}}},
       {{2992, {0x0041}}, {1500, {0x41}}}},
      {"たすけて",
       "あいうえおかきくけこさしすせそたちつてと",
       1,
       2000,
       {{1000, {0x80}}},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.word);
    const CModelWord word = test::ModelWord(c.word, c.alphabet, c.width);
    std::vector<unsigned char> rom = RandomRom(c.size, 7);
    for (const auto& [at, bases] : c.big)
      test::Plant(rom, at, word, bases, false);
    for (const auto& [at, bases] : c.little) {
      test::Plant(rom, at, word, bases, true);
    }
    const std::vector<CModelHit> expected = test::ModelHits(rom, word);
    ASSERT_GE(expected.size(), c.big.size() + c.little.size());
    std::vector<std::string> args = {
        "search",    "--relative", c.word, "--width", std::to_string(c.width),
        "--context", "4"};
    if (*c.alphabet != '\0') {
      args.insert(args.end(), {"--alphabet", c.alphabet});
    }
    args.push_back(WriteRom("rom.bin", rom));
    const ToolResult r = RunTool(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadRelativeHits(r.out, c.width), expected);
  }
}

// The starter table a hit implies dumps the planted text back, blanks that
// no alphabet holds as their bytes; --hit chooses the hit it is made for.
TEST_F(SearchCommand, StarterTableDumpsThePlantedTextBack) {
  std::vector<unsigned char> rom = RandomRom(600, 3);
  const CModelWord sentence = test::ModelWord("The?HERO?wakes", "", 1);
  test::Plant(rom, 100, sentence, {0x0A, 0x24}, false, 0x3E);
  const CModelWord hero = test::ModelWord("HERO", "", 2);
  test::Plant(rom, 301, hero, {0x0041}, true);
  test::Plant(rom, 500, hero, {0x8260}, false);
  const std::string path = WriteRom("game.rom", rom);
  const std::string table = dir_.Path("start.tbl");

  ToolResult r = RunTool(
      {"search", "--relative", "HERO?wakes", "--table-out", table, path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\nStarter table of hit 1 (0x00000068): 52 codes in "
                       "table file '" +
                       table + "'\n"),
            std::string::npos)
      << r.out;
  r = RunTool({"-t", table, "dump", "--unknown=hex", "--offset", "100",
               "--length", "14", path});
  EXPECT_EQ(r.out, "The<$3E>HERO<$3E>wakes");

  r = RunTool({"search", "--width", "2", "--relative", "HERO", "--table-out",
               table, "--hit", "2", path});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(Fields(lines[1]).at(0), "0x000001F4");
  EXPECT_EQ(lines.back(),
            "Starter table of hit 2 (0x000001F4): 26 codes in table file '" +
                table + "'");
  EXPECT_TRUE(ReadFile(table).starts_with("8260=A\n8261=B\n"));
  r = RunTool({"-t", table, "dump", "--offset", "500", "--length", "8", path});
  EXPECT_EQ(r.out, "HERO");
}

// The pieces of the table below, as (code, text): every table line, all
// codes single bytes, so that bytes and codes go one to one.
const std::vector<std::pair<unsigned char, std::string>> kPieces = {
    {0x10, "h"},  {0x11, "e"},   {0x12, "r"},    {0x13, "o"},
    {0x14, "he"}, {0x15, "ro"},  {0x16, "hero"}, {0x17, "e"},
    {0x18, "t"},  {0x19, "the"}, {0x1A, " "},    {0x1B, "her"}};

// Every way to read `text` from `at` by the pieces: each code as "1B".
void ModelReadings(const std::string& rom, std::size_t at,
                   std::string_view text, const std::string& codes,
                   std::vector<std::string>& readings) {
  if (text.empty()) {
    readings.push_back(codes);
    return;
  }
  if (at >= rom.size()) return;
  for (const auto& [code, piece] : kPieces) {
    if (static_cast<unsigned char>(rom[at]) != code) continue;
    if (!text.starts_with(piece)) continue;
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", code);
    ModelReadings(rom, at + 1, text.substr(piece.size()),
                  codes.empty() ? hex : codes + " " + hex, readings);
  }
}

// Every spelling of TEXT the table has, DTE alternatives and a text that
// two codes share included, is found where it is and nowhere else.
TEST_F(SearchCommand, TableSearchFindsEverySpellingAndNothingElse) {
  std::string file;
  for (const auto& [code, text] : kPieces) {
    char line[16];
    std::snprintf(line, sizeof line, "%02X=", code);
    file += line + text + "\n";
  }
  const std::string table = dir_.Write("dte.tbl", file);
  std::mt19937 random(11);
  std::string rom(4000, '\0');
  for (char& b : rom) b = static_cast<char>(0x10 + random() % 13);
  rom.replace(0, 2, "\x14\x15");
  rom.replace(rom.size() - 4, 4, "\x10\x17\x12\x13");
  const std::string path = dir_.Write("dte.rom", rom);

  for (const std::string text : {"hero", "the hero", "e", "here"}) {
    SCOPED_TRACE(text);
    std::vector<std::pair<std::uint64_t, std::string>> expected;
    for (std::size_t at = 0; at < rom.size(); ++at) {
      std::vector<std::string> readings;
      ModelReadings(rom, at, text, "", readings);
      for (const std::string& codes : readings)
        expected.emplace_back(at, codes);
    }
    ASSERT_FALSE(expected.empty());
    const ToolResult r = RunTool({"-q", "-t", table, "search", text, path});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), std::to_string(expected.size()) +
                                (expected.size() == 1 ? " hit" : " hits"));
    lines.pop_back();
    std::vector<std::pair<std::uint64_t, std::string>> found;
    for (const std::string& line : lines) {
      const std::vector<std::string> fields = Fields(line);
      found.emplace_back(std::stoull(fields.at(0), nullptr, 16), fields.at(1));
    }
    EXPECT_TRUE(std::is_sorted(
        found.begin(), found.end(),
        [](const auto& a, const auto& b) { return a.first < b.first; }));
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
  }
}

// The context is the dump through the table, from the hit on and before it
// apart, bytes without a code as tokens and line breaks kept on the line.
TEST_F(SearchCommand, TableSearchShowsTheContextThroughTheTable) {
  const std::string table = dir_.Write("t.tbl", "41=A\n42=B\n43=C\n4142=X\n");
  const std::string lines = dir_.Write("lines.tbl", "43=C\n4142=X\n*0A\n");
  const std::string rom = dir_.Write("r.rom",
                                     "A\x01"
                                     "BC\nAB"
                                     "ABC");
  ToolResult r = RunTool({"-t", table, "search", "BC", rom});
  EXPECT_EQ(r.out,
            "0x00000002  42 43  A<$01>BC<$0A>XXC\n"
            "0x00000008  42 43  A<$01>BC<$0A>XABC\n"
            "2 hits\n");
  r = RunTool({"-t", lines, "--table-syntax=extended", "search", "--context",
               "2", "C\nX", rom});
  EXPECT_EQ(r.out, "0x00000003  43 0A 4142  <$01><$42>C\\nXX\n1 hit\n");
}

// In the extended syntax a text spelled by a switched table is found there
// and named with it, and its context is dumped as that table reads it.
TEST_F(SearchCommand, ExtendedTableSearchFindsTextInASwitchedTable) {
  const std::string table = dir_.Write(
      "ext.tbl",
      "41=A\n42=B\n!F0=Kana,0\n@Kana\n80=\xE3\x81\x82\n81=\xE3\x81\x84\n"
      "41=Z\n");
  const std::string rom = dir_.Write("ext.rom",
                                     "AB\xF0\x80\x81"
                                     "A\xFF\x80\x81");
  const std::string kana = "\xE3\x81\x82\xE3\x81\x84";
  ToolResult r = RunTool({"-t", table, "--table-syntax=extended", "search",
                          "--context", "0", kana, rom});
  EXPECT_EQ(r.out, "0x00000003  80 81  @Kana  " + kana +
                       "\n0x00000007  80 81  @Kana  " + kana + "\n2 hits\n");
  r = RunTool({"-t", table, "--table-syntax=extended", "search", "--context",
               "2", "Z", rom});
  EXPECT_EQ(r.out, "0x00000000  41  @Kana  ZB\n0x00000005  41  @Kana  " + kana +
                       "Z<$FF><$80>\n2 hits\n");
  // The start table's spelling is found too, though the game reads these
  // bytes in the switched table: the search cannot know where text starts.
  r = RunTool({"-t", table, "--table-syntax=extended", "search", "--context",
               "2", "A", rom});
  EXPECT_EQ(r.out,
            "0x00000000  41  AB\n"
            "0x00000005  41  <$80><$81>A<$FF><$80>\n"
            "2 hits\n");
}

// Bytes that two tables spell alike are a hit in each of them.
TEST_F(SearchCommand, ExtendedTableSearchWritesAHitForEachTableThatSpellsIt) {
  const std::string table = dir_.Write(
      "ext.tbl", "41=A\n42=B\n!F0=Kana,0\n@Kana\n80=\xE3\x81\x82\n42=B\n");
  const std::string rom = dir_.Write("ext.rom", "AB\xF0\x80");
  const ToolResult r = RunTool({"-t", table, "--table-syntax=extended",
                                "search", "--context", "1", "B", rom});
  EXPECT_EQ(r.out,
            "0x00000001  42  AB\n"
            "0x00000001  42  @Kana  AB\n"
            "2 hits\n");
}

// Each hit is shown through the starter table it implies itself; the ROM
// is read as a stream, from standard input as well as from a file.
TEST_F(SearchCommand, ShowsEachHitThroughItsOwnStarterTable) {
  const std::string rom =
      dir_.Write("r.rom", "xHEROx\x87\x84\x91\x8E\x80xHERO");
  const ToolResult r =
      RunTool({"search", "--relative", "HERO", "--context", "1", "-"}, rom);
  EXPECT_EQ(r.out,
            "0x00000001  A=41  <$78>HERO<$78>\n"
            "0x00000006  A=80  <$78>HEROA\n"
            "0x0000000C  A=41  <$78>HERO\n"
            "3 hits\n");
}

// Text with more spellings than are searched is searched for the first of
// them, and a note says so. "a" has two codes, so fourteen of them have
// 16384 spellings; listed from the code insert writes, 80, the first 10000
// hold each one with at most one 61 and none with 61 61 at their start.
TEST_F(SearchCommand, TellsWhenTextHasMoreSpellingsThanAreSearched) {
  const std::string table = dir_.Write("twice.tbl", "61=a\n80=a\n");
  const std::string text(14, 'a');
  const std::string rom = dir_.Write(
      "r.rom", std::string(14, '\x80') + "a" + std::string(13, '\x80') + "x" +
                   "aa" + std::string(12, '\x80'));
  const ToolResult r = RunTool({"-q", "-t", table, "search", text, rom});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err,
            "Note: \"aaaaaaaaaaaaaa\" has 16384 spellings through the table; "
            "only the first 10000 are searched\n");
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 16u) << r.out;
  EXPECT_EQ(Fields(lines[0]).at(1),
            "80 80 80 80 80 80 80 80 80 80 80 80 80 80");
  EXPECT_EQ(Fields(lines[14]).at(0), "0x0000000E");
  EXPECT_EQ(Fields(lines[14]).at(1),
            "61 80 80 80 80 80 80 80 80 80 80 80 80 80");
  EXPECT_EQ(lines[15], "15 hits");

  // Long codes reach the bytes the spellings may take before the count.
  const std::string longCodes =
      dir_.Write("long.tbl", "61=a\n" + std::string(2 * 100, '8') + "=a\n");
  const ToolResult some = RunTool({"-q", "-t", longCodes, "search", text, rom});
  EXPECT_EQ(some.status, 1) << some.err;
  EXPECT_TRUE(some.err.starts_with(
      "Note: \"aaaaaaaaaaaaaa\" has 16384 spellings through the table; "
      "only the first "))
      << some.err;
  EXPECT_EQ(some.out, "No hit for \"aaaaaaaaaaaaaa\"\n");
  const ToolResult none =
      RunTool({"-q", "-t", longCodes, "search", std::string(3000, 'a'), rom});
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.err, "Error! The spellings of \"" + std::string(3000, 'a') +
                          "\" take more than 262144 bytes, more than one "
                          "search looks for\n");
}

TEST_F(SearchCommand, RefusesWhatItCannotSearchSayingWhy) {
  const std::string rom = dir_.Write("r.rom", "xxHEROxx");
  const std::string table = dir_.Write("t.tbl", "41=A\n42=B\n");
  const std::string folder = dir_.Path("");
  const std::string missing = dir_.Path("missing.rom");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string says;
  } cases[] = {
      {{"search", "--relative", "", rom}, 2, "Error! WORD is empty\n"},
      {{"search", "--relative", "Hero", rom},
       2,
       "Error! WORD has a single letter of A-Z (\"H\"): its code cannot be "
       "told from one letter; write ? in its place or give more letters of "
       "A-Z\n"},
      {{"search", "--relative", "HE-RO", rom},
       2,
       "Error! \"-\" in WORD is in no alphabet (A-Z, a-z, 0-9 or "
       "--alphabet): write ? for a unit of any value\n"},
      {{"search", "--relative", "ab", "--alphabet", "aa", rom},
       2,
       "Error! --alphabet holds \"a\" twice\n"},
      {{"search", "--relative", "HERO", missing},
       2,
       "Error! Unable to open ROM file '" + missing +
           "': No such file or directory\n"},
      {{"search", "--relative", "HERO", folder},
       2,
       "Error! Unable to open ROM file '" + folder + "': Is a directory\n"},
      {{"-t", table, "search", "ABC", rom},
       2,
       "Error! The table cannot spell \"ABC\": no text of it starts with "
       "\"C\", after \"AB\"\n"},
      {{"-t", table, "search", "", rom}, 2, "Error! TEXT is empty\n"},
      {{"search", "--relative", "HERO", "--table-out", dir_.Path("t2.tbl"),
        "--hit", "2", rom},
       2,
       "Error! --hit 2 names no hit: there is 1 hit; no table written\n"},
  };
  for (const auto& c : cases) {
    const ToolResult r = RunTool(c.args);
    EXPECT_EQ(r.status, c.status) << c.says;
    EXPECT_EQ(r.err, c.says);
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("t2.tbl")));
}

TEST_F(SearchCommand, SaysSoWhenThereIsNoHit) {
  const std::string rom = dir_.Write("r.rom", "xxHEROxx");
  const std::string table = dir_.Write("t.tbl", "41=A\n42=B\n");
  ToolResult r = RunTool({"search", "--relative", "ABCDE", rom});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "No hit for \"ABCDE\"\n");
  EXPECT_EQ(r.err, "");
  r = RunTool({"-t", table, "search", "BA", rom});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "No hit for \"BA\"\n");
  const std::string out = dir_.Path("none.tbl");
  r = RunTool({"search", "--relative", "ABCDE", "--table-out", out, rom});
  EXPECT_EQ(r.status, 1);
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(SearchCommand, RefusesOptionsThatDoNotGoTogether) {
  const std::string rom = dir_.Write("r.rom", "xxHEROxx");
  const struct {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{"search", "--relative", "HERO", "--width", "3", rom},
       "--width needs 1 or 2 (bytes per letter), not '3'"},
      {{"-t", "t.tbl", "search", "--width", "2", "HERO", rom},
       "--width needs --relative WORD"},
      {{"-t", "t.tbl", "search", "--table-out", "x.tbl", "HERO", rom},
       "--table-out needs --relative WORD"},
      {{"search", "--relative", "HERO", "--hit", "2", rom},
       "--hit needs --table-out"},
      {{"search", "--relative", "HERO", "--table-out", "x", "--hit", "0", rom},
       "--hit counts hits from 1"},
      {{"search", "--relative", "HERO", "--context", "1025", rom},
       "--context takes at most 1024 bytes"},
      {{"-t", "t.tbl", "search", "--relative", "HERO", rom},
       "search --relative takes no table"},
      {{"search", "--relative", "HERO", "--table-syntax=extended", rom},
       "search --relative takes no table"},
      {{"search", "--relative", "HERO"}, "search --relative needs one ROM"},
      {{"search", "--relative", "HERO", rom, rom},
       "search --relative needs one ROM"},
      {{"-t", "t.tbl", "search", "HERO"}, "search needs TEXT and ROM"},
      {{"search", "HERO", rom},
       "search needs -t TABLE and TEXT, or --relative WORD"},
      {{"-t", "-", "search", "HERO", "-"},
       "the table and the ROM cannot both be standard input"},
      {{"-t", "t.tbl", "search", "-o", "x", "HERO", rom},
       "search does not take -o"},
      {{"-t", "t.tbl", "dump", "--context", "3", rom},
       "dump does not take --context"},
  };
  for (const auto& c : cases) {
    const ToolResult r = RunTool(c.args);
    EXPECT_EQ(r.status, 2) << c.says;
    EXPECT_TRUE(r.err.starts_with("dalvren-convert: " + c.says)) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(SearchCommand, RefusesARomOfTwoGibibytesBeforeReadingIt) {
  const std::string sparse = dir_.Write("sparse.rom", "");
  ASSERT_EQ(::truncate(sparse.c_str(), 1ll << 31), 0);
  const ToolResult r = RunTool({"search", "--relative", "HERO", sparse});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Error! Unable to read ROM file '" + sparse +
                       "': larger than 2147483647 bytes (2147483648 bytes), "
                       "the most one run can search\n");
}

// The ROM is read a window at a time: searching 24 MiB takes no more memory
// than searching 1 MiB, whichever search it is.
TEST_F(SearchCommand, MemoryDoesNotGrowWithTheRom) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's quarantine keeps freed memory";
#endif
  constexpr std::size_t kMiB = 1024 * 1024;
  const std::string table = dir_.Write("t.tbl", "41=A\n42=B\n8081=AB\n");
  // A mebibyte of text-free bytes with one hit of each search in it.
  std::string block(kMiB, '\0');
  for (std::size_t i = 0; i < block.size(); ++i) {
    block[i] = static_cast<char>(i * 29 % 251);
  }
  block.replace(kMiB / 2, 10, "HERO\x80\x81xxxx");
  const auto write = [&](const char* name, std::size_t mebibytes) {
    const std::string path = dir_.Path(name);
    std::ofstream out(path, std::ios::binary);
    for (std::size_t k = 0; k < mebibytes; ++k) out << block;
    return path;
  };
  const std::string small = write("small.rom", 1);
  const std::string large = write("large.rom", 24);
  const std::vector<std::string> searches[] = {{"search", "--relative", "HERO"},
                                               {"-t", table, "search", "AB"}};
  for (const std::vector<std::string>& args : searches) {
    std::vector<std::string> withSmall = args;
    withSmall.push_back(small);
    std::vector<std::string> withLarge = args;
    withLarge.push_back(large);
    const ToolResult a = RunTool(withSmall);
    const ToolResult b = RunTool(withLarge);
    ASSERT_EQ(a.status, 0) << a.err;
    ASSERT_EQ(b.status, 0) << b.err;
    EXPECT_TRUE(b.out.ends_with("\n24 hits\n")) << b.out;
    EXPECT_LT((b.peakKiB - a.peakKiB) * 1024, static_cast<long>(2 * kMiB))
        << args[1];
  }
}

// The sample ROM of the examples is what its generator writes.
TEST_F(SearchCommand, ExampleRomComesFromItsGenerator) {
  const std::string made = dir_.Path("search.rom");
  const ToolResult r = test::RunProgram(
      std::string(DALVREN_SCRIPTS_DIR) + "/make-search-rom.sh", {made}, {});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(made), ReadFile(ExamplePath("search.rom")));
}

}  // namespace
}  // namespace dalvren
