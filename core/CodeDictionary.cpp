#include "CodeDictionary.h"

#include <cstring>
#include <iostream>
#include <ostream>

namespace {

// Output is gathered in a local block and handed to the stream in large
// writes: one stream call per matched code would cost more than the
// translation itself.
constexpr std::size_t kOutputBlock = 64 * 1024;

}  // namespace

CCodeDictionary::CCodeDictionary() : trie(std::make_unique<CTrie>()) {}

bool CCodeDictionary::Insert(const CByteString& key, const CByteString& value) {
  if (key.len <= 0) return false;
  CTrieNode* node = trie->root.get();
  for (const unsigned char b : key.Bytes()) {
    CTrieNode* next = node->Child(b);
    if (next == nullptr) {
      auto child = std::make_unique<CTrieNode>();
      next = child.get();
      node->Attach(std::move(child), b);
    }
    node = next;
  }
  if (node->value) {
    std::cerr << "Replacing old value" << std::endl;
  }
  node->value = std::make_unique<CByteString>(value);
  return true;
}

const CByteString* CCodeDictionary::Find(
    std::span<const unsigned char> key) const {
  if (key.empty()) return nullptr;
  const CTrieNode* node = trie->root.get();
  for (const unsigned char b : key) {
    node = node->Child(b);
    if (node == nullptr) return nullptr;
  }
  return node->value.get();
}

void CCodeDictionary::Translate(std::ostream& out,
                                std::span<const unsigned char> input) const {
  // The first step from the root is taken for every input position, and in
  // most tables it ends at a leaf: a one-byte code, or a text's first
  // character. Resolving all 256 first steps once per call turns those
  // positions into a single table lookup.
  struct FirstStep {
    const char* leafData;  // the value when the step ends at a leaf
    std::int32_t leafLength;
    const CTrieNode* node;  // otherwise the node to walk on from, or null
  };
  FirstStep first[256];
  const CTrieNode* const root = trie->root.get();
  for (int b = 0; b < 256; ++b) {
    const CTrieNode* node = root->Child(static_cast<unsigned char>(b));
    const bool leaf = node != nullptr && node->value && !node->HasChildren();
    first[b] = {leaf ? node->value->data.get() : nullptr,
                leaf ? node->value->len : 0, node};
  }

  const unsigned char* const in = input.data();
  const std::size_t size = input.size();
  // The cursor is a plain local, not a member of some writer object: byte
  // stores may alias any object whose address is known, which would force
  // the compiler to reload a member cursor after every byte written.
  char block[kOutputBlock];
  char* cursor = block;
  const auto append = [&](const char* bytes, std::size_t count) {
    if (count > static_cast<std::size_t>(block + kOutputBlock - cursor)) {
      out.write(block, cursor - block);
      cursor = block;
      if (count > kOutputBlock) {
        out.write(bytes, static_cast<std::streamsize>(count));
        return;
      }
    }
    if (count <= 8) {
      for (std::size_t i = 0; i < count; ++i) cursor[i] = bytes[i];
    } else {
      std::memcpy(cursor, bytes, count);
    }
    cursor += count;
  };
  // From each position, walk the trie as far as the input allows, remembering
  // the last node that ends a key; emit it and resume after it, or drop one
  // byte when none matched. This is the single pass with back-up, unrolled.
  std::size_t pos = 0;
  while (pos < size) {
    const FirstStep& step = first[in[pos]];
    if (step.leafData != nullptr) {
      append(step.leafData, static_cast<std::size_t>(step.leafLength));
      ++pos;
      continue;
    }
    const CTrieNode* node = step.node;
    if (node == nullptr) {
      ++pos;
      continue;
    }
    const CByteString* match = node->value.get();
    std::size_t matchEnd = pos + 1;
    for (std::size_t i = pos + 1; i < size;) {
      node = node->Child(in[i]);
      if (node == nullptr) break;
      ++i;
      if (node->value) {
        match = node->value.get();
        matchEnd = i;
      }
    }
    if (match != nullptr) {
      append(match->data.get(), static_cast<std::size_t>(match->len));
      pos = matchEnd;
    } else {
      ++pos;
    }
  }
  out.write(block, cursor - block);
}
