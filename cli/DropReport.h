// How a command says which characters of a script insert dropped, one line
// per character in the form compilers use, so that editors can jump to it:
//   FILE:LINE:COLUMN: dropped "剣" (U+5263): no table entry holds it
#pragma once

#include <cstddef>
#include <ostream>
#include <span>
#include <string_view>

#include "rom/Build.h"

namespace dalvren {

// Writes to `out` a line for each of the first kShownFindings of `drops`
// (characters of the script file `file`), then how many more there were,
// then the total, worded as insert's report words them
// (core/InsertReport.h). Writes nothing when there are no drops.
void ReportDrops(std::ostream& out, std::string_view file,
                 std::span<const CBuildResult::Drop> drops);

}  // namespace dalvren
