#include <string>

#include <gtest/gtest.h>

#include "core/TableReport.h"

namespace dalvren {
namespace {

using namespace std::string_literals;

TEST(QuotedText, EscapesWhatATerminalWouldMangle) {
  const struct {
    std::string bytes;
    std::string quoted;
  } cases[] = {
      {"", "\"\""},
      {"Hero ", "\"Hero \""},
      {"\xe5\x8b\x87", "\"\xe5\x8b\x87\""},  // UTF-8 passes unchanged
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"\0\t\x1b\x7f"s, "\"\\x00\\x09\\x1B\\x7F\""},
  };
  for (const auto& c : cases) EXPECT_EQ(QuotedText(c.bytes), c.quoted);
}

}  // namespace
}  // namespace dalvren
