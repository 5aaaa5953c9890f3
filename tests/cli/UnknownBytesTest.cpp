// --unknown=hex through the built converter: bytes no code covers survive a
// dump and an insert as "<$XX>" tokens.
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/CodeTable.h"
#include "tests/cli/ToolRunner.h"
#include "tests/support/CoreTestSupport.h"

namespace dalvren {
namespace {

using test::ExamplePath;
using test::ReadFile;
using test::RunTool;
using test::TempDir;
using test::ToolResult;
using namespace std::string_literals;

std::string ForwardOf(const std::string& tablePath, const std::string& rom) {
  std::istringstream in(ReadFile(tablePath));
  const auto table = Load(in);
  return test::TranslateToString(*table->forward, rom);
}

class UnknownBytes : public testing::Test {
 protected:
  const std::string table_ = ExamplePath("sample.tbl");
  TempDir dir_;
};

TEST_F(UnknownBytes, DumpWritesUpperCaseTokensWhereSkipWouldDropBytes) {
  const std::string rom = ExamplePath("sample.rom");
  const std::string bytes = ReadFile(rom);
  const ToolResult hex = RunTool({"-t", table_, "dump", "--unknown=hex", rom});
  ASSERT_EQ(hex.status, 0) << hex.err;
  // The sample starts with 00 01 02 03 and ends with 00 00, which no code
  // covers; everything between is text.
  EXPECT_EQ(hex.out, "<$00><$01><$02><$03>" +
                         ForwardOf(table_, bytes.substr(4, 89)) + "<$00><$00>");
  const ToolResult skip =
      RunTool({"-t", table_, "dump", "--unknown", "skip", rom});
  EXPECT_EQ(skip.out, ForwardOf(table_, bytes));
  const ToolResult upper =
      RunTool({"-t", table_, "dump", "--unknown=hex", "--hex-in"},
              dir_.Write("in.hex", "ab cd 0e"));
  EXPECT_EQ(upper.out, "<$AB><$CD><$0E>");
}

TEST_F(UnknownBytes, DumpAndInsertGiveBackARomWithUncoveredBytesExactly) {
  const std::string rom = ExamplePath("uncovered.rom");
  const std::string bytes = ReadFile(rom);
  const std::string script = dir_.Path("script.txt");
  const std::string back = dir_.Path("back.rom");
  ASSERT_EQ(RunTool({"-t", table_, "dump", "--unknown=hex", "-o", script, rom})
                .status,
            0);
  ASSERT_EQ(
      RunTool({"-t", table_, "insert", "--unknown=hex", "-o", back, script})
          .status,
      0);
  EXPECT_EQ(ReadFile(back), bytes);
  // Without --unknown=hex insert reads the tokens as plain text, and the
  // bytes they stand for are not written.
  const ToolResult skipped = RunTool({"-t", table_, "insert", script});
  EXPECT_NE(skipped.out, bytes);
  EXPECT_EQ(skipped.out.find('\x10'), std::string::npos) << skipped.out;
}

TEST_F(UnknownBytes, RandomRomsWithUncoveredBytesSurviveUnchanged) {
  // One-byte codes for the letters, one code for a word and a two-byte code
  // for another. The ROMs use only the letters a to m, which spell neither
  // word, so the only way back to bytes is the way they came; every other
  // byte (apart from the first bytes of codes) is uncovered, "<" and "$"
  // included.
  std::string tableText;
  for (int i = 0; i < 26; ++i) {
    tableText += test::MakeString(std::string(1, static_cast<char>(0x41 + i)))
                     ->ToHex()
                     .get();
    tableText += "=";
    tableText += static_cast<char>('a' + i);
    tableText += "\n";
  }
  tableText += "E0=the\nE1E2=sword\n";
  const std::string table = dir_.Write("letters.tbl", tableText);
  std::mt19937 random(99);
  for (int round = 0; round < 5; ++round) {
    std::string rom;
    while (rom.size() < 600) {
      const unsigned pick = random() % 10;
      if (pick < 5) {
        rom += static_cast<char>(0x41 + random() % 13);
      } else if (pick == 5) {
        rom += "\xE0";
      } else if (pick == 6) {
        rom += "\xE1\xE2";
      } else {
        unsigned char b = 0;
        do {
          b = static_cast<unsigned char>(random());
        } while ((b >= 0x41 && b <= 0x5A) || b == 0xE0 || b == 0xE1);
        rom += static_cast<char>(b);
      }
    }
    const ToolResult dump = RunTool(
        {"-t", table, "dump", "--unknown=hex", dir_.Write("r.rom", rom)});
    ASSERT_EQ(dump.status, 0) << dump.err;
    const ToolResult insert = RunTool({"-t", table, "insert", "--unknown=hex",
                                       dir_.Write("s.txt", dump.out)});
    ASSERT_EQ(insert.status, 0) << insert.err;
    EXPECT_EQ(insert.out, rom) << "round " << round << ": " << dump.out;
  }
}

TEST_F(UnknownBytes, InsertTakesATokenBeforeTheTableAndOnlyWithHex) {
  const std::string table = dir_.Write("lt.tbl", "3C=<\n24=$\n41=A\n80=<$\n");
  struct Case {
    std::vector<std::string> options;
    std::string script;
    std::string bytes;
  };
  const Case cases[] = {
      {{"--unknown=hex"}, "<$41>A", "AA"},
      {{"--unknown=hex"}, "<$ff><$Fe>", "\xFF\xFE"},
      {{"--unknown=hex"}, "<<$00>", "<\0"s},
      // No token: the table's "<$", then nothing for "4", "g" and ">".
      {{"--unknown=hex"}, "<$4>", "\x80"},
      {{"--unknown=hex"}, "<$4g>", "\x80"},
      {{"--unknown=skip"},
       "<$41>A",
       "\x80"
       "A"},
      {{},
       "<$41>A",
       "\x80"
       "A"},
      {{"--unknown=hex", "--hex-in"}, "3C 24 34 31 3E 41", "AA"},
      {{"--unknown=hex", "--hex-out"}, "<$00>A", "0041"},
      {{"--unknown=hex", "--optimal"}, "<$41>$", "A$"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-t", table, "insert"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(dir_.Write("script", c.script));
    const ToolResult r = RunTool(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.bytes)
        << testing::PrintToString(c.options) << " " << c.script;
  }
}

}  // namespace
}  // namespace dalvren
