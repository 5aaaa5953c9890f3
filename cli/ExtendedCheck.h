// What check adds for a table in the extended syntax: its findings judged
// section by section, and whether the table can be read back unambiguously.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/TableCheck.h"
#include "core/CodeTable.h"
#include "core/ExtendedTable.h"

namespace dalvren {

// Each section of `table` as a plain table, in the order of `sections`:
// forward, what dump reads for each code (its word; nothing for a switch
// code); reverse, the code insert writes for each word an entry gave.
[[nodiscard]] std::vector<std::unique_ptr<CCodeTable>> SectionTables(
    const CExtendedTable& table);

// One line that tells whether `table` can be read back unambiguously
// (core/Ambiguity.h): "lossless: yes ..." or "lossless: no: ..." naming the
// section and the pair of entries, by line, that break the condition.
[[nodiscard]] std::string LosslessLine(const CExtendedTable& table);

// Finishes `check`, whose observer loaded `table` (CTableCheck::Finish), and
// writes the lossless line to `report` after it.
void FinishExtendedCheck(CTableCheck& check, const CExtendedTable& table,
                         std::ostream& report);

}  // namespace dalvren
