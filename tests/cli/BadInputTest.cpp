// Hostile and huge inputs through the built converter: none may crash, hang
// or make memory grow beyond proportion, and each gets its defined behaviour.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
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

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer keeps freed memory in quarantine, so peak memory says
// nothing about the program; the runs still check for faults.
constexpr bool kMeasureMemory = false;
#else
constexpr bool kMeasureMemory = true;
#endif

constexpr std::size_t kMiB = 1024 * 1024;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kCanLimitAddressSpace = false;
#else
constexpr bool kCanLimitAddressSpace = true;
#endif

// The size of the large ROM in MiB; the huge table is half as large again.
// Optimised builds use the sizes users meet (64 MiB ROMs, a 100 MB table);
// unoptimised and sanitizer builds run the same code many times slower and
// use less, to keep the suite quick. DALVREN_LARGE_INPUT_MIB sets it for any
// build.
std::size_t LargeMiB() {
  if (const char* env = std::getenv("DALVREN_LARGE_INPUT_MIB")) {
    return std::max<std::size_t>(1, std::strtoul(env, nullptr, 10));
  }
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
  return 64;
#elif defined(__SANITIZE_ADDRESS__)
  return 8;
#else
  return 24;
#endif
}

// Writes `unit` repeated `count` times to `path` without holding it whole:
// this process must stay small while the tool's memory is measured.
void WriteRepeated(const std::string& path, const std::string& unit,
                   std::size_t count) {
  std::ofstream out(path, std::ios::binary);
  const std::size_t perBlock = std::max<std::size_t>(1, kMiB / unit.size());
  std::string block;
  for (std::size_t i = 0; i < perBlock; ++i) block += unit;
  for (std::size_t done = 0; done < count; done += perBlock) {
    const std::size_t n = std::min(perBlock, count - done);
    out.write(block.data(), static_cast<std::streamsize>(n * unit.size()));
  }
}

// Whether the file at `path` is exactly `unit` repeated `count` times,
// compared block by block.
::testing::AssertionResult IsRepeated(const std::string& path,
                                      const std::string& unit,
                                      std::size_t count) {
  std::ifstream in(path, std::ios::binary);
  std::string buffer(unit.size() * 4096, '\0');
  std::size_t seen = 0;
  for (;;) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    if (got % unit.size() != 0 && in) {
      return ::testing::AssertionFailure() << "short read";
    }
    for (std::size_t at = 0; at < got; at += unit.size()) {
      if (buffer.compare(at, unit.size(), unit) != 0) {
        return ::testing::AssertionFailure() << "unit " << seen << " differs";
      }
      ++seen;
    }
  }
  if (seen != count) {
    return ::testing::AssertionFailure()
           << seen << " units instead of " << count;
  }
  return ::testing::AssertionSuccess();
}

// Extra peak memory of `big` over `small`, in bytes.
long ExtraBytes(const ToolResult& big, const ToolResult& small) {
  return (big.peakKiB - small.peakKiB) * 1024;
}

std::string CoreTranslation(const std::string& tableFile,
                            const std::string& input) {
  std::istringstream in(tableFile);
  const auto table = Load(in);
  return test::TranslateToString(*table->forward, input);
}

class BadInput : public testing::Test {
 protected:
  const std::string table_ = ExamplePath("sample.tbl");
  const std::string rom_ = ExamplePath("sample.rom");
  TempDir dir_;
};

TEST_F(BadInput, DirectoryOrFifoAsTableIsRefusedWithTheOpenError) {
  const std::string fifo = dir_.Path("table.fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = dir_.Path("folder");
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {{folder, "Is a directory"}, {fifo, "Not a regular file"}};
  for (const auto& c : cases) {
    for (const char* command : {"check", "dump", "insert"}) {
      // Nobody writes to the FIFO: opening it as a stream would wait forever.
      const ToolResult r = RunTool({"-t", c.path, command}, rom_, 10);
      EXPECT_FALSE(r.timedOut) << c.path;
      EXPECT_EQ(r.status, 2);
      EXPECT_EQ(r.err, "Error! Unable to open table file '" + c.path +
                           "': " + c.reason + "\n");
      EXPECT_EQ(r.out, "");
    }
  }
}

TEST_F(BadInput, EmptyTableLoadsAndConvertsNothing) {
  const std::string empty = dir_.Write("empty.tbl", "");
  ToolResult r = RunTool({"-t", empty, "check"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "0 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, "
            "0 replacements\n");
  for (const char* command : {"dump", "insert"}) {
    r = RunTool({"-t", empty, command, rom_});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(BadInput, BinaryGarbageTableIsReadLikeAnyOther) {
  std::mt19937 random(2024);
  std::string garbage(1 << 20, '\0');
  // Mostly arbitrary bytes, with enough hex digits and "=" to make entries.
  const char kCommon[] = "0123456789ABCDEF=\n\r";
  for (char& c : garbage) {
    c = random() % 3 == 0 ? kCommon[random() % (sizeof kCommon - 1)]
                          : static_cast<char>(random());
  }
  const std::string table = dir_.Write("garbage.tbl", garbage);
  const ToolResult check = RunTool({"-t", table, "check"});
  ASSERT_FALSE(check.timedOut);
  ASSERT_EQ(check.status, 1);
  // The summary agrees with the lines reported above it.
  const auto count = [&](const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = check.out.find(what); at != std::string::npos;
         at = check.out.find(what, at + 1)) {
      ++n;
    }
    return n;
  };
  std::smatch summary;
  const std::string last =
      check.out.substr(check.out.rfind('\n', check.out.size() - 2) + 1);
  ASSERT_TRUE(std::regex_match(
      last, summary,
      std::regex("([0-9]+) entries, ([0-9]+) ignored lines, ([0-9]+) cut "
                 "lines?, ([0-9]+) alias(es)?, ([0-9]+) duplicates?, "
                 "([0-9]+) replacements?\n")))
      << last;
  EXPECT_GT(std::stoul(summary[1]), 1000u);
  EXPECT_EQ(std::stoul(summary[2]), count(": ignored: "));
  EXPECT_EQ(std::stoul(summary[3]), count(": cut at "));
  EXPECT_EQ(std::stoul(summary[4]), count(": alias: "));
  EXPECT_EQ(std::stoul(summary[6]), count(": duplicate of line "));
  EXPECT_EQ(std::stoul(summary[7]), count(": replacement: "));

  // Converting through it gives what the core gives, and behind every
  // finding about a replacement stands at least one of the loader's notices
  // (a pair replaced several times is one finding).
  const ToolResult dump = RunTool({"-t", table, "dump", rom_});
  ASSERT_EQ(dump.status, 0);
  EXPECT_EQ(dump.out, CoreTranslation(garbage, ReadFile(rom_)));
  std::size_t notices = 0;
  for (std::size_t at = dump.err.find(table + ": line ");
       at != std::string::npos; at = dump.err.find(table + ": line ", at + 1)) {
    ++notices;
  }
  EXPECT_GE(notices, std::stoul(summary[4]) + std::stoul(summary[6]) +
                         std::stoul(summary[7]));
  EXPECT_GT(std::stoul(summary[4]) + std::stoul(summary[7]), 0u);
}

TEST_F(BadInput, HugeTableStreamsThroughInBoundedMemory) {
  // 256 codes given over and over among comment lines and overlong lines;
  // the last round of each code wins.
  std::string block;
  for (int round = 0; round < 2; ++round) {
    for (int code = 0; code < 256; ++code) {
      block += test::MakeString(std::string(1, static_cast<char>(code)))
                   ->ToHex()
                   .get();
      block += '=';
      block.append(1 + code % 40, static_cast<char>('a' + code % 26));
      block += round == 0 ? "\n" : "!\r\n";
      block += "; ";
      block.append(300, 'c');
      block += '\n';
      block.append(600, '7');
      block += '\n';
    }
  }
  const std::size_t rounds = LargeMiB() * 3 / 2 * kMiB / block.size() + 1;
  const std::string table = dir_.Path("huge.tbl");
  WriteRepeated(table, block, rounds);
  std::string allBytes;
  std::string expected;
  for (int code = 0; code < 256; ++code) {
    allBytes += static_cast<char>(code);
    expected += std::string(1 + code % 40, 'a' + code % 26) + "!";
  }
  const std::string rom = dir_.Write("all.rom", allBytes);

  const ToolResult small =
      RunTool({"-t", dir_.Write("small.tbl", block), "dump", "-q", rom});
  const ToolResult big = RunTool({"-t", table, "dump", "-q", rom});
  ASSERT_FALSE(big.timedOut);
  ASSERT_EQ(big.status, 0) << big.err;
  EXPECT_EQ(big.out, expected);
  EXPECT_EQ(small.out, expected);
  EXPECT_EQ(big.err, "");
  if (kMeasureMemory) {
    EXPECT_LT(ExtraBytes(big, small), 16 * static_cast<long>(kMiB))
        << "a table is read line by line, never held whole";
  }
}

TEST_F(BadInput, SingleHugeLineIsCutIntoPiecesInBoundedMemory) {
  const std::size_t length = 10 * 1000 * 1000;
  const std::string table = dir_.Path("line.tbl");
  {
    std::ofstream out(table, std::ios::binary);
    out << "41=";
    WriteRepeated(dir_.Path("rest"), "a", length - 3);
    out << std::ifstream(dir_.Path("rest"), std::ios::binary).rdbuf();
  }
  const std::string report = dir_.Path("report.txt");
  const ToolResult small =
      RunTool({"-t", dir_.Write("short.tbl", "41=aa"), "check"});
  const ToolResult check = RunTool({"-t", table, "check"});
  ASSERT_FALSE(check.timedOut);
  EXPECT_EQ(check.status, 1);
  // The first 511 characters are an entry, every later piece has no "=".
  const std::size_t pieces = (length + 510) / 511;
  const std::string cut =
      "line 1: cut at 511 characters; the rest is read as further lines\n";
  std::string expected = cut;
  for (std::size_t i = 1; i < pieces; ++i) {
    expected += "line 1: ignored: no \"=\"\n";
  }
  expected += "1 entry, " + std::to_string(pieces - 1) +
              " ignored lines, 1 cut line, 0 aliases, 0 duplicates, 0 "
              "replacements\n";
  EXPECT_TRUE(check.out == expected) << check.out.substr(0, 500);

  const ToolResult dump =
      RunTool({"-t", table, "dump", "--hex-in"}, dir_.Write("41.hex", "41"));
  EXPECT_EQ(dump.out, std::string(508, 'a'));
  if (kMeasureMemory) {
    EXPECT_LT(ExtraBytes(check, small), 16 * static_cast<long>(kMiB));
  }
}

TEST_F(BadInput, LargeRomDumpsCompletelyInMemoryProportionalToItsSize) {
  // Whole codes only, so the text of the ROM is the text of one unit
  // repeated; the unit ends in FF and no code starts with FF 57.
  const std::string unit = ReadFile(rom_).substr(4, 89);
  const std::size_t units = LargeMiB() * kMiB / unit.size();
  const std::string rom = dir_.Path("large.rom");
  WriteRepeated(rom, unit, units);
  const std::string text = CoreTranslation(ReadFile(table_), unit);
  ASSERT_FALSE(text.empty());

  const std::string out = dir_.Path("large.txt");
  const ToolResult small =
      RunTool({"-t", table_, "dump", "-o", dir_.Path("small.txt"),
               dir_.Write("unit.rom", unit)});
  const ToolResult big = RunTool({"-t", table_, "dump", "-o", out, rom});
  ASSERT_FALSE(big.timedOut);
  ASSERT_EQ(big.status, 0) << big.err;
  EXPECT_TRUE(IsRepeated(out, text, units));
  if (kMeasureMemory) {
    const long input = static_cast<long>(units * unit.size());
    const long output = static_cast<long>(units * text.size());
    EXPECT_LT(ExtraBytes(big, small), input + output);
    EXPECT_GT(ExtraBytes(big, small), input / 2)
        << "the measurement must see the input being held";
  }
}

TEST_F(BadInput, LargeHexInputDecodesCompletely) {
  // 16 MiB of hex text in lines, as pasted from a hex editor.
  const std::string unit = ReadFile(rom_).substr(4, 89);
  std::string hexUnit;
  for (const char c : unit) {
    hexUnit += test::MakeString(std::string(1, c))->ToHex().get();
    hexUnit += hexUnit.size() % 48 == 47 ? "\n" : " ";
  }
  const std::size_t units = LargeMiB() / 4 * kMiB / hexUnit.size() + 1;
  const std::string hex = dir_.Path("large.hex");
  WriteRepeated(hex, hexUnit, units);
  const std::string out = dir_.Path("out.txt");
  const ToolResult r =
      RunTool({"-t", table_, "dump", "--hex-in", "-o", out}, hex);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(IsRepeated(out, CoreTranslation(ReadFile(table_), unit), units));
}

TEST_F(BadInput, InputsOfTwoGibibytesOrMoreAreRefusedNotTruncated) {
  const std::string sparse = dir_.Path("sparse.rom");
  ASSERT_EQ(::truncate(dir_.Write("sparse.rom", "").c_str(), 1ll << 31), 0);
  for (const char* mode : {"--hex-out", "--hex-in"}) {
    const ToolResult r = RunTool({"-t", table_, "dump", mode, sparse}, "", 20);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Error! Unable to read input file '" + sparse +
                         "': larger than 2147483647 bytes (2147483648 bytes), "
                         "the most one run can convert\n");
    EXPECT_LT(r.peakKiB, 512 * 1024) << "refused before reading";
  }
}

TEST_F(BadInput, RunningOutOfMemoryIsAnErrorThatLeavesNoFileBehind) {
  if (!kCanLimitAddressSpace) {
    GTEST_SKIP() << "AddressSanitizer reserves more address space than any "
                    "limit (RLIMIT_AS) that could make an allocation fail";
  }
  const std::string table = dir_.Write("t.tbl", "61=a\n62=b\n63=c\n6162=ab\n");
  // The converter starts in well under 16 MiB of address space, so 40 MiB
  // hold it and a 16 MiB input, but nothing in proportion to the input
  // besides: --optimal fails after the output file was opened. The dump
  // input is too large to be read at all.
  const std::string script = dir_.Path("script.txt");
  WriteRepeated(script, "abc", 16 * kMiB / 3);
  const std::string rom = dir_.Write("large.rom", "");
  ASSERT_EQ(::truncate(rom.c_str(), 64 * kMiB), 0);
  const struct {
    std::vector<std::string> args;
    const char* output;
  } cases[] = {
      {{"-t", table, "insert", "--optimal", "-o", dir_.Path("out.bin"), script},
       "out.bin"},
      {{"-t", table, "insert", "--optimal", "--hex-out", "-o",
        dir_.Path("out.hex"), script},
       "out.hex"},
      {{"-t", table, "dump", "-o", dir_.Path("out.txt"), rom}, "out.txt"},
      {{"-t", table, "dump", rom}, nullptr},
  };
  for (const auto& c : cases) {
    test::RunOptions options;
    options.maxAddressBytes = 40 * kMiB;
    const ToolResult r = RunTool(c.args, options);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(c.args);
    EXPECT_EQ(r.err, "Error! Out of memory\n");
    EXPECT_EQ(r.out, "");
    // Neither the output nor its temporary file.
    EXPECT_EQ(dir_.Names(),
              (std::vector<std::string>{"large.rom", "script.txt", "t.tbl"}))
        << (c.output != nullptr ? c.output : "standard output");
  }
}

}  // namespace
}  // namespace dalvren
