// The lines dump, insert and roundtrip write on standard error for table
// entries that replace earlier ones: the table, the line, the code or text,
// and what it held since which line. Through the built converter.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/ToolRunner.h"

namespace dalvren {
namespace {

using test::RunTool;
using test::TempDir;
using test::ToolResult;

TEST(ReplacementNotices, NameTheLineTheKeyAndWhatItHeld) {
  const struct {
    const char* syntax;
    std::string file;
    // Each line of standard error, without the table's name before it.
    std::vector<std::string> notices;
  } cases[] = {
      {"plain",
       "41=A\r\n\r\n41=a\r\n",
       {"line 3: code 41 was \"A\" (line 1), now \"a\""}},
      {"plain",
       "41=A\n43=A\n",
       {"line 2: text \"A\" was inserted as 41 (line 1), now as 43"}},
      {"plain",
       "8283=ab\n41=x\n8283=a\"b\n",
       {"line 3: code 8283 was \"ab\" (line 1), now \"a\\\"b\""}},
      // The earlier line is the last one that gave the key.
      {"plain",
       "41=A\n41=B\n42=B\n41=B\n",
       {"line 2: code 41 was \"A\" (line 1), now \"B\"",
        "line 3: text \"B\" was inserted as 41 (line 2), now as 42",
        "line 4: code 41 is given again (also on line 2)",
        "line 4: text \"B\" was inserted as 42 (line 3), now as 41"}},
      {"extended",
       "41=A\n@Kana\n41=ア\n41=イ\n",
       {"line 4: code 41 was \"ア\" (line 3), now \"イ\""}},
      // A text shared with a line-break code: insert now writes the later
      // code for a line break.
      {"extended",
       "*FE\n0A=\\n\n",
       {"line 2: text \"\\x0A\" was inserted as FE (line 1), now as 0A"}},
      {"extended",
       "/FF=[E]\n/FF=[F]\n$F5=<c>,1\n$F5=<c>,1\n",
       {"line 2: code FF was \"[E]\" (line 1), now \"[F]\"",
        "line 4: code F5 is given again (also on line 3)",
        "line 4: text \"<c>\" is given again (also on line 3)"}},
      // A text that takes the spelling of an end code and its line break
      // replaces nothing written on a line.
      {"extended", "/FF=E\n41=E\\n\n", {}},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const std::string table = dir.Write("t.tbl", c.file);
    std::string expected;
    for (const std::string& notice : c.notices) {
      expected += table + ": " + notice + "\n";
    }
    const std::string syntax = std::string("--table-syntax=") + c.syntax;
    // Empty, so that nothing is skipped or dropped to be told of.
    const std::string input = dir.Write("in", "");
    for (const char* command : {"dump", "insert", "roundtrip"}) {
      const ToolResult r = RunTool({"-t", table, syntax, command, input});
      EXPECT_EQ(r.err, expected) << c.file << command;
      const ToolResult quiet =
          RunTool({"-t", table, syntax, command, "-q", input});
      EXPECT_EQ(quiet.err, "") << c.file << command;
    }
  }
}

TEST(ReplacementNotices, NameStandardInputForATableReadFromIt) {
  TempDir dir;
  const ToolResult r = RunTool({"-t", "-", "insert", dir.Write("in", "a")},
                               dir.Write("t.tbl", "41=A\n41=a\n"));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "standard input: line 2: code 41 was \"A\" (line 1), now \"a\"\n");
}

}  // namespace
}  // namespace dalvren
