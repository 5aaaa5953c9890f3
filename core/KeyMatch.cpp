#include "core/KeyMatch.h"

#include <string>
#include <utility>
#include <vector>

namespace dalvren {

CKeyMatch LongestKeyAt(const CCodeDictionary& dict,
                       std::span<const unsigned char> input) {
  CKeyMatch best;
  const CTrieNode* node = dict.trie->root.get();
  for (std::size_t i = 0; i < input.size(); ++i) {
    node = node->Child(input[i]);
    if (node == nullptr) break;
    if (node->value) best = {i + 1, node->value.get()};
  }
  return best;
}

void ForEachKey(const CCodeDictionary& dict,
                const std::function<void(std::string_view key,
                                         const CByteString& value)>& visit) {
  // Iterative, so that a key of any length cannot exhaust the stack; each
  // pending node carries the key that reaches it.
  std::vector<std::pair<const CTrieNode*, std::string>> pending;
  pending.emplace_back(dict.trie->root.get(), std::string());
  std::vector<std::pair<const CTrieNode*, std::string>> children;
  while (!pending.empty()) {
    // Named apart rather than bound as a pair: clang 14 cannot capture a
    // structured binding in the lambda below.
    const CTrieNode* const node = pending.back().first;
    const std::string key = std::move(pending.back().second);
    pending.pop_back();
    if (!key.empty() && node->value) visit(key, *node->value);
    children.clear();
    node->ForEachChild([&](unsigned char b, const CTrieNode& child) {
      children.emplace_back(&child, key + static_cast<char>(b));
    });
    // Taken from the back: the smallest byte first.
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      pending.push_back(std::move(*it));
    }
  }
}

}  // namespace dalvren
