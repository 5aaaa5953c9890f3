// Finding text in a ROM image over 64 MiB: relative search for a six-letter
// word, and search through the realistic kanji table for a ten-character
// text, in the library and as whole processes, with the memory each takes
// beyond the image itself.
#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <istream>
#include <malloc.h>
#include <spawn.h>
#include <sstream>
#include <streambuf>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/HeapProbe.h"
#include "bench/TableGenerator.h"
#include "core/CodeTable.h"
#include "rom/PatternSearch.h"
#include "rom/RelativeSearch.h"
#include "rom/TextSpellings.h"

extern char** environ;

namespace dalvren {
namespace {

using bench::HeapInUse;

namespace fs = std::filesystem;

constexpr std::size_t kRomSize = std::size_t{64} << 20;

constexpr std::size_t kBlockSize = std::size_t{4} << 20;

// The realistic table's entries, the ten-character text, and the image: a
// block of the table's codes, sixteen times, with the words the benchmarks
// look for written at the start of every other block.
struct CSearchData {
  CSearchData() : entries(bench::RealisticEntries()) {
    // Ten kana and kanji, each one two-byte code.
    for (std::size_t i = 150; i < 170; i += 2) {
      kanji += entries[200 + i].text;
      kanjiBytes += entries[200 + i].code;
    }
  }

  // Block `k` of the image.
  [[nodiscard]] std::string Block(std::size_t k) const {
    std::string block = bench::RomOf(entries, kBlockSize);
    if (k % 2 == 0) {
      block.replace(1000, kanjiBytes.size(), kanjiBytes);
      // DRAGON with A at 80, and in two-byte units with A at 8260.
      block.replace(1100, 6, "\x83\x91\x80\x86\x8E\x8D");
      block.replace(1200, 12,
                    "\x82\x63\x82\x71\x82\x60\x82\x66\x82\x6E\x82\x6D");
    }
    return block;
  }

  std::vector<bench::GeneratedEntry> entries;
  std::string kanji;
  std::string kanjiBytes;
};

const CSearchData& Data() {
  static const CSearchData data;
  return data;
}

// The whole image in memory, made when a benchmark first needs it.
const std::string& Rom() {
  static const std::string rom = [] {
    std::string bytes;
    bytes.reserve(kRomSize);
    for (std::size_t k = 0; k < kRomSize / kBlockSize; ++k) {
      bytes += Data().Block(k);
    }
    return bytes;
  }();
  return rom;
}

// A stream over bytes already in memory, copying nothing: the image as a
// mapped file would give it.
class CMemoryBuf : public std::streambuf {
 public:
  explicit CMemoryBuf(const std::string& bytes) {
    char* data = const_cast<char*>(bytes.data());
    setg(data, data, data + bytes.size());
  }
};

#ifdef DALVREN_CONVERT
// The converter itself on the 64 MiB image in a file, its hits to
// /dev/null: the time of the whole process and its peak resident memory.
// Linux counts the memory of the process that starts another into the
// latter's peak, so these run first, before the other benchmarks hold the
// image in memory, and the file is written a block at a time; the peak of
// "--version" shows what the starting process adds.
struct CFiles {
  CFiles()
      : dir(fs::temp_directory_path() /
            ("dalvren-search-bench-" + std::to_string(getpid()))) {
    fs::create_directories(dir);
    std::ofstream rom(dir / "rom.bin", std::ios::binary);
    for (std::size_t k = 0; k < kRomSize / kBlockSize; ++k) {
      rom << Data().Block(k);
    }
    std::ofstream(dir / "table.tbl", std::ios::binary)
        << bench::TableFile(Data().entries);
  }
  ~CFiles() { fs::remove_all(dir); }
  CFiles(const CFiles&) = delete;
  CFiles& operator=(const CFiles&) = delete;
  fs::path dir;
};

// Runs `args` with its output discarded; its peak resident memory in KiB,
// or -1 when it failed.
long RunForPeak(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  struct rusage usage {};
  if (wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    return -1;
  }
  return usage.ru_maxrss;
}

void ProcessBench(benchmark::State& state,
                  const std::vector<std::string>& args) {
  long peak = 0;
  for (auto _ : state) {
    peak = RunForPeak(args);
    if (peak < 0) {
      state.SkipWithError("the converter failed");
      return;
    }
  }
  const long baseline = RunForPeak({DALVREN_CONVERT, "--version"});
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kRomSize));
  state.counters["peak_rss_MiB"] = static_cast<double>(peak) / 1024;
  state.counters["version_rss_MiB"] = static_cast<double>(baseline) / 1024;
}

void BM_ProcessRelativeSearch64MiB(benchmark::State& state) {
  const CFiles files;
  ProcessBench(state, {DALVREN_CONVERT, "search", "--relative", "DRAGON",
                       (files.dir / "rom.bin").string()});
}
BENCHMARK(BM_ProcessRelativeSearch64MiB)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ProcessTableSearchKanji64MiB(benchmark::State& state) {
  const CFiles files;
  ProcessBench(state,
               {DALVREN_CONVERT, "-t", (files.dir / "table.tbl").string(),
                "search", Data().kanji, (files.dir / "rom.bin").string()});
}
BENCHMARK(BM_ProcessTableSearchKanji64MiB)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
#endif

void Report(benchmark::State& state, std::uint64_t hits, std::size_t heap) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kRomSize));
  state.counters["hits"] = static_cast<double>(hits);
  state.counters["heap_MiB"] = static_cast<double>(heap) / (1 << 20);
}

void RelativeSearchBench(benchmark::State& state, unsigned width) {
  const std::string& rom = Rom();
  std::uint64_t hits = 0;
  std::size_t heap = 0;
  for (auto _ : state) {
    malloc_trim(0);
    const std::size_t before = HeapInUse();
    std::unique_ptr<CRelativePattern> pattern;
    if (!CRelativePattern::Parse("DRAGON", {.width = width, .alphabet = ""},
                                 &pattern)
             .IsOk()) {
      state.SkipWithError("the word does not parse");
      return;
    }
    CMemoryBuf buffer(rom);
    std::istream in(&buffer);
    hits = 0;
    const CError error =
        RelativeSearch(in, *pattern, {}, [&](const CRelativeHit&) {
          ++hits;
          heap = std::max(heap, HeapInUse() - before);
        });
    if (!error.IsOk()) state.SkipWithError(error.Message().c_str());
  }
  Report(state, hits, heap);
}

void BM_RelativeSearch64MiB(benchmark::State& state) {
  RelativeSearchBench(state, 1);
}
BENCHMARK(BM_RelativeSearch64MiB)->Unit(benchmark::kMillisecond);

void BM_RelativeSearchTwoByte64MiB(benchmark::State& state) {
  RelativeSearchBench(state, 2);
}
BENCHMARK(BM_RelativeSearchTwoByte64MiB)->Unit(benchmark::kMillisecond);

// The whole search through the table but for loading it and writing the
// hits: the spellings, the automaton and the pass over the image.
void BM_TableSearchKanji64MiB(benchmark::State& state) {
  const CSearchData& data = Data();
  const std::string& rom = Rom();
  std::istringstream file(bench::TableFile(data.entries));
  const auto table = Load(file);
  std::uint64_t hits = 0;
  std::size_t heap = 0;
  for (auto _ : state) {
    malloc_trim(0);
    const std::size_t before = HeapInUse();
    const std::vector<CCodeText> pieces = SpellingPieces(*table);
    const CTextSpellings spellings(data.kanji, pieces);
    std::vector<std::string> patterns;
    for (const auto& s : spellings.Spellings()) patterns.push_back(s.bytes);
    const CPatternSearch search(patterns);
    CMemoryBuf buffer(rom);
    std::istream in(&buffer);
    hits = 0;
    const CError error = search.Search(in, {}, [&](const CPatternSearch::Hit&) {
      ++hits;
      heap = std::max(heap, HeapInUse() - before);
    });
    if (!error.IsOk()) state.SkipWithError(error.Message().c_str());
  }
  Report(state, hits, heap);
}
BENCHMARK(BM_TableSearchKanji64MiB)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace dalvren

BENCHMARK_MAIN();
