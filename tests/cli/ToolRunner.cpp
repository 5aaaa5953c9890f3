#include "tests/cli/ToolRunner.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <signal.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace dalvren::test {

RunningTool::RunningTool(const std::string& program,
                         const std::vector<std::string>& args,
                         const RunOptions& options)
    : timeoutSeconds_(options.timeoutSeconds),
      started_(std::chrono::steady_clock::now()),
      streams_(std::make_unique<TempDir>()) {
  const std::string outPath = streams_->Path("stdout");
  const std::string errPath = streams_->Path("stderr");
  std::vector<std::string> argvStore = {program};
  argvStore.insert(argvStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argvStore) argv.push_back(a.data());
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid == 0) {
    const std::string in =
        options.stdinPath.empty() ? "/dev/null" : options.stdinPath;
    const int fdIn = ::open(in.c_str(), O_RDONLY);
    const int fdOut =
        ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int fdErr =
        ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fdIn < 0 || fdOut < 0 || fdErr < 0) ::_exit(126);
    ::dup2(fdIn, 0);
    ::dup2(fdOut, 1);
    ::dup2(fdErr, 2);
    // An ignored signal would stay ignored across exec: a test run in the
    // background must not change what the program does on one.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
      ::signal(signal, SIG_DFL);
    }
    if (options.maxFileBytes >= 0) {
      // An ignored signal stays ignored across exec, so the write fails.
      ::signal(SIGXFSZ, SIG_IGN);
      const struct rlimit limit = {static_cast<rlim_t>(options.maxFileBytes),
                                   static_cast<rlim_t>(options.maxFileBytes)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.maxAddressBytes >= 0) {
      const struct rlimit limit = {
          static_cast<rlim_t>(options.maxAddressBytes),
          static_cast<rlim_t>(options.maxAddressBytes)};
      if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(126);
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  pid_ = pid < 0 ? -1 : pid;
}

RunningTool::~RunningTool() {
  if (pid_ >= 0 && !finished_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

ToolResult RunningTool::Finish() {
  ToolResult result;
  if (pid_ < 0 || finished_) return result;
  finished_ = true;
  const auto deadline = started_ + std::chrono::seconds(timeoutSeconds_);
  int wstatus = 0;
  struct rusage usage {};
  for (;;) {
    const pid_t done = ::wait4(pid_, &wstatus, WNOHANG, &usage);
    if (done == pid_) break;
    if (std::chrono::steady_clock::now() > deadline) {
      result.timedOut = true;
      ::kill(pid_, SIGKILL);
      ::wait4(pid_, &wstatus, 0, &usage);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!result.timedOut && WIFEXITED(wstatus)) {
    result.status = WEXITSTATUS(wstatus);
  }
  if (!result.timedOut && WIFSIGNALED(wstatus)) {
    result.signal = WTERMSIG(wstatus);
  }
  result.peakKiB = usage.ru_maxrss;
  result.out = ReadFile(streams_->Path("stdout"));
  result.err = ReadFile(streams_->Path("stderr"));
  return result;
}

ToolResult RunProgram(const std::string& program,
                      const std::vector<std::string>& args,
                      const RunOptions& options) {
  RunningTool tool(program, args, options);
  return tool.Finish();
}

ToolResult RunTool(const std::vector<std::string>& args,
                   const RunOptions& options) {
  return RunProgram(DALVREN_CONVERT_PATH, args, options);
}

ToolResult RunTool(const std::vector<std::string>& args,
                   const std::string& stdinPath, int timeoutSeconds,
                   long maxFileBytes) {
  RunOptions options;
  options.stdinPath = stdinPath;
  options.timeoutSeconds = timeoutSeconds;
  options.maxFileBytes = maxFileBytes;
  return RunTool(args, options);
}

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
      "/dalvren-cli-XXXXXX";
  if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Path(const std::string& name) const {
  return (path_ / name).string();
}

std::string TempDir::Write(const std::string& name,
                           const std::string& bytes) const {
  const std::string path = Path(name);
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::vector<std::string> TempDir::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ExamplePath(const std::string& name) {
  return std::string(DALVREN_EXAMPLES_DIR) + "/" + name;
}

}  // namespace dalvren::test
