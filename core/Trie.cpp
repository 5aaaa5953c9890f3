#include "Trie.h"

CTrie::CTrie() : root(std::make_unique<CTrieNode>()) {
  root->value = std::make_unique<CByteString>(0);
}
