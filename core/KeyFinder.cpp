#include "core/KeyFinder.h"

#include <algorithm>
#include <cstring>

namespace dalvren {

namespace {

using Trie = CCompiledTrie;

// Calls `visit(length, value)` for every key that `input` starts with, in
// increasing length.
template <typename Visit>
void WalkKeys(const Trie& trie, std::span<const unsigned char> input,
              Visit&& visit) {
  const Trie::View view = trie.GetView();
  const Trie::Node* node = &view.nodes[0];
  for (std::size_t i = 0; i < input.size(); ++i) {
    const Trie::Step step = view.Next(*node, input[i]);
    const std::uint8_t tag = Trie::Tag(step);
    if (tag == Trie::kNone) return;
    if (tag == Trie::kNode) {
      node = &view.nodes[Trie::Number(step)];
      if (node->value != Trie::kNoValue) {
        const Trie::Value& value = view.values[node->value];
        visit(i + 1, std::string_view(view.Data(value), value.length));
      }
      continue;
    }
    if (tag == Trie::kLeaf) {
      const Trie::Value& value = view.values[Trie::Number(step)];
      visit(i + 1, std::string_view(view.Data(value), value.length));
    } else {
      // An inline leaf: the value is the step's first `tag` bytes, which
      // live in the steps array itself.
      const Trie::Step* in = &view.steps[node->base + (input[i] - node->lo)];
      visit(i + 1, std::string_view(reinterpret_cast<const char*>(in), tag));
    }
    return;
  }
}

}  // namespace

CKeyFinder::CKeyFinder(const CCodeDictionary& dict,
                       std::span<const unsigned char> input)
    : trie_(dict.Compiled()), input_(input), longest_(trie_.LongestKey()) {
  if (longest_ > kWalkedKeys) automaton_ = &dict.Automaton();
}

CKeyFinder::Key CKeyFinder::KeyOf(std::uint32_t index) const {
  const CMatchAutomaton::Key& key = automaton_->GetView().GetKey(index);
  return {key.length,
          std::string_view(trie_.GetView().Data(key.value), key.value.length)};
}

void CKeyFinder::Reach(std::size_t pos) {
  if (pos >= blockStart_ && pos < blockStart_ + longestAt_.size()) return;
  // Each block reads the longest key's length beyond its end once more, so
  // it spans several times that length to keep the waste small.
  constexpr std::size_t kLeastBlock = std::size_t{16} * 1024;
  const std::size_t block = std::max(kLeastBlock, 4 * longest_);
  const std::size_t end = std::min(input_.size(), pos + block);
  const std::size_t readFrom = std::min(input_.size(), end + longest_ - 1);
  blockStart_ = pos;
  longestAt_.assign(end - pos, 0);
  const CMatchAutomaton::View view = automaton_->GetView();
  CMatchAutomaton::State state = 0;
  for (std::size_t at = readFrom; at > pos;) {
    --at;
    state = view.Step(state, input_[at]);
    if (at < end) longestAt_[at - pos] = view.Longest(state);
  }
}

CKeyFinder::Key CKeyFinder::Longest(std::size_t pos) {
  if (pos >= input_.size()) return {};
  if (automaton_ == nullptr) {
    Key best;
    WalkKeys(trie_, input_.subspan(pos),
             [&](std::size_t length, std::string_view value) {
               best = {length, value};
             });
    return best;
  }
  Reach(pos);
  const std::uint32_t index = longestAt_[pos - blockStart_];
  return index == 0 ? Key{} : KeyOf(index);
}

void CKeyFinder::All(std::size_t pos, std::vector<Key>& keys) {
  if (pos >= input_.size()) return;
  if (automaton_ == nullptr) {
    const std::size_t first = keys.size();
    WalkKeys(trie_, input_.subspan(pos),
             [&](std::size_t length, std::string_view value) {
               keys.push_back({length, value});
             });
    std::reverse(keys.begin() + static_cast<std::ptrdiff_t>(first), keys.end());
    return;
  }
  Reach(pos);
  const CMatchAutomaton::View view = automaton_->GetView();
  for (std::uint32_t index = longestAt_[pos - blockStart_]; index != 0;
       index = view.GetKey(index).shorter) {
    keys.push_back(KeyOf(index));
  }
}

}  // namespace dalvren
