// Runs the built converter as a user would: a separate process with files
// for its standard streams. Also small file helpers for the tests.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace dalvren::test {

struct ToolResult {
  // The exit status, or -1 when the tool was killed by a signal or had to
  // be stopped after the time limit.
  int status = -1;
  // The signal that ended the program, 0 when it exited.
  int signal = 0;
  bool timedOut = false;
  std::string out;
  std::string err;
  // The peak resident memory of the process in KiB. Linux counts the
  // spawning process's resident memory at the moment of the exec too, so
  // tests that look at this keep their own memory small while the tool runs
  // and compare with a baseline run.
  long peakKiB = 0;
};

// How a program is run.
struct RunOptions {
  // The file standard input is read from; empty: /dev/null.
  std::string stdinPath;
  // The program is stopped after this many seconds, and that reported
  // instead of hanging.
  int timeoutSeconds = 60;
  // When 0 or more, every write beyond this file size fails (as on a full
  // disk) instead of stopping the program.
  long maxFileBytes = -1;
  // When 0 or more, the program's address space is limited to this many
  // bytes (RLIMIT_AS), so that allocating beyond it fails, as when memory
  // runs out. AddressSanitizer reserves terabytes of address space up front,
  // so a program built with it cannot start under such a limit.
  long maxAddressBytes = -1;
};

class TempDir;

// A program started as a separate process that runs on while the test goes
// on, with standard output and error captured, until Finish. One that is not
// finished is killed when this ends. Standard input is read from
// `options.stdinPath` as RunProgram does; SIGINT, SIGTERM and SIGHUP have
// their default actions in it, whatever the test's are.
class RunningTool {
 public:
  RunningTool(const std::string& program, const std::vector<std::string>& args,
              const RunOptions& options);
  ~RunningTool();
  RunningTool(const RunningTool&) = delete;
  RunningTool& operator=(const RunningTool&) = delete;

  // The process id; -1 when the program could not be started.
  [[nodiscard]] int Pid() const { return pid_; }

  // Waits for the program to end, at most the time limit of the options
  // from its start, and returns what it did.
  ToolResult Finish();

 private:
  int pid_ = -1;
  bool finished_ = false;
  int timeoutSeconds_;
  std::chrono::steady_clock::time_point started_;
  std::unique_ptr<TempDir> streams_;
};

// Runs `program` with `args` as a separate process, with standard output
// and error captured.
ToolResult RunProgram(const std::string& program,
                      const std::vector<std::string>& args,
                      const RunOptions& options);

// Runs the converter with `args`.
ToolResult RunTool(const std::vector<std::string>& args,
                   const RunOptions& options);

// The same with the options most tests need: standard input read from
// `stdinPath`, the time limit, and the file size limit.
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

}  // namespace dalvren::test
