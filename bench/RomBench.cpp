// The whole-ROM commands: extract of a 4 MiB ROM with 20,000 strings behind
// four pointer tables (target: 0.3 s), build of its script with half the
// strings lengthened, so that they move and are repointed (0.5 s), and diff
// and patch of two 32 MiB ROMs (1 s each), in the process and as whole
// processes; memory: the peak resident size of each process against its
// ROM's size (target: at most 4 times).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <benchmark/benchmark.h>

#include "cli/TableCodec.h"
#include "cli/TableConverter.h"
#include "core/CodeTable.h"
#include "rom/BpsPatch.h"
#include "rom/Build.h"
#include "rom/Extract.h"
#include "rom/ScriptReader.h"

extern char** environ;

namespace dalvren {
namespace {

namespace fs = std::filesystem;

std::span<const unsigned char> AsBytes(const std::string& s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

constexpr std::size_t kRomSize = std::size_t{4} << 20;
constexpr std::size_t kBlocks = 4;
constexpr std::size_t kPointersPerBlock = 5500;
constexpr std::size_t kBigSize = std::size_t{32} << 20;

// Letters, digits, blanks and punctuation as themselves, FF the end code.
std::string TableFile() {
  std::string table;
  for (int c = 0x20; c < 0x7F; ++c) {
    char line[8];
    std::snprintf(line, sizeof line, "%02X=%c\n", c, c);
    table += line;
  }
  return table + "FF=[END]\n";
}

// The 4 MiB ROM and its layout: code and data, four tables of LE24
// pointers, each leading to 5,000 strings of its own, and 500 more pointers
// per table that share a string or lead into the middle of one; the strings
// of each table in a region of their own, and 1 MiB of free space at the
// end.
struct TextRom {
  TextRom() {
    std::mt19937 random(20);
    rom.resize(kRomSize);
    for (char& c : rom) c = static_cast<char>(random() % 0xFF);
    layout = "#DALVREN 1\n";
    for (std::size_t b = 0; b < kBlocks; ++b) {
      const std::size_t table = 0x10000 + b * 0x5000;
      std::size_t at = 0x100000 + b * 0x80000;
      std::vector<std::size_t> starts;
      for (std::size_t k = 0; k < kPointersPerBlock; ++k) {
        std::size_t target = at;
        if (k % 10 == 9) {
          target = starts[random() % starts.size()] + (k % 20 == 9 ? 0 : 2);
        } else {
          starts.push_back(at);
          for (std::size_t n = 20 + random() % 80; n > 0; --n) {
            rom[at++] = random() % 6 == 0
                            ? ' '
                            : static_cast<char>('a' + random() % 26);
          }
          rom[at++] = '\xFF';
        }
        for (int i = 0; i < 3; ++i) {
          rom[table + 3 * k + i] = static_cast<char>(target >> (8 * i));
        }
      }
      layout += "#POINTERS " + std::to_string(table) + "-" +
                std::to_string(table + 3 * kPointersPerBlock - 1) +
                " FORMAT=LE24 END=FF\n";
    }
    layout += "#FREE 0x300000-0x3FFFFF\n";
  }
  std::string rom;
  std::string layout;
};

struct Codec {
  Codec() {
    std::istringstream in(TableFile());
    converter = std::make_unique<CTableConverter>(Load(in));
    codec = MakeRomCodec(*converter);
  }
  std::unique_ptr<CTableConverter> converter;
  CRomCodec codec;
};

const TextRom& Rom() {
  static const TextRom rom;
  return rom;
}

const Codec& TheCodec() {
  static const Codec codec;
  return codec;
}

std::string ExtractScript() {
  CScript layout;
  (void)ReadScript(Rom().layout, &layout);
  std::ostringstream out;
  CExtractResult result;
  (void)Extract(layout.layout, AsBytes(Rom().rom), TheCodec().codec, out,
                &result);
  return out.str();
}

// Every other string's text lengthened by a phrase before its end code.
std::string Lengthened(const std::string& script) {
  std::string out;
  out.reserve(script.size() * 2);
  std::size_t strings = 0;
  std::istringstream in(script);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("#STRING")) ++strings;
    if (strings % 2 == 1 && line.ends_with("[END]") &&
        !line.starts_with("//")) {
      line.insert(line.size() - 5, " and a little more");
    }
    out += line + "\n";
  }
  return out;
}

const std::string& Script() {
  static const std::string script = ExtractScript();
  return script;
}

const std::string& EditedScript() {
  static const std::string script = Lengthened(Script());
  return script;
}

void BM_ExtractRom4MiB20000Strings(benchmark::State& state) {
  CScript layout;
  (void)ReadScript(Rom().layout, &layout);
  std::size_t strings = 0;
  for (auto _ : state) {
    std::ostringstream out;
    CExtractResult result;
    if (!Extract(layout.layout, AsBytes(Rom().rom), TheCodec().codec, out,
                 &result)
             .IsOk()) {
      state.SkipWithError("extract failed");
    }
    strings = result.strings;
  }
  state.counters["strings"] = static_cast<double>(strings);
}
BENCHMARK(BM_ExtractRom4MiB20000Strings)->Unit(benchmark::kMillisecond);

void BM_BuildRom4MiBHalfLengthened(benchmark::State& state) {
  std::size_t moved = 0;
  for (auto _ : state) {
    CScript script;
    if (!ReadScript(EditedScript(), &script).IsOk())
      state.SkipWithError("read failed");
    CBuildResult result;
    std::string rom = Rom().rom;
    if (!Build(script,
               {reinterpret_cast<unsigned char*>(rom.data()), rom.size()},
               TheCodec().codec, {}, &result)
             .IsOk()) {
      state.SkipWithError("build failed");
    }
    moved = 0;
    for (const auto& b : result.blocks) moved += b.moved;
  }
  state.counters["moved"] = static_cast<double>(moved);
}
BENCHMARK(BM_BuildRom4MiBHalfLengthened)->Unit(benchmark::kMillisecond);

// Two 32 MiB ROMs as a translation makes them: the second has text changed
// in a thousand places, a few blocks moved, and 1 MiB more at the end.
struct BigPair {
  BigPair() {
    std::mt19937 random(32);
    original.resize(kBigSize);
    for (std::size_t i = 0; i < kBigSize; i += 4) {
      const std::uint32_t v = random();
      // Code and graphics repeat themselves more than noise does.
      const std::uint32_t w = (i / 4096) % 3 == 0 ? v & 0x0F0F0F0F : v;
      std::memcpy(&original[i], &w, 4);
    }
    changed = original;
    for (int n = 0; n < 1000; ++n) {
      const std::size_t at = random() % (kBigSize - 200);
      for (std::size_t k = 0, len = 20 + random() % 150; k < len; ++k) {
        changed[at + k] = static_cast<char>('a' + random() % 26);
      }
    }
    for (int n = 0; n < 8; ++n) {
      const std::size_t from = random() % (kBigSize - 65536);
      const std::size_t to = random() % (kBigSize - 65536);
      std::memmove(&changed[to], &original[from], 65536);
    }
    changed.append(std::string(1 << 20, 'x'));
  }
  std::string original;
  std::string changed;
};

const BigPair& Big() {
  static const BigPair big;
  return big;
}

void BM_DiffBps32MiB(benchmark::State& state) {
  std::string patch;
  for (auto _ : state)
    MakeBps(AsBytes(Big().original), AsBytes(Big().changed), &patch);
  state.counters["patch_KiB"] = static_cast<double>(patch.size()) / 1024;
}
BENCHMARK(BM_DiffBps32MiB)->Unit(benchmark::kMillisecond);

// The worst case: a target with nothing in common with the source, every
// byte of it looked up in the source's index and written out.
void BM_DiffBps32MiBUnrelated(benchmark::State& state) {
  std::string unrelated(kBigSize, '\0');
  std::mt19937 random(33);
  for (char& c : unrelated) c = static_cast<char>(random());
  std::string patch;
  for (auto _ : state) {
    MakeBps(AsBytes(Big().original), AsBytes(unrelated), &patch);
  }
  state.counters["patch_MiB"] = static_cast<double>(patch.size()) / (1 << 20);
}
BENCHMARK(BM_DiffBps32MiBUnrelated)->Unit(benchmark::kMillisecond);

void BM_PatchBps32MiB(benchmark::State& state) {
  std::string patch;
  MakeBps(AsBytes(Big().original), AsBytes(Big().changed), &patch);
  for (auto _ : state) {
    std::string target;
    if (!ApplyBps(AsBytes(patch), AsBytes(Big().original), &target).IsOk() ||
        target.size() != Big().changed.size()) {
      state.SkipWithError("patch failed");
    }
  }
}
BENCHMARK(BM_PatchBps32MiB)->Unit(benchmark::kMillisecond);

// Whole processes, with their peak resident memory.
struct Files {
  Files()
      : dir(fs::temp_directory_path() /
            ("dalvren-rom-bench-" + std::to_string(getpid()))) {
    fs::create_directories(dir);
    Write("table.tbl", TableFile());
    Write("layout.txt", Rom().layout);
    Write("game.rom", Rom().rom);
    Write("edited.txt", EditedScript());
    Write("original.rom", Big().original);
    Write("changed.rom", Big().changed);
  }
  ~Files() { fs::remove_all(dir); }
  void Write(const char* name, const std::string& bytes) const {
    std::ofstream(dir / name, std::ios::binary) << bytes;
  }
  [[nodiscard]] std::string Path(const char* name) const {
    return (dir / name).string();
  }
  fs::path dir;
};

const Files& BenchFiles() {
  static const Files files;
  return files;
}

// Starts the converter for the whole-process benchmarks. A process's peak
// resident size counts the memory of its parent at the moment it was
// started, so the processes are started by a small helper forked before
// the benchmarks made any of their inputs.
class CSpawner {
 public:
  CSpawner() {
    int requests[2];
    int replies[2];
    if (pipe(requests) != 0 || pipe(replies) != 0) return;
    if (fork() == 0) {
      close(requests[1]);
      close(replies[0]);
      Serve(requests[0], replies[1]);
      _exit(0);
    }
    close(requests[0]);
    close(replies[1]);
    to_ = requests[1];
    from_ = replies[0];
  }

  // Runs `args` with standard output and error discarded; false when it
  // could not run or failed.
  bool Run(const std::vector<std::string>& args, long* peakKiB) const {
    std::string request;
    for (const std::string& a : args) request += a + '\0';
    const std::uint32_t size = static_cast<std::uint32_t>(request.size());
    long reply[2] = {-1, 0};
    if (write(to_, &size, sizeof size) != sizeof size ||
        write(to_, request.data(), size) != static_cast<ssize_t>(size) ||
        read(from_, reply, sizeof reply) != sizeof reply) {
      return false;
    }
    *peakKiB = reply[1];
    return reply[0] == 0;
  }

 private:
  static void Serve(int in, int out) {
    for (std::uint32_t size = 0; read(in, &size, sizeof size) == sizeof size;) {
      std::string request(size, '\0');
      if (read(in, request.data(), size) != static_cast<ssize_t>(size)) return;
      std::vector<char*> argv;
      for (std::size_t at = 0; at < request.size();
           at = request.find('\0', at) + 1) {
        argv.push_back(&request[at]);
      }
      argv.push_back(nullptr);
      long reply[2] = {-1, 0};
      posix_spawn_file_actions_t actions;
      posix_spawn_file_actions_init(&actions);
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
      posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
      pid_t pid = 0;
      int status = 0;
      struct rusage usage {};
      if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) ==
              0 &&
          wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) {
        reply[0] = WEXITSTATUS(status);
        reply[1] = usage.ru_maxrss;
      }
      posix_spawn_file_actions_destroy(&actions);
      if (write(out, reply, sizeof reply) != sizeof reply) return;
    }
  }

  int to_ = -1;
  int from_ = -1;
};

const CSpawner* spawner = nullptr;

void Process(benchmark::State& state, std::vector<std::string> args,
             std::size_t romSize) {
  args.insert(args.begin(), DALVREN_CONVERT);
  long peak = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!spawner->Run(args, &peak)) {
      state.SkipWithError("the converter failed");
    }
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
            .count());
  }
  state.counters["peak_MiB"] = static_cast<double>(peak) / 1024;
  state.counters["peak_per_rom"] =
      static_cast<double>(peak) * 1024 / static_cast<double>(romSize);
}

void BM_ProcessExtract(benchmark::State& state) {
  const Files& f = BenchFiles();
  Process(state,
          {"-t", f.Path("table.tbl"), "extract", "-o", f.Path("script.txt"),
           f.Path("layout.txt"), f.Path("game.rom")},
          kRomSize);
}
BENCHMARK(BM_ProcessExtract)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_ProcessBuild(benchmark::State& state) {
  const Files& f = BenchFiles();
  Process(state,
          {"-t", f.Path("table.tbl"), "build", "-o", f.Path("new.rom"),
           f.Path("edited.txt"), f.Path("game.rom")},
          kRomSize);
}
BENCHMARK(BM_ProcessBuild)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_ProcessDiff32MiB(benchmark::State& state) {
  const Files& f = BenchFiles();
  Process(state,
          {"diff", "-o", f.Path("big.bps"), f.Path("original.rom"),
           f.Path("changed.rom")},
          kBigSize);
}
BENCHMARK(BM_ProcessDiff32MiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_ProcessPatch32MiB(benchmark::State& state) {
  const Files& f = BenchFiles();
  long peak = 0;
  if (!spawner->Run({DALVREN_CONVERT, "diff", "-o", f.Path("big.bps"),
                     f.Path("original.rom"), f.Path("changed.rom")},
                    &peak)) {
    state.SkipWithError("diff failed");
    return;
  }
  Process(state,
          {"patch", "-o", f.Path("patched.rom"), f.Path("big.bps"),
           f.Path("original.rom")},
          kBigSize);
}
BENCHMARK(BM_ProcessPatch32MiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace dalvren

int main(int argc, char** argv) {
  // Before any input is made: see CSpawner.
  static const dalvren::CSpawner spawner;
  dalvren::spawner = &spawner;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
