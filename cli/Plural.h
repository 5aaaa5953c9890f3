// Counts in words, for reports and messages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dalvren {

// "1 byte", "2 bytes", "-1 byte": `n` with the word `one` when it is 1 or
// -1, else with `many`.
[[nodiscard]] inline std::string Plural(std::int64_t n, std::string_view one,
                                        std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 || n == -1 ? one : many);
}

}  // namespace dalvren
