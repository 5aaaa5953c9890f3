// Which characters the texts of a table hold: a character of a script that
// no text holds can only be dropped, and the report of a drop says so.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dalvren {

class CHeldCharacters {
 public:
  // Adds the characters of `text`; it is copied.
  void Add(std::string_view text);

  // Whether some text added holds `c` (one character as core/Utf8.h splits
  // text, or any bytes) as a part of it. Answers are remembered, so asking
  // about the same character again costs a lookup.
  [[nodiscard]] bool Holds(std::string_view c);

 private:
  // Looks for `what` in every text.
  [[nodiscard]] bool Find(std::string_view what) const;

  std::vector<std::string> texts_;
  // 0 unknown, 1 held, -1 not held, for one-byte characters.
  std::array<std::int8_t, 256> byte_{};
  std::unordered_map<std::string, bool> longer_;
  bool asked_ = false;
};

}  // namespace dalvren
