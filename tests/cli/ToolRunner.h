// Runs the built converter as a user would: a separate process with files
// for its standard streams. Also small file helpers for the tests.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace dalvren_test {

struct ToolResult {
  // The exit status, or -1 when the tool was killed by a signal or had to
  // be stopped after the time limit.
  int status = -1;
  bool timedOut = false;
  std::string out;
  std::string err;
  // The peak resident memory of the process in KiB. Linux counts the
  // spawning process's resident memory at the moment of the exec too, so
  // tests that look at this keep their own memory small while the tool runs
  // and compare with a baseline run.
  long peakKiB = 0;
};

// Runs the converter with `args`, standard input read from `stdinPath`
// (empty: /dev/null), standard output and error captured. Stops the tool
// after `timeoutSeconds` and reports that instead of hanging. A
// `maxFileBytes` of 0 or more makes every write beyond that file size fail
// (as on a full disk) instead of stopping the tool.
ToolResult RunTool(const std::vector<std::string>& args,
                   const std::string& stdinPath = "", int timeoutSeconds = 60,
                   long maxFileBytes = -1);

// A fresh folder removed with everything in it at the end of its scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // `name` inside the folder.
  [[nodiscard]] std::string Path(const std::string& name) const;
  // Writes `bytes` to `name` inside the folder and returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const;
  // The names in the folder, sorted.
  [[nodiscard]] std::vector<std::string> Names() const;

 private:
  std::filesystem::path path_;
};

// The whole contents of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);

// The sample table and ROM shipped in examples/.
std::string ExamplePath(const std::string& name);

}  // namespace dalvren_test
