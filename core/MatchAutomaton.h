// The keys of a dictionary, reversed, as an automaton with failure links:
// fed an input from its last byte to its first, it knows after each byte
// the longest key that starts there, and through its output links every
// other key that does, longest first. A greedy translation learns the key to
// take at every position in time proportional to the input, however long
// the keys; the shortest cut learns every key it could take.
//
// Invariants:
//   - A state stands for the longest string w such that the bytes read so
//     far end (in reading order) with w, and w reversed is a suffix of some
//     key; that is, the input from the current position on starts with the
//     reverse of w, which is the end of a key. State 0 is the empty string.
//   - As in CCompiledTrie, the states reached from state s by the bytes
//     lo .. lo + span - 1 are next_[base .. base + span), 0 meaning none; the
//     root's range covers every byte, and 0 there means staying at the root.
//   - `fail` is the state of the longest proper suffix of w that is a state.
//     States are numbered breadth first, so fail < the state itself.
//   - `key` is the longest key that starts at the current position (the
//     longest state among w and its failure chain that is a whole key), as
//     an index into keys_, 0 for none; a Key's `shorter` is the next key
//     down that chain. keys_[0] is unused.
//   - The automaton holds short values itself and finds the bytes of long
//     ones in the CCompiledTrie it was made from, which must outlive it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/CompiledTrie.h"

namespace dalvren {

class CMatchAutomaton {
 public:
  using State = std::uint32_t;

  struct Key {
    std::uint32_t length;
    // The next shorter key that starts at the same position, or 0.
    std::uint32_t shorter;
    // Its value; a long one's bytes are in the CCompiledTrie's pool.
    CCompiledTrie::Value value;
  };

  // One state: its steps, failure link and longest key.
  struct Node {
    std::uint32_t base = 0;
    State fail = 0;
    std::uint32_t key = 0;
    std::uint16_t lo = 0;
    std::uint16_t span = 0;
  };

  // Reads the keys of `trie`.
  explicit CMatchAutomaton(const CCompiledTrie& trie);

  // Large, and a cache that is rebuilt rather than copied.
  CMatchAutomaton(const CMatchAutomaton&) = delete;
  CMatchAutomaton& operator=(const CMatchAutomaton&) = delete;

  // The arrays, as plain pointers, for a loop to keep in a local variable.
  class View {
   public:
    // The state after reading `b` in state `state`, `b` being the byte
    // before those read so far. Over a whole input, the failure links taken
    // are never more than the bytes read.
    [[nodiscard]] State Step(State state, unsigned char b) const {
      while (state != 0) {
        const Node& n = states_[state];
        const unsigned offset = static_cast<unsigned>(b) - n.lo;
        if (offset < n.span) {
          const State next = next_[n.base + offset];
          if (next != 0) return next;
        }
        state = n.fail;
      }
      return root_[b];
    }

    // The longest key starting at the position just read, as an index for
    // GetKey; 0 when none does.
    [[nodiscard]] std::uint32_t Longest(State state) const {
      return states_[state].key;
    }

    [[nodiscard]] const Key& GetKey(std::uint32_t index) const {
      return keys_[index];
    }

   private:
    friend class CMatchAutomaton;
    View(const Node* states, const State* next, const Key* keys)
        : states_(states),
          next_(next),
          root_(next + states[0].base),
          keys_(keys) {}

    const Node* states_;
    const State* next_;
    // The root's steps, one for every byte.
    const State* root_;
    const Key* keys_;
  };

  [[nodiscard]] View GetView() const {
    return View(states_.data(), next_.data(), keys_.data());
  }

 private:
  std::vector<Node> states_;
  std::vector<State> next_;
  std::vector<Key> keys_;
};

}  // namespace dalvren
