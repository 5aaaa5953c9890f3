// Whole-process comparison: dalvren-convert dumping a realistic 4 MiB ROM
// against the plain std::map converter, both started as real processes.
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/TableGenerator.h"

extern char** environ;

namespace dalvren {
namespace {

namespace fs = std::filesystem;

// Runs `args` as a child process with standard error discarded; returns its
// exit status, or -1 when it could not run.
int Run(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) < 0 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Files {
  Files()
      : dir(fs::temp_directory_path() /
            ("dalvren-bench-" + std::to_string(getpid()))) {
    fs::create_directories(dir);
    const auto entries = bench::RealisticEntries();
    std::ofstream(dir / "table.tbl", std::ios::binary)
        << bench::TableFile(entries);
    std::ofstream(dir / "rom.bin", std::ios::binary)
        << bench::RomOf(entries, 4u << 20);
  }
  ~Files() { fs::remove_all(dir); }
  fs::path dir;
};

double Seconds(const std::vector<std::string>& args, bool& ok) {
  const auto start = std::chrono::steady_clock::now();
  ok = ok && Run(args) == 0;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
      .count();
}

void BM_ProcessDumpVersusNaiveConverter(benchmark::State& state) {
  static const Files files;
  const std::string table = (files.dir / "table.tbl").string();
  const std::string rom = (files.dir / "rom.bin").string();
  const std::string ours = (files.dir / "ours.txt").string();
  const std::string naive = (files.dir / "naive.txt").string();
  const std::vector<std::string> oursArgs = {
      DALVREN_CONVERT, "-t", table, "dump", "-o", ours, rom};
  const std::vector<std::string> naiveArgs = {NAIVE_CONVERT, table, rom, naive};
  double oursTotal = 0;
  double naiveTotal = 0;
  bool ok = true;
  for (auto _ : state) {
    const double a = Seconds(oursArgs, ok);
    const double b = Seconds(naiveArgs, ok);
    state.SetIterationTime(a);
    oursTotal += a;
    naiveTotal += b;
  }
  if (!ok || ReadFile(ours) != ReadFile(naive)) {
    state.SkipWithError("the two converters failed or disagree");
    return;
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["dalvren_ms"] = 1000 * oursTotal / n;
  state.counters["naive_ms"] = 1000 * naiveTotal / n;
  state.counters["speedup"] = naiveTotal / oursTotal;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          (4 << 20));
}
BENCHMARK(BM_ProcessDumpVersusNaiveConverter)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
}  // namespace dalvren

BENCHMARK_MAIN();
