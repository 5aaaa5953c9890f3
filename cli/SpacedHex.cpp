#include "cli/SpacedHex.h"

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

}  // namespace dalvren
