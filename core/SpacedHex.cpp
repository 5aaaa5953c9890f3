#include "core/SpacedHex.h"

#include <cstdio>

#include "core/HexCodec.h"

namespace dalvren {

std::string SpacedHex(std::string_view bytes, std::size_t most) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size() && i < most; ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (i > 0) out += ' ';
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 0xF];
  }
  if (bytes.size() > most) out += " ...";
  return out;
}

std::string OffsetText(std::uint64_t offset) {
  char hex[24];
  std::snprintf(hex, sizeof hex, "%llX",
                static_cast<unsigned long long>(offset));
  return std::to_string(offset) + " (0x" + hex + ")";
}

}  // namespace dalvren
