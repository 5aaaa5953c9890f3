// check through the built converter: what fails a script and what only warns.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/ToolRunner.h"

namespace dalvren {
namespace {

using test::RunTool;
using test::TempDir;
using test::ToolResult;

TEST(CheckCommand, OnlyLinesThatDoNotLoadAsWrittenFailWithoutStrict) {
  const struct {
    const char* what;
    std::string file;
    int status;
    int strictStatus;
    std::string out;
  } cases[] = {
      {"clean", "41=A\n42=B\n", 0, 0,
       "2 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, 0 "
       "replacements\n"},
      {"alias", "21=\xC2\xA1\n21=!\n", 0, 1,
       "line 2: alias: code 21 dumps as \"!\" (line 2); \"\xC2\xA1\" (line "
       "1) still inserts as 21\n"
       "2 entries, 0 ignored lines, 0 cut lines, 1 alias, 0 duplicates, 0 "
       "replacements\n"},
      {"duplicate", "41=A\n41=A\n", 0, 1,
       "line 2: duplicate of line 1\n"
       "2 entries, 0 ignored lines, 0 cut lines, 0 aliases, 1 duplicate, 0 "
       "replacements\n"},
      {"shared text", "41=A\n42=A\n", 0, 1,
       "line 2: warning: text \"A\" is shared by codes 41 (line 1) and 42 "
       "(line 2); insert writes only 42\n"
       "1 warning\n"
       "2 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, 0 "
       "replacements\n"},
      {"real loss", "41=A\n41=B\n42=A\n", 1, 1,
       "line 3: replacement: 41=\"A\" (line 1) is lost: code 41 dumps as "
       "\"B\" (line 2), \"A\" inserts as 42 (line 3)\n"
       "3 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, 1 "
       "replacement\n"},
      {"alias taken away", "21=\xC2\xA1\r\n21=!\r\n22=\xC2\xA1\r\n", 1, 1,
       "line 3: replacement: 21=\"\xC2\xA1\" (line 1) is lost: code 21 dumps "
       "as \"!\" (line 2), \"\xC2\xA1\" inserts as 22 (line 3)\n"
       "3 entries, 0 ignored lines, 0 cut lines, 0 aliases, 0 duplicates, 1 "
       "replacement\n"},
      {"ignored line beside aliases", "21=a\n21=b\nx\n", 1, 1,
       "line 3: ignored: no \"=\"\n"
       "line 2: alias: code 21 dumps as \"b\" (line 2); \"a\" (line 1) still "
       "inserts as 21\n"
       "2 entries, 1 ignored line, 0 cut lines, 1 alias, 0 duplicates, 0 "
       "replacements\n"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const std::string table = dir.Write("t.tbl", c.file);
    const ToolResult plain = RunTool({"-t", table, "check"});
    EXPECT_EQ(plain.status, c.status) << c.what;
    EXPECT_EQ(plain.out, c.out) << c.what;
    EXPECT_EQ(plain.err, "") << c.what << ": check tells replacements itself";
    const ToolResult strict = RunTool({"-t", table, "check", "--strict"});
    EXPECT_EQ(strict.status, c.strictStatus) << c.what;
    EXPECT_EQ(strict.out, c.out) << c.what;
  }
}

TEST(CheckCommand, AnAliasDoesWhatItsReportSays) {
  // Code 21 dumps as "!", and "¡" still inserts as 21: the replacement is
  // what such tables are for, so check passes them.
  TempDir dir;
  const std::string table = dir.Write("alias.tbl", "21=\xC2\xA1\n21=!\n");
  const ToolResult insert = RunTool(
      {"-t", table, "insert", "-q", "--hex-out", dir.Write("in", "\xC2\xA1!")});
  EXPECT_EQ(insert.out, "2121");
  const ToolResult dump =
      RunTool({"-t", table, "dump", "-q", dir.Write("rom", "\x21")});
  EXPECT_EQ(dump.out, "!");
  EXPECT_EQ(RunTool({"-t", table, "check"}).status, 0);
}

}  // namespace
}  // namespace dalvren
