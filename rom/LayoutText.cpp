#include "rom/LayoutText.h"

#include <algorithm>
#include <charconv>

#include "core/HexCodec.h"

namespace dalvren {

namespace {

// The text after a hexadecimal prefix, and whether there was one.
bool StripHexPrefix(std::string_view& text) {
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    return true;
  }
  if (text.starts_with("$")) {
    text.remove_prefix(1);
    return true;
  }
  return false;
}

}  // namespace

std::optional<std::uint64_t> ParseLayoutNumber(std::string_view text) {
  const int base = StripHexPrefix(text) ? 16 : 10;
  // from_chars takes no sign for an unsigned type, no blanks and no prefix,
  // which is exactly the strictness wanted.
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, status] = std::from_chars(text.data(), end, value, base);
  if (status != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<std::int64_t> ParseSignedLayoutNumber(std::string_view text) {
  const bool negative = text.starts_with("-");
  if (negative) text.remove_prefix(1);
  const std::optional<std::uint64_t> magnitude = ParseLayoutNumber(text);
  if (!magnitude || *magnitude > std::uint64_t{INT64_MAX}) return std::nullopt;
  const auto value = static_cast<std::int64_t>(*magnitude);
  return negative ? -value : value;
}

std::optional<std::string> ParseByteCode(std::string_view text) {
  StripHexPrefix(text);
  if (text.empty() || text.size() % 2 != 0) return std::nullopt;
  if (!std::all_of(text.begin(), text.end(), IsHexDigit)) return std::nullopt;
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    bytes.push_back(static_cast<char>(HexPairValue(text[i], text[i + 1])));
  }
  return bytes;
}

std::string HexOffset(std::uint64_t offset) {
  std::string digits;
  do {
    digits.push_back(kHexDigits[offset & 0xF]);
    offset >>= 4;
  } while (offset != 0);
  return "0x" + std::string(digits.rbegin(), digits.rend());
}

std::string Quoted(std::string_view text) {
  // Built piece by piece: GCC 12 warns falsely (-Wrestrict) on the
  // concatenation of literals and a temporary once it is inlined.
  std::string quoted(1, '"');
  quoted.append(text);
  quoted.push_back('"');
  return quoted;
}

std::string Crc32Text(std::uint32_t crc) {
  std::string text(8, '0');
  for (int i = 7; i >= 0; --i, crc >>= 4) {
    text[static_cast<std::size_t>(i)] = kHexDigits[crc & 0xF];
  }
  return text;
}

}  // namespace dalvren
