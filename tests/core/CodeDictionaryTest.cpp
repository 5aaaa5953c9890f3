#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/CodeDictionary.h"
#include "tests/support/CoreTestSupport.h"

namespace dalvren {
namespace {

using test::AsBytes;
using test::Contents;
using test::Hex;
using test::Put;
using test::PutNoting;

// The value stored under `key`, or "<absent>".
std::string ValueOf(const CCodeDictionary& dict, const std::string& key) {
  const CByteString* value = dict.Find(AsBytes(key));
  return value == nullptr ? "<absent>" : Contents(*value);
}

TEST(CodeDictionaryInsert, NewDictionaryHoldsNoKeyButRootHasEmptyValue) {
  CCodeDictionary dict;
  const CTrieNode& root = dict.Root();
  ASSERT_NE(root.value, nullptr);
  EXPECT_EQ(root.value->len, 0);
  EXPECT_EQ(root.parent, nullptr);
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(root.Child(static_cast<unsigned char>(b)), nullptr);
  }
}

TEST(CodeDictionaryInsert, EmptyKeyIsRefusedAndChangesNothing) {
  CCodeDictionary dict;
  const CByteString* rootValue = dict.Root().value.get();
  std::string notices;
  EXPECT_FALSE(PutNoting(dict, "", "x", notices));
  EXPECT_FALSE(PutNoting(dict, "", "y", notices));
  EXPECT_EQ(notices, "");
  EXPECT_EQ(dict.Root().value.get(), rootValue);
  EXPECT_EQ(dict.Root().value->len, 0);
  EXPECT_EQ(dict.Find(AsBytes("")), nullptr);
}

TEST(CodeDictionaryInsert, KeyAndItsExtensionCoexist) {
  CCodeDictionary dict;
  EXPECT_TRUE(Put(dict, Hex("41"), "A"));
  EXPECT_TRUE(Put(dict, Hex("41 42"), "X"));
  const CTrieNode* node41 = dict.Root().Child(0x41);
  ASSERT_NE(node41, nullptr);
  ASSERT_NE(node41->value, nullptr);
  EXPECT_EQ(Contents(*node41->value), "A");
  const CTrieNode* node4142 = node41->Child(0x42);
  ASSERT_NE(node4142, nullptr);
  EXPECT_EQ(Contents(*node4142->value), "X");
  EXPECT_EQ(node4142->parent, node41);
  EXPECT_EQ(node41->parent, &dict.Root());
}

TEST(CodeDictionaryInsert, SameKeyAgainReplacesAndReportsOncePerReplacement) {
  CCodeDictionary dict;
  std::string notices;
  EXPECT_TRUE(PutNoting(dict, Hex("41"), "A", notices));
  EXPECT_TRUE(PutNoting(dict, Hex("42"), "B", notices));
  EXPECT_TRUE(PutNoting(dict, Hex("41"), "B", notices));
  EXPECT_EQ(notices, "Replacing old value\n");
  EXPECT_EQ(ValueOf(dict, Hex("41")), "B");

  notices.clear();
  EXPECT_TRUE(PutNoting(dict, Hex("41"), "C", notices));
  EXPECT_TRUE(PutNoting(dict, Hex("42"), "D", notices));
  EXPECT_EQ(notices, "Replacing old value\nReplacing old value\n");
}

TEST(CodeDictionaryInsert, EmptyValueIsStoredNotAbsent) {
  CCodeDictionary dict;
  EXPECT_TRUE(Put(dict, Hex("41"), ""));
  const CByteString* value = dict.Find(AsBytes(Hex("41")));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->len, 0);
}

TEST(CodeDictionaryInsert, ValueIsACopy) {
  CCodeDictionary dict;
  auto key = test::MakeString("k");
  auto value = test::MakeString("v");
  dict.Insert(*key, *value);
  value->data[0] = 'w';
  key->data[0] = 'z';
  EXPECT_EQ(ValueOf(dict, "k"), "v");
}

TEST(CodeDictionaryInsert, ExtremeByteValuesAreOrdinaryKeyBytes) {
  CCodeDictionary dict;
  EXPECT_TRUE(Put(dict, Hex("00 FF"), "zf"));
  EXPECT_TRUE(Put(dict, Hex("FF 00"), "fz"));
  const CTrieNode* n0 = dict.Root().Child(0);
  ASSERT_NE(n0, nullptr);
  ASSERT_NE(n0->Child(255), nullptr);
  EXPECT_EQ(Contents(*n0->Child(255)->value), "zf");
  EXPECT_EQ(ValueOf(dict, Hex("FF 00")), "fz");
  EXPECT_EQ(ValueOf(dict, Hex("00")), "<absent>");
}

TEST(CodeDictionaryFind, FindsExactKeysOnly) {
  CCodeDictionary dict;
  Put(dict, "the", "1");
  EXPECT_EQ(ValueOf(dict, "the"), "1");
  EXPECT_EQ(ValueOf(dict, "th"), "<absent>");
  EXPECT_EQ(ValueOf(dict, "then"), "<absent>");
}

// Many keys sharing a prefix move a node from its inline lone child to the
// full child array; every key must stay reachable through the move.
TEST(CodeDictionaryInsert, EveryKeyStaysReachableAsNodesGrowChildArrays) {
  CCodeDictionary dict;
  for (int a = 0; a < 256; a += 3) {
    for (int b = 255; b >= 0; b -= 5) {
      std::string key = {static_cast<char>(a), static_cast<char>(b)};
      Put(dict, key, std::to_string(a * 256 + b));
    }
  }
  for (int a = 0; a < 256; a += 3) {
    for (int b = 255; b >= 0; b -= 5) {
      std::string key = {static_cast<char>(a), static_cast<char>(b)};
      ASSERT_EQ(ValueOf(dict, key), std::to_string(a * 256 + b));
    }
  }
}

TEST(CodeDictionaryLongestKey, IsTheLengthOfTheLongestKeyInAnyBranch) {
  CCodeDictionary dict;
  EXPECT_EQ(dict.LongestKey(), 0u);
  Put(dict, "b", "1");
  EXPECT_EQ(dict.LongestKey(), 1u);
  // Below a node with a child array as well as below a lone child.
  Put(dict, "abc", "2");
  Put(dict, "ab", "3");
  Put(dict, "axyz", "4");
  Put(dict, "a", "5");
  EXPECT_EQ(dict.LongestKey(), 4u);
  Put(dict, std::string(70'000, 'q'), "6");
  EXPECT_EQ(dict.LongestKey(), 70'000u);
}

// A key a million bytes long is a chain of a million nodes; releasing the
// dictionary must not recurse once per node.
TEST(CodeDictionaryRelease, VeryLongKeyIsReleasedWithoutExhaustingTheStack) {
  auto dict = std::make_unique<CCodeDictionary>();
  const std::string key(1'000'000, 'k');
  EXPECT_TRUE(Put(*dict, key, "v"));
  EXPECT_EQ(ValueOf(*dict, key), "v");
  dict.reset();
}

}  // namespace
}  // namespace dalvren
