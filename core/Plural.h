// Counts in words, for reports and messages.
#pragma once

#include <concepts>
#include <string>
#include <string_view>
#include <type_traits>

namespace dalvren {

// "1 byte", "2 bytes", "-1 byte": `n` with the word `one` when it is 1 or
// -1, else with `many`.
template <std::integral Count>
[[nodiscard]] std::string Plural(Count n, std::string_view one,
                                 std::string_view many) {
  bool single = n == 1;
  if constexpr (std::is_signed_v<Count>) single = single || n == -1;
  return std::to_string(n) + " " + std::string(single ? one : many);
}

}  // namespace dalvren
