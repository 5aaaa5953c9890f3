#include "core/Trie.h"

namespace dalvren {

CTrie::CTrie() : root(std::make_unique<CTrieNode>()) {
  root->value = std::make_unique<CByteString>(0);
}

}  // namespace dalvren
