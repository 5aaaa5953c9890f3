// Speed and memory of the translation core on realistic and hostile tables,
// and of the converter's table check and table encoding built on it.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <malloc.h>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/HeapProbe.h"
#include "bench/TableGenerator.h"
#include "cli/TableCheck.h"
#include "cli/TableEncoding.h"
#include "core/CodeTable.h"

namespace dalvren {
namespace {

using bench::CHeapProbe;
using bench::HeapInUse;

using bench::GeneratedEntry;

std::span<const unsigned char> AsBytes(const std::string& s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

// Loads without the "Replacing old value" lines that tables with shared
// texts would print on every iteration.
std::unique_ptr<CCodeTable> LoadQuietly(const std::string& file) {
  std::istringstream in(file);
  std::streambuf* const saved = std::cerr.rdbuf(nullptr);
  auto table = Load(in);
  std::cerr.rdbuf(saved);
  return table;
}

// Resident set size of the process in bytes.
std::size_t Resident() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  std::size_t resident = 0;
  statm >> pages >> resident;
  return resident * 4096;
}

// Translation into a string stream that already holds room for the output,
// as in the lookup-table loop below: what translation itself costs. The
// growth of a fresh stream is a cost of the caller's buffer, measured apart
// (the *FreshStream benchmarks), and on this virtual machine dominated by the
// kernel's handling of page faults on newly mapped memory.
void TranslateBench(benchmark::State& state, const CCodeDictionary& dict,
                    const std::string& input, bool freshStream = false) {
  // The dictionary's caches are made before the clock starts, like its trie.
  dict.Compile(true);
  std::size_t produced = 0;
  std::ostringstream reused;
  for (auto _ : state) {
    std::ostringstream fresh;
    std::ostringstream& out = freshStream ? fresh : reused;
    out.seekp(0);
    dict.Translate(out, AsBytes(input));
    produced = static_cast<std::size_t>(out.tellp());
    benchmark::DoNotOptimize(produced);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(input.size()));
  state.counters["output_bytes"] = static_cast<double>(produced);
}

struct Realistic {
  Realistic()
      : entries(bench::RealisticEntries()),
        file(bench::TableFile(entries)),
        table(LoadQuietly(file)),
        rom(bench::RomOf(entries, 4u << 20)) {
    std::ostringstream out;
    table->forward->Translate(out, AsBytes(rom));
    text = out.str();
  }
  std::vector<GeneratedEntry> entries;
  std::string file;
  std::unique_ptr<CCodeTable> table;
  std::string rom;
  std::string text;
};

const Realistic& RealisticData() {
  static const Realistic data;
  return data;
}

void BM_TranslateForwardRealistic(benchmark::State& state) {
  const auto& d = RealisticData();
  TranslateBench(state, *d.table->forward, d.rom);
}
BENCHMARK(BM_TranslateForwardRealistic)->Unit(benchmark::kMillisecond);

void BM_TranslateForwardRealisticFreshStream(benchmark::State& state) {
  const auto& d = RealisticData();
  TranslateBench(state, *d.table->forward, d.rom, true);
}
BENCHMARK(BM_TranslateForwardRealisticFreshStream)
    ->Unit(benchmark::kMillisecond);

void BM_TranslateReverseRealistic(benchmark::State& state) {
  const auto& d = RealisticData();
  TranslateBench(state, *d.table->reverse, d.text);
}
BENCHMARK(BM_TranslateReverseRealistic)->Unit(benchmark::kMillisecond);

// Where the realistic figures stop: the same table and the same mix of
// codes, in runs of 16 codes of one kind. A code's kind decides the walk's
// path, and in RomOf's random order the processor guesses it wrong about
// once in four codes (forward) or more (reverse, four kinds of text).
struct RealisticInRuns {
  RealisticInRuns()
      : rom(bench::RomInRuns(RealisticData().entries, 4u << 20, 16)) {
    std::ostringstream out;
    RealisticData().table->forward->Translate(out, AsBytes(rom));
    text = out.str();
  }
  std::string rom;
  std::string text;
};

const RealisticInRuns& RealisticInRunsData() {
  static const RealisticInRuns data;
  return data;
}

void BM_TranslateForwardRealisticInRuns(benchmark::State& state) {
  TranslateBench(state, *RealisticData().table->forward,
                 RealisticInRunsData().rom);
}
BENCHMARK(BM_TranslateForwardRealisticInRuns)->Unit(benchmark::kMillisecond);

void BM_TranslateReverseRealisticInRuns(benchmark::State& state) {
  TranslateBench(state, *RealisticData().table->reverse,
                 RealisticInRunsData().text);
}
BENCHMARK(BM_TranslateReverseRealisticInRuns)->Unit(benchmark::kMillisecond);

struct SingleByte {
  SingleByte()
      : entries(bench::SingleByteEntries()),
        table(LoadQuietly(bench::TableFile(entries))),
        rom(bench::RomOf(entries, 16u << 20)) {
    for (const auto& e : entries) {
      lookup[static_cast<unsigned char>(e.code[0])] = e.text[0];
    }
  }
  std::vector<GeneratedEntry> entries;
  std::unique_ptr<CCodeTable> table;
  std::string rom;
  char lookup[256] = {};
};

const SingleByte& SingleByteData() {
  static const SingleByte data;
  return data;
}

// The practical limit for a one-byte-to-one-byte table: a flat lookup loop
// into a preallocated buffer.
void BM_LookupTableLoopSingleByte(benchmark::State& state) {
  const auto& d = SingleByteData();
  std::string out(d.rom.size(), '\0');
  for (auto _ : state) {
    const auto* in = reinterpret_cast<const unsigned char*>(d.rom.data());
    char* o = out.data();
    for (std::size_t i = 0; i < d.rom.size(); ++i) o[i] = d.lookup[in[i]];
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(d.rom.size()));
}
BENCHMARK(BM_LookupTableLoopSingleByte)->Unit(benchmark::kMillisecond);

void BM_TranslateForwardSingleByte(benchmark::State& state) {
  const auto& d = SingleByteData();
  TranslateBench(state, *d.table->forward, d.rom);
}
BENCHMARK(BM_TranslateForwardSingleByte)->Unit(benchmark::kMillisecond);

void BM_TranslateForwardSingleByteFreshStream(benchmark::State& state) {
  const auto& d = SingleByteData();
  TranslateBench(state, *d.table->forward, d.rom, true);
}
BENCHMARK(BM_TranslateForwardSingleByteFreshStream)
    ->Unit(benchmark::kMillisecond);

// The shortest translation of `input`: its speed, and the heap it takes
// beyond the input (which is the caller's) per input byte.
void ShortestBench(benchmark::State& state, const CCodeDictionary& dict,
                   const std::string& input) {
  // The dictionary's caches belong to it, like its trie, and are made once.
  dict.Compile(true);
  std::size_t extra = 0;
  for (auto _ : state) {
    CHeapProbe probe;
    std::ostream out(&probe);
    const std::size_t before = HeapInUse();
    dict.TranslateShortest(out, AsBytes(input));
    extra = probe.peak > before ? probe.peak - before : 0;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(input.size()));
  state.counters["heap_bytes_per_input_byte"] =
      static_cast<double>(extra) / static_cast<double>(input.size());
}

void BM_TranslateShortestRealistic(benchmark::State& state) {
  const auto& d = RealisticData();
  ShortestBench(state, *d.table->reverse, d.text);
}
BENCHMARK(BM_TranslateShortestRealistic)->Unit(benchmark::kMillisecond);

// The same text with one more key, of 70,000 bytes: the steps no longer fit
// in 16 bits.
void BM_TranslateShortestWithAHugeKey(benchmark::State& state) {
  const auto& d = RealisticData();
  CCodeDictionary dict;
  std::streambuf* const saved = std::cerr.rdbuf(nullptr);
  for (const auto& e : d.entries) {
    dict.Insert(CByteString(e.text.c_str()),
                *NewByteString(e.code.data(),
                               static_cast<std::int32_t>(e.code.size())));
  }
  std::cerr.rdbuf(saved);
  const std::string huge(70'000, '\x01');
  dict.Insert(CByteString(huge.c_str()), CByteString("\x02"));
  ShortestBench(state, dict, d.text);
}
BENCHMARK(BM_TranslateShortestWithAHugeKey)->Unit(benchmark::kMillisecond);

// Inputs of the same size for the realistic and the hostile tables, so that
// their times compare directly: 4 MiB of ROM or of text.
constexpr std::size_t kCompareSize = std::size_t{4} << 20;

struct Hostile {
  Hostile()
      : longText(
            LoadQuietly(bench::TableFile(bench::HostileLongTextEntries()))),
        longCode(
            LoadQuietly(bench::TableFile(bench::HostileLongCodeEntries()))),
        letters(kCompareSize, 'a'),
        codes(kCompareSize, '\x01'),
        realisticText(RealisticData().text.substr(0, kCompareSize)) {}
  std::unique_ptr<CCodeTable> longText;
  std::unique_ptr<CCodeTable> longCode;
  std::string letters;
  std::string codes;
  std::string realisticText;
};

const Hostile& HostileData() {
  static const Hostile data;
  return data;
}

// Insert of 4 MiB of realistic text: the yardstick of the hostile inserts.
void BM_InsertRealistic4MiB(benchmark::State& state) {
  TranslateBench(state, *RealisticData().table->reverse,
                 HostileData().realisticText);
}
BENCHMARK(BM_InsertRealistic4MiB)->Unit(benchmark::kMillisecond);

void BM_InsertHostileLongText(benchmark::State& state) {
  const auto& h = HostileData();
  TranslateBench(state, *h.longText->reverse, h.letters);
}
BENCHMARK(BM_InsertHostileLongText)->Unit(benchmark::kMillisecond);

// Dump of 4 MiB of 01; its yardstick is BM_TranslateForwardRealistic.
void BM_DumpHostileLongCode(benchmark::State& state) {
  const auto& h = HostileData();
  TranslateBench(state, *h.longCode->forward, h.codes);
}
BENCHMARK(BM_DumpHostileLongCode)->Unit(benchmark::kMillisecond);

void BM_ShortestInsertRealistic4MiB(benchmark::State& state) {
  ShortestBench(state, *RealisticData().table->reverse,
                HostileData().realisticText);
}
BENCHMARK(BM_ShortestInsertRealistic4MiB)->Unit(benchmark::kMillisecond);

void BM_ShortestInsertHostileLongText(benchmark::State& state) {
  const auto& h = HostileData();
  ShortestBench(state, *h.longText->reverse, h.letters);
}
BENCHMARK(BM_ShortestInsertHostileLongText)->Unit(benchmark::kMillisecond);

void BM_ShortestDumpRealistic(benchmark::State& state) {
  const auto& d = RealisticData();
  ShortestBench(state, *d.table->forward, d.rom);
}
BENCHMARK(BM_ShortestDumpRealistic)->Unit(benchmark::kMillisecond);

void BM_ShortestDumpHostileLongCode(benchmark::State& state) {
  const auto& h = HostileData();
  ShortestBench(state, *h.longCode->forward, h.codes);
}
BENCHMARK(BM_ShortestDumpHostileLongCode)->Unit(benchmark::kMillisecond);

void BM_LoadRealistic(benchmark::State& state) {
  const auto& d = RealisticData();
  for (auto _ : state) {
    auto table = LoadQuietly(d.file);
    benchmark::DoNotOptimize(table.get());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(d.file.size()));
  state.counters["lines"] = static_cast<double>(d.entries.size());
}
BENCHMARK(BM_LoadRealistic)->Unit(benchmark::kMillisecond);

// A table of 10,000 lines as translation projects write them: the realistic
// table's 7,500 entries, then 2,500 lines that give its codes and texts again
// in every way check tells apart (aliases, duplicates, shared texts, pairs
// lost in both directions) and comment lines it ignores.
std::string CheckedTableFile() {
  std::vector<GeneratedEntry> entries = bench::RealisticEntries();
  const std::size_t original = entries.size();
  for (std::size_t i = 0; entries.size() < original + 2400; ++i) {
    const GeneratedEntry& earlier = entries[(i * 7) % original];
    switch (i % 4) {
      case 0:  // an alias: the code again, with another text
        entries.push_back({earlier.code, earlier.text + "'"});
        break;
      case 1:  // a duplicate
        entries.push_back(earlier);
        break;
      case 2:  // a new code sharing the text
        entries.push_back(
            {{'\xE0', static_cast<char>(i >> 8), static_cast<char>(i)},
             earlier.text});
        break;
      default:  // a new code taking the text, the old code given another
        entries.push_back(
            {{'\xE1', static_cast<char>(i >> 8), static_cast<char>(i)},
             earlier.text});
        entries.push_back({earlier.code, earlier.text + "~"});
        break;
    }
  }
  std::string file = bench::TableFile(entries);
  for (int i = 0; i < 100; ++i) file += "# section " + std::to_string(i) + "\n";
  return file;
}

// check on a 10,000-line table: loading, the report written as it loads and
// the findings judged on the loaded table, all into memory.
void BM_CheckTable10000Lines(benchmark::State& state) {
  const std::string file = CheckedTableFile();
  std::size_t findings = 0;
  for (auto _ : state) {
    std::istringstream in(file);
    std::ostringstream report;
    CTableCheck check(report);
    auto table = check.Run(in);
    findings = check.aliases + check.duplicates + check.replaced;
    benchmark::DoNotOptimize(table.get());
  }
  state.counters["lines"] =
      static_cast<double>(std::count(file.begin(), file.end(), '\n'));
  state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(BM_CheckTable10000Lines)->Unit(benchmark::kMillisecond);

// --table-encoding Shift_JIS with --table-syntax=extended on the texts of a
// 20,000-line table: eight double-byte characters each (two of them with a
// 5C second byte), and with Arg(1) a "\n" in the middle of every text, which
// makes the conversion find each character's boundary with iconv; Arg(0)
// converts every text at once.
void BM_ConvertShiftJisTexts(benchmark::State& state) {
  const bool lineBreaks = state.range(0) != 0;
  const std::string half = "\x82\xA0\x95\x5C\x82\xA2\x83\x5C";
  std::vector<std::string> texts(20000,
                                 half + (lineBreaks ? "\\n" : "") + half);
  std::unique_ptr<CTableEncoding> encoding;
  if (!CTableEncoding::Open("Shift_JIS", {.lineBreakEscapes = true}, &encoding)
           .IsOk()) {
    state.SkipWithError("Shift_JIS is not available");
    return;
  }
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (const std::string& text : texts) {
      std::string converted = text;
      if (!encoding->Convert(converted).IsOk()) {
        state.SkipWithError("a text did not convert");
        return;
      }
      bytes += converted.size();
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["lines"] = static_cast<double>(texts.size());
  state.counters["utf8_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ConvertShiftJisTexts)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// Memory held by one loaded table (forward + reverse), measured as the
// growth of the heap and of the resident set while it is alive; then the
// growth of the heap when the compiled tries are made (as the first
// translation makes them), and when the automata are made as well (as the
// first translation that needs one does).
void TableMemory(benchmark::State& state,
                 const std::vector<GeneratedEntry>& entries) {
  const std::string file = bench::TableFile(entries);
  std::size_t heap = 0;
  std::size_t resident = 0;
  std::size_t compiled = 0;
  std::size_t automata = 0;
  for (auto _ : state) {
    malloc_trim(0);
    const std::size_t heapBefore = HeapInUse();
    const std::size_t residentBefore = Resident();
    auto table = LoadQuietly(file);
    heap = HeapInUse() - heapBefore;
    const std::size_t residentAfter = Resident();
    resident =
        residentAfter > residentBefore ? residentAfter - residentBefore : 0;
    const std::size_t beforeCompiling = HeapInUse();
    table->forward->Compile();
    table->reverse->Compile();
    const std::size_t afterCompiling = HeapInUse();
    compiled = afterCompiling - beforeCompiling;
    table->forward->Compile(true);
    table->reverse->Compile(true);
    automata = HeapInUse() - afterCompiling;
    benchmark::DoNotOptimize(table.get());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(file.size()));
  state.counters["heap_MiB"] = static_cast<double>(heap) / (1 << 20);
  state.counters["rss_growth_MiB"] = static_cast<double>(resident) / (1 << 20);
  state.counters["compiled_MiB"] = static_cast<double>(compiled) / (1 << 20);
  state.counters["automata_MiB"] = static_cast<double>(automata) / (1 << 20);
  state.counters["lines"] = static_cast<double>(entries.size());
}

void BM_MemoryRealisticTable(benchmark::State& state) {
  TableMemory(state, RealisticData().entries);
}
BENCHMARK(BM_MemoryRealisticTable)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_MemoryLongCodes(benchmark::State& state) {
  TableMemory(state, bench::LongCodeEntries());
}
BENCHMARK(BM_MemoryLongCodes)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MemoryLongTexts(benchmark::State& state) {
  TableMemory(state, bench::LongTextEntries());
}
BENCHMARK(BM_MemoryLongTexts)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MemorySharedPrefixes(benchmark::State& state) {
  TableMemory(state, bench::SharedPrefixEntries());
}
BENCHMARK(BM_MemorySharedPrefixes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace dalvren

BENCHMARK_MAIN();
