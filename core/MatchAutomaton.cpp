#include "core/MatchAutomaton.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace dalvren {

namespace {

// A node of the trie of reversed keys while it is built.
struct Building {
  std::uint32_t firstChild = 0;
  std::uint32_t lastChild = 0;
  std::uint32_t nextSibling = 0;
  std::uint32_t key = 0;
  unsigned char byte = 0;
};

// The trie of the keys of `trie` read backwards, node 0 its root, and each
// key's entry appended to `keys` (whose entry 0 stands for none).
std::vector<Building> ReversedTrie(const CCompiledTrie& trie,
                                   std::vector<CMatchAutomaton::Key>& keys) {
  // The reversed keys in sorted order: the trie of them is then built by
  // appending alone, each node's children arriving by increasing byte.
  struct Reversed {
    std::string bytes;
    CCompiledTrie::Value value;
  };
  std::vector<Reversed> reversed;
  trie.ForEachKey([&reversed](std::span<const unsigned char> key,
                              const CCompiledTrie::Value& value) {
    reversed.push_back({std::string(key.rbegin(), key.rend()), value});
  });
  std::sort(
      reversed.begin(), reversed.end(),
      [](const Reversed& a, const Reversed& b) { return a.bytes < b.bytes; });

  std::vector<Building> building(1);
  keys.push_back({});
  std::vector<std::uint32_t> path = {0};
  const std::string* previous = nullptr;
  for (const Reversed& key : reversed) {
    std::size_t common = 0;
    if (previous != nullptr) {
      const std::size_t most = std::min(previous->size(), key.bytes.size());
      while (common < most && (*previous)[common] == key.bytes[common]) {
        ++common;
      }
    }
    path.resize(common + 1);
    for (std::size_t i = common; i < key.bytes.size(); ++i) {
      const auto id = static_cast<std::uint32_t>(building.size());
      building.push_back({});
      building.back().byte = static_cast<unsigned char>(key.bytes[i]);
      Building& parent = building[path.back()];
      if (parent.lastChild != 0) {
        building[parent.lastChild].nextSibling = id;
      } else {
        parent.firstChild = id;
      }
      parent.lastChild = id;
      path.push_back(id);
    }
    building[path.back()].key = static_cast<std::uint32_t>(keys.size());
    keys.push_back(
        {static_cast<std::uint32_t>(key.bytes.size()), 0, key.value});
    previous = &key.bytes;
  }
  return building;
}

}  // namespace

CMatchAutomaton::CMatchAutomaton(const CCompiledTrie& trie) {
  const std::vector<Building> building = ReversedTrie(trie, keys_);

  // Breadth first: a state's failure link leads to a shallower state, whose
  // own link and steps are then already in place.
  states_.resize(building.size());
  std::vector<std::uint32_t> queue(building.size());
  std::vector<State> parentOf(building.size());
  std::vector<unsigned char> byteOf(building.size());
  std::size_t tail = 1;
  for (std::size_t head = 0; head < tail; ++head) {
    const Building& node = building[queue[head]];
    Node& state = states_[head];
    const State parent = parentOf[head];
    if (head != 0 && parent != 0) {
      state.fail = GetView().Step(states_[parent].fail, byteOf[head]);
    }
    const std::uint32_t inherited = head == 0 ? 0 : states_[state.fail].key;
    if (node.key != 0) {
      keys_[node.key].shorter = inherited;
      state.key = node.key;
    } else {
      state.key = inherited;
    }
    if (node.firstChild == 0 && head != 0) continue;
    // The root steps by every byte, so that reading never fails past it.
    const unsigned lo = head == 0 ? 0 : building[node.firstChild].byte;
    const unsigned hi = head == 0 ? 255 : building[node.lastChild].byte;
    state.base = static_cast<std::uint32_t>(next_.size());
    state.lo = static_cast<std::uint16_t>(lo);
    state.span = static_cast<std::uint16_t>(hi - lo + 1);
    next_.resize(next_.size() + (hi - lo + 1), 0);
    for (std::uint32_t child = node.firstChild; child != 0;
         child = building[child].nextSibling) {
      const auto id = static_cast<State>(tail++);
      queue[id] = child;
      parentOf[id] = static_cast<State>(head);
      byteOf[id] = building[child].byte;
      next_[state.base + building[child].byte - lo] = id;
    }
  }
  next_.shrink_to_fit();
}

}  // namespace dalvren
