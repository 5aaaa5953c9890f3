// What -o does to the files around it: it never replaces the table it reads,
// and a signal that ends the program leaves no temporary file behind.
// Through the built converter.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/ToolRunner.h"

namespace dalvren {
namespace {

using test::ReadFile;
using test::RunningTool;
using test::RunTool;
using test::TempDir;
using test::ToolResult;

TEST(OutputFile, NamingTheTableFileInAnyWayIsRefused) {
  TempDir dir;
  const std::string tableText = "41=A\n42=B\n";
  const std::string table = dir.Write("t.tbl", tableText);
  const std::string hard = dir.Path("hard.tbl");
  const std::string soft = dir.Path("soft.tbl");
  ASSERT_EQ(::link(table.c_str(), hard.c_str()), 0);
  ASSERT_EQ(::symlink("t.tbl", soft.c_str()), 0);
  const std::string input = dir.Write("in.txt", "AB");
  const std::vector<std::string> names = dir.Names();
  const std::string folder = dir.Path("");
  const struct {
    std::string table;
    std::string output;
  } cases[] = {
      {table, table}, {table, folder + "./t.tbl"},
      {table, hard},  {table, soft},
      {soft, table},  {hard, soft},
  };
  for (const auto& c : cases) {
    for (const char* command : {"dump", "insert"}) {
      for (const char* syntax : {"plain", "extended"}) {
        const ToolResult r = RunTool({"-t", c.table, "--table-syntax", syntax,
                                      command, "-o", c.output, input});
        EXPECT_EQ(r.status, 2) << c.output << " " << command;
        EXPECT_EQ(r.err, "Error! Output file '" + c.output +
                             "' is the table file '" + c.table +
                             "': the output would replace it\n");
        EXPECT_EQ(ReadFile(table), tableText);
        EXPECT_EQ(dir.Names(), names);
      }
    }
  }
  // The input may still be the output, and a table read from standard
  // input is no file to protect.
  ASSERT_EQ(RunTool({"-t", table, "insert", "-o", input, input}).status, 0);
  EXPECT_EQ(ReadFile(input), "AB");
  const ToolResult piped = RunTool({"-t", "-", "insert", "-o", table, input},
                                   dir.Write("copy.tbl", tableText));
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(ReadFile(table), "AB");
}

// True once a file whose name starts with `prefix` is in `dir`, false when
// none appeared within `seconds`.
bool AppearsIn(const TempDir& dir, const std::string& prefix, int seconds) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::vector<std::string> names = dir.Names();
    if (std::any_of(names.begin(), names.end(), [&](const std::string& n) {
          return n.starts_with(prefix);
        })) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

TEST(OutputFile, ASignalWhileTheInputIsReadLeavesNoTemporaryFile) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    for (const bool existing : {false, true}) {
      SCOPED_TRACE(std::string(strsignal(signal)) +
                   (existing ? ", output existing" : ", new output"));
      TempDir dir;
      const std::string table = dir.Write("t.tbl", "41=A\n42=B\n");
      const std::string out = dir.Path("out.rom");
      if (existing) dir.Write("out.rom", "precious");
      const std::string fifo = dir.Path("in.fifo");
      ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
      const std::vector<std::string> before = dir.Names();
      // Held open for writing, the FIFO never ends: the program is still
      // reading its input when the signal comes.
      const int writer = ::open(fifo.c_str(), O_RDWR);
      ASSERT_GE(writer, 0);
      ASSERT_EQ(::write(writer, "AB", 2), 2);
      RunningTool tool(DALVREN_CONVERT_PATH,
                       {"-t", table, "insert", "-o", out, fifo}, {});
      ASSERT_GE(tool.Pid(), 0);
      const bool started = AppearsIn(dir, ".out.rom.", 20);
      ::kill(tool.Pid(), signal);
      const ToolResult r = tool.Finish();
      ::close(writer);
      ASSERT_TRUE(started) << "no temporary file while the input is read";
      EXPECT_EQ(r.signal, signal) << r.status << " " << r.err;
      EXPECT_EQ(dir.Names(), before);
      if (existing) {
        EXPECT_EQ(ReadFile(out), "precious");
      }
    }
  }
}

}  // namespace
}  // namespace dalvren
