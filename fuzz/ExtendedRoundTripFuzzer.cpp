// Makes an extended table and a ROM from the fuzz input (sections, switch
// codes with N of 0 to 3, control codes with 0 to 2 parameters, end codes
// with and without text, line breaks; texts that begin others or not), then
// checks what check's lossless judgement says of it: where it says no, its
// example must be real; otherwise insert of the dump must give back the ROM
// (no switch codes reached) or bytes that dump to the same script, with and
// without --optimal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "core/ExtendedDump.h"
#include "core/ExtendedInsert.h"
#include "core/Lossless.h"
#include "tests/support/ExtendedTestSupport.h"
#include "tests/support/RandomExtendedTable.h"

namespace dalvren {
namespace {

using test::AsBytes;

// Dumps `rom`, inserts the script back, and aborts unless the bytes dump to
// the same script (and, with `sameBytes`, are the ROM's). With a single
// open reading the search may give up; what it wrote while it did not must
// still be exact.
void CheckPromise(const CExtendedTable& table, const std::string& rom,
                  bool sameBytes) {
  const std::string script = test::DumpToString(table, rom);
  for (const std::size_t open : {std::size_t{256}, std::size_t{1}}) {
    for (const bool optimal : {false, true}) {
      CExtendedInsertOptions options;
      options.tokens = true;
      options.optimal = optimal;
      options.openChoices = open;
      bool inexact = false;
      bool exhausted = false;
      options.onInexact = [&](std::size_t, bool bounded) {
        inexact = true;
        exhausted = exhausted || bounded;
      };
      std::ostringstream inserted;
      CScriptFault fault;
      if (!InsertExtended(table, inserted, AsBytes(script), options, &fault)) {
        std::abort();
      }
      if (inexact && open == 1) continue;
      // The full search must never need its bounds on these small tables.
      if (inexact) std::abort();
      if (sameBytes && inserted.str() != rom) std::abort();
      if (test::DumpToString(table, inserted.str()) != script) std::abort();
    }
  }
}

int TestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t pos = 0;
  // Each choice takes the next input byte; zeros once it runs out.
  test::CTableMaker maker([&](std::uint32_t n) -> std::uint32_t {
    const std::uint8_t byte = pos < size ? data[pos++] : 0;
    return n == 0 ? 0 : byte % n;
  });
  const bool switches = maker.Below(4) != 0;
  const bool unambiguous = maker.Below(2) == 0;
  const test::RandomTable made = maker.Make(switches, unambiguous);
  const std::string rom = maker.Rom(made);

  std::istringstream in(made.file);
  std::streambuf* const savedErr = std::cerr.rdbuf(nullptr);
  const auto table = LoadExtended(in);
  std::cerr.rdbuf(savedErr);

  // What check says of the table must hold: its counterexample is one, and
  // otherwise every dump inserts back.
  const CLosslessVerdict verdict = JudgeLossless(*table);
  switch (verdict.kind) {
    case CLosslessVerdict::Kind::kNo: {
      if (test::DumpToString(*table, verdict.rom) != verdict.script) {
        std::abort();
      }
      const test::Inserted inserted =
          test::InsertToString(*table, verdict.script, test::WithTokens());
      if (inserted.bytes != verdict.inserted || inserted.bytes == verdict.rom) {
        std::abort();
      }
      return 0;
    }
    case CLosslessVerdict::Kind::kBytes:
    case CLosslessVerdict::Kind::kScript:
      break;
  }
  CheckPromise(*table, rom, verdict.kind == CLosslessVerdict::Kind::kBytes);
  return 0;
}

}  // namespace
}  // namespace dalvren

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return dalvren::TestOneInput(data, size);
}
