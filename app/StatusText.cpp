#include "app/StatusText.h"

#include <vector>

#include "core/Plural.h"
#include "core/SpacedHex.h"

namespace dalvren {

namespace {

std::string Bytes(std::uint64_t n) { return Plural(n, "byte", "bytes"); }

// "nothing skipped", or how much was and where the first of it was.
std::string SkipText(const CConvertReport& report, bool sourceHex) {
  if (report.skipped == 0) return "nothing skipped";
  if (sourceHex) {
    return Plural(report.skipped, "byte", "bytes") +
           " skipped, the first at offset " + OffsetText(report.firstOffset);
  }
  return Plural(report.skipped, "character", "characters") +
         " skipped, the first at line " + std::to_string(report.firstLine) +
         ", column " + std::to_string(report.firstColumn);
}

// "2 more than before", "3 fewer than before", "as many as before".
std::string AgainstBefore(std::uint64_t now, std::uint64_t before) {
  if (now == before) return "as many as before";
  return now > before ? std::to_string(now - before) + " more than before"
                      : std::to_string(before - now) + " fewer than before";
}

}  // namespace

std::string ConversionStatus(ConvertDirection direction,
                             const CConvertReport& report, bool sourceHex,
                             bool targetHex, std::uint64_t romBefore,
                             std::uint64_t targetCount) {
  const std::string skipped = SkipText(report, sourceHex);
  if (direction == ConvertDirection::kDumpToRom) {
    return "ROM: " + Bytes(report.written) + ", " +
           AgainstBefore(report.written, romBefore) + "; " + skipped;
  }
  const std::string shown =
      targetHex ? Bytes(targetCount)
                : Plural(targetCount, "character", "characters");
  return "Dump: " + shown + " from " + Bytes(report.read) + "; " + skipped;
}

std::string FieldCounts(std::uint64_t romBytes, std::uint64_t dumpCount,
                        bool dumpHex) {
  return "ROM: " + Bytes(romBytes) + " | Dump: " +
         (dumpHex ? Bytes(dumpCount)
                  : Plural(dumpCount, "character", "characters"));
}

std::string TableStatus(const std::string& name, const CTableCounts& counts) {
  std::string status = name + ": " + Plural(counts.entries, "entry", "entries");
  if (!counts.Reported()) return status;
  const struct {
    std::uint64_t count;
    const char* one;
    const char* many;
  } parts[] = {
      {counts.ignored, "ignored line", "ignored lines"},
      {counts.cut, "cut line", "cut lines"},
      {counts.replaced, "replacement", "replacements"},
      {counts.aliases, "alias", "aliases"},
      {counts.duplicates, "duplicate", "duplicates"},
      {counts.warnings, "warning", "warnings"},
      {counts.notes, "note", "notes"},
  };
  std::vector<std::string> said;
  for (const auto& part : parts) {
    if (part.count > 0) said.push_back(Plural(part.count, part.one, part.many));
  }
  status += "; ";
  for (std::size_t i = 0; i < said.size(); ++i) {
    if (i > 0) status += ", ";
    status += said[i];
  }
  return status + " (View > Table Report...)";
}

}  // namespace dalvren
