// An obviously correct longest-match translator, the model that the trie's
// translation is checked against: at each position try every key length from
// the longest down, emit the first that is a key, or drop one byte.
#pragma once

#include <algorithm>
#include <map>
#include <string>

namespace dalvren::test {

inline std::string NaiveLongestMatch(
    const std::map<std::string, std::string>& dict, const std::string& input) {
  std::size_t longest = 0;
  for (const auto& [key, value] : dict) longest = std::max(longest, key.size());
  std::string out;
  std::size_t pos = 0;
  while (pos < input.size()) {
    std::size_t len = std::min(longest, input.size() - pos);
    for (; len > 0; --len) {
      const auto it = dict.find(input.substr(pos, len));
      if (it != dict.end()) {
        out += it->second;
        break;
      }
    }
    pos += len > 0 ? len : 1;
  }
  return out;
}

}  // namespace dalvren::test
