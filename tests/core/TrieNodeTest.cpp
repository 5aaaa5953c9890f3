#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/TrieNode.h"

namespace dalvren {
namespace {

TEST(TrieNodeAttach, StoresChildAtIndexAndSetsParent) {
  CTrieNode parent;
  for (int index : {7, 0, 255, 7}) {
    auto child = std::make_unique<CTrieNode>();
    CTrieNode* raw = child.get();
    EXPECT_TRUE(parent.Attach(std::move(child), index));
    EXPECT_EQ(parent.Child(static_cast<unsigned char>(index)), raw);
    EXPECT_EQ(raw->parent, &parent);
  }
  EXPECT_EQ(parent.Child(1), nullptr);
  EXPECT_NE(parent.Child(0), nullptr);
}

TEST(TrieNodeAttach, IndexOutsideByteRangeIsRefusedAndChildStaysWithCaller) {
  CTrieNode parent;
  for (int index : {256, 1000, -1}) {
    auto child = std::make_unique<CTrieNode>();
    EXPECT_FALSE(parent.Attach(std::move(child), index));
    EXPECT_NE(child, nullptr);
    EXPECT_EQ(child->parent, nullptr);
  }
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(parent.Child(static_cast<unsigned char>(b)), nullptr);
  }
}

// The children as ForEachChild visits them: lone, then spread over the
// array, then with a child replaced at the same byte.
TEST(TrieNodeForEachChild, VisitsEveryChildOnceInByteOrder) {
  const auto visited = [](const CTrieNode& node) {
    std::vector<std::pair<int, const CTrieNode*>> seen;
    node.ForEachChild([&seen](unsigned char b, const CTrieNode& child) {
      seen.emplace_back(b, &child);
    });
    return seen;
  };
  CTrieNode parent;
  EXPECT_TRUE(visited(parent).empty());
  std::map<int, const CTrieNode*> expected;
  for (int index : {200, 3, 200, 77, 0}) {
    auto child = std::make_unique<CTrieNode>();
    expected[index] = child.get();
    ASSERT_TRUE(parent.Attach(std::move(child), index));
    const auto seen = visited(parent);
    ASSERT_EQ(seen.size(), expected.size()) << index;
    auto want = expected.begin();
    for (const auto& [b, child] : seen) {
      EXPECT_EQ(b, want->first);
      EXPECT_EQ(child, want->second);
      EXPECT_EQ(child->parent, &parent);
      ++want;
    }
  }
}

}  // namespace
}  // namespace dalvren
