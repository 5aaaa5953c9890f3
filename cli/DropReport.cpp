#include "cli/DropReport.h"

#include <cstdio>
#include <string>

#include "core/InsertReport.h"

namespace dalvren {

void ReportDrops(std::ostream& out, std::string_view file,
                 std::span<const CBuildResult::Drop> drops) {
  if (drops.empty()) return;
  for (std::size_t i = 0; i < drops.size() && i < kShownFindings; ++i) {
    const CBuildResult::Drop& d = drops[i];
    out << file << ':' << d.line << ':' << d.column << ": "
        << DroppedCharacter(d.character, d.held) << '\n';
  }
  if (drops.size() > kShownFindings) {
    out << file << ": and " << drops.size() - kShownFindings << " more\n";
  }
  out << DroppedTotal(file, drops.size(), 0) << '\n';
  out.flush();
}

}  // namespace dalvren
