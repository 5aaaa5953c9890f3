#include "core/KeyMatch.h"

#include <string>
#include <vector>

namespace dalvren {

CKeyMatch LongestKeyAt(const CCodeDictionary& dict,
                       std::span<const unsigned char> input) {
  CKeyMatch best;
  const CTrieNode* node = &dict.Root();
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
  // Depth first with an explicit stack, so that a key of any length cannot
  // exhaust the call stack; one key buffer follows the walk, each pending
  // node holding only its depth and the byte that leads to it.
  struct Pending {
    const CTrieNode* node;
    std::size_t depth;
    unsigned char byte;
  };
  std::vector<Pending> pending = {{&dict.Root(), 0, 0}};
  std::vector<Pending> children;
  std::string key;
  while (!pending.empty()) {
    const Pending here = pending.back();
    pending.pop_back();
    if (here.depth > 0) {
      key.resize(here.depth - 1);
      key.push_back(static_cast<char>(here.byte));
      if (here.node->value) visit(key, *here.node->value);
    }
    children.clear();
    here.node->ForEachChild([&](unsigned char b, const CTrieNode& child) {
      children.push_back({&child, here.depth + 1, b});
    });
    // Taken from the back: the smallest byte first.
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
}

}  // namespace dalvren
