// A table saved with a UTF-8 byte-order mark, as many editors on Windows save
// it, through the built converter: the mark is skipped, so the first entry
// converts, and check notes the mark without counting it against the table.
#include <string>

#include <gtest/gtest.h>

#include "tests/cli/ToolRunner.h"

namespace dalvren {
namespace {

using test::RunTool;
using test::TempDir;
using test::ToolResult;

constexpr char kMarkedTable[] =
    "\xEF\xBB\xBF"
    "41=A\n42=B\n";

TEST(ByteOrderMark, FirstEntryConvertsBothWays) {
  TempDir dir;
  const std::string table = dir.Write("marked.tbl", kMarkedTable);
  const ToolResult dumped = RunTool(
      {"-t", table, "dump", "--hex-in", dir.Write("rom.hex", "41 42 41")});
  EXPECT_EQ(dumped.status, 0) << dumped.err;
  EXPECT_EQ(dumped.out, "ABA");
  EXPECT_EQ(dumped.err, "");
  const ToolResult inserted =
      RunTool({"-t", table, "insert", "--hex-out", dir.Write("text", "ABA")});
  EXPECT_EQ(inserted.status, 0) << inserted.err;
  EXPECT_EQ(inserted.out, "414241");
}

TEST(ByteOrderMark, CheckNotesTheMarkAndStaysClean) {
  TempDir dir;
  const std::string table = dir.Write("marked.tbl", kMarkedTable);
  for (const char* strict : {"", "--strict"}) {
    SCOPED_TRACE(strict);
    std::vector<std::string> args = {"-t", table, "check"};
    if (*strict != '\0') args.emplace_back(strict);
    const ToolResult checked = RunTool(args);
    EXPECT_EQ(checked.status, 0);
    EXPECT_EQ(checked.out,
              "line 1: note: the file starts with a UTF-8 byte-order mark, "
              "which is skipped\n"
              "2 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 "
              "duplicates, 0 replacements\n");
  }
}

}  // namespace
}  // namespace dalvren
