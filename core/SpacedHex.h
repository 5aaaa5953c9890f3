// Bytes shown as hexadecimal pairs for messages, as a hex editor shows them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dalvren {

// The first `most` bytes of `bytes` as upper-case pairs separated by blanks
// ("82 A0 4A"), followed by " ..." when there are more.
[[nodiscard]] std::string SpacedHex(std::string_view bytes,
                                    std::size_t most = SIZE_MAX);

// An offset in a message: decimal, then hexadecimal ("300 (0x12C)").
[[nodiscard]] std::string OffsetText(std::uint64_t offset);

}  // namespace dalvren
