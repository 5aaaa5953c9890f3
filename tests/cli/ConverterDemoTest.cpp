// The part of run.sh for a machine without a display: the script that shows
// the built converter at work on the sample files.
#include <filesystem>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "core/ByteToken.h"
#include "core/CodeTable.h"
#include "tests/cli/ToolRunner.h"
#include "tests/support/CoreTestSupport.h"

namespace dalvren {
namespace {

using test::ExamplePath;
using test::ReadFile;
using test::RunOptions;
using test::RunProgram;
using test::ToolResult;

const std::string kScript =
    std::string(DALVREN_SCRIPTS_DIR) + "/converter-demo.sh";

TEST(ConverterDemo, SaysWhyAndDumpsTheSampleRomWithTheBuiltConverter) {
  const std::string folder =
      std::filesystem::path(DALVREN_CONVERT_PATH).parent_path().string();
  const ToolResult r = RunProgram(kScript, {folder}, RunOptions());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("Dalvren's window needs a display, and there is none"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\n  " + folder + "/dalvren-convert\n"),
            std::string::npos)
      << r.out;

  std::istringstream table(ReadFile(ExamplePath("sample.tbl")));
  std::ostringstream dumped;
  Load(table)->forward->Translate(
      dumped, test::AsBytes(ReadFile(ExamplePath("sample.rom"))),
      TokenWritingHooks());
  const std::string dump = dumped.str();
  ASSERT_TRUE(dump.starts_with("<$00><$01><$02><$03>Welcome, Hero!")) << dump;
  EXPECT_TRUE(r.out.ends_with("\n$ " + folder +
                              "/dalvren-convert -t examples/sample.tbl dump "
                              "--unknown=hex examples/sample.rom\n" +
                              dump + "\n"))
      << r.out;
}

TEST(ConverterDemo, FailsNamingAConverterThatIsNotThere) {
  const test::TempDir dir;
  const std::string folder = dir.Path("build");
  const ToolResult r = RunProgram(kScript, {folder}, RunOptions());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find(folder + "/dalvren-convert is not built"),
            std::string::npos)
      << r.err;
}

}  // namespace
}  // namespace dalvren
