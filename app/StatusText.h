// What the status bar says, in words: after a conversion, about the two
// fields, and about a table that was opened.
#pragma once

#include <cstdint>
#include <string>

#include "app/Conversion.h"

namespace dalvren {

// The counts of a table's report (CTableReport), for the status bar.
struct CTableCounts {
  std::uint64_t entries = 0;
  std::uint64_t ignored = 0;
  std::uint64_t cut = 0;
  std::uint64_t replaced = 0;
  std::uint64_t aliases = 0;
  std::uint64_t duplicates = 0;
  std::uint64_t warnings = 0;
  std::uint64_t notes = 0;

  // Whether the report has any line besides its summary.
  [[nodiscard]] bool Reported() const {
    return ignored + cut + replaced + aliases + duplicates + warnings + notes >
           0;
  }
};

// After a conversion in `direction` that did what `report` says, into a
// target field in hex mode or not (`targetHex`), from a source in hex mode
// or not (`sourceHex`); `romBefore` is how many bytes the ROM field held
// before a conversion into it. For instance:
//   "Dump: 120 characters from 95 bytes; 6 bytes skipped, the first at
//    offset 4 (0x4)"
//   "ROM: 97 bytes, 2 more than before; 3 characters skipped, the first at
//    line 2, column 5"
[[nodiscard]] std::string ConversionStatus(ConvertDirection direction,
                                           const CConvertReport& report,
                                           bool sourceHex, bool targetHex,
                                           std::uint64_t romBefore,
                                           std::uint64_t targetCount);

// What the fields hold: "ROM: 95 bytes | Dump: 120 characters", the Dump
// field counted in bytes when it is in hex mode.
[[nodiscard]] std::string FieldCounts(std::uint64_t romBytes,
                                      std::uint64_t dumpCount, bool dumpHex);

// After the table `name` opened: "sample.tbl: 181 entries", and what its
// report holds when it holds anything: "faulty.tbl: 4 entries; 3 ignored
// lines, 1 replacement (View > Table Report...)".
[[nodiscard]] std::string TableStatus(const std::string& name,
                                      const CTableCounts& counts);

}  // namespace dalvren
