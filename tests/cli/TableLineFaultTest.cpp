// Lines of a table that look right in an editor but hold what the editor
// does not show: a zero byte before the "=", blanks after a special code.
// Through the built converter, in both syntaxes.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/ToolRunner.h"

namespace dalvren {
namespace {

using test::RunTool;
using test::TempDir;
using test::ToolResult;
using namespace std::string_literals;

std::vector<std::string> Args(const std::string& table, bool extended,
                              std::vector<std::string> rest) {
  std::vector<std::string> args = {"-t", table};
  if (extended) args.emplace_back("--table-syntax=extended");
  args.insert(args.end(), rest.begin(), rest.end());
  return args;
}

TEST(TableLineFaults, CheckNamesAZeroByteThatHidesTheEquals) {
  TempDir dir;
  // Line 1 starts with a zero byte, line 2 has one inside its code, line 3
  // has one but no "=" at all, line 5 one in its text, which is fine.
  const std::string table = dir.Write("t.tbl",
                                      "\0"
                                      "41=A\n4\0"
                                      "1=A\n\0x\n42=B\n43=C\0D\n"s);
  for (const bool extended : {false, true}) {
    const ToolResult r = RunTool(Args(table, extended, {"check"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.starts_with(
        "line 1: ignored: a zero byte comes before the \"=\"\n"
        "line 2: ignored: a zero byte comes before the \"=\"\n"
        "line 3: ignored: no \"=\"\n"
        "2 entries, 3 ignored lines,"))
        << r.out;
  }
}

TEST(TableLineFaults, BlanksAfterALineBreakOrEndCodeAreInvisibleAndIgnored) {
  TempDir dir;
  const std::string table =
      dir.Write("t.tbl", "41=A\n*FE \n/FF\t \n*FD x\n/FC =x\n");
  const ToolResult check = RunTool(Args(table, true, {"check"}));
  EXPECT_EQ(check.status, 1);
  EXPECT_TRUE(check.out.starts_with(
      "line 4: ignored: line-break code followed by more than its code\n"
      "line 5: ignored: code not made of pairs of hexadecimal digits\n"
      "3 entries, 2 ignored lines,"))
      << check.out;
  const ToolResult dump = RunTool(
      Args(table, true, {"dump", dir.Write("rom", "\x41\xFE\x41\xFF")}));
  EXPECT_EQ(dump.status, 0) << dump.err;
  EXPECT_EQ(dump.out, "A\nA<$FF>\n");
  const ToolResult insert = RunTool(Args(
      table, true, {"insert", "--hex-out", dir.Write("s", "A\nA<$FF>\n")}));
  EXPECT_EQ(insert.status, 0) << insert.err;
  EXPECT_EQ(insert.out, "41FE41FF");
}

}  // namespace
}  // namespace dalvren
