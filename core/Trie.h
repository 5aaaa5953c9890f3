// A 256-way byte trie: a key is the path of nodes from the root.
//
// Invariant: the root's value is never absent and never replaced. It is the
// empty string, and translation uses it to stand for "nothing matched yet".
#pragma once

#include <memory>

#include "core/TrieNode.h"

namespace dalvren {

class CTrie {
 public:
  // Creates the root with an empty value.
  CTrie();

  // Owns the whole tree.
  CTrie(const CTrie&) = delete;
  CTrie& operator=(const CTrie&) = delete;

  std::unique_ptr<CTrieNode> root;
};

}  // namespace dalvren
