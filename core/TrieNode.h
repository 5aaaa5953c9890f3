// One node of a 256-way byte trie.
//
// Invariants:
//   - The child reached by key byte b is found in one step by its value b:
//     `Child(b)` never searches.
//   - A node owns its value and its children; `parent` never owns.
//   - `children`, the 256-entry child array, exists only once a node has had
//     children at two different bytes. Until then a lone child is kept inline
//     (`loneChild_` at `loneIndex_`), so leaves and the many single-path nodes
//     of a table carry no array. Once the array exists it holds every child
//     and the inline slot stays empty. Both are private, so that only Attach
//     changes them and nothing can make the two disagree.
#pragma once

#include <array>
#include <cassert>
#include <memory>
#include <utility>
#include <vector>

#include "core/ByteString.h"

namespace dalvren {

class CTrieNode {
 public:
  // A node with no value, no children and no parent.
  CTrieNode() = default;

  // Nodes own whole subtrees; a copy would have to duplicate them.
  CTrieNode(const CTrieNode&) = delete;
  CTrieNode& operator=(const CTrieNode&) = delete;

  // Frees the whole subtree without recursion, so that a key of any length
  // (a chain of nodes as deep as the key is long) cannot exhaust the stack.
  ~CTrieNode();

  // Stores `child` at `index` (replacing any child there), makes this node
  // the child's parent and returns true. An index outside 0..255 is refused:
  // returns false, stores nothing, and `child` stays with the caller.
  bool Attach(std::unique_ptr<CTrieNode>&& child, int index);

  // The child reached by byte `b`, or null; from a const node, a const one,
  // so that a trie handed out read-only cannot be changed through it.
  [[nodiscard]] const CTrieNode* Child(unsigned char b) const {
    assert(!children || !loneChild_);
    if (children) return (*children)[b].get();
    return loneIndex_ == b ? loneChild_.get() : nullptr;
  }
  [[nodiscard]] CTrieNode* Child(unsigned char b) {
    return const_cast<CTrieNode*>(std::as_const(*this).Child(b));
  }

  // Whether any child hangs from this node.
  [[nodiscard]] bool HasChildren() const {
    return children != nullptr || loneChild_ != nullptr;
  }

  // Calls `visit(byte, child)` for each child of this node, in increasing
  // order of the byte that reaches it.
  template <typename Visit>
  void ForEachChild(Visit&& visit) const {
    if (loneChild_)
      visit(loneIndex_, static_cast<const CTrieNode&>(*loneChild_));
    if (!children) return;
    for (int b = 0; b < 256; ++b) {
      if (const auto& child = (*children)[static_cast<std::size_t>(b)]) {
        visit(static_cast<unsigned char>(b),
              static_cast<const CTrieNode&>(*child));
      }
    }
  }

  // The value of the key that ends here; null when no key ends here.
  std::unique_ptr<CByteString> value;
  // The node this one hangs from; null for a root. Attach keeps it; nothing
  // in the program reads it (tests check the shape with it).
  CTrieNode* parent = nullptr;

 private:
  using ChildArray = std::array<std::unique_ptr<CTrieNode>, 256>;

  // Moves every child of this node to the end of `out`.
  void TakeChildren(std::vector<std::unique_ptr<CTrieNode>>& out);

  // All children by byte value, once there are children at two bytes.
  std::unique_ptr<ChildArray> children;
  std::unique_ptr<CTrieNode> loneChild_;
  unsigned char loneIndex_ = 0;
};

}  // namespace dalvren
