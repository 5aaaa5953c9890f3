#include "core/TrieNode.h"

namespace dalvren {

bool CTrieNode::Attach(std::unique_ptr<CTrieNode>&& child, int index) {
  if (index < 0 || index > 255) return false;
  const auto b = static_cast<unsigned char>(index);
  child->parent = this;
  if (!children && (!loneChild_ || loneIndex_ == b)) {
    loneChild_ = std::move(child);
    loneIndex_ = b;
    return true;
  }
  if (!children) {
    children = std::make_unique<ChildArray>();
    (*children)[loneIndex_] = std::move(loneChild_);
  }
  (*children)[b] = std::move(child);
  return true;
}

CTrieNode::~CTrieNode() {
  if (!children && !loneChild_) return;
  std::vector<std::unique_ptr<CTrieNode>> pending;
  TakeChildren(pending);
  while (!pending.empty()) {
    std::unique_ptr<CTrieNode> node = std::move(pending.back());
    pending.pop_back();
    node->TakeChildren(pending);
  }
}

void CTrieNode::TakeChildren(std::vector<std::unique_ptr<CTrieNode>>& out) {
  if (loneChild_) out.push_back(std::move(loneChild_));
  if (children) {
    for (auto& child : *children) {
      if (child) out.push_back(std::move(child));
    }
    children.reset();
  }
}

}  // namespace dalvren
