#include "cli/DropReport.h"

#include <cstdio>
#include <string>

#include "cli/Plural.h"
#include "core/Utf8.h"
#include "rom/LayoutText.h"

namespace dalvren {

namespace {

// The code point of the UTF-8 character `c`, which must be well formed.
std::uint32_t CodePoint(std::string_view c) {
  const auto first = static_cast<unsigned char>(c[0]);
  if (c.size() == 1) return first;
  std::uint32_t value = first & (0x7F >> c.size());
  for (std::size_t i = 1; i < c.size(); ++i) {
    value = value << 6 | (static_cast<unsigned char>(c[i]) & 0x3F);
  }
  return value;
}

// "剣" (U+5263), U+000A, or byte E9.
std::string CharacterText(std::string_view c) {
  char digits[16];
  if (!IsValidUtf8(c)) {
    std::snprintf(digits, sizeof digits, "byte %02X",
                  static_cast<unsigned>(static_cast<unsigned char>(c[0])));
    return digits;
  }
  const std::uint32_t code = CodePoint(c);
  std::snprintf(digits, sizeof digits, "U+%04X", static_cast<unsigned>(code));
  if (code < 0x20 || code == 0x7F) return digits;
  std::string text = Quoted(c);
  text += " (";
  text += digits;
  text += ')';
  return text;
}

}  // namespace

void ReportDrops(std::ostream& out, std::string_view file,
                 std::span<const CBuildResult::Drop> drops) {
  if (drops.empty()) return;
  for (std::size_t i = 0; i < drops.size() && i < kMostDropLines; ++i) {
    const CBuildResult::Drop& d = drops[i];
    out << file << ':' << d.line << ':' << d.column << ": dropped "
        << CharacterText(d.character) << ": no table entry holds it\n";
  }
  if (drops.size() > kMostDropLines) {
    out << "... and " << drops.size() - kMostDropLines << " more\n";
  }
  out << Plural(drops.size(), "character", "characters") << " dropped\n";
  out.flush();
}

}  // namespace dalvren
