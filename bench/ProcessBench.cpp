// Whole-process comparison: dalvren-convert dumping a realistic 4 MiB ROM
// against the plain std::map converter, both started as real processes.
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
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
    const std::string rom = bench::RomOf(entries, kSize);
    std::ofstream(dir / "rom.bin", std::ios::binary) << rom;
    // The text the ROM dumps to, cut to the same size, for insert.
    std::map<std::string, std::string> texts;
    for (const auto& e : entries) texts[e.code] = e.text;
    std::string text;
    for (std::size_t pos = 0, length = 1; text.size() < kSize;) {
      const auto it = texts.find(rom.substr(pos, length));
      if (it == texts.end()) {
        ++length;  // the codes are prefix-free: one byte or two
        continue;
      }
      text += it->second;
      pos += length;
      length = 1;
    }
    text.resize(kSize);
    std::ofstream(dir / "text.txt", std::ios::binary) << text;
    std::ofstream(dir / "long-text.tbl", std::ios::binary)
        << bench::TableFile(bench::HostileLongTextEntries());
    std::ofstream(dir / "letters.txt", std::ios::binary)
        << std::string(kSize, 'a');
    std::ofstream(dir / "long-code.tbl", std::ios::binary)
        << bench::TableFile(bench::HostileLongCodeEntries());
    std::ofstream(dir / "codes.bin", std::ios::binary)
        << std::string(kSize, '\x01');
  }
  static constexpr std::size_t kSize = std::size_t{4} << 20;
  ~Files() { fs::remove_all(dir); }
  fs::path dir;
};

double Seconds(const std::vector<std::string>& args, bool& ok) {
  const auto start = std::chrono::steady_clock::now();
  ok = ok && Run(args) == 0;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
      .count();
}

// Runs `measured` and then `yardstick` once per iteration, reporting the
// first's time as the iteration's. Returns the mean seconds of each, or
// nothing when a run failed.
struct CPairTimes {
  double measured = 0;
  double yardstick = 0;
};
std::optional<CPairTimes> TimePair(benchmark::State& state,
                                   const std::vector<std::string>& measured,
                                   const std::vector<std::string>& yardstick) {
  CPairTimes total;
  bool ok = true;
  for (auto _ : state) {
    const double a = Seconds(measured, ok);
    const double b = Seconds(yardstick, ok);
    state.SetIterationTime(a);
    total.measured += a;
    total.yardstick += b;
  }
  if (!ok) return std::nullopt;
  const auto n = static_cast<double>(state.iterations());
  return CPairTimes{total.measured / n, total.yardstick / n};
}

const Files& BenchFiles() {
  static const Files files;
  return files;
}

void BM_ProcessDumpVersusNaiveConverter(benchmark::State& state) {
  const Files& files = BenchFiles();
  const std::string table = (files.dir / "table.tbl").string();
  const std::string rom = (files.dir / "rom.bin").string();
  const std::string ours = (files.dir / "ours.txt").string();
  const std::string naive = (files.dir / "naive.txt").string();
  const std::vector<std::string> oursArgs = {
      DALVREN_CONVERT, "-t", table, "dump", "-o", ours, rom};
  const std::vector<std::string> naiveArgs = {NAIVE_CONVERT, table, rom, naive};
  const std::optional<CPairTimes> times = TimePair(state, oursArgs, naiveArgs);
  if (!times || ReadFile(ours) != ReadFile(naive)) {
    state.SkipWithError("the two converters failed or disagree");
    return;
  }
  state.counters["dalvren_ms"] = 1000 * times->measured;
  state.counters["naive_ms"] = 1000 * times->yardstick;
  state.counters["speedup"] = times->yardstick / times->measured;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          (4 << 20));
}
BENCHMARK(BM_ProcessDumpVersusNaiveConverter)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// A hostile table against the realistic one, on inputs of the same size,
// whole processes: `command` is dump or insert, and `extra` an option.
void HostileVersusRealistic(benchmark::State& state, const char* command,
                            const char* realisticInput, const char* table,
                            const char* input, const char* extra) {
  const fs::path& dir = BenchFiles().dir;
  const auto args = [&](const char* tbl, const char* in) {
    std::vector<std::string> a = {DALVREN_CONVERT, "-t", (dir / tbl).string(),
                                  command};
    if (*extra != '\0') a.emplace_back(extra);
    a.insert(a.end(), {"-o", (dir / "out.bin").string(), (dir / in).string()});
    return a;
  };
  const auto realisticArgs = args("table.tbl", realisticInput);
  const auto hostileArgs = args(table, input);
  const std::optional<CPairTimes> times =
      TimePair(state, hostileArgs, realisticArgs);
  if (!times) {
    state.SkipWithError("the converter failed");
    return;
  }
  state.counters["hostile_ms"] = 1000 * times->measured;
  state.counters["realistic_ms"] = 1000 * times->yardstick;
  state.counters["ratio"] = times->measured / times->yardstick;
}

void BM_ProcessInsertHostileLongText(benchmark::State& state) {
  HostileVersusRealistic(state, "insert", "text.txt", "long-text.tbl",
                         "letters.txt", "");
}
BENCHMARK(BM_ProcessInsertHostileLongText)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_ProcessDumpHostileLongCode(benchmark::State& state) {
  HostileVersusRealistic(state, "dump", "rom.bin", "long-code.tbl", "codes.bin",
                         "");
}
BENCHMARK(BM_ProcessDumpHostileLongCode)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_ProcessOptimalInsertHostileLongText(benchmark::State& state) {
  HostileVersusRealistic(state, "insert", "text.txt", "long-text.tbl",
                         "letters.txt", "--optimal");
}
BENCHMARK(BM_ProcessOptimalInsertHostileLongText)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace dalvren

BENCHMARK_MAIN();
