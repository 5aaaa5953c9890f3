// An obviously correct longest-match translator, the model that the trie's
// translation is checked against: at each position try every key length from
// the longest down, emit the first that is a key, or drop one byte.
#pragma once

#include <algorithm>
#include <map>
#include <string>

#include "core/CodeDictionary.h"

namespace dalvren::test {

using NaiveModel = std::map<std::string, std::string>;

inline std::size_t NaiveLongestKey(const NaiveModel& dict) {
  std::size_t longest = 0;
  for (const auto& [key, value] : dict) longest = std::max(longest, key.size());
  return longest;
}

// The length of the longest key at `pos`, having appended its value to
// `out`; 0 when no key starts there.
inline std::size_t NaiveKeyAt(const NaiveModel& dict, std::size_t longest,
                              const std::string& input, std::size_t pos,
                              std::string& out) {
  for (std::size_t len = std::min(longest, input.size() - pos); len > 0;
       --len) {
    const auto it = dict.find(input.substr(pos, len));
    if (it != dict.end()) {
      out += it->second;
      return len;
    }
  }
  return 0;
}

inline std::string NaiveLongestMatch(const NaiveModel& dict,
                                     const std::string& input) {
  const std::size_t longest = NaiveLongestKey(dict);
  std::string out;
  std::size_t pos = 0;
  while (pos < input.size()) {
    const std::size_t len = NaiveKeyAt(dict, longest, input, pos, out);
    pos += len > 0 ? len : 1;
  }
  return out;
}

// The same rule with hooks: `before` first at every position, then the
// longest key, else `onSkip`.
inline std::string NaiveLongestMatch(const NaiveModel& dict,
                                     const std::string& input,
                                     const CTranslateHooks& hooks) {
  const std::size_t longest = NaiveLongestKey(dict);
  std::string out;
  std::size_t pos = 0;
  while (pos < input.size()) {
    std::string emit;
    if (hooks.before) {
      const std::size_t taken = hooks.before(
          {reinterpret_cast<const unsigned char*>(input.data()) + pos,
           input.size() - pos},
          emit);
      if (taken > 0) {
        out += emit;
        pos += std::min(taken, input.size() - pos);
        continue;
      }
    }
    if (const std::size_t len = NaiveKeyAt(dict, longest, input, pos, out)) {
      pos += len;
      continue;
    }
    if (hooks.onSkip) {
      hooks.onSkip(pos, static_cast<unsigned char>(input[pos]), emit);
      out += emit;
    }
    ++pos;
  }
  return out;
}

}  // namespace dalvren::test
