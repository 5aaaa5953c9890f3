#include "cli/SpacedHex.h"

namespace dalvren {

std::string SpacedHex(std::string_view bytes, std::size_t most) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < bytes.size() && i < most; ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (i > 0) out += ' ';
    out += kDigits[b >> 4];
    out += kDigits[b & 0xF];
  }
  if (bytes.size() > most) out += " ...";
  return out;
}

}  // namespace dalvren
