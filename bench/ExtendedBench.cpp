// Speed of the extended table syntax: against the plain translation on a
// table without switch or control codes (where it must cost no more than
// 1.5 times as much), on a table with kana and kanji switches, and check on
// a 10,000-line table (under 50 ms).
#include <cstdio>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "bench/TableGenerator.h"
#include "cli/ExtendedCheck.h"
#include "cli/TableCheck.h"
#include "core/ByteToken.h"
#include "core/CodeTable.h"
#include "core/ExtendedDump.h"
#include "core/ExtendedInsert.h"
#include "core/ExtendedTable.h"

namespace dalvren {
namespace {

using bench::GeneratedEntry;

std::span<const unsigned char> AsBytes(const std::string& s) {
  return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

template <typename Loader>
auto LoadQuietly(const std::string& file, Loader load) {
  std::istringstream in(file);
  std::streambuf* const saved = std::cerr.rdbuf(nullptr);
  auto table = load(in);
  std::cerr.rdbuf(saved);
  return table;
}

std::unique_ptr<CCodeTable> LoadPlain(const std::string& file) {
  return LoadQuietly(file, [](std::istream& in) { return Load(in); });
}

std::unique_ptr<CExtendedTable> LoadExtendedTable(const std::string& file) {
  return LoadQuietly(file, [](std::istream& in) { return LoadExtended(in); });
}

// The realistic table of the other benchmarks, with a line-break code FE
// and an end code FF: in the plain syntax as texts "<br>" and "[END]", in
// the extended one as *FE and /FF=[END]. The 4 MiB ROM has a line break
// every 40 codes and an end code every 300.
struct Realistic {
  Realistic() : entries(bench::RealisticEntries()) {
    const std::string body = bench::TableFile(entries);
    plain = LoadPlain(body + "FE=<br>\nFF=[END]\n");
    extended = LoadExtendedTable(body + "*FE\n/FF=[END]\n");
    std::mt19937 rng(5);
    for (std::size_t n = 1; rom.size() < (4u << 20); ++n) {
      const GeneratedEntry& e =
          entries[rng() % 4 == 0 ? 200 + rng() % 7300 : rng() % 200];
      rom += e.code;
      if (n % 40 == 0) rom += '\xFE';
      if (n % 300 == 0) rom += '\xFF';
    }
    std::ostringstream p;
    plain->forward->Translate(p, AsBytes(rom));
    plainText = p.str();
    std::ostringstream x;
    DumpExtended(*extended, x, AsBytes(rom));
    extendedText = x.str();
  }
  std::vector<GeneratedEntry> entries;
  std::unique_ptr<CCodeTable> plain;
  std::unique_ptr<CExtendedTable> extended;
  std::string rom;
  std::string plainText;
  std::string extendedText;
};

const Realistic& RealisticData() {
  static const Realistic data;
  return data;
}

template <typename Convert>
void ConvertBench(benchmark::State& state, const std::string& input,
                  Convert convert) {
  std::ostringstream out;
  std::size_t produced = 0;
  for (auto _ : state) {
    out.seekp(0);
    convert(out, AsBytes(input));
    produced = static_cast<std::size_t>(out.tellp());
    benchmark::DoNotOptimize(produced);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(input.size()));
  state.counters["output_bytes"] = static_cast<double>(produced);
}

void BM_DumpPlainRealistic(benchmark::State& state) {
  const auto& d = RealisticData();
  ConvertBench(state, d.rom, [&](std::ostream& out, auto in) {
    d.plain->forward->Translate(out, in);
  });
}
BENCHMARK(BM_DumpPlainRealistic)->Unit(benchmark::kMillisecond);

void BM_DumpExtendedRealistic(benchmark::State& state) {
  const auto& d = RealisticData();
  ConvertBench(state, d.rom, [&](std::ostream& out, auto in) {
    DumpExtended(*d.extended, out, in);
  });
}
BENCHMARK(BM_DumpExtendedRealistic)->Unit(benchmark::kMillisecond);

void BM_InsertPlainRealistic(benchmark::State& state) {
  const auto& d = RealisticData();
  ConvertBench(state, d.plainText, [&](std::ostream& out, auto in) {
    d.plain->reverse->Translate(out, in);
  });
}
BENCHMARK(BM_InsertPlainRealistic)->Unit(benchmark::kMillisecond);

void BM_InsertExtendedRealistic(benchmark::State& state) {
  const auto& d = RealisticData();
  ConvertBench(state, d.extendedText, [&](std::ostream& out, auto in) {
    CScriptFault fault;
    benchmark::DoNotOptimize(InsertExtended(*d.extended, out, in, {}, &fault));
  });
}
BENCHMARK(BM_InsertExtendedRealistic)->Unit(benchmark::kMillisecond);

// With --unknown=hex both sides read tokens at every position.
void BM_InsertPlainRealisticTokens(benchmark::State& state) {
  const auto& d = RealisticData();
  const CTranslateHooks hooks = TokenReadingHooks();
  ConvertBench(state, d.plainText, [&](std::ostream& out, auto in) {
    d.plain->reverse->Translate(out, in, hooks);
  });
}
BENCHMARK(BM_InsertPlainRealisticTokens)->Unit(benchmark::kMillisecond);

void BM_InsertExtendedRealisticTokens(benchmark::State& state) {
  const auto& d = RealisticData();
  CExtendedInsertOptions options;
  options.tokens = true;
  ConvertBench(state, d.extendedText, [&](std::ostream& out, auto in) {
    CScriptFault fault;
    benchmark::DoNotOptimize(
        InsertExtended(*d.extended, out, in, options, &fault));
  });
}
BENCHMARK(BM_InsertExtendedRealisticTokens)->Unit(benchmark::kMillisecond);

// A game's text with switches: Latin letters in the start table, kana until
// a byte they do not cover (F0), a kanji for one code (F1), control codes
// with a parameter, line breaks and end codes. The 1 MiB ROM alternates
// runs of Latin, kana and kanji as a Japanese script does.
struct Switched {
  Switched() {
    std::string file;
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto hex = [&](int byte) {
      file += kDigits[(byte >> 4) & 15];
      file += kDigits[byte & 15];
    };
    for (int b = 0x20; b < 0x7F; ++b) {
      hex(b);
      file += '=';
      file += static_cast<char>(b);
      file += '\n';
    }
    file += "*FE\n/FF=[END]\n$F5=<color>,1\n!F0=Kana,0\n!F1=Kanji,1\n";
    file += "@Kana\n";
    for (int i = 0; i < 80; ++i) {
      hex(0x80 + i);
      file += '=';
      bench::AppendUtf8(file, 0x3041 + static_cast<std::uint32_t>(i));
      file += '\n';
    }
    file += "*FE\n!F1=Kanji,1\n";
    file += "@Kanji\n";
    for (int i = 0; i < 2000; ++i) {
      hex(0x40 + i / 64);
      hex(0x40 + i % 64);
      file += '=';
      bench::AppendUtf8(file, 0x4E00 + static_cast<std::uint32_t>(i));
      file += '\n';
    }
    table = LoadExtendedTable(file);
    std::mt19937 rng(9);
    while (rom.size() < (1u << 20)) {
      switch (rng() % 5) {
        case 0:
        case 1:
          for (int i = 0; i < 12; ++i)
            rom += static_cast<char>(0x61 + rng() % 26);
          break;
        case 2:
          rom += '\xF0';
          for (int i = 0; i < 10; ++i) {
            rom += static_cast<char>(0x80 + rng() % 80);
            if (rng() % 4 == 0) {
              rom += '\xF1';
              rom += static_cast<char>(0x40 + rng() % 31);
              rom += static_cast<char>(0x40 + rng() % 64);
            }
          }
          // A Latin byte the kana do not cover ends them.
          break;
        case 3:
          rom += '\xF1';
          rom += static_cast<char>(0x40 + rng() % 31);
          rom += static_cast<char>(0x40 + rng() % 64);
          break;
        default:
          rom += rng() % 2 == 0 ? "\xFE" : "\xF5\x03";
          if (rng() % 8 == 0) rom += '\xFF';
      }
    }
    std::ostringstream out;
    DumpExtended(*table, out, AsBytes(rom));
    script = out.str();
    // An edited script: a letter about every thousand bytes replaced by a
    // character no table has, and the line break after every other end code
    // removed, as when lines are joined: no reading dumps back to it
    // exactly, and the search has to give up on each such stretch.
    bool join = false;
    for (std::size_t i = 0; i < script.size(); ++i) {
      const bool letter = script[i] >= 'a' && script[i] <= 'z';
      if (letter && i % 1000 == 0) {
        edited += '\x7F';
        continue;
      }
      edited += script[i];
      if (script.compare(i + 1, 6, "[END]\n") == 0) {
        edited += "[END]";
        i += join ? 6 : 5;
        if (!join) edited += '\n';
        join = !join;
      }
    }
  }
  std::unique_ptr<CExtendedTable> table;
  std::string rom;
  std::string script;
  std::string edited;
};

const Switched& SwitchedData() {
  static const Switched data;
  return data;
}

void BM_DumpExtendedSwitched(benchmark::State& state) {
  const auto& d = SwitchedData();
  ConvertBench(state, d.rom, [&](std::ostream& out, auto in) {
    DumpExtended(*d.table, out, in);
  });
}
BENCHMARK(BM_DumpExtendedSwitched)->Unit(benchmark::kMillisecond);

void BM_InsertExtendedSwitched(benchmark::State& state) {
  const auto& d = SwitchedData();
  ConvertBench(state, d.script, [&](std::ostream& out, auto in) {
    CScriptFault fault;
    benchmark::DoNotOptimize(InsertExtended(*d.table, out, in, {}, &fault));
  });
}
BENCHMARK(BM_InsertExtendedSwitched)->Unit(benchmark::kMillisecond);

void BM_InsertExtendedSwitchedEdited(benchmark::State& state) {
  const auto& d = SwitchedData();
  ConvertBench(state, d.edited, [&](std::ostream& out, auto in) {
    CScriptFault fault;
    benchmark::DoNotOptimize(InsertExtended(*d.table, out, in, {}, &fault));
  });
}
BENCHMARK(BM_InsertExtendedSwitchedEdited)->Unit(benchmark::kMillisecond);

// A 10,000-line extended table: three sections of text codes with line
// breaks, end, control and switch codes among them, and a few faulty lines.
std::string TenThousandLines() {
  std::string file;
  std::mt19937 rng(17);
  int lines = 0;
  const auto add = [&](const std::string& line) {
    file += line + '\n';
    ++lines;
  };
  add("*FE");
  add("/FF=[END]");
  add("$F5=<color>,1");
  add("!F0=Kana,0");
  add("!F1=Kanji,1");
  for (const char* section : {"", "@Kana", "@Kanji"}) {
    if (*section != '\0') add(section);
    for (int i = 0; i < 3330; ++i) {
      char code[8];
      std::snprintf(code, sizeof code, "%04X", 0x1000 + i);
      std::string text;
      bench::AppendUtf8(text, 0x4E00 + static_cast<std::uint32_t>(i));
      if (rng() % 500 == 0) {
        add(std::string("$") + code + "=<c>");
      } else {
        add(std::string(code) + "=" + text);
      }
    }
  }
  while (lines < 10000) add("# padding");
  return file;
}

// The whole of `check --table-syntax=extended` but reading the file: the
// load through the check's observer, its findings, and the lossless line.
void BM_CheckExtended10000Lines(benchmark::State& state) {
  const std::string file = TenThousandLines();
  std::size_t reported = 0;
  for (auto _ : state) {
    std::ostringstream report;
    CTableCheck check(report);
    std::istringstream in(file);
    const auto table = LoadExtended(in, check.Observer());
    FinishExtendedCheck(check, *table, report);
    reported = report.str().size();
    benchmark::DoNotOptimize(reported);
  }
  state.counters["lines"] = 10000;
  state.counters["report_bytes"] = static_cast<double>(reported);
}
BENCHMARK(BM_CheckExtended10000Lines)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace dalvren

BENCHMARK_MAIN();
