// Loads arbitrary bytes as a table in the extended syntax, then dumps and
// inserts arbitrary input through it. Checks that loading with and without
// an observer builds the same table, that the loader reports every entry it
// keeps, in file order, and that what check's lossless judgement says of the
// table holds for the input: its counterexample is real, or the dump of the
// input inserts back as the promise says.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "core/ExtendedDump.h"
#include "core/ExtendedInsert.h"
#include "core/ExtendedTable.h"
#include "core/Lossless.h"
#include "tests/support/ExtendedTestSupport.h"

namespace dalvren {
namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

using test::AsBytes;

int TestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte says where the table ends and the input begins, so both
  // parts evolve together.
  const std::string all(reinterpret_cast<const char*>(data), size);
  const std::size_t split = size == 0 ? 0 : 1 + (size - 1) * data[0] / 256;
  const std::string file = all.substr(size == 0 ? 0 : 1, split);
  const std::string input = all.substr(std::min(size, 1 + split));

  std::size_t reported = 0;
  std::size_t lastLine = 0;
  CLoadObserver observer;
  observer.onReplaced = [](std::size_t, TableDictionary) {};
  const auto inOrder = [&lastLine](std::size_t line) {
    Require(line >= lastLine);
    lastLine = line;
  };
  observer.onIgnored = [&](std::size_t line, std::string_view, LineFault) {
    inOrder(line);
  };
  observer.onSection = [&](std::size_t line, std::string_view name) {
    inOrder(line);
    Require(!name.empty());
  };
  std::istringstream observed(file);
  std::unique_ptr<CExtendedTable> table;
  observer.onEntry = [&](std::size_t line, const CByteString& code,
                         const CByteString&) {
    inOrder(line);
    Require(code.len > 0);
    ++reported;
  };
  table = LoadExtended(observed, observer);
  std::istringstream plain(file);
  std::streambuf* const savedErr = std::cerr.rdbuf(nullptr);
  const auto unobserved = LoadExtended(plain);
  std::cerr.rdbuf(savedErr);

  Require(reported == table->entries.size());
  Require(table->entries.size() == unobserved->entries.size());
  Require(table->sections.size() == unobserved->sections.size());
  for (std::size_t i = 0; i < table->entries.size(); ++i) {
    const CExtendedTable::Entry& a = table->entries[i];
    const CExtendedTable::Entry& b = unobserved->entries[i];
    Require(a.kind == b.kind && a.code == b.code && a.word == b.word &&
            a.count == b.count && a.target == b.target &&
            a.section == b.section && a.current == b.current);
    // Dump reads each current entry for its code.
    if (a.current) {
      const CByteString* id =
          table->sections[a.section].codes->Find(AsBytes(a.code));
      Require(id != nullptr && &table->EntryOf(*id) == &a);
    }
  }

  const std::string script = test::DumpToString(*table, input);
  Require(script == test::DumpToString(*unobserved, input));
  for (const bool tokens : {false, true}) {
    for (const bool optimal : {false, true}) {
      CExtendedInsertOptions options;
      options.tokens = tokens;
      options.optimal = optimal;
      std::ostringstream out;
      CScriptFault fault;
      (void)InsertExtended(*table, out, AsBytes(input), options, &fault);
    }
  }
  const CLosslessVerdict verdict = JudgeLossless(*table);
  if (verdict.kind == CLosslessVerdict::Kind::kNo) {
    Require(test::DumpToString(*table, verdict.rom) == verdict.script);
    const test::Inserted inserted =
        test::InsertToString(*table, verdict.script, test::WithTokens());
    Require(inserted.bytes == verdict.inserted &&
            inserted.bytes != verdict.rom);
    return 0;
  }
  std::ostringstream inserted;
  CExtendedInsertOptions options;
  options.tokens = true;
  CScriptFault fault;
  Require(InsertExtended(*table, inserted, AsBytes(script), options, &fault));
  if (verdict.kind == CLosslessVerdict::Kind::kBytes) {
    Require(inserted.str() == input);
  }
  Require(test::DumpToString(*table, inserted.str()) == script);
  return 0;
}

}  // namespace
}  // namespace dalvren

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return dalvren::TestOneInput(data, size);
}
