#include "cli/ByteToken.h"

#include <cstddef>
#include <span>
#include <string>

namespace dalvren {

CTranslateHooks TokenWritingHooks() {
  CTranslateHooks hooks;
  hooks.onSkip = [](std::size_t, unsigned char byte, std::string& emit) {
    AppendByteToken(byte, emit);
  };
  return hooks;
}

CTranslateHooks TokenReadingHooks() {
  CTranslateHooks hooks;
  hooks.before = [](std::span<const unsigned char> rest,
                    std::string& emit) -> std::size_t {
    unsigned char byte = 0;
    if (!ReadByteToken(rest, byte)) return 0;
    emit.push_back(static_cast<char>(byte));
    return kByteTokenLength;
  };
  return hooks;
}

}  // namespace dalvren
