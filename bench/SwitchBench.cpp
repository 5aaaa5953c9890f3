// Extended insert through switch tables, case by case as a demanding user
// meets them, each on about a megabyte of script (or as said): seconds per
// megabyte, against the plain syntax where the table without its switch is
// a plain one, and the heap the insert holds beyond its input. Targets: at
// most 0.5 s per MB, at most ten times the plain syntax, at most 64 MB of
// heap, and 120 sections no slower per byte than 30.
#include <algorithm>
#include <iostream>
#include <malloc.h>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/HeapProbe.h"
#include "core/ByteToken.h"
#include "core/CodeTable.h"
#include "core/ExtendedDump.h"
#include "core/ExtendedInsert.h"
#include "core/ExtendedTable.h"

namespace dalvren {
namespace {

using bench::CHeapProbe;
using bench::HeapInUse;

std::span<const unsigned char> AsBytes(const std::string& s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

std::unique_ptr<CExtendedTable> Extended(const std::string& file) {
  std::istringstream in(file);
  CLoadObserver quiet;
  quiet.onReplaced = [](std::size_t, TableDictionary) {};
  return LoadExtended(in, quiet);
}

std::unique_ptr<CCodeTable> Plain(const std::string& file) {
  std::istringstream in(file);
  CLoadObserver quiet;
  quiet.onReplaced = [](std::size_t, TableDictionary) {};
  return Load(in, quiet);
}

std::string HexByte(unsigned b) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[(b >> 4) & 0xF], kDigits[b & 0xF]};
}

// The UTF-8 of code point `c`.
std::string Utf8(std::uint32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

std::string Dump(const CExtendedTable& table, const std::string& rom) {
  std::ostringstream out;
  CExtendedDumpOptions options;
  options.onSkip = [](std::size_t, unsigned char byte, std::string& emit) {
    AppendByteToken(byte, emit);
  };
  DumpExtended(table, out, AsBytes(rom), options);
  return out.str();
}

// Times the extended insert of `script`, with its heap beyond the input.
void InsertBench(benchmark::State& state, const CExtendedTable& table,
                 const std::string& script) {
  std::size_t extra = 0;
  bool inexact = false;
  for (auto _ : state) {
    CHeapProbe probe;
    std::ostream out(&probe);
    CExtendedInsertOptions options;
    options.tokens = true;
    options.onInexact = [&inexact](std::size_t, bool) { inexact = true; };
    const std::size_t before = HeapInUse();
    CScriptFault fault;
    benchmark::DoNotOptimize(
        InsertExtended(table, out, AsBytes(script), options, &fault));
    extra = std::max(extra, probe.peak > before ? probe.peak - before : 0);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(script.size()));
  state.counters["heap_MiB"] = static_cast<double>(extra) / (1 << 20);
  state.counters["script_KiB"] = static_cast<double>(script.size()) / 1024;
  state.counters["read_greedily"] = inexact ? 1 : 0;
}

// The plain syntax's insert of `script` through `table`.
void PlainInsertBench(benchmark::State& state, const CCodeTable& table,
                      const std::string& script) {
  for (auto _ : state) {
    CHeapProbe probe;
    std::ostream out(&probe);
    table.reverse->Translate(out, AsBytes(script));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(script.size()));
}

// Two sections, Latin and kana, with N = 0 switch codes to each other, an
// end code every 300 codes; a ROM of a megabyte of runs of either.
struct TwoSections {
  TwoSections() {
    std::string file = "!F0=K,0\n/FF=[END]\n";
    for (unsigned c = 0x20; c < 0x7F; ++c) {
      file += HexByte(c) + "=" + static_cast<char>(c) + "\n";
    }
    file += "@K\n!F1=-,0\n";
    for (unsigned c = 0; c < 0x60; ++c) {
      file += HexByte(0x20 + c) + "=" + Utf8(0x30A1 + c) + "\n";
    }
    // The start table is unnamed: its switch code is "!F1=-" only in the
    // kana, so give it a name the switch can use.
    file = "@-\n" + file;
    table = Extended(file);
    std::mt19937 rng(11);
    std::string rom;
    bool kana = false;
    for (std::size_t n = 0; rom.size() < (1u << 20); ++n) {
      if (rng() % 12 == 0) {
        kana = !kana;
        rom += kana ? '\xF0' : '\xF1';
      }
      rom += static_cast<char>(0x20 + rng() % (kana ? 0x60 : 0x5F));
      if (n % 300 == 299) {
        rom += '\xFF';
        kana = false;
      }
    }
    script = Dump(*table, rom);
    // The same script with the line break after every other end code
    // taken out, as an editor may leave it.
    edited = script;
    bool keep = true;
    for (std::size_t at = edited.find("[END]\n"); at != std::string::npos;
         at = edited.find("[END]\n", at + 5)) {
      if (!(keep = !keep)) edited.erase(at + 5, 1);
    }
  }
  std::unique_ptr<CExtendedTable> table;
  std::string script;
  std::string edited;
};

const TwoSections& Two() {
  static const TwoSections data;
  return data;
}

void BM_SwitchTwoSectionsUnedited(benchmark::State& state) {
  InsertBench(state, *Two().table, Two().script);
}
BENCHMARK(BM_SwitchTwoSectionsUnedited)->Unit(benchmark::kMillisecond);

void BM_SwitchTwoSectionsEndCodesWithoutLineBreak(benchmark::State& state) {
  InsertBench(state, *Two().table, Two().edited);
}
BENCHMARK(BM_SwitchTwoSectionsEndCodesWithoutLineBreak)
    ->Unit(benchmark::kMillisecond);

// A table check calls lossless (it has a switch code) whose longest code is
// 01 written 253 times, each code of 01 and 02 ending other codes; a
// script of runs of them, edited with a character no text has every 300.
void BM_SwitchSelfOverlappingCodeEdited(benchmark::State& state) {
  std::string code;
  for (int i = 0; i < 253; ++i) code += "01";
  const auto table = Extended(code + "=L\n02=b\n0303=c\n!F0=K,0\n@K\n41=k\n");
  std::mt19937 rng(3);
  std::string rom;
  while (rom.size() < (1u << 20)) {
    rom += rng() % 3 == 0 ? std::string(253, '\x01')
                          : std::string(1, rng() % 2 ? '\x02' : '\x03');
  }
  std::string script = Dump(*table, rom);
  for (std::size_t at = 300; at < script.size(); at += 300) {
    script.insert(at, "~");
  }
  InsertBench(state, *table, script);
}
BENCHMARK(BM_SwitchSelfOverlappingCodeEdited)->Unit(benchmark::kMillisecond);

// N sections, each switching (N = 0) to every other; each has 95 texts of
// its own. A 10 KB script of runs in random sections.
std::string ManySectionsFile(int sections) {
  std::string file;
  for (int s = 0; s < sections; ++s) {
    file += "@S" + std::to_string(s) + "\n";
    for (int t = 0; t < sections; ++t) {
      if (t != s)
        file += "!F0" + HexByte(t) + "=S" + std::to_string(t) + ",0\n";
    }
    for (unsigned c = 0; c < 95; ++c) {
      file += HexByte(0x20 + c) + "=" + Utf8(0x4E00 + s * 95 + c) + "\n";
    }
  }
  return file;
}

void BM_SwitchManySections(benchmark::State& state) {
  const int sections = static_cast<int>(state.range(0));
  const auto table = Extended(ManySectionsFile(sections));
  std::mt19937 rng(sections);
  std::string rom;
  while (rom.size() < 10 * 1024) {
    rom += '\xF0';
    rom += static_cast<char>(rng() % sections);
    for (int n = 1 + rng() % 8; n > 0; --n) {
      rom += static_cast<char>(0x20 + rng() % 95);
    }
  }
  InsertBench(state, *table, Dump(*table, rom));
}
BENCHMARK(BM_SwitchManySections)
    ->Arg(30)
    ->Arg(60)
    ->Arg(120)
    ->Unit(benchmark::kMillisecond);

// A text of 508 characters and one switch code; a megabyte of "a".
const char* const kLongText = "41=a\n";
std::string LongTextFile() {
  return std::string(kLongText) + "4242=" + std::string(508, 'a') + "\n";
}

void BM_SwitchLongText(benchmark::State& state) {
  const auto table = Extended(LongTextFile() + "!F0=K,0\n@K\n30=k\n");
  InsertBench(state, *table, std::string(1u << 20, 'a'));
}
BENCHMARK(BM_SwitchLongText)->Unit(benchmark::kMillisecond);

void BM_PlainLongText(benchmark::State& state) {
  const auto table = Plain(LongTextFile());
  PlainInsertBench(state, *table, std::string(1u << 20, 'a'));
}
BENCHMARK(BM_PlainLongText)->Unit(benchmark::kMillisecond);

// A code of 254 bytes of 01 and one switch code; a megabyte of 01, dumped
// and inserted back.
std::string LongCodeFile() {
  std::string code;
  for (int i = 0; i < 254; ++i) code += "01";
  return "01=x\n" + code + "=X\n";
}

void BM_SwitchLongCodeDump(benchmark::State& state) {
  const auto table = Extended(LongCodeFile() + "!F0=K,0\n@K\n30=k\n");
  const std::string rom(1u << 20, '\x01');
  for (auto _ : state) benchmark::DoNotOptimize(Dump(*table, rom));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(rom.size()));
}
BENCHMARK(BM_SwitchLongCodeDump)->Unit(benchmark::kMillisecond);

void BM_SwitchLongCodeInsert(benchmark::State& state) {
  const auto table = Extended(LongCodeFile() + "!F0=K,0\n@K\n30=k\n");
  InsertBench(state, *table, Dump(*table, std::string(1u << 20, '\x01')));
}
BENCHMARK(BM_SwitchLongCodeInsert)->Unit(benchmark::kMillisecond);

void BM_PlainLongCodeInsert(benchmark::State& state) {
  const auto table = Plain(LongCodeFile());
  std::ostringstream dumped;
  table->forward->Translate(dumped, AsBytes(std::string(1u << 20, '\x01')));
  PlainInsertBench(state, *table, dumped.str());
}
BENCHMARK(BM_PlainLongCodeInsert)->Unit(benchmark::kMillisecond);

// A chain of 1,000 sections, each switching (N = 0) to the next, each with
// texts of its own; a 6 KB script whose runs come in an order the chain
// cannot read back (from later sections to earlier ones).
void BM_SwitchChainNoLongerDumpsBack(benchmark::State& state) {
  constexpr int kSections = 1000;
  std::string file;
  for (int s = 0; s < kSections; ++s) {
    file += "@S" + std::to_string(s) + "\n";
    if (s + 1 < kSections) {
      file += "!F0" + HexByte((s + 1) >> 8) + HexByte((s + 1) & 0xFF) + "=S" +
              std::to_string(s + 1) + ",0\n";
    }
    for (unsigned c = 0; c < 4; ++c) {
      file += HexByte(0x20 + c) + "=" + Utf8(0x4E00 + s * 4 + c) + "\n";
    }
  }
  const auto table = Extended(file);
  std::mt19937 rng(7);
  std::string script;
  while (script.size() < 6 * 1024) {
    const int s = static_cast<int>(rng() % kSections);
    for (int n = 1 + rng() % 4; n > 0; --n) {
      script += Utf8(0x4E00 + s * 4 + rng() % 4);
    }
  }
  InsertBench(state, *table, script);
}
BENCHMARK(BM_SwitchChainNoLongerDumpsBack)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace dalvren

BENCHMARK_MAIN();
