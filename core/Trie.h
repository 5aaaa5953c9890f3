// A 256-way byte trie: a key is the path of nodes from the root.
//
// Invariant: the root's value is never absent and never replaced. It is the
// empty string, the trie's mark of "nothing matched yet", which no key can
// take (a dictionary refuses the empty key). Translation walks the compiled
// form (core/CompiledTrie.h), which leaves the root's value out.
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
