#include "CodeDictionary.h"

#include <cstring>
#include <iostream>
#include <ostream>

namespace {

// Gathers output locally so the stream sees a few large writes instead of
// one call per matched code, which would dominate the cost of translation.
class BufferedWriter {
 public:
  explicit BufferedWriter(std::ostream& out) : out_(out) {}
  BufferedWriter(const BufferedWriter&) = delete;
  BufferedWriter& operator=(const BufferedWriter&) = delete;
  ~BufferedWriter() { Flush(); }

  void Append(const char* bytes, std::size_t count) {
    if (count > kCapacity - used_) {
      Flush();
      if (count > kCapacity) {
        out_.write(bytes, static_cast<std::streamsize>(count));
        return;
      }
    }
    // Most values are a few bytes; a short loop beats a call to memcpy.
    char* dest = buffer_ + used_;
    if (count <= 8) {
      for (std::size_t i = 0; i < count; ++i) dest[i] = bytes[i];
    } else {
      std::memcpy(dest, bytes, count);
    }
    used_ += count;
  }

  void Flush() {
    if (used_ == 0) return;
    out_.write(buffer_, static_cast<std::streamsize>(used_));
    used_ = 0;
  }

 private:
  static constexpr std::size_t kCapacity = 64 * 1024;
  std::ostream& out_;
  std::size_t used_ = 0;
  char buffer_[kCapacity];
};

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
  const CTrieNode* const root = trie->root.get();
  const unsigned char* const in = input.data();
  const std::size_t size = input.size();
  BufferedWriter writer(out);
  // Equivalent to a single pass with back-up: from each position, walk the
  // trie as far as the input allows, remembering the last node that ends a
  // key; emit it and resume after it, or drop one byte when none matched.
  std::size_t pos = 0;
  while (pos < size) {
    const CTrieNode* node = root;
    const CByteString* match = nullptr;
    std::size_t matchEnd = pos;
    for (std::size_t i = pos; i < size;) {
      node = node->Child(in[i]);
      if (node == nullptr) break;
      ++i;
      if (node->value) {
        match = node->value.get();
        matchEnd = i;
      }
    }
    if (match != nullptr) {
      writer.Append(match->data.get(), static_cast<std::size_t>(match->len));
      pos = matchEnd;
    } else {
      ++pos;
    }
  }
}
