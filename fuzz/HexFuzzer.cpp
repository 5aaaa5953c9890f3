// FromHex then ToHex on arbitrary text: every byte must be what strtol makes
// of its pair, and text made of complete pairs of hexadecimal digits must
// come back upper-cased and without white space.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/CodeTable.h"

namespace dalvren {
namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int TestOneInput(const std::uint8_t* data, std::size_t size) {
  // The text ends at its first zero byte, as a field's text does.
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string kept;
  for (const char c : std::string(text.c_str())) {
    if (!IsBlank(c)) kept.push_back(c);
  }
  const auto bytes = FromHex(text.c_str());
  Require(bytes != nullptr);
  Require(static_cast<std::size_t>(bytes->len) == kept.size() / 2);
  Require(bytes->data[static_cast<std::size_t>(bytes->len)] == '\0');
  bool allDigits = true;
  for (std::size_t i = 0; i + 1 < kept.size(); i += 2) {
    const char pair[3] = {kept[i], kept[i + 1], '\0'};
    const long value = std::strtol(pair, nullptr, 16);
    Require(static_cast<unsigned char>(bytes->data[i / 2]) ==
            static_cast<unsigned char>(value & 0xFF));
    allDigits = allDigits &&
                std::isxdigit(static_cast<unsigned char>(pair[0])) &&
                std::isxdigit(static_cast<unsigned char>(pair[1]));
  }
  const auto hex = bytes->ToHex();
  Require(std::strlen(hex.get()) == 2 * static_cast<std::size_t>(bytes->len));
  if (allDigits && kept.size() % 2 == 0) {
    for (char& c : kept) c = static_cast<char>(std::toupper(c));
    Require(kept == hex.get());
  }
  return 0;
}

}  // namespace
}  // namespace dalvren

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return dalvren::TestOneInput(data, size);
}
