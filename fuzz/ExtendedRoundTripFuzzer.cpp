// Makes an extended table that meets the lossless condition and a ROM from
// the fuzz input (sections, switch codes with N of 0 to 3, control codes
// with 0 to 2 parameters, end codes with and without text, line breaks),
// then checks the lossless promise: insert of the dump gives back the ROM
// when no section has a switch code, and bytes that dump to the same script
// when one has.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "core/ExtendedDump.h"
#include "core/ExtendedInsert.h"
#include "tests/support/ExtendedTestSupport.h"
#include "tests/support/RandomExtendedTable.h"

namespace dalvren {
namespace {

using test::AsBytes;

int TestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t pos = 0;
  // Each choice takes the next input byte; zeros once it runs out.
  test::CTableMaker maker([&](std::uint32_t n) -> std::uint32_t {
    const std::uint8_t byte = pos < size ? data[pos++] : 0;
    return n == 0 ? 0 : byte % n;
  });
  const bool switches = maker.Below(4) != 0;
  const test::RandomTable made = maker.Make(switches);
  const std::string rom = maker.Rom(made);

  std::istringstream in(made.file);
  std::streambuf* const savedErr = std::cerr.rdbuf(nullptr);
  const auto table = LoadExtended(in);
  std::cerr.rdbuf(savedErr);

  const std::string script = test::DumpToString(*table, rom);
  for (const std::size_t open : {std::size_t{64}, std::size_t{1}}) {
    CExtendedInsertOptions options;
    options.tokens = true;
    options.openChoices = open;
    bool inexact = false;
    bool exhausted = false;
    options.onInexact = [&](std::size_t, bool outOfTries) {
      inexact = true;
      exhausted = exhausted || outOfTries;
    };
    std::ostringstream inserted;
    CScriptFault fault;
    if (!InsertExtended(*table, inserted, AsBytes(script), options, &fault)) {
      std::abort();
    }
    // With a single open choice the search may give up; what it wrote
    // while it did not must still be exact. Any search may run out of
    // tries (as its header says); then it promises nothing.
    if ((inexact && open == 1) || exhausted) continue;
    if (!table->HasSwitches() && inserted.str() != rom) std::abort();
    if (test::DumpToString(*table, inserted.str()) != script) std::abort();
  }
  return 0;
}

}  // namespace
}  // namespace dalvren

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return dalvren::TestOneInput(data, size);
}
