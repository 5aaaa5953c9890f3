#include "rom/PatternSearch.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace dalvren {

CPatternSearch::CPatternSearch(std::span<const std::string> patterns) {
  for (std::uint32_t i = 0; i < patterns.size(); ++i) {
    const std::string& pattern = patterns[i];
    if (pattern.empty() || pattern.size() > kMaxByteStringLength) continue;
    const auto key = NewByteString(pattern.data(),
                                   static_cast<std::int32_t>(pattern.size()));
    if (keys_.Find(key->Bytes()) != nullptr) continue;
    const auto index = NewByteString(&i, sizeof i);
    bool replaced = false;
    (void)keys_.Insert(*key, *index, replaced);
    longest_ = std::max(longest_, pattern.size());
  }
  // The dictionary's own automaton, made now rather than by the first
  // search.
  keys_.Compile(/*automaton=*/true);
}

CError CPatternSearch::Search(
    std::istream& in, const CRomSearchOptions& options,
    const std::function<void(const Hit&)>& onHit) const {
  const CMatchAutomaton::View reversed = keys_.Automaton().GetView();
  const std::size_t reachBeyond = longest_ > 0 ? longest_ - 1 : 0;
  // The longest key that starts at each position of the window.
  std::vector<std::uint32_t> keyAt(std::max<std::size_t>(options.block, 1));
  std::vector<std::pair<std::uint32_t, std::uint32_t>> found;
  const auto visit = [&](const CRomWindow& window) {
    const unsigned char* bytes = window.bytes.data();
    // The automaton reads backwards, from as far beyond the window's last
    // position as a pattern starting there reaches.
    const std::size_t reach =
        std::min(window.bytes.size(), window.to + reachBeyond);
    CMatchAutomaton::State state = 0;
    for (std::size_t i = reach; i > window.to;) {
      state = reversed.Step(state, bytes[--i]);
    }
    for (std::size_t i = window.to; i > window.from;) {
      --i;
      state = reversed.Step(state, bytes[i]);
      keyAt[i - window.from] = reversed.Longest(state);
    }
    for (std::size_t i = window.from; i < window.to; ++i) {
      std::uint32_t key = keyAt[i - window.from];
      if (key == 0) continue;
      found.clear();
      for (; key != 0; key = reversed.GetKey(key).shorter) {
        const CMatchAutomaton::Key& k = reversed.GetKey(key);
        std::uint32_t pattern;
        std::memcpy(&pattern, k.value.bytes, sizeof pattern);
        found.push_back({pattern, k.length});
      }
      std::sort(found.begin(), found.end());
      for (const auto& [pattern, length] : found) {
        onHit({HitBytesAt(window, i, length, options.context), pattern});
      }
    }
  };
  return ScanRom(in,
                 {.before = options.context,
                  .after = reachBeyond + options.context,
                  .block = options.block,
                  .limit = options.limit},
                 visit);
}

}  // namespace dalvren
